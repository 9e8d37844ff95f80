// Layer groups, layers, paper and extents of a drawing (see layout_summary.h).
#include "report/layout_summary.h"

#include <array>
#include <cmath>

#include <nlohmann/json.hpp>

#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Top-level entities of each of the 256 layers (group * 16 + layer); an
// entity naming a layer outside the tables counts nowhere.
std::array<int64_t, kLgrpCount * kLayPerGroup> LayerCounts(const TJwwData& m) {
    std::array<int64_t, kLgrpCount * kLayPerGroup> n{};
    auto count = [&n](const auto* items, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            const TEntJwwAttr& a = items[i].att;
            if (a.nGLayer < kLgrpCount && a.nLayer < kLayPerGroup) ++n[a.nGLayer * kLayPerGroup + a.nLayer];
        }
    };
    EntityListOf(m).EachArray(count);
    return n;
}

bool HasEntities(const TJwwData& m) { return EntityListOf(m).Total() > 0; }

// The state of a layer or group as Jw_cad's layer dialog says it.
const char* StateText(int32_t state) {
    switch (state) {
        case 0: return "非表示";
        case 1: return "表示のみ";
        case 2: return "編集可";
        case 3: return "書込";
        default: return "不明";
    }
}

// A length for the eye: to a thousandth (the JSON keeps every digit).
std::string Num(double v) { return FloatStr8(std::round(v * 1000) / 1000); }

std::string BoxText(const ExtentsBox& b) {
    return "X " + Num(b.minX) + " ～ " + Num(b.maxX) + "、Y " + Num(b.minY) + " ～ " + Num(b.maxY);
}

nlohmann::ordered_json BoxJson(const ExtentsBox& b) {
    return {{"min_x", b.minX}, {"min_y", b.minY}, {"max_x", b.maxX}, {"max_y", b.maxY}};
}

// " 名前「...」" when there is a name.
std::string NameText(const std::string& name) { return name.empty() ? std::string() : "　名前「" + name + "」"; }

}  // namespace

LayoutSummary SummarizeLayout(const TJwwData& m) {
    LayoutSummary s;
    s.drawing = true;
    const std::array<int64_t, kLgrpCount * kLayPerGroup> counts = LayerCounts(m);
    for (int32_t g = 0; g < kLgrpCount && g < static_cast<int32_t>(m.EntLgrp.size()); ++g) {
        const TEntJwwLayerGroup& lg = m.EntLgrp[static_cast<size_t>(g)];
        LayerGroupSummary gs;
        gs.number = g;
        gs.code = std::string(1, kHexDigits[g]);
        gs.name = ToUtf8(lg.aStrGLayName);
        gs.scale = lg.adScale;
        gs.state = lg.anGLay;
        gs.write = m.Enthd.nWriteGLay == g;
        gs.protect = lg.anGLayProtect != 0;
        for (int32_t k = 0; k < kLayPerGroup; ++k) {
            const size_t i = static_cast<size_t>(g * kLayPerGroup + k);
            gs.entities += counts[i];
            const TEntJwwLayer* lay = i < m.EntLay.size() ? &m.EntLay[i] : nullptr;
            if (counts[i] == 0 && (lay == nullptr || lay->aStrLayName.empty())) {
                ++gs.emptyLayers;
                continue;
            }
            LayerSummary ls;
            ls.code = gs.code + "-" + kHexDigits[k];
            ls.entities = counts[i];
            ls.write = lg.anWriteLay == k;
            if (lay != nullptr) {
                ls.name = ToUtf8(lay->aStrLayName);
                ls.state = lay->aanLay;
                ls.protect = lay->aanLayProtect != 0;
            }
            gs.layers.push_back(std::move(ls));
        }
        s.groups.push_back(std::move(gs));
    }
    s.paper.code = m.Enthd.nZumen;
    s.paper.name = ToUtf8(PaperName(m.Enthd.nZumen));
    m.GetPaperSize(s.paper.width, s.paper.height);
    if (HasEntities(m)) {
        // GetMinMaxZahyo leaves its answer in the thread's program-wide values.
        m.GetMinMaxZahyo();
        s.extents = ExtentsBox{ZahyoMinX, ZahyoMinY, ZahyoMaxX, ZahyoMaxY};
    }
    return s;
}

