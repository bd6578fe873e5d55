// Failure-safe whole-file output: temporary file, sync, rename, directory sync.
#include "fileio/output_file.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "fileio/paths.h"
#include "fileio/temporary_cleanup.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int TEMPORARY_NAME_ATTEMPTS = 100;
constexpr unsigned long long NAME_STEP = 7919;          // a prime, so attempts differ
constexpr unsigned long long NAME_MODULUS = 1000000007;  // keeps the name short
// The kernel clears these when a file is written; a replacement must not
// carry them over to contents nobody vetted.
constexpr fs::perms SET_ID_BITS = fs::perms::set_uid | fs::perms::set_gid;

bool sync_to_disk(std::FILE* stream) {
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0;
#else
    // Devices and pipes cannot be synced; their writes already went out.
    return fsync(fileno(stream)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

// A short, fresh name beside the target, so the final rename stays within one
// directory (and one file system) and long target names still fit. The
// handler learns the name before the file exists, with interrupts held, so
// that no interrupt can leave it behind and none removes a file not ours.
bool create_temporary_beside(OutputFile& out) {
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; attempt++) {
        const std::string leaf = ".spin-" + std::to_string((seed + attempt * NAME_STEP) % NAME_MODULUS) + ".tmp";
        const fs::path candidate = out.target.parent_path() / leaf;
        InterruptsHeld held;
        if (!remember_temporary(candidate)) return false;
        // Exclusive: fail rather than reuse a name that someone else holds.
        out.stream = create_new_file(candidate);
        if (out.stream) {
            out.temporary = candidate;
            return true;
        }
        const int error = errno;
        forget_temporary();
        if (error != EEXIST) return false;
    }
    return false;
}

bool write_and_close(OutputFile& out, const uint8_t* bytes, size_t size) {
    bool ok = std::fwrite(bytes, 1, size, out.stream) == size;
    ok = std::fflush(out.stream) == 0 && ok;
    ok = ok && sync_to_disk(out.stream);
    ok = std::fclose(out.stream) == 0 && ok;
    out.stream = nullptr;
    return ok;
}

// Gives the temporary file the output's name: over the old file where that
// is allowed, otherwise only if the name is still free.
bool move_into_place(OutputFile& out) {
    std::error_code error;
    if (out.had_file) fs::permissions(out.temporary, out.permissions & ~SET_ID_BITS, error);
    InterruptsHeld held;
    if (out.overwrite) {
        fs::rename(out.temporary, out.target, error);
        if (error) return false;
    } else {
        const RenameOutcome moved = rename_without_replacing(out.temporary, out.target);
        out.name_taken = moved == RenameOutcome::name_taken;
        if (moved != RenameOutcome::ok) return false;
    }
    forget_temporary();
    out.temporary.clear();
    sync_directory(out.target.parent_path());
    return true;
}

}  // namespace

OutputFile::~OutputFile() {
    if (!finished) abandon_output(*this);
}

OutputOpen open_output(const std::string& name, bool overwrite, OutputFile& out) {
    prepare_output_signals();
    out.overwrite = overwrite;
    out.target = path_from_argument(name);
    std::error_code error;
    const fs::file_status status = fs::status(out.target, error);
    if (error && status.type() != fs::file_type::not_found) return OutputOpen::cannot_open;
    if (!fs::exists(status)) {
        // A dangling link is written through: the file it names is created
        // in that file's own directory, and the link stays as it is.
        if (!resolve_links(out.target, out.target) || !name_can_be_created(out.target)) {
            return OutputOpen::cannot_open;
        }
        return create_temporary_beside(out) ? OutputOpen::ok : OutputOpen::cannot_open;
    }
    if (fs::is_directory(status) || !is_writable(out.target)) return OutputOpen::cannot_open;
    if (!overwrite) return OutputOpen::exists;
    if (!fs::is_regular_file(status)) {
        // A device or pipe is written in place; there is nothing to replace.
        out.stream = open_in_place(out.target);
        return out.stream ? OutputOpen::ok : OutputOpen::cannot_open;
    }
    out.had_file = true;
    out.permissions = status.permissions();
    // Replace the file a link points to, not the link itself.
    const fs::path resolved = fs::canonical(out.target, error);
    if (!error) out.target = resolved;
    return create_temporary_beside(out) ? OutputOpen::ok : OutputOpen::cannot_open;
}

bool finish_output(OutputFile& out, const uint8_t* bytes, size_t size) {
    bool ok = write_and_close(out, bytes, size);
    if (ok && !out.temporary.empty()) ok = move_into_place(out);
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
    if (!out.temporary.empty()) {
        InterruptsHeld held;
        std::error_code error;
        fs::remove(out.temporary, error);
        forget_temporary();
        out.temporary.clear();
    }
    out.finished = true;
}
