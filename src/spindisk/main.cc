// spindisk's entry point: runs the command, prints what it produced, returns its status.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/platform_args.h"
#include "spindisk/command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = platform_arguments(argc, argv);
    const CommandOutput output = run_spindisk(args);
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    return output.status;
}
