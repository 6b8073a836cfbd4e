// The ending's last scenes: the good ending's group portrait of three rigged models with
// its caption and fade to white (phase 8), and the whole bad ending: the model circles,
// is thrown off and falls while the camera looks down, then the picture fades out
// (phase 9). Both jump to the END card on their last frame in gameplay.
#pragma once
#include <cstdint>

// ROM longs naming the four object lists the portrait loads, in loading order.
constexpr uint32_t ROM_PORTRAIT_LISTS[4] = {0x123C44, 0x123C3C, 0x123C38, 0x123C40};

// The caption: three tile blocks drawn into row 25 from this counter on.
constexpr int32_t CAPTION_COUNTER = 5655;
constexpr int32_t CAPTION_ROW = 25;
constexpr int32_t CAPTION_COLUMNS[3] = {17, 19, 21};

// The bad ending's debris: frames after each hit-list entry.
constexpr int32_t DEBRIS_FRAMES = 23;
// The bad ending's hit record (in W_ENDING_OBJECT): spin +0, flash angle +8, flash
// frames +12, debris angle +16, debris frames left +20, vertical speed x 256 +24.

void ending_portrait();
void ending_bad_ending();

// Aims the angle word at `angle` (and, with the next spring, the word after it) of a
// node at `node` (x, y, z longs) toward `target` (x, y, z) less `height`; the spring
// states are the longs at `state` and state + 4. All are board addresses in work RAM.
void portrait_aim_spring(uint32_t node, uint32_t angle, uint32_t state, const int32_t target[3], int32_t height,
                         int32_t bias, int32_t extra);
// The hanging three-joint limb of the node block at `block`, driven by `drive`.
void portrait_limb_solve(uint32_t block, int32_t drive);
