// The steps that the public file operations of JWW drawings and JWS figures
// share; the two formats differ only in their header codec, which each model
// passes in.
#include <cstdint>
#include <exception>

#include "jww/archive.h"
#include "model/jw_data.h"

namespace jw {

namespace {

// What FileHeaderIn reads first. A header takes a few kilobytes; one that
// runs past this block makes the whole file be read.
constexpr size_t kHeaderBlock = 64 * 1024;

}  // namespace

bool TJwEntities::HeaderFileIn(const JwString& FName, const std::function<bool(ArchiveReader&)>& header) {
    FileBytes buf;
    std::string err;
    bool whole = false;
    // A header parsed from the start of the file that never reads past that
    // start is the header parsed from the whole file: no read stops short of
    // what it asked for, and nothing else looks at the end of the buffer.
    for (size_t limit = kHeaderBlock;; limit = SIZE_MAX) {
        DataInit();
        ReadEnd = 0;
        if (!ReadFileStart(FName, limit, buf, whole, err)) {
            LastError = err;
            return false;
        }
        ArchiveReader ar(buf.data.get(), buf.size);
        const bool ok = header(ar);
        if (ar.shortRead && !whole) continue;  // parse it again from the whole file
        ReadEnd = ar.Pos();
        return ok;
    }
}

bool TJwEntities::WholeFileIn(const JwString& FName, const std::function<bool(const uint8_t*, size_t)>& parse) {
    DataInit();
    ReadEnd = 0;
    FileBytes buf;
    std::string err;
    if (!ReadWholeFile(FName, buf, err)) {
        LastError = err;
        return false;
    }
    return parse(buf.data.get(), buf.size);
}

bool TJwEntities::BodyIn(ArchiveReader& ar, int32_t budget, bool images) {
    bool ok = true;
    try {
        ReadEntityLists(ar, budget);
        if (images) ReadBindImageSection(ar);
        // A file that ends before its last record does is damaged, even when
        // the reads that decide the structure all found something.
        if (ar.shortRead) throw JwIOError(kErrFileIO);
    } catch (const JwIOError& e) {
        LastError = e.what();
        ok = false;
    } catch (const std::exception&) {
        LastError = kErrFileIO;
        ok = false;
    }
    MojiEncode = MojiEncode || ar.mojiEncode;
    ReadEnd = ar.Pos();
    MakeBlockTree();
    if (ok) LastError.clear();
    return ok;
}

bool TJwEntities::WholeFileOut(const JwString& FName, int32_t Ver, const std::function<void(ArchiveWriter&)>& header,
                               bool images) {
    try {
        AtomicFileSink sink(FName);
        ArchiveWriter aw(sink);
        aw.fileOutOpt = FileOutOpt;
        header(aw);
        WriteEntityLists(aw, Ver);
        if (images) WriteBindImageSection(aw);
        sink.Commit();
        return true;
    } catch (const JwIOError& e) {
        LastError = e.what();
    } catch (const std::exception&) {
        LastError = kErrFileIO;
    }
    return false;
}

}  // namespace jw
