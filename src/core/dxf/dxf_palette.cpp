#include "dxf/dxf_palette.h"

#include <cstdlib>

namespace jw {

namespace {

constexpr uint32_t Argb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u + r * 65536u + g * 256u + b; }

// A component of a hue row at brightness level 1-4.
constexpr uint32_t Dim(uint32_t c, int level) {
    struct Row { uint32_t full, l[4]; };
    constexpr Row rows[] = {
        {255, {165, 127, 76, 38}}, {223, {145, 111, 66, 33}}, {191, {124, 95, 57, 28}},
        {159, {103, 79, 47, 23}},  {127, {82, 63, 38, 19}},   {63, {41, 31, 19, 9}},
    };
    for (const Row& r : rows)
        if (r.full == c) return r.l[level - 1];
    return 0;
}

constexpr std::array<uint32_t, 256> BuildPalette() {
    std::array<uint32_t, 256> p{};
    constexpr uint32_t first[10][3] = {{255, 255, 255}, {255, 0, 0},   {255, 255, 0}, {0, 255, 0},
                                       {0, 255, 255},   {0, 0, 255},   {255, 0, 255}, {0, 0, 0},
                                       {128, 128, 128}, {192, 192, 192}};
    for (int i = 0; i < 10; ++i) p[i] = Argb(first[i][0], first[i][1], first[i][2]);
    constexpr uint32_t hues[24][3] = {
        {255, 0, 0},   {255, 63, 0},  {255, 127, 0}, {255, 191, 0}, {255, 255, 0}, {191, 255, 0},
        {127, 255, 0}, {63, 255, 0},  {0, 255, 0},   {0, 255, 63},  {0, 255, 127}, {0, 255, 191},
        {0, 255, 255}, {0, 191, 255}, {0, 127, 255}, {0, 63, 255},  {0, 0, 255},   {63, 0, 255},
        {127, 0, 255}, {191, 0, 255}, {255, 0, 255}, {255, 0, 191}, {255, 0, 127}, {255, 0, 63}};
    for (int k = 0; k < 24; ++k) {
        uint32_t f[3], q[3];
        for (int c = 0; c < 3; ++c) {
            f[c] = hues[k][c];
            q[c] = (f[c] + 255) / 2;
        }
        const int base = 10 + 10 * k;
        p[base] = Argb(f[0], f[1], f[2]);
        p[base + 1] = Argb(q[0], q[1], q[2]);
        for (int level = 1; level <= 4; ++level) {
            p[base + 2 * level] = Argb(Dim(f[0], level), Dim(f[1], level), Dim(f[2], level));
            p[base + 2 * level + 1] = Argb(Dim(q[0], level), Dim(q[1], level), Dim(q[2], level));
        }
    }
    constexpr uint32_t grey[6] = {0, 45, 91, 137, 183, 179};
    for (int i = 0; i < 6; ++i) p[250 + i] = Argb(grey[i], grey[i], grey[i]);
    return p;
}

constexpr std::array<uint32_t, 256> kPalette = BuildPalette();

}  // namespace

const std::array<uint32_t, 256>& AciPalette() { return kPalette; }

namespace {

int32_t SearchAci(uint32_t c) {
    int32_t found = -1;
    for (int32_t i = 0; i < 256; ++i) {
        if (kPalette[i] == c) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        const int64_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        int64_t best = -1;
        for (int32_t i = 0; i < 256; ++i) {
            const int64_t r2 = (kPalette[i] >> 16) & 0xFF, g2 = (kPalette[i] >> 8) & 0xFF, b2 = kPalette[i] & 0xFF;
            const int64_t d = std::llabs(r * r - r2 * r2) + std::llabs(g * g - g2 * g2) + std::llabs(b * b - b2 * b2);
            if (best < 0 || d < best) {
                best = d;
                found = i;
            }
        }
    }
    return found == 0 ? 7 : found;
}

}  // namespace

int32_t RgbToAci(uint32_t c) {
    // A drawing uses few colours and asks for them again and again: the
    // answers are kept in a small direct-mapped table (an index of 0, which
    // is never an answer, marks a free entry).
    struct Known {
        uint32_t color;
        int32_t aci;
    };
    thread_local std::array<Known, 1024> known{};
    Known& k = known[(c ^ (c >> 10) ^ (c >> 20)) & 1023];
    if (k.aci == 0 || k.color != c) k = {c, SearchAci(c)};
    return k.aci;
}

int32_t PenWidthToLineWeight(int32_t w) {
    if (w == 0) return 0;
    struct Step { int32_t bound; bool inclusive; int32_t lw; };
    static constexpr Step steps[] = {
        {7, true, 5},     {11, true, 9},    {14, true, 13},   {16, true, 15},   {20, false, 18},
        {22, true, 20},   {27, true, 25},   {32, true, 30},   {37, true, 35},   {45, true, 40},
        {51, true, 50},   {56, true, 53},   {65, true, 60},   {75, true, 70},   {85, true, 80},
        {96, false, 90},  {103, true, 100}, {113, true, 106}, {130, true, 120}, {150, false, 140},
        {180, false, 158}, {205, true, 200},
    };
    for (const Step& s : steps)
        if (s.inclusive ? w <= s.bound : w < s.bound) return s.lw;
    return 211;
}

}  // namespace jw
