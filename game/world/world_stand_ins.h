// Routines of the game world that another part of this build will provide; until then
// each reports once that it is not in this build (stand_in_report) and does nothing
// more, except where its comment says what it keeps the game doing.
#pragma once

// The run and HUD words at course start.
void run_hud_words_init();
