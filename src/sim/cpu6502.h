// NMOS 6502 core for the spindisk simulator: one documented instruction per call, against any
// bus type, with every bus cycle the chip makes, in order, and halts cleanly on undocumented
// opcodes.
//
// How to drive it
// ---------------
// The caller owns the memory and the devices and hands the core a bus: any type with
//
//     uint8_t read(uint16_t address, uint64_t cycle);
//     void write(uint16_t address, uint8_t value, uint64_t cycle);
//     void push(uint16_t address, uint8_t value, uint64_t cycle);
//
// push is a write to the stack page by JSR, BRK, PHA or PHP. It is an ordinary write on the chip;
// it comes separately only so that a bus that watches the program can tell a call's return
// address from a store. A bus that does not care does the same in both.
//
//     Cpu6502 cpu;
//     cpu_reset(cpu, bus);                   // 7 cycles; pc from the vector at $FFFC
//     while (!cpu.stopped) cpu_step(cpu, bus);
//
// Each cpu_step runs one whole instruction and returns its cycles (2 to 7). This is a deliberate
// difference from cores that tick one clock cycle per call: a boot runs billions of cycles and
// nothing on the OSI boards needs to act between two cycles of an instruction, only to know
// when each access happens. So every access comes with its cycle:
// - The 6502 reads or writes the bus in every cycle, and the core makes exactly those accesses
//   for the 151 documented opcodes: the dummy reads (the byte after an implied opcode, the stack
//   before a pull, a zero-page base before indexing, the uncarried address of an indexed access,
//   a taken branch's next opcode and, across a page, its uncarried target, the address RTS
//   pulled) and the double write of read-modify-write instructions included.
// - cycle is the number of cycles before that access since the count began: an instruction that
//   starts at cycle n fetches its opcode in cycle n, and LDA $C011 reads $C011 in cycle n + 3.
//   The accesses of one instruction carry n, n + 1, ... in order.
// - cpu.cycles holds n throughout the step (the bus gets the cycle as an argument) and is
//   advanced by the instruction's length when the step ends.
// - cpu_reset makes no accesses in its first five cycles and reads the vector in the last two.
//
// An undocumented opcode stops the CPU: its fetch reaches the bus (in cycle cpu.cycles), then
// stopped is set, stop_opcode and stop_address say which and where, pc stays on it, no cycle is
// counted and cpu_step returns 0. A stopped CPU does nothing until the next cpu_reset.
//
// There are no IRQ or NMI inputs: the OSI disk controller's chips have their interrupt lines
// unwired, and only BRK takes the $FFFE vector.
#pragma once

#include <cstdint>

constexpr uint8_t FLAG_CARRY = 0x01, FLAG_ZERO = 0x02, FLAG_INTERRUPT = 0x04, FLAG_DECIMAL = 0x08,
                  FLAG_BREAK = 0x10, FLAG_UNUSED = 0x20, FLAG_OVERFLOW = 0x40, FLAG_NEGATIVE = 0x80;

constexpr uint16_t CPU_STACK_PAGE = 0x0100;
constexpr uint16_t CPU_RESET_VECTOR = 0xFFFC;
constexpr uint16_t CPU_BREAK_VECTOR = 0xFFFE;
constexpr uint8_t CPU_RESET_STACK = 0xFD;
constexpr int CPU_RESET_CYCLES = 7;

struct Cpu6502 {
    uint16_t pc = 0;
    uint8_t a = 0, x = 0, y = 0, s = CPU_RESET_STACK, p = FLAG_UNUSED | FLAG_INTERRUPT;
    uint64_t cycles = 0;          // cycles counted; during a step, those before it
    bool stopped = false;         // set when an undocumented opcode was met
    uint8_t stop_opcode = 0;      // that opcode
    uint16_t stop_address = 0;    // its address (pc is left pointing at it)
};

// Cycles per opcode before page-crossing and branch penalties, as the datasheet lists them; 0
// marks an undocumented opcode. The core counts its bus cycles instead; this table says which
// opcodes exist, and the tests hold the core's counts to it.
inline constexpr uint8_t CPU_BASE_CYCLES[256] = {
    //  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
    7, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 0, 4, 6, 0,  // 0x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 1x
    6, 6, 0, 0, 3, 3, 5, 0, 4, 2, 2, 0, 4, 4, 6, 0,  // 2x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 3x
    6, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 3, 4, 6, 0,  // 4x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 5x
    6, 6, 0, 0, 0, 3, 5, 0, 4, 2, 2, 0, 5, 4, 6, 0,  // 6x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 7x
    0, 6, 0, 0, 3, 3, 3, 0, 2, 0, 2, 0, 4, 4, 4, 0,  // 8x
    2, 6, 0, 0, 4, 4, 4, 0, 2, 5, 2, 0, 0, 5, 0, 0,  // 9x
    2, 6, 2, 0, 3, 3, 3, 0, 2, 2, 2, 0, 4, 4, 4, 0,  // Ax
    2, 5, 0, 0, 4, 4, 4, 0, 2, 4, 2, 0, 4, 4, 4, 0,  // Bx
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0,  // Cx
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // Dx
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0,  // Ex
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // Fx
};

