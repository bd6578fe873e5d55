// NMOS 6502 core for the spindisk simulator: executes one documented instruction per call against
// any bus type, with exact cycle counts, and halts cleanly on undocumented opcodes.
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
    uint64_t cycles = 0;          // total cycles executed since reset
    bool stopped = false;         // set when an undocumented opcode was met
    uint8_t stop_opcode = 0;      // that opcode
    uint16_t stop_address = 0;    // its address (pc is left pointing at it)
};

// Cycles per opcode before page-crossing and branch penalties; 0 marks an undocumented opcode.
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

namespace cpu6502_detail {

constexpr uint16_t PAGE_MASK = 0xFF00;
constexpr uint16_t OFFSET_MASK = 0x00FF;
constexpr uint8_t SIGN_BIT = 0x80;
constexpr uint8_t LOW_BIT = 0x01;
constexpr int BRANCH_TAKEN_CYCLES = 1;
constexpr int BRANCH_PAGE_CYCLES = 2;

inline uint16_t make_word(uint8_t low, uint8_t high)
{
    return static_cast<uint16_t>(low | high << 8);
}

template <class Bus>
inline uint16_t read_word(Bus& bus, uint16_t address)
{
    const uint8_t low = bus.read(address);
    const uint8_t high = bus.read(static_cast<uint16_t>(address + 1));
    return make_word(low, high);
}

template <class Bus>
inline uint8_t fetch(Cpu6502& c, Bus& bus)
{
    return bus.read(c.pc++);
}

template <class Bus>
inline uint16_t fetch_word(Cpu6502& c, Bus& bus)
{
    const uint8_t low = fetch(c, bus);
    const uint8_t high = fetch(c, bus);
    return make_word(low, high);
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

// ---- Effective addresses ----

// Zero-page indexing never leaves page zero: $F0,X with X=$20 is $10.
template <class Bus>
inline uint16_t addr_zero_page_indexed(Cpu6502& c, Bus& bus, uint8_t index)
{
    return static_cast<uint8_t>(fetch(c, bus) + index);
}

// The pointer's high byte also comes from page zero, so a pointer at $FF takes it from $00.
template <class Bus>
inline uint16_t read_zero_page_pointer(Bus& bus, uint8_t pointer)
{
    const uint8_t low = bus.read(pointer);
    const uint8_t high = bus.read(static_cast<uint8_t>(pointer + 1));
    return make_word(low, high);
}

// The address the chip puts on the bus before it has carried into the high byte.
inline uint16_t uncarried(uint16_t base, uint16_t address)
{
    return static_cast<uint16_t>((base & PAGE_MASK) | (address & OFFSET_MASK));
}

// Reads only pay for (and show on the bus) the wrong-page access when the index crosses a page.
template <class Bus>
inline uint16_t index_for_read(Bus& bus, uint16_t base, uint8_t index, int& cycles)
{
    const uint16_t address = static_cast<uint16_t>(base + index);
    if ((address ^ base) & PAGE_MASK) {
        bus.read(uncarried(base, address));
        ++cycles;
    }
    return address;
}

// Stores and read-modify-write always spend the extra cycle reading the uncarried address,
// which memory-mapped devices can see.
template <class Bus>
inline uint16_t index_for_write(Bus& bus, uint16_t base, uint8_t index)
{
    const uint16_t address = static_cast<uint16_t>(base + index);
    bus.read(uncarried(base, address));
    return address;
}

template <class Bus>
inline uint16_t addr_indexed_indirect(Cpu6502& c, Bus& bus)
{
    return read_zero_page_pointer(bus, static_cast<uint8_t>(fetch(c, bus) + c.x));
}

// ---- Operand reads by addressing mode ----

template <class Bus>
inline uint8_t read_zero_page(Cpu6502& c, Bus& bus)
{
    return bus.read(fetch(c, bus));
}

template <class Bus>
inline uint8_t read_zero_page_indexed(Cpu6502& c, Bus& bus, uint8_t index)
{
    return bus.read(addr_zero_page_indexed(c, bus, index));
}

template <class Bus>
inline uint8_t read_absolute(Cpu6502& c, Bus& bus)
{
    return bus.read(fetch_word(c, bus));
}

template <class Bus>
inline uint8_t read_absolute_indexed(Cpu6502& c, Bus& bus, uint8_t index, int& cycles)
{
    const uint16_t base = fetch_word(c, bus);
    return bus.read(index_for_read(bus, base, index, cycles));
}

template <class Bus>
inline uint8_t read_indexed_indirect(Cpu6502& c, Bus& bus)
{
    return bus.read(addr_indexed_indirect(c, bus));
}

template <class Bus>
inline uint8_t read_indirect_indexed(Cpu6502& c, Bus& bus, int& cycles)
{
    const uint16_t base = read_zero_page_pointer(bus, fetch(c, bus));
    return bus.read(index_for_read(bus, base, c.y, cycles));
}

// ---- Store addresses that need the indexed dummy read ----

template <class Bus>
inline uint16_t addr_absolute_indexed_write(Cpu6502& c, Bus& bus, uint8_t index)
{
    const uint16_t base = fetch_word(c, bus);
    return index_for_write(bus, base, index);
}

template <class Bus>
inline uint16_t addr_indirect_indexed_write(Cpu6502& c, Bus& bus)
{
    const uint16_t base = read_zero_page_pointer(bus, fetch(c, bus));
    return index_for_write(bus, base, c.y);
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

// The NMOS part writes the unmodified value back before the result; devices that count writes
// (or clear on write) see both.
template <class Bus, class Operation>
inline void modify(Cpu6502& c, Bus& bus, uint16_t address, Operation operation)
{
    const uint8_t value = bus.read(address);
    bus.write(address, value);
    bus.write(address, operation(c, value));
}

template <class Bus>
inline void push(Cpu6502& c, Bus& bus, uint8_t value)
{
    bus.write(static_cast<uint16_t>(CPU_STACK_PAGE | c.s), value);
    --c.s;
}

template <class Bus>
inline uint8_t pull(Cpu6502& c, Bus& bus)
{
    ++c.s;
    return bus.read(static_cast<uint16_t>(CPU_STACK_PAGE | c.s));
}

inline uint8_t pulled_flags(uint8_t value)
{
    return static_cast<uint8_t>((value & ~FLAG_BREAK) | FLAG_UNUSED);
}

// Returns the extra cycles: one when taken, two when the target is on another page than the
// instruction after the branch.
template <class Bus>
inline int branch(Cpu6502& c, Bus& bus, bool taken)
{
    const uint8_t offset = fetch(c, bus);
    if (!taken) return 0;
    const int displacement = offset < SIGN_BIT ? offset : offset - BYTE_LIMIT;
    const uint16_t target = static_cast<uint16_t>(c.pc + displacement);
    const int extra = ((target ^ c.pc) & PAGE_MASK) ? BRANCH_PAGE_CYCLES : BRANCH_TAKEN_CYCLES;
    c.pc = target;
    return extra;
}

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
    cpu.s = CPU_RESET_STACK;
    cpu.p = static_cast<uint8_t>((cpu.p & ~(FLAG_DECIMAL | FLAG_BREAK)) | FLAG_INTERRUPT | FLAG_UNUSED);
    cpu.pc = cpu6502_detail::read_word(bus, CPU_RESET_VECTOR);
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

    const uint8_t opcode = bus.read(cpu.pc);
    int cycles = CPU_BASE_CYCLES[opcode];
    if (cycles == 0) {
        // Undocumented: nothing but the opcode fetch has happened, so the caller sees the
        // machine exactly as it was, with pc on the offending opcode.
        stop_at(cpu, opcode);
        return 0;
    }

    // The registers are used in place rather than copied: with a copy, clang keeps it on the
    // stack and the copy-back costs more than the occasional reload after a bus write.
    Cpu6502& c = cpu;
    ++c.pc;

    switch (opcode) {
    // ---- Loads ----
    case 0xA9: op_lda(c, fetch(c, bus)); break;
    case 0xA5: op_lda(c, read_zero_page(c, bus)); break;
    case 0xB5: op_lda(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0xAD: op_lda(c, read_absolute(c, bus)); break;
    case 0xBD: op_lda(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0xB9: op_lda(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0xA1: op_lda(c, read_indexed_indirect(c, bus)); break;
    case 0xB1: op_lda(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0xA2: op_ldx(c, fetch(c, bus)); break;
    case 0xA6: op_ldx(c, read_zero_page(c, bus)); break;
    case 0xB6: op_ldx(c, read_zero_page_indexed(c, bus, c.y)); break;
    case 0xAE: op_ldx(c, read_absolute(c, bus)); break;
    case 0xBE: op_ldx(c, read_absolute_indexed(c, bus, c.y, cycles)); break;

    case 0xA0: op_ldy(c, fetch(c, bus)); break;
    case 0xA4: op_ldy(c, read_zero_page(c, bus)); break;
    case 0xB4: op_ldy(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0xAC: op_ldy(c, read_absolute(c, bus)); break;
    case 0xBC: op_ldy(c, read_absolute_indexed(c, bus, c.x, cycles)); break;

    // ---- Stores ----
    case 0x85: bus.write(fetch(c, bus), c.a); break;
    case 0x95: bus.write(addr_zero_page_indexed(c, bus, c.x), c.a); break;
    case 0x8D: bus.write(fetch_word(c, bus), c.a); break;
    case 0x9D: bus.write(addr_absolute_indexed_write(c, bus, c.x), c.a); break;
    case 0x99: bus.write(addr_absolute_indexed_write(c, bus, c.y), c.a); break;
    case 0x81: bus.write(addr_indexed_indirect(c, bus), c.a); break;
    case 0x91: bus.write(addr_indirect_indexed_write(c, bus), c.a); break;

    case 0x86: bus.write(fetch(c, bus), c.x); break;
    case 0x96: bus.write(addr_zero_page_indexed(c, bus, c.y), c.x); break;
    case 0x8E: bus.write(fetch_word(c, bus), c.x); break;

    case 0x84: bus.write(fetch(c, bus), c.y); break;
    case 0x94: bus.write(addr_zero_page_indexed(c, bus, c.x), c.y); break;
    case 0x8C: bus.write(fetch_word(c, bus), c.y); break;

    // ---- Logic and arithmetic ----
    case 0x09: op_ora(c, fetch(c, bus)); break;
    case 0x05: op_ora(c, read_zero_page(c, bus)); break;
    case 0x15: op_ora(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0x0D: op_ora(c, read_absolute(c, bus)); break;
    case 0x1D: op_ora(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0x19: op_ora(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0x01: op_ora(c, read_indexed_indirect(c, bus)); break;
    case 0x11: op_ora(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0x29: op_and(c, fetch(c, bus)); break;
    case 0x25: op_and(c, read_zero_page(c, bus)); break;
    case 0x35: op_and(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0x2D: op_and(c, read_absolute(c, bus)); break;
    case 0x3D: op_and(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0x39: op_and(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0x21: op_and(c, read_indexed_indirect(c, bus)); break;
    case 0x31: op_and(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0x49: op_eor(c, fetch(c, bus)); break;
    case 0x45: op_eor(c, read_zero_page(c, bus)); break;
    case 0x55: op_eor(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0x4D: op_eor(c, read_absolute(c, bus)); break;
    case 0x5D: op_eor(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0x59: op_eor(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0x41: op_eor(c, read_indexed_indirect(c, bus)); break;
    case 0x51: op_eor(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0x69: op_adc(c, fetch(c, bus)); break;
    case 0x65: op_adc(c, read_zero_page(c, bus)); break;
    case 0x75: op_adc(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0x6D: op_adc(c, read_absolute(c, bus)); break;
    case 0x7D: op_adc(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0x79: op_adc(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0x61: op_adc(c, read_indexed_indirect(c, bus)); break;
    case 0x71: op_adc(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0xE9: op_sbc(c, fetch(c, bus)); break;
    case 0xE5: op_sbc(c, read_zero_page(c, bus)); break;
    case 0xF5: op_sbc(c, read_zero_page_indexed(c, bus, c.x)); break;
    case 0xED: op_sbc(c, read_absolute(c, bus)); break;
    case 0xFD: op_sbc(c, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0xF9: op_sbc(c, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0xE1: op_sbc(c, read_indexed_indirect(c, bus)); break;
    case 0xF1: op_sbc(c, read_indirect_indexed(c, bus, cycles)); break;

    case 0xC9: op_compare(c, c.a, fetch(c, bus)); break;
    case 0xC5: op_compare(c, c.a, read_zero_page(c, bus)); break;
    case 0xD5: op_compare(c, c.a, read_zero_page_indexed(c, bus, c.x)); break;
    case 0xCD: op_compare(c, c.a, read_absolute(c, bus)); break;
    case 0xDD: op_compare(c, c.a, read_absolute_indexed(c, bus, c.x, cycles)); break;
    case 0xD9: op_compare(c, c.a, read_absolute_indexed(c, bus, c.y, cycles)); break;
    case 0xC1: op_compare(c, c.a, read_indexed_indirect(c, bus)); break;
    case 0xD1: op_compare(c, c.a, read_indirect_indexed(c, bus, cycles)); break;

    case 0xE0: op_compare(c, c.x, fetch(c, bus)); break;
    case 0xE4: op_compare(c, c.x, read_zero_page(c, bus)); break;
    case 0xEC: op_compare(c, c.x, read_absolute(c, bus)); break;
    case 0xC0: op_compare(c, c.y, fetch(c, bus)); break;
    case 0xC4: op_compare(c, c.y, read_zero_page(c, bus)); break;
    case 0xCC: op_compare(c, c.y, read_absolute(c, bus)); break;

    case 0x24: op_bit(c, read_zero_page(c, bus)); break;
    case 0x2C: op_bit(c, read_absolute(c, bus)); break;

    // ---- Shifts, rotates, increments and decrements ----
    case 0x0A: c.a = op_asl(c, c.a); break;
    case 0x06: modify(c, bus, fetch(c, bus), op_asl); break;
    case 0x16: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_asl); break;
    case 0x0E: modify(c, bus, fetch_word(c, bus), op_asl); break;
    case 0x1E: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_asl); break;

    case 0x4A: c.a = op_lsr(c, c.a); break;
    case 0x46: modify(c, bus, fetch(c, bus), op_lsr); break;
    case 0x56: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_lsr); break;
    case 0x4E: modify(c, bus, fetch_word(c, bus), op_lsr); break;
    case 0x5E: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_lsr); break;

    case 0x2A: c.a = op_rol(c, c.a); break;
    case 0x26: modify(c, bus, fetch(c, bus), op_rol); break;
    case 0x36: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_rol); break;
    case 0x2E: modify(c, bus, fetch_word(c, bus), op_rol); break;
    case 0x3E: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_rol); break;

    case 0x6A: c.a = op_ror(c, c.a); break;
    case 0x66: modify(c, bus, fetch(c, bus), op_ror); break;
    case 0x76: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_ror); break;
    case 0x6E: modify(c, bus, fetch_word(c, bus), op_ror); break;
    case 0x7E: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_ror); break;

    case 0xE6: modify(c, bus, fetch(c, bus), op_inc); break;
    case 0xF6: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_inc); break;
    case 0xEE: modify(c, bus, fetch_word(c, bus), op_inc); break;
    case 0xFE: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_inc); break;

    case 0xC6: modify(c, bus, fetch(c, bus), op_dec); break;
    case 0xD6: modify(c, bus, addr_zero_page_indexed(c, bus, c.x), op_dec); break;
    case 0xCE: modify(c, bus, fetch_word(c, bus), op_dec); break;
    case 0xDE: modify(c, bus, addr_absolute_indexed_write(c, bus, c.x), op_dec); break;

    case 0xE8: c.x = op_inc(c, c.x); break;
    case 0xCA: c.x = op_dec(c, c.x); break;
    case 0xC8: c.y = op_inc(c, c.y); break;
    case 0x88: c.y = op_dec(c, c.y); break;

    // ---- Transfers ----
    case 0xAA: op_ldx(c, c.a); break;
    case 0xA8: op_ldy(c, c.a); break;
    case 0x8A: op_lda(c, c.x); break;
    case 0x98: op_lda(c, c.y); break;
    case 0xBA: op_ldx(c, c.s); break;
    case 0x9A: c.s = c.x; break;

    // ---- Flags ----
    case 0x18: set_flag(c, FLAG_CARRY, false); break;
    case 0x38: set_flag(c, FLAG_CARRY, true); break;
    case 0x58: set_flag(c, FLAG_INTERRUPT, false); break;
    case 0x78: set_flag(c, FLAG_INTERRUPT, true); break;
    case 0xD8: set_flag(c, FLAG_DECIMAL, false); break;
    case 0xF8: set_flag(c, FLAG_DECIMAL, true); break;
    case 0xB8: set_flag(c, FLAG_OVERFLOW, false); break;
    case 0xEA: break;

    // ---- Branches ----
    case 0x10: cycles += branch(c, bus, !(c.p & FLAG_NEGATIVE)); break;
    case 0x30: cycles += branch(c, bus, c.p & FLAG_NEGATIVE); break;
    case 0x50: cycles += branch(c, bus, !(c.p & FLAG_OVERFLOW)); break;
    case 0x70: cycles += branch(c, bus, c.p & FLAG_OVERFLOW); break;
    case 0x90: cycles += branch(c, bus, !(c.p & FLAG_CARRY)); break;
    case 0xB0: cycles += branch(c, bus, c.p & FLAG_CARRY); break;
    case 0xD0: cycles += branch(c, bus, !(c.p & FLAG_ZERO)); break;
    case 0xF0: cycles += branch(c, bus, c.p & FLAG_ZERO); break;

    // ---- Jumps, subroutines and the stack ----
    case 0x4C: c.pc = fetch_word(c, bus); break;
    case 0x6C: {
        // The pointer's high byte is never carried into: JMP ($12FF) takes the target's high
        // byte from $1200.
        const uint16_t pointer = fetch_word(c, bus);
        const uint8_t low = bus.read(pointer);
        const uint8_t high = bus.read(uncarried(pointer, static_cast<uint16_t>(pointer + 1)));
        c.pc = make_word(low, high);
        break;
    }
    case 0x20: {
        // The chip pushes the address of the operand's high byte, and fetches that byte only
        // after the push.
        const uint8_t low = fetch(c, bus);
        push(c, bus, static_cast<uint8_t>(c.pc >> 8));
        push(c, bus, static_cast<uint8_t>(c.pc));
        c.pc = make_word(low, bus.read(c.pc));
        break;
    }
    case 0x60: {
        const uint8_t low = pull(c, bus);
        const uint8_t high = pull(c, bus);
        c.pc = static_cast<uint16_t>(make_word(low, high) + 1);
        break;
    }
    case 0x00:
        fetch(c, bus);  // the byte after BRK is skipped, so the return address is BRK + 2
        push(c, bus, static_cast<uint8_t>(c.pc >> 8));
        push(c, bus, static_cast<uint8_t>(c.pc));
        push(c, bus, static_cast<uint8_t>(c.p | FLAG_BREAK | FLAG_UNUSED));
        c.p |= FLAG_INTERRUPT;
        c.pc = read_word(bus, CPU_BREAK_VECTOR);
        break;
    case 0x40: {
        c.p = pulled_flags(pull(c, bus));
        const uint8_t low = pull(c, bus);
        const uint8_t high = pull(c, bus);
        c.pc = make_word(low, high);
        break;
    }
    case 0x48: push(c, bus, c.a); break;
    case 0x08: push(c, bus, static_cast<uint8_t>(c.p | FLAG_BREAK | FLAG_UNUSED)); break;
    case 0x68: op_lda(c, pull(c, bus)); break;
    case 0x28: c.p = pulled_flags(pull(c, bus)); break;

    default:
        // Unreachable while CPU_BASE_CYCLES and this switch agree; stopping is the safe answer.
        --c.pc;
        stop_at(c, opcode);
        return 0;
    }

    c.cycles += static_cast<uint64_t>(cycles);
    return cycles;
}
