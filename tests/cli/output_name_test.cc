// The default output name: the extension is looked for among the last four
// characters of the final path component only.
#include <gtest/gtest.h>

#include "cli/run.h"

TEST(DeriveOutputName, Table) {
    struct Case { const char* input; const char* output; };
    const Case cases[] = {
        {"game.bin", "game.65d"},
        {"DEMO.X", "DEMO.65d"},
        {"PROGRAM", "PROGRAM.65d"},
        {"demo.6502", "demo.6502.65d"},  // dot five from the end: no extension
        {"demo.650", "demo.65d"},        // dot four from the end
        {"game.", "game.65d"},
        {"x.c", "x.65d"},
        {"abc", "abc.65d"},
        {".", ".65d"},
        {"", ".65d"},
        {"x.65d", "x.65d"},
        {"prog.hex", "prog.65d"},
        {"a.b.c", "a.b.65d"},            // the last dot wins
        {"v1.2/a", "v1.2/a.65d"},        // a dot in a directory is no extension
        {"dir.x/", "dir.x/.65d"},
        {"d/.b", "d/.65d"},
        {"some/dir/game.bin", "some/dir/game.65d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(derive_output_name(c.input), c.output);
    }
}

TEST(DeriveOutputName, LongNamesAreUsedWhole) {
    const std::string stem(9000, 'n');
    EXPECT_EQ(derive_output_name(stem), stem + ".65d");
    EXPECT_EQ(derive_output_name(stem + ".bin"), stem + ".65d");
}
