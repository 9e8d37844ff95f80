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
#include "model/jw_data.h"
#include "qt_text.h"

namespace {

constexpr int kEntities = 1'000'000;

QString gDrawing;             // the drawing file
jw::TForm1* gForm = nullptr;  // the shown window

// One million entities: 60 % lines, 10 % arcs, 10 % points, 10 % texts, 5 %
// solids, 4 % dimensions and 1 % block inserts of one small definition.
bool BuildDrawing(const QString& path) {
    jw::TJwwData jw;
    jw.DataDefaultSet();
    bool ok = jw.AddEntPre();
    ok = ok && jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
    ok = ok && jw.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0.0, 0.0, 1.0, 1.0);
    ok = ok && jw.AddBlkDefPost(0);
    for (int i = 0; ok && i < kEntities; ++i) {
        const double x = i % 1000;
        const double y = i / 1000;
        const int kind = i % 100;
        if (kind < 60) {
            ok = jw.AddEntLine(0, i % 16, (i / 16) % 16, 1 + i % 9, 1 + i % 9, 0, 0, x, y, x + 0.5, y + 0.25);
        } else if (kind < 70) {
            ok = jw.AddEntArc(0, 0, 0, 2, 1, 0, 0, x, y, 0.4, 1.0, 0.0, 90.0, 0.0);
        } else if (kind < 80) {
            ok = jw.AddEntTen(0, 0, 0, 3, 1, 0, 0, x, y, 0.0, 1.0);
        } else if (kind < 90) {
            ok = jw.AddEntMoji(0, 0, 0, 5, 1, 0, 0, 1, x, y, 2.5, 2.5, 0.0, 0.0, u"ＭＳ ゴシック", u"部屋名 ROOM-101");
        } else if (kind < 95) {
            ok = jw.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0xFF8000, x, y, x + 0.5, y, x + 0.5, y + 0.5, x, y + 0.5);
        } else if (kind < 99) {
            ok = jw.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1, x, y, x + 10.0, y, x + 5.0, y + 0.5, 2.5, 2.5,
                                0.0, 0.0, u"ＭＳ ゴシック", u"10");
        } else {
            ok = jw.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, x, y, 1.0, 1.0, 0.0);
        }
    }
    ok = ok && jw.AddEntPost();
    return ok && jw.FileOut(jw::FromQ(path), 700);
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
