// What the libFuzzer targets share: the program-wide values set up once per
// process as the programs set them up, a folder of the process for the files
// a target makes (extracted images, written files), and the check that
// nothing was put anywhere else.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "attributes/gra_attribute.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw::fuzz {

namespace fs = std::filesystem;

// The folder of this process (removed when it ends): img/ for extracted
// images, out/ for written files.
struct Folders {
    fs::path root, images, out;
    JwString imagesText, outText;
    Folders() {
        root = fs::temp_directory_path() / ("zs-fuzz-" + std::to_string(::getpid()));
        images = root / "img";
        out = root / "out";
        fs::remove_all(root);
        fs::create_directories(images);
        fs::create_directories(out);
        imagesText = FromUtf8(images.string() + "/");
        outText = FromUtf8(out.string() + "/");
    }
    ~Folders() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// The program-wide values every target reads, set once: the display
// attributes, the defaults, a fixed clock for the text variables.
inline Folders& Setup() {
    static TgraAttribute attr;
    static Folders folders;
    static const bool done = [] {
        JwDefMojiTypeInit();
        JwGlobalInit();
        JwGraAttrSetup(attr);
        JwGraAttr = &attr;
        DxfOutNowFunc = [] { return 45000.5; };
        DxfOutFileDateFunc = [](const JwString&) { return 44000.25; };
        return true;
    }();
    (void)done;
    return folders;
}

// The root holds only img/ and out/, and those only plain files, which go
// now. Anything else is a file written where it does not belong.
inline void CheckAndEmpty(const Folders& f) {
    for (const auto& e : fs::directory_iterator(f.root))
        if (e.path() != f.images && e.path() != f.out) __builtin_trap();
    for (const fs::path& dir : {f.images, f.out}) {
        for (const auto& e : fs::directory_iterator(dir)) {
            if (!e.is_regular_file() || e.is_symlink()) __builtin_trap();
            fs::remove(e.path());
        }
    }
}

// A drawing or a figure, by the signature the bytes begin with.
inline bool IsFigure(const uint8_t* data, size_t size) {
    return size >= 7 && std::string_view(reinterpret_cast<const char*>(data), 7) == "JwsData";
}

// A hash of the bytes, which picks the options a target tries on them (the
// same bytes always the same options).
inline uint32_t Hash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

}  // namespace jw::fuzz
