// Assembled C25 programs run through c25_step: repeats, block moves, division,
// a multiply-accumulate loop, the IDLE state, and the step's faults.
#include "dsp/c25.h"
#include "tests/dsp/c25_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct C25Programs : C25Fixture {};

TEST_F(C25Programs, RepeatedStoreIsOneStep) {
    boot(R"(
        LARK AR1,0x55
        LARK AR2,0x40
        MAR *,AR2
        RPTK 3
store:  SAR AR1,*+
done:   NOP
    )");
    ASSERT_TRUE(run_to("store"));
    EXPECT_EQ(cpu.rptc, 3);
    uint64_t steps = cpu.steps;
    step();
    EXPECT_EQ(cpu.steps, steps + 1);
    EXPECT_EQ(cpu.pc, label("done"));
    EXPECT_EQ(cpu.rptc, 0);
    for (int i = 0; i < 4; i++) EXPECT_EQ(cpu.data[0x40 + i], 0x55) << i;
    EXPECT_EQ(cpu.data[0x44], 0);
    EXPECT_EQ(cpu.ar[2], 0x44);
}

TEST_F(C25Programs, RepeatedBlockMoveCopiesCountPlusOneWords) {
    boot(R"(
        LACK 5
        SACL 0x60
        LRLK AR1,0x200
        MAR *,AR1
        RPT 0x60
        BLKP table,*+
done:   B done
table:  .word 1,2,3,4,5,6,7
    )");
    ASSERT_TRUE(run_to("done"));
    for (int i = 0; i < 6; i++) EXPECT_EQ(cpu.data[0x200 + i], i + 1) << i;
    EXPECT_EQ(cpu.data[0x206], 0);
    EXPECT_EQ(cpu.pfc, label("table") + 6);
    EXPECT_EQ(cpu.ar[1], 0x206);
    EXPECT_EQ(cpu.steps, 6u);
}

TEST_F(C25Programs, TableReadTakesItsAddressFromAcc) {
    boot(R"(
        LALK table
        LRLK AR3,0x300
        MAR *,AR3
        RPTK 2
        TBLR *+
done:   B done
table:  .word 0x1111,0x2222,0x3333,0x4444
    )");
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(cpu.data[0x300], 0x1111);
    EXPECT_EQ(cpu.data[0x302], 0x3333);
    EXPECT_EQ(cpu.data[0x303], 0);
    EXPECT_EQ(cpu.pfc, label("table") + 3);
}

TEST_F(C25Programs, RepeatedSubcDivides) {
    boot(R"(
        LALK 0x100
        SACL 0x61
        LALK 0x1234
        RPTK 15
        SUBC 0x61
done:   B done
    )");
    ASSERT_TRUE(run_to("done"));
    EXPECT_EQ(cpu.acc, 0x00340012);  // remainder 0x34 in the high half, quotient 0x12 in the low
}

TEST_F(C25Programs, BanzLoopMultipliesAndAccumulates) {
    boot(R"(
        LRLK AR1,x
        LRLK AR2,y
        LARK AR3,7
        LACK 0
        MAR *,AR1
loop:   LTA *+,AR2
        MPY *+,AR3
        BANZ loop,*-,AR1
        APAC
        SACH 0x10
        SACL 0x11
done:   B done
x:      .word 1,2,3,4,5,6,7,8
y:      .word 3,-1,0x7FFF,-0x8000,9,100,-7,2
    )");
    ASSERT_TRUE(run_to("done"));
    const int32_t x[8] = {1, 2, 3, 4, 5, 6, 7, 8}, y[8] = {3, -1, 0x7FFF, -0x8000, 9, 100, -7, 2};
    int32_t sum = 0;
    for (int i = 0; i < 8; i++) sum += x[i] * y[i];
    EXPECT_EQ(cpu.acc, sum);
    EXPECT_EQ(uint32_t(cpu.data[0x10]) << 16 | cpu.data[0x11], uint32_t(sum));
    EXPECT_EQ(cpu.ar[3], 0xFFFF);  // the last BANZ fell through on 0 and still decremented
    EXPECT_EQ(cpu.ar[1], label("x") + 8);
}

TEST_F(C25Programs, IdleWaitsForTheTimerWhenEnabled) {
    boot(R"(
        .org 0x18
        LACK 9
        .org 0x4000
        DINT
        IDLE
after:  NOP
    )");
    cpu.idle_enable = 1;
    cpu.prd = 3;
    cpu.tim = 3;
    step(2);  // DINT, IDLE (which clears INTM); TIM 3 -> 2 -> 1
    EXPECT_EQ(cpu.idle, 1);
    EXPECT_EQ(cpu.intm, 0);
    EXPECT_EQ(cpu.pc, label("after"));
    step();  // a tick only: TIM 1 -> 0
    EXPECT_EQ(cpu.steps, 2u);
    EXPECT_EQ(cpu.last_pc, 0x4001);
    EXPECT_EQ(cpu.tim, 0);
    EXPECT_EQ(cpu.tint_pending, 0);
    step();  // the reload latches TINT
    EXPECT_EQ(cpu.tint_pending, 1);
    EXPECT_EQ(cpu.idle, 1);
    step();  // accepted, with the handler's first instruction
    EXPECT_EQ(cpu.idle, 0);
    EXPECT_EQ(cpu.acc, 9);
    EXPECT_EQ(cpu.stack[0], label("after"));
    EXPECT_EQ(cpu.steps, 3u);
}

TEST_F(C25Programs, IdleIsANoOperationWhenNotEnabled) {
    boot("DINT\nIDLE\nafter: NOP");
    step(2);
    EXPECT_EQ(cpu.idle, 0);
    EXPECT_EQ(cpu.intm, 1);
    EXPECT_EQ(cpu.pc, label("after"));
}

TEST_F(C25Programs, UndecodableWordFaultsAndChangesNothing) {
    boot("RPTK 2\n.word 0x5D00");  // MAC is not among the instructions
    step();
    EXPECT_FALSE(c25_step(&cpu));
    EXPECT_STREQ(cpu.error_text, "TRANSLATED C25: no translation for this address at 4001");
    EXPECT_EQ(cpu.pc, 0x4001);
    EXPECT_EQ(cpu.rptc, 2);
    EXPECT_EQ(cpu.last_pc, 0x4001);
}

TEST_F(C25Programs, StepWithoutATranslatedProgramFaults) {
    boot("NOP");
    cpu.translated_program = nullptr;
    EXPECT_FALSE(c25_step(&cpu));
    EXPECT_STREQ(cpu.error_text, "no program translation");
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.tim, 0xFFFE);
    EXPECT_EQ(cpu.pc, 0x4000);
}

TEST_F(C25Programs, ChangedProgramWordsAreDecodedAgain) {
    boot("LACK 1\nB 0x4000");
    step();
    EXPECT_EQ(cpu.acc, 1);
    cpu.prog[0x4000] = 0xCA02;  // LACK 2, written as a data-space store would
    step(2);
    EXPECT_EQ(cpu.acc, 2);
}

TEST_F(C25Programs, OperandFetchWrapsAtTheTopOfProgramMemory) {
    boot(".org 0xFFFF\n.word 0xF580\n.org 0\n.word 0x1234", 0xFFFF);
    step();  // BNZ at 0xFFFF takes its operand from 0x0000 and does not branch on ACC 0
    EXPECT_EQ(cpu.pc, 0x0001);
    cpu.acc = 1;
    cpu.pc = 0xFFFF;
    step();
    EXPECT_EQ(cpu.pc, 0x1234);
}

}  // namespace
