#include "game/flow/gameplay_dispatch.h"

#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/attract_demo.h"
#include "game/services/course_sounds.h"
#include "game/world/run_recorder.h"

#include "game/flow/gameplay_tick.h"
#include "game/modes/continue_screens.h"
#include "game/modes/course_select.h"
#include "game/modes/ending_phases.h"
#include "game/modes/intermission.h"
#include "game/modes/intro_screens.h"
#include "game/modes/name_entry.h"
#include "game/modes/results_screens.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/animated_objects.h"
#include "game/world/balloon_ram.h"
#include "game/world/balloons.h"
#include "game/world/camera.h"
#include "game/world/course_start.h"
#include "game/world/gameplay_state.h"
#include "game/world/moving_objects.h"
#include "game/world/node_lists.h"
#include "game/world/player_flight.h"
#include "game/world/player_rig.h"
#include "game/world/race_hud.h"
#include "game/world/stage_flyin.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/world_stand_ins.h"

#include <cstdio>
#include <initializer_list>

namespace {

constexpr int32_t COUNTDOWN_PLAY_FRAMES = -331;  // play_frame_counter reaches 0 as the race starts
constexpr int32_t FLYIN_COURSE = 3;
constexpr int32_t SOUND_GAME_OVER = 74;
constexpr int32_t SOUND_INTRO = 63;
constexpr int32_t DEMO_SCREEN_BLOCK = 246;
constexpr int32_t DEMO_SCREEN_TILE = 624;
constexpr int32_t DEMO_SCREEN_BANK = 5;

// Bits 0-2 of the byte 0xE00E2D (the low byte of the word at W 0x0E2C).
int32_t stages_byte_bits() {
    return w_word(W_COURSES_LEFT) & 7;
}

void results_tally() {
    if (w_word(W_GAME_MODE) != 0)
        results_tally_multi();
    else
        results_tally_single();
}

// Sub-state 20: words and sounds only; the intro runs from the next frame.
void intro_enter() {
    camera_reset();
    sound_stop_all();
    sound_play(SOUND_INTRO);
    w_cell_set(W_INTRO_STEP, 0);
    w_cell_set(W_INTRO_TIMER, 0);
    fade_set(0, 3, 0);
    w_cell_set(W_GAME_SUB_STATE, 21);
}

// Sub-state 22: the screen before a course of the multi-stage game, faded in from black.
void pre_course_enter() {
    w_cell_set(W_PRE_COURSE_STEP, 0);
    fade_set(0xFF, 3, 0);
    w_cell_set(W_GAME_SUB_STATE, 23);
    pre_course_screen_run();
}

// Sub-state 24: the demo flight after a game, faded in from white.
void demo_flight_screen_enter() {
    attract_demo_enter();
    w_cell_set(W_SCENE_FADE_DIR, 0);
    w_cell_set(W_DEMO_SCREEN_FRAMES, 0);
    fade_colour_set(0xFF);
    w_cell_set(W_FADE_FLAGS, 3);
    cgram_load_tile_block(DEMO_SCREEN_BLOCK, DEMO_SCREEN_TILE);
    palette_bank_load(DEMO_SCREEN_BLOCK, DEMO_SCREEN_BANK);
    w_cell_set(W_GAME_SUB_STATE, 25);
    demo_flight_screen_run();
}

void nothing() {}

}  // namespace

void game_over_enter() {
    start_lamp_idle();
    textram_clear();
    camera_reset();
    for (uint32_t w : {W_RESULTS_STEP, W_GAME_OVER_FRAMES, W_GAME_OVER_WORD, W_TIME_SCORE, W_RESULTS_POINTS_SHOWN})
        w_cell_set(w, 0);
    w_cell_set(W_RESULTS_TIMER, 63);
    sound_stop_upper();
    sound_play_or_defer(SOUND_GAME_OVER);
    w_cell_set(W_GAME_SUB_STATE, 11);
    game_over_screen();
}

