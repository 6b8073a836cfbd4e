// The flight recorder: while the player races (game state 3, sub-state 3) one text line
// per game frame with position, attitude, inputs and the terrain probes' results, into
// "recordings/flight_<date>_<time>.rec". Started by SKYVOLTA_RECORD, F9 or the menu.
// A recording never replaces a file: a name already taken gets "_1".."_99".
#pragma once
#include <cstddef>
#include <ctime>

// The start time of a recording's name (time() outside tests).
extern time_t (*recording_clock)();

// Stops an open recording, then opens a new file and writes its header.
void recording_start();
// Writes the END line and closes the file; nothing when none is open.
void recording_stop();
// F9 and the menu: stop when open, else start.
void recording_toggle();

bool recording_active();
const char* recording_path();  // null when none is open
int recording_frames();
int recording_contact_frames();
int recording_resets();

// At the end of each flight step, after a replay has put its record back: the target
// heading, pitch and roll, which the look-ahead probe and the avoidance search test and
// may then rewrite. The F line's hdg, pit and rol are these (the current targets when no
// flight step ran), so that a replay putting them back at the same point tests the same
// directions.
void recording_flight_sample();

// After each game step: the F line of a racing frame, flushed.
void recording_write_frame();

// Probe 0's collision faces as " S@h" / " P@h" entries (the face count clamped to
// 0..16), kept under 488 characters; gives the clamped count.
int probe_faces_text(char* out, size_t size);
