// Whole-file reads and the atomic file sink.
#include "support/file_io.h"

#include <fcntl.h>
#include <malloc.h>
#include <stdio.h>
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

bool CopyFileInto(const JwString& src, OutputSink& sink, size_t head,
                  const std::function<bool(const uint8_t*, size_t)>& check, std::string& error) {
    error.clear();
    size_t size = 0;
    const int fd = OpenRegularFile(src, size);
    if (fd < 0) {
        error = "not a readable file";
        return false;
    }
    constexpr size_t kBlock = 256 * 1024;
    std::vector<uint8_t> buf(std::max(kBlock, std::min(head, size)));
    size_t done = 0;
    bool first = true;
    bool ok = true;
    while (ok && (done < size || first)) {
        // The first block is the head that check sees.
        const size_t want = first ? std::min(std::max(head, size_t{1}), size) : std::min(kBlock, size - done);
        size_t got = 0;
        while (got < want) {
            const ssize_t r = ::read(fd, buf.data() + got, want - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
        if (got < want) {
            error = "the file ends early or cannot be read";
            ok = false;
            break;
        }
        if (first && !check(buf.data(), got)) {
            error = "refused";
            ok = false;
            break;
        }
        first = false;
        try {
            sink.Write(buf.data(), got);
        } catch (const JwIOError& e) {
            error = e.what();
            ok = false;
        }
        done += got;
    }
    ::close(fd);
    return ok;
}

// ---------------------------------------------------------------------------
// SequentialFile

namespace {

// The size of a large page: an array that holds whole ones can be backed by
// them.
constexpr size_t kLargePage = size_t{2} << 20;
// The least window of a sequential read: few reads, and it stays in the cache.
constexpr size_t kWindow = size_t{256} << 10;

}  // namespace

void AdviseLargeArray(const void* p, size_t bytes) {
    if (bytes < 2 * kLargePage) return;
    const uintptr_t at = reinterpret_cast<uintptr_t>(p);
    const uintptr_t first = (at + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
    const size_t n = static_cast<size_t>(at + bytes - first) & ~(kLargePage - 1);
    // Advice only: a refusal changes nothing.
    if (n > 0) ::madvise(reinterpret_cast<void*>(first), n, MADV_HUGEPAGE);
}

// A 2 MiB range that has had one small page touched stays in small pages,
// and every allocation writes a header at the end of its block. So the heap
// is grown by a block that ends just below a large-page boundary and is never
// touched itself: everything above the boundary is still untouched when the
// advice comes, and the drawing's allocations start on large pages instead of
// on up to 2 MiB of small ones (a fault every 4 KiB, which costs more than
// the work on the data in a virtual machine).
void AdviseLargeHeap() {
    constexpr int kStep = 64 << 20;
    if (::mallopt(M_TOP_PAD, kStep) == 0 || ::mallopt(M_TRIM_THRESHOLD, 2 * kStep) == 0 ||
        ::mallopt(M_MMAP_THRESHOLD, 4 << 20) == 0)
        return;
    const uintptr_t before = reinterpret_cast<uintptr_t>(::sbrk(0));
    const size_t top = ::mallinfo2().keepcost;  // the free end's size; it ends at `before`
    if (top > 0 && top < before) {
        // A boundary at least a page above the heap's end: the block cannot
        // come out of the free end as it is, so the heap grows by a step.
        const uintptr_t first = (before + 4096 + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
        static void* gap = nullptr;  // kept for the process's life
        gap = ::malloc(first - (before - top) - 64);  // 64: the block's and the free end's headers stay below
        const uintptr_t after = reinterpret_cast<uintptr_t>(::sbrk(0));
        const uintptr_t last = after & ~(uintptr_t{kLargePage} - 1);
        if (gap != nullptr && last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

SequentialFile::~SequentialFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool SequentialFile::Open(const JwString& path, std::string& error) {
    if (fd_ >= 0) ::close(fd_);
    start_ = len_ = size_ = 0;
    error.clear();
    fd_ = OpenRegularFile(path, size_);
    if (fd_ < 0) {
        size_ = 0;
        error = kErrFileIO;
        return false;
    }
    return true;
}

const uint8_t* SequentialFile::Window(size_t pos, size_t n, size_t& avail) {
    if (pos >= start_ && pos - start_ <= len_ && n <= len_ - (pos - start_)) {
        avail = len_ - (pos - start_);
        return buf_.get() + (pos - start_);
    }
    // Keep what is held from pos on, at the front of the window.
    size_t keep = 0;
    if (pos >= start_ && pos - start_ < len_) {
        keep = len_ - (pos - start_);
        std::memmove(buf_.get(), buf_.get() + (pos - start_), keep);
    }
    start_ = pos;
    len_ = keep;
    n = std::min(n, size_ > pos ? size_ - pos : 0);
    if (n > cap_ || !buf_) {
        const size_t cap = std::max(n, kWindow);
        std::unique_ptr<uint8_t[]> bigger(new (std::nothrow) uint8_t[cap]);
        if (!bigger) {
            avail = len_;
            return buf_ ? buf_.get() : nullptr;
        }
        AdviseLargeArray(bigger.get(), cap);
        if (keep > 0) std::memcpy(bigger.get(), buf_.get(), keep);
        buf_ = std::move(bigger);
        cap_ = cap;
    }
    // Fill the window, at least up to n bytes, from the file where it stands.
    const size_t fill = std::min(cap_, size_ > start_ ? size_ - start_ : 0);
    while (fd_ >= 0 && len_ < fill) {
        const ssize_t r = ::pread(fd_, buf_.get() + len_, fill - len_, static_cast<off_t>(start_ + len_));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            // The file got shorter (or cannot be read on): it ends here.
            size_ = start_ + len_;
            break;
        }
        len_ += static_cast<size_t>(r);
    }
    avail = len_;
    return buf_.get();
}

// ---------------------------------------------------------------------------
// AtomicFileSink

namespace {

// The write buffer starts small (most files written are small: an image, a
// settings file) and doubles each time it fills, up to kSinkBuffer.
constexpr size_t kSinkFirstBuffer = size_t{1} << 16;
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

AtomicFileSink::AtomicFileSink(const JwString& target, SinkTarget how) : how_(how) {
    namespace fs = std::filesystem;
    fs::path path = NativePath(target);
    const std::string shown = path.string();
    if (target.empty() || path.filename().empty())
        throw JwIOError("cannot create " + shown + ": no file name");

    std::error_code ec;
    // Saving over a symbolic link updates the file it points to.
    if (how == SinkTarget::Save && fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path real = fs::canonical(path, ec);
        if (!ec) path = real;
    }
    struct stat st {};
    const bool exists = (how == SinkTarget::Save ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0;
    if (exists && S_ISDIR(st.st_mode)) throw JwIOError("cannot create " + shown + ": " + ErrText(EISDIR));
    target_ = path.string();
    if (how == SinkTarget::Save && exists && !S_ISREG(st.st_mode)) {
        // A device or a FIFO is written to, never replaced by a file.
        if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
            throw JwIOError("cannot write " + shown + ": not a regular file, a device or a FIFO");
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) throw JwIOError("cannot write " + shown + ": " + ErrText(errno));
        return;
    }

    // A file that may not be written is not replaced either (replacing
    // needs only the folder's permission): whoever made it read-only meant
    // it to stay. Its mode is what counts, so that this holds for every
    // user alike.
    if (how == SinkTarget::Save && exists && (::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0))
        throw JwIOError("cannot replace " + shown + ": the file is read-only");

    fs::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::string name = path.filename().string();
    if (name.size() > 200) name.resize(200);  // keep the temporary name within NAME_MAX
    std::string tmpl = (dir / ("." + name + ".XXXXXX")).string();

    // mkstemp creates the file exclusively: it never opens what a link points to.
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw JwIOError("cannot create " + shown + ": " + ErrText(errno));
    fd_ = fd;
    temp_ = tmpl;

    // Keep the owner of a file that is replaced where the system allows it.
    const bool keep = how == SinkTarget::Save && exists;
    if (keep && (::fchown(fd_, st.st_uid, st.st_gid) != 0)) {
        // Not permitted for other users' files: the new file keeps ours.
    }
    const mode_t mode = keep ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd_, mode) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(temp_.c_str());
        temp_.clear();
        throw JwIOError("cannot create " + shown + ": " + ErrText(err));
    }
}

AtomicFileSink::~AtomicFileSink() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void MemorySink::Write(const uint8_t* data, size_t n) {
    if (n > static_cast<size_t>(end_ - next_)) {
        const size_t have = used();
        bytes_.resize(std::max({have + n, 2 * bytes_.size(), size_t{4096}}));
        next_ = bytes_.data() + have;
        end_ = bytes_.data() + bytes_.size();
    }
    if (n > 0) std::memcpy(next_, data, n);
    next_ += n;
}

std::vector<uint8_t> MemorySink::Take() {
    bytes_.resize(used());
    std::vector<uint8_t> out = std::move(bytes_);
    bytes_.clear();
    next_ = end_ = nullptr;
    return out;
}

void AtomicFileSink::Write(const uint8_t* data, size_t n) {
    if (fd_ < 0) throw JwIOError(kErrFileIO);
    // Large blocks (of a writer with a buffer of its own) go straight to the
    // file; small pieces are gathered.
    const bool large = n >= kSinkBuffer / 16;
    if (large || n > static_cast<size_t>(end_ - next_)) {
        if (buf_) Flush();
        if (large) {
            WriteOut(data, n);
            return;
        }
        const size_t cap = buf_ ? static_cast<size_t>(end_ - buf_.get()) : 0;
        if (cap < kSinkBuffer) {
            size_t want = cap == 0 ? kSinkFirstBuffer : 2 * cap;
            while (want < n) want *= 2;
            want = std::min(want, kSinkBuffer);
            buf_.reset(new uint8_t[want]);
            next_ = buf_.get();
            end_ = next_ + want;
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
    if (base == nullptr) return;
    const size_t n = static_cast<size_t>(next_ - base);
    next_ = base;
    WriteOut(base, n);
}

void AtomicFileSink::Rename(const JwString& target) {
    if (how_ != SinkTarget::New || committed_) throw JwIOError(kErrFileIO);
    const std::filesystem::path path = NativePath(target);
    if (path.parent_path() != std::filesystem::path(target_).parent_path())
        throw JwIOError("cannot create " + path.string() + ": not beside " + target_);
    target_ = path.string();
}

void AtomicFileSink::Commit() {
    if (committed_ || (fd_ < 0 && temp_.empty())) throw JwIOError(kErrFileIO);
    if (fd_ >= 0) {
        Flush();
        next_ = end_ = nullptr;  // anything written after this reaches Write, which refuses it
        buf_.reset();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            const int err = errno;
            if (!temp_.empty()) ::unlink(temp_.c_str());
            temp_.clear();
            throw JwIOError("cannot write " + target_ + ": " + ErrText(err));
        }
    }
    if (temp_.empty()) {
        committed_ = true;  // written directly
        return;
    }
    if (how_ == SinkTarget::New) {
        // Takes the name only while nothing stands there. A file system
        // without that kind of rename gets a hard link, which fails the same
        // way on an existing name.
        int rc = ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            rc = ::link(temp_.c_str(), target_.c_str());
            if (rc == 0) ::unlink(temp_.c_str());
        }
        if (rc != 0) {
            const int err = errno;
            if (err == EEXIST) throw JwFileExists("cannot create " + target_ + ": " + ErrText(err));
            throw JwIOError("cannot create " + target_ + ": " + ErrText(err));
        }
    } else if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        throw JwIOError("cannot replace " + target_ + ": " + ErrText(errno));
    }
    committed_ = true;
}

}  // namespace jw
