#include "batch_plan.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "cli_support.h"
#include "files/open_file.h"
#include "support/paths.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

// True for the files a folder argument stands for: drawings and figures.
bool DrawingFile(const fs::directory_entry& e) {
    std::error_code ec;
    if (!e.is_regular_file(ec)) return false;
    const JwFileKind kind = FileKindOf(FromNativePath(e.path()));
    return kind == JwFileKind::Jww || kind == JwFileKind::Jws;
}

// The drawings and figures in folder (and its subfolders when recursive),
// sorted by path, each with its path relative to folder. A folder that
// cannot be read is named in error.
std::vector<std::pair<fs::path, fs::path>> FolderDrawings(const fs::path& folder, bool recursive, std::string& error) {
    std::vector<std::pair<fs::path, fs::path>> found;
    std::error_code ec;
    auto take = [&](const fs::directory_entry& e) {
        if (DrawingFile(e)) found.emplace_back(e.path(), e.path().lexically_relative(folder));
    };
    if (recursive) {
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) take(*it);
    } else {
        fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) take(*it);
    }
    if (ec) error = ec.message();
    std::sort(found.begin(), found.end());
    return found;
}

// name with the output's extension (as it is when the request keeps names).
fs::path OutputName(const BatchRequest& r, fs::path name) {
    if (!r.extension.empty()) name.replace_extension(r.extension);
    return name;
}

}  // namespace

bool PlanBatch(const BatchRequest& r, Console& io, std::vector<BatchJob>& jobs) {
    jobs.clear();
    for (const std::string& arg : r.args) {
        std::error_code ec;
        if (fs::is_directory(fs::path(arg), ec)) {
            std::string error;
            const auto found = FolderDrawings(fs::path(arg), r.recursive, error);
            if (!error.empty()) jobs.push_back({arg, {}, "cannot read the folder: " + error});
            if (found.empty() && error.empty())
                jobs.push_back({arg, {}, std::string("no drawings (.jww, .jws) in the folder") +
                                             (r.recursive ? "" : " (--recursive takes its subfolders)")});
            for (const auto& [file, rel] : found) {
                fs::path out;
                if (r.outputs) out = r.outdir.empty() ? OutputName(r, file) : fs::path(r.outdir) / OutputName(r, rel);
                jobs.push_back({file.string(), out, {}});
            }
        } else {
            fs::path out;
            if (r.outputs) {
                out = OutputName(r, fs::path(arg));
                if (!r.outdir.empty()) out = fs::path(r.outdir) / OutputName(r, fs::path(arg).filename());
                if (!r.out.empty()) out = fs::path(r.out);
            }
            jobs.push_back({arg, out, {}});
        }
    }
    if (!r.out.empty() && jobs.size() != 1) {
        Complain(io, r.command, "-o takes one input; use --outdir DIR for several");
        return false;
    }
    if (r.outputs) {
        OutputClaims claims;
        for (BatchJob& job : jobs)
            if (job.error.empty()) job.error = claims.Claim(job.out);
    }
    return true;
}

bool MakeBatchFolders(Console& io, const std::string& outdir, std::vector<BatchJob>& jobs) {
    if (outdir.empty()) return true;
    if (!MakeOutputFolder(io, outdir)) return false;
    // The subfolders of folder arguments, made here once rather than by
    // jobs running at the same time.
    for (BatchJob& job : jobs) {
        if (!job.error.empty() || job.out.empty()) continue;
        const fs::path folder = job.out.parent_path();
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder))
            job.error = "cannot create the output folder " + folder.string() + (ec ? ": " + ec.message() : std::string());
    }
    return true;
}

std::vector<std::string> BatchNames(const std::vector<BatchJob>& jobs) {
    std::vector<std::string> names;
    names.reserve(jobs.size());
    for (const BatchJob& job : jobs) names.push_back(job.in);
    return names;
}

}  // namespace jw::cli
