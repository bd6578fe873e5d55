// The disk controller's 6821 PIA: two 8-bit ports, each with a direction
// register and a control register; its interrupt lines are not wired.
#pragma once

#include <cstdint>

// Register offsets from the PIA's base address ($C000).
constexpr uint16_t PIA_PORT_A = 0;
constexpr uint16_t PIA_CONTROL_A = 1;
constexpr uint16_t PIA_PORT_B = 2;
constexpr uint16_t PIA_CONTROL_B = 3;
constexpr uint16_t PIA_REGISTER_MASK = 0x0003;

// Control bit 2 says which register a port's address reaches: 1 the data, 0 the direction.
constexpr uint8_t PIA_CONTROL_SELECT_DATA = 0x04;
constexpr uint8_t PIA_CONTROL_WRITABLE = 0x3F;     // bits 6 and 7 are interrupt flags, read-only

struct Pia6821 {
    // After a reset every register is 0: both ports are inputs and their
    // addresses reach the direction registers.
    uint8_t output_a = 0, direction_a = 0, control_a = 0;
    uint8_t output_b = 0, direction_b = 0, control_b = 0;
};

// The level of each port B line: driven by the output register where the
// direction bit is 1, pulled high where the line is an input.
uint8_t pia_port_b_lines(const Pia6821& pia);

// A read of register 0-3; port_a_inputs are the levels on port A's lines.
uint8_t pia_read(const Pia6821& pia, uint16_t reg, uint8_t port_a_inputs);

void pia_write(Pia6821& pia, uint16_t reg, uint8_t value);
