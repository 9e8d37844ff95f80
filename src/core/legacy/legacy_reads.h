// What the JWC drawing and JWK figure readers share: the entity records of
// both formats, the string area their texts address, and the public read
// operations around each format's own header and body parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "legacy/jwc_data.h"
#include "legacy/legacy_io.h"
#include "support/file_io.h"

namespace jw::legacy {

// Header block 1 of both formats: the identification (40 bytes) and the two
// comment lines (32 bytes each); fails when the file is empty.
void ReadIdentBlock(ByteCursor& cur, JwString& id, JwString& comment1, JwString& comment2);

// ---- entity records ----
// Each reader reads count records into out, which it sizes by what the rest
// of the file can hold; n counts the records filled, so that when the file
// cannot deliver a record at all ("File I/O Error") n says how many were
// read. Coordinates are multiplied by unit when it is given (a JWC drawing)
// and kept as stored otherwise (a JWK figure).
void ReadLineRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcLine>& out,
                     int32_t& n);
// Arcs: flatness in 1/10000, angles in 1/65536.
void ReadArcRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcArc2>& out,
                    int32_t& n);
void ReadTenRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcTen>& out,
                    int32_t& n);
// Texts, their strings left empty. The string address is segment * 16 +
// offset (the Words at bytes 18-19 and 16-17) when segmented (JWC), else the
// Word at bytes 16-17 (JWK).
void ReadTextRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, bool segmented,
                     std::vector<TEntJwcMoji2>& out, int32_t& n);
// The string area of size bytes that follows the texts: each of the first n
// texts takes the string at its address minus base. Nothing for size <= 0;
// fails when the file has no byte of the area. Bytes of the area beyond the
// end of the file count as zeros.
void ReadStringArea(ByteCursor& cur, int64_t size, int64_t base, std::vector<TEntJwcMoji2>& texts, int32_t n);

// ---- public operations ----

// Runs body and answers its result; a failure it raises answers false with
// its message in error, so that the public operations never throw.
template <class Body>
bool Guarded(std::string& error, Body&& body) {
    try {
        return body();
    } catch (const ReadFailure& e) {
        error = e.message;
    } catch (const std::exception& e) {
        error = e.what();
    }
    return false;
}

// Whether the file begins with the 20-character identification ident;
// otherwise false with notIt (or the read failure) in error.
bool FileHasIdent(const JwString& fname, std::u16string_view ident, const char* notIt, std::string& error);

// The read operations of TJwcData and TJwkData, which call these with
// themselves. Model supplies DataInit, HeaderParse, BodyParse, a header with
// two comment lines, and the lines, arcs, texts and points with their
// counters of entities read.
struct LegacyReads {
    // DataInit, then the header blocks (headerSize bytes).
    template <class Model>
    static bool FileHeaderIn(Model& m, const JwString& fname, size_t headerSize) {
        return Guarded(m.LastError, [&] {
            m.DataInit();
            FileBytes buf;
            bool whole = false;
            if (!ReadFileStart(fname, headerSize, buf, whole, m.LastError)) return false;
            size_t used = 0;
            m.HeaderParse(buf.data.get(), buf.size, used);
            return true;
        });
    }

    template <class Model>
    static bool FileIn(Model& m, const JwString& fname) {
        return Guarded(m.LastError, [&] {
            m.DataInit();
            std::vector<uint8_t> buf;
            if (!ReadWholeFile(fname, buf, m.LastError)) return false;
            return ParseFile(m, buf.data(), buf.size(), &fname);
        });
    }

    // Header and body of a file held in memory; with a file name, the
    // text-variable context is published once the header is read. After a
    // failure the arrays keep exactly the entities that were read.
    template <class Model>
    static bool ParseFile(Model& m, const uint8_t* data, size_t size, const JwString* fname) {
        const bool ok = Guarded(m.LastError, [&] {
            m.DataInit();
            size_t used = 0;
            m.HeaderParse(data, size, used);
            if (fname) PublishContext(*fname, m.Enthd.comment1, m.Enthd.comment2);
            m.BodyParse(data + used, size - used);
            return true;
        });
        if (!ok) {
            m.EntLine.resize(static_cast<size_t>(m.lineN));
            m.EntArc.resize(static_cast<size_t>(m.arcN));
            m.EntMoji.resize(static_cast<size_t>(m.mojiN));
            m.EntTen.resize(static_cast<size_t>(m.tenN));
        }
        return ok;
    }
};

}  // namespace jw::legacy
