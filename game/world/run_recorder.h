// The recording of a run that the attract demo replays.
#pragma once
#include <cstdint>

// In game_state 3 only: restarts the recording of the run (snapshot of the player and
// flight words, demo header).
void run_snapshot_save();
// Per gameplay tick while the end flag is 0: the demo input records, position keys, the
// recording lamp and the map trail.
void run_recorder_tick();
// At the end of a run: the course-1 stem mailbox, the running sounds above the coin's
// slot stopped (the goal's slot keeps running), the sound parameters reset.
void run_end_cleanup();
