// Platform glue for file names and the file-system calls behind fileio.
#include "fileio/paths.h"

#include <cerrno>
#include <cwchar>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int MAX_LINK_HOPS = 40;  // the kernel's own limit before ELOOP
constexpr size_t MAX_NAME_LENGTH = 255;  // bytes on Linux, UTF-16 units on Windows
#ifdef _WIN32
const wchar_t WINDOWS_FORBIDDEN[] = L"<>:\"|?*";
constexpr wchar_t FIRST_NAME_CHARACTER = 0x20;  // below: control characters
#endif

}  // namespace

fs::path path_from_argument(const std::string& name) {
#ifdef _WIN32
    return fs::u8path(name);
#else
    return fs::path(name);
#endif
}

std::FILE* open_file(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wide_mode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* create_new_file(const fs::path& path) {
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

std::FILE* open_in_place(const fs::path& path) {
#ifdef _WIN32
    return open_file(path, "wb");
#else
    // Non-blocking only for the open: a FIFO without a reader then fails at
    // once (ENXIO) instead of waiting for ever.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    const int flags = fcntl(fd, F_GETFL);
    std::FILE* stream = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!stream) close(fd);
    return stream;
#endif
}

bool name_can_be_created(const fs::path& path) {
    const auto leaf = path.filename().native();
    if (leaf.empty() || leaf.size() > MAX_NAME_LENGTH) return false;
#ifdef _WIN32
    for (const wchar_t c : leaf) {
        if (c < FIRST_NAME_CHARACTER || std::wcschr(WINDOWS_FORBIDDEN, c)) return false;
    }
#endif
    return true;
}

bool is_writable(const fs::path& path) {
#ifdef _WIN32
    return _waccess(path.c_str(), 2) == 0;
#else
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
#endif
}

RenameOutcome rename_without_replacing(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing name.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return RenameOutcome::ok;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? RenameOutcome::name_taken
                                                                       : RenameOutcome::failed;
#else
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return RenameOutcome::ok;
    if (errno == EEXIST) return RenameOutcome::name_taken;
    // Older kernels and some file systems lack the flag: a hard link is
    // just as exclusive, and the temporary name is dropped after it.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return RenameOutcome::failed;
#endif
    if (link(from.c_str(), to.c_str()) != 0) return errno == EEXIST ? RenameOutcome::name_taken : RenameOutcome::failed;
    unlink(from.c_str());
    return RenameOutcome::ok;
#endif
}

void sync_directory(const fs::path& directory) {
#ifndef _WIN32
    const fs::path name = directory.empty() ? fs::path(".") : directory;
    const int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The file is already complete under its name; a directory that cannot
    // be synced (some file systems refuse) leaves nothing to undo.
    fsync(fd);
    close(fd);
#else
    (void)directory;
#endif
}

bool resolve_links(const fs::path& path, fs::path& resolved) {
    resolved = path;
    for (int hop = 0; hop < MAX_LINK_HOPS; hop++) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(resolved, error))) return true;
        const fs::path next = fs::read_symlink(resolved, error);
        if (error) return false;
        resolved = next.is_absolute() ? next : resolved.parent_path() / next;
    }
    return false;
}
