// Archive primitives of the JWW/JWS formats (MFC archive scheme): little-endian
// numbers, length-prefixed strings in code page 932 or UTF-16LE, counts, class
// tags with their object-index bookkeeping, and the entity attribute.
//
// ArchiveReader works on a buffer that holds the whole file (one buffered pass);
// ArchiveWriter streams into a buffered output sink.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jww/versions.h"
#include "model/jww_records.h"
#include "support/file_io.h"

namespace jw {

// Signatures at the start of a file: a drawing's 8 bytes, and a figure's 7
// bytes at the start of a 200-byte block.
inline constexpr std::string_view kJwwSignature = "JwwData.";
inline constexpr std::string_view kJwsSignature = "JwsData";
inline constexpr size_t kJwsSignatureBlock = 200;

// Messages of a reader that met a file of another kind or version.
inline constexpr const char* kErrJwwHeader = "JWW-Header Error";
inline constexpr const char* kErrJwwVersion = "JWW-Version Error";
inline constexpr const char* kErrJwsHeader = "JWS-Header Error";
inline constexpr const char* kErrJwsVersion = "JWS-Version Error";

// Class names of the objects of an entity list, by entity kind (kEntLine ..
// kEntBlock), and of a block definition (kEntBlockDef).
inline constexpr std::string_view kClassNames[] = {
    "", "CDataSen", "CDataEnko", "CDataTen", "CDataMoji", "CDataSunpou", "CDataSolid", "CDataBlock", "CDataList",
};
// The entity kind of a class name; 0 for a name that is no entity's. This
// runs once per entity: each name of the table is compared as a constant,
// which takes a few instructions.
inline int KindOfClass(std::string_view name) {
    return [name]<int... Kind>(std::integer_sequence<int, Kind...>) {
        int kind = 0;
        (void)((name == kClassNames[Kind] && (kind = Kind, true)) || ...);
        return kind;
    }(std::integer_sequence<int, kEntLine, kEntEnko, kEntTen, kEntMoji, kEntSunpo, kEntSolid, kEntBlock>{});
}

// Fixed parts of files before 3.51 lack the attribute's nPenWidth: the two
// bytes at this offset of the 3.51 form.
inline constexpr size_t kPenWidthOffset = 7;
inline constexpr size_t kPenWidthSize = 2;

// The part of a file a reader is in, for the detail of a failure.
enum class ReadSection : uint8_t {
    Header,
    EntityCount,
    Entity,
    DefinitionCount,
    Definition,
    Member,
    ImageCount,
    Image,
};

// Where a reader is: the section, the record (0-based index of the entity,
// definition or image; member within a definition), the entity kind of the
// record once its tag was read (0 before), and the byte offset at which the
// record starts. The reader loops set it as they go; it is formatted only
// when a read fails.
struct ReadPlace {
    ReadSection section = ReadSection::Header;
    int64_t item = -1;
    int64_t member = -1;
    int kind = 0;
    size_t start = 0;
};

// "entity 1,234 (CDataSen) at byte 0x1A2B": a place in words.
std::string DescribePlace(const ReadPlace& p);

class ArchiveReader {
public:
    // A file image held in memory.
    ArchiveReader(const uint8_t* data, size_t size) : win_(data), size_(size), winEnd_(size) {}
    // A file read through a window that moves on with the reading.
    explicit ArchiveReader(SequentialFile& file) : size_(file.Size()), file_(&file) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    // The next n bytes without reading them (valid until the next read);
    // null when the file ends before.
    const uint8_t* Peek(size_t n) { return Have(n) ? Cur() : nullptr; }

    // Copies up to n bytes into dst and zero-fills the rest of dst; answers the
    // number of bytes delivered (0 at the end of the file). Never throws.
    size_t Read(void* dst, size_t n);
    // Advances by up to n bytes; answers how many were skipped.
    size_t Skip(size_t n);

    // Numbers; a short read leaves the missing bytes zero.
    uint8_t ReadByte();
    uint16_t ReadWord();
    int32_t ReadInt();
    uint32_t ReadCard();
    double ReadDouble();

    // Version that selects the attribute form (15 bytes from 351 on).
    int32_t version = 0;
    // Set when a UTF-16 string was met; never reset by the reader.
    bool mojiEncode = false;
    // Set when a read met the end of the file before its last byte.
    bool shortRead = false;

    // Where the reader is (set by the reader loops), where the first short
    // read happened, and what made the read fail (Fail).
    ReadPlace place;
    ReadPlace shortPlace;
    std::string failure;
    // Fails the read with message, saying what went wrong at place.
    [[noreturn]] void Fail(std::string what, const char* message = kErrFileIO);
    // What made the read fail and where ("entity 3 (CDataSen) at byte 0x1F4:
    // the file ends inside the record"); empty when nothing is known.
    std::string FailureDetail() const;

    // Archive string; the decoded text ends at its first NUL.
    JwString StrIn();
    // StrIn without every character below U+0020.
    JwString StrInFilter();
    // Count encoding: a Word, or 0xFFFF followed by an Integer. Throws
    // "File I/O Error" when no byte at all can be read.
    int32_t CountIn();
    // Attribute in the 15-byte (version >= 351) or 13-byte form. Answers the
    // number of bytes delivered.
    size_t AttrIn(TEntJwwAttr& att);
    // Reads a fixed part of `full` bytes (its 3.51 form) into dst, widening the
    // 2-byte-shorter form of the versions before 3.51 (nPenWidth := 0).
    // Answers the number of bytes delivered from the file (0 = nothing left).
    size_t ReadFixed(void* dst, size_t full);

