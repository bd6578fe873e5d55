// spindisk boot as a test bench, run as a user runs it: a small program
// that echoes the keys it reads, put on a disk by SpinLoad, booted with
// --keys and --until on each machine; ROMs of the user's own; RAM too small
// for the disk; and the options' bad usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/boot_rom.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

constexpr uint16_t ECHO_LOAD = 0x0300;
constexpr size_t ECHO_SELECT = 0x40;  // offsets in the program
constexpr size_t ECHO_TABLE = 0x48;

// The keys of rows 1-7 by row * 8 + column, from the OSI keyboard's layout
// (row: column 7 … column 0); Return shows as $0D.
void fill_key_table(Bytes& program) {
    const char* rows[8] = {"", "QAZ /;P", "XCVBNM,", "SDFGHJK", "WERTYUI", ".LO\n\r", "890:-", "1234567"};
    for (int row = 1; row < 8; row++) {
        for (int i = 0; rows[row][i]; i++) {
            const char c = rows[row][i] == '\r' ? '\x0D' : rows[row][i] == '\n' ? '\x0A' : rows[row][i];
            program[ECHO_TABLE + static_cast<size_t>(row * 8 + 7 - i)] = static_cast<uint8_t>(c);
        }
    }
}

// Scans rows 7..1 until a key is down, writes its character at the next
// place of the C1P's window (or the top left of the 540 board's screen),
// waits until no key is down, and goes on.
Bytes echo_program(bool active_low, uint16_t screen) {
    const uint8_t idle = active_low ? 0xFF : 0x00;
    const uint8_t all_rows = active_low ? 0x01 : 0xFE;  // rows 1-7
    const uint8_t lo = screen & 0xFF, hi = screen >> 8;
    Bytes program = {
        0xA2, 0x00,        // 0300       LDX #$00      ; where the next character goes
        0xA0, 0x07,        // 0302 SCAN  LDY #$07
        0xB9, 0x40, 0x03,  // 0304 ROW   LDA SELECT,Y
        0x8D, 0x00, 0xDF,  // 0307       STA $DF00
        0xAD, 0x00, 0xDF,  // 030A       LDA $DF00
        0x49, idle,        // 030D       EOR #IDLE     ; a key down is now a 1
        0xD0, 0x06,        // 030F       BNE FOUND
        0x88,              // 0311       DEY
        0xD0, 0xF0,        // 0312       BNE ROW
        0x4C, 0x02, 0x03,  // 0314       JMP SCAN
        0x85, 0xF1,        // 0317 FOUND STA $F1
        0x98,              // 0319       TYA
        0x0A, 0x0A, 0x0A,  // 031A       ASL A x 3     ; row * 8
        0x09, 0x07,        // 031D       ORA #$07      ; + column 7
        0xA8,              // 031F       TAY
        0x06, 0xF1,        // 0320 BIT   ASL $F1       ; the highest column down
        0xB0, 0x04,        // 0322       BCS GOT
        0x88,              // 0324       DEY
        0x4C, 0x20, 0x03,  // 0325       JMP BIT
        0xB9, 0x48, 0x03,  // 0328 GOT   LDA TABLE,Y
        0x9D, lo, hi,      // 032B       STA SCREEN,X
        0xE8,              // 032E       INX
        0xA9, all_rows,    // 032F WAIT  LDA #ALL      ; every row at once
        0x8D, 0x00, 0xDF,  // 0331       STA $DF00
        0xAD, 0x00, 0xDF,  // 0334       LDA $DF00
        0xC9, idle,        // 0337       CMP #IDLE
        0xD0, 0xF4,        // 0339       BNE WAIT      ; until every key is up
        0x4C, 0x02, 0x03,  // 033B       JMP SCAN
        0xEA, 0xEA,        // 033E       (unused)
    };
    program.resize(ECHO_TABLE + 64, 0);  // 0340 SELECT: one byte per row; 0348 TABLE
    for (int row = 1; row < 8; row++) {
        const auto bit = static_cast<uint8_t>(1u << row);
        program[ECHO_SELECT + static_cast<size_t>(row)] = active_low ? static_cast<uint8_t>(~bit) : bit;
    }
    fill_key_table(program);
    return program;
}

