// The one parser of .65d images: reads the bytes the way the boot ROM and
// SpinLoad's boot loader would and returns the facts. Pure and bounds-safe on any bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"  // format_address, for the readers of the facts
#include "image/geometry.h"
#include "loader/loader_kind.h"

enum class BootMode { loader, raw, unknown };

// Every warning has a stable code (for scripts) and a level: an error means
// the disk would not boot or would not load the program intact.
enum class WarningCode {
    wraps,              // the program runs past $FFFF to $0000
    loader_memory,      // a track stores over memory the loader needs while it loads
    finish_patch,       // program bytes at $012B-$0130, which the finish overwrites
    io_area,            // a track stores into $C000, or $C020 and up
    disk_controller,    // a track stores into $C001-$C01F, the disk controller's registers
    track_header,       // a walked track's header is not "CW" <BCD track> "X"
    sector_mark_moved,  // $76 $01 is not at bytes 4-5; the loader finds it further on
    no_sector_mark,     // no $76 $01 on a track: the loader searches for ever
    header_cut,         // the load header runs past the end of the track
    past_track,         // a page count asks for more bytes than the track holds
    chunk_mismatch,     // the next track's address does not follow from the page count
    high_page_count,    // a page count of 14 or more ends loading like 0
    off_disk,           // no terminator before the last track
    no_program,         // track 1 is the terminator
};
enum class WarningLevel { warning, error };

struct ImageWarning {
    WarningCode code;
    int track;            // the track it is about, or NO_TRACK
    std::string message;  // one sentence for a person, ASCII
};
constexpr int NO_TRACK = -1;

const char* warning_code_name(WarningCode code);  // "wraps", "loader_memory", ...
WarningLevel warning_level(WarningCode code);

struct BootFacts {
    BootMode mode = BootMode::unknown;
    LoaderKind loader = LoaderKind::standard;  // loader: which one
    uint16_t load_address = 0;  // from the boot header
    uint8_t page_count = 0;     // from the boot header
    uint16_t exec_address = 0;  // loader: where its final jump goes
    size_t code_size = 0;       // raw: bytes the ROM loads from offset 3, cut at the slot's end
    // raw: the input sizes for which SpinLoad -t writes this page count; both
    // 0 when it never writes it.
    size_t min_input_size = 0;
    size_t max_input_size = 0;
};

// One data track as the loader walks it.
struct DataTrackFacts {
    int track = 0;
    size_t sector_offset = 0;    // slot offset of the $76 $01 the loader finds
    uint8_t page_count = 0;      // 1 to 13
    uint16_t load_address = 0;
    size_t stored_size = 0;      // page_count * 256 - 3: what the loader stores from load_address
    size_t chunk_size = 0;       // program bytes: derived from the next address, else stored_size
    bool chunk_derived = false;  // chunk_size follows from the next track's address
    size_t data_offset = 0;      // slot offset of the first stored byte
    size_t bytes_in_slot = 0;    // how many of the stored bytes the slot holds
};

struct TerminatorFacts {
    bool present = false;
    int track = 0;
    uint8_t page_count = 0;  // 0, or 14 and up
    uint16_t address = 0;    // SpinLoad puts the address just past the program here
};

struct ProgramFacts {
    uint64_t size = 0;          // the chunks added up; may exceed 65536 on a big disk
    uint16_t load_address = 0;  // the first track's address
    uint16_t end_address = 0;   // the last byte's address (16-bit); only when size > 0
};

enum class LabelState {
    intact,             // the directory track holds a directory
    shares_terminator,  // the terminator's header lies over entry 0's first bytes
    overwritten,        // the directory track is a data track
    missing,            // no directory sector headers on the track
};

struct LabelFacts {
    int track = 0;
    LabelState state = LabelState::missing;
    bool is_default = false;  // every entry as the default label has it, bar what a terminator covers
    // Names of the non-free entries in order, trailing spaces cut, bytes as
    // they are; empty unless the state is intact or shares_terminator.
    std::vector<std::string> lines;
    // Every entry's name up to the last non-free one, joined: the -n text
    // that would write these names. Trailing spaces cut.
    std::string label_text;
};

struct ImageFacts {
    const DiskGeometry* geometry = nullptr;  // nullptr: the size is no image's size
    size_t image_size = 0;
    BootFacts boot;
    std::vector<DataTrackFacts> tracks;  // loader mode only
    TerminatorFacts terminator;          // loader mode only
    ProgramFacts program;                // loader mode only
    LabelFacts label;
    std::vector<ImageWarning> warnings;
};

ImageFacts read_image(const uint8_t* bytes, size_t size);

// The program's bytes: in loader mode each track's chunk (as far as its slot
// holds it) joined in track order; in raw mode the boot code. Empty for an
// unknown boot track or when the facts are not those of these bytes.
std::vector<uint8_t> program_bytes(const ImageFacts& facts, const uint8_t* bytes, size_t size);

// "$0300": how listings and messages write an address.
