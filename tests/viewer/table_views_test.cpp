// The twelve tables: cleared state, filling from a JWW drawing and a JWS figure.
#include <gtest/gtest.h>

#include <string>

#include "support/numbers.h"
#include "viewer/table_views.h"

namespace jw {
namespace {


// Every cell of the table grids as Clear() leaves them.
struct Snapshot {
    std::vector<std::vector<std::vector<JwString>>> cells;
};

Snapshot TakeTables(const JwTableSource& src) {
    Snapshot s;
    for (int g = 0; g <= kGridMojiType; ++g) {
        std::vector<std::vector<JwString>> rows(src.RowCount(g));
        for (int r = 0; r < src.RowCount(g); ++r) {
            for (int c = 0; c < JwTableSource::ColumnCount(g); ++c) rows[r].push_back(src.Cell(g, r, c));
        }
        s.cells.push_back(std::move(rows));
    }
    return s;
}

TEST(TableViews, GridsInPageOrder) {
    struct Case {
        const char16_t* caption;
        const char* name;
        int columns;
        int rows;
        const char16_t* firstHeader;
        const char16_t* lastHeader;
    };
    const Case cases[kGridCount] = {
        {u"レイヤＧ", "StringGrid1", 6, 16, u"Ｎｏ．", u"レイヤグループ名"},
        {u"レイヤ", "StringGrid2", 4, 256, u"Ｎｏ．", u"レイヤ名"},
        {u"線色", "StringGrid3", 7, 267, u"色No", u"プリンタ出力実点半径"},
        {u"線種", "StringGrid4", 8, 50, u"線種No", u"プリンタ出力振幅"},
        {u"文字種", "StringGrid5", 5, 10, u"文字種番号", u"色番号"},
        {u"線分", "StringGrid_Line", 12, 1, u"No.", u"終点Ｙ座標"},
        {u"円弧", "StringGrid_Enko", 16, 1, u"No.", u"全円フラグ"},
        {u"点", "StringGrid_Ten", 14, 1, u"No.", u"倍率"},
        {u"文字", "StringGrid_Moji", 19, 1, u"No.", u"文字列"},
        {u"寸法", "StringGrid_Sunpo", 37, 1, u"No.", u"字・文字列"},
        {u"ソリッド", "StringGrid_Solid", 17, 1, u"No.", u"塗潰し色(任意色時)"},
        {u"ブロック", "StringGrid_Block", 14, 1, u"No.", u"通し番号"},
    };
    const JwTableSource src;
    for (int g = 0; g < kGridCount; ++g) {
        const Case& c = cases[g];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JwTableSource::Caption(g), c.caption);
        EXPECT_STREQ(JwTableSource::GridName(g), c.name);
        EXPECT_EQ(JwTableSource::ColumnCount(g), c.columns);
        EXPECT_EQ(src.RowCount(g), c.rows);
        EXPECT_EQ(JwTableSource::ColumnHeader(g, 0), c.firstHeader);
        EXPECT_EQ(JwTableSource::ColumnHeader(g, c.columns - 1), c.lastHeader);
        EXPECT_EQ(JwTableSource::ColumnHeader(g, c.columns), u"");
        for (int col = 0; col < c.columns; ++col) EXPECT_FALSE(JwTableSource::ColumnHeader(g, col).empty());
    }
    EXPECT_EQ(JwTableSource::ColumnHeader(kGridSunpo, 19), u"字・曲線属性番号");
    EXPECT_EQ(JwTableSource::ColumnHeader(kGridSolid, 10), u"第４点Ｘ座標");
    EXPECT_EQ(JwTableSource::Caption(kGridCount), u"");
    EXPECT_EQ(JwTableSource::ColumnCount(-1), 0);
    EXPECT_EQ(src.RowCount(kGridCount), 0);
}

// Expected cleared content of column 0 and 1 of the table grids.
JwString ClearedNumber(int grid, int row) {
    switch (grid) {
        case kGridLayerGroup:
        case kGridLayer: return IntStr(row);
        case kGridColor: return IntStr(row < 10 ? row : row + 90);
        case kGridLineType: return IntStr(row < 17 ? row + 1 : row + 13);
        case kGridMojiType: return IntStr(row + 1);
        default: return JwString();
    }
}

JwString ClearedName(int grid, int row) {
    static const char16_t* const colors[10] = {u"背景色", u"線色１", u"線色２", u"線色３", u"線色４",
                                               u"線色５", u"線色６", u"線色７", u"線色８", u"グレー色"};
    static const char16_t* const types[17] = {
        u"線種２",        u"線種３",        u"線種４",        u"線種５",        u"線種６",
        u"線種７",        u"線種８",        u"線種９",        u"ランダム線1",   u"ランダム線2",
        u"ランダム線3",   u"ランダム線4",   u"ランダム線5",   u"倍長線種番号1", u"倍長線種番号2",
        u"倍長線種番号3", u"倍長線種番号4"};
    if (grid == kGridColor && row < 10) return colors[row];
    if (grid == kGridLineType && row < 17) return types[row];
    return JwString();
}

TEST(TableViews, ClearedState) {
    const JwTableSource src;
    for (int g = 0; g <= kGridMojiType; ++g) {
        for (int r = 0; r < src.RowCount(g); ++r) {
            ASSERT_EQ(src.Cell(g, r, 0), ClearedNumber(g, r)) << g << "/" << r;
            ASSERT_EQ(src.Cell(g, r, 1), ClearedName(g, r)) << g << "/" << r;
            for (int c = 2; c < JwTableSource::ColumnCount(g); ++c) ASSERT_EQ(src.Cell(g, r, c), u"") << g << "/" << r;
        }
    }
    // Spot checks of the numbering: colours 0-9 then 100-356, line types 1-17 then 30-62.
    EXPECT_EQ(src.Cell(kGridColor, 9, 0), u"9");
    EXPECT_EQ(src.Cell(kGridColor, 10, 0), u"100");
    EXPECT_EQ(src.Cell(kGridColor, 266, 0), u"356");
    EXPECT_EQ(src.Cell(kGridLineType, 16, 0), u"17");
    EXPECT_EQ(src.Cell(kGridLineType, 17, 0), u"30");
    EXPECT_EQ(src.Cell(kGridLineType, 49, 0), u"62");
    for (int g = kGridLine; g < kGridCount; ++g) {
        EXPECT_EQ(src.RowCount(g), 1);
        for (int c = 0; c < JwTableSource::ColumnCount(g); ++c) EXPECT_EQ(src.Cell(g, 0, c), u"");
    }
    // Outside the grid.
    EXPECT_EQ(src.Cell(kGridColor, 267, 0), u"");
    EXPECT_EQ(src.Cell(kGridColor, -1, 0), u"");
    EXPECT_EQ(src.Cell(kGridColor, 0, 7), u"");
    EXPECT_EQ(src.Cell(kGridCount, 0, 0), u"");
}

TEST(TableViews, ClearAfterLoadEqualsFreshSource) {
    TJwwData jw;
    jw.EntLgrp.resize(16);
    jw.EntLgrp[0].aStrGLayName = u"G";
    jw.EntLine.resize(2);
    jw.EntLineN = 2;
    JwTableSource src;
    src.SetJww(&jw);
    EXPECT_EQ(src.RowCount(kGridLine), 2);
    src.Clear();
    EXPECT_EQ(TakeTables(src).cells, TakeTables(JwTableSource()).cells);
    EXPECT_EQ(src.RowCount(kGridLine), 1);
    EXPECT_EQ(src.Cell(kGridLine, 0, 0), u"");
    src.SetJww(nullptr);
    EXPECT_EQ(src.Cell(kGridLayerGroup, 0, 5), u"");
}

// A drawing with every table at full length and recognisable values.
TJwwData TablesDrawing() {
    TJwwData jw;
    jw.Enthd.jwVer = 700;
    jw.SizeHeaderTables();
    for (int g = 0; g < 16; ++g) {
        jw.EntLgrp[g] = {2, g % 16, 50.0 * (g + 1), g % 2, u"G" + IntStr(g)};
    }
    for (int n = 0; n < 256; ++n) jw.EntLay[n] = {n % 3, n % 2, u"L" + IntStr(n)};
    for (int i = 0; i < 10; ++i) jw.EntCol[i] = {0x10000 + i, i + 1, 0x20000 + i, i + 2, 0.25 * i};
    for (int i = 0; i < 257; ++i) jw.EntColS[i] = {i, i + 3, u"C" + IntStr(100 + i), i + 4, i + 5, 0.5};
    for (int i = 0; i < 8; ++i) jw.EntLtp1[i] = {0x12 + i, 10 + i, 20 + i, 30 + i};
    for (int i = 0; i < 5; ++i) jw.EntLtp2[i] = {static_cast<int32_t>(0xFFFF00FFu), 40 + i, 50 + i, 60 + i, 70 + i};
    for (int i = 0; i < 4; ++i) jw.EntLtp3[i] = {0x5A5A5A5A, 80 + i, 90 + i, 100 + i};
    for (int k = 0; k < 33; ++k) {
        TEntJwwLineTypeExNo& x = jw.EntLtpS[k];
        x.alLType = 0x7;
        x.anTokushuSenUintDot = 1;
        x.anTokushuSenPich = 2;
        x.anPrtTokushuSenPich = 3;
        x.astrUDLTypeName = u"T" + IntStr(30 + k);
        x.anUDLTypeSegment = 4;
        for (int p = 0; p < 10; ++p) x.aadUDLTypePitch[p] = p == 0 ? 1.5 : (p == 1 ? -0.25 : 0.0);
    }
    for (int i = 0; i < 10; ++i) jw.EntMoj[i] = {1.0 + i, 2.0 + i, 0.5, i + 1};
    return jw;
}

TEST(TableViews, TablesFromJww) {
    const TJwwData jw = TablesDrawing();
    JwTableSource src;
    src.SetJww(&jw);
    struct Case {
        int grid, row, col;
        const char16_t* text;
    };
    const Case cases[] = {
        {kGridLayerGroup, 3, 0, u"3"},        {kGridLayerGroup, 3, 1, u"2"},
        {kGridLayerGroup, 3, 2, u"3"},        {kGridLayerGroup, 3, 3, u"200"},
        {kGridLayerGroup, 3, 4, u"1"},        {kGridLayerGroup, 3, 5, u"G3"},
        {kGridLayer, 255, 0, u"255"},         {kGridLayer, 255, 1, u"0"},
        {kGridLayer, 255, 2, u"1"},           {kGridLayer, 255, 3, u"L255"},
        {kGridColor, 0, 0, u"0"},             {kGridColor, 0, 1, u"背景色"},
        {kGridColor, 2, 2, u"65538"},         {kGridColor, 2, 3, u"3"},
        {kGridColor, 2, 4, u"131074"},        {kGridColor, 2, 5, u"4"},
        {kGridColor, 2, 6, u"0.5"},           {kGridColor, 9, 1, u"グレー色"},
        {kGridColor, 10, 0, u"100"},          {kGridColor, 10, 1, u"C100"},
        {kGridColor, 266, 0, u"356"},         {kGridColor, 266, 1, u"C356"},
        {kGridColor, 266, 2, u"256"},         {kGridColor, 266, 6, u"0.5"},
        {kGridLineType, 0, 0, u"1"},          {kGridLineType, 0, 1, u"線種２"},
        {kGridLineType, 0, 2, u"00000012"},   {kGridLineType, 0, 3, u"10"},
        {kGridLineType, 7, 5, u"37"},         {kGridLineType, 7, 6, u""},
        {kGridLineType, 8, 1, u"ランダム線1"}, {kGridLineType, 8, 2, u"FFFF00FF"},
        {kGridLineType, 8, 3, u""},           {kGridLineType, 8, 4, u"50"},
        {kGridLineType, 8, 5, u"70"},         {kGridLineType, 8, 6, u"40"},
        {kGridLineType, 12, 7, u"64"},        {kGridLineType, 13, 1, u"倍長線種番号1"},
        {kGridLineType, 16, 2, u"5A5A5A5A"},  {kGridLineType, 16, 5, u"103"},
        {kGridLineType, 16, 7, u""},          {kGridLineType, 17, 0, u"30"},
        {kGridLineType, 17, 1, u"T30"},       {kGridLineType, 17, 2, u"00000007"},
        {kGridLineType, 49, 1, u"T62"},       {kGridLineType, 49, 6, u"4"},
        {kGridLineType, 49, 7, u"1.5、-0.25、0、0、0、0、0、0、0、0、"},
        {kGridMojiType, 9, 0, u"10"},         {kGridMojiType, 9, 1, u"10"},
        {kGridMojiType, 9, 2, u"11"},         {kGridMojiType, 9, 3, u"0.5"},
        {kGridMojiType, 9, 4, u"10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(src.Cell(c.grid, c.row, c.col), c.text) << c.grid << "/" << c.row << "/" << c.col;
    }
    // No entities: one empty row each.
    for (int g = kGridLine; g < kGridCount; ++g) {
        EXPECT_EQ(src.RowCount(g), 1);
        EXPECT_EQ(src.Cell(g, 0, 0), u"");
    }
}

TEST(TableViews, ShortTablesKeepClearedRows) {
    TJwwData jw;
    jw.EntLgrp.resize(2);
    jw.EntLgrp[1] = {1, 4, 20.0, 0, u"B"};
    jw.EntLay.resize(10);
    jw.EntColS.resize(1);
    jw.EntColS[0].astrUDColorName = u"赤";
    JwTableSource src;
    src.SetJww(&jw);
    EXPECT_EQ(src.Cell(kGridLayerGroup, 1, 5), u"B");
    EXPECT_EQ(src.Cell(kGridLayerGroup, 2, 0), u"2");
    EXPECT_EQ(src.Cell(kGridLayerGroup, 2, 3), u"");
    EXPECT_EQ(src.Cell(kGridLayer, 9, 1), u"0");
    EXPECT_EQ(src.Cell(kGridLayer, 10, 1), u"");
    EXPECT_EQ(src.Cell(kGridColor, 1, 1), u"線色１");
    EXPECT_EQ(src.Cell(kGridColor, 1, 2), u"");
    EXPECT_EQ(src.Cell(kGridColor, 10, 1), u"赤");
    EXPECT_EQ(src.Cell(kGridColor, 11, 1), u"");
    EXPECT_EQ(src.Cell(kGridLineType, 20, 1), u"");
    EXPECT_EQ(src.Cell(kGridLineType, 8, 1), u"ランダム線1");
    EXPECT_EQ(src.Cell(kGridMojiType, 0, 1), u"");
}

TEST(TableViews, EntityGrids) {
    TJwwData jw;
    jw.EntLine.resize(3);
    jw.EntLineN = 3;
    jw.EntLine[2].att = {0xFFFFFFFFu, 2, 103, 25, 15, 14, 5};
    jw.EntLine[2].start_x = 1.5;
    jw.EntLine[2].end_y = -1e20;

    jw.EntEnko.resize(1);
    jw.EntEnkoN = 1;
    jw.EntEnko[0].dHankei = 10;
    jw.EntEnko[0].radEnkoKaku = 3.14159265358979;
    jw.EntEnko[0].bZenEnFlg = 1;

    jw.EntTen.resize(1);
    jw.EntTenN = 1;
    jw.EntTen[0].att.nPenStyle = 100;
    jw.EntTen[0].bKariten = 1;
    jw.EntTen[0].nCode = 7;
    jw.EntTen[0].dBairitsu = 2;

    jw.EntSolid.resize(1);
    jw.EntSolidN = 1;
    jw.EntSolid[0].att.nPenColor = 10;
    jw.EntSolid[0].Color = 255;
    jw.EntSolid[0].end_x = 4;
    jw.EntSolid[0].DPoint2_x = 2;
    jw.EntSolid[0].DPoint3_y = 3;

    jw.EntBlock.resize(1);
    jw.EntBlockN = 1;
    jw.EntBlock[0].dBairitsuY = 0.5;
    jw.EntBlock[0].nNumber = 42;

    jw.EntSunpo.resize(1);
    jw.EntSunpoN = 1;
    TEntJwwSunpo& d = jw.EntSunpo[0];
    d.att = {1, 1, 1, 1, 1, 1, 1};
    d.Sen.att = {2, 2, 2, 2, 2, 2, 2};
    d.Sen.start_x = 10;
    d.Sen.end_y = 13;
    d.Moji.att = {3, 3, 3, 3, 3, 3, 0x10};
    d.Moji.start_x = 20;
    d.Moji.end_y = 23;
    d.Moji.nMojiShu = 5;
    d.Moji.dSizeX = 2.5;
    d.Moji.degKakudo = 90;
    d.Moji.strFontName = u"ＭＳ ゴシック";
    d.Moji.str = u"1,000";

    JwTableSource src;
    src.SetJww(&jw);
    EXPECT_EQ(src.RowCount(kGridLine), 3);
    EXPECT_EQ(src.RowCount(kGridMoji), 1);  // no texts: one empty row
    EXPECT_EQ(src.Cell(kGridMoji, 0, 0), u"");
    EXPECT_EQ(src.Cell(kGridLine, 0, 0), u"1");
    EXPECT_EQ(src.Cell(kGridLine, 1, 0), u"2");
    struct Case {
        int grid, row, col;
        const char16_t* text;
    };
    const Case cases[] = {
        {kGridLine, 2, 0, u"3"},        {kGridLine, 2, 1, u"-1"},       {kGridLine, 2, 2, u"2"},
        {kGridLine, 2, 3, u"103"},      {kGridLine, 2, 4, u"25"},       {kGridLine, 2, 5, u"15"},
        {kGridLine, 2, 6, u"14"},       {kGridLine, 2, 7, u"00000005"}, {kGridLine, 2, 8, u"1.5"},
        {kGridLine, 2, 11, u"-1E20"},   {kGridEnko, 0, 10, u"10"},      {kGridEnko, 0, 12, u"3.14159265358979"},
        {kGridEnko, 0, 15, u"1"},       {kGridTen, 0, 2, u"100"},       {kGridTen, 0, 10, u"1"},
        {kGridTen, 0, 11, u"7"},        {kGridTen, 0, 13, u"2"},        {kGridSolid, 0, 3, u"10"},
        {kGridSolid, 0, 10, u"4"},      {kGridSolid, 0, 12, u"2"},      {kGridSolid, 0, 15, u"3"},
        {kGridSolid, 0, 16, u"0000FF"}, {kGridBlock, 0, 11, u"0.5"},    {kGridBlock, 0, 13, u"42"},
        {kGridSunpo, 0, 7, u"00000001"}, {kGridSunpo, 0, 8, u"2"},      {kGridSunpo, 0, 14, u"00000002"},
        {kGridSunpo, 0, 15, u"10"},     {kGridSunpo, 0, 18, u"13"},     {kGridSunpo, 0, 19, u"3"},
        {kGridSunpo, 0, 25, u"00000010"}, {kGridSunpo, 0, 26, u"20"},   {kGridSunpo, 0, 29, u"23"},
        {kGridSunpo, 0, 30, u"5"},      {kGridSunpo, 0, 31, u"2.5"},    {kGridSunpo, 0, 34, u"90"},
        {kGridSunpo, 0, 35, u"ＭＳ ゴシック"}, {kGridSunpo, 0, 36, u"1,000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(src.Cell(c.grid, c.row, c.col), c.text) << c.grid << "/" << c.row << "/" << c.col;
    }
}

TEST(TableViews, EntityCountsAgainstArrays) {
    TJwwData jw;
    // Arrays may be longer than their counts while a read is under way, and
    // a broken model could state more than it holds: only held entities show.
    jw.EntLine.resize(5);
    jw.EntLineN = 2;
    jw.EntMoji.resize(1);
    jw.EntMojiN = 4;
    jw.EntMoji[0].str = u"壁";
    jw.EntTenN = -3;
    JwTableSource src;
    src.SetJww(&jw);
    EXPECT_EQ(src.RowCount(kGridLine), 2);
    EXPECT_EQ(src.Cell(kGridLine, 2, 0), u"");
    EXPECT_EQ(src.RowCount(kGridMoji), 1);
    EXPECT_EQ(src.Cell(kGridMoji, 0, 18), u"壁");
    EXPECT_EQ(src.RowCount(kGridTen), 1);
    EXPECT_EQ(src.Cell(kGridTen, 0, 0), u"");
}

TEST(TableViews, JwsFillsOnlyScalesAndEntities) {
    const TJwwData jw = TablesDrawing();
    TJwsData jws;
    jws.EntLgrp.resize(16);
    for (int g = 0; g < 16; ++g) jws.EntLgrp[g] = {2, 0, 1.0 + g, 0, JwString()};
    jws.EntBlock.resize(2);
    jws.EntBlockN = 2;
    jws.EntBlock[1].nNumber = 9;

    JwTableSource src;
    src.SetJww(&jw);
    ASSERT_EQ(src.Cell(kGridLineType, 17, 1), u"T30");
    src.SetJws(&jws);

    // Everything but column 3 of the layer groups is as cleared: no JWW
    // values remain, the extended line-type names included.
    Snapshot expected = TakeTables(JwTableSource());
    for (int g = 0; g < 16; ++g) expected.cells[kGridLayerGroup][g][3] = FloatStr(1.0 + g);
    EXPECT_EQ(TakeTables(src).cells, expected.cells);
    EXPECT_EQ(src.Cell(kGridLayerGroup, 15, 3), u"16");
    EXPECT_EQ(src.Cell(kGridLayerGroup, 15, 1), u"");
    EXPECT_EQ(src.RowCount(kGridBlock), 2);
    EXPECT_EQ(src.Cell(kGridBlock, 1, 0), u"2");
    EXPECT_EQ(src.Cell(kGridBlock, 1, 13), u"9");
    EXPECT_EQ(src.RowCount(kGridLine), 1);
    EXPECT_EQ(src.Cell(kGridLine, 0, 0), u"");
}

}  // namespace
}  // namespace jw
