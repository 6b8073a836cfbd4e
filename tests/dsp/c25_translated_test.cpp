// The translated C25 program: its address set made from the BIOS image and the
// uploaded program, the check of program memory before each instruction, and the faults.
#include "tests/dsp/translated_fixture.h"

#include "dsp/c25_decode.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t GAME_STRETCHES = 16;

std::string no_translation_at(uint32_t pc) {
    char text[96];
    snprintf(text, sizeof text, "TRANSLATED C25: no translation for this address at %04X", pc);
    return text;
}

using TranslatedProgram = TranslatedFixture;

TEST_F(TranslatedProgram, LaidOutProgramDecodesToTheTablesCounts) {
    c25_translation_counts game = c25_translated_game_counts();
    EXPECT_EQ(game.addresses, 4368u);
    EXPECT_EQ(game.records, 539u);
    for (uint32_t k = C25_BIOS_STRETCHES; k < GAME_STRETCHES; k++) {
        c25_translation_counts n = c25_translated_counts(k);
        EXPECT_EQ(n.addresses, C25_STRETCHES[k].instructions) << "stretch " << k;
        EXPECT_EQ(n.records, C25_STRETCHES[k].two_word) << "stretch " << k;
    }
    // The BIOS set is what its words decode to: each stretch decodes up to its last word.
    c25_translation_counts bios = c25_translated_bios_counts();
    EXPECT_GT(bios.addresses, 0u);
    uint32_t covered = 0;
    for (uint32_t k = 0; k < C25_BIOS_STRETCHES; k++) {
        const c25_stretch& st = C25_STRETCHES[k];
        uint32_t last_end = 0;
        for (uint32_t a = st.first; a <= st.last; a++)
            if (const c25_decoded* d = c25_translated_entry(uint16_t(a))) last_end = a + d->length - 1;
        EXPECT_EQ(last_end, st.last) << "stretch " << k;
        covered += st.last - st.first + 1;
    }
    EXPECT_EQ(bios.addresses + bios.records, covered);
}

TEST_F(TranslatedProgram, AddressesWithoutAnInstructionFault) {
    for (uint32_t pc : {0x4000u, 0x4007u, 0x0008u, 0x0017u, 0x03B8u, 0x493Eu, 0x592Au, 0x592Bu, 0xFFFFu}) {
        cpu.error_text[0] = 0;
        EXPECT_EQ(c25_translated_program(&cpu, uint16_t(pc)), 0) << std::hex << pc;
        EXPECT_EQ(cpu.error_text, no_translation_at(pc));
    }
    // The second word of every two-word instruction.
    int seconds = 0;
    for (uint32_t a = 0; a < C25_TRANSLATED_ENTRIES; a++) {
        const c25_decoded* d = c25_translated_entry(uint16_t(a));
        if (!d || d->length != 2) continue;
        seconds++;
        ASSERT_EQ(c25_translated_program(&cpu, uint16_t(a + 1)), 0) << std::hex << a;
        ASSERT_EQ(cpu.error_text, no_translation_at(a + 1));
    }
    EXPECT_EQ(seconds, int(539 + c25_translated_bios_counts().records));
}

TEST_F(TranslatedProgram, ChangedWordsFaultAtTheInstructionAndChangeNothing) {
    // B 0x40F2 at 0x5929: the first word, then the second.
    for (uint16_t changed : {uint16_t(0x5929), uint16_t(0x592A)}) {
        load();
        cpu.prog[changed] ^= 0x0100;
        auto before = std::make_unique<c25_state>();
        memcpy(before.get(), &cpu, sizeof cpu);
        EXPECT_EQ(c25_translated_program(&cpu, 0x5929), 0);
        EXPECT_STREQ(cpu.error_text, "TRANSLATED C25: program memory holds no translated program here at 5929");
        strcpy(before->error_text, cpu.error_text);
        EXPECT_EQ(memcmp(before.get(), &cpu, sizeof cpu), 0) << "changed word " << std::hex << changed;
    }
}

TEST_F(TranslatedProgram, LastInstructionBranches) {
    EXPECT_EQ(c25_translated_program(&cpu, 0x5929), 1) << cpu.error_text;
    EXPECT_EQ(cpu.pc, 0x40F2);
    EXPECT_EQ(cpu.operand_stream, nullptr);
}

TEST_F(TranslatedProgram, TwoWordInstructionThatDoesNotBranchEndsPastItsOperand) {
    // The program's first two-word instruction, a LALK among its set-up words.
    uint16_t pc = 0x4008;
    while (c25_translated_entry(pc)->length != 2) pc++;
    ASSERT_EQ(c25_translated_entry(pc)->op, c25_op_lalk);
    EXPECT_EQ(c25_translated_program(&cpu, pc), 1) << cpu.error_text;
    EXPECT_EQ(cpu.pc, pc + 2);
    EXPECT_EQ(cpu.acc, int16_t(c25_translated_entry(pc)->words.second));
}

TEST_F(TranslatedProgram, TwoWordInstructionPastItsStretchAndUnknownWordsAreLeftOut) {
    std::vector<uint16_t> program = synth_dsp_program_words(true);
    // The last word of the stretch 0x4008-0x493D becomes a branch's first word, and a word
    // decoding to no instruction stands in the stretch 0x49E4-0x4A00.
    program[0x493D - 0x4000] = 0xFF80;
    program[0x49E4 - 0x4000] = 0x4200;
    load(program);
    EXPECT_EQ(c25_translated_entry(0x493D), nullptr);
    EXPECT_EQ(c25_translated_entry(0x49E4), nullptr);
    EXPECT_NE(c25_translated_entry(0x49E5), nullptr);
    c25_translation_counts first = c25_translated_counts(C25_BIOS_STRETCHES);
    EXPECT_EQ(first.addresses, C25_STRETCHES[C25_BIOS_STRETCHES].instructions - 1);
    EXPECT_EQ(c25_translated_program(&cpu, 0x493D), 0);
    EXPECT_EQ(cpu.error_text, no_translation_at(0x493D));
    EXPECT_EQ(c25_translated_program(&cpu, 0x49E4), 0);
    EXPECT_EQ(cpu.error_text, no_translation_at(0x49E4));
}

TEST_F(TranslatedProgram, RepeatedStoreRunsAsOneStepThroughTheTable) {
    // RPTK 3; SAR AR1,*+ under ARP 2 in the game's first stretch.
    std::vector<uint16_t> program(0x40, C25_NOP);
    program[0x08] = 0xCB03;
    program[0x09] = 0x71A0;
    load(program);
    cpu.pc = 0x4008;
    cpu.arp = 2;
    cpu.ar[1] = 0x1234;
    cpu.ar[2] = 0x0300;
    ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    for (uint16_t a = 0x0300; a < 0x0304; a++) EXPECT_EQ(cpu.data[a], 0x1234) << a;
    EXPECT_EQ(cpu.ar[2], 0x0304);
    EXPECT_EQ(cpu.rptc, 0);
    EXPECT_EQ(cpu.steps, 2u);
}

}  // namespace
