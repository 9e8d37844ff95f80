#include "png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace jw {

namespace {

// The band picture a worker paints into may take at most this much; it
// bounds the width, and the band height a caller may ask for.
constexpr size_t kMaxBandBytes = size_t(256) << 20;
// Default band size in pixels (JwPngBandRows).
constexpr int64_t kMinBandPixels = int64_t(1) << 18;
constexpr int64_t kMaxBandPixels = int64_t(1) << 21;
constexpr int kBandsWanted = 32;
// More threads than this are not started, whatever is asked for.
constexpr unsigned kMaxThreads = 64;
// Bands painted or waiting to be written at once, per thread: enough that a
// slow band does not keep the other threads idle.
constexpr unsigned kBandsPerThread = 3;
// Size of the IDAT chunks the compressed stream is cut into.
constexpr size_t kIdatBytes = size_t(256) << 10;

// Chosen by measuring rendered drawings (white paper, thin lines, text):
// zlib's level 1 is the fastest; level 6 makes them up to a third smaller
// but takes twice as long, and levels 2 and 3 gain 1 to 3 %. With it the Up
// filter comes within 12 % of the smallest filter on every drawing and costs
// least after None; unlike None it also finds the row above in a picture
// wider than deflate's 32 KiB window. Paeth takes five times as long to
// filter.
constexpr int kLevel = 1;
// A band whose rows differ from the row above in fewer than 1 pixel in 20
// is mostly blank paper: deflated as runs (Z_RLE), its blank rows take a
// quarter of the room they take at level 1 (whose matches then reach far
// back and cost long distance codes), in less time. Busier bands, text above
// all, need the level's matches at any distance.
constexpr int64_t kRunsBelowPerMille = 50;
// zlib's memory level of each: runs need no hash table, and the smaller
// blocks of a lower level suit them, so that level 6 is a quarter faster
// than the usual 8 on blank paper and smaller on drawings with text.
constexpr int kMemLevel = 8;
constexpr int kRunsMemLevel = 6;

constexpr uint8_t kFilterSub = 1;
constexpr uint8_t kFilterUp = 2;

[[noreturn]] void Fail(const std::string& why) { throw JwIOError("cannot write the PNG: " + why); }

void PutBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// The picture's geometry and the work's shape, checked.
struct Layout {
    int width = 0, height = 0;
    int bandRows = 0;
    int bands = 0;
    size_t rowBytes = 0;  // a filtered row: the filter byte and 3 bytes a pixel
    unsigned threads = 1;
    uint32_t pixelsPerMetre = 0;  // 0: no pHYs chunk
    const QImage* picture = nullptr;  // painted already: the bands are its rows
};

Layout CheckLayout(const TJwPngLayout& layout) {
    Layout l;
    if (layout.width < 1 || layout.height < 1)
        Fail("the picture has no pixels (" + std::to_string(layout.width) + " x " + std::to_string(layout.height) + ")");
    if (static_cast<uint64_t>(layout.width) * 4 > kMaxBandBytes)
        Fail("a row of " + std::to_string(layout.width) + " pixels is too wide (more than " +
             std::to_string(kMaxBandBytes / 4) + ")");
    if (layout.bandRows < 0) Fail("the band height is negative (" + std::to_string(layout.bandRows) + ")");
    if (static_cast<uint64_t>(layout.width) * 4 * static_cast<uint64_t>(layout.bandRows) > kMaxBandBytes)
        Fail("a band of " + std::to_string(layout.bandRows) + " rows of " + std::to_string(layout.width) +
             " pixels would take more than " + std::to_string(kMaxBandBytes >> 20) + " MiB");
    if (!std::isfinite(layout.dpi) || layout.dpi < 0) Fail("the resolution is no positive number of dots per inch");
    l.width = layout.width;
    l.height = layout.height;
    l.rowBytes = static_cast<size_t>(layout.width) * 3 + 1;
    l.bandRows = std::min(layout.bandRows > 0 ? layout.bandRows : JwPngBandRows(layout.width, layout.height), layout.height);
    l.bands = (layout.height - 1) / l.bandRows + 1;
    if (layout.dpi > 0) {
        const double ppm = std::round(layout.dpi / 0.0254);
        if (!(ppm >= 1 && ppm <= 2147483647.0)) {
            char dpi[32];
            std::snprintf(dpi, sizeof dpi, "%g", layout.dpi);
            Fail(std::string("a resolution of ") + dpi + " dpi cannot be written");
        }
        l.pixelsPerMetre = static_cast<uint32_t>(ppm);
    }
    unsigned threads = layout.threads > 0 ? layout.threads : std::thread::hardware_concurrency();
    threads = std::min({std::max(threads, 1u), kMaxThreads, static_cast<unsigned>(l.bands)});
    l.threads = threads;
    return l;
}

// Row 0 of a band, filtered with Sub: each byte less the one a pixel to its
// left (a row of paper becomes zeros).
void FilterSub(const uint32_t* row, int width, uint8_t* out) {
    *out++ = kFilterSub;
    uint32_t left = 0;
    for (int x = 0; x < width; ++x, out += 3) {
        const uint32_t c = row[x];
        out[0] = static_cast<uint8_t>((c >> 16) - (left >> 16));
        out[1] = static_cast<uint8_t>((c >> 8) - (left >> 8));
        out[2] = static_cast<uint8_t>(c - left);
        left = c;
    }
}

// The other rows, filtered with Up: each byte less the one above it.
// Answers the number of pixels that differ from the ones above.
int64_t FilterUp(const uint32_t* row, const uint32_t* above, int width, uint8_t* out) {
    *out++ = kFilterUp;
    const size_t bytes = static_cast<size_t>(width) * 3;
    // Most rows of a drawing are the row above again (blank paper, or a
    // vertical line going on).
    if (std::memcmp(row, above, static_cast<size_t>(width) * 4) == 0) {
        std::memset(out, 0, bytes);
        return 0;
    }
    int64_t changed = 0;
    for (int x = 0; x < width; ++x, out += 3) {
        const uint32_t c = row[x], a = above[x];
        changed += ((c ^ a) & 0xFFFFFFu) != 0;
        out[0] = static_cast<uint8_t>((c >> 16) - (a >> 16));
        out[1] = static_cast<uint8_t>((c >> 8) - (a >> 8));
        out[2] = static_cast<uint8_t>(c - a);
    }
    return changed;
}

// One band's share of the zlib stream: its filtered rows deflated as a raw
// deflate piece that ends on a byte boundary (Z_SYNC_FLUSH), so that pieces
// made apart join into one stream; the last band's piece ends the stream
// (Z_FINISH).
struct Piece {
    std::unique_ptr<uint8_t[]> bytes;  // room for the piece of any band, made at the first
    size_t room = 0;
    size_t size = 0;
    uLong adler = 0;     // adler32 of the band's filtered rows
    size_t rawSize = 0;  // their length
    bool ready = false;  // made and not yet written (guarded by the pipeline's mutex)

