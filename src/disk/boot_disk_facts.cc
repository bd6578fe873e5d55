// Reading the boot track and the first data track's load header.
#include "disk/boot_disk_facts.h"

#include <vector>

#include "image/boot_track.h"
#include "image/data_tracks.h"
#include "loader/boot_loader.h"
#include "loader/loader_kind.h"
#include "format/signal_decoder.h"

namespace {

uint16_t word(uint8_t high, uint8_t low) { return static_cast<uint16_t>(high << 8 | low); }

}  // namespace

BootDiskFacts examine_boot_disk(const DiskSignal& disk) {
    BootDiskFacts facts;
    facts.start_address = BOOT_LOAD_ADDRESS;  // our ROM always jumps there
    if (disk.tracks.empty()) return facts;
    const std::vector<uint8_t> track0 = decode_track_bytes(disk.tracks[0]);
    if (track0.size() > BOOT_HEADER_PAGE_COUNT) {
        facts.boot_address = word(track0[BOOT_HEADER_ADDRESS_HIGH], track0[BOOT_HEADER_ADDRESS_LOW]);
        facts.boot_pages = track0[BOOT_HEADER_PAGE_COUNT];
        facts.has_load_address = true;
        facts.load_address = facts.boot_address;
    }
    LoaderKind kind = LoaderKind::standard;
    facts.loader = find_loader(track0.data(), track0.size(), kind);
    if (!facts.loader) return facts;
    const LoaderInfo& loader = loader_info(kind);
    facts.final_jump_address = loader.final_jump_address;
    facts.fast_loader = kind == LoaderKind::fast;
    facts.has_error_stop = loader.has_error_stop;
    facts.error_stop_address = loader.error_stop_address;
    facts.start_address = loader_exec_address(track0.data(), kind);
    facts.has_load_address = false;
    if (disk.tracks.size() < 2) return facts;
    const std::vector<uint8_t> track1 = decode_track_bytes(disk.tracks[1]);
    if (track1.size() > DATA_ADDRESS_LOW_OFFSET) {
        facts.has_load_address = true;
        facts.load_address = word(track1[DATA_ADDRESS_HIGH_OFFSET], track1[DATA_ADDRESS_LOW_OFFSET]);
    }
    return facts;
}

BootReport simulate_boot(const DiskSignal& disk, const BootSettings& settings) {
    return run_boot(disk, examine_boot_disk(disk), settings);
}
