// The course sounds that follow the flight: the countdown and race-end sounds, the
// levels that follow speed, drive and climb, the contact sounds of the collision probes,
// the positional sounds of each course's areas and the one-shot sounds at fixed points;
// on course 1 a small machine that layers the music in stems through mailbox words of
// the sound RAM.
#pragma once
#include <cstdint>

// Once per gameplay tick and demo-flight frame: nothing unless the game is in state 3 or
// the attract sound long is set; while the silence word W 0x0CAC is set only the
// timing sounds run and the course's slots go quiet.
void area_sound_update();

// One step of the stem machine (states 0..4, waits between steps, the driver's
// acknowledgement word 0x22E in state 4).
void music_stem_update();
// Clears the stem mailbox words; a non-zero full also the acknowledgement and the words
// 0x226, 0x2A0-0x2A5 and 0x2C0-0x2C5.
void music_stem_reset(int32_t full);
// a and b as the parameter words of the wind record's parameter slot and the next
// (both or neither, when both lie in the parameter range).
void sound_mailbox_write(int32_t a, int32_t b);
// The idle flag W 0x15F34 := 1 when exactly 5810 frames have passed since the frame
// mark, the flag is clear and the mode setting W 0x3FFA is 1.
void idle_frames_flag_update();
