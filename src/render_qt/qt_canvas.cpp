#include "qt_canvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <numbers>
#include <string>

#include "render/renderer.h"
#include "render/text_cells.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;
// Segments an arc is laid out in at most when all of it is drawn.
constexpr double kArcSegments = 4000;

QColor Argb(uint32_t c) { return QColor::fromRgba(c); }

QString Q(std::u16string_view s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

const QStringList& Families() {
    static const QStringList families = QFontDatabase::families();
    return families;
}

}  // namespace

void JwSetUpRenderFonts() { (void)Families(); }

QString JwFontFamily(std::u16string_view jwFont) {
    while (!jwFont.empty() && jwFont.front() == u'@') jwFont.remove_prefix(1);
    const QString name = Q(jwFont).trimmed();
    const QStringList& families = Families();
    if (!name.isEmpty() && families.contains(name, Qt::CaseInsensitive)) return name;
    for (const QString& f : JwIsSerifName(name) ? QStringList{QStringLiteral("IPAMincho"), QStringLiteral("IPAGothic")}
                                   : QStringList{QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho")})
        if (families.contains(f)) return f;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

TJwQtCanvas::TJwQtCanvas(QPainter& painter, const QTransform& toDevice, double minWidth, TJwImageStore* images,
                         double imagePxPerMm, TJwGlyphCache* glyphs)
    : p_(painter),
      t_(toDevice),
      minWidth_(minWidth),
      ownGlyphs_(glyphs == nullptr ? std::make_unique<TJwGlyphCache>() : nullptr),
      glyphs_(glyphs == nullptr ? ownGlyphs_.get() : glyphs),
      images_(images),
      imagePxPerMm_(imagePxPerMm) {
    scale_ = std::sqrt(std::fabs(t_.determinant()));
    if (!(scale_ > 0) || !std::isfinite(scale_)) scale_ = 1;
    if (const QPaintDevice* d = p_.device()) {
        const double dpr = d->devicePixelRatioF() > 0 ? d->devicePixelRatioF() : 1;
        device_ = QRectF(0, 0, d->width() / dpr, d->height() / dpr);
    }
}

bool TJwQtCanvas::Far(const QRectF& box) const {
    // Qt's painter holds coordinates in fixed point and steps along dashes
    // in floating point: far beyond some millions of pixels neither holds.
    constexpr double kReach = 1 << 20;
    if (device_.isEmpty()) return false;
    return box.left() < device_.left() - kReach || box.right() > device_.right() + kReach ||
           box.top() < device_.top() - kReach || box.bottom() > device_.bottom() + kReach;
}

double TJwQtCanvas::StrokeWidth(const TJwPen& pen) const {
    // A pen wider than the device's reach covers all of it wherever it runs
    // near: wider strokes would only cost Qt's stroker its precision.
    constexpr double kWidest = 1 << 20;
    const double w = std::max(pen.width * scale_, minWidth_);
    return std::isfinite(w) ? std::min(w, kWidest) : kWidest;
}

QRectF TJwQtCanvas::Widened(double margin) const { return device_.adjusted(-margin, -margin, margin, margin); }

void TJwQtCanvas::Stroke(const TJwPen& pen, const QPolygonF& poly, double margin, double length) {
    if (!Far(poly.boundingRect())) {
        UsePen(pen, length);
        p_.drawPolyline(poly);
        return;
    }
    // Only the parts on the device, solid (dashes would start anew at each
    // cut).
    TJwPen solid = pen;
    solid.dash = {};
    UsePen(solid, 0);
    std::vector<TJwPoint> points;
    points.reserve(static_cast<size_t>(poly.size()));
    for (const QPointF& q : poly) points.push_back({q.x(), q.y()});
    const QRectF w = Widened(margin);
    JwClipPolyline(points, false, TJwBox{w.left(), w.top(), w.right(), w.bottom()},
                   [&](std::span<const TJwPoint> part) {
                       QPolygonF piece;
                       piece.reserve(static_cast<qsizetype>(part.size()));
                       for (const TJwPoint& q : part) piece.append(QPointF(q.x, q.y));
                       p_.drawPolyline(piece);
                   });
}

bool TJwQtCanvas::Away(const QRectF& box, double margin) const {
    if (device_.isEmpty()) return false;
    return box.right() + margin < device_.left() || box.left() - margin > device_.right() ||
           box.bottom() + margin < device_.top() || box.top() - margin > device_.bottom();
}

QPen TJwQtCanvas::QtPen(const TJwPen& pen) const {
    const double w = StrokeWidth(pen);
    QPen q(Argb(pen.argb), w > 0 ? w : 1);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::RoundJoin);
    if (!pen.dash.empty()) {
        double period = 0;
        for (double v : pen.dash) period += std::fabs(v);
        const double unit = q.widthF();
        if (period * scale_ >= 2 * std::max(unit, 1.0)) {
            // Qt's pattern alternates dash and gap, starting with a dash, in
            // units of the pen's width.
            QList<qreal> pattern;
            for (double v : pen.dash) {
                const double len = std::max(std::fabs(v) * scale_, 0.5) / unit;
                if ((pattern.size() % 2 == 1) != (v < 0)) pattern.append(0.01);
                pattern.append(len);
            }
            if (pattern.size() % 2 == 1) pattern.append(0.01);
            if (pattern.size() >= 2) q.setDashPattern(pattern);
        }
    }
    return q;
}

TJwQtCanvas::~TJwQtCanvas() { Flush(); }

void TJwQtCanvas::DotAt(uint32_t argb, QPointF at) {
    dots_[argb].append(at);
    if (++dotCount_ >= 1 << 16) Flush();
}

void TJwQtCanvas::Dot(uint32_t argb, TJwPoint at) {
    const QPointF d = Dev(at);
    if (!Away(QRectF(d, d), 2)) DotAt(argb, d);
}

void TJwQtCanvas::Flush() {
    if (dotCount_ == 0) return;
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, false);
    for (auto& [argb, points] : dots_) {
        if (points.isEmpty()) continue;
        p_.setPen(QPen(Argb(argb), std::max(minWidth_, 1.0)));
        p_.drawPoints(points.constData(), static_cast<int>(points.size()));
        points.clear();
    }
    p_.restore();
    dotCount_ = 0;
}

void TJwQtCanvas::UsePen(const TJwPen& given, double length) {
    // A line type whose pattern would repeat more often than this along what
    // is stroked (length, device units) is drawn solid: Qt's dasher works
    // through every repeat, also those beside the device, and the dashes of
    // a figure that long are too fine to tell apart where it is seen anyway.
    constexpr double kMostRepeats = 20000;
    TJwPen pen = given;
    if (!pen.dash.empty()) {
        double period = 0;
        for (double v : pen.dash) period += std::fabs(v);
        if (!(length <= kMostRepeats * period * scale_)) pen.dash = {};
    }
    // Consecutive entities mostly share a pen: Qt's pen is made and set
    // only when it changes.
    if (!penSet_ || pen.argb != penArgb_ || pen.width != penWidth_ ||
        !std::equal(pen.dash.begin(), pen.dash.end(), penDash_.begin(), penDash_.end())) {
        p_.setPen(QtPen(pen));
        penArgb_ = pen.argb;
        penWidth_ = pen.width;
        penDash_.assign(pen.dash.begin(), pen.dash.end());
        penSet_ = true;
        textPen_ = false;
    }
    if (!noBrush_) {
        p_.setBrush(Qt::NoBrush);
        noBrush_ = true;
    }
}

void TJwQtCanvas::Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) {
    if (points.size() < 2) return;
    // Half the stroke and a pixel of anti-aliasing may reach beyond the
    // line's own box.
    const double margin = StrokeWidth(pen) / 2 + 2;
    if (points.size() == 2 && !closed) {
        const QPointF a = Dev(points[0]), b = Dev(points[1]);
        if (Away(QRectF(a, b).normalized(), margin)) return;
        if (std::fabs(a.x() - b.x()) < 1 && std::fabs(a.y() - b.y()) < 1) {
            DotAt(pen.argb, (a + b) / 2);
            return;
        }
        if (!Far(QRectF(a, b).normalized())) {
            UsePen(pen, QLineF(a, b).length());
            p_.drawLine(QLineF(a, b));
            return;
        }
    }
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(points.size() + 1));
    for (const TJwPoint& q : points) poly.append(Dev(q));
    if (closed) poly.append(poly.front());
    const QRectF box = poly.boundingRect();
    if (Away(box, margin)) return;
    if (box.width() < 1 && box.height() < 1) {
        DotAt(pen.argb, box.center());
        return;
    }
    double length = 0;
    if (!pen.dash.empty())
        for (qsizetype k = 1; k < poly.size(); ++k) length += QLineF(poly[k - 1], poly[k]).length();
    Stroke(pen, poly, margin, length);
}

