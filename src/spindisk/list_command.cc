// spindisk list: what is on a disk, for a person or (--json) for a script.
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "disk/disk_file.h"
#include "spindisk/listing.h"

const char LIST_USAGE[] =
    "Usage: spindisk list [--json] [--strict] IMAGE\n"
    "Shows what is on a disk: its format, the boot track (SpinLoad's loader,\n"
    "raw boot code or unknown code), the data tracks as the loader reads them,\n"
    "the program's size and addresses, the directory label, and warnings about\n"
    "anything that would keep the disk from booting or the program from\n"
    "loading intact. IMAGE is a .65d image, an HFE file or an osiemu bit\n"
    "stream (.os5/.os8); the tracks of the last two are decoded as the disk\n"
    "controller reads them, and the listing says how many bytes each gave and\n"
    "which had parity or framing errors. With SpinLoad's loader it also gives\n"
    "the slowest CPU clock at which the loader keeps up with the disk.\n"
    "\n"
    "Options:\n"
    "  --json     print the same facts as one JSON object (fields in the README)\n"
    "  --strict   exit with 1 when any finding is an error\n"
    "  --help     show this text\n";

namespace {

const std::vector<OptionSpec> LIST_OPTIONS = {{"json", false}, {"strict", false}};

}  // namespace

CommandOutput run_list(const std::vector<std::string>& args) {
    const ParsedArguments parsed = parse_command_arguments(args, LIST_OPTIONS);
    if (!parsed.error.empty()) return usage_error("list", parsed.error);
    if (parsed.positional.empty()) return usage_error("list", "missing IMAGE");
    if (parsed.positional.size() > 1) return usage_error("list", "unexpected argument '" + parsed.positional[1] + "'");

    DiskFile disk;
    std::string error;
    if (!load_disk_file(parsed.positional[0], disk, error)) return command_error(error);
    CommandOutput output;
    output.out = parsed.has("json") ? listing_json(disk.facts, &disk) : listing_text(disk.facts, &disk);
    const size_t errors = error_count(disk.facts);
    if (parsed.has("strict") && errors > 0) {
        output.err = "spindisk: " + quoted_name(parsed.positional[0]) + " has " + std::to_string(errors) +
                     (errors == 1 ? " error" : " errors") + " (--strict)\n";
        output.status = STATUS_FAILURE;
    }
    return output;
}
