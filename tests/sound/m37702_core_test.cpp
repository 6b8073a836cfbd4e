// M37702 record, reset, bus decode, instruction-stream fetch, addressing modes and
// the arithmetic flag operations.
#include "sound/m37702.h"
#include "sound/m37702_bus.h"
#include "tests/sound/m37702_fixture.h"
#include "tests/support/m37702_asm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using M37702Core = M37702Fixture;

TEST_F(M37702Core, InitClearsTheRecordAndInstallsTheBus) {
    memset(&cpu, 0xA5, sizeof cpu);
    int user = 0;
    m377_init(&cpu, m377_test_read, m377_test_write, &user);
    EXPECT_EQ(cpu.bus_read, &m377_test_read);
    EXPECT_EQ(cpu.bus_write, &m377_test_write);
    EXPECT_EQ(cpu.bus_user, &user);
    EXPECT_EQ(cpu.sfr_read_hook, nullptr);
    EXPECT_EQ(cpu.sfr_write_hook, nullptr);
    EXPECT_EQ(cpu.operand_ptr, nullptr);
    EXPECT_EQ(cpu.cycles, 0u);
    EXPECT_EQ(cpu.a | cpu.b | cpu.x | cpu.y | cpu.s | cpu.pc | cpu.ps, 0);
    EXPECT_EQ(cpu.halted | cpu.stopped | cpu.trap_stray | cpu.timer_running, 0);
    EXPECT_EQ(cpu.pc_trail[63] | cpu.sfr[0x7F] | cpu.adc_input[7], 0);
}

TEST_F(M37702Core, ResetState) {
    boot("nop");
    cpu.a = 0x1111;
    cpu.dt = 5;
    cpu.halted = 1;
    cpu.halt_code = -2;
    cpu.irq_pending = 0x8000;
    cpu.timer_running = 3;
    cpu.adc_deadline = 99;
    cpu.adc_input[2] = 0x0123;
    cpu.pc_trail[5] = 0x4444;
    cpu.sfr[0x40] = 0xFF;
    mem(0xFFFE) = 0x34;
    mem(0xFFFF) = 0xC2;
    m377_reset(&cpu);
    EXPECT_EQ(cpu.cycles, 2u);
    EXPECT_EQ(cpu.s, 0x01FF);
    EXPECT_EQ(cpu.ps, 0x0034);
    EXPECT_EQ(cpu.pc, 0xC234);
    EXPECT_EQ(cpu.a, 0);
    EXPECT_EQ(cpu.dt, 0);
    EXPECT_EQ(cpu.halted, 0);
    EXPECT_EQ(cpu.irq_pending, 0u);
    EXPECT_EQ(cpu.timer_running, 0);
    EXPECT_EQ(cpu.adc_deadline, 0u);
    EXPECT_EQ(cpu.sfr[0x40], 0);
    EXPECT_EQ(cpu.sfr[0x34], 0x08);
    EXPECT_EQ(cpu.sfr[0x35], 0x02);
    EXPECT_EQ(cpu.sfr[0x3C], 0x08);
    EXPECT_EQ(cpu.sfr[0x3D], 0x02);
    // Kept across reset: halt code, inputs and the trail.
    EXPECT_EQ(cpu.halt_code, -2);
    EXPECT_EQ(cpu.adc_input[2], 0x0123);
    EXPECT_EQ(cpu.pc_trail[5], 0x4444);
}

uint8_t hook_read(void*, uint32_t address, uint8_t image) {
    return uint8_t(image + address);
}

TEST_F(M37702Core, ReadDecode) {
    boot("nop");
    cpu.adc_result[0] = 0xBEEF;
    cpu.adc_result[7] = 0x1234;
    cpu.sfr[0x10] = 0x66;
    cpu.sfr[0x0A] = 0x10;
    mem(0x000080) = 0x80;
    mem(0x010020) = 0x20;
    const struct {
        uint32_t address;
        uint8_t expect;
    } cases[] = {
        {0x000020, 0xEF}, {0x000021, 0xBE}, {0x00002F, 0x12}, {0x00002E, 0x34},
        {0x000010, 0x66}, {0x000080, 0x80}, {0x010020, 0x20},  // only bank 0 holds SFRs
        {0x1000080, 0x80},                                       // taken modulo 2^24
    };
    for (const auto& c : cases) {
        uint64_t before = cpu.cycles;
        EXPECT_EQ(m377_bus_read8(&cpu, c.address), c.expect) << std::hex << c.address;
        EXPECT_EQ(cpu.cycles - before, 1u);
    }
    EXPECT_EQ(m377_bus_read8(&cpu, 0x0A), 0x10);
    cpu.sfr_read_hook = hook_read;
    EXPECT_EQ(m377_bus_read8(&cpu, 0x0A), 0x1A);
    EXPECT_EQ(m377_bus_read8(&cpu, 0x0E), 0x0E);
    EXPECT_EQ(m377_bus_read8(&cpu, 0x10), 0x66);  // other SFRs never consult the hook

    // A 16-bit read at 0x00FFFF takes its high byte from 0x010000.
    mem(0x00FFFF) = 0x34;
    mem(0x010000) = 0x12;
    uint64_t before = cpu.cycles;
    EXPECT_EQ(m377_read16(&cpu, 0x00FFFF), 0x1234u);
    EXPECT_EQ(cpu.cycles - before, 2u);
}

