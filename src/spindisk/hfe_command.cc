// spindisk hfe: writes a .65d image as an HFE file for a Gotek (FlashFloppy)
// or HxC floppy emulator, laying each track out in time as the drive sends it.
#include <cstdio>
#include <string>
#include <vector>

#include "spindisk/arguments.h"
#include "spindisk/command.h"
#include "disk/image_reader.h"
#include "fileio/input_file.h"
#include "fileio/output_file.h"
#include "format/hfe_writer.h"
#include "image/geometry.h"
#include "sim/boot_run.h"
#include "format/signal_encoder.h"

const char HFE_USAGE[] =
    "Usage: spindisk hfe IMAGE OUT.hfe [--lead-in-us N] [--allow-truncation] [--force]\n"
    "Writes an OSI disk image (.65d) as an HFE file for a Gotek (FlashFloppy) or\n"
    "HxC floppy emulator. Each track is one revolution: the slot's bytes as serial\n"
    "frames, starting a lead-in after the index pulse, idle elsewhere; side 1 is blank.\n"
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

// The index pulse of the drive the simulator models. The loader waits for
// its end, so a sector mark sent before then passes unseen on every revolution.
double index_pulse_us(DiskFormat format) { return default_boot_settings(format).index_us; }

// Whole numbers as such, fractions to three places: 11700, 5.5, 0.125.
std::string number_text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// Tracks that lose non-zero bytes, as "3, 4, 5".
std::string dropping_tracks(const SignalLayoutReport& report, size_t& dropped) {
    std::string tracks;
    dropped = 0;
    for (size_t t = 0; t < report.nonzero_bytes_dropped.size(); t++) {
        if (report.nonzero_bytes_dropped[t] == 0) continue;
        dropped += report.nonzero_bytes_dropped[t];
        tracks += (tracks.empty() ? "" : ", ") + std::to_string(t);
    }
    return tracks;
}

// "2139" when every track sent as many bytes, else "2000 to 2139".
std::string bytes_sent_text(const SignalLayoutReport& report) {
    size_t least = 0, most = 0;
    for (size_t t = 0; t < report.bytes_sent.size(); t++) {
        const size_t sent = report.bytes_sent[t];
        if (t == 0 || sent < least) least = sent;
        if (t == 0 || sent > most) most = sent;
    }
    if (least == most) return std::to_string(most);
    return std::to_string(least) + " to " + std::to_string(most);
}

}  // namespace

CommandOutput run_hfe(const std::vector<std::string>& args) {
    const ParsedArguments parsed = parse_command_arguments(
        args, {{LEAD_IN_OPTION, true}, {ALLOW_TRUNCATION_OPTION, false}, {FORCE_OPTION, false}});
    if (!parsed.error.empty()) return usage_error(COMMAND_NAME, parsed.error);
    if (parsed.positional.size() < 2) {
        return usage_error(COMMAND_NAME, parsed.positional.empty() ? "missing IMAGE and OUT.hfe" : "missing OUT.hfe");
    }
    if (parsed.positional.size() > 2) {
        return usage_error(COMMAND_NAME, "unexpected argument " + quoted_name(parsed.positional[2]));
    }
    const std::string& image_name = parsed.positional[0];
    const std::string& out_name = parsed.positional[1];

    double lead_in_us = 0;
    const bool lead_in_given = parsed.has(LEAD_IN_OPTION);
    if (lead_in_given && !parse_decimal(parsed.values.at(LEAD_IN_OPTION), lead_in_us)) {
        return usage_error(COMMAND_NAME, "--lead-in-us needs a number of microseconds, not " +
                                             quoted_name(parsed.values.at(LEAD_IN_OPTION)));
    }

    CommandOutput output;
    const ImageFile image_file = load_image_file(image_name);
    if (!image_file.error.empty()) return command_error(image_file.error);
    const DiskGeometry* geometry = image_file.facts.geometry;
    const std::vector<uint8_t>& image = image_file.bytes;

    SignalTiming timing = default_signal_timing(geometry->format);
    if (lead_in_given) timing.lead_in_us = lead_in_us;
    const double revolution_us = revolution_microseconds(timing);
    if (timing.lead_in_us >= revolution_us) {
        return usage_error(COMMAND_NAME, "--lead-in-us must be shorter than one revolution (" +
                                             number_text(revolution_us) + " us)");
    }

    SignalLayoutReport report;
    const DiskSignal signal = image_to_signal(*geometry, image.data(), timing, report);
    size_t dropped = 0;
    const std::string tracks = dropping_tracks(report, dropped);
    const std::string lead_in_text = number_text(timing.lead_in_us) + " us";
    const std::string loss = std::to_string(dropped) + " non-zero bytes do not fit in a revolution after a lead-in of " +
                             lead_in_text + " (tracks " + tracks + ")";
    if (dropped > 0 && !parsed.has(ALLOW_TRUNCATION_OPTION)) {
        output = command_error(loss);
        output.err += "spindisk: shorten --lead-in-us, or give --allow-truncation to write the file without them\n";
        return output;
    }

    std::vector<uint8_t> file;
    std::string error;
    HfeLayout layout;
    if (!hfe_layout_for(signal, layout, error) || !signal_to_hfe(signal, file, error)) {
        return command_error("cannot lay out " + quoted_name(image_name) + " as HFE: " + error);
    }

    OutputFile out;
    const std::string exists = quoted_name(out_name) + " exists; use --force to overwrite it";
    switch (open_output(out_name, parsed.has(FORCE_OPTION), out)) {
        case OutputOpen::ok:
            break;
        case OutputOpen::exists:
            return command_error(exists);
        case OutputOpen::cannot_open:
            return command_error("cannot open " + quoted_name(out_name) + " for output");
    }
    if (!finish_output(out, file.data(), file.size())) {
        return command_error(out.name_taken ? exists : "cannot write " + quoted_name(out_name));
    }

    if (timing.lead_in_us < index_pulse_us(geometry->format)) {
        output.err += "spindisk: warning: the lead-in of " + lead_in_text + " is shorter than the index pulse (" +
                      number_text(index_pulse_us(geometry->format)) +
                      " us): the sector mark passes during the index pulse and the disk will not boot\n";
    }
    if (dropped > 0) output.err += "spindisk: warning: " + loss + " and are left out\n";
    output.out = "wrote " + out_name + ": " + geometry->name + ", " + std::to_string(layout.track_count) +
                 " tracks, " + std::to_string(file.size()) + " bytes\n";
    output.out += "each track: one revolution of " + std::to_string(layout.bits_per_revolution) + " bit times at " +
                  number_text(signal.bit_rate / BITS_PER_KBIT) + " kbit/s and " + std::to_string(layout.rpm) +
                  " rpm, " + std::to_string(layout.side_bytes) + " HFE bytes per side (header: " +
                  std::to_string(layout.bit_rate_kbps) + " kbit/s)\n";
    output.out += "lead-in " + lead_in_text + ": " + bytes_sent_text(report) + " of each track's " +
                  std::to_string(geometry->track_slot_size) + " bytes fit in the revolution\n";
    return output;
}
