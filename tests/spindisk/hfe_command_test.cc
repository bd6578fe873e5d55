// spindisk hfe end to end: SpinLoad makes an image, the real spindisk writes
// the HFE file in a temporary directory; streams, status and files compared.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

const std::string USAGE_HINT = "Try 'spindisk hfe --help'.\n";

struct Workspace {
    TempDir dir;
    ProcessResult spindisk(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {spindisk_binary(), "hfe"};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessOptions options;
        options.working_directory = dir.path().string();
        return run_process(argv, options);
    }
    // SpinLoad's image of a program in this directory.
    void make_image(const std::string& name, const Bytes& program, bool eight_inch) {
        write_file(dir.file("prog.bin"), program);
        std::vector<std::string> argv = {spinload_binary(), "-l0300"};
        if (eight_inch) argv.push_back("-8");
        argv.push_back(dir.file("prog.bin"));
        argv.push_back(dir.file(name));
        const ProcessResult made = run_process(argv);
        ASSERT_EQ(made.status, 0) << made.err;
    }
};

uint16_t u16_at(const Bytes& file, size_t offset) {
    return static_cast<uint16_t>(file[offset] | file[offset + 1] << 8);
}

struct FormatCase {
    const char* name;
    bool eight_inch;
    std::string out;
    size_t file_size;   // (2 + tracks * blocks) * 512
    uint8_t tracks;
    uint16_t kbps, rpm;
    uint16_t track_length;  // both sides: 2 * ceil(bits per revolution / 2)
    uint16_t blocks;
};

const FormatCase FORMATS[] = {
    {"5.25-inch", false,
     "wrote disk.hfe: 5.25-inch, 40 tracks, 1004544 bytes\n"
     "each track: one revolution of 25000 bit times at 125 kbit/s and 300 rpm, 12500 HFE bytes per side"
     " (header: 250 kbit/s)\n"
     // (25000 - 11.7 ms * 125000/s) / 11 bits a frame: 2139 whole frames.
     "lead-in 11700 us: 2139 of each track's 2304 bytes fit in the revolution\n",
     (2 + 40 * 49) * 512, 40, 250, 300, 25000, 49},
    {"8-inch", true,
     "wrote disk.hfe: 8-inch, 77 tracks, 3233792 bytes\n"
     "each track: one revolution of 41667 bit times at 250 kbit/s and 360 rpm, 20834 HFE bytes per side"
     " (header: 500 kbit/s)\n"
     // (41667 - 800) / 11 = 3715.2.
     "lead-in 3200 us: 3715 of each track's 3840 bytes fit in the revolution\n",
     (2 + 77 * 82) * 512, 77, 500, 360, 41668, 82},
};

TEST(SpindiskHfe, WritesAFileForEachFormat) {
    for (const FormatCase& c : FORMATS) {
        SCOPED_TRACE(c.name);
        Workspace run;
        run.make_image("disk.65d", pattern_bytes(5000), c.eight_inch);
        const ProcessResult result = run.spindisk({"disk.65d", "disk.hfe"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, c.out);
        const Bytes file = read_file(run.dir.file("disk.hfe"));
        ASSERT_EQ(file.size(), c.file_size);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "HXCPICFE");
        EXPECT_EQ(file[9], c.tracks);
        EXPECT_EQ(file[10], 2);
        EXPECT_EQ(u16_at(file, 12), c.kbps);
        EXPECT_EQ(u16_at(file, 14), c.rpm);
        EXPECT_EQ(u16_at(file, 18), 1);
        const size_t last = c.tracks - 1u;
        EXPECT_EQ(u16_at(file, 512 + 4 * last), 2 + last * c.blocks);
        EXPECT_EQ(u16_at(file, 512 + 4 * last + 2), c.track_length);
        EXPECT_EQ(run.dir.listing(), (std::vector<std::string>{"disk.65d", "disk.hfe", "prog.bin"}));
    }
}

