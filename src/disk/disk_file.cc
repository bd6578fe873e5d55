// Reading disk files for the commands, and the messages for files that
// cannot be read or are no disk.
#include "disk/disk_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "base/text.h"
#include "fileio/paths.h"
#include "format/frame_decoder.h"
#include "format/hfe_format.h"
#include "format/hfe_reader.h"
#include "format/osi_stream_format.h"
#include "format/osi_stream_reader.h"
#include "image/geometry.h"

namespace {

constexpr unsigned char DELETE_CHARACTER = 0x7F;
// UTF-8 writes the C1 controls U+0080..U+009F as C2 80..C2 9F; terminals
// act on them (C2 9B is CSI) just as on the C0 ones.
constexpr unsigned char C1_LEAD_BYTE = 0xC2;
constexpr unsigned char C1_FIRST = 0x80;
constexpr unsigned char C1_LAST = 0x9F;

void append_escaped(unsigned char byte, std::string& text) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    text += escaped;
}

}  // namespace

// A file name is shown as it is (UTF-8 included), but a control character
// in it would act on the terminal, so those are written as \xNN.
std::string quoted_name(const std::string& name) {
    std::string text = "'";
    for (size_t i = 0; i < name.size(); i++) {
        const unsigned char byte = static_cast<unsigned char>(name[i]);
        const unsigned char next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        if (byte == C1_LEAD_BYTE && next >= C1_FIRST && next <= C1_LAST) {
            append_escaped(byte, text);
            append_escaped(next, text);
            i++;
        } else if (byte < FIRST_PRINTABLE || byte == DELETE_CHARACTER) {
            append_escaped(byte, text);
        } else {
            text += name[i];
        }
    }
    return text + "'";
}

namespace {

std::string valid_image_sizes() {
    const DiskGeometry& mini = geometry_for(DiskFormat::mini);
    const DiskGeometry& full = geometry_for(DiskFormat::full);
    return "an image is " + std::to_string(mini.image_size) + " bytes (" + mini.name + ") or " +
           std::to_string(full.image_size) + " bytes (" + full.name + ")";
}

bool starts_with(const std::vector<uint8_t>& bytes, const char* signature, size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), signature, size) == 0;
}

DiskFileKind kind_of(const std::vector<uint8_t>& bytes) {
    if (starts_with(bytes, HFE_SIGNATURE, HFE_SIGNATURE_SIZE) ||
        starts_with(bytes, HFE_V3_SIGNATURE, HFE_SIGNATURE_SIZE)) {
        return DiskFileKind::hfe;
    }
    if (starts_with(bytes, OSI_STREAM_SIGNATURE, OSI_STREAM_SIGNATURE_SIZE)) return DiskFileKind::osi_stream;
    return DiskFileKind::image;
}

// Each track heard from the index into its slot, the way the controller
// would read it.
void decode_signal(DiskFile& disk) {
    const DiskGeometry& g = *disk.geometry;
    const double samples_per_bit = disk.signal.bit_rate / default_signal_timing(g.format).bit_rate;
    disk.image.assign(g.image_size, 0);
    disk.decoded.assign(disk.signal.tracks.size(), TrackDecodeReport{});
    for (size_t t = 0; t < disk.signal.tracks.size(); t++) {
        const FrameDecode frames = decode_frames(disk.signal.tracks[t].bits, samples_per_bit, g.track_slot_size);
        std::copy(frames.bytes.begin(), frames.bytes.end(),
                  disk.image.begin() + static_cast<long>(track_offset(g, static_cast<int>(t))));
        disk.decoded[t] = {frames.bytes.size(), frames.parity_errors, frames.framing_errors};
    }
}

bool read_signal_file(const std::string& name, const std::vector<uint8_t>& bytes, DiskFile& disk,
                      std::string& error) {
    const bool read = disk.kind == DiskFileKind::hfe ? hfe_to_signal(bytes, disk.signal, error)
                                                     : osi_stream_to_signal(bytes, disk.signal, error);
    if (!read) {
        error = quoted_name(name) + ": " + error;
        return false;
    }
    disk.geometry = &geometry_for(disk.signal.format);
    decode_signal(disk);
    return true;
}

