// The entity attribute of JWW/JWS records, built field by field for tests.
#pragma once

#include <cstdint>

#include "model/jww_records.h"

namespace jw::test {

inline TEntJwwAttr MakeAttr(uint8_t style = 1, uint16_t color = 2, uint16_t width = 0, uint16_t layer = 3,
                            uint16_t group = 4, uint16_t flag = 0, uint32_t lgroup = 0) {
    TEntJwwAttr a;
    a.lGroup = lgroup;
    a.nPenStyle = style;
    a.nPenColor = color;
    a.nPenWidth = width;
    a.nLayer = layer;
    a.nGLayer = group;
    a.sFlg = flag;
    return a;
}

}  // namespace jw::test
