// Hostile inputs end to end: odd files, odd devices, odd arguments. Each
// case checks the message and status, that every file that existed before is
// byte for byte the same, and that no stray file is left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <thread>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string TOO_BIG = "SpinLoad: input file is too big for floppy image!\r\n";

struct HostileCase {
    const char* name;
    std::function<void(const TempDir&)> setup;  // may be empty
    std::vector<std::string> args;              // after the program name
    bool feed_stdin;
    std::string stdin_data;
    int status;
    std::string err;
    std::vector<std::string> new_files;  // names the run must create
    bool posix_only = false;             // /dev files, byte names, or longer than a Windows command line
};

// Snapshot of every regular file in the directory; a huge (sparse) file is
// represented by its size alone, which is what a run could change.
Bytes file_fingerprint(const fs::path& path) {
    const uintmax_t size = fs::file_size(path);
    if (size <= (1u << 20)) return read_file(path.string());
    const std::string text = "size " + std::to_string(size);
    return Bytes(text.begin(), text.end());
}

std::map<std::string, Bytes> snapshot(const TempDir& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.is_regular_file()) files[entry.path().filename().string()] = file_fingerprint(entry.path());
    }
    return files;
}

void make_sparse(const std::string& path, off_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
}

const std::string LONG_COMPONENT(300, 'c');
const std::string HUGE_ARGUMENT(100 * 1024, 'h');

std::vector<std::string> many_arguments() {
    std::vector<std::string> args(9998, "-v");
    args.push_back("-l300");
    args.push_back("in.bin");
    return args;
}

const HostileCase CASES[] = {
    {"missing input", nullptr, {"-l300", "missing.bin"}, false, "", 255,
     "SpinLoad: Can't open 'missing.bin' for input.\r\n", {}},
    {"directory as input", [](const TempDir& d) { fs::create_directory(d.path() / "dir"); },
     {"-l300", "dir"}, false, "", 255, "SpinLoad: Can't open 'dir' for input.\r\n", {}},
    {"/dev/zero", nullptr, {"-l300", "/dev/zero", "out.65d"}, false, "", 1, TOO_BIG, {}, true},
    {"pipe on /dev/stdin", nullptr, {"-l300", "/dev/stdin", "out.65d"}, true, std::string(3000, '\x4c'), 0, "", {"out.65d"}, true},
    {"empty pipe on /dev/stdin", nullptr, {"-l300", "/dev/stdin", "out.65d"}, true, "", 1,
     "SpinLoad: input file is empty!\r\n", {}, true},
    {"10 GB sparse file", [](const TempDir& d) { make_sparse(d.file("huge.bin"), off_t(10) << 30); },
     {"-l300", "huge.bin"}, false, "", 1, TOO_BIG, {}},
    {"output in a missing directory", nullptr, {"-l300", "in.bin", "missing/out.65d"}, false, "", 1,
     "SpinLoad: Can't open 'missing/out.65d' for output.\r\n", {}},
    {"output is a directory", [](const TempDir& d) { fs::create_directory(d.path() / "outdir"); },
     {"-o", "-l300", "in.bin", "outdir"}, false, "", 1, "SpinLoad: Can't open 'outdir' for output.\r\n", {}},
    {"-o onto /dev/full", nullptr, {"-o", "-l300", "in.bin", "/dev/full"}, false, "", 1,
     "SpinLoad: Can't write '/dev/full'.\r\n", {}, true},
    {"300-character input component", nullptr, {"-l300", LONG_COMPONENT + ".bin"}, false, "", 255,
     "SpinLoad: Can't open '" + LONG_COMPONENT + ".bin' for input.\r\n", {}},
    {"300-character output component", nullptr, {"-l300", "in.bin", LONG_COMPONENT}, false, "", 1,
     "SpinLoad: Can't open '" + LONG_COMPONENT + "' for output.\r\n", {}},
    {"arguments that are not UTF-8", nullptr, {"-l300", "-n\xFF\xFE\x80", "in.bin", "\xFF\xFE.65d"}, false, "", 0, "",
     {"\xFF\xFE.65d"}, true},
    {"unknown argument that is not UTF-8", nullptr, {"-\xFF"}, false, "", 1, " Unknown argument:-\xFF\r\n", {}, true},
    {"100 KB label", nullptr, {"-l300", "-n" + HUGE_ARGUMENT, "in.bin"}, false, "", 0, "", {"in.65d"}, true},
    {"100 KB file name", nullptr, {"-l300", HUGE_ARGUMENT}, false, "", 255,
     "SpinLoad: Can't open '" + HUGE_ARGUMENT + "' for input.\r\n", {}, true},
    {"10,000 arguments", nullptr, many_arguments(), false, "", 0, "", {"in.65d"}},
    {"a /proc file that says it holds 0 bytes", nullptr, {"-l300", "/proc/self/status", "out.65d"}, false, "", 0, "",
     {"out.65d"}, true},
};

