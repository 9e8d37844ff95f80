// Whole-file reads and the atomic file sink.
#include "support/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "support/paths.h"

namespace jw {

namespace {

// Opens path for reading when it names a regular file (never blocking on a
// FIFO or device) and answers its descriptor and size; -1 otherwise.
int OpenRegularFile(const JwString& path, size_t& size) {
    if (path.empty()) return -1;
    const std::filesystem::path p = NativePath(path);
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return -1;
    }
    size = static_cast<size_t>(st.st_size);
    return fd;
}

// Reads exactly n bytes into dst with read(2); false on an error or when the
// file ends early. Closes fd.
bool ReadAndClose(int fd, uint8_t* dst, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, dst + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    ::close(fd);
    return got == n;
}

}  // namespace

bool ReadWholeFile(const JwString& path, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    error.clear();
    size_t size = 0;
    const int fd = OpenRegularFile(path, size);
    if (fd < 0) {
        error = kErrFileIO;
        return false;
    }
    try {
        out.resize(size);
    } catch (const std::exception&) {
        ::close(fd);
        out.clear();
        error = kErrFileIO;
        return false;
    }
    if (!ReadAndClose(fd, out.data(), size)) {
        out.clear();
        error = kErrFileIO;
        return false;
    }
    return true;
}

bool ReadWholeFile(const JwString& path, FileBytes& out, std::string& error) {
    bool whole = false;
    return ReadFileStart(path, SIZE_MAX, out, whole, error);
}

bool ReadFileStart(const JwString& path, size_t limit, FileBytes& out, bool& whole, std::string& error) {
    out = FileBytes{};
    whole = false;
    error.clear();
    size_t size = 0;
    const int fd = OpenRegularFile(path, size);
    if (fd < 0) {
        error = kErrFileIO;
        return false;
    }
    const size_t n = std::min(size, limit);
    // Not cleared first: read(2) fills every byte, and clearing a large
    // buffer would touch all of its pages once more.
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n == 0 ? 1 : n]);
    if (!data) {
        ::close(fd);
        error = kErrFileIO;
        return false;
    }
    if (!ReadAndClose(fd, data.get(), n)) {
        error = kErrFileIO;
        return false;
    }
    out.data = std::move(data);
    out.size = n;
    whole = n == size;
    return true;
}

// ---------------------------------------------------------------------------
// SequentialFile

namespace {

// Pieces of a sequential read, and the unit memory is given back in: the
// size of a large page, so that each piece takes a few page faults.
constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kPiece = kLargePage;

uint8_t* AlignUp(uint8_t* p, size_t a) {
    return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(p) + a - 1) & ~(uintptr_t{a} - 1));
}

}  // namespace

void AdviseLargeArray(const void* p, size_t bytes) {
    if (bytes < 2 * kLargePage) return;
    uint8_t* first = AlignUp(const_cast<uint8_t*>(static_cast<const uint8_t*>(p)), kLargePage);
    uint8_t* end = static_cast<uint8_t*>(const_cast<void*>(p)) + bytes;
    const size_t n = static_cast<size_t>(end - first) & ~(kLargePage - 1);
    if (n > 0) ::madvise(first, n, MADV_HUGEPAGE);  // advice only: a refusal changes nothing
}

SequentialFile::~SequentialFile() { Close(); }

void SequentialFile::Close() {
    if (map_ != nullptr) ::munmap(map_, mapSize_);
    if (fd_ >= 0) ::close(fd_);
    map_ = data_ = nullptr;
    fd_ = -1;
    mapSize_ = size_ = loaded_ = released_ = 0;
}

bool SequentialFile::Open(const JwString& path, std::string& error) {
    Close();
    error.clear();
    size_t size = 0;
    fd_ = OpenRegularFile(path, size);
    if (fd_ < 0) {
        error = kErrFileIO;
        return false;
    }
    if (size == 0) return true;
    // Address space for the whole file, taking memory only where pieces are
    // loaded; one large page more lets the data start on a boundary.
    if (size > SIZE_MAX - kLargePage) {
        Close();
        error = kErrFileIO;
        return false;
    }
    mapSize_ = size + kLargePage;
    void* m = ::mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (m == MAP_FAILED) {
        mapSize_ = 0;
        Close();
        error = kErrFileIO;
        return false;
    }
    map_ = static_cast<uint8_t*>(m);
    data_ = AlignUp(map_, kLargePage);
    size_ = size;
    AdviseLargeArray(data_, size_);
    return true;
}

