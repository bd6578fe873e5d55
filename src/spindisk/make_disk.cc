// The steps of spindisk make, each returning what the next one needs.
#include "spindisk/make_disk.h"

#include "base/text.h"
#include "disk/boot_disk_facts.h"
#include "disk/disk_file.h"
#include "disk/loader_speed.h"
#include "format/signal_encoder.h"
#include "image/disk_image.h"
#include "image/image_builder.h"
#include "spindisk/boot_report.h"
#include "spindisk/disk_writing.h"

namespace {

constexpr uint16_t BOOT_TRACK_ADDRESS = 0x2200;  // where the ROM loads and starts track 0

// Records why nothing is written; false, for the step that failed to return.
bool refuse(MakeResult& result, MakeStatus status, const std::string& error) {
    result.status = status;
    result.error = error;
    return false;
}

// Options that cannot go together, whatever the file holds.
std::string choice_conflict(const MakeOptions& options) {
    if (options.boot_track) {
        if (options.input_format != InputFormat::automatic && options.input_format != InputFormat::raw) {
            return "--boot-track takes the boot track's raw code, not --input-format " +
                   std::string(input_format_name(options.input_format));
        }
        if (options.has_load && options.load_address != BOOT_TRACK_ADDRESS) {
            return "--boot-track code loads at $2200, not " + format_address(options.load_address);
        }
        if (options.has_start) return "--boot-track code starts at $2200; --start does not apply";
        if (options.loader != LoaderKind::standard) {
            return "--boot-track puts the code itself on track 0; --loader " +
                   std::string(loader_info(options.loader).name) + " does not apply";
        }
    }
    return "";
}

// The format to read: as given; raw for boot track code; else by content,
// even with --load, so that a HEX file given a load address by mistake is
// refused rather than written as text.
InputFormat input_format_for(const uint8_t* bytes, size_t size, const MakeOptions& options) {
    if (options.input_format != InputFormat::automatic) return options.input_format;
    if (options.boot_track) return InputFormat::raw;
    return detect_input_format(bytes, size);
}

// --start, else the file's own start, else the load address; but monitor
// text is run by its G, and without one the person loading it started it by hand.
bool choose_start(const MakeOptions& options, const std::string& name, MakeResult& result) {
    const Program& program = result.program;
    if (options.has_start) {
        result.start_address = options.start_address;
    } else if (program.has_start) {
        result.start_address = program.start_address;
    } else if (result.input_format == InputFormat::os65v) {
        return refuse(result, MakeStatus::failed, name + " names no start address (no G): give one with --start");
    } else {
        result.start_address = program.load_address;
    }
    return true;
}

bool read_input_program(const uint8_t* bytes, size_t size, const MakeOptions& options, MakeResult& result) {
    const std::string name = quoted_name(options.input_name);
    result.input_format = input_format_for(bytes, size, options);
    if (size == 0) {
        return refuse(result, MakeStatus::failed, name + " is empty");
    }
    const bool raw = result.input_format == InputFormat::raw;
    if (raw && !options.has_load && !options.boot_track) {
        return refuse(result, MakeStatus::bad_usage, name + " is a raw program: give its load address with --load");
    }
    if (!raw && options.has_load) {
        const std::string hint = options.input_format == InputFormat::automatic ? " (--input-format raw reads it as bytes)" : "";
        return refuse(result, MakeStatus::bad_usage, "--load is for raw input; " + name + " is " +
                                                          input_format_description(result.input_format) +
                                                          ", which names its own addresses" + hint);
    }
    const uint16_t load = options.boot_track ? BOOT_TRACK_ADDRESS : options.load_address;
    const ProgramRead read = read_program(bytes, size, result.input_format, load);
    if (!read.ok) {
        const std::string where = read.error.line > 0 ? " line " + std::to_string(read.error.line) : "";
        return refuse(result, MakeStatus::failed, name + where + ": " + read.error.message);
    }
    for (const std::string& note : read.notes) {
        result.findings.push_back({FindingLevel::note, "input", name + ": " + note});
    }
    result.program = read.program;
    return choose_start(options, name, result);
}

// The image's description: the one place make's choices become ImageOptions.
ImageOptions image_options_for(const MakeOptions& options, const MakeResult& result) {
    ImageOptions image;
    image.format = options.disk;
    image.raw_boot = options.boot_track;
    image.loader = options.loader;
    image.load_address = result.program.load_address;
    image.exec_address = options.boot_track ? -1 : result.start_address;
    if (options.has_label) image.label = options.label;
    image.input_path = options.input_name;
    return image;
}

bool check_size(const MakeOptions& options, const DiskGeometry& geometry, MakeResult& result) {
    const size_t size = result.program.bytes.size();
    const size_t limit = options.boot_track ? max_input_raw(geometry) : max_input_loader(geometry);
    if (size <= limit) return true;
    return refuse(result, MakeStatus::failed,
                  std::string(options.boot_track ? "boot track code" : "the program") + " is " + std::to_string(size) +
                      " bytes; a " + geometry.name + " disk holds at most " + std::to_string(limit));
}

void add_reader_findings(const MakeOptions& options, MakeResult& result) {
    for (const ImageWarning& warning : result.facts.warnings) {
        const bool error = warning_level(warning.code) == WarningLevel::error;
        const FindingLevel level = error && !options.allow_errors ? FindingLevel::error : FindingLevel::warning;
        result.findings.push_back({level, warning_code_name(warning.code), warning.message});
    }
}

void add_label_finding(const MakeOptions& options, const DiskGeometry& geometry, MakeResult& result) {
    if (!options.has_label || options.boot_track) return;
    const std::string track = "track " + std::to_string(geometry.directory_track);
    const std::string keep = "a program of at most " + std::to_string(largest_program_keeping_label(geometry)) +
                             " bytes keeps it whole";
    if (result.facts.label.state == LabelState::shares_terminator) {
        result.findings.push_back({FindingLevel::warning, "label",
                                   "the label is cut: the terminator's header on " + track +
                                       " covers the first three characters of its first entry; " + keep});
    } else if (result.facts.label.state == LabelState::overwritten) {
        result.findings.push_back({FindingLevel::warning, "label",
                                   "the label is lost: program data replaces the directory on " + track + "; " + keep});
    }
}

void add_start_finding(const MakeOptions& options, MakeResult& result) {
    if (options.boot_track) return;
    const uint32_t offset = static_cast<uint16_t>(result.start_address - result.program.load_address);
    if (offset < result.program.bytes.size()) return;
    result.findings.push_back({FindingLevel::warning, "start",
                               "the start address " + format_address(result.start_address) +
                                   " lies outside the program (" +
                                   format_range(result.program.load_address, result.program.bytes.size()) + ")"});
}

bool has_error_finding(const MakeResult& result) {
    for (const MakeFinding& finding : result.findings) {
        if (finding.level == FindingLevel::error) return true;
    }
    return false;
}

// The disk as the drive delivers it, with the timing spindisk hfe and the
// osiemu writer use by default; false when a byte would not fit.
bool disk_signal(const DiskGeometry& geometry, const DiskImage& image, DiskSignal& signal, std::string& error) {
    SignalLayoutReport layout;
    signal = image_to_signal(geometry, image.bytes.get(), default_signal_timing(geometry.format), layout);
    for (size_t dropped : layout.nonzero_bytes_dropped) {
        if (dropped > 0) {
            error = "the image's bytes do not fit in a revolution";
            return false;
        }
    }
    return true;
}

// The disk's machine; a fast loader disk is meant for a 1 MHz one, on
// 8-inch too, so it boots at that clock.
BootSettings verify_settings(const DiskSignal& signal, const ImageOptions& image) {
    BootSettings settings = default_boot_settings(signal.format);
    if (!image.raw_boot && image.loader == LoaderKind::fast) settings.cpu_hz = ONE_MHZ_MACHINE_HZ;
    return settings;
}

bool verify_boot(const DiskSignal& signal, MakeResult& result) {
    result.boot = simulate_boot(signal, verify_settings(signal, result.image_options));
    result.check = check_program(result.boot, result.program.bytes);
    ReportExtras verdict;
    verdict.program_range = program_range(result.facts);
    verdict.program = &result.check;
    result.verified = boot_succeeded(result.boot, verdict.program_range) && result.check.intact;
    if (result.verified) return true;
    result.refused_boot = true;
    return refuse(result, MakeStatus::failed, boot_verdict_line(result.boot, verdict));
}

bool encode_output(DiskFileKind kind, const DiskImage& image, const DiskSignal& signal, MakeResult& result) {
    std::string error;
    if (encode_disk_bytes(kind, image.bytes.get(), image.size, signal, result.output, error)) return true;
    return refuse(result, MakeStatus::failed,
                  std::string("cannot write the ") + format_title(kind) + ": " + error);
}

// Each step either hands on to the next or records why nothing is written.
bool make_steps(const uint8_t* bytes, size_t size, const MakeOptions& options, MakeResult& result) {
    const std::string conflict = choice_conflict(options);
    if (!conflict.empty()) return refuse(result, MakeStatus::bad_usage, conflict);
    if (!read_input_program(bytes, size, options, result)) return false;
    const DiskGeometry& geometry = geometry_for(options.disk);
    if (!check_size(options, geometry, result)) return false;

    result.image_options = image_options_for(options, result);
    DiskImage image;
    if (!allocate_image(geometry, image)) return refuse(result, MakeStatus::failed, "cannot allocate the image");
    build_image(result.image_options, geometry, result.program.bytes, image);

    result.facts = read_image(image.bytes.get(), image.size);
    add_reader_findings(options, result);
    add_label_finding(options, geometry, result);
    add_start_finding(options, result);
    if (has_error_finding(result)) {
        result.refused_findings = true;
        return refuse(result, MakeStatus::failed, "the disk would not boot or would not load the program intact");
    }

    DiskSignal signal;
    std::string error;
    const bool needs_signal = options.verify || options.output_kind != DiskFileKind::image;
    if (needs_signal && !disk_signal(geometry, image, signal, error)) return refuse(result, MakeStatus::failed, error);
    if (options.verify && !verify_boot(signal, result)) return false;
    return encode_output(options.output_kind, image, signal, result);
}

}  // namespace

size_t largest_program_keeping_label(const DiskGeometry& geometry) {
    return static_cast<size_t>(geometry.directory_track - 2) * geometry.track_payload;
}

MakeResult make_disk(const uint8_t* bytes, size_t size, const MakeOptions& options) {
    MakeResult result;
    if (make_steps(bytes, size, options, result)) result.status = MakeStatus::ok;
    return result;
}
