// spindisk hfe: writes a disk as an HFE file for a Gotek (FlashFloppy) or
// HxC floppy emulator, laying a .65d's tracks out in time as the drive sends them.
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "format/hfe_writer.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "spindisk/disk_writing.h"
#include "spindisk/output_writing.h"

const char HFE_USAGE[] =
    "Usage: spindisk hfe IMAGE OUT.hfe [--lead-in-us N] [--allow-truncation] [--force]\n"
    "Writes an OSI disk image (.65d) as an HFE file for a Gotek (FlashFloppy) or\n"
    "HxC floppy emulator. Each track is one revolution: the slot's bytes as serial\n"
    "frames, starting a lead-in after the index pulse, idle elsewhere; side 1 is blank.\n"
    "IMAGE may also be an HFE file or an osiemu bit stream, whose tracks are\n"
    "written as they stand. This is 'spindisk convert IMAGE OUT.hfe', with\n"
    "--allow-truncation besides.\n"
    "\n"
    "Options:\n"
    "  --lead-in-us N       time from the index pulse to a track's first byte, in\n"
    "                       microseconds (default 11700 on 5.25-inch, 3200 on 8-inch);\n"
    "                       shorter than the index pulse (5500 / 3000) will not boot\n"
    "  --allow-truncation   write even when non-zero bytes do not fit in a revolution\n"
    "  --force              overwrite OUT.hfe if it exists\n"
    "  -h, --help           show this help\n"
    "\n"
    "Exit status: 0 written, 1 failure, 2 bad usage.\n";

namespace {

const char COMMAND_NAME[] = "hfe";
const char LEAD_IN_OPTION[] = "lead-in-us";
const char ALLOW_TRUNCATION_OPTION[] = "allow-truncation";
const char FORCE_OPTION[] = "force";

constexpr double BITS_PER_KBIT = 1000.0;

struct HfeRequest {
    std::string in_name, out_name;
    bool has_lead_in = false;
    double lead_in_us = 0;
    bool allow_truncation = false;
    bool force = false;
};

// The request from the command line; an empty error means it is good.
std::string parse_hfe_request(const std::vector<std::string>& args, HfeRequest& request) {
    const ParsedArguments parsed = parse_command_arguments(
        args, {{LEAD_IN_OPTION, true}, {ALLOW_TRUNCATION_OPTION, false}, {FORCE_OPTION, false}});
    if (!parsed.error.empty()) return parsed.error;
    if (parsed.positional.size() < 2) return parsed.positional.empty() ? "missing IMAGE and OUT.hfe" : "missing OUT.hfe";
    if (parsed.positional.size() > 2) return "unexpected argument " + quoted_name(parsed.positional[2]);
    request.in_name = parsed.positional[0];
    request.out_name = parsed.positional[1];
    request.allow_truncation = parsed.has(ALLOW_TRUNCATION_OPTION);
    request.force = parsed.has(FORCE_OPTION);
    request.has_lead_in = parsed.has(LEAD_IN_OPTION);
    if (request.has_lead_in && !parse_decimal(parsed.values.at(LEAD_IN_OPTION), request.lead_in_us)) {
        return "--lead-in-us needs a number of microseconds, not " + quoted_name(parsed.values.at(LEAD_IN_OPTION));
    }
    return "";
}

// What was written: the file, each track's timing, and what fit.
std::string hfe_summary(const DiskFile& disk, const HfeRequest& request, const HfeLayout& layout, size_t size,
                        double lead_in_us) {
    std::string text = "wrote " + request.out_name + ": " + disk.geometry->name + ", " +
                       std::to_string(layout.track_count) + " tracks, " + std::to_string(size) + " bytes\n";
    text += "each track: one revolution of " + std::to_string(layout.bits_per_revolution) + " bit times at " +
            number_text(disk.signal.bit_rate / BITS_PER_KBIT) + " kbit/s and " + std::to_string(layout.rpm) +
            " rpm, " + std::to_string(layout.side_bytes) + " HFE bytes per side (header: " +
            std::to_string(layout.bit_rate_kbps) + " kbit/s)\n";
    if (disk.kind != DiskFileKind::image) {
        return text + "tracks as " + quoted_name(request.in_name) + " holds them: " + disk_source_text(disk) + "\n";
    }
    return text + "lead-in " + number_text(lead_in_us) + " us: " + count_range_text(disk.layout.bytes_sent) +
           " of each track's " + std::to_string(disk.geometry->track_slot_size) + " bytes fit in the revolution\n";
}

}  // namespace

CommandOutput run_hfe(const std::vector<std::string>& args) {
    HfeRequest request;
    std::string error = parse_hfe_request(args, request);
    if (!error.empty()) return usage_error(COMMAND_NAME, error);

    DiskFile disk;
    if (!load_disk_file(request.in_name, disk, error)) return command_error(error);
    const double* lead_in = request.has_lead_in ? &request.lead_in_us : nullptr;
    if (!lay_out_disk_signal(disk, request.in_name, lead_in, error)) return usage_error(COMMAND_NAME, error);
    const double lead_in_us = lead_in_used(disk, lead_in);

    const std::string loss = layout_loss(disk.layout, lead_in_us);
    if (!loss.empty() && !request.allow_truncation) {
        CommandOutput output = command_error(loss);
        output.err += "spindisk: shorten --lead-in-us, or give --allow-truncation to write the file without them\n";
        return output;
    }

    std::vector<uint8_t> file;
    HfeLayout layout;
    if (!hfe_layout_for(disk.signal, layout, error) || !signal_to_hfe(disk.signal, file, error)) {
        return command_error("cannot lay out " + quoted_name(request.in_name) + " as HFE: " + error);
    }
    error = write_output_file(request.out_name, request.force, file);
    if (!error.empty()) return command_error(error);

    CommandOutput output;
    output.err = short_lead_in_warning(disk, lead_in_us);
    if (!loss.empty()) output.err += "spindisk: warning: " + loss + " and are left out\n";
    output.out = hfe_summary(disk, request, layout, file.size(), lead_in_us);
    return output;
}
