// Routines of the game world that another part of this build will provide; until then
// each reports once that it is not in this build (stand_in_report) and does nothing
// more, except where its comment says what it keeps the game doing.
#pragma once

// The player's rig back to flight as the race starts.
void player_rig_reset();
// The run and HUD words at course start.
void run_hud_words_init();
// The moving-object tables, cleared before the fly-in.
void moving_objects_clear();
