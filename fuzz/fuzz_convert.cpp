// libFuzzer target: what `convert` does after reading. The bytes are read as
// a drawing (or, with a figure's signature, as a figure), bound images
// extracted, and the model is written in every format version, in UTF-16 or
// Shift-JIS by turns. Every file written must read back completely, and
// nothing may be written outside the image folder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_common.h"
#include "model/file_formats.h"
#include "model/jw_data.h"

namespace {

template <class Model>
void WriteEveryVersion(Model& m, bool utf16) {
    m.SetFileOutOption(utf16 ? jw::kFileOutOptUtf16 : 0);
    std::vector<uint8_t> bytes;
    for (const jw::JwFormatVersion& v : jw::kJwFormatVersions) {
        if (!m.BufferOut(bytes, v.ver)) continue;
        Model back;
        back.BindImageExr = true;  // the image section read too (listed, not extracted)
        if (!back.BufferIn(bytes.data(), bytes.size(), u"back") || back.ReadEnd != bytes.size()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    const bool utf16 = jw::fuzz::Hash(data, size) & 1;
    if (jw::fuzz::IsFigure(data, size)) {
        jw::TJwsData m;
        m.BufferIn(data, size, u"fuzz.jws");
        WriteEveryVersion(m, utf16);
    } else {
        jw::TJwwData m;
        m.BindImageFolder = f.imagesText;
        m.BindImageExp = m.BindImageExr = true;
        m.BufferIn(data, size, u"fuzz.jww");
        WriteEveryVersion(m, utf16);
        m.BindImageDeleteGzFile();
        m.BindImageDeleteNonGzFile();
    }
    jw::fuzz::CheckAndEmpty(f);
    return 0;
}