// Mnemonic per opcode; nullptr marks an undocumented opcode.
inline constexpr const char* CPU_MNEMONICS[256] = {
    // 0x
    "BRK", "ORA", nullptr, nullptr, nullptr, "ORA", "ASL", nullptr,
    "PHP", "ORA", "ASL", nullptr, nullptr, "ORA", "ASL", nullptr,
    // 1x
    "BPL", "ORA", nullptr, nullptr, nullptr, "ORA", "ASL", nullptr,
    "CLC", "ORA", nullptr, nullptr, nullptr, "ORA", "ASL", nullptr,
    // 2x
    "JSR", "AND", nullptr, nullptr, "BIT", "AND", "ROL", nullptr,
    "PLP", "AND", "ROL", nullptr, "BIT", "AND", "ROL", nullptr,
    // 3x
    "BMI", "AND", nullptr, nullptr, nullptr, "AND", "ROL", nullptr,
    "SEC", "AND", nullptr, nullptr, nullptr, "AND", "ROL", nullptr,
    // 4x
    "RTI", "EOR", nullptr, nullptr, nullptr, "EOR", "LSR", nullptr,
    "PHA", "EOR", "LSR", nullptr, "JMP", "EOR", "LSR", nullptr,
    // 5x
    "BVC", "EOR", nullptr, nullptr, nullptr, "EOR", "LSR", nullptr,
    "CLI", "EOR", nullptr, nullptr, nullptr, "EOR", "LSR", nullptr,
    // 6x
    "RTS", "ADC", nullptr, nullptr, nullptr, "ADC", "ROR", nullptr,
    "PLA", "ADC", "ROR", nullptr, "JMP", "ADC", "ROR", nullptr,
    // 7x
    "BVS", "ADC", nullptr, nullptr, nullptr, "ADC", "ROR", nullptr,
    "SEI", "ADC", nullptr, nullptr, nullptr, "ADC", "ROR", nullptr,
    // 8x
    nullptr, "STA", nullptr, nullptr, "STY", "STA", "STX", nullptr,
    "DEY", nullptr, "TXA", nullptr, "STY", "STA", "STX", nullptr,
    // 9x
    "BCC", "STA", nullptr, nullptr, "STY", "STA", "STX", nullptr,
    "TYA", "STA", "TXS", nullptr, nullptr, "STA", nullptr, nullptr,
    // Ax
    "LDY", "LDA", "LDX", nullptr, "LDY", "LDA", "LDX", nullptr,
    "TAY", "LDA", "TAX", nullptr, "LDY", "LDA", "LDX", nullptr,
    // Bx
    "BCS", "LDA", nullptr, nullptr, "LDY", "LDA", "LDX", nullptr,
    "CLV", "LDA", "TSX", nullptr, "LDY", "LDA", "LDX", nullptr,
    // Cx
    "CPY", "CMP", nullptr, nullptr, "CPY", "CMP", "DEC", nullptr,
    "INY", "CMP", "DEX", nullptr, "CPY", "CMP", "DEC", nullptr,
    // Dx
    "BNE", "CMP", nullptr, nullptr, nullptr, "CMP", "DEC", nullptr,
    "CLD", "CMP", nullptr, nullptr, nullptr, "CMP", "DEC", nullptr,
    // Ex
    "CPX", "SBC", nullptr, nullptr, "CPX", "SBC", "INC", nullptr,
    "INX", "SBC", "NOP", nullptr, "CPX", "SBC", "INC", nullptr,
    // Fx
    "BEQ", "SBC", nullptr, nullptr, nullptr, "SBC", "INC", nullptr,
    "SED", "SBC", nullptr, nullptr, nullptr, "SBC", "INC", nullptr,
};

constexpr const char* cpu_mnemonic(uint8_t opcode)
{
    return CPU_MNEMONICS[opcode];
}

// The per-cycle helpers below must be inlined into cpu_step, so that the cycle count stays in a
// register; GCC otherwise keeps some out of line and the core runs a third slower.
#if defined(__GNUC__)
#define CPU6502_INLINE inline __attribute__((always_inline))
#else
#define CPU6502_INLINE inline
#endif

