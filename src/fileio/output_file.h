// Writing a whole output file so that it appears complete or not at all:
// every regular file is written to a temporary file beside its name, synced,
// then renamed into place (replacing the old file only with overwrite, and
// never a file that appeared meanwhile without it). A failed or interrupted
// run removes its own temporary file and never a name. Devices and pipes
// are written in place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

enum class OutputOpen { ok, exists, cannot_open };

struct OutputFile {
    std::filesystem::path target;     // the file the user ends up with (links followed)
    std::filesystem::path temporary;  // empty when written in place
    std::FILE* stream = nullptr;
    bool overwrite = false;           // the rename may replace a file at target
    bool had_file = false;            // a regular file was there: keep its permission bits
    std::filesystem::perms permissions = std::filesystem::perms::none;
    bool name_taken = false;          // finish_output failed because target appeared meanwhile
    bool finished = false;

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // abandons an unfinished output
};

// An existing name is refused unless overwrite is set. A directory, an
// existing file this process may not write, or a FIFO nobody reads cannot
// be opened. Nothing is opened for reading to find this out.
OutputOpen open_output(const std::string& name, bool overwrite, OutputFile& out);

// Writes all bytes, flushes, syncs and closes, then renames the temporary
// file into place and syncs the directory. On any failure the temporary
// file is removed and false returned; name_taken then tells "a file of that
// name appeared while writing" (without overwrite) from a failed write.
bool finish_output(OutputFile& out, const uint8_t* bytes, size_t size);

// Closes and removes the temporary file, if any; never the target.
void abandon_output(OutputFile& out);
