// What the last drawn frame held, for the menu: objects (model codes and their quad
// counts), billboards (world sprites matched to sprite layers) and banners (text
// blocks), each with a highlight that the frame renderer draws.
#pragma once
#include "render/quad_geometry.h"
#include "render/sprite_layer.h"

#include <cstdint>

constexpr int OBJECT_LIST_MAX = 512;
constexpr int BILLBOARD_LIST_MAX = 64;

int object_count();
// Entry i: code and quad count, or -1 and 0 out of range (either pointer may be null).
void object_info(int i, int32_t* code, int32_t* quads);
void object_highlight_set(int32_t code);  // -1: none
int32_t object_highlight_get();

int billboard_count();
// Entry i: tile, x, y, width, height, or -1 and zeros out of range; each pointer optional.
void billboard_info(int i, int32_t* tile, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
void billboard_highlight_set(int index);  // -1: none
// Index into the frame's text-block draw list; -1: none.
void banner_highlight_set(int index);

// Unsigned ascending order of 32-bit values (qsort comparison).
int compare_u32_asc(const void* a, const void* b);

// The frame renderer's builders: every distinct model code of the drawn quads (at most
// 512) with its count, sorted by code; and for each sprite call of the game's list the
// nearest unmatched sprite layer with the same key (at most 64).
void object_list_build(const quad_record* quads, int count);
void billboard_list_build(const sprite_layer* layers, int count);

// Draws the highlighted object's quads, billboard and banner over the picture (screen
// projection in place); blinks with bit 3 of the host frame.
void pick_highlights_draw(const quad_record* quads, int count);
