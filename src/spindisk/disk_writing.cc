// A disk written as .65d, HFE or osiemu bit stream, and the texts about its layout.
#include "spindisk/disk_writing.h"

#include <cctype>
#include <cstdio>

#include "format/hfe_writer.h"
#include "format/osi_stream_format.h"
#include "format/osi_stream_writer.h"
#include "image/geometry.h"
#include "sim/boot_run.h"
#include "spindisk/output_writing.h"

namespace {

const char IMAGE_EXTENSION[] = ".65d";
const char HFE_EXTENSION[] = ".hfe";

std::string lower_extension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = name.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The index pulse of the drive the simulator models. The loader waits for
// its end, so a sector mark sent before then passes unseen on every revolution.
double index_pulse_us(DiskFormat format) { return default_boot_settings(format).index_us; }

const char* with_article(DiskFormat format) { return format == DiskFormat::full ? "an " : "a "; }

// "" when the output's extension fits the disk; else why not, for bad usage:
// "'x.os8' is an 8-inch bit stream, but 'in.65d' is a 5.25-inch disk: name it .os5".
std::string stream_extension_mismatch(const DiskWriteRequest& request, const DiskFile& disk) {
    const DiskFormat named = request.format.stream_disk;
    const DiskFormat actual = disk.geometry->format;
    if (request.format.kind != DiskFileKind::osi_stream || named == actual) return "";
    const OsiStreamType* fitting = osi_stream_type_for(actual);
    return quoted_name(request.out_name) + " is " + with_article(named) + geometry_for(named).name +
           " bit stream, but " + quoted_name(request.in_name) + " is " + with_article(actual) + disk.geometry->name +
           " disk: name it " + (fitting ? fitting->extension : "");
}

// "" when every non-zero byte fit in the revolution; else "N non-zero bytes
// do not fit in a revolution after a lead-in of X us (tracks 3, 4)".
std::string layout_loss(const SignalLayoutReport& report, double lead_in_us) {
    std::string tracks;
    size_t dropped = 0;
    for (size_t t = 0; t < report.nonzero_bytes_dropped.size(); t++) {
        if (report.nonzero_bytes_dropped[t] == 0) continue;
        dropped += report.nonzero_bytes_dropped[t];
        tracks += (tracks.empty() ? "" : ", ") + std::to_string(t);
    }
    if (dropped == 0) return "";
    return std::to_string(dropped) + " non-zero bytes do not fit in a revolution after a lead-in of " +
           number_text(lead_in_us) + " us (tracks " + tracks + ")";
}

// The steps of write_disk_as after reading: each either passes or leaves
// its failure.
bool lay_out(const std::string& command, const DiskWriteRequest& request, WrittenDisk& written,
             CommandOutput& failure) {
    DiskFile& disk = written.disk;
    const double* lead_in = request.has_lead_in ? &request.lead_in_us : nullptr;
    std::string error = stream_extension_mismatch(request, disk);
    if (error.empty()) lay_out_disk_signal(disk, request.in_name, lead_in, error);
    if (!error.empty()) {
        failure = usage_error(command, error);
        return false;
    }
    written.lead_in_us = lead_in ? *lead_in : default_signal_timing(disk.geometry->format).lead_in_us;
    // A .65d output takes the slots as they are: nothing is laid out in time.
    if (request.format.kind != DiskFileKind::image) written.loss = layout_loss(disk.layout, written.lead_in_us);
    if (!written.loss.empty() && !request.allow_truncation) {
        failure = command_error(written.loss);
        failure.err += std::string("spindisk: ") + request.truncation_hint + "\n";
        return false;
    }
    return true;
}

bool encode_and_write(const DiskWriteRequest& request, WrittenDisk& written, CommandOutput& failure) {
    std::vector<uint8_t> bytes;
    std::string error;
    const DiskFile& disk = written.disk;
    if (!encode_disk_bytes(request.format.kind, disk.image.data(), disk.image.size(), disk.signal, bytes, error)) {
        failure = command_error("cannot write " + quoted_name(request.in_name) + " as " +
                                format_title(request.format.kind) + ": " + error);
        return false;
    }
    error = write_output_file(request.out_name, request.force, bytes);
    if (!error.empty()) {
        failure = command_error(error);
        return false;
    }
    written.file_size = bytes.size();
    return true;
}

}  // namespace

