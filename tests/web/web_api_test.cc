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

Result make(const Bytes& program, const char* load, const char* start = "", int inches = 5, const char* label = "",
            int boot_track = 0, int allow_errors = 0) {
    return Result(web_make_disk(program.data(), program.size(), load, start, inches, label, boot_track, allow_errors));
}

TEST(WebMake, WritesWhatSpinLoadWrites) {
    struct Case { const char* name; size_t size; const char* load; const char* start; int inches; const char* label;
                  int boot_track; std::vector<std::string> spinload; };
    const Case cases[] = {
        {"5.25-inch with a label", 5000, "$0300", "", 5, "GAME", 0, {"-l0300", "-nGAME"}},
        {"8-inch, start elsewhere", 7000, "0x1000", "1200", 8, "", 0, {"-8", "-l1000", "-e1200"}},
        {"boot track code", 600, "", "", 5, "", 1, {"-t"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Bytes program = pattern_bytes(c.size, 5);
        write_file(dir.file("prog.bin"), program);
        std::vector<std::string> command = {spinload_binary()};
        command.insert(command.end(), c.spinload.begin(), c.spinload.end());
        command.insert(command.end(), {dir.file("prog.bin"), dir.file("prog.65d")});
        ASSERT_EQ(run_process(command).status, 0);
        const Result r = make(program, c.load, c.start, c.inches, c.label, c.boot_track);
        const Bytes expected = read_file(dir.file("prog.65d"));
        EXPECT_TRUE(contains(result_json(r), "\"ok\":true")) << result_json(r);
        EXPECT_EQ(result_bytes(r), expected);
    }
}

TEST(WebMake, RefusesWithAReasonAndNoBytes) {
    struct Case { const char* name; Bytes program; const char* load; int inches; const char* error; };
    const Case cases[] = {
        {"no load address", hello_program(), "", 5, "give the program's load address"},
        {"a load address that is no address", hello_program(), "0300x", 5, "bad load address '0300x'"},
        {"five digits", hello_program(), "12345", 5, "bad load address '12345'"},
        {"an empty program", {}, "0300", 5, "the program is empty"},
        {"too big for the disk", pattern_bytes(75666), "0300", 5, "the program is 75666 bytes; a 5.25-inch disk holds 75665"},
        {"a disk of 6 inches", hello_program(), "0300", 6, "the disk is 5 or 8 inches"},
        // Loaded over the loader's page zero: the image reader calls it an error.
        {"over the loader", hello_program(), "0080", 5, "the disk has errors"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = make(c.program, c.load, "", c.inches);
        EXPECT_TRUE(contains(result_json(r), std::string("\"error\":\"") + c.error + "\"")) << result_json(r);
        EXPECT_EQ(web_result_size(r.get()), 0u);
    }
}

TEST(WebMake, AllowedErrorsStillNeedABoot) {
    // Over the loader's page zero the loader wrecks itself: allowing the
    // errors writes no disk that does not boot.
    const Result r = make(hello_program(), "0080", "", 5, "", 0, 1);
    EXPECT_TRUE(contains(result_json(r), "\"error\":\"the disk does not boot\"")) << result_json(r);
    EXPECT_EQ(web_result_size(r.get()), 0u);
}

TEST(WebConvert, GivesWhatSpindiskHfeWrites) {
    TempDir dir;
    write_file(dir.file("hello.bin"), hello_program());
    ASSERT_EQ(run_process({spinload_binary(), "-l0300", dir.file("hello.bin"), dir.file("hello.65d")}).status, 0);
    ASSERT_EQ(run_process({spindisk_binary(), "hfe", dir.file("hello.65d"), dir.file("hello.hfe")}).status, 0);
    const Bytes image = read_file(dir.file("hello.65d"));
    const Result hfe(web_convert_image(image.data(), image.size(), "hfe"));
    EXPECT_EQ(result_bytes(hfe), read_file(dir.file("hello.hfe")));
    const Result unknown(web_convert_image(image.data(), image.size(), "d64"));
    EXPECT_TRUE(contains(result_json(unknown), "\"error\":\"no disk format 'd64'\""));
    const Result not_an_image(web_convert_image(image.data(), 1000, "hfe"));
    EXPECT_TRUE(contains(result_json(not_an_image), "\"ok\":false"));
}

TEST(WebList, ListsEveryDiskFormatAndNamesWhatIsNoDisk) {
    const Result made = make(hello_program(), "0300", "", 5, "HELLO");
    const Bytes image = result_bytes(made);
    struct Case { const char* name; const char* format; const char* source; };
    const Case cases[] = {
        {"hello.65d", "", ""},
        {"hello.hfe", "hfe", "HFE file, 40 tracks"},
        {"hello.os5", "osi", "osiemu bit stream, 40 tracks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes disk = *c.format ? result_bytes(Result(web_convert_image(image.data(), image.size(), c.format))) : image;
        const Result listed(web_list_disk(disk.data(), disk.size(), c.name));
        const std::string json = result_json(listed);
        EXPECT_TRUE(contains(json, "\"listing\":{")) << json;
        EXPECT_TRUE(contains(json, "\"lines\":[\"HELLO\"]")) << json;
        EXPECT_TRUE(contains(json, c.source)) << json;
    }
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
