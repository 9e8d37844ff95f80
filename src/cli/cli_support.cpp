#include "cli_support.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <system_error>

#include "dxf/jww_to_dxf.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw::cli {

JwString PathText(std::string_view path) { return FromUtf8(path); }

std::optional<std::string> FileProblem(std::string_view path) {
    std::error_code ec;
    const auto st = std::filesystem::status(std::filesystem::path(path), ec);
    if (st.type() == std::filesystem::file_type::not_found) return "no such file";
    if (ec) return ec.message();
    if (st.type() == std::filesystem::file_type::directory) return "is a directory";
    const JwString name = PathText(path);
    if (std::string kind = SignatureProblem(FileKindOf(name), name); !kind.empty()) return kind;
    return std::nullopt;
}

namespace {

// A limit as the user would write it: "2400", "0.5", "1e+06".
std::string LimitText(double v) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    return std::string(buf, end);
}

}  // namespace

CLI::Validator NumberRange(double min, double max, std::string range, bool aboveMin) {
    if (range.empty())
        range = aboveMin ? "more than " + LimitText(min) + ", up to " + LimitText(max)
                         : LimitText(min) + " to " + LimitText(max);
    auto check = [min, max, range, aboveMin](std::string& input) -> std::string {
        double v = 0;
        const char* first = input.data();
        const char* last = first + input.size();
        if (first != last && *first == '+') ++first;
        const auto [end, ec] = std::from_chars(first, last, v);
        if (ec != std::errc() || end != last || !std::isfinite(v)) return input + " is not a number: give " + range;
        if ((aboveMin ? v <= min : v < min) || v > max) return input + " is out of range: give " + range;
        return {};
    };
    return CLI::Validator(check, range, "RANGE");
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    // Two names of one existing file (a link, a hard link, another spelling)
    // are the same device and inode.
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
    std::error_code e1, e2;
    const auto ca = std::filesystem::weakly_canonical(a, e1), cb = std::filesystem::weakly_canonical(b, e2);
    return !e1 && !e2 && ca == cb;
}

bool ReadDrawingForExport(const std::string& in, const std::filesystem::path& out, PrivateTempFolder& images,
                          TJwFileModels& models, const char* what, std::string& error,
                          std::vector<std::string>& imageErrors) {
    const JwFileKind kind = FileKindOf(PathText(in));
    if (kind != JwFileKind::Jww && kind != JwFileKind::Jws) {
        error = kind == JwFileKind::Unsupported
                    ? std::string(kUnsupportedFileType)
                    : std::string("a legacy JWC/JWK file cannot be ") + what + " (only .jww and .jws)";
        return false;
    }
    if (auto problem = FileProblem(in)) {
        error = *problem;
        return false;
    }
    if (SamePath(in, out)) {
        error = "the output would replace the input";
        return false;
    }
    TJwwData& dwg = models.Jww();
    dwg.BindImageExp = true;
    dwg.BindImageExr = true;
    dwg.BindImageFolderMake = images.ImageFolderMaker();
    const TJwFileRead read = ReadJwFile(kind, PathText(in), models);
    if (!read.ok) {
        error = "read failed: " + ReadFailureText(read) + "; nothing written";
        return false;
    }
    imageErrors = read.imageErrors;
    if (kind == JwFileKind::Jws) {
        JwsAsDrawing(*models.JWS, dwg);
        dwg.BindImageFolderMake = images.ImageFolderMaker();
    }
    return true;
}

void Complain(Console& io, std::string_view subject, std::string_view message) {
    io.out.flush();  // keeps the order of both streams on a shared terminal
    // Names and drawing texts inside a message never act on the terminal.
    io.err << kProgramName << ": " << EscapeControls(subject) << ": " << EscapeControls(message) << '\n';
    io.err.flush();
}

bool MakeOutputFolder(Console& io, const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir), ec);
    if (std::filesystem::is_directory(std::filesystem::path(dir))) return true;
    Complain(io, dir, "cannot create the output folder" + (ec ? ": " + ec.message() : std::string()));
    return false;
}

std::string OutputClaims::Claim(const std::filesystem::path& out) {
    std::error_code ec;
    const std::filesystem::path key = std::filesystem::weakly_canonical(out, ec);
    if (taken_.insert(ec ? out : key).second) return {};
    return "output " + out.string() + " was already written by an earlier input; skipped";
}

std::string ReportLineUtf8(std::u16string_view line) {
    JwString text;
    text.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (c == u'\r') {
            text += u'\n';
            if (i + 1 < line.size() && line[i + 1] == u'\n') ++i;
        } else if (c == u'\n' || c == u'\t') {
            text += c;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            // Control characters from a file never reach the terminal, where
            // they could act as escape sequences.
            text += u'\uFFFD';
        } else {
            text += c;
        }
    }
    return ToUtf8(text);
}

namespace {

// Columns a code point takes on a terminal: 2 for the East Asian wide and
// full-width ranges, 1 otherwise (control characters do not occur in names
// shown here; they are replaced before).
int CodePointColumns(char32_t c) {
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
        (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000)
        return 2;
    return 1;
}

// text cut so that it takes at most columns terminal columns; control
// characters (a hostile file name) become "?".
std::string FitColumns(std::u16string_view text, int columns) {
    std::u16string kept;
    int used = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        size_t units = 1;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            units = 2;
        }
        const int w = CodePointColumns(c);
        if (used + w > columns) break;
        used += w;
        if (c < 0x20 || c == 0x7F)
            kept += u'?';
        else
            kept.append(text.substr(i, units));
        i += units - 1;
    }
    return ToUtf8(kept);
}

}  // namespace

ProgressLine::ProgressLine(Console& io, size_t total)
    : io_(io), total_(total), enabled_(io.progress && total > 1) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Show(size_t index, std::string_view path) {
    if (!enabled_) return;
    const std::string head = "[" + std::to_string(index) + "/" + std::to_string(total_) + "] ";
    const std::filesystem::path p{std::string(path)};
    const int room = io_.columns - 1 - static_cast<int>(head.size());
    const std::string name = room > 0 ? FitColumns(FromUtf8(p.filename().string()), room) : std::string();
    io_.out.flush();
    // Carriage return, the text, then erase the rest of the old line.
    io_.err << '\r' << head << name << "\x1b[K";
    io_.err.flush();
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!shown_) return;
    io_.out.flush();
    io_.err << "\r\x1b[K";
    io_.err.flush();
    shown_ = false;
}

const std::filesystem::path& PrivateTempFolder::Make() {
    if (path_.empty()) path_ = MakePrivateTempFolder(error_);
    return path_;
}

std::function<JwString(std::string&)> PrivateTempFolder::ImageFolderMaker() {
    return [this](std::string& error) {
        const std::filesystem::path& p = Make();
        error = error_;
        return p.empty() ? JwString() : AddPathDelim(FromNativePath(p));
    };
}

PrivateTempFolder::~PrivateTempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);  // never follows links out of the folder
}

}  // namespace jw::cli
