#include "model/file_formats.h"

#include "support/paths.h"

namespace jw {

namespace {

struct KindExt {
    JwFileKind kind;
    const char16_t* ext;
};
constexpr KindExt kKinds[] = {
    {JwFileKind::Jww, u".jww"},
    {JwFileKind::Jws, u".jws"},
    {JwFileKind::Jwc, u".jwc"},
    {JwFileKind::Jwk, u".jwk"},
};

// The paper sizes: code, width and height in millimetres, name.
struct PaperSize {
    int32_t code;
    int32_t width;
    int32_t height;
    const char16_t* name;
};
constexpr PaperSize kPaperSizes[] = {
    {0,  1189,   841,   u"Ａ０"},
    {1,  841,    594,   u"Ａ１"},
    {2,  594,    420,   u"Ａ２"},
    {3,  420,    297,   u"Ａ３"},
    {4,  297,    210,   u"Ａ４"},
    {8,  1682,   1189,  u"２Ａ"},
    {9,  2378,   1682,  u"３Ａ"},
    {10, 3364,   2378,  u"４Ａ"},
    {11, 4756,   3364,  u"５Ａ"},
    {12, 10000,  7073,  u"１０ｍ"},
    {13, 50000,  35366, u"５０ｍ"},
    {14, 100000, 70732, u"１００ｍ"},
};

const PaperSize* FindPaperSize(int32_t code) {
    for (const PaperSize& p : kPaperSizes)
        if (p.code == code) return &p;
    return nullptr;
}

}  // namespace

JwFileKind FileKindOf(std::u16string_view path) {
    const JwString ext = FileExtLower(path);
    for (const KindExt& k : kKinds)
        if (ext == k.ext) return k.kind;
    return JwFileKind::Unsupported;
}

JwString KindExtension(JwFileKind kind) {
    for (const KindExt& k : kKinds)
        if (k.kind == kind) return k.ext;
    return JwString();
}

bool KindHasVersions(JwFileKind kind) { return kind == JwFileKind::Jww || kind == JwFileKind::Jws; }

JwString PaperName(int32_t code) {
    const PaperSize* p = FindPaperSize(code);
    return p ? JwString(p->name) : JwString();
}

int32_t PaperWidth(int32_t code) {
    const PaperSize* p = FindPaperSize(code);
    return p ? p->width : 0;
}

int32_t PaperHeight(int32_t code) {
    const PaperSize* p = FindPaperSize(code);
    return p ? p->height : 0;
}

}  // namespace jw
