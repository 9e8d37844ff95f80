// Building drawings in memory, expanding the block tree and naming definitions.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "model/jw_data.h"
#include "support/program_values.h"

namespace {

using jw::JwString;
using jw::TJwwData;

// n lines and n / 10 texts with anchor points, between AddEntPre and AddEntPost.
void BM_BuildDrawing(benchmark::State& state) {
    jw::JwGlobalInit();
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TJwwData m;
        m.DataDefaultSet();
        m.AddEntPre();
        for (int i = 0; i < n; ++i) m.AddEntLine(0, 0, 0, 1, 1, 0, 0, i, 0, i, 100);
        for (int i = 0; i < n / 10; ++i) m.AddEntMoji(0, 0, 0, 1, 5, 0, 0, 3, i, 0, 0, 0, 0, 0, u"", u"W123");
        m.AddEntPost();
        benchmark::DoNotOptimize(m.EntLine.data());
    }
    state.SetItemsProcessed(state.iterations() * (n + n / 10));
}
BENCHMARK(BM_BuildDrawing)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// n drawing inserts of a definition that holds 10 inserts of another one
// (11 n tree nodes).
void BM_MakeBlockTree(benchmark::State& state) {
    jw::JwGlobalInit();
    const int n = static_cast<int>(state.range(0));
    TJwwData m;
    m.AddEntPre();
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"leaf");
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"group");
    m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
    for (int i = 0; i < 10; ++i) m.AddBlkBlock(1, 0, 0, 0, 1, 1, 0, 0, 0, i, 0, 1, 1, 30);
    for (int i = 0; i < n; ++i) m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 1, i, i, 2, 2, 45);
    m.AddEntPost();
    for (auto _ : state) {
        m.MakeBlockTree();
        benchmark::DoNotOptimize(m.EntBlockTree.data());
    }
    state.SetItemsProcessed(state.iterations() * m.EntBlockTreeN);
}
BENCHMARK(BM_MakeBlockTree)->Arg(1000)->Arg(90000)->Unit(benchmark::kMillisecond);

// n definitions that all ask for the same name (DOOR, DOOR~1, ...).
void BM_AddBlkDefSameName(benchmark::State& state) {
    jw::JwGlobalInit();
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TJwwData m;
        for (int i = 0; i < n; ++i) m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"DOOR");
        benchmark::DoNotOptimize(m.EntBlockDef.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AddBlkDefSameName)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
