// The ROM's bytes, hand-assembled.
#include "sim/boot_rom.h"

#include <algorithm>

namespace {

constexpr uint8_t EMPTY_ROM_BYTE = 0xFF;  // not an instruction: a stray jump stops the CPU
constexpr uint8_t MOTOR_MS = ROM_MOTOR_WAIT_MS;
constexpr uint8_t STEP_MS = ROM_STEP_WAIT_MS;
constexpr uint8_t HEAD_MS = ROM_HEAD_WAIT_MS;
// The delay's inner count, for ROM_DELAY_PASS_CYCLES: 2 + 195 * 5 - 1 + 2 + 2 + 3 = 983.
constexpr uint8_t SPIN_PASSES = 195;

// The disk boot, from the reset entry at $FF00. Zero page $F8/$F9 is the
// store pointer.
constexpr uint8_t BOOT_CODE[] = {
    0xD8,              // FF00 RESET  CLD
    0xA2, 0xFF,        // FF01        LDX #$FF
    0x9A,              // FF03        TXS
    0xA9, 0x00,        // FF04        LDA #$00
    0x8D, 0x01, 0xC0,  // FF06        STA $C001   ; control A: reach port A's direction register
    0x8D, 0x00, 0xC0,  // FF09        STA $C000   ; port A: all inputs
    0xA9, 0x04,        // FF0C        LDA #$04
    0x8D, 0x01, 0xC0,  // FF0E        STA $C001   ; control A: reach port A's data
    0x8D, 0x03, 0xC0,  // FF11        STA $C003   ; control B: reach port B's output register
    0xA9, 0xFF,        // FF14        LDA #$FF
    0x8D, 0x02, 0xC0,  // FF16        STA $C002   ; port B will drive $FF: head up, step high, out
    0xA9, 0x00,        // FF19        LDA #$00
    0x8D, 0x03, 0xC0,  // FF1B        STA $C003   ; control B: reach port B's direction register
    0xA9, 0xFF,        // FF1E        LDA #$FF
    0x8D, 0x02, 0xC0,  // FF20        STA $C002   ; port B: all outputs
    0xA9, 0x04,        // FF23        LDA #$04
    0x8D, 0x03, 0xC0,  // FF25        STA $C003   ; control B: back to port B's data
    0xA2, MOTOR_MS,    // FF28        LDX #250
    0x20, 0xAB, 0xFF,  // FF2A        JSR DELAY   ; let the disk come up to speed
    0xA9, 0xFB,        // FF2D        LDA #$FB
    0x8D, 0x02, 0xC0,  // FF2F        STA $C002   ; direction in (bit 2 low)
    0x20, 0x9C, 0xFF,  // FF32        JSR STEP    ; one track in,
    0xA9, 0xFF,        // FF35        LDA #$FF
    0x8D, 0x02, 0xC0,  // FF37        STA $C002   ; then direction out
    0xAD, 0x00, 0xC0,  // FF3A SEEK   LDA $C000
    0x29, 0x02,        // FF3D        AND #$02    ; track-0 line, low on track 0
    0xF0, 0x06,        // FF3F        BEQ HOME
    0x20, 0x9C, 0xFF,  // FF41        JSR STEP
    0x4C, 0x3A, 0xFF,  // FF44        JMP SEEK
    0xA9, 0x7F,        // FF47 HOME   LDA #$7F
    0x8D, 0x02, 0xC0,  // FF49        STA $C002   ; load the head (bit 7 low)
    0xA2, HEAD_MS,     // FF4C        LDX #160
    0x20, 0xAB, 0xFF,  // FF4E        JSR DELAY   ; and let it settle
    0xAD, 0x00, 0xC0,  // FF51 HOLE   LDA $C000
    0x30, 0xFB,        // FF54        BMI HOLE    ; wait for the index hole (bit 7 low)
    0xAD, 0x00, 0xC0,  // FF56 PAST   LDA $C000
    0x10, 0xFB,        // FF59        BPL PAST    ; and for its end
    0xA9, 0x03,        // FF5B        LDA #$03
    0x8D, 0x10, 0xC0,  // FF5D        STA $C010   ; ACIA master reset
    0xA9, 0x58,        // FF60        LDA #$58
    0x8D, 0x10, 0xC0,  // FF62        STA $C010   ; divide by 1, 8 bits, even parity, 1 stop bit
    0x20, 0x92, 0xFF,  // FF65        JSR READ
    0x85, 0xF9,        // FF68        STA $F9     ; load address high
    0x20, 0x92, 0xFF,  // FF6A        JSR READ
    0x85, 0xF8,        // FF6D        STA $F8     ; load address low
    0x20, 0x92, 0xFF,  // FF6F        JSR READ
    0xAA,              // FF72        TAX         ; page count
    0xF0, 0x15,        // FF73        BEQ DONE
    0xA0, 0x00,        // FF75        LDY #$00
    0xAD, 0x10, 0xC0,  // FF77 PAGE   LDA $C010
    0x4A,              // FF7A        LSR A       ; byte received -> carry
    0x90, 0xFA,        // FF7B        BCC PAGE
    0xAD, 0x11, 0xC0,  // FF7D        LDA $C011
    0x91, 0xF8,        // FF80        STA ($F8),Y
    0xC8,              // FF82        INY
    0xD0, 0xF2,        // FF83        BNE PAGE
    0xE6, 0xF9,        // FF85        INC $F9
    0xCA,              // FF87        DEX
    0xD0, 0xED,        // FF88        BNE PAGE
    0xA9, 0xFF,        // FF8A DONE   LDA #$FF
    0x8D, 0x02, 0xC0,  // FF8C        STA $C002   ; unload the head
    0x4C, 0x00, 0x22,  // FF8F        JMP $2200
    0xAD, 0x10, 0xC0,  // FF92 READ   LDA $C010
    0x4A,              // FF95        LSR A
    0x90, 0xFA,        // FF96        BCC READ
    0xAD, 0x11, 0xC0,  // FF98        LDA $C011
    0x60,              // FF9B        RTS
    0xAD, 0x02, 0xC0,  // FF9C STEP   LDA $C002
    0x29, 0xF7,        // FF9F        AND #$F7
    0x8D, 0x02, 0xC0,  // FFA1        STA $C002   ; step line low: the drive steps
    0x09, 0x08,        // FFA4        ORA #$08
    0x8D, 0x02, 0xC0,  // FFA6        STA $C002   ; and high again
    0xA2, STEP_MS,     // FFA9        LDX #25     ; then wait, falling into DELAY
    0xA0, SPIN_PASSES, // FFAB DELAY  LDY #195    ; X passes of 983 cycles:
    0x88,              // FFAD SPIN   DEY         ; LDY 2, 195 * (DEY 2 + BNE 3) - 1,
    0xD0, 0xFD,        // FFAE        BNE SPIN    ; NOP 2, DEX 2, BNE 3
    0xEA,              // FFB0        NOP
    0xCA,              // FFB1        DEX
    0xD0, 0xF7,        // FFB2        BNE DELAY
    0x60,              // FFB4        RTS
};

// The monitor's stand-in: it sets up the stack and waits at its warm entry.
// $FE01 holds LDX's opcode, which is what makes it non-zero.
constexpr uint8_t MONITOR_CODE[] = {
    0xD8,                                      // FE00 MONITOR CLD
    0xA2, 0xFF,                                // FE01         LDX #$FF
    0x9A,                                      // FE03         TXS
    0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA,  // FE04         NOP x 7
    0x4C, 0x0B, 0xFE,                          // FE0B WARM    JMP WARM
};

constexpr uint16_t VECTORS_ADDRESS = 0xFFFA;
constexpr uint8_t VECTORS[] = {
    0x00, 0xFE,  // FFFA NMI   -> MONITOR
    0x00, 0xFF,  // FFFC RESET -> RESET
    0x00, 0xFE,  // FFFE IRQ   -> MONITOR
};

template <size_t N>
void place(BootRom& rom, uint16_t address, const uint8_t (&bytes)[N]) {
    std::copy(bytes, bytes + N, rom.begin() + (address - ROM_START));
}

}  // namespace

BootRom build_boot_rom() {
    BootRom rom;
    rom.fill(EMPTY_ROM_BYTE);
    place(rom, ROM_MONITOR_ENTRY, MONITOR_CODE);
    place(rom, ROM_RESET_ENTRY, BOOT_CODE);
    place(rom, VECTORS_ADDRESS, VECTORS);
    return rom;
}