void gameplay_init() {
    w_cell_set(W_GAME_STATE, 3);
    w_cell_set(W_GAME_SUB_STATE, 20);
    w_cell_set(W_ENDING_TOTAL, 0);
    w_cell_set(W_RUN_SCORE, 0);
    w_cell_set(W_RACE_POINTS, 0);  // the HUD's count only climbs: it starts with the score
    w_cell_set(W_COURSE_PAIR, 0);
    w_word_set(W_COURSES_LEFT, 0x000F);
    int32_t now = w_cell(W_FRAME_COUNTER);
    w_cell_set(W_STAGE_FRAMES, now);
    w_cell_set(W_COURSE_FRAMES, now);
    level_apply_hook();
    if (verbose_enabled()) printf("[GAMEPLAY] Init complete, entering gameplay_sub_init (sub=2)\n");
    gameplay_dispatch();
}

void gameplay_dispatch() {
    static void (*const handlers[GAMEPLAY_SUB_STATES])() = {
        course_select_init,    course_select_frame,   gameplay_sub_init,    gameplay_tick,
        gameplay_sub_init_tail, pre_race_countdown,   results_prepare,      results_tally,
        nothing,               nothing,               game_over_enter,      game_over_screen,
        mode_select_enter,     mode_select_run,       ending_init,          ending_phase_dispatch,
        name_entry_enter,      name_entry_run,        flyin_setup,          stage_flyin_run,
        intro_enter,           intro_sequence_run,    pre_course_enter,     pre_course_screen_run,
        demo_flight_screen_enter, demo_flight_screen_run, intermission_enter, intermission_run,
        continue_screen_enter, continue_screen_run,   total_screen_enter,   total_screen_run,
    };
    story_end_test_hook();
    uint32_t sub = uint32_t(w_cell(W_GAME_SUB_STATE)) & 0xFFFF;
    if (sub < uint32_t(GAMEPLAY_SUB_STATES)) handlers[sub]();
    w_cell_set(W_PLAY_FRAME_COUNTER, w_cell(W_PLAY_FRAME_COUNTER) + 1);
}

void gameplay_sub_init() {
    w_cell_set(W_PLAY_FRAME_COUNTER, COUNTDOWN_PLAY_FRAMES);
    course_start_position();
    gameplay_init_state_vars();
    w_cell_set(W_GAME_SUB_STATE, 4);
    gameplay_sub_init_tail();
}

void gameplay_sub_init_tail() {
    if (w_cell(W_COURSE_NUMBER) == FLYIN_COURSE) {
        flyin_setup();
        return;
    }
    textram_clear();
    w_cell_set(W_FADE_AMOUNT, 0);
    fade_colour_set(0);
    player_model_setup_course();
    camera_update();
    countdown_start();
    w_cell_set(W_GAME_SUB_STATE, 5);
    pre_race_countdown();
}

void flyin_setup() {
    camera_reset();
    moving_objects_clear();
    flyin_path_keys_set();
    w_cell_set(W_COURSE_NUMBER, 0);
    terrain_course_base(0);
    world_props_init(0);
    fade_set(0xFF, 3, 0xFF);
    w_cell_set(W_GAME_SUB_STATE, 19);
    stage_flyin_run();
}

void course_select_init() {
    textram_clear();
    camera_reset();
    dl_buffers_init();
    bool stage_set = w_word(W_COURSE_LEFT) != 0;
    if (!stage_set) w_cell_set(W_BALLOON_LAYOUT, 0xFFFF);
    if (w_word(W_GAME_MODE) != 1)
        course_select_setup();
    else if (stages_byte_bits() == 0)
        course_select_setup2();
    else if (stage_set)
        course_select_fade();
    else
        course_select_setup();
    w_cell_set(W_GAME_SUB_STATE, 1);
    if (w_cell(W_GAME_STATE) == 14) w_cell_set(W_GAME_STATE, 15);
    course_select_frame();
}

void course_select_frame() {
    if (w_word(W_GAME_MODE) != 1)
        course_select_stage_cursor();
    else if (stages_byte_bits() == 0)
        course_select_title();
    else if (w_word(W_COURSE_LEFT) != 0)
        course_map_draw();
    else
        course_select_stage_cursor();
}
