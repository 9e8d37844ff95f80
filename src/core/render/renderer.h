// Screen rendering: GLDrawALL and its family draw a drawing onto a canvas
// (render/canvas.h) in paper millimetres, the origin at the paper's
// lower-left corner, every entity where the DXF export places it
// (dxf/placement.h) at the scale of the paper: lines with their pen's colour,
// width and line type, arcs, circles and ellipses, points and point symbols,
// texts (text variables expanded as the export expands them), dimensions,
// solids, block inserts and images. Layers that are hidden (the layer or its
// group in state 0) are left out; display-only layers are drawn in grey.
//
// Where each part lives:
//   the back-end interface ........................ render/canvas.h
//   character cells of a text run ................. render/text_cells.h
//   GLDrawALL and its family ....................... render/renderer.cpp
//   recording with a spatial index (the window) ... render/display_list.h
#pragma once

#include <cstdint>

#include "render/canvas.h"

namespace jw {

class TJwwData;
class TJwsData;

struct TJwDrawOptions {
    bool temporaryPoints = false;  // draw temporary points (small circles)
    bool blackBackground = false;  // the pen colours of a black background
};

// The paper of a drawing, mm (the paper size code of its header).
TJwBox JwPaperBox(const TJwwData& jw);

// The background colour the options give (opaque ARGB).
uint32_t JwBackgroundArgb(const TJwDrawOptions& o);

// Reads an image file into bytes, uncompressing a gzip-compressed one (bound
// images may be stored so); false when path is no regular file or cannot be
// read, or is larger than limit bytes once uncompressed.
bool JwReadImageBytes(const JwString& path, std::string& bytes, size_t limit = size_t(512) << 20);

}  // namespace jw
