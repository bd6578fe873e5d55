// Opening a disk: its listing, and the signal a machine plays from it.
#include "web/web_disk.h"

#include <cstring>
#include <vector>

#include "disk/image_reader.h"
#include "format/hfe_format.h"
#include "format/hfe_reader.h"
#include "format/signal_encoder.h"
#include "spindisk/json_writer.h"
#include "spindisk/listing.h"
#include "web/web_api.h"
#include "web/web_result.h"

namespace {

// The page has no file names; messages name the disk this way.
const char DISK_NAME[] = "the disk";

bool is_hfe(const uint8_t* bytes, size_t size) {
    return size >= HFE_SIGNATURE_SIZE && std::memcmp(bytes, HFE_SIGNATURE, HFE_SIGNATURE_SIZE) == 0;
}

std::string not_a_disk(size_t size) {
    const DiskGeometry& mini = geometry_for(DiskFormat::mini);
    const DiskGeometry& full = geometry_for(DiskFormat::full);
    return std::string(DISK_NAME) + " is " + std::to_string(size) + " bytes; an image is " +
           std::to_string(mini.image_size) + " bytes (" + mini.name + ") or " + std::to_string(full.image_size) +
           " bytes (" + full.name + "), or an HFE file";
}

}  // namespace

bool web_disk_signal(const uint8_t* bytes, size_t size, DiskSignal& signal, std::string& error) {
    if (is_hfe(bytes, size)) return hfe_to_signal(std::vector<uint8_t>(bytes, bytes + size), signal, error);
    const DiskGeometry* geometry = geometry_for_image_size(size);
    if (!geometry) {
        error = not_a_disk(size);
        return false;
    }
    SignalLayoutReport layout;
    signal = image_to_signal(*geometry, bytes, default_signal_timing(geometry->format), layout);
    return true;
}

WebResult* web_list_disk(const uint8_t* bytes, size_t size) {
    const ImageFacts facts = read_image(bytes, size);
    if (!facts.geometry) return web_result_error(not_a_disk(size));
    return web_result_new({}, json_object({{"ok", json_bool(true)},
                                           {"listing", listing_json(facts)},
                                           {"text", json_string(listing_text(facts))}}));
}
