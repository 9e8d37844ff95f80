// Test helpers shared by every test area: a fresh folder under the system's
// temporary folder, removed with its contents when the test ends, whole files
// read and written, an environment variable set for a scope, and a Wine
// prefix to resolve Windows paths in.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace jw::test {

// The bytes of a file (empty when it cannot be read).
inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The contents of a file as a string (empty when it cannot be read).
inline std::string ReadFileString(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes bytes as the whole file p.
inline void WriteFileBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class TempDir {
public:
    // The folder's name starts with prefix.
    explicit TempDir(const std::string& prefix = "zs_test") {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
        if (mkdtemp(tmpl.data()) != nullptr) path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Folder text with a trailing "/".
    std::string folder() const { return path_.string() + "/"; }

    // Writes bytes to path()/rel, creating folders on the way.
    std::filesystem::path Write(const std::string& rel, const std::string& bytes) const {
        std::filesystem::path p = path_ / rel;
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

private:
    std::filesystem::path path_;
};

// Sets the environment variable name to value while the object lives; the
// earlier value, or its absence, comes back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name_.c_str())) {
            had_ = true;
            old_ = old;
        }
        setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_.c_str(), old_.c_str(), 1);
        else unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// Makes tmp/wine a Wine prefix whose drive C: (dosdevices/c:) is the folder
// tmp/wine/drive_c, and answers tmp/wine. Point WINEPREFIX at it with a
// ScopedEnv.
inline std::filesystem::path MakeWinePrefix(const TempDir& tmp) {
    const std::filesystem::path prefix = tmp.path() / "wine";
    std::error_code ec;
    std::filesystem::create_directories(prefix / "dosdevices", ec);
    std::filesystem::create_directories(prefix / "drive_c", ec);
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices/c:", ec);
    return prefix;
}

}  // namespace jw::test
