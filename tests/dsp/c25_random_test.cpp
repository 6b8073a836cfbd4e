// Random program memory, DSP RAM, point addresses and registers, stepped two million
// times over exactly sized images: under the sanitizers nothing outside the record and
// the images is touched, the record keeps its invariants, and every fault text fits.
#include "dsp/c25.h"
#include "dsp/c25_arith.h"
#include "tests/support/c25_asm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

constexpr int rounds = 20;
constexpr int steps_per_round = 100000;
constexpr uint32_t point_rom_words = 0x800;

struct heap_images {
    c25_state* s = static_cast<c25_state*>(calloc(1, sizeof(c25_state)));
    uint32_t* dspram = static_cast<uint32_t*>(calloc(C25_DSPRAM_WORDS, sizeof(uint32_t)));
    uint32_t* point_rom = static_cast<uint32_t*>(calloc(point_rom_words, sizeof(uint32_t)));
    ~heap_images() {
        free(s);
        free(dspram);
        free(point_rom);
    }
};

TEST(C25Random, RandomProgramsStayInsideTheirImages) {
    heap_images h;
    ASSERT_TRUE(h.s && h.dspram && h.point_rom);
    c25_state* s = h.s;
    std::mt19937 rng(0x25C25);
    uint64_t faults = 0, pdp_runs = 0;
    size_t longest_fault = 0;
    for (int round = 0; round < rounds; round++) {
        for (uint16_t& w : s->prog) w = uint16_t(rng());
        for (uint16_t& w : s->data) w = uint16_t(rng());
        for (uint32_t i = 0; i < C25_DSPRAM_WORDS; i++) h.dspram[i] = rng();
        for (uint32_t i = 0; i < point_rom_words; i++) h.point_rom[i] = rng() & 0xFFFFFF;
        s->dspram = h.dspram;
        s->point_rom = h.point_rom;
        s->point_rom_words = point_rom_words;
        s->point_window_base = rng() & 0xFFFFFF;
        s->pdp_enable = 1;
        s->idle_enable = round & 1;
        s->bio_on_in3 = (round >> 1) & 1;
        s->translated_program = c25_test_translated;
        c25_reset(s);
        s->pc = uint16_t(rng());
        s->point_addr = rng();
        s->acc = int32_t(rng());
        for (uint16_t& ar : s->ar) ar = uint16_t(rng());
        s->prd = uint16_t(rng() & 0x3FF);
        s->imr = uint16_t(rng() & 0x3F);
        for (int i = 0; i < steps_per_round; i++) {
            bool ok = c25_step(s);
            longest_fault = std::max(longest_fault, strlen(s->error_text));
            s->error_text[0] = 0;  // a runaway list walk leaves its text on a good step
            if (!ok) {
                faults++;
                s->pc = uint16_t(s->pc + 1);  // over the word that faulted
            }
        }
        pdp_runs += s->pdp_runs;
        uint32_t marked = 0;
        for (uint8_t m : s->write_marks) marked += m;
        ASSERT_EQ(marked, s->write_count);
        ASSERT_GE(s->arp, 0);
        ASSERT_LE(s->arp, 7);
        ASSERT_LE(s->stack_depth, 8);
        ASSERT_LE(s->dspram_mode, 3u);
        ASSERT_LE(s->dp, 0x1FF);
    }
    EXPECT_GT(faults, 0u);
    EXPECT_GT(pdp_runs, 0u);
    EXPECT_LE(longest_fault, 95u);
}

TEST(C25Random, FaultTextIsCutToItsBuffer) {
    heap_images h;
    char name[300];
    memset(name, 'x', sizeof name - 1);
    name[sizeof name - 1] = 0;
    EXPECT_EQ(c25_fault(h.s, 0x1234, name), 0);
    EXPECT_EQ(strlen(h.s->error_text), 95u);
    EXPECT_EQ(strncmp(h.s->error_text, "TRANSLATED C25: xxx", 19), 0);
}

}  // namespace
