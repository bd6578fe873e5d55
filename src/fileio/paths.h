// File names as the command line gives them, and the file-system calls the
// input and output code needs, on every platform (wide names on Windows).
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

// Opens a device or pipe for writing where it is, without creating or
// truncating anything; a FIFO that nobody reads fails instead of waiting.
std::FILE* open_in_place(const std::filesystem::path& path);

// Whether a file may be created under this last component of a path: not
// longer than file systems allow, and (on Windows) free of the characters
// Windows refuses. The file is made under another name and renamed, so a
// name the rename would refuse is caught before anything is written.
bool name_can_be_created(const std::filesystem::path& path);

// Whether this process may write to an existing file.
bool is_writable(const std::filesystem::path& path);

enum class RenameOutcome { ok, name_taken, failed };

// Gives from the name to, unless to exists: the check and the rename are one
// step, so a file that appears meanwhile is never replaced.
RenameOutcome rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes a rename in the directory durable (a no-op where there is no such call).
void sync_directory(const std::filesystem::path& directory);

// Follows symbolic links, dangling ones too, to the name a file is (or
// would be) written at; false for a loop or an unreadable link.
bool resolve_links(const std::filesystem::path& path, std::filesystem::path& resolved);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
// For files whose close needs no check (inputs); outputs close by hand.
using InputHandle = std::unique_ptr<std::FILE, FileCloser>;
