// Time the render thread spends in a frame's stages: wall clock, the thread's CPU time,
// and the part of that CPU time spent inside the GL calls that carry the driver's work
// (Mesa's software GL validates state, transforms and bins vertices and copies texture
// uploads on the calling thread), so that the renderer's own work can be told from the
// driver's. Main thread only.
#pragma once

struct stage_time {
    double wall;    // seconds, monotonic clock
    double cpu;     // seconds of this thread's CPU time
    double driver;  // of cpu, seconds inside driver spans
};

// The stage clock runs only while stage_timing is set (SKYVOLTA_PERF, SKYVOLTA_PERFFRAME,
// the benchmarks); off, every reading is zero and costs nothing.
extern bool stage_timing;

// Where the three clocks stand now.
stage_time stage_clock_now();
// Adds the time from `start` to now to *sum.
void stage_clock_add(stage_time* sum, const stage_time& start);

// Bracket the GL calls that do the driver's work (draws, texture uploads, state
// changes); a span inside another counts once. Spans are measured only while
// driver_time_split is set (the frame benchmark): each one then reads the thread's CPU
// clock twice, a system call, so they are kept to about a hundred per frame.
extern bool driver_time_split;
void driver_span_begin();
void driver_span_end();
