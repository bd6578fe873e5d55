// spindisk extract in-process: programs built in memory come back byte for
// byte, the printed SpinLoad command rebuilds the same image, and every
// refusal leaves the output alone.
#include <gtest/gtest.h>

#include <cstdio>

#include "cli/options.h"
#include "spindisk/command.h"
#include "image/image_fixture.h"

namespace {

constexpr size_t MINI_SLOT = 2304;

// Splits a command line as a POSIX shell would for the words extract
// prints: spaces separate, single quotes keep everything up to the next
// one, a backslash outside them keeps the next character.
std::vector<std::string> shell_words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false, escaped = false;
    for (const char c : line) {
        if (escaped) {
            word += c;
            escaped = false;
        } else if (quoted) {
            if (c == '\'') quoted = false; else word += c;
        } else if (c == '\\') {
            escaped = in_word = true;
        } else if (c == '\'') {
            quoted = in_word = true;
        } else if (c == ' ') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

// Builds the image that the "SpinLoad ..." part of extract's second line
// asks for, from the file that extract wrote.
Bytes rebuild(const std::string& out_text) {
    const size_t line_start = out_text.find('\n') + 1;
    const size_t command = out_text.find(": SpinLoad ", line_start);
    if (command == std::string::npos) return {};
    const std::string line = out_text.substr(command + 2, out_text.find('\n', command) - command - 2);
    const ParseResult parsed = parse_arguments(shell_words(line));
    if (parsed.outcome != ParseOutcome::ready) return {};
    ImageOptions options = parsed.options;
    if (options.exec_address == -1) options.exec_address = options.load_address;
    return build(options, read_file(options.input_path));
}

std::string hex4(uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

}  // namespace

TEST(Extract, LoaderProgramsComeBackAndRebuildTheImage) {
    const std::string gone = "note: the terminator's header lies over the label's first characters; the command "
                             "leaves the label out\n";
    const std::string odd = "note: the label has bytes that a command line cannot carry; the command leaves it out\n";
    struct Case {
        DiskFormat format;
        size_t size;
        uint16_t load;
        int32_t exec;        // -1: none given
        Bytes label;
        std::string label_word;  // what the command carries for it
        std::string note;
        bool same_image;     // the printed command rebuilds the image exactly
        bool fast = false;   // the fast loader on track 0, which SpinLoad does not write
    };
    const std::string fast = "note: SpinLoad writes the standard boot loader on track 0; spindisk make --loader fast "
                             "writes this disk's\n";
    const Case cases[] = {
        {DiskFormat::mini, 1, 0x0300, -1, {}, "", "", true},
        {DiskFormat::mini, 253, 0x1000, 0x2000, {}, "", "", true},
        {DiskFormat::mini, 2045, 0x0300, -1, label_bytes("HELLO"), " -nHELLO", "", true},
        {DiskFormat::mini, 2046, 0x0300, 0x0300, label_bytes("MY GAME"), " '-nMY GAME'", "", true},
        {DiskFormat::mini, 5000, 0x0300, 0x0400, label_bytes("it's"), " '-nit'\\''s'", "", true},
        {DiskFormat::mini, 20451, 0x0200, -1, {}, "", "", true},  // terminator on the directory track
        {DiskFormat::mini, 20451, 0x0200, -1, label_bytes("OVERLAP"), "", gone, false},
        {DiskFormat::mini, 23011, 0x0200, -1, label_bytes("GONE"), "", "", true},  // data covers the directory
        {DiskFormat::mini, 75665, 0x0200, -1, {}, "", "", true},
        {DiskFormat::mini, 8192, 0xF000, -1, {}, "", "", true},  // wraps past $FFFF
        {DiskFormat::full, 227106, 0x0000, 0xFFFF, {}, "", "", true},
        {DiskFormat::full, 3070, 0x0300, -1, label_bytes("A\"B"), "", odd, false},
        {DiskFormat::full, 5000, 0x8000, -1, {'A', 0xE9}, "", odd, false},
        {DiskFormat::mini, 5000, 0x0300, -1, {}, "", fast, false, true},
        {DiskFormat::full, 30000, 0x2200, 0x2300, {}, "", fast, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes at " + hex4(c.load) + (c.format == DiskFormat::full ? " 8-inch" : ""));
        ImageOptions options = loader_options(c.format, c.load, c.exec);
        options.label = c.label;
        if (c.fast) options.loader = LoaderKind::fast;
        const Bytes program = pattern_bytes(c.size, static_cast<uint32_t>(c.size));
        const Bytes image = build(options, program);
        TempDir dir;
        write_file(dir.file("disk.65d"), image);
        const std::string out = dir.file("prog.bin");

        const CommandOutput result = run_extract({dir.file("disk.65d"), out});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(read_file(out), program);
        const uint16_t exec = c.exec >= 0 ? static_cast<uint16_t>(c.exec) : c.load;
        EXPECT_EQ(result.out, "wrote " + std::to_string(c.size) + " bytes to '" + out + "'\n" + "load $" + hex4(c.load) +
                                  ", exec $" + hex4(exec) + (c.fast ? " (fast boot loader)" : "") + ": SpinLoad" +
                                  (c.format == DiskFormat::full ? " -8" : "") + " -l" + hex4(c.load) + " -e" +
                                  hex4(exec) + c.label_word + " " + out + "\n" + c.note);
        const Bytes rebuilt = rebuild(result.out);
        EXPECT_EQ(rebuilt == image, c.same_image);
        if (c.fast) {  // only track 0 differs
            const size_t slot = geometry_for(c.format).track_slot_size;
            ASSERT_EQ(rebuilt.size(), image.size());
            EXPECT_TRUE(std::equal(image.begin() + slot, image.end(), rebuilt.begin() + slot));
        }
    }
}

TEST(Extract, RawBootCodeComesBackWholePagesOrCut) {
    struct Case {
        const char* name;
        DiskFormat format;
        size_t size;
        const char* label;
        const char* cut;      // --size value, or nullptr
        size_t written;
        std::string command;  // after "SpinLoad", before the output name
        std::string note;
    };
    const Case cases[] = {
        {"1 byte cut to 1", DiskFormat::mini, 1, "", "1", 1, " -t", ""},
        {"2045 bytes cut to 2045", DiskFormat::mini, 2045, "", "2045", 2045, " -t", ""},
        {"8-inch 3069 bytes", DiskFormat::full, 3069, "", "3069", 3069, " -8 -t", ""},
        {"with a label", DiskFormat::mini, 10, "BOOT", "10", 10, " -t -nBOOT", ""},
        {"cut shorter than the code", DiskFormat::mini, 700, "", "100", 100, " -t", ""},
        // 700 bytes -> 3 pages; the ROM loads 768 bytes.
        {"whole pages", DiskFormat::mini, 700, "", nullptr, 768, " -t",
         "note: the image does not record the code's exact length: SpinLoad -t wrote 512 to 767 bytes; --size N "
         "cuts OUT to N bytes\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageOptions options;
        options.format = c.format;
        options.raw_boot = true;
        options.load_address = 0x2200;
        options.label = label_bytes(c.label);
        const Bytes code = pattern_bytes(c.size, 7);
        const Bytes image = build(options, code);
        TempDir dir;
        write_file(dir.file("boot.65d"), image);
        const std::string out = dir.file("boot.bin");
        std::vector<std::string> args = {dir.file("boot.65d"), out};
        if (c.cut) args.insert(args.end(), {"--size", c.cut});

        const CommandOutput result = run_extract(args);
        ASSERT_EQ(result.status, 0) << result.err;
        Bytes expected = code;
        expected.resize(c.written, 0);  // the rest of the pages are the slot's zeros
        EXPECT_EQ(read_file(out), expected);
        EXPECT_EQ(result.out, "wrote " + std::to_string(c.written) + " bytes to '" + out + "'\n" +
                                  "load $2200, exec $2200 (raw boot code): SpinLoad" + c.command + " " + out + "\n" +
                                  c.note);
        if (c.written == c.size) {
            EXPECT_EQ(rebuild(result.out), image);
        }
    }
}

TEST(Extract, CutsLoaderProgramsToo) {
    TempDir dir;
    const Bytes program = pattern_bytes(5000);
    write_file(dir.file("disk.65d"), build(loader_options(DiskFormat::mini, 0x0300), program));
    const CommandOutput result = run_extract({"--size=4096", dir.file("disk.65d"), dir.file("out")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read_file(dir.file("out")), Bytes(program.begin(), program.begin() + 4096));
}

TEST(Extract, WarnsWhenTheBytesAreNotTheProgramAsWritten) {
    // 10 bytes at $0300 with the terminator moved to $050A: 522 bytes is
    // more than one page holds, so the loader's 253 stored bytes come out.
    Bytes image = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10));
    image[2 * MINI_SLOT + 8] = 0x05;
    TempDir dir;
    write_file(dir.file("disk.65d"), image);
    const CommandOutput result = run_extract({dir.file("disk.65d"), dir.file("out")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "spindisk: warning: track 1: the next address $050A does not follow from page count 1 (a chunk of 1 to "
              "253 bytes from $0300); taking the 253 bytes the loader stores\n");
    EXPECT_EQ(read_file(dir.file("out")), Bytes(image.begin() + MINI_SLOT + 10, image.begin() + MINI_SLOT + 263));
}

TEST(Extract, RefusesAndLeavesTheOutputAlone) {
    const std::string try_help = "Try 'spindisk extract --help'.\n";
    const Bytes old_contents = {'o', 'l', 'd'};
    struct Case {
        const char* name;
        Bytes image;
        std::vector<std::string> args;  // IMAGE and OUT are "disk.65d" and "out" in the directory
        bool out_exists;
        int status;
        std::string err;  // with IMAGE and OUT as the words below
    };
    Bytes empty_program = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(1));
    empty_program[MINI_SLOT + 7] = 0;
    const Bytes good = build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(5000));
    const Case cases[] = {
        {"unknown boot code", Bytes(92160, 0), {"IMAGE", "OUT"}, false, 1,
         "spindisk: 'IMAGE' has unknown boot code (boot header 00 00 00); there is no program to extract\n"},
        {"no program", empty_program, {"IMAGE", "OUT"}, false, 1, "spindisk: 'IMAGE' holds no program\n"},
        {"wrong size", Bytes(5000, 0), {"IMAGE", "OUT"}, false, 1,
         "spindisk: 'IMAGE' is 5000 bytes; an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n"},
        {"output exists", good, {"IMAGE", "OUT"}, true, 1, "spindisk: 'OUT' exists (use --force to overwrite)\n"},
        {"size too big", good, {"IMAGE", "OUT", "--size", "5001"}, false, 2,
         "spindisk: --size 5001 is more than the 5000 bytes on 'IMAGE'\n" + try_help},
        {"size too big, output exists", good, {"IMAGE", "OUT", "--size", "99999", "--force"}, true, 2,
         "spindisk: --size 99999 is more than the 5000 bytes on 'IMAGE'\n" + try_help},
        {"size 0", good, {"--size", "0", "IMAGE", "OUT"}, false, 2, "spindisk: --size must be at least 1\n" + try_help},
        {"size not a number", good, {"--size", "12k", "IMAGE", "OUT"}, false, 2,
         "spindisk: --size needs a whole number of bytes, not '12k'\n" + try_help},
        {"negative size", good, {"IMAGE", "OUT", "--size", "-1"}, false, 2,
         "spindisk: --size needs a whole number of bytes, not '-1'\n" + try_help},
        {"size without a value", good, {"IMAGE", "OUT", "--size"}, false, 2,
         "spindisk: option '--size' needs a value\n" + try_help},
        {"no arguments", good, {}, false, 2, "spindisk: missing IMAGE and OUT\n" + try_help},
        {"no output", good, {"IMAGE"}, false, 2, "spindisk: missing OUT\n" + try_help},
        {"three names", good, {"IMAGE", "OUT", "more"}, false, 2, "spindisk: unexpected argument 'more'\n" + try_help},
        {"unknown option", good, {"IMAGE", "OUT", "--overwrite"}, false, 2,
         "spindisk: unknown option '--overwrite'\n" + try_help},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string image = dir.file("disk.65d");
        const std::string out = dir.file("out");
        write_file(image, c.image);
        if (c.out_exists) write_file(out, old_contents);
        std::vector<std::string> args;
        for (const std::string& arg : c.args) args.push_back(arg == "IMAGE" ? image : arg == "OUT" ? out : arg);
        std::string err = c.err;
        for (const auto& name : {std::make_pair(std::string("'IMAGE'"), image), std::make_pair(std::string("'OUT'"), out)}) {
            const size_t at = err.find(name.first);
            if (at != std::string::npos) err.replace(at, name.first.size(), "'" + name.second + "'");
        }

        const CommandOutput result = run_extract(args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, err);
        if (c.out_exists) {
            EXPECT_EQ(read_file(out), old_contents);
        } else {
            EXPECT_FALSE(file_exists(out));
        }
        EXPECT_EQ(dir.listing().size(), c.out_exists ? 2u : 1u);
    }
}

TEST(Extract, ForceReplacesAnExistingOutput) {
    TempDir dir;
    const Bytes program = pattern_bytes(3000);
    write_file(dir.file("disk.65d"), build(loader_options(DiskFormat::mini, 0x0300), program));
    write_file(dir.file("out"), Bytes(10000, 0xAA));
    const CommandOutput result = run_extract({dir.file("disk.65d"), dir.file("out"), "--force"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read_file(dir.file("out")), program);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"disk.65d", "out"}));
}

TEST(Extract, CannotWriteIntoAMissingDirectory) {
    TempDir dir;
    write_file(dir.file("disk.65d"), build(loader_options(DiskFormat::mini, 0x0300), pattern_bytes(10)));
    const std::string out = dir.file("nowhere/out");
    const CommandOutput result = run_extract({dir.file("disk.65d"), out});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "spindisk: cannot open '" + out + "' for writing\n");
    EXPECT_EQ(dir.listing(), std::vector<std::string>{"disk.65d"});
}
