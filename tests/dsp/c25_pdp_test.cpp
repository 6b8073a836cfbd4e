// The point-data list walker behind IN 2: every command, the end actions, index wrap,
// and the command and moved-word budgets that stop a runaway list.
#include "dsp/c25.h"
#include "dsp/c25_memory.h"
#include "tests/dsp/c25_fixture.h"
#include "tests/support/point_rom_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

constexpr uint32_t list_at = 0x100;
constexpr uint32_t list_start_word = 0x7FFF;

struct C25Pdp : C25Fixture {
    void SetUp() override {
        boot("NOP");
        ASSERT_TRUE(point_rom_array_write(t->point_rom, C25_TEST_POINT_ROM_WORDS, 5,
                                          {0x00ABCDEF, 0x00123456, 0x007FFFFF}));
    }
    void put(uint32_t at, std::initializer_list<uint32_t> words) {
        for (uint32_t w : words) t->dspram[at++ & 0x7FFF] = w;
    }
    // Lays the list at `at`, points word 0x7FFF at it and runs IN 2.
    void walk(uint32_t at, std::initializer_list<uint32_t> list) {
        put(at, list);
        t->dspram[list_start_word] = at;
        EXPECT_EQ(c25_port_in(&cpu, 2), 0u);
    }
};

struct pdp_case {
    const char* name;
    std::initializer_list<uint32_t> list;  // at list_at
    void (*setup)(c25_test_dsp& t);
    void (*check)(const c25_test_dsp& t);
};

void nothing(c25_test_dsp&) {}

