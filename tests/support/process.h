// Runs a program with arguments and optional standard input, capturing its
// standard output, standard error and exit status, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;      // exit status 0..255, or -1 if it did not exit normally
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string working_directory;  // empty: the test's own
    bool feed_stdin = false;        // false: stdin is /dev/null
    std::string stdin_data;
    long file_size_limit = 0;       // > 0: no file may grow past this (writes fail with EFBIG)
};

// argv[0] is the program to run. SPIN_LAUNCHER (e.g. "wine") in the
// environment is put in front, so the same tests can drive other builds.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// The binaries under test; SPINLOAD_BIN / SPINDISK_BIN override the built ones.
std::string spinload_binary();
std::string spindisk_binary();
