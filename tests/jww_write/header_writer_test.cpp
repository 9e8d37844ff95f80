// The JWW header as written: rows and their version conditions, and the
// values the writer normalises.
#include "jww/jw_test_bytes.h"
#include "model_compare.h"
#include "support/numbers.h"
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::TJwwData;

Bytes Written(TJwwData& m, int ver, int opt = 0) {
    TempDir dir;
    const JwString path = dir / "out.jww";
    m.SetFileOutOption(opt);
    EXPECT_TRUE(m.FileOut(path, ver)) << m.LastError;
    EXPECT_TRUE(m.LastError.empty());
    return ReadFileBytes(dir.path() / "out.jww");
}

TJwwData Empty() {
    TJwwData m;
    m.SizeHeaderTables();
    return m;
}

// Offsets of the header rows of a model whose memo and names are all empty.
struct Rows {
    Rows(int v, size_t s) : ver(v), size(s) {}
    int ver;
    size_t size;  // file size: header, the two zero counts, the image count at 7.00
    size_t headerEnd() const { return size - 4 - (ver >= 700 ? 4 : 0); }
    size_t t() const { return 2845 + (ver >= 300 ? 16 : 0); }  // row 15
    size_t row16() const { return t() + 52; }
    size_t row18() const { return row16() + (ver > 230 ? 280 : 96) + 88; }
    size_t row19() const { return row18() + 80; }
    size_t row24() const { return row19() + 160 + 128 + 100 + 64 + 40; }
    size_t row25() const { return row24() + 4; }
    size_t row28() const { return row25() + (ver >= 223 ? 60 : 0) + (ver >= 225 ? 32 : 0) + (ver >= 230 ? 8 : 0); }
    size_t row29() const { return headerEnd() - 380; }
};

constexpr size_t kRow9 = 2469;  // nMaxDrawWid

TEST(HeaderWriter, LengthAtEveryVersionThreshold) {
    // Header lengths of an all-zero model: 4037 bytes at 2.20; +60 drawing time
    // and eye settings (2.23); +32 last sizes (2.25); +8 solid colour (2.30);
    // +184 for eight jump marks instead of four (above 2.30); +16 sky map
    // (3.00); +12215 extended tables (4.20).
    const std::pair<int, size_t> cases[] = {
        {220, 4037},  {223, 4097},  {225, 4129},  {230, 4137},  {231, 4321},
        {300, 4337},  {351, 4337},  {420, 16552}, {600, 16552}, {700, 16552},
    };
    TempDir dir;
    for (const auto& [ver, header] : cases) {
        TJwwData m = Empty();
        ASSERT_TRUE(m.FileOut(dir / "h.jww", ver)) << m.LastError;
        const Bytes out = ReadFileBytes(dir.path() / "h.jww");
        const size_t tail = 4 + (ver >= 700 ? 4 : 0);
        ASSERT_EQ(out.size(), header + tail) << ver;
        EXPECT_EQ(std::string(out.begin(), out.begin() + 8), "JwwData.");
        EXPECT_EQ(At(out, 8).i(), ver);
        EXPECT_EQ(Hex(out, header), Hex(B().w(0).w(0).raw("\0\0\0\0", tail - 4))) << ver;
        EXPECT_EQ(m.Enthd.jwID, u"JwwData.");
        // The reader takes every version back.
        TJwwData back;
        EXPECT_TRUE(back.FileIn(dir / "h.jww")) << ver << " " << back.LastError;
        EXPECT_EQ(back.Enthd.jwVer, ver);
    }
}

