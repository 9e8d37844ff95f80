// Speed of the text conversions the JWW reader and writer run per string.
#include <benchmark/benchmark.h>

#include "support/numbers.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace {

// A typical drawing text: kanji, kana, digits and ASCII.
const std::u16string kText = u"\u56F3\u9762\u756A\u53F7 A-101 \u5E73\u9762\u56F3 S=1/100 \uFF71\uFF72";

void BM_AnsiBytes(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(jw::AnsiBytes(kText));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnsiBytes);

void BM_AnsiAppend(benchmark::State& state) {
    jw::Bytes out;
    for (auto _ : state) {
        out.clear();
        jw::AnsiAppend(kText, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnsiAppend);

void BM_AnsiBytesStr(benchmark::State& state) {
    const jw::Bytes b = jw::AnsiBytes(kText);
    for (auto _ : state) benchmark::DoNotOptimize(jw::AnsiBytesStr(b));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnsiBytesStr);

void BM_StrUpper(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(jw::StrUpper(kText));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StrUpper);

void BM_FloatStr(benchmark::State& state) {
    double v = 1234.5678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(jw::FloatStr(v));
        v += 0.001;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloatStr);

}  // namespace

BENCHMARK_MAIN();
