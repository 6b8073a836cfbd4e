// Two reports on the quads the live sink keeps: the per-code depth table of
// SKYVOLTA_ZORD (which model paints over which) and the screen box of one model code
// for SKYVOLTA_BBOX (printed when a headless run ends).
#pragma once
#include "render/quad_geometry.h"

// The live sink, for each quad it receives (before any is dropped): the BBOX corners.
void bbox_note(const quad_record& quad, int32_t code);
// The live sink, for each quad it keeps: the ZORD entry of its code.
void zord_note(const quad_record& quad, int32_t code);

// Start of each frame: the box of the frame before is forgotten.
void bbox_frame_reset();
// "  [BBOX] code=... verts=... screen x[..] w=..  y[..] h=.." of the last frame drawn;
// nothing unless SKYVOLTA_BBOX names a code.
void bbox_report();

// After the frame's sort: the table sorted by each code's nearest quad, printed as
// "[ZORD]" lines (stderr), then emptied. Nothing unless SKYVOLTA_ZORD is set.
void zord_report();
