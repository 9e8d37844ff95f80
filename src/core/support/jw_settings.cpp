#include "support/jw_settings.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>

#include "support/paths.h"
#include "support/program_values.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

namespace fs = std::filesystem;

namespace {

// Calls onLine with each line of a code page 932 text file (line ends CR LF,
// LF or CR) until it answers false or the file ends. A read error ends the
// reading; the lines already passed stay passed.
void ForEachLine(const fs::path& file, const std::function<bool(const JwString&)>& onLine) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    std::vector<uint8_t> line;
    char buf[65536];
    bool afterCr = false;
    auto emit = [&]() {
        bool more = onLine(AnsiBytesStrFull(line.data(), line.size()));
        line.clear();
        return more;
    };
    while (in) {
        in.read(buf, sizeof buf);
        const std::streamsize got = in.gcount();
        if (got <= 0) break;
        for (std::streamsize i = 0; i < got; ++i) {
            const uint8_t b = static_cast<uint8_t>(buf[i]);
            if (b == '\n' && afterCr) {  // the LF of a CR LF pair
                afterCr = false;
                continue;
            }
            afterCr = b == '\r';
            if (b == '\r' || b == '\n') {
                if (!emit()) return;
            } else {
                line.push_back(b);
            }
        }
    }
    if (!line.empty()) emit();
}

// s without leading and trailing characters U+0000 to U+0020.
std::u16string_view TrimCtrl(std::u16string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && s[a] <= 0x20) ++a;
    while (b > a && s[b - 1] <= 0x20) --b;
    return s.substr(a, b - a);
}

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

}  // namespace

JwString DefaultJwwPath() { return AddPathDelim(FromNativePath(WinePrefix() / "drive_c" / "JWW")); }

void GetRefFileName(const JwString& jwwPath) {
    JwRefFileName.clear();
    fs::path file = ResolveWindowsPath(u"Jw_win.jwf", JwAppPath);
    if (!IsFile(file)) file = ResolveWindowsPath(u"Jw_win.jwf", jwwPath);
    if (!IsFile(file)) return;
    ForEachLine(file, [](const JwString& raw) {
        const JwString upper = StrUpper(raw);
        const std::u16string_view line = TrimCtrl(upper);
        if (line.starts_with(u"END")) return false;
        for (std::u16string_view key : {std::u16string_view(u"REF_FILE ="), std::u16string_view(u"REF_FILE=")}) {
            if (line.starts_with(key)) {
                JwRefFileName = JwString(TrimCtrl(line.substr(key.size())));
                return false;
            }
        }
        return true;
    });
}

void RefFileOpen() {
    if (JwRefFileName.empty()) return;
    const size_t sep = JwRefFileName.find_last_of(u"\\/:");
    const fs::path file = sep == JwString::npos ? ResolveWindowsPath(JwRefFileName, JwAppPath)
                                                : ResolveWindowsPath(JwRefFileName);
    JwRefList.clear();
    if (!IsFile(file)) return;
    ForEachLine(file, [](const JwString& line) {
        const size_t tab = line.find(u'\t');
        if (tab == JwString::npos) return true;
        std::u16string_view name = std::u16string_view(line).substr(0, tab);
        if (name.empty() || StrNoSpace(name) != name || !name.starts_with(u"%%")) return true;
        JwRefList.push_back({JwString(name), StrNoCtrl(std::u16string_view(line).substr(tab + 1))});
        return true;
    });
}

}  // namespace jw