LayoutSummary SummarizeLayout(const TJwsData&) { return {}; }

ExtentsBox RealExtents(const ExtentsBox& paper, double scale) {
    return {paper.minX * scale, paper.minY * scale, paper.maxX * scale, paper.maxY * scale};
}

std::vector<JwString> LayoutReportLines(const LayoutSummary& s) {
    std::vector<std::string> out;
    out.push_back("----------------------------------------");
    if (!s.drawing) {
        out.push_back("用紙・レイヤグループ・図面範囲：なし（図形ファイル）");
    } else {
        const PaperSummary& p = s.paper;
        out.push_back("用紙　　　　　：" + std::to_string(p.code) + "（" + p.name + "）" + Num(p.width) + " x " +
                      Num(p.height) + " mm");
        out.push_back("図面範囲　　　：用紙中心から mm　" + (s.extents ? BoxText(*s.extents) : std::string("なし（要素なし）")));
        for (const LayerGroupSummary& g : s.groups) {
            out.push_back("レイヤグループ " + g.code + "：" + StateText(g.state) + (g.write ? "　書込グループ" : "") +
                          (g.protect ? "　プロテクト" : "") + "　縮尺 1/" + Num(g.scale) + NameText(g.name) +
                          "　要素 " + std::to_string(g.entities));
            for (const LayerSummary& l : g.layers)
                out.push_back("　レイヤ " + l.code + "：" + StateText(l.state) + (l.write ? "　書込レイヤ" : "") +
                              (l.protect ? "　プロテクト" : "") + NameText(l.name) + "　要素 " +
                              std::to_string(l.entities));
            if (g.emptyLayers > 0) out.push_back("　要素も名前もないレイヤ：" + std::to_string(g.emptyLayers));
            if (s.extents && g.entities > 0) out.push_back("　実寸範囲：" + BoxText(RealExtents(*s.extents, g.scale)));
        }
    }
    std::vector<JwString> lines;
    lines.reserve(out.size());
    for (const std::string& line : out) lines.push_back(FromUtf8(line));
    return lines;
}

nlohmann::ordered_json LayoutToJson(const LayoutSummary& s) {
    using Json = nlohmann::ordered_json;
    Json j = Json::object();
    if (!s.drawing) {
        j["layer_groups"] = nullptr;
        j["paper"] = nullptr;
        j["extents"] = nullptr;
        return j;
    }
    Json groups = Json::array();
    Json real = Json::array();
    for (const LayerGroupSummary& g : s.groups) {
        Json layers = Json::array();
        for (const LayerSummary& l : g.layers)
            layers.push_back({{"code", l.code},
                              {"name", l.name},
                              {"state", l.state},
                              {"write", l.write},
                              {"protect", l.protect},
                              {"entities", l.entities}});
        groups.push_back({{"number", g.number},
                          {"code", g.code},
                          {"name", g.name},
                          {"scale", g.scale},
                          {"state", g.state},
                          {"write", g.write},
                          {"protect", g.protect},
                          {"entities", g.entities},
                          {"layers", std::move(layers)},
                          {"empty_layers", g.emptyLayers}});
        if (s.extents && g.entities > 0) {
            const ExtentsBox b = RealExtents(*s.extents, g.scale);
            real.push_back({{"group", g.number},
                            {"scale", g.scale},
                            {"min_x", b.minX},
                            {"min_y", b.minY},
                            {"max_x", b.maxX},
                            {"max_y", b.maxY}});
        }
    }
    j["layer_groups"] = std::move(groups);
    j["paper"] = {{"code", s.paper.code}, {"name", s.paper.name}, {"width", s.paper.width}, {"height", s.paper.height}};
    if (s.extents)
        j["extents"] = {{"paper_mm", BoxJson(*s.extents)}, {"real", std::move(real)}};
    else
        j["extents"] = nullptr;
    return j;
}

}  // namespace jw