// A header whose every field holds its own value, each one that every
// version writes as held (pens, sizes and names within what the writer
// keeps).
TJwwData HeldAsIs() {
    TJwwData m = Empty();
    jw::TEntJwwHeader& h = m.Enthd;
    h.strMemo = u"m\r\n1";
    int32_t n = 1;
    for (int32_t* f : {&h.nZumen, &h.nWriteGLay, &h.lnSunpou1, &h.lnSunpou5, &h.nPrtSet, &h.nMemoriMode,
                       &h.nKage9_15JiFlg, &h.nMMTani3D, &h.lnDm1, &h.nMojiBG, &h.nDrawGamenTen, &h.nGyakuSearch,
                       &h.nPrtKyoutsuuGray, &h.lnDrawTime, &h.nEyeInit, &h.dEye_H_Ichi_1, &h.dEye_H_Ichi_3,
                       &h.nSolidNinniColor, &h.SolidColor, &h.nMojiColor, &h.nMojiShu, &h.nMojiKijunZureOn})
        *f = ++n;
    double x = 0.5;
    for (double* f : {&h.DPPrtGenten_x, &h.dPrtBairitsu, &h.dMemoriHyoujiMin, &h.DpMemoriKjTen_y, &h.dKageLevel,
                      &h.dKabeKageLevel, &h.dTenkuuZuLevel, &h.dTenkuuZuEnkoR, &h.dBairitsu, &h.DPHanniGenten_y,
                      &h.dDm11, &h.dDm22, &h.dMojiBG, &h.dRyougawaFukusenTomeDe, &h.dEye_Z_Ichi_1, &h.dEye_V_Ichi_3,
                      &h.dSenNagasaSnpou, &h.dEnHankeiSnpou, &h.dMojiSizeX, &h.dMojiSizeY, &h.dMojiKankaku,
                      &h.dMojiSeiriSuu, &h.adMojiKijunZureX0, &h.adMojiKijunZureY2})
        *f = x += 1.25;
    h.nMaxDrawWid = h.nMaxDrawWidBak = 5;
    h.nPrtDpi = 2;
    h.nPrtDispOnlyNonDraw = 1;
    for (int k = 0; k < 8; ++k) {
        h.dZoomJumpBairitsu[k] = 20 + k;
        h.DPZoomJumpGenten_y[k] = 40 + k;
        h.nZoomJumpGLay[k] = k;
    }
    for (int k = 0; k < 10; ++k) h.adFukusenSuuchi[k] = 60 + k;
    for (int g = 0; g < 16; ++g) {
        m.EntLgrp[g] = {g + 100, g, 10.0 * (g + 1), g & 1, u"G" + jw::IntStr(g)};
        for (int l = 0; l < 16; ++l) m.EntLay[g * 16 + l] = {l, l & 1, u"L" + jw::IntStr(g * 16 + l)};
    }
    for (int c = 0; c < 10; ++c) m.EntCol[c] = {0x10101 * c, c + 1, c == 0 ? 0xFFFFFF : c + 3, c + 4, c + 0.25};
    for (int t = 0; t < 8; ++t) m.EntLtp1[t] = {0x1000 + t, t, t + 1, t + 2};
    for (int r = 0; r < 5; ++r) m.EntLtp2[r] = {0x2000 + r, r, r + 1, r + 2, r + 3};
    for (int d = 0; d < 4; ++d) m.EntLtp3[d] = {0x3000 + d, d, d + 1, d + 2};
    for (int i = 0; i < 257; ++i) {
        const int32_t printer = i < 17 ? i + 3 : i + 1;  // a user's colour prints in its screen colour
        m.EntColS[i] = {i + 1, i + 2, u"C" + jw::IntStr(i), printer, i + 4, i * 0.5};
    }
    for (int k = 0; k < 33; ++k) {
        auto& t = m.EntLtpS[k];
        t = {0x4000 + k, k, k + 1, k + 2, u"T" + jw::IntStr(k), 2 * (k % 4 + 1), {}};
        for (int p = 0; p < 10; ++p) t.aadUDLTypePitch[p] = k + p * 0.125;
    }
    for (int i = 0; i < 10; ++i) m.EntMoj[i] = {i + 1.0, i + 2.0, i - 0.5, i + 1};
    return m;
}

// Every field of the header at every version: the writer's bytes are those
// of the layout as the reader tests build it (jw_test_bytes.h), and a version
// that holds every field reads back the model it was written from.
TEST(HeaderWriter, EveryFieldAtEveryVersion) {
    const TJwwData src = HeldAsIs();
    // The reserved bytes the writer fills, behind the memo.
    const size_t reserved = 2389 + src.Enthd.strMemo.size();
    const size_t afterSizes = reserved + 56 + 20;
    for (int ver : {220, 222, 223, 225, 230, 231, 300, 350, 351, 419, 420, 421, 600, 700}) {
        SCOPED_TRACE(ver);
        TJwwData m = src;
        const Bytes out = Written(m, ver);

        // The printer resolution is held from 6.00 on.
        TJwwData laidOut = src;
        if (ver < 600) laidOut.Enthd.nPrtDpi = 0;
        jw::test::ByteBuilder b;
        jw::test::AppendJwwHeader(b, ver, laidOut);
        std::fill_n(b.bytes.begin() + reserved, 56, 0x20);
        std::fill_n(b.bytes.begin() + afterSizes, 4, 0);
        b.Count(0).Count(0);
        if (ver >= 700) b.I32(0);
        EXPECT_EQ(Hex(out), Hex(b.bytes));

        if (ver >= 600) {
            TempDir dir;
            jw::test::WriteFileBytes(dir.path() / "back.jww", out);
            TJwwData back;
            ASSERT_TRUE(back.FileIn(dir / "back.jww")) << back.LastError;
            TJwwData expected = src;
            expected.Enthd.jwVer = ver;
            ModelDiff diff;
            diff.Header(expected.Enthd, back.Enthd);
            diff.Tables(expected, back);
            diff.Common(expected, back);
            EXPECT_TRUE(diff.Same()) << diff.Text();
        }
    }
}

