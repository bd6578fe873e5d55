// SpinLoad end to end: the real binary in a temporary directory, its output
// streams, exit status and every file left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

const std::string USAGE =
    "Usage: SpinLoad -[leo58] infile [outfile]\r\n"
    "       Create OSI booting disk image from infile\r\n"
    "       Infile is expected to be 6502 OSI executable\r\n"
    "       -5 create 5.25\" disk image\r\n"
    "       -8 create 8\" disk image\r\n"
    "       -lxxxx specify load (target) address in hex for included file\r\n"
    "       -exxxx specify execution address in hex for included file\r\n"
    "       -n\"DiskName\" 6 chars per line disk label for OS65D Dir\r\n"
    "       -t Write Infile as single boot track with no processing of data\r\n"
    "       -o overwrite existing output file\r\n"
    " (ver 1.4b)\r\n";
const std::string NO_LOAD = "Error: -lxxxx Load Address Required\r\n";
const std::string TOO_BIG = "SpinLoad: input file is too big for floppy image!\r\n";
const std::string EMPTY = "SpinLoad: input file is empty!\r\n";
constexpr size_t MINI = 92160;
constexpr size_t FULL = 295680;

struct Case {
    const char* name;
    std::map<std::string, Bytes> setup;  // files present before the run
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
    std::string image;  // the file the run must write ("" for none)
    size_t image_size;
};

Bytes n_bytes(size_t n) { return pattern_bytes(n, static_cast<uint32_t>(n)); }

const Case CASES[] = {
    {"no arguments", {}, {}, 1, "", NO_LOAD, "", 0},
    {"input without -l", {{"game.bin", n_bytes(10)}}, {"game.bin"}, 1, "", NO_LOAD, "", 0},
    {"-l300 alone shows usage", {}, {"-l300"}, 0, USAGE, "", "", 0},
    {"unknown argument", {}, {"-q", "-l1", "x"}, 1, USAGE, " Unknown argument:-q\r\n", "", 0},
    {"bare -l", {}, {"-l"}, 1, USAGE, " Unknown argument:-l\r\n", "", 0},
    {"bare -e", {}, {"-l1", "-e", "x"}, 1, USAGE, " Unknown argument:-e\r\n", "", 0},
    {"option after the input is the output name", {{"game.bin", n_bytes(10)}}, {"game.bin", "-l300"}, 1, "", NO_LOAD, "", 0},
    {"missing input", {}, {"-l300", "nope.bin"}, 255, "", "SpinLoad: Can't open 'nope.bin' for input.\r\n", "", 0},
    {"default output name", {{"game.bin", n_bytes(5000)}}, {"-l0300", "game.bin"}, 0, "", "", "game.65d", MINI},
    {"prog.hex", {{"prog.hex", n_bytes(1)}}, {"-l300", "prog.hex"}, 0, "", "", "prog.65d", MINI},
    {"no extension", {{"PROGRAM", n_bytes(1)}}, {"-l300", "PROGRAM"}, 0, "", "", "PROGRAM.65d", MINI},
    {"explicit output used unchanged", {{"a.bin", n_bytes(1)}}, {"-l300", "a.bin", "disk"}, 0, "", "", "disk", MINI},
    {"dash output name", {{"in.bin", n_bytes(1)}}, {"-l300", "in.bin", "-o"}, 0, "", "", "-o", MINI},
    {"non-ASCII names", {{"caf\xC3\xA9.bin", n_bytes(1)}}, {"-l300", "-nCAF\xC3\x89", "caf\xC3\xA9.bin"}, 0, "", "", "caf\xC3\xA9.65d", MINI},
    {"8-inch", {{"a.bin", n_bytes(1)}}, {"-8", "-l300", "a.bin"}, 0, "", "", "a.65d", FULL},
    {"5.25 loader limit", {{"a.bin", n_bytes(75665)}}, {"-l200", "a.bin"}, 0, "", "", "a.65d", MINI},
    {"5.25 loader limit + 1", {{"a.bin", n_bytes(75666)}}, {"-l200", "a.bin"}, 1, "", TOO_BIG, "", 0},
    {"8-inch loader limit", {{"a.bin", n_bytes(227106)}}, {"-8", "-l0", "a.bin"}, 0, "", "", "a.65d", FULL},
    {"8-inch loader limit + 1", {{"a.bin", n_bytes(227107)}}, {"-8", "-l0", "a.bin"}, 1, "", TOO_BIG, "", 0},
    {"raw limit", {{"a.bin", n_bytes(2045)}}, {"-t", "a.bin"}, 0, "", "", "a.65d", MINI},
    {"raw limit + 1", {{"a.bin", n_bytes(2046)}}, {"-t", "a.bin"}, 1, "", TOO_BIG, "", 0},
    {"8-inch raw limit", {{"a.bin", n_bytes(3069)}}, {"-8", "-t", "a.bin"}, 0, "", "", "a.65d", FULL},
    {"8-inch raw limit + 1", {{"a.bin", n_bytes(3070)}}, {"-8", "-t", "a.bin"}, 1, "", TOO_BIG, "", 0},
    {"empty input", {{"e.bin", {}}}, {"-l300", "e.bin"}, 1, "", EMPTY, "", 0},
    {"empty input with existing output", {{"e.bin", {}}, {"e.65d", n_bytes(7)}}, {"-l300", "e.bin"}, 1, "", EMPTY, "", 0},
    {"existing output without -o", {{"a.bin", n_bytes(9)}, {"a.65d", n_bytes(123)}}, {"-l300", "a.bin"}, 1, "",
     "SpinLoad: Target file 'a.65d' exists. Use -o to overwrite\r\n", "", 0},
    {"-o over a longer file ends at the image size", {{"a.bin", n_bytes(9)}, {"a.65d", n_bytes(100000)}},
     {"-o", "-l300", "a.bin"}, 0, "", "", "a.65d", MINI},
    {"-o over a shorter file", {{"a.bin", n_bytes(9)}, {"a.65d", n_bytes(5)}}, {"-O", "-l300", "a.bin"}, 0, "", "", "a.65d", MINI},
    {"input is its own default output", {{"x.65d", n_bytes(50)}}, {"-l300", "x.65d"}, 1, "",
     "SpinLoad: Target file 'x.65d' exists. Use -o to overwrite\r\n", "", 0},
    {"output in a missing directory", {{"a.bin", n_bytes(1)}}, {"-l300", "a.bin", "nodir/out.65d"}, 1, "",
     "SpinLoad: Can't open 'nodir/out.65d' for output.\r\n", "", 0},
};

