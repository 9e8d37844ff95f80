// What the libFuzzer targets share: the program-wide values set up once per
// process as the programs set them up, a folder of the process for the files
// a target makes (extracted images, written files), and the check that
// nothing was put anywhere else.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "attributes/gra_attribute.h"
#include "dxf/jww_to_dxf.h"
#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw::fuzz {

namespace fs = std::filesystem;

// The folder of this process (removed when it ends): img/ for extracted
// images, out/ for written files. The drawing read is named as if it stood
// in the folder itself, so that what it names relative to its own folder is
// looked for there, whatever the fuzzer's working folder holds.
struct Folders {
    fs::path root, images, out;
    JwString rootText, imagesText, outText;
    int watch = -1;  // inotify: anything created in root, img/ or out/
    Folders() {
        root = fs::temp_directory_path() / ("zs-fuzz-" + std::to_string(::getpid()));
        images = root / "img";
        out = root / "out";
        fs::remove_all(root);
        fs::create_directories(images);
        fs::create_directories(out);
        rootText = FromUtf8(root.string() + "/");
        imagesText = FromUtf8(images.string() + "/");
        outText = FromUtf8(out.string() + "/");
        watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch < 0) __builtin_trap();
        for (const fs::path& dir : {root, images, out})
            if (::inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0) __builtin_trap();
    }
    ~Folders() {
        ::close(watch);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // Whether anything was created in the folders since the last call (the
    // events are read and dropped).
    bool Created() const {
        alignas(inotify_event) char buf[4096];
        bool any = false;
        for (;;) {
            const ssize_t n = ::read(watch, buf, sizeof buf);
            if (n > 0) {
                any = true;
                continue;
            }
            if (n < 0 && errno == EAGAIN) return any;
            __builtin_trap();
        }
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

// The names in a folder, read with getdents64 into a buffer on the stack:
// this runs after every input, and a directory stream would allocate (and,
// under AddressSanitizer, fill) a fresh buffer each time. f gets the name
// and the entry's type; "." and ".." are left out.
template <class F>
void ForEachEntry(const fs::path& dir, F&& f) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) __builtin_trap();
    alignas(8) char buf[4096];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buf, sizeof buf);
        if (n < 0) __builtin_trap();
        if (n == 0) break;
        for (long at = 0; at < n;) {
            struct Entry {
                uint64_t ino;
                int64_t off;
                unsigned short reclen;
                unsigned char type;
                char name[1];
            };
            const auto* e = reinterpret_cast<const Entry*>(buf + at);
            const std::string_view name(e->name);
            unsigned char type = e->type;
            if (type == DT_UNKNOWN) {  // a file system that does not say
                struct stat st {};
                if (::fstatat(fd, e->name, &st, AT_SYMLINK_NOFOLLOW) != 0) __builtin_trap();
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (name != "." && name != "..") f(name, type);
            at += e->reclen;
        }
    }
    ::close(fd);
}

// The root holds only img/ and out/, and those only plain files, which go
// now. Anything else is a file written where it does not belong. Folders in
// which nothing was created are not listed again.
inline void CheckAndEmpty(const Folders& f) {
    if (!f.Created()) return;
    ForEachEntry(f.root, [](std::string_view name, unsigned char type) {
        if (type != DT_DIR || (name != "img" && name != "out")) __builtin_trap();
    });
    for (const fs::path& dir : {f.images, f.out}) {
        // Again after removing, as a listing need not survive removals.
        for (bool any = true; any;) {
            any = false;
            ForEachEntry(dir, [&](std::string_view name, unsigned char type) {
                if (type != DT_REG) __builtin_trap();
                if (::unlink((dir / name).c_str()) != 0) __builtin_trap();
                any = true;
            });
        }
    }
}

// A drawing or a figure, by the signature the bytes begin with.
inline bool IsFigure(const uint8_t* data, size_t size) {
    return size >= 7 && std::string_view(reinterpret_cast<const char*>(data), 7) == "JwsData";
}

// The bytes read as the exports read a file: a drawing, or with a figure's
// signature a figure taken as a drawing; bound images extracted into the
// image folder, the drawing named inside the target's folder.
inline void ReadAsDrawing(const uint8_t* data, size_t size, const Folders& f, TJwwData& dwg) {
    dwg.BindImageFolder = f.imagesText;
    dwg.BindImageExp = dwg.BindImageExr = true;
    if (IsFigure(data, size)) {
        TJwsData fig;
        fig.BufferIn(data, size, f.rootText + u"fuzz.jws");
        JwsAsDrawing(fig, dwg);
        dwg.BindImageFolder = f.imagesText;
    } else {
        dwg.BufferIn(data, size, f.rootText + u"fuzz.jww");
    }
}

// A hash of the bytes, which picks the options a target tries on them (the
// same bytes always the same options). Without coverage: its loop would
// report a comparison to the fuzzer for every byte.
__attribute__((no_sanitize("coverage"))) inline uint32_t Hash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

}  // namespace jw::fuzz
