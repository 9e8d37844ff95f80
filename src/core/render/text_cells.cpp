#include "render/text_cells.h"

#include <cmath>
#include <numbers>

#include "dxf/text_variables.h"
#include "support/strings.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;
// Slant of a slanted text: 15 degrees.
const double kSlant = std::tan(15 * kPi / 180);

struct RunFrame {
    double ux = 1, uy = 0;  // along the line
    double vx = 0, vy = 1;  // across it (to the left)
    double stretch = 1;     // stored length / laid-out length
};

RunFrame FrameOf(const TJwTextRun& run) {
    RunFrame f;
    const double rad = run.a * kPi / 180;
    f.ux = std::cos(rad);
    f.uy = std::sin(rad);
    f.vx = -f.uy;
    f.vy = f.ux;
    const double laid = DxfMojiLength(run.text, run.vertical, run.w, run.d);
    const double stored = std::hypot(run.x2 - run.x1, run.y2 - run.y1);
    if (laid > 1e-9 && stored > 1e-9 && std::isfinite(stored)) f.stretch = stored / laid;
    return f;
}

}  // namespace

void JwTextCells(const TJwTextRun& run,
                 const std::function<void(std::u16string_view ch, bool half, const TJwAffine& frame)>& cell) {
    const RunFrame f = FrameOf(run);
    const std::u16string_view s = run.text;
    double pos = 0;
    bool first = true, prevHalf = false;
    for (size_t i = 0; i < s.size();) {
        const size_t u = CharUnits(s, i);
        const std::u16string_view ch = s.substr(i, u);
        i += u;
        if (u == 1 && ch[0] < 0x20) continue;
        const bool half = !run.vertical && u == 1 && IsHalfWidthChar(ch[0]);
        if (!first) pos += run.vertical ? run.d : (prevHalf ? run.d / 2 : run.d);
        const double cw = run.vertical ? run.w : (half ? run.w / 2 : run.w);
        TJwAffine frame;
        if (run.vertical) {
            // Upright characters: the bottom of a cell lies further down the
            // column, its width spans the column.
            const double along = (pos + cw) * f.stretch;
            frame = {f.vx * run.h, f.vy * run.h, -f.ux * cw * f.stretch, -f.uy * cw * f.stretch,
                     run.x1 + f.ux * along, run.y1 + f.uy * along};
        } else {
            const double along = pos * f.stretch, w = cw * f.stretch;
            double cx = f.vx * run.h, cy = f.vy * run.h;
            if (run.slanted) {
                cx += f.ux * run.h * kSlant;
                cy += f.uy * run.h * kSlant;
            }
            frame = {f.ux * w, f.uy * w, cx, cy, run.x1 + f.ux * along, run.y1 + f.uy * along};
        }
        cell(ch, half, run.m * frame);
        pos += cw;
        prevHalf = half;
        first = false;
    }
}

void JwTextCorners(const TJwTextRun& run, TJwPoint (&c)[4]) {
    const RunFrame f = FrameOf(run);
    const double len = DxfMojiLength(run.text, run.vertical, run.w, run.d) * f.stretch;
    const double sl = run.slanted && !run.vertical ? run.h * kSlant : 0;
    const TJwPoint p{run.x1, run.y1};
    c[0] = run.m.Map(p);
    c[1] = run.m.Map(p.x + f.ux * len, p.y + f.uy * len);
    c[2] = run.m.Map(p.x + f.ux * (len + sl) + f.vx * run.h, p.y + f.uy * (len + sl) + f.vy * run.h);
    c[3] = run.m.Map(p.x + f.ux * sl + f.vx * run.h, p.y + f.uy * sl + f.vy * run.h);
}

double JwTextHeight(const TJwTextRun& run) {
    const double rad = run.a * kPi / 180;
    const double vx = -std::sin(rad) * run.h, vy = std::cos(rad) * run.h;
    const double across = std::hypot(run.m.a * vx + run.m.c * vy, run.m.b * vx + run.m.d * vy);
    return run.vertical ? std::fmin(across, std::fabs(run.w) * std::hypot(run.m.a, run.m.b)) : across;
}

}  // namespace jw
