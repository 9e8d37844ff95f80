// Report lines of a legacy JWC drawing or JWK figure.
#include "legacy/legacy_summary.h"

#include "support/numbers.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// The paper sizes: code, width in millimetres, name.
struct PaperSize {
    int32_t code;
    int32_t width;
    const char16_t* name;
};
constexpr PaperSize kPaperSizes[] = {
    {0,  1189,   u"Ａ０"},
    {1,  841,    u"Ａ１"},
    {2,  594,    u"Ａ２"},
    {3,  420,    u"Ａ３"},
    {4,  297,    u"Ａ４"},
    {8,  1682,   u"２Ａ"},
    {9,  2378,   u"３Ａ"},
    {10, 3364,   u"４Ａ"},
    {11, 4756,   u"５Ａ"},
    {12, 10000,  u"１０ｍ"},
    {13, 50000,  u"５０ｍ"},
    {14, 100000, u"１００ｍ"},
};

const PaperSize* FindPaperSize(int32_t code) {
    for (const PaperSize& p : kPaperSizes)
        if (p.code == code) return &p;
    return nullptr;
}

// "read" entities, and the header's count in brackets when it differs.
JwString CountText(int32_t read, int32_t stated) {
    JwString t = IntStr(read);
    if (read != stated) t += u"（ヘッダ：" + IntStr(stated) + u"）";
    return t;
}

}  // namespace

JwString LegacyPaperName(int32_t psize) {
    const PaperSize* p = FindPaperSize(psize);
    return p ? JwString(p->name) : JwString();
}

int32_t JwcPaperWidth(int32_t psize) {
    const PaperSize* p = FindPaperSize(psize);
    return p ? p->width : 0;
}

std::vector<JwString> LegacySummaryLines(const TLegacySummary& s) {
    std::vector<JwString> out;
    const bool jwc = s.format == "JWC";
    out.push_back(u"ファイル形式　　：" + FromUtf8(s.format) + (jwc ? u"（図面）" : u"（図形）"));
    out.push_back(u"識別用データ　　：" + s.jwID);
    out.push_back(u"コメント１　　　：" + s.comment1);
    out.push_back(u"コメント２　　　：" + s.comment2);
    if (jwc) {
        out.push_back(u"図面サイズ　　　：" + IntStr(s.psize) + u"（" + LegacyPaperName(s.psize) + u"）");
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

}  // namespace jw
