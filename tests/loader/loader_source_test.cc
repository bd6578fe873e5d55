// The 6502 source beside each loader's bytes assembles (ca65, ld65) to
// exactly those bytes, the start address as the bytes have it ($0300 for
// the standard loader, $0000 for the fast one).
#include <gtest/gtest.h>

#include <string>

#include "loader/fast_loader.h"
#include "loader/loader_kind.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

struct SourceCase {
    const char* name;
    LoaderKind kind;
    const char* source;  // in src/loader/
    const char* config;
};

const SourceCase SOURCES[] = {
    {"standard", LoaderKind::standard, "boot_loader.s", "boot_loader.cfg"},
    {"fast", LoaderKind::fast, "fast_loader.s", "fast_loader.cfg"},
};

std::string loader_source(const char* name) { return std::string(SPIN_SOURCE_DIR) + "/src/loader/" + name; }

TEST(LoaderSource, AssemblesToTheBytesInTheCode) {
    for (const SourceCase& c : SOURCES) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProcessResult assembled =
            run_process({CA65_PROGRAM, "-o", dir.file("loader.o"), loader_source(c.source)});
        ASSERT_EQ(assembled.status, 0) << assembled.err;
        EXPECT_EQ(assembled.err, "");  // no warnings either
        const ProcessResult linked = run_process(
            {LD65_PROGRAM, "-C", loader_source(c.config), "-o", dir.file("loader.bin"), dir.file("loader.o")});
        ASSERT_EQ(linked.status, 0) << linked.err;
        EXPECT_EQ(linked.err, "");
        const LoaderInfo& loader = loader_info(c.kind);
        EXPECT_EQ(read_file(dir.file("loader.bin")), Bytes(loader.image, loader.image + loader.size));
    }
}

// The named offsets point where the source puts them: the final jump's
// operand, the body's copy to page zero, the error stop's JMP to itself.
TEST(LoaderSource, FastLoaderOffsetsMatchItsCode) {
    const auto& image = FAST_LOADER_IMAGE;
    constexpr uint8_t JMP = 0x4C;
    EXPECT_EQ(image[FAST_LOADER_FINAL_JUMP_OFFSET], JMP);
    EXPECT_EQ(FAST_LOADER_EXEC_LOW_OFFSET, FAST_LOADER_FINAL_JUMP_OFFSET + 1);
    EXPECT_EQ(FAST_LOADER_EXEC_HIGH_OFFSET, FAST_LOADER_FINAL_JUMP_OFFSET + 2);
    EXPECT_EQ(FAST_LOADER_BODY_OFFSET + FAST_LOADER_BODY_SIZE, FAST_LOADER_SIZE);
    EXPECT_LE(FAST_LOADER_BODY_SIZE, 0xF6u);  // no more of page zero than the standard loader
    // The stub: LDA $2210,X / ... / CPX #body size / ... / JMP $0000.
    EXPECT_EQ(image[4] | image[5] << 8, 0x2200 + FAST_LOADER_BODY_OFFSET);
    EXPECT_EQ(image[10], FAST_LOADER_BODY_SIZE);
    const size_t stop = FAST_LOADER_BODY_OFFSET + FAST_LOADER_ERROR_STOP_ADDRESS;
    EXPECT_EQ(image[stop], JMP);
    EXPECT_EQ(image[stop + 1] | image[stop + 2] << 8, FAST_LOADER_ERROR_STOP_ADDRESS);
    // The settle wait: 20 rounds of 5 * passes + 6 cycles, 20 ms at 983040 Hz.
    EXPECT_EQ(image[FAST_LOADER_SETTLE_OFFSET - 1], 0xA0);  // LDY #
    EXPECT_EQ(image[FAST_LOADER_SETTLE_OFFSET], FAST_LOADER_SETTLE_MS);
    EXPECT_EQ(image[FAST_LOADER_MILLISECOND_PASSES_OFFSET - 1], 0xA2);  // LDX #
    EXPECT_EQ(5u * image[FAST_LOADER_MILLISECOND_PASSES_OFFSET] + 6, FAST_LOADER_MILLISECOND_CYCLES);
    EXPECT_NEAR(FAST_LOADER_MILLISECOND_CYCLES / 983.04, 1.0, 0.005);
    // The message's two digits start at "00".
    const size_t message = FAST_LOADER_BODY_OFFSET + FAST_LOADER_ERROR_STOP_ADDRESS + 3;
    EXPECT_EQ(std::string(image.begin() + message, image.begin() + message + FAST_LOADER_MESSAGE_SIZE),
              "track 00 read error");
}

}  // namespace
