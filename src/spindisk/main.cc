// spindisk's entry point: runs the command, prints what it produced, returns
// its status; a report that cannot be written all the way is a failure.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/platform_args.h"
#include "spindisk/command.h"

namespace {

const char CANNOT_WRITE_OUTPUT[] = "spindisk: cannot write to standard output\n";

bool write_all(std::FILE* stream, const std::string& text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = platform_arguments(argc, argv);
    const CommandOutput output = run_spindisk(args);
    const bool out_written = write_all(stdout, output.out);
    const bool err_written = write_all(stderr, output.err);
    if (!out_written) write_all(stderr, CANNOT_WRITE_OUTPUT);
    // A command that failed already says so; one that succeeded has not
    // delivered its report.
    if ((!out_written || !err_written) && output.status == STATUS_SUCCESS) return STATUS_FAILURE;
    return output.status;
}
