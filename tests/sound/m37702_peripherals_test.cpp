// M37702 on-chip peripherals: SFR side effects, timers, the A/D converter, interrupt
// requests, arbitration and entry, and the diagnostics of SFR writes.
#include "sound/m37702.h"
#include "sound/m37702_bus.h"
#include "tests/sound/m37702_fixture.h"
#include "tests/support/m37702_asm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int source_int0 = 13, source_int2 = 15;

struct M37702Peripherals : M37702Fixture {
    void SetUp() override {
        boot("nop");
        timer_start_offset = 0;
        timer_start_offset_read = true;
    }
    void TearDown() override {
        timer_start_offset = 0;
        timer_start_offset_read = true;
        sfr_trace = false;
    }
    void set_timer(int n, uint16_t reload, uint8_t mode) {
        m377_sfr_write(&cpu, 0x46 + 2 * n, reload & 0xFF);
        m377_sfr_write(&cpu, 0x47 + 2 * n, reload >> 8);
        m377_sfr_write(&cpu, 0x56 + n, mode);
    }
    void set_vector(uint16_t vector, uint16_t target) {
        mem(vector) = uint8_t(target);
        mem(vector + 1u) = uint8_t(target >> 8);
    }
};

TEST_F(M37702Peripherals, UartControlMerge) {
    const struct {
        uint8_t old, written, stored;
    } cases[] = {{0xF2, 0x01, 0x03}, {0xF2, 0x05, 0xF7}, {0x0A, 0x00, 0x0A}, {0x00, 0xFF, 0x05}};
    for (uint32_t reg : {0x35u, 0x3Du})
        for (const auto& c : cases) {
            cpu.sfr[reg] = c.old;
            m377_sfr_write(&cpu, reg, c.written);
            EXPECT_EQ(cpu.sfr[reg], c.stored) << std::hex << reg << " " << int(c.old) << " " << int(c.written);
        }
}

// Reload arithmetic: the first underflow (reload + 1) x divider cycles after the start.
TEST_F(M37702Peripherals, TimerPeriods) {
    const struct {
        uint16_t reload;
        uint8_t mode;
        bool runs;
        uint64_t period;
    } cases[] = {
        {0x0854, 0x80, true, 136512},  // the driver's frame timer: (0x854 + 1) x 64
        {0x0000, 0x40, true, 16},
        {0x0001, 0x00, true, 4},
        {0xFFFF, 0xC0, true, 65536ull * 512},
        {0x0000, 0x00, false, 0},  // reload 0 at divisor 2 does not run
        {0x0100, 0x01, false, 0},  // event counter
        {0x0100, 0x02, false, 0},  // one-shot
        {0x0100, 0x83, false, 0},  // pulse-width modulation
    };
    for (int n : {0, 7})
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "timer " << n << " reload " << c.reload << " mode " << int(c.mode));
            SetUp();
            cpu.cycles = 1000;
            set_timer(n, c.reload, c.mode);
            m377_sfr_write(&cpu, 0x40, 1u << n);
            EXPECT_EQ((cpu.timer_running >> n) & 1, c.runs ? 1 : 0);
            if (!c.runs) {
                EXPECT_EQ(m377_next_event(&cpu), UINT64_MAX);
                continue;
            }
            EXPECT_EQ(cpu.timer_deadline[n], 1000 + c.period);
            EXPECT_EQ(m377_next_event(&cpu), 1000 + c.period);
            cpu.cycles = 1000 + c.period - 1;
            m377_service(&cpu);
            EXPECT_EQ(cpu.irq_pending, 0u);
            cpu.cycles++;
            m377_service(&cpu);
            EXPECT_EQ(cpu.irq_pending, 1u << (5 + n));
            EXPECT_EQ(cpu.timer_deadline[n], 1000 + 2 * c.period);
        }
}

TEST_F(M37702Peripherals, TimerStartOffsetShiftsTheGrid) {
    timer_start_offset_read = false;
    setenv("SKYVOLTA_SNDTJITTER", "100", 1);
    set_timer(0, 0x0854, 0x80);
    cpu.cycles = 500;
    m377_sfr_write(&cpu, 0x40, 0x01);
    unsetenv("SKYVOLTA_SNDTJITTER");
    EXPECT_EQ(timer_start_offset, 100);
    EXPECT_EQ(cpu.timer_deadline[0], 500u + 136612);
    cpu.cycles = 500 + 136612;
    m377_service(&cpu);
    EXPECT_EQ(cpu.timer_deadline[0], 500u + 136612 + 136512);

    // Read once: later starts keep the value even with the variable gone.
    m377_sfr_write(&cpu, 0x40, 0x00);
    m377_sfr_write(&cpu, 0x40, 0x01);
    EXPECT_EQ(cpu.timer_deadline[0], cpu.cycles + 136612);
}

