// The one temporary output file a run may have pending, and what removes it
// when the run is interrupted: SIGINT, SIGTERM and SIGHUP remove the file and
// end the run with the signal's usual status; SIGXFSZ is ignored, so that a
// file-size limit fails a write like a full disk instead of killing the run.
#pragma once

#include <filesystem>

// Ignores SIGXFSZ and installs the interrupt handlers (once per process).
void prepare_output_signals();

// While alive, the interrupt signals wait: so that a temporary file is never
// created, renamed or removed without the handler knowing its name.
struct InterruptsHeld {
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

// Names the temporary file the handler removes; false if the name does not
// fit the handler's buffer (it is then not created at all).
bool remember_temporary(const std::filesystem::path& temporary);

// The temporary file is gone or has become the output: nothing to remove.
void forget_temporary();
