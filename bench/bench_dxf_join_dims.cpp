// Polyline joining and dimension grouping at scale: a drawing with one curve
// group of 100,000 connected lines, and one with 100,000 curve groups of
// three lines, each converted and written as a 2000 DXF (in memory) without
// and with --join-lines --dimensions (argument 0 / 1).
#include <benchmark/benchmark.h>

#include <string>

#include "attributes/gra_attribute.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace {

using namespace jw;

constexpr int kLines = 100'000;

void Settings(TJwwData& d, bool switches) {
    static TgraAttribute attr;
    JwGraAttrSetup(attr);
    JwGraAttr = &attr;
    d.GetPaperSize(DxfOutPaperX, DxfOutPaperY);
    DxfOutScaleGroup = 0;
    DxfOutJoinLines = DxfOutDimension = switches;
    d.GetMinMaxZahyo();
}

void Export(benchmark::State& state, TJwwData& d, int lines) {
    Settings(d, state.range(0) != 0);
    size_t bytes = 0;
    for (auto _ : state) {
        TDXFmodel m;
        JwwToDxfModel(d, m, kDxf2000, u"/tmp/bench.dxf");
        const std::string text = m.SaveDXFText(u"");
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// A zig-zag path of lines, end to end, all in curve group 1; the members come
// in shuffled order so that the chain grows at both ends.
void BM_OneCurveGroup(benchmark::State& state) {
    TJwwData d;
    d.DataDefaultSet();
    d.AddEntPre();
    for (int k = 0; k < kLines; ++k) {
        const int i = (k * 7919) % kLines;  // 7919 is prime to kLines: every line once
        const double x = i * 0.01, y = (i % 2) * 0.5;
        d.AddEntLine(1, 0, 0, 1, 1, 0, 0, x, y, x + 0.01, 0.5 - y);
    }
    d.AddEntPost();
    Export(state, d, kLines);
}
BENCHMARK(BM_OneCurveGroup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Triangles of three lines, each its own curve group.
void BM_ManySmallGroups(benchmark::State& state) {
    TJwwData d;
    d.DataDefaultSet();
    d.AddEntPre();
    for (int g = 0; g < kLines; ++g) {
        const double x = (g % 1000) * 0.3, y = (g / 1000) * 0.3;
        const int32_t cn = g + 1;
        d.AddEntLine(cn, 0, 0, 1, 1, 0, 0, x, y, x + 0.2, y);
        d.AddEntLine(cn, 0, 0, 1, 1, 0, 0, x + 0.2, y, x + 0.1, y + 0.2);
        d.AddEntLine(cn, 0, 0, 1, 1, 0, 0, x + 0.1, y + 0.2, x, y);
    }
    d.AddEntPost();
    Export(state, d, 3 * kLines);
}
BENCHMARK(BM_ManySmallGroups)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