void run_hostile_cases(bool posix_only) {
    for (const HostileCase& c : CASES) {
        if (c.posix_only != posix_only) continue;
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("in.bin"), pattern_bytes(1000));
        write_file(dir.file("keep.65d"), pattern_bytes(92160, 3));
        if (c.setup) c.setup(dir);
        const auto before = snapshot(dir);
        const auto names_before = dir.listing();

        std::vector<std::string> args = c.args;
        args.insert(args.begin(), spinload_binary());
        ProcessOptions options;
        options.working_directory = dir.path().string();
        options.feed_stdin = c.feed_stdin;
        options.stdin_data = c.stdin_data;
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult r = run_process(args, options);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_LT(seconds, 10.0) << "nothing here should take long";
        for (const auto& [name, bytes] : before) {
            if (std::find(c.new_files.begin(), c.new_files.end(), name) != c.new_files.end()) continue;
            EXPECT_EQ(file_fingerprint(dir.path() / name), bytes) << name << " changed";
        }
        std::vector<std::string> expected = names_before;
        for (const std::string& name : c.new_files) {
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) expected.push_back(name);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.listing(), expected);
        for (const std::string& name : c.new_files) EXPECT_EQ(read_file(dir.file(name)).size(), 92160u) << name;
    }
}

TEST(Hostile, SpinLoadFailsCleanly) { run_hostile_cases(false); }

// Devices, pipes, names that are not UTF-8 and arguments longer than a
// Windows command line can be: POSIX only.
TEST(Hostile, PosixOnlyInputs) { run_hostile_cases(true); }

// A FIFO has a writer on the other end; the run reads it like a pipe.
TEST(Hostile, FifoInput) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    // The writer waits (a bounded time) for the reader, so a run that never
    // opens the FIFO fails the test instead of hanging it.
    std::thread writer([&] {
        int fd = -1;
        for (int attempt = 0; attempt < 1000 && fd < 0; attempt++) {
            fd = open(dir.file("fifo").c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (fd < 0) return;
        fcntl(fd, F_SETFL, 0);  // blocking writes from here on
        const std::string data(4000, '\x60');
        ssize_t ignored = write(fd, data.data(), data.size());
        (void)ignored;
        close(fd);
    });
    ProcessOptions options;
    options.working_directory = dir.path().string();
    const ProcessResult r = run_process({spinload_binary(), "-l300", "fifo", "out.65d"}, options);
    writer.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("out.65d")).size(), 92160u);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"fifo", "out.65d"}));
}

// Every spindisk command refuses a file that is not a whole image with the
// same clear message, creates nothing and changes nothing.
TEST(Hostile, SpindiskRefusesBrokenImages) {
    const std::string sizes = "an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n";
    struct ImageCase { const char* name; size_t size; std::string err; };
    const ImageCase images[] = {
        {"truncated", 92159, "spindisk: 'bad.65d' is 92159 bytes; " + sizes},
        {"empty", 0, "spindisk: 'bad.65d' is 0 bytes; " + sizes},
        {"wrong size", 1000, "spindisk: 'bad.65d' is 1000 bytes; " + sizes},
        {"one byte too long", 295681, "spindisk: 'bad.65d' is 295681 bytes; " + sizes},
    };
    const std::vector<std::vector<std::string>> commands = {
        {"list", "bad.65d"},
        {"list", "--json", "bad.65d"},
        {"extract", "bad.65d", "out.bin"},
        {"boot", "bad.65d"},
        {"hfe", "bad.65d", "out.hfe"},
    };
    for (const ImageCase& image : images) {
        for (const auto& command : commands) {
            SCOPED_TRACE(std::string(image.name) + ": " + command[0]);
            TempDir dir;
            const Bytes bytes = pattern_bytes(image.size, 4);
            write_file(dir.file("bad.65d"), bytes);
            std::vector<std::string> args = command;
            args.insert(args.begin(), spindisk_binary());
            ProcessOptions options;
            options.working_directory = dir.path().string();
            const ProcessResult r = run_process(args, options);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, image.err);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(read_file(dir.file("bad.65d")), bytes);
            EXPECT_EQ(dir.listing(), std::vector<std::string>{"bad.65d"});
        }
    }
}

