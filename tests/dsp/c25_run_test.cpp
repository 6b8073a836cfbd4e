// The bulk run: c25_run leaves the DSP exactly where as many single steps would, while
// it skips IDLE waits and the recognised polling loop with the timer; c25_timer_skip's
// refusals; and loading program memory from word files.
#include "dsp/c25.h"
#include "tests/dsp/c25_fixture.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

uint64_t executed;

// The test translated program, counting the instructions it carries out.
int counting_translated(c25_state* s, uint16_t pc) {
    executed++;
    return c25_test_translated(s, pc);
}

// A timer handler counts down word 0x11 and clears the polled flag 0x10 at 0.
const char* polling_program = R"(
        .org 0x18
        B tint
        .org 0x4000
        LACK 3
        SACL 0x11
        LACK 1
        SACL 0x10
wait:   LAC 0x10
        BNZ wait
done:   B done
tint:   LAC 0x11
        SUBK 1
        SACL 0x11
        BNZ back
        SACL 0x10
back:   EINT
        RET
)";

// IDLE between timer interrupts whose handler counts in word 0x10.
const char* idle_program = R"(
        .org 0x18
        B tint
        .org 0x4000
idle:   IDLE
        B idle
tint:   LAC 0x10
        ADDK 1
        SACL 0x10
        RET
)";

struct C25Run : C25Fixture {
    std::unique_ptr<c25_test_dsp> stepped = std::make_unique<c25_test_dsp>();

    // Boots both machines alike; `prepare` sets the run options of the one c25_run drives.
    void boot_both(const char* source) {
        boot(source);
        ASSERT_TRUE(c25_test_boot(stepped.get(), source));
        for (c25_state* s : {&cpu, &stepped->cpu}) {
            s->prd = 99;
            s->tim = 99;
            s->translated_program = counting_translated;
        }
    }

    // c25_run over `budget` on the fixture's DSP, as many c25_step calls on the other;
    // both must end in the same state. Returns the instructions c25_run carried out.
    uint64_t run_and_compare(int64_t budget) {
        executed = 0;
        EXPECT_TRUE(c25_run(&cpu, budget));
        uint64_t run_executed = executed;
        for (int64_t i = 0; i < budget; i++) EXPECT_TRUE(c25_step(&stepped->cpu)) << stepped->cpu.error_text;
        const c25_state& a = cpu;
        const c25_state& b = stepped->cpu;
        EXPECT_EQ(a.pc, b.pc);
        EXPECT_EQ(a.acc, b.acc);
        EXPECT_EQ(a.tim, b.tim);
        EXPECT_EQ(a.intm, b.intm);
        EXPECT_EQ(a.idle, b.idle);
        EXPECT_EQ(a.tint_pending, b.tint_pending);
        EXPECT_EQ(a.ifr, b.ifr);
        EXPECT_EQ(a.stack_depth, b.stack_depth);
        EXPECT_EQ(a.steps, b.steps);
        EXPECT_EQ(a.data[0x10], b.data[0x10]);
        EXPECT_EQ(a.data[0x11], b.data[0x11]);
        return run_executed;
    }
};

TEST_F(C25Run, IdleWaitsAreSkippedWithTheTimer) {
    for (int64_t budget : {1, 2, 3, 99, 100, 101, 102, 250, 1000, 12345}) {
        SCOPED_TRACE(budget);
        boot_both(idle_program);
        cpu.idle_enable = stepped->cpu.idle_enable = 1;
        uint64_t carried_out = run_and_compare(budget);
        if (budget >= 1000) {
            // A TINT every 100 ticks, counted four steps after its latch.
            EXPECT_EQ(cpu.data[0x10], (budget - 4) / 100);
            EXPECT_LT(carried_out, uint64_t(budget / 10));
        }
    }
}

TEST_F(C25Run, PollingLoopIsSkippedWithTheTimer) {
    for (int64_t budget : {1, 4, 5, 6, 7, 100, 101, 199, 200, 201, 350, 2000}) {
        SCOPED_TRACE(budget);
        boot_both(polling_program);
        cpu.idle_loop_pc = label("wait");
        cpu.idle_loop_op = 0x2010;  // LAC 0x10
        uint64_t carried_out = run_and_compare(budget);
        if (budget == 350) {
            EXPECT_EQ(cpu.pc, label("done"));
            EXPECT_LT(carried_out, 150u);
        }
    }
}