class SpinLoadRun : public ::testing::Test {
  protected:
    TempDir dir;
    ProcessResult run(std::vector<std::string> args, const ProcessOptions& extra = {}) {
        args.insert(args.begin(), spinload_binary());
        ProcessOptions options = extra;
        options.working_directory = dir.path().string();
        return run_process(args, options);
    }
};

TEST_F(SpinLoadRun, MessagesStatusesAndFiles) {
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.name);
        TempDir case_dir;
        for (const auto& [name, bytes] : c.setup) write_file(case_dir.file(name), bytes);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), spinload_binary());
        ProcessOptions options;
        options.working_directory = case_dir.path().string();
        const ProcessResult r = run_process(args, options);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);

        std::vector<std::string> expected_names;
        for (const auto& entry : c.setup) expected_names.push_back(entry.first);
        if (!c.image.empty() && !c.setup.count(c.image)) expected_names.push_back(c.image);
        std::sort(expected_names.begin(), expected_names.end());
        EXPECT_EQ(case_dir.listing(), expected_names);
        for (const auto& [name, bytes] : c.setup) {
            if (name == c.image) continue;
            EXPECT_EQ(read_file(case_dir.file(name)), bytes) << name << " changed";
        }
        if (!c.image.empty()) {
            EXPECT_EQ(read_file(case_dir.file(c.image)).size(), c.image_size);
        }
    }
}

