// Every real sample exported in the three releases and read back by other
// programs: Debian's ezdxf audits each file and counts what the model space,
// the first layout and every block hold, which must agree with what the
// conversion put into the model; LibreCAD renders every 2000 export. The
// command-line tool is run on the samples as a user would. Each check skips
// when its program is not installed (or not built).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "common/samples.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "dxf_test_util.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

JwString U(const fs::path& p) { return FromUtf8(p.string()); }

using dxftest::RunCommand;

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

std::vector<fs::path> Samples() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(test::SamplesDir())) {
        const JwString ext = FileExtLower(U(e.path()));
        if (ext == u".jww" || ext == u".jws") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path OutDir(const char* name) {
    return dxftest::FreshDir(fs::path(ZS_BINARY_DIR) / "dxf_export_reality" / name);
}

bool HasVisible(std::u16string_view s) {
    for (char16_t c : s)
        if (c > 0x20 && c != 0x3000) return true;
    return false;
}

// How many entities of container e in space spc the writer puts out, by its
// rules for what it leaves out (empty texts, images in R12, points without
// their block, inserts and dimensions without a block, viewports outside
// paper space).
int Written(const TDXFmodel& m, const TDXF_Entities& e, bool r12, int32_t spc) {
    int n = 0;
    for (const TDXF_EntNo& k : e.No) {
        const auto i = static_cast<size_t>(k.no);
        int32_t s = 0;
        bool out = true;
        switch (k.tp) {
            case kDxfLine: s = e.Line[i].spc; break;
            case kDxfCircle: s = e.Circ[i].spc; break;
            case kDxfArc: s = e.Arc[i].spc; break;
            case kDxfEllipse: s = e.Elli[i].spc; break;
            case kDxfSolid3: s = e.Sld3[i].spc; break;
            case kDxfSolid4: s = e.Sld4[i].spc; break;
            case kDxfPLine: s = e.PLin[i].spc; break;
            case kDxfMoji:
                s = e.Moji[i].spc;
                out = HasVisible(e.Moji[i].st);
                break;
            case kDxfImage:
                s = e.Imag[i].spc;
                out = !r12 && HasVisible(e.Imag[i].fna) && m.GetFList(e.Imag[i].fna) >= 0;
                break;
            case kDxfTen: {
                const TDXF_Ten& t = e.Ten[i];
                s = t.spc;
                if (t.cod >= 1 && t.cod <= 11)
                    out = m.GetBlockIdx(u"_TRANS_TMARKER" + IntStr(t.cod)) >= 0;
                else if (t.cod == -1 || t.cod == -2 || (t.cod >= -7 && t.cod <= -4))
                    out = m.GetBlockIdx(u"_TRANS_TMARKER_" + IntStr(-t.cod)) >= 0;
                else if (m.tentyp >= 2)
                    out = m.tenidx >= 0;
                break;
            }
            case kDxfBlock:
                s = e.Block[i].spc;
                out = e.Block[i].bln >= 0;
                break;
            case kDxfDim:
                s = e.Dim[i].spc;
                out = e.Dim[i].bln >= 0;
                break;
            case kDxfVport:
                s = m.deVport[i].spc;
                out = s == 1;
                break;
            default: out = false; break;
        }
        if (out && s == spc && !(r12 && s > 1)) ++n;
    }
    return n;
}

struct Export {
    fs::path dxf;
    int32_t ver = 0;
    std::string modelspace, layout1;
    std::map<std::string, std::string> blocks;  // name as ezdxf shows it -> count
};

// Reads the file as the command-line tool does and converts it with the
// current settings; writes the DXF and notes what the model holds.
bool ExportSample(const fs::path& in, const fs::path& out, int32_t ver, Export& x) {
    const fs::path images = out.parent_path() / (out.stem().string() + "_images");
    fs::create_directories(images);
    TJwwData dwg;
    dwg.BindImageExp = dwg.BindImageExr = true;
    dwg.BindImageFolder = U(images) + u"/";
    if (FileExtLower(U(in)) == u".jws") {
        TJwsData fig;
        if (!fig.FileIn(U(in))) return false;
        JwsAsDrawing(fig, dwg);
        dwg.BindImageFolder = U(images) + u"/";
    } else if (!dwg.FileIn(U(in))) {
        return false;
    }
    dwg.GetPaperSize(DxfOutPaperX, DxfOutPaperY);
    DxfOutScaleGroup = std::clamp(dwg.Enthd.nWriteGLay, 0, 15);
    dwg.GetMinMaxZahyo();
    TDXFmodel m;
    JwwToDxfModel(dwg, m, ver, U(out));
    if (!m.SaveDXF(JwFileName, U(out))) return false;
    const bool r12 = ver == kDxfR12;
    x.dxf = out;
    x.ver = ver;
    x.modelspace = std::to_string(Written(m, m.de, r12, 0));
    x.layout1 = std::to_string(Written(m, m.de, r12, 1));
    for (const TDXF_BlockDef& b : m.deBlockDef)
        x.blocks[ToUtf8(r12 ? StrUpper(b.nam) : b.nam)] = std::to_string(Written(m, b.dm, r12, 0));
    return true;
}

class ExportReality : public dxftest::ExportFixture {};

TEST_F(ExportReality, EzdxfAuditsEverySampleInEveryReleaseAndCountsWhatWasWritten) {
    ZS_NEED_SAMPLES();
    if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is not installed";
    const fs::path dir = OutDir("ezdxf");
    std::vector<Export> exports;
    // Three releases with the defaults of the command line, and once more with
    // paper space, point symbols and TrueType styles.
    struct Setting {
        int32_t ver, space, points, style;
    };
    for (const Setting& s : {Setting{kDxfR12, 0, 0, 0}, Setting{kDxf2000, 0, 0, 0}, Setting{kDxf2007, 0, 0, 0},
                             Setting{kDxf2000, 1, 3, 2}, Setting{kDxfR12, 1, 5, 1}}) {
        DxfOutSpace = s.space;
        DxfOutTenType = s.points;
        DxfOutMojiStyle = s.style;
        DxfOutMojiExp1 = DxfOutMojiExp2 = true;
        for (const fs::path& in : Samples()) {
            const std::string name = in.stem().string() + "_" + std::to_string(s.ver) + "_" + std::to_string(s.space) + ".dxf";
            Export x;
            ASSERT_TRUE(ExportSample(in, dir / name, s.ver, x)) << in;
            exports.push_back(x);
        }
    }
    std::string files;
    for (const Export& x : exports) files += " " + Quote(x.dxf);
    std::string out;
    const int rc = dxftest::RunEzdxfCheck(files, out);
    if (rc == 2 && out.find("ezdxf missing") != std::string::npos) GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(rc, 0) << out;

    dxftest::EzdxfReport report = dxftest::ParseEzdxfReport(out);
    auto& facts = report.facts;
    auto& errors = report.errors;
    int audited = 0;
    for (const Export& x : exports) {
        const std::string path = x.dxf.string();
        SCOPED_TRACE(x.dxf.filename().string());
        ASSERT_TRUE(facts.contains(path)) << out;
        auto& f = facts[path];
        EXPECT_TRUE(errors[path].empty()) << ::testing::PrintToString(errors[path]);
        EXPECT_EQ(f["version"], x.ver == kDxfR12 ? "AC1009" : (x.ver == kDxf2000 ? "AC1015" : "AC1021"));
        EXPECT_EQ(f["modelspace"], x.modelspace);
        EXPECT_EQ(f[x.ver == kDxfR12 ? "layout:Layout1" : "layout:レイアウト1"], x.layout1);
        for (const auto& [name, count] : x.blocks) EXPECT_EQ(f["block:" + name], count) << name;
        if (errors[path].empty()) ++audited;
    }
    EXPECT_EQ(audited, static_cast<int>(exports.size()));
    std::printf("[ ezdxf    ] %d of %zu exports audited without errors\n", audited, exports.size());
}

TEST_F(ExportReality, LibreCadRendersEvery2000Export) {
    ZS_NEED_SAMPLES();
    if (!fs::exists("/usr/bin/librecad") || !fs::exists("/usr/bin/xvfb-run"))
        GTEST_SKIP() << "librecad or xvfb-run is not installed";
    const fs::path dir = OutDir("librecad");
    std::vector<fs::path> dxfs;
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    for (const fs::path& in : Samples()) {
        Export x;
        ASSERT_TRUE(ExportSample(in, dir / (in.stem().string() + ".dxf"), kDxf2000, x)) << in;
        dxfs.push_back(x.dxf);
    }
    // An empty drawing gives the size of a blank page.
    TDXFmodel empty;
    empty.SetDXFVer(kDxf2000, 0);
    ASSERT_TRUE(empty.SaveDXF(u"", U(dir / "empty.dxf")));
    std::string files = Quote(dir / "empty.dxf");
    for (const fs::path& f : dxfs) files += " " + Quote(f);
    std::string out;
    // One run renders every file to a PDF beside it.
    const int rc = RunCommand("timeout 300 xvfb-run -a /usr/bin/librecad dxf2pdf -a -p 420x297 " + files + " 2>&1", out);
    ASSERT_EQ(rc, 0) << out;
    ASSERT_TRUE(fs::exists(dir / "empty.pdf")) << out;
    const auto blank = fs::file_size(dir / "empty.pdf");
    int rendered = 0;
    for (const fs::path& f : dxfs) {
        const fs::path pdf = fs::path(f).replace_extension(".pdf");
        ASSERT_TRUE(fs::exists(pdf)) << out;
        EXPECT_GT(fs::file_size(pdf), blank) << pdf;
        if (fs::file_size(pdf) > blank) ++rendered;
    }
    std::printf("[ librecad ] %d of %zu 2000 exports rendered\n", rendered, dxfs.size());
}

// ---- the command line ----

fs::path CliBinary() { return fs::path(ZS_BINARY_DIR) / "src" / "cli" / "zumenscope-cli"; }

// Runs the tool with a private temporary folder; answers the exit status.
int Cli(const std::string& args, const fs::path& tmp, std::string& out) {
    return RunCommand("TMPDIR=" + Quote(tmp) + " " + Quote(CliBinary()) + " " + args + " 2>&1", out);
}

TEST(ExportCli, ConvertsManyFilesAndReportsFailures) {
    ZS_NEED_SAMPLES();
    if (!fs::exists(CliBinary())) GTEST_SKIP() << "zumenscope-cli is not built in " << CliBinary().parent_path();
    const fs::path dir = OutDir("cli");
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    std::string all;
    for (const fs::path& in : Samples()) all += " " + Quote(in);
    std::string out;

    ASSERT_EQ(Cli("dxf" + all + " --outdir " + Quote(dir / "all"), tmp, out), 0) << out;
    for (const fs::path& in : Samples()) {
        const fs::path dxf = dir / "all" / (in.stem().string() + ".dxf");
        ASSERT_TRUE(fs::exists(dxf)) << dxf;
        std::ifstream f(dxf, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(f)), {});
        EXPECT_NE(text.find("AC1021"), std::string::npos) << dxf;  // 2007 by default
    }
    EXPECT_TRUE(fs::is_empty(tmp)) << "temporary image folders are removed";

    // A missing file among good ones: the others are written, status 1.
    const fs::path one = Samples().front();
    EXPECT_EQ(Cli("dxf " + Quote(one) + " " + Quote(dir / "missing.jww") + " --outdir " + Quote(dir / "some"), tmp, out), 1);
    EXPECT_NE(out.find("missing.jww: no such file"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir / "some" / (one.stem().string() + ".dxf")));

    // A DXF that cannot be written: the reason is told.
    EXPECT_EQ(Cli("dxf " + Quote(one) + " -o " + Quote(dir / "no" / "such" / "x.dxf"), tmp, out), 1);
    EXPECT_NE(out.find("write failed: cannot create " + (dir / "no" / "such" / "x.dxf").string()), std::string::npos)
        << out;

    // Options.
    ASSERT_EQ(Cli("dxf " + Quote(one) + " -o " + Quote(dir / "r12.dxf") + " --release r12 --space 1 --points 4"
                  " --point-radius 1.5 --layer-names 1 --text-style 1 --no-expand-vars --paper 420x297 --app-name ABC",
                  tmp, out),
              0)
        << out;
    std::ifstream f(dir / "r12.dxf", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(text.substr(0, 13), "999\r\nABC\r\n  0");
    EXPECT_NE(text.find("AC1009"), std::string::npos);

    // Usage errors.
    EXPECT_EQ(Cli("dxf" + all + " -o " + Quote(dir / "x.dxf"), tmp, out), 2) << out;
    EXPECT_EQ(Cli("dxf " + Quote(one) + " -o a.dxf --outdir " + Quote(dir), tmp, out), 2) << out;
    EXPECT_EQ(Cli("dxf " + Quote(one) + " -o a.dxf --paper 0x3", tmp, out), 2) << out;
    EXPECT_EQ(Cli("dxf " + Quote(one) + " -o a.dxf --point-radius 2", tmp, out), 2) << out;
    EXPECT_EQ(Cli("dxf " + Quote(one) + " -o a.dxf --release 14", tmp, out), 2) << out;

    // The input is never replaced, and two inputs of one name do not share an output.
    const fs::path copy = dir / "copy.jww";
    fs::copy_file(one, copy);
    EXPECT_EQ(Cli("dxf " + Quote(copy) + " -o " + Quote(copy), tmp, out), 2) << out;
    EXPECT_EQ(fs::file_size(copy), fs::file_size(one));
    // Without -o or --outdir the DXF goes beside its input.
    const fs::path beside = dir / fs::path("beside").replace_extension(one.extension());
    fs::copy_file(one, beside, fs::copy_options::overwrite_existing);
    EXPECT_EQ(Cli("dxf " + Quote(beside), tmp, out), 0) << out;
    EXPECT_TRUE(fs::exists(dir / "beside.dxf"));
    fs::create_directories(dir / "again");
    fs::copy_file(one, dir / "again" / "copy.jww");
    EXPECT_EQ(Cli("dxf " + Quote(copy) + " " + Quote(dir / "again" / "copy.jww") + " --outdir " + Quote(dir / "twice"),
                  tmp, out),
              1);
    EXPECT_NE(out.find("already written"), std::string::npos) << out;
}


TEST(ExportCli, BoundImagesGoBesideTheDxf) {
    if (!fs::exists(CliBinary())) GTEST_SKIP() << "zumenscope-cli is not built in " << CliBinary().parent_path();
    const fs::path dir = OutDir("cli_images");
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    fs::create_directories(dir / "bind");
    // A 7.00 drawing with two bound images, one stored compressed.
    dxftest::WriteFile(dir / "bind" / "pic.png", dxftest::PngBytes(3, 2));
    dxftest::WriteFile(dir / "bind" / "gz.png.gz", dxftest::GzipBytes(dxftest::PngBytes(4, 4)));
    TJwwData d;
    d.DataDefaultSet();
    d.BindImageExp = d.BindImageExr = true;
    d.BindImageFolder = U(dir / "bind") + u"/";
    d.BindImage = {{u"pic.png", 0, false}, {u"gz.png.gz", 0, false}};
    d.BindImageN = 2;
    ASSERT_TRUE(d.AddEntPre());
    d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,30");
    d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 50, 10, 50, 2, 2, 0, 0, u"", u"^@BM%temp%gz.png,20");
    ASSERT_TRUE(d.AddEntPost());
    ASSERT_TRUE(d.FileOut(U(dir / "bound.jww"), 700));

    std::string out;
    ASSERT_EQ(Cli("dxf " + Quote(dir / "bound.jww") + " --outdir " + Quote(dir / "out"), tmp, out), 0) << out;
    EXPECT_EQ(fs::file_size(dir / "out" / "pic.png"), dxftest::PngBytes(3, 2).size());
    EXPECT_EQ(fs::file_size(dir / "out" / "gz.png"), dxftest::PngBytes(4, 4).size());
    EXPECT_TRUE(fs::is_empty(tmp)) << "the extracted images are removed";
    if (!fs::exists("/usr/bin/python3")) return;
    const std::string script = std::string(ZS_SOURCE_DIR) + "/tests/dxf/ezdxf_check.py";
    const int rc = RunCommand("/usr/bin/python3 " + Quote(script) + " " + Quote(dir / "out" / "bound.dxf") + " 2>&1", out);
    if (rc == 2) return;  // ezdxf missing
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("\nerror "), std::string::npos) << out;
    EXPECT_NE(out.find("types IMAGE IMAGE"), std::string::npos) << out;
}

}  // namespace
}  // namespace jw
