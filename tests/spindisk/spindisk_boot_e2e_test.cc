// spindisk boot as a user runs it: SpinLoad makes the image, spindisk boots
// it, and stdout, stderr and the exit status say how it went.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image/image_fixture.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Made {
    TempDir dir;
    std::string program;
    std::string image;
};

// prog.bin (5000 bytes unless told) and an image of it made by SpinLoad with these options.
void make_image(Made& made, const std::vector<std::string>& spinload_options, size_t size = 5000) {
    made.program = made.dir.file("prog.bin");
    made.image = made.dir.file("prog.65d");
    write_file(made.program, pattern_bytes(size, 21));
    std::vector<std::string> argv = {spinload_binary()};
    argv.insert(argv.end(), spinload_options.begin(), spinload_options.end());
    argv.push_back(made.program);
    argv.push_back(made.image);
    const ProcessResult made_image = run_process(argv);
    ASSERT_EQ(made_image.status, 0) << made_image.err;
}

TEST(SpindiskBootE2E, AGoodImageBootsIntact) {
    Made made;
    make_image(made, {"-l0300"});
    const ProcessResult r = run_process({spindisk_binary(), "boot", made.image, "--expect", made.program});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "Started at $0300 after ")) << r.out;
    EXPECT_TRUE(contains(r.out, "Program: intact at $0300-$1687 (5000 bytes)\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\n    1      8  $0300-$0AFC   2045            2     0  0\n")) << r.out;
}

TEST(SpindiskBootE2E, JsonSaysTheSame) {
    Made made;
    make_image(made, {"-l0300", "-e0456"});
    const ProcessResult r = run_process({spindisk_binary(), "boot", "--json", made.image, "--expect", made.program});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("{\"result\":\"started\",\"ok\":true,", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, "\"start_address\":1110,")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"registers\":{\"a\":76,\"x\":255,\"y\":3,\"s\":0,")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"program\":{\"checked\":true,\"intact\":true,\"load_address\":768,\"size\":5000,")) << r.out;
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
}

TEST(SpindiskBootE2E, StoresPastTheProgramsEndAreAWarning) {
    // 48567 bytes end at $BFFF; the loader's last page stores one more byte,
    // at $C000, where nothing reads it back. The machine starts the program.
    Made made;
    make_image(made, {"-l0249"}, 48567);
    const ProcessResult text = run_process({spindisk_binary(), "boot", made.image, "--expect", made.program});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out.rfind("Started at $0249 after ", 0), 0u) << text.out;
    EXPECT_TRUE(contains(text.out, "\nWarning: 1 of the read-back errors lie outside the program ($0249-$BFFF): "
                                   "the loader stores whole pages, and the program does not need those bytes\n"))
        << text.out;
    EXPECT_TRUE(contains(text.out, "\nProgram: intact at $0249-$BFFF (48567 bytes)\n")) << text.out;

    const ProcessResult json = run_process({spindisk_binary(), "boot", "--json", made.image});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\"result\":\"started\",\"ok\":true,", 0), 0u) << json.out;
    EXPECT_TRUE(contains(json.out, "\"read_back_errors\":1,\"read_back_errors_outside_program\":1,"
                                   "\"warnings\":[\"1 of the read-back errors lie outside the program"))
        << json.out;
}

