// Platform glue for file names.
#include "fileio/paths.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

std::filesystem::path path_from_argument(const std::string& name) {
#ifdef _WIN32
    return std::filesystem::u8path(name);
#else
    return std::filesystem::path(name);
#endif
}

std::FILE* open_file(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wide_mode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* create_new_file(const std::filesystem::path& path) {
#ifdef _WIN32
    // The Windows C runtime has no "x" mode; an exclusive open does the same.
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* stream = _fdopen(fd, "wb");
    if (!stream) _close(fd);
    return stream;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}
