// The BIOS: its source assembles to its words, its image, the run from reset to the
// hand-off, and the interrupt handlers.
#include "tests/dsp/translated_fixture.h"

#include "tests/support/c25_asm.h"

#include <string>

namespace {

using Bios = TranslatedFixture;

TEST_F(Bios, SourceAssemblesToItsWords) {
    std::string source;
    for (uint32_t i = 0; i < c25_bios_listing_lines; i++) source += std::string(c25_bios_listing[i].text) + "\n";
    auto p = std::make_unique<c25_program>();
    ASSERT_TRUE(c25_assemble(p.get(), 0, source.c_str())) << p->error;
    int lines = 0;
    for (uint32_t i = 0; i < c25_bios_listing_lines; i++) {
        const c25_bios_line& line = c25_bios_listing[i];
        for (uint32_t k = 0; k < line.length; k++)
            EXPECT_EQ(p->words[line.address + k], line.words[k]) << line.text;
        lines += line.length > 0;
    }
    EXPECT_GT(lines, 50);
    EXPECT_EQ(c25_label(p.get(), "handoff"), C25_BIOS_HANDOFF);
    EXPECT_EQ(c25_label(p.get(), "busy"), C25_BIOS_BUSY_WAIT);
    // The image: the assembled words, NOP over the rest of the BIOS stretches, 0 elsewhere.
    for (uint32_t a = 0; a < C25_BIOS_WORDS; a++) {
        bool in_stretch = false;
        for (uint32_t k = 0; k < C25_BIOS_STRETCHES; k++)
            in_stretch |= a >= C25_STRETCHES[k].first && a <= C25_STRETCHES[k].last;
        bool assembled = a >= p->low && a < p->high && p->words[a] != 0;
        uint16_t expected = assembled ? p->words[a] : in_stretch ? C25_NOP : 0;
        ASSERT_EQ(c25_bios_image[a], expected) << std::hex << a;
    }
}

TEST_F(Bios, FromResetReachesTheHandOffWithTimerInterruptsTaken) {
    for (uint32_t i = 0; i < C25_DSPRAM_WORDS; i++) dspram_image[i] = 0;
    cpu.pc = 0;
    uint64_t steps = 0;
    int timer_entries = 0;
    while (cpu.pc != C25_BIOS_HANDOFF && steps < 2000000) {
        ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text << " after " << steps;
        steps++;
        timer_entries += cpu.last_pc == 0x0018;
    }
    ASSERT_EQ(cpu.pc, C25_BIOS_HANDOFF);
    EXPECT_GE(timer_entries, 2);  // reset leaves TINT enabled: the handlers return
    EXPECT_EQ(cpu.imr & C25_INT_TINT, C25_INT_TINT);
    EXPECT_EQ(cpu.intm, 0);
    EXPECT_EQ(cpu.stack_depth, 0);
    EXPECT_EQ(cpu.ar[7], 0x0060);
    // DSP RAM, on-chip data from 0x0060 and point RAM as the BIOS leaves them.
    for (uint32_t i = 0; i < C25_DSPRAM_WORDS; i++) ASSERT_EQ(dspram_image[i], 0u) << i;
    for (uint32_t a = 0x60; a < 0x400; a++) ASSERT_EQ(cpu.data[a], a == 0x65 ? 0xFFFF : a == 0x66 ? 0xF8 : 0) << a;  // the check's last word, the point address
    for (uint32_t i = 0; i < C25_POINT_RAM_WORDS; i++) ASSERT_EQ(cpu.point_ram[i], 0u) << i;
    ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    EXPECT_EQ(cpu.pc, 0x4008);
}

// The frame doorbell as the driver rings it: return address stacked, INTM set.
void ring(c25_state* s, uint16_t back) {
    s->stack[s->stack_depth++] = back;
    s->pc = 0x0002;
    s->intm = 1;
}

TEST_F(Bios, Int0WaitsWhileBusyAndRestoresWhatItChanges) {
    cpu.ar[7] = 0x0060;
    cpu.acc = int32_t(0x89ABCDEF);
    cpu.dp = 0x1AB;
    cpu.arp = 3;
    cpu.arb = 5;
    cpu.ov = 1;
    cpu.ovm = 1;
    cpu.tc = 1;
    cpu.sxm = 0;
    cpu.c = 1;
    cpu.pm = 2;
    for (int r = 0; r < 7; r++) cpu.ar[r] = uint16_t(0x1111 * (r + 1));
    auto before = std::make_unique<c25_state>();
    memcpy(before.get(), &cpu, sizeof cpu);

    dspram_image[0] = 1;  // the game is busy
    ring(&cpu, 0x4123);
    for (int i = 0; i < 40; i++) ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    EXPECT_TRUE(cpu.pc == C25_BIOS_BUSY_WAIT || cpu.pc == C25_BIOS_BUSY_WAIT + 1) << std::hex << cpu.pc;
    dspram_image[0] = 0;
    for (int i = 0; i < 20 && cpu.pc != 0x4123; i++) ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    ASSERT_EQ(cpu.pc, 0x4123);
    EXPECT_EQ(cpu.intm, 0);
    EXPECT_EQ(cpu.stack_depth, 0);
    EXPECT_EQ(cpu.acc, before->acc);
    EXPECT_EQ(cpu.dp, before->dp);
    EXPECT_EQ(cpu.arp, before->arp);
    EXPECT_EQ(cpu.arb, before->arp);  // as LST1 leaves it on the chip
    EXPECT_EQ(cpu.ov, before->ov);
    EXPECT_EQ(cpu.ovm, before->ovm);
    EXPECT_EQ(cpu.tc, before->tc);
    EXPECT_EQ(cpu.sxm, before->sxm);
    EXPECT_EQ(cpu.c, before->c);
    EXPECT_EQ(cpu.pm, before->pm);
    for (int r = 0; r < 8; r++) EXPECT_EQ(cpu.ar[r], before->ar[r]) << "AR" << r;
}

TEST_F(Bios, OtherHandlersReturn) {
    const struct {
        uint16_t vector;
        int steps;
        int32_t intm_after;
    } cases[] = {{0x0018, 2, 0}, {0x001A, 2, 0}, {0x001C, 2, 0}, {0x001E, 1, 1}, {0x0004, 3, 0}, {0x0006, 3, 0}};
    for (const auto& c : cases) {
        load();
        ring(&cpu, 0x4321);
        cpu.pc = c.vector;
        for (int i = 0; i < c.steps; i++) ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
        EXPECT_EQ(cpu.pc, 0x4321) << std::hex << c.vector;
        EXPECT_EQ(cpu.intm, c.intm_after) << std::hex << c.vector;
        EXPECT_EQ(cpu.stack_depth, 0);
    }
}

}  // namespace