void TJwQtCanvas::Arc(const TJwPen& pen, const TJwArc& arc) {
    const QTransform m(arc.m.a, arc.m.b, arc.m.c, arc.m.d, arc.m.e, arc.m.f);
    const QTransform d = m * t_;
    const double r = std::max(std::hypot(d.m11(), d.m12()), std::hypot(d.m21(), d.m22()));
    if (!std::isfinite(r) || !std::isfinite(arc.start) || !std::isfinite(arc.sweep)) return;
    const QPointF centre = d.map(QPointF(0, 0));
    const double margin = StrokeWidth(pen) / 2 + 2;
    if (Away(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), margin)) return;
    if (r < 0.5) {
        DotAt(pen.argb, d.map(QPointF(0, 0)));
        return;
    }
    // Segments short enough that the chord stays within a quarter pixel of
    // the curve.
    const double step = std::max(2 * std::acos(std::max(0.0, 1 - 0.25 / r)), 1e-12);
    const double sweep = arc.whole ? 2 * kPi : std::clamp(arc.sweep, -2 * kPi, 2 * kPi);
    const double needed = std::ceil(std::fabs(sweep) / step);
    if (needed <= kArcSegments) {
        const int n = static_cast<int>(std::max(needed, 4.0));
        QPolygonF poly;
        poly.reserve(n + 1);
        for (int k = 0; k <= n; ++k) {
            const double t = arc.start + sweep * k / n;
            poly.append(d.map(QPointF(std::cos(t), std::sin(t))));
        }
        Stroke(pen, poly, margin, r * std::fabs(sweep));
        return;
    }
    // An arc far larger than the device (a view zoomed in on a part of it):
    // only the stretches near the device are laid out, as finely as the
    // device needs, and drawn without dashes.
    TJwPen solid = pen;
    solid.dash = {};
    QPolygonF run;
    auto flush = [&] {
        if (run.size() >= 2) Stroke(solid, run, margin, 0);
        run.clear();
    };
    ArcNear(d, r, arc.start, arc.start + sweep, step, Widened(margin), run, flush);
    flush();
}