    void MakeRoom(size_t n) {
        if (room >= n) return;
        bytes.reset(new uint8_t[n]);
        room = n;
    }
};

// A raw deflate stream (no zlib header or trailer, a 32 KiB window), used
// again for every band.
class Deflater {
public:
    Deflater(int memLevel, int strategy) {
        const int rc = deflateInit2(&z_, kLevel, Z_DEFLATED, -15, memLevel, strategy);
        if (rc != Z_OK) Fail(std::string("zlib cannot start: ") + (z_.msg != nullptr ? z_.msg : zError(rc)));
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater() { deflateEnd(&z_); }

    // Room that the piece of rawSize bytes surely fits in: deflate's bound
    // and the flush marker.
    size_t Room(size_t rawSize) { return deflateBound(&z_, rawSize) + 16; }

    // Deflates in[0, piece.rawSize) into piece, ending with flush, in one
    // call: deflate that runs out of room at the end of a flush would add
    // another flush marker when called again, so the bytes would depend on
    // the room.
    void Deflate(const uint8_t* in, Piece& piece, int flush) {
        int rc = deflateReset(&z_);
        if (rc != Z_OK) Failed(rc);
        piece.MakeRoom(Room(piece.rawSize));
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = static_cast<uInt>(piece.rawSize);
        z_.next_out = piece.bytes.get();
        z_.avail_out = static_cast<uInt>(piece.room);
        rc = deflate(&z_, flush);
        piece.size = piece.room - z_.avail_out;
        const bool done = flush == Z_FINISH ? rc == Z_STREAM_END : rc == Z_OK && z_.avail_in == 0 && z_.avail_out > 0;
        if (!done) Failed(rc == Z_OK || rc == Z_STREAM_END ? Z_BUF_ERROR : rc);
    }

private:
    [[noreturn]] void Failed(int rc) { Fail(std::string("zlib failed: ") + (z_.msg != nullptr ? z_.msg : zError(rc))); }

    z_stream z_{};
};

// Paints, filters and deflates bands; one for each thread, its buffers used
// again for every band.
class BandCoder {
public:
    explicit BandCoder(const Layout& l)
        : l_(l), dense_(kMemLevel, Z_DEFAULT_STRATEGY), runs_(kRunsMemLevel, Z_RLE) {}

