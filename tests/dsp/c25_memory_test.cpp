// The C25's data space and devices, driven by assembled programs: the DSP RAM access
// modes and write marks, the memory-mapped timer registers, the point-data ports and
// the point space, and the ports without a device.
#include "dsp/c25.h"
#include "dsp/c25_memory.h"
#include "tests/dsp/c25_fixture.h"
#include "tests/support/point_rom_array.h"

#include <gtest/gtest.h>

namespace {

struct C25Memory : C25Fixture {};

TEST_F(C25Memory, DspRamModesSelectHalvesLatchAndNone) {
    boot(R"(
        LRLK AR1,0x8010
        LRLK AR2,0x8020
        LRLK AR3,0x8030
        LRLK AR4,0x8040
        LACK 2
        SACL 0x60
        OUT 0x60,13     ; low half with latch
        MAR *,AR1
        LAC *,0,AR2     ; latches the high half 0x00FF
        LALK 0x1234
        SACL *,0,AR3    ; the latch above 0x1234
        LACK 1
        SACL 0x60
        OUT 0x60,13     ; high half
        LALK 0xFFFF
        SACL *
        ZALS *
        SACL 0x61       ; reads back the high half
        LACK 0
        SACL 0x60
        OUT 0x60,13     ; low half
        LALK 0x5678
        SACL *,0,AR4
        LACK 3
        SACL 0x60
        OUT 0x60,13     ; none
        LACK 7
        SACL *
        ZALS *
        SACL 0x62       ; reads 0
done:   B done
    )");
    t->dspram[0x10] = 0x00FFAAAA;
    t->dspram[0x30] = 0x00001234;
    t->dspram[0x40] = 0x00ABCDEF;
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(t->dspram[0x10], 0x00FFAAAAu);
    EXPECT_EQ(cpu.dspram_latch, 0x00FF);
    EXPECT_EQ(t->dspram[0x20], 0x00FF1234u);
    EXPECT_EQ(t->dspram[0x30], 0xFFFF5678u);
    EXPECT_EQ(cpu.data[0x61], 0xFFFF);
    EXPECT_EQ(t->dspram[0x40], 0x00ABCDEFu);  // mode 3 keeps the word ...
    EXPECT_EQ(cpu.data[0x62], 0);
    EXPECT_EQ(cpu.dspram_mode, 3u);
    // ... but marks it: words 0x20, 0x30 (three writes) and 0x40; the read of 0x10 marks nothing.
    EXPECT_EQ(cpu.write_count, 3u);
    EXPECT_EQ(cpu.write_marks[0x10], 0);
    EXPECT_EQ(cpu.write_marks[0x30], 1);
    EXPECT_EQ(cpu.write_marks[0x40], 1);
}

TEST_F(C25Memory, WriteCountCountsDistinctWordsSinceTheLastClear) {
    boot(R"(
        LRLK AR1,0x8100
        MAR *,AR1
        LACK 1
        SACL *
        SACL *+
        SACL *
        SACL 0x10       ; data memory: not counted
done:   B done
    )");
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(cpu.write_count, 2u);
    EXPECT_EQ(t->dspram[0x100], 1u);
    EXPECT_EQ(t->dspram[0x101], 1u);
    c25_reset(&cpu);
    EXPECT_EQ(cpu.write_count, 0u);
    EXPECT_EQ(cpu.write_marks[0x100], 0);
}

TEST_F(C25Memory, TimerRegistersAreMappedAtTwoThreeAndFour) {
    boot(R"(
        LALK 0x1234
        SACL 3          ; PRD and data word 3
        SACL 2          ; TIM
        LAC 2           ; the running timer, one tick on
        SACL 0x10
        LAC 3
        SACL 0x11
        LACK 0x21
        SACL 4
        ZALS 4
        SACL 0x12
    )");
    step(11);
    EXPECT_EQ(cpu.prd, 0x1234);
    EXPECT_EQ(cpu.data[0x10], 0x1233);
    EXPECT_EQ(cpu.data[0x11], 0x1234);
    EXPECT_EQ(cpu.imr, 0x21);
    EXPECT_EQ(cpu.data[0x12], 0x21);
    EXPECT_EQ(cpu.data[2], 0x1234);  // the word written, while TIM runs on
    EXPECT_NE(cpu.tim, 0x1234);
}

TEST_F(C25Memory, DataSpaceFromProgramWindowReachesProgramMemory) {
    boot(R"(
        LALK 0xCA05     ; LACK 5, stored over the NOP below
        LRLK AR1,patch
        MAR *,AR1
        SACL *
patch:  NOP
done:   B done
    )");
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(cpu.acc, 5);
    EXPECT_EQ(cpu.prog[label("patch")], 0xCA05);
}

TEST_F(C25Memory, PointPortsWriteAndReadPointWords) {
    boot(R"(
        LACK 0xF8
        SACL 0x60
        OUT 0x60,3
        LACK 0x10
        SACL 0x60
        OUT 0x60,3      ; point address 0xF80010
        LACK 0x12
        SACL 0x60
        OUT 0x60,1
        LALK 0x3456
        SACL 0x60
        OUT 0x60,0      ; stores 0x123456 and advances
stored: LACK 0x01
        SACL 0x60
        OUT 0x60,0      ; no new high part: 0x123457 at 0xF80011
        LACK 0
        SACL 0x60
        OUT 0x60,3
        LACK 5
        SACL 0x60
        OUT 0x60,3      ; point address 5 (ROM)
        IN 0x61,PA0
        IN 0x62,PA1
        IN 0x63,PA0
        LALK 0x2000     ; beyond the ROM, below the window
        SACL 0x60
        OUT 0x60,3
        OUT 0x60,1
        OUT 0x60,0      ; dropped, still advances
        IN 0x64,PA0
        IN 0x65,PA1
done:   B done
    )");
    ASSERT_TRUE(point_rom_array_write(t->point_rom, C25_TEST_POINT_ROM_WORDS, 5, {0x00ABCDEF, 0x00123456}));
    ASSERT_TRUE(run_to("stored"));
    EXPECT_EQ(cpu.point_ram[0x10], 0x123456u);
    EXPECT_EQ(cpu.point_addr, 0xF80011u);
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(cpu.point_ram[0x11], 0x123457u);
    EXPECT_EQ(cpu.data[0x61], 0xCDEF);
    EXPECT_EQ(cpu.data[0x62], 0x80AB);
    EXPECT_EQ(cpu.data[0x63], 0x3456);  // IN 1 advanced to the next word
    EXPECT_EQ(cpu.data[0x64], 0xFFFF);
    EXPECT_EQ(cpu.data[0x65], 0x80FF);
    EXPECT_EQ(cpu.point_addr, 0x00062002u);  // each OUT 3 shifts the older address up
}

TEST_F(C25Memory, PointSpaceMapsRomThenWindow) {
    boot("NOP");
    ASSERT_TRUE(point_rom_array_write(t->point_rom, C25_TEST_POINT_ROM_WORDS, 0x800, {0x00800000}));
    cpu.point_ram[0] = 0x7FFFFF;
    cpu.point_ram[0x800] = 0x000123;
    const struct {
        uint32_t window;
        uint32_t address;
        int32_t word;
    } cases[] = {
        {0xF80000, 0xF7FFFF, -1},
        {0xF80000, 0xF80000, 0x7FFFFF},
        {0xF80000, 0x1F80000, 0x7FFFFF},  // only 24 bits of the address count
        {0xF80000, 0xFA0000, -1},         // one past the window
        {0xF80000, 0x000800, -0x800000},  // ROM words are sign-extended from bit 23
        {0x000800, 0x000800, -0x800000},  // a window below the ROM's end is hidden by it
        {0x000800, 0x001000, 0x000123},
    };
    for (const auto& c : cases) {
        cpu.point_window_base = c.window;
        EXPECT_EQ(c25_point_read(&cpu, c.address), c.word) << std::hex << c.window << " " << c.address;
    }
}

// Ports without a device, port 9's answer, port 2's output word and the mode mask.
TEST_F(C25Memory, PlainPortsReadFixedValues) {
    boot("NOP");
    const struct {
        uint32_t port;
        uint32_t value;
    } inputs[] = {{4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 99}, {10, 0}, {11, 0}, {12, 0}, {13, 0}, {15, 0}, {16, 0}};
    for (const auto& in : inputs) EXPECT_EQ(c25_port_in(&cpu, in.port), in.value) << in.port;
    c25_port_out(&cpu, 2, 0xBEEF);
    EXPECT_EQ(cpu.port2_word, 0xBEEF);
    EXPECT_EQ(cpu.pdp_runs, 0u);
    c25_port_out(&cpu, 13, 0xFFFE);
    EXPECT_EQ(cpu.dspram_mode, 2u);
}

uint16_t hook_value;
int hook_calls;

TEST_F(C25Memory, InstalledHooksSeeTheirPorts) {
    boot("NOP");
    hook_calls = 0;
    cpu.on_out7 = [](uint16_t v) { hook_value = v, hook_calls++; };
    cpu.on_out8 = [] { hook_calls += 10; };
    cpu.on_out12 = [](uint16_t v) { hook_value = uint16_t(v + 1), hook_calls += 100; };
    cpu.on_in3 = [](c25_state*) { hook_calls += 1000; };
    c25_port_out(&cpu, 7, 0x1234);
    EXPECT_EQ(hook_value, 0x1234);
    c25_port_out(&cpu, 8, 0);
    c25_port_out(&cpu, 12, 0x4321);
    EXPECT_EQ(hook_value, 0x4322);
    cpu.bio = 0;
    EXPECT_EQ(c25_port_in(&cpu, 3), 0u);
    EXPECT_EQ(cpu.bio, 0);  // raised only with bio_on_in3
    cpu.bio_on_in3 = 1;
    c25_port_in(&cpu, 3);
    EXPECT_EQ(cpu.bio, 1);
    EXPECT_EQ(hook_calls, 1 + 10 + 100 + 2000);
}

}  // namespace
