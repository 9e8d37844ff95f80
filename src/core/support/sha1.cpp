#include "support/sha1.h"

#include <nettle/sha1.h>

namespace jw {

std::string Sha1Hex(const void* data, size_t n) {
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, n, static_cast<const uint8_t*>(data));
    uint8_t md[SHA1_DIGEST_SIZE];
    sha1_digest(&ctx, SHA1_DIGEST_SIZE, md);
    static const char* hex = "0123456789abcdef";
    std::string out;
    out.reserve(2 * SHA1_DIGEST_SIZE);
    for (const uint8_t b : md) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

}  // namespace jw
