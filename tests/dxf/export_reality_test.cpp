// Every real sample, and a drawing built here with drawing frames, curve
// groups and dimensions of every kind, exported in the three releases with
// every space mode, with and without joined polylines and rebuilt dimensions,
// and read back by other programs: Debian's ezdxf audits each file, writes it
// again, counts what the model space, every layout and every block hold
// (which must agree with what the conversion put into the model), finds each
// layout's viewports and each DIMENSION's block, and measures the rebuilt
// linear dimensions; LibreCAD renders every 2000 export. The command-line tool
// is run on the samples as a user would. Each check skips when its program is
// not installed (or not built).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/samples.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "support/program_values.h"
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
                out = s != 0;
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
    std::string modelspace;
    std::map<std::string, std::string> layouts, viewports;  // layout name -> entities, viewports
    std::map<std::string, std::string> blocks;              // name as ezdxf shows it -> count
    std::multiset<double> linear;  // the rebuilt linear dimensions' lengths (constructed drawing only)
};

// The export settings of one run.
struct Setting {
    int32_t ver, space;
    bool join, dims;
    int32_t points = 0, style = 0;
    std::string Name() const {
        return "_" + std::to_string(ver) + "_" + std::to_string(space) + (join ? "j" : "") + (dims ? "d" : "") +
               (points != 0 || style != 0 ? "_p" + std::to_string(points) + "s" + std::to_string(style) : "");
    }
};

// Every release and space mode with and without joining and dimensions.
std::vector<Setting> EverySetting() {
    std::vector<Setting> all;
    for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007})
        for (int32_t space : {0, 1, 2})
            for (bool join : {false, true})
                for (bool dims : {false, true}) all.push_back({ver, space, join, dims});
    return all;
}

void Apply(const Setting& s) {
    DxfOutSpace = s.space;
    DxfOutJoinLines = s.join;
    DxfOutDimension = s.dims;
    DxfOutTenType = s.points;
    DxfOutMojiStyle = s.style;
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
}

// Converts dwg with the current settings, writes the DXF and notes what the
// model holds.
bool ExportDrawing(TJwwData& dwg, const fs::path& out, int32_t ver, Export& x) {
    dwg.GetPaperSize(DxfOutPaperX, DxfOutPaperY);
    DxfOutPrintX = DxfOutPaperX;
    DxfOutPrintY = DxfOutPaperY;
    DxfOutScaleGroup = std::clamp(dwg.Enthd.nWriteGLay, 0, 15);
    dwg.GetMinMaxZahyo();
    TDXFmodel m;
    JwwToDxfModel(dwg, m, ver, U(out));
    if (!m.SaveDXF(JwFileName, U(out))) return false;
    const bool r12 = ver == kDxfR12;
    x.dxf = out;
    x.ver = ver;
    x.modelspace = std::to_string(Written(m, m.de, r12, 0));
    for (int32_t k = 1; k <= (r12 ? 1 : m.Ltn); ++k) {
        const std::string name = r12 ? "Layout1" : ToUtf8(u"レイアウト" + IntStr(k));
        x.layouts[name] = std::to_string(Written(m, m.de, r12, k));
        x.viewports[name] = std::to_string(
            std::count_if(m.deVport.begin(), m.deVport.end(), [&](const TDXF_ViewPort& v) { return v.spc == k; }));
    }
    for (const TDXF_BlockDef& b : m.deBlockDef)
        x.blocks[ToUtf8(r12 ? StrUpper(b.nam) : b.nam)] = std::to_string(Written(m, b.dm, r12, 0));
    return true;
}

// Reads the file as the command-line tool does, then ExportDrawing.
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
    return ExportDrawing(dwg, out, ver, x);
}

