// spindisk list in-process: the listing of real images, each warning as a
// person and a script see it, malformed files and bad usage.
#include <gtest/gtest.h>

#include <filesystem>

#include "spindisk/command.h"
#include "image/image_fixture.h"

namespace {

constexpr size_t MINI_SLOT = 2304;

struct Listed {
    CommandOutput text;
    CommandOutput json;
};

// Lists the image as "disk.65d" in a fresh directory, as text and as JSON.
Listed list_image(const Bytes& image) {
    TempDir dir;
    const std::string path = dir.file("disk.65d");
    write_file(path, image);
    return {run_list({path}), run_list({"--json", path})};
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

ImageOptions raw_options() {
    ImageOptions options;
    options.raw_boot = true;
    options.load_address = 0x2200;
    return options;
}

}  // namespace

TEST(List, ShowsTheWorkedExample) {
    // 5000 bytes at $0300, started at $0400: 2045 + 2045 + 910 bytes on
    // tracks 1-3 at $0300, $0AFD, $12FA; 910 + 3 bytes take 4 pages, which
    // store 1021 bytes, up to $12FA + 1020 = $16F6; the terminator points
    // at $0300 + 5000 = $1688.
    const Listed listed = list_image(build(loader_options(DiskFormat::mini, 0x0300, 0x0400), pattern_bytes(5000)));
    EXPECT_EQ(listed.text.status, 0);
    EXPECT_EQ(listed.text.err, "");
    EXPECT_EQ(listed.text.out,
              "Image: 5.25-inch, 92160 bytes (40 tracks of 2304 bytes)\n"
              "Boot: SpinLoad's boot loader, starts the program at $0400\n"
              "Data tracks, as the loader reads them:\n"
              "  Track  Pages  Chunk        Bytes  Stored by the loader\n"
              "      1      8  $0300-$0AFC   2045  $0300-$0AFC\n"
              "      2      8  $0AFD-$12F9   2045  $0AFD-$12F9\n"
              "      3      4  $12FA-$1687    910  $12FA-$16F6\n"
              "Terminator: track 4, address $1688\n"
              "Program: 5000 bytes, $0300-$1687\n"
              // (52 * 256 + 12) cycles per 256 bytes, 11 bits at 125000 bit/s
              // a byte: 13324 * 125000 / 2816 = 591441.8 Hz.
              "Clock: at least 591442 Hz; the loader takes up to 52 cycles a byte and 12 more a page, and a "
              "byte comes every 88 us\n"
              "Label on directory track 12 (SpinLoad's default):\n"
              "  SPIN\n"
              "  LOAD\n"
              "  IS NOT\n"
              "  OS65D\n"
              "Warnings: none\n");

    EXPECT_EQ(listed.json.status, 0);
    const std::string& json = listed.json.out;
    ASSERT_FALSE(json.empty());
    EXPECT_EQ(json.back(), '\n');
    const char* const parts[] = {
        R"({"format":"5.25-inch","image_size":92160,"track_count":40,"track_size":2304,)",
        R"("boot":{"mode":"loader","load_address":8704,"page_count":2,"exec_address":1024})",
        // $12FA = 4858, $1687 = 5767, $16F6 = 5878
        R"({"track":3,"page_count":4,"load_address":4858,"end_address":5767,"bytes":910,"bytes_derived":true,)"
        R"("stored_end_address":5878,"stored_bytes":1021,"sector_offset":4})",
        R"("terminator":{"track":4,"page_count":0,"address":5768})",
        R"("program":{"size":5000,"load_address":768,"end_address":5767})",
        R"("label":{"track":12,"state":"intact","default":true,"lines":["SPIN","LOAD","IS NOT","OS65D"]})",
        R"("warnings":[]})",
    };
    for (const char* part : parts) EXPECT_TRUE(contains(json, part)) << part << "\nin " << json;
}

TEST(List, ShowsOtherBootTracksAndLabels) {
    struct Case {
        const char* name;
        Bytes image;
        std::vector<std::string> lines;       // each must appear as a whole line
        std::vector<std::string> json_parts;  // each must appear in the JSON
    };
    ImageOptions labelled = loader_options(DiskFormat::full, 0x1000);
    labelled.label = label_bytes("MY GAME\\");
    ImageOptions fast_options = loader_options(DiskFormat::full, 0x0300);
    fast_options.loader = LoaderKind::fast;
    ImageOptions raw_labelled = raw_options();
    raw_labelled.label = {'A', 0x01, 0xE9};
    const Case cases[] = {
        {"raw boot code of 700 bytes",
         build(raw_labelled, pattern_bytes(700)),
         {"Boot: raw boot code: the boot ROM loads 3 pages (768 bytes from the track) at $2200 and starts it there",
          "  The image does not record the code's exact length: SpinLoad -t writes 3 pages for 512 to 767 bytes.",
          "Label on directory track 12:", "  A\\x01\\xE9", "Warnings: none"},
         {R"("boot":{"mode":"raw","load_address":8704,"page_count":3,"code_bytes":768,"input_size_range":[512,767]})",
          R"("tracks":[],"terminator":null,"program":null)", R"("lines":["A\u0001\u00E9"])"}},
        {"unknown boot code", Bytes(92160, 0),
         {"Boot: unknown boot code (boot header 00 00 00)", "Label: none, directory track 12 holds no directory"},
         {R"("boot":{"mode":"unknown","load_address":0,"page_count":0})",
          R"("label":{"track":12,"state":"missing","default":false,"lines":[]})"}},
        {"8-inch with a label",
         build(labelled, pattern_bytes(100)),
         {"Image: 8-inch, 295680 bytes (77 tracks of 3840 bytes)", "Label on directory track 8:", "  MY GAM",
          "  E\\\\"},
         {R"("lines":["MY GAM","E\\"])"}},
        {"the fast loader on 8-inch",
         build(fast_options, pattern_bytes(1000)),
         // 38 cycles against 44 us: 38 * 250000 / 11 = 863636.4 Hz, so a
         // 1 MHz machine keeps up.
         {"Boot: SpinLoad's fast boot loader, starts the program at $0300",
          "      1      4  $0300-$06E7   1000  $0300-$06FC", "Program: 1000 bytes, $0300-$06E7",
          "Clock: at least 863637 Hz; the loader takes up to 38 cycles a byte, page ends included, and a byte comes "
          "every 44 us",
          "Warnings: none"},
         {R"("boot":{"mode":"fast_loader","load_address":8704,"page_count":2,"exec_address":768})",
          R"("program":{"size":1000,"load_address":768,"end_address":1767},"min_cpu_hz":863637,)"}},
        {"data over the directory",
         build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(23011)),
         {"Label: none, directory track 12 was overwritten by program data"},
         {R"("label":{"track":12,"state":"overwritten","default":false,"lines":[]})"}},
        {"terminator on the directory track",
         build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(20451)),
         // $0300 + 20451 = $52E3 over "SPI"
         {"Label on directory track 12 (SpinLoad's default; the terminator's header lies over its first three "
          "characters):",
          "  \\x00R\\xE3N", "  LOAD"},
         {R"("state":"shares_terminator","default":true,"lines":["\u0000R\u00E3N","LOAD","IS NOT","OS65D"])"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Listed listed = list_image(c.image);
        EXPECT_EQ(listed.text.status, 0);
        EXPECT_EQ(listed.text.err, "");
        for (const std::string& line : c.lines) {
            EXPECT_TRUE(contains("\n" + listed.text.out, "\n" + line + "\n")) << line << "\nin\n" << listed.text.out;
        }
        for (const std::string& part : c.json_parts) {
            EXPECT_TRUE(contains(listed.json.out, part)) << part << "\nin " << listed.json.out;
        }
    }
}

TEST(List, ShowsEachWarning) {
    struct Case {
        const char* name;
        Bytes image;
        std::string line;  // the warning as a person reads it
        std::string json;  // the same warning's object
    };
    Bytes no_mark = build(loader_options(DiskFormat::mini, 0x0300), Bytes(1, 0));
    no_mark[2 * MINI_SLOT + 4] = 0;  // the terminator track loses its $76
    Bytes header = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    header[MINI_SLOT + 2] = 0x07;
    Bytes past = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    past[MINI_SLOT + 7] = 10;
    Bytes high = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    high[2 * MINI_SLOT + 7] = 0xFF;
    Bytes mismatch = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    mismatch[2 * MINI_SLOT + 8] = 0x05;  // terminator at $050A instead of $030A
    Bytes moved = build(loader_options(DiskFormat::mini, 0x0300), Bytes(1, 0));
    moved[MINI_SLOT + 4] = 0;
    moved[MINI_SLOT + 100] = 0x76, moved[MINI_SLOT + 101] = 0x01, moved[MINI_SLOT + 103] = 1;
    moved[MINI_SLOT + 104] = 0x03;
    Bytes empty = build(loader_options(DiskFormat::mini, 0x0300, 0x1234), Bytes(1, 0));
    empty[MINI_SLOT + 7] = 0;
    const Case cases[] = {
        {"wraps", build(loader_options(DiskFormat::mini, 0xFF00), pattern_bytes(300)),
         "  warning: the program (300 bytes from $FF00) runs past $FFFF and wraps to $0000",
         R"({"code":"wraps","level":"warning","track":null,"message":"the program (300 bytes from $FF00) runs past )"
         R"($FFFF and wraps to $0000"})"},
        {"loader memory", build(loader_options(DiskFormat::mini, 0x00F0), pattern_bytes(1)),
         // 1 page stores 253 bytes: $00F0-$01EC
         "  error: track 1 stores $00F0-$01EC, over memory the loader needs while it loads ($0000-$00F5, "
         "$00FD-$00FF, $0100)",
         R"({"code":"loader_memory","level":"error","track":1,)"},
        {"finish patch", build(loader_options(DiskFormat::mini, 0x0130), pattern_bytes(1)),
         "  warning: track 1 puts program bytes at $0130-$0130, over $012B-$0130, which the loader's finish "
         "overwrites before it starts the program",
         R"({"code":"finish_patch","level":"warning","track":1,)"},
        {"I/O area", build(loader_options(DiskFormat::mini, 0xC020), pattern_bytes(1)),
         "  warning: track 1 stores $C020-$C11C, into the I/O and ROM area at $C000 and up",
         R"({"code":"io_area","level":"warning","track":1,)"},
        {"disk controller", build(loader_options(DiskFormat::mini, 0xC000), pattern_bytes(1)),
         "  error: track 1 stores $C000-$C0FC, into the disk controller's registers at $C001-$C01F: the loader "
         "loses the index and track-0 lines, and the disk does not boot",
         R"({"code":"disk_controller","level":"error","track":1,)"},
        {"track header", header,
         "  warning: track 1 does not begin with its track header 43 57 01 58 (\"CW\", the track in BCD, \"X\"); "
         "the loader reads it all the same",
         R"(track header 43 57 01 58 (\"CW\", the track in BCD, \"X\"))"},
        {"sector mark moved", moved,
         "  warning: track 1 has no $76 $01 at bytes 4-5; the loader finds one at byte 100 and reads its load "
         "header there",
         R"({"code":"sector_mark_moved","level":"warning","track":1,)"},
        {"no sector mark", no_mark,
         "  error: track 2 holds no $76 $01 anywhere: the loader would search it for ever",
         R"({"code":"no_sector_mark","level":"error","track":2,)"},
        {"page count past the track", past,
         "  error: track 1: page count 10 asks for 2557 bytes, but only 2294 follow the load header on the "
         "track; the loader would reach the index hole and jump through the reset vector",
         R"({"code":"past_track","level":"error","track":1,)"},
        {"chunk mismatch", mismatch,
         // $050A - $0300 = 522 bytes, more than 1 page stores
         "  warning: track 1: the next address $050A does not follow from page count 1 (a chunk of 1 to 253 "
         "bytes from $0300); taking the 253 bytes the loader stores",
         R"({"code":"chunk_mismatch","level":"warning","track":1,)"},
        {"high page count", high, "  warning: track 2: page count 255 (14 or more) ends loading as 0 does",
         R"({"code":"high_page_count","level":"warning","track":2,)"},
        {"no program", empty,
         "  warning: track 1 is the terminator: the disk loads no program and jumps straight to $1234",
         R"({"code":"no_program","level":"warning","track":1,)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Listed listed = list_image(c.image);
        EXPECT_EQ(listed.text.status, 0);
        EXPECT_TRUE(contains(listed.text.out, "\nWarnings:\n"));
        EXPECT_TRUE(contains(listed.text.out, "\n" + c.line + "\n")) << c.line << "\nin\n" << listed.text.out;
        EXPECT_TRUE(contains(listed.json.out, c.json)) << c.json << "\nin " << listed.json.out;
    }
}

