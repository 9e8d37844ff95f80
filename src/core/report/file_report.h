// The report and the JSON fields of whatever file was read, by its kind: the
// header report of a drawing or figure, the legacy report of a JWC or JWK
// file. `info` prints them; the window shows the report of a drawing or figure.
#pragma once

#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "files/open_file.h"

namespace jw {

// Empty for an unsupported kind. FName is the path as given.
std::vector<JwString> FileReport(const TJwFileRead& read, const TJwFileModels& models, const JwString& FName);
// The drawing summary of a drawing or figure, the legacy summary of a legacy
// file; null for an unsupported kind.
nlohmann::ordered_json FileSummaryJson(const TJwFileRead& read, const TJwFileModels& models);

}  // namespace jw
