// The attract sequence's ranking page: the first three entries of each course table
// over a slowly turning view of the player's craft, faded in and out by a 480-frame timer.
#pragma once

constexpr int RANKING_PAGE_FRAMES = 480;

// Sets the page up (course 2, camera heading 0x5800, the player at (5120, 0xDB00,
// -0x8000) level, fade mode 3, attract phase 7, the timer at 480, or 474 in top state 5)
// and draws the first frame.
void ranking_page_enter();
// One frame of the page: headings, initials blocks, scores and place blocks from the 6th
// frame on; the view turns; the fade follows the timer outside top state 5. Returns 1 on
// the frame the timer runs out (the attract sequencer then moves to its next scene).
int ranking_page_draw();
