// The sounds of a course as a whole: its start sound, the levels of its slot list, and
// the reset of the whole sound layer at each gameplay initialisation.
#pragma once

// sound_play_or_defer of the course's start id (course_number W 0x0E0C, 0..3).
void course_start_sound_play();
// Parameter 0x00FF for every slot of the course's list.
void course_sounds_full();
// The course fade level rises by one up to 255; every slot of the course's list moves
// one step toward it (parameter + 1, at least the level; 0x00FF from 256 on).
void course_sounds_fade_in();

// At gameplay initialisation: the auxiliary volume words cleared; every sound stopped
// (except in attract phase 20); in a race (states 3 and 10) or an attract phase whose
// sound word is set with the attract sound on, the course's opening sounds and levels
// and the music stems' full reset; then the layer's words to their start values.
void sound_course_reset();
