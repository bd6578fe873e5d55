// spindisk list: what is on an image, for a person or (--json) for a script.
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "disk/image_reader.h"
#include "spindisk/listing.h"

const char LIST_USAGE[] =
    "Usage: spindisk list [--json] [--strict] IMAGE\n"
    "Shows what is on a .65d image: its format, the boot track (SpinLoad's\n"
    "loader, raw boot code or unknown code), the data tracks as the loader\n"
    "reads them, the program's size and addresses, the directory label, and\n"
    "warnings about anything that would keep the disk from booting or the\n"
    "program from loading intact. With SpinLoad's loader it also gives the\n"
    "slowest CPU clock at which the loader keeps up with the disk.\n"
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

    const ImageFile file = load_image_file(parsed.positional[0]);
    if (!file.error.empty()) return command_error(file.error);
    CommandOutput output;
    output.out = parsed.has("json") ? listing_json(file.facts) : listing_text(file.facts);
    const size_t errors = error_count(file.facts);
    if (parsed.has("strict") && errors > 0) {
        output.err = "spindisk: " + quoted_name(parsed.positional[0]) + " has " + std::to_string(errors) +
                     (errors == 1 ? " error" : " errors") + " (--strict)\n";
        output.status = STATUS_FAILURE;
    }
    return output;
}
