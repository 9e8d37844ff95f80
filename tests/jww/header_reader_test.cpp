// JWW header layout at every version threshold, derived values, failures;
// the JWS header.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "jw_test_bytes.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using test::ByteBuilder;

// A header whose every field holds a distinct value, so that a field read
// from the wrong place shows.
TJwwData DistinctHeaderModel() {
    TJwwData m = test::PlainHeaderModel();
    TEntJwwHeader& h = m.Enthd;
    h.strMemo = u"memo\r\nline2";
    h.nZumen = 3;
    h.nWriteGLay = 5;
    for (int g = 0; g < 16; ++g) {
        m.EntLgrp[g] = {g + 100, g % 16, 10.0 * (g + 1), g & 1, u"G" + std::u16string(1, u'a' + g)};
        for (int l = 0; l < 16; ++l) m.EntLay[g * 16 + l] = {g * 16 + l, l & 1, u"L\t" + std::u16string(1, u'a' + l)};
    }
    h.lnSunpou1 = 11, h.lnSunpou2 = 12, h.lnSunpou3 = 13, h.lnSunpou4 = 14, h.lnSunpou5 = 15;
    h.nMaxDrawWid = -450;
    h.DPPrtGenten_x = 1.25, h.DPPrtGenten_y = 2.25, h.dPrtBairitsu = 0.5;
    h.nPrtSet = 21, h.nMemoriMode = 22;
    h.dMemoriHyoujiMin = 3.5, h.dMemoriX = 4.5, h.dMemoriY = 5.5, h.DpMemoriKjTen_x = 6.5, h.DpMemoriKjTen_y = 7.5;
    h.dKageLevel = 8.5, h.dKageIdo = 35.5, h.nKage9_15JiFlg = 1, h.dKabeKageLevel = 9.5;
    h.dTenkuuZuLevel = 10.5, h.dTenkuuZuEnkoR = 11.5, h.nMMTani3D = 1;
    h.dBairitsu = 12.5, h.DPGenten_x = 13.5, h.DPGenten_y = 14.5;
    h.dHanniBairitsu = 15.5, h.DPHanniGenten_x = 16.5, h.DPHanniGenten_y = 17.5;
    for (int k = 0; k < 8; ++k) {
        h.dZoomJumpBairitsu[k] = 20 + k;
        h.DPZoomJumpGenten_x[k] = 30 + k;
        h.DPZoomJumpGenten_y[k] = 40 + k;
        h.nZoomJumpGLay[k] = k;
    }
    h.dDm11 = 51, h.dDm12 = 52, h.dDm13 = 53, h.lnDm1 = 54, h.dDm21 = 55, h.dDm22 = 56;
    h.dMojiBG = 57, h.nMojiBG = 58;
    for (int k = 0; k < 10; ++k) h.adFukusenSuuchi[k] = 60 + k;
    h.dRyougawaFukusenTomeDe = 70;
    for (int c = 0; c < 10; ++c) m.EntCol[c] = {c + 1, c + 2, c + 3, c + 4, c + 0.25};
    for (int t = 0; t < 8; ++t) m.EntLtp1[t] = {0x1000 + t, t, t + 1, t + 2};
    for (int r = 0; r < 5; ++r) m.EntLtp2[r] = {0x2000 + r, r, r + 1, r + 2, r + 3};
    for (int d = 0; d < 4; ++d) m.EntLtp3[d] = {0x3000 + d, d, d + 1, d + 2};
    h.nDrawGamenTen = 1, h.nDrawPrtTen = 2, h.nBitMapFirstDraw = 3, h.nGyakuDraw = 4, h.nGyakuSearch = 5;
    h.nColorPrint = 6, h.nLayJunPrint = 7, h.nColJunPrint = 8, h.nPrtRenzoku = 9, h.nPrtKyoutsuuGray = 10;
    h.nPrtDpi = 2, h.nPrtDispOnlyNonDraw = 1;
    h.lnDrawTime = 3725, h.nEyeInit = 1, h.dEye_H_Ichi_1 = 71, h.dEye_H_Ichi_2 = 72, h.dEye_H_Ichi_3 = 73;
    h.dEye_Z_Ichi_1 = 74, h.dEye_Y_Ichi_1 = 75, h.dEye_Z_Ichi_2 = 76, h.dEye_Y_Ichi_2 = 77, h.dEye_V_Ichi_3 = 78;
    h.dSenNagasaSnpou = 81, h.dBoxSunpouX = 82, h.dBoxSunpouY = 83, h.dEnHankeiSnpou = 84;
    h.nSolidNinniColor = 1, h.SolidColor = 0x123456;
    for (int i = 0; i < 257; ++i)
        m.EntColS[i] = {i + 1, i + 2, u"C" + std::u16string(1, u'A' + i % 26), i + 3, i + 4, i * 0.5};
    for (int k = 0; k < 33; ++k) {
        m.EntLtpS[k].alLType = 0x4000 + k;
        m.EntLtpS[k].anTokushuSenUintDot = k;
        m.EntLtpS[k].anTokushuSenPich = k + 1;
        m.EntLtpS[k].anPrtTokushuSenPich = k + 2;
        m.EntLtpS[k].astrUDLTypeName = u"T" + std::u16string(1, u'A' + k % 26);
        m.EntLtpS[k].anUDLTypeSegment = k % 10;
        for (int p = 0; p < 10; ++p) m.EntLtpS[k].aadUDLTypePitch[p] = k + p * 0.125;
    }
    for (int i = 0; i < 10; ++i) m.EntMoj[i] = {i + 1.0, i + 2.0, i + 0.5, i + 1};
    m.EntMoj[2].adMojiX = NAN;
    m.EntMoj[2].adMojiD = INFINITY;
    h.dMojiSizeX = 91, h.dMojiSizeY = -INFINITY, h.dMojiKankaku = NAN;
    h.nMojiColor = 2, h.nMojiShu = 3, h.dMojiSeiriGyouKan = 92, h.dMojiSeiriSuu = 93, h.nMojiKijunZureOn = 1;
    h.adMojiKijunZureX0 = 94, h.adMojiKijunZureX1 = 95, h.adMojiKijunZureX2 = 96;
    h.adMojiKijunZureY0 = 97, h.adMojiKijunZureY1 = 98, h.adMojiKijunZureY2 = 99;
    return m;
}

