// The drawing of one million entities that the window and rendering
// benchmarks read: 60 % lines, 10 % arcs, 10 % points, 10 % texts, 5 %
// solids, 4 % dimensions and 1 % block inserts of one small definition, on
// a grid of 1000 x 1000 mm about the origin, drawn at 1:4 on an A3 sheet (a
// square of 250 mm in the middle of the paper).
#pragma once

#include "model/jw_data.h"

namespace jw::bench {

inline constexpr int kMillion = 1'000'000;

inline bool BuildMillionDrawing(TJwwData& jw, int entities = kMillion) {
    jw.DataDefaultSet();
    jw.Enthd.nZumen = 3;  // A3
    for (auto& g : jw.EntLgrp) g.adScale = 4;
    bool ok = jw.AddEntPre();
    ok = ok && jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
    ok = ok && jw.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0.0, 0.0, 1.0, 1.0);
    ok = ok && jw.AddBlkDefPost(0);
    for (int i = 0; ok && i < entities; ++i) {
        const double x = i % 1000 - 500.0;
        const double y = i / 1000 - 500.0;
        const int kind = i % 100;
        if (kind < 60) {
            ok = jw.AddEntLine(0, i % 16, (i / 16) % 16, 1 + i % 9, 1 + i % 9, 0, 0, x, y, x + 0.5, y + 0.25);
        } else if (kind < 70) {
            ok = jw.AddEntArc(0, 0, 0, 2, 1, 0, 0, x, y, 0.4, 1.0, 0.0, 90.0, 0.0);
        } else if (kind < 80) {
            ok = jw.AddEntTen(0, 0, 0, 3, 1, 0, 0, x, y, 0.0, 1.0);
        } else if (kind < 90) {
            ok = jw.AddEntMoji(0, 0, 0, 5, 1, 0, 0, 1, x, y, 2.5, 2.5, 0.0, 0.0, u"ＭＳ ゴシック", u"部屋名 ROOM-101");
        } else if (kind < 95) {
            ok = jw.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0xFF8000, x, y, x + 0.5, y, x + 0.5, y + 0.5, x, y + 0.5);
        } else if (kind < 99) {
            ok = jw.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1, x, y, x + 10.0, y, x + 5.0, y + 0.5, 2.5, 2.5,
                                0.0, 0.0, u"ＭＳ ゴシック", u"10");
        } else {
            ok = jw.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, x, y, 1.0, 1.0, 0.0);
        }
    }
    return ok && jw.AddEntPost();
}

}  // namespace jw::bench
