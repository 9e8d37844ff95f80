// The header report, from models filled in the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "report/header_report.h"
#include "support/numbers.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using Lines = std::vector<JwString>;

std::string U8(const JwString& s) { return ToUtf8(s); }

// Index of the first line that begins with label, or -1.
int Find(const Lines& lines, const JwString& label, int from = 0) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
        if (lines[i].compare(0, label.size(), label) == 0) return i;
    }
    return -1;
}

int CountPrefix(const Lines& lines, const JwString& label) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const JwString& s) {
        return s.compare(0, label.size(), label) == 0;
    }));
}

// The value after a label (the label must be found).
JwString ValueOf(const Lines& lines, const JwString& label) {
    const int i = Find(lines, label);
    EXPECT_GE(i, 0) << U8(label);
    return i < 0 ? JwString() : lines[i].substr(label.size());
}

TJwwData Drawing(int32_t ver) {
    TJwwData jw;
    jw.Enthd.jwID = u"JwwData.";
    jw.Enthd.jwVer = ver;
    return jw;
}

TEST(JwwHeaderReport, OpeningLines) {
    TJwwData jw = Drawing(700);
    jw.Enthd.strMemo = u"一行目\r\n二行目";
    jw.Enthd.nZumen = 3;
    jw.Enthd.nWriteGLay = 12;
    jw.MojiEncode = true;
    const Lines lines = JwwHeaderReport(jw, u"C:\\図面\\a.jww");
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], u"ファイル名：C:\\図面\\a.jww");
    EXPECT_EQ(lines[1], JwString(40, u'-'));
    EXPECT_EQ(lines[2], u"JWW識別用データ：JwwData.");
    EXPECT_EQ(lines[3], u"バージョンNo.　：700");
    // A memo with a line break stays one line of the report.
    EXPECT_EQ(lines[4], u"ファイルメモ 　：一行目\r\n二行目");
    EXPECT_EQ(lines[5], u"文字コード　 　：Unicode (UTF-16)");
    EXPECT_EQ(lines[6], u"図面サイズ　 　：3（Ａ３）");
    EXPECT_EQ(lines[7], u"書込LayerGroup ：12");
    EXPECT_EQ(lines[8], u"寸法関係の設定");

    jw.MojiEncode = false;
    EXPECT_EQ(JwwHeaderReport(jw, u"x")[5], u"文字コード　 　：ANSI (Shift-JIS)");
}

TEST(JwwHeaderReport, PaperSizeNames) {
    const std::pair<int32_t, const char16_t*> cases[] = {
        {0, u"0（Ａ０）"},    {4, u"4（Ａ４）"},     {5, u"5（）"},        {6, u"6（）"},
        {7, u"7（）"},        {8, u"8（２Ａ）"},     {11, u"11（５Ａ）"},  {12, u"12（１０ｍ）"},
        {13, u"13（５０ｍ）"}, {14, u"14（１００ｍ）"}, {15, u"15（）"}, {-1, u"-1（）"},
    };
    for (const auto& [zumen, value] : cases) {
        TJwwData jw = Drawing(600);
        jw.Enthd.nZumen = zumen;
        EXPECT_EQ(JwwHeaderReport(jw, u"f")[6], JwString(u"図面サイズ　 　：") + value) << zumen;
    }
}