// Breaches of the output discipline: runs disturbed by a file-size limit, a
// signal, a second writer or a link, each stopped at a known point where
// needed (the first fsync, with the temporary file complete and not yet
// renamed). Every entry left in the directory is checked, byte for byte.

enum class Tool { spinload, spindisk };

// What an entry of the directory holds after a run.
enum class Holds {
    program,        // in.bin, the program
    other_program,  // other.bin, a second program
    old_bytes,      // old.65d as the test wrote it
    their_bytes,    // what the test's own writer put there
    image,          // the image of in.bin, complete
    other_image,    // the image of other.bin, complete
    hfe,            // the HFE file of disk.65d, complete
    link,           // link.65d, pointing at elsewhere/victim.65d
    directory,
    fifo,
};

// Extra entries a case starts with, besides in.bin and disk.65d.
enum class Extra { old_file, setuid_old_file, other_program, dangling_link, fifo };

using Action = std::function<void(const TempDir&, pid_t)>;

struct BreachCase {
    const char* name;
    Tool tool;
    std::vector<std::string> args;  // after the program name
    std::vector<Extra> extras;
    long file_size_limit;
    Action at_first_fsync;  // empty: the run is not stopped
    StdoutKind stdout_kind;
    int status;  // -1 when a signal ends it
    int signal;
    std::string err;
    std::vector<std::pair<std::string, Holds>> after;  // besides in.bin and disk.65d, which never change
};

const Bytes PROGRAM = pattern_bytes(1000, 1);
const Bytes OTHER_PROGRAM = pattern_bytes(1500, 9);
const Bytes OLD_BYTES = pattern_bytes(5000, 5);
const Bytes THEIR_BYTES = {'t', 'h', 'e', 'i', 'r', 's'};
constexpr size_t MINI_IMAGE_SIZE = 92160;
constexpr size_t TRACK_SIZE = 2304;
constexpr size_t TRACK_HEADER_SIZE = 10;  // "CW", track, "X", then the page header before the bytes
const char HFE_MAGIC[] = "HXCPICFE";

// What an undisturbed run writes, checked against the format where that is
// cheap (the size, the program on track 1, the HFE signature), so that the
// disturbed runs below can be held to it byte for byte.
Bytes undisturbed_output(Tool tool, const std::vector<std::string>& args, const Bytes& program) {
    TempDir dir;
    write_file(dir.file("in.bin"), program);
    ProcessOptions options;
    options.working_directory = dir.path().string();
    run_process({spinload_binary(), "-l300", "in.bin", "disk.65d"}, options);
    std::vector<std::string> full = args;
    full.insert(full.begin(), tool == Tool::spinload ? spinload_binary() : spindisk_binary());
    const ProcessResult r = run_process(full, options);
    EXPECT_EQ(r.status, 0) << r.err;
    return read_file(dir.file("out"));
}

const Bytes& image_of(const Bytes& program) {
    static std::map<Bytes, Bytes> images;
    Bytes& image = images[program];
    if (image.empty()) {
        image = undisturbed_output(Tool::spinload, {"-l300", "in.bin", "out"}, program);
        EXPECT_EQ(image.size(), MINI_IMAGE_SIZE);
        const size_t first = std::min(program.size(), TRACK_SIZE - TRACK_HEADER_SIZE - 1);
        EXPECT_TRUE(std::equal(program.begin(), program.begin() + first, image.begin() + TRACK_SIZE + TRACK_HEADER_SIZE));
    }
    return image;
}