TEST_F(M37702Peripherals, CountStartWritesDoNotRestart) {
    set_timer(2, 0x0010, 0x40);
    cpu.cycles = 100;
    m377_sfr_write(&cpu, 0x40, 0x04);
    uint64_t deadline = cpu.timer_deadline[2];
    cpu.cycles = 200;
    m377_sfr_write(&cpu, 0x40, 0x04);
    EXPECT_EQ(cpu.timer_deadline[2], deadline);
    m377_sfr_write(&cpu, 0x40, 0x00);  // stopped: no request, ignored from now on
    cpu.cycles = deadline + 1000;
    m377_service(&cpu);
    EXPECT_EQ(cpu.irq_pending, 0u);
    EXPECT_EQ(m377_next_event(&cpu), UINT64_MAX);
}

TEST_F(M37702Peripherals, LateServicePostsOneRequestAndKeepsTheGrid) {
    set_timer(1, 99, 0x00);  // period 200
    cpu.cycles = 0;
    m377_sfr_write(&cpu, 0x40, 0x02);
    cpu.stopped = 1;
    cpu.cycles = 200 + 3 * 200 + 100;  // 3.5 periods after the first deadline
    m377_service(&cpu);
    EXPECT_EQ(cpu.irq_pending, 1u << 6);
    EXPECT_EQ(cpu.timer_deadline[1], 1000u);
    EXPECT_EQ(cpu.stopped, 0);  // level 0 still wakes the CPU
    // Level 0 is never above the IPL: the request stays pending.
    cpu.ps = 0;
    m377_service(&cpu);
    EXPECT_EQ(cpu.irq_pending, 1u << 6);
    EXPECT_EQ(cpu.irq_count, 0u);
}

TEST_F(M37702Peripherals, Arbitration) {
    const struct {
        const char* name;
        uint32_t pending;
        uint8_t levels[16];
        uint16_t ipl;
        int chosen;  // -1: none
    } cases[] = {
        {"INT2 before INT0 at equal level", (1u << source_int0) | (1u << source_int2),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3}, 0, source_int2},
        {"higher level wins", (1u << source_int0) | (1u << source_int2),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 3}, 0, source_int0},
        {"timer B2 before timer A0", (1u << 5) | (1u << 12), {0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 2}, 1, 12},
        {"A/D alone", 1u, {4}, 3, 0},
        {"level equal to IPL stays pending", 1u << source_int0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, 3, -1},
        {"level 0 never taken", 1u << 7, {}, 0, -1},
        {"control bits above 2 ignored", 1u << 9, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF9}, 0, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (int n = 0; n < 16; n++) cpu.sfr[0x70 + n] = c.levels[n];
        cpu.ps = uint16_t(c.ipl << 8);
        cpu.irq_pending = c.pending;
        m377_service(&cpu);
        if (c.chosen < 0) {
            EXPECT_EQ(cpu.irq_pending, c.pending);
            EXPECT_EQ(cpu.irq_count, 0u);
        } else {
            EXPECT_EQ(cpu.irq_pending, c.pending & ~(1u << c.chosen));
            EXPECT_EQ(cpu.irq_count, 1u);
            EXPECT_EQ((cpu.ps >> 8) & 7, c.levels[c.chosen] & 7);
        }
    }
}

TEST_F(M37702Peripherals, InterruptEntry) {
    set_vector(0xFFF0, 0xD000);
    cpu.sfr[0x7F] = 3;
    cpu.pg = 0x02;
    cpu.pc = 0x3456;
    cpu.ps = 0x0089 | m377_flag_d;  // N, D, C; I clear, IPL 0
    cpu.irq_pending = 1u << source_int2;
    uint64_t before = cpu.cycles;
    m377_service(&cpu);
    EXPECT_EQ(cpu.cycles - before, 7u);
    EXPECT_EQ(mem(0x01FF), 0x02);
    EXPECT_EQ(mem(0x01FE), 0x34);
    EXPECT_EQ(mem(0x01FD), 0x56);
    EXPECT_EQ(mem(0x01FC), 0x00);
    EXPECT_EQ(mem(0x01FB), 0x89);
    EXPECT_EQ(cpu.s, 0x01FA);
    EXPECT_EQ(cpu.pg, 0);
    EXPECT_EQ(cpu.pc, 0xD000);
    EXPECT_EQ(cpu.ps, 0x0381 | m377_flag_i);  // D cleared, I set, IPL 3
    EXPECT_EQ(cpu.irq_count, 1u);

    // RTI returns to the interrupted place with the old status.
    t->mem.bytes[0xD000] = 0x40;
    m377_test_step(&cpu);
    EXPECT_EQ(cpu.pc, 0x3456);
    EXPECT_EQ(cpu.pg, 0x02);
    EXPECT_EQ(cpu.ps, 0x0089 | m377_flag_d);
}

