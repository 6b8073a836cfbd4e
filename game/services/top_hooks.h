// What the screens need of the program's top, which lies above them: the final stage's
// fly-in, the game-over screen's entry, the attract demo's flight and the restart
// request. Each does nothing until the top fills the table at start-up.
#pragma once

struct game_top_services {
    void (*flyin_setup)();
    void (*game_over_enter)();
    void (*attract_demo_flight)();
    void (*service_flag_set)();
};
extern game_top_services game_top;
