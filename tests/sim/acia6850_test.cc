// The ACIA's receiver on a line given bit by bit: framing, status flags,
// overruns, master reset, and listening from the middle of a frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/acia6850.h"

namespace {

constexpr uint8_t CONFIGURE = 0x58;  // divide by 1, 8 bits, even parity, 1 stop bit
constexpr uint8_t RESET = 0x03;

// A line written as text: '1' mark, '0' space, anything else ignored.
std::vector<uint8_t> line_bits(const std::string& text) {
    std::vector<uint8_t> bits;
    for (char c : text) {
        if (c == '0' || c == '1') bits.push_back(static_cast<uint8_t>(c - '0'));
    }
    return bits;
}

SerialLine line_of(const std::vector<uint8_t>& bits) { return SerialLine{bits.data(), bits.size()}; }

Acia6850 configured_at(uint64_t bit) {
    Acia6850 acia;
    acia_write_control(acia, RESET, bit);
    acia_write_control(acia, CONFIGURE, bit);
    return acia;
}

// Frames written longhand: start, d0..d7, parity, stop.
const char* const FRAME_76 = "0 01101110 1 1";  // $76: five ones, parity 1
const char* const FRAME_01 = "0 10000000 1 1";
const char* const FRAME_FF = "0 11111111 0 1";

TEST(Acia6850, AByteArrivesWithTheMiddleOfItsStopBit) {
    const std::vector<uint8_t> bits = line_bits(std::string("11111") + FRAME_76 + "1111111111");
    const SerialLine line = line_of(bits);
    Acia6850 acia = configured_at(0);
    acia_receive(acia, line, 15);  // the start bit is bit 5, the stop bit bit 15
    EXPECT_EQ(acia_status(acia) & ACIA_STATUS_RECEIVE_FULL, 0);
    acia_receive(acia, line, 16);
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY);
    EXPECT_EQ(acia_read_data(acia), 0x76);
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_TRANSMIT_EMPTY);
    EXPECT_EQ(acia.frames, 1u);
}

TEST(Acia6850, StatusFlagsPerFrame) {
    struct Case {
        const char* name;
        const char* frame;
        uint8_t byte;
        uint8_t flags;  // besides "received" and "transmit empty"
    } cases[] = {
        {"good", FRAME_01, 0x01, 0},
        {"wrong parity", "0 10000000 0 1", 0x01, ACIA_STATUS_PARITY_ERROR},
        {"no stop bit (a break)", "0 00000000 0 0", 0x00, ACIA_STATUS_FRAMING_ERROR},
        {"both", "0 11000000 1 0", 0x03, ACIA_STATUS_PARITY_ERROR | ACIA_STATUS_FRAMING_ERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bits = line_bits(std::string("11") + c.frame + "11111111111111");
        Acia6850 acia = configured_at(0);
        acia_receive(acia, line_of(bits), bits.size());
        EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY | c.flags);
        EXPECT_EQ(acia_read_data(acia), c.byte);
    }
}

TEST(Acia6850, AFrameThatFindsTheRegisterFullIsLost) {
    const std::vector<uint8_t> bits = line_bits(std::string("1") + FRAME_76 + FRAME_01 + FRAME_FF + "111");
    const SerialLine line = line_of(bits);
    Acia6850 acia = configured_at(0);
    acia_receive(acia, line, 1 + 22 + 1);  // two frames, nobody reading
    // The MC6850 shows the overrun only after the byte before it is read;
    // "byte received" stays set until the read that clears the overrun.
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY);
    EXPECT_EQ(acia.frames_lost, 1u);
    EXPECT_EQ(acia_read_data(acia), 0x76);  // the first stays, the second is gone
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY | ACIA_STATUS_OVERRUN);
    EXPECT_EQ(acia_read_data(acia), 0x76);
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_TRANSMIT_EMPTY);
    acia_receive(acia, line, bits.size());
    EXPECT_EQ(acia_read_data(acia), 0xFF);  // the third arrives normally
    EXPECT_EQ(acia.frames_lost, 1u);
    EXPECT_EQ(acia.frames, 3u);
}

