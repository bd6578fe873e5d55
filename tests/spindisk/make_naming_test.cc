// spindisk make's default output name: beside the input, its last extension
// replaced by the output format's.
#include <gtest/gtest.h>

#include "spindisk/make_summary.h"

namespace {

TEST(MakeNaming, DefaultOutputReplacesTheLastExtension) {
    const struct {
        const char* input;
        DiskFileKind kind;
        DiskFormat disk;
        const char* output;
    } cases[] = {
        {"game.bin", DiskFileKind::image, DiskFormat::mini, "game.65d"},
        {"a.b/prog", DiskFileKind::image, DiskFormat::mini, "a.b/prog.65d"},
        {"game.tar.gz", DiskFileKind::image, DiskFormat::mini, "game.tar.65d"},
        {"PROGRAM", DiskFileKind::image, DiskFormat::mini, "PROGRAM.65d"},
        {".hidden", DiskFileKind::image, DiskFormat::mini, ".hidden.65d"},
        {"dir/.hidden", DiskFileKind::image, DiskFormat::mini, "dir/.hidden.65d"},
        {"prog.longextension", DiskFileKind::image, DiskFormat::mini, "prog.65d"},
        {"game.bin", DiskFileKind::hfe, DiskFormat::mini, "game.hfe"},
        {"game.bin", DiskFileKind::osi_stream, DiskFormat::mini, "game.os5"},
        {"game.bin", DiskFileKind::osi_stream, DiskFormat::full, "game.os8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(default_output_name(c.input, c.kind, c.disk), c.output);
    }
}

}  // namespace
