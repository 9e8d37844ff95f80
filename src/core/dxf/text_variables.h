// Jw_cad text variables in the DXF export.
//
// Kind 1: a text that is one variable ("%f", "=y", "%mm", "%SS", "%%name",
// ...) is replaced by its value: file names, dates and times of the drawing
// file or of the export, the memo, scales, the drawing time and the user
// variables of the reference file (JwRefList).
// Kind 2: a text with layout codes ("^_" underline, "^-" strike-through, "^/"
// slant, "^$n" colour, "^u"/"^d"/"^c" small raised or lowered characters,
// "^o"/"^b"/"^B"/"^n"/"^w" overlaid characters, ...) is laid out as several
// TEXT pieces and LINE entities.
//
// TDXFmodel::AddMoji and AddBlockMoji call DxfAddMojiExpanded; everything
// else stores texts unchanged. Dates are those of dxf/dxf_dates.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "dxf/dxf_dates.h"
#include "dxf/dxf_model.h"

namespace jw {

// Japanese era of a date: name and year within the era; an empty name (and
// year 0) before 明治. withReiwa false keeps counting 平成 after 2019-04-30.
struct TDxfEra {
    JwString name;
    int32_t year = 0;
};
TDxfEra DxfEra(int32_t year, int32_t month, int32_t day, bool withReiwa = true);

// U+0020-U+007E and U+FF61-U+FF9F.
bool IsHalfWidthChar(char16_t c);

// ---- kind 1 ----
// s is one text variable.
bool CheckMojiExp1(std::u16string_view s);
// Value of variable s for a text on DXF layer index ly; s itself when it is no
// variable.
JwString GetMojiExp1(const TDXF_Moji_Exp_Info& mexp, int32_t ly, std::u16string_view s);
// Word n (1-based) of f split at single spaces; the rest of f from the space
// when word n is empty; the last word when f has fewer than n spaces.
JwString GetStrNSpace(std::u16string_view f, int32_t n);
// Laid-out length of a text of character width w and spacing d (vertical:
// every character w).
double DxfMojiLength(std::u16string_view s, bool vertical, double w, double d);

// ---- kind 2 ----
// fl: bit 0 vertical, bit 1 slanted.
bool CheckMojiExp2(std::u16string_view s);
// The characters that take a place of their own (codes and overlaid
// characters removed).
JwString GetMojiExp2Str(int32_t fl, std::u16string_view s);
double GetMojiExp2Len(int32_t fl, double pw, double pd, std::u16string_view s);
// Lays s out from (px1, py1) at angle pa (degrees) with character width pw and
// height ph into mexp.eLine and mexp.eMoji (appended); co is the colour of
// the text.
void GetMojiExp2exp(TDXF_Moji_Exp_Info& mexp, int32_t co, int32_t fl, double px1, double py1, double pw,
                    double ph, double pa, std::u16string_view s);

// The expansion of one text of DXF layer index ly and colour co (flags fl,
// line from (px1, py1) to (px2, py2), character width pw, height ph, spacing
// pd, angle pa in degrees): a variable is handed to piece as its value, a
// text with layout codes as its lines (line, first) and pieces, any other
// text as it is. Answers piece's answer, or true for a laid-out text.
using DxfMojiPieceFn = std::function<bool(int32_t col, int32_t fl, double x1, double y1, double x2, double y2,
                                          double w, double h, double d, double a, const JwString& s)>;
using DxfMojiLineFn = std::function<void(const TDXF_Line& l)>;
bool DxfExpandMoji(TDXF_Moji_Exp_Info& mexp, int32_t ly, int32_t co, int32_t fl, double px1, double py1,
                   double px2, double py2, double pw, double ph, double pd, double pa, const JwString& ps,
                   const DxfMojiPieceFn& piece, const DxfMojiLineFn& line);

// The text adder with expansion: into block definition bn, or the top level
// when bn < 0. Arguments as TDXFmodel::AddMoji.
bool DxfAddMojiExpanded(TDXFmodel& m, int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs,
                        int32_t fl, double px1, double py1, double px2, double py2, double pw, double ph,
                        double pd, double pa, const JwString& pf, const JwString& ps);

}  // namespace jw