TEST(HeaderWriter, FillerAndReservedBytes) {
    TJwwData m = Empty();
    m.Enthd.lnSunpou1 = 11;
    m.Enthd.lnSunpou5 = 55;
    const Bytes out = Written(m, 700);
    EXPECT_EQ(Hex(out, 2389, 56), Hex(Bytes(56, 0x20)));
    Cur c{out, 2445};
    EXPECT_EQ(c.i(), 11);
    c.p += 12;
    EXPECT_EQ(c.i(), 55);
    EXPECT_EQ(c.i(), 0);
}

TEST(HeaderWriter, VersionDependentRows) {
    TJwwData m = Empty();
    for (int k = 0; k < 8; ++k) {
        m.Enthd.dZoomJumpBairitsu[k] = k + 1;
        m.Enthd.nZoomJumpGLay[k] = k + 20;
    }
    m.Enthd.dDm11 = 77;
    m.Enthd.dTenkuuZuLevel = 12.5;
    m.Enthd.lnDrawTime = 3725;
    m.Enthd.dSenNagasaSnpou = 9.5;
    m.Enthd.nSolidNinniColor = 1;
    m.Enthd.SolidColor = 0xABCDEF;
    for (int ver : {220, 223, 225, 230, 231, 300}) {
        const Bytes out = Written(m, ver);
        const Rows r{ver, out.size()};
        if (ver >= 300) {
            EXPECT_EQ(At(out, 2845).d(), 12.5);
        }
        Cur marks{out, r.row16()};
        for (int k = 0; k < (ver > 230 ? 8 : 4); ++k) {
            EXPECT_EQ(marks.d(), k + 1) << ver;
            marks.p += 16;
            if (ver > 230) {
                EXPECT_EQ(marks.i(), k + 20) << ver;
            }
        }
        if (ver > 230) {
            EXPECT_EQ(marks.d(), 77);
        }
        Cur rest{out, r.row25()};
        if (ver >= 223) {
            EXPECT_EQ(rest.i(), 3725) << ver;
            rest.p += 56;
        }
        if (ver >= 225) {
            EXPECT_EQ(rest.d(), 9.5) << ver;
            rest.p += 24;
        }
        if (ver >= 230) {
            EXPECT_EQ(rest.i(), 1) << ver;
            EXPECT_EQ(rest.i(), 0xABCDEF) << ver;
        }
        EXPECT_EQ(rest.p, r.row29()) << ver;
    }
}

