#include "svg_canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QChar>
#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "qt_canvas.h"
#include "render/text_cells.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;
// Decimals of coordinates (1 micrometre) and of the linear part of a
// transform (glyph and pixel units are far smaller than a millimetre).
constexpr int kPlaces = 3;
constexpr int kLinearPlaces = 6;
// Numbers from this far on are not written (nor anything that holds one):
// no paper is that large, and with the decimals above they still fit a
// 64-bit integer.
constexpr double kFar = 1e12;
// The least stroke width and the least dash, mm: a line of width zero still
// shows, as a hairline, at any zoom and in print.
constexpr double kHairline = 0.05;
// The side of a dot, mm.
constexpr double kDot = 0.1;
// What is smaller than this either way (the precision of the coordinates
// written, mm) would not show, and is drawn as a dot.
constexpr double kTiny = 0.001;
// Pictures are embedded at most at this resolution (and never above their own).
constexpr double kImagePxPerMm = 300 / 25.4;
constexpr double kMaxImageSide = 16384;
// Bytes of PNG data encoded to base64 at a time (a multiple of 3: no padding
// in between).
constexpr qsizetype kBase64Piece = 3 * 16384;
// Fonts and character advances remembered: far more than a drawing uses;
// beyond, they are measured afresh.
constexpr size_t kMaxFonts = 256;
constexpr size_t kMaxAdvances = 1 << 16;

bool Writable(double v) { return std::fabs(v) < kFar; }
bool Writable(TJwPoint p) { return Writable(p.x) && Writable(p.y); }
bool Writable(const TJwAffine& t) {
    return Writable(t.a) && Writable(t.b) && Writable(t.c) && Writable(t.d) && Writable(t.e) && Writable(t.f);
}

constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
constexpr int64_t kUnits[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// v (writable) in units of 10^-places.
int64_t Fixed(double v, int places) { return static_cast<int64_t>(std::llround(v * kScale[places])); }

// Writes n / 10^places without trailing zeros; answers the end.
char* FormatFixed(char* p, int64_t n, int places) {
    if (n < 0) *p++ = '-';
    const uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    const uint64_t units = static_cast<uint64_t>(kUnits[places]);
    uint64_t whole = u / units, frac = u % units;
    char digits[24];
    int k = 0;
    do {
        digits[k++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    while (k > 0) *p++ = digits[--k];
    if (frac != 0) {
        while (frac % 10 == 0) {
            frac /= 10;
            --places;
        }
        *p++ = '.';
        for (int i = places - 1; i >= 0; --i) {
            p[i] = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        p += places;
    }
    return p;
}

// Whether the code point ch (one or two code units) is a character XML can
// hold and one worth writing: not a control character, a lone surrogate or
// a non-character of the basic plane.
bool XmlChar(std::u16string_view ch) {
    if (ch.size() == 2) return true;  // a surrogate pair (JwTextCells gives pairs whole)
    const char16_t c = ch[0];
    return c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
}

// Appends s as XML character data or an attribute value: & < > " escaped,
// characters XML cannot hold left out.
void AppendXml(std::u16string_view s, std::string& out) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = CharUnits(s, i);
        const std::u16string_view ch = s.substr(i, n);
        i += n;
        if (!XmlChar(ch)) continue;
        switch (ch[0]) {
            case u'&': out += "&amp;"; break;
            case u'<': out += "&lt;"; break;
            case u'>': out += "&gt;"; break;
            case u'"': out += "&quot;"; break;
            default: Utf8Append(ch, out);
        }
    }
}

// The SVG linear part of m (y flipped) as its singular value decomposition:
// the ellipse m makes of the unit circle has the radii rx >= |ry| and its rx
// axis turned by rot (radians) in SVG user units; ry is negative when m
// mirrors there.
struct Ellipse {
    double rx = 0, ry = 0, rot = 0;
};
Ellipse EllipseOf(const TJwAffine& m) {
    // [p q; r s] = [a c; -b -d].
    const double p = m.a, q = m.c, r = -m.b, s = -m.d;
    const double e = (p + s) / 2, f = (p - s) / 2, g = (r + q) / 2, h = (r - q) / 2;
    const double big = std::hypot(e, h), small = std::hypot(f, g);
    Ellipse el;
    el.rx = big + small;
    el.ry = big - small;
    el.rot = (std::atan2(h, e) + std::atan2(g, f)) / 2;
    return el;
}

}  // namespace

TJwSvgCanvas::TJwSvgCanvas(OutputSink& sink, const TJwBox& paper, uint32_t background, TJwImageStore* images)
    : sink_(sink), x0_(paper.x1), y0_(paper.y2), images_(images) {
    const double w = paper.Width(), h = paper.Height();
    if (!(w > 0 && h > 0) || !Writable(paper.x1) || !Writable(paper.y2) || !Writable(w) || !Writable(h))
        throw JwIOError("cannot write the SVG: the paper has no usable size");
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\""
        " width=\"");
    Num(w);
    Put("mm\" height=\"");
    Num(h);
    Put("mm\" viewBox=\"0 0 ");
    Num(w);
    Put(" ");
    Num(h);
    Put("\">\n");
    if ((background >> 24) != 0) {
        Put("<rect width=\"");
        Num(w);
        Put("\" height=\"");
        Num(h);
        Put("\" fill=\"");
        Colour(background);
        if ((background >> 24) != 0xFF) {
            Put("\" fill-opacity=\"");
            Num((background >> 24) / 255.0);
        }
        Put("\"/>\n");
    }
    // What every group shares: fills are set by the groups that fill.
    Put("<g fill=\"none\" stroke-linejoin=\"round\">\n");
}