constexpr uint16_t C1P_WINDOW = 0xD085;
constexpr uint16_t WIDE_SCREEN = 0xD000;

struct Disk {
    TempDir dir;
    std::string image;
};

void make_disk(Disk& disk, const Bytes& program, std::vector<std::string> spinload_options = {"-l0300"}) {
    const std::string path = disk.dir.file("prog.bin");
    disk.image = disk.dir.file("prog.65d");
    write_file(path, program);
    std::vector<std::string> argv = {spinload_binary()};
    argv.insert(argv.end(), spinload_options.begin(), spinload_options.end());
    argv.push_back(path);
    argv.push_back(disk.image);
    const ProcessResult made = run_process(argv);
    ASSERT_EQ(made.status, 0) << made.err;
}

ProcessResult boot(const std::string& image, const std::vector<std::string>& options) {
    std::vector<std::string> argv = {spindisk_binary(), "boot", image};
    argv.insert(argv.end(), options.begin(), options.end());
    return run_process(argv);
}

TEST(SpindiskBenchE2E, TypedKeysAppearOnEachMachine) {
    struct Case {
        const char* machine;
        std::vector<std::string> spinload_options;
        bool active_low;
        uint16_t screen;
    } cases[] = {
        {"c1p", {"-l0300"}, true, C1P_WINDOW},
        {"c1p-2mhz", {"-l0300"}, true, C1P_WINDOW},
        {"c4p", {"-l0300"}, false, WIDE_SCREEN},
        {"c3", {"-8", "-l0300"}, false, WIDE_SCREEN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        Disk disk;
        make_disk(disk, echo_program(c.active_low, c.screen), c.spinload_options);
        // Lower case comes out upper case: the program does not look at row 0.
        const ProcessResult r = boot(disk.image, {"--machine", c.machine, "--keys", "Hi, 42!\\r", "--until", "HI,",
                                                  "--until", "421.", "--screen"});
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(contains(r.out, "Machine: " + std::string(c.machine) + ", CPU ")) << r.out;
        EXPECT_TRUE(contains(r.out, "Keys: typed 8 of 8, \"Hi, 42!\\r\", the first at ")) << r.out;
        EXPECT_TRUE(contains(r.out, "Until: \"HI,\" appeared after ")) << r.out;
        EXPECT_TRUE(contains(r.out, "Until: \"421.\" appeared after ")) << r.out;
        // '!' is shift and 1: the program sees the 1.
        EXPECT_TRUE(contains(r.out, "|HI, 421.")) << r.out;
    }
}

TEST(SpindiskBenchE2E, ATextThatNeverAppearsFails) {
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW));
    const ProcessResult r = boot(disk.image, {"--keys", "AB", "--until", "AB", "--until", "ABC", "--run-ms", "2000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "Until: \"AB\" appeared after ")) << r.out;
    EXPECT_TRUE(contains(r.out, "Until: \"ABC\" did not appear within 2000.0 ms after the start\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Ran on for 2000.0 ms\n")) << r.out;
}

TEST(SpindiskBenchE2E, KeysFromAFileAndTheReportInJson) {
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW));
    const std::string keys = disk.dir.file("keys.txt");
    write_file(keys, Bytes{'O', 'K', '\n'});
    const ProcessResult r = boot(disk.image, {"--keys-file", keys, "--until", "OK.", "--json"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.rfind("{\"result\":\"started\",\"ok\":true,", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, "\"machine\":\"c1p\",\"ram_kb\":48,\"own_rom\":false,")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"keys\":{\"given\":\"OK\\\\r\",\"typed\":\"OK\\\\r\",\"seconds\":[")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"until\":[{\"text\":\"OK.\",\"appeared\":true,\"seconds\":")) << r.out;
    // The window's first row, all 24 columns; Return shows as '.'.
    EXPECT_TRUE(contains(r.out, "\"screen\":[\"OK." + std::string(21, ' ') + "\",")) << r.out;
}

