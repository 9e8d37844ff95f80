// `render IN... [-o OUT | --outdir DIR]`: pictures of drawings and figures
// as PNG, SVG or PDF, of a drawing's paper or of what a figure draws, as the
// window's "図面" page draws them. Needs no display. Linked into
// zumenscope-render (and the tests), never into zumenscope-cli, which runs
// that program instead.
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "batch_plan.h"
#include "cli_support.h"
#include "command.h"
#include "files/open_file.h"
#include "job_runner.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "render/display_list.h"
#include "render/renderer.h"
#include "render_command.h"
#include "render_file.h"
#include "support/jw_settings.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

// The page of a picture: the drawing's paper, or what is drawn with a
// margin; Default is the paper for a drawing and the content for a figure
// (which has no paper of its own).
enum class RenderPage { Default, Paper, Content };

struct RenderOptions {
    std::vector<std::string> files;
    std::string out, outdir;
    bool recursive = false;  // a folder argument takes its subfolders
    std::string format;  // png, svg, pdf; empty: from -o's extension, else png
    std::optional<double> dpi;
    std::optional<int> width;
    std::string background = "white";
    std::string look = "print";
    bool lookGiven = false;
    bool temporaryPoints = false;
    bool noLinkedImages = false;
    std::string page;  // paper, content; empty: RenderPage::Default
    unsigned jobs = 0;
};

// What one picture may take besides its drawing: the pictures decoded for it
// (the image store's budget), the bands of a PNG in flight, and the rest.
constexpr uint64_t kPictureMemory = uint64_t(320) << 20;
// The drawing read and recorded for the bands: a multiple of its file.
constexpr uint64_t kMemoryPerFileByte = 16;

// Qt's font and picture machinery wants an application object; the offscreen
// platform needs no display. Made once, on the calling (main) thread, before
// any job starts; the user text variables of the reference file are read as
// the window reads them.
void SetUpRendering() {
    if (QGuiApplication::instance() == nullptr) {
        // Qt's own notes (such as a missing XDG_RUNTIME_DIR) are no business
        // of the command's user; errors still show.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
        });
        static int argc = 3;
        static char arg0[] = "zumenscope-cli", arg1[] = "-platform", arg2[] = "offscreen";
        static char* argv[] = {arg0, arg1, arg2, nullptr};
        // Never destroyed: Qt's fonts may outlive the command.
        new QGuiApplication(argc, argv);
    }
    JwSetUpRenderFonts();
    JwAppPath = ProgramFolder();
    JwGlobalInit();
    JwRefFileName.clear();
    GetRefFileName(DefaultJwwPath());
    RefFileOpen();
}

std::string Count(uint64_t n) { return std::to_string(n); }

// The warnings of a picture that was drawn incompletely.
void Warn(const TJwDrawReport& r, std::vector<std::string>& warnings) {
    if (r.entitiesLeftOut > 0)
        warnings.push_back("warning: " + Count(r.entitiesLeftOut) + " of the drawing's " + Count(r.entities) +
                           " entities left out or drawn in part: drawing it would cost far more than a drawing of "
                           "its size (blocks repeated inside one another)");
    if (r.unusable > 0)
        warnings.push_back("warning: " + Count(r.unusable) +
                           " figure(s) left out: their coordinates are not numbers or lie far beyond the paper");
    for (const JwString& image : r.missingImages)
        warnings.push_back("warning: image " + ToUtf8(image) + " left out: no such picture");
}

// The frame of a picture of what is drawn: the extents of what list holds
// (paper mm), widened by how far strokes and glyphs reach beyond them, and a
// margin of a twentieth of the larger side, at least kLeastMargin mm.
constexpr double kContentMargin = 0.05;
constexpr double kLeastMargin = 3;
TJwBox ContentFrame(const TJwDisplayList& list) {
    const TJwBox& e = list.Extents();
    const double m = list.Reach() + std::max(kLeastMargin, kContentMargin * std::max(e.Width(), e.Height()));
    TJwBox frame;
    frame.Add(e.x1 - m, e.y1 - m);
    frame.Add(e.x2 + m, e.y2 + m);
    return frame;
}

// Whether the drawing draws anything at all once no area is set: asked only
// of a picture that came out blank, so the cost of drawing it again is
// taken only then.
bool DrawsAnything(const TJwwData& dwg, TJwDrawOptions options) {
    options.area = TJwBox();
    const TJwDrawPlan plan(dwg, options);
    TJwDisplayList sink;
    return plan.Draw(sink).drawn > 0;
}

