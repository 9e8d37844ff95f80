// Images bound into 7.00 drawings: the bound-image section (read and write)
// and the operations on the extracted files in BindImageFolder.
//
// Image names come from drawing files and are untrusted. A name that could
// leave BindImageFolder (a folder separator, a drive, "." or "..") keeps its
// entry in the list, but no operation ever touches the file system for it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>

#include "jww/archive.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

constexpr size_t kMinImageEntryBytes = 5;  // empty name (1 byte) and size (4)
constexpr int64_t kMaxImageSize = INT32_MAX;
constexpr size_t kChunk = 64 * 1024;

bool IsTrimSpace(char16_t c) { return c <= 0x20 || c == 0x3000; }

// True when BindImageFolder + name names a file inside BindImageFolder.
bool IsSafeImageName(const JwString& name) {
    if (name.find_first_of(u"\\/:") != JwString::npos) return false;
    size_t b = 0, e = name.size();
    while (b < e && IsTrimSpace(name[b])) ++b;
    while (e > b && IsTrimSpace(name[e - 1])) --e;
    const std::u16string_view t(name.data() + b, e - b);
    return !(t.empty() || t == u"." || t == u"..");
}

bool HasGzExt(const JwString& name) { return FileExtLower(name) == u".gz"; }

// name without its last extension (".gz").
JwString WithoutLastExt(const JwString& name) { return FileExtChange(name, u""); }

using ProduceFn = std::function<bool(OutputSink&)>;

// Writes a file through a temporary file in the same folder that replaces the
// entry at target (never following a link there). `produce` answers false on
// failure. False, with the reason in why, when anything failed; nothing is
// left behind then.
bool ReplaceFile(const JwString& target, const ProduceFn& produce, std::string* why = nullptr) {
    try {
        AtomicFileSink sink(target, SinkTarget::ReplaceEntry);
        if (!produce(sink)) {
            if (why) *why = "the image data cannot be read";
            return false;
        }
        sink.Commit();
        return true;
    } catch (const JwIOError& e) {
        if (why) *why = e.what();
    } catch (const std::exception&) {
        if (why) *why = kErrFileIO;
    }
    return false;
}

// A write into sink that answers false instead of throwing.
bool WriteTo(OutputSink& sink, const void* data, size_t n) {
    try {
        sink.Write(static_cast<const uint8_t*>(data), n);
        return true;
    } catch (const JwIOError&) {
        return false;
    }
}

bool ReadFileBytes(const JwString& path, std::vector<uint8_t>& out) {
    std::string err;
    return ReadWholeFile(path, out, err);
}

// Decompresses a gzip file (all its members) into dst.
bool GunzipFile(const JwString& src, const JwString& dst) {
    std::ifstream in(NativePath(src), std::ios::binary);
    if (!in) return false;
    return ReplaceFile(dst, [&](OutputSink& sink) {
        auto write = [&](const void* data, size_t n) { return WriteTo(sink, data, n); };
        z_stream zs{};
        if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) return false;
        std::vector<unsigned char> inBuf(kChunk), outBuf(kChunk);
        int64_t total = 0;
        bool ok = true, ended = false;
        while (ok) {
            if (zs.avail_in == 0) {
                in.read(reinterpret_cast<char*>(inBuf.data()), static_cast<std::streamsize>(inBuf.size()));
                zs.avail_in = static_cast<uInt>(in.gcount());
                zs.next_in = inBuf.data();
                if (zs.avail_in == 0) {
                    ok = ended;  // a stream cut short is an error
                    break;
                }
            }
            if (ended) {
                // Another gzip member may follow; anything else after the
                // first member is ignored, as gzip does.
                if (zs.next_in[0] != 0x1f) break;
                if (inflateReset(&zs) != Z_OK) ok = false;
                ended = false;
            }
            zs.next_out = outBuf.data();
            zs.avail_out = static_cast<uInt>(outBuf.size());
            const int rc = inflate(&zs, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) {
                ok = false;
                break;
            }
            const size_t n = outBuf.size() - zs.avail_out;
            total += static_cast<int64_t>(n);
            // An image larger than a drawing could bind is not a bound image.
            if (total > kMaxImageSize || (n && !write(outBuf.data(), n))) ok = false;
            if (rc == Z_STREAM_END) ended = true;
        }
        inflateEnd(&zs);
        return ok;
    });
}

