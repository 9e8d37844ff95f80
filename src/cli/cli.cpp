#include "cli.h"

#include <algorithm>
#include <ostream>

#include "command.h"
#include "support/text_encoding.h"

namespace jw::cli {

namespace {

// Function-local so that registrars in other files may run in any order.
std::vector<CommandEntry>& Registry() {
    static std::vector<CommandEntry> commands;
    return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(CommandEntry entry) { Registry().push_back(std::move(entry)); }

std::vector<CommandEntry> Commands() {
    std::vector<CommandEntry> list = Registry();
    std::stable_sort(list.begin(), list.end(),
                     [](const CommandEntry& a, const CommandEntry& b) { return a.order < b.order; });
    return list;
}

int Run(const std::vector<std::string>& args, Console& io) {
    CLI::App app{"Inspect and convert Jw_cad drawings (JWW) and figures (JWS).", kProgramName};
    app.require_subcommand(1);
    // The parser's messages quote the arguments, which may hold anything.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(kProgramName) + ": " + EscapeControls(e.what()) +
               "\nRun with --help for more information.\n";
    });
    app.footer(
        "Run 'zumenscope-cli COMMAND --help' for the options of a command.\n"
        "Exit status: 0 success, 1 a file could not be read or written, 2 usage error.");

    app.add_flag("--version")->description("Print the program's version and exit");
    // Asked for alone, before the parser, which wants a command.
    if (!args.empty() && args[0] == "--version") {
        io.out << kProgramName << ' ' << ZS_VERSION << '\n';
        return kExitOk;
    }

    const std::vector<CommandEntry> commands = Commands();
    std::vector<std::pair<CLI::App*, CommandAction>> actions;
    for (const CommandEntry& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name, c.summary);
        if (c.setup != nullptr) actions.emplace_back(sub, c.setup(*sub));
    }

    // An unknown first word gets a message naming the commands, rather than
    // the parser's generic "arguments were not expected".
    if (!args.empty() && !args[0].empty() && args[0][0] != '-') {
        const bool known = std::any_of(commands.begin(), commands.end(),
                                       [&](const CommandEntry& c) { return c.name == args[0]; });
        if (!known) {
            io.err << kProgramName << ": unknown command '" << EscapeControls(args[0]) << "' (commands:";
            for (const CommandEntry& c : commands) io.err << ' ' << c.name;
            io.err << ")\nRun with --help for more information.\n";
            return kExitUsage;
        }
    }

    for (const CommandEntry& c : commands) {
        if (c.forward != nullptr && !args.empty() && args[0] == c.name)
            return c.forward(std::vector<std::string>(args.begin() + 1, args.end()), io);
    }

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, io.out, io.err);
        // Help is a success; every other parse error is a usage error.
        return status == static_cast<int>(CLI::ExitCodes::Success) ? kExitOk : kExitUsage;
    }

    for (auto& [sub, action] : actions) {
        if (sub->parsed()) return action(io);
    }
    return kExitUsage;  // not reached: one command is required
}

}  // namespace jw::cli