// A drawing with what none of the samples holds: on A3 (420 x 297), two
// frames of frame lines and one print-origin text on the reference group 0
// (scale 1), the rest on group 1 (scale 10, the busiest besides group 0);
// curve groups of lines and arcs (a closed outline, a T junction, a chain in
// a block definition); dimensions of every kind, on both groups and in a
// block definition. Answers the lengths of its linear dimensions as the
// export draws them in release ver and space mode space.
std::multiset<double> BuildConstructed(TJwwData& w, int32_t ver, int32_t space) {
    w.DataDefaultSet();
    w.Enthd.nZumen = 3;
    w.Enthd.nWriteGLay = 0;
    w.Enthd.nPrtSet = 40;
    w.EntLgrp[0].adScale = 1;
    w.EntLgrp[1].adScale = 10;
    EXPECT_TRUE(w.AddEntPre());
    auto frameLine = [&](double x1, double y1, double x2, double y2) {
        w.AddEntLine(0, 0, 0, 9, 16, 200, 0, x1, y1, x2, y2);
    };
    for (const double x0 : {-200.0, 0.0}) {  // two frames side by side, 10 apart
        const double x1 = x0 + 5, x2 = x0 + 195;
        frameLine(x1, -140, x2, -140);
        frameLine(x2, -140, x2, 140);
        frameLine(x2, 140, x1, 140);
        frameLine(x1, 140, x1, -140);
    }
    w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, 0, 0, 30, 0, 2, 2, 0, 0, u"", u"【印刷原点】50% N=3");

    // Linear dimensions: an entity with extension lines and arrows.
    auto linear = [&](int32_t g, int32_t lg, double x, double y, double len, int32_t def = -1) {
        if (def < 0) {
            w.AddEntSunpo(g, lg, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, x, y, x + len, y, x + len / 2, y + 1, 2, 2, 0, 0, u"",
                          u"L");
            w.AddEntLine(g, lg, 0, 1, 1, 0, 0, x, y - 10, x, y + 2);
            w.AddEntLine(g, lg, 0, 1, 1, 0, 0, x + len, y - 10, x + len, y + 2);
        } else {
            w.AddBlkSunpo(def, g, lg, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, x, y, x + len, y, x + len / 2, y + 1, 2, 2, 0, 0,
                          u"", u"L");
            w.AddBlkLine(def, g, lg, 0, 1, 1, 0, 0, x, y - 10, x, y + 2);
        }
    };
    linear(101, 0, -150, 50, 30);  // in the first frame
    linear(102, 0, 50, -50, 40);   // in the second
    linear(103, 1, -150, -100, 25);
    // SXF, in the second frame.
    const TJwwData::SxfLine ho1{1, 1, 1, 0, 0, 60, 68, 60, 82}, ho2{1, 1, 1, 0, 0, 110, 82, 110, 68};
    const TJwwData::SxfTen te{1, 1, 1, 0, 0, 1};
    const TJwwData::SxfKt kt1{1, 1, 0, 0, 0, 60, 68, 1}, kt2{1, 1, 0, 0, 0, 110, 68, 1};
    w.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 60, 80, 110, 80, 80, 81, 90, 81, 2, 2, 0, 0, u"", u"50", ho1, ho2,
                  te, te, kt1, kt2);
    // Diameter, radius, angle on group 1.
    w.AddEntLine(104, 1, 0, 1, 1, 0, 0, -100, 100, -80, 100);
    w.AddEntMoji(104, 1, 0, 1, 1, 0, 0, 0, -95, 101, -85, 101, 2, 2, 0, 0, u"", u"φ20");
    w.AddEntLine(105, 1, 0, 1, 1, 0, 0, -60, 100, -50, 100);
    w.AddEntMoji(105, 1, 0, 1, 1, 0, 0, 0, -58, 101, -52, 101, 2, 2, 0, 0, u"", u"R10");
    w.AddEntArc(106, 1, 0, 1, 1, 0, 0, -150, 60, 20, 1, 0, 60, 0);
    w.AddEntLine(106, 1, 0, 1, 1, 0, 0, -145, 60, -120, 60);
    w.AddEntMoji(106, 1, 0, 1, 1, 0, 0x82, 0, -135, 70, -125, 70, 2, 2, 0, 0, u"", u"60");
    // A group no recogniser takes.
    w.AddEntLine(107, 1, 0, 1, 1, 0, 0, 100, 100, 120, 100);
    w.AddEntMoji(107, 1, 0, 1, 1, 0, 0, 0, 100, 101, 110, 101, 2, 2, 0, 0, u"", u"abc");

    // Curve groups: a closed outline of lines and an arc in the first frame,
    // a T junction on group 1.
    w.AddEntLine(201, 0, 1, 2, 1, 0, 0, -150, -50, -100, -50);
    w.AddEntArc(201, 0, 1, 2, 1, 0, 0, -100, -25, 25, 1, -90, 180, 0);
    w.AddEntLine(201, 0, 1, 2, 1, 0, 0, -100, 0, -150, 0);
    w.AddEntLine(201, 0, 1, 2, 1, 0, 0, -150, 0, -150, -50);
    for (const auto& [x1, y1, x2, y2] : std::initializer_list<std::array<double, 4>>{
             {0, -120, 20, -120}, {20, -120, 40, -120}, {20, -120, 20, -100}})
        w.AddEntLine(202, 1, 1, 3, 1, 0, 0, x1, y1, x2, y2);
    // Block definition with a dimension and a chain, placed in the second frame.
    EXPECT_TRUE(w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 4, u"部品"));
    linear(301, 0, 0, 0, 20, 0);
    w.AddBlkLine(0, 302, 0, 0, 1, 1, 0, 0, 0, 20, 10, 20);
    w.AddBlkLine(0, 302, 0, 0, 1, 1, 0, 0, 10, 20, 10, 30);
    w.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 100, 0, 1, 1, 0);
    for (int i = 0; i < 5; ++i) w.AddEntLine(0, 1, 2, 1, 1, 0, 0, -190, -130 + i, -170, -130 + i);
    EXPECT_TRUE(w.AddEntPost());
    // Linear lengths as drawn: the reference group 1:1 (in a frame when there
    // are frames; R12 keeps the first frame only, the rest is drawn at the
    // common scale of group 1), group 1 at its scale unless model space has
    // one scale; a block's contents at the reference scale (mode 0), their
    // group's (1) or the common one (2).
    const double g1 = space == 0 ? 1 : 10, secondFrame = space == 2 && ver == kDxfR12 ? 10 : 1;
    return {30, 40 * secondFrame, 25 * g1, 50 * secondFrame, space == 2 ? 200.0 : 20.0};
}