const Bytes& hfe_file() {
    static const Bytes hfe = undisturbed_output(Tool::spindisk, {"hfe", "disk.65d", "out"}, PROGRAM);
    EXPECT_TRUE(hfe.size() > sizeof HFE_MAGIC && std::equal(HFE_MAGIC, HFE_MAGIC + 8, hfe.begin()));
    return hfe;
}

Bytes text_bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes expected_content(Holds holds) {
    switch (holds) {
        case Holds::program: return PROGRAM;
        case Holds::other_program: return OTHER_PROGRAM;
        case Holds::old_bytes: return OLD_BYTES;
        case Holds::their_bytes: return THEIR_BYTES;
        case Holds::image: return image_of(PROGRAM);
        case Holds::other_image: return image_of(OTHER_PROGRAM);
        case Holds::hfe: return hfe_file();
        case Holds::link: return text_bytes("link to elsewhere/victim.65d");
        case Holds::directory: return text_bytes("directory");
        case Holds::fifo: return text_bytes("fifo");
    }
    return {};
}

// Every entry under root, links not followed: a file by its bytes, anything
// else by what it is.
std::map<std::string, Bytes> tree_of(const fs::path& root) {
    std::map<std::string, Bytes> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).generic_string();
        const fs::file_status status = entry.symlink_status();
        if (fs::is_symlink(status)) {
            tree[name] = text_bytes("link to " + fs::read_symlink(entry.path()).string());
        } else if (fs::is_directory(status)) {
            tree[name] = text_bytes("directory");
        } else if (fs::is_fifo(status)) {
            tree[name] = text_bytes("fifo");
        } else {
            tree[name] = read_file(entry.path().string());
        }
    }
    return tree;
}

void add_extra(const TempDir& dir, Extra extra) {
    switch (extra) {
        case Extra::old_file:
        case Extra::setuid_old_file:
            write_file(dir.file("old.65d"), OLD_BYTES);
            ASSERT_EQ(chmod(dir.file("old.65d").c_str(), extra == Extra::old_file ? 0644 : 04755), 0);
            break;
        case Extra::other_program:
            write_file(dir.file("other.bin"), OTHER_PROGRAM);
            break;
        case Extra::dangling_link:
            fs::create_directory(dir.path() / "elsewhere");
            fs::create_symlink("elsewhere/victim.65d", dir.path() / "link.65d");
            break;
        case Extra::fifo:
            ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
            break;
    }
}

size_t temporary_files(const TempDir& dir) {
    size_t count = 0;
    for (const std::string& name : dir.listing()) count += name.rfind(".spin-", 0) == 0;
    return count;
}

Action send(int signal_number) {
    return [signal_number](const TempDir&, pid_t pid) { kill(pid, signal_number); };
}

// Another writer puts its own bytes at the name meanwhile.
Action their_file(const char* name) {
    return [name](const TempDir& dir, pid_t) { write_file(dir.file(name), THEIR_BYTES); };
}

// A second run writes the same name to completion meanwhile.
Action second_run(std::vector<std::string> args) {
    return [args](const TempDir& dir, pid_t) {
        std::vector<std::string> full = args;
        full.insert(full.begin(), spinload_binary());
        ProcessOptions options;
        options.working_directory = dir.path().string();
        const ProcessResult r = run_process(full, options);
        EXPECT_EQ(r.status, 0) << r.err;
    };
}

const std::string CANT_WRITE_NEW = "SpinLoad: Can't write 'new.65d'.\r\n";
const std::string NEW_EXISTS = "SpinLoad: Target file 'new.65d' exists. Use -o to overwrite\r\n";
const std::string REPORT_NOT_WRITTEN = "spindisk: cannot write to standard output\n";
constexpr long SIZE_LIMIT = 40960;
constexpr StdoutKind CAPTURED = StdoutKind::captured;

