// zumenscope-cli: inspect and convert Jw_cad drawings from the command line.
#include "cli.h"

int main(int argc, char** argv) {
    return jw::cli::RunProcess(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