// The skip holds only for a LAC (direct) / BNZ-to-itself loop with no repeat pending.
TEST_F(C25Run, PollingLoopSkipNeedsTheExactLoop) {
    const struct {
        const char* name;
        void (*change)(c25_state& s, uint16_t wait);
        bool skips;
    } cases[] = {
        {"the loop as it stands", [](c25_state&, uint16_t) {}, true},
        {"another LAC word expected", [](c25_state& s, uint16_t) { s.idle_loop_op = 0x2011; }, false},
        {"an indirect LAC", [](c25_state& s, uint16_t w) { s.idle_loop_op = s.prog[w] = 0x2080; }, false},
        {"a branch elsewhere", [](c25_state& s, uint16_t w) { s.prog[w + 2] = uint16_t(w + 3); }, false},
        {"not BNZ", [](c25_state& s, uint16_t w) { s.prog[w + 1] = 0xF680; }, false},
        {"no loop address", [](c25_state& s, uint16_t) { s.idle_loop_pc = 0; }, false},
        {"the flag already clear", [](c25_state& s, uint16_t) { s.data[0x10] = 0; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boot(polling_program);
        cpu.translated_program = counting_translated;
        uint16_t wait = label("wait");
        ASSERT_TRUE(run_to("wait"));
        cpu.idle_loop_pc = wait;
        cpu.idle_loop_op = 0x2010;
        c.change(cpu, wait);
        executed = 0;
        uint64_t steps = cpu.steps;
        ASSERT_TRUE(c25_run(&cpu, 40));
        EXPECT_EQ(cpu.steps - steps, 40u);
        if (c.skips) EXPECT_LT(executed, 40u);
        else EXPECT_EQ(executed, 40u);
    }
}

TEST_F(C25Run, RunStopsAtTheFirstFault) {
    boot("NOP\nNOP\n.word 0x5D00\nNOP");
    EXPECT_TRUE(c25_run(&cpu, 0));
    EXPECT_TRUE(c25_run(&cpu, -5));
    EXPECT_EQ(cpu.steps, 0u);
    EXPECT_FALSE(c25_run(&cpu, 10));
    EXPECT_EQ(cpu.pc, 0x4002);
    EXPECT_EQ(cpu.steps, 3u);
}

TEST_F(C25Run, TimerSkipRefusesAPendingInterrupt) {
    boot("NOP");
    cpu.tint_pending = 1;
    cpu.tim = 50;
    EXPECT_EQ(c25_timer_skip(&cpu, 20, 1), 0);
    EXPECT_EQ(cpu.tim, 50);
    cpu.intm = 1;
    EXPECT_EQ(c25_timer_skip(&cpu, 20, 1), 20);
    EXPECT_EQ(cpu.tim, 30);
}

TEST_F(C25Run, ProgramFilesLoadBigEndianWords) {
    std::string dir = temp_dir_make("c25_files");
    std::string high = dir + "/high.bin", low = dir + "/low.bin", big = dir + "/big.bin";
    ASSERT_TRUE(file_write(high, {0x12, 0x34, 0x56}));
    ASSERT_TRUE(file_write(low, {0xAB, 0xCD, 0xEF, 0x01}));
    ASSERT_TRUE(file_write(big, std::vector<uint8_t>(2 * 0x10000, 0x77)));
    auto prog = std::make_unique<uint16_t[]>(0x10000);
    prog[0x4001] = 0x5555;

    EXPECT_TRUE(c25_load_program_files(prog.get(), nullptr, high.c_str()));
    EXPECT_EQ(prog[0x4000], 0x1234);
    EXPECT_EQ(prog[0x4001], 0x5555);  // the odd third byte is ignored

    EXPECT_TRUE(c25_load_program_files(prog.get(), low.c_str(), nullptr));
    EXPECT_EQ(prog[0x0000], 0xABCD);
    EXPECT_EQ(prog[0x0001], 0xEF01);

    // A missing high file fails before the low one is tried; a missing low one after.
    EXPECT_FALSE(c25_load_program_files(prog.get(), big.c_str(), (dir + "/none").c_str()));
    EXPECT_EQ(prog[0x0000], 0xABCD);
    EXPECT_FALSE(c25_load_program_files(prog.get(), (dir + "/none").c_str(), big.c_str()));
    EXPECT_EQ(prog[0xFFFF], 0x7777);  // the high file filled 0x4000-0xFFFF

    // Oversized files stop at the end of their range.
    prog[0x4000] = 0;
    EXPECT_TRUE(c25_load_program_files(prog.get(), big.c_str(), nullptr));
    EXPECT_EQ(prog[0x3FFF], 0x7777);
    EXPECT_EQ(prog[0x4000], 0);
    EXPECT_TRUE(c25_load_program_files(prog.get(), nullptr, nullptr));
    temp_dir_remove(dir);
}

}  // namespace
