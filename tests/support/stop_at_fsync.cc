// Preloaded into a program under test (LD_PRELOAD): its first fsync() stops
// the process with SIGSTOP, so that a test can act at that exact point (an
// output's temporary file complete, not yet renamed) without racing on time.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

extern "C" int fsync(int fd) {
    static bool stopped = false;
    if (!stopped) {
        stopped = true;
        kill(getpid(), SIGSTOP);
    }
    using Fsync = int (*)(int);
    static const Fsync real_fsync = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    return real_fsync(fd);
}
