// M37702 instruction execution: every opcode's length under every width, the worked
// cases, and each instruction group's results, flags and costs.
#include "sound/m37702.h"
#include "sound/m37702_bus.h"
#include "tests/sound/m37702_fixture.h"
#include "tests/support/m37702_asm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct M37702Execute : M37702Fixture {
    // Cycles of one instruction run from the bus.
    uint64_t step_cost() {
        uint64_t before = cpu.cycles;
        m377_test_step(&cpu);
        return cpu.cycles - before;
    }
};

TEST_F(M37702Execute, AssemblerEncodesTheForms) {
    const struct {
        const char* line;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"lda #$12", {0xA9, 0x12}},
        {"clp #$30\nlda #$1234", {0xC2, 0x30, 0xA9, 0x34, 0x12}},
        {"ldb $12,x", {0x42, 0xB5, 0x12}},
        {"sta ($12,s),y", {0x93, 0x12}},
        {"ora ($12)", {0x12, 0x12}},
        {"lda [$34],y", {0xB7, 0x34}},
        {"adc $123456,x", {0x7F, 0x56, 0x34, 0x12}},
        {"jmp ($1234,x)", {0x7C, 0x34, 0x12}},
        {"jml [$1234]", {0xDC, 0x34, 0x12}},
        {"ldm #$AB,$1234", {0x9C, 0x34, 0x12, 0xAB}},
        {"here: bbs #$81,$40,here", {0x24, 0x40, 0x81, 0xFC}},
        {"mvn $01,$02", {0x54, 0x01, 0x02}},
        {"mpy #$10", {0x89, 0x09, 0x10}},
        {"div $1234,x", {0x89, 0x3D, 0x34, 0x12}},
        {"asl b", {0x42, 0x0A}},
        {"bra next\nnop\nnext: brl next", {0x80, 0x01, 0xEA, 0x82, 0xFD, 0xFF}},
    };
    for (const auto& c : cases) {
        m377_program p;
        ASSERT_TRUE(m377_assemble(&p, 0xC000, c.line)) << c.line << ": " << p.error;
        EXPECT_EQ(std::vector<uint8_t>(p.bytes, p.bytes + p.size), c.bytes) << c.line;
    }
    m377_program p;
    EXPECT_FALSE(m377_assemble(&p, 0xC000, "sta #$12"));
    EXPECT_FALSE(m377_assemble(&p, 0xC000, "bne nowhere"));
}

// Every opcode under every M/X state, with and without the 0x42 prefix: the bytes
// m377_execute fetches are the instruction's length (the translated program relies on it).
TEST_F(M37702Execute, EveryOpcodeFetchesItsLength) {
    for (int op = 0; op < 256; op++) {
        for (int second = 0; second < (op == 0x89 ? 256 : 1); second++) {
            for (int mx = 0; mx < 4; mx++) {
                for (int prefix = 0; prefix < 2; prefix++) {
                    bool m8 = mx & 2, x8 = mx & 1;
                    memset(&t->mem, 0, sizeof t->mem);
                    m377_init(&cpu, m377_test_read, m377_test_write, &t->mem);
                    m377_reset(&cpu);
                    cpu.ps = uint16_t((cpu.ps & ~(m377_flag_m | m377_flag_x)) | (m8 ? m377_flag_m : 0) |
                                      (x8 ? m377_flag_x : 0));
                    cpu.pc = 0xC000;
                    cpu.s = 0x0300;
                    uint8_t* code = &mem(0xC000);
                    int at = 0;
                    if (prefix) code[at++] = 0x42;
                    code[at++] = uint8_t(op);
                    code[at++] = uint8_t(op == 0x89 ? second : 0x90);
                    for (int i = 0; i < 5; i++) code[at++] = uint8_t(0x91 + i);

                    if (prefix) m377_fetch8(&cpu);
                    cpu.acc_b = uint8_t(prefix);
                    uint32_t opcode = m377_fetch8(&cpu);
                    cpu.cycles++;
                    uint32_t fetched_before = cpu.fetch_count;
                    int done = m377_execute(&cpu, opcode);
                    uint32_t fetched = cpu.fetch_count - fetched_before;

                    std::string what = std::string(m377_asm_name(uint8_t(op), uint8_t(second))) + " op " +
                                       std::to_string(op) + "/" + std::to_string(second) + " M/X " +
                                       std::to_string(mx) + " prefix " + std::to_string(prefix);
                    int length = m377_asm_length(uint8_t(op), uint8_t(second), m8, x8);
                    if (op == 0x00 || op == 0x42) {
                        EXPECT_EQ(done, 0) << what;
                        EXPECT_EQ(fetched, 0u) << what;
                    } else if (length == 0) {  // unassigned 0x89-page byte
                        EXPECT_EQ(done, 1) << what;
                        EXPECT_TRUE(cpu.halted) << what;
                        EXPECT_EQ(cpu.halt_code, 0x200 + second) << what;
                        EXPECT_EQ(fetched, 1u) << what;
                    } else {
                        EXPECT_EQ(done, 1) << what;
                        EXPECT_FALSE(cpu.halted) << what;
                        EXPECT_EQ(int(fetched), length - 1) << what;
                    }
                }
            }
        }
    }
}

