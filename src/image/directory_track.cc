// The directory track: the template with the default label, or the user's
// label cut into six-character entries.
#include "image/directory_track.h"

#include <cstring>


namespace {

struct DirectoryEntry {
    char name[DIRECTORY_NAME_SIZE + 1];
    uint8_t first_track;
    uint8_t last_track;
};

// Read as a listing: "SPIN LOAD IS NOT OS65D".
constexpr DirectoryEntry DEFAULT_ENTRIES[] = {
    {"SPIN  ", DIRECTORY_DEFAULT_TRACK, DIRECTORY_DEFAULT_TRACK},
    {"LOAD  ", DIRECTORY_DEFAULT_TRACK, DIRECTORY_DEFAULT_TRACK},
    {"IS NOT", DIRECTORY_DEFAULT_TRACK, DIRECTORY_DEFAULT_TRACK},
    {"OS65D ", DIRECTORY_DEFAULT_TRACK, DIRECTORY_DEFAULT_TRACK},
};
constexpr DirectoryEntry FREE_ENTRY = {"######", 0, 0};

void put_entry(uint8_t* at, const DirectoryEntry& entry) {
    std::memcpy(at, entry.name, DIRECTORY_NAME_SIZE);
    at[DIRECTORY_FIRST_TRACK_OFFSET] = entry.first_track;
    at[DIRECTORY_LAST_TRACK_OFFSET] = entry.last_track;
}

std::array<uint8_t, DIRECTORY_SIZE> make_directory_template() {
    std::array<uint8_t, DIRECTORY_SIZE> bytes{};
    // The 5.25-inch track header; an 8-inch disk patches the track number.
    write_track_header(bytes.data(), 12);
    for (size_t sector = 0; sector < 2; sector++) {
        uint8_t* header = bytes.data() + 4 + sector * DIRECTORY_SECTOR_SIZE;
        header[0] = SECTOR_MARK;
        header[1] = static_cast<uint8_t>(sector + 1);  // sector number
        header[2] = 1;                                 // one page long
        uint8_t* trailer = header + DIRECTORY_SECTOR_SIZE - DIRECTORY_TRAILER_SIZE;
        std::memcpy(trailer, DIRECTORY_TRAILER, DIRECTORY_TRAILER_SIZE);
    }
    const size_t defaults = sizeof DEFAULT_ENTRIES / sizeof DEFAULT_ENTRIES[0];
    for (size_t i = 0; i < DIRECTORY_ENTRY_COUNT; i++) {
        put_entry(bytes.data() + directory_entry_offset(i), i < defaults ? DEFAULT_ENTRIES[i] : FREE_ENTRY);
    }
    return bytes;
}

}  // namespace

const std::array<uint8_t, DIRECTORY_SIZE> DIRECTORY_TEMPLATE = make_directory_template();

void write_directory_track(const ImageOptions& options, const DiskGeometry& geometry,
                           int data_tracks, DiskImage& image) {
    uint8_t* slot = image.slot(geometry, geometry.directory_track);
    std::memcpy(slot, DIRECTORY_TEMPLATE.data(), DIRECTORY_SIZE);
    slot[TRACK_HEADER_NUMBER_OFFSET] = to_bcd(geometry.directory_track);

    // The label counts up to its first zero byte; an empty one keeps the default.
    size_t label_length = 0;
    while (label_length < options.label.size() && label_length < LABEL_MAX_CHARACTERS &&
           options.label[label_length] != 0) {
        label_length++;
    }
    if (label_length == 0) return;

    size_t cursor = 0;
    bool label_ended = false;
    for (size_t i = 0; i < DIRECTORY_ENTRY_COUNT; i++) {
        uint8_t* entry = slot + directory_entry_offset(i);
        // Entry 0 spans the whole program (tracks 1 to n + 1); the others
        // carry a plain binary count that wraps at the track count.
        if (i == 0) {
            entry[DIRECTORY_FIRST_TRACK_OFFSET] = 1;
            entry[DIRECTORY_LAST_TRACK_OFFSET] = static_cast<uint8_t>(data_tracks + 1);
        } else {
            const uint8_t track = static_cast<uint8_t>((i + 1) % geometry.label_track_modulus);
            entry[DIRECTORY_FIRST_TRACK_OFFSET] = track;
            entry[DIRECTORY_LAST_TRACK_OFFSET] = track;
        }
        for (size_t k = 0; k < DIRECTORY_NAME_SIZE; k++) {
            if (label_ended) {
                entry[k] = DIRECTORY_FREE_NAME_CHAR;
            } else if (cursor < label_length) {
                entry[k] = options.label[cursor++];
            } else {
                entry[k] = ' ';
            }
        }
        if (cursor == label_length) label_ended = true;
    }
}
