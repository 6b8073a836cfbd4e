#include "game/modes/attract_sequencer.h"

#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/ranking_page.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/attract_ram.h"
#include "game/modes/attract_scenes.h"
#include "game/modes/test_env.h"
#include "game/modes/title_screen.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/run_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"

#include <cstdio>

namespace {

constexpr int32_t LAST_PHASE = 21;
constexpr int32_t SCORE_REPORT_FRAMES = 36000;
constexpr int32_t CREDIT_PALETTE = 22;  // the credit line toggles between 22 and 23
constexpr int32_t START_PRESSED = 1;
constexpr int32_t FADE_MODE_BLACK = 3;

// Phase 0: the cycle's restart before the title logo.
void attract_restart() {
    textram_clear();
    sound_stop_all();
    camera_reset();
    w_word_set(W_FOG_ENABLE, 0);
    w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_ATTRACT_TITLE_FRAMES, 0);
    w_cell_set(W_ATTRACT_PHASE, 1);
    w_cell_set(W_CREDIT_ROW, CREDIT_PALETTE + int32_t((uint32_t(w_cell(W_CREDIT_ROW)) + 1) % 2));
    attract_title_logo();
}

// Phase 8: the sprite scene's set-up.
void sprite_scene_setup() {
    textram_clear();
    fade_colour_set(0);
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_SPRITE_SCENE_FRAMES, 0);
    w_word_set(W_SPRITE_SCENE_X, SPRITE_SCENE_X);
    w_word_set(W_SPRITE_SCENE_Y, SPRITE_SCENE_Y);
    w_cell_set(W_ATTRACT_PHASE, 9);
    attract_sprite_scene_run();
}

// The page asks for the next scene itself; its end flag is not needed here.
void ranking_page_draw_phase() {
    ranking_page_draw();
}

// A phase's handler; a set-up hands over to its run phase in the frame it runs.
struct attract_phase {
    void (*handler)();
    bool setup;
};

// Phases 14 and 15 run scene b's handler as 19 does.
constexpr attract_phase PHASES[LAST_PHASE + 1] = {
    {attract_restart, true},               {attract_title_logo, false},
    {attract_flyby_setup, true},           {attract_flyby_run, false},
    {attract_demo_setup, true},            {attract_demo_run, false},
    {ranking_page_enter, true},            {ranking_page_draw_phase, false},
    {sprite_scene_setup, true},            {attract_sprite_scene_run, false},
    {attract_replay_setup, true},          {attract_replay_run, false},
    {attract_course_demo_setup, true},     {attract_course_demo_run, false},
    {attract_model_scene_b_run, false},    {attract_model_scene_b_run, false},
    {attract_model_scene_a_setup, true},   {attract_model_scene_a_run, false},
    {attract_model_scene_b_setup, true},   {attract_model_scene_b_run, false},
    {attract_flyover_setup, true},         {attract_flyover_run, false},
};

// The phase of scene-list entry `index` (0..15; outside the list, phase 0).
int32_t scene_phase(int32_t index) {
    return rom_table_word(ATTRACT_SCENE_LIST, index, 0);
}

// Two lines each time the phase differs from the one last logged. A set-up hands over
// in its frame, so only its run phase is logged, on the frame after.
void phase_log() {
    static bool logged;
    static int32_t last_phase;
    int32_t phase = w_cell(W_ATTRACT_PHASE);
    if (!test_env.attract_log || (logged && phase == last_phase)) return;
    if (phase >= 0 && phase <= LAST_PHASE && PHASES[phase].setup) return;
    logged = true;
    last_phase = phase;
    printf("[ATT] f%-5u phase W[0x0CC4]=%-3d  seq W[0x15ED0]=%-4d ctr W[0x15ECC]=%-6d W[0x15EB8]=%d\n",
           unsigned(board_memory.host_frame), phase, w_cell(W_SCENE_FADE_STEP), w_cell(W_MODEL_SCENE_FRAMES),
           w_cell(W_DEMO_SCENE_FRAMES));
    printf("      replay ptr W[0x16D7C]=%#lx  W[0x0C8C]=%ld  W[0x0D50]=%ld W[0x0D54]=%ld W[0x2C04]=%ld\n",
           (unsigned long)uint64_t(w_slot(W_DEMO_CURSOR)), long(w_cell(W_PLAY_FRAME_COUNTER)),
           long(w_cell(W_PITCH_INPUT)), long(w_cell(W_TURN_INPUT)), long(w_cell(W_PEDAL_DELTA)));
    fflush(stdout);
}

// Every 36,000 frames the bookkeeping long is reported as written; the scores file
// takes only writes that meet the score table, so nothing is saved.
void score_report() {
    int32_t counter = w_cell(W_FRAME_COUNTER);
    if (counter < w_cell(W_SCORE_REPORT_MARK)) return;
    w_cell_set(W_SCORE_REPORT_MARK, wrap_add(counter, SCORE_REPORT_FRAMES));
    scores_write_hook(int64_t(WRAM_BASE + W_FRAME_COUNTER), 4);
}

}  // namespace

void attract_init() {
    w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
    w_cell_set(W_ARMED_FLAG, 1);
    lamp_bit2_set(0);
    sound_reset_all();
    start_lamp_idle();
    title_cgram_load();
    textram_clear();
    w_word_set(W_FOG_ENABLE, 0);
    w_cell_set(W_ATTRACT_PHASE, scene_phase(w_cell(W_ATTRACT_SEQ_INDEX)));
    w_cell_set(W_GAME_STATE, 1);
    attract_run();
}

void attract_run() {
    phase_log();
    int32_t phase = w_cell(W_ATTRACT_PHASE);
    if (phase >= 0 && phase <= LAST_PHASE) PHASES[phase].handler();
    score_report();
    if (w_cell(W_START_EDGE) & START_PRESSED) attract_next_scene();
}

int32_t attract_next_scene() {
    w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
    int32_t index = int32_t((int64_t(w_cell(W_ATTRACT_SEQ_INDEX)) + 1) % ATTRACT_SCENES);
    if (index < 0) index += ATTRACT_SCENES;
    w_cell_set(W_ATTRACT_SEQ_INDEX, index);
    int32_t phase = scene_phase(index);
    w_cell_set(W_ATTRACT_PHASE, phase);
    return phase;
}