// Compresses src into dst in the gzip format at the highest level.
bool GzipFile(const JwString& src, const JwString& dst) {
    std::ifstream in(NativePath(src), std::ios::binary);
    if (!in) return false;
    return ReplaceFile(dst, [&](OutputSink& sink) {
        auto write = [&](const void* data, size_t n) { return WriteTo(sink, data, n); };
        z_stream zs{};
        if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        std::vector<unsigned char> inBuf(kChunk), outBuf(kChunk);
        bool ok = true;
        int flush = Z_NO_FLUSH;
        while (ok && flush != Z_FINISH) {
            in.read(reinterpret_cast<char*>(inBuf.data()), static_cast<std::streamsize>(inBuf.size()));
            zs.avail_in = static_cast<uInt>(in.gcount());
            zs.next_in = inBuf.data();
            if (in.bad()) ok = false;
            flush = in.eof() ? Z_FINISH : Z_NO_FLUSH;
            do {
                zs.next_out = outBuf.data();
                zs.avail_out = static_cast<uInt>(outBuf.size());
                if (deflate(&zs, flush) == Z_STREAM_ERROR) ok = false;
                const size_t n = outBuf.size() - zs.avail_out;
                if (n && !write(outBuf.data(), n)) ok = false;
            } while (ok && zs.avail_out == 0);
        }
        deflateEnd(&zs);
        return ok;
    });
}

}  // namespace

// ---- reading ----

void TJwEntities::ReadBindImageSection(ArchiveReader& ar) {
    BindImageInit();
    if (!BindImageExp && !BindImageExr) return;
    ar.place = {ReadSection::ImageCount, -1, -1, 0, ar.Pos()};
    const int32_t count = ar.ReadInt();
    if (count <= 0) return;
    BindImage.reserve(std::min<size_t>(static_cast<size_t>(count), ar.Remaining() / kMinImageEntryBytes));
    bool folderTried = false;
    std::string folderError;
    for (int32_t i = 0; i < count; ++i) {
        ar.place = {ReadSection::Image, i, -1, 0, ar.Pos()};
        // A count the rest of the file cannot hold, or an image larger than
        // the rest, ends the read; the entries before it stay.
        if (ar.Remaining() < kMinImageEntryBytes) ar.Fail("the file ends before the image's name and size");
        TBindImageType img;
        img.Fname = ar.StrInFilter();
        img.Fsize = ar.ReadInt();
        if (!img.Fname.empty() && img.Fsize != 0) {
            if (img.Fsize < 0 || static_cast<size_t>(img.Fsize) > ar.Remaining())
                ar.Fail("the image's size " + std::to_string(img.Fsize) + " is more than the rest of the file");
            const size_t size = static_cast<size_t>(img.Fsize);
            const uint8_t* data = ar.Peek(size);
            if (data == nullptr) ar.Fail("the file ends inside the image");  // it got shorter
            if (BindImageExp) {
                // The folder is made when the first image needs it.
                if (BindImageFolder.empty() && BindImageFolderMake && !folderTried) {
                    folderTried = true;
                    BindImageFolder = BindImageFolderMake(folderError);
                }
                std::string why;
                if (BindImageFolder.empty()) {
                    why = folderError.empty() ? "no folder for extracted images" : folderError;
                } else if (!IsSafeImageName(img.Fname)) {
                    why = "its name leaves the image folder";
                } else {
                    const JwString path = BindImageFolder + img.Fname;
                    if (!ReplaceFile(path, [&](OutputSink& sink) { return WriteTo(sink, data, size); }, &why) &&
                        FileExistsEx(path))
                        FileDelete(path);
                }
                if (!why.empty())
                    BindImageErrors.push_back("bound image " + ToUtf8(img.Fname) + " could not be extracted: " + why);
            }
            ar.Skip(size);
        }
        BindImage.push_back(std::move(img));
        BindImageN = static_cast<int32_t>(BindImage.size());
    }
}

// ---- writing ----