void TJwQtCanvas::ArcNear(const QTransform& d, double r, double t0, double t1, double step, const QRectF& near,
                          QPolygonF& run, const std::function<void()>& flush) {
    constexpr int kPieces = 64;
    const double span = t1 - t0;
    const double needed = std::ceil(std::fabs(span) / step);
    auto at = [&](double t) { return d.map(QPointF(std::cos(t), std::sin(t))); };
    // Past the precision of the angle itself (a radius beyond 10^16 device
    // pixels), pieces cannot be told apart: the chord stands for them.
    const double grain = kPieces * 4 * std::numeric_limits<double>::epsilon() *
                         std::max({std::fabs(t0), std::fabs(t1), 1.0});
    if (std::fabs(span) <= grain) {
        if (run.isEmpty()) run.append(at(t0));
        run.append(at(t1));
        return;
    }
    if (needed <= kPieces) {
        const int n = static_cast<int>(std::max(needed, 1.0));
        for (int k = run.isEmpty() ? 0 : 1; k <= n; ++k) run.append(at(t0 + span * k / n));
        return;
    }
    for (int k = 0; k < kPieces; ++k) {
        const double a = t0 + span * k / kPieces, b = t0 + span * (k + 1) / kPieces;
        // The curve between a and b lies within its chord's box widened by
        // the arc's rise over the chord.
        const double s = std::sin((b - a) / 4);
        const double rise = 2 * r * s * s + 1;
        const QRectF box = QRectF(at(a), at(b)).normalized().adjusted(-rise, -rise, rise, rise);
        if (box.intersects(near)) {
            ArcNear(d, r, a, b, step, near, run, flush);
        } else {
            flush();
        }
    }
}

