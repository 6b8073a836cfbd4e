// The Q904 chip of the sound board and the ring that carries its output from the main
// thread (where the sound CPU runs) to the audio thread's mixer.
#pragma once
#include "sound/q904.h"

#include <SDL.h>
#include <atomic>
#include <cstdint>

constexpr uint32_t CHIP_CYCLES_PER_FRAME = 192;    // sound-CPU cycles per chip output frame
constexpr double CHIP_FRAME_RATE = 85333.33333333333;  // 16,384,000 / 192
constexpr int CHIP_RING_FRAMES = 32768;
constexpr int CHIP_CHUNK_FRAMES = 512;             // frames rendered per q904_render call

// Compact, not wrapped: frames are always held from frame 0 upwards and consumed frames
// are moved out, so every read is a plain index.
struct chip_ring_buffer {
    chip_frame frames[CHIP_RING_FRAMES];
    int fill;          // frames held
    double read_pos;   // the resampler's fractional frame, counted from frame 0
    SDL_SpinLock lock; // guards the three fields above
};
extern chip_ring_buffer chip_ring;

extern q904_chip q904;

// Present: the wave ROMs loaded and the chip exists. Live: its output is heard (kept in
// the ring); while clear, rendered frames are thrown away and the mixer ignores the ring.
extern std::atomic<bool> chip_present;
extern std::atomic<bool> chip_live;

// Chip time: output frames rendered since the anchor set by the first catch-up.
struct chip_clock_state {
    uint64_t time;
    bool started;
};
extern chip_clock_state chip_clock;

// Renders the chip up to the sound CPU's cycle count (one frame per 192 cycles) into the
// ring, in chunks of at most 512 frames; the first call only anchors the clock.
void chip_catch_up(uint64_t cycles);
// Register access for the sound CPU's bus; nothing (0) without a chip.
void chip_write(uint32_t reg, uint16_t value);
uint16_t chip_read(uint32_t reg);
// Empties the ring (fill 0, read position 0) under its lock.
void chip_ring_empty();
