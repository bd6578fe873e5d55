// spindisk hfe: writes a disk as an HFE file for a Gotek (FlashFloppy) or
// HxC floppy emulator, laying a .65d's tracks out in time as the drive sends them.
#include <string>
#include <vector>

#include "disk/disk_file.h"
#include "format/hfe_writer.h"
#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "spindisk/disk_writing.h"

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

const char TRUNCATION_HINT[] = "shorten --lead-in-us, or give --allow-truncation to write the file without them";

// The request from the command line; an empty error means it is good.
std::string parse_hfe_request(const std::vector<std::string>& args, DiskWriteRequest& request) {
    const ParsedArguments parsed = parse_command_arguments(
        args, {{LEAD_IN_OPTION, true}, {ALLOW_TRUNCATION_OPTION, false}, {FORCE_OPTION, false}});
    const std::string error = take_write_request(parsed, "missing IMAGE and OUT.hfe", "missing OUT.hfe", request);
    if (!error.empty()) return error;
    request.format = {DiskFileKind::hfe, DiskFormat::mini};
    request.allow_truncation = parsed.has(ALLOW_TRUNCATION_OPTION);
    request.truncation_hint = TRUNCATION_HINT;
    return take_lead_in(parsed, request);
}

// What was written: the file, each track's timing, and what fit.
std::string hfe_summary(const DiskWriteRequest& request, const WrittenDisk& written) {
    const DiskFile& disk = written.disk;
    HfeLayout layout;
    std::string error;
    hfe_layout_for(disk.signal, layout, error);  // the file was written from this layout
    std::string text = "wrote " + request.out_name + ": " + disk.geometry->name + ", " +
                       std::to_string(layout.track_count) + " tracks, " + std::to_string(written.file_size) +
                       " bytes\n";
    text += "each track: one revolution of " + std::to_string(layout.bits_per_revolution) + " bit times at " +
            number_text(disk.signal.bit_rate / BITS_PER_KBIT) + " kbit/s and " + std::to_string(layout.rpm) +
            " rpm, " + std::to_string(layout.side_bytes) + " HFE bytes per side (header: " +
            std::to_string(layout.bit_rate_kbps) + " kbit/s)\n";
    if (disk.kind != DiskFileKind::image) {
        return text + "tracks as " + quoted_name(request.in_name) + " holds them: " + disk_source_text(disk) + "\n";
    }
    return text + lead_in_fit_text(written);
}

}  // namespace

CommandOutput run_hfe(const std::vector<std::string>& args) {
    DiskWriteRequest request;
    const std::string error = parse_hfe_request(args, request);
    if (!error.empty()) return usage_error(COMMAND_NAME, error);
    WrittenDisk written;
    CommandOutput output;
    if (!write_disk_as(COMMAND_NAME, request, written, output)) return output;
    output.err = short_lead_in_warning(written.disk, written.lead_in_us);
    if (!written.loss.empty()) output.err += "spindisk: warning: " + written.loss + " and are left out\n";
    output.out = hfe_summary(request, written);
    return output;
}