void TJwQtCanvas::FillPolygon(uint32_t argb, std::span<const TJwPoint> points) {
    if (points.size() < 3) return;
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const TJwPoint& q : points) poly.append(Dev(q));
    const QRectF box = poly.boundingRect();
    if (Away(box, 2)) return;
    if (box.width() < 1 && box.height() < 1) {
        DotAt(argb, box.center());
        return;
    }
    if (Far(box)) {
        // Only what is on the device.
        std::vector<TJwPoint> in, out;
        for (const QPointF& q : poly) in.push_back({q.x(), q.y()});
        const QRectF w = Widened(2);
        JwClipPolygon(in, TJwBox{w.left(), w.top(), w.right(), w.bottom()}, out);
        if (out.size() < 3) return;
        poly.clear();
        for (const TJwPoint& q : out) poly.append(QPointF(q.x, q.y));
    }
    p_.setPen(Qt::NoPen);
    p_.setBrush(Argb(argb));
    penSet_ = noBrush_ = textPen_ = false;
    p_.drawPolygon(poly, Qt::WindingFill);
}

bool JwIsSerifName(const QString& name) {
    return name.contains(QStringLiteral("明朝")) || name.contains(QStringLiteral("Mincho"), Qt::CaseInsensitive) ||
           name.contains(QStringLiteral("Serif"), Qt::CaseInsensitive);
}

TJwGlyphFont JwGlyphFont(std::u16string_view jwFont) {
    TJwGlyphFont g;
    g.font = QFont(JwFontFamily(jwFont));
    g.font.setPixelSize(static_cast<int>(kJwGlyphPixels));
    g.font.setHintingPreference(QFont::PreferNoHinting);
    g.font.setKerning(false);
    const QFontMetricsF fm(g.font);
    g.ascent = fm.ascent();
    g.descent = fm.descent();
    if (!(g.ascent + g.descent > 0)) {
        g.ascent = kJwGlyphPixels * 0.88;
        g.descent = kJwGlyphPixels * 0.12;
    }
    return g;
}

TJwGlyphCache::Font& TJwGlyphCache::FontOf(std::u16string_view jwFont) {
    const std::u16string key(jwFont);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    TJwGlyphFont g = JwGlyphFont(jwFont);
    Font e;
    e.font = std::move(g.font);
    e.ascent = g.ascent;
    e.descent = g.descent;
    return fonts_.emplace(key, std::move(e)).first->second;
}

const TJwGlyphCache::Glyphs& TJwGlyphCache::GlyphsOf(Font& f, std::u16string_view ch) {
    const std::u16string key(ch);
    auto it = f.glyphs.find(key);
    if (it != f.glyphs.end()) return it->second;
    Glyphs g;
    const QString s = Q(ch);
    g.blank = s.trimmed().isEmpty();
    if (!g.blank) {
        QTextLayout layout(s, f.font);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        g.runs = layout.glyphRuns();
        // The layout puts the base line at the line's ascent.
        for (QGlyphRun& r : g.runs) {
            QList<QPointF> at = r.positions();
            for (QPointF& p : at) p.ry() -= line.ascent();
            r.setPositions(at);
        }
        g.advance = QFontMetricsF(f.font).horizontalAdvance(s);
    }
    if (!(g.advance > 0)) g.advance = kJwGlyphPixels;
    return f.glyphs.emplace(key, std::move(g)).first->second;
}

namespace {

// Texts lower than this (device units) are shown as grey strokes where their
// characters are ("greeked"): too small to read, and glyphs that small cost
// the most to draw.
constexpr double kGreekBelow = 3;
// Glyphs are drawn up to this size (device units) and this much narrower or
// wider than high; beyond that a text is drawn as its outline box (the font
// engine cannot draw such glyphs, and a character larger than the largest
// sheet shows nothing of its shape anyway).
constexpr double kMaxGlyph = 4096;
constexpr double kMaxAspect = 64;
// The share of a greeked character's colour: small text reads as grey.
constexpr int kGreekAlpha = 128;

// Whether a character cell mapped by dev (unit square onto device units)
// can be drawn with glyphs.
bool GlyphSized(const QTransform& dev) {
    const double w = std::hypot(dev.m11(), dev.m12()), h = std::hypot(dev.m21(), dev.m22());
    const double area = std::fabs(dev.m11() * dev.m22() - dev.m12() * dev.m21());
    return std::isfinite(area) && w <= kMaxGlyph && h <= kMaxGlyph && w * kMaxAspect >= h && h * kMaxAspect >= w &&
           area >= 0.05 * w * h;  // not sheared flat
}

}  // namespace

