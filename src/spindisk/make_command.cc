// spindisk make: reads what a toolchain wrote, has make_disk build and prove
// the disk, and writes it; the arguments, the files and the text are all
// this file does.
#include <string>
#include <vector>

#include "fileio/input_file.h"
#include "program/hex_text.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "spindisk/disk_writing.h"
#include "spindisk/make_disk.h"
#include "spindisk/make_summary.h"
#include "spindisk/output_writing.h"

const char MAKE_USAGE[] =
    "Usage: spindisk make INPUT [-o OUTPUT] [--load ADDR] [--start ADDR] [--disk 5|8] [--label TEXT]\n"
    "              [--boot-track] [--loader standard|fast] [--input-format auto|raw|65v|cc65|ihex|srec]\n"
    "              [--output-format 65d|hfe|osi] [--no-verify] [--allow-errors] [--force] [-q]\n"
    "Makes a bootable disk from a program: a raw binary, OSI 65V monitor text,\n"
    "cc65's hybrid output (-u __BOOT__), Intel HEX or S-records. The image is\n"
    "built as SpinLoad builds it, read back, and booted on the simulated machine;\n"
    "a disk that would not boot is not written.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUTPUT  the file to write ('-': standard output); default: INPUT\n"
    "                       with its extension replaced by .65d (.hfe, .os5, .os8)\n"
    "  --load ADDR          load address of a raw program ($0300, 0x0300, 0300, 300)\n"
    "  --start ADDR         start address (default: the file's, else the load address)\n"
    "  --disk 5|8           5.25-inch (default) or 8-inch disk\n"
    "  --label TEXT         directory label, six characters per entry (as SpinLoad -n)\n"
    "  --boot-track         INPUT is the boot track's own code, run at $2200\n"
    "  --loader L           standard (default: SpinLoad's loader) or fast (8-inch at\n"
    "                       1 MHz, one revolution a track; verified at 983040 Hz)\n"
    "  --input-format F     auto (default: by content), raw, 65v, cc65, ihex, srec\n"
    "  --output-format F    65d, hfe or osi (osiemu .os5/.os8); default: by OUTPUT's extension\n"
    "  --no-verify          do not boot the disk before writing it\n"
    "  --allow-errors       write despite error-level findings (shown as warnings)\n"
    "  --force              overwrite OUTPUT if it exists\n"
    "  -q, --quiet          no summary, no warnings\n"
    "  -h, --help           show this help\n"
    "\n"
    "INPUT may be '-' (standard input); then -o is needed.\n"
    "Exit status: 0 written, 1 failure (nothing written), 2 bad usage.\n";

