// libFuzzer target: any bytes, parsed as a legacy JWC drawing and as a JWK
// figure straight from memory. A JWK figure that parsed is also built back
// into file bytes in memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"
#include "support/program_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool init = [] {
        jw::JwDefMojiTypeInit();
        jw::JwGlobalInit();
        return true;
    }();
    (void)init;

    jw::TJwcData jwc;
    jwc.ParseBytes(data, size);

    jw::TJwkData jwk;
    if (jwk.ParseBytes(data, size)) {
        std::vector<uint8_t> out;
        std::vector<jw::JwString> prepared;
        int32_t strSpace = 0;
        jwk.BuildBytes(out, prepared, strSpace);
    }
    return 0;
}
