// JWS figures as written: version adjustment, signature block, header values
// as held, the shared entity lists, and nothing after the definitions.
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::TJwsData;

TJwsData Figure() {
    TJwsData m;
    m.Enthd.jwVer = 700;
    m.EntLgrp.resize(16);
    for (int g = 0; g < 16; ++g) m.EntLgrp[g].adScale = 10 + g;
    m.Enthd.BasePoint_x = -1.5;
    m.Enthd.BasePoint_y = 2.25;
    m.Enthd.dmy01 = 1;
    m.Enthd.dmy06 = -6;
    m.Enthd.dmy11 = 11.5;
    m.Enthd.dmy16 = 16.5;
    m.Enthd.Mx1 = -100;
    m.Enthd.My1 = -50;
    m.Enthd.Mx2 = 100;
    m.Enthd.My2 = 50;
    AddLine(m, Line(0, 0, 1, 1, Att(1, 2, 9)));
    return m;
}

Bytes Header(const TJwsData& m, int ver) {
    B h;
    h.text("JwsData");
    for (int i = 0; i < 193; ++i) h.u8(0x2E);
    h.i(ver).d(m.Enthd.BasePoint_x).d(m.Enthd.BasePoint_y);
    for (int g = 0; g < 16; ++g) h.d(m.EntLgrp[g].adScale);
    const auto& e = m.Enthd;
    h.i(e.dmy01).i(e.dmy02).i(e.dmy03).i(e.dmy04).i(e.dmy05).i(e.dmy06);
    h.d(e.dmy11).d(e.dmy12).d(e.dmy13).d(e.dmy14).d(e.dmy15).d(e.dmy16);
    h.d(e.Mx1).d(e.My1).d(e.Mx2).d(e.My2);
    return h;
}

TEST(JwsWriter, VersionAdjustedHeaderAndEntities) {
    const std::pair<int, int> cases[] = {
        {220, 230}, {223, 230}, {225, 230}, {230, 230}, {300, 351},
        {351, 351}, {420, 420}, {600, 600}, {700, 700},
    };
    TempDir dir;
    for (const auto& [asked, written] : cases) {
        TJwsData m = Figure();
        ASSERT_TRUE(m.FileOut(dir / "f.jws", asked)) << m.LastError;
        EXPECT_EQ(m.Enthd.jwID, u"JwsData");
        const Bytes out = ReadFileBytes(dir.path() / "f.jws");
        const Bytes header = Header(m, written);
        ASSERT_EQ(header.size(), 452u);
        B body;
        body.w(1).newClass(written, "CDataSen");
        LineBody(body, m.EntLine[0], written).w(0);  // the file ends after the definition count
        EXPECT_EQ(Hex(out), Hex(B().bytes(header).bytes(body))) << asked;

        TJwsData back;
        ASSERT_TRUE(back.FileIn(dir / "f.jws")) << asked << " " << back.LastError;
        EXPECT_EQ(back.Enthd.jwVer, written);
    }
}

TEST(JwsWriter, NoImageSectionAndSxfSplit) {
    TJwsData m = Figure();
    m.BindImageExp = m.BindImageExr = true;
    m.BindImage = {{u"a.jpg", 3, false}};
    m.BindImageN = 1;
    AddMoji(m, Moji(u"^@BM%temp%a.jpg,1,2"));
    jw::TEntJwwSunpo d{};
    d.att = Att(1, 1);
    d.Sen.att = Att(1, 1);
    d.Moji = Moji(u"5");
    d.bSxfMode = 1;
    AddSunpo(m, d);
    TempDir dir;
    ASSERT_TRUE(m.FileOut(dir / "f.jws", 700));
    const Bytes at700 = ReadFileBytes(dir.path() / "f.jws");
    EXPECT_EQ(Hex(at700, at700.size() - 2), Hex(B().w(0)));  // ends with the definition count
    EXPECT_EQ(At(at700, 452).get<uint16_t>(), 3);
    ASSERT_TRUE(m.FileOut(dir / "f.jws", 300));
    EXPECT_EQ(At(ReadFileBytes(dir.path() / "f.jws"), 452).get<uint16_t>(), 9);  // dimension + 2 lines + 4 points
    TJwsData back;
    ASSERT_TRUE(back.FileIn(dir / "f.jws")) << back.LastError;
    EXPECT_EQ(back.EntLineN, 3);
    EXPECT_EQ(back.EntTenN, 4);
    EXPECT_EQ(back.EntSunpoN, 1);
}

TEST(JwsWriter, IncompleteGroupsFail) {
    TempDir dir;
    TJwsData never;
    EXPECT_FALSE(never.FileOut(dir / "f.jws", 700));
    EXPECT_FALSE(never.LastError.empty());
    EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
