// DXF export speed of whole drawings: TJwwData::FileOutDXF on the largest
// sample and on a drawing of 1.2 million entities built with the
// construction operations, in each release; the joining of curve groups and
// the grouping of dimensions on drawings of many lines. Bytes are those of the DXF
// written, so the rate is MB/s of DXF.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "attributes/gra_attribute.h"
#include "common/samples.h"
#include "dxf/dxf_model.h"
#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace {

using namespace jw;
namespace fs = std::filesystem;

constexpr int kEntities = 1'200'000;

// The settings a caller of the export makes, with expansion of both kinds.
void Settings(TJwwData& d) {
    static TgraAttribute attr;
    JwGraAttrSetup(attr);
    JwGraAttr = &attr;
    d.GetPaperSize(DxfOutPaperX, DxfOutPaperY);
    DxfOutScaleGroup = 0;
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    d.GetMinMaxZahyo();
}

fs::path Out(const char* name) { return fs::temp_directory_path() / name; }

void Export(benchmark::State& state, TJwwData& d, const fs::path& out) {
    const int32_t ver = static_cast<int32_t>(state.range(0));
    const JwString target = FromUtf8(out.string());
    uintmax_t bytes = 0;
    for (auto _ : state) {
        if (!d.FileOutDXF(target, ver)) state.SkipWithError("FileOutDXF failed");
        bytes = fs::file_size(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["dxf_MB"] = static_cast<double>(bytes) / 1e6;
    std::error_code ec;
    fs::remove(out, ec);
}

void BM_DxfExportSample(benchmark::State& state) {
    TJwwData d;
    const std::string src = test::SamplePath("jww700-sjis-blocks.jww").string();
    if (!d.FileIn(FromUtf8(src))) {
        state.SkipWithError(("sample not readable: " + src).c_str());
        return;
    }
    Settings(d);
    Export(state, d, Out("zs_bench_dxf_sample.dxf"));
    state.SetItemsProcessed(state.iterations() * d.Enthd.n1);
}
BENCHMARK(BM_DxfExportSample)->Arg(kDxfR12)->Arg(kDxf2000)->Arg(kDxf2007)->Unit(benchmark::kMillisecond);

// 60 % lines, 10 % arcs, 10 % points, 10 % texts (a tenth with a text
// variable), 5 % solids, 4 % dimensions, 1 % block inserts.
std::unique_ptr<TJwwData> BuildLarge() {
    auto d = std::make_unique<TJwwData>();
    d->DataDefaultSet();
    bool ok = d->AddEntPre();
    ok = ok && d->AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
    ok = ok && d->AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0.0, 0.0, 1.0, 1.0);
    ok = ok && d->AddBlkDefPost(0);
    for (int i = 0; ok && i < kEntities; ++i) {
        const double x = i % 1000 * 0.4 - 200, y = i / 1000 * 0.2 - 120;
        const int kind = i % 100;
        if (kind < 60) {
            ok = d->AddEntLine(0, i % 16, (i / 16) % 16, 1 + i % 9, 1 + i % 9, 0, 0, x, y, x + 0.3, y + 0.1);
        } else if (kind < 70) {
            ok = d->AddEntArc(0, 0, 0, 2, 1, 0, 0, x, y, 0.15, 1.0, 0.0, 90.0, 0.0);
        } else if (kind < 80) {
            ok = d->AddEntTen(0, 0, 0, 3, 1 + i % 3, 0, 0, x, y, 0.0, 1.0);
        } else if (kind < 90) {
            ok = d->AddEntMoji(0, 0, 0, 5, 1, 0, 0, 1, x, y, 0.2, 0.2, 0.0, 0.0, u"ＭＳ ゴシック",
                               kind == 80 ? u"%f" : u"部屋名 ROOM-101");
        } else if (kind < 95) {
            ok = d->AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0xFF8000, x, y, x + 0.1, y, x + 0.1, y + 0.1, x, y + 0.1);
        } else if (kind < 99) {
            ok = d->AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1, x, y, x + 0.3, y, x + 0.1, y + 0.05, 0.2, 0.2, 0.0,
                                0.0, u"ＭＳ ゴシック", u"10");
        } else {
            ok = d->AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, x, y, 1.0, 1.0, 0.0);
        }
    }
    ok = ok && d->AddEntPost();
    if (!ok) return nullptr;
    return d;
}

void BM_DxfExportLarge(benchmark::State& state) {
    static std::unique_ptr<TJwwData> d = BuildLarge();
    if (!d) {
        state.SkipWithError("building the drawing failed");
        return;
    }
    JwFileName = u"/plans/large.jww";
    Settings(*d);
    Export(state, *d, Out("zs_bench_dxf_large.dxf"));
    state.SetItemsProcessed(state.iterations() * d->Enthd.n1);
}
BENCHMARK(BM_DxfExportLarge)
    ->Arg(kDxfR12)
    ->Arg(kDxf2000)
    ->Arg(kDxf2007)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Polyline joining and dimension grouping at scale, in 2000: one curve group
// of 100,000 lines end to end (in shuffled order, so that the chain grows at
// both ends), and 100,000 curve groups of three lines (triangles); argument 0
// exports without, 1 with --join-lines --dimensions.
constexpr int kJoinLines = 100'000;

void JoinExport(benchmark::State& state, TJwwData& d, int lines) {
    Settings(d);
    DxfOutJoinLines = DxfOutDimension = state.range(1) != 0;
    Export(state, d, Out("zs_bench_dxf_join.dxf"));
    DxfOutJoinLines = DxfOutDimension = false;
    state.SetItemsProcessed(state.iterations() * lines);
}

void BM_DxfExportOneCurveGroup(benchmark::State& state) {
    TJwwData d;
    d.DataDefaultSet();
    bool ok = d.AddEntPre();
    for (int k = 0; k < kJoinLines; ++k) {
        const int i = (k * 7919) % kJoinLines;  // 7919 is prime to the count: every line once
        const double x = i * 0.01, y = (i % 2) * 0.5;
        ok = ok && d.AddEntLine(1, 0, 0, 1, 1, 0, 0, x, y, x + 0.01, 0.5 - y);
    }
    if (!(ok && d.AddEntPost())) return state.SkipWithError("building the drawing failed");
    JoinExport(state, d, kJoinLines);
}
BENCHMARK(BM_DxfExportOneCurveGroup)->Args({kDxf2000, 0})->Args({kDxf2000, 1})->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DxfExportManySmallGroups(benchmark::State& state) {
    TJwwData d;
    d.DataDefaultSet();
    bool ok = d.AddEntPre();
    for (int g = 0; g < kJoinLines; ++g) {
        const double x = (g % 1000) * 0.3, y = (g / 1000) * 0.3;
        ok = ok && d.AddEntLine(g + 1, 0, 0, 1, 1, 0, 0, x, y, x + 0.2, y) &&
             d.AddEntLine(g + 1, 0, 0, 1, 1, 0, 0, x + 0.2, y, x + 0.1, y + 0.2) &&
             d.AddEntLine(g + 1, 0, 0, 1, 1, 0, 0, x + 0.1, y + 0.2, x, y);
    }
    if (!(ok && d.AddEntPost())) return state.SkipWithError("building the drawing failed");
    JoinExport(state, d, 3 * kJoinLines);
}
BENCHMARK(BM_DxfExportManySmallGroups)->Args({kDxf2000, 0})->Args({kDxf2000, 1})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