void TJwSvgCanvas::Finish() {
    if (finished_) return;
    CloseGroup();
    Put("</g>\n</svg>\n");
    finished_ = true;
}

// ---- writing ----

void TJwSvgCanvas::Num(double v, int places) {
    char buf[32];
    char* end = FormatFixed(buf, Writable(v) ? Fixed(v, places) : 0, places);
    sink_.Append(buf, static_cast<size_t>(end - buf));
}

void TJwSvgCanvas::PathNum(int64_t n) {
    char buf[32];
    char* const start = buf + 1;
    char* end = FormatFixed(start, n, kPlaces);
    // A minus sign separates numbers by itself.
    const bool space = sep_ && n >= 0;
    if (space) buf[0] = ' ';
    sink_.Append(space ? buf : start, static_cast<size_t>(end - (space ? buf : start)));
    sep_ = true;
}

void TJwSvgCanvas::PathCmd(char c) {
    sink_.Append(&c, 1);
    sep_ = false;
}

void TJwSvgCanvas::MoveTo(TJwPoint p) {
    PathCmd('M');
    atX_ = Fixed(p.x - x0_, kPlaces);
    atY_ = Fixed(y0_ - p.y, kPlaces);
    PathNum(atX_);
    PathNum(atY_);
}

void TJwSvgCanvas::PathTo(TJwPoint p) {
    // Relative to the point before, as rounded there: shorter numbers, and
    // no rounding errors that add up.
    const int64_t x = Fixed(p.x - x0_, kPlaces), y = Fixed(y0_ - p.y, kPlaces);
    PathNum(x - atX_);
    PathNum(y - atY_);
    atX_ = x;
    atY_ = y;
}

void TJwSvgCanvas::Path(std::span<const TJwPoint> points, bool closed) {
    Put("<path d=\"");
    MoveTo(points[0]);
    PathCmd('l');
    for (size_t i = 1; i < points.size(); ++i) PathTo(points[i]);
    if (closed) PathCmd('z');
    Put("\"/>\n");
}

void TJwSvgCanvas::Colour(uint32_t argb) {
    static constexpr char kHex[] = "0123456789abcdef";
    char s[7] = {'#'};
    for (int i = 0; i < 6; ++i) s[1 + i] = kHex[(argb >> (20 - 4 * i)) & 0xF];
    sink_.Append(s, sizeof s);
}

void TJwSvgCanvas::Matrix(const TJwAffine& t) {
    Put("matrix(");
    Num(t.a, kLinearPlaces);
    Put(" ");
    Num(t.b, kLinearPlaces);
    Put(" ");
    Num(t.c, kLinearPlaces);
    Put(" ");
    Num(t.d, kLinearPlaces);
    Put(" ");
    Num(t.e);
    Put(" ");
    Num(t.f);
    Put(")");
}

// ---- style groups ----

