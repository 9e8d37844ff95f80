// Read throughput of the JWW/JWS reader on the real sample drawings, and the
// peak memory of the process while reading.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/samples.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
    std::string path;
    std::vector<uint8_t> bytes;
    bool jws;
};

std::vector<Sample> LoadSamples() {
    std::vector<Sample> out;
    if (!jw::test::HaveSamples()) return out;
    for (const auto& e : fs::directory_iterator(jw::test::SamplesDir())) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext != ".jww" && ext != ".jws") continue;
        Sample s{e.path().string(), {}, ext == ".jws"};
        std::string err;
        if (jw::ReadWholeFile(jw::FromUtf8(s.path), s.bytes, err)) out.push_back(std::move(s));
    }
    std::sort(out.begin(), out.end(), [](const Sample& a, const Sample& b) { return a.bytes.size() > b.bytes.size(); });
    return out;
}

const std::vector<Sample>& Samples() {
    static const std::vector<Sample> samples = LoadSamples();
    return samples;
}

void SetPeakMemory(benchmark::State& state) {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_MiB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
}

bool ReadOne(const Sample& s, bool fromFile) {
    if (s.jws) {
        jw::TJwsData m;
        return fromFile ? m.FileIn(jw::FromUtf8(s.path)) : m.BufferIn(s.bytes.data(), s.bytes.size(), u"bench");
    }
    jw::TJwwData m;
    m.BindImageExr = true;  // list bound images, extract nothing
    return fromFile ? m.FileIn(jw::FromUtf8(s.path)) : m.BufferIn(s.bytes.data(), s.bytes.size(), u"bench");
}

// The largest sample, decoded from memory (the parse alone) and from its file
// (one read of the file plus the parse).
void BM_ReadLargestSample(benchmark::State& state) {
    if (Samples().empty()) {
        state.SkipWithError(jw::test::MissingSamplesMessage().c_str());
        return;
    }
    const Sample& s = Samples().front();
    const bool fromFile = state.range(0) != 0;
    for (auto _ : state) {
        if (!ReadOne(s, fromFile)) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.bytes.size()));
    state.SetLabel(fs::path(s.path).filename().string() + (fromFile ? " (file)" : " (memory)"));
    SetPeakMemory(state);
}
BENCHMARK(BM_ReadLargestSample)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every sample in turn.
void BM_ReadAllSamples(benchmark::State& state) {
    if (Samples().empty()) {
        state.SkipWithError(jw::test::MissingSamplesMessage().c_str());
        return;
    }
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const Sample& s : Samples()) {
            if (!ReadOne(s, false)) state.SkipWithError("read failed");
            bytes += static_cast<int64_t>(s.bytes.size());
        }
    }
    state.SetBytesProcessed(bytes);
    SetPeakMemory(state);
}
BENCHMARK(BM_ReadAllSamples)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
