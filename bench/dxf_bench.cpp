// DXF export speed: filling a model with a million entities and writing it
// in each release, to memory and to a file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "dxf/dxf_model.h"
#include "support/numbers.h"

namespace {

using namespace jw;

constexpr int kEntities = 1000000;

void FillTables(TDXFmodel& m, int32_t ver) {
    m.SetDXFVer(ver, 0);
    m.AddLtype(u"Continuous", u"Solid line", {});
    const double dash[] = {12.7, -6.35};
    m.AddLtype(u"DASHED", u"Dashed", dash);
    m.AddLayer(u"0", 7, 1, 0, true, true);
    for (int i = 0; i < 256; ++i) m.AddLayer(IntStr(i + 1), 1 + i % 255, 1 + i % 2, 0, true, true);
    m.AddStyle(u"Standard", u"txt", u"extfont2.shx", 0, 1, 0, 2.5, false);
}

// 70 % lines, 15 % arcs, 10 % texts, 5 % polylines of four vertices.
void FillEntities(TDXFmodel& m) {
    const TDXF_PLinePoint pts[] = {{0, 0, 0}, {10, 0, 0.5}, {10, 10, 0}, {0, 10, 0}};
    for (int i = 0; i < kEntities; ++i) {
        const double x = (i % 1000) * 0.731, y = (i / 1000) * 0.377;
        const int32_t ly = 1 + i % 256;
        switch (i % 20) {
            case 0: case 1: case 2:
                m.AddArc(0, ly, 3, 1, 25, x, y, 5.5, 1, 10, 120, 0);
                break;
            case 3: case 4:
                m.AddMojiA(0, ly, 2, 2, 0, 0, x, y, x + 20, y, 2.5, 2.5, 0, 0, u"", u"平面図 A-101");
                break;
            case 5:
                m.AddPLine(0, ly, 1, 1, 0, 0, 0, true, pts);
                break;
            default:
                m.AddLine(0, ly, 1, 2, 18, x, y, x + 12.345678, y + 0.1);
                break;
        }
    }
}

void BM_DxfFillModel(benchmark::State& state) {
    for (auto _ : state) {
        TDXFmodel m;
        FillTables(m, kDxf2000);
        FillEntities(m);
        benchmark::DoNotOptimize(m.de.No.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_DxfFillModel)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_DxfWriteText(benchmark::State& state) {
    TDXFmodel m;
    FillTables(m, static_cast<int32_t>(state.range(0)));
    FillEntities(m);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = m.SaveDXFText(u"");
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_DxfWriteText)->Arg(kDxfR12)->Arg(kDxf2000)->Arg(kDxf2007)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_DxfSaveFile(benchmark::State& state) {
    TDXFmodel m;
    FillTables(m, kDxf2000);
    FillEntities(m);
    const std::string path = (std::filesystem::temp_directory_path() / "zs_dxf_bench.dxf").string();
    const JwString dst(path.begin(), path.end());
    for (auto _ : state) {
        if (!m.SaveDXF(u"", dst)) state.SkipWithError("SaveDXF failed");
    }
    std::error_code ec;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path, ec)));
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_DxfSaveFile)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
