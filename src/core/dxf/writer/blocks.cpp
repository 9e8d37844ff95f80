// BLOCKS: the blocks of model space and of the paper spaces (the further
// layouts with their top-level entities), then the block definitions with
// their contents.
#include <string>

#include "dxf/writer/writer.h"

namespace jw::dxfwriter {

std::string DxfWriter::SpaceBlockName(int32_t spc) const {
    if (spc == 0) return r12_ ? "*MODEL_SPACE" : "*Model_Space";
    std::string name = r12_ ? "*PAPER_SPACE" : "*Paper_Space";
    if (spc >= 2) name += std::to_string(spc - 2);
    return name;
}

void DxfWriter::BlockBegin(std::string_view name, int32_t owner, bool paper) {
    Head("BLOCK", NewHandle(), owner, paper ? 1 : 0, "0", "AcDbBlockBegin");
    Str(2, name);
    Int(70, 0);
    XYZ(10, 0, 0, 0);
    Str(3, name);
    Str(1, "");
}

void DxfWriter::BlockEnd(int32_t owner, bool paper) {
    Head("ENDBLK", NewHandle(), owner, paper ? 1 : 0, "0", "AcDbBlockEnd");
}

void DxfWriter::Blocks() {
    const int32_t hb = m_.hn_blk;
    const int32_t ltn = Ltn();
    Section("BLOCKS");
    for (int32_t spc = 0; spc <= ltn; ++spc) {
        const int32_t owner = hb + spc + 1;
        BlockBegin(SpaceBlockName(spc), owner, spc == 1);
        if (spc >= 2) {
            for (uint32_t k = layoutStart_[spc]; k < layoutStart_[spc + 1]; ++k) {
                Entity(m_.de, m_.de.No[layoutOrder_[k]], spc, owner);
                FlushFull();
            }
        }
        BlockEnd(owner, spc == 1);
    }
    for (size_t i = 0; i < m_.deBlockDef.size(); ++i) {
        const int32_t owner = hb + ltn + 2 + static_cast<int32_t>(i);
        BlockBegin(blkName_[i], owner, false);
        Entities(m_.deBlockDef[i].dm, 0, owner);
        BlockEnd(owner, false);
    }
    EndSection();
}

}  // namespace jw::dxfwriter
