// The SVG back end of the screen rendering: a TJwCanvas that writes SVG
// straight into an output sink as the drawing is drawn, so that the document
// is never held in memory. Paper millimetres are the SVG user units (y
// flipped so that the picture stands upright); lines, arcs and fills are
// paths with real elliptical arcs, texts are <text> elements (one per
// character cell, stretched onto the cell as the Qt canvas draws them) and
// pictures are PNG data embedded as base64. Consecutive primitives of the same
// style share one <g> that carries it.
#pragma once

#include <QFont>
#include <QFontMetricsF>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "image_store.h"
#include "render/canvas.h"
#include "support/file_io.h"

namespace jw {

class TJwSvgCanvas : public TJwCanvas {
public:
    // Writes the SVG header for a picture of paper (mm) on background (ARGB;
    // none when fully transparent). Pictures come from images (null: images
    // are not drawn). Throws JwIOError when the paper has no usable size or
    // the sink fails.
    TJwSvgCanvas(OutputSink& sink, const TJwBox& paper, uint32_t background, TJwImageStore* images);

    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override;
    void Arc(const TJwPen& pen, const TJwArc& arc) override;
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override;
    void Text(const TJwTextRun& run) override;
    void Image(const TJwImage& image) override;
    void Dot(uint32_t argb, TJwPoint at) override;

    // Closes the document (the destructor writes nothing, so that a drawing
    // cut short by a failure leaves the sink as it stands). Anything drawn
    // afterwards is ignored. The sink's errors propagate as JwIOError.
    void Finish();

private:
    // A Jw_cad font as written: the attributes that choose it and the
    // metrics the glyphs are placed by (those of the Qt canvas), with the
    // advance of each character met so far.
    struct Font {
        std::string attributes;  // from the font-family value on, escaped
        std::unique_ptr<QFontMetricsF> metrics;
        double ascent = 0, descent = 0;
        std::unordered_map<std::u16string, double> advance;
    };
    // What the open <g> carries.
    enum class Group { None, Stroke, Fill, Text };

    OutputSink& sink_;
    double x0_ = 0, y0_ = 0;  // paper.x1 and paper.y2: paper mm to user units
    TJwImageStore* images_ = nullptr;
    bool finished_ = false;

    Group group_ = Group::None;
    uint32_t groupArgb_ = 0;
    double groupWidth_ = 0;
    std::vector<double> groupDash_;  // the stroke-dasharray written (mm)
    const Font* groupFont_ = nullptr;
    std::vector<double> dash_;  // scratch for the pattern being set up

    bool sep_ = false;           // whether the next number of path data needs a separator
    int64_t atX_ = 0, atY_ = 0;  // the last point of path data, in thousandths of user units
    std::unordered_map<std::u16string, Font> fonts_;

    void Put(std::string_view s) { sink_.Append(s.data(), s.size()); }
    // A number with at most places decimals (trailing zeros stripped).
    void Num(double v, int places = 3);
    // Path data: a number of thousandths, separated from the one before
    // where needed; a command letter; the start of a subpath and the next
    // point (relative) from paper points.
    void PathNum(int64_t n);
    void PathCmd(char c);
    void MoveTo(TJwPoint p);
    void PathTo(TJwPoint p);
    // A <path> through points.
    void Path(std::span<const TJwPoint> points, bool closed);
    // Draws points that all lie closer together than the precision written
    // as a dot; true when they are drawn so, or cannot be written at all.
    bool AsDot(uint32_t argb, std::span<const TJwPoint> points);
    void Colour(uint32_t argb);
    // "matrix(...)": the 2 x 3 matrix t in user units.
    void Matrix(const TJwAffine& t);

    // Opens a <g> for the style unless the open one has it already;
    // UseStroke answers false for a pen whose width cannot be written.
    bool UseStroke(const TJwPen& pen);
    void UseFill(uint32_t argb);
    void UseText(const Font& font, uint32_t argb);
    void CloseGroup();

    Font& FontOf(std::u16string_view jwFont);
    double AdvanceOf(Font& f, std::u16string_view ch);
    // Paper mm onto user units.
    TJwAffine ToUser() const { return {1, 0, 0, -1, -x0_, y0_}; }
};

}  // namespace jw
