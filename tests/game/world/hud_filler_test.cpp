// The race HUD, the particles and a demo flight over tables of filler bytes: the arrow
// grid, the message, map, blink, digit and particle tables and the demo table hold
// whatever a ROM might, and 3,600 frames run with every word kept in its range.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/demo_flights.h"
#include "game/world/hud_ram.h"
#include "game/world/particles.h"
#include "game/world/race_hud.h"
#include "tests/support/screen_harness.h"

#include <gtest/gtest.h>


namespace {

struct rom_range {
    uint32_t address, bytes;
};

constexpr rom_range FILLED[] = {
    {0x120DF4, 0x1000}, {0x354B4, 0x20}, {0x354D4, 0x20}, {0x354F4, 0x20}, {0x35524, 0x80}, {0x35294, 0x20},
    {0x37524, 0x28},    {0x37550, 0x28}, {0x3797A, 0x16}, {0x15C328, 0x120}, {0x15C508, 0x264},
};

void rom_fill() {
    uint32_t r = 0xF111;
    for (const rom_range& f : FILLED)
        for (uint32_t i = 0; i < f.bytes; i++) {
            r = r * 1664525u + 1013904223u;
            program_rom[f.address + i] = uint8_t(r >> 24);
        }
}

TEST(HudFiller, ThreeThousandSixHundredFramesOverFillerTablesKeepEveryWordInRange) {
    screen_start();
    rom_fill();
    demo_course_start(3);
    w_cell_set(W_GAME_STATE, 3);
    w_write16(WRAM_BASE + W_BALLOONS_LEFT, 5);
    w_cell_set(W_RUN_SCORE, 900);
    hud_messages_setup();
    hud_panel_setup();
    hud_timer_init();
    for (int f = 0; f < 3600; f++) {
        dl_buffer_flip();
        if (f < 1800) demo_world_frame();
        w_cell_set(W_PLAY_FRAME_COUNTER, 600 + f);
        w_cell_set(W_PLAYER_X, 0x4000 * (f % 300) - 0x100000);
        w_cell_set(W_PLAYER_Z, 0x9000 * (f % 200) - 0x80000);
        w_cell_set(W_PLAYER_HEADING, 0x123 * f);
        w_cell_set(W_START_EDGE, f % 97 == 0);
        w_cell_set(W_CONTACT_HITS + 4 * uint32_t(f % 5), 1);
        w_cell_set(W_CONTACT_SURFACES + 4 * uint32_t(f % 5), f % 8);
        w_cell_set(W_RACE_TIMER, 3600 - f);
        hud_update();
        particles_update();
        dl_terminate();
        w_cell_set(W_FRAME_TICK, f);
        ASSERT_GE(w_cell(W_ARROW_DROP), 0);
        ASSERT_LE(w_cell(W_ARROW_DROP), 2688);
        ASSERT_GE(w_cell(W_MAP_TIMER), -1);
        ASSERT_LE(w_cell(W_MAP_TIMER), 240);
        ASSERT_GE(w_cell(W_HINT_MESSAGE), -1);
        ASSERT_LT(w_cell(W_HINT_MESSAGE), 8);
        ASSERT_LE(w_cell(W_HINT_TIMER), 240);
    }
}

}  // namespace
