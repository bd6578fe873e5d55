// Reading an image: the boot track, the loader's walk over the data tracks,
// the program they add up to, the directory label and the warnings.
#include "disk/image_reader.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "base/units.h"
#include "image/boot_track.h"
#include "image/data_tracks.h"
#include "image/directory_track.h"
#include "loader/boot_loader.h"

namespace {

constexpr uint16_t IO_AREA_START = 0xC000;  // device registers and ROMs on the OSI machines

// Offsets from the sector mark the loader finds: mark, sector number,
// declared length, then the load header and the first stored byte.
constexpr size_t MARK_TO_PAGE_COUNT = DATA_PAGE_COUNT_OFFSET - DATA_SECTOR_MARK_OFFSET;
constexpr size_t MARK_TO_ADDRESS_HIGH = DATA_ADDRESS_HIGH_OFFSET - DATA_SECTOR_MARK_OFFSET;
constexpr size_t MARK_TO_ADDRESS_LOW = DATA_ADDRESS_LOW_OFFSET - DATA_SECTOR_MARK_OFFSET;
constexpr size_t MARK_TO_DATA = DATA_CHUNK_OFFSET - DATA_SECTOR_MARK_OFFSET;

constexpr size_t DIRECTORY_SECTOR_COUNT = DIRECTORY_ENTRY_COUNT / DIRECTORY_ENTRIES_PER_SECTOR;

struct WarningInfo {
    WarningCode code;
    const char* name;
    WarningLevel level;
};

constexpr WarningInfo WARNING_TABLE[] = {
    {WarningCode::wraps, "wraps", WarningLevel::warning},
    {WarningCode::loader_memory, "loader_memory", WarningLevel::error},
    {WarningCode::finish_patch, "finish_patch", WarningLevel::warning},
    {WarningCode::io_area, "io_area", WarningLevel::warning},
    {WarningCode::disk_controller, "disk_controller", WarningLevel::error},
    {WarningCode::track_header, "track_header", WarningLevel::warning},
    {WarningCode::sector_mark_moved, "sector_mark_moved", WarningLevel::warning},
    {WarningCode::no_sector_mark, "no_sector_mark", WarningLevel::error},
    {WarningCode::header_cut, "header_cut", WarningLevel::error},
    {WarningCode::past_track, "past_track", WarningLevel::error},
    {WarningCode::chunk_mismatch, "chunk_mismatch", WarningLevel::warning},
    {WarningCode::high_page_count, "high_page_count", WarningLevel::warning},
    {WarningCode::off_disk, "off_disk", WarningLevel::error},
    {WarningCode::no_program, "no_program", WarningLevel::warning},
};

const WarningInfo& warning_info(WarningCode code) {
    for (const WarningInfo& info : WARNING_TABLE) {
        if (info.code == code) return info;
    }
    return WARNING_TABLE[0];  // unreachable: the table names every code
}

struct MemoryRegion {
    uint16_t first;
    uint16_t last;
};

// What the loader must find unchanged while it loads: its page-zero body,
// its variables and the two ends of the stack it touches.
constexpr MemoryRegion LOADER_MEMORY[] = {
    {0x0000, LOADER_ZERO_PAGE_END},
    {LOADER_VARIABLES_START, LOADER_VARIABLES_END},
    {LOADER_STACK_FIRST_PUSH, LOADER_STACK_FIRST_PUSH},
    {LOADER_STACK_LOW, LOADER_STACK_HIGH},
};
constexpr MemoryRegion FINISH_PATCH = {LOADER_FINISH_PATCH_START, LOADER_FINISH_PATCH_END};
constexpr MemoryRegion IO_AREA = {IO_AREA_START, 0xFFFF};
// The disk controller's PIA and ACIA and their neighbourhood on the board.
// $C000 itself is port A's output register, and its lines are all inputs;
// a byte at $C001 (control A) switches port A to its direction register,
// and the loader never sees the index or track-0 lines again.
constexpr MemoryRegion DISK_CONTROLLER = {0xC001, 0xC01F};

std::string format_region(const MemoryRegion& region) {
    if (region.first == region.last) return format_address(region.first);
    return format_address(region.first) + "-" + format_address(region.last);
}

// Whether length bytes (1 to 65536) from start, wrapping past $FFFF to
// $0000, touch the region: a wrapping range is two plain pieces.
bool touches(uint16_t start, size_t length, const MemoryRegion& region) {
    const uint32_t end = static_cast<uint32_t>(start) + static_cast<uint32_t>(length);  // one past
    auto overlaps = [&](uint32_t first, uint32_t last) { return first <= region.last && region.first <= last; };
    if (end <= ADDRESS_SPACE) return overlaps(start, end - 1);
    return overlaps(start, ADDRESS_SPACE - 1) || overlaps(0, end - 1 - ADDRESS_SPACE);
}

std::string track_name(int track) { return "track " + std::to_string(track); }

void warn(ImageFacts& facts, WarningCode code, int track, const std::string& message) {
    facts.warnings.push_back({code, track, message});
}

// The loader's search for the sector: a $76 followed directly by $01. A
// $76 followed by anything else restarts the search after that byte, so
// the byte that broke the pair is never taken as a $76 ($76 $76 $01 opens
// no sector). Returns the mark's offset, or the slot size if there is none.
size_t find_sector_mark(const uint8_t* slot, size_t slot_size) {
    size_t i = 0;
    while (i + 1 < slot_size) {
        if (slot[i] != SECTOR_MARK) {
            i++;
        } else if (slot[i + 1] == DATA_SECTOR_NUMBER) {
            return i;
        } else {
            i += 2;
        }
    }
    return slot_size;
}

bool has_track_header(const uint8_t* slot, int track) {
    return slot[0] == TRACK_HEADER_START_0 && slot[1] == TRACK_HEADER_START_1 &&
           slot[TRACK_HEADER_NUMBER_OFFSET] == to_bcd(track) && slot[TRACK_HEADER_SIZE - 1] == TRACK_HEADER_END;
}

void read_boot_track(const uint8_t* slot, const DiskGeometry& g, ImageFacts& facts) {
    BootFacts& boot = facts.boot;
    boot.load_address = static_cast<uint16_t>(slot[BOOT_HEADER_ADDRESS_HIGH] << 8 | slot[BOOT_HEADER_ADDRESS_LOW]);
    boot.page_count = slot[BOOT_HEADER_PAGE_COUNT];
    if (find_loader(slot, g.track_slot_size, boot.loader)) {
        boot.mode = BootMode::loader;
        boot.exec_address = loader_exec_address(slot, boot.loader);
        return;
    }
    // Code for $2200 with at least one page is what SpinLoad -t writes;
    // anything else was not made by it.
    if (boot.load_address != BOOT_LOAD_ADDRESS || boot.page_count == 0) return;
    boot.mode = BootMode::raw;
    boot.exec_address = BOOT_LOAD_ADDRESS;
    const size_t wanted = boot.page_count * PAGE_SIZE;
    const size_t room = g.track_slot_size - BOOT_CODE_OFFSET;
    boot.code_size = std::min(wanted, room);
    if (wanted > room) {
        warn(facts, WarningCode::past_track, 0,
             "the boot header asks for " + std::to_string(boot.page_count) + " pages (" + std::to_string(wanted) +
                 " bytes), but track 0 holds only " + std::to_string(room) +
                 " after it; the boot ROM would read on past the end of the track");
    }
    // SpinLoad -t writes size / 256 + 1 pages: 1-255 bytes -> 1, 1792-2045 -> 8.
    const size_t low = std::max<size_t>(1, (boot.page_count - 1) * PAGE_SIZE);
    const size_t high = std::min(wanted - 1, max_input_raw(g));
    if (low <= high) {
        boot.min_input_size = low;
        boot.max_input_size = high;
    }
}

// The load header the loader finds on a track, or why it finds none.
enum class HeaderFound { yes, no_mark, cut };

HeaderFound find_load_header(const uint8_t* slot, size_t slot_size, int track, ImageFacts& facts, size_t& mark) {
    if (!has_track_header(slot, track)) {
        warn(facts, WarningCode::track_header, track,
             track_name(track) + " does not begin with its track header 43 57 " + hex_byte(to_bcd(track)) +
                 " 58 (\"CW\", the track in BCD, \"X\"); the loader reads it all the same");
    }
    mark = find_sector_mark(slot, slot_size);
    if (mark == slot_size) {
        warn(facts, WarningCode::no_sector_mark, track,
             track_name(track) + " holds no $76 $01 anywhere: the loader would search it for ever");
        return HeaderFound::no_mark;
    }
    if (mark != DATA_SECTOR_MARK_OFFSET) {
        warn(facts, WarningCode::sector_mark_moved, track,
             track_name(track) + " has no $76 $01 at bytes 4-5; the loader finds one at byte " +
                 std::to_string(mark) + " and reads its load header there");
    }
    if (slot_size - mark < MARK_TO_DATA) {
        warn(facts, WarningCode::header_cut, track,
             track_name(track) + ": the load header after $76 $01 at byte " + std::to_string(mark) +
                 " runs past the end of the track");
        return HeaderFound::cut;
    }
    return HeaderFound::yes;
}

// A page count of 0, or of 14 and more, ends loading.
bool is_terminator(uint8_t page_count) { return page_count == 0 || page_count >= LOADER_PAGE_COUNT_LIMIT; }

void note_terminator(int track, uint8_t page_count, uint16_t address, ImageFacts& facts) {
    facts.terminator = {true, track, page_count, address};
    if (page_count != 0) {
        warn(facts, WarningCode::high_page_count, track,
             track_name(track) + ": page count " + std::to_string(page_count) + " (14 or more) ends loading as 0 does");
    }
}

DataTrackFacts data_track(int track, size_t mark, uint8_t page_count, uint16_t address, size_t slot_size,
                          ImageFacts& facts) {
    DataTrackFacts data;
    data.track = track;
    data.sector_offset = mark;
    data.page_count = page_count;
    data.load_address = address;
    // The loader stores 253 bytes in the first page, 256 in each further one.
    data.stored_size = page_count * PAGE_SIZE - LOAD_HEADER_SIZE;
    data.data_offset = mark + MARK_TO_DATA;
    const size_t room = slot_size - data.data_offset;
    data.bytes_in_slot = std::min(data.stored_size, room);
    if (data.stored_size > room) {
        warn(facts, WarningCode::past_track, track,
             track_name(track) + ": page count " + std::to_string(page_count) + " asks for " +
                 std::to_string(data.stored_size) + " bytes, but only " + std::to_string(room) +
                 " follow the load header on the track; the loader would reach the index hole"
                 " and jump through the reset vector");
    }
    return data;
}

// Follows the loader from track 1 on: find the sector, read the load
// header, store, step to the next track, until a page count of 0 or 14
// and more ends loading, or the walk cannot go on.
void walk_data_tracks(const uint8_t* image, const DiskGeometry& g, ImageFacts& facts) {
    const size_t slot_size = g.track_slot_size;
    for (int track = 1; track <= g.last_track; track++) {
        const uint8_t* slot = image + track_offset(g, track);
        size_t mark = 0;
        if (find_load_header(slot, slot_size, track, facts, mark) != HeaderFound::yes) return;
        const uint8_t page_count = slot[mark + MARK_TO_PAGE_COUNT];
        const uint16_t address =
            static_cast<uint16_t>(slot[mark + MARK_TO_ADDRESS_HIGH] << 8 | slot[mark + MARK_TO_ADDRESS_LOW]);
        if (is_terminator(page_count)) {
            note_terminator(track, page_count, address, facts);
            return;
        }
        facts.tracks.push_back(data_track(track, mark, page_count, address, slot_size, facts));
    }
    warn(facts, WarningCode::off_disk, NO_TRACK,
         "no terminator on tracks 1 to " + std::to_string(g.last_track) + ": after track " +
             std::to_string(g.last_track) + " the loader would step off the disk");
}

// The image does not record chunk lengths: SpinLoad's chunks follow one
// another, so a chunk ends where the next track's address begins. That
// length must need exactly this page count: 766 to 1021 bytes for 4 pages.
void derive_chunks(ImageFacts& facts) {
    for (size_t i = 0; i < facts.tracks.size(); i++) {
        DataTrackFacts& data = facts.tracks[i];
        data.chunk_size = data.stored_size;
        const bool has_next = i + 1 < facts.tracks.size() || facts.terminator.present;
        if (!has_next) continue;  // the walk broke off; its own warning says why
        const uint16_t next =
            i + 1 < facts.tracks.size() ? facts.tracks[i + 1].load_address : facts.terminator.address;
        const size_t distance = static_cast<uint16_t>(next - data.load_address);
        // One byte more than the pages before the last can hold: 766 for 4
        // pages (3 * 256 - 3 + 1), 254 for 2, and at least 1 for 1.
        const size_t earlier_pages = (data.page_count - 1) * PAGE_SIZE;
        const size_t least = earlier_pages > LOAD_HEADER_SIZE ? earlier_pages - LOAD_HEADER_SIZE + 1 : 1;
        if (distance >= least && distance <= data.stored_size) {
            data.chunk_size = distance;
            data.chunk_derived = true;
            continue;
        }
        warn(facts, WarningCode::chunk_mismatch, data.track,
             track_name(data.track) + ": the next address " + format_address(next) + " does not follow from page count " +
                 std::to_string(data.page_count) + " (a chunk of " + std::to_string(least) + " to " +
                 std::to_string(data.stored_size) + " bytes from " + format_address(data.load_address) +
                 "); taking the " + std::to_string(data.stored_size) + " bytes the loader stores");
    }
}

void summarise_program(ImageFacts& facts) {
    if (facts.tracks.empty()) {
        if (facts.terminator.present) {
            warn(facts, WarningCode::no_program, facts.terminator.track,
                 "track 1 is the terminator: the disk loads no program and jumps straight to " +
                     format_address(facts.boot.exec_address));
        }
        return;
    }
    ProgramFacts& program = facts.program;
    program.load_address = facts.tracks.front().load_address;
    for (const DataTrackFacts& data : facts.tracks) program.size += data.chunk_size;
    program.end_address = static_cast<uint16_t>(program.load_address + program.size - 1);
    if (program.load_address + program.size > ADDRESS_SPACE) {
        warn(facts, WarningCode::wraps, NO_TRACK,
             "the program (" + std::to_string(program.size) + " bytes from " + format_address(program.load_address) +
                 ") runs past $FFFF and wraps to $0000");
    }
}

// Overlaps use what the loader stores (page count * 256 - 3 bytes, the
// bytes after the chunk included): every one of those is written. The
// finish only spoils program bytes, so that check uses the chunk.
void check_memory(ImageFacts& facts) {
    for (const DataTrackFacts& data : facts.tracks) {
        const std::string stores = track_name(data.track) + " stores " + format_range(data.load_address, data.stored_size);
        std::string hit;
        for (const MemoryRegion& region : LOADER_MEMORY) {
            if (!touches(data.load_address, data.stored_size, region)) continue;
            hit += (hit.empty() ? "" : ", ") + format_region(region);
        }
        if (!hit.empty()) {
            warn(facts, WarningCode::loader_memory, data.track,
                 stores + ", over memory the loader needs while it loads (" + hit + ")");
        }
        if (touches(data.load_address, data.chunk_size, FINISH_PATCH)) {
            warn(facts, WarningCode::finish_patch, data.track,
                 track_name(data.track) + " puts program bytes at " + format_range(data.load_address, data.chunk_size) +
                     ", over " + format_region(FINISH_PATCH) +
                     ", which the loader's finish overwrites before it starts the program");
        }
        if (touches(data.load_address, data.stored_size, DISK_CONTROLLER)) {
            warn(facts, WarningCode::disk_controller, data.track,
                 stores + ", into the disk controller's registers at " + format_region(DISK_CONTROLLER) +
                     ": the loader loses the index and track-0 lines, and the disk does not boot");
        } else if (touches(data.load_address, data.stored_size, IO_AREA)) {
            warn(facts, WarningCode::io_area, data.track,
                 stores + ", into the I/O and ROM area at " + format_address(IO_AREA_START) + " and up");
        }
    }
}

std::string entry_name(const uint8_t* entry) {
    return std::string(reinterpret_cast<const char*>(entry), DIRECTORY_NAME_SIZE);
}

std::string without_trailing_spaces(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void read_label(const uint8_t* image, const DiskGeometry& g, ImageFacts& facts) {
    LabelFacts& label = facts.label;
    label.track = g.directory_track;
    const uint8_t* slot = image + track_offset(g, g.directory_track);
    for (const DataTrackFacts& data : facts.tracks) {
        if (data.track == g.directory_track) {
            label.state = LabelState::overwritten;
            return;
        }
    }
    // A directory's sectors open with $76 and their numbers, 1 and 2.
    for (size_t sector = 0; sector < DIRECTORY_SECTOR_COUNT; sector++) {
        const uint8_t* header = slot + TRACK_HEADER_SIZE + sector * DIRECTORY_SECTOR_SIZE;
        if (header[0] != SECTOR_MARK || header[1] != sector + 1) {
            label.state = LabelState::missing;
            return;
        }
    }
    const bool terminator_here = facts.terminator.present && facts.terminator.track == g.directory_track;
    label.state = terminator_here ? LabelState::shares_terminator : LabelState::intact;

    // A terminator here covers the slot up to its load header's end, over
    // entry 0's first three name bytes; the rest still tells the default.
    const size_t covered = terminator_here ? DATA_CHUNK_OFFSET : 0;
    const std::string free_name(DIRECTORY_NAME_SIZE, static_cast<char>(DIRECTORY_FREE_NAME_CHAR));
    bool is_default = true;
    std::string joined;
    for (size_t i = 0; i < DIRECTORY_ENTRY_COUNT; i++) {
        const size_t at = directory_entry_offset(i);
        const uint8_t* entry = slot + at;
        for (size_t k = std::max(at, covered); k < at + DIRECTORY_ENTRY_SIZE; k++) {
            if (slot[k] != DIRECTORY_TEMPLATE[k]) is_default = false;
        }
        const std::string name = entry_name(entry);
        joined += name;
        if (name == free_name) continue;
        label.lines.push_back(without_trailing_spaces(name));
        label.label_text = joined;
    }
    label.label_text = without_trailing_spaces(label.label_text);
    label.is_default = is_default;
}

}  // namespace

const char* warning_code_name(WarningCode code) { return warning_info(code).name; }

WarningLevel warning_level(WarningCode code) { return warning_info(code).level; }

ImageFacts read_image(const uint8_t* bytes, size_t size) {
    ImageFacts facts;
    facts.image_size = size;
    facts.geometry = geometry_for_image_size(size);
    if (!facts.geometry || !bytes) {
        facts.geometry = nullptr;
        return facts;
    }
    const DiskGeometry& g = *facts.geometry;
    read_boot_track(bytes, g, facts);
    if (facts.boot.mode == BootMode::loader) {
        walk_data_tracks(bytes, g, facts);
        derive_chunks(facts);
        summarise_program(facts);
        check_memory(facts);
    }
    read_label(bytes, g, facts);
    return facts;
}

std::vector<uint8_t> program_bytes(const ImageFacts& facts, const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> program;
    if (!facts.geometry || !bytes || size != facts.geometry->image_size) return program;
    const DiskGeometry& g = *facts.geometry;
    if (facts.boot.mode == BootMode::raw) {
        const size_t length = std::min(facts.boot.code_size, g.track_slot_size - BOOT_CODE_OFFSET);
        program.assign(bytes + BOOT_CODE_OFFSET, bytes + BOOT_CODE_OFFSET + length);
        return program;
    }
    if (facts.boot.mode != BootMode::loader) return program;
    for (const DataTrackFacts& data : facts.tracks) {
        if (data.track < 1 || data.track > g.last_track || data.data_offset > g.track_slot_size) return {};
        const size_t room = g.track_slot_size - data.data_offset;
        const size_t length = std::min({data.chunk_size, data.bytes_in_slot, room});
        const uint8_t* from = bytes + track_offset(g, data.track) + data.data_offset;
        program.insert(program.end(), from, from + length);
    }
    return program;
}
