// Reading disk files for the commands, and the messages for files that
// cannot be read or are no disk.
#include "disk/disk_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/text.h"
#include "fileio/paths.h"
#include "format/hfe_format.h"
#include "format/hfe_reader.h"
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

}  // namespace

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

ImageFile load_image_file(const std::string& name) {
    ImageFile file;
    const WholeFileStatus status = read_whole_file(name, IMAGE_FILE_READ_LIMIT, file.bytes);
    if (status != WholeFileStatus::ok) {
        file.error = file_read_error(status, name, IMAGE_FILE_READ_LIMIT);
        if (status == WholeFileStatus::too_big) file.error += "; " + valid_image_sizes();
        return file;
    }
    file.facts = read_image(file.bytes.data(), file.bytes.size());
    if (!file.facts.geometry) file.error = image_size_error(name, file.bytes.size());
    return file;
}

LoadStatus load_boot_disk(const std::string& path, const double* lead_in_us, BootDisk& disk, std::string& error) {
    std::vector<uint8_t> bytes;
    const WholeFileStatus status = read_whole_file(path, DISK_FILE_READ_LIMIT, bytes);
    if (status != WholeFileStatus::ok) {
        error = file_read_error(status, path, DISK_FILE_READ_LIMIT);
        return LoadStatus::failed;
    }
    // An HFE file carries its own timing; it is played as it stands.
    if (bytes.size() >= HFE_SIGNATURE_SIZE && std::memcmp(bytes.data(), HFE_SIGNATURE, HFE_SIGNATURE_SIZE) == 0) {
        if (hfe_to_signal(bytes, disk.signal, error)) return LoadStatus::ok;
        error = quoted_name(path) + ": " + error;
        return LoadStatus::failed;
    }
    const DiskGeometry* geometry = geometry_for_image_size(bytes.size());
    if (!geometry) {
        error = image_size_error(path, bytes.size());
        return LoadStatus::failed;
    }
    SignalTiming timing = default_signal_timing(geometry->format);
    if (lead_in_us) {
        const double revolution_us = revolution_microseconds(timing);
        if (*lead_in_us >= revolution_us) {
            error = "--lead-in-us must be shorter than a revolution (" +
                    std::to_string(static_cast<long long>(revolution_us)) + " us)";
            return LoadStatus::bad_option;
        }
        timing.lead_in_us = *lead_in_us;
    }
    disk.signal = image_to_signal(*geometry, bytes.data(), timing, disk.layout);
    return LoadStatus::ok;
}