TEST_F(M37702Execute, ZeroOpcodeIsATwoCountNoOpReportedOnce) {
    boot("brk\nbrk\nstp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(step_cost(), 2u);
    EXPECT_EQ(cpu.pc, 0xC001);
    EXPECT_EQ(step_cost(), 2u);
    std::string err = testing::internal::GetCapturedStderr();
    // Reported at most once per process (another test may have met it first).
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1);
    if (!err.empty()) {
        EXPECT_EQ(err.rfind("[M377] opcode 0x00 at 00C000", 0), 0u) << err;
    }
}

// Worked cases: register results, flags and the cost of the one instruction under test
// (the last before STP), the dispatcher's opcode fetch and dispatch included.
struct worked_case {
    const char* name;
    const char* program;
    uint16_t a, b;
    uint16_t flags_mask, flags;
    uint64_t cost;  // of the instruction before STP; 0 = not checked
};

TEST_F(M37702Execute, WorkedCases) {
    const worked_case cases[] = {
        {"NOP", "nop\nstp", 0, 0, 0, 0, 2},
        {"LDA immediate 8-bit", "lda #$80\nstp", 0x0080, 0, Z | N, N, 3},
        {"LDA immediate 16-bit", "clp #$20\nlda #$8000\nstp", 0x8000, 0, Z | N, N, 4},
        {"MPY 8-bit", "clp #$20\nlda #$1234\nldb #$5678\nsep #$20\nsec\nmpy #$10\nstp", 0x1240, 0x5603, Z | N | C, 0, 4},
        {"MPY 16-bit", "clp #$20\nlda #$FFFF\nmpy #$FFFF\nstp", 0x0001, 0xFFFE, Z | N | C, N, 5},
        {"MPY zero", "lda #$00\nmpy #$12\nstp", 0, 0, Z | N, Z, 4},
        {"DIV 16-bit", "clp #$20\nlda #$0000\nldb #$0001\ndiv #$0002\nstp", 0x8000, 0x0000, N | V | C, N, 5},
        {"DIV quotient too large", "clp #$20\nlda #$0000\nldb #$0001\ndiv #$0001\nstp", 0x0000, 0x0001, V, V, 5},
        {"DIV by zero", "lda #$34\nldb #$12\nsec\ndiv #$00\nstp", 0x0034, 0x0012, V | C, V, 4},
        {"DIV 8-bit", "lda #$07\nldb #$01\ndiv #$10\nstp", 0x0010, 0x0007, Z | N | V, 0, 4},
        {"DIV dividend below divisor", "lda #$07\nldb #$00\ndiv #$10\nstp", 0x0000, 0x0007, Z, Z, 4},
        {"MPY from memory (dp)", "ldm #$20,$80\nldm #$C1,$81\nldm #$03,$C120\nlda #$05\nmpy ($80)\nstp", 0x000F, 0, Z, 0, 7},
        {"XAB", "lda #$00\nldb #$81\nxab\nstp", 0x0081, 0x0000, Z | N, N, 3},
        {"RLA 8-bit keeps high byte", "clp #$20\nlda #$1281\nsep #$20\nrla #$03\nstp", 0x120C, 0, 0, 0, 4},
        {"RLA 16-bit", "clp #$20\nlda #$8001\nrla #$0011\nstp", 0x0003, 0, 0, 0, 5},
        {"JSR then RTS", "jsr sub\nstp\nsub: rts", 0, 0, 0, 0, 4},
        {"BNE taken", "lda #$01\nbne over\nnop\nover: stp", 1, 0, 0, 0, 5},
        {"BNE not taken", "lda #$00\nbne over\nover: stp", 0, 0, 0, 0, 3},
        {"BRA always taken", "bra over\nnop\nover: stp", 0, 0, 0, 0, 5},
        {"BRL no extra", "brl over\nnop\nover: stp", 0, 0, 0, 0, 4},
        {"BBS taken reads memory", "ldm #$81,$90\nbbs #$81,$90,over\nnop\nover: stp", 0, 0, 0, 0, 8},
        {"BBC not taken", "ldm #$01,$90\nbbc #$81,$90,over\nover: stp", 0, 0, 0, 0, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boot(c.program);
        uint64_t cost = 0;
        for (int steps = 0; steps < 100; steps++) {
            uint64_t one = step_cost();
            if (cpu.stopped) break;
            cost = one;
        }
        EXPECT_TRUE(cpu.stopped);
        EXPECT_EQ(cpu.a, c.a);
        EXPECT_EQ(cpu.b, c.b);
        EXPECT_EQ(cpu.ps & c.flags_mask, c.flags);
        EXPECT_EQ(cost, c.cost);
    }
}

TEST_F(M37702Execute, JsrPushesTheNextAddressAndRtsReturnsToIt) {
    boot("jsr sub\nstp\nsub: rts");
    EXPECT_EQ(step_cost(), 6u);
    EXPECT_EQ(cpu.s, 0x01FD);
    EXPECT_EQ(mem(0x01FF), 0xC0);
    EXPECT_EQ(mem(0x01FE), 0x03);
    EXPECT_EQ(cpu.pc, m377_label(&t->program, "sub"));
    m377_test_step(&cpu);
    EXPECT_EQ(cpu.pc, 0xC003);
    EXPECT_EQ(cpu.s, 0x01FF);
}

TEST_F(M37702Execute, UnassignedExtendedOpcodeHalts) {
    boot("nop\n.byte $89,$00");
    m377_test_step(&cpu);
    EXPECT_EQ(m377_test_step(&cpu), 1);
    EXPECT_TRUE(cpu.halted);
    EXPECT_EQ(cpu.halt_code, 0x200);
    EXPECT_EQ(cpu.halt_pc, 0xC001u);
}

TEST_F(M37702Execute, BlockMoveRepeatsUntilAPassesFFFF) {
    // MVN with A = 2 moves three bytes, one per execution, and leaves A = 0xFFFF.
    boot("clp #$30\nlda #$0002\nldx #$1000\nldy #$2000\nmove: mvn $02,$01\nstp");
    mem(0x011000) = 0xA1;
    mem(0x011001) = 0xA2;
    mem(0x011002) = 0xA3;
    for (int i = 0; i < 4; i++) m377_test_step(&cpu);
    uint32_t move = m377_label(&t->program, "move");
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(cpu.pc, move);
        EXPECT_EQ(step_cost(), 6u);  // opcode, dispatch, two banks, read, write
    }
    EXPECT_EQ(cpu.pc, move + 3);
    EXPECT_EQ(cpu.a, 0xFFFF);
    EXPECT_EQ(cpu.x, 0x1003);
    EXPECT_EQ(cpu.y, 0x2003);
    EXPECT_EQ(cpu.dt, 0x02);
    EXPECT_EQ(mem(0x022000), 0xA1);
    EXPECT_EQ(mem(0x022001), 0xA2);
    EXPECT_EQ(mem(0x022002), 0xA3);

    // MVP steps down; with X set only the index low bytes step (and wrap).
    boot("clp #$20\nlda #$0001\nmvp $02,$01\nstp");
    cpu.x = 0x1200;
    cpu.y = 0x3401;
    mem(0x010000) = 0x11;
    mem(0x0100FF) = 0x22;
    m377_test_run(t.get(), 20);
    EXPECT_EQ(mem(0x020001), 0x11);
    EXPECT_EQ(mem(0x020000), 0x22);
    EXPECT_EQ(cpu.x, 0x12FE);
    EXPECT_EQ(cpu.y, 0x34FF);
    EXPECT_EQ(cpu.a, 0xFFFF);
}

