// The listing of an image's facts: text for people, one JSON object for scripts.
#include "spindisk/listing.h"

#include <cstdio>

#include "base/text.h"
#include "base/units.h"
#include "disk/loader_speed.h"
#include "format/signal_encoder.h"
#include "signal/serial_frame.h"
#include "spindisk/json_writer.h"

namespace {

const char* level_name(WarningLevel level) { return level == WarningLevel::error ? "error" : "warning"; }

const char* label_state_name(LabelState state) {
    switch (state) {
        case LabelState::intact: return "intact";
        case LabelState::shares_terminator: return "shares_terminator";
        case LabelState::overwritten: return "overwritten";
        case LabelState::missing: return "missing";
    }
    return "missing";
}

std::string boot_text(const ImageFacts& facts) {
    const BootFacts& boot = facts.boot;
    switch (boot.mode) {
        case BootMode::loader:
            if (boot.loader == LoaderKind::fast) {
                return "Boot: SpinLoad's fast boot loader, starts the program at " + format_address(boot.exec_address) +
                       "\n";
            }
            return "Boot: SpinLoad's boot loader, starts the program at " + format_address(boot.exec_address) + "\n";
        case BootMode::raw: {
            std::string text = "Boot: raw boot code: the boot ROM loads " + std::to_string(boot.page_count) +
                               " pages (" + std::to_string(boot.code_size) + " bytes from the track) at " +
                               format_address(boot.load_address) + " and starts it there\n";
            if (boot.min_input_size > 0) {
                text += "  The image does not record the code's exact length: SpinLoad -t writes " +
                        std::to_string(boot.page_count) + " pages for " + std::to_string(boot.min_input_size) +
                        " to " + std::to_string(boot.max_input_size) + " bytes.\n";
            } else {
                text += "  SpinLoad -t never writes " + std::to_string(boot.page_count) + " pages.\n";
            }
            return text;
        }
        case BootMode::unknown:
            break;
    }
    return "Boot: unknown boot code (boot header " + boot_header_text(boot) + ")\n";
}

std::string tracks_text(const ImageFacts& facts) {
    if (facts.tracks.empty()) return "Data tracks: none\n";
    std::string text = "Data tracks, as the loader reads them:\n  Track  Pages  Chunk        Bytes  Stored by the loader\n";
    bool any_not_derived = false;
    for (const DataTrackFacts& data : facts.tracks) {
        char row[96];
        std::snprintf(row, sizeof row, "  %5d  %5d  %s  %5zu%s %s\n", data.track, data.page_count,
                      format_range(data.load_address, data.chunk_size).c_str(), data.chunk_size,
                      data.chunk_derived ? " " : "*", format_range(data.load_address, data.stored_size).c_str());
        text += row;
        any_not_derived = any_not_derived || !data.chunk_derived;
    }
    if (any_not_derived) {
        text += "  * the length does not follow from the next track's address: the bytes the loader stores\n";
    }
    return text;
}

std::string program_text(const ImageFacts& facts) {
    std::string text;
    const TerminatorFacts& end = facts.terminator;
    if (end.present) {
        text += "Terminator: track " + std::to_string(end.track) + ", address " + format_address(end.address);
        if (end.page_count != 0) text += " (page count " + std::to_string(end.page_count) + ")";
        text += "\n";
    } else {
        text += "Terminator: none, see the errors below\n";
    }
    const ProgramFacts& program = facts.program;
    if (program.size == 0) return text + "Program: none\n";
    return text + "Program: " + std::to_string(program.size) + " bytes, " + format_address(program.load_address) +
           "-" + format_address(program.end_address) + "\n";
}

// The slowest clock the loader keeps up at, and why; plainly when a 1 MHz
// machine is too slow for the disk.
std::string clock_text(const ImageFacts& facts) {
    const DiskFormat format = facts.geometry->format;
    const uint64_t hz = min_cpu_hz(facts.boot, format);
    const LoaderSpeed* speed = loader_speed(facts.boot);
    if (hz == 0 || !speed) return "";
    const double byte_us = SERIAL_FRAME_BITS * MICROSECONDS_PER_SECOND / default_signal_timing(format).bit_rate;
    char why[128];
    if (speed->cycles_per_page > 0) {
        std::snprintf(why, sizeof why, "the loader takes up to %u cycles a byte and %u more a page, and a byte comes every %g us",
                      static_cast<unsigned>(speed->cycles_per_byte), static_cast<unsigned>(speed->cycles_per_page), byte_us);
    } else {
        std::snprintf(why, sizeof why, "the loader takes up to %u cycles a byte, page ends included, and a byte comes every %g us",
                      static_cast<unsigned>(speed->cycles_per_byte), byte_us);
    }
    std::string text = "Clock: at least " + std::to_string(hz) + " Hz; " + why + "\n";
    if (hz > ONE_MHZ_MACHINE_HZ) {
        text += "  A 1 MHz machine (" + std::to_string(ONE_MHZ_MACHINE_HZ) +
                " Hz) will not load this disk: it loses bytes on every track.\n";
    }
    return text;
}

std::string label_text(const LabelFacts& label) {
    const std::string where = "directory track " + std::to_string(label.track);
    std::string text;
    switch (label.state) {
        case LabelState::overwritten:
            return "Label: none, " + where + " was overwritten by program data\n";
        case LabelState::missing:
            return "Label: none, " + where + " holds no directory\n";
        case LabelState::shares_terminator:
            text = "Label on " + where + " (" + (label.is_default ? "SpinLoad's default; " : "") +
                   "the terminator's header lies over its first three characters):\n";
            break;
        case LabelState::intact:
            text = "Label on " + where + (label.is_default ? " (SpinLoad's default):\n" : ":\n");
            break;
    }
    if (label.lines.empty()) text += "  (no entries)\n";
    for (const std::string& line : label.lines) text += "  " + printable_text(line) + "\n";
    return text;
}

std::string warnings_text(const ImageFacts& facts) {
    if (facts.warnings.empty()) return "Warnings: none\n";
    std::string text = "Warnings:\n";
    for (const ImageWarning& warning : facts.warnings) {
        text += std::string("  ") + level_name(warning_level(warning.code)) + ": " + warning.message + "\n";
    }
    return text;
}

}  // namespace

