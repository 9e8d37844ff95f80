// zumenscope-render: the render command of zumenscope-cli, which runs this
// program with the command's arguments (render_command.h).
#include "cli.h"
#include "render_command.h"

int main(int argc, char** argv) {
    std::vector<std::string> args{jw::cli::kRenderName};
    if (argc > 1) args.insert(args.end(), argv + 1, argv + argc);
    return jw::cli::RunProcess(args);
}