void TJwSvgCanvas::CloseGroup() {
    if (group_ != Group::None) Put("</g>\n");
    group_ = Group::None;
}

bool TJwSvgCanvas::UseStroke(const TJwPen& pen) {
    if (!Writable(pen.width)) return false;
    const double width = std::max(pen.width, kHairline);
    // The pattern as SVG has it: dash and gap lengths alternating from a
    // dash (neighbours of one kind joined, a leading gap after a dash of
    // zero), an even count. A pattern that cannot be written, or has no
    // gap, is drawn solid, as is one of a single dash.
    dash_.clear();
    double gaps = 0;
    for (double v : pen.dash) {
        const bool gap = v < 0;
        const double len = gap ? -v : std::max(v, kHairline);
        if (!Writable(len)) {
            gaps = 0;
            break;
        }
        if (dash_.empty() && gap) dash_.push_back(0);
        if (!dash_.empty() && (dash_.size() % 2 == 1) != gap)
            dash_.back() += len;
        else
            dash_.push_back(len);
        if (gap) gaps += len;
    }
    if (!(gaps >= kTiny) || !Writable(gaps)) dash_.clear();
    if (dash_.size() % 2 == 1) dash_.push_back(0);

    if (group_ == Group::Stroke && groupArgb_ == pen.argb && groupWidth_ == width && groupDash_ == dash_) return true;
    CloseGroup();
    Put("<g stroke=\"");
    Colour(pen.argb);
    Put("\" stroke-width=\"");
    Num(width);
    if ((pen.argb >> 24) != 0xFF) {
        Put("\" stroke-opacity=\"");
        Num((pen.argb >> 24) / 255.0);
    }
    if (!dash_.empty()) {
        Put("\" stroke-dasharray=\"");
        for (size_t i = 0; i < dash_.size(); ++i) {
            if (i > 0) Put(" ");
            Num(dash_[i]);
        }
    }
    Put("\">\n");
    group_ = Group::Stroke;
    groupArgb_ = pen.argb;
    groupWidth_ = width;
    groupDash_ = dash_;
    return true;
}

void TJwSvgCanvas::UseFill(uint32_t argb) {
    if (group_ == Group::Fill && groupArgb_ == argb) return;
    CloseGroup();
    Put("<g fill=\"");
    Colour(argb);
    if ((argb >> 24) != 0xFF) {
        Put("\" fill-opacity=\"");
        Num((argb >> 24) / 255.0);
    }
    Put("\">\n");
    group_ = Group::Fill;
    groupArgb_ = argb;
}

void TJwSvgCanvas::UseText(const Font& font, uint32_t argb) {
    if (group_ == Group::Text && groupArgb_ == argb && groupFont_ == &font) return;
    CloseGroup();
    Put("<g font-family=\"");
    Put(font.attributes);
    Put("\" fill=\"");
    Colour(argb);
    if ((argb >> 24) != 0xFF) {
        Put("\" fill-opacity=\"");
        Num((argb >> 24) / 255.0);
    }
    Put("\">\n");
    group_ = Group::Text;
    groupArgb_ = argb;
    groupFont_ = &font;
}

// ---- primitives ----

bool TJwSvgCanvas::AsDot(uint32_t argb, std::span<const TJwPoint> points) {
    TJwBox box;
    for (const TJwPoint& p : points) {
        if (!Writable(p)) return true;
        box.Add(p);
    }
    if (box.Width() >= kTiny || box.Height() >= kTiny) return false;
    Dot(argb, {(box.x1 + box.x2) / 2, (box.y1 + box.y2) / 2});
    return true;
}

void TJwSvgCanvas::Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) {
    if (finished_ || points.size() < 2 || AsDot(pen.argb, points) || !UseStroke(pen)) return;
    Path(points, closed);
}

