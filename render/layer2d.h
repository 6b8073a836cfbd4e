// The simpler 2D path the main loop draws when the frame renderer did not take this
// frame's 2D input from board RAM: the text tile map and the game's own sprite record
// list in one scrolled 1024 x 512 texture, then a fade from the first mixer bytes.
#pragma once
#include <cstdint>

// The colour of palette entry e from palette RAM; when all three channels are 0 and the
// 3D palette is set up, that palette's entry instead.
void palette_lookup_rgb(uint32_t entry, uint8_t* r, uint8_t* g, uint8_t* b);

// Creates the 2D texture (once, at start-up, with the GL context current).
void layer2d_texture_create();

// Builds the picture on the CPU (kept in layer2d_pixels), uploads and draws it when
// anything is set, and clears the game's sprite list.
void layer2d_draw();
constexpr int LAYER2D_W = 1024;
constexpr int LAYER2D_H = 512;
extern uint8_t layer2d_pixels[LAYER2D_W * LAYER2D_H * 4];

// The fallback fade: mixer +0x00..+0x02 colour, +0x03 factor; factors 1..239 draw.
void fade_quad_draw();
