// libFuzzer target: what `convert` does after reading. The bytes are read as
// a drawing (or, with a figure's signature, as a figure), bound images
// extracted, and the model is written in a format version and encoding that
// a hash of the bytes picks (every mutation draws them anew, so that all nine
// versions in both encodings are tried on every path the reading reaches).
// The file written must read back completely, and nothing may be written
// outside the image folder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_common.h"
#include "model/file_formats.h"
#include "model/jw_data.h"

namespace {

template <class Model>
void WriteOneVersion(Model& m, uint32_t h) {
    m.SetFileOutOption(h & 1 ? jw::kFileOutOptUtf16 : 0);
    const jw::JwFormatVersion& v = jw::kJwFormatVersions[(h >> 1) % jw::kJwFormatVersions.size()];
    std::vector<uint8_t> bytes;
    if (!m.BufferOut(bytes, v.ver)) return;
    Model back;
    back.BindImageExr = true;  // the image section read too (listed, not extracted)
    if (!back.BufferIn(bytes.data(), bytes.size(), u"back") || back.ReadEnd != bytes.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    const uint32_t h = jw::fuzz::Hash(data, size);
    if (jw::fuzz::IsFigure(data, size)) {
        jw::TJwsData m;
        m.BufferIn(data, size, u"fuzz.jws");
        WriteOneVersion(m, h);
    } else {
        jw::TJwwData m;
        m.BindImageFolder = f.imagesText;
        m.BindImageExp = m.BindImageExr = true;
        m.BufferIn(data, size, u"fuzz.jww");
        WriteOneVersion(m, h);
        m.BindImageDeleteGzFile();
        m.BindImageDeleteNonGzFile();
    }
    jw::fuzz::CheckAndEmpty(f);
    return 0;
}
