// spindisk extract: writes the program on an image back out to a file and
// says how SpinLoad would put it on a disk again.
#include <cstdio>
#include <limits>

#include "base/text.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "disk/disk_file.h"
#include "disk/image_reader.h"
#include "spindisk/listing.h"
#include "spindisk/output_writing.h"

const char EXTRACT_USAGE[] =
    "Usage: spindisk extract IMAGE OUT [--size N] [--force]\n"
    "Writes the program on a disk (a .65d image, an HFE file or an osiemu bit\n"
    "stream) to the file OUT: the chunks of the data tracks joined in order,\n"
    "or, for raw boot code, the pages the boot ROM loads from track 0. Prints\n"
    "the load and start addresses and a SpinLoad command that puts OUT on a\n"
    "disk again.\n"
    "\n"
    "Options:\n"
    "  --size N   write only the first N bytes (at most what the image holds)\n"
    "  --force    overwrite OUT if it exists\n"
    "  --help     show this text\n";

namespace {

const std::vector<OptionSpec> EXTRACT_OPTIONS = {{"size", true}, {"force", false}};

// Warnings that mean the bytes written are not simply the program as
// SpinLoad laid it out; the others concern only booting, which list shows.
constexpr WarningCode WARNINGS_ABOUT_THE_BYTES[] = {
    WarningCode::chunk_mismatch, WarningCode::past_track,  WarningCode::off_disk,
    WarningCode::no_sector_mark, WarningCode::header_cut,
};

constexpr char LABEL_QUOTE = '"';  // SpinLoad ends a -n label at a double quote

bool shell_safe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string("_./:@%+=,-").find(c) != std::string::npos;
}

// A word a POSIX shell passes on unchanged: as it is when every character is
// safe, else in single quotes with each ' written as '\''.
std::string shell_word(const std::string& word) {
    bool safe = !word.empty();
    for (const char c : word) safe = safe && shell_safe(c);
    if (safe) return word;
    std::string text = "'";
    for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// SpinLoad reads its first argument without a leading "-" as the input.
std::string input_word(const std::string& name) {
    return shell_word(!name.empty() && name[0] == '-' ? "./" + name : name);
}

bool label_fits_command_line(const std::string& text) {
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < FIRST_PRINTABLE || byte > LAST_PRINTABLE || c == LABEL_QUOTE) return false;
    }
    return true;
}

