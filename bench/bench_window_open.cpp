// Time from choosing a drawing of one million entities in the open dialog to
// a responsive window: the open routine (clear, fresh models, reader, report,
// grids) and then the event loop run until nothing is left to do, on Qt's
// offscreen platform (which still lays out and paints into a backing store).
//
//   BM_ReadOnly          the reader alone (fresh models + FileIn), for comparison
//   BM_OpenWindow        open routine + events until idle, header page shown
//   BM_OpenVisitPages    the same, then every page shown once (each grid lays
//                        out and paints its first screen of rows)
//
// The counter peak_rss_MiB is the process's peak resident memory so far
// (getrusage ru_maxrss); the drawing is built in a child process, so the peak
// is the window's and the reader's own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

#include "main_window.h"
#include "million_drawing.h"
#include "model/jw_data.h"
#include "qt_text.h"

namespace {

constexpr int kEntities = jw::bench::kMillion;

QString gDrawing;             // the drawing file
jw::TForm1* gForm = nullptr;  // the shown window

// The drawing of bench/million_drawing.h, written as JWW 7.00.
bool BuildDrawing(const QString& path) {
    jw::TJwwData jw;
    return jw::bench::BuildMillionDrawing(jw, kEntities) && jw.FileOut(jw::FromQ(path), 700);
}

// Runs the event loop until nothing is pending.
void ProcessUntilIdle() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    while (dispatcher->processEvents(QEventLoop::AllEvents)) {
    }
}

void SetPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["entities"] = kEntities;
}

void BM_ReadOnly(benchmark::State& state) {
    for (auto _ : state) {
        jw::TJwSession& session = gForm->Session();
        benchmark::DoNotOptimize(session.JwwFileInput(jw::FromQ(gDrawing)));
    }
    gForm->DisplayClear();
    SetPeakMemory(state);
}

void BM_OpenWindow(benchmark::State& state) {
    for (auto _ : state) {
        gForm->OpenChosenFile(gDrawing, 0);
        ProcessUntilIdle();
    }
    if (gForm->Tables().RowCount(jw::kGridLine) != kEntities * 6 / 10) state.SkipWithError("drawing not shown");
    SetPeakMemory(state);
}

void BM_OpenVisitPages(benchmark::State& state) {
    auto* tabs = gForm->findChild<QTabWidget*>(QStringLiteral("TabControl1"));
    for (auto _ : state) {
        tabs->setCurrentIndex(0);
        gForm->OpenChosenFile(gDrawing, 0);
        ProcessUntilIdle();
        for (int page = 1; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            ProcessUntilIdle();
        }
    }
    SetPeakMemory(state);
}

BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenVisitPages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    QTemporaryDir work;
    if (!work.isValid()) return 1;
    gDrawing = work.filePath(QStringLiteral("million.jww"));
    // Built in a child process so that the builder's memory does not count
    // in the peak reported here.
    const pid_t child = fork();
    if (child == 0) _exit(BuildDrawing(gDrawing) ? 0 : 1);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_window_open: could not build the drawing\n");
        return 1;
    }

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto form = std::make_unique<jw::TForm1>(nullptr, jw::FromQ(work.path()));
    gForm = form.get();
    form->show();
    ProcessUntilIdle();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    form->close();
    return 0;
}