    // Makes band's piece: paints the band (or takes its rows of the picture),
    // filters its rows, deflates them.
    void Code(int band, const JwBandPainter& paint, Piece& piece) {
        const int y0 = band * l_.bandRows;
        const int rows = std::min(l_.bandRows, l_.height - y0);
        if (l_.picture != nullptr) {
            const QImage& p = *l_.picture;
            if (raw_.empty()) raw_.resize(l_.rowBytes * static_cast<size_t>(l_.bandRows));
            Encode(band, rows, [&](int i) { return reinterpret_cast<const uint32_t*>(p.constScanLine(y0 + i)); },
                   piece);
            return;
        }
        if (image_.isNull()) {
            image_ = QImage(l_.width, l_.bandRows, QImage::Format_RGB32);
            if (image_.isNull())
                Fail("no memory for a band of " + std::to_string(l_.width) + " x " + std::to_string(l_.bandRows) +
                     " pixels");
            raw_.resize(l_.rowBytes * static_cast<size_t>(l_.bandRows));
        }
        // The last band may be shorter: its rows are the top of the same buffer.
        QImage part;
        if (rows < l_.bandRows)
            part = QImage(image_.bits(), l_.width, rows, image_.bytesPerLine(), QImage::Format_RGB32);
        QImage& target = rows < l_.bandRows ? part : image_;
        paint(target, y0);
        if (target.width() != l_.width || target.height() != rows || target.format() != QImage::Format_RGB32)
            Fail("the band painter changed the band's size or format");

        Encode(band, rows, [&](int i) { return reinterpret_cast<const uint32_t*>(target.constScanLine(i)); }, piece);
    }

private:
    // Filters the rows of a band and deflates them into its piece.
    template <class Row>
    void Encode(int band, int rows, Row row, Piece& piece) {
        uint8_t* out = raw_.data();
        FilterSub(row(0), l_.width, out);
        int64_t changed = 0;
        for (int i = 1; i < rows; ++i) changed += FilterUp(row(i), row(i - 1), l_.width, out + i * l_.rowBytes);
        piece.rawSize = l_.rowBytes * static_cast<size_t>(rows);

        // A band of one row repeated (blank paper, or only vertical lines
        // crossing it) is often the same as the last such band: its piece
        // is the same too.
        const bool last = band == l_.bands - 1;
        const bool repeated = changed == 0 && !last;
        if (repeated && rows == repeatedRows_ && std::memcmp(repeatedRow_.data(), out, l_.rowBytes) == 0) {
            piece.adler = repeatedAdler_;
            piece.size = repeatedPiece_.size();
            piece.MakeRoom(piece.size);
            std::memcpy(piece.bytes.get(), repeatedPiece_.data(), piece.size);
            return;
        }
        piece.adler = adler32_z(adler32_z(0, nullptr, 0), out, piece.rawSize);
        const int64_t compared = int64_t(rows - 1) * l_.width;
        const bool runs = compared > 0 && changed * 1000 < compared * kRunsBelowPerMille;
        (runs ? runs_ : dense_).Deflate(out, piece, last ? Z_FINISH : Z_SYNC_FLUSH);
        if (repeated) {
            repeatedRows_ = rows;
            repeatedRow_.assign(out, out + l_.rowBytes);
            repeatedAdler_ = piece.adler;
            repeatedPiece_.assign(piece.bytes.get(), piece.bytes.get() + piece.size);
        }
    }

