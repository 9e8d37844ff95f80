// The files the models are read from and written to: the kind of a file by its
// extension, the nine format versions of drawings and figures, the writer
// option that selects UTF-16 strings, and the paper sizes, which JWW and JWC
// drawings number alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace jw {

using JwString = std::u16string;

enum class JwFileKind {
    Unsupported,
    Jww,  // .jww drawing
    Jws,  // .jws figure
    Jwc,  // .jwc legacy drawing (read only)
    Jwk,  // .jwk legacy figure
};

// The kind of the file path names, by its extension in any letter case.
JwFileKind FileKindOf(std::u16string_view path);
// ".jww", ".jws", ".jwc", ".jwk"; empty for Unsupported.
JwString KindExtension(JwFileKind kind);
// JWW drawings and JWS figures are written in a format version and a string
// encoding of their choice; the legacy kinds have neither.
bool KindHasVersions(JwFileKind kind);

// A format version: the number the writer takes (the Jw_cad version x 100)
// and its text ("2.20").
struct JwFormatVersion {
    int32_t ver;
    const char* text;
};
inline constexpr std::array<JwFormatVersion, 9> kJwFormatVersions = {{
    {220, "2.20"}, {223, "2.23"}, {225, "2.25"}, {230, "2.30"}, {300, "3.00"},
    {351, "3.51"}, {420, "4.20"}, {600, "6.00"}, {700, "7.00"},
}};

// The bit of the writer options (FileOutOpt) that writes strings as UTF-16.
inline constexpr int32_t kFileOutOptUtf16 = 0x20;

// Paper name of a paper-size code ("Ａ３", "２Ａ", "１０ｍ"); empty for an
// unknown code.
JwString PaperName(int32_t code);
// Paper width and height in millimetres of a paper-size code (landscape); 0
// for an unknown code.
int32_t PaperWidth(int32_t code);
int32_t PaperHeight(int32_t code);

}  // namespace jw