namespace cpu6502_detail {

constexpr uint16_t PAGE_MASK = 0xFF00;
constexpr uint16_t OFFSET_MASK = 0x00FF;
constexpr uint8_t SIGN_BIT = 0x80;
constexpr uint8_t LOW_BIT = 0x01;

inline uint16_t make_word(uint8_t low, uint8_t high)
{
    return static_cast<uint16_t>(low | high << 8);
}

// The address the chip puts on the bus before it has carried into the high byte.
inline uint16_t uncarried(uint16_t base, uint16_t address)
{
    return static_cast<uint16_t>((base & PAGE_MASK) | (address & OFFSET_MASK));
}

inline void set_flag(Cpu6502& c, uint8_t flag, bool on)
{
    c.p = static_cast<uint8_t>(on ? (c.p | flag) : (c.p & ~flag));
}

inline void set_nz(Cpu6502& c, uint8_t value)
{
    c.p = static_cast<uint8_t>((c.p & ~(FLAG_NEGATIVE | FLAG_ZERO)) | (value & FLAG_NEGATIVE) |
                               (value == 0 ? FLAG_ZERO : 0));
}

inline uint8_t pulled_flags(uint8_t value)
{
    return static_cast<uint8_t>((value & ~FLAG_BREAK) | FLAG_UNUSED);
}

// ---- Operations ----

inline void op_lda(Cpu6502& c, uint8_t value) { c.a = value; set_nz(c, value); }
inline void op_ldx(Cpu6502& c, uint8_t value) { c.x = value; set_nz(c, value); }
inline void op_ldy(Cpu6502& c, uint8_t value) { c.y = value; set_nz(c, value); }
inline void op_ora(Cpu6502& c, uint8_t value) { c.a |= value; set_nz(c, c.a); }
inline void op_and(Cpu6502& c, uint8_t value) { c.a &= value; set_nz(c, c.a); }
inline void op_eor(Cpu6502& c, uint8_t value) { c.a ^= value; set_nz(c, c.a); }

inline void op_compare(Cpu6502& c, uint8_t reg, uint8_t value)
{
    set_flag(c, FLAG_CARRY, reg >= value);
    set_nz(c, static_cast<uint8_t>(reg - value));
}

inline void op_bit(Cpu6502& c, uint8_t value)
{
    c.p = static_cast<uint8_t>((c.p & ~(FLAG_NEGATIVE | FLAG_OVERFLOW | FLAG_ZERO)) |
                               (value & (FLAG_NEGATIVE | FLAG_OVERFLOW)) |
                               ((c.a & value) == 0 ? FLAG_ZERO : 0));
}

constexpr int BCD_DIGIT_MASK = 0x0F;
constexpr int BCD_TENS_MASK = 0xF0;
constexpr int BCD_DIGIT_LIMIT = 0x0A;
constexpr int BCD_DIGIT_ADJUST = 0x06;
constexpr int BCD_DIGIT_CARRY = 0x10;
constexpr int BCD_TENS_LIMIT = 0xA0;
constexpr int BCD_TENS_ADJUST = 0x60;
constexpr int BYTE_LIMIT = 0x100;
constexpr int BYTE_MASK = 0xFF;

// Decimal ADC follows the NMOS part exactly, including for non-BCD operands: Z comes from the
// binary sum, N and V from the sum after only the low digit has been adjusted.
inline void op_adc(Cpu6502& c, uint8_t value)
{
    const int carry_in = c.p & FLAG_CARRY;
    const int binary = c.a + value + carry_in;
    uint8_t flags = static_cast<uint8_t>(c.p & ~(FLAG_CARRY | FLAG_ZERO | FLAG_OVERFLOW | FLAG_NEGATIVE));
    if ((binary & BYTE_MASK) == 0) flags |= FLAG_ZERO;
    int result = binary;
    if (c.p & FLAG_DECIMAL) {
        int low = (c.a & BCD_DIGIT_MASK) + (value & BCD_DIGIT_MASK) + carry_in;
        if (low >= BCD_DIGIT_LIMIT) low = ((low + BCD_DIGIT_ADJUST) & BCD_DIGIT_MASK) + BCD_DIGIT_CARRY;
        result = (c.a & BCD_TENS_MASK) + (value & BCD_TENS_MASK) + low;
    }
    if (result & SIGN_BIT) flags |= FLAG_NEGATIVE;
    if (~(c.a ^ value) & (c.a ^ result) & SIGN_BIT) flags |= FLAG_OVERFLOW;
    if ((c.p & FLAG_DECIMAL) && result >= BCD_TENS_LIMIT) result += BCD_TENS_ADJUST;
    if (result >= BYTE_LIMIT) flags |= FLAG_CARRY;
    c.a = static_cast<uint8_t>(result);
    c.p = flags;
}

// Decimal SBC on the NMOS part sets every flag from the binary difference; only A is adjusted.
inline void op_sbc(Cpu6502& c, uint8_t value)
{
    const int borrow = (c.p & FLAG_CARRY) ? 0 : 1;
    const int binary = c.a - value - borrow;
    uint8_t flags = static_cast<uint8_t>(c.p & ~(FLAG_CARRY | FLAG_ZERO | FLAG_OVERFLOW | FLAG_NEGATIVE));
    if (binary >= 0) flags |= FLAG_CARRY;
    if ((binary & BYTE_MASK) == 0) flags |= FLAG_ZERO;
    if (binary & SIGN_BIT) flags |= FLAG_NEGATIVE;
    if ((c.a ^ value) & (c.a ^ binary) & SIGN_BIT) flags |= FLAG_OVERFLOW;
    int result = binary;
    if (c.p & FLAG_DECIMAL) {
        int low = (c.a & BCD_DIGIT_MASK) - (value & BCD_DIGIT_MASK) - borrow;
        if (low < 0) low = ((low - BCD_DIGIT_ADJUST) & BCD_DIGIT_MASK) - BCD_DIGIT_CARRY;
        result = (c.a & BCD_TENS_MASK) - (value & BCD_TENS_MASK) + low;
        if (result < 0) result -= BCD_TENS_ADJUST;
    }
    c.a = static_cast<uint8_t>(result & BYTE_MASK);
    c.p = flags;
}

inline uint8_t op_asl(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value << 1);
    set_flag(c, FLAG_CARRY, value & SIGN_BIT);
    set_nz(c, result);
    return result;
}