TEST(List, StatesTheSlowestClockForTheLoader) {
    // The loader's worst case, 52 cycles a byte and 12 more a page, against
    // a byte (11 bits) every 88 us or 44 us: 13324 cycles per 256 bytes.
    struct Case {
        const char* name;
        Bytes image;
        const char* line;  // nullptr: no clock line
        const char* json;
    };
    ImageOptions raw = raw_options();
    raw.format = DiskFormat::full;
    const Case cases[] = {
        {"5.25-inch", build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(3000)),
         "Clock: at least 591442 Hz; the loader takes up to 52 cycles a byte and 12 more a page, and a byte comes "
         "every 88 us\nLabel",
         "\"min_cpu_hz\":591442,"},
        // 13324 * 250000 / 2816 = 1182883.5 Hz: no 1 MHz machine keeps up.
        {"8-inch", build(loader_options(DiskFormat::full, 0x0300), pattern_bytes(3000)),
         "Clock: at least 1182884 Hz; the loader takes up to 52 cycles a byte and 12 more a page, and a byte comes "
         "every 44 us\n  A 1 MHz machine (983040 Hz) will not load this disk: it loses bytes on every track.\n",
         "\"min_cpu_hz\":1182884,"},
        {"raw boot code", build(raw, pattern_bytes(300)), nullptr, "\"min_cpu_hz\":null,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Listed listed = list_image(c.image);
        if (c.line) {
            EXPECT_TRUE(contains(listed.text.out, c.line)) << listed.text.out;
        } else {
            EXPECT_FALSE(contains(listed.text.out, "Clock:")) << listed.text.out;
        }
        EXPECT_TRUE(contains(listed.json.out, c.json)) << listed.json.out;
    }
}