TEST(SpindiskHfe, ReplacesAnExistingFileOnlyWithForce) {
    Workspace run;
    run.make_image("disk.65d", pattern_bytes(100), false);
    const Bytes old = {'o', 'l', 'd'};
    write_file(run.dir.file("disk.hfe"), old);

    const ProcessResult refused = run.spindisk({"disk.65d", "disk.hfe"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "spindisk: 'disk.hfe' exists (use --force to overwrite)\n");
    EXPECT_EQ(read_file(run.dir.file("disk.hfe")), old);

    const ProcessResult forced = run.spindisk({"--force", "disk.65d", "disk.hfe"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(read_file(run.dir.file("disk.hfe")).size(), 1004544u);
    EXPECT_EQ(run.dir.listing(), (std::vector<std::string>{"disk.65d", "disk.hfe", "prog.bin"}));
}

// A lead-in inside the index pulse is written, with a warning; the first
// frame starts 3 ms * 125000/s = 375 bit times after the index.
TEST(SpindiskHfe, WarnsOfALeadInInsideTheIndexPulse) {
    Workspace run;
    run.make_image("disk.65d", pattern_bytes(100), false);
    const ProcessResult result = run.spindisk({"disk.65d", "disk.hfe", "--lead-in-us", "3000"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "spindisk: warning: the lead-in of 3000 us is shorter than the index pulse (5500 us): the sector mark "
              "passes during the index pulse and the disk will not boot\n");
    const Bytes file = read_file(run.dir.file("disk.hfe"));
    ASSERT_EQ(file.size(), 1004544u);
    // Track 1 from block 51: bit times 0-373 idle ($22), 374 idle and 375 the
    // start bit of 'C' ($A2 at byte 187), then 'C's first data bit, a 1.
    const size_t track1 = 51 * 512;
    for (size_t i = 0; i < 187; i++) ASSERT_EQ(file[track1 + i], 0x22) << "byte " << i;
    EXPECT_EQ(file[track1 + 187], 0xA2);
    EXPECT_EQ(file[track1 + 188] & 0x0F, 0x2);
}

// A lead-in of 150 ms leaves room for (25000 - 18750) / 11 = 568 frames. With
// 5000 bytes of $FF, tracks 1 and 2 lose slot bytes 568-2054 (1487 each),
// track 3 (910 bytes, slot 10-919) loses 568-919 (352): 3326 in all.
TEST(SpindiskHfe, RefusesToDropBytesUnlessAllowed) {
    Workspace run;
    run.make_image("disk.65d", Bytes(5000, 0xFF), false);
    const std::string loss =
        "3326 non-zero bytes do not fit in a revolution after a lead-in of 150000 us (tracks 1, 2, 3)";

    const ProcessResult refused = run.spindisk({"disk.65d", "disk.hfe", "--lead-in-us=150000"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "spindisk: " + loss +
                               "\nspindisk: shorten --lead-in-us, or give --allow-truncation to write the file "
                               "without them\n");
    EXPECT_FALSE(file_exists(run.dir.file("disk.hfe")));

    const ProcessResult allowed =
        run.spindisk({"disk.65d", "disk.hfe", "--lead-in-us=150000", "--allow-truncation"});
    EXPECT_EQ(allowed.status, 0);
    EXPECT_EQ(allowed.err, "spindisk: warning: " + loss + " and are left out\n");
    EXPECT_EQ(read_file(run.dir.file("disk.hfe")).size(), 1004544u);
}

TEST(SpindiskHfe, RefusesBadUsageAndBadImages) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"nothing", {}, 2, "spindisk: missing IMAGE and OUT.hfe\n" + USAGE_HINT},
        {"no output", {"disk.65d"}, 2, "spindisk: missing OUT.hfe\n" + USAGE_HINT},
        {"three names", {"disk.65d", "a.hfe", "b.hfe"}, 2, "spindisk: unexpected argument 'b.hfe'\n" + USAGE_HINT},
        {"unknown option", {"--fast", "disk.65d", "a.hfe"}, 2, "spindisk: unknown option '--fast'\n" + USAGE_HINT},
        {"lead-in without a value", {"disk.65d", "a.hfe", "--lead-in-us"}, 2,
         "spindisk: option '--lead-in-us' needs a value\n" + USAGE_HINT},
        {"lead-in not a number", {"disk.65d", "a.hfe", "--lead-in-us", "soon"}, 2,
         "spindisk: --lead-in-us needs a number of microseconds, not 'soon'\n" + USAGE_HINT},
        {"negative lead-in", {"disk.65d", "a.hfe", "--lead-in-us", "-5"}, 2,
         "spindisk: --lead-in-us needs a number of microseconds, not '-5'\n" + USAGE_HINT},
        {"lead-in of a whole revolution", {"disk.65d", "a.hfe", "--lead-in-us", "200000"}, 2,
         "spindisk: --lead-in-us must be shorter than a revolution (200000 us)\n" + USAGE_HINT},
        {"missing image", {"none.65d", "a.hfe"}, 1, "spindisk: cannot open 'none.65d': no such file\n"},
        {"not an image", {"prog.bin", "a.hfe"}, 1,
         "spindisk: 'prog.bin' is 100 bytes; an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n"},
        {"larger than any image", {"big.65d", "a.hfe"}, 1,
         "spindisk: 'big.65d' is 295681 bytes; an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n"},
        {"output in a missing directory", {"disk.65d", "no/such/a.hfe"}, 1,
         "spindisk: cannot open 'no/such/a.hfe' for writing\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace run;
        run.make_image("disk.65d", pattern_bytes(100), false);
        write_file(run.dir.file("big.65d"), Bytes(295681, 0));
        const ProcessResult result = run.spindisk(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(run.dir.listing(), (std::vector<std::string>{"big.65d", "disk.65d", "prog.bin"}));
    }
}

TEST(SpindiskHfe, HelpShowsTheUsage) {
    Workspace run;
    const ProcessResult result = run.spindisk({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("Usage: spindisk hfe IMAGE OUT.hfe", 0), 0u) << result.out;
}

}  // namespace
