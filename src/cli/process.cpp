#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

#include "cli.h"
#include "support/file_io.h"

namespace jw::cli {

int RunProcess(const std::vector<std::string>& args) {
    AdviseLargeHeap();
    std::ios::sync_with_stdio(false);
    Console io{std::cout, std::cerr};
    io.progress = ::isatty(STDERR_FILENO) == 1;
    winsize ws{};
    if (io.progress && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) io.columns = ws.ws_col;
    const int status = Run(args, io);
    std::cout.flush();
    return status;
}

}  // namespace jw::cli
