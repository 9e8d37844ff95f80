#include "files/open_file.h"

#include <algorithm>
#include <string_view>

#include "jww/archive.h"
#include "support/file_io.h"

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

std::string SignatureProblem(JwFileKind kind, const JwString& FName) {
    FileBytes head;
    bool whole = false;
    std::string error;
    // Whether the file begins with sig, whose characters are all ASCII.
    auto begins = [&](auto sig) {
        if (!ReadFileStart(FName, sig.size(), head, whole, error)) return true;  // the read says why
        return head.size == sig.size() && std::equal(sig.begin(), sig.end(), head.data.get(), [](auto c, uint8_t b) {
                   return static_cast<unsigned>(c) == b;
               });
    };
    switch (kind) {
        case JwFileKind::Jww: return begins(kJwwSignature) ? "" : "not a JWW drawing";
        case JwFileKind::Jws: return begins(kJwsSignature) ? "" : "not a JWS figure";
        case JwFileKind::Jwc: return begins(std::u16string_view(kJwcIdent)) ? "" : "not a JWC drawing";
        case JwFileKind::Jwk: return begins(std::u16string_view(kJwkIdent)) ? "" : "not a JWK figure";
        case JwFileKind::Unsupported: break;
    }
    return {};
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
