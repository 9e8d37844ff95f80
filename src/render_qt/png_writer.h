// A PNG writer for large pictures: the picture is painted in horizontal
// bands of a fixed number of rows, on every core at once. Each band is
// painted into its own QImage, its rows filtered and deflated on their own
// (a piece of the zlib stream ending on a byte boundary, as pigz makes them),
// and the calling thread writes the finished pieces in order. Only a few
// bands per thread are held at a time, so a picture of any size takes some
// tens of megabytes for each thread. The bands do not depend on the number
// of threads, so neither do the bytes written.
#pragma once

#include <QImage>

#include <functional>

#include "support/file_io.h"

namespace jw {

// Paints rows [y0, y0 + band.height()) of the picture into band, a QImage of
// Format_RGB32 as wide as the picture; it must set every pixel and leave the
// image's size and format as they are. Called on worker threads (on the
// calling thread when there is one), several bands at once, in no set order.
// Qt clips a line to the band before drawing it when the line is at most a
// pixel wide or has one segment, which can move it by a fraction of a
// pixel: such lines crossing a band's edge may be shaded a little
// differently than in a picture painted whole. Wider polylines, curves,
// fills and text come out the same.
using JwBandPainter = std::function<void(QImage& band, int y0)>;

// What JwWritePng writes.
struct TJwPngLayout {
    int width = 0, height = 0;  // pixels
    double dpi = 0;             // written as the pHYs chunk (pixels per metre); 0 = none
    unsigned threads = 0;       // 0 = every core (std::thread::hardware_concurrency)
    int bandRows = 0;           // rows of a band; 0 = chosen from the picture's size
};

// The rows of a band when layout.bandRows is 0: about a 32nd of the picture,
// kept between a quarter of a million and two million pixels.
int JwPngBandRows(int width, int height);

// Writes the picture as an 8-bit RGB PNG to sink. Throws JwIOError naming
// the problem for a layout that cannot be written (a size below 1 pixel or too
// large, a negative band height, a dpi that is no positive number); a failure
// of the sink, of zlib or of the painter ends the write with that exception,
// thrown on the calling thread once every worker has stopped.
void JwWritePng(OutputSink& sink, const TJwPngLayout& layout, const JwBandPainter& paint);

// Writes a picture painted already (Format_RGB32) the same way, its rows
// read in place: layout gives the resolution, threads and band height (its
// size is the picture's).
void JwWritePng(OutputSink& sink, const QImage& picture, TJwPngLayout layout);

}  // namespace jw