struct VersionCase {
    int ver;
    bool row17, row20a, row30, row31, row32, sxf;
};

// Readable test output: the version instead of the case's bytes.
void PrintTo(const VersionCase& c, std::ostream* os) { *os << "version " << c.ver; }

class HeaderVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(HeaderVersionTest, ReadsTheRowsOfItsVersion) {
    const VersionCase c = GetParam();
    const TJwwData src = DistinctHeaderModel();
    ByteBuilder b;
    test::AppendJwwHeader(b, c.ver, src);
    const size_t headerEnd = b.Size();
    b.Count(0).Count(0);  // empty entity list and definitions
    if (c.ver >= 700) b.I32(0);

    TJwwData m;
    m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(b.bytes.data(), b.Size(), u"h.jww")) << m.LastError;
    EXPECT_EQ(m.ReadEnd, b.Size());
    EXPECT_GT(headerEnd, 0u);
    const TEntJwwHeader& h = m.Enthd;
    const TEntJwwHeader& s = src.Enthd;
    const TEntJwwHeader init{};

    // Rows every version holds.
    EXPECT_EQ(h.jwID, u"JwwData.");
    EXPECT_EQ(h.jwVer, c.ver);
    EXPECT_EQ(h.strMemo, u"memo\r\nline2");
    EXPECT_EQ(m.EntLgrp[15].adScale, 160.0);
    EXPECT_EQ(m.EntLay[255].aanLay, 255);
    EXPECT_EQ(m.EntLay[17].aStrLayName, u"Lb");  // TAB removed
    EXPECT_EQ(m.EntLgrp[2].aStrGLayName, u"Gc");
    EXPECT_EQ(h.lnSunpou5, 15);
    EXPECT_EQ(h.nMaxDrawWid, -450);
    EXPECT_EQ(h.DpMemoriKjTen_y, 7.5);
    EXPECT_EQ(h.dKabeKageLevel, 9.5);
    EXPECT_EQ(h.nMMTani3D, 1);
    EXPECT_EQ(h.DPHanniGenten_y, 17.5);
    EXPECT_EQ(h.dZoomJumpBairitsu[3], 23);
    EXPECT_EQ(h.DPZoomJumpGenten_y[3], 43);
    EXPECT_EQ(h.adFukusenSuuchi[9], 69);
    EXPECT_EQ(m.EntCol[9].adPrtTenHankei, 9.25);
    EXPECT_EQ(m.EntLtp3[3].anPrtTokushuSenPich, 5);
    EXPECT_EQ(h.nPrtKyoutsuuGray, 10);
    EXPECT_EQ(h.nPrtDpi, 2);
    EXPECT_EQ(h.nPrtDispOnlyNonDraw, 1);
    EXPECT_EQ(m.EntMoj[9].anMojiCol, 10);
    EXPECT_EQ(h.nMojiKijunZureOn, 1);
    EXPECT_EQ(h.adMojiKijunZureY2, 99);

    // Conditional rows: read where the version holds them, initial values elsewhere.
    EXPECT_EQ(h.dTenkuuZuEnkoR, c.row17 ? s.dTenkuuZuEnkoR : init.dTenkuuZuEnkoR);
    EXPECT_EQ(h.dZoomJumpBairitsu[4], c.row20a ? s.dZoomJumpBairitsu[4] : init.dZoomJumpBairitsu[4]);
    EXPECT_EQ(h.nZoomJumpGLay[0], c.row20a ? s.nZoomJumpGLay[0] : -1);
    EXPECT_EQ(h.nMojiBG, c.row20a ? s.nMojiBG : 0);
    EXPECT_EQ(h.lnDrawTime, c.row30 ? s.lnDrawTime : 0);
    EXPECT_EQ(h.dEye_V_Ichi_3, c.row30 ? s.dEye_V_Ichi_3 : 0);
    EXPECT_EQ(h.dEnHankeiSnpou, c.row31 ? s.dEnHankeiSnpou : 0);
    EXPECT_EQ(h.SolidColor, c.row32 ? s.SolidColor : 0);
    ASSERT_EQ(m.EntColS.size(), 257u);
    ASSERT_EQ(m.EntLtpS.size(), 33u);
    EXPECT_EQ(m.EntColS[256].aPenColor, c.sxf ? 257 : 0);
    EXPECT_EQ(m.EntColS[30].astrUDColorName, c.sxf ? u"CE" : u"");
    EXPECT_EQ(m.EntLtpS[32].aadUDLTypePitch[9], c.sxf ? 32 + 9 * 0.125 : 0);
}

