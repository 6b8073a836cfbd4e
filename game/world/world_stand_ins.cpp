#include "game/world/world_stand_ins.h"

#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/flow/stand_in.h"
#include "game/world/stage_start.h"

void stage_start_run() {
    static bool seen;
    stand_in_report(seen, "stage_start_run");
    w_cell_set(W_GAME_STATE, 2);  // the stage start ends in gameplay initialisation
}

void countdown_sweep(int32_t) {
    static bool seen;
    stand_in_report(seen, "countdown_sweep");
}

void countdown_sweep_camera() {
    static bool seen;
    stand_in_report(seen, "countdown_sweep_camera");
}

void stage_flyin_run() {
    static bool seen;
    stand_in_report(seen, "stage_flyin_run");
}

void course_start_position() {
    static bool seen;
    stand_in_report(seen, "course_start_position");
}

void player_rig_reset() {
    static bool seen;
    stand_in_report(seen, "player_rig_reset");
}

void run_hud_words_init() {
    static bool seen;
    stand_in_report(seen, "run_hud_words_init");
}

void animated_objects_reset_all() {
    static bool seen;
    stand_in_report(seen, "animated_objects_reset_all");
}

void moving_objects_clear() {
    static bool seen;
    stand_in_report(seen, "moving_objects_clear");
}

void flyin_path_keys_set() {
    static bool seen;
    stand_in_report(seen, "flyin_path_keys_set");
}

void race_timer_update() {
    static bool seen;
    stand_in_report(seen, "race_timer_update");
}


void objects_render_master() {
    static bool seen;
    stand_in_report(seen, "objects_render_master");
}

void stage_camera_update() {
    static bool seen;
    stand_in_report(seen, "stage_camera_update");
}











void countdown_node_aim(uint32_t, const int32_t*, int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "countdown_node_aim");
}