    const Layout& l_;
    Deflater dense_, runs_;
    QImage image_;              // the band being painted, made at the first band
    std::vector<uint8_t> raw_;  // its filtered rows
    // The last band made whose rows all repeat its first: its row count,
    // its first row filtered, and its piece.
    int repeatedRows_ = 0;
    std::vector<uint8_t> repeatedRow_;
    std::vector<uint8_t> repeatedPiece_;
    uLong repeatedAdler_ = 0;
};

// The file: signature, IHDR, pHYs, the zlib stream cut into IDAT chunks,
// IEND. The stream's header and adler32 are made here; the pieces between
// them come from the bands.
class PngStream {
public:
    PngStream(OutputSink& sink, const Layout& l) : sink_(sink) {
        static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        sink_.Write(signature, sizeof signature);
        uint8_t ihdr[13];
        PutBE32(ihdr, static_cast<uint32_t>(l.width));
        PutBE32(ihdr + 4, static_cast<uint32_t>(l.height));
        ihdr[8] = 8;   // bits per sample
        ihdr[9] = 2;   // RGB
        ihdr[10] = 0;  // deflate
        ihdr[11] = 0;  // adaptive filtering
        ihdr[12] = 0;  // not interlaced
        Chunk("IHDR", ihdr, sizeof ihdr);
        if (l.pixelsPerMetre > 0) {
            uint8_t phys[9];
            PutBE32(phys, l.pixelsPerMetre);
            PutBE32(phys + 4, l.pixelsPerMetre);
            phys[8] = 1;  // the unit is the metre
            Chunk("pHYs", phys, sizeof phys);
        }
        idat_.reserve(kIdatBytes);
        // zlib header: deflate with a 32 KiB window, made by the fastest level.
        static const uint8_t zlibHeader[2] = {0x78, 0x01};
        Idat(zlibHeader, sizeof zlibHeader);
    }

    // Appends the next band's piece.
    void Put(const Piece& piece) {
        adler_ = adler32_combine(adler_, piece.adler, static_cast<z_off_t>(piece.rawSize));
        Idat(piece.bytes.get(), piece.size);
    }

    // Ends the stream and the file, after the last band's piece.
    void Finish() {
        uint8_t adler[4];
        PutBE32(adler, static_cast<uint32_t>(adler_));
        Idat(adler, sizeof adler);
        Chunk("IDAT", idat_.data(), idat_.size());
        Chunk("IEND", nullptr, 0);
    }

private:
    void Chunk(const char* type, const uint8_t* data, size_t n) {
        uint8_t head[8];
        PutBE32(head, static_cast<uint32_t>(n));
        std::memcpy(head + 4, type, 4);
        uLong crc = crc32_z(0, head + 4, 4);
        if (n > 0) crc = crc32_z(crc, data, n);
        uint8_t tail[4];
        PutBE32(tail, static_cast<uint32_t>(crc));
        sink_.Write(head, sizeof head);
        if (n > 0) sink_.Write(data, n);
        sink_.Write(tail, sizeof tail);
    }
    // Adds compressed bytes, writing an IDAT chunk whenever one is full.
    void Idat(const uint8_t* data, size_t n) {
        while (n > 0) {
            const size_t take = std::min(n, kIdatBytes - idat_.size());
            idat_.insert(idat_.end(), data, data + take);
            data += take;
            n -= take;
            if (idat_.size() == kIdatBytes) {
                Chunk("IDAT", idat_.data(), idat_.size());
                idat_.clear();
            }
        }
    }