TEST_F(SpinLoadRun, InputThatIsItsOwnOutputIsReadBeforeTheImageReplacesIt) {
    const Bytes program = n_bytes(3000);
    write_file(dir.file("x.65d"), program);
    const ProcessResult r = run({"-o", "-l0300", "x.65d"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes image = read_file(dir.file("x.65d"));
    ASSERT_EQ(image.size(), MINI);
    // Track 1 carries the first 2045 program bytes, track 2 the rest.
    EXPECT_TRUE(std::equal(program.begin(), program.begin() + 2045, image.begin() + 2304 + 10));
    EXPECT_TRUE(std::equal(program.begin() + 2045, program.end(), image.begin() + 2 * 2304 + 10));
}

TEST_F(SpinLoadRun, ReplacingKeepsPermissionBits) {
    write_file(dir.file("a.bin"), n_bytes(10));
    write_file(dir.file("a.65d"), n_bytes(10));
    ASSERT_EQ(chmod(dir.file("a.65d").c_str(), 0640), 0);
    ASSERT_EQ(run({"-o", "-l300", "a.bin"}).status, 0);
    struct stat st {};
    ASSERT_EQ(stat(dir.file("a.65d").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.65d", "a.bin"}));
}

TEST_F(SpinLoadRun, DirectoriesAreNotFiles) {
    std::filesystem::create_directory(dir.path() / "d.bin");
    write_file(dir.file("a.bin"), n_bytes(10));
    ProcessResult r = run({"-l300", "d.bin"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "SpinLoad: Can't open 'd.bin' for input.\r\n");
    r = run({"-o", "-l300", "a.bin", "d.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "SpinLoad: Can't open 'd.bin' for output.\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "d.bin"));
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.bin", "d.bin"}));
}

TEST_F(SpinLoadRun, FullDeviceIsAWriteFailure) {
    write_file(dir.file("a.bin"), n_bytes(10));
    const ProcessResult r = run({"-o", "-l300", "a.bin", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "SpinLoad: Can't write '/dev/full'.\r\n");
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.bin"}));
    // Without -o the device is an existing file like any other.
    EXPECT_EQ(run({"-l300", "a.bin", "/dev/full"}).err, "SpinLoad: Target file '/dev/full' exists. Use -o to overwrite\r\n");
}

TEST_F(SpinLoadRun, StreamsAreReadUpToOnePastTheLimit) {
    struct StreamCase { const char* name; std::vector<std::string> args; bool feed; std::string data; int status; std::string err; };
    const StreamCase cases[] = {
        {"pipe", {"-l300", "/dev/stdin", "p.65d"}, true, std::string(5000, 'x'), 0, ""},
        {"empty pipe", {"-l300", "/dev/stdin", "p.65d"}, true, "", 1, EMPTY},
        {"too much from a pipe", {"-l300", "/dev/stdin", "p.65d"}, true, std::string(75666, 'x'), 1, TOO_BIG},
        {"exactly the limit from a pipe", {"-l300", "/dev/stdin", "p.65d"}, true, std::string(75665, 'x'), 0, ""},
        {"raw boot from a pipe, too big", {"-t", "/dev/stdin", "p.65d"}, true, std::string(2046, 'x'), 1, TOO_BIG},
        {"/dev/zero never ends", {"-l300", "/dev/zero", "p.65d"}, false, "", 1, TOO_BIG},
    };
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.path() / "p.65d");
        ProcessOptions options;
        options.feed_stdin = c.feed;
        options.stdin_data = c.data;
        const ProcessResult r = run(c.args, options);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(file_exists(dir.file("p.65d")), c.status == 0);
        if (c.status == 0) {
            const Bytes image = read_file(dir.file("p.65d"));
            ASSERT_EQ(image.size(), MINI);
            EXPECT_EQ(image[2304 + 10], 'x');
        }
    }
}

TEST_F(SpinLoadRun, LongNamesAreUsedWhole) {
    // 200 characters fit a file-system name; nothing may cut them.
    const std::string stem(200, 'n');
    write_file(dir.file(stem + ".bin"), n_bytes(10));
    EXPECT_EQ(run({"-l300", stem + ".bin"}).status, 0);
    EXPECT_TRUE(file_exists(dir.file(stem + ".65d")));
    // 300 characters do not: the name is refused as it stands, not cut.
    const std::string too_long(300, 'm');
    const ProcessResult r = run({"-l300", stem + ".bin", too_long});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "SpinLoad: Can't open '" + too_long + "' for output.\r\n");
}

}  // namespace
