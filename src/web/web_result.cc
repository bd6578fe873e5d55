// Handing results to the page and taking them back.
#include "web/web_result.h"

#include <utility>

#include "spindisk/json_writer.h"
#include "web/web_api.h"

WebResult* web_result_new(std::vector<uint8_t> bytes, std::string json) {
    return new WebResult{std::move(bytes), std::move(json)};
}

WebResult* web_result_error(const std::string& error) {
    return web_result_new({}, json_object({{"ok", json_bool(false)}, {"error", json_string(error)}}));
}

const uint8_t* web_result_bytes(const WebResult* result) { return result->bytes.data(); }
size_t web_result_size(const WebResult* result) { return result->bytes.size(); }
const char* web_result_json(const WebResult* result) { return result->json.c_str(); }
void web_result_free(WebResult* result) { delete result; }
