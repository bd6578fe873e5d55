// spindisk convert: a disk from any of the formats the project reads into
// any other, chosen by the output's extension.
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "spindisk/disk_writing.h"
#include "spindisk/output_writing.h"

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

struct ConvertRequest {
    std::string in_name, out_name;
    OutputFormat format{};
    bool has_lead_in = false;
    double lead_in_us = 0;
    bool force = false;
};

// The request from the command line; an empty error means it is good.
std::string parse_convert_request(const std::vector<std::string>& args, ConvertRequest& request) {
    const ParsedArguments parsed = parse_command_arguments(args, {{LEAD_IN_OPTION, true}, {FORCE_OPTION, false}});
    if (!parsed.error.empty()) return parsed.error;
    if (parsed.positional.size() < 2) return parsed.positional.empty() ? "missing IN and OUT" : "missing OUT";
    if (parsed.positional.size() > 2) return "unexpected argument " + quoted_name(parsed.positional[2]);
    request.in_name = parsed.positional[0];
    request.out_name = parsed.positional[1];
    request.force = parsed.has(FORCE_OPTION);
    if (!output_format_for_name(request.out_name, request.format)) {
        return "the extension of " + quoted_name(request.out_name) + " names no disk format: use .65d, .hfe, .os5 or .os8";
    }
    request.has_lead_in = parsed.has(LEAD_IN_OPTION);
    if (request.has_lead_in && !parse_decimal(parsed.values.at(LEAD_IN_OPTION), request.lead_in_us)) {
        return "--lead-in-us needs a number of microseconds, not " + quoted_name(parsed.values.at(LEAD_IN_OPTION));
    }
    if (request.has_lead_in && request.format.kind == DiskFileKind::image) {
        return "--lead-in-us applies to writing .hfe, .os5 or .os8";
    }
    return "";
}

const char* format_title(DiskFileKind kind) {
    switch (kind) {
        case DiskFileKind::image: return ".65d image";
        case DiskFileKind::hfe: return "HFE file";
        case DiskFileKind::osi_stream: return "osiemu bit stream";
    }
    return "";
}

// What was written, then what the conversion kept and lost.
std::string convert_summary(const DiskFile& disk, const ConvertRequest& request, size_t size, double lead_in_us) {
    const std::string slot = std::to_string(disk.geometry->track_slot_size);
    std::string text = "wrote " + quoted_name(request.out_name) + ": " + format_title(request.format.kind) + ", " +
                       disk.geometry->name + ", " + std::to_string(disk.geometry->track_count) + " tracks, " +
                       std::to_string(size) + " bytes\n";
    if (disk.kind == DiskFileKind::image) {
        if (request.format.kind == DiskFileKind::image) return text;
        return text + "lead-in " + number_text(lead_in_us) + " us: " + count_range_text(disk.layout.bytes_sent) +
               " of each track's " + slot + " bytes fit in the revolution\n";
    }
    text += "read from " + quoted_name(request.in_name) + ": " + disk_source_text(disk) + "\n";
    if (request.format.kind != DiskFileKind::image) return text + "tracks copied as they stand\n";
    return text + count_range_text(unrecovered_bytes(disk)) + " bytes of each track's " + slot +
           " could not be recovered and are zero\n";
}

}  // namespace

CommandOutput run_convert(const std::vector<std::string>& args) {
    ConvertRequest request;
    std::string error = parse_convert_request(args, request);
    if (!error.empty()) return usage_error(COMMAND_NAME, error);

    DiskFile disk;
    if (!load_disk_file(request.in_name, disk, error)) return command_error(error);
    error = stream_extension_mismatch(request.format, request.out_name, disk, request.in_name);
    if (!error.empty()) return usage_error(COMMAND_NAME, error);
    const double* lead_in = request.has_lead_in ? &request.lead_in_us : nullptr;
    if (!lay_out_disk_signal(disk, request.in_name, lead_in, error)) return usage_error(COMMAND_NAME, error);
    const double lead_in_us = lead_in_used(disk, lead_in);

    // Bytes a .65d holds but a revolution cannot are refused, not dropped.
    const std::string loss = request.format.kind == DiskFileKind::image ? "" : layout_loss(disk.layout, lead_in_us);
    if (!loss.empty()) {
        CommandOutput output = command_error(loss);
        output.err += "spindisk: shorten --lead-in-us, or use 'spindisk hfe --allow-truncation' to drop them\n";
        return output;
    }
    std::vector<uint8_t> bytes;
    if (!encode_disk(disk, request.format.kind, bytes, error)) {
        return command_error("cannot write " + quoted_name(request.in_name) + " as " +
                             format_title(request.format.kind) + ": " + error);
    }
    error = write_output_file(request.out_name, request.force, bytes);
    if (!error.empty()) return command_error(error);

    CommandOutput output;
    if (request.format.kind != DiskFileKind::image) output.err = short_lead_in_warning(disk, lead_in_us);
    for (const std::string& problem : disk_decode_problems(disk)) {
        output.err += "spindisk: warning: " + quoted_name(request.in_name) + ": " + problem + "\n";
    }
    output.out = convert_summary(disk, request, bytes.size(), lead_in_us);
    return output;
}