inline uint8_t op_lsr(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value >> 1);
    set_flag(c, FLAG_CARRY, value & LOW_BIT);
    set_nz(c, result);
    return result;
}

inline uint8_t op_rol(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value << 1 | (c.p & FLAG_CARRY));
    set_flag(c, FLAG_CARRY, value & SIGN_BIT);
    set_nz(c, result);
    return result;
}

inline uint8_t op_ror(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value >> 1 | ((c.p & FLAG_CARRY) ? SIGN_BIT : 0));
    set_flag(c, FLAG_CARRY, value & LOW_BIT);
    set_nz(c, result);
    return result;
}

inline uint8_t op_inc(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value + 1);
    set_nz(c, result);
    return result;
}

inline uint8_t op_dec(Cpu6502& c, uint8_t value)
{
    const uint8_t result = static_cast<uint8_t>(value - 1);
    set_nz(c, result);
    return result;
}

// One instruction's bus cycles: each access happens in cycle `now`, which then ends.
template <class Bus>
struct BusCycles {
    Cpu6502& c;
    Bus& bus;
    uint64_t now;

    CPU6502_INLINE uint8_t read(uint16_t address) { return bus.read(address, now++); }
    CPU6502_INLINE void write(uint16_t address, uint8_t value) { bus.write(address, value, now++); }

    CPU6502_INLINE uint8_t fetch() { return read(c.pc++); }
    CPU6502_INLINE uint16_t fetch_word()
    {
        const uint8_t low = fetch();
        const uint8_t high = fetch();
        return make_word(low, high);
    }
    // An implied or stack instruction reads the byte after its opcode in its second cycle and
    // ignores it.
    CPU6502_INLINE void read_next_byte() { read(c.pc); }

    CPU6502_INLINE void push(uint8_t value)
    {
        bus.push(static_cast<uint16_t>(CPU_STACK_PAGE | c.s), value, now++);
        --c.s;
    }
    // The cycle in which a pull (or JSR) reads the stack at S before S moves.
    CPU6502_INLINE void read_stack() { read(static_cast<uint16_t>(CPU_STACK_PAGE | c.s)); }
    CPU6502_INLINE uint8_t pull()
    {
        ++c.s;
        return read(static_cast<uint16_t>(CPU_STACK_PAGE | c.s));
    }

    // ---- Effective addresses ----

    // zp,X and zp,Y read the base first; indexing never leaves page zero: $F0,X with X=$20 is $10.
    CPU6502_INLINE uint16_t zero_page_indexed(uint8_t index)
    {
        const uint8_t base = fetch();
        read(base);
        return static_cast<uint8_t>(base + index);
    }

    // Reads pay for (and show on the bus) the uncarried address only when the index crosses a
    // page; stores and read-modify-write always do.
    CPU6502_INLINE uint16_t absolute_indexed(uint8_t index, bool always_uncarried)
    {
        return indexed(fetch_word(), index, always_uncarried);
    }
    CPU6502_INLINE uint16_t indexed(uint16_t base, uint8_t index, bool always_uncarried)
    {
        const uint16_t address = static_cast<uint16_t>(base + index);
        if (always_uncarried || ((address ^ base) & PAGE_MASK)) read(uncarried(base, address));
        return address;
    }