TEST(JwwHeaderReport, PackedDimensionSettings) {
    struct Case {
        const char16_t* label;
        int32_t TEntJwwHeader::*field;
        int32_t packed;
        const char16_t* value;
    };
    using H = TEntJwwHeader;
    const Case cases[] = {
        {u"　寸法線色（1～9）　　　　：", &H::lnSunpou1, 7654321, u"1"},
        {u"　引出線色（1～9）　　　　：", &H::lnSunpou1, 7654321, u"2"},
        {u"　寸法文字種（1～10） 　　：", &H::lnSunpou1, 7654321, u"7"},
        {u"　寸法線色（1～9）　　　　：", &H::lnSunpou1, -12, u"-2"},
        {u"　引出線色（1～9）　　　　：", &H::lnSunpou1, -12, u"-1"},
        {u"　寸法値の寸法線との離れ　：", &H::lnSunpou2, 10015, u"1.5"},
        {u"　寸法線の突出長さ　　　　：", &H::lnSunpou2, 10015, u"0.1"},
        {u"　寸法値の寸法線との離れ　：", &H::lnSunpou2, 1005, u"-0.5"},
        {u"　寸法線の突出長さ　　　　：", &H::lnSunpou2, 10400000, u"-4"},
        {u"　寸法値の寸法線との離れ　：", &H::lnSunpou2, 1000, u"100"},
        {u"　矢印長さ　　　　　　　　：", &H::lnSunpou3, 123456789, u"78.9"},
        {u"　矢印角度　　　　　　　　：", &H::lnSunpou3, 123456789, u"45.6"},
        {u"　逆矢印の出寸法　　　　　：", &H::lnSunpou3, 123456789, u"12.3"},
        {u"　寸法値方向補正(0:有,1:無：", &H::lnSunpou4, 987654321, u"1"},
        {u"　半径値小数点0表示(0無1有：", &H::lnSunpou4, 987654321, u"9"},
        {u"　寸法値(0:通常文字 1:斜め：", &H::lnSunpou5, 7654321, u"1"},
        {u"　寸法図形(0:しない 1:する：", &H::lnSunpou5, 7654321, u"5"},
    };
    for (const Case& c : cases) {
        TJwwData jw = Drawing(700);
        jw.Enthd.*c.field = c.packed;
        EXPECT_EQ(ValueOf(JwwHeaderReport(jw, u"f"), c.label), c.value) << U8(c.label) << " " << c.packed;
    }
    // The three unlabelled value lines of the angle, selection and rounding
    // settings carry digits 3, 6 and 7 of the fifth value.
    TJwwData jw = Drawing(700);
    jw.Enthd.lnSunpou5 = 7654321;
    const Lines lines = JwwHeaderReport(jw, u"f");
    const int angle = Find(lines, u"　角度単位（0:度単位");
    ASSERT_GE(angle, 0);
    EXPECT_EQ(lines[angle + 1], u"　　　　　　　　　　　　　：3");
    EXPECT_EQ(lines[angle + 2], u"　角度単位の小数点以下桁数：4");
    EXPECT_EQ(lines[angle + 5], u"　　　　　　　　　　　　　：6");
    EXPECT_EQ(lines[angle + 7], u"　　　　　　　　　　　　　：7");
}

TEST(JwwHeaderReport, PrinterAndScaleMarkSettings) {
    const std::pair<int32_t, const char16_t*> modes[] = {
        {0, u"無指定,図面寸法指定,"},
        {11, u"目盛表示,実寸指定,"},
        {-1, u"目盛表示,図面寸法指定,目盛読取り不可"},
        {22, u""},
        {-11, u"目盛表示,実寸指定,目盛読取り不可"},
    };
    for (const auto& [mode, text] : modes) {
        TJwwData jw = Drawing(700);
        jw.Enthd.nMemoriMode = mode;
        EXPECT_EQ(ValueOf(JwwHeaderReport(jw, u"f"), u"目盛設定モード　　　　　　："), text) << mode;
    }
    TJwwData jw = Drawing(700);
    jw.Enthd.nPrtSet = 21;
    jw.Enthd.nMaxDrawWid = -101;
    jw.Enthd.bSenHaba100 = true;
    jw.Enthd.DPPrtGenten_x = -12.5;
    jw.Enthd.SolidColor = 255;
    jw.Enthd.dKageIdo = 35.0 + 1.0 / 3.0;
    const Lines lines = JwwHeaderReport(jw, u"f");
    EXPECT_EQ(ValueOf(lines, u"プリンタ90°回転出力　　　："), u"1");
    EXPECT_EQ(ValueOf(lines, u"プリンタ出力基準点位置　　："), u"2");
    EXPECT_EQ(ValueOf(lines, u"プリンタ出力範囲の原点(Ｘ)："), u"-12.5");
    EXPECT_EQ(ValueOf(lines, u"プリンタ出力倍率　　　　　："), u"1");
    EXPECT_EQ(ValueOf(lines, u"□線幅を1/100mm単位とする ："), u"1");
    EXPECT_EQ(ValueOf(lines, u"緯度　　　　　　　　　　　："), u"35.3333333333333");
    EXPECT_EQ(ValueOf(lines, u"ソリッドの任意色の既定値(RGB) 　："), u"0000FF");
    const int wid = Find(lines, u"線描画の最大幅（-101");
    ASSERT_GE(wid, 0);
    EXPECT_EQ(lines[wid + 1], u"　　　　　　　　　　　　　：-101");

    jw.Enthd.SolidColor = -1;
    EXPECT_EQ(ValueOf(JwwHeaderReport(jw, u"f"), u"ソリッドの任意色の既定値(RGB) 　："), u"FFFFFFFF");
}

