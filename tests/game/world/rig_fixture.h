// The rig's tests: the board as after start-up with the synthetic program ROM, the
// cursor at the packets of buffer 0, the player in a race (game state 3) beside the
// camera, and the synthetic rider loaded.
#pragma once
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/player_rig.h"
#include "tests/board/dl_fixture.h"

class RigTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_PLAYER_X, 100000);
        w_cell_set(W_PLAYER_Y, 50000);
        w_cell_set(W_PLAYER_Z, 200000);
        camera_at(90000, 49000, 190000);
        player_model_load_animation(0);
    }
    static int32_t word(uint32_t w) { return int16_t(uint16_t(w_read16(WRAM_BASE + w))); }
    static void word_set(uint32_t w, int32_t v) { w_write16(WRAM_BASE + w, uint32_t(v) & 0xFFFF); }
    static int32_t node(uint32_t k, uint32_t field) { return w_cell(rig_node(k) + field); }
    // A new frame's list: the cursor back at the packets.
    void frame_start() { cursor_at(PACKETS0); }
};
