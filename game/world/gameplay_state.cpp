#include "game/world/gameplay_state.h"

#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/camera_ram.h"
#include "game/services/course_sounds.h"
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
#include "game/world/moving_objects.h"
#include "game/world/node_lists.h"
#include "game/world/player_flight.h"
#include "game/world/player_rig.h"
#include "game/world/race_hud.h"
#include "game/world/run_recorder.h"
#include "game/world/stage_flyin.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/world_stand_ins.h"

#include <cstdio>
#include <initializer_list>

namespace {

constexpr int32_t OBJECT_LIST_START = 0x3637C;  // the object emitters' three records
constexpr int32_t STOP_MODEL_START = 650;
constexpr uint32_t PROBES_WITH_CONTACT = 5;

}  // namespace

void fade_set(int32_t amount, int32_t mode, int32_t colour) {
    w_cell_set(W_FADE_AMOUNT, amount);
    w_cell_set(W_FADE_FLAGS, mode);
    fade_colour_set(colour);
}

void gameplay_init_state_vars() {
    int32_t course = w_cell(W_COURSE_NUMBER);
    textram_clear();
    camera_reset();
    run_hud_words_init();
    hud_messages_setup();
    hud_panel_setup();
    hud_timer_init();
    terrain_course_base(course);
    world_props_init(course);
    player_flight_init();
    sound_course_reset();
    terrain_flags_reset();
    animated_objects_reset_all();
    balloon_system_init();
    w_word_set(W_RIG_FLAG, 1);
    player_model_load_animation(0);
    balloon_state_reset();
    if (verbose_enabled()) printf("[GAMEPLAY] gameplay_init_state_vars complete\n");

    w_cell_set(W_HALT_FLAG, 0);
    w_cell_set(W_LEVEL_ADJUST, 0);  // the end counter of the goal sequence
    for (uint32_t i = 0; i < 3; i++) w_cell_set(W_PLAYER_PREV_X + 4 * i, w_cell(W_PLAYER_X + 4 * i));
    w_cell_set(W_COURSE_WORD_E24, 0);
    w_cell_set(W_COURSE_WORD_E28, 60);
    w_cell_set(W_END_FLAG, -1);
    for (uint32_t w = W_PLAYER_SPEED_COPY; w <= 0x0D6C; w += 4) w_cell_set(w, 0);
    for (uint32_t w = W_CRANK_RATE; w <= W_SLOPE_TERM; w += 4) w_cell_set(w, 0);
    for (uint32_t w : {W_CRANK_ANGLE, W_CRANK_FRAME, W_DRIVE, W_PREV_DRIVE, W_PROP_ANGLE}) w_cell_set(w, 0);
    w_cell_set(W_COURSE_WORD_D90, 100);
    w_cell_set(W_CAMERA_PITCH, w_cell(W_PLAYER_PITCH));
    w_cell_set(W_CAMERA_HEADING, w_cell(W_PLAYER_HEADING));
    w_cell_set(W_CAMERA_ROLL, w_cell(W_PLAYER_ROLL));
    fade_set(0, 1, 0xFF);
    w_cell_set(W_COLLISION_OFF, 0);
    w_cell_set(W_COURSE_WORD_1F8C, 153);
    w_cell_set(W_CAMERA_CELL, w_cell(W_PLAYER_X) / CELL_SIZE + 8 * (w_cell(W_PLAYER_Z) / CELL_SIZE));
    for (uint32_t p = 0; p < PROBES_WITH_CONTACT; p++) {
        w_cell_set(W_CONTACT_HITS + 4 * p, 0);
        w_cell_set(W_CONTACT_SURFACES + 4 * p, 0);
    }
    w_cell_set(W_STOP_FLAG, 0);
    w_cell_set(W_STOP_MODEL, STOP_MODEL_START);
    run_snapshot_save();
    for (uint32_t w : {W_OBJECT_COMPOUND, W_OBJECT_ROTATING, W_OBJECT_PLAIN}) w_cell_set(w, OBJECT_LIST_START);
    w_cell_set(W_DL_LAST_BANK, 0);
    w_cell_set(W_TRAIL_COUNT, 0);
}
