// The main loop's debug and automation hooks around the game step: the [COURSE] log,
// the stage start at frame 10, SKYVOLTA_LEVEL jumps and endings, SKYVOLTA_TEST_PAUSE,
// SKYVOLTA_WARP and SKYVOLTA_WARPSEQ before the step; SKYVOLTA_TEST_PAUSECAM while
// paused; SKYVOLTA_TEST_WARP after the clear. Each variable is read once, at first use.
#pragma once

struct command_line;

// Before the game step, in this order; the test pause flips the pause through the
// loop's own pause_toggle.
void loop_hooks_before_step(const command_line* cl, void (*pause_toggle)(const char* source));
// Every paused iteration: the forced pause-camera offsets.
void loop_hooks_paused();
// After the picture is cleared: the one-frame warp.
void loop_hooks_after_clear();
