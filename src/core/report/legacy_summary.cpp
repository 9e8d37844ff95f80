// Summary, report lines and JSON fields of a legacy JWC drawing or JWK figure.
#include "report/legacy_summary.h"

#include <nlohmann/json.hpp>

#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"
#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "report/drawing_summary.h"
#include "support/numbers.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// The fields both formats have: identification, comments, the counts the
// header states, the entities read and the digest of the texts.
template <class Model>
TLegacySummary CommonSummary(const Model& m, const char* format) {
    TLegacySummary s;
    s.format = format;
    s.jwID = m.Enthd.jwID;
    s.comment1 = m.Enthd.comment1;
    s.comment2 = m.Enthd.comment2;
    s.lineCount = m.Enthd.lineCount;
    s.arcCount = m.Enthd.arcCount;
    s.mojiCount = m.Enthd.mojiCount;
    s.tenCount = m.Enthd.tenCount;
    s.lineN = m.lineN;
    s.arcN = m.arcN;
    s.mojiN = m.mojiN;
    s.tenN = m.tenN;
    TextDigest texts;
    const size_t n = HeldCount(m.EntMoji, m.mojiN);
    for (size_t i = 0; i < n; ++i) texts.Add(m.EntMoji[i].s);
    s.text_sha1 = texts.Hex();
    return s;
}

// "read" entities, and the header's count in brackets when it differs.
JwString CountText(int32_t read, int32_t stated) {
    JwString t = IntStr(read);
    if (read != stated) t += u"（ヘッダ：" + IntStr(stated) + u"）";
    return t;
}

}  // namespace

TLegacySummary SummarizeLegacy(const TJwcData& m) {
    TLegacySummary s = CommonSummary(m, "JWC");
    s.vtenCount = m.Enthd.vtenCount;
    s.psize = m.Enthd.psize;
    s.drawWidth = m.Enthd.drawWidth;
    s.dataUnit = m.Enthd.dataUnit;
    s.scaleF = m.Enthd.scaleF;
    s.wLayScale = m.Enthd.wLayScale;
    for (const auto& g : m.EntLgrp) s.groupScales.push_back(g.scale);
    return s;
}

TLegacySummary SummarizeLegacy(const TJwkData& m) {
    TLegacySummary s = CommonSummary(m, "JWK");
    s.orgX = m.Enthd.org_x;
    s.orgY = m.Enthd.org_y;
    s.dispScale = m.Enthd.dispScale;
    s.scale = m.Enthd.scale;
    s.strSpace = m.Enthd.strSpace;
    return s;
}

std::vector<JwString> LegacySummaryLines(const TLegacySummary& s) {
    std::vector<JwString> out;
    const bool jwc = s.format == "JWC";
    out.push_back(u"ファイル形式　　：" + FromUtf8(s.format) + (jwc ? u"（図面）" : u"（図形）"));
    out.push_back(u"識別用データ　　：" + s.jwID);
    out.push_back(u"コメント１　　　：" + s.comment1);
    out.push_back(u"コメント２　　　：" + s.comment2);
    if (jwc) {
        out.push_back(u"図面サイズ　　　：" + IntStr(s.psize) + u"（" + PaperName(s.psize) + u"）");
        out.push_back(u"描画幅　　　　　：" + IntStr(s.drawWidth));
        out.push_back(u"データ単位(mm)　：" + FloatStr(s.dataUnit));
        out.push_back(u"縮尺の形式　　　：" + JwString(s.scaleF ? u"実数" : u"整数"));
        out.push_back(u"書込レイヤ縮尺　：" + FloatStr(s.wLayScale));
        for (size_t i = 0; i < s.groupScales.size(); ++i)
            out.push_back(u"レイヤグループ縮尺：" + IntStr(static_cast<int32_t>(i)) + u"：" + FloatStr(s.groupScales[i]));
    } else {
        out.push_back(u"基準点Ｘ　　　　：" + FloatStr(s.orgX));
        out.push_back(u"基準点Ｙ　　　　：" + FloatStr(s.orgY));
        out.push_back(u"表示倍率　　　　：" + FloatStr(s.dispScale));
        out.push_back(u"縮尺　　　　　　：" + FloatStr(s.scale));
        out.push_back(u"文字領域(byte)　：" + IntStr(s.strSpace));
    }
    out.push_back(u"----------------------------------------");
    out.push_back(u"線分数　　　　　：" + CountText(s.lineN, s.lineCount));
    out.push_back(u"円弧数　　　　　：" + CountText(s.arcN, s.arcCount));
    out.push_back(u"点数　　　　　　：" + CountText(s.tenN, s.tenCount));
    out.push_back(u"文字数　　　　　：" + CountText(s.mojiN, s.mojiCount));
    if (jwc) out.push_back(u"仮点数　　　　　：" + IntStr(s.vtenCount));
    return out;
}

std::vector<JwString> LegacyReport(const TLegacySummary& s, const JwString& FName) {
    std::vector<JwString> lines{u"ファイル名：" + FName, JwString(40, u'-')};
    for (JwString& line : LegacySummaryLines(s)) lines.push_back(std::move(line));
    return lines;
}

nlohmann::ordered_json LegacySummaryToJson(const TLegacySummary& s) {
    nlohmann::ordered_json j;
    j["format"] = s.format == "JWC" ? "jwc" : "jwk";
    j["version"] = nullptr;
    j["encoding"] = "sjis";
    j["id"] = ToUtf8(s.jwID);
    j["comments"] = {ToUtf8(s.comment1), ToUtf8(s.comment2)};
    // Entities read, and the counts the header states.
    j["counts"] = {{"line", s.lineN}, {"arc", s.arcN}, {"point", s.tenN}, {"text", s.mojiN}};
    j["stated_counts"] = {{"line", s.lineCount}, {"arc", s.arcCount}, {"point", s.tenCount}, {"text", s.mojiCount}};
    j["text_sha1"] = s.text_sha1;
    return j;
}

}  // namespace jw
