// Where the things of a Jw_cad drawing land on paper: the shift by half the
// paper that puts the origin at the paper's lower-left corner, the scale and
// offset of a layer group, and the geometry of each kind of entity as the DXF
// export and the screen renderer both need it (arc parameters, text lines,
// solid corners, point symbols, image texts).
//
// Jw_cad coordinates are paper millimetres with the origin at the paper
// centre; top-level entities are shifted by half the paper, members of block
// definitions are not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dxf/jww_to_dxf.h"
#include "model/jww_records.h"

namespace jw {

using JwString = std::u16string;
class TgraAttribute;


// The DXF layer index of an entity: 16 x group + layer + 4, or 2 (HOJO) for
// an entity of pen colour 9 (or of line type 9, when ltypeCounts) that
// DxfLayerFor gives; Jw_cad's auxiliary lines.
inline int32_t DxfLayerIndex(const TEntJwwAttr& a) { return 16 * DxfGroupOf(a) + DxfLayerOf(a) + 4; }
inline int32_t DxfLayerFor(const TEntJwwAttr& a, bool ltypeCounts) {
    const uint16_t pen = a.nPenColor;
    const uint8_t style = a.nPenStyle;
    if (pen == 9 || (ltypeCounts && style == 9)) return 2;
    return DxfLayerIndex(a);
}

// A layer group's scale when it is usable (finite and positive), else 1.
double JwSafeScale(double s);

// Placement of the entities of one layer group: top level (shifted by half the
// paper) or inside a block definition; then scaled by sc and moved by (dx, dy).
struct TJwPlace {
    int32_t sp = 0;  // DXF space of a top-level entity
    double sc = 1, dx = 0, dy = 0;
    bool top = true;    // a top-level entity (else a member of a block)
    bool shift = true;  // its points are shifted by half the paper first
    int32_t g = 0;                  // layer group
    double shiftX = 0, shiftY = 0;  // half the paper

    // Shifted (top level) coordinates, before scaling.
    double Sx(double x) const { return shift ? x + shiftX : x; }
    double Sy(double y) const { return shift ? y + shiftY : y; }
    double X(double x) const { return Sx(x) * sc + dx; }
    double Y(double y) const { return Sy(y) * sc + dy; }
};

// An arc, circle or ellipse of Jw_cad (centre, radius, flatness, tilt, start
// and sweep in radians, whole-figure flag) in the export's terms: radius made
// positive, flatness within 1e-12 of 1 made 1, start, sweep and tilt in
// degrees normalised to [0, 360) with a negative sweep turned round, and
// sweep 0 for a whole figure. ok is false for a radius of (almost) 0 or
// coordinates that are not finite.
struct TJwArcShape {
    bool ok = false;
    double cx = 0, cy = 0, r = 0, h = 1;
    double sa = 0, da = 0, ka = 0;  // degrees
};
TJwArcShape JwArcShapeOf(double cx, double cy, double r, double h, double tilt, double start, double sweep,
                         bool whole);
TJwArcShape JwArcShapeOf(const TEntJwwEnko& a);

// The line of a text as the export writes it: placed start and end, character
// width, height and spacing (scaled; width and height exchanged for vertical
// text), the angle of start -> end in normalised degrees, the font (with a
// leading "@" for vertical text), the style number typ and the flags fl (bit 0
// vertical, bit 1 slanted). With centreColumn the line of a vertical text is
// moved by half its (exchanged) height across its direction, so that the
// column Jw_cad centres on its line lies on one side of the result, as a DXF
// base line has it.
struct TJwTextLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double w = 0, h = 0, d = 0;
    double a = 0;  // degrees
    int32_t typ = 0;
    int32_t fl = 0;
    bool vertical = false, slanted = false;
    JwString font;
};
TJwTextLine JwTextLineOf(const TEntJwwMoji& t, const TJwPlace& p, bool centreColumn);

// A font name without up to three leading "@".
std::u16string_view JwFontWithoutAt(std::u16string_view s);

// The distinct corners of a four-corner solid (start, second, third, fourth
// point; a corner within 1e-12 of an earlier one is left out), into x and y;
// answers their number.
int JwSolidCorners(const TEntJwwSolid& s, double (&x)[4], double (&y)[4]);

// The fill colour of a solid of pen 10 (red in the lowest byte of Color) as an
// opaque ARGB colour.
uint32_t JwOwnSolidArgb(uint32_t color);

// A solid whose nPenStyle is above 100 holds an arc figure: centre start,
// radius end_x, flatness end_y, tilt DPoint2_x, start DPoint2_y, sweep
// DPoint3_x and a shape mode in DPoint3_y (100: the whole figure; 0: a sector;
// -1: the corner between the tangents at the ends).
inline bool JwIsArcSolid(const TEntJwwSolid& s) { return s.att.nPenStyle >= 101; }
inline bool JwArcSolidWhole(const TEntJwwSolid& s) {
    const double d = s.DPoint3_y - 100;
    return d <= 1e-12 && d >= -1e-12;
}

// The symbol of a point: a temporary point, or code, rotation (normalised
// degrees) and scale. A point of code 0 (a real point) is drawn with the pen's
// real-point radius plus half its width as scale.
struct TJwPointMark {
    bool temporary = false;
    int32_t code = 0;
    double rot = 0;  // degrees
    double scale = 1;
};
TJwPointMark JwPointMarkOf(const TEntJwwTen& t, const TgraAttribute& ga);

// Name of the symbol block of a point code: "_TRANS_TMARKER<k>" for codes
// 1-11, "_TRANS_TMARKER_<k>" for -1, -2, -4 ... -7; empty for any other code.
std::u16string_view JwTenMarkerName(int32_t code);

// An image text "^@BM" + file + "," + values: the file, the displayed width W
// (first value) and the rotation in degrees (sixth value, 0 when missing or
// not finite). ok is false for a text of another kind or a width that is not
// a positive finite number. A file "%temp%" + name is an image bound into the
// drawing; any other is linked (a path on the disk of whoever drew it).
struct TJwImageText {
    bool ok = false;
    bool bound = false;
    std::u16string_view file;
    double w = 0;
    double rot = 0;  // degrees
};
TJwImageText JwImageTextOf(std::u16string_view s);

// The file an image text names: "%temp%" + name is an image bound into the
// drawing, in bindFolder (a plain file name only); anything else is a path
// written on Windows, relative to the folder of the drawing file drawingFile.
// Empty when there is no usable path.
JwString JwImagePath(std::u16string_view file, const JwString& bindFolder, const JwString& drawingFile);

}  // namespace jw
