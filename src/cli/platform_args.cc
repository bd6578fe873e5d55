// Platform glue for main(): arguments and binary standard streams.
#include "cli/platform_args.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>

namespace {

// UTF-16 to UTF-8. A lone surrogate still becomes three bytes (its code's
// generalised UTF-8 form), so no argument character is ever dropped.
std::string to_utf8(const wchar_t* wide) {
    std::string out;
    for (size_t i = 0; wide[i] != 0; i++) {
        uint32_t c = static_cast<uint16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(wide[i + 1]) - 0xDC00);
            i++;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> platform_arguments(int argc, char** argv) {
    _setmode(_fileno(stdin), _O_BINARY);  // spindisk make reads programs from it
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    for (int i = 0; i < count; i++) args.push_back(to_utf8(wide[i]));
    LocalFree(wide);
    return args;
}

#else

std::vector<std::string> platform_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

#endif