TEST_F(M37702Core, WriteDecode) {
    boot("nop");
    m377_bus_write8(&cpu, 0x0100, 0x11);
    EXPECT_EQ(mem(0x0100), 0x11);
    m377_bus_write8(&cpu, 0x0150, 0x22);  // SFR-looking low bits in bank 0 above 0x80 go to the board
    EXPECT_EQ(cpu.sfr[0x50], 0);
    m377_bus_write8(&cpu, 0x0050, 0x33);
    EXPECT_EQ(cpu.sfr[0x50], 0x33);
    EXPECT_EQ(mem(0x0050), 0);
    m377_bus_write8(&cpu, 0x010050, 0x44);  // other banks are memory
    EXPECT_EQ(t->mem.last_write, 0x010050u);
    EXPECT_EQ(cpu.sfr[0x50], 0x33);
    EXPECT_EQ(cpu.cycles, 2u + 4);
}

TEST_F(M37702Core, OperandStreamFetchCountsLikeTheBus) {
    boot("lda #$11");
    const uint8_t stream[] = {0xA9, 0x22};
    m377_state from_bus = cpu;
    cpu.operand_ptr = stream;
    EXPECT_EQ(m377_fetch8(&cpu), 0xA9u);
    EXPECT_EQ(m377_execute(&cpu, 0xA9), 1);
    m377_fetch8(&from_bus);
    m377_execute(&from_bus, 0xA9);
    EXPECT_EQ(cpu.a, 0x22);  // from the stream, not the bus
    EXPECT_EQ(from_bus.a, 0x11);
    EXPECT_EQ(cpu.operand_ptr, stream + 2);
    EXPECT_EQ(cpu.pc, from_bus.pc);
    EXPECT_EQ(cpu.cycles, from_bus.cycles);
    EXPECT_EQ(cpu.fetch_count, from_bus.fetch_count);
    EXPECT_EQ(cpu.fetch_count, 2u);

    // pc wraps within its bank
    cpu.operand_ptr = nullptr;
    cpu.pg = 1;
    cpu.pc = 0xFFFF;
    mem(0x01FFFF) = 0x5A;
    EXPECT_EQ(m377_fetch8(&cpu), 0x5Au);
    EXPECT_EQ(cpu.pc, 0);
    EXPECT_EQ(cpu.pg, 1);
}

