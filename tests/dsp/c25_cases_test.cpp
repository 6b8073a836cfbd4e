// The worked numeric cases of the C25 model in one table: reset, the timer and
// interrupt acceptance, the return stack, the arithmetic and its flags, indirect
// addressing and the instruction semantics. Instruction cases are assembled and run
// through c25_step; the rest call their operation in `setup`.
#include "dsp/c25.h"
#include "dsp/c25_arith.h"
#include "tests/dsp/c25_fixture.h"

#include <gtest/gtest.h>

namespace {

// What the timer-skip rows got back from c25_timer_skip.
int64_t skipped;

struct numeric_case {
    const char* name;
    const char* source;               // assembled at 0x4000 (or where .org says), pc at 0x4000
    void (*setup)(c25_state& s);      // after the boot, before the steps
    int steps;                        // c25_step calls, each of which must succeed
    void (*check)(const c25_state& s);
};

void no_setup(c25_state&) {}

const numeric_case cases[] = {
    {"reset values", "NOP", no_setup, 0,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x4000);
         EXPECT_EQ(s.imr, 0x0009);
         EXPECT_EQ(s.prd, 0xFFFF);
         EXPECT_EQ(s.tim, 0xFFFF);
         EXPECT_EQ(s.sxm, 1);
         EXPECT_EQ(s.bio, 1);
         EXPECT_EQ(s.intm, 0);
         EXPECT_EQ(s.stack_depth, 0);
         EXPECT_EQ(s.rptc, 0);
         EXPECT_EQ(s.write_count, 0u);
     }},
    {"TIM 0 and PRD 5 reload and latch TINT", "NOP\nNOP", [](c25_state& s) { s.tim = 0, s.prd = 5; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.tim, 5);
         EXPECT_EQ(s.tint_pending, 1);
         EXPECT_EQ(s.pc, 0x4001);
     }},
    {"TINT taken with its handler's first instruction in one step", ".org 0x18\nLACK 7\n.org 0x4000\nNOP\nNOP",
     [](c25_state& s) { s.tim = 0, s.prd = 5; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 7);
         EXPECT_EQ(s.pc, 0x0019);
         EXPECT_EQ(s.last_pc, 0x0018);
         EXPECT_EQ(s.intm, 1);
         EXPECT_EQ(s.tint_pending, 0);
         EXPECT_EQ(s.ifr, 0);
         ASSERT_EQ(s.stack_depth, 1);
         EXPECT_EQ(s.stack[0], 0x4001);
         EXPECT_EQ(s.steps, 2u);
     }},
    {"TIM above PRD latches on the second tick", "NOP\nNOP", [](c25_state& s) { s.tim = 7, s.prd = 5, s.intm = 1; },
     2,
     [](const c25_state& s) {
         EXPECT_EQ(s.tim, 5);
         EXPECT_EQ(s.tint_pending, 1);
     }},
    {"INTM 1 leaves a pending TINT", "LACK 1", [](c25_state& s) { s.ifr = C25_INT_TINT, s.intm = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 1);
         EXPECT_EQ(s.pc, 0x4001);
         EXPECT_EQ(s.ifr, C25_INT_TINT);
     }},
    {"RPTC non-zero leaves a pending TINT", "LACK 1", [](c25_state& s) { s.ifr = C25_INT_TINT, s.rptc = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 1);
         EXPECT_EQ(s.stack_depth, 0);
     }},
    {"INT0 wins over TINT", ".org 2\nLACK 2\n.org 0x4000\nNOP",
     [](c25_state& s) { s.ifr = 0x01 | C25_INT_TINT; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 2);
         EXPECT_EQ(s.ifr, C25_INT_TINT);
     }},
    {"timer skip of 10 with TIM 0 left", "NOP",
     [](c25_state& s) { s.tim = 10, s.prd = 100, skipped = c25_timer_skip(&s, 50, 2); }, 0,
     [](const c25_state& s) {
         EXPECT_EQ(skipped, 10);
         EXPECT_EQ(s.tim, 0);
         EXPECT_EQ(s.tint_pending, 0);
     }},
    {"timer skip of 8 with TIM 2 left (granule 4)", "NOP",
     [](c25_state& s) { s.tim = 10, s.prd = 100, skipped = c25_timer_skip(&s, 50, 4); }, 0,
     [](const c25_state& s) {
         EXPECT_EQ(skipped, 8);
         EXPECT_EQ(s.tim, 2);
     }},
    {"timer skip through reloads under INTM 1", "NOP",
     [](c25_state& s) { s.tim = 3, s.prd = 9, s.intm = 1, skipped = c25_timer_skip(&s, 25, 1); }, 0,
     [](const c25_state& s) {
         EXPECT_EQ(skipped, 25);
         EXPECT_EQ(s.tim, 8);
         EXPECT_EQ(s.tint_pending, 1);
     }},
    {"nine pushes keep the last eight",
     "LACK 1\nPUSH\nLACK 2\nPUSH\nLACK 3\nPUSH\nLACK 4\nPUSH\nLACK 5\nPUSH\nLACK 6\nPUSH\nLACK 7\nPUSH\n"
     "LACK 8\nPUSH\nLACK 9\nPUSH",
     no_setup, 18,
     [](const c25_state& s) {
         ASSERT_EQ(s.stack_depth, 8);
         for (int i = 0; i < 8; i++) {
             EXPECT_EQ(s.stack[i], i + 2);
             EXPECT_EQ(s.push_history[i], i + 2);
         }
     }},
    {"eight RET give 9 to 2 and a ninth gives 2",
     ".org 2\nRET\nRET\nRET\nRET\nRET\nRET\nRET\nRET\n.org 0x4000\n"
     "LACK 1\nPUSH\nLACK 2\nPUSH\nLACK 3\nPUSH\nLACK 4\nPUSH\nLACK 5\nPUSH\nLACK 6\nPUSH\nLACK 7\nPUSH\n"
     "LACK 8\nPUSH\nLACK 9\nPUSH\nRET",
     no_setup, 18 + 9,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 2);  // the ninth RET, at address 2, popped the bottom level
         EXPECT_EQ(s.last_pc, 2);
         EXPECT_EQ(s.stack_depth, 0);
         for (int i = 0; i < 8; i++) EXPECT_EQ(s.push_history[i], 2);
     }},
    {"add overflow wraps", "ADDK 1", [](c25_state& s) { s.acc = 0x7FFFFFFF; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(uint32_t(s.acc), 0x80000000u);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.c, 0);
     }},
    {"add overflow saturates under OVM", "SOVM\nADDK 1", [](c25_state& s) { s.acc = 0x7FFFFFFF; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x7FFFFFFF);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.c, 0);
     }},
    {"add carries out of bit 31", "ADDK 1", [](c25_state& s) { s.acc = -1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0);
         EXPECT_EQ(s.c, 1);
         EXPECT_EQ(s.ov, 0);
     }},
    {"saturated add of -1 to the most negative value", "ADD 0x10",
     [](c25_state& s) { s.acc = INT32_MIN, s.ovm = 1, s.data[0x10] = 0xFFFF; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, INT32_MIN);
         EXPECT_EQ(s.c, 0);
         EXPECT_EQ(s.ov, 1);
     }},
    {"subtract borrows", "SUBK 1", no_setup, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, -1);
         EXPECT_EQ(s.c, 0);
     }},
    {"subtract to zero leaves no borrow", "SUBK 5", [](c25_state& s) { s.acc = 5; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0);
         EXPECT_EQ(s.c, 1);
     }},
    {"LAC shift 4 sign-extends under SXM", "LAC 0x10,4", [](c25_state& s) { s.data[0x10] = 0x8000; }, 1,
     [](const c25_state& s) { EXPECT_EQ(uint32_t(s.acc), 0xFFF80000u); }},
    {"LAC shift 4 zero-extends without SXM", "RSXM\nLAC 0x10,4", [](c25_state& s) { s.data[0x10] = 0x8000; }, 2,
     [](const c25_state& s) { EXPECT_EQ(s.acc, 0x00080000); }},
    {"PM 3 shifts P right by 6 (-64)", "SPM 3\nPAC", [](c25_state& s) { s.p = -64; }, 2,
     [](const c25_state& s) { EXPECT_EQ(s.acc, -1); }},
    {"PM 3 shifts P right by 6 (63)", "SPM 3\nPAC", [](c25_state& s) { s.p = 63, s.acc = 5; }, 2,
     [](const c25_state& s) { EXPECT_EQ(s.acc, 0); }},
    {"PM 1 and 2 shift P left", "SPM 1\nPAC\nSACL 0x10\nSPM 2\nPAC", [](c25_state& s) { s.p = 0x40000003; }, 5,
     [](const c25_state& s) {
         EXPECT_EQ(s.data[0x10], 0x0006);
         EXPECT_EQ(s.acc, 0x00000030);
     }},
    {"*BR0+ from 0 gives 8", "MAR *BR0+", [](c25_state& s) { s.arp = 1, s.ar[0] = 8, s.ar[1] = 0; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.ar[1], 0x0008); }},
    {"*BR0+ from 8 gives 4", "MAR *BR0+", [](c25_state& s) { s.arp = 1, s.ar[0] = 8, s.ar[1] = 8; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.ar[1], 0x0004); }},
    {"*BR0+ from 0xC gives 2", "MAR *BR0+", [](c25_state& s) { s.arp = 1, s.ar[0] = 8, s.ar[1] = 0xC; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.ar[1], 0x0002); }},
    {"*BR0- adds AR0's two's complement with the reverse carry", "MAR *BR0-",
     [](c25_state& s) { s.arp = 1, s.ar[0] = 8, s.ar[1] = 4; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.ar[1], 0xFFFC); }},
    {"field 0xA9 addresses by AR0, increments it and selects AR1", "LAC *+,0,AR1",
     [](c25_state& s) { s.ar[0] = 0x1000, s.data[0x1000] = 0x55; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x55);
         EXPECT_EQ(s.ar[0], 0x1001);
         EXPECT_EQ(s.arb, 0);
         EXPECT_EQ(s.arp, 1);
     }},
    {"*0+ and *0- step by AR0", "MAR *0+\nMAR *0-\nMAR *0-", [](c25_state& s) { s.arp = 2, s.ar[0] = 3, s.ar[2] = 1; },
     3, [](const c25_state& s) { EXPECT_EQ(s.ar[2], 0xFFFE); }},
    {"NORM shifts once from 1", "NORM *+", [](c25_state& s) { s.acc = 1, s.arp = 1, s.ar[1] = 0x10; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.tc, 0);
         EXPECT_EQ(s.acc, 2);
         EXPECT_EQ(s.ar[1], 0x11);
     }},
    {"repeated NORM stops at 0x40000000", "RPTK 31\nNORM *+", [](c25_state& s) { s.acc = 1, s.arp = 1; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.tc, 1);
         EXPECT_EQ(s.acc, 0x40000000);
         EXPECT_EQ(s.ar[1], 30);
     }},
    {"NORM of 0 sets TC", "NORM *+", [](c25_state& s) { s.arp = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.tc, 1);
         EXPECT_EQ(s.ar[1], 0);
     }},
    {"NEG of 0 gives 0 with C", "NEG", no_setup, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0);
         EXPECT_EQ(s.c, 1);
     }},
    {"NEG of the most negative value overflows", "SOVM\nNEG", [](c25_state& s) { s.acc = INT32_MIN; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, INT32_MAX);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.c, 0);
     }},
    {"ABS of the most negative value overflows", "ABS", [](c25_state& s) { s.acc = INT32_MIN, s.c = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, INT32_MIN);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.c, 0);
     }},
    {"ABS of -5", "ABS", [](c25_state& s) { s.acc = -5; }, 1, [](const c25_state& s) { EXPECT_EQ(s.acc, 5); }},
    {"ADDH saturates the high half and keeps the low half and C", "SOVM\nADDH 0x10",
     [](c25_state& s) { s.acc = 0x7FFF1234, s.data[0x10] = 1; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x7FFF1234);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.c, 0);
     }},
    {"ADDH carry sets C and never clears it", "ADDH 0x10\nADDH 0x11",
     [](c25_state& s) { s.acc = int32_t(0xFFFF0001), s.data[0x10] = 1, s.data[0x11] = 1; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x00010001);
         EXPECT_EQ(s.c, 1);
     }},
    {"ADDC adds data and C", "ADDC 0x10", [](c25_state& s) { s.c = 1, s.data[0x10] = 0xFFFF; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x10000);
         EXPECT_EQ(s.c, 0);
     }},
    {"ADDC keeps C when saturation leaves ACC unchanged", "ADDC 0x10",
     [](c25_state& s) { s.c = 1, s.ovm = 1, s.acc = INT32_MAX; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, INT32_MAX);
         EXPECT_EQ(s.c, 1);
         EXPECT_EQ(s.ov, 1);
     }},
    {"SUBC below the shifted divisor doubles ACC", "SUBC 0x10",
     [](c25_state& s) { s.acc = 0x1234, s.data[0x10] = 0x100, s.c = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 0x2468);
         EXPECT_EQ(s.c, 0);
     }},
    {"SUBC at the shifted divisor subtracts and sets bit 0", "SUBC 0x10",
     [](c25_state& s) { s.acc = 0x00800000, s.data[0x10] = 0x100; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 1);
         EXPECT_EQ(s.c, 1);
     }},
    {"BANZ 0xFB90 on AR 0 falls through", "BANZ 0x4100", no_setup, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x4002);
         EXPECT_EQ(s.ar[0], 0xFFFF);
     }},
    {"BANZ on AR 1 branches", "BANZ 0x4100", [](c25_state& s) { s.ar[0] = 1; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x4100);
         EXPECT_EQ(s.ar[0], 0);
     }},
    {"CALL pushes the address after its operand", "CALL 0x4100", no_setup, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x4100);
         ASSERT_EQ(s.stack_depth, 1);
         EXPECT_EQ(s.stack[0], 0x4002);
     }},
    {"a two-word instruction that does not branch ends at pc + 2", "BZ 0x4100", [](c25_state& s) { s.acc = 1; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.pc, 0x4002); }},
    {"BBNZ branches on TC 1", "BBNZ 0x4100", [](c25_state& s) { s.tc = 1; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.pc, 0x4100); }},
    {"BIOZ branches on BIO low", "BIOZ 0x4100", [](c25_state& s) { s.bio = 0; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.pc, 0x4100); }},
    {"LST loads ARP, OV, OVM, INTM and DP", "LST 0x10", [](c25_state& s) { s.data[0x10] = 0xBA05, s.arb = 6; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.arp, 5);
         EXPECT_EQ(s.ov, 1);
         EXPECT_EQ(s.ovm, 1);
         EXPECT_EQ(s.intm, 1);
         EXPECT_EQ(s.dp, 5);
         EXPECT_EQ(s.arb, 6);
     }},
    {"LST1 loads ARB and ARP, TC, SXM, C and PM", "LST1 0x10", [](c25_state& s) { s.data[0x10] = 0xA803; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.arb, 5);
         EXPECT_EQ(s.arp, 5);
         EXPECT_EQ(s.tc, 1);
         EXPECT_EQ(s.sxm, 0);
         EXPECT_EQ(s.c, 0);
         EXPECT_EQ(s.pm, 3);
     }},
    {"SST1 stores 0 in bits 12 and 8-2", "SST1 *",
     [](c25_state& s) { s.arb = 7, s.tc = 1, s.sxm = 1, s.c = 1, s.pm = 2, s.cnf = 1, s.ar[0] = 0x10; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.data[0x10], 0xEE02); }},
    {"SST stores bit 10 set and the ARP before its own change", "SST *,AR3",
     [](c25_state& s) { s.arp = 1, s.ov = 1, s.intm = 1, s.dp = 0x1FF, s.ar[1] = 0x10; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.data[0x10], 0x37FF);
         EXPECT_EQ(s.arp, 3);
     }},
    {"SACH with shift 1 stores bits 30-15", "SACH 0x10,1", [](c25_state& s) { s.acc = 0x12348000; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.data[0x10], 0x2469); }},
    {"AND clears the high half, OR and XOR keep it", "AND 0x10\nSACH 0x11\nLALK 0x1234,4\nOR 0x10\nXOR 0x12",
     [](c25_state& s) { s.acc = -1, s.data[0x10] = 0x00F0, s.data[0x12] = 0x0003; }, 5,
     [](const c25_state& s) {
         EXPECT_EQ(s.data[0x11], 0);
         EXPECT_EQ(s.acc, 0x000123F3);
     }},
    {"MPY and MPYU take T signed and unsigned", "LT 0x10\nMPY 0x11\nPAC\nMPYU 0x11",
     [](c25_state& s) { s.data[0x10] = 0xFFFE, s.data[0x11] = 0xFFFF; }, 4,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 2);
         EXPECT_EQ(s.p, int64_t(0xFFFD0002));
     }},
    {"LTA adds the product, LTP loads it", "LTA 0x10\nLTP 0x11",
     [](c25_state& s) { s.p = 100, s.acc = 1, s.data[0x10] = 3, s.data[0x11] = 4; }, 2,
     [](const c25_state& s) {
         EXPECT_EQ(s.acc, 100);
         EXPECT_EQ(s.tr, 4);
     }},
    {"BIT tests bit 15 - b", "BIT 0x10,1", [](c25_state& s) { s.data[0x10] = 0x4000; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.tc, 1); }},
    {"LAR after its modification, SAR before", "LAR AR1,*+\nSAR AR1,*+", [](c25_state& s) {
         s.arp = 1, s.ar[1] = 0x10, s.ar[2] = 0x20, s.data[0x10] = 0x1234;
     },
     2,
     [](const c25_state& s) {
         EXPECT_EQ(s.ar[1], 0x1235);
         EXPECT_EQ(s.data[0x1234], 0x1234);
     }},
    {"CMPR compares AR(ARP) with AR0", "CMPR 1", [](c25_state& s) { s.arp = 1, s.ar[0] = 5, s.ar[1] = 4; }, 1,
     [](const c25_state& s) { EXPECT_EQ(s.tc, 1); }},
    {"SFR keeps the sign under SXM and SFL shifts into C", "SFR\nSACH 0x10\nSFL\nSFL",
     [](c25_state& s) { s.acc = int32_t(0x80000001); }, 4,
     [](const c25_state& s) {
         EXPECT_EQ(s.data[0x10], 0xC000);
         EXPECT_EQ(s.acc, 0x00000000);
         EXPECT_EQ(s.c, 1);
     }},
    {"ROL and ROR rotate through C", "ROL\nSACL 0x10\nROR", [](c25_state& s) { s.acc = int32_t(0x80000001); },
     3,
     [](const c25_state& s) {
         EXPECT_EQ(s.data[0x10], 0x0002);
         EXPECT_EQ(uint32_t(s.acc), 0x80000001u);
         EXPECT_EQ(s.c, 0);
     }},
    {"TRAP pushes pc and goes to 0x1E", "TRAP", no_setup, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x001E);
         EXPECT_EQ(s.stack[0], 0x4001);
     }},
    {"CALA and BACC jump to ACC's low half", "CALA", [](c25_state& s) { s.acc = 0x12345678; }, 1,
     [](const c25_state& s) {
         EXPECT_EQ(s.pc, 0x5678);
         EXPECT_EQ(s.stack[0], 0x4001);
     }},
    {"POP zero-extends into ACC", "LACK 0xFF\nSFL\nPUSH\nLACK 0\nCMPL\nPOP", no_setup, 6,
     [](const c25_state& s) { EXPECT_EQ(s.acc, 0x01FE); }},
};

struct C25Cases : C25Fixture {};

TEST_F(C25Cases, WorkedNumericCases) {
    for (const numeric_case& c : cases) {
        SCOPED_TRACE(c.name);
        boot(c.source, 0x4000);
        cpu.pc = 0x4000;
        c.setup(cpu);
        step(c.steps);
        c.check(cpu);
    }
}

TEST_F(C25Cases, UnknownCeWordFaultsWithItsAddress) {
    boot(".org 0x590E\n.word 0xCE4A", 0x590E);
    EXPECT_FALSE(c25_step(&cpu));
    EXPECT_STREQ(cpu.error_text, "CE CE4A at 590E");
    EXPECT_EQ(cpu.operand_stream, nullptr);
    for (uint32_t low : {0x10u, 0x13u, 0x17u, 0x1Au, 0x22u, 0x28u, 0x2Fu, 0x38u, 0x4Fu, 0x58u, 0x7Fu}) {
        c25_state& s = cpu;
        s.pc = 0x4001;
        EXPECT_EQ(c25_ce_group(&s, uint16_t(0xCE00 | low), 0x4000), 0) << std::hex << low;
    }
}

}  // namespace
