#include "support/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

namespace fs = std::filesystem;

namespace {

inline bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

// Index of the last "\", "/" (or ":" when withColon); npos when none.
size_t LastSep(std::u16string_view path, bool withColon) {
    for (size_t i = path.size(); i-- > 0;) {
        if (IsSep(path[i]) || (withColon && path[i] == u':')) return i;
    }
    return std::u16string_view::npos;
}

// A path the file functions may touch: not empty, no invalid character.
bool Usable(std::u16string_view path) { return !path.empty() && !PathHasInvalidChars(path); }

// Splits at "\" and "/", dropping empty components.
std::vector<JwString> Components(std::u16string_view s) {
    std::vector<JwString> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || IsSep(s[i])) {
            if (i > start) parts.emplace_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// dir / name, where name is the entry of that exact name, else the first (by
// name) entry whose upper-cased name equals the upper-cased name.
fs::path ChildNoCase(const fs::path& dir, const JwString& name) {
    fs::path exact = dir / NativePath(name);
    std::error_code ec;
    if (name == u"." || name == u".." || fs::symlink_status(exact, ec).type() != fs::file_type::not_found)
        return exact;
    const JwString want = StrUpper(name);
    fs::path best;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        fs::path entry = it->path().filename();
        if (StrUpper(FromNativePath(entry)) != want) continue;
        if (best.empty() || entry < best) best = entry;
    }
    return best.empty() ? exact : dir / best;
}

fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return fs::path(home);
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return fs::path(pw->pw_dir);
    return fs::path("/");
}

}  // namespace

char16_t PathDelimChar() { return u'/'; }

JwString AddPathDelim(std::u16string_view s) {
    JwString out(s);
    if (out.empty() || !IsSep(out.back())) out.push_back(PathDelimChar());
    return out;
}

JwString FileDir(std::u16string_view path) {
    if (path.empty() || path.size() >= 260 || PathHasInvalidChars(path)) return JwString();
    size_t p = LastSep(path, false);
    if (p == std::u16string_view::npos) return AddPathDelim(u"");
    return AddPathDelim(path.substr(0, p + 1));
}

JwString FileNameOnly(std::u16string_view path) {
    if (PathHasInvalidChars(path)) return JwString();
    size_t p = LastSep(path, true);
    return JwString(p == std::u16string_view::npos ? path : path.substr(p + 1));
}

JwString FileExtLower(std::u16string_view path) {
    size_t p = LastSep(path, true);
    std::u16string_view name = p == std::u16string_view::npos ? path : path.substr(p + 1);
    size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return JwString();
    return StrLower(name.substr(dot));
}

JwString FileExtChange(std::u16string_view path, std::u16string_view ext) {
    size_t p = LastSep(path, true);
    size_t nameStart = p == std::u16string_view::npos ? 0 : p + 1;
    size_t dot = path.rfind(u'.');
    JwString out(path);
    if (dot != std::u16string_view::npos && dot >= nameStart) out.resize(dot);
    out.append(ext);
    return out;
}

bool PathHasInvalidChars(std::u16string_view path) {
    for (char16_t c : path) {
        if (c < 0x20 || c == u'"' || c == u'<' || c == u'>' || c == u'|' || c == u'*' || c == u'?')
            return true;
    }
    return false;
}

fs::path NativePath(std::u16string_view path) {
    JwString s(path);
    for (char16_t& c : s)
        if (c == u'\\') c = u'/';
    return fs::path(ToUtf8(s));
}

JwString FromNativePath(const fs::path& p) { return FromUtf8(p.native()); }

bool FileExistsEx(std::u16string_view path) {
    if (!Usable(path)) return false;
    std::error_code ec;
    return fs::is_regular_file(NativePath(path), ec);
}

bool PathEntryExists(std::u16string_view path) {
    if (path.empty()) return false;
    // A path that cannot be looked at counts as taken.
    std::error_code ec;
    return fs::symlink_status(NativePath(path), ec).type() != fs::file_type::not_found;
}

bool FolderCreate(std::u16string_view path) {
    if (!Usable(path)) return false;
    std::error_code ec;
    fs::path p = NativePath(path);
    fs::create_directories(p, ec);  // an error when a file stands in the way
    return !ec;
}

bool FileDelete(std::u16string_view path) {
    if (!Usable(path)) return false;
    std::error_code ec;
    fs::path p = NativePath(path);
    fs::file_status st = fs::symlink_status(p, ec);
    if (ec || st.type() == fs::file_type::directory || st.type() == fs::file_type::not_found)
        return false;
    return fs::remove(p, ec) && !ec;
}

bool FolderRemove(std::u16string_view path) {
    if (!Usable(path)) return false;
    std::error_code ec;
    fs::path p = NativePath(path);
    if (fs::symlink_status(p, ec).type() != fs::file_type::directory || ec) return false;
    JwString program = ProgramFolder();
    if (!program.empty()) {
        std::error_code ec2;
        if (fs::equivalent(p, NativePath(program), ec2)) return false;
    }
    return fs::remove(p, ec) && !ec;  // fails on a folder that is not empty
}

bool FileCopyReplace(std::u16string_view src, std::u16string_view dst) {
    if (!Usable(src) || !Usable(dst)) return false;
    std::error_code ec;
    fs::path from = NativePath(src);
    fs::path to = NativePath(dst);
    if (!fs::is_regular_file(from, ec)) return false;
    // copy_file refuses a file onto itself (through a link too).
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

JwString ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return JwString();
    return AddPathDelim(FromNativePath(exe.parent_path()));
}

fs::path MakePrivateTempFolder(std::string& error) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty()) base = "/tmp";
    std::string pattern = (base / "zumenscope-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot create a temporary folder in " + base.string() + ": " +
                std::error_code(errno, std::generic_category()).message();
        return fs::path();
    }
    return fs::path(pattern);
}

fs::path WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') return fs::path(prefix);
    return HomeFolder() / ".wine";
}

fs::path ResolveWindowsPath(std::u16string_view path, std::u16string_view baseFolder) {
    if (path.empty()) return fs::path();
    fs::path dir;
    std::u16string_view rest = path;
    if (path.size() >= 2 && path[1] == u':' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'))) {
        // "X:\..." or the drive-relative "X:...": the Wine drive folder.
        char16_t letter = path[0] | 0x20;
        dir = WinePrefix() / "dosdevices" / (std::string(1, static_cast<char>(letter)) + ":");
        rest = path.substr(2);
    } else if (path.size() >= 2 && IsSep(path[0]) && IsSep(path[1])) {
        dir = WinePrefix() / "dosdevices" / "unc";
        rest = path.substr(2);
    } else if (IsSep(path[0])) {
        dir = fs::path("/");
    } else if (!baseFolder.empty()) {
        dir = ResolveWindowsPath(baseFolder);
    }
    for (const JwString& part : Components(rest)) dir = ChildNoCase(dir, part);
    return dir;
}

}  // namespace jw
