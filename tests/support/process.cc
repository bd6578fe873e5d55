// fork/exec with pipes, read with poll so large outputs cannot deadlock.
#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

void drain(int fd, std::string& into, bool& open) {
    char buffer[65536];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        open = false;
    }
}

void set_up_stdout(const ProcessOptions& options, int captured_fd) {
    switch (options.stdout_kind) {
        case StdoutKind::captured:
            dup2(captured_fd, 1);
            break;
        case StdoutKind::file: {
            const int fd = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) _exit(127);
            dup2(fd, 1);
            close(fd);
            break;
        }
        case StdoutKind::closed:
            close(1);
            break;
        case StdoutKind::broken_pipe: {
            int broken[2];
            if (pipe(broken) != 0) _exit(127);
            dup2(broken[1], 1);
            close(broken[0]);
            close(broken[1]);
            break;
        }
    }
}

// Waits for the child (flags 0 or WNOHANG); a stop is handed to on_stop and
// the child continued. True once the child has ended.
bool reaped(pid_t pid, int flags, const ProcessOptions& options, int& wait_status) {
    const pid_t got = waitpid(pid, &wait_status, flags | WUNTRACED);
    if (got != pid) return got < 0 && errno != EINTR;  // no such child: nothing to wait for
    if (!WIFSTOPPED(wait_status)) return true;
    if (options.on_stop) options.on_stop(pid);
    kill(pid, SIGCONT);
    return false;
}

}  // namespace

std::string spinload_binary() {
    const char* override_path = std::getenv("SPINLOAD_BIN");
    return override_path && *override_path ? override_path : SPINLOAD_BINARY;
}

std::string spindisk_binary() {
    const char* override_path = std::getenv("SPINDISK_BIN");
    return override_path && *override_path ? override_path : SPINDISK_BINARY;
}

ProcessResult run_process(const std::vector<std::string>& argv_in, const ProcessOptions& options) {
    std::vector<std::string> argv;
    const char* launcher = std::getenv("SPIN_LAUNCHER");
    if (launcher && *launcher) argv.push_back(launcher);
    argv.insert(argv.end(), argv_in.begin(), argv_in.end());

    int out_pipe[2], err_pipe[2], in_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0 || pipe(in_pipe) != 0) return {};
    signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid == 0) {
        // The child starts with SIGPIPE as programs normally get it.
        signal(SIGPIPE, SIG_DFL);
        set_up_stdout(options, out_pipe[1]);
        dup2(err_pipe[1], 2);
        if (options.feed_stdin) {
            dup2(in_pipe[0], 0);
        } else {
            const int null_fd = open("/dev/null", O_RDONLY);
            dup2(null_fd, 0);
        }
        for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1], in_pipe[0], in_pipe[1]}) close(fd);
        for (const std::string& entry : options.environment) putenv(const_cast<char*>(entry.c_str()));
        if (options.file_size_limit > 0) {
            const rlimit limit = {static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) != 0) _exit(127);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    close(in_pipe[0]);
    ProcessResult result;
    if (pid < 0) return result;

    // Feed stdin from this side while reading the outputs.
    size_t fed = 0;
    int in_fd = in_pipe[1];
    if (!options.feed_stdin) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    // Read until the child has exited and its pipes are drained. A helper
    // process the child leaves behind (wine's servers do) may hold the pipes
    // open for ever, so the child's exit, not end of file, ends the loop.
    bool out_open = true, err_open = true;
    bool exited = false;
    int wait_status = 0;
    fcntl(out_pipe[0], F_SETFL, O_NONBLOCK);
    fcntl(err_pipe[0], F_SETFL, O_NONBLOCK);
    while (out_open || err_open) {
        if (in_fd >= 0 && fed == options.stdin_data.size()) {
            close(in_fd);
            in_fd = -1;
        }
        pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
        if (!out_open) fds[0].fd = -1;
        if (!err_open) fds[1].fd = -1;
        const int ready = poll(fds, 3, exited ? 0 : 20);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0) {
            if (fds[0].revents) drain(out_pipe[0], result.out, out_open);
            if (fds[1].revents) drain(err_pipe[0], result.err, err_open);
            if (in_fd >= 0 && fds[2].revents) {
                const ssize_t put = write(in_fd, options.stdin_data.data() + fed, options.stdin_data.size() - fed);
                if (put > 0) {
                    fed += static_cast<size_t>(put);
                } else if (errno != EAGAIN && errno != EINTR) {
                    close(in_fd);
                    in_fd = -1;
                }
            }
            continue;
        }
        if (exited) break;  // nothing more to read right after the exit
        exited = reaped(pid, WNOHANG, options, wait_status);
    }
    if (in_fd >= 0) close(in_fd);
    close(out_pipe[0]);
    close(err_pipe[0]);
    while (!exited) exited = reaped(pid, 0, options, wait_status);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.signal = WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
    return result;
}

std::vector<std::string> stop_at_first_fsync_environment() {
    // A sanitizer runtime wants to come first among the libraries; the shim
    // only wraps one call, so its place does not matter.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options = asan && *asan ? std::string(asan) + ":" : "";
    return {std::string("LD_PRELOAD=") + SPIN_STOP_SHIM, "ASAN_OPTIONS=" + asan_options + "verify_asan_link_order=0"};
}
