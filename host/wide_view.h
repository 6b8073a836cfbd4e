// The wide view: the game's own scene builders run again for extra camera headings, the
// display-list words they write collected, and the whole game state put back as it was,
// so that the game never notices. Two users: the side fill of a widescreen picture in
// flight (two headings beside the view) and the paused view's four headings all round.
// The renderer walks the collected words as a second list. Main thread only.
#pragma once
#include <cstdint>

// The builders a capture runs, in this order; each may be null (not in this build yet),
// then it is skipped. wide_view_install sets the world's own routines.
struct wide_view_builder_set {
    void (*terrain_chunk_visibility)(int32_t x, int32_t y, int32_t z, int32_t heading);
    void (*terrain_props_dispatch)();
    void (*objects_render_master)();
    void (*balloon_render_and_hit_check)();
};
extern wide_view_builder_set wide_view_builders;

// Appends the words of each heading (16-bit angles) to the capture array; with `turn`
// the camera heading (W 0x0CEC) is set to each heading for the builders. False, with
// nothing captured, when the display-list cursor lies outside dspram or the snapshot
// cannot be had. A heading that writes more than one buffer's packet area is skipped
// with "[<name>] heading ...".
bool wide_view_capture(const int32_t* headings, int count, const char* name, bool turn);

// The side fill: headings the camera heading -/+ half the margin's angle (plus 1024), in
// flight only (game_state 3, sub-state 3 or 5), SKYVOLTA_WIDE_FILL not beginning with '0',
// margin >= 1 and distance > 0. The words and their count, else null and 0.
const int32_t* wide_fill_update(int32_t* count, double margin, double distance);
// The paused view: captured once per pause (the heading and the three quarter turns);
// null and 0 when off (SKYVOLTA_PAUSE360 beginning with '0') or not in flight.
const int32_t* pause360_update(int32_t* count);
// Every frame the game's list is walked unpaused: the next pause captures afresh.
void wide_view_reset();

// The side fill's half-angle in 16-bit angle units for a margin and distance.
int32_t wide_fill_half_angle(double margin, double distance);

// Points the renderer's hooks at the three functions above and the builders at the
// world's routines (start-up).
void wide_view_install();
