// Removing a pending temporary file when a signal ends the run.
#include "fileio/temporary_cleanup.h"

#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using PathChar = std::filesystem::path::value_type;
constexpr size_t TEMPORARY_NAME_CAPACITY = 4096;

// The one file-scope mutable of the code: a signal handler cannot be handed
// arguments, and may only do async-signal-safe work (no allocation, no
// locks), so the name it removes lives in a buffer set before the file is
// created and cleared once the file is renamed or removed. One slot is
// enough: a run writes one output at a time.
PathChar pending_temporary[TEMPORARY_NAME_CAPACITY];

#ifdef _WIN32
const int INTERRUPT_SIGNALS[] = {SIGINT, SIGTERM};
#else
const int INTERRUPT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
#endif

void remove_pending_and_end(int signal_number) {
    if (pending_temporary[0] != 0) {
#ifdef _WIN32
        _wunlink(pending_temporary);
#else
        unlink(pending_temporary);
#endif
        pending_temporary[0] = 0;
    }
    // End the way the signal would have ended the run without us.
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

#ifndef _WIN32
sigset_t interrupt_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : INTERRUPT_SIGNALS) sigaddset(&set, signal_number);
    return set;
}
#endif

}  // namespace

void prepare_output_signals() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
#ifdef _WIN32
    for (int signal_number : INTERRUPT_SIGNALS) std::signal(signal_number, remove_pending_and_end);
#else
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = remove_pending_and_end;
    action.sa_mask = interrupt_set();  // one handler at a time
    for (int signal_number : INTERRUPT_SIGNALS) {
        struct sigaction previous {};
        sigaction(signal_number, nullptr, &previous);
        // A signal the caller's shell ignores (nohup, a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        sigaction(signal_number, &action, nullptr);
    }
#endif
}

#ifdef _WIN32
InterruptsHeld::InterruptsHeld() {}
InterruptsHeld::~InterruptsHeld() {}
#else
InterruptsHeld::InterruptsHeld() {
    const sigset_t set = interrupt_set();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}
InterruptsHeld::~InterruptsHeld() {
    const sigset_t set = interrupt_set();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}
#endif

bool remember_temporary(const std::filesystem::path& temporary) {
    const auto& name = temporary.native();
    if (name.size() >= TEMPORARY_NAME_CAPACITY) return false;
    std::memcpy(pending_temporary, name.c_str(), (name.size() + 1) * sizeof(PathChar));
    return true;
}

void forget_temporary() { pending_temporary[0] = 0; }
