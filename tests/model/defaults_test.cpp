// Settings of a new drawing and of a new figure.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "model/jw_data.h"
#include "support/program_values.h"

// Fields of the packed records are compared as +field: the unary plus copies
// the value, where a reference to the field itself could be misaligned.

namespace jw {
namespace {

TEST(Defaults, TablesHaveTheirFixedLengths) {
    TJwwData m;
    m.DataDefaultSet();
    EXPECT_EQ(m.EntLgrp.size(), 16u);
    EXPECT_EQ(m.EntLay.size(), 256u);
    EXPECT_EQ(m.EntCol.size(), 10u);
    EXPECT_EQ(m.EntLtp1.size(), 8u);
    EXPECT_EQ(m.EntLtp2.size(), 5u);
    EXPECT_EQ(m.EntLtp3.size(), 4u);
    EXPECT_EQ(m.EntMoj.size(), 10u);
    EXPECT_EQ(m.EntColS.size(), 257u);
    EXPECT_EQ(m.EntLtpS.size(), 33u);
}

TEST(Defaults, LayerStates) {
    TJwwData m;
    m.EntLay.resize(3);  // replaced, not extended
    m.DataDefaultSet();
    EXPECT_EQ(m.EntLgrp[0].anGLay, 3);
    EXPECT_EQ(m.EntLgrp[1].anGLay, 2);
    EXPECT_EQ(m.EntLgrp[15].adScale, 1.0);
    EXPECT_EQ(m.EntLay[0x00].aanLay, 3);
    EXPECT_EQ(m.EntLay[0x01].aanLay, 2);
    EXPECT_EQ(m.EntLay[0x10].aanLay, 3);
    EXPECT_EQ(m.EntLay[0x11].aanLay, 2);
    EXPECT_EQ(m.EntLay[0xF0].aanLay, 3);
    EXPECT_EQ(m.EntLay[0xFF].aanLay, 2);
}

TEST(Defaults, Header) {
    TJwwData m;
    m.Enthd.strMemo = u"old";
    m.Enthd.dDm11 = 5;
    m.DataDefaultSet();
    const TEntJwwHeader& h = m.Enthd;
    EXPECT_EQ(h.jwID, u"JwwData.");
    EXPECT_EQ(h.jwVer, 600);
    EXPECT_TRUE(h.strMemo.empty());
    EXPECT_EQ(h.dDm11, 0);
    EXPECT_EQ(h.lnSunpou3, 50150030);
    EXPECT_EQ(h.nMaxDrawWid, -300);
    EXPECT_TRUE(h.bSenHaba100);
    EXPECT_EQ(h.dMemoriHyoujiMin, 15.0);
    EXPECT_EQ(h.nZoomJumpGLay[7], -1);
    EXPECT_EQ(h.dZoomJumpBairitsu[7], 1.0);
    EXPECT_EQ(h.adFukusenSuuchi[0], 50);
    EXPECT_EQ(h.adFukusenSuuchi[9], 500);
    EXPECT_EQ(h.dEye_H_Ichi_2, -4500);
    EXPECT_EQ(std::bit_cast<uint64_t>(h.dEye_V_Ichi_3), 0x4041A1D785686A66u);
    EXPECT_NEAR(h.dEye_V_Ichi_3, 35.2643896827547, 1e-12);
    EXPECT_EQ(h.SolidColor, 0xC0C0C0);
    EXPECT_EQ(+h.nMojiShu, 3);
    EXPECT_EQ(h.adMojiKijunZureY2, 1.0);
    EXPECT_EQ(h.nPrtDpi, 1);
}

TEST(Defaults, PensLineTypesAndTextTypes) {
    TJwwData m;
    m.DataDefaultSet();
    EXPECT_EQ(m.EntCol[8].aPenColor, 0x8000FF);
    EXPECT_EQ(m.EntCol[8].aPrtPenColor, 0x0000FF);
    EXPECT_EQ(m.EntCol[8].anPrtPenWidth, 68);
    EXPECT_EQ(m.EntCol[9].adPrtTenHankei, 0.1);
    EXPECT_EQ(static_cast<uint32_t>(m.EntLtp1[3].alLType), 0xF99FF99Fu);
    EXPECT_EQ(m.EntLtp1[3].anTokushuSenUintDot, 16);
    EXPECT_EQ(static_cast<uint32_t>(m.EntLtp2[4].alLType), 0xCCB2B32Au);
    EXPECT_EQ(m.EntLtp2[4].anPrtTokushuSenPich, 25);
    EXPECT_EQ(m.EntLtp3[3].anTokushuSenPich, 4);
    EXPECT_EQ(m.EntMoj[9].adMojiX, 10.0);
    EXPECT_EQ(m.EntMoj[9].adMojiY, 10.0);
    EXPECT_EQ(m.EntMoj[1].adMojiD, 0.0);
    EXPECT_EQ(m.EntMoj[2].anMojiCol, 2);
}

TEST(Defaults, ExtendedColourAndLineTypeNames) {
    TJwwData m;
    m.DataDefaultSet();
    struct Colour {
        int i;
        const char16_t* name;
        int32_t color, printer;
    };
    for (const Colour& c : {Colour{0, u"Color_0", 0, 400}, Colour{1, u"black", 0, 0},
                            Colour{9, u"deeppink", 0x8000C0, 0x8000C0}, Colour{16, u"darkgray", 0x808080, 0x808080},
                            Colour{17, u"Color_17", 0xC0C0C0, 0xC0C0C0},
                            Colour{256, u"Color_256", 0xC0C0C0, 0xC0C0C0}}) {
        SCOPED_TRACE(c.i);
        EXPECT_EQ(m.EntColS[c.i].astrUDColorName, c.name);
        EXPECT_EQ(m.EntColS[c.i].aPenColor, c.color);
        EXPECT_EQ(m.EntColS[c.i].aPrtPenColor, c.printer);
        EXPECT_EQ(m.EntColS[c.i].anPenWidth, 18);
        EXPECT_EQ(m.EntColS[c.i].adPrtTenHankei, 0.18);
    }
    struct LineType {
        int i;
        const char16_t* name;
        uint32_t pattern;
        int32_t prtPitch, segments;
        double first, last;  // first and last segment pitch
    };
    for (const LineType& t :
         {LineType{0, u"Ltype_0", 0xFFFFFFFF, 10, 0, 0, 0}, LineType{6, u"long dashed triplicate-dotted", 0xFFBBBBFF, 19, 8, 12, 1.5},
          LineType{15, u"double-dashed triplicate-dotted", 0xF9FF249F, 20, 10, 6, 1.5},
          LineType{16, u"undefined", 0xFFFFFFFF, 10, 0, 0, 0}, LineType{17, u"LType_17", 0xC3C3C3C3, 48, 2, 6, 6},
          LineType{32, u"LType_32", 0xC3C3C3C3, 48, 2, 6, 6}}) {
        SCOPED_TRACE(t.i);
        const TEntJwwLineTypeExNo& e = m.EntLtpS[t.i];
        EXPECT_EQ(e.astrUDLTypeName, t.name);
        EXPECT_EQ(static_cast<uint32_t>(e.alLType), t.pattern);
        EXPECT_EQ(e.anPrtTokushuSenPich, t.prtPitch);
        EXPECT_EQ(e.anUDLTypeSegment, t.segments);
        EXPECT_EQ(e.aadUDLTypePitch[0], t.first);
        if (t.segments > 0) {
            EXPECT_EQ(e.aadUDLTypePitch[t.segments - 1], t.last);
        }
        if (t.segments < 10) {
            EXPECT_EQ(e.aadUDLTypePitch[t.segments], 0);
        }
    }
    EXPECT_EQ(m.EntLtpS[6].aadUDLTypePitch[6], 0.25);
}

TEST(Defaults, EntitiesAreLeftUntouched) {
    JwGlobalInit();
    TJwwData m;
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"B"));
    ASSERT_TRUE(m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5, 5, 1, 1, 0));
    ASSERT_TRUE(m.AddEntPost());
    m.FileOutOpt = 0x20;
    m.BindImage.push_back(TBindImageType{u"a.gz", 10, false});
    m.BindImageN = 1;
    const TJwwData before = m;

    m.DataDefaultSet();
    EXPECT_EQ(m.Enthd.n1, 2);
    EXPECT_EQ(m.Enthd.n2, 1);
    EXPECT_EQ(m.EntLineN, before.EntLineN);
    EXPECT_EQ(+m.EntLine[0].end_x, 1);
    EXPECT_EQ(m.EntBlockN, 1);
    ASSERT_EQ(m.EntNo.size(), before.EntNo.size());
    EXPECT_EQ(m.EntNo[1].EntType, kEntBlock);
    EXPECT_EQ(m.EntBlockDefN, 1);
    EXPECT_EQ(m.EntBlockDef[0].mLineN, 1);
    EXPECT_EQ(m.EntBlockTreeN, 1);
    EXPECT_EQ(m.FileOutOpt, 0x20);
    EXPECT_EQ(m.BindImageN, 1);
}

TEST(Defaults, Figure) {
    TJwsData s;
    s.Enthd.n1 = 4;
    s.Enthd.Mx2 = 9;
    s.DataDefaultSet();
    EXPECT_EQ(s.Enthd.jwID, u"JwsData");
    EXPECT_EQ(s.Enthd.jwVer, 600);
    EXPECT_EQ(s.Enthd.n1, 4);
    EXPECT_EQ(s.Enthd.dmy01, 1);
    EXPECT_EQ(s.Enthd.dmy06, 6);
    EXPECT_EQ(s.Enthd.dmy11, 1.0);
    EXPECT_EQ(s.Enthd.dmy16, 6.0);
    EXPECT_EQ(s.Enthd.Mx2, 0);
    ASSERT_EQ(s.EntLgrp.size(), 16u);
    for (const auto& g : s.EntLgrp) {
        EXPECT_EQ(g.anGLay, 2);  // group 0 included
        EXPECT_EQ(g.adScale, 1.0);
    }
    ASSERT_EQ(s.EntMoj.size(), 10u);
    EXPECT_EQ(s.EntMoj[4].adMojiX, 5.0);
    EXPECT_EQ(s.EntMoj[4].anMojiCol, 3);
}

}  // namespace
}  // namespace jw
