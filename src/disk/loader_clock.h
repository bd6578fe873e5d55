// The slowest CPU clock at which each loader loads each disk format intact.
#pragma once

#include <cstdint>

#include "image/geometry.h"
#include "loader/loader_kind.h"

uint64_t loader_min_cpu_hz(LoaderKind loader, DiskFormat format);