bool SequentialFile::LoadTo(size_t end) {
    if (end <= loaded_) return true;
    if (fd_ < 0) return false;
    // Whole pieces, and never beyond the size the file had when opened.
    size_t want = std::max(end, loaded_ + kPiece);
    want = std::min(size_, (want + kPiece - 1) / kPiece * kPiece);
    while (loaded_ < want) {
        const ssize_t r = ::read(fd_, data_ + loaded_, want - loaded_);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            // The file got shorter (or cannot be read on): it ends here.
            size_ = loaded_;
            break;
        }
        loaded_ += static_cast<size_t>(r);
    }
    if (loaded_ >= size_) {
        ::close(fd_);
        fd_ = -1;
    }
    return end <= loaded_;
}

void SequentialFile::ReleaseBefore(size_t pos) {
    // Whole large pages behind pos; once everything loaded was read, all of
    // it up to the end of its last small page (which stays within the range).
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t upTo = pos >= loaded_ ? (loaded_ + page - 1) / page * page : pos & ~(kLargePage - 1);
    if (upTo <= released_) return;
    ::madvise(data_ + released_, upTo - released_, MADV_DONTNEED);
    released_ = upTo;
}

// ---------------------------------------------------------------------------
// AtomicFileSink

namespace {

constexpr size_t kSinkBuffer = size_t{1} << 20;

std::string ErrText(int err) { return std::strerror(err); }

// The process umask, read without changing it where the system allows.
mode_t CurrentUmask() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            } catch (...) {
                break;
            }
        }
    }
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

}  // namespace

AtomicFileSink::AtomicFileSink(const JwString& target) {
    namespace fs = std::filesystem;
    fs::path path = NativePath(target);
    const std::string shown = path.string();
    if (target.empty() || path.filename().empty())
        throw JwIOError("cannot create " + shown + ": no file name");

    std::error_code ec;
    // Saving over a symbolic link updates the file it points to.
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path real = fs::canonical(path, ec);
        if (!ec) path = real;
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) throw JwIOError("cannot create " + shown + ": " + ErrText(EISDIR));

    fs::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::string name = path.filename().string();
    if (name.size() > 200) name.resize(200);  // keep the temporary name within NAME_MAX
    std::string tmpl = (dir / ("." + name + ".XXXXXX")).string();

    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw JwIOError("cannot create " + shown + ": " + ErrText(errno));
    fd_ = fd;
    temp_ = tmpl;
    target_ = path.string();

    // Keep the owner of a file that is replaced where the system allows it.
    if (exists && (::fchown(fd_, st.st_uid, st.st_gid) != 0)) {
        // Not permitted for other users' files: the new file keeps ours.
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd_, mode) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(temp_.c_str());
        temp_.clear();
        throw JwIOError("cannot create " + shown + ": " + ErrText(err));
    }
    buf_.reset(new uint8_t[kSinkBuffer]);
    next_ = buf_.get();
    end_ = next_ + kSinkBuffer;
}

AtomicFileSink::~AtomicFileSink() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void AtomicFileSink::Write(const uint8_t* data, size_t n) {
    if (fd_ < 0) throw JwIOError(kErrFileIO);
    if (n > static_cast<size_t>(end_ - next_)) {
        Flush();
        if (n >= kSinkBuffer) {
            WriteOut(data, n);  // large blocks go straight to the file
            return;
        }
    }
    if (n > 0) std::memcpy(next_, data, n);
    next_ += n;
}

void AtomicFileSink::WriteOut(const uint8_t* data, size_t n) {
    const uint8_t* p = data;
    size_t left = n;
    while (left > 0) {
        const ssize_t w = ::write(fd_, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw JwIOError("cannot write " + target_ + ": " + ErrText(errno));
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
}

void AtomicFileSink::Flush() {
    uint8_t* const base = buf_.get();
    const size_t n = static_cast<size_t>(next_ - base);
    next_ = base;
    WriteOut(base, n);
}

void AtomicFileSink::Commit() {
    if (fd_ < 0 || committed_) throw JwIOError(kErrFileIO);
    Flush();
    next_ = end_ = nullptr;  // anything written after this reaches Write, which refuses it
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw JwIOError("cannot write " + target_ + ": " + ErrText(errno));
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        throw JwIOError("cannot replace " + target_ + ": " + ErrText(errno));
    committed_ = true;
}

}  // namespace jw
