// `dxf IN... (-o OUT | --outdir DIR)`: exports drawings (and figures) as DXF
// R12, 2000 or 2007 with Jw_cad's text variables expanded.
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

#include "attributes/gra_attribute.h"
#include "cli_support.h"
#include "command.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "files/open_file.h"
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
    std::string release = "2007";
    int space = 0;
    std::optional<int> scaleGroup;
    std::string paper;  // "WxH" in mm, or empty: the drawing's paper size
    int layerNames = 0;
    int points = 0;
    double pointRadius = 0.5;
    int textStyle = 0;
    bool noVars = false;
    bool noCodes = false;
    std::string appName = "zumenscope";
};

// The releases --release takes, and the number the export takes for each.
struct DxfRelease {
    const char* name;
    int32_t ver;
};
constexpr DxfRelease kReleases[] = {{"r12", kDxfR12}, {"2000", kDxf2000}, {"2007", kDxf2007}};

// The number of a release name that the option check let through.
int32_t ReleaseOf(const std::string& r) {
    int32_t ver = kDxf2007;
    for (const DxfRelease& d : kReleases)
        if (r == d.name) ver = d.ver;
    return ver;
}

// "420x297" (also with "X" or "*"): both sizes positive and finite.
bool ParsePaper(const std::string& s, double& w, double& h) {
    const size_t x = s.find_first_of("xX*");
    if (x == std::string::npos) return false;
    try {
        size_t n1 = 0, n2 = 0;
        const std::string a = s.substr(0, x), b = s.substr(x + 1);
        w = std::stod(a, &n1);
        h = std::stod(b, &n2);
        if (n1 != a.size() || n2 != b.size()) return false;
    } catch (...) {
        return false;
    }
    return std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0;
}

// The program-wide values the export reads, as the window sets them up at
// start (display attributes, reference file of user variables); the previous
// attribute pointer comes back when the command ends.
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

bool SamePath(const fs::path& a, const fs::path& b) {
    std::error_code e1, e2;
    const fs::path ca = fs::weakly_canonical(a, e1), cb = fs::weakly_canonical(b, e2);
    return !e1 && !e2 && ca == cb;
}

// Width and height of the paper in mm.
using PaperSize = std::pair<double, double>;

