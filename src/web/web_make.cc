// Making a disk in the page: the image built, read back and booted before
// the page offers it; and a made image as the other disk files.
#include <cctype>
#include <string>
#include <vector>

#include "disk/boot_disk_facts.h"
#include "disk/boot_verdict.h"
#include "disk/image_reader.h"
#include "format/hfe_writer.h"
#include "format/osi_stream_writer.h"
#include "format/signal_encoder.h"
#include "cli/utf8.h"
#include "image/image_builder.h"
#include "loader/boot_loader.h"
#include "spindisk/boot_report.h"
#include "spindisk/json_writer.h"
#include "spindisk/listing.h"
#include "web/web_api.h"
#include "web/web_result.h"

namespace {

constexpr int MINI_INCHES = 5;
constexpr int FULL_INCHES = 8;
constexpr size_t MAX_ADDRESS_DIGITS = 4;

// "$0300", "0x0300", "0300" or "300": one to four hex digits after an
// optional "$" or "0x"; -1 for anything else.
int32_t parse_address(const std::string& text) {
    size_t at = 0;
    if (text.compare(0, 1, "$") == 0) at = 1;
    else if (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0) at = 2;
    const std::string digits = text.substr(at);
    if (digits.empty() || digits.size() > MAX_ADDRESS_DIGITS) return -1;
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return -1;
    }
    return static_cast<int32_t>(std::stoul(digits, nullptr, 16));
}

// The label's characters as SpinLoad's -n takes them: each one's code, low 8 bits.
std::vector<uint8_t> label_bytes(const std::string& text) {
    std::vector<uint8_t> label;
    for (const uint32_t character : decode_utf8_lenient(text)) {
        if (label.size() == LABEL_MAX_CHARACTERS) break;
        label.push_back(static_cast<uint8_t>(character & 0xFF));
    }
    return label;
}

struct MakeRequest {
    ImageOptions options;
    std::string error;  // non-empty: the request cannot be made
};

MakeRequest read_request(size_t size, const std::string& load, const std::string& start, int disk_inches,
                         const std::string& label, bool boot_track) {
    MakeRequest request;
    ImageOptions& options = request.options;
    if (disk_inches != MINI_INCHES && disk_inches != FULL_INCHES) request.error = "the disk is 5 or 8 inches";
    options.format = disk_inches == FULL_INCHES ? DiskFormat::full : DiskFormat::mini;
    options.raw_boot = boot_track;
    options.label = label_bytes(label);
    if (!load.empty() && (options.load_address = parse_address(load)) < 0) request.error = "bad load address '" + load + "'";
    if (!start.empty() && (options.exec_address = parse_address(start)) < 0) request.error = "bad start address '" + start + "'";
    if (boot_track && options.load_address < 0) options.load_address = BOOT_LOAD_ADDRESS;
    if (options.load_address < 0 && request.error.empty()) request.error = "give the program's load address";
    const DiskGeometry& geometry = geometry_for(options.format);
    const size_t limit = boot_track ? max_input_raw(geometry) : max_input_loader(geometry);
    if (size == 0) request.error = "the program is empty";
    if (size > limit) {
        request.error = "the program is " + std::to_string(size) + " bytes; a " + geometry.name + " disk holds " +
                        std::to_string(limit);
    }
    return request;
}

bool has_error(const ImageFacts& facts) {
    for (const ImageWarning& warning : facts.warnings) {
        if (warning_level(warning.code) == WarningLevel::error) return true;
    }
    return false;
}

}  // namespace

WebResult* web_make_disk(const uint8_t* input, size_t size, const char* load, const char* start,
                         int disk_inches, const char* label, int boot_track, int allow_errors) {
    const MakeRequest request = read_request(size, load, start, disk_inches, label, boot_track != 0);
    if (!request.error.empty()) return web_result_error(request.error);
    const DiskGeometry& geometry = geometry_for(request.options.format);
    DiskImage image;
    if (!allocate_image(geometry, image)) return web_result_error("no memory for the image");
    const ProgramBytes program(input, input + size);
    build_image(request.options, geometry, program, image);

    const ImageFacts facts = read_image(image.bytes.get(), image.size);
    SignalLayoutReport layout;
    const DiskSignal signal = image_to_signal(geometry, image.bytes.get(), default_signal_timing(geometry.format), layout);
    const BootReport report = simulate_boot(signal, default_boot_settings(geometry.format));
    const ProgramCheck check = check_program(report, program);
    ReportExtras extras;
    extras.program = &check;
    const bool errors = has_error(facts) && allow_errors == 0;
    const bool booted = boot_succeeded(report) && check.intact;
    const bool refused = errors || !booted;

    std::vector<JsonField> fields = {{"ok", json_bool(!refused)}};
    if (refused) fields.push_back({"error", json_string(errors ? "the disk has errors" : "the disk does not boot")});
    fields.push_back({"listing", listing_json(facts)});
    fields.push_back({"boot", boot_report_json(report, extras)});
    fields.push_back({"boot_text", json_string(boot_report_text(report, extras))});
    std::vector<uint8_t> bytes;
    if (!refused) bytes.assign(image.bytes.get(), image.bytes.get() + image.size);
    return web_result_new(std::move(bytes), json_object(fields));
}

WebResult* web_convert_image(const uint8_t* bytes, size_t size, const char* format) {
    const DiskGeometry* geometry = geometry_for_image_size(size);
    if (!geometry) return web_result_error("not a .65d image");
    SignalLayoutReport layout;
    const DiskSignal signal = image_to_signal(*geometry, bytes, default_signal_timing(geometry->format), layout);
    std::vector<uint8_t> file;
    std::string error;
    const std::string wanted = format;
    bool written = false;
    if (wanted == "hfe") written = signal_to_hfe(signal, file, error);
    else if (wanted == "osi") written = signal_to_osi_stream(signal, file, error);
    else error = "no disk format '" + wanted + "'";
    if (!written) return web_result_error(error);
    return web_result_new(std::move(file), json_object({{"ok", json_bool(true)}}));
}
