// spindisk convert and the other commands on HFE files and osiemu bit
// streams, end to end: SpinLoad makes an image, the real spindisk converts,
// lists, extracts and boots it in a temporary directory; streams, status and
// every file left behind compared.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

const std::string USAGE_HINT = "Try 'spindisk convert --help'.\n";

struct Workspace {
    TempDir dir;
    ProcessResult spindisk(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {spindisk_binary()};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessOptions options;
        options.working_directory = dir.path().string();
        return run_process(argv, options);
    }
    // SpinLoad's image of a 5000-byte program at $0300, as disk.65d.
    void make_image(bool eight_inch) {
        write_file(dir.file("prog.bin"), pattern_bytes(5000));
        std::vector<std::string> argv = {spinload_binary(), "-l0300"};
        if (eight_inch) argv.push_back("-8");
        argv.push_back(dir.file("prog.bin"));
        argv.push_back(dir.file("disk.65d"));
        ASSERT_EQ(run_process(argv).status, 0);
    }
};

// There and back: every byte SpinLoad wrote comes back, which is every
// byte that fits in a revolution (2139 of 2304, 3715 of 3840).
TEST(SpindiskConvert, RoundTripsGiveBackTheImage) {
    struct Case {
        const char* name;
        bool eight_inch;
        const char* out;
        std::string wrote;  // the first line for the bit file
        std::string title;  // what list says the bit file is
        const char* lead_in;
        std::string fit;    // how much of a slot fits, and what is lost
        std::string slot;
    };
    const Case cases[] = {
        {"5.25-inch HFE", false, "disk.hfe", "HFE file, 5.25-inch, 40 tracks, 1004544 bytes", "HFE file, 40 tracks",
         "11700", "2139", "2304"},
        {"5.25-inch stream", false, "disk.os5", "osiemu bit stream, 5.25-inch, 40 tracks, 133376 bytes",
         "osiemu bit stream, 40 tracks", "11700", "2139", "2304"},
        {"8-inch HFE", true, "disk.hfe", "HFE file, 8-inch, 77 tracks, 3233792 bytes", "HFE file, 77 tracks", "3200",
         "3715", "3840"},
        {"8-inch stream", true, "disk.os8", "osiemu bit stream, 8-inch, 77 tracks, 414208 bytes",
         "osiemu bit stream, 77 tracks", "3200", "3715", "3840"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace run;
        run.make_image(c.eight_inch);
        const ProcessResult there = run.spindisk({"convert", "disk.65d", c.out});
        EXPECT_EQ(there.status, 0) << there.err;
        EXPECT_EQ(there.err, "");
        EXPECT_EQ(there.out, "wrote '" + std::string(c.out) + "': " + c.wrote + "\nlead-in " + c.lead_in + " us: " +
                                 c.fit + " of each track's " + c.slot + " bytes fit in the revolution\n");

        const ProcessResult back = run.spindisk({"convert", c.out, "back.65d"});
        EXPECT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(back.err, "");
        const std::string lost = std::to_string(std::stoul(c.slot) - std::stoul(c.fit));
        const std::string source = c.title + ", decoded: " + c.fit + " bytes of each " + c.slot + "-byte slot";
        EXPECT_EQ(back.out, "wrote 'back.65d': .65d image, " + std::string(c.eight_inch ? "8-inch, 77" : "5.25-inch, 40") +
                                " tracks, " + (c.eight_inch ? "295680" : "92160") + " bytes\nread from '" + c.out +
                                "': " + source + "\n" + lost + " bytes of each track's " + c.slot +
                                " could not be recovered and are zero\n");
        EXPECT_EQ(read_file(run.dir.file("back.65d")), read_file(run.dir.file("disk.65d")));

        const ProcessResult listed = run.spindisk({"list", c.out});
        EXPECT_EQ(listed.status, 0);
        EXPECT_NE(listed.out.find(" bytes)\nRead from: " + source + "\nBoot: SpinLoad's boot loader"),
                  std::string::npos)
            << listed.out;
        const ProcessResult extracted = run.spindisk({"extract", c.out, "prog.out"});
        EXPECT_EQ(extracted.status, 0) << extracted.err;
        EXPECT_EQ(read_file(run.dir.file("prog.out")), read_file(run.dir.file("prog.bin")));
        EXPECT_EQ(run.dir.listing(),
                  (std::vector<std::string>{"back.65d", "disk.65d", c.out, "prog.bin", "prog.out"}));
    }
}

// A parity bit flipped in a stream: the byte is still read, and list,
// extract and convert say which track had the error. Track 1's first frame
// starts 1463 bit times after the index (11700 us at 125 kbit/s); its parity
// bit is bit time 1472, the top bit of byte 184 of the track's block.
TEST(SpindiskConvert, ReportsDecodingErrorsPerTrack) {
    Workspace run;
    run.make_image(false);
    ASSERT_EQ(run.spindisk({"convert", "disk.65d", "disk.os5"}).status, 0);
    Bytes stream = read_file(run.dir.file("disk.os5"));
    stream[256 + 3328 + 184] ^= 0x80;
    write_file(run.dir.file("disk.os5"), stream);
    const std::string problem = "track 1: 1 parity error, 0 framing errors";

    const ProcessResult listed = run.spindisk({"list", "disk.os5"});
    EXPECT_NE(listed.out.find("2304-byte slot\n  " + problem + "\nBoot:"), std::string::npos) << listed.out;
    const ProcessResult json = run.spindisk({"list", "--json", "disk.os5"});
    EXPECT_NE(json.out.find("\"source\":{\"kind\":\"osi_stream\",\"decoded_bytes\":[2139,2139,"), std::string::npos);
    EXPECT_NE(json.out.find("\"parity_errors\":[0,1,0,"), std::string::npos) << json.out;
    const std::string warning = "spindisk: warning: 'disk.os5': " + problem + "\n";
    const ProcessResult extracted = run.spindisk({"extract", "disk.os5", "prog.out"});
    EXPECT_EQ(extracted.err, warning);
    EXPECT_EQ(read_file(run.dir.file("prog.out")), read_file(run.dir.file("prog.bin")));
    const ProcessResult converted = run.spindisk({"convert", "disk.os5", "back.65d"});
    EXPECT_EQ(converted.status, 0);
    EXPECT_EQ(converted.err, warning);
    EXPECT_EQ(read_file(run.dir.file("back.65d")), read_file(run.dir.file("disk.65d")));
}

TEST(SpindiskConvert, RefusesAndLeavesNothingBehind) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"no output", {"convert", "disk.65d"}, 2, "spindisk: missing OUT\n" + USAGE_HINT},
        {"unknown extension", {"convert", "disk.65d", "disk.img"}, 2,
         "spindisk: the extension of 'disk.img' names no disk format: use .65d, .hfe, .os5 or .os8\n" + USAGE_HINT},
        {"8-inch stream of a 5.25-inch disk", {"convert", "disk.65d", "disk.os8"}, 2,
         "spindisk: 'disk.os8' is an 8-inch bit stream, but 'disk.65d' is a 5.25-inch disk: name it .os5\n" +
             USAGE_HINT},
        {"lead-in for a .65d", {"convert", "disk.65d", "x.65d", "--lead-in-us", "5000"}, 2,
         "spindisk: --lead-in-us applies to writing .hfe, .os5 or .os8\n" + USAGE_HINT},
        {"lead-in for a file with its own timing", {"convert", "disk.os5", "x.hfe", "--lead-in-us", "5000"}, 2,
         "spindisk: --lead-in-us applies to .65d images; 'disk.os5' carries its own timing\n" + USAGE_HINT},
        {"output exists", {"convert", "disk.65d", "disk.os5"}, 1,
         "spindisk: 'disk.os5' exists (use --force to overwrite)\n"},
        {"a byte past the revolution", {"convert", "late.65d", "x.hfe"}, 1,
         "spindisk: 1 non-zero bytes do not fit in a revolution after a lead-in of 11700 us (tracks 5)\n"
         "spindisk: shorten --lead-in-us, or use 'spindisk hfe --allow-truncation' to drop them\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace run;
        run.make_image(false);
        ASSERT_EQ(run.spindisk({"convert", "disk.65d", "disk.os5"}).status, 0);
        Bytes late(92160, 0);
        late[5 * 2304 + 2200] = 1;
        write_file(run.dir.file("late.65d"), late);
        const std::vector<std::string> before = run.dir.listing();
        const Bytes stream = read_file(run.dir.file("disk.os5"));
        const ProcessResult result = run.spindisk(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(run.dir.listing(), before);
        EXPECT_EQ(read_file(run.dir.file("disk.os5")), stream);
    }
}

// Every command reads the disk through the same step, so each gives the
// reader's own message for an HFE file it cannot read.
TEST(SpindiskConvert, EveryCommandGivesTheReadersMessage) {
    const std::vector<std::vector<std::string>> commands = {
        {"list", "v3.hfe"},          {"list", "--json", "v3.hfe"}, {"extract", "v3.hfe", "out.bin"},
        {"boot", "v3.hfe"},          {"hfe", "v3.hfe", "out.hfe"}, {"convert", "v3.hfe", "out.65d"},
    };
    for (const std::vector<std::string>& args : commands) {
        SCOPED_TRACE(args[0]);
        Workspace run;
        Bytes v3(1004544, 0);
        const std::string signature = "HXCHFEV3";
        std::copy(signature.begin(), signature.end(), v3.begin());
        write_file(run.dir.file("v3.hfe"), v3);
        const ProcessResult result = run.spindisk(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "spindisk: 'v3.hfe': HFE version 3 is not supported\n");
        EXPECT_EQ(run.dir.listing(), std::vector<std::string>{"v3.hfe"});
    }
}

}  // namespace
