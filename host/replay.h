// Flight replay: a recording's positions and attitudes forced into work RAM racing frame
// by racing frame (records matched by order, not by frame number), and the contact the
// game now computes compared with the recorded one. Loaded at start-up by
// SKYVOLTA_REPLAY; every routine does nothing once the records are used up.
#pragma once
#include <cstddef>
#include <cstdint>

// One F line of a recording; fields a line does not give are 0.
struct replay_record {
    uint32_t frame;
    int32_t x, y, z;
    int32_t euler[3];
    int32_t has_euler;
    int32_t hdg, pit, rol, spd;
    int32_t has_attitude;
    int32_t contact, floor, col;
};
static_assert(sizeof(replay_record) == 64, "a replay record is 64 bytes");

// A day of racing at 60 frames a second: a replay with more records is refused.
constexpr int REPLAY_FRAMES_MAX = 5184000;

// Test seams: how the record array is allocated (malloc), and the records a file may
// hold (REPLAY_FRAMES_MAX).
extern void* (*replay_allocate)(size_t bytes);
extern int replay_frames_max;

// Reads the F lines of a recording into one array of exactly one record per line. A
// line over 1,023 characters, an unparsable one and a truncated last line are skipped.
// False, with one message and nothing loaded, when the file cannot be opened or read
// twice, holds more than replay_frames_max records, or the array cannot be had.
bool replay_load(const char* path);
// Drops the loaded records.
void replay_unload();

// Before each game step: the record's position (and Euler angles) into both work-RAM
// images.
void replay_apply();
// During the flight step (replay_apply_attitude_hook): position, angles, heading, pitch,
// roll and speed into the game's image, unless SKYVOLTA_REPLAY_POSONLY.
void replay_apply_attitude();
// The flight step's end (replay_apply_attitude_hook, filled by replay_load and
// recording_start): a loaded replay puts its record back, then the recorder samples the
// targets that the collision is about to test.
void flight_step_end();
// After each game step: the [REPATT] and [REPLAY] lines, a [REPLAY-DIFF] when contact or
// face count disagree; the cursor moves on.
void replay_compare();

// True while records remain after the cursor.
bool replay_active();
int replay_count();
int replay_disagreed();
