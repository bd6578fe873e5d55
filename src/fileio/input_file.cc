// Whole-file input with a bound on what is read.
#include "fileio/input_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "fileio/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t READ_BLOCK = 64 * 1024;

// Reads up to bound bytes; false on a read error (not on end of file).
bool read_up_to(std::FILE* file, uint64_t bound, std::vector<uint8_t>& bytes) {
    bytes.clear();
    while (bytes.size() < bound) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(READ_BLOCK, bound - bytes.size()));
        const size_t old_size = bytes.size();
        bytes.resize(old_size + want);
        const size_t got = std::fread(bytes.data() + old_size, 1, want, file);
        bytes.resize(old_size + got);
        if (got < want) return !std::ferror(file);
    }
    return true;
}

}  // namespace

InputStatus open_and_measure_input(const std::string& name, uint64_t read_bound, InputFile& input) {
    input = InputFile{};
    input.name = name;
    const fs::path path = path_from_argument(name);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || fs::is_directory(status)) return InputStatus::cannot_open;

    input.handle.reset(open_file(path, "rb"));
    if (!input.handle) return InputStatus::cannot_open;
    if (fs::is_regular_file(status)) {
        const uintmax_t size = fs::file_size(path, error);
        if (error) return InputStatus::cannot_open;
        // Some files say 0 and hold data (/proc/self/status): only reading
        // tells an empty file from those, so they are read like a stream.
        if (size > 0) {
            input.regular = true;
            input.size = size;
            return InputStatus::ok;
        }
    }
    // A pipe or a device has no size to ask for: read it, but never more
    // than the bound, so that /dev/zero ends as "too big".
    const bool read_ok = read_up_to(input.handle.get(), read_bound, input.bytes);
    input.handle.reset();
    if (!read_ok) return InputStatus::read_failed;
    input.size = input.bytes.size();
    return InputStatus::ok;
}

InputStatus read_input(InputFile& input) {
    if (!input.regular || !input.handle) return InputStatus::ok;
    const bool read_ok = read_up_to(input.handle.get(), input.size, input.bytes);
    input.handle.reset();
    if (!read_ok) return InputStatus::read_failed;
    // A file that shrank since it was measured is not the file we measured.
    if (input.bytes.size() != input.size) return InputStatus::read_failed;
    return InputStatus::ok;
}

WholeFileStatus read_whole_file(const std::string& name, uint64_t max_size, std::vector<uint8_t>& bytes) {
    InputFile input;
    const InputStatus opened = open_and_measure_input(name, max_size + 1, input);
    if (opened == InputStatus::cannot_open) return WholeFileStatus::cannot_open;
    if (opened == InputStatus::read_failed) return WholeFileStatus::read_failed;
    if (input.size > max_size) return WholeFileStatus::too_big;
    if (read_input(input) != InputStatus::ok) return WholeFileStatus::read_failed;
    bytes = std::move(input.bytes);
    return WholeFileStatus::ok;
}

WholeFileStatus read_standard_input(uint64_t max_size, std::vector<uint8_t>& bytes) {
    if (!read_up_to(stdin, max_size + 1, bytes)) return WholeFileStatus::read_failed;
    return bytes.size() > max_size ? WholeFileStatus::too_big : WholeFileStatus::ok;
}
