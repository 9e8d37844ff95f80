// Write throughput of the JWW writer: the largest sample saved to a file, and
// a large synthetic drawing (lines, texts, points) saved through the buffered
// temporary-file sink.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/samples.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace {

namespace fs = std::filesystem;

std::string TempTarget() {
    return (fs::temp_directory_path() / ("zs_bench_write_" + std::to_string(::getpid()) + ".jww")).string();
}

void WriteSample(benchmark::State& state) {
    jw::TJwwData m;
    m.BindImageExr = true;
    const std::string src = jw::test::SamplePath("jww700-sjis-blocks.jww").string();
    if (!m.FileIn(jw::FromUtf8(src))) {
        state.SkipWithError(("sample not readable: " + src).c_str());
        return;
    }
    const jw::JwString target = jw::FromUtf8(TempTarget());
    const int ver = static_cast<int>(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        if (!m.FileOut(target, ver)) state.SkipWithError("write failed");
        bytes += fs::file_size(fs::path(jw::ToUtf8(target)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    fs::remove(fs::path(jw::ToUtf8(target)));
}
BENCHMARK(WriteSample)->Arg(700)->Arg(351)->Unit(benchmark::kMillisecond);

jw::TJwwData Synthetic(int lines) {
    jw::TJwwData m;
    m.Enthd.jwVer = 700;
    m.SizeHeaderTables();
    jw::TEntJwwLine l;
    l.att.nPenStyle = 1;
    l.att.nPenColor = 2;
    jw::TEntJwwMoji t;
    t.att.nPenStyle = 1;
    t.att.nPenColor = 3;
    t.dSizeX = t.dSizeY = 2.5;
    t.strFontName = u"ＭＳ ゴシック";
    jw::TEntJwwTen p;
    p.att.nPenStyle = 100;
    p.att.nPenColor = 1;
    for (int i = 0; i < lines; ++i) {
        l.end_x = i;
        m.EntLine.push_back(l);
        m.EntNo.push_back({1, i});
        if (i % 10 == 0) {
            t.str = u"部屋 " + jw::FromUtf8(std::to_string(i));
            m.EntNo.push_back({4, static_cast<int32_t>(m.EntMoji.size())});
            m.EntMoji.push_back(t);
            m.EntNo.push_back({3, static_cast<int32_t>(m.EntTen.size())});
            m.EntTen.push_back(p);
        }
    }
    m.EntLineN = static_cast<int32_t>(m.EntLine.size());
    m.EntMojiN = static_cast<int32_t>(m.EntMoji.size());
    m.EntTenN = static_cast<int32_t>(m.EntTen.size());
    m.Enthd.n1 = static_cast<int32_t>(m.EntNo.size());
    return m;
}

void WriteSynthetic(benchmark::State& state) {
    jw::TJwwData m = Synthetic(static_cast<int>(state.range(0)));
    m.SetFileOutOption(static_cast<int>(state.range(1)));
    const jw::JwString target = jw::FromUtf8(TempTarget());
    size_t bytes = 0;
    for (auto _ : state) {
        if (!m.FileOut(target, 700)) state.SkipWithError("write failed");
        bytes += fs::file_size(fs::path(jw::ToUtf8(target)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["entities"] = m.Enthd.n1;
    fs::remove(fs::path(jw::ToUtf8(target)));
}
BENCHMARK(WriteSynthetic)->Args({200000, 0})->Args({200000, 0x20})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
