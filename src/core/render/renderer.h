// Screen rendering: GLDrawALL and its family draw a drawing onto a canvas
// (render/canvas.h) in paper millimetres, the origin at the paper's
// lower-left corner, every entity where the DXF export places it
// (dxf/placement.h) at the scale of the paper: lines with their pen's colour,
// width and line type, arcs, circles and ellipses, points and point symbols,
// texts (text variables expanded as the export expands them), dimensions,
// solids, block inserts and images. Layers that are hidden (the layer or its
// group in state 0) are left out. Two looks: the screen's (the pen colours
// and widths of the display, display-only layers in grey, auxiliary lines
// shown) and the printed sheet's (the drawing's own printer colours and
// widths, black unless it prints in colour, no auxiliary lines,
// display-only layers as the drawing's print settings say). Whatever the
// drawing holds, the cost of drawing it is bounded (render/draw_guard.h).
//
// Where each part lives:
//   the back-end interface ........................ render/canvas.h
//   character cells of a text run ................. render/text_cells.h
//   GLDrawALL and its family ....................... render/renderer.cpp
//   the budget and what cannot be drawn ............ render/draw_guard.h
//   recording with a spatial index (the window) ... render/display_list.h
#pragma once

#include <cstdint>
#include <memory>

#include "render/canvas.h"
#include "render/draw_guard.h"

namespace jw {

class TJwwData;
class TJwsData;

enum class TJwLook {
    Screen,  // as the window shows it
    Print,   // as Jw_cad prints it
};

struct TJwDrawOptions {
    TJwLook look = TJwLook::Screen;
    bool temporaryPoints = false;  // draw temporary points (small circles)
    bool blackBackground = false;  // the pen colours of a black background (the screen look)
    bool linkedImages = true;      // draw pictures the drawing links to (bound ones are always drawn)
    // Lines, arcs, points and texts that lie beyond this (paper mm) are left
    // out before they are drawn (a picture of the paper need not lay out what
    // lies beside it); empty: everything is drawn.
    TJwBox area;
    TJwDrawBudget budget;          // unset: the budget of the drawing's size (JwDrawBudgetFor)
};

// A drawing made ready to draw with a set of options on the calling thread
// (which holds the text-variable context of the drawing read), then drawn
// as often as wanted, by several threads at once: each Draw is what
// GLDrawALL draws. The drawing must outlive the plan.
class TJwDrawPlan {
public:
    struct Plan;  // render/renderer.cpp
    TJwDrawPlan(const TJwwData& jw, const TJwDrawOptions& options);
    ~TJwDrawPlan();
    TJwDrawPlan(const TJwDrawPlan&) = delete;
    TJwDrawPlan& operator=(const TJwDrawPlan&) = delete;
    TJwDrawReport Draw(TJwCanvas& cv) const;

private:
    std::unique_ptr<Plan> plan_;
};

// The paper of a drawing, mm (the paper size code of its header).
TJwBox JwPaperBox(const TJwwData& jw);

// The background colour the options give (opaque ARGB).
uint32_t JwBackgroundArgb(const TJwDrawOptions& o);

// Reads an image file into bytes, uncompressing a gzip-compressed one (bound
// images may be stored so); false, with the reason in error, when path is no
// regular file or cannot be read, or is larger than limit bytes once
// uncompressed.
bool JwReadImageBytes(const JwString& path, std::string& bytes, std::string& error, size_t limit);

}  // namespace jw
