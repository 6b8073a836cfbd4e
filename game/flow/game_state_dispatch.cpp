#include "game/flow/game_state_dispatch.h"

#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram_cell.h"
#include "game/flow/attract_demo.h"

#include "game/flow/gameplay_dispatch.h"
#include "game/modes/attract_sequencer.h"
#include "game/modes/service_mode.h"
#include "game/modes/title_screen.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/stage_start.h"

namespace {

constexpr int32_t STATE8_TIMER = 600;
constexpr int32_t ATTRACT_ONE_TIME_ENTRY = 15;

}  // namespace

void game_state_dispatch(int32_t state) {
    static void (*const handlers[GAME_STATES])() = {
        attract_init,        attract_run,        gameplay_init, gameplay_dispatch,  stage_start_prepare, stage_start_run,
        service_mode_init,   service_mode_run,   state8_timer,  state9_to_attract,  attract_demo_enter,  attract_demo_flight,
        title_enter,         title_logo,         course_select_init, course_select_frame,
    };
    if (state < 0 || state >= GAME_STATES) return;
    handlers[state]();
}

void stage_start_prepare() {
    textram_clear();
    w_cell_set(W_FADE_AMOUNT, 0);
    start_lamp_idle();
    sound_stop_all();
    // A mixer colour from the frame count: its low byte in each component.
    int tick = w_cell(W_FRAME_TICK) & 0xFF;
    mixer_colour_set(tick, tick, tick);
    w_cell_set(W_GAME_STATE, 5);
    w_cell_set(W_STAGE_START_SUB_STATE, 0);
}

void state8_timer() {
    textram_clear();
    w_cell_set(W_STATE8_TIMER, STATE8_TIMER);
    w_cell_set(W_GAME_STATE, 9);
}

void state9_to_attract() {
    w_cell_set(W_GAME_STATE, 0);
    w_cell_set(W_ATTRACT_SEQ_INDEX, ATTRACT_ONE_TIME_ENTRY);
}
