// The real toolchains into spindisk make: a C program from cl65 (raw at
// cc65's default $0200, and its hybrid output), the same bytes through
// srec_cat as 65V text, Intel HEX and S-records, and the example's assembly
// through ca65 and ld65. All disks of one program are the same bytes, and
// each boots with the program's text on the screen. Built only where cc65
// and srecord are installed (tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Args = std::vector<std::string>;

const char HELLO_C[] =
    "#include <conio.h>\n"
    "int main(void) {\n"
    "    clrscr();\n"
    "    cputs(\"HELLO FROM CC65\");\n"
    "    for (;;) {}\n"
    "}\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs a tool in dir; the test stops when it fails.
void run_in(const TempDir& dir, const Args& argv) {
    ProcessOptions options;
    options.working_directory = dir.path().string();
    const ProcessResult r = run_process(argv, options);
    ASSERT_EQ(r.status, 0) << argv[0] << ": " << r.err;
}

// spindisk make INPUT ARGS -o OUTPUT, then a boot that must show text.
void make_and_boot(const TempDir& dir, const std::string& input, const Args& args, const std::string& output,
                   const std::string& program, const std::string& text) {
    Args make = {spindisk_binary(), "make", input, "-o", output, "-q"};
    make.insert(make.end(), args.begin(), args.end());
    run_in(dir, make);
    ProcessOptions options;
    options.working_directory = dir.path().string();
    const ProcessResult boot = run_process({spindisk_binary(), "boot", output, "--expect", program, "--screen"}, options);
    EXPECT_EQ(boot.status, 0) << boot.out;
    EXPECT_TRUE(contains(boot.out, text)) << boot.out;
}

TEST(ToolchainE2E, EveryFormOfACProgramMakesTheSameDisk) {
    TempDir dir;
    write_file(dir.file("hello.c"), Bytes(HELLO_C, HELLO_C + sizeof HELLO_C - 1));
    run_in(dir, {CL65_BINARY, "-t", "osic1p", "-o", "prog.bin", "hello.c"});
    run_in(dir, {CL65_BINARY, "-t", "osic1p", "-u", "__BOOT__", "-o", "prog.lod", "hello.c"});
    const Args raw_at_0200 = {"prog.bin", "-binary", "-offset", "0x0200"};
    const struct {
        const char* name;
        Args srec_cat;  // how srec_cat writes the input from prog.bin; empty: none
        const char* input;
        Args make;
    } cases[] = {
        {"raw at $0200", {}, "prog.bin", {"--load", "0200"}},
        {"cc65 hybrid", {}, "prog.lod", {}},
        {"65V with G", {"-execution-start-address", "0x0200", "-o", "g.65v", "-os"}, "g.65v", {}},
        {"65V without G", {"-o", "nog.65v", "-os"}, "nog.65v", {"--start", "0200"}},
        {"Intel HEX, starting at its load address", {"-o", "prog.hex", "-intel"}, "prog.hex", {}},
        {"S-records, starting at their load address", {"-o", "prog.srec", "-motorola"}, "prog.srec", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.srec_cat.empty()) {
            Args argv = {SREC_CAT_BINARY};
            argv.insert(argv.end(), raw_at_0200.begin(), raw_at_0200.end());
            argv.insert(argv.end(), c.srec_cat.begin(), c.srec_cat.end());
            run_in(dir, argv);
        }
        const std::string image = std::string(c.input) + ".65d";
        make_and_boot(dir, c.input, c.make, image, "prog.bin", "HELLO FROM CC65");
        EXPECT_EQ(read_file(dir.file(image)), read_file(dir.file("prog.bin.65d")));
    }
}

TEST(ToolchainE2E, TheExampleAssemblesToItsBytesAndBoots) {
    // The source is copied, because cl65 leaves its object file beside it.
    TempDir dir;
    const std::string source = dir.file("hello.s");
    write_file(source, read_file(std::string(SPIN_SOURCE_DIR) + "/examples/hello.s"));
    const std::string bytes = std::string(SPIN_SOURCE_DIR) + "/examples/hello.bin";
    run_in(dir, {CA65_BINARY, "-t", "osic1p", source, "-o", "hello.o"});
    run_in(dir, {LD65_BINARY, "-C", "osic1p-asm.cfg", "-S", "0x0300", "hello.o", "-o", "hello.bin"});
    EXPECT_EQ(read_file(dir.file("hello.bin")), read_file(bytes));
    make_and_boot(dir, "hello.bin", {"--load", "0300"}, "raw.65d", bytes, "HELLO FROM SPINLOAD");

    // The same source as cc65's hybrid output makes the same disk.
    run_in(dir, {CL65_BINARY, "-t", "osic1p", "-C", "osic1p-asm.cfg", "--start-addr", "0x0300", "-u", "__BOOT__", source,
                 "-o", "hello.lod"});
    make_and_boot(dir, "hello.lod", {}, "hybrid.65d", bytes, "HELLO FROM SPINLOAD");
    EXPECT_EQ(read_file(dir.file("hybrid.65d")), read_file(dir.file("raw.65d")));
}

}  // namespace
