#include "support/sha1.h"

#include <openssl/evp.h>

namespace jw {

std::string Sha1Hex(const void* data, size_t n) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(data, n, md, &len, EVP_sha1(), nullptr);
    static const char* hex = "0123456789abcdef";
    std::string out;
    out.reserve(len * 2);
    for (unsigned i = 0; i < len; ++i) {
        out += hex[md[i] >> 4];
        out += hex[md[i] & 15];
    }
    return out;
}

}  // namespace jw
