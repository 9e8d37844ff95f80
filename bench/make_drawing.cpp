// Writes the test drawing of the whole-process comparisons (bench/compare.sh):
// N entities of a JWW 6.00 drawing in Shift-JIS, lines, arcs, points and
// texts in the proportion 6:1:1:2, spread over the layers of the first layer
// group. bench/ezdxf_same.py builds the same entities with ezdxf; both take
// their values from the formulas below, entity i of kind k:
//   line  (x, y) - (x + 10.5, y + 3.25), x = i mod 5000, y = i div 5000 / 4
//   arc   centre (x, y), radius 7.5, flatness 1, start 30, sweep 120, tilt 0
//   point (x, y)
//   text  at (x, y), 4 x 4, spacing 0.5, one of twelve room names + number
//
// Usage: make_drawing N FILE [VERSION]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace {

using jw::JwString;

const char16_t* const kRooms[12] = {u"部屋", u"寝室", u"台所", u"浴室", u"玄関", u"廊下",
                                    u"押入", u"階段", u"収納", u"洋室", u"和室", u"居間"};

JwString TextOf(long i) {
    return JwString(kRooms[i % 12]) + u"（" + jw::FromUtf8(std::to_string(i % 1000)) + u"号室）";
}

bool Build(jw::TJwwData& m, long n) {
    m.DataDefaultSet();
    if (!m.AddEntPre()) return false;
    for (long i = 0; i < n; ++i) {
        const double x = static_cast<double>(i % 5000), y = static_cast<double>(i / 5000) / 4;
        const int32_t ly = static_cast<int32_t>(i % 16);
        bool ok = true;
        switch (i % 10) {
            case 0: case 1: case 2: case 3: case 4: case 5:
                ok = m.AddEntLine(0, 0, ly, 1 + static_cast<int32_t>(i % 8), 1, 0, 0, x, y, x + 10.5, y + 3.25);
                break;
            case 6:
                ok = m.AddEntArc(0, 0, ly, 2, 1, 0, 0, x, y, 7.5, 1.0, 30, 120, 0);
                break;
            case 7:
                ok = m.AddEntTen(0, 0, ly, 3, 1, 0, 0, x, y, 0, 1);
                break;
            default:
                ok = m.AddEntMoji(0, 0, ly, 4, 1, 0, 0, 1, x, y, 4, 4, 0.5, 0, u"ＭＳ ゴシック", TextOf(i));
                break;
        }
        if (!ok) return false;
    }
    return m.AddEntPost();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_drawing N FILE [VERSION]\n");
        return 2;
    }
    const long n = std::strtol(argv[1], nullptr, 10);
    const int32_t ver = argc > 3 ? static_cast<int32_t>(std::strtol(argv[3], nullptr, 10)) : 600;
    jw::JwGlobalInit();
    jw::TJwwData m;
    if (n < 0 || !Build(m, n)) {
        std::fprintf(stderr, "make_drawing: building failed\n");
        return 1;
    }
    m.SetFileOutOption(0);
    if (!m.FileOut(jw::FromUtf8(argv[2]), ver)) {
        std::fprintf(stderr, "make_drawing: %s\n", m.LastError.c_str());
        return 1;
    }
    return 0;
}
