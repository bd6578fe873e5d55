// Arguments arrive as bytes; label characters are read from them as UTF-8
// (by both front ends, so that -n and --label mean the same).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Decodes well-formed UTF-8 sequences into code points; every byte that is
// not part of a well-formed sequence (stray continuation, overlong form,
// surrogate, beyond U+10FFFF, cut short) counts as one character of its own value.
std::vector<uint32_t> decode_utf8_lenient(const std::string& bytes);
