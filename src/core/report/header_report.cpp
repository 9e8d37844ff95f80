// The header report: every line of the "ヘッダ" page, built from a read model.
#include "report/header_report.h"

#include <cstdlib>
#include <utility>

#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "support/numbers.h"

namespace jw {

namespace {

using Lines = std::vector<JwString>;

JwString Real(double v) { return FloatStr(v); }

JwString Hex6(int32_t v) { return HexStr(static_cast<uint32_t>(v), 6); }

// Digit n (1 = units) of x; division truncates, so a negative x gives
// zero or negative digits.
int32_t Digit(int32_t x, int n) {
    int32_t p = 1;
    for (int i = 1; i < n; ++i) p *= 10;
    return (x / p) % 10;
}

// The packed dimension distances store a negative value v' as 1000 - v'.
int32_t Signed1000(int32_t v) { return v <= 1000 ? v : 1000 - v; }

// 0.1 x v, in floating point.
JwString Tenth(int32_t v) { return FloatStr(0.1 * v); }

JwString MemoriModeText(int32_t m) {
    JwString s;
    const int32_t lo = std::abs(m % 10);
    const int32_t hi = std::abs((m / 10) % 10);
    if (lo == 0) s += u"無指定,";
    if (lo == 1) s += u"目盛表示,";
    if (hi == 0) s += u"図面寸法指定,";
    if (hi == 1) s += u"実寸指定,";
    if (m < 0) s += u"目盛読取り不可";
    return s;
}

// Appends one line: label, then value.
void Add(Lines& lines, const char16_t* label, const JwString& value = JwString()) {
    JwString s(label);
    s += value;
    lines.push_back(std::move(s));
}

void AddDrawOrderLines(Lines& lines, int32_t b) {
    static const char16_t* const kFirst[] = {
        u"　　　　　　　　　　　　　　　　：BitMap・ソリッドを最初に描画しない",
        u"　　　　　　　　　　　　　　　　：BitMap・ソリッドを最初に描画",
        u"　　　　　　　　　　　　　　　　：ソリッドを最初に描画",
    };
    static const char16_t* const kOrder[] = {
        u"　　　　　　　　　　　　　　　　：レイヤ順",
        u"　　　　　　　　　　　　　　　　：レイヤ順・色順",
        u"　　　　　　　　　　　　　　　　：レイヤ順・色逆順",
        u"　　　　　　　　　　　　　　　　：レイヤ逆順",
        u"　　　　　　　　　　　　　　　　：レイヤ逆順・色順",
        u"　　　　　　　　　　　　　　　　：レイヤ逆順・色逆順",
        u"　　　　　　　　　　　　　　　　：印刷出力設定順",
        u"　　　　　　　　　　　　　　　　：印刷出力設定順・色順",
        u"　　　　　　　　　　　　　　　　：印刷出力設定順・色逆順",
    };
    const int32_t lo = b % 10;
    const int32_t hi = (b / 10) % 10;
    if (lo >= 0 && lo < 3) lines.emplace_back(kFirst[lo]);
    if (hi >= 0 && hi < 9) lines.emplace_back(kOrder[hi]);
}

// Ten lines per block definition, for the definitions the model really holds.
void AddBlockDefLines(Lines& lines, const TJwEntities& jw) {
    const size_t n = HeldCount(jw.EntBlockDef, jw.EntBlockDefN);
    for (size_t j = 0; j < n; ++j) {
        const TEntJwwBlockDef& d = jw.EntBlockDef[j];
        Add(lines, u"　ﾌﾞﾛｯｸNo：", IntStr(static_cast<int32_t>(j)));
        Add(lines, u"　ﾌﾞﾛｯｸ名：", d.strName);
        Add(lines, u"　 要素数：", IntStr(d.N));
        Add(lines, u"　　 線　数：", IntStr(d.mLineN));
        Add(lines, u"　　 円弧数：", IntStr(d.mEnkoN));
        Add(lines, u"　　 点　数：", IntStr(d.mTenN));
        Add(lines, u"　　 文字数：", IntStr(d.mMojiN));
        Add(lines, u"　　 寸法数：", IntStr(d.mSunpoN));
        Add(lines, u"　　ｿﾘｯﾄﾞ数：", IntStr(d.mSolidN));
        Add(lines, u"　　ﾌﾞﾛｯｸ数：", IntStr(d.mBlockN));
    }
}

// The entity counts of drawings and figures alike, then the block definitions.
void AddEntityLines(Lines& lines, const TJwEntities& jw) {
    const std::pair<const char16_t*, int32_t> counts[] = {
        {u"N1：", jw.Hd().n1},           {u" 線　 数：", jw.EntLineN},   {u" 円弧 数：", jw.EntEnkoN},
        {u" 点　 数：", jw.EntTenN},     {u" 文字 数：", jw.EntMojiN},   {u" 寸法 数：", jw.EntSunpoN},
        {u" ｿﾘｯﾄﾞ数：", jw.EntSolidN},   {u" ﾌﾞﾛｯｸ数：", jw.EntBlockN},  {u"ﾌﾞﾛｯｸ定義数：", jw.EntBlockDefN},
    };
    for (const auto& [label, n] : counts) Add(lines, label, IntStr(n));
    AddBlockDefLines(lines, jw);
}

}  // namespace

std::vector<JwString> JwwHeaderReport(const TJwwData& jw, const JwString& FName) {
    Lines lines;
    lines.reserve(256);
    const TEntJwwHeader& h = jw.Enthd;
    Add(lines, u"ファイル名：", FName);
    Add(lines, u"----------------------------------------");
    Add(lines, u"JWW識別用データ：", h.jwID);
    Add(lines, u"バージョンNo.　：", IntStr(h.jwVer));
    Add(lines, u"ファイルメモ 　：", h.strMemo);
    Add(lines, jw.MojiEncode ? u"文字コード　 　：Unicode (UTF-16)" : u"文字コード　 　：ANSI (Shift-JIS)");
    // JWW drawings number their paper sizes as JWC drawings do.
    Add(lines, u"図面サイズ　 　：", IntStr(h.nZumen) + u"（" + PaperName(h.nZumen) + u"）");
    Add(lines, u"書込LayerGroup ：", IntStr(h.nWriteGLay));
    Add(lines, u"寸法関係の設定");
    Add(lines, u"　寸法線色（1～9）　　　　：", IntStr(Digit(h.lnSunpou1, 1)));
    Add(lines, u"　引出線色（1～9）　　　　：", IntStr(Digit(h.lnSunpou1, 2)));
    Add(lines, u"　寸法点色（1～9）　　　　：", IntStr(Digit(h.lnSunpou1, 3)));
    Add(lines, u"　寸法値の小数点以下桁数　：", IntStr(Digit(h.lnSunpou1, 4)));
    Add(lines, u"　寸法単位（0:mm、1:ｍ）　：", IntStr(Digit(h.lnSunpou1, 5)));
    Add(lines, u"　寸法線端(0:点,1:<-,2:>-)：", IntStr(Digit(h.lnSunpou1, 6)));
    Add(lines, u"　寸法文字種（1～10） 　　：", IntStr(Digit(h.lnSunpou1, 7)));
    Add(lines, u"　寸法値の寸法線との離れ　：", Tenth(Signed1000(h.lnSunpou2 % 10000)));
    Add(lines, u"　寸法線の突出長さ　　　　：", Tenth(Signed1000(h.lnSunpou2 / 10000)));
    Add(lines, u"　矢印長さ　　　　　　　　：", Tenth(h.lnSunpou3 % 1000));
    Add(lines, u"　矢印角度　　　　　　　　：", Tenth((h.lnSunpou3 / 1000) % 1000));
    Add(lines, u"　逆矢印の出寸法　　　　　：", Tenth((h.lnSunpou3 / 1000000) % 1000));
    Add(lines, u"　寸法値方向補正(0:有,1:無：", IntStr(Digit(h.lnSunpou4, 1)));
    Add(lines, u"　寸法値を全角(0半角,1全角：", IntStr(Digit(h.lnSunpou4, 2)));
    Add(lines, u"　寸法値のカンマ(0[,] 1[SP：", IntStr(Digit(h.lnSunpou4, 3)));
    Add(lines, u"　寸法値カンマ(0半角 1全角：", IntStr(Digit(h.lnSunpou4, 4)));
    Add(lines, u"　寸法値小数点(0半角 1全角：", IntStr(Digit(h.lnSunpou4, 5)));
    Add(lines, u"　寸法値の単位表示(0無 1有：", IntStr(Digit(h.lnSunpou4, 6)));
    Add(lines, u"　半径値Ｒ表示(0無 1前 2後：", IntStr(Digit(h.lnSunpou4, 7)));
    Add(lines, u"　半径値カンマ表示(0無 1有：", IntStr(Digit(h.lnSunpou4, 8)));
    Add(lines, u"　半径値小数点0表示(0無1有：", IntStr(Digit(h.lnSunpou4, 9)));
    Add(lines, u"　寸法値(0:通常文字 1:斜め：", IntStr(Digit(h.lnSunpou5, 1)));
    Add(lines, u"　寸法値(0:通常文字 1:太字：", IntStr(Digit(h.lnSunpou5, 2)));
    Add(lines, u"　角度単位（0:度単位、1:度分秒単位、2:度単位「°」の表示なし）");
    Add(lines, u"　　　　　　　　　　　　　：", IntStr(Digit(h.lnSunpou5, 3)));
    Add(lines, u"　角度単位の小数点以下桁数：", IntStr(Digit(h.lnSunpou5, 4)));
    Add(lines, u"　寸法図形(0:しない 1:する：", IntStr(Digit(h.lnSunpou5, 5)));
    Add(lines, u"　範囲選択のとき寸法図形を線色・種の属性で選択（0:選択しない、1:選択する）");
    Add(lines, u"　　　　　　　　　　　　　：", IntStr(Digit(h.lnSunpou5, 6)));
    Add(lines, u"　表示小数点以下の処理（0:四捨五入　1:切捨　2:切上）(Ver.4.02以降）");
    Add(lines, u"　　　　　　　　　　　　　：", IntStr(Digit(h.lnSunpou5, 7)));
    Add(lines, u"線描画の最大幅（-101:「線幅を1/100mm単位とする」）");
    Add(lines, u"　　　　　　　　　　　　　：", IntStr(h.nMaxDrawWid));
    Add(lines, u"□線幅を1/100mm単位とする ：", BoolStr01(h.bSenHaba100));
    Add(lines, u"チェック前の線描画の最大幅：", IntStr(h.nMaxDrawWidBak));
    Add(lines, u"プリンタ出力範囲の原点(Ｘ)：", Real(h.DPPrtGenten_x));
    Add(lines, u"プリンタ出力範囲の原点(Ｙ)：", Real(h.DPPrtGenten_y));
    Add(lines, u"プリンタ出力倍率　　　　　：", Real(h.dPrtBairitsu));
    Add(lines, u"プリンタ90°回転出力　　　：", IntStr(h.nPrtSet % 10));
    Add(lines, u"プリンタ出力基準点位置　　：", IntStr((h.nPrtSet / 10) % 10));
    Add(lines, u"目盛設定モード　　　　　　：", MemoriModeText(h.nMemoriMode));
    Add(lines, u"目盛表示最小間隔ドット　　：", Real(h.dMemoriHyoujiMin));
    Add(lines, u"目盛表示間隔(Ｘ)　　　　　：", Real(h.dMemoriX));
    Add(lines, u"目盛表示間隔(Ｙ)　　　　　：", Real(h.dMemoriY));
    Add(lines, u"目盛基準点(Ｘ)　　　　　　：", Real(h.DpMemoriKjTen_x));
    Add(lines, u"目盛基準点(Ｙ)　　　　　　：", Real(h.DpMemoriKjTen_y));
    Add(lines, u"測定面高さ　　　　　　　　：", Real(h.dKageLevel));
    Add(lines, u"緯度　　　　　　　　　　　：", Real(h.dKageIdo));
    Add(lines, u"９～15の測定の指定　　　　：", IntStr(h.nKage9_15JiFlg));
    Add(lines, u"壁面日影測定面高さ　　　　：", Real(h.dKabeKageLevel));
    Add(lines, u"天空図の測定高さ　　　　　：", Real(h.dTenkuuZuLevel));
    Add(lines, u"　　　　　　　　　　　　　：", Real(h.dTenkuuZuEnkoR));
    Add(lines, u"2.5Dの計算単位(0以外はmm単位で計算)：", IntStr(h.nMMTani3D));
    Add(lines, u"保存時の画面倍率　　　　　：", Real(h.dBairitsu));
    Add(lines, u"保存時の画面倍率 基準点X　：", Real(h.DPGenten_x));
    Add(lines, u"保存時の画面倍率 基準点Y　：", Real(h.DPGenten_y));
    Add(lines, u"範囲記憶倍率　　　　　　　：", Real(h.dHanniBairitsu));
    Add(lines, u"範囲記憶倍率 基準点X　　　：", Real(h.DPHanniGenten_x));
    Add(lines, u"範囲記憶倍率 基準点Y　　　：", Real(h.DPHanniGenten_y));
    // Mark-jump groups: four before version 3.00, eight from it on (with the
    // layer-group registration).
    const int32_t marks = h.jwVer <= 299 ? 4 : 8;
    for (int32_t i = 1; i <= marks; ++i) {
        const JwString no = IntStr(i) + u"：";
        Add(lines, u"マークジャンプ倍率　　　　：", no + Real(h.dZoomJumpBairitsu[i - 1]));
        Add(lines, u"マークジャンプ倍率 基準点X：", no + Real(h.DPZoomJumpGenten_x[i - 1]));
        Add(lines, u"マークジャンプ倍率 基準点Y：", no + Real(h.DPZoomJumpGenten_y[i - 1]));
        if (h.jwVer > 299) Add(lines, u"レイヤグループ登録番号　　：", no + Real(h.nZoomJumpGLay[i - 1]));
    }
    if (h.jwVer > 299) {
        Add(lines, u"ダミー dDm11：", Real(h.dDm11));
        Add(lines, u"ダミー dDm12：", Real(h.dDm12));
        Add(lines, u"ダミー dDm13：", Real(h.dDm13));
        Add(lines, u"ダミー lnDm1：", IntStr(h.lnDm1));
        Add(lines, u"ダミー dDm21：", Real(h.dDm21));
        Add(lines, u"ダミー dDm22：", Real(h.dDm22));
    }
    if (h.jwVer > 419) {
        Add(lines, u"文字列範囲を背景色で描画するときの範囲増寸法：", Real(h.dMojiBG));
        Add(lines, u"文字（寸法図形、ブロック図形）を最後に描画　：", Real(h.nMojiBG));
    }
    for (int32_t k = 0; k < 10; ++k)
        Add(lines, u"複線間隔　　　　　　　　　：", IntStr(k) + u"：" + Real(h.adFukusenSuuchi[k]));
    Add(lines, u"両側複線の留線出の寸法　　：", Real(h.dRyougawaFukusenTomeDe));
    Add(lines, u"実点画面描画時の指定半径で描画　：", IntStr(h.nDrawGamenTen));
    Add(lines, u"実点プリンタ出力時指定半径で書く：", IntStr(h.nDrawPrtTen));
    Add(lines, u"BitMap・ソリッドを最初に描画する：", IntStr(h.nBitMapFirstDraw));
    AddDrawOrderLines(lines, h.nBitMapFirstDraw);
    Add(lines, u"逆描画　　　　　　　　　　　　　：", IntStr(h.nGyakuDraw));
    Add(lines, u"逆サーチ　　　　　　　　　　　　：", IntStr(h.nGyakuSearch));
    Add(lines, u"カラー印刷　　　　　　　　　　　：", IntStr(h.nColorPrint));
    Add(lines, u"レイヤ順の印刷　　　　　　　　　：", IntStr(h.nLayJunPrint));
    Add(lines, u"色番号順の印刷　　　　　　　　　：", IntStr(h.nColJunPrint));
    Add(lines, u"レイヤグループ又はレイヤごとのプリンタ連続出力指定：", IntStr(h.nPrtRenzoku));
    Add(lines, u"プリンタ共通レイヤ(表示のみレイヤ)のグレー出力指定：", IntStr(h.nPrtKyoutsuuGray));
    Add(lines, u"プリンタ出力時に表示のみレイヤは出力しない　　　　：", IntStr(h.nPrtDispOnlyNonDraw));
    Add(lines, u"ドット印刷時 300DPI(1)/600DPI(2)：", IntStr(h.nPrtDpi));
    Add(lines, u"作図時間　　　　　　　　　　　　：", IntStr(h.lnDrawTime));
    Add(lines, u"2.5Dの視点位置が設定されている時のフラグ：", IntStr(h.nEyeInit));
    Add(lines, u"2.5Dの透視図の視点水平角(100倍値：", IntStr(h.dEye_H_Ichi_1));
    Add(lines, u"　　　俯瞰図　　　　　　　　　　：", IntStr(h.dEye_H_Ichi_2));
    Add(lines, u"　　　アイソメ図　　　　　　　　：", IntStr(h.dEye_H_Ichi_3));
    Add(lines, u"2.5Dの透視図の視点高さ　　　　　：", Real(h.dEye_Z_Ichi_1));
    Add(lines, u"　　　　　　　視点離れ　　　　　：", Real(h.dEye_Y_Ichi_1));
    Add(lines, u"2.5Dの俯瞰図の視点高さ　　　　　：", Real(h.dEye_Z_Ichi_2));
    Add(lines, u"　　　　　　　視点離れ　　　　　：", Real(h.dEye_Y_Ichi_2));
    Add(lines, u"2.5Dのアイソメ図の視点垂直角　　：", Real(h.dEye_V_Ichi_3));
    Add(lines, u"線の長さ指定の最終値　　　　　　：", Real(h.dSenNagasaSnpou));
    Add(lines, u"矩形寸法横寸法の最終値　　　　　：", Real(h.dBoxSunpouX));
    Add(lines, u"矩形寸法縦寸法の最終値　　　　　：", Real(h.dBoxSunpouY));
    Add(lines, u"円の半径指定の最終値　　　　　　：", Real(h.dEnHankeiSnpou));
    Add(lines, u"ソリッド色を任意色で書くフラグ　：", IntStr(h.nSolidNinniColor));
    Add(lines, u"ソリッドの任意色の既定値(RGB) 　：", Hex6(h.SolidColor));
    Add(lines, u"書込み文字の文字幅　　　　　　　：", Real(h.dMojiSizeX));
    Add(lines, u"書込み文字の文字高さ　　　　　　：", Real(h.dMojiSizeY));
    Add(lines, u"書込み文字の文字間隔　　　　　　：", Real(h.dMojiKankaku));
    Add(lines, u"書込み文字の色番号　　　　　　　：", IntStr(h.nMojiColor));
    Add(lines, u"書込み文字の文字番号　　　　　　：", IntStr(h.nMojiShu));
    Add(lines, u"文字位置整理の行間　　　　　　　：", Real(h.dMojiSeiriGyouKan));
    Add(lines, u"文字位置整理の文字数　　　　　　：", Real(h.dMojiSeiriSuu));
    Add(lines, u"文字基準点のずれ位置使用のフラグ：", IntStr(h.nMojiKijunZureOn));
    Add(lines, u"文字基準点の横方向のずれ位置左　：", Real(h.adMojiKijunZureX0));
    Add(lines, u"文字基準点の横方向のずれ位置中　：", Real(h.adMojiKijunZureX1));
    Add(lines, u"文字基準点の横方向のずれ位置右　：", Real(h.adMojiKijunZureX2));
    Add(lines, u"文字基準点の縦方向のずれ位置下　：", Real(h.adMojiKijunZureY0));
    Add(lines, u"文字基準点の縦方向のずれ位置中　：", Real(h.adMojiKijunZureY1));
    Add(lines, u"文字基準点の縦方向のずれ位置上　：", Real(h.adMojiKijunZureY2));
    AddEntityLines(lines, jw);
    Add(lines, u"同梱画像数：", IntStr(jw.BindImageN));
    const size_t images = HeldCount(jw.BindImage, jw.BindImageN);
    for (size_t i = 0; i < images; ++i) {
        const TBindImageType& im = jw.BindImage[i];
        Add(lines, u"　ファイル名：", im.Fname + u"　(" + IntStr(im.Fsize) + u")");
    }
    return lines;
}

std::vector<JwString> JwsHeaderReport(const TJwsData& jw, const JwString& FName) {
    Lines lines;
    const TEntJwsHeader& h = jw.Enthd;
    Add(lines, u"ファイル名：", FName);
    Add(lines, u"----------------------------------------");
    Add(lines, u"JWS識別用データ：", h.jwID);
    Add(lines, u"バージョンNo.　：", IntStr(h.jwVer));
    Add(lines, u"基準点Ｘ　　　 ：", Real(h.BasePoint_x));
    Add(lines, u"基準点Ｙ　　　 ：", Real(h.BasePoint_y));
    Add(lines, jw.MojiEncode ? u"文字コード　 　：Unicode (UTF-16)" : u"文字コード　 　：ANSI (Shift-JIS)");
    Add(lines, u"座標値");
    Add(lines, u"Ｘ　　　　　　 ：", Real(h.Mx1));
    Add(lines, u"Ｙ　　　　　　 ：", Real(h.My1));
    Add(lines, u"Ｘ　　　　　　 ：", Real(h.Mx2));
    Add(lines, u"Ｙ　　　　　　 ：", Real(h.My2));
    AddEntityLines(lines, jw);
    return lines;
}

}  // namespace jw