// Exports one file on paper (the drawing's paper size when none); answers
// whether the DXF was written, and why not in error.
bool ExportOne(const DxfOptions& o, const std::optional<PaperSize>& paper, const std::string& in, const fs::path& out,
               std::string& error) {
    const JwFileKind kind = FileKindOf(PathText(in));
    if (kind != JwFileKind::Jww && kind != JwFileKind::Jws) {
        error = kind == JwFileKind::Unsupported ? kUnsupportedFileType
                                                : "a legacy JWC/JWK file cannot be exported (only .jww and .jws)";
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

    // Bound images of a 7.00 drawing go to a private folder, so that the
    // export can copy them beside the DXF; the folder goes with this object.
    PrivateTempFolder images;
    if (!images.ok()) {
        error = images.error();
        return false;
    }
    TJwFileModels models;
    TJwwData& dwg = models.Jww();
    dwg.BindImageExp = true;
    dwg.BindImageExr = true;
    dwg.BindImageFolder = AddPathDelim(FromNativePath(images.path()));
    const TJwFileRead read = ReadJwFile(kind, PathText(in), models);
    if (!read.ok) {
        error = "read failed: " + read.error + "; nothing written";
        return false;
    }
    if (kind == JwFileKind::Jws) {
        JwsAsDrawing(*models.JWS, dwg);
        dwg.BindImageFolder = AddPathDelim(FromNativePath(images.path()));
    }

    double pw = 0, ph = 0;
    if (paper)
        std::tie(pw, ph) = *paper;
    else
        dwg.GetPaperSize(pw, ph);
    DxfOutPaperX = pw;
    DxfOutPaperY = ph;
    // The export keeps the group to 0-15.
    DxfOutScaleGroup = o.scaleGroup ? *o.scaleGroup : dwg.Enthd.nWriteGLay;
    ZahyoMinX = ZahyoMinY = ZahyoMaxX = ZahyoMaxY = 0;
    dwg.GetMinMaxZahyo();

    const JwString target = FromNativePath(out);
    const bool ok = dwg.FileOutDXF(target, ReleaseOf(o.release));
    // The extracted images (both forms) go now, the folder with `images`.
    dwg.BindImageDeleteGzFile();
    dwg.BindImageDeleteNonGzFile();
    if (!ok) error = "write failed: " + dwg.LastError;
    return ok;
}

int RunDxf(const DxfOptions& o, Console& io) {
    if (o.out.empty() == o.outdir.empty()) {
        Complain(io, "dxf", "give either -o OUT (one input) or --outdir DIR");
        return kExitUsage;
    }
    if (!o.out.empty() && o.files.size() > 1) {
        Complain(io, "dxf", "-o takes one input; use --outdir DIR for several");
        return kExitUsage;
    }
    std::optional<PaperSize> paper;
    if (!o.paper.empty()) {
        double pw = 0, ph = 0;
        if (!ParsePaper(o.paper, pw, ph)) {
            Complain(io, "dxf", "--paper wants WIDTHxHEIGHT in mm, e.g. 420x297");
            return kExitUsage;
        }
        paper = PaperSize{pw, ph};
    }
    if (!o.outdir.empty()) {
        std::error_code ec;
        fs::create_directories(fs::path(o.outdir), ec);
        if (!fs::is_directory(fs::path(o.outdir))) {
            Complain(io, o.outdir, "cannot create the output folder" + (ec ? ": " + ec.message() : std::string()));
            return kExitFailed;
        }
    }

    ExportSession session;
    DxfOutSpace = o.space;
    DxfOutAppName = FromUtf8(o.appName);
    DxfOutLayerNameType = o.layerNames;
    DxfOutTenType = o.points;
    DxfOutTenRadius = o.pointRadius;
    DxfOutMojiStyle = o.textStyle;
    DxfOutMojiExp1 = !o.noVars;
    DxfOutMojiExp2 = !o.noCodes;
    DxfOutJoinLines = false;
    DxfOutDimension = false;
    DxfOutPrintX = DxfOutPrintY = 0;

    int status = kExitOk;
    std::set<fs::path> written;
    ProgressLine progress(io, o.files.size());
    for (size_t i = 0; i < o.files.size(); ++i) {
        const std::string& in = o.files[i];
        progress.Show(i + 1, in);
        fs::path out = o.out.empty() ? fs::path(o.outdir) / fs::path(in).stem().concat(".dxf") : fs::path(o.out);
        std::string error;
        bool ok = false;
        std::error_code ec;
        const fs::path key = fs::weakly_canonical(out, ec);
        if (!written.insert(ec ? out : key).second)
            error = "output " + out.string() + " was already written by an earlier input; skipped";
        else
            ok = ExportOne(o, paper, in, out, error);
        progress.Clear();
        if (!ok) {
            status = kExitFailed;
            Complain(io, in, error);
        }
    }
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto o = std::make_shared<DxfOptions>();
    sub.add_option("IN", o->files, "Drawings (.jww) or figures (.jws) to export")->required();
    sub.add_option("-o,--output", o->out, "DXF file to write (one input only)");
    sub.add_option("--outdir", o->outdir, "Folder for the DXF files, named <input stem>.dxf");
    std::vector<std::string> releases;
    for (const DxfRelease& r : kReleases) releases.emplace_back(r.name);
    sub.add_option("--release", o->release, "DXF release (default 2007)")->check(CLI::IsMember(releases));
    sub.add_option("--space", o->space, "0 model space only (default); 1 paper space with a viewport per layer-group scale")
        ->check(CLI::Range(0, 1));
    sub.add_option("--scale-group", o->scaleGroup,
                   "Layer group 0-15 whose scale is the model-space scale (default: the drawing's write group)")
        ->check(CLI::Range(0, 15));
    sub.add_option("--paper", o->paper, "Paper WIDTHxHEIGHT in mm (default: the drawing's paper size)");
    sub.add_option("--layer-names", o->layerNames,
                   "Layer names: 0 numbers 1-256 (default), 1 the layer names, 2 group name-layer name")
        ->check(CLI::Range(0, 2));
    auto* points = sub.add_option("--points", o->points,
                                  "Points: 0 POINT (default), 1 circle, 2-6 symbol block (2 circles, circle with "
                                  "cross, diamond, filled diamond, filled disc)")
                       ->check(CLI::Range(0, 6));
    sub.add_option("--point-radius", o->pointRadius,
                   "Radius in mm of point symbols and of temporary points (default 0.5)")
        ->check(CLI::PositiveNumber)
        ->needs(points);
    sub.add_option("--text-style", o->textStyle,
                   "Text styles: 0 one per Jw_cad text type (default), 1 one pair, 2 one per TrueType font")
        ->check(CLI::Range(0, 2));
    sub.add_flag("--no-expand-vars", o->noVars, "Keep text variables (%f, =y, %%name, ...) as written");
    sub.add_flag("--no-expand-codes", o->noCodes, "Keep texts with layout codes (^_, ^u, ^$3, ...) as written");
    sub.add_option("--app-name", o->appName, "Comment on the first line of the DXF (default zumenscope)");
    sub.footer(
        "Defaults: release 2007, the drawing's paper size, extents from the drawing, the\n"
        "drawing's write layer group as reference scale, both kinds of text variables expanded.\n"
        "Coordinates are measured from the paper's lower-left corner and scaled to real size.\n"
        "Bound images of a 7.00 drawing are copied beside the DXF; the temporary copies are\n"
        "removed afterwards. A figure (.jws) is exported as a drawing with default settings.\n"
        "An existing DXF is replaced only by a complete file. Several inputs convert in one\n"
        "call; a failing file does not stop the others.\n"
        "Exit status: 0 every file written, 1 a file could not be read or written, 2 usage error.");
    return [o](Console& io) { return RunDxf(*o, io); };
}

const CommandRegistrar registrar({"dxf", "Export drawings and figures as DXF (R12, 2000, 2007)", 30, Setup});

}  // namespace

}  // namespace jw::cli
