// A disk written as .65d, HFE or osiemu bit stream, and the texts about its layout.
#include "spindisk/disk_writing.h"

#include <cctype>
#include <cstdio>

#include "format/hfe_writer.h"
#include "format/osi_stream_format.h"
#include "format/osi_stream_writer.h"
#include "image/geometry.h"
#include "sim/boot_run.h"

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

std::string stream_extension_mismatch(const OutputFormat& format, const std::string& out_name, const DiskFile& disk,
                                      const std::string& in_name) {
    if (format.kind != DiskFileKind::osi_stream || format.stream_disk == disk.geometry->format) return "";
    const OsiStreamType* fitting = osi_stream_type_for(disk.geometry->format);
    return quoted_name(out_name) + " is " + (format.stream_disk == DiskFormat::full ? "an " : "a ") +
           geometry_for(format.stream_disk).name + " bit stream, but " + quoted_name(in_name) + " is " +
           (disk.geometry->format == DiskFormat::full ? "an " : "a ") + disk.geometry->name +
           " disk: name it " + (fitting ? fitting->extension : "");
}

bool encode_disk(const DiskFile& disk, DiskFileKind kind, std::vector<uint8_t>& bytes, std::string& error) {
    switch (kind) {
        case DiskFileKind::image:
            bytes = disk.image;
            return true;
        case DiskFileKind::hfe:
            return signal_to_hfe(disk.signal, bytes, error);
        case DiskFileKind::osi_stream:
            return signal_to_osi_stream(disk.signal, bytes, error);
    }
    return false;
}

double lead_in_used(const DiskFile& disk, const double* lead_in_us) {
    return lead_in_us ? *lead_in_us : default_signal_timing(disk.geometry->format).lead_in_us;
}

std::string number_text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

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

std::string short_lead_in_warning(const DiskFile& disk, double lead_in_us) {
    const double index_us = index_pulse_us(disk.geometry->format);
    if (disk.kind != DiskFileKind::image || lead_in_us >= index_us) return "";
    return "spindisk: warning: the lead-in of " + number_text(lead_in_us) + " us is shorter than the index pulse (" +
           number_text(index_us) +
           " us): the sector mark passes during the index pulse and the disk will not boot\n";
}