// Renders one file on the page asked (a figure's default: its content);
// answers whether the picture was written, and why not in error; warnings
// says what it lacks. Runs on a worker thread.
bool RenderOne(const TJwPictureRequest& request, RenderPage page, const std::string& in, const fs::path& out,
               std::string& error, std::vector<std::string>& warnings) {
    PrivateTempFolder images;  // made when the drawing holds a bound image
    TJwFileModels models;
    std::vector<std::string> imageErrors;
    if (!ReadDrawingForExport(in, out, images, models, "rendered", error, imageErrors)) return false;
    // A picture without one of its images would pass for the drawing.
    if (!imageErrors.empty()) {
        for (const std::string& e : imageErrors) error += (error.empty() ? "" : "; ") + e;
        error += "; nothing written";
        return false;
    }
    const TJwwData& dwg = models.Jww();
    if (page == RenderPage::Default)
        page = FileKindOf(PathText(in)) == JwFileKind::Jws ? RenderPage::Content : RenderPage::Paper;
    // Made here, where the drawing's text-variable context is: the bands of
    // a PNG draw it on threads of their own. Each drawing reports the same.
    // On the paper, what lies beside it is not in the picture; the content
    // is recorded once to learn its extents, and its picture replays that.
    TJwBox frame = JwPaperBox(dwg);
    TJwDrawOptions options = request.draw;
    if (page == RenderPage::Paper) options.area = frame;
    const TJwDrawPlan plan(dwg, options);
    TJwDisplayList content;
    TJwDrawReport report;
    if (page == RenderPage::Content) {
        report = plan.Draw(content);
        content.Finish();
        if (content.Size() > 0) frame = ContentFrame(content);
    }
    std::mutex reported;
    const bool ok = JwRenderFile(
        [&](TJwCanvas& c) {
            if (page == RenderPage::Content) {
                content.Replay(c, frame, 0);
                return;
            }
            TJwDrawReport r = plan.Draw(c);
            const std::lock_guard lock(reported);
            report = std::move(r);
        },
        frame, request, QString::fromStdString(out.string()), error);
    if (ok) {
        Warn(report, warnings);
        if (report.drawn == 0 && page == RenderPage::Paper && DrawsAnything(dwg, request.draw))
            warnings.push_back("warning: the picture is blank: everything the drawing shows lies beyond its paper "
                               "(--page content draws it)");
    }
    models.Jww().BindImageDeleteGzFile();
    models.Jww().BindImageDeleteNonGzFile();
    if (!ok) error = "write failed: " + error;
    return ok;
}

// The largest of the files, bytes (0 for those that cannot be looked at).
uint64_t LargestFile(const std::vector<BatchJob>& jobs) {
    uint64_t largest = 0;
    for (const BatchJob& job : jobs) {
        std::error_code ec;
        const uint64_t size = fs::file_size(job.in, ec);
        if (!ec) largest = std::max<uint64_t>(largest, size);
    }
    return largest;
}

