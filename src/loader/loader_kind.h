// The boot loaders track 0 can carry, and what the image builder and the
// reader need to know of each: its bytes, its patch point, where its final
// jump and its error stop run once it is in page zero.
#pragma once

#include <cstddef>
#include <cstdint>

enum class LoaderKind { standard, fast };

struct LoaderInfo {
    LoaderKind kind;
    const char* name;              // as --loader takes it: "standard", "fast"
    const uint8_t* image;
    size_t size;
    size_t exec_low_offset;        // the start address, patched per disk
    size_t exec_high_offset;
    uint16_t final_jump_address;   // the JMP to the start address
    bool has_error_stop;           // the fast loader stops on a read error
    uint16_t error_stop_address;
};

const LoaderInfo& loader_info(LoaderKind kind);

// The loader --loader NAME asks for; nullptr for any other name.
const LoaderInfo* loader_named(const char* name);

extern const LoaderInfo LOADER_TABLE[2];