TEST(HeaderWriter, PensAndPrintFlagsNormalised) {
    TJwwData m = Empty();
    const int32_t screenColor[4] = {0x102030, -1, 0x1000000, 0xFFFFFF};
    const int32_t screenWidth[4] = {1, 0, 20, 5};
    const int32_t prtColor[4] = {0x123, -5, 0x00FF00, 0x1000000};
    const int32_t prtWidth[4] = {7, 0, 600, 500};
    const double radius[4] = {0.5, 0, 12, 0.1};
    for (int i = 0; i < 4; ++i) {
        m.EntCol[i].aPenColor = screenColor[i];
        m.EntCol[i].anPenWidth = screenWidth[i];
        m.EntCol[i].aPrtPenColor = prtColor[i];
        m.EntCol[i].anPrtPenWidth = prtWidth[i];
        m.EntCol[i].adPrtTenHankei = radius[i];
    }
    m.Enthd.nMaxDrawWid = -205;
    m.Enthd.nPrtDispOnlyNonDraw = 1;
    m.Enthd.nPrtDpi = 2;

    const int32_t screenColorOut[4] = {0x102030, 0, 0, 0xFFFFFF};
    const int32_t screenWidthOut[4] = {1, 1, 16, 5};
    const int32_t prtColorOut[4] = {0xFFFFFF, 0, 0x00FF00, 0};  // printer pen 0 is always white
    const int32_t prtWidthOut[4] = {7, 1, 500, 500};
    const double radiusOut[4] = {0.5, 0.1, 10, 0.1};
    struct VerCase {
        int ver;
        int32_t maxDrawWid;
        int32_t printFlags;
    };
    for (const VerCase& v : {VerCase{420, -101, 1}, VerCase{600, -205, 21}, VerCase{351, -101, 1}}) {
        const Bytes out = Written(m, v.ver);
        const Rows r{v.ver, out.size()};
        EXPECT_EQ(At(out, kRow9).i(), v.maxDrawWid) << v.ver;
        Cur s{out, r.row18()};
        Cur p{out, r.row19()};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(s.i(), screenColorOut[i]) << i;
            EXPECT_EQ(s.i(), screenWidthOut[i]) << i;
            EXPECT_EQ(p.i(), prtColorOut[i]) << i;
            EXPECT_EQ(p.i(), prtWidthOut[i]) << i;
            EXPECT_EQ(p.d(), radiusOut[i]) << i;
        }
        // Pens 4-9 are zero: widths raised to 1, radius to 0.1.
        EXPECT_EQ(At(out, r.row18() + 36).i(), 1);
        EXPECT_EQ(At(out, r.row24()).i(), v.printFlags) << v.ver;
    }
    m.Enthd.nMaxDrawWid = -101;
    EXPECT_EQ(At(Written(m, 420), kRow9).i(), -101);
    m.Enthd.nPrtDpi = 0;
    m.Enthd.nPrtDispOnlyNonDraw = 0;
    {
        const Bytes out = Written(m, 700);
        EXPECT_EQ(At(out, Rows(700, out.size()).row24()).i(), 10);  // resolution 0 counts as 1
    }
}

TEST(HeaderWriter, TextSizesLimited) {
    TJwwData m = Empty();
    m.EntMoj[0].adMojiX = -2.5;
    m.EntMoj[0].adMojiY = 0;
    m.EntMoj[0].adMojiD = -1;
    m.EntMoj[0].anMojiCol = 3;
    m.EntMoj[1].adMojiX = 1e12;
    m.EntMoj[1].adMojiY = 4;
    m.Enthd.dMojiSizeX = -3;
    m.Enthd.dMojiSizeY = 1e-12;
    m.Enthd.dMojiKankaku = -0.5;
    m.Enthd.adMojiKijunZureY2 = 7;
    const Bytes out = Written(m, 700);
    Cur c{out, Rows{700, out.size()}.row29()};
    EXPECT_EQ(c.d(), 2.5);
    EXPECT_EQ(c.d(), 1e-10);
    EXPECT_EQ(c.d(), -1);  // spacing as held
    EXPECT_EQ(c.i(), 3);
    EXPECT_EQ(c.d(), 1e10);
    EXPECT_EQ(c.d(), 4);
    c.p += 12 + 8 * 28;
    EXPECT_EQ(c.d(), 3);
    EXPECT_EQ(c.d(), 1e-10);
    EXPECT_EQ(c.d(), -0.5);
    c.p += 68;
    EXPECT_EQ(c.d(), 7);
}

