// The trace directory: after every game frame, the work-RAM byte image and DSP RAM as
// one file per frame, an index line per frame, and a description of the images, so
// that two runs can be compared frame by frame. Nothing reads a trace back.
#pragma once
#include <cstdint>

constexpr uint32_t TRACE_DIR_MAX = 511;

// Creates DIR (an existing one is reused), writes meta.json and starts frames.jsonl;
// frames above max_frame are not written (0: no limit). False with one line.
bool trace_open(const char* dir, uint32_t max_frame);
// Called by the frame step with the new value of the frame tick (W 0x0C98).
void trace_write_frame(uint32_t fc);
// Closes the index and reports the frames written.
void trace_close();
bool trace_active();
