// spindisk extract: placeholder until the command is built.
#include "disk/command.h"

const char EXTRACT_USAGE[] = "Usage: spindisk extract ...\n";

CommandOutput run_extract(const std::vector<std::string>&) {
    return command_error("the extract command is not available yet");
}