TEST(List, StrictFailsOnErrorsOnly) {
    struct Case {
        const char* name;
        Bytes image;
        int status;
        const char* err;  // after "spindisk: 'PATH'"
    };
    const Bytes controller = build(loader_options(DiskFormat::mini, 0xC000), pattern_bytes(1));
    Bytes and_no_mark = controller;
    and_no_mark[2 * MINI_SLOT + 4] = 0;  // the terminator track loses its $76
    const Case cases[] = {
        {"clean", build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(3000)), 0, nullptr},
        {"a warning", build(loader_options(DiskFormat::mini, 0xC020), pattern_bytes(1)), 0, nullptr},
        {"an error", controller, 1, " has 1 error (--strict)\n"},
        {"two errors", and_no_mark, 1, " has 2 errors (--strict)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("disk.65d");
        write_file(path, c.image);
        const CommandOutput plain = run_list({path});
        EXPECT_EQ(plain.status, 0);
        for (const auto& args : {std::vector<std::string>{"--strict", path}, {path, "--strict", "--json"}}) {
            const CommandOutput strict = run_list(args);
            EXPECT_EQ(strict.status, c.status);
            EXPECT_EQ(strict.err, c.err ? "spindisk: '" + path + "'" + c.err : "");
            EXPECT_FALSE(strict.out.empty());  // the listing says what the errors are
        }
    }
}

