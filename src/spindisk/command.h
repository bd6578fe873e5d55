// What every spindisk command looks like to the driver: it takes its own
// arguments and hands back the text to print and the exit status, so that
// only main() prints and commands can be tested in-process.
#pragma once

#include <string>
#include <vector>

#include "disk/disk_file.h"  // quoted_name, for every command's messages

constexpr int STATUS_SUCCESS = 0;
constexpr int STATUS_FAILURE = 1;
constexpr int STATUS_USAGE = 2;

struct CommandOutput {
    std::string out;  // for standard output
    std::string err;  // for standard error, each line "spindisk: ..."
    int status = STATUS_SUCCESS;
};

// A failure with one message line: "spindisk: <message>\n".
CommandOutput command_error(const std::string& message, int status = STATUS_FAILURE);

// Bad usage: the message, then a pointer to the command's --help.
CommandOutput usage_error(const std::string& command, const std::string& message);

using CommandRunner = CommandOutput (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* summary;  // one line for spindisk --help
    const char* usage;    // the whole text of spindisk COMMAND --help
    CommandRunner run;    // gets the arguments after the command name
};

// Each command lives in its own file; these are their entry points.
CommandOutput run_list(const std::vector<std::string>& args);
CommandOutput run_extract(const std::vector<std::string>& args);
CommandOutput run_boot(const std::vector<std::string>& args);
CommandOutput run_hfe(const std::vector<std::string>& args);
CommandOutput run_convert(const std::vector<std::string>& args);
CommandOutput run_make(const std::vector<std::string>& args);

extern const char LIST_USAGE[];
extern const char EXTRACT_USAGE[];
extern const char BOOT_USAGE[];
extern const char HFE_USAGE[];
extern const char CONVERT_USAGE[];
extern const char MAKE_USAGE[];

// The command table, in the order spindisk --help lists them.
const std::vector<Command>& spindisk_commands();

// Runs spindisk with its whole argument list (args[0] is the program name).
CommandOutput run_spindisk(const std::vector<std::string>& args);
