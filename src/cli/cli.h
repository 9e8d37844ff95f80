// zumenscope-cli as a library: the command line is parsed and run in-process,
// writing to the streams the caller gives, so that the tests call exactly what
// the program runs. main.cpp only binds it to the process's streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace jw::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;      // every file read (and written) completely
inline constexpr int kExitFailed = 1;  // a file could not be read or written
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

inline constexpr const char* kProgramName = "zumenscope-cli";

// Where a command writes, and what it knows about the terminal.
struct Console {
    std::ostream& out;
    std::ostream& err;
    // True when err is a terminal: batch work then shows a progress line there.
    bool progress = false;
    // Width of that terminal in columns (a progress line never wraps).
    int columns = 80;
};

// Runs the tool on args (the arguments after the program name) and answers
// the exit status.
int Run(const std::vector<std::string>& args, Console& io);

// Run on the process's own streams (a progress line when stderr is a
// terminal); what main answers.
int RunProcess(const std::vector<std::string>& args);

}  // namespace jw::cli