TEST(JwwHeaderReport, VersionDependentGroups) {
    struct Case {
        int32_t ver;
        int markLines;      // mark-jump lines of each of rows 69-71
        int layerGroupReg;  // "レイヤグループ登録番号" lines
        int dummies;
        int textBg;
        size_t total;       // no definitions, no images, drawing order 0
    };
    const Case cases[] = {
        {230, 4, 0, 0, 0, 145},
        {299, 4, 0, 0, 0, 145},
        {300, 8, 8, 6, 0, 171},
        {351, 8, 8, 6, 0, 171},
        {419, 8, 8, 6, 0, 171},
        {420, 8, 8, 6, 2, 173},
        {700, 8, 8, 6, 2, 173},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ver);
        const Lines lines = JwwHeaderReport(Drawing(c.ver), u"f");
        EXPECT_EQ(CountPrefix(lines, u"マークジャンプ倍率　　　　："), c.markLines);
        EXPECT_EQ(CountPrefix(lines, u"マークジャンプ倍率 基準点X："), c.markLines);
        EXPECT_EQ(CountPrefix(lines, u"マークジャンプ倍率 基準点Y："), c.markLines);
        EXPECT_EQ(CountPrefix(lines, u"レイヤグループ登録番号　　："), c.layerGroupReg);
        EXPECT_EQ(CountPrefix(lines, u"ダミー "), c.dummies);
        EXPECT_EQ(CountPrefix(lines, u"文字列範囲を背景色で描画するときの範囲増寸法：") +
                      CountPrefix(lines, u"文字（寸法図形、ブロック図形）を最後に描画　："),
                  c.textBg);
        EXPECT_EQ(CountPrefix(lines, u"複線間隔　　　　　　　　　："), 10);
        EXPECT_EQ(lines.size(), c.total);
    }
}

TEST(JwwHeaderReport, MarkGroupAndSpacingLines) {
    TJwwData jw = Drawing(351);
    jw.Enthd.dZoomJumpBairitsu[0] = 2.5;
    jw.Enthd.DPZoomJumpGenten_y[7] = -3.25;
    jw.Enthd.nZoomJumpGLay[1] = 15;
    jw.Enthd.adFukusenSuuchi[9] = 0.125;
    jw.Enthd.dDm12 = 7;
    jw.Enthd.lnDm1 = -4;
    const Lines lines = JwwHeaderReport(jw, u"f");
    const int first = Find(lines, u"マークジャンプ倍率　　　　：");
    ASSERT_EQ(first, 68);  // right after the 68 fixed opening lines
    EXPECT_EQ(lines[68], u"マークジャンプ倍率　　　　：1：2.5");
    EXPECT_EQ(lines[69], u"マークジャンプ倍率 基準点X：1：0");
    EXPECT_EQ(lines[70], u"マークジャンプ倍率 基準点Y：1：0");
    EXPECT_EQ(lines[71], u"レイヤグループ登録番号　　：1：-1");
    EXPECT_EQ(lines[75], u"レイヤグループ登録番号　　：2：15");
    EXPECT_EQ(lines[98], u"マークジャンプ倍率 基準点Y：8：-3.25");
    EXPECT_EQ(lines[100], u"ダミー dDm11：0");
    EXPECT_EQ(lines[101], u"ダミー dDm12：7");
    EXPECT_EQ(lines[103], u"ダミー lnDm1：-4");
    EXPECT_EQ(lines[106], u"複線間隔　　　　　　　　　：0：0");
    EXPECT_EQ(lines[115], u"複線間隔　　　　　　　　　：9：0.125");
    EXPECT_EQ(lines[116], u"両側複線の留線出の寸法　　：0");
}

