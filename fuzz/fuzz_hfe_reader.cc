// Fuzz target: the HFE reader behind spindisk boot. Every input is read as a
// file as it stands; it is then also read as decisions that pick a real HFE
// file (a built image laid out in time and written by the real writer) and
// damage it where the reader looks: the header's fields, the track table,
// the track data. A file is refused with a reason or read into a signal of
// equal-length tracks of 0s and 1s, never read outside.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "format/hfe_format.h"
#include "format/hfe_reader.h"
#include "format/hfe_writer.h"
#include "format/signal_encoder.h"
#include "fuzz_input.h"
#include "image/image_builder.h"

namespace {

constexpr size_t MAX_EDITS = 16;
constexpr size_t TRACK_TABLE_BYTES = 4 * 77;  // offset and length, u16 each, per track

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void read_back(const std::vector<uint8_t>& file) {
    DiskSignal signal{};
    std::string error;
    if (!hfe_to_signal(file, signal, error)) {
        require(!error.empty());
        return;
    }
    require(!signal.tracks.empty() && signal.bit_rate > 0);
    const size_t length = signal.tracks[0].bits.size();
    for (const TrackSignal& track : signal.tracks) {
        require(track.bits.size() == length);
        for (const uint8_t bit : track.bits) require(bit <= 1);
    }
}

// A real HFE file of each disk format, made once (making one costs far
// more than reading it): a built image laid out in time by the real encoder
// and written by the real writer.
std::vector<uint8_t> make_real_hfe_file(DiskFormat format) {
    ImageOptions options;
    options.format = format;
    options.load_address = 0x0300;
    options.exec_address = options.load_address;
    const DiskGeometry& g = geometry_for(format);
    const ProgramBytes program(g.track_payload * 2, 0x4C);
    DiskImage image;
    std::vector<uint8_t> file;
    if (!allocate_image(g, image)) return file;
    build_image(options, g, program, image);
    SignalLayoutReport layout;
    const DiskSignal signal = image_to_signal(g, image.bytes.get(), default_signal_timing(format), layout);
    std::string error;
    if (!signal_to_hfe(signal, file, error)) file.clear();
    return file;
}

const std::vector<uint8_t>& real_hfe_file(DiskFormat format) {
    static const std::vector<uint8_t> mini = make_real_hfe_file(DiskFormat::mini);
    static const std::vector<uint8_t> full = make_real_hfe_file(DiskFormat::full);
    return format == DiskFormat::full ? full : mini;
}

// Each edit sets a byte: in the header's fields, in the track table, anywhere;
// or cuts the file short.
void damage(FuzzInput& in, std::vector<uint8_t>& file) {
    for (size_t i = 0; i < MAX_EDITS && !in.empty() && !file.empty(); i++) {
        const uint8_t kind = in.byte() % 4;
        const uint8_t value = in.byte();
        if (kind == 0) file[in.below(HFE_TRACK_LIST_OFFSET + 2)] = value;
        if (kind == 1) file[(HFE_TRACK_LIST_BLOCK * HFE_BLOCK_SIZE + in.below(TRACK_TABLE_BYTES)) % file.size()] = value;
        if (kind == 2) file[(static_cast<size_t>(in.word()) << 8 | value) % file.size()] ^= in.byte();
        if (kind == 3) file.resize((static_cast<size_t>(in.word()) << 8 | value) % file.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    read_back(std::vector<uint8_t>(data, data + size));
    FuzzInput in{data, size};
    std::vector<uint8_t> file = real_hfe_file(in.flag() ? DiskFormat::full : DiskFormat::mini);
    require(!file.empty());
    damage(in, file);
    read_back(file);
    return 0;
}
