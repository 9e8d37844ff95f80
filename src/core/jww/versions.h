// Format versions (the Jw_cad version × 100, as a file states it) at which
// the layouts of JWW drawings and JWS figures change. Each name says what a
// file of that version or a later one holds that older files do not.
#pragma once

#include <cstdint>

namespace jw {

// The versions the readers accept: drawings from 2.20, figures from 2.30,
// both up to 7.00.
inline constexpr int32_t kJwwFirstVersion = 220;
inline constexpr int32_t kJwsFirstVersion = 230;
inline constexpr int32_t kLastVersion = 700;

// JWW header rows.
inline constexpr int32_t kVerDrawTime = 223;        // drawing time and the 2.5D eye settings
inline constexpr int32_t kVerLastSizes = 225;       // the last entered line, box and circle sizes
inline constexpr int32_t kVerSolidColor = 230;      // the solid colour settings
inline constexpr int32_t kVerEightJumpMarks = 231;  // eight jump marks with layer groups, dDm11 .. nMojiBG
inline constexpr int32_t kVerSkyMap = 300;          // the sky-map settings
inline constexpr int32_t kVerSxf = 420;             // SXF colours and line types; SXF members of dimensions
// Line widths below -101 in nMaxDrawWid: every version after 4.20 (6.00 is
// the first one that has them).
inline constexpr int32_t kVerFineLineWidths = kVerSxf + 1;
inline constexpr int32_t kVerPrintDpi = 600;  // the printer resolution, packed with the display-only flag

// Entities and what follows them.
inline constexpr int32_t kVerPenWidth = 351;     // nPenWidth in the attribute (its 15-byte form)
inline constexpr int32_t kVerBoundImages = 700;  // bound images after the block definitions
// A block definition's 64-bit time stamp, announced by bit 31 of its dtime
// (also in older versions that a newer program wrote).
inline constexpr int32_t kVerBlockTime64 = 700;

// The version a figure is written in when ver is asked for: no figure is
// older than 2.30, and a 3.00 figure takes the 3.51 layout.
inline constexpr int32_t FigureVersion(int32_t ver) {
    if (ver <= kJwsFirstVersion) return kJwsFirstVersion;
    if (ver == kVerSkyMap) return kVerPenWidth;
    return ver;
}

}  // namespace jw