void TJwQtCanvas::Greek(const TJwTextRun& run, double height) {
    TJwPen pen{(run.argb & 0x00FFFFFFu) | (uint32_t(kGreekAlpha) << 24), height / 2 / scale_, {}};
    JwTextCells(run, [&](std::u16string_view ch, bool, const TJwAffine& frame) {
        if (ch == u" " || ch == u"\u3000") return;
        const TJwPoint pts[2] = {frame.Map(0.1, 0.45), frame.Map(0.9, 0.45)};
        Polyline(pen, pts, false);
    });
}

void TJwQtCanvas::Text(const TJwTextRun& run) {
    const double height = JwTextHeight(run) * scale_;
    if (!std::isfinite(height)) return;
    if (!device_.isEmpty()) {
        TJwPoint c[4];
        JwTextCorners(run, c);
        QPolygonF corners;
        for (const TJwPoint& q : c) corners.append(Dev(q));
        const QRectF box = corners.boundingRect();
        // Glyphs may overhang their cells a little.
        if (Away(box, height / 4 + 2)) return;
    }
    if (height < kGreekBelow) return Greek(run, height);
    TJwGlyphCache::Font& f = glyphs_->FontOf(run.font);
    const double em = f.ascent + f.descent;
    // The glyph runs carry their fonts; the pen gives their colour. The
    // painter's transform is put back afterwards (no save and restore,
    // which copy the whole painter state for every text).
    if (!textPen_ || textArgb_ != run.argb) {
        p_.setPen(Argb(run.argb));
        textPen_ = true;
        textArgb_ = run.argb;
        penSet_ = false;
    }
    const QTransform before = p_.transform();
    bool first = true, outline = false;
    JwTextCells(run, [&](std::u16string_view ch, bool, const TJwAffine& frame) {
        if (outline) return;
        const TJwGlyphCache::Glyphs& g = TJwGlyphCache::GlyphsOf(f, ch);
        if (g.blank) return;
        const QTransform cell(frame.a, frame.b, frame.c, frame.d, frame.e, frame.f);
        const QTransform dev = cell * t_;
        if (first && !GlyphSized(dev)) {
            outline = true;
            return;
        }
        first = false;
        // Glyph coordinates (y down, base line at 0) onto the unit cell.
        const QTransform glyph(1 / g.advance, 0, 0, -1 / em, 0, f.descent / em);
        p_.setTransform(glyph * dev);
        for (const QGlyphRun& r : g.runs) p_.drawGlyphRun(QPointF(0, 0), r);
    });
    p_.setTransform(before);
    if (outline) {
        TJwPoint c[4];
        JwTextCorners(run, c);
        Polyline(TJwPen{run.argb, 0, {}}, c, true);
    }
}

void TJwQtCanvas::Image(const TJwImage& image) {
    if (images_ == nullptr) return;
    const QTransform m(image.m.a, image.m.b, image.m.c, image.m.d, image.m.e, image.m.f);
    const QTransform d = m * t_;
    if (Away(d.mapRect(QRectF(0, 0, 1, 1)), 2)) return;
    // The picture's sides on the device, and so the pixels worth decoding.
    double w = std::hypot(d.m11(), d.m12()), h = std::hypot(d.m21(), d.m22());
    if (!std::isfinite(w) || !std::isfinite(h) || w < 0.5 || h < 0.5) return;
    if (imagePxPerMm_ > 0) {
        w = std::min(w, std::hypot(image.m.a, image.m.b) * imagePxPerMm_);
        h = std::min(h, std::hypot(image.m.c, image.m.d) * imagePxPerMm_);
    }
    constexpr double kMaxSide = 16384;
    const QSize want(static_cast<int>(std::ceil(std::min(w, kMaxSide))), static_cast<int>(std::ceil(std::min(h, kMaxSide))));
    std::string error;
    const QImage img = images_->Get(image.path, want, error);
    if (img.isNull()) return;
    const QTransform unit(1.0 / img.width(), 0, 0, -1.0 / img.height(), 0, 1);
    p_.save();
    p_.setTransform(unit * d);
    p_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p_.drawImage(QPointF(0, 0), img);
    p_.restore();
}

}  // namespace jw
