// Reading disk files for the commands: the one step that turns any disk
// file (.65d image, HFE file, osiemu bit stream) into what a command needs:
// the track slots and their facts, the signal a drive plays, and where it
// came from; and the messages every command gives for a file it could not read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/image_reader.h"
#include "fileio/input_file.h"
#include "format/signal_encoder.h"
#include "signal/disk_signal.h"

// A file name as messages show it: 'name', its control characters as \xNN.
std::string quoted_name(const std::string& name);

// The messages every command gives for a file it could not read, and for a
// file whose size is no image's ("... is 1000 bytes; an image is ...").
std::string file_read_error(WholeFileStatus status, const std::string& name, uint64_t limit);
std::string image_size_error(const std::string& name, uint64_t size);

enum class DiskFileKind { image, hfe, osi_stream };

// What a format is called in messages: ".65d image", "HFE file", "osiemu bit stream".
const char* format_title(DiskFileKind kind);

// What the receiver heard on one track of a bit-stream or HFE file.
struct TrackDecodeReport {
    size_t bytes = 0;  // frames taken into the slot from its first byte
    size_t parity_errors = 0;
    size_t framing_errors = 0;
};

struct DiskFile {
    DiskFileKind kind = DiskFileKind::image;
    const DiskGeometry* geometry = nullptr;
    // The track slots: a .65d's bytes, or what was decoded from each track
    // with zeros past it; facts are the image reader's for them.
    std::vector<uint8_t> image;
    ImageFacts facts;
    // The signal a drive plays: a bit stream or HFE file as it stands, a
    // .65d once lay_out_disk_signal has laid it out (with what fit in layout).
    DiskSignal signal;
    SignalLayoutReport layout;
    std::vector<TrackDecodeReport> decoded;  // bit formats: one per track
};

// Files of more than this are not read as disks; far above any disk file
// (an 8-inch HFE file is 3.2 MB).
constexpr uint64_t DISK_FILE_READ_LIMIT = 16u << 20;

// Recognises the file by content: an HFE file by its signature (version 1
// or 3), an osiemu bit stream by its signature, a .65d by its size. False
// with "spindisk: <error>" text; name is only for the messages. Pure, for
// the fuzzer; load_disk_file reads the file first.
bool read_disk_bytes(const std::string& name, const std::vector<uint8_t>& bytes, DiskFile& disk, std::string& error);
bool load_disk_file(const std::string& name, DiskFile& disk, std::string& error);

// A .65d is laid out in time with its format's timing and, when lead_in_us
// is given, that lead-in. A file that carries its own signal keeps it, and
// a lead-in for it is refused. False (bad usage) with a reason.
bool lay_out_disk_signal(DiskFile& disk, const std::string& name, const double* lead_in_us, std::string& error);

// "2139" when every count is the same, else "2000 to 2139"; "0" when there are none.
std::string count_range_text(const std::vector<size_t>& counts);

// Where the slots came from, for people: "HFE file, 40 tracks, decoded:
// 2139 bytes of each 2304-byte slot"; empty for a .65d image.
std::string disk_source_text(const DiskFile& disk);

// One line per track whose frames had errors: "track 3: 2 parity errors,
// 1 framing error".
std::vector<std::string> disk_decode_problems(const DiskFile& disk);

// Bytes of each slot that no frame filled (zero in the slots): 2304 - 2139.
std::vector<size_t> unrecovered_bytes(const DiskFile& disk);
