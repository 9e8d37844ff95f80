#include "report/file_report.h"

#include <nlohmann/json.hpp>

#include "report/drawing_summary.h"
#include "report/header_report.h"
#include "report/legacy_summary.h"

namespace jw {

std::vector<JwString> FileReport(const TJwFileRead& read, const TJwFileModels& models, const JwString& FName) {
    switch (read.kind) {
        case JwFileKind::Jww: return JwwHeaderReport(*models.JWW1, FName);
        case JwFileKind::Jws: return JwsHeaderReport(*models.JWS, FName);
        case JwFileKind::Jwc: return LegacyReport(SummarizeLegacy(*models.JWC), FName);
        case JwFileKind::Jwk: return LegacyReport(SummarizeLegacy(*models.JWK), FName);
        case JwFileKind::Unsupported: break;
    }
    return {};
}

nlohmann::ordered_json FileSummaryJson(const TJwFileRead& read, const TJwFileModels& models) {
    switch (read.kind) {
        case JwFileKind::Jww: return SummaryToJson(SummarizeDrawing(*models.JWW1));
        case JwFileKind::Jws: return SummaryToJson(SummarizeDrawing(*models.JWS));
        case JwFileKind::Jwc: return LegacySummaryToJson(SummarizeLegacy(*models.JWC));
        case JwFileKind::Jwk: return LegacySummaryToJson(SummarizeLegacy(*models.JWK));
        case JwFileKind::Unsupported: break;
    }
    return nullptr;
}

}  // namespace jw