const pdp_case cases[] = {
    {"a first word of 0 ends at once", {0x0000, 0xFFF5, 0xF80000, 7}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 0u); }},
    {"every end word ends", {0xFFF0, 0xFFF1, 0xFFF5, 0xF80000, 7}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 0u); }},
    {"0xFFF9 ends", {0xFFF9, 0xFFF5, 0xF80000, 7}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 0u); }},
    {"a command's upper bits are ignored", {0x1234FFF5, 0xF80002, 0x12345678, 0x0FFF4}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[2], 0x345678u); }},
    {"point-RAM store outside the window is dropped",
     {0xFFF5, 0x000005, 1, 0xFFF5, 0xFA0000, 2, 0xFFF5, 0x1F80001, 3, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.point_rom[5], 0xABCDEFu);
         EXPECT_EQ(t.cpu.point_ram[1], 3u);  // 0x1F80001 is 0xF80001 in 24 bits
     }},
    {"point fetch sign-extends, -1 outside ROM and window", {0xFFF6, 5, 0x200, 0xFFF6, 0x500000, 0x8201, 0xFFF9},
     nothing,
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.dspram[0x200], 0xFFABCDEFu);
         EXPECT_EQ(t.dspram[0x201], 0xFFFFFFFFu);  // index 0x8201 is 0x201 in 15 bits
         EXPECT_EQ(t.cpu.write_count, 2u);
     }},
    {"DSP RAM block copy sign-extends 24 bits", {0xFFF7, 0x200, 0x300, 0x10003, 0xFFF9},
     [](c25_test_dsp& t) {
         t.dspram[0x200] = 0x00800001, t.dspram[0x201] = 0x007FFFFF, t.dspram[0x202] = 0xAB123456;
         t.dspram[0x203] = 9;
     },
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.dspram[0x300], 0xFF800001u);
         EXPECT_EQ(t.dspram[0x301], 0x007FFFFFu);
         EXPECT_EQ(t.dspram[0x302], 0x00123456u);
         EXPECT_EQ(t.dspram[0x303], 0u);  // the count is the low 16 bits: 3
         EXPECT_EQ(t.cpu.write_count, 3u);
     }},
    {"an overlapping copy one word up propagates the first word", {0xFFF7, 0x200, 0x201, 4, 0xFFF9},
     [](c25_test_dsp& t) { t.dspram[0x200] = 7, t.dspram[0x201] = 8, t.dspram[0x202] = 9; },
     [](const c25_test_dsp& t) {
         for (int k = 0; k < 5; k++) EXPECT_EQ(t.dspram[0x200 + k], 7u) << k;
     }},
    {"indices wrap: a copy from 0x7FFE reads 0x7FFE, 0x7FFF and 0", {0xFFF7, 0x7FFE, 0x300, 3, 0xFFF9},
     [](c25_test_dsp& t) { t.dspram[0x7FFE] = 0x11, t.dspram[0] = 0x33; },
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.dspram[0x300], 0x11u);
         EXPECT_EQ(t.dspram[0x301], list_at);  // word 0x7FFF: the list start
         EXPECT_EQ(t.dspram[0x302], 0x33u);
     }},
    {"skip one (0xFFF8 and 0xFFFE) passes over one operand",
     {0xFFF8, 0xFFF9, 0xFFFE, 0xFFF9, 0xFFF5, 0xF80000, 5, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 5u); }},
    {"point block fetch", {0xFFFA, 5, 0x200, 3, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.dspram[0x200], 0xFFABCDEFu);
         EXPECT_EQ(t.dspram[0x201], 0x00123456u);
         EXPECT_EQ(t.dspram[0x202], 0x007FFFFFu);
         EXPECT_EQ(t.cpu.write_count, 3u);
     }},
    {"inline block store masks to 24 bits", {0xFFFB, 0xF80010, 3, 0xFF000001, 0x00800002, 3, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.cpu.point_ram[0x10], 1u);
         EXPECT_EQ(t.cpu.point_ram[0x11], 0x800002u);
         EXPECT_EQ(t.cpu.point_ram[0x12], 3u);
         EXPECT_EQ(t.cpu.write_count, 0u);
     }},
    {"point block copy from ROM", {0xFFFC, 5, 0xF80000, 2, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.cpu.point_ram[0], 0xABCDEFu);
         EXPECT_EQ(t.cpu.point_ram[1], 0x123456u);
     }},
    {"point block copy inside the window reads what it wrote", {0xFFFC, 0xF80000, 0xF80001, 3, 0xFFF9},
     [](c25_test_dsp& t) { t.cpu.point_ram[0] = 0x42; },
     [](const c25_test_dsp& t) {
         for (int k = 0; k < 4; k++) EXPECT_EQ(t.cpu.point_ram[k], 0x42u) << k;
     }},
    {"skip block passes over n words", {0xFFFD, 3, 0xFFF9, 0xFFF9, 0xFFF9, 0xFFF5, 0xF80000, 6, 0xFFF9}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 6u); }},
    {"jump goes on at its target", {0xFFFF, 0x8200, 0xFFF9}, [](c25_test_dsp& t) {
         t.dspram[0x200] = 0xFFF5, t.dspram[0x201] = 0xF80000, t.dspram[0x202] = 8, t.dspram[0x203] = 0xFFF9;
     },
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 8u); }},
    {"a jump to itself ends", {0xFFFF, list_at, 0xFFF5, 0xF80000, 9}, nothing,
     [](const c25_test_dsp& t) { EXPECT_EQ(t.cpu.point_ram[0], 0u); }},
    {"a count of 0 copies nothing and moves on by the fixed length",
     {0xFFF7, 0x200, 0x300, 0, 0xFFFA, 5, 0x300, 0, 0xFFFC, 5, 0xF80000, 0, 0xFFFB, 0xF80000, 0, 0xFFF5, 0xF80001,
      4, 0xFFF9},
     [](c25_test_dsp& t) { t.dspram[0x200] = 1; },
     [](const c25_test_dsp& t) {
         EXPECT_EQ(t.dspram[0x300], 0u);
         EXPECT_EQ(t.cpu.point_ram[0], 0u);
         EXPECT_EQ(t.cpu.point_ram[1], 4u);
         EXPECT_EQ(t.cpu.write_count, 0u);
     }},
};

TEST_F(C25Pdp, EveryCommand) {
    for (const pdp_case& c : cases) {
        SCOPED_TRACE(c.name);
        memset(t->dspram, 0, sizeof t->dspram);
        memset(cpu.point_ram, 0, sizeof cpu.point_ram);
        memset(cpu.write_marks, 0, sizeof cpu.write_marks);
        cpu.write_count = 0;
        cpu.bio = 1;
        cpu.pdp_runs = 0;
        c.setup(*t);
        walk(list_at, c.list);
        EXPECT_EQ(cpu.bio, 0);
        EXPECT_EQ(cpu.pdp_runs, 1u);
        EXPECT_STREQ(cpu.error_text, "");
        c.check(*t);
    }
}

