// The optional master-DSP path (SKYVOLTA_MASTER): boots the board's TMS320C25 on the
// machine model (our BIOS to its hand-off, then the game's DSP program uploaded from
// the program ROM and run until it rests), and once per game frame rings its doorbell
// (INT0) when the game has handed over a display list, runs it until it rests again and
// publishes a snapshot of DSP RAM for the renderer (board/master_output.h). Without the
// switch, or when the boot fails, nothing here runs and the renderer expands the scene
// itself.
#pragma once
#include "board/master_output.h"
#include "dsp/c25.h"

#include <cstdint>

// Where the DSP rests between frames.
constexpr uint16_t MASTER_DOORBELL_WAIT = 0x404A;  // the game's program waits for DSP RAM word 1
constexpr uint16_t MASTER_INT0_VECTOR = 0x0002;
constexpr uint16_t MASTER_IDLE_WORD = 0xCE1F;
constexpr uint16_t MASTER_PROGRAM_BASE = 0x4000;   // program memory of the uploaded program
constexpr uint32_t MASTER_PROGRAM_WORDS_MAX = 0x4000;
constexpr uint32_t MASTER_DSPRAM_READY = 1;        // DSP RAM word 1: the doorbell
constexpr uint32_t MASTER_DSPRAM_BUSY = 0;         // word 0: the game's busy word
constexpr uint32_t MASTER_DSPRAM_INDEX = 4;        // word 4: the buffer the game writes
constexpr uint32_t MASTER_LIST_WORDS[2] = {0x4100, 0x6100};  // first words of the input lists

// Limits.
constexpr uint64_t MASTER_BIOS_STEPS = 2000000;
constexpr uint64_t MASTER_REST_STEPS = 3000000;
constexpr int32_t MASTER_STACK_LIMIT = 64;
constexpr int64_t MASTER_FAULTS_TOLERATED = 3;

struct master_driver_state {
    c25_state* dsp;        // the one DSP record; null when the path is off
    bool running;          // booted and run every frame; cleared for good when disabled
    bool parked;           // the last run stopped at one of the two waits
    bool output_valid;     // a frame has been published
    int32_t trace_level;   // 0 without SKYVOLTA_MASTERLOG, else its number + 1
    int64_t frames;        // successful frame runs
    int64_t faults;        // failed frame runs, over the whole run
};
extern master_driver_state master_driver;

// Boots the DSP when SKYVOLTA_MASTER holds a non-zero number; false keeps the built-in
// expansion. The ROM images are loaded by then: the directory is not read again.
bool master_boot(const char* rom_dir);

// Once per game frame, after the display-list flip: the doorbell and a run to rest.
void master_run_frame();

// The path is booted and has not been disabled.
bool master_active();

// Runs the DSP until it rests: parked at the doorbell wait (0x404A, word 1 clear) or the
// BIOS busy wait (0x01C2, word 0 set) before a step, or after executing an IDLE, PC left
// on it. False on a failing step or after 3,000,000 steps, with one "[MASTER]" line.
bool master_step_to_idle(uint64_t* steps_out);

// Frees the record and puts the path back to off, nothing published.
void master_release();