// Programs run from reset (M and X set) to STP; then registers, flags and memory.
struct program_case {
    const char* name;
    const char* program;
    uint16_t a, b, x, y;
    uint16_t flags_mask = 0, flags = 0;
    uint32_t address = 0;  // a memory byte to check when not 0
    uint8_t value = 0;
};

TEST_F(M37702Execute, InstructionGroups) {
    const program_case cases[] = {
        // Loads, logic and the B prefix
        {"ORA AND EOR", "lda #$F0\nora #$0C\nand #$3C\neor #$FF\nstp", 0x00C3, 0, 0, 0, Z | N, N},
        {"8-bit load keeps A's high byte", "clp #$20\nlda #$1234\nsep #$20\nlda #$00\nstp", 0x1200, 0, 0, 0, Z | N, Z},
        {"B prefix works on B", "lda #$11\nldb #$22\nadcb #$01\nstb $90\nstp", 0x0011, 0x0023, 0, 0, 0, 0, 0x90, 0x23},
        {"B prefix shift and inc", "ldb #$81\nasl b\ninc b\nstp", 0, 0x0003, 0, 0, C, C},
        {"TBX and TXB", "ldb #$7F\ntbx\nldx #$05\ntxb\nstp", 0, 0x0005, 0x0005, 0},
        {"PHB and PLB", "ldb #$42\nphb\nldb #$00\nplb\nstp", 0, 0x0042, 0, 0, Z, 0},
        {"(dp) forms of ORA AND CMP", "ldm #$00,$80\nldm #$C2,$81\nldm #$3C,$C200\nlda #$0F\nora ($80)\nand ($80)\ncmp ($80)\nstp",
         0x003C, 0, 0, 0, Z | C, Z | C},
        // Shifts and rotates
        {"ASL memory sets C", "ldm #$81,$90\nasl $90\nstp", 0, 0, 0, 0, C | N | Z, C, 0x90, 0x02},
        {"ROL through carry", "sec\nlda #$80\nrol a\nstp", 0x0001, 0, 0, 0, C | Z, C},
        {"LSR 16-bit", "clp #$20\nlda #$8001\nlsr a\nstp", 0x4000, 0, 0, 0, C | N, C},
        {"ROR memory 16-bit", "clp #$20\nsec\nldm #$0002,$1234\nror $1234\nstp", 0, 0, 0, 0, C | N, N, 0x1235, 0x80},
        {"DEC memory to zero", "ldm #$01,$90,x\ndec $90,x\nstp", 0, 0, 0, 0, Z, Z, 0x90, 0x00},
        {"INC abs,X wraps at 8 bits", "ldx #$02\nldm #$FF,$1234,x\ninc $1234,x\nstp", 0, 0, 2, 0, Z, Z, 0x1236, 0x00},
        // Index registers (8-bit INX/DEX wrap in the low byte, Z and N from it)
        {"INX 8-bit wraps", "ldx #$FF\ninx\nstp", 0, 0, 0x0000, 0, Z | N, Z},
        {"DEY 8-bit wraps", "ldy #$00\ndey\nstp", 0, 0, 0, 0x00FF, Z | N, N},
        {"INY 16-bit", "clp #$10\nldy #$00FF\niny\nstp", 0, 0, 0, 0x0100, Z | N, 0},
        {"CPX sets C and Z", "ldx #$40\ncpx #$40\nstp", 0, 0, 0x40, 0, C | Z | N, C | Z},
        {"CPY borrow", "ldy #$10\ncpy #$20\nstp", 0, 0, 0, 0x10, C | Z | N, N},
        {"LDX dp,Y and STY dp,X", "ldy #$02\nldm #$77,$92\nldx $90,y\nsty $90,x\nstp", 0, 0, 0x77, 2, 0, 0, 0x0107, 0x02},
        // Transfers
        {"TAX with X set gives high byte 0", "clp #$20\nlda #$1280\ntax\nstp", 0x1280, 0, 0x0080, 0, N | Z, N},
        {"TAX 16-bit index from 8-bit A", "clp #$20\nlda #$1280\nsep #$20\nclp #$10\ntax\nstp", 0x1280, 0, 0x1280, 0, N, 0},
        {"TXA 16-bit A from 8-bit X", "clp #$20\nldx #$90\ntxa\nstp", 0x0090, 0, 0x90, 0, N, 0},
        {"TSA 16-bit flags", "tsa\nstp", 0x01FF, 0, 0, 0, N | Z, 0},
        {"TAD and TDA", "clp #$20\nlda #$8000\ntad\nlda #$0000\ntda\nstp", 0x8000, 0, 0, 0, N | Z, N},
        {"TXY and TYX", "ldx #$80\ntxy\nldx #$00\ntyx\nstp", 0, 0, 0x80, 0x80, N, N},
        {"CLP and SEP keep index high bytes", "clp #$10\nldx #$1234\nsep #$10\nclp #$10\nstp", 0, 0, 0x1234, 0},
        {"SEM and CLM", "sem\nclm\nlda #$1234\nstp", 0x1234, 0, 0, 0},
        // Stack
        {"PHP and PLP move 16 bits", "clp #$30\nsep #$08\nphp\nsep #$30\nplp\nstp", 0, 0, 0, 0, 0x3C, 0x0C},
        {"PSH and PUL", "clp #$20\nlda #$1111\nldb #$2222\nldx #$33\npsh #$0F\nlda #$0000\nldb #$0000\nldx #$00\nldy #$00\npul #$0F\nstp",
         0x1111, 0x2222, 0x33, 0x00},
        {"PEA pushes its operand", "pea #$BEEF\nply\nstp", 0, 0, 0, 0x00EF, 0, 0, 0x01FF, 0xBE},
        {"PEI pushes the word at D+n", "ldm #$34,$90\nldm #$12,$91\npei $90\nstp", 0, 0, 0, 0, 0, 0, 0x01FE, 0x34},
        {"PER pushes next pc + displacement", "per target\ntarget: stp", 0, 0, 0, 0, 0, 0, 0x01FF, 0xC0},
        {"PLD and PHD", "clp #$20\nlda #$8234\npha\npld\nphd\nlda #$0000\npla\nstp", 0x8234, 0, 0, 0, N, N},
        {"PHT PLT PHG", "ldt #$05\npht\nplt\nphg\npht\nstp", 0, 0, 0, 0, Z, 0, 0x01FE, 0x05},
        // Memory immediates and bits
        {"LDM 16-bit", "clp #$20\nldm #$ABCD,$1234\nstp", 0, 0, 0, 0, 0, 0, 0x1235, 0xAB},
        {"SEB sets Z from the old bits", "ldm #$01,$90\nseb #$82,$90\nstp", 0, 0, 0, 0, Z, Z, 0x90, 0x83},
        {"CLB clears", "ldm #$FF,$1234\nclb #$0F,$1234\nstp", 0, 0, 0, 0, Z, 0, 0x1234, 0xF0},
        // Decimal mode
        {"decimal ADC", "sep #$08\nlda #$45\nadc #$38\nstp", 0x0083, 0, 0, 0, C, 0},
        {"decimal ADC carries", "sep #$08\nlda #$99\nadc #$01\nstp", 0x0000, 0, 0, 0, C | Z, C | Z},
        {"decimal SBC borrows", "sep #$08\nsec\nlda #$10\nsbc #$01\nstp", 0x0009, 0, 0, 0, C, C},
        {"decimal SBC 16-bit", "sep #$08\nclp #$20\nsec\nlda #$1000\nsbc #$0001\nstp", 0x0999, 0, 0, 0, C, C},
        {"decimal SBC below zero", "sep #$08\nsec\nlda #$00\nsbc #$01\nstp", 0x0099, 0, 0, 0, C, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boot(c.program);
        m377_test_run(t.get(), 100);
        ASSERT_TRUE(cpu.stopped);
        EXPECT_EQ(cpu.a, c.a);
        EXPECT_EQ(cpu.b, c.b);
        EXPECT_EQ(cpu.x, c.x);
        EXPECT_EQ(cpu.y, c.y);
        EXPECT_EQ(cpu.ps & c.flags_mask, c.flags);
        if (c.address) {
            EXPECT_EQ(mem(c.address), c.value);
        }
    }
}

TEST_F(M37702Execute, JumpsAndCalls) {
    // JMP (abs) reads its pointer in bank 0, JMP (abs,X) and JSR (abs,X) in the program bank.
    boot("stp");
    m377_program p;
    ASSERT_TRUE(m377_assemble(&p, 0x012000, "jmp ($1000)\njmp ($1000,x)\njsr ($1000,x)"));
    m377_test_load(&t->mem, &p);
    // bank 0 pointer -> 0x2003 (the second jmp); bank 1 pointers (X = 2) -> 0x2006, then 0x2009
    mem(0x001000) = 0x03; mem(0x001001) = 0x20;
    mem(0x011002) = 0x06; mem(0x011003) = 0x20;
    mem(0x011000) = 0xFF; mem(0x011001) = 0xFF;
    cpu.pg = 0x01;
    cpu.pc = 0x2000;
    cpu.x = 2;
    m377_test_step(&cpu);
    EXPECT_EQ(cpu.pc, 0x2003);
    m377_test_step(&cpu);
    EXPECT_EQ(cpu.pc, 0x2006);
    m377_test_step(&cpu);  // JSR (abs,X): pushes 0x2009, jumps through bank 1 again
    EXPECT_EQ(cpu.pc, 0x2006);
    EXPECT_EQ(cpu.pg, 0x01);
    EXPECT_EQ(mem(0x01FF), 0x20);
    EXPECT_EQ(mem(0x01FE), 0x09);

    // JSL / RTL keep the bank; JML [abs] reads a 24-bit pointer in bank 0.
    boot("jsl $012000\nstp");
    ASSERT_TRUE(m377_assemble(&p, 0x012000, "rtl"));
    m377_test_load(&t->mem, &p);
    EXPECT_EQ(step_cost(), 2u + 3 + 3);
    EXPECT_EQ(cpu.pg, 0x01);
    EXPECT_EQ(cpu.pc, 0x2000);
    EXPECT_EQ(mem(0x01FF), 0x00);  // PG first, then the next address high and low
    EXPECT_EQ(mem(0x01FE), 0xC0);
    EXPECT_EQ(mem(0x01FD), 0x04);
    m377_test_step(&cpu);
    EXPECT_EQ(cpu.pg, 0x00);
    EXPECT_EQ(cpu.pc, 0xC004);

    boot("jml [$0300]");
    mem(0x0300) = 0x56; mem(0x0301) = 0x34; mem(0x0302) = 0x02;
    EXPECT_EQ(step_cost(), 2u + 2 + 3);
    EXPECT_EQ(cpu.pg, 0x02);
    EXPECT_EQ(cpu.pc, 0x3456);

    // RTI pulls PS (IPL included), PC, then PG.
    boot("rti");
    cpu.s = 0x01FA;
    const uint8_t frame[] = {0xC5, 0x03, 0x34, 0x12, 0x03};  // ps low, ps high, pc low, pc high, pg
    for (int i = 0; i < 5; i++) mem(0x01FB + i) = frame[i];
    EXPECT_EQ(step_cost(), 7u);
    EXPECT_EQ(cpu.ps, 0x03C5);
    EXPECT_EQ(cpu.pc, 0x1234);
    EXPECT_EQ(cpu.pg, 0x03);
    EXPECT_EQ(cpu.s, 0x01FF);
}

TEST_F(M37702Execute, WaitAndStopSetStopped) {
    for (const char* program : {"wai", "stp"}) {
        boot(program);
        EXPECT_EQ(m377_test_step(&cpu), 1);
        EXPECT_TRUE(cpu.stopped) << program;
    }
}

TEST_F(M37702Execute, PcTrailHoldsTheLast64InstructionStarts) {
    std::string program;
    for (int i = 0; i < 70; i++) program += "nop\n";
    program += "ldb #$01\nstp";
    boot(program.c_str());
    for (int i = 0; i < 71; i++) m377_test_step(&cpu);
    // Oldest entry first from pc_trail_pos: the last 64 starts, ending with the prefixed LDB.
    for (int k = 0; k < 64; k++) {
        uint16_t expect = uint16_t(0xC000 + 70 - 63 + k);
        EXPECT_EQ(cpu.pc_trail[(cpu.pc_trail_pos + k) & 63], expect) << k;
    }
}

}  // namespace
