// The attract sequencer: top states 0 and 1 of the game. A fixed cycle of scenes from
// the scene list in the program ROM (ROM 0x3510C), each a set-up phase and a run phase
// (attract_scenes.h); Start skips to the next scene. Attract ends only when the coin
// logic changes the top state.
#pragma once
#include <cstdint>

// Top state 0: attract set-up from attract_seq_index (kept); sets game_state 1 and runs
// the first frame.
void attract_init();
// Top state 1: the phase dispatch, the score report every 36,000 frames and Start.
void attract_run();
// Ends the current scene: the scene flag cleared, the index advanced modulo 15 and the
// phase of its entry loaded and returned.
int32_t attract_next_scene();
