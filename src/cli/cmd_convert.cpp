// `convert IN OUT` (or `convert IN... --outdir DIR`): reads a drawing or figure and writes it again in a chosen
// format version and text encoding.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>
#include <ostream>

#include "batch_plan.h"
#include "cli_support.h"
#include "command.h"
#include "files/open_file.h"
#include "job_runner.h"
#include "jww/save_losses.h"
#include "jww/versions.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
    std::vector<std::string> files;  // IN OUT, or the inputs with --outdir
    std::string outdir;
    std::string version;   // the text of a format version ("2.20"), or empty: the input's
    std::string encoding;  // "sjis", "utf16", or empty: the input's
    bool recursive = false;  // a folder argument takes its subfolders
    bool purgeUnusedBlocks = false;
    unsigned jobs = 0;
};

// What converting one file said: its exit status and the messages for
// stderr (subject, text), in order.
struct ConvertResult {
    int status = kExitOk;
    std::vector<std::pair<std::string, std::string>> messages;

    int Fail(int code, const std::string& subject, const std::string& text) {
        messages.emplace_back(subject, text);
        status = code;
        return code;
    }
};

std::string WriteFailure(const std::string& error) {
    return "write failed: " + (error.empty() ? std::string("error") : error);
}

// The format version to write: --version, else the input's own (a figure's
// version is adjusted by its writer).
template <class Model>
int32_t TargetVersion(const Model& m, const ConvertOptions& opts) {
    int32_t ver = m.Enthd.jwVer;
    for (const JwFormatVersion& v : kJwFormatVersions)
        if (opts.version == v.text) ver = v.ver;
    return ver;
}

// Writes a drawing or figure read from in; the losses of the chosen version
// and encoding become warnings.
template <class Model>
void WriteModel(Model& m, const ConvertOptions& opts, const std::string& out, ConvertResult& r) {
    const int32_t ver = TargetVersion(m, opts);
    const bool utf16 = opts.encoding.empty() ? m.MojiEncode : opts.encoding == "utf16";
    m.PurgeUnusedBlocks = opts.purgeUnusedBlocks;
    const std::vector<JwSaveLoss> losses = SaveLosses(m, ver, utf16);
    m.SetFileOutOption(utf16 ? kFileOutOptUtf16 : 0);
    if (!m.FileOut(PathText(out), ver)) {
        // The writer leaves an existing file of that name as it was.
        r.Fail(kExitFailed, out, WriteFailure(m.LastError));
        return;
    }
    for (const JwSaveLoss& loss : losses) r.messages.emplace_back(out, "warning: " + SaveLossText(loss));
}

// Converts in to out. Runs on a worker thread.
ConvertResult ConvertOne(const ConvertOptions& opts, const std::string& in, const std::string& out) {
    ConvertResult r;
    const JwFileKind kind = FileKindOf(PathText(in));
    if (kind == JwFileKind::Unsupported) {
        r.Fail(kExitFailed, in, kUnsupportedFileType);
        return r;
    }
    if (kind == JwFileKind::Jwc) {
        r.Fail(kExitFailed, in, "a legacy JWC drawing can be shown (info) but not written");
        return r;
    }
    if (!KindHasVersions(kind) && !(opts.version.empty() && opts.encoding.empty())) {
        r.Fail(kExitUsage, "convert", "--version and --encoding apply to JWW and JWS files only");
        return r;
    }
    if (FileExtLower(PathText(out)) == u".dxf") {
        r.Fail(kExitFailed, out, "a DXF is written by the dxf command: zumenscope-cli dxf IN -o OUT.dxf");
        return r;
    }
    if (FileKindOf(PathText(out)) != kind) {
        r.Fail(kExitFailed, out, "output must have the extension " + ToUtf8(KindExtension(kind)));
        return r;
    }
    if (auto problem = FileProblem(in)) {
        r.Fail(kExitFailed, in, *problem);
        return r;
    }
    if (SamePath(in, out)) {
        r.Fail(kExitFailed, out, "the output would replace the input; nothing written");
        return r;
    }

    // A 7.00 drawing's bound images are extracted into a private folder, so
    // that the writer can store them again, and removed with it afterwards.
    // The folder is made only when there is an image to put in it.
    PrivateTempFolder images;
    TJwFileModels models;
    if (kind == JwFileKind::Jww) {
        TJwwData& m = models.Jww();
        m.BindImageExp = true;
        m.BindImageExr = true;
        m.BindImageFolderMake = images.ImageFolderMaker();
    }
    const TJwFileRead read = ReadJwFile(kind, PathText(in), models);
    if (!read.ok) {
        r.Fail(kExitFailed, in, "read failed: " + ReadFailureText(read) + "; nothing written");
        return r;
    }
    // A bound image that could not be extracted would be missing from a
    // version that holds bound images.
    if (!read.imageErrors.empty() && TargetVersion(*models.JWW1, opts) >= kVerBoundImages) {
        for (const std::string& e : read.imageErrors) r.Fail(kExitFailed, in, e);
        r.Fail(kExitFailed, out, "nothing written: the bound images above would be missing");
        return r;
    }
    if (kind == JwFileKind::Jww) {
        WriteModel(*models.JWW1, opts, out, r);
    } else if (kind == JwFileKind::Jws) {
        WriteModel(*models.JWS, opts, out, r);
    } else if (!models.JWK->FileOut(PathText(out))) {
        // A legacy JWK figure is written back as a JWK figure (the format
        // has neither versions nor a choice of encoding).
        r.Fail(kExitFailed, out, WriteFailure(models.JWK->LastError));
    }
    return r;
}

