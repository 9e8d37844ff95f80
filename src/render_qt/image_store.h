// Decoded pictures of the image files a drawing shows, for the Qt back ends.
// One store serves every canvas that draws one drawing (all paints of the
// window, all bands of a PNG): a picture is read and decoded once, at the size
// it is drawn at (never above its own), and what the store keeps stays within
// a memory budget, the least recently used picture going first. A file that is
// no picture, or cannot be read or decoded, is remembered as a failure and not
// tried again.
#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/canvas.h"

namespace jw {

class TJwImageStore {
public:
    // budget: bytes of decoded pictures kept; fileLimit: bytes an image file
    // may have once uncompressed (bound images may be gzip-compressed).
    explicit TJwImageStore(size_t budget = size_t(192) << 20, size_t fileLimit = size_t(256) << 20);
    TJwImageStore(const TJwImageStore&) = delete;
    TJwImageStore& operator=(const TJwImageStore&) = delete;

    // The picture of the file path for drawing at want pixels (its aspect
    // kept; a want of zero or beyond the picture's own size gives its own
    // size). A picture decoded before at least that large is given again. A
    // null image when the file cannot be shown; error then says why. Safe to
    // call from several threads.
    QImage Get(const JwString& path, QSize want, std::string& error);

    // "path: reason" for each file that could not be shown, in the order met.
    std::vector<std::string> Failures() const;
    // Bytes of decoded pictures held now, and the files read and decoded so
    // far.
    size_t Held() const;
    size_t Decodes() const;

private:
    struct Entry {
        QSize native;    // the picture's own size (invalid until read)
        QImage image;    // decoded, at most native (null when evicted)
        std::string error;  // why it cannot be shown (empty: it can)
        std::list<JwString>::iterator use;  // place in lru_ while an image is held
        bool held = false;
    };
    const size_t budget_, fileLimit_;
    mutable std::mutex mutex_;
    std::unordered_map<JwString, Entry> entries_;
    std::list<JwString> lru_;  // held pictures, most recently used first
    size_t held_ = 0;
    size_t decodes_ = 0;
    std::vector<std::string> failures_;

    void Touch(Entry& e, const JwString& path);
    void Drop(Entry& e);
    void Evict(const JwString& keep);
};

}  // namespace jw