TEST(HeaderWriter, ExtendedTablesAndDefaultNames) {
    TJwwData m = Empty();
    for (int i = 0; i < 257; ++i) {
        m.EntColS[i].aPenColor = 1000 + i;
        m.EntColS[i].aPrtPenColor = 5000 + i;
    }
    m.EntColS[5].astrUDColorName = u"赤";
    m.EntColS[6].astrUDColorName = u" \u3000 ";   // blank
    m.EntColS[7].astrUDColorName = u"\t";         // blank once cleaned
    m.EntColS[8].astrUDColorName = u"B^mlue";
    m.EntLtpS[3].alLType = 0;
    m.EntLtpS[4].alLType = 0x0F0F;
    m.EntLtpS[4].astrUDLTypeName = u"dash";
    m.EntLtpS[4].anUDLTypeSegment = 3;  // below 17: written as held
    m.EntLtpS[20].alLType = 0x3333;
    m.EntLtpS[20].anUDLTypeSegment = 4;
    m.EntLtpS[20].astrUDLTypeName = u"mine";
    m.EntLtpS[20].aadUDLTypePitch[0] = 2.5;
    m.EntLtpS[21].anUDLTypeSegment = 5;  // invalid: replaced whole
    m.EntLtpS[21].astrUDLTypeName = u"bad";
    m.EntLtpS[21].alLType = 0x1234;

    const Bytes out = Written(m, 420);
    Cur c{out, Rows{420, out.size()}.row28()};
    for (int i = 0; i < 257; ++i) {
        EXPECT_EQ(c.i(), 1000 + i);
        EXPECT_EQ(c.i(), 0);
    }
    for (int i = 0; i < 257; ++i) {
        std::string name = "Color_" + std::to_string(i);
        if (i == 5) name = "\x90\xD4";  // 赤 in code page 932
        if (i == 8) name = "Blue";
        EXPECT_EQ(c.str(), name) << i;
        EXPECT_EQ(c.i(), i <= 16 ? 5000 + i : 1000 + i) << i;  // screen colour from 17 on
        c.p += 12;
    }
    for (int k = 0; k < 33; ++k) {
        const int32_t lt = c.i();
        const int32_t expected = k == 4 ? 0x0F0F : k == 20 ? 0x3333 : k >= 17 ? int32_t(0xC3C3C3C3u) : -1;
        EXPECT_EQ(lt, expected) << k;
        const int32_t rest[3] = {c.i(), c.i(), c.i()};
        if (k >= 17 && k != 20) {
            EXPECT_EQ(rest[0] * 100 + rest[1] * 10 + rest[2], 818) << k;
        }
    }
    for (int k = 0; k < 33; ++k) {
        const std::string name = c.str();
        const int32_t seg = c.i();
        double pitch[10];
        for (double& p : pitch) p = c.d();
        if (k == 4) {
            EXPECT_EQ(name, "dash");
            EXPECT_EQ(seg, 3);
        } else if (k == 20) {
            EXPECT_EQ(name, "mine");
            EXPECT_EQ(seg, 4);
            EXPECT_EQ(pitch[0], 2.5);
        } else {
            EXPECT_EQ(name, "LType_" + std::to_string(k)) << k;
            EXPECT_EQ(seg, k >= 17 ? 2 : 0) << k;
            EXPECT_EQ(pitch[0], k >= 17 ? 1.0 : 0.0) << k;
            EXPECT_EQ(pitch[1], k >= 17 ? 1.0 : 0.0) << k;
            EXPECT_EQ(pitch[2], 0.0) << k;
        }
    }
    EXPECT_EQ(c.p, Rows(420, out.size()).row29());
}

TEST(HeaderWriter, NamesCleanedMemoKept) {
    TJwwData m = Empty();
    m.Enthd.strMemo = u"A\r\nB";
    m.EntLay[1].aStrLayName = u"\t\r";
    m.EntLay[2].aStrLayName = u"A^mB\\nC";
    m.EntLay[255].aStrLayName = u"last";
    m.EntLgrp[0].aStrGLayName = u"G\n1";
    for (int opt : {0, 0x20}) {
        const Bytes out = Written(m, 351, opt);
        if (opt == 0) {
            EXPECT_EQ(Hex(out, 12, 5), Hex(B().u8(4).text("A\r\nB")));
            Cur c{out, 2545 + 4};
            EXPECT_EQ(c.str(), "");
            EXPECT_EQ(c.str(), " ");
            EXPECT_EQ(c.str(), "ABC");
            c.p += 252;
            EXPECT_EQ(c.str(), "last");
            EXPECT_EQ(c.str(), "G1");
        } else {
            // UTF-16 strings at every version.
            EXPECT_EQ(Hex(out, 12, 12), Hex(B().u8(0xFF).u8(0xFE).u8(0xFF).u8(4).w('A').w('\r').w('\n').w('B')));
        }
    }
}

TEST(HeaderWriter, IncompleteTablesFailWithoutWriting) {
    TempDir dir;
    const JwString path = dir / "out.jww";
    TJwwData never;  // never read: tables are empty
    EXPECT_FALSE(never.FileOut(path, 700));
    EXPECT_FALSE(never.LastError.empty());
    TJwwData old = Empty();
    old.EntColS.resize(10);
    old.EntLtpS.clear();
    EXPECT_FALSE(old.FileOut(path, 420));
    EXPECT_TRUE(dir.Entries().empty());
    // Extended tables are only needed from 4.20 on.
    EXPECT_TRUE(old.FileOut(path, 351)) << old.LastError;
}

}  // namespace