void TJwSvgCanvas::Arc(const TJwPen& pen, const TJwArc& arc) {
    if (finished_ || !Writable(arc.m) || !std::isfinite(arc.start)) return;
    const double sweep = arc.whole ? 2 * kPi : std::min(arc.sweep, 2 * kPi);
    if (!(sweep > 0)) return;
    const Ellipse el = EllipseOf(arc.m);
    if (!Writable(el.rx)) return;
    if (el.rx < kTiny) {
        Dot(pen.argb, arc.m.Map(0, 0));
        return;
    }
    auto at = [&](double t) { return arc.m.Map(std::cos(t), std::sin(t)); };
    if (std::fabs(el.ry) < kTiny) {
        // Flat to a line at the written precision, where an SVG arc would
        // become a straight line between its ends: points along it.
        const int n = std::max(2, static_cast<int>(std::ceil(sweep / (kPi / 32))));
        std::vector<TJwPoint> pts(static_cast<size_t>(n) + 1);
        for (int k = 0; k <= n; ++k) pts[static_cast<size_t>(k)] = at(arc.start + sweep * k / n);
        Polyline(pen, pts, false);
        return;
    }
    if (!UseStroke(pen)) return;
    // Pieces of at most 120 degrees: each the small arc between its ends,
    // which are never opposite (where the arc would be ambiguous).
    const int n = std::max(1, static_cast<int>(std::ceil(sweep / (2 * kPi / 3) - 1e-9)));
    const bool circle = el.rx - std::fabs(el.ry) <= 1e-9 * el.rx;
    const double rot = circle ? 0 : el.rot * 180 / kPi;
    // The sweep flag: the direction of growing t in user units, which is
    // that of growing angles unless m mirrors.
    const int64_t flag = el.ry > 0 ? 1000 : 0;  // 1 or 0, in the thousandths of path numbers
    const int64_t rx = Fixed(el.rx, kPlaces), ry = Fixed(std::fabs(el.ry), kPlaces), turn = Fixed(rot, kPlaces);
    Put("<path d=\"");
    MoveTo(at(arc.start));
    PathCmd('a');
    for (int k = 1; k <= n; ++k) {
        PathNum(rx);
        PathNum(ry);
        PathNum(turn);
        PathNum(0);
        PathNum(flag);
        PathTo(at(arc.start + sweep * k / n));
    }
    if (arc.whole) PathCmd('z');
    Put("\"/>\n");
}

void TJwSvgCanvas::FillPolygon(uint32_t argb, std::span<const TJwPoint> points) {
    if (finished_ || points.size() < 3 || AsDot(argb, points)) return;
    UseFill(argb);
    Path(points, true);
}

void TJwSvgCanvas::Dot(uint32_t argb, TJwPoint at) {
    if (finished_ || !Writable(at)) return;
    UseFill(argb);
    Put("<path d=\"");
    MoveTo({at.x - kDot / 2, at.y + kDot / 2});
    Put("h0.1v0.1h-0.1z\"/>\n");
    static_assert(kDot == 0.1, "the dot's path above is written for this size");
}

TJwSvgCanvas::Font& TJwSvgCanvas::FontOf(std::u16string_view jwFont) {
    const std::u16string key(jwFont);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    if (fonts_.size() >= kMaxFonts) {
        CloseGroup();  // the open group may name a font about to go
        fonts_.clear();
    }
    Font& f = fonts_[key];
    TJwGlyphFont glyphs = JwGlyphFont(jwFont);
    const QString family = glyphs.font.family();
    const bool serif =
        JwIsSerifName(family) || JwIsSerifName(QString::fromUtf16(jwFont.data(), static_cast<qsizetype>(jwFont.size())));
    // The family alone for readers that take the attribute as one name (Qt's
    // does), and the CSS font shorthand, which overrides it in readers that
    // follow CSS, with a generic family of the same kind after it for a
    // reader that lacks the font.
    auto append = [&](const QString& s) {
        AppendXml(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())),
                  f.attributes);
    };
    // The drawing's own font comes first in the shorthand: a reader on the
    // system the drawing was made on has it.
    auto quoted = [&](QString name) {
        f.attributes += '\'';
        append(name.remove(QLatin1Char('\'')).remove(QLatin1Char('\\')));
        f.attributes += "',";
    };
    const std::string size = std::to_string(static_cast<int>(kJwGlyphPixels));
    append(family);
    f.attributes += "\" font-size=\"" + size + "\" style=\"font:" + size + "px ";
    std::u16string_view own = jwFont;
    while (!own.empty() && own.front() == u'@') own.remove_prefix(1);
    const QString ownName = QString::fromUtf16(own.data(), static_cast<qsizetype>(own.size())).trimmed();
    if (!ownName.isEmpty() && ownName.compare(family, Qt::CaseInsensitive) != 0) quoted(ownName);
    quoted(family);
    f.attributes += serif ? "serif" : "sans-serif";
    // The metrics the Qt canvas places its glyphs by.
    f.metrics = std::make_unique<QFontMetricsF>(glyphs.font);
    f.ascent = glyphs.ascent;
    f.descent = glyphs.descent;
    return f;
}

