// What a save drops or changes: for a drawing or figure and the format
// version and string encoding it is about to be written in, what the writer
// cannot keep (by the same version numbers and attribute mapping the writer
// uses), and the block definitions it leaves out when asked to purge those
// no insert uses (PurgeUnusedBlocks).
// The window asks before such a save; `convert` names them on stderr.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/jw_data.h"

namespace jw {

enum class JwLossKind {
    BoundImages,             // images bound into the drawing (7.00 only)
    SxfColors,               // entities whose SXF colour becomes a standard one (below 4.20)
    SxfLineTypes,            // entities whose SXF line type becomes a standard one (below 4.20)
    SxfDimensions,           // SXF dimensions split into a dimension, lines and points (below 4.20)
    LineWidths,              // entities whose line width is not written (below 3.51)
    ShiftJisText,            // strings with characters Shift-JIS lacks ("?" is written)
    UnusedBlockDefinitions,  // block definitions no insert uses, left out on request (PurgeUnusedBlocks)
    InsertsOfMissingDefinitions,  // block inserts whose number no definition has (left out at every version)
};

struct JwSaveLoss {
    JwLossKind kind;
    int32_t count;  // entities, strings, images or definitions concerned
};

// What writing m as FileOut(FName, ver) with strings in UTF-16 (utf16) or
// Shift-JIS loses, in the order of JwLossKind; empty when nothing is lost.
// The model must be as a read leaves it (block tree built).
std::vector<JwSaveLoss> SaveLosses(const TJwwData& m, int32_t ver, bool utf16);
std::vector<JwSaveLoss> SaveLosses(const TJwsData& m, int32_t ver, bool utf16);

// The block definitions no insert of m uses, directly or through definitions
// in use: what a save with PurgeUnusedBlocks leaves out.
int32_t UnusedBlockDefinitions(const TJwEntities& m);

// One line about a loss for the command line ("2 bound images: only 7.00
// holds them") and for the window (Japanese).
std::string SaveLossText(const JwSaveLoss& loss);
JwString SaveLossTextJa(const JwSaveLoss& loss);

}  // namespace jw