    // Class tags with the per-archive object index and class registry.
    // Answers the class name the tag refers to; throws "File I/O Error" at the
    // end of the file or for a reference to an index that no new-class tag of
    // this archive registered. Advances the object index for a new class.
    const std::string& ClassTagIn();
    // ClassTagIn answering the entity kind of the class (KindOfClass), 0
    // for a class that is no entity's.
    int ClassKindIn();
    // A registered class: its object index, name and entity kind.
    struct ClassEntry {
        uint32_t index;
        std::string name;
        int kind;
    };
    // ClassTagIn answering the whole entry (valid until the next tag is read).
    const ClassEntry& ClassEntryIn();
    // The tag of a block definition: registers a new class like ClassTagIn,
    // reads a class reference without resolving it. Throws "File I/O Error"
    // only at the end of the file.
    void ClassTagSkip();
    // Advances the object index for the object that followed a tag.
    void NextObject() { ++objectIndex_; }
    uint32_t ObjectIndex() const { return objectIndex_; }

private:
    void ShortRead() {
        if (shortRead) return;
        shortRead = true;
        shortPlace = place;
        // Inside the header the offset says where the file ended.
        if (place.section == ReadSection::Header) shortPlace.start = pos_;
    }
    // Whether the next n bytes are there, moving the window of a file read
    // through one.
    bool Have(size_t n) { return n <= winEnd_ - pos_ || Load(n); }
    bool Load(size_t n);
    // Bytes held from the reading position on, and where they are.
    size_t Held() const { return winEnd_ - pos_; }
    const uint8_t* Cur() const { return win_ + (pos_ - winStart_); }
    JwString ReadString(bool filter);
    // The rest of a new-class record after its tag: schema, name length and
    // name; registers the class under the next object index.
    const std::string& NewClassIn();

    // The bytes [winStart_, winEnd_) of the file are at win_ (all of a file
    // image held in memory).
    const uint8_t* win_ = nullptr;
    size_t size_;
    size_t winStart_ = 0;
    size_t winEnd_ = 0;
    SequentialFile* file_ = nullptr;
    size_t pos_ = 0;
    uint32_t objectIndex_ = 1;
    std::vector<ClassEntry> classes_;  // sorted by index
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(OutputSink& sink) : sink_(sink) {}

    // Option bits of FileOutOpt; kFileOutOptUtf16 selects UTF-16 strings.
    int32_t fileOutOpt = 0;
    // Target version, which selects the form of fixed parts (WriteFixed).
    int32_t version = 0;

    void WriteBytes(const void* data, size_t n) { sink_.Append(data, n); }
    void WriteByte(uint8_t v) { WriteBytes(&v, 1); }
    void WriteWord(uint16_t v) { WriteBytes(&v, 2); }
    void WriteInt(int32_t v) { WriteBytes(&v, 4); }
    void WriteCard(uint32_t v) { WriteBytes(&v, 4); }
    void WriteDouble(double v) { WriteBytes(&v, 8); }

    void StrOut(const JwString& s);
    void CountOut(int32_t n);
    void ClassOut(int32_t index);
    // New-class record: 0xFFFF, schema (low 16 bits of ver), name length, name.
    void NewClassOut(int32_t ver, std::string_view name);
    // Writes a normalised copy of att for the target version and entity kind.
    void AttrOut(int32_t ver, const TEntJwwAttr& att, int kind);
    // Writes a fixed part given in its 3.51 form: as it is from 3.51 on,
    // before that without nPenWidth (the mirror of ReadFixed). Part is the
    // record, or an array of its bytes: its size is a constant, so that the
    // copies compile to a few moves.
    template <class Part>
    void WriteFixed(const Part& part) {
        WriteFixedAt(version, part);
    }

private:
    template <class Part>
    void WriteFixedAt(int32_t ver, const Part& part) {
        constexpr size_t after = kPenWidthOffset + kPenWidthSize;
        static_assert(sizeof part > after);
        const auto* p = reinterpret_cast<const uint8_t*>(&part);
        if (ver >= kVerPenWidth) {
            WriteBytes(p, sizeof part);
            return;
        }
        WriteBytes(p, kPenWidthOffset);
        WriteBytes(p + after, sizeof part - after);
    }

    OutputSink& sink_;
    std::vector<uint8_t> scratch_;
};

// The attribute normalisation of AttrOut, without writing (exposed for tests
// and for callers that need the mapped values). The version matters only
// below kVerSxf, where SXF colours and line types are mapped to standard ones;
// the loss count of a save relies on that.
TEntJwwAttr NormalizeAttrForOutput(int32_t ver, const TEntJwwAttr& att, int kind);
// Absolute value limited to 1e-10 .. 1e10: the text sizes and text types
// that a writer puts out.
double LimitSize(double v);
// Copies the seven fields of an attribute.
inline void AttrCopy(const TEntJwwAttr& src, TEntJwwAttr& dst) { dst = src; }

}  // namespace jw
