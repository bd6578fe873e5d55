// spindisk list: placeholder until the command is built.
#include "disk/command.h"

const char LIST_USAGE[] = "Usage: spindisk list ...\n";

CommandOutput run_list(const std::vector<std::string>&) {
    return command_error("the list command is not available yet");
}