TEST(SpindiskBootE2E, FailedBootsExitOne) {
    struct Case {
        const char* name;
        std::vector<std::string> spinload_options;
        std::vector<std::string> boot_options;
        bool other_program;  // --expect a file other than the one on the disk
        const char* says;
    } cases[] = {
        {"8-inch on a 1 MHz machine", {"-8", "-l0300"}, {"--cpu-hz", "983040"}, false, "bytes were lost to overruns"},
        {"a lead-in inside the index pulse", {"-l0300"}, {"--lead-in-us", "2000", "--max-seconds", "5"}, false,
         "Boot failed: "},
        {"the wrong program expected", {"-l0400"}, {}, true,
         "Program: differs from the file at $0400-$1787 (5000 bytes): first at "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Made made;
        make_image(made, c.spinload_options);
        std::vector<std::string> argv = {spindisk_binary(), "boot", made.image, "--expect", made.program};
        argv.insert(argv.end(), c.boot_options.begin(), c.boot_options.end());
        if (c.other_program) write_file(made.program, pattern_bytes(5000, 22));
        const ProcessResult r = run_process(argv);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(contains(r.out, c.says)) << r.out;
    }
}

TEST(SpindiskBootE2E, TheFastLoaderAtOneMegahertzAndTooSlow) {
    TempDir dir;
    ImageOptions options = loader_options(DiskFormat::full, 0x0300);
    options.loader = LoaderKind::fast;
    const Bytes program = pattern_bytes(9000, 4);
    write_file(dir.file("prog.bin"), program);
    write_file(dir.file("fast.65d"), build(options, program));
    const std::vector<std::string> boot = {spindisk_binary(), "boot", dir.file("fast.65d"), "--expect",
                                           dir.file("prog.bin"), "--cpu-hz"};

    std::vector<std::string> argv = boot;
    argv.push_back("983040");
    const ProcessResult good = run_process(argv);
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_EQ(good.err, "");
    EXPECT_TRUE(contains(good.out, "Disk: 8-inch, SpinLoad's fast boot loader, start address $0300\n")) << good.out;
    EXPECT_TRUE(contains(good.out, "Program: intact at $0300-$2627 (9000 bytes)\n")) << good.out;

    // 700 kHz is too slow for 44 us bytes: the loader stops on track 1, and
    // the 64-column screen shows its message on row 3 from column 5.
    argv = boot;
    argv.insert(argv.end(), {"700000", "--screen"});
    const ProcessResult slow = run_process(argv);
    EXPECT_EQ(slow.status, 1);
    EXPECT_EQ(slow.err, "");
    EXPECT_TRUE(contains(slow.out, "Boot failed: read error on track 1: the loader stopped with its message on the "
                                   "screen after "))
        << slow.out;
    EXPECT_TRUE(contains(slow.out, "\n|     track 01 read error ")) << slow.out;

    argv = boot;
    argv.insert(argv.end(), {"700000", "--json"});
    const ProcessResult json = run_process(argv);
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.out.rfind("{\"result\":\"read_error\",\"ok\":false,", 0), 0u) << json.out;
    EXPECT_TRUE(contains(json.out, "\"boot_track\":\"fast_loader\",")) << json.out;
}

TEST(SpindiskBootE2E, TheScreenAfterTheStart) {
    // The bundled example prints a greeting.
    TempDir dir;
    const std::string image = dir.file("hello.65d");
    const ProcessResult made = run_process({spinload_binary(), "-l0300", std::string(SPIN_SOURCE_DIR) + "/examples/hello.bin", image});
    ASSERT_EQ(made.status, 0) << made.err;
    const ProcessResult r = run_process({spindisk_binary(), "boot", image, "--screen"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "Ran on for 100.0 ms\nScreen, the 24 x 24 a monitor shows from $D085:\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\n|HELLO FROM SPINLOAD     |\n")) << r.out;
}

TEST(SpindiskBootE2E, BadUsageAndBadFiles) {
    TempDir dir;
    const std::string small = dir.file("small.65d");
    write_file(small, Bytes(1000, 0));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{}, 2, "spindisk: no image given\nTry 'spindisk boot --help'.\n"},
        {{"a.65d", "b.65d"}, 2, "spindisk: one image at a time\nTry 'spindisk boot --help'.\n"},
        {{"a.65d", "--cpu-hz", "fast"}, 2,
         "spindisk: --cpu-hz wants a whole number from 100000 to 100000000, not 'fast'\nTry 'spindisk boot --help'.\n"},
        {{"a.65d", "--cpu-hz", "99999"}, 2,
         "spindisk: --cpu-hz wants a whole number from 100000 to 100000000, not '99999'\nTry 'spindisk boot --help'.\n"},
        {{"a.65d", "--bogus"}, 2, "spindisk: unknown option '--bogus'\nTry 'spindisk boot --help'.\n"},
        {{dir.file("missing.65d")}, 1, "spindisk: cannot open '" + dir.file("missing.65d") + "': no such file\n"},
        {{small}, 1, "spindisk: '" + small + "' is 1000 bytes; an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        std::vector<std::string> argv = {spindisk_binary(), "boot"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult r = run_process(argv);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(SpindiskBootE2E, OptionsThatDependOnTheDisk) {
    Made made;
    make_image(made, {"-l0300"});
    struct Case {
        std::vector<std::string> options;
        std::string err;
    } cases[] = {
        {{"--index-us", "0"}, "spindisk: --index-us must be above 0 and shorter than a revolution (200000 us)\n"},
        {{"--index-us", "200000"}, "spindisk: --index-us must be above 0 and shorter than a revolution (200000 us)\n"},
        {{"--lead-in-us", "200000"}, "spindisk: --lead-in-us must be shorter than a revolution (200000 us)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        std::vector<std::string> argv = {spindisk_binary(), "boot", made.image};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        const ProcessResult r = run_process(argv);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err + "Try 'spindisk boot --help'.\n");
    }
}

}  // namespace