// 700 is the highest version and reads the bound-image count after the
// definitions; every other threshold sits on both sides.
INSTANTIATE_TEST_SUITE_P(Thresholds, HeaderVersionTest,
                         ::testing::Values(VersionCase{220, false, false, false, false, false, false},
                                           VersionCase{222, false, false, false, false, false, false},
                                           VersionCase{223, false, false, true, false, false, false},
                                           VersionCase{224, false, false, true, false, false, false},
                                           VersionCase{225, false, false, true, true, false, false},
                                           VersionCase{230, false, false, true, true, true, false},
                                           VersionCase{231, false, true, true, true, true, false},
                                           VersionCase{299, false, true, true, true, true, false},
                                           VersionCase{300, true, true, true, true, true, false},
                                           VersionCase{351, true, true, true, true, true, false},
                                           VersionCase{419, true, true, true, true, true, false},
                                           VersionCase{420, true, true, true, true, true, true},
                                           VersionCase{600, true, true, true, true, true, true},
                                           VersionCase{700, true, true, true, true, true, true}),
                         [](const auto& info) { return std::to_string(info.param.ver); });

TEST(HeaderReaderTest, DerivedValuesAndRepairs) {
    const TJwwData src = DistinctHeaderModel();
    ByteBuilder b;
    test::AppendJwwHeader(b, 600, src);
    TJwwData m;
    // Header alone: it is read, then the missing entity count fails.
    EXPECT_FALSE(m.BufferIn(b.bytes.data(), b.Size(), u"x"));
    EXPECT_EQ(m.LastError, kErrFileIO);
    EXPECT_EQ(m.ReadEnd, b.Size());
    EXPECT_TRUE(m.Enthd.bSenHaba100);
    EXPECT_EQ(m.Enthd.nMaxDrawWidBak, -50);
    EXPECT_EQ(m.EntMoj[2].adMojiX, 3.0);
    EXPECT_EQ(m.EntMoj[2].adMojiY, 4.0);
    EXPECT_EQ(m.EntMoj[2].adMojiD, 0.0);
    EXPECT_EQ(m.Enthd.dMojiSizeX, 91);
    EXPECT_EQ(m.Enthd.dMojiSizeY, 3.0);
    EXPECT_EQ(m.Enthd.dMojiKankaku, 0.0);
}

