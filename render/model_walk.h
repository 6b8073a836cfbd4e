// Expansion of one model of the point ROM into quads: the model table, the chunk
// pointers, the polygon records (types 13, 16, 23, 24) and the light list.
#pragma once
#include "render/quad_geometry.h"

// Expands model `code` with the current camera (geo_camera_set) into the sink.
// A pointer or chunk that leaves the point ROM ends the model with one "[GUARD]" line
// (once per model code and run).
void model_quads_emit(int32_t code, quad_sink sink, void* data);
