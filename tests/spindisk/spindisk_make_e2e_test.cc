// spindisk make as a user runs it: the same bytes as SpinLoad for raw input,
// the summary, the other output formats, and every refusal leaving no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "loader/fast_loader.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Args = std::vector<std::string>;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

ProcessResult spindisk(const Args& args, const ProcessOptions& options = {}) {
    Args argv = {spindisk_binary()};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_process(argv, options);
}

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(SpindiskMakeE2E, RawInputGivesSpinLoadsBytes) {
    const struct {
        const char* name;
        size_t size;
        Args spinload;
        Args make;
    } cases[] = {
        {"load only", 36, {"-l0300"}, {"--load", "0300"}},
        {"load and start, = form", 5000, {"-l0300", "-e0456"}, {"--load=$0300", "--start=0x456"}},
        {"8-inch", 7000, {"-8", "-l1000"}, {"--disk", "8", "--load", "1000"}},
        {"label", 100, {"-l0300", "-nMY GAME DISK"}, {"--load", "300", "--label", "MY GAME DISK"}},
        {"label cut by the terminator", 21000, {"-l0300", "-nMY GAME"}, {"--load", "0300", "--label", "MY GAME"}},
        {"boot track", 1000, {"-t"}, {"--boot-track"}},
        {"the standard loader named", 5000, {"-l0300"}, {"--load", "0300", "--loader", "standard"}},
        {"boot track, 8-inch, load given", 3000, {"-8", "-t", "-l2200"}, {"--disk", "8", "--boot-track", "--load", "2200"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("prog.bin"), pattern_bytes(c.size, 7));
        Args spinload = {spinload_binary()};
        spinload.insert(spinload.end(), c.spinload.begin(), c.spinload.end());
        spinload.insert(spinload.end(), {dir.file("prog.bin"), dir.file("spinload.65d")});
        ASSERT_EQ(run_process(spinload).status, 0);
        Args make = {"make", dir.file("prog.bin"), "-o", dir.file("make.65d"), "-q"};
        make.insert(make.end(), c.make.begin(), c.make.end());
        const ProcessResult r = spindisk(make);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(read_file(dir.file("make.65d")), read_file(dir.file("spinload.65d")));
    }
}

TEST(SpindiskMakeE2E, SummarySaysWhatWasWritten) {
    TempDir dir;
    write_file(dir.file("hello.bin"), read_file(std::string(SPIN_SOURCE_DIR) + "/examples/hello.bin"));
    const ProcessResult r = spindisk({"make", dir.file("hello.bin"), "--load", "0300"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string expected_head = "wrote " + dir.file("hello.65d") +
                                      ": .65d image, 5.25-inch disk\n"
                                      "program: $0300-$0323, 36 bytes (raw program)\n"
                                      "tracks: boot loader on 0, data on 1, terminator on 2\n"
                                      "start: $0300\n"
                                      "label: SPIN / LOAD / IS NOT / OS65D (default)\n"
                                      "verified: starts after ";
    EXPECT_EQ(r.out.substr(0, expected_head.size()), expected_head);
    EXPECT_TRUE(r.out.size() > expected_head.size() && contains(r.out.substr(expected_head.size()), " s at 983040 Hz\n"))
        << r.out;
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"hello.65d", "hello.bin"}));
}

TEST(SpindiskMakeE2E, OtherOutputsAreWhatTheirWritersWrite) {
    TempDir dir;
    write_file(dir.file("p.bin"), pattern_bytes(3000, 3));
    ASSERT_EQ(spindisk({"make", dir.file("p.bin"), "--load", "0400", "-q"}).status, 0);
    ASSERT_EQ(spindisk({"hfe", dir.file("p.65d"), dir.file("by_hfe.hfe")}).status, 0);
    ASSERT_EQ(spindisk({"make", dir.file("p.bin"), "--load", "0400", "-o", dir.file("p.hfe"), "-q"}).status, 0);
    EXPECT_EQ(read_file(dir.file("p.hfe")), read_file(dir.file("by_hfe.hfe")));

    // The osiemu stream: a 256-byte header block, then 40 tracks of 3328 bytes.
    ASSERT_EQ(spindisk({"make", dir.file("p.bin"), "--load", "0400", "--output-format", "osi", "-q"}).status, 0);
    const Bytes stream = read_file(dir.file("p.os5"));
    ASSERT_EQ(stream.size(), 256u + 40u * 3328u);
    EXPECT_EQ(std::string(stream.begin(), stream.begin() + 16), "OSIDISKBITSTREAM");

    // Standard input to standard output: the same image, the summary on stderr.
    ProcessOptions piped;
    piped.feed_stdin = true;
    const Bytes program = read_file(dir.file("p.bin"));
    piped.stdin_data.assign(program.begin(), program.end());
    const ProcessResult r = spindisk({"make", "-", "--load", "0400", "-o", "-"}, piped);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(bytes_of(r.out), read_file(dir.file("p.65d")));
    EXPECT_EQ(r.err.rfind("wrote standard output: .65d image, 5.25-inch disk\n", 0), 0u) << r.err;
}

