// The real sample drawings: the folder named by the environment variable
// ZS_SAMPLES, else ../shared/samples beside the project (ZS_SAMPLES_DIR, set
// by the build). A test that needs them starts with ZS_NEED_SAMPLES(): without
// the folder it is skipped with a message naming the folder, or fails when
// ZS_REQUIRE_SAMPLES=1 (as CI runs). The benchmarks use the same folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace jw::test {

inline std::filesystem::path SamplesDir() {
    if (const char* dir = getenv("ZS_SAMPLES"); dir != nullptr && *dir != '\0') return dir;
    return ZS_SAMPLES_DIR;
}

// path of the sample file name.
inline std::filesystem::path SamplePath(std::string_view name) { return SamplesDir() / name; }

inline bool HaveSamples() {
    std::error_code ec;
    return std::filesystem::is_directory(SamplesDir(), ec);
}

// ZS_REQUIRE_SAMPLES=1: a missing samples folder is a failure, not a skip.
inline bool SamplesRequired() {
    const char* v = getenv("ZS_REQUIRE_SAMPLES");
    return v != nullptr && std::string_view(v) == "1";
}

inline std::string MissingSamplesMessage() {
    return "sample drawings not found in " + SamplesDir().string() +
           " (put them there or name their folder in ZS_SAMPLES)";
}

}  // namespace jw::test

// First statement of a test (or of its SetUp) that reads the sample drawings.
#define ZS_NEED_SAMPLES()                                                        \
    do {                                                                         \
        if (!::jw::test::HaveSamples()) {                                        \
            if (::jw::test::SamplesRequired()) FAIL() << ::jw::test::MissingSamplesMessage(); \
            GTEST_SKIP() << ::jw::test::MissingSamplesMessage();                 \
        }                                                                        \
    } while (0)
