// The receiving half of the disk controller's 6850 ACIA: an asynchronous
// receiver on the serial line, with the chip's registers and status flags.
#pragma once

#include <cstdint>

#include "signal/serial_frame.h"

// Register offsets from the ACIA's base address ($C010).
constexpr uint16_t ACIA_CONTROL_STATUS = 0;
constexpr uint16_t ACIA_DATA = 1;

// Control register: bits 0-1 the clock divide (3 = master reset), bits 2-4 the word format.
constexpr uint8_t ACIA_DIVIDE_MASK = 0x03;
constexpr uint8_t ACIA_MASTER_RESET = 0x03;
constexpr uint8_t ACIA_WORD_MASK = 0x1C;
constexpr int ACIA_WORD_SHIFT = 2;

// Status register bits.
constexpr uint8_t ACIA_STATUS_RECEIVE_FULL = 0x01;
constexpr uint8_t ACIA_STATUS_TRANSMIT_EMPTY = 0x02;
constexpr uint8_t ACIA_STATUS_FRAMING_ERROR = 0x10;
constexpr uint8_t ACIA_STATUS_OVERRUN = 0x20;
constexpr uint8_t ACIA_STATUS_PARITY_ERROR = 0x40;

// The line as the receiver sees it over a stretch of time: one revolution of
// the track under the head, repeating, or nothing (the line idles at mark).
struct SerialLine {
    const uint8_t* bits = nullptr;
    uint64_t length = 0;  // bits per revolution; > 0 whenever bits is set
};

inline uint8_t line_level(const SerialLine& line, uint64_t bit_time) {
    return line.bits ? line.bits[bit_time % line.length] : LINE_MARK;
}

// The receiver hunts for a start bit, samples the frame and hands the byte
// to the data register. Time is counted in the line's bit times, and the
// receiver is brought up to date only when someone looks at it.
struct Acia6850 {
    // The chip comes up held in master reset and receives nothing until configured.
    uint8_t control = ACIA_MASTER_RESET;

    // The receive data register and the flags of the byte in it.
    uint8_t data = 0;
    bool full = false;
    bool framing_error = false;
    bool parity_error = false;
    // A frame that finds the data register full is lost. The chip shows the
    // overrun only once the byte before it has been read: that read leaves
    // "byte received" set and shows the overrun, and the next read of the
    // data register (the same byte again) clears both.
    bool overrun_pending = false;
    bool overrun = false;

    // The receiver: hunting for a start bit, or sampling a frame.
    uint64_t next_bit = 0;  // first bit time not yet looked at
    bool hunting = true;
    uint8_t previous_level = LINE_MARK;
    uint64_t frame_start = 0;  // bit time of the start bit's falling edge
    unsigned samples = 0;      // samples taken of this frame, the first in bit 0 of shift
    uint16_t shift = 0;

    uint64_t frames = 0;       // frames completed since power-up
    uint64_t frames_lost = 0;  // of those, frames that found the data register still full
};

bool acia_in_reset(const Acia6850& acia);

// The receiver must already be up to date to now_bit: a configuration
// applies from that bit time on.
void acia_write_control(Acia6850& acia, uint8_t value, uint64_t now_bit);

uint8_t acia_status(const Acia6850& acia);

// Reading the data register clears "byte received" and the overrun, unless
// frames were lost behind the byte it returns: then the overrun shows and
// "byte received" stays set until the next read. The lost frames are gone.
uint8_t acia_read_data(Acia6850& acia);

// Samples the line for every bit time before until_bit.
void acia_receive(Acia6850& acia, const SerialLine& line, uint64_t until_bit);