class ExportReality : public dxftest::ExportFixture {};

TEST_F(ExportReality, EzdxfAuditsEveryExportAndFindsWhatWasWritten) {
    ZS_NEED_SAMPLES();
    if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is not installed";
    const fs::path dir = OutDir("ezdxf");
    std::vector<Export> exports;
    // Every combination, and once more with point symbols and TrueType styles.
    std::vector<Setting> settings = EverySetting();
    settings.push_back({kDxf2000, 1, true, true, 3, 2});
    settings.push_back({kDxfR12, 2, true, true, 5, 1});
    for (const Setting& s : settings) {
        Apply(s);
        for (const fs::path& in : Samples()) {
            Export x;
            ASSERT_TRUE(ExportSample(in, dir / (in.stem().string() + s.Name() + ".dxf"), s.ver, x)) << in;
            exports.push_back(x);
        }
        TJwwData dwg;
        const std::multiset<double> lengths = BuildConstructed(dwg, s.ver, s.space);
        Export x;
        ASSERT_TRUE(ExportDrawing(dwg, dir / ("constructed" + s.Name() + ".dxf"), s.ver, x));
        if (s.dims) x.linear = lengths;
        exports.push_back(x);
    }
    std::string files;
    for (const Export& x : exports) files += " " + Quote(x.dxf);
    std::string out;
    const int rc = dxftest::RunEzdxfCheck(files, out);
    if (rc == 2 && out.find("ezdxf missing") != std::string::npos) GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(rc, 0) << out;

    dxftest::EzdxfReport report = dxftest::ParseEzdxfReport(out);
    auto& facts = report.facts;
    int passed = 0, dimensions = 0;
    const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
    for (const Export& x : exports) {
        const int failuresBefore = result.total_part_count();
        const std::string path = x.dxf.string();
        SCOPED_TRACE(x.dxf.filename().string());
        ASSERT_TRUE(facts.contains(path)) << out;
        auto& f = facts[path];
        const auto& errors = report.errors[path];
        const auto& fixes = report.fixes[path];
        EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
        if (x.ver != kDxfR12) {
            EXPECT_TRUE(fixes.empty()) << ::testing::PrintToString(fixes);
        }
        EXPECT_EQ(f["saved"], "ok");
        EXPECT_EQ(f["version"], x.ver == kDxfR12 ? "AC1009" : (x.ver == kDxf2000 ? "AC1015" : "AC1021"));
        EXPECT_EQ(f["modelspace"], x.modelspace);
        for (const auto& [name, count] : x.layouts) EXPECT_EQ(f["layout:" + name], count) << name;
        for (const auto& [name, count] : x.viewports) EXPECT_EQ(f["viewports:" + name], count) << name;
        for (const auto& [name, count] : x.blocks) EXPECT_EQ(f["block:" + name], count) << name;
        std::multiset<double> linear;
        for (const dxftest::EzdxfDimension& dim : report.dimensions[path]) {
            EXPECT_TRUE(dim.found) << dim.block;
            if (dim.type == 0) linear.insert(std::round(dim.measurement * 1e6) / 1e6);
        }
        EXPECT_EQ(linear, x.linear);
        dimensions += static_cast<int>(report.dimensions[path].size());
        if (result.total_part_count() == failuresBefore) ++passed;
    }
    EXPECT_EQ(passed, static_cast<int>(exports.size()));
    std::printf("[ ezdxf    ] %d of %zu exports audited, saved again and counted without a fault (%d DIMENSIONs)\n",
                passed, exports.size(), dimensions);
}

TEST_F(ExportReality, LibreCadRendersEvery2000Export) {
    ZS_NEED_SAMPLES();
    if (!fs::exists("/usr/bin/librecad") || !fs::exists("/usr/bin/xvfb-run"))
        GTEST_SKIP() << "librecad or xvfb-run is not installed";
    const fs::path dir = OutDir("librecad");
    std::vector<fs::path> dxfs;
    for (const Setting& s : EverySetting()) {
        if (s.ver != kDxf2000) continue;
        Apply(s);
        for (const fs::path& in : Samples()) {
            Export x;
            ASSERT_TRUE(ExportSample(in, dir / (in.stem().string() + s.Name() + ".dxf"), kDxf2000, x)) << in;
            dxfs.push_back(x.dxf);
        }
        TJwwData dwg;
        BuildConstructed(dwg, s.ver, s.space);
        Export x;
        ASSERT_TRUE(ExportDrawing(dwg, dir / ("constructed" + s.Name() + ".dxf"), kDxf2000, x));
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
