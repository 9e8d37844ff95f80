// Number formatting and parsing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace jw {

using JwString = std::u16string;

JwString IntStr(int32_t v);
// General decimal form: at most 15 significant digits, no trailing zeros, "."
// as separator; scientific form ("1.5E20", "5E-5") below 0.0001 and from 1e15.
JwString FloatStr(double v);
JwString BoolStr01(bool b);
// Upper-case hexadecimal with at least `digits` digits.
JwString HexStr(uint32_t v, int digits);
int32_t StrIntDef0(std::u16string_view s);
double StrFloatDef0(std::u16string_view s);
bool IsFiniteNum(double v);
int32_t FillInt(int32_t value, int32_t n, int32_t* array);
uint32_t MakeArgb(uint32_t red, uint32_t green, uint32_t blue);

// UTF-8 forms for callers that work in UTF-8.
std::string IntStr8(int32_t v);
std::string FloatStr8(double v);

}  // namespace jw
