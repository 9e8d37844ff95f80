// Window views: opening a large drawing in the tables, scrolling a screenful
// of cells, and building the header report.
#include <benchmark/benchmark.h>

#include "common/samples.h"
#include "model/jw_data.h"
#include "report/header_report.h"
#include "support/text_encoding.h"
#include "viewer/table_views.h"

namespace {

using namespace jw;

const TJwwData& MillionLines() {
    static const TJwwData jw = [] {
        TJwwData m;
        m.EntLine.resize(1000000);
        for (size_t i = 0; i < m.EntLine.size(); ++i) {
            TEntJwwLine& l = m.EntLine[i];
            l.att.nPenColor = static_cast<uint16_t>(1 + i % 9);
            l.att.sFlg = static_cast<uint16_t>(i & 0xFFFF);
            l.start_x = 0.001 * static_cast<double>(i);
            l.end_y = 1.0 / (1.0 + static_cast<double>(i));
        }
        m.EntLineN = static_cast<int32_t>(m.EntLine.size());
        return m;
    }();
    return jw;
}

// What the window does when a file has been read: point the tables at the
// model and ask every grid for its size.
void BM_OpenMillionLines(benchmark::State& state) {
    const TJwwData& jw = MillionLines();
    for (auto _ : state) {
        JwTableSource src;
        src.SetJww(&jw);
        int rows = 0;
        for (int g = 0; g < kGridCount; ++g) rows += src.RowCount(g);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_OpenMillionLines);

// One screenful (40 rows of the line grid) far down the list.
void BM_LineGridScreen(benchmark::State& state) {
    const TJwwData& jw = MillionLines();
    JwTableSource src;
    src.SetJww(&jw);
    int row0 = 0;
    for (auto _ : state) {
        for (int r = row0; r < row0 + 40; ++r) {
            for (int c = 0; c < JwTableSource::ColumnCount(kGridLine); ++c) {
                benchmark::DoNotOptimize(src.Cell(kGridLine, r, c));
            }
        }
        row0 = (row0 + 7919) % (1000000 - 40);
    }
    state.SetItemsProcessed(state.iterations() * 40 * JwTableSource::ColumnCount(kGridLine));
}
BENCHMARK(BM_LineGridScreen);

void BM_HeaderReportSample(benchmark::State& state) {
    TJwwData jw;
    jw.BindImageExr = true;
    const std::string src = test::SamplePath("jww700-sjis-blocks.jww").string();
    if (!jw.FileIn(FromUtf8(src))) {
        state.SkipWithError(("sample not readable: " + src).c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(JwwHeaderReport(jw, u"jww700-sjis-blocks.jww"));
}
BENCHMARK(BM_HeaderReportSample);

}  // namespace

BENCHMARK_MAIN();
