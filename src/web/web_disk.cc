// Opening a disk: its listing, and the disk a machine plays.
#include "web/web_disk.h"

#include <vector>

#include "spindisk/json_writer.h"
#include "spindisk/listing.h"
#include "web/web_api.h"
#include "web/web_result.h"

bool web_read_disk(const uint8_t* bytes, size_t size, const std::string& name, DiskFile& disk, std::string& error) {
    return read_disk_bytes(name, std::vector<uint8_t>(bytes, bytes + size), disk, error) &&
           lay_out_disk_signal(disk, name, nullptr, error);
}

WebResult* web_list_disk(const uint8_t* bytes, size_t size, const char* name) {
    DiskFile disk;
    std::string error;
    if (!read_disk_bytes(name, std::vector<uint8_t>(bytes, bytes + size), disk, error)) return web_result_error(error);
    return web_result_new({}, json_object({{"ok", json_bool(true)},
                                           {"listing", listing_json(disk.facts, &disk)},
                                           {"source", json_string(disk_source_text(disk))},
                                           {"text", json_string(listing_text(disk.facts, &disk))}}));
}
