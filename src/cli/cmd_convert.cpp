// `convert IN OUT`: reads a drawing or figure and writes it again in a chosen
// format version and text encoding.
#include <optional>
#include <ostream>

#include "cli_support.h"
#include "command.h"
#include "files/open_file.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw::cli {

namespace {

struct ConvertOptions {
    std::string in, out;
    std::string version;   // the text of a format version ("2.20"), or empty: the input's
    std::string encoding;  // "sjis", "utf16", or empty: the input's
};

std::string WriteFailure(const std::string& error) {
    return "write failed: " + (error.empty() ? std::string("error") : error);
}

// Writes a drawing or figure read from opts.in; answers the exit status.
template <class Model>
int WriteModel(Model& m, const ConvertOptions& opts, Console& io) {
    int32_t ver = m.Enthd.jwVer;  // a figure's version is adjusted by its writer
    for (const JwFormatVersion& v : kJwFormatVersions)
        if (opts.version == v.text) ver = v.ver;
    const bool utf16 = opts.encoding.empty() ? m.MojiEncode : opts.encoding == "utf16";
    m.SetFileOutOption(utf16 ? kFileOutOptUtf16 : 0);
    if (!m.FileOut(PathText(opts.out), ver)) {
        // The writer leaves an existing file of that name as it was.
        Complain(io, opts.out, WriteFailure(m.LastError));
        return kExitFailed;
    }
    return kExitOk;
}

int RunConvert(const ConvertOptions& opts, Console& io) {
    const JwFileKind kind = FileKindOf(PathText(opts.in));
    if (kind == JwFileKind::Unsupported) {
        Complain(io, opts.in, kUnsupportedFileType);
        return kExitFailed;
    }
    if (kind == JwFileKind::Jwc) {
        Complain(io, opts.in, "a legacy JWC drawing can be shown (info) but not written");
        return kExitFailed;
    }
    if (!KindHasVersions(kind) && !(opts.version.empty() && opts.encoding.empty())) {
        Complain(io, "convert", "--version and --encoding apply to JWW and JWS files only");
        return kExitUsage;
    }
    if (FileKindOf(PathText(opts.out)) != kind) {
        Complain(io, opts.out, "output must have the extension " + ToUtf8(KindExtension(kind)));
        return kExitFailed;
    }
    if (auto problem = FileProblem(opts.in)) {
        Complain(io, opts.in, *problem);
        return kExitFailed;
    }

    // A 7.00 drawing's bound images are extracted into a private folder, so
    // that the writer can store them again, and removed with it afterwards.
    std::optional<PrivateTempFolder> images;
    TJwFileModels models;
    if (kind == JwFileKind::Jww) {
        images.emplace();
        if (!images->ok()) {
            Complain(io, opts.in, images->error());
            return kExitFailed;
        }
        TJwwData& m = models.Jww();
        m.BindImageExp = true;
        m.BindImageExr = true;
        m.BindImageFolder = AddPathDelim(FromNativePath(images->path()));
    }
    const TJwFileRead read = ReadJwFile(kind, PathText(opts.in), models);
    if (!read.ok) {
        Complain(io, opts.in, "read failed: " + read.error + "; nothing written");
        return kExitFailed;
    }
    if (kind == JwFileKind::Jww) return WriteModel(*models.JWW1, opts, io);
    if (kind == JwFileKind::Jws) return WriteModel(*models.JWS, opts, io);
    // A legacy JWK figure is written back as a JWK figure (the format has
    // neither versions nor a choice of encoding).
    if (!models.JWK->FileOut(PathText(opts.out))) {
        Complain(io, opts.out, WriteFailure(models.JWK->LastError));
        return kExitFailed;
    }
    return kExitOk;
}

CommandAction Setup(CLI::App& sub) {
    auto opts = std::make_shared<ConvertOptions>();
    sub.add_option("IN", opts->in, "Drawing (.jww) or figure (.jws, legacy .jwk) to read")->required();
    sub.add_option("OUT", opts->out, "File to write; same kind of extension as IN")->required();
    std::vector<std::string> names;
    for (const JwFormatVersion& v : kJwFormatVersions) names.emplace_back(v.text);
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