int RunConvert(const ConvertOptions& opts, Console& io) {
    // IN OUT, or IN... --outdir DIR (each written there under its own name,
    // a folder's drawings and figures keeping its subfolders). Without
    // --outdir a folder would be written over itself.
    BatchRequest plan;
    plan.command = "convert";
    plan.recursive = opts.recursive;
    plan.outdir = opts.outdir;
    if (opts.outdir.empty()) {
        std::error_code ec;
        if (opts.files.size() != 2 || fs::is_directory(fs::path(opts.files[0]), ec)) {
            Complain(io, "convert", "give IN OUT, or IN... --outdir DIR");
            return kExitUsage;
        }
        plan.args = {opts.files[0]};
        plan.out = opts.files[1];
    } else {
        plan.args = opts.files;
    }
    std::vector<BatchJob> jobs;
    if (!PlanBatch(plan, io, jobs)) return kExitUsage;
    if (!MakeBatchFolders(io, opts.outdir, jobs)) return kExitFailed;

    int status = kExitOk;
    RunInOrder<ConvertResult>(
        io, BatchNames(jobs), opts.jobs,
        [&](size_t i) {
            const BatchJob& job = jobs[i];
            if (job.error.empty()) return ConvertOne(opts, job.in, job.out.string());
            ConvertResult r;
            r.Fail(kExitFailed, job.in, job.error);
            return r;
        },
        [&](size_t, ConvertResult& r) {
            for (const auto& [subject, text] : r.messages) Complain(io, subject, text);
            status = std::max(status, r.status);
        });
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto opts = std::make_shared<ConvertOptions>();
    sub.add_option("IN OUT", opts->files,
                   "Drawing (.jww) or figure (.jws, legacy .jwk) to read and the file to write (same kind of\n"
                   "extension); with --outdir, the drawings to read")
        ->required()
        ->type_name("");
    sub.add_option("--outdir", opts->outdir,
                   "Write each input into DIR under its own name; a folder stands for the drawings and figures in "
                   "it, its subfolders kept below DIR");
    sub.add_flag("-r,--recursive", opts->recursive, "A folder argument takes the drawings of its subfolders too");
    AddJobsOption(sub, opts->jobs);
    std::vector<std::string> names;
    for (const JwFormatVersion& v : kJwFormatVersions) names.emplace_back(v.text);
    sub.add_option("--version", opts->version, "Format version to write (default: the version of IN)")
        ->check(CLI::IsMember(names));
    sub.add_option("--encoding", opts->encoding, "Text encoding of the strings (default: that of IN)")
        ->check(CLI::IsMember({"sjis", "utf16"}));
    sub.add_flag("--purge-unused-blocks", opts->purgeUnusedBlocks,
                 "Leave out the block definitions no insert uses (kept by default)");
    sub.footer(
        "A figure (.jws) is written as version 2.30 for 2.20-2.30 and as 3.51 for 3.00.\n"
        "Writing an older version drops what that version cannot hold (bound images below\n"
        "7.00, extended colours and line types below 4.20, ...); what is lost is named on\n"
        "stderr as warnings. Block definitions no insert uses are kept unless\n"
        "--purge-unused-blocks leaves them out (a warning says how many).\n"
        "Bound images of a 7.00 drawing are kept when writing 7.00.\n"
        "A legacy JWK figure (.jwk) is written again as JWK, without --version or --encoding.\n"
        "OUT must have the extension of IN's kind (.jww, .jws or .jwk, any letter case);\n"
        "otherwise nothing is written (a DXF is made by the dxf command). An existing OUT is\n"
        "replaced only by a complete file. With --outdir several inputs, or the drawings\n"
        "and figures of a folder, convert at once.\n"
        "Exit status: 0 written, 1 IN could not be read, has an unsupported type or OUT the\n"
        "wrong extension, or OUT could not be written (nothing written), 2 usage error.");
    return [opts](Console& io) { return RunConvert(*opts, io); };
}

const CommandRegistrar registrar({"convert", "Write a drawing or figure in another version or encoding", 20, Setup});

}  // namespace

}  // namespace jw::cli