TEST(Acia6850, MasterResetReceivesNothing) {
    const std::vector<uint8_t> bits = line_bits(std::string("1") + FRAME_76 + "1" + FRAME_01 + "1111");
    const SerialLine line = line_of(bits);

    Acia6850 fresh;  // comes up held in reset
    acia_receive(fresh, line, bits.size());
    EXPECT_EQ(acia_status(fresh), 0);
    EXPECT_EQ(fresh.frames, 0u);

    // A reset in the middle of the first frame drops it; configured again
    // before the second, the receiver takes the second.
    Acia6850 acia = configured_at(0);
    acia_receive(acia, line, 6);
    acia_write_control(acia, RESET, 6);
    acia_receive(acia, line, 12);
    EXPECT_EQ(acia_status(acia), 0);
    acia_write_control(acia, CONFIGURE, 12);
    acia_receive(acia, line, bits.size());
    EXPECT_EQ(acia.frames, 1u);
    EXPECT_EQ(acia_read_data(acia), 0x01);
}

TEST(Acia6850, ListeningFromTheMiddleOfAFrameMisframes) {
    // $FF $FF back to back, the receiver configured at bit 2 (data bit 1 of
    // the first frame). The first space it sees is the parity bit at 9, so
    // its frame is bits 9-19: d0 = bit 10 (the stop bit, 1), d1 = bit 11
    // (the next start bit, 0), d2-d7 = bits 12-17 (ones): $FD, parity
    // sample bit 18 = 1, right for $FD's seven ones, stop sample bit 19 = 1.
    const std::vector<uint8_t> bits = line_bits(std::string(FRAME_FF) + FRAME_FF + "11111111111111");
    const SerialLine line = line_of(bits);
    Acia6850 acia = configured_at(2);
    acia_receive(acia, line, 20);
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY);
    EXPECT_EQ(acia_read_data(acia), 0xFD);
    // Next it takes the second frame's parity bit (20) for a start bit:
    // d0 = bit 21 (stop, 1), the rest idle ones: $FF, whose even parity bit
    // would be 0, but bit 29 is a 1.
    acia_receive(acia, line, bits.size());
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY | ACIA_STATUS_PARITY_ERROR);
    EXPECT_EQ(acia_read_data(acia), 0xFF);
}

TEST(Acia6850, AShorterWordFormatMidFrameEndsTheFrame) {
    // 8E1 frames take 11 samples, 8N1 frames 10. Switched after 10 samples
    // of a $76 frame, the receiver ends that frame at the next sample and
    // hears the following 8N1 frame as usual.
    constexpr uint8_t EIGHT_BITS_NO_PARITY = 0x54;  // divide by 1, 8N1
    const std::vector<uint8_t> bits = line_bits(std::string("11111") + FRAME_76 + "1111" + "0 10000000 1" + "1111");
    const SerialLine line = line_of(bits);
    Acia6850 acia = configured_at(0);
    acia_receive(acia, line, 15);  // samples at bits 5 to 14
    acia_write_control(acia, EIGHT_BITS_NO_PARITY, 15);
    acia_receive(acia, line, bits.size());
    EXPECT_EQ(acia.frames, 2u);
}

TEST(Acia6850, AnIdleLineGivesNothing) {
    Acia6850 acia = configured_at(0);
    acia_receive(acia, SerialLine{}, 100000);
    EXPECT_EQ(acia.frames, 0u);
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_TRANSMIT_EMPTY);
}

TEST(Acia6850, DivideBySixteenSamplesMidBit) {
    // Each bit of the frame lasts 16 line bits; a 3-bit glitch of space on
    // the idle line before it is no start bit.
    std::string text = "1111111111111111" "0001111111111111" "1111111111111111";
    for (char c : std::string(FRAME_76)) {
        if (c == '0' || c == '1') text += std::string(16, c);
    }
    text += std::string(32, '1');
    const std::vector<uint8_t> bits = line_bits(text);
    Acia6850 acia;
    acia_write_control(acia, RESET, 0);
    acia_write_control(acia, CONFIGURE | 0x01, 0);
    acia_receive(acia, line_of(bits), bits.size());
    EXPECT_EQ(acia.frames, 1u);
    EXPECT_EQ(acia_read_data(acia), 0x76);
}

TEST(Acia6850, SevenBitWordsAndOddParity) {
    const uint8_t seven_odd = 0x0C;  // control bits 4-2 = 011: 7 bits, odd parity, 1 stop bit
    // $41 in 7 bits: 1000001, two ones, odd parity bit 1.
    const std::vector<uint8_t> bits = line_bits("11 0 1000001 1 1 1111");
    Acia6850 acia;
    acia_write_control(acia, RESET, 0);
    acia_write_control(acia, seven_odd, 0);
    acia_receive(acia, line_of(bits), bits.size());
    EXPECT_EQ(acia_status(acia), ACIA_STATUS_RECEIVE_FULL | ACIA_STATUS_TRANSMIT_EMPTY);
    EXPECT_EQ(acia_read_data(acia), 0x41);
}

}  // namespace
