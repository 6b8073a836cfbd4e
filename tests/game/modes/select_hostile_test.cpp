// Random bytes in every ROM table of the intro, the mode select, the day card and the
// course select, random stage, day, option and course words and random inputs: 3,600
// frames of these screens run without a memory or undefined-behaviour report (the
// sanitizers of the test build stop the program on one) and the game stays in them.
#include "board/board_memory.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_ram.h"
#include "tests/game/modes/select_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <random>

namespace {

struct rom_range {
    uint32_t first, end;
};
constexpr rom_range TABLES[] = {
    {0x35080, 0x3510C},             // pointer targets, base y, course map frames
    {0x35190, 0x351A0},             // handle hint tiles
    {0x35294, 0x352B4},             // the clock's tile words
    {0x398F4, 0x399A4},             // intro starts, texts, places; day cards
    {SYNTH_STAGE_TABLE_AT, SYNTH_QUOTA_DEDUCTION_AT + 4},
};
constexpr int32_t SCREENS[] = {20, 12, 22, 0};

bool on_these_screens(int32_t sub) {
    return sub <= 1 || sub == 12 || sub == 13 || (sub >= 20 && sub <= 23);
}

TEST(SelectHostile, RandomTablesAndWordsRunWithoutAFault) {
    std::mt19937 rng(31);
    auto byte = [&] { return uint8_t(rng()); };
    int frames = 0, entries = 0;
    while (frames < 3600) {
        select_setting s;
        s.sub_state = SCREENS[entries % 4];
        s.game_mode = int32_t(rng() % 3);
        s.courses_left = rng() & 0xFFFF;
        s.stage = int32_t(int16_t(rng()));
        s.day = int32_t(int16_t(rng()));
        s.continues = int32_t(rng() & 0xFFFF);
        s.course = int32_t(rng());
        s.debug_switch = rng() & 1;
        select_enter(s);
        for (const rom_range& r : TABLES)
            for (uint32_t a = r.first; a < r.end; a++) program_rom[a] = byte();
        for (const synth_block& b : SYNTH_SELECT_BLOCKS)
            for (uint32_t k = 0; k < 16; k++) program_rom[BLOCK_TABLE + 16 * uint32_t(b.number) + k] = byte();
        w_cell_set(W_MODE_SETTING, int32_t(rng() & 0xFFFF));
        select_frame_after_edits();
        entries++;
        for (int i = 0; i < 400 && on_these_screens(screen_sub_state()) && frames < 3600; i++, frames++) {
            screen_input in;
            in.switch1 = rng() % 40 == 0 ? SCREEN_START : 0;
            in.turn = int16_t(rng() % 1024);
            screen_frame(in);
        }
    }
    EXPECT_EQ(frames, 3600);
    EXPECT_GE(entries, 8);
    EXPECT_EQ(screen_state(), 3);
}

}  // namespace
