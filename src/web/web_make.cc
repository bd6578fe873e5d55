// Making a disk in the page: spindisk make's whole road (make_disk) with
// the page's fields for its options, and its findings, summary and boot
// report for the page to show.
#include <string>
#include <vector>

#include "disk/boot_verdict.h"
#include "loader/loader_kind.h"
#include "program/hex_text.h"
#include "program/program_input.h"
#include "spindisk/boot_report.h"
#include "spindisk/json_writer.h"
#include "spindisk/listing.h"
#include "spindisk/make_disk.h"
#include "spindisk/make_summary.h"
#include "web/web_api.h"
#include "web/web_result.h"

namespace {

constexpr int MINI_INCHES = 5;
constexpr int FULL_INCHES = 8;
constexpr char BOOT_TRACK_CHOICE[] = "boot-track";

// The page's fields, as the page gives them.
struct Fields {
    const char* input_name;
    const char* input_format;
    const char* load;
    const char* start;
    int disk_inches;
    const char* label;
    const char* loader;
    bool allow_errors;
    const char* output_format;
};

bool address_field(const char* what, const std::string& text, bool& has, uint16_t& address, std::string& error) {
    if (text.empty()) return true;
    has = parse_address(text, address);
    if (!has) error = std::string("the ") + what + " wants one to four hex digits ($0300, 0x0300, 0300), not '" + text + "'";
    return has;
}

bool label_field(const std::string& text, MakeOptions& options, std::string& error) {
    options.has_label = !text.empty();
    if (label_from_text(text, options.label)) return true;
    error = "the label holds at most " + std::to_string(LABEL_MAX_CHARACTERS) + " characters";
    return false;
}

bool output_field(const std::string& name, DiskFileKind& kind, std::string& error) {
    if (output_kind_from_name(name, kind)) return true;
    error = "no output format '" + name + "'";
    return false;
}

// A loader by the name --loader takes ("standard", "fast"), or
// "boot-track" for code that is the boot track itself (--boot-track).
bool loader_field(const std::string& name, MakeOptions& options, std::string& error) {
    options.boot_track = name == BOOT_TRACK_CHOICE;
    if (options.boot_track) return true;
    const LoaderInfo* loader = loader_named(name.c_str());
    if (loader) options.loader = loader->kind;
    else error = "no loader '" + name + "'";
    return loader != nullptr;
}

// The fields as make's options; false with what is wrong with one.
bool read_fields(const Fields& fields, MakeOptions& options, std::string& error) {
    options.input_name = fields.input_name;
    options.allow_errors = fields.allow_errors;
    if (fields.disk_inches != MINI_INCHES && fields.disk_inches != FULL_INCHES) {
        error = "the disk is 5 or 8 inches";
        return false;
    }
    options.disk = fields.disk_inches == FULL_INCHES ? DiskFormat::full : DiskFormat::mini;
    if (!input_format_from_name(fields.input_format, options.input_format)) {
        error = std::string("no input format '") + fields.input_format + "'";
        return false;
    }
    return address_field("load address", fields.load, options.has_load, options.load_address, error) &&
           address_field("start address", fields.start, options.has_start, options.start_address, error) &&
           label_field(fields.label, options, error) && loader_field(fields.loader, options, error) &&
           output_field(fields.output_format, options.output_kind, error);
}

const char* level_name(FindingLevel level) {
    switch (level) {
        case FindingLevel::note: return "note";
        case FindingLevel::warning: return "warning";
        case FindingLevel::error: return "error";
    }
    return "error";
}

std::string findings_json(const MakeResult& result) {
    std::vector<std::string> findings;
    for (const MakeFinding& finding : result.findings) {
        findings.push_back(json_object({{"level", json_string(level_name(finding.level))},
                                        {"code", json_string(finding.code)},
                                        {"message", json_string(finding.message)}}));
    }
    return json_array(findings);
}

std::string result_json(const MakeResult& result, const MakeOptions& options) {
    const bool ok = result.status == MakeStatus::ok;
    const std::string output_name = default_output_name(options.input_name, options.output_kind, options.disk);
    std::vector<JsonField> fields = {{"ok", json_bool(ok)}};
    if (!ok) fields.push_back({"error", json_string(result.error)});
    fields.push_back({"findings", findings_json(result)});
    fields.push_back({"input_format", json_string(input_format_description(result.input_format))});
    fields.push_back({"output_name", json_string(output_name)});
    if (ok) fields.push_back({"summary", json_string(make_summary(result, output_name, options.output_kind))});
    if (result.facts.geometry) fields.push_back({"listing", listing_json(result.facts)});
    if (result.verified || result.refused_boot) {
        ReportExtras extras;
        extras.program_range = program_range(result.facts);
        extras.program = &result.check;
        fields.push_back({"boot_text", json_string(boot_report_text(result.boot, extras))});
    }
    return json_object(fields);
}

}  // namespace

WebResult* web_make_disk(const uint8_t* input, size_t size, const char* input_name, const char* input_format,
                         const char* load, const char* start, int disk_inches, const char* label, const char* loader,
                         int allow_errors, const char* output_format) {
    const Fields fields{input_name, input_format, load, start, disk_inches, label, loader, allow_errors != 0,
                        output_format};
    MakeOptions options;
    std::string error;
    if (!read_fields(fields, options, error)) return web_result_error(error);
    MakeResult result = make_disk(input, size, options);
    std::string json = result_json(result, options);
    return web_result_new(std::move(result.output), std::move(json));
}
