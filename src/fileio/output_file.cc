// Safe whole-file output.
#include "fileio/output_file.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "fileio/paths.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int TEMPORARY_NAME_ATTEMPTS = 100;

bool sync_to_disk(std::FILE* stream) {
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0;
#else
    // Devices and pipes cannot be synced; their writes already went out.
    return fsync(fileno(stream)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

// A short, fresh name beside the target, so the final rename stays within one
// directory (and one file system) and long target names still fit.
std::FILE* create_temporary_beside(const fs::path& target, fs::path& temporary) {
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; attempt++) {
        const std::string leaf = ".spin-" + std::to_string((seed + attempt * 7919ULL) % 1000000007ULL) + ".tmp";
        fs::path candidate = target.parent_path() / leaf;
        // Exclusive: fail rather than reuse a name that someone else holds.
        std::FILE* stream = create_new_file(candidate);
        if (stream) {
            temporary = candidate;
            return stream;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // namespace

OutputFile::~OutputFile() {
    if (!finished) abandon_output(*this);
}

OutputOpen open_output(const std::string& name, bool overwrite, OutputFile& out) {
    out.target = path_from_argument(name);
    std::FILE* existing = open_file(out.target, "r+b");
    if (!existing) {
        std::error_code error;
        // Only a name that does not exist yet may be created; anything else
        // that refused the update is a file we cannot write.
        if (fs::exists(fs::status(out.target, error))) return OutputOpen::cannot_open;
        out.stream = open_file(out.target, "wb");
        if (!out.stream) return OutputOpen::cannot_open;
        out.created = true;
        return OutputOpen::ok;
    }
    if (!overwrite) {
        std::fclose(existing);
        return OutputOpen::exists;
    }
    std::error_code error;
    if (!fs::is_regular_file(fs::status(out.target, error))) {
        // A device or pipe is written in place; there is nothing to replace.
        out.stream = existing;
        return OutputOpen::ok;
    }
    std::fclose(existing);
    // Replace the file a link points to, not the link itself.
    fs::path resolved = fs::canonical(out.target, error);
    if (!error) out.target = resolved;
    out.stream = create_temporary_beside(out.target, out.temporary);
    return out.stream ? OutputOpen::ok : OutputOpen::cannot_open;
}

bool finish_output(OutputFile& out, const uint8_t* bytes, size_t size) {
    bool ok = std::fwrite(bytes, 1, size, out.stream) == size;
    ok = std::fflush(out.stream) == 0 && ok;
    ok = ok && sync_to_disk(out.stream);
    ok = std::fclose(out.stream) == 0 && ok;
    out.stream = nullptr;
    if (ok && !out.temporary.empty()) {
        std::error_code error;
        const fs::perms old_permissions = fs::status(out.target, error).permissions();
        if (!error) fs::permissions(out.temporary, old_permissions, error);
        fs::rename(out.temporary, out.target, error);
        ok = !error;
        if (ok) out.temporary.clear();
    }
    if (!ok) {
        abandon_output(out);
        return false;
    }
    out.finished = true;
    return true;
}

void abandon_output(OutputFile& out) {
    if (out.stream) {
        std::fclose(out.stream);
        out.stream = nullptr;
    }
    std::error_code error;
    if (!out.temporary.empty()) fs::remove(out.temporary, error);
    if (out.created) fs::remove(out.target, error);
    out.temporary.clear();
    out.created = false;
    out.finished = true;
}
