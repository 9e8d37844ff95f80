// What a legacy JWC drawing or JWK figure holds, in plain fields for printers
// (the command line's text and JSON output).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;

struct TLegacySummary {
    std::string format;  // "JWC" or "JWK"
    JwString jwID, comment1, comment2;
    // Entity counts stated by the header and entities actually read.
    int32_t lineCount = 0, arcCount = 0, mojiCount = 0, tenCount = 0;
    int32_t lineN = 0, arcN = 0, mojiN = 0, tenN = 0;
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

// Report lines (one string per line) of a summary, labels aligned for a
// fixed-pitch Japanese font like the header report of a JWW drawing.
std::vector<JwString> LegacySummaryLines(const TLegacySummary& s);

// Paper-size name of a JWC paper code ("Ａ３", "２Ａ", "１０ｍ"); empty for an
// unknown code. JWW drawings number their paper sizes the same way.
JwString LegacyPaperName(int32_t psize);
// Paper width in millimetres of a JWC paper code; 0 for an unknown code.
int32_t JwcPaperWidth(int32_t psize);

}  // namespace jw
