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
