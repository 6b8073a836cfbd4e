// A C25 record over its own DSP RAM with the BIOS loaded, a game DSP program uploaded
// at 0x4000 and the translated program made from both, set up as the boot does.
#pragma once
#include "dsp/c25.h"
#include "dsp/c25_bios.h"
#include "dsp/c25_translated.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

struct TranslatedFixture : testing::Test {
    std::unique_ptr<c25_state> dsp = std::make_unique<c25_state>();
    std::unique_ptr<uint32_t[]> dspram_image = std::make_unique<uint32_t[]>(C25_DSPRAM_WORDS);
    c25_state& cpu = *dsp;

    // Uploads `program` (the laid-out synthetic program by default) and translates.
    void load(const std::vector<uint16_t>& program = synth_dsp_program_words(true)) {
        c25_load_bios(&cpu);
        for (size_t j = 0; j < program.size(); j++) cpu.prog[0x4000 + j] = program[j];
        c25_translate_bios();
        c25_translate_game(cpu.prog);
        cpu.point_window_base = 0xF80000;
        cpu.pdp_enable = 1;
        cpu.translated_program = c25_translated_program;
        cpu.dspram = dspram_image.get();
        c25_reset(&cpu);
    }
    void SetUp() override { load(); }
    void TearDown() override { c25_bios_swap(nullptr); }
};
