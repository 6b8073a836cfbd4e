#include "game/modes/service_mode.h"

// Empty until the service pages are written; nothing enters top state 6 before then
// but the host's 't' key, which then leaves the game standing in that state.
void service_mode_init() {}

void service_mode_run() {}

void testmode_vblank_hook() {}
