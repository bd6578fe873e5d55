// spindisk's command table, its top-level help and version, and dispatch.
#include <cstring>

#include "spindisk/command.h"

#ifndef SPIN_VERSION
#define SPIN_VERSION "unknown"
#endif

namespace {

const char PROGRAM_USAGE_HEAD[] =
    "Usage: spindisk COMMAND [OPTIONS] ...\n"
    "Makes and reads OSI disk images: make a disk from a program, look inside,\n"
    "take the program back out, boot it on a simulated OSI machine, write it for\n"
    "a floppy emulator or convert it between .65d, HFE and osiemu bit streams.\n"
    "\n"
    "Commands:\n";

const char PROGRAM_USAGE_TAIL[] =
    "\n"
    "Run 'spindisk COMMAND --help' for a command's options.\n"
    "Options: --help, --version\n"
    "Exit status: 0 success, 1 failure, 2 bad usage.\n";

std::string program_usage() {
    std::string text = PROGRAM_USAGE_HEAD;
    for (const Command& command : spindisk_commands()) {
        std::string name = command.name;
        name.resize(10, ' ');
        text += "  " + name + command.summary + "\n";
    }
    return text + PROGRAM_USAGE_TAIL;
}

}  // namespace


CommandOutput command_error(const std::string& message, int status) {
    CommandOutput output;
    output.err = "spindisk: " + message + "\n";
    output.status = status;
    return output;
}

CommandOutput usage_error(const std::string& command, const std::string& message) {
    CommandOutput output = command_error(message, STATUS_USAGE);
    output.err += "Try 'spindisk " + command + (command.empty() ? "" : " ") + "--help'.\n";
    return output;
}

const std::vector<Command>& spindisk_commands() {
    static const std::vector<Command> COMMANDS = {
        {"make", "make a bootable disk from a program, proven to boot", MAKE_USAGE, run_make},
        {"list", "show what is on an image (--json for scripts)", LIST_USAGE, run_list},
        {"extract", "write the program bytes back to a file", EXTRACT_USAGE, run_extract},
        {"boot", "boot an image on a simulated OSI machine", BOOT_USAGE, run_boot},
        {"hfe", "write an HFE file for a floppy emulator", HFE_USAGE, run_hfe},
        {"convert", "write a disk as .65d, HFE or osiemu bit stream", CONVERT_USAGE, run_convert},
    };
    return COMMANDS;
}

CommandOutput run_spindisk(const std::vector<std::string>& args) {
    CommandOutput output;
    if (args.size() < 2) {
        output = command_error("no command given", STATUS_USAGE);
        output.err += program_usage();
        return output;
    }
    const std::string& first = args[1];
    if (first == "--help" || first == "-h" || first == "help") {
        output.out = program_usage();
        return output;
    }
    if (first == "--version") {
        output.out = std::string("spindisk ") + SPIN_VERSION + "\n";
        return output;
    }
    for (const Command& command : spindisk_commands()) {
        if (first != command.name) continue;
        const std::vector<std::string> rest(args.begin() + 2, args.end());
        for (const std::string& arg : rest) {
            if (arg == "--") break;
            if (arg == "--help" || arg == "-h") {
                output.out = command.usage;
                return output;
            }
        }
        return command.run(rest);
    }
    return usage_error("", "unknown command '" + first + "'");
}
