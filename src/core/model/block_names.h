// Block definition names: the "@@SFIG..." suffix that Jw_cad appends to
// definition names is ignored when names are compared.
#pragma once

#include <cstddef>
#include <string_view>

namespace jw {

// Position of the first "@@SFIG" in name, letters compared without case;
// std::u16string_view::npos when the name has no such suffix.
std::size_t BlkNameSuffixPos(std::u16string_view name);

// The name without its "@@SFIG..." suffix.
inline std::u16string_view BlkNameBase(std::u16string_view name) {
    const std::size_t p = BlkNameSuffixPos(name);
    return p == std::u16string_view::npos ? name : name.substr(0, p);
}

}  // namespace jw