TEST(HeaderReaderTest, LineWidthModes) {
    const std::tuple<int32_t, bool, int32_t> cases[] = {
        {-450, true, -50}, {-250, true, 50}, {-101, true, -100}, {-350, true, -100},
        {-100, false, -100}, {5, false, 5},
    };
    for (auto [wid, mode, bak] : cases) {
        TJwwData src = test::PlainHeaderModel();
        src.Enthd.nMaxDrawWid = wid;
        ByteBuilder b;
        test::AppendJwwHeader(b, 600, src);
        b.Count(0).Count(0);
        TJwwData m;
        ASSERT_TRUE(m.BufferIn(b.bytes.data(), b.Size(), u"x"));
        EXPECT_EQ(m.Enthd.bSenHaba100, mode) << wid;
        EXPECT_EQ(m.Enthd.nMaxDrawWidBak, bak) << wid;
    }
}

TEST(HeaderReaderTest, Failures) {
    struct Case {
        const char* signature;
        int ver;
        size_t cut;  // bytes removed from the end of the header
        const char* error;
    };
    const Case cases[] = {
        {"JwwData.", 219, 0, kErrJwwVersion}, {"JwwData.", 701, 0, kErrJwwVersion},
        {"JwwDatX.", 600, 0, kErrJwwHeader},  {"JwsData.", 600, 0, kErrJwwHeader},
        {"JwwData.", 600, 8, kErrFileIO},      {"JwwData.", 600, 500, kErrFileIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signature + std::to_string(c.ver));
        ByteBuilder b;
        test::AppendJwwHeader(b, c.ver, test::PlainHeaderModel(), c.signature);
        b.bytes.resize(b.Size() - c.cut);
        TJwwData m;
        EXPECT_FALSE(m.BufferIn(b.bytes.data(), b.Size(), u"x"));
        EXPECT_EQ(m.LastError, c.error);
        EXPECT_EQ(m.EntLay.size(), 256u);  // tables have their lengths even then
    }
    // 220 and 700 are accepted, like every value between.
    for (int ver : {220, 700}) {
        ByteBuilder b;
        test::AppendJwwHeader(b, ver, test::PlainHeaderModel());
        b.Count(0).Count(0);
        TJwwData m;
        EXPECT_TRUE(m.BufferIn(b.bytes.data(), b.Size(), u"x"));
    }
}

TEST(HeaderReaderTest, FileCheckAndFileHeaderIn) {
    test::TempFolder t;
    ByteBuilder good;
    test::AppendJwwHeader(good, 420, DistinctHeaderModel());
    const size_t headerEnd = good.Size();
    good.Count(7);
    ByteBuilder badVer;
    test::AppendJwwHeader(badVer, 701, test::PlainHeaderModel());

    const std::string g = t.File("g.jww", good.bytes), v = t.File("v.jww", badVer.bytes);
    const std::string s = t.File("s.jww", {'J', 'w', 'w', 'D'});
    TJwwData m;
    EXPECT_TRUE(m.FileCheck(FromUtf8(g)));
    EXPECT_FALSE(m.FileCheck(FromUtf8(v)));
    EXPECT_FALSE(m.FileCheck(FromUtf8(s)));
    // A version cut short reads its missing bytes as zero: 0x012C = 300.
    const std::string p = t.File("p.jww", {'J', 'w', 'w', 'D', 'a', 't', 'a', '.', 0x2C, 0x01});
    EXPECT_TRUE(m.FileCheck(FromUtf8(p)));
    EXPECT_FALSE(m.FileCheck(FromUtf8((t.path() / "missing.jww").string())));
    EXPECT_FALSE(m.FileCheck(FromUtf8(t.path().string())));

    ASSERT_TRUE(m.FileHeaderIn(FromUtf8(g)));
    EXPECT_EQ(m.ReadEnd, headerEnd);  // left at the first byte of the entity list
    EXPECT_EQ(m.Enthd.jwVer, 420);
    EXPECT_EQ(m.EntColS[256].aPenColor, 257);
    EXPECT_EQ(m.EntLineN, 0);
    EXPECT_EQ(m.Enthd.n1, 0);
    EXPECT_FALSE(m.FileHeaderIn(FromUtf8(v)));
    EXPECT_EQ(m.Enthd.jwVer, 701);
    EXPECT_EQ(m.LastError, kErrJwwVersion);
    EXPECT_FALSE(m.FileHeaderIn(FromUtf8((t.path() / "missing.jww").string())));
}

