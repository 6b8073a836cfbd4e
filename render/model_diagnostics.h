// Debug aids for models that vanish, flicker or lose geometry: the blink and watch log
// (with a verdict: game logic or renderer), the display-list context of one model code,
// the placement list, the distance statistics of a frame, and a plain immediate-mode
// drawing of a model straight from the point ROM. Everything is off unless its
// environment switch is set; main thread only. Model codes are 0..4095.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int DIAG_CODES = 4096;

// SKYVOLTA_BLINKLOG ("1" stderr, "0" off, else a file), SKYVOLTA_BLINKGAP (8) and
// SKYVOLTA_BLINKMIN (10); writes the log's first line. Start-up.
void blink_log_open();
// Closes a log file and forgets every blink and watch record (start-up and tests).
void model_diagnostics_reset();

// The model renderer: once per emitted model, its rejected quads (behind the camera,
// culled, near-clipped) and the quads it handed to the frame.
void blink_model_seen(int32_t code);
void blink_add_quads(int32_t code, uint32_t behind, uint32_t culled, uint32_t clipped);
void blink_quads_drawn(int32_t code, uint32_t quads);
// The frame renderer at the start of each frame: the WATCH, CULLED and PARTIAL lines of
// the frame just drawn; the blink frame becomes host_frame + 1.
void blink_frame_report(uint32_t host_frame);
// "----- MARK ... -----" (pause toggles, screenshots).
void blink_log_mark(const char* text, uint32_t host_frame);

// SKYVOLTA_WATCH: "lo-hi" or one code.
void watch_parse(const char* text);
// The pause report's watch verdict and model-code list.
void watch_pause_report();
void codes_log();

// SKYVOLTA_FINDCODE (read once): the display-list words around a placement of that code.
void find_code_log(int32_t code, int32_t word, int32_t mode);

// SKYVOLTA_TRACK_MODELS: one TSV line per (state, sub-state, code) placed; then the model
// is drawn in immediate mode at (x, y, z) with the current GL matrices; the quads drawn.
int track_models_log(int32_t code, double x, double y, double z);
// The frame renderer: the shared budget of immediate-mode quads starts again.
void track_models_budget_reset();
// The immediate-mode drawing alone; returns the quads drawn.
int model_immediate_draw(int32_t code, float x, float y, float z);

// Each polygon record (point word index, word count) of the first `lists` chunks of
// model `code`, in order, while `visit` returns true; unreadable pointers end the walk.
using model_record_visit = bool (*)(uint32_t record, int32_t count, void* data);
void model_records_walk(int32_t code, int lists, model_record_visit visit, void* data);
// The box of the corners of the model's polygon records of 20..32 words (the first 500
// chunks); false when it has none.
bool model_vertex_box(int32_t code, float lo[3], float hi[3]);

// Distance samples of one frame (code, squared distance), at most 8192.
void dist_sample_add(int32_t code, double squared);
int dist_sample_count();
void dist_stats_report();
void dist_stats_flush();
int compare_double(const void* a, const void* b);

// SKYVOLTA_DIST_DUMP: true while host_frame lies in the dump window (SKYVOLTA_DIST_FROM
// and SKYVOLTA_DIST_TO, or SKYVOLTA_DIST_FRAME, 420); the file closes after it.
bool dist_dump_open();
// The open dump file (valid while dist_dump_open is true).
FILE* dist_dump_file();
