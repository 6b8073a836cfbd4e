// The trace directory (meta.json, frames.jsonl, per-frame RAM images).
#pragma once
#include <cstdint>

// Opens DIR for tracing up to frame max_frame; false with one line.
bool trace_open(const char* dir, uint32_t max_frame);
void trace_close();
