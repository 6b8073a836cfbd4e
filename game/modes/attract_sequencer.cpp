#include "game/modes/attract_sequencer.h"

// Empty until the attract scenes are written: the game rests in top state 0, which
// keeps the frame step and the display list running on an empty scene.
void attract_init() {}

void attract_run() {}