    // The pointer's high byte also comes from page zero, so a pointer at $FF takes it from $00.
    CPU6502_INLINE uint16_t zero_page_pointer(uint8_t pointer)
    {
        const uint8_t low = read(pointer);
        const uint8_t high = read(static_cast<uint8_t>(pointer + 1));
        return make_word(low, high);
    }
    // (zp,X): the base is read, then X is added to it.
    CPU6502_INLINE uint16_t indexed_indirect()
    {
        const uint8_t base = fetch();
        read(base);
        return zero_page_pointer(static_cast<uint8_t>(base + c.x));
    }
    // (zp),Y
    CPU6502_INLINE uint16_t indirect_indexed(bool always_uncarried)
    {
        return indexed(zero_page_pointer(fetch()), c.y, always_uncarried);
    }

    // ---- Operand reads by addressing mode ----
    CPU6502_INLINE uint8_t zero_page_value() { return read(fetch()); }
    CPU6502_INLINE uint8_t zero_page_indexed_value(uint8_t index) { return read(zero_page_indexed(index)); }
    CPU6502_INLINE uint8_t absolute_value() { return read(fetch_word()); }
    CPU6502_INLINE uint8_t absolute_indexed_value(uint8_t index) { return read(absolute_indexed(index, false)); }
    CPU6502_INLINE uint8_t indexed_indirect_value() { return read(indexed_indirect()); }
    CPU6502_INLINE uint8_t indirect_indexed_value() { return read(indirect_indexed(false)); }

    // The NMOS part writes the unmodified value back before the result; devices that count
    // writes (or clear on write) see both.
    template <class Operation>
    CPU6502_INLINE void modify(uint16_t address, Operation operation)
    {
        const uint8_t value = read(address);
        write(address, value);
        write(address, operation(c, value));
    }

    // A taken branch reads the next opcode while it adds the offset, and when the target is on
    // another page it reads the target on the old page before it carries.
    CPU6502_INLINE void branch(bool taken)
    {
        const uint8_t offset = fetch();
        if (!taken) return;
        read(c.pc);
        const int displacement = offset < SIGN_BIT ? offset : offset - BYTE_LIMIT;
        const uint16_t target = static_cast<uint16_t>(c.pc + displacement);
        if ((target ^ c.pc) & PAGE_MASK) read(uncarried(c.pc, target));
        c.pc = target;
    }
};

inline void stop_at(Cpu6502& c, uint8_t opcode)
{
    c.stopped = true;
    c.stop_opcode = opcode;
    c.stop_address = c.pc;
}

}  // namespace cpu6502_detail

template <class Bus>
void cpu_reset(Cpu6502& cpu, Bus& bus)
{
    using namespace cpu6502_detail;
    constexpr int silent_cycles = CPU_RESET_CYCLES - 2;
    const uint64_t vector_cycle = cpu.cycles + silent_cycles;
    const uint8_t low = bus.read(CPU_RESET_VECTOR, vector_cycle);
    const uint8_t high = bus.read(static_cast<uint16_t>(CPU_RESET_VECTOR + 1), vector_cycle + 1);
    cpu.s = CPU_RESET_STACK;
    cpu.p = static_cast<uint8_t>((cpu.p & ~(FLAG_DECIMAL | FLAG_BREAK)) | FLAG_INTERRUPT | FLAG_UNUSED);
    cpu.pc = make_word(low, high);
    cpu.stopped = false;
    cpu.stop_opcode = 0;
    cpu.stop_address = 0;
    cpu.cycles += CPU_RESET_CYCLES;
}

