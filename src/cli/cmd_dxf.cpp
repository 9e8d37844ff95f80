// `dxf IN... [-o OUT | --outdir DIR]`: exports drawings (and figures) as DXF
// R12, 2000 or 2007 with Jw_cad's text variables expanded.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "attributes/gra_attribute.h"
#include "batch_plan.h"
#include "cli_support.h"
#include "command.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "files/open_file.h"
#include "job_runner.h"
#include "support/jw_settings.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

struct DxfOptions {
    std::vector<std::string> files;
    std::string out, outdir;
    bool recursive = false;
    std::string release = "2007";
    int space = 0;
    std::optional<int> scaleGroup;
    std::string paper;  // "WxH" in mm, a paper name or code, or empty: the drawing's paper size
    int layerNames = 0;
    int points = 0;
    double pointRadius = 0.5;
    int textStyle = 0;
    bool noVars = false;
    bool noCodes = false;
    bool noLinkedImages = false;
    bool joinLines = false;
    bool dimensions = false;
    std::string appName = "zumenscope";
    unsigned jobs = 0;
};

// The releases --release takes: the name it stands for, its other common
// spellings (any letter case), and the number the export takes for it.
struct DxfRelease {
    const char* name;
    const char* spellings[2];  // the AutoCAD release and the drawing-database version
    int32_t ver;
};
constexpr DxfRelease kReleases[] = {
    {"r12", {"r12", "ac1009"}, kDxfR12},
    {"2000", {"r2000", "ac1015"}, kDxf2000},
    {"2007", {"r2007", "ac1021"}, kDxf2007},
};

// The largest point radius (mm) --point-radius takes.
constexpr double kMaxPointRadius = 1000;

// --release: any spelling of a release, in any letter case, becomes its name;
// any other text is refused with the names.
CLI::Validator ReleaseNames() {
    auto check = [](std::string& input) -> std::string {
        std::string text;
        for (char c : input) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const DxfRelease& r : kReleases)
            if (text == r.name || text == r.spellings[0] || text == r.spellings[1]) {
                input = r.name;
                return {};
            }
        return input + " is not a DXF release: give r12 (AC1009), 2000 (R2000, AC1015) or 2007 (R2007, AC1021)";
    };
    return CLI::Validator(check, "r12|2000|2007", "RELEASE");
}

// The number of a release name that the option check let through.
int32_t ReleaseOf(const std::string& r) {
    int32_t ver = kDxf2007;
    for (const DxfRelease& d : kReleases)
        if (r == d.name) ver = d.ver;
    return ver;
}

// Width and height of the paper in mm.
using PaperSize = std::pair<double, double>;

// The paper of --paper: "420x297" (also with "X" or "*", both sizes positive
// and finite), a name A0-A4 in any letter case, or a Jw_cad paper code (0-4
// for A0-A4, 8-14 for 2A-5A, 10 m, 50 m, 100 m).
std::optional<PaperSize> ParsePaper(const std::string& s) {
    std::string text;
    for (char c : s) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text.size() == 2 && text[0] == 'a' && text[1] >= '0' && text[1] <= '4') text.erase(0, 1);
    if (!text.empty() && text.size() <= 2 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int32_t code = std::stoi(text);
        if (PaperWidth(code) <= 0) return std::nullopt;
        return PaperSize{PaperWidth(code), PaperHeight(code)};
    }
    const size_t x = text.find_first_of("x*");
    if (x == std::string::npos) return std::nullopt;
    double w = 0, h = 0;
    try {
        size_t n1 = 0, n2 = 0;
        const std::string a = text.substr(0, x), b = text.substr(x + 1);
        w = std::stod(a, &n1);
        h = std::stod(b, &n2);
        if (n1 != a.size() || n2 != b.size()) return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    if (!(std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0)) return std::nullopt;
    return PaperSize{w, h};
}

// The program-wide values the export reads, as the window sets them up at
// start (display attributes, reference file of user variables); the previous
// attribute pointer comes back when the command ends. They are set before
// the jobs start and only read by them.
class ExportSession {
public:
    ExportSession() : previous_(JwGraAttr) {
        JwAppPath = ProgramFolder();
        JwDefMojiTypeInit();
        JwGlobalInit();
        JwGraAttrSetup(attr_);
        JwGraAttr = &attr_;
        JwRefFileName.clear();
        GetRefFileName(DefaultJwwPath());
        RefFileOpen();
    }
    ~ExportSession() { JwGraAttr = previous_; }
    ExportSession(const ExportSession&) = delete;
    ExportSession& operator=(const ExportSession&) = delete;

private:
    TgraAttribute attr_;
    TgraAttribute* previous_;
};

