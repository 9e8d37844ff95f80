// The AutoCAD colour index palette and the mappings of Jw_cad pen colours and
// widths onto DXF colour indexes and lineweights.
#pragma once

#include <array>
#include <cstdint>

namespace jw {

// 256 opaque ARGB colours (0xFF000000 + red * 65536 + green * 256 + blue).
const std::array<uint32_t, 256>& AciPalette();

// Colour index of the ARGB colour c: the first exact match in all 32 bits,
// otherwise the nearest entry by |r^2 - r'^2| + |g^2 - g'^2| + |b^2 - b'^2|
// (first wins a tie); 0 becomes 7. Answers are remembered, so asking again
// is cheap.
int32_t RgbToAci(uint32_t c);

// Lineweight in 1/100 mm for a Jw_cad pen width (0 stays 0).
int32_t PenWidthToLineWeight(int32_t w);

}  // namespace jw
