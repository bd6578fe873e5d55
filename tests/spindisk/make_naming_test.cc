// spindisk make's output names: the default beside the input, the format a
// name asks for, and the osiemu extension that must match the disk.
#include <gtest/gtest.h>

#include "spindisk/make_summary.h"

namespace {

TEST(MakeNaming, DefaultOutputReplacesTheLastExtension) {
    const struct {
        const char* input;
        OutputFormat format;
        DiskFormat disk;
        const char* output;
    } cases[] = {
        {"game.bin", OutputFormat::image, DiskFormat::mini, "game.65d"},
        {"a.b/prog", OutputFormat::image, DiskFormat::mini, "a.b/prog.65d"},
        {"game.tar.gz", OutputFormat::image, DiskFormat::mini, "game.tar.65d"},
        {"PROGRAM", OutputFormat::image, DiskFormat::mini, "PROGRAM.65d"},
        {".hidden", OutputFormat::image, DiskFormat::mini, ".hidden.65d"},
        {"dir/.hidden", OutputFormat::image, DiskFormat::mini, "dir/.hidden.65d"},
        {"prog.longextension", OutputFormat::image, DiskFormat::mini, "prog.65d"},
        {"game.bin", OutputFormat::hfe, DiskFormat::mini, "game.hfe"},
        {"game.bin", OutputFormat::osi_stream, DiskFormat::mini, "game.os5"},
        {"game.bin", OutputFormat::osi_stream, DiskFormat::full, "game.os8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(default_output_name(c.input, c.format, c.disk), c.output);
    }
}

TEST(MakeNaming, TheOutputNameChoosesTheFormat) {
    const struct {
        const char* name;
        bool known;
        OutputFormat format;
        bool fits_mini, fits_full;
    } cases[] = {
        {"x.65d", true, OutputFormat::image, true, true},      {"X.65D", true, OutputFormat::image, true, true},
        {"x.hfe", true, OutputFormat::hfe, true, true},        {"x.os5", true, OutputFormat::osi_stream, true, false},
        {"x.OS8", true, OutputFormat::osi_stream, false, true}, {"x.img", false, OutputFormat::image, true, true},
        {"x", false, OutputFormat::image, true, true},          {"-", false, OutputFormat::image, true, true},
        {"d.os5/x", false, OutputFormat::image, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OutputFormat format = OutputFormat::image;
        EXPECT_EQ(output_format_for_name(c.name, format), c.known);
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(output_name_fits_disk(c.name, DiskFormat::mini), c.fits_mini);
        EXPECT_EQ(output_name_fits_disk(c.name, DiskFormat::full), c.fits_full);
    }
}

}  // namespace