TEST(JwwHeaderReport, DrawingOrderLines) {
    const JwString pad = u"　　　　　　　　　　　　　　　　：";
    struct Case {
        int32_t b;
        std::vector<JwString> lines;
    };
    const Case cases[] = {
        {0, {pad + u"BitMap・ソリッドを最初に描画しない", pad + u"レイヤ順"}},
        {21, {pad + u"BitMap・ソリッドを最初に描画", pad + u"レイヤ順・色逆順"}},
        {9, {pad + u"レイヤ順"}},
        {82, {pad + u"ソリッドを最初に描画", pad + u"印刷出力設定順・色逆順"}},
        {92, {pad + u"ソリッドを最初に描画"}},
        {-1, {pad + u"レイヤ順"}},  // -1 div 10 is 0
        {990, {pad + u"BitMap・ソリッドを最初に描画しない"}},
        {-21, {}},
    };
    for (const Case& c : cases) {
        TJwwData jw = Drawing(700);
        jw.Enthd.nBitMapFirstDraw = c.b;
        const Lines lines = JwwHeaderReport(jw, u"f");
        const int from = Find(lines, u"BitMap・ソリッドを最初に描画する：");
        const int to = Find(lines, u"逆描画　");
        ASSERT_GE(from, 0);
        ASSERT_GT(to, from);
        EXPECT_EQ(lines[from], u"BitMap・ソリッドを最初に描画する：" + IntStr(c.b));
        const Lines got(lines.begin() + from + 1, lines.begin() + to);
        EXPECT_EQ(got, c.lines) << c.b;
    }
}

TEST(JwwHeaderReport, CountsBlockDefinitionsAndImages) {
    TJwwData jw = Drawing(700);
    jw.Enthd.n1 = 9;
    jw.Enthd.nMojiKijunZureOn = 1;
    jw.Enthd.adMojiKijunZureY2 = 0.75;
    jw.EntLineN = 3;
    jw.EntSolidN = 2;
    jw.EntBlockN = 1;
    jw.EntBlockDef.resize(2);
    jw.EntBlockDefN = 2;
    jw.EntBlockDef[0].strName = u"扉";
    jw.EntBlockDef[0].nNumber = 77;
    jw.EntBlockDef[0].N = 5;
    jw.EntBlockDef[0].mLineN = 4;
    jw.EntBlockDef[0].mBlockN = 1;
    jw.EntBlockDef[1].strName = u"窓";
    jw.BindImage.resize(1);
    jw.BindImageN = 1;
    jw.BindImage[0].Fname = u"photo.jpg";
    jw.BindImage[0].Fsize = 1234;
    const Lines lines = JwwHeaderReport(jw, u"f");
    const int n1 = Find(lines, u"N1：");
    ASSERT_GE(n1, 0);
    EXPECT_EQ(lines[n1 - 1], u"文字基準点の縦方向のずれ位置上　：0.75");
    const Lines expected = {
        u"N1：9",
        u" 線　 数：3",
        u" 円弧 数：0",
        u" 点　 数：0",
        u" 文字 数：0",
        u" 寸法 数：0",
        u" ｿﾘｯﾄﾞ数：2",
        u" ﾌﾞﾛｯｸ数：1",
        u"ﾌﾞﾛｯｸ定義数：2",
        u"　ﾌﾞﾛｯｸNo：0",
        u"　ﾌﾞﾛｯｸ名：扉",
        u"　 要素数：5",
        u"　　 線　数：4",
        u"　　 円弧数：0",
        u"　　 点　数：0",
        u"　　 文字数：0",
        u"　　 寸法数：0",
        u"　　ｿﾘｯﾄﾞ数：0",
        u"　　ﾌﾞﾛｯｸ数：1",
        u"　ﾌﾞﾛｯｸNo：1",
        u"　ﾌﾞﾛｯｸ名：窓",
        u"　 要素数：0",
        u"　　 線　数：0",
        u"　　 円弧数：0",
        u"　　 点　数：0",
        u"　　 文字数：0",
        u"　　 寸法数：0",
        u"　　ｿﾘｯﾄﾞ数：0",
        u"　　ﾌﾞﾛｯｸ数：0",
        u"同梱画像数：1",
        u"　ファイル名：photo.jpg　(1234)",
    };
    EXPECT_EQ(Lines(lines.begin() + n1, lines.end()), expected);
}

