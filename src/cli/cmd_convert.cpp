// `convert IN OUT`: reads a drawing or figure and writes it again in a chosen
// format version and text encoding.
#include <array>
#include <optional>
#include <ostream>

#include "cli_support.h"
#include "command.h"
#include "legacy/jwk_data.h"
#include "model/jw_data.h"
#include "support/paths.h"

namespace jw::cli {

namespace {

// The format versions a file can be written in: the name on the command line
// and the number the writer takes.
struct VersionChoice {
    const char* name;
    int32_t ver;
};
constexpr std::array<VersionChoice, 9> kVersions = {{
    {"2.20", 220}, {"2.23", 223}, {"2.25", 225}, {"2.30", 230}, {"3.00", 300},
    {"3.51", 351}, {"4.20", 420}, {"6.00", 600}, {"7.00", 700},
}};

// The writer option that selects UTF-16 strings.
constexpr int32_t kOptUtf16 = 0x20;

struct ConvertOptions {
    std::string in, out;
    std::string version;   // one of kVersions' names, or empty: the input's
    std::string encoding;  // "sjis", "utf16", or empty: the input's
};

// Writes a model read from opts.in; answers the exit status.
template <class Model>
int WriteModel(Model& m, const ConvertOptions& opts, Console& io) {
    int32_t ver = m.Enthd.jwVer;  // a figure's version is adjusted by its writer
    for (const VersionChoice& v : kVersions)
        if (opts.version == v.name) ver = v.ver;
    const bool utf16 = opts.encoding.empty() ? m.MojiEncode : opts.encoding == "utf16";
    m.SetFileOutOption(utf16 ? kOptUtf16 : 0);
    if (!m.FileOut(PathText(opts.out), ver)) {
        // The writer leaves an existing file of that name as it was.
        Complain(io, opts.out, "write failed: " + (m.LastError.empty() ? std::string("error") : m.LastError));
        return kExitFailed;
    }
    return kExitOk;
}

template <class Model>
bool ReadModel(Model& m, const ConvertOptions& opts, Console& io) {
    if (m.FileIn(PathText(opts.in))) return true;
    Complain(io, opts.in,
             "read failed: " + (m.LastError.empty() ? std::string("error") : m.LastError) + "; nothing written");
    return false;
}

// A legacy JWK figure is written back as a JWK figure (the format has neither
// versions nor a choice of encoding).
int ConvertJwk(const ConvertOptions& opts, Console& io) {
    TJwkData m;
    if (!ReadModel(m, opts, io)) return kExitFailed;
    if (!m.FileOut(PathText(opts.out))) {
        Complain(io, opts.out, "write failed: " + (m.LastError.empty() ? std::string("error") : m.LastError));
        return kExitFailed;
    }
    return kExitOk;
}

int RunConvert(const ConvertOptions& opts, Console& io) {
    const FileKind kind = KindOfPath(opts.in);
    if (kind == FileKind::Unsupported) {
        Complain(io, opts.in, kUnsupportedType);
        return kExitFailed;
    }
    if (kind == FileKind::Jwc) {
        Complain(io, opts.in, "a legacy JWC drawing can be shown (info) but not written");
        return kExitFailed;
    }
    if (kind == FileKind::Jwk && !(opts.version.empty() && opts.encoding.empty())) {
        Complain(io, "convert", "--version and --encoding apply to JWW and JWS files only");
        return kExitUsage;
    }
    if (KindOfPath(opts.out) != kind) {
        Complain(io, opts.out, std::string("output must have the extension ") + KindExtension(kind));
        return kExitFailed;
    }
    if (auto problem = FileProblem(opts.in)) {
        Complain(io, opts.in, *problem);
        return kExitFailed;
    }

    if (kind == FileKind::Jwk) return ConvertJwk(opts, io);
    if (kind == FileKind::Jws) {
        TJwsData m;
        if (!ReadModel(m, opts, io)) return kExitFailed;
        return WriteModel(m, opts, io);
    }

    // A 7.00 drawing's bound images are extracted into a private folder, so
    // that the writer can store them again, and removed with it afterwards.
    PrivateTempFolder images;
    if (!images.ok()) {
        Complain(io, opts.in, images.error());
        return kExitFailed;
    }
    TJwwData m;
    m.BindImageExp = true;
    m.BindImageExr = true;
    m.BindImageFolder = AddPathDelim(FromNativePath(images.path()));
    if (!ReadModel(m, opts, io)) return kExitFailed;
    return WriteModel(m, opts, io);
}

CommandAction Setup(CLI::App& sub) {
    auto opts = std::make_shared<ConvertOptions>();
    sub.add_option("IN", opts->in, "Drawing (.jww) or figure (.jws, legacy .jwk) to read")->required();
    sub.add_option("OUT", opts->out, "File to write; same kind of extension as IN")->required();
    std::vector<std::string> names;
    for (const VersionChoice& v : kVersions) names.emplace_back(v.name);
    sub.add_option("--version", opts->version, "Format version to write (default: the version of IN)")
        ->check(CLI::IsMember(names));
    sub.add_option("--encoding", opts->encoding, "Text encoding of the strings (default: that of IN)")
        ->check(CLI::IsMember({"sjis", "utf16"}));
    sub.footer(
        "A figure (.jws) is written as version 2.30 for 2.20-2.30 and as 3.51 for 3.00.\n"
        "Writing an older version drops what that version cannot hold (bound images below\n"
        "7.00, extended colours and line types below 4.20, ...). Bound images of a 7.00\n"
        "drawing are kept when writing 7.00.\n"
        "A legacy JWK figure (.jwk) is written again as JWK, without --version or --encoding.\n"
        "OUT must have the extension of IN's kind (.jww, .jws or .jwk, any letter case);\n"
        "otherwise nothing is written. An existing OUT is replaced only by a complete file.\n"
        "Exit status: 0 written, 1 IN could not be read, has an unsupported type or OUT the\n"
        "wrong extension, or OUT could not be written (nothing written), 2 usage error.");
    return [opts](Console& io) { return RunConvert(*opts, io); };
}

const CommandRegistrar registrar({"convert", "Write a drawing or figure in another version or encoding", 20, Setup});

}  // namespace

}  // namespace jw::cli
