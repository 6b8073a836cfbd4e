// The master DSP path over the board's images: a program and point ROM holding only the
// synthetic DSP program and models (quicker to build than the whole set), DSP RAM as
// game initialisation leaves it (busy word set), SKYVOLTA_MASTER on; boots and frame
// runs with what they print captured.
#pragma once
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "dsp/c25_bios.h"
#include "dsp/master.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

inline const synth_rom_set* master_rom() {
    static const synth_rom_set* set = [] {
        synth_rom_set* s = synth_rom_new_blank();
        synth_models(s);
        synth_dsp_program(s);
        return s;
    }();
    return set;
}

struct MasterFixture : testing::Test {
    std::string out, err;  // of the last boot or frame
    const uint32_t* saved_point_rom = nullptr;
    uint32_t saved_point_count = 0;

    void SetUp() override {
        memcpy(program_rom, master_rom()->program, sizeof program_rom);
        saved_point_rom = point_rom;
        saved_point_count = point_rom_count;
        point_rom = master_rom()->point;
        point_rom_count = POINT_ROM_WORDS;
        memset(dspram, 0, sizeof dspram);
        dsp_word_set(DSP_WORD_BUSY, 1);
        setenv("SKYVOLTA_MASTER", "1", 1);
        unsetenv("SKYVOLTA_MASTERLOG");
    }
    void TearDown() override {
        master_release();
        c25_bios_swap(nullptr);
        unsetenv("SKYVOLTA_MASTER");
        unsetenv("SKYVOLTA_MASTERLOG");
        point_rom = saved_point_rom;
        point_rom_count = saved_point_count;
    }

    void capture_begin() {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
    }
    void capture_end() {
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
    }
    bool boot() {
        capture_begin();
        bool booted = master_boot("extracted");
        capture_end();
        return booted;
    }
    void frame() {
        capture_begin();
        master_run_frame();
        capture_end();
    }
    void program(const std::vector<uint16_t>& words) { synth_dsp_program_store(program_rom, words); }

    // DSP RAM as the game frame step leaves it for the frame run: the busy word clear,
    // the list handed over (list_words words, then the end code and -1) in the buffer
    // the game does not write now, word 1 set by the flip.
    void hand_over(uint32_t list_words, uint32_t game_buffer = 1) {
        uint32_t first = game_buffer ? 0x4100 : 0x6100;
        for (uint32_t i = 0; i < list_words; i++) dsp_word_set(first + i, int32_t(0x100 + i));
        dsp_word_set(first + list_words, 0x008010);
        dsp_word_set(first + list_words + 1, -1);
        dsp_word_set(DSP_WORD_BUSY, 0);
        dsp_word_set(DSP_WORD_BUFFER_INDEX, int32_t(game_buffer));
        dsp_word_set(DSP_WORD_LIST_READY, 1);
    }
    // Boots and runs one frame: the DSP rests on its IDLE, a snapshot shown.
    void boot_to_rest() {
        ASSERT_TRUE(boot()) << err;
        hand_over(1);
        frame();
        ASSERT_NE(master_output(), nullptr) << out << err;
        ASSERT_EQ(cpu().prog[cpu().pc], MASTER_IDLE_WORD);
    }
    c25_state& cpu() { return *master_driver.dsp; }
};