TEST_F(M37702Peripherals, InterruptEntryPushesIntoTheSfrImage) {
    set_vector(0xFFF4, 0xD100);
    cpu.sfr[0x7D] = 2;
    cpu.s = 0x0081;
    cpu.pc = 0xC1C2;
    cpu.ps = 0x0003;
    cpu.irq_pending = 1u << source_int0;
    sfr_trace = true;
    testing::internal::CaptureStderr();
    m377_service(&cpu);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(mem(0x0081), 0x00);  // PG and PC high still in RAM
    EXPECT_EQ(mem(0x0080), 0xC1);
    EXPECT_EQ(cpu.sfr[0x7F], 0xC2);
    EXPECT_EQ(cpu.sfr[0x7E], 0x00);
    EXPECT_EQ(cpu.sfr[0x7D], 0x03);
    EXPECT_EQ(cpu.pc, 0xD100);  // the vector read happens after the pushes
    EXPECT_EQ(err.rfind("SFR[7F]=C2 (was 00) pc=00C1C2 A=0000 B=0000 X=0000 Y=0000 DPR=0000 DT=00 ps=0003 cyc=", 0), 0u)
        << err;
    EXPECT_NE(err.find("SFR[7D]=03 (was 02)"), std::string::npos);
}

TEST_F(M37702Peripherals, RaiseTakesTheInterruptAtOnce) {
    set_vector(0xFFF4, 0xC800);
    cpu.sfr[0x7D] = 3;
    cpu.ps = 0;
    cpu.stopped = 1;
    m377_raise(&cpu, 20);
    EXPECT_EQ(cpu.pc, 0xC800);
    EXPECT_EQ(cpu.stopped, 0);
    EXPECT_EQ(cpu.irq_pending, 0u);

    // With I set the request waits; a code naming no source posts nothing but wakes the CPU.
    SetUp();
    m377_raise(&cpu, 16);
    EXPECT_EQ(cpu.irq_pending, 1u << source_int2);
    cpu.stopped = 1;
    m377_raise(&cpu, 1);
    EXPECT_EQ(cpu.irq_pending, 1u << source_int2);
    EXPECT_EQ(cpu.stopped, 0);
    m377_raise(&cpu, -10);  // A/D vector 0xFFD6
    m377_raise(&cpu, 0);    // timer B2 vector 0xFFE0
    EXPECT_EQ(cpu.irq_pending, (1u << source_int2) | 1u | (1u << 12));
}

TEST_F(M37702Peripherals, AdcSweep) {
    cpu.adc_input[0] = 0x100;  // sampled into the result registers
    cpu.adc_input[3] = 0x3FF;
    m377_sfr_write(&cpu, 0x1F, 0x01);
    cpu.cycles = 1000;
    m377_sfr_write(&cpu, 0x1E, 0xD0);  // fast, start, sweep from channel 0
    EXPECT_EQ(cpu.adc_deadline, 1228u);
    for (int ch = 0; ch < 4; ch++) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(m377_next_event(&cpu), cpu.adc_deadline);
        cpu.cycles = cpu.adc_deadline + 5;  // served late: the next one counts from now
        m377_service(&cpu);
        if (ch < 3) {
            EXPECT_EQ(cpu.adc_deadline, cpu.cycles + 228);
            EXPECT_EQ(cpu.irq_pending, 0u);
            EXPECT_EQ(cpu.sfr[0x1E], 0xD0 + ch + 1);
        }
    }
    EXPECT_EQ(cpu.adc_deadline, 0u);
    EXPECT_EQ(cpu.sfr[0x1E], 0x94);
    EXPECT_EQ(cpu.irq_pending, 1u);
    EXPECT_EQ(cpu.adc_result[0], 0x100);
    EXPECT_EQ(cpu.adc_result[3], 0x3FF);
    EXPECT_EQ(m377_bus_read8(&cpu, 0x27), 0x03);
}

TEST_F(M37702Peripherals, AdcStartCancelAndRepeat) {
    cpu.cycles = 10;
    m377_sfr_write(&cpu, 0x1E, 0x42);  // slow single conversion of channel 2
    EXPECT_EQ(cpu.adc_deadline, 466u);
    cpu.cycles = 100;
    m377_sfr_write(&cpu, 0x1E, 0xC2);  // bit 6 already set: no restart
    EXPECT_EQ(cpu.adc_deadline, 466u);
    m377_sfr_write(&cpu, 0x1E, 0x02);  // cancelled
    EXPECT_EQ(cpu.adc_deadline, 0u);
    cpu.cycles = 1000;
    m377_service(&cpu);
    EXPECT_EQ(cpu.irq_pending, 0u);

    m377_sfr_write(&cpu, 0x1E, 0x4A);  // repeat: converts on, never requests
    for (int i = 0; i < 3; i++) {
        cpu.cycles = cpu.adc_deadline;
        m377_service(&cpu);
        EXPECT_EQ(cpu.adc_deadline, cpu.cycles + 456);
    }
    EXPECT_EQ(cpu.irq_pending, 0u);
    EXPECT_EQ(cpu.sfr[0x1E], 0x4A);
}

