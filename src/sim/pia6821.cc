// The 6821 PIA's registers.
#include "sim/pia6821.h"

namespace {

constexpr uint8_t PULLED_HIGH = 0xFF;

bool selects_data(uint8_t control) { return (control & PIA_CONTROL_SELECT_DATA) != 0; }

// Output lines show the output register, input lines what drives them.
uint8_t lines(uint8_t output, uint8_t direction, uint8_t inputs) {
    return static_cast<uint8_t>((output & direction) | (inputs & ~direction));
}

}  // namespace

uint8_t pia_port_b_lines(const Pia6821& pia) {
    return lines(pia.output_b, pia.direction_b, PULLED_HIGH);
}

uint8_t pia_read(const Pia6821& pia, uint16_t reg, uint8_t port_a_inputs) {
    switch (reg & PIA_REGISTER_MASK) {
        case PIA_PORT_A:
            return selects_data(pia.control_a) ? lines(pia.output_a, pia.direction_a, port_a_inputs)
                                               : pia.direction_a;
        case PIA_CONTROL_A:
            return pia.control_a;
        case PIA_PORT_B:
            return selects_data(pia.control_b) ? pia_port_b_lines(pia) : pia.direction_b;
        default:
            return pia.control_b;
    }
}

void pia_write(Pia6821& pia, uint16_t reg, uint8_t value) {
    switch (reg & PIA_REGISTER_MASK) {
        case PIA_PORT_A:
            (selects_data(pia.control_a) ? pia.output_a : pia.direction_a) = value;
            break;
        case PIA_CONTROL_A:
            pia.control_a = static_cast<uint8_t>(value & PIA_CONTROL_WRITABLE);
            break;
        case PIA_PORT_B:
            (selects_data(pia.control_b) ? pia.output_b : pia.direction_b) = value;
            break;
        default:
            pia.control_b = static_cast<uint8_t>(value & PIA_CONTROL_WRITABLE);
            break;
    }
}
