// Generic file input and output of every reader and writer: the I/O failure
// they raise, whole-file reads, and the output sinks (memory, and a file that
// replaces its target only when complete).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;

// Input/output failure inside a reader or writer; caught by the public file
// operation, which answers false and keeps the message in LastError.
class JwIOError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kErrFileIO = "File I/O Error";

// Reads a whole file into memory. False (with a message) when it cannot be
// opened or read.
bool ReadWholeFile(const JwString& path, std::vector<uint8_t>& out, std::string& error);

// A file's bytes in a buffer that is not cleared before it is filled (the
// form the drawing readers use: a large file is touched only by the read).
struct FileBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
};
bool ReadWholeFile(const JwString& path, FileBytes& out, std::string& error);
// Reads the first min(limit, file size) bytes of a file; whole tells whether
// they are the entire file. False (with a message) like ReadWholeFile.
bool ReadFileStart(const JwString& path, size_t limit, FileBytes& out, bool& whole, std::string& error);

// A regular file read from front to back through a window of a few hundred
// kilobytes that moves on as the reading does: the reader looks at each byte
// about once, and the file takes no more memory than the window. A file that
// gets shorter while it is read ends where the reading found its end.
class SequentialFile {
public:
    SequentialFile() = default;
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;
    ~SequentialFile();

    // False (with a message) when path names no regular file that can be opened.
    bool Open(const JwString& path, std::string& error);
    // The file's size when opened; less once the reading found an earlier end.
    size_t Size() const { return size_; }
    // The bytes of the file from offset pos on, at least n of them unless the
    // file ends before: answers where byte pos is and sets avail to the
    // number of bytes there. Bytes before pos are gone once a later window is
    // asked for; pos never goes back.
    const uint8_t* Window(size_t pos, size_t n, size_t& avail);

private:
    int fd_ = -1;
    std::unique_ptr<uint8_t[]> buf_;
    size_t cap_ = 0;
    size_t start_ = 0;  // file offset of buf_[0]
    size_t len_ = 0;    // bytes held from there
    size_t size_ = 0;
};

// Asks the system to back a large array that is about to be filled with
// large pages: filling it then costs a few page faults instead of one for
// every 4 KiB. Small arrays and systems without the advice are left as they are.
void AdviseLargeArray(const void* p, size_t bytes);
// The same for the heap the many small allocations of the process come from
// (records' strings, lists, the arrays below a few MiB): it is made to grow
// in steps of 64 MiB of address space, never given back, and the present
// step is backed by large pages. For a program that reads or writes one
// large drawing; called once at its start. Costs at most one large page of
// memory more than the heap holds.
void AdviseLargeHeap();
// Room for n records in v at once, a large array advised as above.
template <class T>
void ReserveLarge(std::vector<T>& v, size_t n) {
    if (n <= v.capacity()) return;
    v.reserve(n);
    AdviseLargeArray(v.data(), v.capacity() * sizeof(T));
}
// Room for `more` records in v: a full array doubles, and a large one is
// backed by large pages before it is filled.
template <class T>
void GrowLarge(std::vector<T>& v, size_t more = 1) {
    if (v.size() + more > v.capacity()) ReserveLarge(v, std::max({size_t{16}, 2 * v.size(), v.size() + more}));
}

// Destination of a file writer (the JWW/JWS archive, DXF, JWK).
class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Throws JwIOError on failure.
    virtual void Write(const uint8_t* data, size_t n) = 0;
    // Write for the many small pieces of an archive: copied straight into the
    // sink's own buffer while it has room, so that a record costs one inline
    // copy instead of a call.
    void Append(const void* data, size_t n) {
        if (n <= static_cast<size_t>(end_ - next_)) {
            std::memcpy(next_, data, n);
            next_ += n;
            return;
        }
        Write(static_cast<const uint8_t*>(data), n);
    }

protected:
    // Free room of a sink that buffers: Append fills [next_, end_), and the
    // sink's Write and flushing account for what it put there. Both stay
    // null for a sink without a buffer, whose Write then gets every piece.
    uint8_t* next_ = nullptr;
    uint8_t* end_ = nullptr;
};

// Copies the regular file src into sink, reading it once. check sees the
// first min(head, file size) bytes before anything is written and may refuse
// the copy by answering false. False, with the reason in error, when src is
// no regular file, cannot be read, is refused, or the sink fails.
bool CopyFileInto(const JwString& src, OutputSink& sink, size_t head,
                  const std::function<bool(const uint8_t*, size_t)>& check, std::string& error);

// Collects what is written in memory. The pieces are appended straight into
// the vector's room, which grows by doubling.
class MemorySink : public OutputSink {
public:
    void Write(const uint8_t* data, size_t n) override;
    // The bytes written, taken out of the sink, which is empty again.
    std::vector<uint8_t> Take();

private:
    size_t used() const { return bytes_.empty() ? 0 : static_cast<size_t>(next_ - bytes_.data()); }
    std::vector<uint8_t> bytes_;  // written bytes, then the free room up to its end
};

// How an AtomicFileSink treats what stands at its target.
enum class SinkTarget {
    // A save: a regular file is replaced (keeping its mode and, where allowed,
    // its owner) unless it is read-only (no write permission for anyone, or
    // none for this process); a symbolic link saves into the file it points to; a
    // character device or FIFO is written to directly and never replaced;
    // anything else is refused.
    Save,
    // A working file of the program's own folder: whatever entry stands at
    // the target is replaced, a symbolic link itself and never what it
    // points to.
    ReplaceEntry,
    // A new file: nothing that stands at the target is ever replaced or
    // followed. Commit throws JwFileExists when an entry of that name exists
    // by then.
    New,
};

// Commit of a SinkTarget::New sink found an entry of the target's name.
class JwFileExists : public JwIOError {
public:
    using JwIOError::JwIOError;
};

// Writes a file through a temporary file in the target's folder (created
// exclusively, never through a link) that takes the target's name only when
// Commit() succeeds; a destroyed, uncommitted sink removes its temporary
// file, so a failed save never touches an existing file. A device or FIFO
// target (SinkTarget::Save) is written directly instead.
class AtomicFileSink : public OutputSink {
public:
    // Throws JwIOError when the target cannot be written.
    explicit AtomicFileSink(const JwString& target, SinkTarget how = SinkTarget::Save);
    ~AtomicFileSink() override;
    void Write(const uint8_t* data, size_t n) override;
    // Flushes, closes and gives the file its name. Throws JwIOError on failure.
    void Commit();
    // For a SinkTarget::New sink whose Commit found its name taken: the file
    // is to take another name in the same folder at the next Commit.
    void Rename(const JwString& target);
    // The path the file is written to (a link's target for a save).
    const std::string& Target() const { return target_; }

private:
    void Flush();
    void WriteOut(const uint8_t* data, size_t n);
    std::string target_;
    std::string temp_;  // empty when the target is written directly
    int fd_ = -1;
    SinkTarget how_;
    std::unique_ptr<uint8_t[]> buf_;  // next_ and end_ point into it; made at the first small write, grown as it fills
    bool committed_ = false;
};

}  // namespace jw
