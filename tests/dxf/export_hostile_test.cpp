// The export on damaged drawings: counts that disagree with the arrays, order
// entries that name nothing, layer numbers out of range, missing tables,
// broken numbers and codes, and real samples with damaged bytes. Nothing may
// crash; whatever can be converted is written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "common/samples.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

class Hostile : public dxftest::ExportFixture {
protected:
    // Converts and writes d into memory in every release and both space
    // modes; answers the size of the 2007 text.
    size_t ExportAll(TJwwData& d) {
        size_t size = 0;
        for (int32_t space : {0, 1}) {
            DxfOutSpace = space;
            for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007}) {
                d.GetMinMaxZahyo();
                TDXFmodel m;
                JwwToDxfModel(d, m, ver, u"/nonexistent-folder/out.dxf");
                const std::string text = m.SaveDXFText(u"");
                EXPECT_NE(text.find("EOF"), std::string::npos);
                size = text.size();
            }
        }
        return size;
    }
};

TEST_F(Hostile, InconsistentModel) {
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    DxfOutTenType = 6;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    TJwwData d;
    d.DataDefaultSet();
    ASSERT_TRUE(d.AddEntPre());
    d.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 10);
    d.AddEntLine(0, 0, 0, 1, 1, 0, 0, nan, 0, inf, 10);
    d.AddEntArc(0, 0, 0, 1, 1, 0, 0, 0, 0, -5, nan, 0, 90, 0);
    d.AddEntArc(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 90, 0);
    d.AddEntTen(0, 0, 0, 1, 11, 0, 0, 1, 1, nan, 1);
    for (const JwString& s : std::initializer_list<JwString>{u"^@BM,", u"^@BM%temp%,", u"^@BM%temp%x.png", u"^@BM%TEMP%a/b.png,5", u"^u", u"AB^u",
                              u"AB^$", u"^*AB", u"･･･", u"・・・", u"^3^3", u"%f", u"=GＧＥＥ", u"&j9", u"%%",
                              u"^@BM/dev/zero,5", u"^@BM" + JwString(300, u'x') + u",5"})
        d.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", s);
    d.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0x123456, 0, 0, 1, 1, 2, 2, 3, 3);
    d.AddEntSolidC(0, 0, 0, 1, 3, 0, 0, 0, 0, 0, 5, 1, 0, 0, 90);
    d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"");
    d.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
    d.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0);  // a definition holding itself
    d.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5, 5, 1, 1, 0);
    ASSERT_TRUE(d.AddEntPost());

    // Now break it.
    d.EntLine[1].att.nGLayer = 500;
    d.EntLine[0].att.nLayer = 77;
    d.EntLine[0].att.nPenStyle = 250;
    d.EntLine[0].att.nPenColor = 60000;
    d.EntTen[0].nCode = 0x80000000u;
    d.EntTen[0].dBairitsu = nan;
    d.EntMoji[0].nMojiShu = 0xFFFFFFFFu;
    d.EntMoji[1].dSizeX = nan;
    d.EntMoji[2].att.sFlg = 0xFFFF;
    d.EntBlock[0].dBairitsuX = nan;
    d.EntNo.push_back({kEntLine, 5000});
    d.EntNo.push_back({9, 0});
    d.EntNo.push_back({kEntMoji, -1});
    d.Enthd.n1 = static_cast<int32_t>(d.EntNo.size()) + 100;
    d.EntLineN = 1000;
    d.EntBlockDef[0].N = 99;
    d.EntBlockDef[0].mLineN = -3;
    d.EntBlockTree.push_back(d.EntBlockTree.empty() ? TEntJwwBlockTree{} : d.EntBlockTree[0]);
    d.EntBlockTree.back().defno = 77;
    d.EntBlockTree.back().parent = 12345;
    d.EntBlockTreeN = static_cast<int32_t>(d.EntBlockTree.size()) + 5;
    d.EntLgrp.resize(3);
    d.EntLgrp[0].adScale = nan;
    d.EntLgrp[1].adScale = -4;
    d.EntLay.clear();
    d.EntMoj.clear();
    d.EntLtpS.resize(20);
    d.EntLtpS[18].anUDLTypeSegment = 1000;
    d.EntLtpS[19].aadUDLTypePitch[0] = nan;
    d.Enthd.dPrtBairitsu = 0;
    d.Enthd.strMemo = JwString(u"\r\n") + JwString(1, u'\0');
    EXPECT_GT(ExportAll(d), 0u);
    DxfOutMojiStyle = 2;
    EXPECT_GT(ExportAll(d), 0u);
    EXPECT_TRUE(std::isfinite(ZahyoMinX) && std::isfinite(ZahyoMaxY));
}

TEST_F(Hostile, DamagedSamples) {
    ZS_NEED_SAMPLES();
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    const fs::path images = fs::path(ZS_BINARY_DIR) / "dxf_hostile_images";
    fs::create_directories(images);
    for (const char* name : {"jww600-points-texts.jww", "jww700-utf16-2blocks.jww", "jww700-sjis-blocks.jww"}) {
        std::ifstream f(test::SamplePath(name), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), {});
        ASSERT_FALSE(bytes.empty()) << name;
        uint32_t seed = 12345;
        for (int round = 0; round < 24; ++round) {
            std::string b = bytes;
            // A few bytes changed after the header, sometimes the end cut off.
            for (int k = 0; k < 4; ++k) {
                seed = seed * 1103515245u + 12345u;
                const size_t at = 600 + seed % (b.size() - 600);
                b[at] = static_cast<char>(seed >> 24);
            }
            if (round % 3 == 0) b.resize(600 + seed % (b.size() - 600));
            TJwwData d;
            d.BindImageExp = d.BindImageExr = true;
            d.BindImageFolder = FromUtf8(images.string()) + u"/";
            d.BufferIn(reinterpret_cast<const uint8_t*>(b.data()), b.size(), u"/samples/damaged.jww");
            DxfOutSpace = round % 2;
            d.GetMinMaxZahyo();
            TDXFmodel m;
            JwwToDxfModel(d, m, round % 3, u"/nonexistent-folder/out.dxf");
            EXPECT_NE(m.SaveDXFText(u"").find("EOF"), std::string::npos) << name << " round " << round;
            d.BindImageDeleteGzFile();
            d.BindImageDeleteNonGzFile();
        }
    }
}

}  // namespace
}  // namespace jw
