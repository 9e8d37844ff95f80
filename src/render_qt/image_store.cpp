#include "image_store.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dxf/jww_to_dxf.h"
#include "render/renderer.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// One picture is decoded at a time in the whole process: a decoder holds the
// whole file and, for formats that cannot decode at a smaller size, the
// picture at its own size, so that two at once could double the peak.
std::mutex& DecodeMutex() {
    static std::mutex m;
    return m;
}

// Bytes a decoded picture may take: any file may unpack to this much, and no
// file to more.
constexpr double kAnyPicture = double(128 << 20);
constexpr double kMostPicture = double(1024 << 20);

size_t BytesOf(const QImage& im) { return im.isNull() ? 0 : static_cast<size_t>(im.sizeInBytes()); }

// The size a picture of size native is decoded at for drawing at want.
QSize TargetSize(QSize native, QSize want) {
    if (!want.isValid() || want.isEmpty() || want.width() >= native.width() || want.height() >= native.height())
        return native;
    QSize s = native.scaled(want, Qt::KeepAspectRatioByExpanding);
    s = s.boundedTo(native);
    return s.expandedTo(QSize(1, 1));
}

// The picture format a file's first bytes show; empty when none Qt is asked for.
const char* FormatOf(const std::string& b) {
    auto starts = [&](std::string_view sig) { return b.size() >= sig.size() && std::string_view(b).substr(0, sig.size()) == sig; };
    if (starts("\x89PNG")) return "png";
    if (starts("\xFF\xD8")) return "jpeg";
    if (starts("GIF8")) return "gif";
    if (starts("BM")) return "bmp";
    return "";
}

}  // namespace

TJwImageStore::TJwImageStore(size_t budget, size_t fileLimit) : budget_(budget), fileLimit_(fileLimit) {}

void TJwImageStore::Touch(Entry& e, const JwString& path) {
    if (e.held) lru_.erase(e.use);
    lru_.push_front(path);
    e.use = lru_.begin();
    e.held = true;
}

void TJwImageStore::Drop(Entry& e) {
    if (!e.held) return;
    held_ -= BytesOf(e.image);
    e.image = QImage();
    lru_.erase(e.use);
    e.held = false;
}

void TJwImageStore::Evict(const JwString& keep) {
    while (held_ > budget_ && !lru_.empty()) {
        const JwString victim = lru_.back();
        if (victim == keep) break;  // the only one left: it is being drawn
        Drop(entries_.at(victim));
    }
}

QImage TJwImageStore::Get(const JwString& path, QSize want, std::string& error) {
    error.clear();
    {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(path);
        if (it != entries_.end()) {
            Entry& e = it->second;
            if (!e.error.empty()) {
                error = e.error;
                return QImage();
            }
            if (e.held) {
                const QSize target = TargetSize(e.native, want);
                if (e.image.width() >= target.width() && e.image.height() >= target.height()) {
                    Touch(e, path);
                    return e.image;
                }
            }
        }
    }

    std::lock_guard decoding(DecodeMutex());
    // Another thread may have decoded it meanwhile.
    {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(path);
        if (it != entries_.end() && it->second.held && it->second.error.empty()) {
            Entry& e = it->second;
            const QSize target = TargetSize(e.native, want);
            if (e.image.width() >= target.width() && e.image.height() >= target.height()) {
                Touch(e, path);
                return e.image;
            }
        }
    }
    QImage image;
    QSize native;
    std::string why;
    std::string bytes;
    int32_t w = 0, h = 0;
    if (!JwReadImageBytes(path, bytes, why, fileLimit_)) {
        // why says it
    } else if (!DxfImageBytesPixelSize(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), w, h) ||
               *FormatOf(bytes) == '\0') {
        why = "not a PNG, JPEG, GIF or BMP picture";
    } else {
        QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        const char* format = FormatOf(bytes);
        QImageReader reader(&buffer, format);
        native = reader.size();
        if (!native.isValid() || native.isEmpty()) native = QSize(w, h);
        const QSize target = TargetSize(native, want);
        if (target != native) reader.setScaledSize(target);
        // What the decoder holds: the whole picture (a JPEG decodes at an
        // eighth of its sides and more where it is drawn smaller), in four
        // bytes a pixel. A file may unpack to a small multiple of itself (a
        // real picture compresses a few times) or to what any picture may
        // take, whichever is more, and never to more than a limit of all:
        // a file of a few hundred bytes that claims a picture of gigabytes
        // is refused.
        const double pixels = std::strcmp(format, "jpeg") == 0 && target != native
                                  ? std::max(double(target.width()) * target.height(),
                                             double(native.width()) * native.height() / 64)
                                  : double(native.width()) * native.height();
        const double allowed = std::clamp(64.0 * double(bytes.size()), kAnyPicture, kMostPicture);
        if (4 * pixels > allowed) {
            why = "cannot be decoded: its " + std::to_string(native.width()) + " x " +
                  std::to_string(native.height()) + " pixels would take " +
                  std::to_string(static_cast<long long>(4 * pixels) >> 20) + " MiB, more than the " +
                  std::to_string(static_cast<long long>(allowed) >> 20) + " MiB allowed a file of " +
                  std::to_string(bytes.size() >> 10) + " KiB";
        } else {
            const int limit = QImageReader::allocationLimit();
            QImageReader::setAllocationLimit(static_cast<int>(allowed / (1 << 20)) + 1);
            const bool read = reader.read(&image);
            QImageReader::setAllocationLimit(limit);
            if (!read || image.isNull()) {
                why = "cannot be decoded: " + reader.errorString().toStdString();
                image = QImage();
            }
        }
        if (image.isNull()) {
            // why says it
        } else if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied) {
            // The formats the raster painter draws from without converting.
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                  : QImage::Format_RGB32);
        }
    }

    std::lock_guard lock(mutex_);
    ++decodes_;
    Entry& e = entries_[path];
    if (image.isNull()) {
        if (e.error.empty()) {
            e.error = why;
            failures_.push_back(ToUtf8(path) + ": " + why);
        }
        Drop(e);
        error = e.error;
        return QImage();
    }
    Drop(e);
    e.native = native;
    e.image = image;
    held_ += BytesOf(image);
    Touch(e, path);
    Evict(path);
    return image;
}

std::vector<std::string> TJwImageStore::Failures() const {
    std::lock_guard lock(mutex_);
    return failures_;
}

size_t TJwImageStore::Held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

size_t TJwImageStore::Decodes() const {
    std::lock_guard lock(mutex_);
    return decodes_;
}

}  // namespace jw
