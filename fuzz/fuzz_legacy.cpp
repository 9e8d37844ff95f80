// libFuzzer target: any bytes, parsed as a legacy JWC drawing and as a JWK
// figure straight from memory. A JWK figure that parsed is also built back
// into file bytes in memory, which must parse again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_common.h"
#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Setup();
    jw::TJwcData jwc;
    jwc.ParseBytes(data, size);

    jw::TJwkData jwk;
    if (jwk.ParseBytes(data, size)) {
        std::vector<uint8_t> out;
        std::vector<jw::JwString> prepared;
        int32_t strSpace = 0;
        if (jwk.BuildBytes(out, prepared, strSpace)) {
            jw::TJwkData back;
            if (!back.ParseBytes(out.data(), out.size())) __builtin_trap();
        }
    }
    return 0;
}
