// The Qt back end of the screen rendering: a TJwCanvas that paints with
// QPainter (the window, PNG and PDF), paper millimetres mapped onto the
// device by a transform. What lies beside the device is not drawn at all,
// what is smaller than a device pixel is drawn as a dot; dash patterns finer
// than two pixels are drawn solid.
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "image_store.h"
#include "render/canvas.h"

namespace jw {

// The fonts of the Jw_cad font names met, and the glyphs of each character
// cell's text, laid out once (fallback fonts chosen, shaped) and drawn again
// for every cell that holds it. Used by one thread at a time; it may outlive
// the canvases that fill it (the bands of a picture, the paints of a page).
class TJwGlyphCache {
public:
    struct Glyphs {
        QList<QGlyphRun> runs;  // base line at y = 0
        double advance = 0;
        bool blank = false;  // nothing to draw (white space)
    };
    struct Font {
        QFont font;
        double ascent = 0, descent = 0;
        std::unordered_map<std::u16string, Glyphs> glyphs;
    };
    Font& FontOf(std::u16string_view jwFont);
    static const Glyphs& GlyphsOf(Font& f, std::u16string_view ch);

private:
    std::unordered_map<std::u16string, Font> fonts_;
};

class TJwQtCanvas : public TJwCanvas {
public:
    // toDevice maps paper mm onto the painter's device; minWidth is the
    // least width of a line in device units (1 for pixels, 0 for vector
    // output). Pictures come from images (none: images are not drawn); at
    // most imagePxPerMm pixels of a picture are asked for per paper mm (0:
    // as many as the device shows). Glyphs are kept in glyphs (none: a
    // cache of the canvas's own).
    TJwQtCanvas(QPainter& painter, const QTransform& toDevice, double minWidth, TJwImageStore* images = nullptr,
                double imagePxPerMm = 0, TJwGlyphCache* glyphs = nullptr);
    // Draws the dots still held (Flush).
    ~TJwQtCanvas() override;

    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override;
    void Arc(const TJwPen& pen, const TJwArc& arc) override;
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override;
    void Text(const TJwTextRun& run) override;
    void Image(const TJwImage& image) override;
    void Dot(uint32_t argb, TJwPoint at) override;
    // Dots are drawn in batches, one per colour; this draws those held.
    void Flush();

    // Device units per paper mm.
    double Scale() const { return scale_; }

private:
    QPainter& p_;
    QTransform t_;
    double scale_ = 1;
    double minWidth_ = 1;
    std::unique_ptr<TJwGlyphCache> ownGlyphs_;
    TJwGlyphCache* glyphs_;
    TJwImageStore* images_ = nullptr;
    double imagePxPerMm_ = 0;

    QRectF device_;  // the painter's device: what lies beyond is not drawn
    QPointF Dev(TJwPoint q) const { return t_.map(QPointF(q.x, q.y)); }
    // Whether a device box, widened by margin, lies beside the device.
    bool Away(const QRectF& box, double margin) const;
    // Whether a device box reaches so far beyond the device that only what
    // is on it is drawn; the device widened by margin.
    bool Far(const QRectF& box) const;
    QRectF Widened(double margin) const;
    double StrokeWidth(const TJwPen& pen) const;
    // Strokes a device polyline of length device units (its pen's stroke
    // and anti-aliasing reach margin beyond it).
    void Stroke(const TJwPen& pen, const QPolygonF& poly, double margin, double length);
    // Appends to run the points of the arc d makes of the unit circle from
    // parameter t0 to t1 (radius r device units) that lie near the device,
    // step apart; flush ends a stretch.
    void ArcNear(const QTransform& d, double r, double t0, double t1, double step, const QRectF& near, QPolygonF& run,
                 const std::function<void()>& flush);
    QPen QtPen(const TJwPen& pen) const;
    // Sets pen (and no brush) unless the painter has them already, for a
    // stroke of length device units.
    void UsePen(const TJwPen& pen, double length);
    uint32_t penArgb_ = 0;  // the pen last set, when penSet_
    double penWidth_ = 0;
    std::vector<double> penDash_;
    bool penSet_ = false, noBrush_ = false;
    uint32_t textArgb_ = 0;  // the colour of texts set, when textPen_
    bool textPen_ = false;
    std::unordered_map<uint32_t, QList<QPointF>> dots_;
    size_t dotCount_ = 0;

    void DotAt(uint32_t argb, QPointF at);
    // A text too small to read: a stroke across each of its characters.
    void Greek(const TJwTextRun& run, double height);
};

// The family drawn for a Jw_cad font name (leading "@" ignored): the font
// itself when installed, else IPAMincho for a Mincho face and IPAGothic for
// any other (the system's default when neither is installed).
QString JwFontFamily(std::u16string_view jwFont);

// Whether a font name is of a serif face (Mincho).
bool JwIsSerifName(const QString& name);

// The pixel size glyphs are laid out at, and scaled from onto their cells.
inline constexpr double kJwGlyphPixels = 100;

// The font of a Jw_cad font name as the glyphs are drawn: its family at
// kJwGlyphPixels, without hinting or kerning, and the ascent and descent its
// glyphs are placed by (a usual font's when it gives none). The SVG writer
// places its texts by the same.
struct TJwGlyphFont {
    QFont font;
    double ascent = 0, descent = 0;
};
TJwGlyphFont JwGlyphFont(std::u16string_view jwFont);

// Loads the font database once; call before painting on worker threads.
void JwSetUpRenderFonts();

}  // namespace jw
