// Block tree and numbering: MakeBlockTree, ChangeBlockNo and the name lookups.
// (Placeholder bodies; the block tree is being written.)
#include "model/jw_data.h"

namespace jw {

void TJwEntities::MakeBlockTree() {}
uint32_t TJwEntities::ChangeBlockNo(uint32_t) const { return 0; }
int32_t TJwEntities::GetBlkNo(const JwString&) const { return -1; }
int32_t TJwEntities::GetBlkNumber(int32_t) const { return -1; }
JwString TJwEntities::GetBlkName(const JwString& ps) const { return ps; }

}  // namespace jw
