// SHA-1 digests (Nettle).
#pragma once

#include <cstddef>
#include <string>

namespace jw {

// Lower-case hexadecimal SHA-1 of the bytes.
std::string Sha1Hex(const void* data, size_t n);

}  // namespace jw
