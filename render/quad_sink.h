// The frame's quad list: every quad the live renderer emits, in arrival order, for the
// painter loop.
#pragma once
#include "render/quad_geometry.h"

constexpr int32_t FRAME_QUADS_MAX = 4096;

extern quad_record frame_quads[FRAME_QUADS_MAX];
extern int32_t frame_quad_count;

// Empties the list (start of each frame).
void frame_quads_clear();

// The live path's quad_sink: drops quads with fewer than three near vertices or nothing
// left after the guard band, stores the guard-band polygon as the near one, keeps only
// SKYVOLTA_ONLY_CODE's quads when set, and appends a copy (vertices up to their counts)
// stamped with its index and the current model code while the list has room.
void quad_sink_live(const quad_record* quad, void* data);
