// Screen rendering: a drawing read from its file and drawn into a PNG of an
// A3 sheet at 150 dpi (what `zumenscope-cli render` does for one file), and
// the "図面" page of the window repainting a whole drawing and a view of one
// hundredth of it, on Qt's offscreen platform.
//
//   BM_RenderPng/0       the million-entity drawing (bench/million_drawing.h)
//   BM_RenderPng/1       the largest sample drawing
//   BM_ReadMillion       the reading alone
//   BM_RecordDisplayList the million entities recorded for the page (once per open)
//   BM_RepaintWhole      the page, 1600 x 1000 pixels, fitted to the whole drawing
//   BM_RepaintHundredth  the same page zoomed 10 times about the centre (1/100 of the area)
//
// A repaint is the whole of one paint of the page: from the request (the view
// moved by a pixel) until the worker thread's last band is on the page. Its
// counters: gui_paint_max_ms, the longest the window's thread spent in one
// paint event of the page, and gui_event_max_ms, the longest it spent on any
// one event (what the window may freeze for).
//
// The counter peak_rss_MiB is the process's peak resident memory so far;
// run one benchmark a process (--benchmark_filter) to read each one's peak.
// The drawing is built in a child process, so the builder's memory does not
// count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/samples.h"
#include "drawing_view.h"
#include "million_drawing.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "qt_text.h"
#include "render/display_list.h"
#include "render/renderer.h"
#include "render_file.h"
#include "support/program_values.h"

namespace {

QString gMillion;  // the million-entity drawing's file
QString gOut;      // the PNG written

void SetPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

QString LargestSample() {
    namespace fs = std::filesystem;
    fs::path best;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(jw::test::SamplesDir(), ec))
        if (e.path().extension() == ".jww" && (best.empty() || e.file_size() > fs::file_size(best))) best = e.path();
    return QString::fromStdString(best.string());
}

void BM_RenderPng(benchmark::State& state) {
    const QString in = state.range(0) == 0 ? gMillion : LargestSample();
    if (in.isEmpty()) {
        state.SkipWithError("no sample drawings");
        return;
    }
    jw::TJwPictureRequest r;
    r.dpi = 150;
    for (auto _ : state) {
        jw::TJwwData dwg;
        if (!dwg.FileIn(jw::FromQ(in))) {
            state.SkipWithError("cannot read the drawing");
            return;
        }
        std::string error;
        if (!jw::JwRenderFile([&](jw::TJwCanvas& c) { dwg.GLDrawALL(c, r.draw); }, jw::JwPaperBox(dwg), r, gOut,
                              error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetLabel(QFileInfo(in).fileName().toStdString());
    SetPeakMemory(state);
}

// The reading alone, for comparison.
void BM_ReadMillion(benchmark::State& state) {
    for (auto _ : state) {
        jw::TJwwData dwg;
        if (!dwg.FileIn(jw::FromQ(gMillion))) state.SkipWithError("cannot read the drawing");
    }
}

// The page's view, timing its paint events.
class TimedView : public jw::JwDrawingView {
public:
    double longestPaintMs = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        QElapsedTimer t;
        t.start();
        JwDrawingView::paintEvent(event);
        longestPaintMs = std::max(longestPaintMs, static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
};

// The application, timing the longest handling of one event (those sent
// while handling one count with it).
class TimedApp : public QApplication {
public:
    using QApplication::QApplication;
    double longestEventMs = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        QElapsedTimer t;
        t.start();
        const bool done = QApplication::notify(receiver, event);
        --depth_;
        longestEventMs = std::max(longestEventMs, static_cast<double>(t.nsecsElapsed()) / 1e6);
        return done;
    }

private:
    int depth_ = 0;
};

TimedApp* gApp = nullptr;

// The million entities read once; the page shows them.
struct Page {
    jw::TJwwData dwg;
    std::unique_ptr<jw::TJwDisplayList> list;
    TimedView view;

    Page() {
        if (!dwg.FileIn(jw::FromQ(gMillion))) return;
        view.resize(1600, 1000);
        view.show();
        list = Record();
        const jw::TJwBox paper = jw::JwPaperBox(dwg);
        view.SetDrawing(std::move(list), paper, paper, 0xFFFFFFFFu);
    }
    std::unique_ptr<jw::TJwDisplayList> Record() const {
        auto l = std::make_unique<jw::TJwDisplayList>();
        dwg.GLDrawALL(*l, jw::TJwDrawOptions{});
        l->Finish();
        return l;
    }
};

Page& ThePage() {
    static Page page;
    return page;
}

void BM_RecordDisplayList(benchmark::State& state) {
    Page& page = ThePage();
    size_t n = 0;
    for (auto _ : state) n = page.Record()->Size();
    state.counters["entries"] = static_cast<double>(n);
    SetPeakMemory(state);
}

void Repaint(benchmark::State& state, double zoom) {
    Page& page = ThePage();
    if (!page.view.HasDrawing()) {
        state.SkipWithError("cannot read the drawing");
        return;
    }
    page.view.FitToWindow();
    if (zoom != 1) page.view.ZoomAt(QPointF(800, 500), zoom);
    page.view.WaitForPaint();
    page.view.longestPaintMs = 0;
    gApp->longestEventMs = 0;
    double step = 1;
    for (auto _ : state) {
        page.view.PanBy(QPointF(step, 0));
        step = -step;
        if (!page.view.WaitForPaint(60000)) {
            state.SkipWithError("the page was not painted within a minute");
            return;
        }
    }
    state.counters["entries_drawn"] = static_cast<double>(page.view.LastDrawn());
    state.counters["gui_paint_max_ms"] = page.view.longestPaintMs;
    state.counters["gui_event_max_ms"] = gApp->longestEventMs;
    SetPeakMemory(state);
}

void BM_RepaintWhole(benchmark::State& state) { Repaint(state, 1); }
void BM_RepaintHundredth(benchmark::State& state) { Repaint(state, 10); }

BENCHMARK(BM_RenderPng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadMillion)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RecordDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RepaintWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintHundredth)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    QTemporaryDir work;
    if (!work.isValid()) return 1;
    // ZS_BENCH_DRAWING=FILE keeps the drawing there, for whole-process
    // timings such as /usr/bin/time zumenscope-cli render FILE -o x.png.
    const QString keep = qEnvironmentVariable("ZS_BENCH_DRAWING");
    gMillion = keep.isEmpty() ? work.filePath(QStringLiteral("million.jww")) : keep;
    gOut = work.filePath(QStringLiteral("out.png"));
    const pid_t child = fork();
    if (child == 0) {
        jw::TJwwData jw;
        _exit(jw::bench::BuildMillionDrawing(jw) && jw.FileOut(jw::FromQ(gMillion), 700) ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_render: could not build the drawing\n");
        return 1;
    }

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApp app(argc, argv);
    gApp = &app;
    jw::JwSetUpRenderFonts();
    jw::JwGlobalInit();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