    OutputSink& sink_;
    std::vector<uint8_t> idat_;
    uLong adler_ = 1;  // adler32 of the stream's data so far
};

// Bands made by worker threads and written in order by the calling thread.
// Band b is made into piece b % pieces_.size(), which is free once band
// b - pieces_.size() has been written; so at most that many bands are held.
class Pipeline {
public:
    Pipeline(const Layout& l, const JwBandPainter& paint)
        : l_(l), paint_(paint), pieces_(std::min<size_t>(size_t(l.threads) * kBandsPerThread, size_t(l.bands))) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    ~Pipeline() { Stop(); }

    void Run(PngStream& out) {
        // A thread that cannot be started leaves the work to those that were.
        workers_.reserve(l_.threads);
        try {
            for (unsigned i = 0; i < l_.threads; ++i) workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            if (workers_.empty()) throw;
        }
        try {
            for (int b = 0; b < l_.bands; ++b) {
                Piece& piece = pieces_[static_cast<size_t>(b) % pieces_.size()];
                {
                    std::unique_lock<std::mutex> lock(mutex_);
                    made_.wait(lock, [&] { return piece.ready || stop_; });
                    if (stop_) break;  // a worker failed
                }
                out.Put(piece);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    piece.ready = false;
                    ++written_;
                }
                freed_.notify_all();
            }
        } catch (...) {
            Stop();
            throw;
        }
        Stop();
        if (error_) std::rethrow_exception(error_);
    }

private:
    // Stops the workers once their present band is done, and waits for them.
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        freed_.notify_all();
        for (std::thread& t : workers_)
            if (t.joinable()) t.join();
    }

    void Work() {
        try {
            BandCoder coder(l_);
            for (;;) {
                int b;
                {
                    std::unique_lock<std::mutex> lock(mutex_);
                    freed_.wait(lock, [&] {
                        return stop_ || next_ >= l_.bands || static_cast<size_t>(next_ - written_) < pieces_.size();
                    });
                    if (stop_ || next_ >= l_.bands) return;
                    b = next_++;
                }
                Piece& piece = pieces_[static_cast<size_t>(b) % pieces_.size()];
                coder.Code(b, paint_, piece);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    piece.ready = true;
                }
                made_.notify_one();
            }
        } catch (...) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!error_) error_ = std::current_exception();
                stop_ = true;
            }
            made_.notify_one();
            freed_.notify_all();
        }
    }

    const Layout& l_;
    const JwBandPainter& paint_;
    std::vector<Piece> pieces_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable made_;   // a piece became ready, or a worker failed
    std::condition_variable freed_;  // a piece was written, or the work stops
    int next_ = 0;     // the next band to take
    int written_ = 0;  // bands written
    bool stop_ = false;
    std::exception_ptr error_;  // the first failure of a worker
};

// Writes the PNG of layout l, its bands painted by paint.
void WritePng(OutputSink& sink, const Layout& l, const JwBandPainter& paint) {
    PngStream out(sink, l);
    if (l.threads == 1) {
        BandCoder coder(l);
        Piece piece;
        for (int b = 0; b < l.bands; ++b) {
            coder.Code(b, paint, piece);
            out.Put(piece);
        }
    } else {
        Pipeline(l, paint).Run(out);
    }
    out.Finish();
}

}  // namespace

int JwPngBandRows(int width, int height) {
    if (width < 1 || height < 1) return 1;
    const int64_t w = width;
    const int64_t rows = std::clamp<int64_t>((int64_t(height) + kBandsWanted - 1) / kBandsWanted,
                                             (kMinBandPixels + w - 1) / w, std::max<int64_t>(kMaxBandPixels / w, 1));
    return static_cast<int>(std::min<int64_t>(rows, height));
}

void JwWritePng(OutputSink& sink, const TJwPngLayout& layout, const JwBandPainter& paint) {
    WritePng(sink, CheckLayout(layout), paint);
}

void JwWritePng(OutputSink& sink, const QImage& picture, TJwPngLayout layout) {
    if (picture.format() != QImage::Format_RGB32) Fail("the picture is not 32-bit RGB");
    layout.width = picture.width();
    layout.height = picture.height();
    Layout l = CheckLayout(layout);
    l.picture = &picture;
    WritePng(sink, l, nullptr);
}

}  // namespace jw
