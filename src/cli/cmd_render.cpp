// `render IN... (-o OUT | --outdir DIR)`: pictures of drawings and figures
// as PNG, SVG or PDF, each of its paper's size, as the window's "図面" page
// draws them. Needs no display. Linked into zumenscope-render (and the
// tests), never into zumenscope-cli, which runs that program instead.
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli_support.h"
#include "command.h"
#include "job_runner.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "render/renderer.h"
#include "render_command.h"
#include "render_file.h"
#include "support/jw_settings.h"
#include "support/paths.h"
#include "support/program_values.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

struct RenderOptions {
    std::vector<std::string> files;
    std::string out, outdir;
    std::string format;  // png, svg, pdf; empty: from -o's extension (png with --outdir)
    std::optional<double> dpi;
    std::optional<int> width;
    std::string background = "white";
    bool temporaryPoints = false;
    unsigned jobs = 0;
};

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

// Renders one file; answers whether the picture was written, and why not in
// error. Runs on a worker thread.
bool RenderOne(const TJwPictureRequest& request, const std::string& in, const fs::path& out,
               std::string& error) {
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
    const bool ok = JwRenderFile([&](TJwCanvas& c) { dwg.GLDrawALL(c, request.draw); }, JwPaperBox(dwg), request,
                                 QString::fromStdString(out.string()), error);
    models.Jww().BindImageDeleteGzFile();
    models.Jww().BindImageDeleteNonGzFile();
    if (!ok) error = "write failed: " + error;
    return ok;
}

struct RenderJob {
    std::string in;
    fs::path out;
    std::string error;
};

int RunRender(const RenderOptions& o, Console& io) {
    if (o.out.empty() == o.outdir.empty()) {
        Complain(io, "render", "give either -o OUT (one input) or --outdir DIR");
        return kExitUsage;
    }
    if (!o.out.empty() && o.files.size() != 1) {
        Complain(io, "render", "-o takes one input; use --outdir DIR for several");
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
    if (o.dpi) request.dpi = *o.dpi;
    if (o.width) request.width = *o.width;
    request.draw.blackBackground = o.background == "black";
    request.draw.temporaryPoints = o.temporaryPoints;

    std::vector<RenderJob> jobs;
    OutputClaims claims;
    for (const std::string& in : o.files) {
        fs::path out = o.out.empty() ? fs::path(o.outdir) / fs::path(in).filename().replace_extension(
                                                                JwPictureExtension(request.format))
                                     : fs::path(o.out);
        std::string error = claims.Claim(out);
        jobs.push_back(RenderJob{in, std::move(out), std::move(error)});
    }
    if (!o.outdir.empty() && !MakeOutputFolder(io, o.outdir)) return kExitFailed;

    SetUpRendering();
    int status = kExitOk;
    std::vector<std::string> names;
    for (const RenderJob& job : jobs) names.push_back(job.in);
    struct Outcome {
        bool ok = false;
        std::string error;
    };
    RunInOrder<Outcome>(
        io, names, o.jobs,
        [&](size_t i) {
            Outcome r;
            const RenderJob& job = jobs[i];
            r.error = job.error;
            if (r.error.empty()) r.ok = RenderOne(request, job.in, job.out, r.error);
            return r;
        },
        [&](size_t i, Outcome& r) {
            if (r.ok) return;
            status = kExitFailed;
            Complain(io, jobs[i].in, r.error);
        });
    io.out.flush();
    return status;
}

CommandAction Setup(CLI::App& sub) {
    auto o = std::make_shared<RenderOptions>();
    sub.add_option("IN", o->files, "Drawings (.jww) or figures (.jws) to draw")->required();
    sub.add_option("-o,--output", o->out, "Picture to write (one input only; .png, .svg or .pdf)");
    sub.add_option("--outdir", o->outdir, "Folder for the pictures, named <input stem>.<format>");
    sub.add_option("--format", o->format, "png, svg or pdf (default: the extension of -o; png with --outdir)")
        ->transform(CLI::IsMember({"png", "svg", "pdf"}, CLI::ignore_case));
    sub.add_option("--dpi", o->dpi, "Resolution of a PNG in dots per inch (default 150)")->check(CLI::Range(1.0, 2400.0));
    sub.add_option("--width", o->width, "Width of a PNG in pixels instead of --dpi")->check(CLI::Range(1, 30000));
    sub.add_option("--background", o->background, "white (default) or black, with the pen colours of each")
        ->transform(CLI::IsMember({"white", "black"}, CLI::ignore_case));
    sub.add_flag("--temporary-points", o->temporaryPoints, "Draw temporary points (small circles)");
    AddJobsOption(sub, o->jobs);
    sub.footer(
        "Each picture has the size of the drawing's paper (a figure: A0, a new drawing's). Hidden\n"
        "layers are left out, display-only layers drawn in grey; text variables are expanded as\n"
        "the DXF export expands them; Japanese fonts fall back to the IPA fonts. A picture is\n"
        "written through a temporary file that replaces OUT only when complete; an OUT that\n"
        "exists and is not a regular file is never replaced.\n"
        "Exit status: 0 every file written, 1 a file could not be read or written, 2 usage error.");
    return [o](Console& io) { return RunRender(*o, io); };
}

const CommandRegistrar registrar({kRenderName, kRenderSummary, kRenderOrder, Setup});

}  // namespace

}  // namespace jw::cli
