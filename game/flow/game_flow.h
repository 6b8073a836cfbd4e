// The game's flow around the top states: the test and service switches, coins and
// credits turned into a game start, the reset request, the stage and course timers booked
// into the settings block, the goal sequence at the end of every gameplay tick, and the
// recording of a run that the attract demo replays.
#pragma once
#include <cstdint>

// ---- Coins and credits (coins.cpp) -------------------------------------------------
// Outside game_state 7: the service button newly pressed in state 1 enters the service
// mode with the service entry flag 1; else the test switch held enters it with 0.
void test_switch_check();
// Armed flag, coin counter and coin word 0; the credit prompt's row 22.
void coin_state_reset();
// Per frame after the state dispatch, in every state but 4-7: the start button and the
// coin switches turned into a game start or the title, and the credit prompt's blink.
void coin_credit_update();
// Asks for a restart with the settings kept (reset_pending); the service mode calls it
// when it is left.
void service_flag_set();
// True while free play is on (the word at 0xE03FF4 is non-zero).
bool free_play_on();

// ---- Stage and course timers (course_timers.cpp) -----------------------------------
// Each does nothing unless timing is enabled (the high word of W 0x16950).
void course_timer_start();
void course_timer_step();
void course_timer_finish();
// At the game-over screen: books the finished game into the settings block and saves
// it; timing is off afterwards, so a second call changes nothing.
void course_timer_update();
// The service mode's bookkeeping clear: frame_counter, the totals and the 16-bit
// bookkeeping words.
void stage_state_reset();

// ---- The race's end (goal_sequence.cpp) --------------------------------------------
// Fade amount 255 and the three fade colours of event record n (ROM 0x037B38); a record
// outside the table changes nothing.
void event_record_load(int32_t n);
// Last step of every gameplay tick: the fade, the end counter, time up and the goal.
void goal_sequence_step();

// ---- The run's recording (run_recorder.cpp) ----------------------------------------
// In game_state 3 only: restarts the recording of the run (snapshot of the player and
// flight words, demo header).
void run_snapshot_save();
// Per gameplay tick while the end flag is 0: the demo input records, position keys, the
// recording lamp and the map trail.
void run_recorder_tick();
// At the end of a run: the course-1 stem mailbox, the running sounds above the coin's
// slot stopped (the goal's slot keeps running), the sound parameters reset.
void run_end_cleanup();
