// Runs a program with arguments and optional standard input, capturing its
// standard output, standard error and exit status, for end-to-end tests.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;      // exit status 0..255, or -1 if it did not exit normally
    int signal = 0;       // the signal that ended it, 0 if it exited
    std::string out;
    std::string err;
};

// Where the child's standard output goes.
enum class StdoutKind {
    captured,     // a pipe this side reads (ProcessResult::out)
    file,         // stdout_path, opened for writing (e.g. /dev/full)
    closed,       // no standard output at all (>&-)
    broken_pipe,  // a pipe whose reader has gone
};

struct ProcessOptions {
    std::string working_directory;  // empty: the test's own
    bool feed_stdin = false;        // false: stdin is /dev/null
    std::string stdin_data;
    long file_size_limit = 0;       // > 0: RLIMIT_FSIZE; the program must cope with SIGXFSZ itself
    StdoutKind stdout_kind = StdoutKind::captured;
    std::string stdout_path;
    std::vector<std::string> environment;  // extra NAME=VALUE entries
    // Called when the child stops itself (SIGSTOP, e.g. from the stop shim
    // below); the child is continued after it returns.
    std::function<void(pid_t)> on_stop;
};

// argv[0] is the program to run. SPIN_LAUNCHER (e.g. "wine") in the
// environment is put in front, so the same tests can drive other builds.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// The binaries under test; SPINLOAD_BIN / SPINDISK_BIN override the built ones.
std::string spinload_binary();
std::string spindisk_binary();

// Environment entries that make a native binary stop itself (SIGSTOP) at its
// first fsync(): with on_stop, a test acts at that known point, where an
// output's temporary file is complete but not yet renamed.
std::vector<std::string> stop_at_first_fsync_environment();
