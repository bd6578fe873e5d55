// Tests for the NMOS 6502 core: hand-assembled programs on a flat or bus-recording 64 KiB machine,
// with registers, flags, bus traffic and cycle totals worked out from the datasheet.
#include "sim/cpu6502.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Flag letters as the datasheet writes them, to keep the tables readable.
constexpr uint8_t N = FLAG_NEGATIVE, V = FLAG_OVERFLOW, U = FLAG_UNUSED, B = FLAG_BREAK,
                  D = FLAG_DECIMAL, I = FLAG_INTERRUPT, Z = FLAG_ZERO, C = FLAG_CARRY;
constexpr uint8_t ALL_FLAGS = N | V | D | I | Z | C;

constexpr uint16_t ORIGIN = 0x0200;
constexpr uint8_t STOP_MARKER = 0x02;  // undocumented, so it halts a test program
constexpr int MAX_STEPS = 10000;
constexpr size_t MEMORY_SIZE = 0x10000;

struct Poke {
    uint16_t address;
    uint8_t value;
};

struct FlatBus {
    std::array<uint8_t, MEMORY_SIZE> memory{};
    uint8_t read(uint16_t address, uint64_t) { return memory[address]; }
    void write(uint16_t address, uint8_t value, uint64_t) { memory[address] = value; }
    void push(uint16_t address, uint8_t value, uint64_t) { memory[address] = value; }
};

struct BusAccess {
    bool is_write;
    uint16_t address;
    uint8_t value;
};

bool operator==(const BusAccess& left, const BusAccess& right)
{
    return left.is_write == right.is_write && left.address == right.address && left.value == right.value;
}

void PrintTo(const BusAccess& access, std::ostream* out)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s $%04X=$%02X", access.is_write ? "write" : "read",
                  access.address, access.value);
    *out << text;
}

BusAccess rd(uint16_t address, uint8_t value) { return {false, address, value}; }
BusAccess wr(uint16_t address, uint8_t value) { return {true, address, value}; }

// Records every access with the cycle it came in.
struct RecordingBus {
    std::array<uint8_t, MEMORY_SIZE> memory{};
    std::vector<BusAccess> accesses;
    std::vector<uint64_t> cycles;
    uint8_t read(uint16_t address, uint64_t cycle)
    {
        accesses.push_back(rd(address, memory[address]));
        cycles.push_back(cycle);
        return memory[address];
    }
    void write(uint16_t address, uint8_t value, uint64_t cycle)
    {
        accesses.push_back(wr(address, value));
        cycles.push_back(cycle);
        memory[address] = value;
    }
    void push(uint16_t address, uint8_t value, uint64_t cycle) { write(address, value, cycle); }
};

template <class Bus>
struct Machine {
    Bus bus;
    Cpu6502 cpu;

    void poke(const std::vector<Poke>& pokes)
    {
        for (const Poke& poke : pokes) bus.memory[poke.address] = poke.value;
    }
    void load(uint16_t address, const std::vector<uint8_t>& bytes)
    {
        for (uint8_t byte : bytes) bus.memory[address++] = byte;
    }
    int step() { return cpu_step(cpu, bus); }
    // Runs until the CPU halts on a marker; returns the cycles the returned step counts add up to.
    int run()
    {
        int total = 0;
        for (int i = 0; i < MAX_STEPS && !cpu.stopped; ++i) total += step();
        EXPECT_TRUE(cpu.stopped) << "program did not reach its stop marker";
        return total;
    }
};

struct Regs {
    uint8_t a, x, y, s, p;
};

void set_regs(Cpu6502& cpu, const Regs& regs)
{
    cpu.a = regs.a;
    cpu.x = regs.x;
    cpu.y = regs.y;
    cpu.s = regs.s;
    cpu.p = regs.p;
}

void expect_regs(const Cpu6502& cpu, const Regs& regs)
{
    EXPECT_EQ(cpu.a, regs.a);
    EXPECT_EQ(cpu.x, regs.x);
    EXPECT_EQ(cpu.y, regs.y);
    EXPECT_EQ(cpu.s, regs.s);
    EXPECT_EQ(cpu.p, regs.p) << "flags NV-BDIZC";
}

void expect_memory(const FlatBus& bus, const std::vector<Poke>& expected)
{
    for (const Poke& poke : expected) {
        EXPECT_EQ(bus.memory[poke.address], poke.value) << "at address " << poke.address;
    }
}

// ---------------------------------------------------------------------------------------------
// One instruction at ORIGIN that falls through to the next one.

struct StepCase {
    const char* name;
    std::vector<uint8_t> code;
    Regs before;
    std::vector<Poke> memory_before;
    Regs after;
    std::vector<Poke> memory_after;
    int cycles;
};

void run_step_cases(const std::vector<StepCase>& cases)
{
    for (const StepCase& test : cases) {
        SCOPED_TRACE(test.name);
        Machine<FlatBus> m;
        m.poke(test.memory_before);
        m.load(ORIGIN, test.code);
        m.cpu.pc = ORIGIN;
        set_regs(m.cpu, test.before);
        EXPECT_EQ(m.step(), test.cycles);
        EXPECT_EQ(m.cpu.cycles, static_cast<uint64_t>(test.cycles));
        EXPECT_EQ(m.cpu.pc, ORIGIN + test.code.size());
        EXPECT_FALSE(m.cpu.stopped);
        expect_regs(m.cpu, test.after);
        expect_memory(m.bus, test.memory_after);
    }
}

