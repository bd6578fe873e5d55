// Keeping a track visit's counts as stores are seen.
#include "sim/track_visit.h"

#include "base/units.h"

namespace {

constexpr uint32_t PAGE_BYTES = 256;

// A loader stores one address after the other, so the runs stay few.
void note_readback_error(TrackVisit& visit, uint16_t address) {
    visit.readback_errors++;
    if (visit.readback_addresses.size() < VISIT_ADDRESSES_KEPT) visit.readback_addresses.push_back(address);
    std::vector<AddressRun>& runs = visit.readback_runs;
    if (!runs.empty() && static_cast<uint16_t>(runs.back().first + runs.back().length) == address &&
        runs.back().length < ADDRESS_SPACE) {
        runs.back().length++;
    } else {
        runs.push_back({address, 1});
    }
}

}  // namespace

void visit_note_store(TrackVisit& visit, uint16_t address, bool reads_back) {
    visit.bytes_stored++;
    if (!reads_back) note_readback_error(visit, address);
    const auto next = static_cast<uint16_t>(visit.current_run_start + visit.current_run_length);
    if (visit.current_run_length > 0 && address == next) {
        visit.current_run_length++;
    } else {
        visit.current_run_start = address;
        visit.current_run_length = 1;
    }
    if (visit.current_run_length > visit.run_length) {
        visit.run_start = visit.current_run_start;
        visit.run_length = visit.current_run_length;
    }
}

uint32_t visit_chunk_length(const TrackVisit& visit) {
    return visit.run_length >= VISIT_MIN_CHUNK ? visit.run_length : 0;
}

uint32_t visit_pages(const TrackVisit& visit) { return (visit_chunk_length(visit) + PAGE_BYTES - 1) / PAGE_BYTES; }
