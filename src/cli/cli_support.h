// Pieces shared by the commands: messages on the error stream, the checks of
// number options, the progress line of batch work, and a private temporary
// folder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli.h"
#include "files/open_file.h"
#include "support/strings.h"

namespace jw::cli {

// The path as given on the command line, in the model's text form.
JwString PathText(std::string_view path);

// Why a file named on the command line cannot be opened at all ("no such
// file", "is a directory") or is not what its extension says (a .jww that
// does not begin as a drawing does: "not a JWW drawing"); nothing when it is
// a file that can be tried.
std::optional<std::string> FileProblem(std::string_view path);

// The check of a number option: a value from min to max. A value outside,
// or text that is no number, is refused with the range in a few words:
// "--dpi: 0 is out of range: give 1 to 2400". range, when given, says the
// range instead of the two numbers ("0 (every core) to 1024"). With aboveMin
// the value must be more than min ("more than 0, up to 1000").
CLI::Validator NumberRange(double min, double max, std::string range = {}, bool aboveMin = false);

// Whether a and b name the same file: the same device and inode when both
// exist (through symbolic and hard links and any spelling), else the same
// path after resolving links and ".."; false when either cannot be resolved.
bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b);

// "zumenscope-cli: <subject>: <message>" on the error stream.
void Complain(Console& io, std::string_view subject, std::string_view message);

// Makes the output folder dir (with its parents); says so and answers false
// when it cannot be made.
bool MakeOutputFolder(Console& io, const std::string& dir);

// The outputs of a batch: of two inputs that would write the same file (the
// same path after resolving links and ".."), the first one writes it.
class OutputClaims {
public:
    // Empty for the first claim of out; for a later one, the error of its job.
    std::string Claim(const std::filesystem::path& out);

private:
    std::set<std::filesystem::path> taken_;
};

// Text of one report line for a UTF-8 text stream: a line break held inside
// it (CR LF or a lone CR, as in a file memo) becomes a plain LF; any other
// control character except LF and TAB becomes U+FFFD.
std::string ReportLineUtf8(std::u16string_view line);

// "[3/120] name" on the error stream, rewritten in place for each file, when
// the error stream is a terminal and more than one file is processed. The
// line is cleared before anything else is printed and at the end.
class ProgressLine {
public:
    ProgressLine(Console& io, size_t total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Shows that file number index (1-based) is being processed.
    void Show(size_t index, std::string_view path);
    // Removes the line (nothing when none is shown).
    void Clear();

private:
    Console& io_;
    size_t total_;
    bool enabled_;
    bool shown_ = false;
};

class PrivateTempFolder;

// Reads a drawing (.jww) or a figure (.jws, made a drawing by JwsAsDrawing)
// for an export: the drawing is models.Jww(), its bound images extracted into
// images (made only when there is one). False, with the reason in error, for
// a file of another kind (what names the command's verb: "exported",
// "rendered"), one that cannot be opened, one that is the output out itself,
// or a failed read. Images that could not be extracted are named in
// imageErrors.
bool ReadDrawingForExport(const std::string& in, const std::filesystem::path& out, PrivateTempFolder& images,
                          TJwFileModels& models, const char* what, std::string& error,
                          std::vector<std::string>& imageErrors);

// A folder of its own under the system's temporary folder (MakePrivateTempFolder),
// made when it is first asked for and removed with everything in it when the
// object goes away.
class PrivateTempFolder {
public:
    PrivateTempFolder() = default;
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    // The folder, made now when it is not there yet; empty when it cannot be
    // made, and error() then says why.
    const std::filesystem::path& Make();
    const std::string& error() const { return error_; }
    // A model's BindImageFolderMake that makes this folder.
    std::function<JwString(std::string&)> ImageFolderMaker();

private:
    std::filesystem::path path_;
    std::string error_;
};

}  // namespace jw::cli