double TJwSvgCanvas::AdvanceOf(Font& f, std::u16string_view ch) {
    const std::u16string key(ch);
    auto it = f.advance.find(key);
    if (it != f.advance.end()) return it->second;
    if (f.advance.size() >= kMaxAdvances) f.advance.clear();
    double a = f.metrics->horizontalAdvance(QString::fromUtf16(ch.data(), static_cast<qsizetype>(ch.size())));
    if (!(a > 0) || !std::isfinite(a)) a = kJwGlyphPixels;
    f.advance.emplace(key, a);
    return a;
}

void TJwSvgCanvas::Text(const TJwTextRun& run) {
    if (finished_) return;
    for (double v : {run.x1, run.y1, run.x2, run.y2, run.w, run.h, run.d, run.a})
        if (!Writable(v)) return;
    if (!Writable(run.m)) return;
    Font& f = FontOf(run.font);
    const double em = f.ascent + f.descent;
    const TJwAffine toUser = ToUser();
    std::string chars;
    JwTextCells(run, [&](std::u16string_view ch, bool, const TJwAffine& frame) {
        // White space is not drawn (as by the Qt canvas), nor what XML
        // cannot hold.
        if (!XmlChar(ch) || (ch.size() == 1 && QChar::isSpace(ch[0]))) return;
        const double advance = AdvanceOf(f, ch);
        // Glyph units (y down, base line at 0) onto the unit cell, as the
        // Qt canvas scales each glyph to its cell; then onto the page.
        const TJwAffine glyph{1 / advance, 0, 0, -1 / em, 0, f.descent / em};
        const TJwAffine t = toUser * frame * glyph;
        if (!Writable(t)) return;
        chars.clear();
        AppendXml(ch, chars);
        UseText(f, run.argb);
        Put("<text transform=\"");
        Matrix(t);
        // The glyph fills the cell also where a reader's font has another
        // advance than the one measured here.
        Put("\" textLength=\"");
        Num(advance);
        Put("\" lengthAdjust=\"spacingAndGlyphs\">");
        Put(chars);
        Put("</text>\n");
    });
}

void TJwSvgCanvas::Image(const TJwImage& image) {
    if (finished_ || images_ == nullptr || !Writable(image.m)) return;
    // The pixels the picture would have at the embedding resolution.
    const double w = std::hypot(image.m.a, image.m.b) * kImagePxPerMm,
                 h = std::hypot(image.m.c, image.m.d) * kImagePxPerMm;
    if (!(w >= 0.5 && h >= 0.5)) return;
    const QSize want(static_cast<int>(std::ceil(std::min(w, kMaxImageSide))),
                     static_cast<int>(std::ceil(std::min(h, kMaxImageSide))));
    std::string error;
    const QImage img = images_->Get(image.path, want, error);
    if (img.isNull()) return;
    // Pixel units (y down, the top-left corner at 0) onto the unit square.
    const TJwAffine pixels{1.0 / img.width(), 0, 0, -1.0 / img.height(), 0, 1};
    const TJwAffine t = ToUser() * image.m * pixels;
    if (!Writable(t)) return;
    QByteArray png;
    {
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !img.save(&buffer, "PNG")) return;
    }
    Put("<image width=\"");
    Num(img.width());
    Put("\" height=\"");
    Num(img.height());
    Put("\" preserveAspectRatio=\"none\" transform=\"");
    Matrix(t);
    Put("\" xlink:href=\"data:image/png;base64,");
    for (qsizetype at = 0; at < png.size(); at += kBase64Piece) {
        const QByteArray piece =
            QByteArray::fromRawData(png.constData() + at, std::min(kBase64Piece, png.size() - at)).toBase64();
        sink_.Append(piece.constData(), static_cast<size_t>(piece.size()));
    }
    Put("\"/>\n");
}

}  // namespace jw
