// Header report and tables of the real sample drawings, checked against the
// independently decoded expected.jsonl and against the model read.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/samples.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "report/header_report.h"
#include "support/numbers.h"
#include "support/text_encoding.h"
#include "viewer/table_views.h"

namespace jw {
namespace {

using Lines = std::vector<JwString>;
using nlohmann::json;

// The entries of expected.jsonl; without the samples folder one empty entry,
// whose test is skipped.
std::vector<json> LoadExpected() {
    if (!test::HaveSamples()) return {json::object()};
    std::vector<json> out;
    std::ifstream in(test::SamplePath("expected.jsonl"));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) out.push_back(json::parse(line));
    }
    return out;
}

JwString J(const json& v) { return FromUtf8(v.get<std::string>()); }
JwString N(const json& v) { return IntStr(v.get<int32_t>()); }

int Find(const Lines& lines, const JwString& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) return static_cast<int>(i);
    }
    return -1;
}

// The lines from "N1：" to the end: counts, block definitions and images.
Lines ExpectedTail(const json& e, bool withImages) {
    const json& c = e["counts"];
    Lines t = {
        u"N1：" + N(e["n1"]),
        u" 線　 数：" + N(c["line"]),
        u" 円弧 数：" + N(c["arc"]),
        u" 点　 数：" + N(c["point"]),
        u" 文字 数：" + N(c["text"]),
        u" 寸法 数：" + N(c["dimension"]),
        u" ｿﾘｯﾄﾞ数：" + N(c["solid"]),
        u" ﾌﾞﾛｯｸ数：" + N(c["block"]),
        u"ﾌﾞﾛｯｸ定義数：" + IntStr(static_cast<int32_t>(e["block_definitions"].size())),
    };
    int32_t j = 0;
    for (const json& d : e["block_definitions"]) {
        const json& m = d["counts"];
        t.push_back(u"　ﾌﾞﾛｯｸNo：" + IntStr(j++));
        t.push_back(u"　ﾌﾞﾛｯｸ名：" + J(d["name"]));
        t.push_back(u"　 要素数：" + N(d["members"]));
        t.push_back(u"　　 線　数：" + N(m["line"]));
        t.push_back(u"　　 円弧数：" + N(m["arc"]));
        t.push_back(u"　　 点　数：" + N(m["point"]));
        t.push_back(u"　　 文字数：" + N(m["text"]));
        t.push_back(u"　　 寸法数：" + N(m["dimension"]));
        t.push_back(u"　　ｿﾘｯﾄﾞ数：" + N(m["solid"]));
        t.push_back(u"　　ﾌﾞﾛｯｸ数：" + N(m["block"]));
    }
    if (withImages) {
        t.push_back(u"同梱画像数：" + IntStr(static_cast<int32_t>(e["bound_images"].size())));
        for (const json& im : e["bound_images"]) {
            t.push_back(u"　ファイル名：" + J(im["name"]) + u"　(" + N(im["size"]) + u")");
        }
    }
    return t;
}

void CheckEntityGrids(const JwTableSource& src, const json& e) {
    const std::pair<int, const char*> grids[] = {
        {kGridLine, "line"}, {kGridEnko, "arc"},   {kGridTen, "point"}, {kGridMoji, "text"},
        {kGridSunpo, "dimension"}, {kGridSolid, "solid"}, {kGridBlock, "block"},
    };
    for (const auto& [grid, key] : grids) {
        const int count = e["counts"][key].get<int>();
        SCOPED_TRACE(key);
        EXPECT_EQ(src.RowCount(grid), std::max(1, count));
        EXPECT_EQ(src.Cell(grid, src.RowCount(grid) - 1, 0), count > 0 ? IntStr(count) : JwString());
    }
}

class SampleReport : public testing::TestWithParam<json> {};