TEST(SpindiskBenchE2E, TheScreenInAFrame) {
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW));
    const ProcessResult r = boot(disk.image, {"--keys", " X", "--until", " X", "--screen"});
    EXPECT_EQ(r.status, 0) << r.out;
    const std::string edge = "+" + std::string(24, '-') + "+\n";
    const std::string blank = "|" + std::string(24, ' ') + "|\n";
    std::string frame = "Screen, the 24 x 24 a monitor shows from $D085:\n" + edge + "| X" + std::string(22, ' ') + "|\n";
    for (int row = 1; row < 24; row++) frame += blank;
    frame += edge;
    EXPECT_TRUE(r.out.size() >= frame.size() && r.out.compare(r.out.size() - frame.size(), frame.size(), frame) == 0)
        << r.out;

    // All of the video memory: 32 rows of 32, the window's corner at row 4, column 5.
    const ProcessResult all = boot(disk.image, {"--keys", " X", "--until", " X", "--screen=all"});
    EXPECT_TRUE(contains(all.out, "Screen, all of the video memory:\n+" + std::string(32, '-') + "+\n")) << all.out;
    EXPECT_TRUE(contains(all.out, "|      X" + std::string(25, ' ') + "|\n")) << all.out;
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '|'), 64);
}

TEST(SpindiskBenchE2E, ADiskAboveTheRamFails) {
    struct Case {
        const char* ram;
        std::vector<std::string> spinload_options;
        const char* says;
    } cases[] = {
        {"8", {"-l0300"}, "Boot failed: the disk loads $2200-$23FF, above the RAM (8 KB, up to $1FFF)\n"},
        // The program's 136 bytes; the loader's whole page runs on to $40FC.
        {"16", {"-l4000"}, "Boot failed: the disk loads $4000-$4087, above the RAM (16 KB, up to $3FFF)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ram);
        Disk disk;
        make_disk(disk, echo_program(true, C1P_WINDOW), c.spinload_options);
        const ProcessResult r = boot(disk.image, {"--ram", c.ram});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out.rfind(c.says, 0), 0u) << r.out;
        EXPECT_TRUE(contains(r.out, "Memory: " + std::string(c.ram) + " KB RAM, our boot ROM\n")) << r.out;
    }
    // The same disk fits 32 KB.
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW), {"-l4000"});
    EXPECT_EQ(boot(disk.image, {"--ram", "32"}).status, 0);
}

// A ROM of 1 KB at $FC00: it writes R at the window's corner, waits for a
// key in row 4 (W E R T Y U I, active low), then writes K beside it.
Bytes tiny_rom() {
    Bytes rom(1024, 0xEA);
    const Bytes code = {
        0xA9, 0x52,        // FC00 RESET LDA #'R'
        0x8D, 0x85, 0xD0,  // FC02       STA $D085
        0xA9, 0xEF,        // FC05 LOOP  LDA #$EF      ; row 4
        0x8D, 0x00, 0xDF,  // FC07       STA $DF00
        0xAD, 0x00, 0xDF,  // FC0A       LDA $DF00
        0xC9, 0xFF,        // FC0D       CMP #$FF
        0xF0, 0xF4,        // FC0F       BEQ LOOP
        0xA9, 0x4B,        // FC11       LDA #'K'
        0x8D, 0x86, 0xD0,  // FC13       STA $D086
        0x4C, 0x16, 0xFC,  // FC16 HALT  JMP HALT
    };
    std::copy(code.begin(), code.end(), rom.begin());
    const Bytes vectors = {0x00, 0xFC, 0x00, 0xFC, 0x00, 0xFC};  // NMI, RESET, IRQ -> $FC00
    std::copy(vectors.begin(), vectors.end(), rom.end() - 6);
    return rom;
}

