// Dimension rebuilding: Jw_cad draws a dimension as loose entities sharing a
// curve-group number (a dimension line or dimension entity, extension lines,
// terminators, the value text). The export with rebuilt dimensions groups
// them, recognises diameter, radius, angle and linear dimensions (and takes
// each SXF-mode dimension entity as a linear one), puts a recognised group's
// members into an anonymous block "*D<n>" and refers to it with a DIMENSION.
// The rules of grouping, recognition and the DIMENSION record live here; the
// conversion (dxf/jww_to_dxf.cpp) converts the members and places the record.
// Nothing here changes the drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "dxf/dxf_model.h"
#include "model/entity_list_view.h"
#include "model/jww_records.h"

namespace jw {

class TJwwData;

enum class DxfDimKind : int32_t { None, Diameter, Radius, Angle, Linear, Sxf };

// The result of recognising one group. Positions are those of the group's
// container (its entity order list). The records hold what the recogniser of
// the kind found: dd for diameter and radius, dc for angle, dl for linear and
// SXF.
struct DxfDimRecognition {
    DxfDimKind kind = DxfDimKind::None;
    int32_t main = -1;                    // position of the main element
    const TEntJwwAttr* own = nullptr;     // its attribute: the layer
    const TEntJwwAttr* pen = nullptr;     // colour, line type, width (a dimension entity's Sen)
    TGroupAttrDimDia dd;
    TGroupAttrDimCrv dc;
    TGroupAttrDimLin dl;
    // The dimension line (the arc's end points for an angle), unshifted:
    // what the frame of the dimension is looked up with.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Where the points of a DIMENSION go: p becomes (p + shift) x sc + (dx, dy).
struct DxfDimPlace {
    double shiftX = 0, shiftY = 0;
    double sc = 1, dx = 0, dy = 0;
    double X(double x) const { return (x + shiftX) * sc + dx; }
    double Y(double y) const { return (y + shiftY) * sc + dy; }
};

// The dimension groups of the drawing (ga): the members of every block
// definition whose ref_flag is set, then the top-level entities, each group
// with its container (bn -1 the top level, else the definition's index) and
// member positions; dn is -1. A group number belongs to the first container
// it occurs in; an SXF-mode dimension entity forms a group (number 0) alone.
std::vector<TGroupAttrField> DxfDimensionGroups(const TJwwData& jw);

// The members of container c: the drawing's entity list, or block definition bn's.
EntityListView DxfDimContainer(const TJwwData& jw, int32_t bn);

// Recognises group g whose container is c: SXF for number 0, else the first
// of diameter, radius, angle and linear that accepts it.
DxfDimRecognition DxfRecogniseDimension(const EntityListView& c, const TGroupAttrField& g);

// The DIMENSION of a recognised group with its points placed by p: type and
// definition points by kind, text, attachment, style "ISO-25". Layer, colour,
// line type, lineweight, space and block are the caller's. An end of a linear
// dimension without an extension line takes the dimension line's end there,
// an angle without one the arc's end.
TDXF_Dimension DxfDimensionRecord(const DxfDimRecognition& r, const DxfDimPlace& p);

// The unshifted points of the record (for the extents of a viewport).
std::vector<std::pair<double, double>> DxfDimensionPoints(const DxfDimRecognition& r);

}  // namespace jw
