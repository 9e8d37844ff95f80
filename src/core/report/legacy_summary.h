// What a legacy JWC drawing or JWK figure holds, in plain fields, and the two
// forms `info` prints it in: report lines and JSON fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace jw {

using JwString = std::u16string;
class TJwcData;
class TJwkData;

struct TLegacySummary {
    std::string format;  // "JWC" or "JWK"
    JwString jwID, comment1, comment2;
    // Entity counts stated by the header and entities actually read.
    int32_t lineCount = 0, arcCount = 0, mojiCount = 0, tenCount = 0;
    int32_t lineN = 0, arcN = 0, mojiN = 0, tenN = 0;
    // SHA-1 (hex) of the texts in file order, digested as for a JWW drawing.
    std::string text_sha1;
    // JWC only.
    int32_t vtenCount = 0;
    int32_t psize = 0;
    int32_t drawWidth = 0;
    double dataUnit = 1.0;
    bool scaleF = false;
    double wLayScale = 0;
    std::vector<double> groupScales;  // the 16 layer-group scales
    // JWK only.
    double orgX = 0, orgY = 0;
    double dispScale = 0, scale = 0;
    int32_t strSpace = 0;
};

TLegacySummary SummarizeLegacy(const TJwcData& m);
TLegacySummary SummarizeLegacy(const TJwkData& m);

// Report lines (one string per line) of a summary, labels aligned for a
// fixed-pitch Japanese font like the header report of a JWW drawing.
std::vector<JwString> LegacySummaryLines(const TLegacySummary& s);

// The report `info` prints for a legacy file: its name (FName as given), a
// rule, then the summary lines.
std::vector<JwString> LegacyReport(const TLegacySummary& s, const JwString& FName);

// The JSON fields of a legacy file. Its strings are always single-byte
// Shift-JIS; it has no format version, memo or blocks.
nlohmann::ordered_json LegacySummaryToJson(const TLegacySummary& s);

}  // namespace jw
