// The service mode in the screen harness: the synthetic ROM set, top state 6 entered
// with the test switch on, and one-frame operator actions with the switch still held.
#pragma once
#include "tests/support/screen_harness.h"

#include <cstdint>
#include <string>

constexpr int16_t HANDLE_CENTRE = 511;

// A started board with the handle centred (its cells the game's own, as the host keeps
// them) and the service mode entered: one frame in state 6 with `in` (test switch added).
void service_start(const screen_input& in = {});
// Top state 6 for the next frame.
void service_state_6();
// A frame after the test wrote work-RAM slots: they reach the byte image first, as the
// frame's own writes do at its end, so that the frame's import keeps them.
void screen_frame_after_edits(const screen_input& in = {});
// One frame of the mode: the test switch held plus `in`.
void service_frame(const screen_input& in = {});
void service_frames(int n, const screen_input& in = {});
// One-frame actions, each followed by a frame with only the test switch held.
void service_up();      // handle pitched up: cursor up
void service_down();
void service_increase();  // handle turned low: value up
void service_decrease();
void service_select();  // start
// Main-menu item k selected from the main menu (cursor at 0 after a fresh entry).
void service_open(int item);
// The test switch off: the mode is left; the next frame runs the reset.
void service_leave();

int service_page();
// The colour (cell >> 12) at (column, row).
int service_colour(int column, int row);
// Row `row` of text RAM from `column`, `n` characters.
std::string service_text(int column, int row, int n);
