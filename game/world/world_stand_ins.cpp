#include "game/world/world_stand_ins.h"

#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/flow/stand_in.h"

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

void terrain_flags_reset() {
    static bool seen;
    stand_in_report(seen, "terrain_flags_reset");
}

void animated_objects_reset_all() {
    static bool seen;
    stand_in_report(seen, "animated_objects_reset_all");
}

void balloon_system_init() {
    static bool seen;
    stand_in_report(seen, "balloon_system_init");
}

void balloon_state_reset() {
    static bool seen;
    stand_in_report(seen, "balloon_state_reset");
}

void moving_objects_clear() {
    static bool seen;
    stand_in_report(seen, "moving_objects_clear");
}

void flyin_path_keys_set() {
    static bool seen;
    stand_in_report(seen, "flyin_path_keys_set");
}

void terrain_lod() {
    static bool seen;
    stand_in_report(seen, "terrain_lod");
}

void race_timer_update() {
    static bool seen;
    stand_in_report(seen, "race_timer_update");
}

void objects_move_update() {
    static bool seen;
    stand_in_report(seen, "objects_move_update");
}

void hud_update() {
    static bool seen;
    stand_in_report(seen, "hud_update");
}

void terrain_chunk_visibility(int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "terrain_chunk_visibility");
}

void objects_render_master() {
    static bool seen;
    stand_in_report(seen, "objects_render_master");
}

void course3_props_emit() {
    static bool seen;
    stand_in_report(seen, "course3_props_emit");
}

void balloon_render_and_hit_check() {
    static bool seen;
    stand_in_report(seen, "balloon_render_and_hit_check");
}

void stage_camera_update() {
    static bool seen;
    stand_in_report(seen, "stage_camera_update");
}

void particles_update() {
    static bool seen;
    stand_in_report(seen, "particles_update");
}
