// What a boot did on each track, watched from outside the CPU: the bytes it
// read, where it stored them, and what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t VISIT_ADDRESSES_KEPT = 8;  // read-back errors listed per visit

// Consecutive addresses, wrapping past $FFFF to $0000.
struct AddressRun {
    uint16_t first = 0;
    uint32_t length = 0;
};

// A visit lasts from the step that brings the head to a track to the step
// that takes it away.
struct TrackVisit {
    int track = 0;
    uint64_t arrived_cycle = 0;
    uint64_t left_cycle = 0;      // set when the head leaves (or the run ends)
    uint64_t index_pulses = 0;    // index pulses that began during the visit
    uint64_t bytes_read = 0;      // reads of the ACIA data register
    uint64_t bytes_stored = 0;    // of those, written to memory by the next write
    uint64_t bytes_lost = 0;      // frames lost to overruns between two reads
    uint64_t readback_errors = 0; // stored bytes that do not read back (ROM, no memory)
    std::vector<uint16_t> readback_addresses;  // the first VISIT_ADDRESSES_KEPT of them
    std::vector<AddressRun> readback_runs;     // all of them, as runs of consecutive addresses

    // The longest run of consecutive addresses stored to: the chunk, as
    // opposed to the odd header byte a loader keeps in page zero.
    uint16_t run_start = 0;
    uint32_t run_length = 0;
    uint16_t current_run_start = 0;
    uint32_t current_run_length = 0;
};

// Runs shorter than this are a loader's bookkeeping (a page count, an
// address kept in page zero), not a chunk of the program.
constexpr uint32_t VISIT_MIN_CHUNK = 4;

void visit_note_store(TrackVisit& visit, uint16_t address, bool reads_back);

// The longest run if it is a chunk, else 0.
uint32_t visit_chunk_length(const TrackVisit& visit);

// Whole pages the chunk fills, rounded up: 2045 bytes -> 8, 512 -> 2, 0 -> 0.
uint32_t visit_pages(const TrackVisit& visit);
