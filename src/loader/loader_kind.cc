// The table of boot loaders, one row per LoaderKind.
#include "loader/loader_kind.h"

#include <cstring>

#include "loader/boot_loader.h"
#include "loader/fast_loader.h"

const LoaderInfo LOADER_TABLE[2] = {
    {LoaderKind::standard, "standard", BOOT_LOADER_IMAGE.data(), BOOT_LOADER_SIZE, LOADER_EXEC_LOW_OFFSET,
     LOADER_EXEC_HIGH_OFFSET, LOADER_FINAL_JUMP_OFFSET - LOADER_BODY_OFFSET, false, 0},
    {LoaderKind::fast, "fast", FAST_LOADER_IMAGE.data(), FAST_LOADER_SIZE, FAST_LOADER_EXEC_LOW_OFFSET,
     FAST_LOADER_EXEC_HIGH_OFFSET, FAST_LOADER_FINAL_JUMP_ADDRESS, true, FAST_LOADER_ERROR_STOP_ADDRESS},
};

const LoaderInfo& loader_info(LoaderKind kind) {
    for (const LoaderInfo& info : LOADER_TABLE) {
        if (info.kind == kind) return info;
    }
    return LOADER_TABLE[0];  // unreachable: the table names every kind
}

const LoaderInfo* loader_named(const char* name) {
    for (const LoaderInfo& info : LOADER_TABLE) {
        if (std::strcmp(info.name, name) == 0) return &info;
    }
    return nullptr;
}