TEST_P(SampleReport, ReportAndTablesAgreeWithFile) {
    ZS_NEED_SAMPLES();
    const json& e = GetParam();
    const JwString path = FromUtf8(test::SamplePath(e["file"].get<std::string>()).string());
    const JwString encoding = e["encoding"] == "utf16" ? JwString(u"文字コード　 　：Unicode (UTF-16)")
                                                       : JwString(u"文字コード　 　：ANSI (Shift-JIS)");
    JwTableSource src;
    if (e["format"] == "jws") {
        TJwsData m;
        ASSERT_TRUE(m.FileIn(path)) << m.LastError;
        const Lines lines = JwsHeaderReport(m, path);
        ASSERT_GE(lines.size(), 13u);
        EXPECT_EQ(lines[0], u"ファイル名：" + path);
        EXPECT_EQ(lines[2], u"JWS識別用データ：JwsData");
        EXPECT_EQ(lines[3], u"バージョンNo.　：" + N(e["version"]));
        EXPECT_EQ(lines[4], u"基準点Ｘ　　　 ：" + FloatStr(m.Enthd.BasePoint_x));
        EXPECT_EQ(lines[6], encoding);
        EXPECT_EQ(lines[11], u"Ｙ　　　　　　 ：" + FloatStr(m.Enthd.My2));
        EXPECT_EQ(Lines(lines.begin() + 12, lines.end()), ExpectedTail(e, false));

        src.SetJws(&m);
        CheckEntityGrids(src, e);
        for (int g = 0; g < 16; ++g) {
            EXPECT_EQ(src.Cell(kGridLayerGroup, g, 3), FloatStr(m.EntLgrp[g].adScale));
            EXPECT_EQ(src.Cell(kGridLayerGroup, g, 5), u"");
        }
        EXPECT_EQ(src.Cell(kGridLineType, 17, 1), u"");
        return;
    }

    TJwwData m;
    m.BindImageExr = true;  // list bound images without extracting them
    ASSERT_TRUE(m.FileIn(path)) << m.LastError;
    const Lines lines = JwwHeaderReport(m, path);
    ASSERT_GE(lines.size(), 68u);
    EXPECT_EQ(lines[0], u"ファイル名：" + path);
    EXPECT_EQ(lines[2], u"JWW識別用データ：JwwData.");
    EXPECT_EQ(lines[3], u"バージョンNo.　：" + N(e["version"]));
    EXPECT_EQ(lines[4], u"ファイルメモ 　：" + J(e["memo"]));
    EXPECT_EQ(lines[5], encoding);
    EXPECT_EQ(lines[6], u"図面サイズ　 　：" + IntStr(m.Enthd.nZumen) + u"（" + PaperName(m.Enthd.nZumen) + u"）");
    EXPECT_EQ(lines[63], u"保存時の画面倍率 基準点X　：" + FloatStr(m.Enthd.DPGenten_x));

    // Version-dependent middle part: eight mark groups with registrations,
    // the reserved values and, from 4.20, the text background lines.
    const int ver = e["version"].get<int>();
    ASSERT_GE(ver, 420);
    EXPECT_EQ(lines[68], u"マークジャンプ倍率　　　　：1：" + FloatStr(m.Enthd.dZoomJumpBairitsu[0]));
    EXPECT_EQ(lines[99], u"レイヤグループ登録番号　　：8：" + IntStr(m.Enthd.nZoomJumpGLay[7]));
    EXPECT_EQ(lines[106], u"文字列範囲を背景色で描画するときの範囲増寸法：" + FloatStr(m.Enthd.dMojiBG));
    EXPECT_EQ(lines[108], u"複線間隔　　　　　　　　　：0：" + FloatStr(m.Enthd.adFukusenSuuchi[0]));
    EXPECT_EQ(lines[121], u"BitMap・ソリッドを最初に描画する：" + IntStr(m.Enthd.nBitMapFirstDraw));

    const int n1 = Find(lines, u"N1：" + N(e["n1"]));
    ASSERT_GT(n1, 0);
    EXPECT_EQ(lines[n1 - 1], u"文字基準点の縦方向のずれ位置上　：" + FloatStr(m.Enthd.adMojiKijunZureY2));
    EXPECT_EQ(Lines(lines.begin() + n1, lines.end()), ExpectedTail(e, true));

    src.SetJww(&m);
    CheckEntityGrids(src, e);
    for (int g = 0; g < 16; ++g) {
        EXPECT_EQ(src.Cell(kGridLayerGroup, g, 5), m.EntLgrp[g].aStrGLayName);
        EXPECT_EQ(src.Cell(kGridLayerGroup, g, 3), FloatStr(m.EntLgrp[g].adScale));
    }
    EXPECT_EQ(src.Cell(kGridLayer, 255, 3), m.EntLay[255].aStrLayName);
    EXPECT_EQ(src.Cell(kGridLineType, 49, 1), m.EntLtpS[32].astrUDLTypeName);
    if (m.EntMojiN > 0) {
        const int last = m.EntMojiN - 1;
        EXPECT_EQ(src.Cell(kGridMoji, last, 18), m.EntMoji[last].str);
        EXPECT_EQ(src.Cell(kGridMoji, last, 17), m.EntMoji[last].strFontName);
    }
}

std::string SampleName(const testing::TestParamInfo<json>& info) {
    std::string n = info.param.contains("file") ? info.param["file"].get<std::string>() : "no_samples";
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return n;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReport, testing::ValuesIn(LoadExpected()), SampleName);

}  // namespace
}  // namespace jw