const BreachCase BREACHES[] = {
    // A file-size limit is an ordinary write failure.
    {"size limit, new image", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {}, SIZE_LIMIT, nullptr, CAPTURED,
     1, 0, CANT_WRITE_NEW, {}},
    {"size limit, -o", Tool::spinload, {"-o", "-l300", "in.bin", "old.65d"}, {Extra::old_file}, SIZE_LIMIT, nullptr,
     CAPTURED, 1, 0, "SpinLoad: Can't write 'old.65d'.\r\n", {{"old.65d", Holds::old_bytes}}},
    {"size limit, hfe", Tool::spindisk, {"hfe", "disk.65d", "out.hfe"}, {}, SIZE_LIMIT, nullptr, CAPTURED, 1, 0,
     "spindisk: cannot write 'out.hfe'\n", {}},
    {"size limit, hfe --force", Tool::spindisk, {"hfe", "disk.65d", "old.65d", "--force"}, {Extra::old_file},
     SIZE_LIMIT, nullptr, CAPTURED, 1, 0, "spindisk: cannot write 'old.65d'\n", {{"old.65d", Holds::old_bytes}}},
    {"size limit, extract", Tool::spindisk, {"extract", "disk.65d", "out.bin"}, {}, 500, nullptr, CAPTURED, 1, 0,
     "spindisk: cannot write 'out.bin'\n", {}},
    // A dangling link is written through; a failure leaves link and directory as they were.
    {"dangling link", Tool::spinload, {"-l300", "in.bin", "link.65d"}, {Extra::dangling_link}, 0, nullptr, CAPTURED,
     0, 0, "", {{"link.65d", Holds::link}, {"elsewhere", Holds::directory}, {"elsewhere/victim.65d", Holds::image}}},
    {"dangling link, size limit", Tool::spinload, {"-l300", "in.bin", "link.65d"}, {Extra::dangling_link},
     SIZE_LIMIT, nullptr, CAPTURED, 1, 0, "SpinLoad: Can't write 'link.65d'.\r\n",
     {{"link.65d", Holds::link}, {"elsewhere", Holds::directory}}},
    // A name that appears while the image is written is never overwritten without -o.
    {"a file appears meanwhile", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {}, 0, their_file("new.65d"),
     CAPTURED, 1, 0, NEW_EXISTS, {{"new.65d", Holds::their_bytes}}},
    {"a file appears meanwhile, hfe", Tool::spindisk, {"hfe", "disk.65d", "out.hfe"}, {}, 0, their_file("out.hfe"),
     CAPTURED, 1, 0, "spindisk: 'out.hfe' exists (use --force to overwrite)\n", {{"out.hfe", Holds::their_bytes}}},
    {"a file appears meanwhile, extract", Tool::spindisk, {"extract", "disk.65d", "out.bin"}, {}, 0,
     their_file("out.bin"), CAPTURED, 1, 0, "spindisk: 'out.bin' exists (use --force to overwrite)\n",
     {{"out.bin", Holds::their_bytes}}},
    {"a second run creates the name first", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {Extra::other_program}, 0,
     second_run({"-l300", "other.bin", "new.65d"}), CAPTURED, 1, 0, NEW_EXISTS,
     {{"other.bin", Holds::other_program}, {"new.65d", Holds::other_image}}},
    // The run that fails late removes its own temporary file, never the other run's image.
    {"a second run replaces the name with -o", Tool::spinload, {"-l300", "in.bin", "new.65d"},
     {Extra::other_program}, 0, second_run({"-o", "-l300", "other.bin", "new.65d"}), CAPTURED, 1, 0, NEW_EXISTS,
     {{"other.bin", Holds::other_program}, {"new.65d", Holds::other_image}}},
    // Interrupted runs leave nothing partial and end with the signal.
    {"SIGINT, new image", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {}, 0, send(SIGINT), CAPTURED, -1, SIGINT,
     "", {}},
    {"SIGTERM, new image", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {}, 0, send(SIGTERM), CAPTURED, -1,
     SIGTERM, "", {}},
    {"SIGHUP, new image", Tool::spinload, {"-l300", "in.bin", "new.65d"}, {}, 0, send(SIGHUP), CAPTURED, -1, SIGHUP,
     "", {}},
    {"SIGINT, -o", Tool::spinload, {"-o", "-l300", "in.bin", "old.65d"}, {Extra::old_file}, 0, send(SIGINT),
     CAPTURED, -1, SIGINT, "", {{"old.65d", Holds::old_bytes}}},
    {"SIGTERM, -o", Tool::spinload, {"-o", "-l300", "in.bin", "old.65d"}, {Extra::old_file}, 0, send(SIGTERM),
     CAPTURED, -1, SIGTERM, "", {{"old.65d", Holds::old_bytes}}},
    {"SIGHUP, -o", Tool::spinload, {"-o", "-l300", "in.bin", "old.65d"}, {Extra::old_file}, 0, send(SIGHUP),
     CAPTURED, -1, SIGHUP, "", {{"old.65d", Holds::old_bytes}}},
    {"SIGTERM, hfe", Tool::spindisk, {"hfe", "disk.65d", "out.hfe"}, {}, 0, send(SIGTERM), CAPTURED, -1, SIGTERM, "",
     {}},
    {"SIGHUP, convert", Tool::spindisk, {"convert", "disk.65d", "out.os5"}, {}, 0, send(SIGHUP), CAPTURED, -1, SIGHUP,
     "", {}},
    {"SIGINT, extract --force", Tool::spindisk, {"extract", "disk.65d", "old.65d", "--force"}, {Extra::old_file}, 0,
     send(SIGINT), CAPTURED, -1, SIGINT, "", {{"old.65d", Holds::old_bytes}}},
    // Pipes nobody reads end the run (as pipes do, with SIGPIPE) instead of hanging it.
    {"FIFO without a reader", Tool::spinload, {"-o", "-l300", "in.bin", "fifo"}, {Extra::fifo}, 0, nullptr, CAPTURED,
     1, 0, "SpinLoad: Can't open 'fifo' for output.\r\n", {{"fifo", Holds::fifo}}},
    {"FIFO without a reader, hfe", Tool::spindisk, {"hfe", "disk.65d", "fifo", "--force"}, {Extra::fifo}, 0, nullptr,
     CAPTURED, 1, 0, "spindisk: cannot open 'fifo' for writing\n", {{"fifo", Holds::fifo}}},
    {"standard output a pipe whose reader has gone", Tool::spinload, {"-o", "-l300", "in.bin", "/dev/stdout"}, {}, 0,
     nullptr, StdoutKind::broken_pipe, -1, SIGPIPE, "", {}},
    // Replacement drops setuid and setgid (the mode is checked separately).
    {"setuid file replaced", Tool::spinload, {"-o", "-l300", "in.bin", "old.65d"}, {Extra::setuid_old_file}, 0,
     nullptr, CAPTURED, 0, 0, "", {{"old.65d", Holds::image}}},
    // spindisk's own reports: a report that cannot be written is a failure.
    {"list onto a full device", Tool::spindisk, {"list", "disk.65d"}, {}, 0, nullptr, StdoutKind::file, 1, 0,
     REPORT_NOT_WRITTEN, {}},
    {"list --json without standard output", Tool::spindisk, {"list", "--json", "disk.65d"}, {}, 0, nullptr,
     StdoutKind::closed, 1, 0, REPORT_NOT_WRITTEN, {}},
    {"boot --json onto a full device", Tool::spindisk, {"boot", "--json", "disk.65d"}, {}, 0, nullptr,
     StdoutKind::file, 1, 0, REPORT_NOT_WRITTEN, {}},
    {"extract onto a full device", Tool::spindisk, {"extract", "disk.65d", "out.bin"}, {}, 0, nullptr,
     StdoutKind::file, 1, 0, REPORT_NOT_WRITTEN, {{"out.bin", Holds::program}}},
    // spindisk shows control characters in names escaped, and bounds a boot's work.
    {"terminal escapes in a file name", Tool::spindisk, {"list", "\x1b[2J\x07\xc2\x9b.65d"}, {}, 0, nullptr, CAPTURED,
     1, 0, "spindisk: cannot open '\\x1B[2J\\x07\\xC2\\x9B.65d': no such file\n", {}},
    {"boot that would run for minutes", Tool::spindisk, {"boot", "--cpu-hz", "100000000", "--max-seconds", "3600",
     "disk.65d"}, {}, 0, nullptr, CAPTURED, 2, 0,
     "spindisk: --cpu-hz 100000000 for 3600 emulated seconds is 360000000000 cycles; the most is 10000000000 "
     "(lower --cpu-hz, --max-seconds or --run-ms)\nTry 'spindisk boot --help'.\n", {}},
};

