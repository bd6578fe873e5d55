// spindisk convert: a disk from any of the formats the project reads into
// any other, chosen by the output's extension.
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "spindisk/disk_writing.h"

const char CONVERT_USAGE[] =
    "Usage: spindisk convert IN OUT [--force] [--lead-in-us N]\n"
    "Writes the disk IN in another format, chosen by OUT's extension:\n"
    "  .65d        the image's track slots\n"
    "  .hfe        an HFE file for a Gotek (FlashFloppy) or HxC floppy emulator\n"
    "  .os5, .os8  an osiemu bit stream of a 5.25-inch or 8-inch disk\n"
    "IN is a .65d image, an HFE file or an osiemu bit stream. A .65d is laid out\n"
    "in time as the drive sends it (the slot's bytes as serial frames a lead-in\n"
    "after the index); an HFE file or bit stream is decoded as the disk\n"
    "controller reads it, and the bytes a track did not give are zero in a .65d;\n"
    "between those two formats the tracks are copied as they stand.\n"
    "\n"
    "Options:\n"
    "  --lead-in-us N  for a .65d IN: time from the index pulse to a track's first\n"
    "                  byte, in microseconds (default 11700 on 5.25-inch, 3200 on 8-inch)\n"
    "  --force         overwrite OUT if it exists\n"
    "  --help          show this text\n"
    "\n"
    "Exit status: 0 written, 1 failure, 2 bad usage.\n";

namespace {

const char COMMAND_NAME[] = "convert";
const char LEAD_IN_OPTION[] = "lead-in-us";
const char FORCE_OPTION[] = "force";

const char TRUNCATION_HINT[] = "shorten --lead-in-us, or use 'spindisk hfe --allow-truncation' to drop them";

// The request from the command line; an empty error means it is good.
std::string parse_convert_request(const std::vector<std::string>& args, DiskWriteRequest& request) {
    const ParsedArguments parsed = parse_command_arguments(args, {{LEAD_IN_OPTION, true}, {FORCE_OPTION, false}});
    const std::string error = take_write_request(parsed, "missing IN and OUT", "missing OUT", request);
    if (!error.empty()) return error;
    request.truncation_hint = TRUNCATION_HINT;
    if (!output_format_for_name(request.out_name, request.format)) {
        return "the extension of " + quoted_name(request.out_name) + " names no disk format: use .65d, .hfe, .os5 or .os8";
    }
    const std::string lead_in_error = take_lead_in(parsed, request);
    if (!lead_in_error.empty()) return lead_in_error;
    if (request.has_lead_in && request.format.kind == DiskFileKind::image) {
        return "--lead-in-us applies to writing .hfe, .os5 or .os8";
    }
    return "";
}

// What was written, then what the conversion kept and lost.
std::string convert_summary(const DiskWriteRequest& request, const WrittenDisk& written) {
    const DiskFile& disk = written.disk;
    const std::string slot = std::to_string(disk.geometry->track_slot_size);
    std::string text = "wrote " + quoted_name(request.out_name) + ": " + format_title(request.format.kind) + ", " +
                       disk.geometry->name + ", " + std::to_string(disk.geometry->track_count) + " tracks, " +
                       std::to_string(written.file_size) + " bytes\n";
    if (disk.kind == DiskFileKind::image) {
        if (request.format.kind == DiskFileKind::image) return text;
        return text + lead_in_fit_text(written);
    }
    text += "read from " + quoted_name(request.in_name) + ": " + disk_source_text(disk) + "\n";
    if (request.format.kind != DiskFileKind::image) return text + "tracks copied as they stand\n";
    return text + count_range_text(unrecovered_bytes(disk)) + " bytes of each track's " + slot +
           " could not be recovered and are zero\n";
}

}  // namespace

CommandOutput run_convert(const std::vector<std::string>& args) {
    DiskWriteRequest request;
    const std::string error = parse_convert_request(args, request);
    if (!error.empty()) return usage_error(COMMAND_NAME, error);
    WrittenDisk written;
    CommandOutput output;
    if (!write_disk_as(COMMAND_NAME, request, written, output)) return output;
    if (request.format.kind != DiskFileKind::image) output.err = short_lead_in_warning(written.disk, written.lead_in_us);
    for (const std::string& problem : disk_decode_problems(written.disk)) {
        output.err += "spindisk: warning: " + quoted_name(request.in_name) + ": " + problem + "\n";
    }
    output.out = convert_summary(request, written);
    return output;
}