// The export settings of the calling thread for one job.
void SetExportSettings(const DxfOptions& o) {
    DxfOutSpace = o.space;
    DxfOutAppName = FromUtf8(o.appName);
    DxfOutLayerNameType = o.layerNames;
    DxfOutTenType = o.points;
    DxfOutTenRadius = o.pointRadius;
    DxfOutMojiStyle = o.textStyle;
    DxfOutMojiExp1 = !o.noVars;
    DxfOutMojiExp2 = !o.noCodes;
    DxfOutJoinLines = o.joinLines;
    DxfOutDimension = o.dimensions;
    DxfOutNoLinkedImages = o.noLinkedImages;
}

// What exporting one file said: whether every part of it succeeded, and the
// messages for stderr in order (failures, and warnings beginning "warning: ").
struct Outcome {
    bool ok = true;
    std::vector<std::string> messages;
    void Fail(std::string text) {
        ok = false;
        messages.push_back(std::move(text));
    }
};

// Exports one file on paper (the drawing's paper size when none). Runs on a
// worker thread.
void ExportOne(const DxfOptions& o, const std::optional<PaperSize>& paper, const std::string& in, const fs::path& out,
               Outcome& r) {
    // Bound images of a 7.00 drawing go to a private folder, made when there
    // is one, so that the export can copy them beside the DXF; the folder
    // goes with this object.
    PrivateTempFolder images;
    TJwFileModels models;
    std::string error;
    std::vector<std::string> imageErrors;
    if (!ReadDrawingForExport(in, out, images, models, "exported", error, imageErrors)) {
        r.Fail(error);
        return;
    }
    TJwwData& dwg = models.Jww();
    // An image that could not be extracted is missing beside the DXF.
    for (const std::string& e : imageErrors) r.Fail(e);

    SetExportSettings(o);
    double pw = 0, ph = 0;
    if (paper)
        std::tie(pw, ph) = *paper;
    else
        dwg.GetPaperSize(pw, ph);
    DxfOutPaperX = pw;
    DxfOutPaperY = ph;
    // Print-origin texts give frames of the printed area: the paper.
    DxfOutPrintX = pw;
    DxfOutPrintY = ph;
    // The export keeps the group to 0-15.
    DxfOutScaleGroup = o.scaleGroup ? *o.scaleGroup : dwg.Enthd.nWriteGLay;
    ZahyoMinX = ZahyoMinY = ZahyoMaxX = ZahyoMaxY = 0;
    dwg.GetMinMaxZahyo();

    const JwString target = FromNativePath(out);
    const bool ok = dwg.FileOutDXF(target, ReleaseOf(o.release));
    // The extracted images (both forms) go now, the folder with `images`.
    dwg.BindImageDeleteGzFile();
    dwg.BindImageDeleteNonGzFile();
    for (const std::string& w : dwg.DxfWarnings) r.messages.push_back("warning: " + w);
    if (!ok) r.Fail("write failed: " + dwg.LastError);
}