TEST_F(M37702Peripherals, NextEventIsTheEarliestDeadline) {
    EXPECT_EQ(m377_next_event(&cpu), UINT64_MAX);
    set_timer(3, 9, 0x00);   // 20 cycles
    set_timer(6, 0, 0x40);   // 16 cycles
    cpu.cycles = 50;
    m377_sfr_write(&cpu, 0x40, 0x48);
    EXPECT_EQ(m377_next_event(&cpu), 66u);
    m377_sfr_write(&cpu, 0x1E, 0xC0);  // 228
    EXPECT_EQ(m377_next_event(&cpu), 66u);
    m377_sfr_write(&cpu, 0x40, 0x00);
    EXPECT_EQ(m377_next_event(&cpu), 50u + 228);
}

TEST_F(M37702Peripherals, StrayTimerWriteReportedOnce) {
    cpu.trap_stray = 1;
    cpu.pc = 0xC100;  // driver timer code: no report
    testing::internal::CaptureStderr();
    m377_sfr_write(&cpu, 0x5B, 0x80);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(cpu.trap_stray, 1);

    for (int k = 0; k < 64; k++) cpu.pc_trail[k] = uint16_t(0xC000 + k);
    cpu.pc_trail_pos = 62;
    cpu.pc = 0xD300;
    testing::internal::CaptureStderr();
    m377_sfr_write(&cpu, 0x5B, 0x40);
    m377_sfr_write(&cpu, 0x5B, 0x41);  // disarmed now
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("[M377] STRAY peripheral write SFR[5B]=40 (was 80) at pc=D300 A=0000 B=0000 X=0000 "
                        "Y=0000 DPR=0000 DT=00 ps=0034\n  path: C03E C03F C000 C001",
                        0),
              0u)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2);
    EXPECT_EQ(err.size(), err.find("path:") + 5 + 64 * 5 + 1);
    EXPECT_EQ(cpu.trap_stray, 0);
    EXPECT_EQ(cpu.sfr[0x5B], 0x41);  // the writes themselves proceed
}

TEST_F(M37702Peripherals, EventCounter) {
    const struct {
        int timer;
        uint8_t mode, updown;
        int up;
        uint16_t before, after;
    } cases[] = {
        {0, 0x01, 0x00, 0, 0x0000, 0xFFFF},  // down, wrapping
        {0, 0x11, 0x00, 1, 0x00FF, 0x0100},  // mode bit 4: the up flag decides
        {4, 0x01, 0x10, 0, 0x1234, 0x1235},  // up-down register decides
        {6, 0x11, 0x00, 1, 0x0005, 0x0004},  // timers B count down
        {1, 0x00, 0x00, 1, 0x0005, 0x0005},  // timer mode: nothing
    };
    for (const auto& c : cases) {
        SetUp();
        set_timer(c.timer, c.before, c.mode);
        cpu.sfr[0x44] = c.updown;
        cpu.sfr[0x40] = uint8_t(1u << c.timer);
        m377_timer_count(&cpu, c.timer, c.up);
        EXPECT_EQ(cpu.sfr[0x46 + 2 * c.timer] | cpu.sfr[0x47 + 2 * c.timer] << 8, c.after) << c.timer;
    }
    m377_timer_count(&cpu, 8, 1);  // out of range: nothing
    m377_timer_count(&cpu, -1, 1);
}

uint32_t hook_calls;
void count_hook(void*, uint32_t address, uint8_t value) {
    hook_calls = address << 8 | value;
}

TEST_F(M37702Peripherals, WriteHookSeesTheStoredByte) {
    cpu.sfr_write_hook = count_hook;
    cpu.sfr[0x35] = 0xF2;
    m377_sfr_write(&cpu, 0x35, 0x05);
    EXPECT_EQ(hook_calls, 0x35F7u);
    // A store by an instruction reaches the SFR side too.
    cpu.a = 0x12;
    cpu.pc = 0xC000;
    t->mem.bytes[0xC000] = 0x85;  // sta $10
    t->mem.bytes[0xC001] = 0x10;
    m377_test_step(&cpu);
    EXPECT_EQ(hook_calls, 0x1012u);
}

}  // namespace
