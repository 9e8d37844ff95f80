// `info FILE...`: the header report of each drawing or figure, or with --json
// one JSON object per file.
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "batch_plan.h"
#include "cli_support.h"
#include "command.h"
#include "files/open_file.h"
#include "job_runner.h"
#include "report/file_report.h"
#include "report/layout_summary.h"

namespace jw::cli {

namespace {

struct InfoOptions {
    std::vector<std::string> files;
    bool json = false;
    bool recursive = false;  // a folder argument takes its subfolders
    unsigned jobs = 0;
};

// What info learned about one file.
struct FileInfo {
    bool opened = false;  // a model was read, completely or in part
    bool ok = false;      // read completely
    std::string error;    // why not, when !ok
    std::string detail;   // where and what, when the reader knows
    std::string failure;  // both, as the message says it
    std::vector<JwString> report;  // text mode
    nlohmann::ordered_json summary;  // JSON mode: the summary fields
};

FileInfo ReadForInfo(std::string_view path, bool json) {
    FileInfo info;
    const JwString name = PathText(path);
    const JwFileKind kind = FileKindOf(name);
    if (kind == JwFileKind::Unsupported) {
        info.error = kUnsupportedFileType;
        return info;
    }
    if (auto problem = FileProblem(path)) {
        info.error = *problem;
        return info;
    }
    TJwFileModels models;
    // List a drawing's bound images without extracting anything.
    models.Jww().BindImageExp = false;
    models.Jww().BindImageExr = true;
    const TJwFileRead read = ReadJwFile(kind, name, models);
    info.opened = true;
    info.ok = read.ok;
    info.error = read.error;
    info.detail = read.detail;
    info.failure = ReadFailureText(read);
    // A drawing or figure: its layer groups, paper and extents after the
    // header report; a legacy report states its own layer-group scales.
    std::optional<LayoutSummary> layout;
    if (kind == JwFileKind::Jww) layout = SummarizeLayout(*models.JWW1);
    if (kind == JwFileKind::Jws) layout = SummarizeLayout(*models.JWS);
    if (json) {
        info.summary = FileSummaryJson(read, models);
        if (layout) {
            nlohmann::ordered_json more = LayoutToJson(*layout);
            for (auto& [key, value] : more.items()) info.summary[key] = std::move(value);
        }
    } else {
        info.report = FileReport(read, models, name);
        if (layout) {
            std::vector<JwString> lines = LayoutReportLines(*layout);
            info.report.insert(info.report.end(), lines.begin(), lines.end());
        }
    }
    return info;
}

std::string JsonLine(std::string_view path, const FileInfo& info) {
    nlohmann::ordered_json j;
    j["file"] = std::string(path);
    j["ok"] = info.ok;
    j["error"] = info.ok ? nlohmann::ordered_json() : nlohmann::ordered_json(info.error);
    j["detail"] = info.detail.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(info.detail);
    if (info.opened) {
        for (const auto& [key, value] : info.summary.items()) j[key] = value;
        std::error_code ec;
        const auto size = std::filesystem::file_size(std::filesystem::path(path), ec);
        if (!ec) j["size"] = size;
    } else {
        j["format"] = nullptr;
    }
    // Names from the command line need not be valid UTF-8: replace, never throw.
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

int RunInfo(const InfoOptions& opts, Console& io) {
    BatchRequest plan;
    plan.command = "info";
    plan.args = opts.files;
    plan.recursive = opts.recursive;
    plan.outputs = false;
    std::vector<BatchJob> jobs;
    if (!PlanBatch(plan, io, jobs)) return kExitUsage;
    int status = kExitOk;
    bool reportShown = false;
    RunInOrder<FileInfo>(
        io, BatchNames(jobs), opts.jobs,
        [&](size_t i) {
            if (jobs[i].error.empty()) return ReadForInfo(jobs[i].in, opts.json);
            FileInfo info;
            info.error = jobs[i].error;
            return info;
        },
        [&](size_t i, FileInfo& info) {
            const std::string& path = jobs[i].in;
            if (opts.json) {
                io.out << JsonLine(path, info) << '\n';
            } else if (info.opened) {
                if (reportShown) io.out << '\n';
                for (const JwString& line : info.report) io.out << ReportLineUtf8(line) << '\n';
                reportShown = true;
            }
            if (!info.ok) {
                status = kExitFailed;
                Complain(io, path, info.opened ? "read failed: " + info.failure : info.error);
            }
        });
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto opts = std::make_shared<InfoOptions>();
    sub.add_flag("--json", opts->json, "One JSON object per file, one per line, instead of the report");
    sub.add_flag("-r,--recursive", opts->recursive, "A folder argument takes the drawings of its subfolders too");
    AddJobsOption(sub, opts->jobs);
    sub.add_option("FILE", opts->files,
                   "Drawings (.jww, legacy .jwc) and figures (.jws, legacy .jwk); the extension decides; a "
                   "folder stands for the drawings (.jww) and figures (.jws) in it")
        ->required();
    sub.footer(
        "Prints the header report of each file in UTF-8, files separated by a blank line; after\n"
        "it, for a drawing, its paper, extents and layer groups with their layers (those with\n"
        "entities or a name; the others are counted).\n"
        "Bound images are listed, never extracted. A file that fails to read still shows what\n"
        "was read, and a message naming the file and the reader's failure goes to stderr.\n"
        "JSON fields: file, ok, error (null or the failure), detail (null or where and what\n"
        "failed: section, record, byte offset), format, version, encoding\n"
        "(sjis/utf16), memo, n1, counts, block_definitions, bound_images, text_sha1,\n"
        "layer_groups (each: number, code, name, scale, state 0 hidden 1 display only 2 editable\n"
        "3 write, write, protect, entities, layers with entities or a name (code \"0-0\" ... \"F-F\",\n"
        "name, state, write, protect, entities), empty_layers), paper (code, name, width and\n"
        "height in mm), extents (paper_mm: min_x, min_y, max_x, max_y from the paper's centre;\n"
        "real: the same times the scale of each layer group with entities; null without\n"
        "entities), size. A figure (.jws) has null layer_groups, paper and extents.\n"
        "A legacy .jwc/.jwk file gives format, version null, encoding, id, comments, counts\n"
        "(read), stated_counts (header), text_sha1 and size.\n"
        "A file that does not begin with the signature of its extension's kind gets no report,\n"
        "only \"not a JWW drawing\" (JWS figure, JWC drawing, JWK figure).\n"
        "Exit status: 0 every file read completely, 1 a file could not be read (or has\n"
        "another extension), 2 usage error.");
    return [opts](Console& io) { return RunInfo(*opts, io); };
}

const CommandRegistrar registrar({"info", "Show the header report of drawings and figures", 10, Setup});

}  // namespace

}  // namespace jw::cli
