#include "game/world/world_stand_ins.h"

#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/flow/digit_writers.h"
#include "game/flow/stand_in.h"
#include "game/world/demo_flights.h"
#include "game/world/race_hud.h"
#include "game/world/stage_start.h"


void player_rig_reset() {
    static bool seen;
    stand_in_report(seen, "player_rig_reset");
}

void run_hud_words_init() {
    static bool seen;
    stand_in_report(seen, "run_hud_words_init");
}

void moving_objects_clear() {
    static bool seen;
    stand_in_report(seen, "moving_objects_clear");
}

void hud_update() {
    static bool seen;
    stand_in_report(seen, "hud_update");
}

void stage_camera_update() {
    static bool seen;
    stand_in_report(seen, "stage_camera_update");
}

void particles_update() {
    static bool seen;
    stand_in_report(seen, "particles_update");
}

int32_t score_digits_draw(int32_t, int32_t shown, int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "score_digits_draw");
    return shown;
}

void hud_number_models(int32_t, int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "hud_number_models");
}

void lamp_score_sprites(int32_t, int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "lamp_score_sprites");
}

void number_sprite_draw(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
    static bool seen;
    stand_in_report(seen, "number_sprite_draw");
}

void demo_course_start(int32_t) {
    static bool seen;
    stand_in_report(seen, "demo_course_start");
}

void demo_world_frame() {
    static bool seen;
    stand_in_report(seen, "demo_world_frame");
}

void hud_sweep_map_digits() {
    static bool seen;
    stand_in_report(seen, "hud_sweep_map_digits");
}

void hud_sweep_title_models() {
    static bool seen;
    stand_in_report(seen, "hud_sweep_title_models");
}

void hud_sweep_header(int32_t) {
    static bool seen;
    stand_in_report(seen, "hud_sweep_header");
}

int32_t* object_figure_packets(int32_t, int32_t* out) {
    static bool seen;
    stand_in_report(seen, "object_figure_packets");
    return out;
}
