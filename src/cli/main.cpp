// zumenscope-cli: inspect and convert Jw_cad drawings from the command line.
#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

#include "cli.h"
#include "support/file_io.h"

int main(int argc, char** argv) {
    jw::AdviseLargeHeap();
    std::ios::sync_with_stdio(false);
    jw::cli::Console io{std::cout, std::cerr};
    io.progress = ::isatty(STDERR_FILENO) == 1;
    winsize ws{};
    if (io.progress && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) io.columns = ws.ws_col;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = jw::cli::Run(args, io);
    std::cout.flush();
    return status;
}
