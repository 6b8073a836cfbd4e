// The ending end to end: the staff roll's picture, and a whole ending over random bytes
// in every table and list it reads.
#include "tests/game/modes/ending_fixture.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_phases.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <random>

namespace {

TEST(EndingPictures, StaffRollMidScroll) {
    ending_start(1);
    ending_jump(3, 2145);
    for (int i = 0; i < 200; i++) {
        w_cell_set(W_FADE_AMOUNT, 0);  // the fly-in's fade-in is not part of this test
        ending_frame();
    }
    EXPECT_EQ(ending_phase(), 3);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_staff_roll"), "");
}

// Every ROM range the ending reads as records, lists or texts.
constexpr uint32_t ENDING_TABLES[][2] = {
    {0x37A60, 0x37B38},  // phase ends, scene packet lists, scene records
    {0x37B98, 0x37BB0},  // roll animation steps
    {0x37C00, 0x38560},  // the phases' records and lists
    {0x38560, 0x39500},  // roll records, texts, colour words
    {0x36414, 0x36480},  // scene object models and object records
    {0x123C38, 0x123C50},
    {0x1C5540, 0x1C55B0},  // the portrait caption's tile blocks 96..106
    {0x1FE800, 0x1FF000},  // the portrait's object lists and node records
    {0x37B38, 0x37C00},                                // event records the fly-in loads
    {SYNTH_FLIGHT_DATA, SYNTH_FLIGHT_DATA + 0x100},  // the flight phases' node records
};

TEST(EndingHostile, RandomTablesRunAWholeEndingCleanly) {
    std::mt19937 random(34);
    for (int round = 0; round < 2; round++) {
        ending_board(round == 0 ? 1 : 2);
        for (const auto& range : ENDING_TABLES)
            for (uint32_t a = range[0]; a < range[1]; a++) program_rom[a] = uint8_t(random());
        ending_init();
        int32_t* area = dl_packet_area(dl_buffer_current());
        for (int32_t frame = 0; frame < 8000; frame++) {
            // Random phase ends may hold a phase: every phase gets its share.
            // The second round enters each phase at its own first counter.
            int32_t p = frame / 600;
            if (frame % 600 == 0) ending_phase_set(p, round == 0 || p == 0 ? frame : SYNTH_PHASE_ENDS[p - 1]);
            wram_long_set(W_GAME_SUB_STATE, 15);
            dl_cursor_set(area);
            ending_phase_dispatch();
            int32_t* cursor = dl_cursor_get();
            ASSERT_TRUE(cursor >= area && cursor <= reinterpret_cast<int32_t*>(dspram + sizeof dspram)) << frame;
        }
    }
}

}  // namespace
