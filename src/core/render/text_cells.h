// How the characters of a text run sit on paper: Jw_cad gives every
// character a cell of the run's character width (half of it for a half-width
// character in horizontal text) and height, with the spacing between
// neighbours (half of it after a half-width character); a vertical text stacks
// upright characters down its column. The run is stretched along its line
// when the line is longer or shorter than that layout, as a fitted DXF TEXT
// is.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "render/canvas.h"

namespace jw {

// Calls cell(ch, half, frame) for each character ch (one code point, without
// control characters) of run, in order: frame maps the unit square of the
// character's cell onto paper (x along the character's advance, y from the
// bottom of the cell to its top), with the run's slant and placement.
void JwTextCells(const TJwTextRun& run,
                 const std::function<void(std::u16string_view ch, bool half, const TJwAffine& frame)>& cell);

// The corners of the run's whole box on paper (placement included).
void JwTextCorners(const TJwTextRun& run, TJwPoint (&corners)[4]);

// The run's height on paper (the cells' height after placement).
double JwTextHeight(const TJwTextRun& run);

}  // namespace jw