// FileHeaderIn reads the start of a file first; a header that runs past it
// (long layer names) is read as if the whole file had been read at once.
TEST(HeaderReaderTest, FileHeaderInOfALongHeader) {
    TJwwData src = DistinctHeaderModel();
    for (int i = 0; i < 256; ++i) src.EntLay[i].aStrLayName = JwString(1000, static_cast<char16_t>(u'a' + i % 26));
    ByteBuilder b;
    test::AppendJwwHeader(b, 700, src);
    const size_t headerEnd = b.Size();
    ASSERT_GT(headerEnd, 256u * 1000u);
    b.Count(0).Count(0);
    test::TempFolder t;
    const std::string whole = t.File("w.jww", b.bytes);
    const std::string cut = t.File("c.jww", std::vector<uint8_t>(b.bytes.begin(), b.bytes.begin() + (headerEnd - 8)));

    TJwwData m;
    ASSERT_TRUE(m.FileHeaderIn(FromUtf8(whole))) << m.LastError;
    EXPECT_EQ(m.ReadEnd, headerEnd);
    EXPECT_EQ(m.EntLay[255].aStrLayName, src.EntLay[255].aStrLayName);
    EXPECT_EQ(+m.Enthd.adMojiKijunZureY2, +src.Enthd.adMojiKijunZureY2);  // the header's last field
    // Cut inside its last field: the failure of a read of the whole file.
    EXPECT_FALSE(m.FileHeaderIn(FromUtf8(cut)));
    EXPECT_EQ(m.LastError, kErrFileIO);
    EXPECT_EQ(m.ReadEnd, headerEnd - 8);
}

TEST(JwsHeaderTest, FieldsAndFailures) {
    ByteBuilder body;
    body.Count(0).Count(0);
    std::vector<uint8_t> f = test::JwsFile(600, body);
    for (size_t i = 7; i < 200; ++i) f[i] = static_cast<uint8_t>(i);  // any filler
    TJwsData m;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"f.jws")) << m.LastError;
    EXPECT_EQ(m.ReadEnd, f.size());
    EXPECT_EQ(m.Enthd.jwID, u"JwsData");
    EXPECT_EQ(m.Enthd.BasePoint_y, 20);
    ASSERT_EQ(m.EntLgrp.size(), 16u);
    EXPECT_EQ(m.EntLgrp[15].adScale, 16);
    EXPECT_EQ(m.EntLgrp[15].anGLay, 2);
    EXPECT_EQ(m.Enthd.dmy06, 5);
    EXPECT_EQ(m.Enthd.dmy16, 2.5);
    EXPECT_EQ(m.Enthd.My2, 4.5);

    const std::pair<int, const char*> versions[] = {{220, kErrJwsVersion}, {229, kErrJwsVersion},
                                                     {701, kErrJwsVersion}, {230, ""}, {700, ""}};
    for (auto [ver, err] : versions) {
        const std::vector<uint8_t> v = test::JwsFile(ver, body);
        TJwsData j;
        EXPECT_EQ(j.BufferIn(v.data(), v.size(), u"v"), *err == 0) << ver;
        EXPECT_EQ(j.LastError, err);
    }
    std::vector<uint8_t> sig = f;
    sig[6] = 'b';
    EXPECT_FALSE(m.BufferIn(sig.data(), sig.size(), u"s"));
    EXPECT_EQ(m.LastError, kErrJwsHeader);
    std::vector<uint8_t> cut(f.begin(), f.begin() + 200 + 4 + 16 + 128 + 24 + 48 + 31);
    EXPECT_FALSE(m.BufferIn(cut.data(), cut.size(), u"c"));
    EXPECT_EQ(m.LastError, kErrFileIO);

    test::TempFolder t;
    const std::string good = t.File("a.JWS", f), bad = t.File("b.jws", sig);
    const std::string shortFile = t.File("c.jws", std::vector<uint8_t>(f.begin(), f.begin() + 203));
    EXPECT_TRUE(m.FileCheck(FromUtf8(good)));
    EXPECT_FALSE(m.FileCheck(FromUtf8(bad)));
    EXPECT_FALSE(m.FileCheck(FromUtf8(shortFile)));
    EXPECT_TRUE(m.FileHeaderIn(FromUtf8(good)));
    EXPECT_EQ(m.ReadEnd, f.size() - 4);
}

}  // namespace
}  // namespace jw