TEST_F(C25Pdp, DisabledWalkerOnlyEnds) {
    cpu.pdp_enable = 0;
    static int done_calls;
    done_calls = 0;
    cpu.on_pdp_done = [](c25_state*) { done_calls++; };
    walk(list_at, {0xFFF5, 0xF80000, 1, 0xFFF9});
    EXPECT_EQ(cpu.point_ram[0], 0u);
    EXPECT_EQ(cpu.bio, 0);
    EXPECT_EQ(cpu.pdp_runs, 1u);
    EXPECT_EQ(done_calls, 1);
}

TEST_F(C25Pdp, ProgramWaitsOnBioAfterInTwo) {
    boot(R"(
        BIOZ low
        IN 0x60,PA2
        BIOZ low
high:   B high
low:    B low
    )");
    t->dspram[list_start_word] = 0;  // word 0 is 0: an empty list
    ASSERT_TRUE(run_to("low", 3));
    EXPECT_EQ(cpu.steps, 3u);
    EXPECT_EQ(cpu.data[0x60], 0);
    EXPECT_EQ(cpu.pdp_runs, 1u);
}

// A list that counts: a block copy shifts an array of m no-operations and a jump back
// one word down per pass, so each pass walks one no-operation less, until the jump's
// target word itself lands where the walk enters the array and ends the list. With
// `prefix` no-operations in front it carries out prefix + 199,395 commands before that
// end: 199,999 for a prefix of 604.
void lay_counting_list(c25_test_dsp* t, uint32_t prefix) {
    const uint32_t m = 629, array = 0x1000, loop = list_at + prefix;
    for (uint32_t k = 0; k < prefix; k++) t->dspram[list_at + k] = 0xFFF0;
    const uint32_t body[] = {0xFFF7, array + 1, array, m + 1, 0xFFFF, array};
    for (uint32_t k = 0; k < 6; k++) t->dspram[loop + k] = body[k];
    for (uint32_t k = 0; k < m; k++) t->dspram[array + k] = 0xFFF0;
    t->dspram[array + m] = 0xFFFF;
    t->dspram[array + m + 1] = loop;
    t->dspram[list_start_word] = list_at;
}

TEST_F(C25Pdp, CommandBudgetAllows199999Commands) {
    lay_counting_list(t.get(), 604);
    c25_port_in(&cpu, 2);
    EXPECT_STREQ(cpu.error_text, "");
    EXPECT_EQ(t->dspram[0x1000], list_at + 604);  // the end: the loop address shifted into the entry
    EXPECT_EQ(cpu.bio, 0);
}

TEST_F(C25Pdp, CommandBudgetStopsTheTwoHundredThousandth) {
    lay_counting_list(t.get(), 605);
    c25_port_in(&cpu, 2);
    EXPECT_STREQ(cpu.error_text, "PDP runaway");
    EXPECT_EQ(cpu.bio, 0);
    EXPECT_EQ(cpu.pdp_runs, 1u);
}

// The DSP goes on after a runaway; the text stays until another fault replaces it.
TEST_F(C25Pdp, CircleStopsAsRunawayAndTheProgramGoesOn) {
    boot("IN 0x60,PA2\nLACK 1");
    put(list_at, {0xFFF0, 0xFFFF, list_at});
    t->dspram[list_start_word] = list_at;
    step(2);
    EXPECT_STREQ(cpu.error_text, "PDP runaway");
    EXPECT_EQ(cpu.acc, 1);
    EXPECT_EQ(cpu.bio, 0);
    EXPECT_EQ(cpu.pdp_runs, 1u);
}

// Block copies of 65,535 words in place: 16 of them and one of n words move 1,048,560 + n.
TEST_F(C25Pdp, MovedWordBudgetStopsAtOneMebiword) {
    for (uint32_t last : {15u, 16u}) {
        SCOPED_TRACE(last);
        memset(t->dspram, 0, sizeof t->dspram);
        cpu.error_text[0] = 0;
        std::vector<uint32_t> list;
        for (int k = 0; k < 16; k++) list.insert(list.end(), {0xFFF7, 0, 0, 0xFFFF});
        list.insert(list.end(), {0xFFF7, 0, 0, last, 0xFFF9});
        for (uint32_t k = 0; k < list.size(); k++) t->dspram[list_at + k] = list[k];
        t->dspram[list_start_word] = list_at;
        c25_port_in(&cpu, 2);
        EXPECT_STREQ(cpu.error_text, last == 16 ? "PDP runaway" : "");
        EXPECT_EQ(cpu.write_count, C25_DSPRAM_WORDS);
    }
}

}  // namespace