std::map<std::string, Bytes> expected_tree(const BreachCase& c) {
    std::map<std::string, Bytes> tree = {{"in.bin", PROGRAM}, {"disk.65d", image_of(PROGRAM)}};
    for (const auto& [name, holds] : c.after) tree[name] = expected_content(holds);
    return tree;
}

TEST(Hostile, PosixOnlyOutputBreaches) {
    for (const BreachCase& c : BREACHES) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("in.bin"), PROGRAM);
        write_file(dir.file("disk.65d"), image_of(PROGRAM));
        for (const Extra extra : c.extras) add_extra(dir, extra);

        ProcessOptions options;
        options.working_directory = dir.path().string();
        options.file_size_limit = c.file_size_limit;
        options.stdout_kind = c.stdout_kind;
        options.stdout_path = "/dev/full";
        bool stopped = false;
        if (c.at_first_fsync) {
            options.environment = stop_at_first_fsync_environment();
            options.on_stop = [&](pid_t pid) {
                // The known point: the temporary file is there, complete.
                EXPECT_EQ(temporary_files(dir), 1u);
                stopped = true;
                c.at_first_fsync(dir, pid);
            };
        }
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), c.tool == Tool::spinload ? spinload_binary() : spindisk_binary());
        const ProcessResult r = run_process(args, options);

        EXPECT_EQ(stopped, static_cast<bool>(c.at_first_fsync));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.signal, c.signal);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(tree_of(dir.path()), expected_tree(c));
    }
}