TEST(Cpu6502IndexRegisterModes, LoadsStoresAndComparesOfXAndY)
{
    run_step_cases({
        // LDX
        {"LDX #", {0xA2, 0x80}, {0, 0, 0, 0xFD, U | Z}, {}, {0, 0x80, 0, 0xFD, U | N}, {}, 2},
        {"LDX zp", {0xA6, 0x44}, {0, 0x55, 0, 0xFD, U | N}, {{0x0044, 0x00}}, {0, 0x00, 0, 0xFD, U | Z}, {}, 3},
        {"LDX zp,Y wraps in page zero", {0xB6, 0xF0}, {0, 0, 0x20, 0xFD, U},
         {{0x0010, 0x42}, {0x0110, 0x99}}, {0, 0x42, 0x20, 0xFD, U}, {}, 4},
        {"LDX abs", {0xAE, 0x34, 0x12}, {0, 0, 0, 0xFD, U}, {{0x1234, 0x42}}, {0, 0x42, 0, 0xFD, U}, {}, 4},
        {"LDX abs,Y", {0xBE, 0x00, 0x12}, {0, 0, 0x20, 0xFD, U}, {{0x1220, 0x42}}, {0, 0x42, 0x20, 0xFD, U}, {}, 4},
        {"LDX abs,Y crossing a page", {0xBE, 0xF0, 0x12}, {0, 0, 0x20, 0xFD, U}, {{0x1310, 0x42}},
         {0, 0x42, 0x20, 0xFD, U}, {}, 5},
        // LDY
        {"LDY #", {0xA0, 0x00}, {0, 0, 0x11, 0xFD, U}, {}, {0, 0, 0x00, 0xFD, U | Z}, {}, 2},
        {"LDY zp", {0xA4, 0x44}, {0, 0, 0, 0xFD, U}, {{0x0044, 0x90}}, {0, 0, 0x90, 0xFD, U | N}, {}, 3},
        {"LDY zp,X wraps in page zero", {0xB4, 0xF0}, {0, 0x20, 0, 0xFD, U},
         {{0x0010, 0x42}, {0x0110, 0x99}}, {0, 0x20, 0x42, 0xFD, U}, {}, 4},
        {"LDY abs", {0xAC, 0x34, 0x12}, {0, 0, 0, 0xFD, U}, {{0x1234, 0x42}}, {0, 0, 0x42, 0xFD, U}, {}, 4},
        {"LDY abs,X", {0xBC, 0x00, 0x12}, {0, 0x20, 0, 0xFD, U}, {{0x1220, 0x42}}, {0, 0x20, 0x42, 0xFD, U}, {}, 4},
        {"LDY abs,X crossing a page", {0xBC, 0xF0, 0x12}, {0, 0x20, 0, 0xFD, U}, {{0x1310, 0x42}},
         {0, 0x20, 0x42, 0xFD, U}, {}, 5},
        // STX / STY leave the flags alone
        {"STX zp", {0x86, 0x44}, {0, 0x5A, 0, 0xFD, U | N | Z}, {}, {0, 0x5A, 0, 0xFD, U | N | Z}, {{0x0044, 0x5A}}, 3},
        {"STX zp,Y wraps in page zero", {0x96, 0xF0}, {0, 0x5A, 0x20, 0xFD, U}, {},
         {0, 0x5A, 0x20, 0xFD, U}, {{0x0010, 0x5A}, {0x0110, 0x00}}, 4},
        {"STX abs", {0x8E, 0x34, 0x12}, {0, 0x5A, 0, 0xFD, U}, {}, {0, 0x5A, 0, 0xFD, U}, {{0x1234, 0x5A}}, 4},
        {"STY zp", {0x84, 0x44}, {0, 0, 0xA5, 0xFD, U | Z}, {}, {0, 0, 0xA5, 0xFD, U | Z}, {{0x0044, 0xA5}}, 3},
        {"STY zp,X wraps in page zero", {0x94, 0xF0}, {0, 0x20, 0xA5, 0xFD, U}, {},
         {0, 0x20, 0xA5, 0xFD, U}, {{0x0010, 0xA5}, {0x0110, 0x00}}, 4},
        {"STY abs", {0x8C, 0x34, 0x12}, {0, 0, 0xA5, 0xFD, U}, {}, {0, 0, 0xA5, 0xFD, U}, {{0x1234, 0xA5}}, 4},
        // CPX / CPY / BIT in their memory modes
        {"CPX zp, X below", {0xE4, 0x44}, {0, 0x10, 0, 0xFD, U | C}, {{0x0044, 0x11}},
         {0, 0x10, 0, 0xFD, U | N}, {}, 3},
        {"CPX abs, X above", {0xEC, 0x34, 0x12}, {0, 0x10, 0, 0xFD, U | Z}, {{0x1234, 0x0F}},
         {0, 0x10, 0, 0xFD, U | C}, {}, 4},
        {"CPY zp, equal", {0xC4, 0x44}, {0, 0, 0x10, 0xFD, U | N}, {{0x0044, 0x10}},
         {0, 0, 0x10, 0xFD, U | Z | C}, {}, 3},
        {"CPY abs, unsigned", {0xCC, 0x34, 0x12}, {0, 0, 0x80, 0xFD, U}, {{0x1234, 0x01}},
         {0, 0, 0x80, 0xFD, U | C}, {}, 4},
        {"BIT zp takes N and V from memory, Z from A AND memory", {0x24, 0x44}, {0x01, 0, 0, 0xFD, U},
         {{0x0044, 0xC0}}, {0x01, 0, 0, 0xFD, U | N | V | Z}, {}, 3},
        {"BIT abs clears N, V and Z", {0x2C, 0x34, 0x12}, {0x01, 0, 0, 0xFD, U | N | V | Z | C},
         {{0x1234, 0x01}}, {0x01, 0, 0, 0xFD, U | C}, {}, 4},
        {"BIT abs with only bit 6", {0x2C, 0x34, 0x12}, {0x40, 0, 0, 0xFD, U}, {{0x1234, 0x40}},
         {0x40, 0, 0, 0xFD, U | V}, {}, 4},
    });
}

TEST(Cpu6502Implied, RegisterTransfersCountersAndFlagInstructions)
{
    run_step_cases({
        {"INX wraps to zero", {0xE8}, {0, 0xFF, 0, 0xFD, U | N}, {}, {0, 0x00, 0, 0xFD, U | Z}, {}, 2},
        {"DEX wraps to $FF", {0xCA}, {0, 0x00, 0, 0xFD, U | Z}, {}, {0, 0xFF, 0, 0xFD, U | N}, {}, 2},
        {"INY into the sign bit", {0xC8}, {0, 0, 0x7F, 0xFD, U}, {}, {0, 0, 0x80, 0xFD, U | N}, {}, 2},
        {"DEY to zero", {0x88}, {0, 0, 0x01, 0xFD, U}, {}, {0, 0, 0x00, 0xFD, U | Z}, {}, 2},
        {"TAX", {0xAA}, {0x80, 0, 0, 0xFD, U}, {}, {0x80, 0x80, 0, 0xFD, U | N}, {}, 2},
        {"TAY", {0xA8}, {0x00, 0, 0x33, 0xFD, U}, {}, {0x00, 0, 0x00, 0xFD, U | Z}, {}, 2},
        {"TXA", {0x8A}, {0x00, 0x7F, 0, 0xFD, U | Z}, {}, {0x7F, 0x7F, 0, 0xFD, U}, {}, 2},
        {"TYA", {0x98}, {0x00, 0, 0x80, 0xFD, U}, {}, {0x80, 0, 0x80, 0xFD, U | N}, {}, 2},
        {"TSX sets flags", {0xBA}, {0, 0x55, 0, 0x00, U | N}, {}, {0, 0x00, 0, 0x00, U | Z}, {}, 2},
        {"TXS leaves flags alone", {0x9A}, {0, 0x00, 0, 0xFD, U}, {}, {0, 0x00, 0, 0x00, U}, {}, 2},
        {"CLC", {0x18}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, {0, 0, 0, 0xFD, U | (ALL_FLAGS & ~C)}, {}, 2},
        {"SEC", {0x38}, {0, 0, 0, 0xFD, U}, {}, {0, 0, 0, 0xFD, U | C}, {}, 2},
        {"CLI", {0x58}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, {0, 0, 0, 0xFD, U | (ALL_FLAGS & ~I)}, {}, 2},
        {"SEI", {0x78}, {0, 0, 0, 0xFD, U}, {}, {0, 0, 0, 0xFD, U | I}, {}, 2},
        {"CLD", {0xD8}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, {0, 0, 0, 0xFD, U | (ALL_FLAGS & ~D)}, {}, 2},
        {"SED", {0xF8}, {0, 0, 0, 0xFD, U}, {}, {0, 0, 0, 0xFD, U | D}, {}, 2},
        {"CLV", {0xB8}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, {0, 0, 0, 0xFD, U | (ALL_FLAGS & ~V)}, {}, 2},
        {"NOP", {0xEA}, {1, 2, 3, 0xFD, U | ALL_FLAGS}, {}, {1, 2, 3, 0xFD, U | ALL_FLAGS}, {}, 2},
    });
}

TEST(Cpu6502Stack, PushesAndPullsUsePageOneAndWrap)
{
    run_step_cases({
        {"PHA", {0x48}, {0x42, 0, 0, 0xFD, U}, {}, {0x42, 0, 0, 0xFC, U}, {{0x01FD, 0x42}}, 3},
        {"PHA wraps S from $00 to $FF", {0x48}, {0x42, 0, 0, 0x00, U}, {}, {0x42, 0, 0, 0xFF, U},
         {{0x0100, 0x42}}, 3},
        {"PLA sets N", {0x68}, {0x00, 0, 0, 0xFC, U | Z}, {{0x01FD, 0x80}}, {0x80, 0, 0, 0xFD, U | N}, {}, 4},
        {"PLA sets Z", {0x68}, {0x55, 0, 0, 0xFC, U | N}, {{0x01FD, 0x00}}, {0x00, 0, 0, 0xFD, U | Z}, {}, 4},
        {"PLA wraps S from $FF to $00", {0x68}, {0, 0, 0, 0xFF, U}, {{0x0100, 0x33}}, {0x33, 0, 0, 0x00, U}, {}, 4},
        {"PHP pushes B and the unused bit", {0x08}, {0, 0, 0, 0xFD, U | N | C}, {},
         {0, 0, 0, 0xFC, U | N | C}, {{0x01FD, U | B | N | C}}, 3},
        {"PLP drops B", {0x28}, {0, 0, 0, 0xFC, U}, {{0x01FD, 0xFF}}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, 4},
        {"PLP keeps the unused bit set", {0x28}, {0, 0, 0, 0xFC, U | ALL_FLAGS}, {{0x01FD, 0x00}},
         {0, 0, 0, 0xFD, U}, {}, 4},
    });
}

// ---------------------------------------------------------------------------------------------
// The eight "group one" instructions (opcode aaabbb01) in every addressing mode. The opcode is
// composed from its bit fields, so a case wired to the wrong mode or index register shows up
// as the operand not being found.

