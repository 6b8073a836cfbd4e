// The ending (gameplay sub-states 14 and 15): one frame counter for the whole ending,
// thirteen phases on it, the roll of texts and models put up from the counter, the
// re-entry into the last course, the END card and the host's story-end test drive.
#pragma once
#include <cstdint>

// Sub-state 14: sets up the ending and runs its first frame.
void ending_init();
// Sub-state 15: one frame of the ending.
void ending_phase_dispatch();
// Before every gameplay sub-state: the SKYVOLTA_TEST_HISCORE and _STORYEND drives.
void story_end_test_hook();

// The frame's header and roll: texts into the text layer, models into the list, and
// the text layer's scroll.
void ending_roll_emit();
// Phase 11: back into the last course with a fly-in and a new race.
void ending_re_enter();
// Phase 12: the END card, which hands over to the results.
void ending_end_card();

// The counter value at which phase p ends (p = -1 .. 12; 0 outside the table).
int32_t ending_phase_end(int32_t p);
// The phase word := phase p at counter c.
void ending_phase_set(int32_t p, int32_t c);
// The counter of the ending's mode word (its low half).
int32_t ending_counter_now();