// Each addressing mode as STA sees it: the address written and the instruction's cost.
TEST_F(M37702Core, AddressingModes) {
    const struct {
        const char* line;
        uint16_t dpr;
        uint8_t dt;
        uint16_t x, y, s;
        bool x8;
        uint32_t pointer_at;
        uint8_t pointer[3];
        uint32_t expect;
        uint64_t cost;
    } cases[] = {
        {"sta $10", 0x0100, 0, 0, 0, 0x1FF, true, 0, {}, 0x000110, 4},
        {"sta $F0,x", 0xFF80, 0, 0x20, 0, 0x1FF, true, 0, {}, 0x000090, 4},  // wraps in bank 0
        {"sta $10,x", 0x0100, 0, 0x1203, 0, 0x1FF, true, 0, {}, 0x000113, 4},  // X set: low byte only
        {"sta $10,x", 0x0100, 0, 0x1203, 0, 0x1FF, false, 0, {}, 0x001313, 4},
        {"stx $10,y", 0x0100, 0, 0, 0x05, 0x1FF, true, 0, {}, 0x000115, 4},
        {"sta ($10)", 0x0100, 2, 0, 0, 0x1FF, true, 0x110, {0x34, 0x12}, 0x021234, 6},
        {"sta ($10,x)", 0x0100, 2, 4, 0, 0x1FF, true, 0x114, {0x34, 0x12}, 0x021234, 6},
        {"sta ($10),y", 0x0100, 1, 0, 0x20, 0x1FF, true, 0x110, {0xF0, 0xFF}, 0x020010, 6},
        {"sta [$10]", 0x0100, 0, 0, 0, 0x1FF, true, 0x110, {0x56, 0x34, 0x03}, 0x033456, 7},
        {"sta [$10],y", 0x0100, 0, 0, 0x10, 0x1FF, true, 0x110, {0x56, 0x34, 0x03}, 0x033466, 7},
        {"sta $1234", 0, 3, 0, 0, 0x1FF, true, 0, {}, 0x031234, 5},
        {"sta $FFF0,x", 0, 1, 0x20, 0, 0x1FF, true, 0, {}, 0x020010, 5},  // crosses into the next bank
        {"sta $1234,y", 0, 2, 0, 0x0100, 0x1FF, false, 0, {}, 0x021334, 5},
        {"sta $023456", 0, 5, 0, 0, 0x1FF, true, 0, {}, 0x023456, 6},
        {"sta $FFFFFF,x", 0, 0, 0x81, 0, 0x1FF, true, 0, {}, 0x000080, 6},  // modulo 2^24
        {"sta $10,s", 0, 0, 0, 0, 0x01F0, true, 0, {}, 0x000200, 4},
        {"sta ($10,s),y", 0, 2, 0, 5, 0x01F0, true, 0x200, {0x00, 0x30}, 0x023005, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        boot(c.line);
        cpu.dpr = c.dpr;
        cpu.dt = c.dt;
        cpu.x = c.x;
        cpu.y = c.y;
        cpu.s = c.s;
        cpu.a = 0x5A;
        if (!c.x8) cpu.ps &= uint16_t(~m377_flag_x);
        for (int i = 0; i < 3; i++)
            if (c.pointer_at) mem(c.pointer_at + i) = c.pointer[i];
        uint64_t before = cpu.cycles;
        m377_test_step(&cpu);
        EXPECT_EQ(cpu.cycles - before, c.cost);
        EXPECT_EQ(t->mem.write_count, 1u);
        EXPECT_EQ(t->mem.last_write, c.expect);
    }
}

TEST_F(M37702Core, AddAndSubtractWithCarry) {
    enum { add, sub };
    const struct {
        int op;
        bool m8, decimal, b_select;
        uint16_t acc, value;
        bool carry;
        uint16_t result, flags;
    } cases[] = {
        {add, true, false, false, 0x007F, 0x01, false, 0x0080, V | N},
        {add, true, false, false, 0x00FF, 0x01, false, 0x0000, C | Z},
        {add, true, false, false, 0x12FF, 0x01, false, 0x1200, C | Z},  // high byte kept
        {add, false, false, false, 0xFFFF, 0x0000, true, 0x0000, C | Z},
        {add, false, false, false, 0x7FFF, 0x0001, false, 0x8000, V | N},
        {add, true, true, false, 0x0045, 0x38, false, 0x0083, V | N},
        {add, true, true, false, 0x0099, 0x01, false, 0x0000, C | Z},
        {add, false, true, false, 0x1234, 0x8766, false, 0x0000, C | Z},
        {add, true, false, true, 0x0010, 0x05, false, 0x0015, 0},  // into B
        {sub, true, false, false, 0x0010, 0x01, true, 0x000F, C},
        {sub, true, false, false, 0x0000, 0x01, true, 0x00FF, N},
        {sub, true, false, false, 0x0080, 0x01, true, 0x007F, C | V},
        {sub, false, false, false, 0x0000, 0x0000, false, 0xFFFF, N},
        {sub, true, true, false, 0x0010, 0x01, true, 0x0009, C},
        {sub, true, true, false, 0x0000, 0x01, true, 0x0099, N},
        {sub, false, true, false, 0x1000, 0x0001, true, 0x0999, C},
        {sub, false, true, false, 0x0050, 0x0025, false, 0x0024, C},  // borrow in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.op == add ? "adc " : "sbc ") << std::hex << c.acc << " " << c.value);
        boot("nop");
        cpu.ps = uint16_t((c.m8 ? m377_flag_m : 0) | (c.decimal ? m377_flag_d : 0) | (c.carry ? C : 0));
        cpu.acc_b = c.b_select;
        (c.b_select ? cpu.b : cpu.a) = c.acc;
        c.op == add ? m377_adc(&cpu, c.value) : m377_sbc(&cpu, c.value);
        EXPECT_EQ(c.b_select ? cpu.b : cpu.a, c.result);
        if (c.b_select) {
            EXPECT_EQ(cpu.a, 0);
        }
        EXPECT_EQ(cpu.ps & (C | Z | V | N), c.flags);
    }
}

TEST_F(M37702Core, Compare) {
    const struct {
        uint32_t a, b;
        bool wide;
        uint16_t flags;
    } cases[] = {
        {0x10, 0x10, false, C | Z},
        {0x10, 0x20, false, N},
        {0x1234, 0x0034, false, C | Z},  // 8 bits only
        {0x8000, 0x0001, true, C},
        {0x0001, 0x8000, true, N},
        {0xFF, 0x00, false, C | N},
    };
    for (const auto& c : cases) {
        boot("nop");
        cpu.ps = V;
        m377_compare(&cpu, c.a, c.b, c.wide);
        EXPECT_EQ(cpu.ps, c.flags | V) << std::hex << c.a << " " << c.b;
    }
}

}  // namespace
