// The page's C functions: what they hand the page is what the command-line
// tools write for the same input, refusals carry no bytes, and a machine
// booted from the page's bytes shows the program's screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"
#include "web/web_api.h"

namespace {

struct ResultFree {
    void operator()(WebResult* r) const { web_result_free(r); }
};
using Result = std::unique_ptr<WebResult, ResultFree>;
struct MachineFree {
    void operator()(WebMachine* m) const { web_machine_free(m); }
};
using MachineHandle = std::unique_ptr<WebMachine, MachineFree>;

Bytes result_bytes(const Result& r) { return Bytes(web_result_bytes(r.get()), web_result_bytes(r.get()) + web_result_size(r.get())); }
std::string result_json(const Result& r) { return web_result_json(r.get()); }
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The greeting program of examples/hello.s, loaded and started at $0300.
Bytes hello_program() { return read_file(std::string(SPIN_SOURCE_DIR) + "/examples/hello.bin"); }

Result make(const Bytes& program, const char* load, const char* output = "65d", const char* input_format = "auto",
            const char* label = "") {
    return Result(web_make_disk(program.data(), program.size(), "prog.bin", input_format, load, "", 5, label,
                                "standard", 0, output));
}

Bytes text_bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(WebMake, WritesWhatSpindiskMakeWrites) {
    struct Case { const char* name; Bytes input; const char* input_format; const char* load; const char* start;
                  int inches; const char* label; const char* loader; const char* output; std::vector<std::string> make; };
    // A JMP to itself at $0300, as 65V monitor text that starts it there.
    const Bytes monitor_text = text_bytes(".0300/4C\r00\r03\r.0300G");
    const Case cases[] = {
        {"raw, a label", pattern_bytes(5000, 5), "auto", "$0300", "", 5, "GAME", "standard", "65d",
         {"--load", "0300", "--label", "GAME", "-o", "out.65d"}},
        {"raw 8-inch, started elsewhere, HFE", pattern_bytes(7000, 6), "raw", "0x1000", "1200", 8, "", "standard", "hfe",
         {"--disk", "8", "--load", "1000", "--start", "1200", "-o", "out.hfe"}},
        {"65V text, osiemu stream", monitor_text, "auto", "", "", 5, "", "standard", "osi", {"-o", "out.os5"}},
        {"fast loader, 8-inch", pattern_bytes(9000, 8), "raw", "0400", "", 8, "", "fast", "65d",
         {"--disk", "8", "--loader", "fast", "--load", "0400", "-o", "out.65d"}},
        {"boot track code", pattern_bytes(600, 7), "auto", "", "", 5, "", "boot-track", "65d", {"--boot-track", "-o", "out.65d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("prog.bin"), c.input);
        std::vector<std::string> command = {spindisk_binary(), "make", "prog.bin"};
        command.insert(command.end(), c.make.begin(), c.make.end());
        ProcessOptions in_dir;
        in_dir.working_directory = dir.path().string();
        const ProcessResult made = run_process(command, in_dir);
        ASSERT_EQ(made.status, 0) << made.err;
        const Result r(web_make_disk(c.input.data(), c.input.size(), "prog.bin", c.input_format, c.load, c.start,
                                     c.inches, c.label, c.loader, 0, c.output));
        EXPECT_TRUE(contains(result_json(r), "\"ok\":true")) << result_json(r);
        EXPECT_TRUE(contains(result_json(r), "verified: starts after ")) << result_json(r);
        EXPECT_EQ(result_bytes(r), read_file(dir.file(c.make.back())));
    }
}

TEST(WebMake, RefusesWithAReasonAndNoBytes) {
    struct Case { const char* name; Bytes program; const char* load; const char* output; const char* error; };
    const Case cases[] = {
        {"a load address that is no address", hello_program(), "0300x", "65d",
         "the load address wants one to four hex digits ($0300, 0x0300, 0300), not '0300x'"},
        {"no load address", hello_program(), "", "65d", "'prog.bin' is a raw program: give its load address with --load"},
        {"no such output", hello_program(), "0300", "d64", "no output format 'd64'"},
        // Loaded over the loader's page zero: an error-level finding.
        {"over the loader", hello_program(), "0080", "65d", "the disk would not boot or would not load the program intact"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = make(c.program, c.load, c.output);
        EXPECT_TRUE(contains(result_json(r), std::string("\"error\":\"") + c.error + "\"")) << result_json(r);
        EXPECT_EQ(web_result_size(r.get()), 0u);
    }
    EXPECT_TRUE(contains(result_json(make(hello_program(), "0080")), "\"level\":\"error\",\"code\":\"loader_memory\""));
}

TEST(WebList, ListsEveryDiskFormatAndNamesWhatIsNoDisk) {
    struct Case { const char* name; const char* format; const char* source; };
    const Case cases[] = {
        {"hello.65d", "65d", ""},
        {"hello.hfe", "hfe", "HFE file, 40 tracks"},
        {"hello.os5", "osi", "osiemu bit stream, 40 tracks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes disk = result_bytes(make(hello_program(), "0300", c.format, "raw", "HELLO"));
        const Result listed(web_list_disk(disk.data(), disk.size(), c.name));
        const std::string json = result_json(listed);
        EXPECT_TRUE(contains(json, "\"listing\":{")) << json;
        EXPECT_TRUE(contains(json, "\"lines\":[\"HELLO\"]")) << json;
        EXPECT_TRUE(contains(json, c.source)) << json;
    }
    const Bytes image = result_bytes(make(hello_program(), "0300"));
    const Result nothing(web_list_disk(image.data(), 1000, "x.bin"));
    EXPECT_TRUE(contains(result_json(nothing), "\"error\":\"'x.bin' is 1000 bytes; ")) << result_json(nothing);
}

MachineHandle boot(const Bytes& disk, const char* machine = "") {
    return MachineHandle(web_machine_boot(disk.data(), disk.size(), "hello.65d", machine));
}

TEST(WebMachine, BootsToTheProgramsScreen) {
    const Result made = make(hello_program(), "0300");
    const MachineHandle machine = boot(result_bytes(made));
    ASSERT_STREQ(web_machine_error(machine.get()), "");
    EXPECT_EQ(web_machine_cpu_hz(machine.get()), 983040.0);
    EXPECT_TRUE(contains(web_machine_boot_json(machine.get()), "{\"result\":\"started\",\"ok\":true,"));
    EXPECT_FALSE(contains(web_machine_screen_text(machine.get()), "HELLO"));
    // The boot takes 1.41 s at 983040 Hz; two seconds in slices of 1/50 s.
    const double slice = 983040.0 / 50;
    for (int i = 0; i < 100; i++) ASSERT_EQ(web_machine_run(machine.get(), slice), 1);
    // The C1P's monitor shows 24 x 24 from $D085; the greeting is at $D0C5,
    // the window's third row.
    const std::string blank(24, ' ');
    const std::string text = web_machine_screen_text(machine.get());
    EXPECT_EQ(text.substr(0, 3 * 25), blank + "\n" + blank + "\nHELLO FROM SPINLOAD     \n") << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
    const std::string state = web_machine_state_json(machine.get());
    EXPECT_TRUE(contains(state, "\"machine\":\"c1p\",")) << state;
    EXPECT_TRUE(contains(state, "\"pc\":781,")) << state;  // $030D, the program's JMP to itself
    EXPECT_TRUE(contains(state, "\"track_count\":40,")) << state;
    EXPECT_TRUE(contains(state, "{\"track\":1,\"revolutions\":")) << state;
    EXPECT_EQ(web_machine_screen_width(machine.get()), 24 * 8);
    EXPECT_EQ(web_machine_screen_height(machine.get()), 24 * 8);
}

TEST(WebMachine, TheMachineMenu) {
    const Result made = make(hello_program(), "0300");
    const Bytes disk = result_bytes(made);
    struct Case { const char* machine; const char* error; double cpu_hz; int width; int height; };
    const Case cases[] = {
        {"", "", 983040, 24 * 8, 24 * 8},
        {"c1p-2mhz", "", 1966080, 24 * 8, 24 * 8},
        {"c4p", "", 1966080, 64 * 8, 32 * 8},
        {"c3", "the c3 takes 8-inch disks, and this one is 5.25-inch", 0, 0, 0},
        {"pet", "no machine 'pet'", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        const MachineHandle machine = boot(disk, c.machine);
        EXPECT_STREQ(web_machine_error(machine.get()), c.error);
        if (*c.error) continue;
        EXPECT_EQ(web_machine_cpu_hz(machine.get()), c.cpu_hz);
        EXPECT_EQ(web_machine_screen_width(machine.get()), c.width);
        EXPECT_EQ(web_machine_screen_height(machine.get()), c.height);
    }
    const Result machines(web_machines());
    EXPECT_TRUE(contains(result_json(machines), "{\"name\":\"c4p\",\"summary\":")) << result_json(machines);
}

TEST(WebMachine, TypedKeysWaitForTheProgram) {
    const Result made = make(hello_program(), "0300");
    const MachineHandle machine = boot(result_bytes(made));
    // The greeting program never reads the keyboard: the keys stay queued.
    EXPECT_EQ(web_machine_type(machine.get(), "AB\\r"), 1);
    EXPECT_EQ(web_machine_type(machine.get(), "~"), 0);
    ASSERT_EQ(web_machine_run(machine.get(), 983040.0 * 2), 1);
    EXPECT_TRUE(contains(web_machine_state_json(machine.get()), "\"keys_waiting\":3,"));
}

TEST(WebMachine, RefusesBytesThatAreNoDisk) {
    const Bytes bytes(1000, 0);
    const MachineHandle machine(web_machine_boot(bytes.data(), bytes.size(), "zeros.bin", ""));
    EXPECT_TRUE(contains(web_machine_error(machine.get()), "'zeros.bin' is 1000 bytes; ")) << web_machine_error(machine.get());
}

}  // namespace
