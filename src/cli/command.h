// The subcommands of zumenscope-cli. Each command lives in its own source file
// and registers itself with a static CommandRegistrar, so adding a command
// means adding one file:
//
//     namespace {
//     CommandAction Setup(CLI::App& sub) { ...options...; return [opts](Console& io) {...}; }
//     const CommandRegistrar reg({"name", "one-line summary", 30, Setup});
//     }
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli.h"

namespace jw::cli {

// Runs a parsed command; answers the exit status.
using CommandAction = std::function<int(Console&)>;

struct CommandEntry {
    std::string name;
    std::string summary;
    int order = 0;  // position in the help listing (ascending)
    // Declares the command's options and arguments on sub (whose name and
    // summary are already set) and answers the action to run after a
    // successful parse; the action reads the values the parse stored.
    CommandAction (*setup)(CLI::App& sub) = nullptr;
    // Instead of setup: a command that another program carries out gets the
    // arguments after its name unparsed, exactly as given, --help included,
    // and answers the exit status.
    int (*forward)(const std::vector<std::string>& args, Console& io) = nullptr;
};

class CommandRegistrar {
public:
    explicit CommandRegistrar(CommandEntry entry);
};

// Every registered command, in help order.
std::vector<CommandEntry> Commands();

}  // namespace jw::cli