TEST(List, RefusesWhatIsNotAnImage) {
    const std::string sizes = "an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n";
    struct Case {
        const char* name;
        const char* file;
        bool write;   // written with size bytes, else the path as it stands
        size_t size;
        std::string problem;  // the message after the quoted path
        bool path_first;      // the message starts with the path
    };
    const Case cases[] = {
        {"empty", "x.65d", true, 0, " is 0 bytes; " + sizes, true},
        {"1000 bytes", "x.65d", true, 1000, " is 1000 bytes; " + sizes, true},
        {"one byte short", "x.65d", true, 92159, " is 92159 bytes; " + sizes, true},
        {"one byte over", "x.65d", true, 295681, " is 295681 bytes; " + sizes, true},
        {"over the read limit", "x.65d", true, 16777217, " is more than 16777216 bytes; " + sizes, true},
        {"missing", "none.65d", false, 0, ": no such file\n", false},
        {"a directory", "sub", false, 0, " is a directory, not a file\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.file("sub"));
        const std::string path = dir.file(c.file);
        if (c.write) write_file(path, Bytes(c.size, 0x76));
        const std::string err = std::string("spindisk: ") + (c.path_first ? "" : "cannot open ") + "'" + path + "'" +
                                c.problem;
        for (const auto& args : {std::vector<std::string>{path}, std::vector<std::string>{path, "--json"}}) {
            const CommandOutput output = run_list(args);
            EXPECT_EQ(output.status, 1);
            EXPECT_EQ(output.out, "");
            EXPECT_EQ(output.err, err);
        }
    }
}

TEST(List, BadUsage) {
    const std::string try_help = "Try 'spindisk list --help'.\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {"nothing", {}, "spindisk: missing IMAGE\n" + try_help},
        {"only --json", {"--json"}, "spindisk: missing IMAGE\n" + try_help},
        {"two images", {"a.65d", "b.65d"}, "spindisk: unexpected argument 'b.65d'\n" + try_help},
        {"unknown option", {"--jsn", "a.65d"}, "spindisk: unknown option '--jsn'\n" + try_help},
        {"--json with a value", {"--json=yes", "a.65d"}, "spindisk: option '--json' takes no value\n" + try_help},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandOutput output = run_list(c.args);
        EXPECT_EQ(output.status, 2);
        EXPECT_EQ(output.out, "");
        EXPECT_EQ(output.err, c.err);
    }
}
