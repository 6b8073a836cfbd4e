#include "game/modes/screen_stand_ins.h"

#include "game/flow/stand_in.h"

void results_prepare() {
    static bool seen;
    stand_in_report(seen, "results_prepare");
}

void results_tally_multi() {
    static bool seen;
    stand_in_report(seen, "results_tally_multi");
}

void results_tally_single() {
    static bool seen;
    stand_in_report(seen, "results_tally_single");
}

void game_over_screen() {
    static bool seen;
    stand_in_report(seen, "game_over_screen");
}

void mode_select_enter() {
    static bool seen;
    stand_in_report(seen, "mode_select_enter");
}

void mode_select_run() {
    static bool seen;
    stand_in_report(seen, "mode_select_run");
}

void ending_init() {
    static bool seen;
    stand_in_report(seen, "ending_init");
}

void ending_phase_dispatch() {
    static bool seen;
    stand_in_report(seen, "ending_phase_dispatch");
}

void intro_sequence_run() {
    static bool seen;
    stand_in_report(seen, "intro_sequence_run");
}

void pre_course_screen_run() {
    static bool seen;
    stand_in_report(seen, "pre_course_screen_run");
}

void demo_flight_screen_run() {
    static bool seen;
    stand_in_report(seen, "demo_flight_screen_run");
}

void continue_screen_enter() {
    static bool seen;
    stand_in_report(seen, "continue_screen_enter");
}

void continue_screen_run() {
    static bool seen;
    stand_in_report(seen, "continue_screen_run");
}

void total_screen_enter() {
    static bool seen;
    stand_in_report(seen, "total_screen_enter");
}

void total_screen_run() {
    static bool seen;
    stand_in_report(seen, "total_screen_run");
}

void story_end_test_hook() {
    static bool seen;
    stand_in_report(seen, "story_end_test_hook");
}

void course_select_setup() {
    static bool seen;
    stand_in_report(seen, "course_select_setup");
}

void course_select_setup2() {
    static bool seen;
    stand_in_report(seen, "course_select_setup2");
}

void course_select_fade() {
    static bool seen;
    stand_in_report(seen, "course_select_fade");
}

void course_select_stage_cursor() {
    static bool seen;
    stand_in_report(seen, "course_select_stage_cursor");
}

void course_select_title() {
    static bool seen;
    stand_in_report(seen, "course_select_title");
}

void course_map_draw() {
    static bool seen;
    stand_in_report(seen, "course_map_draw");
}
