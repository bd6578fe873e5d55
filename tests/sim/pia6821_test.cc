// The PIA's register selection and the levels its ports show.
#include <gtest/gtest.h>

#include "sim/pia6821.h"

namespace {

struct Write {
    uint16_t reg;
    uint8_t value;
};

TEST(Pia6821, ControlBitTwoSelectsDataOrDirection) {
    struct Case {
        const char* name;
        std::vector<Write> writes;
        uint8_t port_a_inputs;
        uint8_t expect_reads[4];  // registers 0-3 afterwards
        uint8_t expect_port_b_lines;
    } cases[] = {
        {"after reset the ports reach their direction registers", {}, 0x5A, {0x00, 0x00, 0x00, 0x00}, 0xFF},
        {"direction A written, then data selected", {{0, 0x0F}, {1, 0x04}}, 0x5A, {0x50, 0x04, 0x00, 0x00}, 0xFF},
        {"output bits of port A read the output register",
         {{0, 0x0F}, {1, 0x04}, {0, 0x03}}, 0xF0, {0xF3, 0x04, 0x00, 0x00}, 0xFF},
        {"output B latched before the direction is set",
         {{3, 0x04}, {2, 0x7F}, {3, 0x00}, {2, 0xFF}, {3, 0x04}}, 0x00, {0x00, 0x00, 0x7F, 0x04}, 0x7F},
        {"input lines of port B read high", {{3, 0x00}, {2, 0xF0}, {3, 0x04}, {2, 0x00}}, 0x00, {0x00, 0x00, 0x0F, 0x04}, 0x0F},
        {"interrupt flags cannot be written", {{1, 0xFF}, {3, 0xC4}}, 0x00, {0x00, 0x3F, 0xFF, 0x04}, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pia6821 pia;
        for (const Write& w : c.writes) pia_write(pia, w.reg, w.value);
        for (uint16_t reg = 0; reg < 4; reg++) EXPECT_EQ(pia_read(pia, reg, c.port_a_inputs), c.expect_reads[reg]) << reg;
        EXPECT_EQ(pia_port_b_lines(pia), c.expect_port_b_lines);
    }
}

}  // namespace
