// The attract sequence's ranking page: the first three entries of each course table
// over a slowly turning view of the player's craft, faded in and out by a 480-frame timer.
#pragma once
#include <cstdint>

constexpr int RANKING_PAGE_FRAMES = 480;
constexpr uint32_t W_PAGE_TIMER = 0x1736C;  // frames left; also the attract replay's frame count
constexpr uint32_t W_TEST_SCORE = 0x3EB4;   // ranked (initials 1, 2, 3) on a press of switch bit 0x08

// What the page needs of the game program above the board: the gameplay state set-up,
// the camera reset, the page's tile loads and the attract sequencer's next scene. Each
// does nothing until game initialisation fills it.
struct ranking_page_services {
    void (*state_vars_init)();
    void (*camera_reset)();
    void (*tiles_load)();
    void (*next_scene)();
};
extern ranking_page_services ranking_page_game;

// Sets the page up (course 2, the gameplay state, the camera reset, camera heading
// 0x5800, the player at (5120, 0xDB00, -0x8000) level, fade mode 3, the tiles, attract
// phase 7, the timer at 480, or 474 in top state 5) and draws the first frame.
void ranking_page_enter();
// One frame of the page: headings, initials blocks, scores and place blocks from the 6th
// frame on; the view turns; the fade follows the timer outside top state 5. On the frame
// the timer runs out (the 481st, counting the entry) the next scene is asked for and 1
// returned.
int ranking_page_draw();