constexpr uint8_t GROUP_ONE = 0x01;
constexpr uint8_t MODE_SHIFT = 2;
constexpr uint8_t MATRIX_X = 0x04, MATRIX_Y = 0x10;
constexpr uint8_t MATRIX_A = 0x35, MATRIX_OPERAND = 0x0F;
constexpr uint8_t MATRIX_FLAGS = N | V | U | Z | C;

struct AddressingMode {
    const char* name;
    uint8_t mode_bits;
    std::vector<uint8_t> operand;  // empty for immediate: the value itself follows the opcode
    std::vector<Poke> pointers;
    uint16_t effective;
    int read_cycles;
    int store_cycles;
};

const std::vector<AddressingMode> GROUP_ONE_MODES = {
    {"(zp,X)", 0, {0x20}, {{0x0024, 0x34}, {0x0025, 0x12}}, 0x1234, 6, 6},
    {"(zp,X) index wraps in page zero", 0, {0xFE}, {{0x0002, 0x34}, {0x0003, 0x12}}, 0x1234, 6, 6},
    {"(zp,X) pointer at $FF takes its high byte from $00", 0, {0xFB},
     {{0x00FF, 0x34}, {0x0000, 0x12}, {0x0100, 0x56}}, 0x1234, 6, 6},
    {"zp", 1, {0x44}, {}, 0x0044, 3, 3},
    {"#", 2, {}, {}, 0, 2, 0},
    {"abs", 3, {0x34, 0x12}, {}, 0x1234, 4, 4},
    {"(zp),Y", 4, {0x30}, {{0x0030, 0x00}, {0x0031, 0x12}}, 0x1210, 5, 6},
    {"(zp),Y crossing a page", 4, {0x30}, {{0x0030, 0xF8}, {0x0031, 0x12}}, 0x1308, 6, 6},
    {"(zp),Y pointer at $FF takes its high byte from $00", 4, {0xFF},
     {{0x00FF, 0x00}, {0x0000, 0x12}, {0x0100, 0x56}}, 0x1210, 5, 6},
    {"zp,X", 5, {0x40}, {}, 0x0044, 4, 4},
    {"zp,X wraps in page zero", 5, {0xFE}, {}, 0x0002, 4, 4},
    {"abs,Y", 6, {0x00, 0x12}, {}, 0x1210, 4, 5},
    {"abs,Y crossing a page", 6, {0xF8, 0x12}, {}, 0x1308, 5, 5},
    {"abs,X", 7, {0x00, 0x12}, {}, 0x1204, 4, 5},
    {"abs,X crossing a page", 7, {0xFE, 0x12}, {}, 0x1302, 5, 5},
};

struct GroupOneOp {
    const char* mnemonic;
    uint8_t operation_bits;  // bits 5-7
    bool is_store;
    uint8_t a_after;
    uint8_t p_after;  // starting from MATRIX_FLAGS
};

// A = $35, operand = $0F, flags N V Z C set beforehand.
const std::vector<GroupOneOp> GROUP_ONE_OPS = {
    {"ORA", 0, false, 0x3F, V | U | C},
    {"AND", 1, false, 0x05, V | U | C},
    {"EOR", 2, false, 0x3A, V | U | C},
    {"ADC", 3, false, 0x45, U},  // $35 + $0F + carry
    {"STA", 4, true, MATRIX_A, MATRIX_FLAGS},
    {"LDA", 5, false, MATRIX_OPERAND, V | U | C},
    {"CMP", 6, false, MATRIX_A, V | U | C},
    {"SBC", 7, false, 0x26, U | C},  // $35 - $0F, no borrow
};

