// `info FILE...`: the header report of each drawing or figure, or with --json
// one JSON object per file.
#include <filesystem>
#include <ostream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "command.h"
#include "jww/drawing_summary.h"
#include "legacy/jwc_data.h"
#include "legacy/jwk_data.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"
#include "viewer/header_report.h"

namespace jw::cli {

namespace {

struct InfoOptions {
    std::vector<std::string> files;
    bool json = false;
};

// What info learned about one file.
struct FileInfo {
    bool opened = false;  // a model was read, completely or in part
    bool ok = false;      // read completely
    std::string error;    // why not, when !ok
    std::vector<JwString> report;  // text mode
    nlohmann::ordered_json summary;  // JSON mode: the drawing summary fields
};

// Reads the file into m; then the text report (report) or the JSON fields
// (toJson) of what was read.
template <class Model, class Report, class ToJson>
void ReadModel(Model& m, std::string_view path, bool json, Report report, ToJson toJson, FileInfo& info) {
    const JwString name = PathText(path);
    info.opened = true;
    info.ok = m.FileIn(name);
    if (!info.ok) info.error = m.LastError.empty() ? std::string("read failed") : m.LastError;
    if (json)
        info.summary = toJson(m);
    else
        info.report = report(m, name);
}

// The JSON fields of a JWW drawing or JWS figure: its drawing summary.
template <class Model>
nlohmann::ordered_json DrawingJson(const Model& m) {
    return SummaryToJson(SummarizeDrawing(m));
}

// The report of a legacy drawing or figure: the file name, a rule, then the
// model's summary lines.
template <class Legacy>
std::vector<JwString> LegacyReport(const Legacy& m, const JwString& name) {
    std::vector<JwString> lines{u"ファイル名：" + name, JwString(40, u'-')};
    for (JwString& line : m.SummaryLines()) lines.push_back(std::move(line));
    return lines;
}

// The JSON fields of a legacy drawing or figure. Its strings are always
// single-byte Shift-JIS; it has no format version, memo or blocks.
template <class Legacy>
nlohmann::ordered_json LegacyJson(const Legacy& m) {
    const TLegacySummary s = m.Summary();
    nlohmann::ordered_json j;
    j["format"] = s.format == "JWC" ? "jwc" : "jwk";
    j["version"] = nullptr;
    j["encoding"] = "sjis";
    j["id"] = ToUtf8(s.jwID);
    j["comments"] = {ToUtf8(s.comment1), ToUtf8(s.comment2)};
    // Entities read, and the counts the header states.
    j["counts"] = {{"line", s.lineN}, {"arc", s.arcN}, {"point", s.tenN}, {"text", s.mojiN}};
    j["stated_counts"] = {{"line", s.lineCount}, {"arc", s.arcCount}, {"point", s.tenCount}, {"text", s.mojiCount}};
    // Texts in file order, digested as for a JWW drawing.
    TextDigest texts;
    const size_t n = HeldCount(m.EntMoji, m.mojiN);
    for (size_t i = 0; i < n; ++i) texts.Add(m.EntMoji[i].s);
    j["text_sha1"] = texts.Hex();
    return j;
}

template <class Legacy>
void ReadLegacy(std::string_view path, bool json, FileInfo& info) {
    Legacy m;
    ReadModel(m, path, json, LegacyReport<Legacy>, LegacyJson<Legacy>, info);
}

FileInfo ReadForInfo(std::string_view path, bool json) {
    FileInfo info;
    const FileKind kind = KindOfPath(path);
    if (kind == FileKind::Unsupported) {
        info.error = kUnsupportedType;
        return info;
    }
    if (auto problem = FileProblem(path)) {
        info.error = *problem;
        return info;
    }
    switch (kind) {
        case FileKind::Jww: {
            TJwwData m;
            // List the bound images without extracting anything.
            m.BindImageExp = false;
            m.BindImageExr = true;
            ReadModel(m, path, json, JwwHeaderReport, DrawingJson<TJwwData>, info);
            break;
        }
        case FileKind::Jws: {
            TJwsData m;
            ReadModel(m, path, json, JwsHeaderReport, DrawingJson<TJwsData>, info);
            break;
        }
        case FileKind::Jwc: ReadLegacy<TJwcData>(path, json, info); break;
        case FileKind::Jwk: ReadLegacy<TJwkData>(path, json, info); break;
        case FileKind::Unsupported: break;
    }
    return info;
}

std::string JsonLine(std::string_view path, const FileInfo& info) {
    nlohmann::ordered_json j;
    j["file"] = std::string(path);
    j["ok"] = info.ok;
    j["error"] = info.ok ? nlohmann::ordered_json() : nlohmann::ordered_json(info.error);
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
    int status = kExitOk;
    bool reportShown = false;
    ProgressLine progress(io, opts.files.size());
    for (size_t i = 0; i < opts.files.size(); ++i) {
        const std::string& path = opts.files[i];
        progress.Show(i + 1, path);
        const FileInfo info = ReadForInfo(path, opts.json);
        progress.Clear();
        if (opts.json) {
            io.out << JsonLine(path, info) << '\n';
        } else if (info.opened) {
            if (reportShown) io.out << '\n';
            for (const JwString& line : info.report) io.out << ReportLineUtf8(line) << '\n';
            reportShown = true;
        }
        if (!info.ok) {
            status = kExitFailed;
            Complain(io, path, info.opened ? "read failed: " + info.error : info.error);
        }
    }
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto opts = std::make_shared<InfoOptions>();
    sub.add_flag("--json", opts->json, "One JSON object per file, one per line, instead of the report");
    sub.add_option("FILE", opts->files,
                   "Drawings (.jww, legacy .jwc) and figures (.jws, legacy .jwk); the extension decides")
        ->required();
    sub.footer(
        "Prints the header report of each file in UTF-8, files separated by a blank line.\n"
        "Bound images are listed, never extracted. A file that fails to read still shows what\n"
        "was read, and a message naming the file and the reader's failure goes to stderr.\n"
        "JSON fields: file, ok, error (null or the failure), format, version, encoding\n"
        "(sjis/utf16), memo, n1, counts, block_definitions, bound_images, text_sha1, size.\n"
        "A legacy .jwc/.jwk file gives format, version null, encoding, id, comments, counts\n"
        "(read), stated_counts (header), text_sha1 and size.\n"
        "Exit status: 0 every file read completely, 1 a file could not be read (or has\n"
        "another extension), 2 usage error.");
    return [opts](Console& io) { return RunInfo(*opts, io); };
}

const CommandRegistrar registrar({"info", "Show the header report of drawings and figures", 10, Setup});

}  // namespace

}  // namespace jw::cli