std::string boot_header_text(const BootFacts& boot) {
    return hex_byte(boot.load_address >> 8) + " " + hex_byte(boot.load_address & 0xFF) + " " + hex_byte(boot.page_count);
}

std::string listing_text(const ImageFacts& facts, const DiskFile* source) {
    const DiskGeometry& g = *facts.geometry;
    std::string text = "Image: " + std::string(g.name) + ", " + std::to_string(facts.image_size) + " bytes (" +
                       std::to_string(g.track_count) + " tracks of " + std::to_string(g.track_slot_size) + " bytes)\n";
    if (source && source->kind != DiskFileKind::image) {
        text += "Read from: " + disk_source_text(*source) + "\n";
        for (const std::string& problem : disk_decode_problems(*source)) text += "  " + problem + "\n";
    }
    text += boot_text(facts);
    if (facts.boot.mode == BootMode::loader) text += tracks_text(facts) + program_text(facts);
    text += clock_text(facts);
    return text + label_text(facts.label) + warnings_text(facts);
}

namespace {

const char* boot_mode_name(const BootFacts& boot) {
    switch (boot.mode) {
        case BootMode::loader: return boot.loader == LoaderKind::fast ? "fast_loader" : "loader";
        case BootMode::raw: return "raw";
        case BootMode::unknown: return "unknown";
    }
    return "unknown";
}

std::string boot_json(const BootFacts& boot) {
    std::vector<JsonField> fields = {
        {"mode", json_string(boot_mode_name(boot))},
        {"load_address", json_number(boot.load_address)},
        {"page_count", json_number(boot.page_count)},
    };
    if (boot.mode == BootMode::loader) fields.push_back({"exec_address", json_number(boot.exec_address)});
    if (boot.mode == BootMode::raw) {
        fields.push_back({"code_bytes", json_number(boot.code_size)});
        fields.push_back({"input_size_range",
                          boot.min_input_size > 0 ? json_array({json_number(boot.min_input_size),
                                                                json_number(boot.max_input_size)})
                                                  : JSON_NULL});
    }
    return json_object(fields);
}

std::string track_json(const DataTrackFacts& data) {
    const auto last = [&](size_t length) { return json_number(static_cast<uint16_t>(data.load_address + length - 1)); };
    return json_object({
        {"track", json_number(static_cast<uint64_t>(data.track))},
        {"page_count", json_number(data.page_count)},
        {"load_address", json_number(data.load_address)},
        {"end_address", last(data.chunk_size)},
        {"bytes", json_number(data.chunk_size)},
        {"bytes_derived", json_bool(data.chunk_derived)},
        {"stored_end_address", last(data.stored_size)},
        {"stored_bytes", json_number(data.stored_size)},
        {"sector_offset", json_number(data.sector_offset)},
    });
}

// Where a decoded disk came from and what each track gave, in track order.
std::string source_json(const DiskFile& disk) {
    std::vector<std::string> bytes, parity, framing;
    for (const TrackDecodeReport& track : disk.decoded) {
        bytes.push_back(json_number(track.bytes));
        parity.push_back(json_number(track.parity_errors));
        framing.push_back(json_number(track.framing_errors));
    }
    return json_object({
        {"kind", json_string(disk.kind == DiskFileKind::hfe ? "hfe" : "osi_stream")},
        {"decoded_bytes", json_array(bytes)},
        {"parity_errors", json_array(parity)},
        {"framing_errors", json_array(framing)},
    });
}

}  // namespace