TEST(SpindiskMakeE2E, RefusalsLeaveNoFile) {
    const std::string hex_bad_checksum = ":03030000A9016000\n:00000001FF\n";
    const std::string monitor_without_g = ".0300/A9\r01\r60\r";
    const struct {
        const char* name;
        std::string input;  // written to in.bin
        Args options;
        int status;
        const char* err;  // exact, with IN for the input's path
    } cases[] = {
        {"raw without --load", "\xA9\x01\x60", {}, 2,
         "spindisk: 'IN' is a raw program: give its load address with --load\nTry 'spindisk make --help'.\n"},
        {"a typo in the address", "\xA9\x01\x60", {"--load", "0x0300x"}, 2,
         "spindisk: --load wants an address of one to four hex digits ($0300, 0x0300, 0300), not '0x0300x'\n"
         "Try 'spindisk make --help'.\n"},
        {"--load for a HEX file", ":03030000A90160F0\n:00000001FF\n", {"--load", "0300"}, 2,
         "spindisk: --load is for raw input; 'IN' is Intel HEX, which names its own addresses "
         "(--input-format raw reads it as bytes)\nTry 'spindisk make --help'.\n"},
        {"--start for boot track code", "\xEA", {"--boot-track", "--start", "0300"}, 2,
         "spindisk: --boot-track code starts at $2200; --start does not apply\nTry 'spindisk make --help'.\n"},
        {"an unknown loader", "\xEA", {"--loader", "slow", "--load", "0300"}, 2,
         "spindisk: --loader wants standard or fast, not 'slow'\nTry 'spindisk make --help'.\n"},
        {"a loader for boot track code", "\xEA", {"--boot-track", "--loader", "fast"}, 2,
         "spindisk: --boot-track puts the code itself on track 0; --loader fast does not apply\n"
         "Try 'spindisk make --help'.\n"},
        {"an unknown input format", "\xEA", {"--input-format", "bin", "--load", "0300"}, 2,
         "spindisk: --input-format wants auto, raw, 65v, cc65, ihex or srec, not 'bin'\nTry 'spindisk make --help'.\n"},
        {"a bad checksum", hex_bad_checksum, {}, 1, "spindisk: 'IN' line 1: checksum $00 should be $F0\n"},
        {"65V without a G", monitor_without_g, {}, 1,
         "spindisk: 'IN' names no start address (no G): give one with --start\n"},
        {"an .os8 name for a 5.25-inch disk", "\xA9\x01\x60", {"--load", "0300", "-o", "out.os8"}, 2,
         "spindisk: an osiemu stream of a 5.25-inch disk is named *.os5, not 'out.os8'\nTry 'spindisk make --help'.\n"},
        {"too big", std::string(75666, '\xEA'), {"--load", "0300"}, 1,
         "spindisk: the program is 75666 bytes; a 5.25-inch disk holds at most 75665\n"},
        {"empty", "", {"--load", "0300"}, 1, "spindisk: 'IN' is empty\n"},
        {"the loader's memory ($0000-$00F5)", "\xA9\x01\x60", {"--load", "0080", "-q"}, 1, nullptr},
        {"a boot that fails", std::string(600, '\xEA'), {"--load", "BF00", "--allow-errors", "-q"}, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("in.bin"), bytes_of(c.input));
        Args args = {"make", "in.bin"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ProcessOptions in_dir;
        in_dir.working_directory = dir.path().string();
        const ProcessResult r = spindisk(args, in_dir);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        if (c.err) {
            std::string expected = c.err;
            const std::string placeholder = "'IN'";
            for (size_t at; (at = expected.find(placeholder)) != std::string::npos;) {
                expected.replace(at, placeholder.size(), "'in.bin'");
            }
            EXPECT_EQ(r.err, expected);
        }
        EXPECT_EQ(dir.listing(), std::vector<std::string>{"in.bin"});
    }
}

TEST(SpindiskMakeE2E, TheFastLoaderOnTrackZero) {
    // 9000 bytes: three 8-inch data tracks (3069 + 3069 + 2862), terminator on 4.
    TempDir dir;
    write_file(dir.file("p.bin"), pattern_bytes(9000, 8));
    ASSERT_EQ(run_process({spinload_binary(), "-8", "-l0300", "-e0456", dir.file("p.bin"), dir.file("s.65d")}).status, 0);
    const ProcessResult made = spindisk(
        {"make", dir.file("p.bin"), "--load", "0300", "--start", "0456", "--disk", "8", "--loader", "fast", "-o", dir.file("f.65d")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_TRUE(contains(made.out, "\ntracks: fast boot loader on 0, data on 1-3, terminator on 4\n")) << made.out;
    EXPECT_TRUE(contains(made.out, " s at 983040 Hz\n")) << made.out;  // proven on a 1 MHz machine

    // Track 0: the boot header 22 00 02, the fast loader, its jump to $0456;
    // every other track as SpinLoad writes it.
    const Bytes fast = read_file(dir.file("f.65d"));
    const Bytes standard = read_file(dir.file("s.65d"));
    constexpr size_t SLOT = 3840;
    ASSERT_EQ(fast.size(), 77 * SLOT);
    ASSERT_EQ(standard.size(), fast.size());
    EXPECT_TRUE(std::equal(fast.begin() + SLOT, fast.end(), standard.begin() + SLOT));
    Bytes track0(fast.begin(), fast.begin() + SLOT);
    EXPECT_EQ(Bytes(track0.begin(), track0.begin() + 3), (Bytes{0x22, 0x00, 0x02}));
    EXPECT_EQ(track0[3 + FAST_LOADER_EXEC_LOW_OFFSET], 0x56);
    EXPECT_EQ(track0[3 + FAST_LOADER_EXEC_HIGH_OFFSET], 0x04);
    track0[3 + FAST_LOADER_EXEC_LOW_OFFSET] = track0[3 + FAST_LOADER_EXEC_HIGH_OFFSET] = 0;
    EXPECT_TRUE(std::equal(FAST_LOADER_IMAGE.begin(), FAST_LOADER_IMAGE.end(), track0.begin() + 3));

    const ProcessResult listed = spindisk({"list", "--json", dir.file("f.65d")});
    EXPECT_EQ(listed.status, 0);
    EXPECT_TRUE(contains(listed.out, R"("boot":{"mode":"fast_loader",)")) << listed.out;
    EXPECT_TRUE(contains(listed.out, R"("min_cpu_hz":863637,)")) << listed.out;
    for (const char* hz : {"983040", "1966080"}) {
        SCOPED_TRACE(hz);
        const ProcessResult booted = spindisk({"boot", dir.file("f.65d"), "--expect", dir.file("p.bin"), "--cpu-hz", hz});
        EXPECT_EQ(booted.status, 0) << booted.out;
        EXPECT_TRUE(contains(booted.out, "Started at $0456 after ")) << booted.out;
    }
    ASSERT_EQ(spindisk({"extract", dir.file("f.65d"), dir.file("back.bin")}).status, 0);
    EXPECT_EQ(read_file(dir.file("back.bin")), read_file(dir.file("p.bin")));
}

TEST(SpindiskMakeE2E, RefusedDisksSayWhy) {
    TempDir dir;
    write_file(dir.file("low.bin"), pattern_bytes(100, 5));
    const ProcessResult findings = spindisk({"make", dir.file("low.bin"), "--load", "0080"});
    EXPECT_EQ(findings.status, 1);
    EXPECT_TRUE(contains(findings.err, "spindisk: error: ")) << findings.err;
    EXPECT_TRUE(contains(findings.err, "\nspindisk: nothing written; --allow-errors writes it anyway\n")) << findings.err;

    write_file(dir.file("io.bin"), pattern_bytes(600, 5));
    const ProcessResult boot = spindisk({"make", dir.file("io.bin"), "--load", "BF00", "--allow-errors"});
    EXPECT_EQ(boot.status, 1);
    EXPECT_TRUE(contains(boot.err, "\nspindisk: Boot failed: ")) << boot.err;
    EXPECT_TRUE(contains(boot.err, "\nspindisk: nothing written; --no-verify writes it without booting it\n")) << boot.err;
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"io.bin", "low.bin"}));

    // The existing output stays as it was without --force, and is replaced with it.
    write_file(dir.file("low.65d"), {1, 2, 3});
    write_file(dir.file("ok.bin"), pattern_bytes(100, 5));
    const ProcessResult exists = spindisk({"make", dir.file("ok.bin"), "--load", "0300", "-o", dir.file("low.65d")});
    EXPECT_EQ(exists.status, 1);
    EXPECT_EQ(exists.err, "spindisk: '" + dir.file("low.65d") + "' exists (use --force to overwrite)\n");
    EXPECT_EQ(read_file(dir.file("low.65d")), (Bytes{1, 2, 3}));
    EXPECT_EQ(spindisk({"make", dir.file("ok.bin"), "--load", "0300", "-o", dir.file("low.65d"), "--force", "-q"}).status, 0);
    EXPECT_EQ(read_file(dir.file("low.65d")).size(), 92160u);
}

TEST(SpindiskMakeE2E, LabelWarningsSayWhenTheyStop) {
    // 11 data tracks of 2045 bytes put the terminator on the directory track
    // (12); at most 10 tracks, 20450 bytes, keep the label whole.
    TempDir dir;
    write_file(dir.file("big.bin"), pattern_bytes(21000, 9));
    const ProcessResult r = spindisk({"make", dir.file("big.bin"), "--load", "0300", "--label", "MY GAME", "--no-verify"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "spindisk: warning: the label is cut: the terminator's header on track 12 covers the first three "
              "characters of its first entry; a program of at most 20450 bytes keeps it whole\n");
    EXPECT_TRUE(contains(r.out, "\nverified: no (--no-verify)\n")) << r.out;
}

}  // namespace
