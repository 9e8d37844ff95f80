// Bound images on saving: written after the definitions at 7.00 only.
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::TJwwData;
namespace fs = std::filesystem;

TEST(BoundImageSave, SectionOnlyAt700) {
    TempDir dir;
    fs::create_directories(dir.path() / "img");
    fs::create_directories(dir.path() / "back");
    const std::string picture(3000, 'p');
    WriteFile(dir.path() / "img" / "pic.png", picture);

    TJwwData m;
    m.SizeHeaderTables();
    m.Enthd.jwVer = 700;
    m.BindImageFolder = (dir / "img") + u"/";
    m.BindImageExp = m.BindImageExr = true;
    m.BindImage = {{u"pic.png", 3000, false}, {u"unused.png", 5, false}};
    m.BindImageN = 2;
    const JwString ref = u"^@BM%temp%pic.png,0,0,100,100,0";
    AddMoji(m, Moji(ref));

    struct Case {
        int ver;
        int images;  // images read back
    };
    for (const Case c : {Case{700, 1}, Case{600, 0}}) {
        const JwString out = dir / "d.jww";
        ASSERT_TRUE(m.FileOut(out, c.ver)) << m.LastError;
        const Bytes bytes = ReadFileBytes(dir.path() / "d.jww");
        if (c.ver == 700) {
            B tail;
            tail.w(0).i(1).str("pic.png").i(3000).text(picture.c_str());
            ASSERT_GT(bytes.size(), tail.v.size());
            EXPECT_TRUE(std::equal(tail.v.begin(), tail.v.end(), bytes.end() - tail.v.size()));
            EXPECT_TRUE(m.BindImage[0].exf);
            EXPECT_FALSE(m.BindImage[1].exf);
        } else {
            // The file ends with the definition count; the text keeps its reference.
            EXPECT_EQ(Hex(bytes, bytes.size() - 2), Hex(B().w(0)));
        }
        TJwwData back;
        back.BindImageFolder = (dir / "back") + u"/";
        back.BindImageExp = true;
        ASSERT_TRUE(back.FileIn(out)) << back.LastError;
        EXPECT_EQ(back.BindImageN, c.images) << c.ver;
        ASSERT_EQ(back.EntMojiN, 1);
        EXPECT_EQ(back.EntMoji[0].str, ref);
        if (c.images) {
            const Bytes extracted = ReadFileBytes(dir.path() / "back" / "pic.png");
            EXPECT_EQ(std::string(extracted.begin(), extracted.end()), picture);
        }
    }
}

}  // namespace