template <class Bus>
int cpu_step(Cpu6502& cpu, Bus& bus)
{
    using namespace cpu6502_detail;
    if (cpu.stopped) return 0;

    const uint8_t opcode = bus.read(cpu.pc, cpu.cycles);
    if (CPU_BASE_CYCLES[opcode] == 0) {
        // Undocumented: nothing but the opcode fetch has happened, so the caller sees the
        // machine exactly as it was, with pc on the offending opcode.
        stop_at(cpu, opcode);
        return 0;
    }

    // The registers are used in place rather than copied: with a copy, clang keeps it on the
    // stack and the copy-back costs more than the occasional reload after a bus write. The
    // cycle count lives in s.now, a local the compiler keeps in a register.
    Cpu6502& c = cpu;
    BusCycles<Bus> s{c, bus, c.cycles + 1};
    ++c.pc;

    switch (opcode) {
    // ---- Loads ----
    case 0xA9: op_lda(c, s.fetch()); break;
    case 0xA5: op_lda(c, s.zero_page_value()); break;
    case 0xB5: op_lda(c, s.zero_page_indexed_value(c.x)); break;
    case 0xAD: op_lda(c, s.absolute_value()); break;
    case 0xBD: op_lda(c, s.absolute_indexed_value(c.x)); break;
    case 0xB9: op_lda(c, s.absolute_indexed_value(c.y)); break;
    case 0xA1: op_lda(c, s.indexed_indirect_value()); break;
    case 0xB1: op_lda(c, s.indirect_indexed_value()); break;

    case 0xA2: op_ldx(c, s.fetch()); break;
    case 0xA6: op_ldx(c, s.zero_page_value()); break;
    case 0xB6: op_ldx(c, s.zero_page_indexed_value(c.y)); break;
    case 0xAE: op_ldx(c, s.absolute_value()); break;
    case 0xBE: op_ldx(c, s.absolute_indexed_value(c.y)); break;

    case 0xA0: op_ldy(c, s.fetch()); break;
    case 0xA4: op_ldy(c, s.zero_page_value()); break;
    case 0xB4: op_ldy(c, s.zero_page_indexed_value(c.x)); break;
    case 0xAC: op_ldy(c, s.absolute_value()); break;
    case 0xBC: op_ldy(c, s.absolute_indexed_value(c.x)); break;

    // ---- Stores ----
    case 0x85: s.write(s.fetch(), c.a); break;
    case 0x95: s.write(s.zero_page_indexed(c.x), c.a); break;
    case 0x8D: s.write(s.fetch_word(), c.a); break;
    case 0x9D: s.write(s.absolute_indexed(c.x, true), c.a); break;
    case 0x99: s.write(s.absolute_indexed(c.y, true), c.a); break;
    case 0x81: s.write(s.indexed_indirect(), c.a); break;
    case 0x91: s.write(s.indirect_indexed(true), c.a); break;

    case 0x86: s.write(s.fetch(), c.x); break;
    case 0x96: s.write(s.zero_page_indexed(c.y), c.x); break;
    case 0x8E: s.write(s.fetch_word(), c.x); break;

    case 0x84: s.write(s.fetch(), c.y); break;
    case 0x94: s.write(s.zero_page_indexed(c.x), c.y); break;
    case 0x8C: s.write(s.fetch_word(), c.y); break;

    // ---- Logic and arithmetic ----
    case 0x09: op_ora(c, s.fetch()); break;
    case 0x05: op_ora(c, s.zero_page_value()); break;
    case 0x15: op_ora(c, s.zero_page_indexed_value(c.x)); break;
    case 0x0D: op_ora(c, s.absolute_value()); break;
    case 0x1D: op_ora(c, s.absolute_indexed_value(c.x)); break;
    case 0x19: op_ora(c, s.absolute_indexed_value(c.y)); break;
    case 0x01: op_ora(c, s.indexed_indirect_value()); break;
    case 0x11: op_ora(c, s.indirect_indexed_value()); break;

    case 0x29: op_and(c, s.fetch()); break;
    case 0x25: op_and(c, s.zero_page_value()); break;
    case 0x35: op_and(c, s.zero_page_indexed_value(c.x)); break;
    case 0x2D: op_and(c, s.absolute_value()); break;
    case 0x3D: op_and(c, s.absolute_indexed_value(c.x)); break;
    case 0x39: op_and(c, s.absolute_indexed_value(c.y)); break;
    case 0x21: op_and(c, s.indexed_indirect_value()); break;
    case 0x31: op_and(c, s.indirect_indexed_value()); break;

    case 0x49: op_eor(c, s.fetch()); break;
    case 0x45: op_eor(c, s.zero_page_value()); break;
    case 0x55: op_eor(c, s.zero_page_indexed_value(c.x)); break;
    case 0x4D: op_eor(c, s.absolute_value()); break;
    case 0x5D: op_eor(c, s.absolute_indexed_value(c.x)); break;
    case 0x59: op_eor(c, s.absolute_indexed_value(c.y)); break;
    case 0x41: op_eor(c, s.indexed_indirect_value()); break;
    case 0x51: op_eor(c, s.indirect_indexed_value()); break;

    case 0x69: op_adc(c, s.fetch()); break;
    case 0x65: op_adc(c, s.zero_page_value()); break;
    case 0x75: op_adc(c, s.zero_page_indexed_value(c.x)); break;
    case 0x6D: op_adc(c, s.absolute_value()); break;
    case 0x7D: op_adc(c, s.absolute_indexed_value(c.x)); break;
    case 0x79: op_adc(c, s.absolute_indexed_value(c.y)); break;
    case 0x61: op_adc(c, s.indexed_indirect_value()); break;
    case 0x71: op_adc(c, s.indirect_indexed_value()); break;

    case 0xE9: op_sbc(c, s.fetch()); break;
    case 0xE5: op_sbc(c, s.zero_page_value()); break;
    case 0xF5: op_sbc(c, s.zero_page_indexed_value(c.x)); break;
    case 0xED: op_sbc(c, s.absolute_value()); break;
    case 0xFD: op_sbc(c, s.absolute_indexed_value(c.x)); break;
    case 0xF9: op_sbc(c, s.absolute_indexed_value(c.y)); break;
    case 0xE1: op_sbc(c, s.indexed_indirect_value()); break;
    case 0xF1: op_sbc(c, s.indirect_indexed_value()); break;

    case 0xC9: op_compare(c, c.a, s.fetch()); break;
    case 0xC5: op_compare(c, c.a, s.zero_page_value()); break;
    case 0xD5: op_compare(c, c.a, s.zero_page_indexed_value(c.x)); break;
    case 0xCD: op_compare(c, c.a, s.absolute_value()); break;
    case 0xDD: op_compare(c, c.a, s.absolute_indexed_value(c.x)); break;
    case 0xD9: op_compare(c, c.a, s.absolute_indexed_value(c.y)); break;
    case 0xC1: op_compare(c, c.a, s.indexed_indirect_value()); break;
    case 0xD1: op_compare(c, c.a, s.indirect_indexed_value()); break;

    case 0xE0: op_compare(c, c.x, s.fetch()); break;
    case 0xE4: op_compare(c, c.x, s.zero_page_value()); break;
    case 0xEC: op_compare(c, c.x, s.absolute_value()); break;
    case 0xC0: op_compare(c, c.y, s.fetch()); break;
    case 0xC4: op_compare(c, c.y, s.zero_page_value()); break;
    case 0xCC: op_compare(c, c.y, s.absolute_value()); break;

    case 0x24: op_bit(c, s.zero_page_value()); break;
    case 0x2C: op_bit(c, s.absolute_value()); break;

    // ---- Shifts, rotates, increments and decrements ----
    case 0x0A: s.read_next_byte(); c.a = op_asl(c, c.a); break;
    case 0x06: s.modify(s.fetch(), op_asl); break;
    case 0x16: s.modify(s.zero_page_indexed(c.x), op_asl); break;
    case 0x0E: s.modify(s.fetch_word(), op_asl); break;
    case 0x1E: s.modify(s.absolute_indexed(c.x, true), op_asl); break;

    case 0x4A: s.read_next_byte(); c.a = op_lsr(c, c.a); break;
    case 0x46: s.modify(s.fetch(), op_lsr); break;
    case 0x56: s.modify(s.zero_page_indexed(c.x), op_lsr); break;
    case 0x4E: s.modify(s.fetch_word(), op_lsr); break;
    case 0x5E: s.modify(s.absolute_indexed(c.x, true), op_lsr); break;

    case 0x2A: s.read_next_byte(); c.a = op_rol(c, c.a); break;
    case 0x26: s.modify(s.fetch(), op_rol); break;
    case 0x36: s.modify(s.zero_page_indexed(c.x), op_rol); break;
    case 0x2E: s.modify(s.fetch_word(), op_rol); break;
    case 0x3E: s.modify(s.absolute_indexed(c.x, true), op_rol); break;

    case 0x6A: s.read_next_byte(); c.a = op_ror(c, c.a); break;
    case 0x66: s.modify(s.fetch(), op_ror); break;
    case 0x76: s.modify(s.zero_page_indexed(c.x), op_ror); break;
    case 0x6E: s.modify(s.fetch_word(), op_ror); break;
    case 0x7E: s.modify(s.absolute_indexed(c.x, true), op_ror); break;

    case 0xE6: s.modify(s.fetch(), op_inc); break;
    case 0xF6: s.modify(s.zero_page_indexed(c.x), op_inc); break;
    case 0xEE: s.modify(s.fetch_word(), op_inc); break;
    case 0xFE: s.modify(s.absolute_indexed(c.x, true), op_inc); break;

    case 0xC6: s.modify(s.fetch(), op_dec); break;
    case 0xD6: s.modify(s.zero_page_indexed(c.x), op_dec); break;
    case 0xCE: s.modify(s.fetch_word(), op_dec); break;
    case 0xDE: s.modify(s.absolute_indexed(c.x, true), op_dec); break;

    case 0xE8: s.read_next_byte(); c.x = op_inc(c, c.x); break;
    case 0xCA: s.read_next_byte(); c.x = op_dec(c, c.x); break;
    case 0xC8: s.read_next_byte(); c.y = op_inc(c, c.y); break;
    case 0x88: s.read_next_byte(); c.y = op_dec(c, c.y); break;

    // ---- Transfers ----
    case 0xAA: s.read_next_byte(); op_ldx(c, c.a); break;
    case 0xA8: s.read_next_byte(); op_ldy(c, c.a); break;
    case 0x8A: s.read_next_byte(); op_lda(c, c.x); break;
    case 0x98: s.read_next_byte(); op_lda(c, c.y); break;
    case 0xBA: s.read_next_byte(); op_ldx(c, c.s); break;
    case 0x9A: s.read_next_byte(); c.s = c.x; break;

    // ---- Flags ----
    case 0x18: s.read_next_byte(); set_flag(c, FLAG_CARRY, false); break;
    case 0x38: s.read_next_byte(); set_flag(c, FLAG_CARRY, true); break;
    case 0x58: s.read_next_byte(); set_flag(c, FLAG_INTERRUPT, false); break;
    case 0x78: s.read_next_byte(); set_flag(c, FLAG_INTERRUPT, true); break;
    case 0xD8: s.read_next_byte(); set_flag(c, FLAG_DECIMAL, false); break;
    case 0xF8: s.read_next_byte(); set_flag(c, FLAG_DECIMAL, true); break;
    case 0xB8: s.read_next_byte(); set_flag(c, FLAG_OVERFLOW, false); break;
    case 0xEA: s.read_next_byte(); break;

    // ---- Branches ----
    case 0x10: s.branch(!(c.p & FLAG_NEGATIVE)); break;
    case 0x30: s.branch(c.p & FLAG_NEGATIVE); break;
    case 0x50: s.branch(!(c.p & FLAG_OVERFLOW)); break;
    case 0x70: s.branch(c.p & FLAG_OVERFLOW); break;
    case 0x90: s.branch(!(c.p & FLAG_CARRY)); break;
    case 0xB0: s.branch(c.p & FLAG_CARRY); break;
    case 0xD0: s.branch(!(c.p & FLAG_ZERO)); break;
    case 0xF0: s.branch(c.p & FLAG_ZERO); break;

    // ---- Jumps, subroutines and the stack ----
    case 0x4C: c.pc = s.fetch_word(); break;
    case 0x6C: {
        // The pointer's high byte is never carried into: JMP ($12FF) takes the target's high
        // byte from $1200.
        const uint16_t pointer = s.fetch_word();
        const uint8_t low = s.read(pointer);
        const uint8_t high = s.read(uncarried(pointer, static_cast<uint16_t>(pointer + 1)));
        c.pc = make_word(low, high);
        break;
    }
    case 0x20: {
        // The chip reads the stack, pushes the address of the operand's high byte, and fetches
        // that byte only after the push.
        const uint8_t low = s.fetch();
        s.read_stack();
        s.push(static_cast<uint8_t>(c.pc >> 8));
        s.push(static_cast<uint8_t>(c.pc));
        c.pc = make_word(low, s.read(c.pc));
        break;
    }
    case 0x60: {
        // The pulled address is read once more while 1 is added to it.
        s.read_next_byte();
        s.read_stack();
        const uint8_t low = s.pull();
        const uint8_t high = s.pull();
        s.read(make_word(low, high));
        c.pc = static_cast<uint16_t>(make_word(low, high) + 1);
        break;
    }
    case 0x00:
        s.fetch();  // the byte after BRK is skipped, so the return address is BRK + 2
        s.push(static_cast<uint8_t>(c.pc >> 8));
        s.push(static_cast<uint8_t>(c.pc));
        s.push(static_cast<uint8_t>(c.p | FLAG_BREAK | FLAG_UNUSED));
        c.p |= FLAG_INTERRUPT;
        {
            const uint8_t low = s.read(CPU_BREAK_VECTOR);
            const uint8_t high = s.read(static_cast<uint16_t>(CPU_BREAK_VECTOR + 1));
            c.pc = make_word(low, high);
        }
        break;
    case 0x40: {
        s.read_next_byte();
        s.read_stack();
        c.p = pulled_flags(s.pull());
        const uint8_t low = s.pull();
        const uint8_t high = s.pull();
        c.pc = make_word(low, high);
        break;
    }
    case 0x48: s.read_next_byte(); s.push(c.a); break;
    case 0x08: s.read_next_byte(); s.push(static_cast<uint8_t>(c.p | FLAG_BREAK | FLAG_UNUSED)); break;
    case 0x68: s.read_next_byte(); s.read_stack(); op_lda(c, s.pull()); break;
    case 0x28: s.read_next_byte(); s.read_stack(); c.p = pulled_flags(s.pull()); break;

    default:
        // Unreachable while CPU_BASE_CYCLES and this switch agree; stopping is the safe answer.
        --c.pc;
        stop_at(c, opcode);
        return 0;
    }

    const int cycles = static_cast<int>(s.now - c.cycles);
    c.cycles = s.now;
    return cycles;
}
