// The one entry that reads any supported file: by its kind, into the model of
// that kind. The window, `info`, `convert` and `dxf` open files through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"
#include "model/file_formats.h"
#include "model/jw_data.h"

namespace jw {

// The message of a file whose kind is not supported.
inline constexpr char kUnsupportedFileType[] = "unsupported file type";

// One model of each kind; a model is made when a file of its kind is read.
struct TJwFileModels {
    std::unique_ptr<TJwwData> JWW1;
    std::unique_ptr<TJwcData> JWC;
    std::unique_ptr<TJwkData> JWK;
    std::unique_ptr<TJwsData> JWS;

    // The JWW model, made when there is none (to set its bound-image
    // handling before a read).
    TJwwData& Jww();
};

// What a read answered.
struct TJwFileRead {
    JwFileKind kind = JwFileKind::Unsupported;
    bool ok = false;
    // Why not: the reader's message ("JWW-Header Error", "File I/O Error", ...)
    // or kUnsupportedFileType; empty after a success.
    std::string error;
    // Where and what, when the reader knows ("entity 1,234 (CDataSen) at
    // byte 0x1A2B: the file ends inside the record"); may be empty.
    std::string detail;
    // Bound images that could not be extracted (the read itself may have
    // succeeded), one line each.
    std::vector<std::string> imageErrors;
};

// The reader's message followed by its detail: "File I/O Error: entity 3
// (CDataSen) at byte 0x1F4: the file ends inside the record".
std::string ReadFailureText(const TJwFileRead& read);

// "not a JWW drawing" (JWS figure, JWC drawing, JWK figure) when FName does
// not begin with the signature of kind; empty when it does, for Unsupported,
// and when its start cannot be read (a read then says why).
std::string SignatureProblem(JwFileKind kind, const JwString& FName);

// Reads FName into the model of kind in models, made when missing (a JWW
// model that is there keeps its bound-image settings). After a failure the
// model holds what was read. Nothing is read for Unsupported.
TJwFileRead ReadJwFile(JwFileKind kind, const JwString& FName, TJwFileModels& models);
// The same with the kind of FName's extension.
TJwFileRead OpenJwFile(const JwString& FName, TJwFileModels& models);

}  // namespace jw
