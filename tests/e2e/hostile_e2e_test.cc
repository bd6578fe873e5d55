// Hostile inputs end to end: odd files, odd devices, odd arguments. Each
// case checks the message and status, that every file that existed before is
// byte for byte the same, and that no stray file is left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
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

// A write that fails midway (here: a file-size limit, as a full disk would)
// leaves an existing image exactly as it was under -o, removes a file the
// run created, and leaves no temporary file behind.
TEST(Hostile, FailedWriteNeverDamages) {
    struct WriteCase { const char* name; bool existing; std::vector<std::string> args; };
    const WriteCase cases[] = {
        {"replacing with -o", true, {"-o", "-l300", "in.bin", "old.65d"}},
        {"creating", false, {"-l300", "in.bin", "old.65d"}},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("in.bin"), pattern_bytes(1000));
        const Bytes old_image = pattern_bytes(92160, 5);
        if (c.existing) write_file(dir.file("old.65d"), old_image);
        const auto names_before = dir.listing();
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), spinload_binary());
        ProcessOptions options;
        options.working_directory = dir.path().string();
        options.file_size_limit = 50000;
        const ProcessResult r = run_process(args, options);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "SpinLoad: Can't write 'old.65d'.\r\n");
        if (c.existing) {
            EXPECT_EQ(read_file(dir.file("old.65d")), old_image);
        }
        EXPECT_EQ(dir.listing(), names_before);
    }
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

}  // namespace
