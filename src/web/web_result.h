// What a web_* call hands the page: bytes and a JSON report, kept together
// until the page frees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WebResult {
    std::vector<uint8_t> bytes;
    std::string json;
};

// A result that owns its parts; the page frees it with web_result_free.
WebResult* web_result_new(std::vector<uint8_t> bytes, std::string json);
// A refusal: no bytes, {"ok":false,"error":...}.
WebResult* web_result_error(const std::string& error);
