// The header report of the "ヘッダ" page: a read model turned into the lines
// of plain text that the window shows, in order. Each element is one line as
// added to the text box; a file memo that holds CR LF stays one element (the
// text box breaks it visually).
#pragma once

#include <vector>

#include "model/jw_data.h"

namespace jw {

// Report of a JWW drawing; FName is the path as chosen by the user.
std::vector<JwString> JwwHeaderReport(const TJwwData& jw, const JwString& FName);
// Report of a JWS figure.
std::vector<JwString> JwsHeaderReport(const TJwsData& jw, const JwString& FName);

}  // namespace jw
