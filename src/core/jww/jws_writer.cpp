// JWS writer: the figure header (signature block, base point, layer-group
// scales, reserved values, coordinate range) followed by the entity lists.
// A figure file ends after its block definitions at every version.
#include <cstring>

#include "jww/archive.h"
#include "model/file_formats.h"
#include "model/jw_data.h"

namespace jw {

void TJwsData::HeaderOut(ArchiveWriter& aw, int32_t Ver) {
    const TEntJwsHeader& h = Enthd;
    uint8_t sig[200];
    std::memset(sig, 0x2E, sizeof sig);
    std::memcpy(sig, "JwsData", 7);
    aw.WriteBytes(sig, sizeof sig);
    aw.WriteInt(Ver);
    aw.WriteDouble(h.BasePoint_x);
    aw.WriteDouble(h.BasePoint_y);
    for (int g = 0; g < 16; ++g) aw.WriteDouble(EntLgrp[g].adScale);
    aw.WriteInt(h.dmy01);
    aw.WriteInt(h.dmy02);
    aw.WriteInt(h.dmy03);
    aw.WriteInt(h.dmy04);
    aw.WriteInt(h.dmy05);
    aw.WriteInt(h.dmy06);
    aw.WriteDouble(h.dmy11);
    aw.WriteDouble(h.dmy12);
    aw.WriteDouble(h.dmy13);
    aw.WriteDouble(h.dmy14);
    aw.WriteDouble(h.dmy15);
    aw.WriteDouble(h.dmy16);
    aw.WriteDouble(h.Mx1);
    aw.WriteDouble(h.My1);
    aw.WriteDouble(h.Mx2);
    aw.WriteDouble(h.My2);
}

bool TJwsData::FileOut(const JwString& FName, int32_t Ver) {
    Ver = FigureVersion(Ver);

    LastError.clear();
    Enthd.jwID = u"JwsData";
    if (EntLgrp.size() < 16) {
        LastError = "header tables are incomplete";
        return false;
    }
    return WholeFileOut(FName, Ver, [&](ArchiveWriter& aw) { HeaderOut(aw, Ver); }, false);
}

}  // namespace jw
