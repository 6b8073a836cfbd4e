// The attract sequencer: top states 0 and 1 of the game.
#pragma once

// Top state 0: attract set-up from attract_seq_index; sets game_state 1.
void attract_init();
// Top state 1: the attract phase dispatcher; moves on to states 10, 12, 14 or 2.
void attract_run();
