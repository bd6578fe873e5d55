// Output naming and the summary of spindisk make.
#include "spindisk/make_summary.h"

#include <cstdio>

#include "base/text.h"
#include "base/utf8.h"
#include "fileio/paths.h"
#include "spindisk/disk_writing.h"

namespace {

// The offset of the last extension's dot in the file's own name, or npos.
size_t extension_dot(const std::string& name) {
    for (size_t i = name.size(); i > 0; i--) {
        const char c = name[i - 1];
        if (is_path_separator(c)) return std::string::npos;
        if (c == '.') return i - 1 == 0 || is_path_separator(name[i - 2]) ? std::string::npos : i - 1;
    }
    return std::string::npos;
}

std::string label_text(const LabelFacts& label) {
    if (label.state == LabelState::overwritten || label.state == LabelState::missing) {
        return "none (program data on the directory track)";
    }
    std::string text;
    for (const std::string& line : label.lines) text += (text.empty() ? "" : " / ") + printable_text(line);
    if (text.empty()) text = "(empty)";
    return label.is_default ? text + " (default)" : text;
}

std::string tracks_text(const MakeResult& result) {
    const ImageFacts& facts = result.facts;
    if (facts.boot.mode != BootMode::loader) {
        return "boot code on 0 (" + std::to_string(facts.boot.page_count) + " pages at $2200)";
    }
    const size_t data = facts.tracks.size();
    std::string text = std::string(facts.boot.loader == LoaderKind::fast ? "fast boot loader" : "boot loader") +
                       " on 0, data on 1";
    if (data > 1) text += "-" + std::to_string(data);
    return text + ", terminator on " + std::to_string(facts.terminator.track);
}

std::string verified_text(const MakeResult& result) {
    if (!result.verified) return "no (--no-verify)";
    char text[96];
    std::snprintf(text, sizeof text, "starts after %.2f s at %llu Hz", report_seconds(result.boot, result.boot.end_cycle),
                  static_cast<unsigned long long>(result.boot.settings.cpu_hz));
    return text;
}

}  // namespace

std::string default_output_name(const std::string& input_name, DiskFileKind kind, DiskFormat disk) {
    const size_t dot = extension_dot(input_name);
    const std::string stem = dot == std::string::npos ? input_name : input_name.substr(0, dot);
    return stem + output_extension(kind, disk);
}

std::string make_summary(const MakeResult& result, const std::string& output_name, DiskFileKind kind) {
    const Program& program = result.program;
    const DiskGeometry& geometry = geometry_for(result.image_options.format);
    std::string text = "wrote " + output_name + ": " + format_title(kind) + ", " + geometry.name +
                       " disk\n";
    text += "program: " + format_range(program.load_address, program.bytes.size()) + ", " +
            std::to_string(program.bytes.size()) + (program.bytes.size() == 1 ? " byte (" : " bytes (") + input_format_description(result.input_format) +
            (program.pieces > 1 ? ", " + std::to_string(program.pieces) + " pieces, gaps filled with $00" : "") + ")\n";
    text += "tracks: " + tracks_text(result) + "\n";
    text += "start: " + format_address(result.image_options.raw_boot ? program.load_address : result.start_address) + "\n";
    text += "label: " + label_text(result.facts.label) + "\n";
    text += "verified: " + verified_text(result) + "\n";
    return text;
}

namespace {

struct OutputKindName {
    const char* name;
    DiskFileKind kind;
};
constexpr OutputKindName OUTPUT_KIND_NAMES[] = {
    {"65d", DiskFileKind::image}, {"hfe", DiskFileKind::hfe}, {"osi", DiskFileKind::osi_stream}};

}  // namespace

bool output_kind_from_name(const std::string& name, DiskFileKind& kind) {
    for (const OutputKindName& entry : OUTPUT_KIND_NAMES) {
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

bool label_from_text(const std::string& text, std::vector<uint8_t>& label) {
    const std::vector<uint32_t> characters = decode_utf8_lenient(text);
    if (characters.size() > LABEL_MAX_CHARACTERS) return false;
    label.clear();
    for (uint32_t character : characters) label.push_back(static_cast<uint8_t>(character & 0xFF));
    return true;
}