namespace {

const char COMMAND_NAME[] = "make";
const char STANDARD_STREAM[] = "-";
constexpr uint64_t MAX_INPUT_FILE = 4u << 20;  // far above the largest program in any format

const std::vector<OptionSpec> MAKE_OPTIONS = {
    {"output", true, 'o'},    {"load", true},         {"start", true},        {"disk", true},
    {"label", true},          {"boot-track", false},  {"input-format", true}, {"output-format", true},
    {"no-verify", false},     {"allow-errors", false}, {"force", false},      {"quiet", false, 'q'},
    {"loader", true},
};

// What the command line asks for beyond make_disk's options.
struct MakeRequest {
    MakeOptions options;
    std::string input;
    std::string output;
    bool force = false;
    bool quiet = false;
};

bool address_option(const ParsedArguments& parsed, const char* name, bool& has, uint16_t& address, std::string& error) {
    if (!parsed.has(name)) return true;
    const std::string& text = parsed.values.at(name);
    if (!parse_address(text, address)) {
        error = "--" + std::string(name) + " wants an address of one to four hex digits ($0300, 0x0300, 0300), not '" +
                text + "'";
        return false;
    }
    has = true;
    return true;
}

bool format_options(const ParsedArguments& parsed, MakeOptions& options, bool& output_format_given, std::string& error) {
    if (parsed.has("disk")) {
        const std::string& disk = parsed.values.at("disk");
        if (disk != "5" && disk != "8") {
            error = "--disk wants 5 or 8, not '" + disk + "'";
            return false;
        }
        options.disk = disk == "8" ? DiskFormat::full : DiskFormat::mini;
    }
    if (parsed.has("loader")) {
        const LoaderInfo* loader = loader_named(parsed.values.at("loader").c_str());
        if (!loader) {
            error = "--loader wants standard or fast, not '" + parsed.values.at("loader") + "'";
            return false;
        }
        options.loader = loader->kind;
    }
    if (parsed.has("input-format") && !input_format_from_name(parsed.values.at("input-format"), options.input_format)) {
        error = "--input-format wants auto, raw, 65v, cc65, ihex or srec, not '" + parsed.values.at("input-format") + "'";
        return false;
    }
    output_format_given = parsed.has("output-format");
    if (!output_format_given) return true;
    if (output_kind_from_name(parsed.values.at("output-format"), options.output_kind)) return true;
    error = "--output-format wants 65d, hfe or osi, not '" + parsed.values.at("output-format") + "'";
    return false;
}

// The output's name and format: each from the other when only one is given.
bool output_choice(const ParsedArguments& parsed, MakeRequest& request, bool output_format_given, std::string& error) {
    MakeOptions& options = request.options;
    if (!parsed.has("output")) {
        if (request.input == STANDARD_STREAM) {
            error = "reading standard input needs -o OUTPUT";
            return false;
        }
        request.output = default_output_name(request.input, options.output_kind, options.disk);
        return true;
    }
    request.output = parsed.values.at("output");
    OutputFormat named{};
    const bool has_extension = output_format_for_name(request.output, named);
    if (!output_format_given && has_extension) options.output_kind = named.kind;
    const bool stream = options.output_kind == DiskFileKind::osi_stream;
    if (stream && has_extension && named.kind == DiskFileKind::osi_stream && named.stream_disk != options.disk) {
        error = "an osiemu stream of a " + std::string(geometry_for(options.disk).name) + " disk is named *" +
                output_extension(DiskFileKind::osi_stream, options.disk) + ", not '" + request.output + "'";
        return false;
    }
    return true;
}

bool parse_make_request(const std::vector<std::string>& args, MakeRequest& request, std::string& error) {
    const ParsedArguments parsed = parse_command_arguments(args, MAKE_OPTIONS);
    if (!parsed.error.empty()) {
        error = parsed.error;
        return false;
    }
    if (parsed.positional.size() != 1) {
        error = parsed.positional.empty() ? "no INPUT given" : "one INPUT at a time";
        return false;
    }
    request.input = parsed.positional[0];
    MakeOptions& options = request.options;
    options.input_name = request.input == STANDARD_STREAM ? "standard input" : request.input;
    options.boot_track = parsed.has("boot-track");
    options.verify = !parsed.has("no-verify");
    options.allow_errors = parsed.has("allow-errors");
    request.force = parsed.has("force");
    request.quiet = parsed.has("quiet");
    if (parsed.has("label")) {
        options.has_label = true;
        if (!label_from_text(parsed.values.at("label"), options.label)) {
            error = "--label holds at most " + std::to_string(LABEL_MAX_CHARACTERS) + " characters";
            return false;
        }
    }
    bool output_format_given = false;
    return address_option(parsed, "load", options.has_load, options.load_address, error) &&
           address_option(parsed, "start", options.has_start, options.start_address, error) &&
           format_options(parsed, options, output_format_given, error) &&
           output_choice(parsed, request, output_format_given, error);
}

bool read_input_bytes(const std::string& input, std::vector<uint8_t>& bytes, std::string& error) {
    const WholeFileStatus status = input == STANDARD_STREAM ? read_standard_input(MAX_INPUT_FILE, bytes)
                                                            : read_whole_file(input, MAX_INPUT_FILE, bytes);
    if (status == WholeFileStatus::ok) return true;
    error = file_read_error(status, input == STANDARD_STREAM ? "standard input" : input, MAX_INPUT_FILE);
    return false;
}

const char* level_prefix(FindingLevel level) {
    switch (level) {
        case FindingLevel::note: return "spindisk: note: ";
        case FindingLevel::warning: return "spindisk: warning: ";
        case FindingLevel::error: return "spindisk: error: ";
    }
    return "spindisk: ";
}

std::string findings_text(const MakeResult& result, bool quiet) {
    std::string text;
    for (const MakeFinding& finding : result.findings) {
        if (quiet && finding.level != FindingLevel::error) continue;
        text += level_prefix(finding.level) + finding.message + "\n";
    }
    return text;
}

CommandOutput refused(const MakeResult& result, bool quiet) {
    CommandOutput output = result.status == MakeStatus::bad_usage ? usage_error(COMMAND_NAME, result.error)
                                                                  : command_error(result.error);
    output.err = findings_text(result, quiet) + output.err;
    if (result.refused_findings) output.err += "spindisk: nothing written; --allow-errors writes it anyway\n";
    if (result.refused_boot) output.err += "spindisk: nothing written; --no-verify writes it without booting it\n";
    return output;
}

}  // namespace

CommandOutput run_make(const std::vector<std::string>& args) {
    MakeRequest request;
    std::string error;
    if (!parse_make_request(args, request, error)) return usage_error(COMMAND_NAME, error);

    std::vector<uint8_t> input;
    if (!read_input_bytes(request.input, input, error)) return command_error(error);
    const MakeResult result = make_disk(input.data(), input.size(), request.options);
    if (result.status != MakeStatus::ok) return refused(result, request.quiet);

    CommandOutput output;
    const bool to_stdout = request.output == STANDARD_STREAM;
    if (to_stdout) {
        output.out.assign(result.output.begin(), result.output.end());
    } else {
        const std::string write_error = write_output_file(request.output, request.force, result.output);
        if (!write_error.empty()) return command_error(write_error);
    }
    output.err = findings_text(result, request.quiet);
    if (!request.quiet) {
        const std::string summary = make_summary(result, to_stdout ? "standard output" : request.output,
                                                 request.options.output_kind);
        (to_stdout ? output.err : output.out) += summary;
    }
    return output;
}
