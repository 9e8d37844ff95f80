#include "files/open_file.h"

namespace jw {

namespace {

template <class Model>
TJwFileRead Read(JwFileKind kind, std::unique_ptr<Model>& model, const JwString& FName) {
    if (!model) model = std::make_unique<Model>();
    TJwFileRead r;
    r.kind = kind;
    r.ok = model->FileIn(FName);
    if (!r.ok) r.error = model->LastError.empty() ? std::string("read failed") : model->LastError;
    if constexpr (requires { model->LastErrorDetail; }) {
        if (!r.ok) r.detail = model->LastErrorDetail;
        r.imageErrors = model->BindImageErrors;
    }
    return r;
}

}  // namespace

std::string ReadFailureText(const TJwFileRead& read) {
    return read.detail.empty() ? read.error : read.error + ": " + read.detail;
}

TJwwData& TJwFileModels::Jww() {
    if (!JWW1) JWW1 = std::make_unique<TJwwData>();
    return *JWW1;
}

TJwFileRead ReadJwFile(JwFileKind kind, const JwString& FName, TJwFileModels& models) {
    switch (kind) {
        case JwFileKind::Jww: return Read(kind, models.JWW1, FName);
        case JwFileKind::Jws: return Read(kind, models.JWS, FName);
        case JwFileKind::Jwc: return Read(kind, models.JWC, FName);
        case JwFileKind::Jwk: return Read(kind, models.JWK, FName);
        case JwFileKind::Unsupported: break;
    }
    TJwFileRead r;
    r.error = kUnsupportedFileType;
    return r;
}

TJwFileRead OpenJwFile(const JwString& FName, TJwFileModels& models) {
    return ReadJwFile(FileKindOf(FName), FName, models);
}

}  // namespace jw
