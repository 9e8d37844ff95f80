// libFuzzer target: the recording of the window's drawing page on its own.
// The bytes are read as a list of canvas calls with any numbers at all (not
// numbers, infinities, numbers far beyond any paper, degenerate transforms),
// recorded, indexed by the grid and by bands, and replayed for views and
// pixel sizes the bytes also give, onto a canvas that checks what it gets
// and onto a small picture painted by Qt.
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_qt.h"
#include "qt_canvas.h"
#include "render/display_list.h"

namespace {

// The bytes, taken from the front; zeros once they run out.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool More() const { return p_ < end_; }
    uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    double Number() {
        // Mostly small numbers of a drawing, now and then any 64 bits.
        const uint8_t kind = Byte();
        if (kind < 200) return (static_cast<int>(Byte()) - 128) * (kind % 7 == 0 ? 1e3 : 1.0) + Byte() / 256.0;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = bits << 8 | Byte();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    jw::TJwPoint Point() { return {Number(), Number()}; }
    jw::TJwAffine Affine() { return {Number(), Number(), Number(), Number(), Number(), Number()}; }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

// Checks that a replay hands on only what a canvas can draw.
class CheckingCanvas : public jw::TJwCanvas {
public:
    void Polyline(const jw::TJwPen& pen, std::span<const jw::TJwPoint> points, bool) override {
        Check(points);
        if (!std::isfinite(pen.width)) __builtin_trap();
    }
    void Arc(const jw::TJwPen&, const jw::TJwArc& arc) override {
        if (!std::isfinite(arc.m.e) || !std::isfinite(arc.m.f)) __builtin_trap();
    }
    void FillPolygon(uint32_t, std::span<const jw::TJwPoint> points) override { Check(points); }
    void Text(const jw::TJwTextRun& run) override {
        if (!std::isfinite(run.x1) || !std::isfinite(run.y1)) __builtin_trap();
    }
    void Image(const jw::TJwImage&) override {}
    void Dot(uint32_t, jw::TJwPoint at) override { Check(std::span<const jw::TJwPoint>(&at, 1)); }

private:
    static void Check(std::span<const jw::TJwPoint> points) {
        for (const jw::TJwPoint& p : points)
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) __builtin_trap();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::SetUpQt();
    Bytes in(data, size);
    jw::TJwDisplayList list;
    std::vector<jw::TJwPoint> points;
    std::vector<double> dash;
    std::u16string text;
    const char16_t* const fonts[] = {u"ＭＳ ゴシック", u"@ＭＳ 明朝", u"", u"Nonexistent"};
    for (int calls = 0; in.More() && calls < 256; ++calls) {
        const uint8_t op = in.Byte();
        jw::TJwPen pen;
        pen.argb = 0xFF000000u | op * 0x010203u;
        pen.width = in.Number();
        dash.assign(in.Byte() % 5, 0);
        for (double& v : dash) v = in.Number();
        pen.dash = dash;
        points.resize(in.Byte() % 9);
        for (jw::TJwPoint& p : points) p = in.Point();
        switch (op % 6) {
            case 0: list.Polyline(pen, points, op & 8); break;
            case 1: list.Arc(pen, jw::TJwArc{in.Affine(), in.Number(), in.Number(), (op & 8) != 0}); break;
            case 2: list.FillPolygon(pen.argb, points); break;
            case 3: {
                jw::TJwTextRun run;
                run.x1 = in.Number(), run.y1 = in.Number(), run.x2 = in.Number(), run.y2 = in.Number();
                run.w = in.Number(), run.h = in.Number(), run.d = in.Number(), run.a = in.Number();
                run.vertical = op & 8;
                run.slanted = op & 16;
                run.m = in.Affine();
                run.font = fonts[in.Byte() % 4];
                text.assign(in.Byte() % 6, u'\0');
                for (char16_t& c : text) c = static_cast<char16_t>(in.Byte() << 8 | in.Byte());
                run.text = text;
                list.Text(run);
                break;
            }
            case 4: list.Image(jw::TJwImage{u"/nonexistent.png", 4, 2, in.Affine()}); break;
            default: list.Dot(pen.argb, in.Point()); break;
        }
    }
    list.Finish();
    const jw::TJwBox frame{in.Number(), in.Number(), in.Number(), in.Number()};
    list.IndexStrips(frame, in.Number(), in.Byte() % 40);

    CheckingCanvas check;
    QImage picture(24, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    for (int views = 0; views < 3; ++views) {
        const jw::TJwBox view{in.Number(), in.Number(), in.Number(), in.Number()};
        const double pixel = in.Number();
        list.Replay(check, view, pixel);
        if (!view.Empty() && view.Width() > 0 && view.Height() > 0) {
            const double s = std::fmin(24 / view.Width(), 16 / view.Height());
            jw::TJwQtCanvas canvas(p, QTransform(s, 0, 0, -s, -view.x1 * s, view.y2 * s), 1.0);
            list.Replay(canvas, view, 1 / s);
        }
        list.ReplayStrip(check, in.Byte() % 40, pixel);
    }
    return 0;
}
