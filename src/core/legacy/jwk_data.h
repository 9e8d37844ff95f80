// TJwkData: a figure (symbol) of the older single-byte JWK format.
//
// A JWK file is two 200-byte text header blocks, then lines, arcs, points and
// texts in the record shapes of JWC (legacy/jwc_data.h), and last the string
// area the texts address by offset. Coordinates are kept as stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "legacy/jwc_data.h"

namespace jw {

struct TEntJwkHeader {
    JwString jwID;
    JwString comment1, comment2;
    int32_t lineCount = 0, arcCount = 0, tenCount = 0, mojiCount = 0;
    float org_x = 0, org_y = 0;  // figure origin
    float dispScale = 1.0f;
    int32_t strSpace = 0;        // size of the string area in bytes
    float scale = 1.0f;
    std::vector<JwString> para;  // work list of the header reader
};

class TJwkData {
public:
    TJwkData();   // Create
    ~TJwkData();  // Destroy
    TJwkData(const TJwkData&) = default;
    TJwkData& operator=(const TJwkData&) = default;

    int32_t lineN = 0, arcN = 0, tenN = 0, mojiN = 0;  // entities actually read
    TEntJwkHeader Enthd;
    std::vector<TEntJwcMojiType> EntMjtp;  // 12 entries, 1-10 the default text types
    std::vector<TEntJwcLine> EntLine;
    std::vector<TEntJwcArc2> EntArc;
    std::vector<TEntJwcTen> EntTen;
    std::vector<TEntJwcMoji2> EntMoji;

    // What failed in the last file operation; empty after a success.
    std::string LastError;

    // Empties the entities, resets the header and rebuilds EntMjtp from the
    // program-wide default text types.
    void DataInit();
    // DataInit, then EntMjtp empty as well.
    void DataFree();

    // None of these throws; a failure answers false and sets LastError.
    bool FileCheck(const JwString& fname);
    bool FileHeaderIn(const JwString& fname);
    // The whole file. After a failure the model keeps what was read; the
    // counters tell how many entities of each kind were filled.
    bool FileIn(const JwString& fname);
    // Parses a file already in memory, as FileIn does (without publishing the
    // text-variable context).
    bool ParseBytes(const uint8_t* data, size_t size);
    // Writes the figure through a temporary file that replaces fname only when
    // complete, so a failed save leaves an existing file untouched. On success
    // the texts hold their prepared strings and Enthd.strSpace the new size.
    bool FileOut(const JwString& fname);
    // The bytes FileOut writes; false (with LastError) when the figure cannot
    // be written. prepared receives the prepared string of every text written.
    bool BuildBytes(std::vector<uint8_t>& out, std::vector<JwString>& prepared, int32_t& strSpace);

private:
    friend struct legacy::LegacyReads;
    void HeaderParse(const uint8_t* data, size_t size, size_t& used);
    void BodyParse(const uint8_t* data, size_t size);
};

// Identification text at the start of every JWK file (20 characters).
inline constexpr char16_t kJwkIdent[] = u"jw_cad(c)sym........";

// The string a text is written with: control characters removed, and a
// leading "^@BM%temp%" shortened to "^@BM".
JwString JwkPrepareString(const JwString& s);

}  // namespace jw
