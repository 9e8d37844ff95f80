// Conversions between the model's UTF-16 text and QString (both UTF-16, so
// the code units are copied unchanged).
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace jw {

using JwString = std::u16string;

inline QString ToQ(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

inline JwString FromQ(const QString& s) {
    return JwString(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

}  // namespace jw
