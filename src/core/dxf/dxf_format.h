// Number formats of the DXF text.
#pragma once

#include <cstddef>
#include <string>

namespace jw {

// Longest text DxfRealChars writes.
constexpr size_t kDxfRealMax = 32;

// Writes the DXF form of a real into out (at least kDxfRealMax bytes) and
// answers its length: 0.0 for |x| <= 1e-14, otherwise the general form with
// 15 significant digits (scientific, "1.0E-5", below 1e-4 and from 1e15),
// fractions rounded to 14 decimals (half away from zero), ".0" added when the
// mantissa has no point. A NaN or an infinity is written as 0.0.
size_t DxfRealChars(double x, char* out);
std::string DxfRealStr(double x);

}  // namespace jw
