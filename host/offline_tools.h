// Offline image tools: each runs headless at start-up instead of the game and ends the
// program. The text-layer and sprite-layer tests draw one captured frame's side files
// into a PPM; the geometry dump writes every quad of a frame dump as a text line; the
// geometry test prints the quads of one model.
#pragma once
#include "host/options.h"
#include "render/quad_geometry.h"

#include <cstdio>

// Runs the first offline tool asked for (--texttest, --sprtest, --geodump, --geotest);
// true on success.
bool offline_tool_run(const command_line* cl);

int texttest_run(const layer_test& t);
int sprtest_run(const layer_test& t);
int geodump_run(const char* out, const char* dump_path);
int geotest_run(int model);

// The --geodump line writer: a quad sink whose data is a geodump_target.
struct geodump_target {
    FILE* file;
    int lines;
};
void geodump_write_quad(const quad_record* quad, void* target);
// The --geotest printer: a quad sink (data unused).
void geotest_print_quad(const quad_record* quad, void* data);

// Reads back width x height RGB of the current read buffer into a PPM, the picture's
// top row first; false when the buffer or the file cannot be had.
bool write_ppm(const char* path, int width, int height);
