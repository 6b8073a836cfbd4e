// The screens from a game start to the race in the screen harness: a started board in
// gameplay at a chosen sub-state, with the words these screens read set first, and
// readers for what they leave (display-list markers and objects, sounds).
#pragma once
#include "tests/support/screen_harness.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int16_t HANDLE_CENTRE = 511;
constexpr int16_t HANDLE_LOW = 300, HANDLE_HIGH = 720;  // turn below / above the centre's band

// What the screens are entered with.
struct select_setting {
    int32_t sub_state = 0;
    int32_t game_mode = 0;
    uint32_t courses_left = 0xF;  // bit c: course c still to fly
    int32_t stage = 0, day = 0;   // the two words of W 0x0E64
    int32_t continues = 0;        // the stage-continue word W 0x0E6A
    int32_t course = 0;
    bool debug_switch = false;    // DIP bit 4
    int32_t quota_index = 0;      // the settings' quota-table index W 0x3FFA
};

// A started board with the handle centred, one frame run, then top state 3 at the setting's sub-state with its
// words in both work-RAM images: the next screen_frame runs that sub-state.
void select_enter(const select_setting& s);
// A frame after the test wrote work-RAM slots (they reach the byte image first).
void select_frame_after_edits(const screen_input& in = {});
// Frames with `in` until the sub-state differs from `sub`, at most `limit`; the count.
int select_frames_while(int32_t sub, int limit, const screen_input& in = {});

// Handle turned low (the cursor on) or high (back) for one frame, then centred.
void select_turn(int16_t turn);
// Start for one frame, then released.
void select_start_press();

// The headless picture against golden/<name>.png beside test_file; empty when equal or
// when no GL window can be opened.
std::string select_golden_check(const char* test_file, const char* name);

// A packet of the current display-list buffer.
struct dl_packet {
    int32_t code, prio, model, x, y, z;
};
// The 0x8000 markers and 0x8002 objects of the current buffer, in order.
std::vector<dl_packet> select_packets();
// The models of `packets` (in order) whose model lies in first..last.
std::vector<int32_t> select_models(const std::vector<dl_packet>& packets, int32_t first, int32_t last);
// The parameter word last written for sound `id` (0 after select_sound_clear).
uint32_t select_sound_param(int32_t id);
// The command word of sound id's slot.
uint32_t select_sound_command(int32_t id);
void select_sound_clear();