void TJwEntities::WriteBindImageSection(ArchiveWriter& aw) {
    for (auto& img : BindImage) img.exf = false;
    const size_t n = HeldCount(BindImage, BindImageN);

    // Mark the images that texts of the drawing or of any definition refer to.
    std::vector<JwString> upper(n);
    for (size_t i = 0; i < n; ++i) upper[i] = StrUpper(BindImage[i].Fname);
    auto mark = [&](const JwString& s) {
        static constexpr std::u16string_view kPrefix = u"^@BM%temp%";
        if (s.size() <= kPrefix.size() || std::u16string_view(s).substr(0, kPrefix.size()) != kPrefix) return;
        const size_t c = s.find(u',');
        if (c == JwString::npos || c <= kPrefix.size()) return;
        const JwString ref = StrUpper(std::u16string_view(s).substr(kPrefix.size(), c - kPrefix.size()));
        // The image of exactly that name; failing that, the first whose name
        // begins with it (the name with ".gz" appended, in any case).
        for (size_t i = 0; i < n; ++i) {
            if (upper[i] == ref) {
                BindImage[i].exf = true;
                return;
            }
        }
        for (size_t i = 0; i < n; ++i) {
            if (upper[i].compare(0, ref.size(), ref) == 0 && upper[i].size() >= ref.size()) {
                BindImage[i].exf = true;
                return;
            }
        }
    };
    // Without images there is nothing to mark: the texts are not visited.
    if (n > 0) {
        for (const auto& no : EntNo) {
            if (no.EntType == kEntMoji && no.EntNo >= 0 && no.EntNo < EntMojiN &&
                static_cast<size_t>(no.EntNo) < EntMoji.size())
                mark(EntMoji[static_cast<size_t>(no.EntNo)].str);
        }
        for (const auto& d : EntBlockDef) {
            const size_t m = HeldCount(d.mMoji, d.mMojiN);
            for (size_t k = 0; k < m; ++k) mark(d.mMoji[k].str);
        }
    }

    // Without either switch the section is empty.
    if (!BindImageExp && !BindImageExr) {
        for (auto& img : BindImage) img.exf = false;
        aw.WriteInt(0);
        return;
    }

    // Load the marked files now, so that the count written agrees with the
    // entries that follow it. An image whose file is gone is dropped; one
    // whose file is there but cannot be stored fails the save.
    std::vector<std::vector<uint8_t>> data(n);
    int32_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        TBindImageType& img = BindImage[i];
        if (!img.exf) continue;
        const JwString path = BindImageFolder + img.Fname;
        if (BindImageFolder.empty() || !IsSafeImageName(img.Fname) || !FileExistsEx(path)) {
            img.exf = false;
            continue;
        }
        if (!ReadFileBytes(path, data[i]))
            throw JwIOError("cannot store the bound image " + ToUtf8(img.Fname) + ": its file cannot be read");
        if (static_cast<int64_t>(data[i].size()) > kMaxImageSize)
            throw JwIOError("cannot store the bound image " + ToUtf8(img.Fname) + ": 2 GiB or larger");
        ++count;
    }
    aw.WriteInt(count);
    for (size_t i = 0; i < n; ++i) {
        if (!BindImage[i].exf) continue;
        aw.StrOut(BindImage[i].Fname);
        aw.WriteInt(static_cast<int32_t>(data[i].size()));
        if (!data[i].empty()) aw.WriteBytes(data[i].data(), data[i].size());
    }
}

// ---- operations on the extracted files ----

namespace {

template <class F>
void ForEachImage(std::vector<TBindImageType>& images, int32_t count, F f) {
    const size_t n = HeldCount(images, count);
    for (size_t i = 0; i < n; ++i) f(images[i]);
}

}  // namespace

void TJwEntities::BindImageExplode() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        if (!HasGzExt(img.Fname) || !IsSafeImageName(img.Fname)) return;
        const JwString plain = WithoutLastExt(img.Fname);
        if (!IsSafeImageName(plain)) return;
        const JwString src = BindImageFolder + img.Fname;
        if (FileExistsEx(src)) GunzipFile(src, BindImageFolder + plain);
    });
}

void TJwEntities::BindImagePack() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        if (HasGzExt(img.Fname) || !IsSafeImageName(img.Fname)) return;
        const JwString src = BindImageFolder + img.Fname;
        if (!FileExistsEx(src)) return;
        const JwString gz = src + u".gz";
        GzipFile(src, gz);
        if (FileExistsEx(gz)) img.Fname += u".gz";
    });
}

void TJwEntities::BindImageCopy(const JwString& dst) {
    if (BindImageFolder.empty()) return;
    JwString folder = dst;
    if (folder.empty() || folder.back() != PathDelimChar()) folder += PathDelimChar();
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        const JwString name = HasGzExt(img.Fname) ? WithoutLastExt(img.Fname) : img.Fname;
        if (!IsSafeImageName(img.Fname) || !IsSafeImageName(name)) return;
        const JwString src = BindImageFolder + name;
        if (FileExistsEx(src)) FileCopyReplace(src, folder + name);
    });
}

void TJwEntities::BindImageDeleteFile() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        if (!IsSafeImageName(img.Fname)) return;
        const JwString path = BindImageFolder + img.Fname;
        if (FileExistsEx(path)) FileDelete(path);
    });
}

void TJwEntities::BindImageDeleteGzFile() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        if (!HasGzExt(img.Fname) || !IsSafeImageName(img.Fname)) return;
        const JwString path = BindImageFolder + img.Fname;
        if (FileExistsEx(path)) FileDelete(path);
    });
}

void TJwEntities::BindImageDeleteNonGzFile() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        const JwString name = HasGzExt(img.Fname) ? WithoutLastExt(img.Fname) : img.Fname;
        if (!IsSafeImageName(img.Fname) || !IsSafeImageName(name)) return;
        const JwString path = BindImageFolder + name;
        if (FileExistsEx(path)) FileDelete(path);
    });
}

// A figure holds no image data: Explode only looks for the files, Pack only
// adopts ".gz" files that already exist.
void TJwsData::BindImageExplode() {}

void TJwsData::BindImagePack() {
    if (BindImageFolder.empty()) return;
    ForEachImage(BindImage, BindImageN, [&](TBindImageType& img) {
        if (HasGzExt(img.Fname) || !IsSafeImageName(img.Fname)) return;
        const JwString src = BindImageFolder + img.Fname;
        if (FileExistsEx(src) && FileExistsEx(src + u".gz")) img.Fname += u".gz";
    });
}

}  // namespace jw