std::string listing_json(const ImageFacts& facts, const DiskFile* source) {
    const DiskGeometry& g = *facts.geometry;
    const bool loader = facts.boot.mode == BootMode::loader;
    std::vector<std::string> tracks;
    for (const DataTrackFacts& data : facts.tracks) tracks.push_back(track_json(data));
    const TerminatorFacts& end = facts.terminator;
    const std::string terminator = !end.present ? JSON_NULL
                                                : json_object({
                                                      {"track", json_number(static_cast<uint64_t>(end.track))},
                                                      {"page_count", json_number(end.page_count)},
                                                      {"address", json_number(end.address)},
                                                  });
    const ProgramFacts& p = facts.program;
    const std::string program = !loader ? JSON_NULL
                                        : json_object({
                                              {"size", json_number(p.size)},
                                              {"load_address", p.size ? json_number(p.load_address) : JSON_NULL},
                                              {"end_address", p.size ? json_number(p.end_address) : JSON_NULL},
                                          });
    std::vector<std::string> lines;
    for (const std::string& line : facts.label.lines) lines.push_back(json_string(line));
    const std::string label = json_object({
        {"track", json_number(static_cast<uint64_t>(facts.label.track))},
        {"state", json_string(label_state_name(facts.label.state))},
        {"default", json_bool(facts.label.is_default)},
        {"lines", json_array(lines)},
    });
    const uint64_t hz = min_cpu_hz(facts.boot, g.format);
    std::vector<std::string> warnings;
    for (const ImageWarning& w : facts.warnings) {
        warnings.push_back(json_object({
            {"code", json_string(warning_code_name(w.code))},
            {"level", json_string(level_name(warning_level(w.code)))},
            {"track", w.track == NO_TRACK ? JSON_NULL : json_number(static_cast<uint64_t>(w.track))},
            {"message", json_string(w.message)},
        }));
    }
    std::vector<JsonField> fields = {
        {"format", json_string(g.name)},
        {"image_size", json_number(facts.image_size)},
        {"track_count", json_number(static_cast<uint64_t>(g.track_count))},
        {"track_size", json_number(g.track_slot_size)},
        {"boot", boot_json(facts.boot)},
        {"tracks", json_array(tracks)},
        {"terminator", terminator},
        {"program", program},
        {"min_cpu_hz", hz ? json_number(hz) : JSON_NULL},
        {"label", label},
        {"warnings", json_array(warnings)},
    };
    if (source && source->kind != DiskFileKind::image) fields.push_back({"source", source_json(*source)});
    return json_object(fields) + "\n";
}

size_t error_count(const ImageFacts& facts) {
    size_t errors = 0;
    for (const ImageWarning& w : facts.warnings) {
        if (warning_level(w.code) == WarningLevel::error) errors++;
    }
    return errors;
}