int RunRender(const RenderOptions& o, Console& io) {
    if (!o.out.empty() && !o.outdir.empty()) {
        Complain(io, "render", "give either -o OUT (one input) or --outdir DIR");
        return kExitUsage;
    }
    if (o.dpi && o.width) {
        Complain(io, "render", "give either --dpi or --width, not both");
        return kExitUsage;
    }
    TJwPictureRequest request;
    if (!o.format.empty()) {
        JwPictureFormatOf(QStringLiteral("x.") + QString::fromStdString(o.format), request.format);
        if (!o.out.empty()) {
            JwPictureFormat given;
            if (JwPictureFormatOf(QString::fromStdString(o.out), given) && given != request.format) {
                Complain(io, o.out, "the extension does not match --format " + o.format);
                return kExitUsage;
            }
        }
    } else if (!o.out.empty() && !JwPictureFormatOf(QString::fromStdString(o.out), request.format)) {
        Complain(io, o.out, "-o must name a .png, .svg or .pdf file (or give --format)");
        return kExitUsage;
    }
    const bool black = o.background == "black";
    if (black && o.lookGiven && o.look == "print") {
        Complain(io, "render", "--background black is the screen's: give it with --look screen");
        return kExitUsage;
    }
    if (o.dpi) request.dpi = *o.dpi;
    if (o.width) request.width = *o.width;
    request.draw.look = o.look == "screen" || black ? TJwLook::Screen : TJwLook::Print;
    request.draw.blackBackground = black;
    request.draw.temporaryPoints = o.temporaryPoints;
    request.draw.linkedImages = !o.noLinkedImages;
    const RenderPage page =
        o.page.empty() ? RenderPage::Default : o.page == "content" ? RenderPage::Content : RenderPage::Paper;

    BatchRequest plan;
    plan.command = "render";
    plan.args = o.files;
    plan.recursive = o.recursive;
    plan.extension = JwPictureExtension(request.format);
    plan.out = o.out;
    plan.outdir = o.outdir;
    std::vector<BatchJob> jobs;
    if (!PlanBatch(plan, io, jobs)) return kExitUsage;
    if (!MakeBatchFolders(io, o.outdir, jobs)) return kExitFailed;

    SetUpRendering();
    // As many files at once as memory allows, and the cores left over paint
    // the bands of each picture.
    const unsigned wanted = std::min<unsigned>(o.jobs == 0 ? AllCores() : o.jobs, static_cast<unsigned>(jobs.size()));
    const unsigned running =
        JobsThatFit(wanted, kPictureMemory + kMemoryPerFileByte * LargestFile(jobs), AvailableMemory());
    if (running < wanted && o.jobs != 0)
        Complain(io, "render", "warning: " + std::to_string(running) + " files at once instead of " +
                                   std::to_string(wanted) + ", for the memory available");
    request.threads = std::max(1u, AllCores() / running);
    int status = kExitOk;
    struct Outcome {
        bool ok = false;
        std::string error;
        std::vector<std::string> warnings;
    };
    RunInOrder<Outcome>(
        io, BatchNames(jobs), running,
        [&](size_t i) {
            Outcome r;
            const BatchJob& job = jobs[i];
            r.error = job.error;
            if (r.error.empty()) r.ok = RenderOne(request, page, job.in, job.out, r.error, r.warnings);
            return r;
        },
        [&](size_t i, Outcome& r) {
            for (const std::string& w : r.warnings) Complain(io, jobs[i].in, w);
            if (r.ok) return;
            status = kExitFailed;
            Complain(io, jobs[i].in, r.error);
        });
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto o = std::make_shared<RenderOptions>();
    sub.add_option("IN", o->files,
                   "Drawings (.jww) or figures (.jws) to draw; a folder stands for the drawings in it")
        ->required();
    sub.add_option("-o,--output", o->out, "Picture to write (one input only; .png, .svg or .pdf)");
    sub.add_option("--outdir", o->outdir,
                   "Folder for the pictures, named <input stem>.<format> (default: beside each input)");
    sub.add_flag("-r,--recursive", o->recursive, "A folder argument takes the drawings of its subfolders too");
    sub.add_option("--format", o->format, "png, svg or pdf (default: the extension of -o, else png)")
        ->transform(CLI::IsMember({"png", "svg", "pdf"}, CLI::ignore_case));
    sub.add_option("--dpi", o->dpi, "Resolution of a PNG in dots per inch (default 150)")->check(NumberRange(1, 2400));
    sub.add_option("--width", o->width, "Width of a PNG in pixels instead of --dpi")->check(NumberRange(1, kMaxRasterSide));
    sub.add_option("--background", o->background,
                   "white (default) or black, with the screen's pen colours of each (black implies --look screen)")
        ->transform(CLI::IsMember({"white", "black"}, CLI::ignore_case));
    auto* look = sub.add_option("--look", o->look,
                                "print (default): as Jw_cad prints the sheet (the drawing's printer colours and "
                                "widths, no auxiliary lines); screen: as the window shows it")
                     ->transform(CLI::IsMember({"print", "screen"}, CLI::ignore_case));
    sub.add_option("--page", o->page,
                   "paper: the drawing's paper; content: what is drawn, with a margin (default: paper for a "
                   "drawing, content for a figure)")
        ->transform(CLI::IsMember({"paper", "content"}, CLI::ignore_case));
    sub.add_flag("--temporary-points", o->temporaryPoints, "Draw temporary points (small circles)");
    sub.add_flag("--no-linked-images", o->noLinkedImages,
                 "Leave out pictures the drawing links to by their path (bound pictures are drawn)");
    AddJobsOption(sub, o->jobs);
    sub.footer(
        "Each picture has the size of the drawing's paper, or with --page content (a figure's\n"
        "default) of what is drawn with a margin of 5 % of its larger side, at most 30000\n"
        "pixels a side and 600 million in all. A picture left blank while the drawing shows\n"
        "something beyond its paper is named in a warning. Hidden layers are left out; display-only\n"
        "layers are printed as the drawing's print settings say (grey on screen); text variables\n"
        "are expanded as the DXF export expands them; Japanese fonts fall back to the IPA fonts.\n"
        "A drawing that would cost far more to draw than its size warrants is cut short with a\n"
        "warning. A picture is written through a temporary file that replaces OUT only when\n"
        "complete and every image it shows could be decoded; an OUT that is read-only is never\n"
        "replaced, a device or FIFO is written to directly.\n"
        "Without -o or --outdir each picture goes beside its input as <stem>.<format>; with --outdir\n"
        "a folder argument's subfolders are kept below DIR.\n"
        "Exit status: 0 every file written, 1 a file could not be read or written, 2 usage error.");
    return [o, look](Console& io) {
        o->lookGiven = look->count() > 0;
        return RunRender(*o, io);
    };
}

const CommandRegistrar registrar({kRenderName, kRenderSummary, kRenderOrder, Setup});

}  // namespace

}  // namespace jw::cli