// Replacing a file gives it the old permission bits but not setuid/setgid,
// as the kernel drops them when a file is written.
TEST(Hostile, PosixOnlyReplacementDropsSetIdBits) {
    const std::vector<std::vector<std::string>> runs = {
        {spinload_binary(), "-o", "-l300", "in.bin", "old.65d"},
        {spindisk_binary(), "extract", "disk.65d", "old.65d", "--force"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run[1]);
        TempDir dir;
        write_file(dir.file("in.bin"), PROGRAM);
        write_file(dir.file("disk.65d"), image_of(PROGRAM));
        add_extra(dir, Extra::setuid_old_file);
        ASSERT_EQ(chmod(dir.file("old.65d").c_str(), 06750), 0);
        ProcessOptions options;
        options.working_directory = dir.path().string();
        ASSERT_EQ(run_process(run, options).status, 0);
        struct stat st {};
        ASSERT_EQ(stat(dir.file("old.65d").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
    }
}

// A file system that fills up: the write fails, the old file stays and no
// temporary file is left. Needs a mount namespace of this test's own.
TEST(Hostile, PosixOnlyTinyFileSystem) {
    TempDir dir;
    const fs::path tiny = dir.path() / "tiny";
    fs::create_directory(tiny);
    if (unshare(CLONE_NEWNS) != 0) GTEST_SKIP() << "no mount namespace of our own: " << std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=128k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs: " << std::strerror(errno);
    }
    write_file((tiny / "in.bin").string(), PROGRAM);
    write_file((tiny / "old.65d").string(), image_of(OTHER_PROGRAM));  // 90 KB of the 128 KB
    ProcessOptions options;
    options.working_directory = tiny.string();
    const ProcessResult replace = run_process({spinload_binary(), "-o", "-l300", "in.bin", "old.65d"}, options);
    EXPECT_EQ(replace.status, 1);
    EXPECT_EQ(replace.err, "SpinLoad: Can't write 'old.65d'.\r\n");
    const ProcessResult create = run_process({spinload_binary(), "-l300", "in.bin", "new.65d"}, options);
    EXPECT_EQ(create.status, 1);
    EXPECT_EQ(create.err, CANT_WRITE_NEW);
    const std::map<std::string, Bytes> expected = {{"in.bin", PROGRAM}, {"old.65d", image_of(OTHER_PROGRAM)}};
    EXPECT_EQ(tree_of(tiny), expected);
    umount2(tiny.c_str(), MNT_DETACH);
}

}  // namespace
