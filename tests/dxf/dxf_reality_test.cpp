// Written DXF files read back by other programs: Debian's ezdxf audits and
// counts them, LibreCAD renders one to PDF. Skipped when the program is not
// installed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "dxf/dxf_model.h"
#include "dxf_test_util.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

JwString U(const fs::path& p) {
    const std::string s = p.string();
    return JwString(s.begin(), s.end());
}

using dxftest::RunCommand;

fs::path OutDir(const char* name) { return dxftest::FreshDir(fs::path(ZS_BINARY_DIR) / "dxf_reality" / name); }

// Writes the model of every kind in release ver and space mode spa.
fs::path WriteRich(const fs::path& dir, int32_t ver, int32_t spa) {
    const fs::path image = dir / "photo.png";
    if (!fs::exists(image)) std::ofstream(image, std::ios::binary) << "\x89PNG\r\n\x1a\n";
    fs::create_directories(dir / "copies");
    TDXFmodel m;
    m.SetDXFVer(ver, spa);
    dxftest::FillRichModel(m, U(image), U(dir / "copies") + u"/");
    for (int i = 0; i < 16; ++i) m.deLgp[i].sc = i == 0 ? 100 : 50;
    m.SetLgp(0, 1);
    m.SetVPortMinMax(1, 0, 0);
    m.SetVPortMinMax(1, 420, 297);
    m.SetVPortArea();
    const fs::path out = dir / ("rich_" + std::to_string(ver) + "_" + std::to_string(spa) + ".dxf");
    EXPECT_TRUE(m.SaveDXF(u"", U(out)));
    return out;
}

TEST(DxfReality, EzdxfReadsEveryReleaseWithoutAuditErrors) {
    if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is not installed";
    const fs::path dir = OutDir("ezdxf");
    std::string files;
    for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007})
        for (int32_t spa : {0, 1}) files += " '" + WriteRich(dir, ver, spa).string() + "'";
    std::string out;
    const int rc = dxftest::RunEzdxfCheck(files, out);
    if (rc == 2 && out.find("ezdxf missing") != std::string::npos)
        GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(rc, 0) << out;

    // Facts per file.
    dxftest::EzdxfReport report = dxftest::ParseEzdxfReport(out);
    for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007}) {
        for (int32_t spa : {0, 1}) {
            const std::string name = "rich_" + std::to_string(ver) + "_" + std::to_string(spa) + ".dxf";
            const std::string path = (dir / name).string();
            SCOPED_TRACE(name);
            ASSERT_TRUE(report.facts.contains(path)) << out;
            auto& f = report.facts[path];
            const auto& errors = report.errors[path];
            EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
            const bool r12 = ver == kDxfR12;
            EXPECT_EQ(f["version"], r12 ? "AC1009" : (ver == kDxf2000 ? "AC1015" : "AC1021"));
            // Model space: everything but the skipped point, text, image and
            // insert; R12 has no image.
            EXPECT_EQ(f["modelspace"], r12 ? "15" : "16");
            EXPECT_EQ(f["types"], r12 ? "LINE LINE CIRCLE ARC POLYLINE POLYLINE POINT INSERT SOLID SOLID TEXT TEXT "
                                        "POLYLINE DIMENSION INSERT"
                                      : "LINE LINE CIRCLE ARC ELLIPSE ELLIPSE POINT INSERT SOLID SOLID TEXT TEXT "
                                        "IMAGE POLYLINE DIMENSION INSERT");
            // The first layout: one line plus the two viewports of space mode 1.
            const std::string first = r12 ? "layout:Layout1" : "layout:レイアウト1";
            EXPECT_EQ(f[first], spa == 1 ? "3" : "1");
            if (!r12) {
                EXPECT_EQ(f["layout:レイアウト2"], "1");
            }
            EXPECT_EQ(f["block:_TRANS_TMARKER_2"], "1");
            EXPECT_EQ(f["block:部品"], r12 ? "8" : "9");
            EXPECT_EQ(f["block:*D1"], "1");
        }
    }
}

// Counts the path segments ("x y l") of every deflated stream of a PDF.
int PdfLineSegments(const fs::path& pdf) {
    std::ifstream in(pdf, std::ios::binary);
    const std::string d((std::istreambuf_iterator<char>(in)), {});
    int segments = 0;
    size_t pos = 0;
    while ((pos = d.find("stream", pos)) != std::string::npos) {
        size_t start = pos + 6;
        if (d.compare(start, 2, "\r\n") == 0) start += 2;
        else if (d[start] == '\n') start += 1;
        const size_t end = d.find("endstream", start);
        if (end == std::string::npos) break;
        std::string plain(1 << 20, '\0');
        uLongf size = plain.size();
        if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &size,
                       reinterpret_cast<const Bytef*>(d.data() + start), end - start) == Z_OK) {
            plain.resize(size);
            for (size_t p = 0; (p = plain.find(" l\n", p)) != std::string::npos; ++p) ++segments;
        }
        pos = end + 9;
    }
    return segments;
}

TEST(DxfReality, LibreCadRendersA2000File) {
    if (!fs::exists("/usr/bin/librecad") || !fs::exists("/usr/bin/xvfb-run"))
        GTEST_SKIP() << "librecad or xvfb-run is not installed";
    const fs::path dir = OutDir("librecad");
    const fs::path dxf = WriteRich(dir, kDxf2000, 0);
    TDXFmodel one;  // a single line, for comparison
    one.SetDXFVer(kDxf2000, 0);
    one.AddLtype(u"Continuous", u"", {});
    one.AddLayer(u"0", 7, 1, 0, true, true);
    one.AddLine(0, 0, 1, 1, 0, 0, 0, 100, 100);
    const fs::path single = dir / "single.dxf";
    ASSERT_TRUE(one.SaveDXF(u"", U(single)));
    std::string out;
    for (const fs::path& f : {dxf, single}) {
        const fs::path pdf = fs::path(f).replace_extension(".pdf");
        const int rc = RunCommand("timeout 300 xvfb-run -a /usr/bin/librecad dxf2pdf -a -p 420x297 -o '" + pdf.string() +
                               "' '" + f.string() + "' 2>&1",
                           out);
        ASSERT_EQ(rc, 0) << out;
        ASSERT_TRUE(fs::exists(pdf)) << out;
    }
    const int rich = PdfLineSegments(fs::path(dxf).replace_extension(".pdf"));
    const int base = PdfLineSegments(dir / "single.pdf");
    EXPECT_GT(base, 0);
    EXPECT_GT(rich, base + 100) << "LibreCAD drew " << rich << " segments, a single line " << base;
}

}  // namespace
}  // namespace jw