TEST(SpindiskBenchE2E, ARomOfTheUsersOwn) {
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW));
    // Our own ROM from a file boots as the built-in one does; keys typed
    // from reset wait until the program reads the keyboard.
    const std::string ours = disk.dir.file("ours.rom");
    const BootRom rom = build_boot_rom();
    write_file(ours, Bytes(rom.begin(), rom.end()));
    const ProcessResult r = boot(disk.image, {"--rom", ours, "--keys", "OWN", "--until", "OWN"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains(r.out, "Memory: 48 KB RAM, the user's 2 KB ROM\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Keys: typed 3 of 3, \"OWN\", ")) << r.out;

    // A tiny ROM that never boots: the boot fails, and the screen shows
    // what the ROM did with the key typed.
    const std::string tiny = disk.dir.file("tiny.rom");
    write_file(tiny, tiny_rom());
    const ProcessResult t = boot(disk.image, {"--rom", tiny, "--keys", "RT", "--until", "RK", "--max-seconds", "1", "--screen"});
    EXPECT_EQ(t.status, 1);
    EXPECT_TRUE(contains(t.out, "\nKeys: typed 1 of 2, \"R\", the first at 0.00 s; the run ended before \"T\"\n"
                                "Until: \"RK\" did not appear: the program did not start\n")) << t.out;
    EXPECT_EQ(t.out.rfind("Boot failed: not started within 1.0 s (PC at $FC16, head on track 0)\n", 0), 0u) << t.out;
    EXPECT_TRUE(contains(t.out, "|RK" + std::string(22, ' ') + "|\n")) << t.out;
}

TEST(SpindiskBenchE2E, BadUsageAndBadFiles) {
    Disk disk;
    make_disk(disk, echo_program(true, C1P_WINDOW));
    Disk eight;
    make_disk(eight, echo_program(false, WIDE_SCREEN), {"-8", "-l0300"});
    const std::string odd_rom = disk.dir.file("odd.rom");
    write_file(odd_rom, Bytes(3000, 0));
    const std::string bad_keys = disk.dir.file("bad.txt");
    write_file(bad_keys, Bytes{'A', '\n', '~'});
    const std::string try_help = "Try 'spindisk boot --help'.\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{disk.image, "--machine", "c2"}, 2, "spindisk: --machine wants c1p, c1p-2mhz, c4p or c3, not 'c2'\n" + try_help},
        {{eight.image, "--machine", "c1p"}, 2,
         "spindisk: --machine c1p takes 5.25-inch disks, and '" + eight.image + "' is 8-inch\n" + try_help},
        {{disk.image, "--ram", "0"}, 2, "spindisk: --ram wants a whole number of KB from 1 to 48, not '0'\n" + try_help},
        {{disk.image, "--ram", "49"}, 2, "spindisk: --ram wants a whole number of KB from 1 to 48, not '49'\n" + try_help},
        {{disk.image, "--keys", "A~"}, 2, "spindisk: --keys: '~' at character 2 cannot be typed on the keyboard\n" + try_help},
        {{disk.image, "--keys", "A\\t"}, 2,
         "spindisk: --keys: unknown escape at character 2 (\\r is Return, \\e Escape, \\\\ a backslash)\n" + try_help},
        {{disk.image, "--keys", "A", "--keys-file", bad_keys}, 2, "spindisk: give --keys or --keys-file, not both\n" + try_help},
        {{disk.image, "--keys-file", bad_keys}, 2,
         "spindisk: --keys-file '" + bad_keys + "': '~' at character 3 cannot be typed on the keyboard\n" + try_help},
        {{disk.image, "--key-ms", "0"}, 2, "spindisk: --key-ms wants a number from 1 to 10000, not '0'\n" + try_help},
        {{disk.image, "--shift-lock", "off"}, 2, "spindisk: --shift-lock wants up or down, not 'off'\n" + try_help},
        {{disk.image, "--screen=window"}, 2, "spindisk: --screen takes no value or 'all', not 'window'\n" + try_help},
        {{disk.image, "--until", ""}, 2,
         "spindisk: --until wants printable ASCII text that can appear on the screen, not ''\n" + try_help},
        {{disk.image, "--run-ms", "600001"}, 2, "spindisk: --run-ms wants a number from 0 to 600000, not '600001'\n" + try_help},
        {{disk.image, "--rom", odd_rom}, 1, "spindisk: '" + odd_rom + "' is 3000 bytes; a ROM is 1024, 2048 or 4096 bytes\n"},
        {{disk.image, "--keys-file", disk.dir.file("none.txt")}, 1,
         "spindisk: cannot open '" + disk.dir.file("none.txt") + "': no such file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        const ProcessResult r = boot(c.args[0], std::vector<std::string>(c.args.begin() + 1, c.args.end()));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
}

}  // namespace