std::string hex_word(uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// The SpinLoad options that give the same disk: format, addresses or -t,
// and the label when it is not the default one. Notes go to note.
std::string rebuild_options(const ImageFacts& facts, std::string& note) {
    std::string options = facts.geometry->format == DiskFormat::full ? " -8" : "";
    if (facts.boot.mode == BootMode::raw) {
        options += " -t";
    } else {
        options += " -l" + hex_word(facts.program.load_address) + " -e" + hex_word(facts.boot.exec_address);
    }
    const LabelFacts& label = facts.label;
    if (label.is_default) return options;
    if (label.state == LabelState::shares_terminator) {
        note += "note: the terminator's header lies over the label's first characters; the command leaves the label out\n";
    } else if (label.state == LabelState::intact && !label.label_text.empty()) {
        if (label_fits_command_line(label.label_text)) {
            options += " " + shell_word("-n" + label.label_text);
        } else {
            note += "note: the label has bytes that a command line cannot carry; the command leaves it out\n";
        }
    }
    return options;
}

std::string boot_summary(const ImageFacts& facts) {
    if (facts.boot.mode == BootMode::raw) {
        return "load " + format_address(facts.boot.load_address) + ", exec " + format_address(facts.boot.exec_address) +
               " (raw boot code)";
    }
    const std::string summary =
        "load " + format_address(facts.program.load_address) + ", exec " + format_address(facts.boot.exec_address);
    return facts.boot.loader == LoaderKind::fast ? summary + " (fast boot loader)" : summary;
}

struct ExtractRequest {
    std::string image_name, out_name;
    bool cut = false;  // --size given
    unsigned long long wanted = 0;
    bool force = false;
};

// The request from the command line; an empty error means it is good.
std::string parse_extract_request(const std::vector<std::string>& args, ExtractRequest& request) {
    const ParsedArguments parsed = parse_command_arguments(args, EXTRACT_OPTIONS);
    if (!parsed.error.empty()) return parsed.error;
    if (parsed.positional.empty()) return "missing IMAGE and OUT";
    if (parsed.positional.size() == 1) return "missing OUT";
    if (parsed.positional.size() > 2) return "unexpected argument '" + parsed.positional[2] + "'";
    request.image_name = parsed.positional[0];
    request.out_name = parsed.positional[1];
    request.force = parsed.has("force");
    request.cut = parsed.has("size");
    if (request.cut) {
        const std::string& text = parsed.values.at("size");
        if (!parse_unsigned(text, std::numeric_limits<unsigned long long>::max(), request.wanted)) {
            return "--size needs a whole number of bytes, not '" + text + "'";
        }
        if (request.wanted == 0) return "--size must be at least 1";
    }
    return "";
}

// The program's bytes, cut to --size; a failure (with its status) otherwise.
bool program_to_write(const DiskFile& disk, const ExtractRequest& request, std::vector<uint8_t>& program,
                      CommandOutput& failure) {
    const ImageFacts& facts = disk.facts;
    const std::string image = quoted_name(request.image_name);
    if (facts.boot.mode == BootMode::unknown) {
        failure = command_error(image + " has unknown boot code (boot header " + boot_header_text(facts.boot) +
                                "); there is no program to extract");
        return false;
    }
    program = program_bytes(facts, disk.image.data(), disk.image.size());
    if (program.empty()) {
        failure = command_error(image + " holds no program");
        return false;
    }
    if (request.cut) {
        if (request.wanted > program.size()) {
            failure = usage_error("extract", "--size " + std::to_string(request.wanted) + " is more than the " +
                                                 std::to_string(program.size()) + " bytes on " + image);
            return false;
        }
        program.resize(static_cast<size_t>(request.wanted));
    }
    return true;
}

// What was written and the SpinLoad command that puts it on a disk again,
// then the notes; warnings about the bytes on stderr.
CommandOutput extract_report(const DiskFile& disk, const ExtractRequest& request, size_t written) {
    const ImageFacts& facts = disk.facts;
    CommandOutput result;
    std::string note;
    const std::string options = rebuild_options(facts, note);
    result.out = "wrote " + std::to_string(written) + " bytes to " + quoted_name(request.out_name) + "\n";
    result.out += boot_summary(facts) + ": SpinLoad" + options + " " + input_word(request.out_name) + "\n";
    if (facts.boot.mode == BootMode::loader && facts.boot.loader == LoaderKind::fast) {
        note += "note: SpinLoad writes the standard boot loader on track 0; spindisk make --loader fast writes this "
                "disk's\n";
    }
    if (facts.boot.mode == BootMode::raw && !request.cut && facts.boot.min_input_size > 0) {
        note += "note: the image does not record the code's exact length: SpinLoad -t wrote " +
                std::to_string(facts.boot.min_input_size) + " to " + std::to_string(facts.boot.max_input_size) +
                " bytes; --size N cuts OUT to N bytes\n";
    }
    result.out += note;
    for (const std::string& problem : disk_decode_problems(disk)) {
        result.err += "spindisk: warning: " + quoted_name(request.image_name) + ": " + problem + "\n";
    }
    for (const ImageWarning& warning : facts.warnings) {
        for (const WarningCode code : WARNINGS_ABOUT_THE_BYTES) {
            if (warning.code == code) result.err += "spindisk: warning: " + warning.message + "\n";
        }
    }
    return result;
}

}  // namespace

CommandOutput run_extract(const std::vector<std::string>& args) {
    ExtractRequest request;
    const std::string usage = parse_extract_request(args, request);
    if (!usage.empty()) return usage_error("extract", usage);

    DiskFile disk;
    std::string error;
    if (!load_disk_file(request.image_name, disk, error)) return command_error(error);
    std::vector<uint8_t> program;
    CommandOutput failure;
    if (!program_to_write(disk, request, program, failure)) return failure;
    error = write_output_file(request.out_name, request.force, program);
    if (!error.empty()) return command_error(error);
    return extract_report(disk, request, program.size());
}
