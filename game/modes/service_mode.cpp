#include "game/modes/service_mode.h"

#include "game/flow/stand_in.h"

// Empty until the service pages are written; the test switch or the host's 't' key
// then leaves the game standing in top state 6.
void service_mode_init() {
    static bool seen;
    stand_in_report(seen, "service_mode_init");
}

void service_mode_run() {
    static bool seen;
    stand_in_report(seen, "service_mode_run");
}

void testmode_vblank_hook() {}
