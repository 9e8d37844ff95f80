// New-drawing defaults of JWW drawings and JWS figures.
// (Placeholder bodies; the defaults are being written.)
#include "model/jw_data.h"

namespace jw {

void TJwwData::DataDefaultSet() {}
void TJwsData::DataDefaultSet() {}

}  // namespace jw
