#include "game/flow/gameplay_tick.h"

#include "base/run_flags.h"
#include "board/area_environment.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/course_sounds.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/balloons.h"
#include "game/world/camera.h"
#include "game/world/collision_driver.h"
#include "game/world/course_start.h"
#include "game/world/goal_sequence.h"
#include "game/world/moving_objects.h"
#include "game/world/particles.h"
#include "game/world/player_flight.h"
#include "game/world/player_rig.h"
#include "game/world/race_hud.h"
#include "game/world/run_recorder.h"
#include "game/world/scenery_objects.h"
#include "game/world/stage_start.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"

#include <cstdio>

namespace {

constexpr int32_t DEAD_ZONE = 80;
constexpr int32_t FULL_DEFLECTION = 192;
constexpr int32_t INPUT_SCALE = 170;
constexpr int32_t INPUT_MAX = 32640;
constexpr int32_t COURSE_WITH_EXTRA_PROPS = 3;
constexpr int32_t VERBOSE_TICKS = 3;

constexpr int32_t COUNTDOWN_SOUND = 10;
constexpr int32_t COUNTDOWN_PARAMETER = 134;  // minus the seconds left
constexpr int32_t DIGIT_SHOWN_BELOW = 180;
constexpr int32_t DIGIT_TILE = 339;           // plus the seconds left
constexpr int32_t DIGIT_X = 240, DIGIT_Y = 144, DIGIT_SIZE = 32, DIGIT_LAYER = 1;

int32_t timer;
int32_t ticks_logged;

// "  [GT] <step>..." during the first ticks with SKYVOLTA_VERBOSE.
void step(const char* name) {
    if (verbose_enabled() && ticks_logged < VERBOSE_TICKS) printf("  [GT] %s...\n", name);
}

int32_t dead_zoned(int32_t d) {
    return d > DEAD_ZONE ? d - DEAD_ZONE : d < -DEAD_ZONE ? d + DEAD_ZONE : 0;
}

void camera_chunk_visibility() {
    terrain_chunk_visibility(w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING));
}

void world_step() {
    step("terrain_lod");
    terrain_lod();
    flight_input_update();
    step("player_render_stub");
    player_render_stub();
    if (w_cell(W_END_FLAG) == 0) run_recorder_tick();
    race_timer_update();
    step("player_bounds_check");
    player_bounds_check();
    step("objects_move_update");
    objects_move_update();
    step("world_grid+render_all");
    player_cell_update();
    collision_update();
    step("camera_update");
    camera_update();
    camera_grid_cell_update();
    step("0x00E016");
    hud_update();
    step("terrain_chunk_visibility");
    camera_chunk_visibility();
    step("terrain_props_dispatch");
    terrain_props_dispatch();
    step("player_render");
    player_render();
    step("objects_render_master");
    objects_render_master();
    if (w_cell(W_COURSE_NUMBER) == COURSE_WITH_EXTRA_PROPS) course3_props_emit();
    step("balloon_render");
    balloon_render_and_hit_check();
    step("stage_camera+env+wind+particle");
    area_sound_update();
    area_env_update();
    start_lamp_blink(start_lamp_pattern());
    particles_update();
    goal_sequence_step();
    if (verbose_enabled() && ticks_logged < VERBOSE_TICKS) printf("  [GT] gameplay_tick COMPLETE\n");
    ticks_logged++;
}

}  // namespace

void gameplay_tick() {
    if (w_cell(W_HALT_FLAG) == 0) world_step();
    game_nop();
}

int32_t flight_input_from_difference(int32_t difference) {
    int32_t d = dead_zoned(difference);
    if (d < -FULL_DEFLECTION) return -INPUT_MAX;
    if (d > FULL_DEFLECTION) return INPUT_MAX;
    return d * INPUT_SCALE;
}

void flight_input_update() {
    int32_t p = int32_t(uint32_t(w_cell(W_HANDLE_PITCH)) - uint32_t(w_cell(W_HANDLE_CENTRE_PITCH)));
    int32_t t = int32_t(uint32_t(w_cell(W_HANDLE_TURN)) - uint32_t(w_cell(W_HANDLE_CENTRE_TURN)));
    w_cell_set(W_PITCH_INPUT, flight_input_from_difference(p));
    w_cell_set(W_TURN_INPUT, -flight_input_from_difference(t));
}

int32_t start_lamp_pattern() {
    int32_t speed = w_cell(W_PLAYER_SPEED);
    if (w_cell(W_STOP_FLAG) != 0 || w_cell(W_END_FLAG) != 0 || speed < 0) return 0;
    if (w_cell(W_SLOPE_TERM) > 16) return 6;
    int32_t b = w_cell(W_LAMP_FLIGHT_WORD) / 6 + speed / 1536;
    return b < 6 ? b : 5;
}

void countdown_start() {
    timer = COUNTDOWN_FRAMES;
}

int32_t countdown_timer() {
    return timer;
}

void pre_race_countdown() {
    objects_move_update();
    collision_update();
    countdown_sweep_camera();
    camera_chunk_visibility();
    player_render();
    terrain_props_dispatch();
    hud_update();
    objects_render_master();
    countdown_sweep(timer);
    balloon_render_and_hit_check();
    if (timer < DIGIT_SHOWN_BELOW)
        sprite_call(DIGIT_LAYER, DIGIT_TILE + timer / 60, DIGIT_X, DIGIT_Y, 0, DIGIT_SIZE, DIGIT_SIZE, 0, 1);
    if (timer <= DIGIT_SHOWN_BELOW && timer % 60 == 0)
        sound_play_p(COUNTDOWN_SOUND << 16 | (COUNTDOWN_PARAMETER - timer / 60));
    if (--timer >= 0) return;

    static bool logged;
    player_model_load_animation(0);  // the rig back to its flight set
    w_cell_set(W_END_FLAG, 0);
    int32_t state = w_cell(W_GAME_STATE);
    if (state == 3) {
        w_cell_set(W_GAME_SUB_STATE, 3);
        course_start_sound_play();
    } else {
        w_cell_set(W_GAME_SUB_STATE, 0);
    }
    ticks_logged = 0;
    if (!verbose_enabled() || logged) return;
    logged = true;
    if (state == 3)
        printf("[GAMEPLAY] sub=5 timer expired, advancing to sub=3 (gameplay_tick) state=%d\n", state);
    else
        printf("[GAMEPLAY] sub=5 timer expired, advancing to sub=0 state=%d\n", state);
}
