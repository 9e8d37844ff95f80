// libFuzzer target: any bytes, read as a JWW drawing (full read with image
// extraction, and a preview) and as a JWS figure, straight from memory.
// Besides crashes and sanitizer reports it checks that extraction never puts
// anything outside the image folder.
//
// The library itself must be instrumented too, or the fuzzer runs blind and
// ASan misses overreads in the reader:
//   CXX=clang++ cmake -S . -B build-fuzz -DZS_BUILD_FUZZ=ON -DZS_BUILD_GUI=OFF
//     -DZS_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined"
//   build-fuzz/fuzz/fuzz_read -max_len=262144 CORPUS ../shared/samples
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "model/jw_data.h"
#include "report/drawing_summary.h"

namespace {

namespace fs = std::filesystem;

struct Folders {
    fs::path root, images;
    std::u16string imagesU16;
    Folders() {
        root = fs::temp_directory_path() / ("zs-fuzz-read-" + std::to_string(::getpid()));
        images = root / "img";
        fs::remove_all(root);
        fs::create_directories(images);
        const std::string s = images.string() + "/";
        imagesU16.assign(s.begin(), s.end());
    }
    ~Folders() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Folders& TheFolders() {
    static Folders f;
    return f;
}

// The root holds only the image folder, and that only plain files.
void CheckFolders(const Folders& f) {
    for (const auto& e : fs::directory_iterator(f.root))
        if (e.path() != f.images) __builtin_trap();
    for (const auto& e : fs::directory_iterator(f.images)) {
        if (!e.is_regular_file()) __builtin_trap();
        fs::remove(e.path());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Folders& f = TheFolders();
    {
        jw::TJwwData m;
        m.BindImageFolder = f.imagesU16;
        m.BindImageExp = m.BindImageExr = true;
        m.BufferIn(data, size, u"fuzz.jww");
        if (m.ReadEnd > size) __builtin_trap();
        (void)jw::SummaryToJson(jw::SummarizeDrawing(m)).dump();
        m.BindImageDeleteGzFile();
        m.BindImageDeleteNonGzFile();
        CheckFolders(f);
        m.BufferIn(data, size, u"fuzz.jww", static_cast<int32_t>(size % 64));
    }
    {
        jw::TJwsData m;
        m.BufferIn(data, size, u"fuzz.jws");
        if (m.ReadEnd > size) __builtin_trap();
        (void)jw::SummaryToJson(jw::SummarizeDrawing(m)).dump();
    }
    return 0;
}
