// File names as the command line gives them, and opening files by them on
// every platform (wide names on Windows).
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// Arguments are bytes on POSIX and UTF-8 (converted from UTF-16) on Windows.
std::filesystem::path path_from_argument(const std::string& name);

// '/' everywhere, and '\\' too on Windows: where a file's own name begins.
inline bool is_path_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::FILE* open_file(const std::filesystem::path& path, const char* mode);

// Creates a file that must not exist yet, for binary writing; nullptr (with
// errno EEXIST) when the name is taken.
std::FILE* create_new_file(const std::filesystem::path& path);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
// For files whose close needs no check (inputs); outputs close by hand.
using InputHandle = std::unique_ptr<std::FILE, FileCloser>;
