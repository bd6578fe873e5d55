// Writing a whole output file so that a failure leaves nothing behind: a new
// file is removed again, an existing regular file is replaced through a
// temporary file and a rename, so it is either the old or the new one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

enum class OutputOpen { ok, exists, cannot_open };

struct OutputFile {
    std::filesystem::path target;     // the file the user ends up with
    std::filesystem::path temporary;  // set while replacing a regular file
    std::FILE* stream = nullptr;
    bool created = false;             // this run created target: remove it on failure
    bool finished = false;

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // abandons an unfinished output
};

// An existing name is refused unless overwrite is set. An existing file
// that cannot be opened for update counts as one that cannot be opened.
OutputOpen open_output(const std::string& name, bool overwrite, OutputFile& out);

// Writes all bytes, flushes, syncs and closes, then renames a replacement
// into place. On any failure the output is abandoned and false returned.
bool finish_output(OutputFile& out, const uint8_t* bytes, size_t size);

// Closes and removes whatever this run created.
void abandon_output(OutputFile& out);
