// The non-template parts of the two header sides, and FileCheck's reading of
// the start of a file.
#include "jww/header_io.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

JwString CleanName::Out(const JwString& held) const { return StrOutClean(held); }

void HeaderReading::Signature(JwString& id, std::string_view sig, const char* error) {
    uint8_t bytes[16];
    const size_t n = std::min(sig.size(), sizeof bytes);
    ar_.place.start = ar_.Pos();
    ar_.Read(bytes, n);
    id = AnsiBytesStr(bytes, n);
    if (!std::equal(id.begin(), id.end(), sig.begin(), sig.end()))
        ar_.Fail("the file does not begin with the signature \"" + std::string(sig) + "\"", error);
}

void HeaderReading::Version(int32_t& v, int32_t first, const char* error) {
    ar_.place.start = ar_.Pos();
    Field(v);
    if (v < first || v > kLastVersion)
        ar_.Fail("the version " + std::to_string(v) + " is outside " + std::to_string(first) + "-" +
                     std::to_string(kLastVersion),
                 error);
    ver = v;
    ar_.version = v;
}

void HeaderWriting::Reserved(size_t n, uint8_t fill) {
    uint8_t block[64];
    std::memset(block, fill, sizeof block);
    for (; n > sizeof block; n -= sizeof block) aw_.WriteBytes(block, sizeof block);
    aw_.WriteBytes(block, n);
}

bool FileStartsWithHead(const JwString& FName, size_t headSize, bool wholeHead,
                        const std::function<void(HeaderReading&)>& head) {
    FileBytes start;
    bool whole = false;
    std::string err;
    if (!ReadFileStart(FName, headSize, start, whole, err)) return false;
    ArchiveReader ar(start.data.get(), start.size);
    HeaderReading io(ar);
    try {
        head(io);
    } catch (const JwIOError&) {
        return false;
    }
    return !(wholeHead && ar.shortRead);
}

}  // namespace jw
