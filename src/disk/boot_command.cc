// spindisk boot: placeholder until the command is built.
#include "disk/command.h"

const char BOOT_USAGE[] = "Usage: spindisk boot ...\n";

CommandOutput run_boot(const std::vector<std::string>&) {
    return command_error("the boot command is not available yet");
}
