// The whole road a user takes to a real floppy: SpinLoad makes the image,
// spindisk hfe converts it, and spindisk boot plays the HFE file to the
// simulated drive and finds the program intact.
#include <gtest/gtest.h>

#include <string>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(HfeBootE2E, ImageToHfeToBoot) {
    struct Case { const char* name; std::vector<std::string> options; size_t size; std::string lead_in; int status; };
    const Case cases[] = {
        {"5.25-inch", {"-l0300"}, 5000, "", 0},
        {"8-inch", {"-8", "-l0400", "-e0500"}, 7000, "", 0},
        // The sector mark passes during the index pulse: the disk cannot boot.
        {"lead-in inside the index pulse", {"-l0300"}, 5000, "1000", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("prog.bin"), pattern_bytes(c.size, 8));
        std::vector<std::string> make = {spinload_binary()};
        make.insert(make.end(), c.options.begin(), c.options.end());
        make.insert(make.end(), {dir.file("prog.bin"), dir.file("prog.65d")});
        ASSERT_EQ(run_process(make).status, 0);

        std::vector<std::string> convert = {spindisk_binary(), "hfe", dir.file("prog.65d"), dir.file("prog.hfe")};
        if (!c.lead_in.empty()) convert.insert(convert.end(), {"--lead-in-us", c.lead_in});
        const ProcessResult converted = run_process(convert);
        ASSERT_EQ(converted.status, 0) << converted.err;

        const ProcessResult booted =
            run_process({spindisk_binary(), "boot", dir.file("prog.hfe"), "--expect", dir.file("prog.bin")});
        EXPECT_EQ(booted.status, c.status) << booted.out << booted.err;
        EXPECT_EQ(contains(booted.out, "intact"), c.status == 0) << booted.out;
    }
}

TEST(HfeBootE2E, DamagedHfeIsAClearError) {
    TempDir dir;
    Bytes header(512, 0xFF);
    const std::string signature = "HXCPICFE";
    std::copy(signature.begin(), signature.end(), header.begin());
    write_file(dir.file("bad.hfe"), header);
    const ProcessResult r = run_process({spindisk_binary(), "boot", dir.file("bad.hfe")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("spindisk: '" + dir.file("bad.hfe") + "': ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