int RunDxf(const DxfOptions& o, Console& io) {
    if (!o.out.empty() && !o.outdir.empty()) {
        Complain(io, "dxf", "give either -o OUT (one input) or --outdir DIR, not both");
        return kExitUsage;
    }
    if (!o.out.empty() && FileExtLower(PathText(o.out)) != u".dxf") {
        Complain(io, o.out, "-o must name a .dxf file");
        return kExitUsage;
    }
    std::optional<PaperSize> paper;
    if (!o.paper.empty()) {
        paper = ParsePaper(o.paper);
        if (!paper) {
            Complain(io, "dxf", "--paper wants WIDTHxHEIGHT in mm (e.g. 420x297), A0-A4 or a Jw_cad paper code");
            return kExitUsage;
        }
    }
    BatchRequest plan;
    plan.command = "dxf";
    plan.args = o.files;
    plan.recursive = o.recursive;
    plan.extension = ".dxf";
    plan.out = o.out;
    plan.outdir = o.outdir;
    std::vector<BatchJob> jobs;
    if (!PlanBatch(plan, io, jobs)) return kExitUsage;
    if (!MakeBatchFolders(io, o.outdir, jobs)) return kExitFailed;

    ExportSession session;
    int status = kExitOk;
    RunInOrder<Outcome>(
        io, BatchNames(jobs), o.jobs,
        [&](size_t i) {
            Outcome r;
            const BatchJob& job = jobs[i];
            if (!job.error.empty())
                r.Fail(job.error);
            else
                ExportOne(o, paper, job.in, job.out, r);
            return r;
        },
        [&](size_t i, Outcome& r) {
            if (!r.ok) status = kExitFailed;
            for (const std::string& m : r.messages) Complain(io, jobs[i].in, m);
        });
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto o = std::make_shared<DxfOptions>();
    sub.add_option("IN", o->files,
                   "Drawings (.jww) or figures (.jws) to export; a folder stands for the drawings in it")
        ->required();
    sub.add_option("-o,--output", o->out, "DXF file to write (one input only; must end in .dxf)");
    sub.add_option("--outdir", o->outdir,
                   "Folder for the DXF files, named <input stem>.dxf (default: beside each input)");
    sub.add_flag("-r,--recursive", o->recursive, "A folder argument takes the drawings of its subfolders too");
    sub.add_option("--release", o->release,
                   "DXF release r12, 2000 or 2007 (default 2007); also R12, R2000, R2007 or AC1009, AC1015, "
                   "AC1021, in any letter case")
        ->transform(ReleaseNames());
    sub.add_option("--space", o->space,
                   "0 model space only (default); 1 paper space with a viewport per layer-group scale; 2 a layout "
                   "per drawing frame (frame lines, print-origin texts, else the paper) with the reference group's "
                   "entities 1:1 inside it")
        ->check(NumberRange(0, 2));
    sub.add_option("--scale-group", o->scaleGroup,
                   "Layer group 0-15 whose scale is the model-space scale (default: the drawing's write group)")
        ->check(NumberRange(0, 15));
    sub.add_option("--paper", o->paper,
                   "Paper WIDTHxHEIGHT in mm, A0-A4, or a Jw_cad paper code 0-4, 8-14 (default: the drawing's)");
    sub.add_option("--layer-names", o->layerNames,
                   "Layer names: 0 numbers 1-256 (default), 1 the layer names, 2 group name-layer name")
        ->check(NumberRange(0, 2));
    auto* points = sub.add_option("--points", o->points,
                                  "Points: 0 POINT (default), 1 circle, 2-6 symbol block (2 circles, circle with "
                                  "cross, diamond, filled diamond, filled disc)")
                       ->check(NumberRange(0, 6));
    sub.add_option("--point-radius", o->pointRadius,
                   "Radius in mm of point symbols and of temporary points (default 0.5)")
        ->check(NumberRange(0, kMaxPointRadius, {}, true))
        ->needs(points);
    sub.add_option("--text-style", o->textStyle,
                   "Text styles: 0 one per Jw_cad text type (default), 1 one pair, 2 one per TrueType font")
        ->check(NumberRange(0, 2));
    sub.add_flag("--no-expand-vars", o->noVars, "Keep text variables (%f, =y, %%name, ...) as written");
    sub.add_flag("--no-expand-codes", o->noCodes, "Keep texts with layout codes (^_, ^u, ^$3, ...) as written");
    sub.add_flag("--no-linked-images", o->noLinkedImages,
                 "Leave out the images a drawing links to (only bound images are exported and copied)");
    sub.add_flag("--join-lines", o->joinLines,
                 "Join the lines and arcs of a curve group that meet end to end into polylines");
    sub.add_flag("--dimensions", o->dimensions,
                 "Rebuild Jw_cad dimensions (linear, diameter, radius, angle, SXF) as DIMENSION entities whose "
                 "block holds the original lines and text");
    sub.add_option("--app-name", o->appName, "Comment on the first line of the DXF (default zumenscope)");
    AddJobsOption(sub, o->jobs);
    sub.footer(
        "Defaults: release 2007, the drawing's paper size, extents from the drawing, the\n"
        "drawing's write layer group as reference scale, both kinds of text variables expanded.\n"
        "Coordinates are measured from the paper's lower-left corner and scaled to real size.\n"
        "Bound images of a 7.00 drawing are copied beside the DXF; the temporary copies are\n"
        "removed afterwards. An image the drawing links to is copied only when it is a picture\n"
        "(BMP, JPEG, PNG, GIF). A copy never replaces a file: a name that is taken gets \"_1\",\n"
        "\"_2\", ... A figure (.jws) is exported as a drawing with default settings.\n"
        "Without -o or --outdir each DXF goes beside its input as <stem>.dxf; with --outdir a\n"
        "folder argument's subfolders are kept below DIR.\n"
        "An existing DXF is replaced only by a complete file. Several inputs convert in one\n"
        "call, on every core at once; a failing file does not stop the others.\n"
        "Exit status: 0 every file written, 1 a file could not be read or written (or an image\n"
        "not extracted or copied), 2 usage error.");
    return [o](Console& io) { return RunDxf(*o, io); };
}

const CommandRegistrar registrar({"dxf", "Export drawings and figures as DXF (R12, 2000, 2007)", 30, Setup});

}  // namespace

}  // namespace jw::cli