bool output_format_for_name(const std::string& name, OutputFormat& format) {
    const std::string extension = lower_extension(name);
    if (extension == IMAGE_EXTENSION || extension == HFE_EXTENSION) {
        format = {extension == IMAGE_EXTENSION ? DiskFileKind::image : DiskFileKind::hfe, DiskFormat::mini};
        return true;
    }
    for (const OsiStreamType& type : OSI_STREAM_TYPES) {
        if (extension == type.extension) {
            format = {DiskFileKind::osi_stream, type.format};
            return true;
        }
    }
    return false;
}

const char* output_extension(DiskFileKind kind, DiskFormat disk) {
    switch (kind) {
        case DiskFileKind::image: return IMAGE_EXTENSION;
        case DiskFileKind::hfe: return HFE_EXTENSION;
        case DiskFileKind::osi_stream: return osi_stream_type_for(disk)->extension;
    }
    return IMAGE_EXTENSION;
}

bool encode_disk_bytes(DiskFileKind kind, const uint8_t* slots, size_t size, const DiskSignal& signal,
                       std::vector<uint8_t>& bytes, std::string& error) {
    switch (kind) {
        case DiskFileKind::image:
            bytes.assign(slots, slots + size);
            return true;
        case DiskFileKind::hfe:
            return signal_to_hfe(signal, bytes, error);
        case DiskFileKind::osi_stream:
            return signal_to_osi_stream(signal, bytes, error);
    }
    return false;
}

bool write_disk_as(const std::string& command, const DiskWriteRequest& request, WrittenDisk& written,
                   CommandOutput& failure) {
    std::string error;
    if (!load_disk_file(request.in_name, written.disk, error)) {
        failure = command_error(error);
        return false;
    }
    return lay_out(command, request, written, failure) && encode_and_write(request, written, failure);
}

std::string take_write_request(const ParsedArguments& parsed, const char* missing_both, const char* missing_out,
                               DiskWriteRequest& request) {
    if (!parsed.error.empty()) return parsed.error;
    if (parsed.positional.size() < 2) return parsed.positional.empty() ? missing_both : missing_out;
    if (parsed.positional.size() > 2) return "unexpected argument " + quoted_name(parsed.positional[2]);
    request.in_name = parsed.positional[0];
    request.out_name = parsed.positional[1];
    request.force = parsed.has("force");
    return "";
}

std::string take_lead_in(const ParsedArguments& parsed, DiskWriteRequest& request) {
    static const char LEAD_IN_OPTION[] = "lead-in-us";
    request.has_lead_in = parsed.has(LEAD_IN_OPTION);
    if (request.has_lead_in && !parse_decimal(parsed.values.at(LEAD_IN_OPTION), request.lead_in_us)) {
        return "--lead-in-us needs a number of microseconds, not " + quoted_name(parsed.values.at(LEAD_IN_OPTION));
    }
    return "";
}

std::string lead_in_fit_text(const WrittenDisk& written) {
    const DiskFile& disk = written.disk;
    return "lead-in " + number_text(written.lead_in_us) + " us: " + count_range_text(disk.layout.bytes_sent) +
           " of each track's " + std::to_string(disk.geometry->track_slot_size) + " bytes fit in the revolution\n";
}

std::string number_text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string short_lead_in_warning(const DiskFile& disk, double lead_in_us) {
    const double index_us = index_pulse_us(disk.geometry->format);
    if (disk.kind != DiskFileKind::image || lead_in_us >= index_us) return "";
    return "spindisk: warning: the lead-in of " + number_text(lead_in_us) + " us is shorter than the index pulse (" +
           number_text(index_us) + " us): the sector mark passes during the index pulse and the disk will not boot\n";
}
