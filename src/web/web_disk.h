// A disk file the page was given, read as the commands read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "signal/disk_signal.h"

// The signal the drive plays from a disk file's bytes; false with a reason.
bool web_disk_signal(const uint8_t* bytes, size_t size, DiskSignal& signal, std::string& error);
