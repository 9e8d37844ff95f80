// What an export writes besides its own DXF, on drawings that try to make it
// write elsewhere: block definitions that contain themselves, bound images
// named like the DXF or like a link in the output folder, linked images that
// are no pictures, and outputs that are devices.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "dxf_test_util.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

class ExportFiles : public dxftest::ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        dir = dxftest::FreshDir(fs::path(ZS_BINARY_DIR) / "dxf_export_files" /
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir / "img");
        fs::create_directories(dir / "out");
        d.DataDefaultSet();
        d.BindImageExp = d.BindImageExr = true;
        d.BindImageFolder = U(dir / "img") + u"/";
        DxfOutNoLinkedImages = false;
    }
    void TearDown() override {
        DxfOutNoLinkedImages = false;
        ExportFixture::TearDown();
    }
    static JwString U(const fs::path& p) { return FromUtf8(p.string()); }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // An image text at the origin, 10 mm wide, naming file.
    void ImageText(const JwString& file) {
        ASSERT_TRUE(d.AddEntPre());
        d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BM" + file + u",10,0,0,0,0,0");
        ASSERT_TRUE(d.AddEntPost());
    }
    // A bound image of the drawing, its extracted file in img/.
    void Bound(const std::string& name, const std::string& bytes) {
        dxftest::WriteFile(dir / "img" / name, bytes);
        d.BindImage.push_back({FromUtf8(name), static_cast<int32_t>(bytes.size()), false});
        d.BindImageN = static_cast<int32_t>(d.BindImage.size());
        ImageText(u"%temp%" + FromUtf8(name));
    }
    bool Export(const fs::path& out) {
        d.GetMinMaxZahyo();
        return d.FileOutDXF(U(out), kDxf2007);
    }

    fs::path dir;
    TJwwData d;
};

// Definition SELF holds itself, B and C hold each other: the inserts that
// would close those cycles are left out of the DXF, which ezdxf then audits
// without error, and the export says how many.
TEST_F(ExportFiles, CyclicDefinitionsStayOutOfTheDxf) {
    ASSERT_TRUE(d.AddEntPre());
    for (const char16_t* name : {u"SELF", u"B", u"C"}) d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, name);
    for (int32_t def = 0; def < 3; ++def) d.AddBlkLine(def, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
    d.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0);  // SELF holds SELF
    d.AddBlkBlock(1, 0, 0, 0, 1, 1, 0, 0, 2, 0, 0, 1, 1, 0);  // B holds C
    d.AddBlkBlock(2, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0);  // C holds B
    d.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5, 5, 1, 1, 0);
    d.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 1, 50, 5, 1, 1, 0);
    ASSERT_TRUE(d.AddEntPost());
    const fs::path out = dir / "out" / "cycles.dxf";
    ASSERT_TRUE(Export(out)) << d.LastError;
    EXPECT_EQ(d.DxfWarnings,
              std::vector<std::string>{"2 block inserts left out: each would make a block definition contain itself"});

    if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is not installed";
    std::string report;
    const int rc = dxftest::RunEzdxfCheck(" '" + out.string() + "'", report);
    if (rc == 2 && report.find("ezdxf missing") != std::string::npos) GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(rc, 0) << report;
    dxftest::EzdxfReport r = dxftest::ParseEzdxfReport(report);
    EXPECT_TRUE(r.errors[out.string()].empty()) << report;
    auto& facts = r.facts[out.string()];
    EXPECT_EQ(facts["block:SELF"], "1");  // its line
    EXPECT_EQ(facts["block:B"], "2");     // its line and C
    EXPECT_EQ(facts["block:C"], "1");     // its line; B would close the cycle
}

// A bound image named like the DXF, and one named like a link in the output
// folder that points elsewhere: neither replaces the DXF nor writes through
// the link; each gets a free name, and the DXF names the copies.
TEST_F(ExportFiles, ImageCopiesTakeFreeNamesOnly) {
    const std::string png = dxftest::PngBytes(4, 2);
    Bound("coll.dxf", png);
    Bound("pic.png", png);
    fs::create_symlink("../elsewhere/target.png", dir / "out" / "pic.png");
    const fs::path out = dir / "out" / "coll.dxf";
    ASSERT_TRUE(Export(out)) << d.LastError;
    const std::string dxf = Read(out);
    EXPECT_EQ(dxf.substr(0, 5), "999\r\n");
    EXPECT_EQ(Read(dir / "out" / "coll_1.dxf"), png);
    EXPECT_EQ(Read(dir / "out" / "pic_1.png"), png);
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "pic.png"));
    EXPECT_NE(dxf.find("\r\ncoll_1.dxf\r\n"), std::string::npos);
    EXPECT_NE(dxf.find("\r\npic_1.png\r\n"), std::string::npos);
    EXPECT_EQ(dxf.find("\r\ncoll.dxf\r\n"), std::string::npos);
}

// An image the drawing links to is copied only when its bytes are a picture
// (here a picture compressed with gzip, whose size the export can read but
// which is no picture as it is); with linked images switched off nothing of
// them is read or copied, while bound images still are.
TEST_F(ExportFiles, LinkedImagesOnlyWhenPictures) {
    fs::create_directories(dir / "outside");
    dxftest::WriteFile(dir / "outside" / "real.png", dxftest::PngBytes(3, 3));
    dxftest::WriteFile(dir / "outside" / "packed.png", dxftest::GzipBytes(dxftest::PngBytes(3, 3)));
    ImageText(U(dir / "outside" / "real.png"));
    ImageText(U(dir / "outside" / "packed.png"));
    Bound("bound.png", dxftest::PngBytes(2, 2));
    const fs::path out = dir / "out" / "d.dxf";
    EXPECT_FALSE(Export(out));
    EXPECT_EQ(d.LastError, "cannot copy the image " + (dir / "outside" / "packed.png").string() + " to " +
                               (dir / "out" / "packed.png").string() + ": it is not a picture the export reads");
    EXPECT_EQ(Read(dir / "out" / "real.png"), dxftest::PngBytes(3, 3));
    EXPECT_FALSE(fs::exists(dir / "out" / "packed.png"));
    EXPECT_TRUE(fs::exists(out));

    dxftest::FreshDir(dir / "out");
    DxfOutNoLinkedImages = true;
    ASSERT_TRUE(Export(out)) << d.LastError;
    std::vector<std::string> written;
    for (const auto& e : fs::directory_iterator(dir / "out")) written.push_back(e.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"bound.png", "d.dxf"}));
    EXPECT_EQ(Read(out).find("real.png"), std::string::npos);
}

// A DXF that goes to a device is written there; the device stays what it
// was, and no image copy goes beside it.
TEST_F(ExportFiles, DeviceOutputGetsNoCopies) {
    if (!fs::is_character_file("/dev/null")) GTEST_SKIP() << "no /dev/null";
    Bound("beside-dev-null.png", dxftest::PngBytes(2, 2));
    ASSERT_TRUE(Export("/dev/null")) << d.LastError;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(fs::exists("/dev/beside-dev-null.png"));
    EXPECT_EQ(d.DxfWarnings, std::vector<std::string>{"the images are not copied: the DXF goes to a device or FIFO"});
}

}  // namespace
}  // namespace jw
