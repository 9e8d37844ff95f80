// What a builder checks in a drawing before using it: its layer groups (name,
// scale, state, the write group), its layers, its paper and the extents of
// what is drawn, on the paper and in real units. `info` prints it after the
// header report and as the JSON keys layer_groups, paper and extents. A figure
// (JWS) has no paper, layer groups or layers of its own: it has none of these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace jw {

class TJwwData;
class TJwsData;
using JwString = std::u16string;

// A layer that holds entities or has a name (the other layers of its group
// are only counted).
struct LayerSummary {
    std::string code;  // Jw_cad's name: group and layer in hex, "0-0" ... "F-F"
    std::string name;  // UTF-8, may be empty
    int32_t state = 0;  // 0 hidden, 1 display only, 2 editable, 3 write layer
    bool write = false;  // the write layer of its group
    bool protect = false;
    int64_t entities = 0;  // top-level entities on it
};

struct LayerGroupSummary {
    int32_t number = 0;  // 0-15
    std::string code;    // "0" ... "F"
    std::string name;    // UTF-8, may be empty
    double scale = 1;    // the denominator: 100 for 1:100
    int32_t state = 0;   // as a layer's
    bool write = false;  // the drawing's write group
    bool protect = false;
    int64_t entities = 0;
    std::vector<LayerSummary> layers;  // with entities or a name, in order
    int32_t emptyLayers = 0;           // the others: no entity, no name
};

struct PaperSummary {
    int32_t code = 0;
    std::string name;  // UTF-8 ("Ａ３"); empty for an unknown code
    double width = 0, height = 0;  // mm; the size used for an unknown code (A0)
};

// A box in drawing coordinates.
struct ExtentsBox {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct LayoutSummary {
    bool drawing = false;  // false for a figure: nothing below is set
    std::vector<LayerGroupSummary> groups;
    PaperSummary paper;
    // Of every entity and block content, in paper mm from the paper's centre
    // (GetMinMaxZahyo, as the DXF export finds them); none without entities.
    std::optional<ExtentsBox> extents;
};

LayoutSummary SummarizeLayout(const TJwwData& m);
LayoutSummary SummarizeLayout(const TJwsData& m);

// The extents in real units of a group: the paper extents times its scale.
ExtentsBox RealExtents(const ExtentsBox& paper, double scale);

// Report lines, to follow the header report: paper, extents, then each layer
// group with its listed layers, its count of empty layers and its extents in
// real units.
std::vector<JwString> LayoutReportLines(const LayoutSummary& s);

// The keys layer_groups, paper and extents (each null for a figure).
nlohmann::ordered_json LayoutToJson(const LayoutSummary& s);

}  // namespace jw
