// `render` in zumenscope-cli: the arguments, as given, go to the program
// zumenscope-render beside this one, which replaces this process; its help,
// messages, progress line, outputs and exit status are the command's. Only
// that program links Qt.
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli_support.h"
#include "command.h"
#include "render_command.h"

namespace jw::cli {

namespace {

namespace fs = std::filesystem;

int RunRenderProgram(const std::vector<std::string>& args, Console& io) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) {
        Complain(io, kRenderName,
                 std::string("cannot find the program ") + kRenderProgram + ": /proc/self/exe: " + ec.message());
        return kExitFailed;
    }
    const std::string program = (self.parent_path() / kRenderProgram).string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    io.out.flush();
    io.err.flush();
    ::execv(program.c_str(), argv.data());
    Complain(io, kRenderName, "cannot run " + program + ": " + std::error_code(errno, std::generic_category()).message());
    return kExitFailed;
}

const CommandRegistrar registrar({kRenderName, kRenderSummary, kRenderOrder, nullptr, RunRenderProgram});

}  // namespace

}  // namespace jw::cli
