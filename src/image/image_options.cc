// What the options imply when a field was left unset.
#include "image/image_options.h"

uint16_t effective_exec_address(const ImageOptions& options) {
    const int32_t exec = options.exec_address >= 0 ? options.exec_address : options.load_address;
    return static_cast<uint16_t>(exec);
}