TEST(Cpu6502GroupOne, EveryOperationInEveryAddressingMode)
{
    for (const GroupOneOp& op : GROUP_ONE_OPS) {
        for (const AddressingMode& mode : GROUP_ONE_MODES) {
            const bool immediate = mode.operand.empty();
            if (op.is_store && immediate) continue;
            SCOPED_TRACE(std::string(op.mnemonic) + " " + mode.name);
            const uint8_t opcode =
                static_cast<uint8_t>(op.operation_bits << 5 | mode.mode_bits << MODE_SHIFT | GROUP_ONE);
            EXPECT_STREQ(cpu_mnemonic(opcode), op.mnemonic);

            Machine<FlatBus> m;
            std::vector<uint8_t> code = {opcode};
            if (immediate) {
                code.push_back(MATRIX_OPERAND);
            } else {
                code.insert(code.end(), mode.operand.begin(), mode.operand.end());
                m.poke(mode.pointers);
                m.poke({{mode.effective, MATRIX_OPERAND}});
            }
            m.load(ORIGIN, code);
            m.cpu.pc = ORIGIN;
            set_regs(m.cpu, {MATRIX_A, MATRIX_X, MATRIX_Y, 0xFD, MATRIX_FLAGS});

            const int expected_cycles = op.is_store ? mode.store_cycles : mode.read_cycles;
            EXPECT_EQ(m.step(), expected_cycles);
            EXPECT_EQ(m.cpu.pc, ORIGIN + code.size());
            expect_regs(m.cpu, {op.a_after, MATRIX_X, MATRIX_Y, 0xFD, op.p_after});
            if (op.is_store) {
                EXPECT_EQ(m.bus.memory[mode.effective], MATRIX_A);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Read-modify-write instructions on memory (opcode aaabbb10), composed the same way.

constexpr uint8_t GROUP_TWO = 0x02;
constexpr uint8_t RMW_OPERAND = 0x81;
constexpr uint8_t RMW_FLAGS = V | U | Z | C;

struct RmwMode {
    const char* name;
    uint8_t mode_bits;
    std::vector<uint8_t> operand;
    uint16_t effective;
    int cycles;
};

const std::vector<RmwMode> RMW_MODES = {
    {"zp", 1, {0x44}, 0x0044, 5},
    {"abs", 3, {0x34, 0x12}, 0x1234, 6},
    {"zp,X", 5, {0x40}, 0x0044, 6},
    {"zp,X wraps in page zero", 5, {0xFE}, 0x0002, 6},
    {"abs,X", 7, {0x00, 0x12}, 0x1204, 7},
    {"abs,X crossing a page", 7, {0xFE, 0x12}, 0x1302, 7},
};

struct RmwOp {
    const char* mnemonic;
    uint8_t operation_bits;
    uint8_t result;
    uint8_t p_after;  // starting from RMW_FLAGS, i.e. with carry set
};

const std::vector<RmwOp> RMW_OPS = {
    {"ASL", 0, 0x02, V | U | C},
    {"ROL", 1, 0x03, V | U | C},
    {"LSR", 2, 0x40, V | U | C},
    {"ROR", 3, 0xC0, N | V | U | C},
    {"DEC", 6, 0x80, N | V | U | C},
    {"INC", 7, 0x82, N | V | U | C},
};

TEST(Cpu6502ReadModifyWrite, EveryOperationInEveryMemoryMode)
{
    for (const RmwOp& op : RMW_OPS) {
        for (const RmwMode& mode : RMW_MODES) {
            SCOPED_TRACE(std::string(op.mnemonic) + " " + mode.name);
            const uint8_t opcode =
                static_cast<uint8_t>(op.operation_bits << 5 | mode.mode_bits << MODE_SHIFT | GROUP_TWO);
            EXPECT_STREQ(cpu_mnemonic(opcode), op.mnemonic);

            Machine<FlatBus> m;
            std::vector<uint8_t> code = {opcode};
            code.insert(code.end(), mode.operand.begin(), mode.operand.end());
            m.load(ORIGIN, code);
            m.poke({{mode.effective, RMW_OPERAND}});
            m.cpu.pc = ORIGIN;
            set_regs(m.cpu, {0x11, MATRIX_X, MATRIX_Y, 0xFD, RMW_FLAGS});

            EXPECT_EQ(m.step(), mode.cycles);
            EXPECT_EQ(m.cpu.pc, ORIGIN + code.size());
            EXPECT_EQ(m.bus.memory[mode.effective], op.result);
            expect_regs(m.cpu, {0x11, MATRIX_X, MATRIX_Y, 0xFD, op.p_after});
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Register-only arithmetic: immediate operands and the accumulator forms of the shifts.

struct AluCase {
    const char* name;
    std::vector<uint8_t> code;
    Regs before;
    uint8_t a_after;
    uint8_t p_after;
};

void run_alu_cases(const std::vector<AluCase>& cases)
{
    for (const AluCase& test : cases) {
        SCOPED_TRACE(test.name);
        Machine<FlatBus> m;
        m.load(ORIGIN, test.code);
        m.cpu.pc = ORIGIN;
        set_regs(m.cpu, test.before);
        EXPECT_EQ(m.step(), 2);
        expect_regs(m.cpu, {test.a_after, test.before.x, test.before.y, test.before.s, test.p_after});
    }
}

TEST(Cpu6502Arithmetic, BinaryAddAndSubtract)
{
    run_alu_cases({
        {"ADC 1+1 clears stale flags", {0x69, 0x01}, {0x01, 0, 0, 0xFD, U | N | V | Z}, 0x02, U},
        {"ADC adds the carry", {0x69, 0x01}, {0x01, 0, 0, 0xFD, U | C}, 0x03, U},
        {"ADC $7F+1 overflows", {0x69, 0x01}, {0x7F, 0, 0, 0xFD, U}, 0x80, U | N | V},
        {"ADC $FF+1 carries out to zero", {0x69, 0x01}, {0xFF, 0, 0, 0xFD, U}, 0x00, U | Z | C},
        {"ADC $80+$FF overflows negative", {0x69, 0xFF}, {0x80, 0, 0, 0xFD, U}, 0x7F, U | V | C},
        {"ADC $FF+$FF+1", {0x69, 0xFF}, {0xFF, 0, 0, 0xFD, U | C}, 0xFF, U | N | C},
        {"SBC without borrow", {0xE9, 0x03}, {0x05, 0, 0, 0xFD, U | C}, 0x02, U | C},
        {"SBC with borrow in", {0xE9, 0x03}, {0x05, 0, 0, 0xFD, U}, 0x01, U | C},
        {"SBC borrows out", {0xE9, 0x05}, {0x03, 0, 0, 0xFD, U | C}, 0xFE, U | N},
        {"SBC $80-1 overflows", {0xE9, 0x01}, {0x80, 0, 0, 0xFD, U | C}, 0x7F, U | V | C},
        {"SBC $7F-$FF overflows", {0xE9, 0xFF}, {0x7F, 0, 0, 0xFD, U | C}, 0x80, U | N | V},
        {"SBC equal gives zero", {0xE9, 0x40}, {0x40, 0, 0, 0xFD, U | C}, 0x00, U | Z | C},
        {"SBC 0-0 with borrow", {0xE9, 0x00}, {0x00, 0, 0, 0xFD, U}, 0xFF, U | N},
    });
}

TEST(Cpu6502Arithmetic, DecimalAddAndSubtractTheNmosWay)
{
    run_alu_cases({
        {"ADC 09+01", {0x69, 0x01}, {0x09, 0, 0, 0xFD, U | D}, 0x10, U | D},
        {"ADC 15+26", {0x69, 0x26}, {0x15, 0, 0, 0xFD, U | D}, 0x41, U | D},
        // Z follows the binary sum $9A; N follows the half-adjusted $A0.
        {"ADC 99+01 wraps with N set and Z clear", {0x69, 0x01}, {0x99, 0, 0, 0xFD, U | D}, 0x00, U | D | N | C},
        // Binary $7A would clear N and V; the half-adjusted $80 sets both.
        {"ADC 79+01 takes N and V from the half-adjusted sum", {0x69, 0x01}, {0x79, 0, 0, 0xFD, U | D}, 0x80,
         U | D | N | V},
        {"ADC 58+46+carry", {0x69, 0x46}, {0x58, 0, 0, 0xFD, U | D | C}, 0x05, U | D | N | V | C},
        {"ADC 50+50 sets V from the half-adjusted sum", {0x69, 0x50}, {0x50, 0, 0, 0xFD, U | D}, 0x00,
         U | D | N | V | C},
        // Binary sum $100 sets Z even though A ends up $60.
        {"ADC 80+80 sets Z from the binary sum", {0x69, 0x80}, {0x80, 0, 0, 0xFD, U | D}, 0x60, U | D | Z | V | C},
        {"SBC 50-01", {0xE9, 0x01}, {0x50, 0, 0, 0xFD, U | D | C}, 0x49, U | D | C},
        {"SBC 46-12 with borrow in", {0xE9, 0x12}, {0x46, 0, 0, 0xFD, U | D}, 0x33, U | D | C},
        {"SBC 00-01 borrows to 99", {0xE9, 0x01}, {0x00, 0, 0, 0xFD, U | D | C}, 0x99, U | D | N},
        {"SBC 21-34 borrows to 87", {0xE9, 0x34}, {0x21, 0, 0, 0xFD, U | D | C}, 0x87, U | D | N},
        {"SBC 10-10", {0xE9, 0x10}, {0x10, 0, 0, 0xFD, U | D | C}, 0x00, U | D | Z | C},
        {"SBC 80-01 sets V from the binary difference", {0xE9, 0x01}, {0x80, 0, 0, 0xFD, U | D | C}, 0x79,
         U | D | V | C},
    });
}

TEST(Cpu6502Arithmetic, LogicAndCompareFlags)
{
    run_alu_cases({
        {"AND to zero", {0x29, 0x0F}, {0xF0, 0, 0, 0xFD, U | N}, 0x00, U | Z},
        {"AND keeps the sign bit", {0x29, 0x80}, {0xF0, 0, 0, 0xFD, U | Z}, 0x80, U | N},
        {"ORA of zeros", {0x09, 0x00}, {0x00, 0, 0, 0xFD, U}, 0x00, U | Z},
        {"ORA into the sign bit", {0x09, 0x80}, {0x01, 0, 0, 0xFD, U}, 0x81, U | N},
        {"EOR to zero", {0x49, 0xFF}, {0xFF, 0, 0, 0xFD, U}, 0x00, U | Z},
        {"EOR leaves C and V alone", {0x49, 0xFF}, {0x0F, 0, 0, 0xFD, U | C | V}, 0xF0, U | N | V | C},
        {"CMP equal", {0xC9, 0x40}, {0x40, 0, 0, 0xFD, U | N}, 0x40, U | Z | C},
        {"CMP A below operand", {0xC9, 0x41}, {0x40, 0, 0, 0xFD, U | Z | C}, 0x40, U | N},
        {"CMP A above operand", {0xC9, 0x3F}, {0x40, 0, 0, 0xFD, U | N | Z}, 0x40, U | C},
        {"CMP is unsigned: 00 vs 80", {0xC9, 0x80}, {0x00, 0, 0, 0xFD, U | C}, 0x00, U | N},
        {"CMP is unsigned: FF vs 01", {0xC9, 0x01}, {0xFF, 0, 0, 0xFD, U}, 0xFF, U | N | C},
        {"CMP leaves V alone", {0xC9, 0x40}, {0x40, 0, 0, 0xFD, U | V}, 0x40, U | V | Z | C},
        {"CMP ignores decimal mode", {0xC9, 0x09}, {0x10, 0, 0, 0xFD, U | D}, 0x10, U | D | C},
        {"CPX compares X, not A", {0xE0, 0x10}, {0x00, 0x10, 0x00, 0xFD, U}, 0x00, U | Z | C},
        {"CPX X below operand", {0xE0, 0x20}, {0x00, 0x10, 0x00, 0xFD, U}, 0x00, U | N},
        {"CPY compares Y, not A", {0xC0, 0x22}, {0x00, 0x00, 0x22, 0xFD, U}, 0x00, U | Z | C},
        {"CPY Y above operand", {0xC0, 0x01}, {0x00, 0x00, 0x80, 0xFD, U}, 0x00, U | C},
    });
}

TEST(Cpu6502Arithmetic, ShiftsAndRotatesOfTheAccumulator)
{
    run_alu_cases({
        {"ASL A moves bit 7 into C", {0x0A}, {0x81, 0, 0, 0xFD, U}, 0x02, U | C},
        {"ASL A clears C", {0x0A}, {0x40, 0, 0, 0xFD, U | C}, 0x80, U | N},
        {"ASL A to zero", {0x0A}, {0x80, 0, 0, 0xFD, U}, 0x00, U | Z | C},
        {"LSR A to zero", {0x4A}, {0x01, 0, 0, 0xFD, U | N}, 0x00, U | Z | C},
        {"LSR A never sets N", {0x4A}, {0xFE, 0, 0, 0xFD, U | C}, 0x7F, U},
        {"ROL A without carry in", {0x2A}, {0x80, 0, 0, 0xFD, U}, 0x00, U | Z | C},
        {"ROL A with carry in", {0x2A}, {0x40, 0, 0, 0xFD, U | C}, 0x81, U | N},
        {"ROR A without carry in", {0x6A}, {0x01, 0, 0, 0xFD, U}, 0x00, U | Z | C},
        {"ROR A with carry in", {0x6A}, {0x02, 0, 0, 0xFD, U | C}, 0x81, U | N},
    });
}

// ---------------------------------------------------------------------------------------------
// Branches: 2 cycles not taken, 3 taken, 4 when the target is on another page than the
// instruction after the branch. Every other flag is the opposite of the tested one, so a
// branch testing the wrong flag goes the wrong way.

struct BranchCase {
    const char* name;
    uint16_t origin;
    uint8_t opcode;
    uint8_t offset;
    uint8_t p;
    uint16_t pc_after;
    int cycles;
};

TEST(Cpu6502Branch, ConditionsAndCycleCounts)
{
    const std::vector<BranchCase> cases = {
        {"BPL taken", ORIGIN, 0x10, 0x10, U | (ALL_FLAGS & ~N), 0x0212, 3},
        {"BPL not taken", ORIGIN, 0x10, 0x10, U | N, 0x0202, 2},
        {"BMI taken", ORIGIN, 0x30, 0x10, U | N, 0x0212, 3},
        {"BMI not taken", ORIGIN, 0x30, 0x10, U | (ALL_FLAGS & ~N), 0x0202, 2},
        {"BVC taken", ORIGIN, 0x50, 0x10, U | (ALL_FLAGS & ~V), 0x0212, 3},
        {"BVC not taken", ORIGIN, 0x50, 0x10, U | V, 0x0202, 2},
        {"BVS taken", ORIGIN, 0x70, 0x10, U | V, 0x0212, 3},
        {"BVS not taken", ORIGIN, 0x70, 0x10, U | (ALL_FLAGS & ~V), 0x0202, 2},
        {"BCC taken", ORIGIN, 0x90, 0x10, U | (ALL_FLAGS & ~C), 0x0212, 3},
        {"BCC not taken", ORIGIN, 0x90, 0x10, U | C, 0x0202, 2},
        {"BCS taken", ORIGIN, 0xB0, 0x10, U | C, 0x0212, 3},
        {"BCS not taken", ORIGIN, 0xB0, 0x10, U | (ALL_FLAGS & ~C), 0x0202, 2},
        {"BNE taken", ORIGIN, 0xD0, 0x10, U | (ALL_FLAGS & ~Z), 0x0212, 3},
        {"BNE not taken", ORIGIN, 0xD0, 0x10, U | Z, 0x0202, 2},
        {"BEQ taken", ORIGIN, 0xF0, 0x10, U | Z, 0x0212, 3},
        {"BEQ not taken", ORIGIN, 0xF0, 0x10, U | (ALL_FLAGS & ~Z), 0x0202, 2},
        {"zero offset", ORIGIN, 0xD0, 0x00, U, 0x0202, 3},
        {"largest forward offset", ORIGIN, 0xD0, 0x7F, U, 0x0281, 3},
        {"largest backward offset", 0x0280, 0xD0, 0x80, U, 0x0202, 3},
        {"backward within the page", 0x0210, 0xD0, 0xFC, U, 0x020E, 3},
        {"forward onto the next page", 0x02F0, 0xD0, 0x20, U, 0x0312, 4},
        {"backward onto the previous page", 0x0300, 0xD0, 0xF0, U, 0x02F2, 4},
        {"branch at a page end, target on the next instruction's page", 0x02FE, 0xD0, 0x04, U, 0x0304, 3},
        {"branch at a page end back onto its own page", 0x02FE, 0xD0, 0xFE, U, 0x02FE, 4},
        {"not taken while straddling a page", 0x02FF, 0xD0, 0x10, U | Z, 0x0301, 2},
    };
    for (const BranchCase& test : cases) {
        SCOPED_TRACE(test.name);
        Machine<FlatBus> m;
        m.load(test.origin, {test.opcode, test.offset});
        m.cpu.pc = test.origin;
        m.cpu.p = test.p;
        EXPECT_EQ(m.step(), test.cycles);
        EXPECT_EQ(m.cpu.pc, test.pc_after);
        EXPECT_EQ(m.cpu.p, test.p);
    }
}

// ---------------------------------------------------------------------------------------------
// Jumps, subroutines and interrupts-by-software.

struct FlowCase {
    const char* name;
    uint16_t origin;
    std::vector<uint8_t> code;
    Regs before;
    std::vector<Poke> memory_before;
    Regs after;
    std::vector<Poke> memory_after;
    uint16_t pc_after;
    int cycles;
};

TEST(Cpu6502ControlFlow, JumpsSubroutinesBreakAndReturn)
{
    const std::vector<FlowCase> cases = {
        {"JMP abs", ORIGIN, {0x4C, 0x34, 0x12}, {0, 0, 0, 0xFD, U}, {}, {0, 0, 0, 0xFD, U}, {}, 0x1234, 3},
        {"JMP (ind)", ORIGIN, {0x6C, 0x00, 0x03}, {0, 0, 0, 0xFD, U}, {{0x0300, 0x34}, {0x0301, 0x12}},
         {0, 0, 0, 0xFD, U}, {}, 0x1234, 5},
        {"JMP ($03FF) takes the high byte from $0300", ORIGIN, {0x6C, 0xFF, 0x03}, {0, 0, 0, 0xFD, U},
         {{0x03FF, 0x34}, {0x0300, 0x12}, {0x0400, 0x56}}, {0, 0, 0, 0xFD, U}, {}, 0x1234, 5},
        {"JSR pushes the address of its own last byte, high byte first", 0x1240, {0x20, 0x00, 0x30},
         {0, 0, 0, 0xFD, U}, {}, {0, 0, 0, 0xFB, U}, {{0x01FD, 0x12}, {0x01FC, 0x42}}, 0x3000, 6},
        {"JSR wraps the stack pointer", 0x1240, {0x20, 0x00, 0x30}, {0, 0, 0, 0x00, U}, {},
         {0, 0, 0, 0xFE, U}, {{0x0100, 0x12}, {0x01FF, 0x42}}, 0x3000, 6},
        {"RTS returns one past the pulled address", 0x3000, {0x60}, {0, 0, 0, 0xFB, U},
         {{0x01FC, 0x42}, {0x01FD, 0x12}}, {0, 0, 0, 0xFD, U}, {}, 0x1243, 6},
        {"RTS wraps the stack pointer", 0x3000, {0x60}, {0, 0, 0, 0xFE, U}, {{0x01FF, 0x42}, {0x0100, 0x12}},
         {0, 0, 0, 0x00, U}, {}, 0x1243, 6},
        // P = N D C on entry: pushed with B and unused set; D survives on the NMOS part.
        {"BRK pushes BRK+2 and P with B, sets I, and vectors through $FFFE", 0x1240, {0x00, 0xEA},
         {0, 0, 0, 0xFD, U | N | D | C}, {{0xFFFE, 0x00}, {0xFFFF, 0x30}}, {0, 0, 0, 0xFA, U | N | D | I | C},
         {{0x01FD, 0x12}, {0x01FC, 0x42}, {0x01FB, U | B | N | D | C}}, 0x3000, 7},
        {"RTI returns to the pulled address itself", 0x3000, {0x40}, {0, 0, 0, 0xFA, U | I},
         {{0x01FB, U | B | N | D | C}, {0x01FC, 0x42}, {0x01FD, 0x12}}, {0, 0, 0, 0xFD, U | N | D | C}, {}, 0x1242, 6},
        {"RTI drops B and sets the unused bit", 0x3000, {0x40}, {0, 0, 0, 0xFA, U},
         {{0x01FB, 0xDF}, {0x01FC, 0x34}, {0x01FD, 0x12}}, {0, 0, 0, 0xFD, U | ALL_FLAGS}, {}, 0x1234, 6},
        {"RTI of an empty flag byte", 0x3000, {0x40}, {0, 0, 0, 0xFA, U | ALL_FLAGS},
         {{0x01FB, 0x00}, {0x01FC, 0x34}, {0x01FD, 0x12}}, {0, 0, 0, 0xFD, U}, {}, 0x1234, 6},
    };
    for (const FlowCase& test : cases) {
        SCOPED_TRACE(test.name);
        Machine<FlatBus> m;
        m.poke(test.memory_before);
        m.load(test.origin, test.code);
        m.cpu.pc = test.origin;
        set_regs(m.cpu, test.before);
        EXPECT_EQ(m.step(), test.cycles);
        EXPECT_EQ(m.cpu.pc, test.pc_after);
        expect_regs(m.cpu, test.after);
        expect_memory(m.bus, test.memory_after);
    }
}

TEST(Cpu6502ControlFlow, BreakThenReturnRestoresTheMachine)
{
    Machine<FlatBus> m;
    m.load(0x1240, {0x00, 0xEA,   // BRK (signature byte $EA)
                    STOP_MARKER});
    m.load(0x3000, {0x40});       // handler: RTI
    m.poke({{0xFFFE, 0x00}, {0xFFFF, 0x30}});
    m.cpu.pc = 0x1240;
    set_regs(m.cpu, {0x11, 0x22, 0x33, 0xFD, U | V | Z});

    EXPECT_EQ(m.run(), 7 + 6);
    EXPECT_EQ(m.cpu.stop_address, 0x1242);
    expect_regs(m.cpu, {0x11, 0x22, 0x33, 0xFD, U | V | Z});
}

// ---------------------------------------------------------------------------------------------
// Bus traffic seen by memory-mapped devices, one access per cycle: opcode and operand fetches,
// the dummy reads, the read of the uncarried address when indexing, and the double write of
// read-modify-write instructions. Each list is the per-cycle table of the 6502's documentation
// for that addressing mode, written out for the case: the n-th access is in cycle start + n.

struct BusCase {
    const char* name;
    std::vector<uint8_t> code;
    Regs before;
    std::vector<Poke> memory;
    std::vector<BusAccess> accesses;
    uint16_t origin = ORIGIN;
};

constexpr uint64_t BUS_START_CYCLE = 1000;

void run_bus_cases(const std::vector<BusCase>& cases)
{
    for (const BusCase& test : cases) {
        SCOPED_TRACE(test.name);
        Machine<RecordingBus> m;
        m.poke(test.memory);
        m.load(test.origin, test.code);
        m.cpu.pc = test.origin;
        m.cpu.cycles = BUS_START_CYCLE;
        set_regs(m.cpu, test.before);
        EXPECT_EQ(m.step(), static_cast<int>(test.accesses.size()));
        EXPECT_EQ(m.bus.accesses, test.accesses);
        std::vector<uint64_t> cycles;
        for (size_t i = 0; i < test.accesses.size(); ++i) cycles.push_back(BUS_START_CYCLE + i);
        EXPECT_EQ(m.bus.cycles, cycles);
        EXPECT_EQ(m.cpu.cycles, BUS_START_CYCLE + test.accesses.size());
    }
}

TEST(Cpu6502BusTraffic, IndexedDummyReadsAndReadModifyWriteDoubleWrites)
{
    run_bus_cases({
        {"LDA abs,X within a page reads once", {0xBD, 0x00, 0x12}, {0, 0x20, 0, 0xFD, U}, {{0x1220, 0x22}},
         {rd(0x0200, 0xBD), rd(0x0201, 0x00), rd(0x0202, 0x12), rd(0x1220, 0x22)}},
        {"LDA abs,X crossing reads the uncarried address first", {0xBD, 0xF0, 0x12}, {0, 0x20, 0, 0xFD, U},
         {{0x1210, 0x11}, {0x1310, 0x22}},
         {rd(0x0200, 0xBD), rd(0x0201, 0xF0), rd(0x0202, 0x12), rd(0x1210, 0x11), rd(0x1310, 0x22)}},
        {"LDA abs,Y crossing the top of memory", {0xB9, 0xF0, 0xFF}, {0, 0, 0x20, 0xFD, U},
         {{0xFF10, 0x11}, {0x0010, 0x22}},
         {rd(0x0200, 0xB9), rd(0x0201, 0xF0), rd(0x0202, 0xFF), rd(0xFF10, 0x11), rd(0x0010, 0x22)}},
        {"LDA (zp),Y crossing reads the uncarried address first", {0xB1, 0x30}, {0, 0, 0x20, 0xFD, U},
         {{0x0030, 0xF0}, {0x0031, 0x12}, {0x1210, 0x11}, {0x1310, 0x22}},
         {rd(0x0200, 0xB1), rd(0x0201, 0x30), rd(0x0030, 0xF0), rd(0x0031, 0x12), rd(0x1210, 0x11),
          rd(0x1310, 0x22)}},
        {"STA abs,X reads the target before writing even within a page", {0x9D, 0x34, 0x12},
         {0x99, 0x01, 0, 0xFD, U}, {{0x1235, 0x11}},
         {rd(0x0200, 0x9D), rd(0x0201, 0x34), rd(0x0202, 0x12), rd(0x1235, 0x11), wr(0x1235, 0x99)}},
        {"STA abs,Y crossing reads the uncarried address", {0x99, 0xF0, 0x12}, {0x99, 0, 0x20, 0xFD, U},
         {{0x1210, 0x11}},
         {rd(0x0200, 0x99), rd(0x0201, 0xF0), rd(0x0202, 0x12), rd(0x1210, 0x11), wr(0x1310, 0x99)}},
        {"STA (zp),Y reads the target before writing", {0x91, 0x30}, {0x99, 0, 0x01, 0xFD, U},
         {{0x0030, 0x34}, {0x0031, 0x12}},
         {rd(0x0200, 0x91), rd(0x0201, 0x30), rd(0x0030, 0x34), rd(0x0031, 0x12), rd(0x1235, 0x00),
          wr(0x1235, 0x99)}},
        {"DEC zp writes the old value back, then the result", {0xC6, 0x44}, {0, 0, 0, 0xFD, U},
         {{0x0044, 0x00}},
         {rd(0x0200, 0xC6), rd(0x0201, 0x44), rd(0x0044, 0x00), wr(0x0044, 0x00), wr(0x0044, 0xFF)}},
        {"INC abs writes the old value back, then the result", {0xEE, 0x34, 0x12}, {0, 0, 0, 0xFD, U},
         {{0x1234, 0x41}},
         {rd(0x0200, 0xEE), rd(0x0201, 0x34), rd(0x0202, 0x12), rd(0x1234, 0x41), wr(0x1234, 0x41),
          wr(0x1234, 0x42)}},
        {"INC abs,X reads the target twice even within a page", {0xFE, 0x34, 0x12}, {0, 0x01, 0, 0xFD, U},
         {{0x1235, 0x41}},
         {rd(0x0200, 0xFE), rd(0x0201, 0x34), rd(0x0202, 0x12), rd(0x1235, 0x41), rd(0x1235, 0x41),
          wr(0x1235, 0x41), wr(0x1235, 0x42)}},
        {"ASL abs,X crossing reads the uncarried address, then writes twice", {0x1E, 0xF0, 0x12},
         {0, 0x20, 0, 0xFD, U}, {{0x1210, 0x11}, {0x1310, 0x81}},
         {rd(0x0200, 0x1E), rd(0x0201, 0xF0), rd(0x0202, 0x12), rd(0x1210, 0x11), rd(0x1310, 0x81),
          wr(0x1310, 0x81), wr(0x1310, 0x02)}},
    });
}

TEST(Cpu6502BusTraffic, EveryAddressingModeCycleByCycle)
{
    run_bus_cases({
        // Implied and accumulator: the byte after the opcode is read and dropped.
        {"INX reads the next byte", {0xE8, 0x55}, {0, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0xE8), rd(0x0201, 0x55)}},
        {"ASL A reads the next byte", {0x0A, 0x55}, {0, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0x0A), rd(0x0201, 0x55)}},
        {"LDA #", {0xA9, 0x44}, {0, 0, 0, 0xFD, U}, {}, {rd(0x0200, 0xA9), rd(0x0201, 0x44)}},
        // Zero page.
        {"LDA zp", {0xA5, 0x80}, {0, 0, 0, 0xFD, U}, {{0x0080, 0x11}},
         {rd(0x0200, 0xA5), rd(0x0201, 0x80), rd(0x0080, 0x11)}},
        {"STA zp", {0x85, 0x80}, {0x99, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0x85), rd(0x0201, 0x80), wr(0x0080, 0x99)}},
        {"INC zp", {0xE6, 0x80}, {0, 0, 0, 0xFD, U}, {{0x0080, 0x41}},
         {rd(0x0200, 0xE6), rd(0x0201, 0x80), rd(0x0080, 0x41), wr(0x0080, 0x41), wr(0x0080, 0x42)}},
        // Zero page indexed: the base is read while the index is added, within page zero.
        {"LDA zp,X reads the base and wraps in page zero", {0xB5, 0xF0}, {0, 0x20, 0, 0xFD, U},
         {{0x00F0, 0x11}, {0x0010, 0x22}},
         {rd(0x0200, 0xB5), rd(0x0201, 0xF0), rd(0x00F0, 0x11), rd(0x0010, 0x22)}},
        {"LDX zp,Y reads the base", {0xB6, 0x80}, {0, 0, 0x02, 0xFD, U}, {{0x0080, 0x33}, {0x0082, 0x44}},
         {rd(0x0200, 0xB6), rd(0x0201, 0x80), rd(0x0080, 0x33), rd(0x0082, 0x44)}},
        {"STA zp,X reads the base", {0x95, 0x80}, {0x99, 0x01, 0, 0xFD, U}, {{0x0080, 0x11}},
         {rd(0x0200, 0x95), rd(0x0201, 0x80), rd(0x0080, 0x11), wr(0x0081, 0x99)}},
        {"INC zp,X reads the base", {0xF6, 0x80}, {0, 0x01, 0, 0xFD, U}, {{0x0080, 0x11}, {0x0081, 0x41}},
         {rd(0x0200, 0xF6), rd(0x0201, 0x80), rd(0x0080, 0x11), rd(0x0081, 0x41), wr(0x0081, 0x41),
          wr(0x0081, 0x42)}},
        // Absolute.
        {"JMP abs", {0x4C, 0x34, 0x12}, {0, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0x4C), rd(0x0201, 0x34), rd(0x0202, 0x12)}},
        {"LDA abs reads its operand in the fourth cycle", {0xAD, 0x11, 0xC0}, {0, 0, 0, 0xFD, U},
         {{0xC011, 0x55}}, {rd(0x0200, 0xAD), rd(0x0201, 0x11), rd(0x0202, 0xC0), rd(0xC011, 0x55)}},
        {"STA abs", {0x8D, 0x34, 0x12}, {0x99, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0x8D), rd(0x0201, 0x34), rd(0x0202, 0x12), wr(0x1234, 0x99)}},
        {"LSR abs", {0x4E, 0x34, 0x12}, {0, 0, 0, 0xFD, U}, {{0x1234, 0x03}},
         {rd(0x0200, 0x4E), rd(0x0201, 0x34), rd(0x0202, 0x12), rd(0x1234, 0x03), wr(0x1234, 0x03),
          wr(0x1234, 0x01)}},
        // Relative: a taken branch reads the next opcode; across a page, the uncarried target.
        {"BNE not taken", {0xD0, 0x10}, {0, 0, 0, 0xFD, U | Z}, {}, {rd(0x0200, 0xD0), rd(0x0201, 0x10)}},
        {"BNE taken reads the next opcode", {0xD0, 0x10}, {0, 0, 0, 0xFD, U}, {{0x0202, 0xEA}},
         {rd(0x0200, 0xD0), rd(0x0201, 0x10), rd(0x0202, 0xEA)}},
        {"BNE taken back across a page reads the target on the old page", {0xD0, 0x80}, {0, 0, 0, 0xFD, U},
         {{0x0202, 0xEA}, {0x0282, 0x77}},
         {rd(0x0200, 0xD0), rd(0x0201, 0x80), rd(0x0202, 0xEA), rd(0x0282, 0x77)}},
        {"BEQ taken forward across a page reads the target on the old page", {0xF0, 0x20},
         {0, 0, 0, 0xFD, U | Z}, {{0x02F2, 0xEA}, {0x0212, 0x77}},
         {rd(0x02F0, 0xF0), rd(0x02F1, 0x20), rd(0x02F2, 0xEA), rd(0x0212, 0x77)}, 0x02F0},
        // Indexed indirect: the base is read while X is added; the pointer stays in page zero.
        {"LDA (zp,X)", {0xA1, 0x20}, {0, 0x04, 0, 0xFD, U},
         {{0x0020, 0x11}, {0x0024, 0x34}, {0x0025, 0x12}, {0x1234, 0x56}},
         {rd(0x0200, 0xA1), rd(0x0201, 0x20), rd(0x0020, 0x11), rd(0x0024, 0x34), rd(0x0025, 0x12),
          rd(0x1234, 0x56)}},
        {"STA (zp,X) with the pointer at $FF", {0x81, 0xFB}, {0x99, 0x04, 0, 0xFD, U},
         {{0x00FB, 0x00}, {0x00FF, 0x34}, {0x0000, 0x12}},
         {rd(0x0200, 0x81), rd(0x0201, 0xFB), rd(0x00FB, 0x00), rd(0x00FF, 0x34), rd(0x0000, 0x12),
          wr(0x1234, 0x99)}},
        // Indirect indexed within a page (crossing and the store are in the test above).
        {"LDA (zp),Y within a page", {0xB1, 0x30}, {0, 0, 0x01, 0xFD, U},
         {{0x0030, 0x34}, {0x0031, 0x12}, {0x1235, 0x56}},
         {rd(0x0200, 0xB1), rd(0x0201, 0x30), rd(0x0030, 0x34), rd(0x0031, 0x12), rd(0x1235, 0x56)}},
        {"JMP (abs) takes the high byte from the same page", {0x6C, 0xFF, 0x12}, {0, 0, 0, 0xFD, U},
         {{0x12FF, 0x34}, {0x1200, 0x56}, {0x1300, 0x99}},
         {rd(0x0200, 0x6C), rd(0x0201, 0xFF), rd(0x0202, 0x12), rd(0x12FF, 0x34), rd(0x1200, 0x56)}},
        // The stack: pulls read the stack at S before S moves.
        {"PHA", {0x48, 0x55}, {0x99, 0, 0, 0xFD, U}, {},
         {rd(0x0200, 0x48), rd(0x0201, 0x55), wr(0x01FD, 0x99)}},
        {"PHP pushes B and the unused bit", {0x08, 0x55}, {0, 0, 0, 0xFD, U | C}, {},
         {rd(0x0200, 0x08), rd(0x0201, 0x55), wr(0x01FD, U | B | C)}},
        {"PLA", {0x68, 0x55}, {0, 0, 0, 0xFC, U}, {{0x01FC, 0x11}, {0x01FD, 0x22}},
         {rd(0x0200, 0x68), rd(0x0201, 0x55), rd(0x01FC, 0x11), rd(0x01FD, 0x22)}},
        {"PLP", {0x28, 0x55}, {0, 0, 0, 0xFC, U}, {{0x01FC, 0x11}, {0x01FD, 0xC3}},
         {rd(0x0200, 0x28), rd(0x0201, 0x55), rd(0x01FC, 0x11), rd(0x01FD, 0xC3)}},
        {"JSR reads the stack, pushes, then fetches the high byte", {0x20, 0x34, 0x12}, {0, 0, 0, 0xFD, U},
         {{0x01FD, 0x11}},
         {rd(0x0200, 0x20), rd(0x0201, 0x34), rd(0x01FD, 0x11), wr(0x01FD, 0x02), wr(0x01FC, 0x02),
          rd(0x0202, 0x12)}},
        {"RTS reads the pulled address before adding 1", {0x60, 0x55}, {0, 0, 0, 0xFB, U},
         {{0x01FB, 0x11}, {0x01FC, 0x33}, {0x01FD, 0x12}, {0x1233, 0xEA}},
         {rd(0x0200, 0x60), rd(0x0201, 0x55), rd(0x01FB, 0x11), rd(0x01FC, 0x33), rd(0x01FD, 0x12),
          rd(0x1233, 0xEA)}},
        {"RTI", {0x40, 0x55}, {0, 0, 0, 0xFA, U},
         {{0x01FA, 0x11}, {0x01FB, 0xC3}, {0x01FC, 0x34}, {0x01FD, 0x12}},
         {rd(0x0200, 0x40), rd(0x0201, 0x55), rd(0x01FA, 0x11), rd(0x01FB, 0xC3), rd(0x01FC, 0x34),
          rd(0x01FD, 0x12)}},
        {"BRK", {0x00, 0x55}, {0, 0, 0, 0xFD, U}, {{0xFFFE, 0x00}, {0xFFFF, 0x30}},
         {rd(0x0200, 0x00), rd(0x0201, 0x55), wr(0x01FD, 0x02), wr(0x01FC, 0x02), wr(0x01FB, U | B),
          rd(0xFFFE, 0x00), rd(0xFFFF, 0x30)}},
    });
}

// ---------------------------------------------------------------------------------------------
// Undocumented opcodes halt the machine without side effects.

TEST(Cpu6502Undocumented, StopsReportingOpcodeAndAddressAndStaysStopped)
{
    struct StopCase {
        uint8_t opcode;
        uint16_t address;
    };
    for (const StopCase& test : {StopCase{0x02, 0x0200}, StopCase{0xFF, 0x3456}}) {
        SCOPED_TRACE(static_cast<int>(test.opcode));
        Machine<RecordingBus> m;
        m.load(test.address, {test.opcode});
        m.cpu.pc = test.address;
        m.cpu.cycles = 1000;
        const Regs regs = {0x11, 0x22, 0x33, 0x44, U | N | C};
        set_regs(m.cpu, regs);

        EXPECT_EQ(m.step(), 0);
        EXPECT_TRUE(m.cpu.stopped);
        EXPECT_EQ(m.cpu.stop_opcode, test.opcode);
        EXPECT_EQ(m.cpu.stop_address, test.address);
        EXPECT_EQ(m.cpu.pc, test.address);
        EXPECT_EQ(m.cpu.cycles, 1000u);
        expect_regs(m.cpu, regs);
        EXPECT_EQ(m.bus.accesses, std::vector<BusAccess>{rd(test.address, test.opcode)});

        EXPECT_EQ(m.step(), 0);
        EXPECT_TRUE(m.cpu.stopped);
        EXPECT_EQ(m.cpu.pc, test.address);
        EXPECT_EQ(m.bus.accesses.size(), 1u) << "a stopped CPU must not touch the bus";
    }
}

TEST(Cpu6502Undocumented, ExactlyTheDocumentedOpcodesExecute)
{
    int documented = 0;
    for (int opcode = 0; opcode < 0x100; ++opcode) {
        SCOPED_TRACE(opcode);
        Machine<FlatBus> m;
        m.load(ORIGIN, {static_cast<uint8_t>(opcode)});
        m.cpu.pc = ORIGIN;
        const int cycles = m.step();
        if (cpu_mnemonic(static_cast<uint8_t>(opcode)) != nullptr) {
            ++documented;
            EXPECT_FALSE(m.cpu.stopped);
            // Zeroed memory and registers cross no page; with every flag clear, BPL, BVC, BCC
            // and BNE are taken (one cycle more), to the next instruction.
            const bool taken = opcode == 0x10 || opcode == 0x50 || opcode == 0x90 || opcode == 0xD0;
            EXPECT_EQ(cycles, CPU_BASE_CYCLES[opcode] + (taken ? 1 : 0));
        } else {
            EXPECT_TRUE(m.cpu.stopped);
            EXPECT_EQ(cycles, 0);
            EXPECT_EQ(m.cpu.pc, ORIGIN);
        }
    }
    EXPECT_EQ(documented, 151);
}

TEST(Cpu6502Mnemonics, InstructionsOutsideTheGroupMatrices)
{
    struct MnemonicCase {
        uint8_t opcode;
        const char* mnemonic;
    };
    const std::vector<MnemonicCase> cases = {
        {0x00, "BRK"}, {0x20, "JSR"}, {0x40, "RTI"}, {0x60, "RTS"}, {0x4C, "JMP"}, {0x6C, "JMP"},
        {0x9A, "TXS"}, {0xBA, "TSX"}, {0xEA, "NOP"}, {0xB0, "BCS"}, {0x96, "STX"}, {0xBC, "LDY"},
        {0x89, nullptr}, {0x9E, nullptr}, {0x80, nullptr}, {0x1A, nullptr},
    };
    for (const MnemonicCase& test : cases) {
        SCOPED_TRACE(static_cast<int>(test.opcode));
        EXPECT_STREQ(cpu_mnemonic(test.opcode), test.mnemonic);
    }
}

// ---------------------------------------------------------------------------------------------
// Reset and whole programs.

TEST(Cpu6502Reset, LoadsTheVectorAndSetsUpTheStackAndFlags)
{
    Machine<FlatBus> m;
    m.poke({{0xFFFC, 0x34}, {0xFFFD, 0x12}});
    m.load(0x1234, {0xEA});  // NOP
    set_regs(m.cpu, {0, 0, 0, 0x00, U | D});
    m.cpu.cycles = 100;
    m.cpu.stopped = true;

    cpu_reset(m.cpu, m.bus);

    EXPECT_EQ(m.cpu.pc, 0x1234);
    EXPECT_EQ(m.cpu.s, 0xFD);
    EXPECT_EQ(m.cpu.p & (I | D | U), I | U);
    EXPECT_EQ(m.cpu.cycles, 107u);
    EXPECT_FALSE(m.cpu.stopped);
    EXPECT_EQ(m.step(), 2);
    EXPECT_EQ(m.cpu.pc, 0x1235);
}

TEST(Cpu6502Program, CopyLoopCrossingPagesTakesTheExpectedCycles)
{
    Machine<FlatBus> m;
    m.load(0x02F4, {
                       0xA2, 0x00,        // 02F4        LDX #$00        2
                       0xBD, 0xF8, 0x03,  // 02F6 loop:  LDA $03F8,X     4, +1 once X >= 8
                       0x9D, 0x00, 0x05,  // 02F9        STA $0500,X     5
                       0xE8,              // 02FC        INX             2
                       0xE0, 0x10,        // 02FD        CPX #$10        2
                       0xD0, 0xF5,        // 02FF        BNE loop        4 taken (to page 2), 2 not
                       STOP_MARKER,       // 0301
                   });
    for (int i = 0; i < 16; ++i) m.bus.memory[0x03F8 + i] = static_cast<uint8_t>(0xA0 + i);
    m.cpu.pc = 0x02F4;

    // 2 + 16 * (4 + 5 + 2 + 2) + 8 page crossings + 15 * 4 + 2
    EXPECT_EQ(m.run(), 280);
    EXPECT_EQ(m.cpu.cycles, 280u);
    EXPECT_EQ(m.cpu.stop_address, 0x0301);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.bus.memory[0x0500 + i], 0xA0 + i) << "byte " << i;
    EXPECT_EQ(m.bus.memory[0x0510], 0x00);
    expect_regs(m.cpu, {0xAF, 0x10, 0x00, 0xFD, U | I | Z | C});
}

TEST(Cpu6502Program, DecimalCounterThroughASubroutine)
{
    Machine<FlatBus> m;
    m.load(ORIGIN, {
                       0xF8,              // 0200        SED             2
                       0xA9, 0x00,        // 0201        LDA #$00        2
                       0xA2, 0x0C,        // 0203        LDX #12         2
                       0x20, 0x10, 0x02,  // 0205 loop:  JSR add_one     6
                       0xCA,              // 0208        DEX             2
                       0xD0, 0xFA,        // 0209        BNE loop        3 taken, 2 not
                       0xD8,              // 020B        CLD             2
                       STOP_MARKER,       // 020C
                   });
    m.load(0x0210, {
                       0x18,              // 0210 add_one: CLC           2
                       0x69, 0x01,        // 0211          ADC #$01      2
                       0x60,              // 0213          RTS           6
                   });
    m.cpu.pc = ORIGIN;

    // 6 + 12 * (6 + 2 + 2 + 6 + 2) + 11 * 3 + 2 + 2
    EXPECT_EQ(m.run(), 259);
    EXPECT_EQ(m.cpu.stop_address, 0x020C);
    expect_regs(m.cpu, {0x12, 0x00, 0x00, 0xFD, U | I | Z});
    expect_memory(m.bus, {{0x01FD, 0x02}, {0x01FC, 0x07}});
}

}  // namespace
