// spindisk hfe: placeholder until the command is built.
#include "disk/command.h"

const char HFE_USAGE[] = "Usage: spindisk hfe ...\n";

CommandOutput run_hfe(const std::vector<std::string>&) {
    return command_error("the hfe command is not available yet");
}