std::string plural(size_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

const char* format_title(DiskFileKind kind) {
    switch (kind) {
        case DiskFileKind::image: return ".65d image";
        case DiskFileKind::hfe: return "HFE file";
        case DiskFileKind::osi_stream: return "osiemu bit stream";
    }
    return "";
}

std::string file_read_error(WholeFileStatus status, const std::string& name, uint64_t limit) {
    switch (status) {
        case WholeFileStatus::cannot_open: {
            std::error_code error;
            const std::filesystem::path path = path_from_argument(name);
            if (std::filesystem::is_directory(path, error)) return quoted_name(name) + " is a directory, not a file";
            if (!std::filesystem::exists(path, error) && !error) return "cannot open " + quoted_name(name) + ": no such file";
            return "cannot open " + quoted_name(name);
        }
        case WholeFileStatus::too_big:
            return quoted_name(name) + " is more than " + std::to_string(limit) + " bytes";
        case WholeFileStatus::read_failed:
        case WholeFileStatus::ok:
            break;
    }
    return "cannot read " + quoted_name(name);
}

std::string image_size_error(const std::string& name, uint64_t size) {
    return quoted_name(name) + " is " + std::to_string(size) + " bytes; " + valid_image_sizes();
}

bool read_disk_bytes(const std::string& name, const std::vector<uint8_t>& bytes, DiskFile& disk, std::string& error) {
    disk = DiskFile{};
    disk.kind = kind_of(bytes);
    if (disk.kind != DiskFileKind::image) {
        if (!read_signal_file(name, bytes, disk, error)) return false;
    } else {
        disk.geometry = geometry_for_image_size(bytes.size());
        if (!disk.geometry) {
            error = image_size_error(name, bytes.size());
            return false;
        }
        disk.image = bytes;
    }
    disk.facts = read_image(disk.image.data(), disk.image.size());
    return true;
}

bool load_disk_file(const std::string& name, DiskFile& disk, std::string& error) {
    std::vector<uint8_t> bytes;
    const WholeFileStatus status = read_whole_file(name, DISK_FILE_READ_LIMIT, bytes);
    if (status != WholeFileStatus::ok) {
        error = file_read_error(status, name, DISK_FILE_READ_LIMIT);
        if (status == WholeFileStatus::too_big) error += "; " + valid_image_sizes();
        return false;
    }
    return read_disk_bytes(name, bytes, disk, error);
}

bool lay_out_disk_signal(DiskFile& disk, const std::string& name, const double* lead_in_us, std::string& error) {
    if (disk.kind != DiskFileKind::image) {
        if (lead_in_us) {
            error = "--lead-in-us applies to .65d images; " + quoted_name(name) + " carries its own timing";
            return false;
        }
        return true;
    }
    SignalTiming timing = default_signal_timing(disk.geometry->format);
    if (lead_in_us) {
        const double revolution_us = revolution_microseconds(timing);
        if (*lead_in_us >= revolution_us) {
            error = "--lead-in-us must be shorter than a revolution (" +
                    std::to_string(static_cast<long long>(revolution_us)) + " us)";
            return false;
        }
        timing.lead_in_us = *lead_in_us;
    }
    disk.signal = image_to_signal(*disk.geometry, disk.image.data(), timing, disk.layout);
    return true;
}

std::string count_range_text(const std::vector<size_t>& counts) {
    if (counts.empty()) return "0";
    const auto range = std::minmax_element(counts.begin(), counts.end());
    if (*range.first == *range.second) return std::to_string(*range.first);
    return std::to_string(*range.first) + " to " + std::to_string(*range.second);
}

std::string disk_source_text(const DiskFile& disk) {
    if (disk.kind == DiskFileKind::image) return "";
    std::vector<size_t> bytes;
    for (const TrackDecodeReport& track : disk.decoded) bytes.push_back(track.bytes);
    return std::string(format_title(disk.kind)) + ", " + std::to_string(disk.decoded.size()) + " tracks, decoded: " +
           count_range_text(bytes) + " bytes of each " + std::to_string(disk.geometry->track_slot_size) +
           "-byte slot";
}

std::vector<std::string> disk_decode_problems(const DiskFile& disk) {
    std::vector<std::string> lines;
    for (size_t t = 0; t < disk.decoded.size(); t++) {
        const TrackDecodeReport& track = disk.decoded[t];
        if (track.parity_errors == 0 && track.framing_errors == 0) continue;
        lines.push_back("track " + std::to_string(t) + ": " + plural(track.parity_errors, "parity error") + ", " +
                        plural(track.framing_errors, "framing error"));
    }
    return lines;
}

std::vector<size_t> unrecovered_bytes(const DiskFile& disk) {
    std::vector<size_t> missing;
    for (const TrackDecodeReport& track : disk.decoded) missing.push_back(disk.geometry->track_slot_size - track.bytes);
    return missing;
}