TEST(JwwHeaderReport, NoDefinitionsAndShortTables) {
    TJwwData jw = Drawing(700);
    Lines lines = JwwHeaderReport(jw, u"f");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], u"ﾌﾞﾛｯｸ定義数：0");
    EXPECT_EQ(lines.back(), u"同梱画像数：0");

    // Counts above what the model holds (a broken read): the counts are
    // shown, the lines only for what is there.
    jw.EntBlockDefN = 3;
    jw.EntBlockDef.resize(1);
    jw.BindImageN = 2;
    lines = JwwHeaderReport(jw, u"f");
    EXPECT_EQ(CountPrefix(lines, u"　ﾌﾞﾛｯｸNo："), 1);
    EXPECT_EQ(ValueOf(lines, u"ﾌﾞﾛｯｸ定義数："), u"3");
    EXPECT_EQ(lines.back(), u"同梱画像数：2");

    jw.EntBlockDefN = -5;
    lines = JwwHeaderReport(jw, u"f");
    EXPECT_EQ(CountPrefix(lines, u"　ﾌﾞﾛｯｸNo："), 0);
}

TEST(JwwHeaderReport, FreshModelAfterFailedRead) {
    const TJwwData jw;  // nothing read: initial header values
    const Lines lines = JwwHeaderReport(jw, u"broken.jww");
    EXPECT_EQ(lines[2], u"JWW識別用データ：");
    EXPECT_EQ(lines[3], u"バージョンNo.　：0");
    EXPECT_EQ(ValueOf(lines, u"保存時の画面倍率　　　　　："), u"1");
    EXPECT_EQ(ValueOf(lines, u"目盛表示間隔(Ｘ)　　　　　："), u"1");
    EXPECT_EQ(lines.size(), 145u);
}

TEST(JwsHeaderReport, AllLines) {
    TJwsData jws;
    jws.Enthd.jwID = u"JwsData";
    jws.Enthd.jwVer = 351;
    jws.Enthd.BasePoint_x = 10.5;
    jws.Enthd.BasePoint_y = -2;
    jws.Enthd.Mx1 = -100;
    jws.Enthd.My1 = -50.25;
    jws.Enthd.Mx2 = 100;
    jws.Enthd.My2 = 1e-5;
    jws.Enthd.n1 = 4;
    jws.EntLineN = 2;
    jws.EntMojiN = 1;
    jws.EntBlockN = 1;
    jws.EntBlockDef.resize(1);
    jws.EntBlockDefN = 1;
    jws.EntBlockDef[0].strName = u"記号";
    jws.EntBlockDef[0].N = 2;
    jws.EntBlockDef[0].mEnkoN = 2;
    const Lines expected = {
        u"ファイル名：D:\\fig.jws",
        u"----------------------------------------",
        u"JWS識別用データ：JwsData",
        u"バージョンNo.　：351",
        u"基準点Ｘ　　　 ：10.5",
        u"基準点Ｙ　　　 ：-2",
        u"文字コード　 　：ANSI (Shift-JIS)",
        u"座標値",
        u"Ｘ　　　　　　 ：-100",
        u"Ｙ　　　　　　 ：-50.25",
        u"Ｘ　　　　　　 ：100",
        u"Ｙ　　　　　　 ：1E-5",
        u"N1：4",
        u" 線　 数：2",
        u" 円弧 数：0",
        u" 点　 数：0",
        u" 文字 数：1",
        u" 寸法 数：0",
        u" ｿﾘｯﾄﾞ数：0",
        u" ﾌﾞﾛｯｸ数：1",
        u"ﾌﾞﾛｯｸ定義数：1",
        u"　ﾌﾞﾛｯｸNo：0",
        u"　ﾌﾞﾛｯｸ名：記号",
        u"　 要素数：2",
        u"　　 線　数：0",
        u"　　 円弧数：2",
        u"　　 点　数：0",
        u"　　 文字数：0",
        u"　　 寸法数：0",
        u"　　ｿﾘｯﾄﾞ数：0",
        u"　　ﾌﾞﾛｯｸ数：0",
    };
    EXPECT_EQ(JwsHeaderReport(jws, u"D:\\fig.jws"), expected);
    jws.MojiEncode = true;
    EXPECT_EQ(JwsHeaderReport(jws, u"f")[6], u"文字コード　 　：Unicode (UTF-16)");
}

}  // namespace
}  // namespace jw
