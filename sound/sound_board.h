// The sound board around its M37702: the memory map behind the CPU's bus, loading and
// resetting the sound driver, the two frame interrupts and the per-frame run.
#pragma once
#include "sound/m37702.h"
#include "sound/sound_system.h"

#include <cstdint>

constexpr uint64_t MCU_FRAME_CYCLES = SOUND_CYCLES_PER_FRAME;  // 16,384,000 Hz / 60, truncated
constexpr uint64_t MCU_STRETCHED_CYCLES = 341332; // a busy frame may run to 1.25 frames
constexpr uint64_t MCU_HALF_FRAME_CYCLES = 136533;
constexpr uint32_t MCU_IRAM_FIRST = 0x80;
constexpr uint32_t MCU_IRAM_SIZE = 0x380;        // 0x0080-0x03FF
constexpr uint32_t MCU_BUSY_FLAG = 0xD3;         // internal-RAM byte: the driver is mid-tick

// The sound CPU.
extern m377_state mcu_cpu;
// Internal RAM (byte at MCU address a is element a - 0x80) and the last byte the CPU
// wrote at each address of the chip window 0x2000-0x2FFF.
extern uint8_t mcu_iram[MCU_IRAM_SIZE];
extern uint8_t chip_shadow[0x1000];

// Frame timing, in CPU cycles: where the last frame's run was due to end (0 before the
// first), the nominal cycles of the last INT0 and INT2 requests (each next due one frame
// later), and the end of the current run slice (all ones before the first frame).
struct mcu_timing_state {
    uint64_t last_frame_end;
    uint64_t int0_phase;
    uint64_t int2_phase;
    uint64_t slice_end;
};
extern mcu_timing_state mcu_timing;

// Reads "rom_dir/kv1data.8k" (its first 524,288 bytes) into sound_driver_rom and starts
// it; false with a message when it is missing or short.
bool mcu_load_driver(const char* rom_dir);
// Resets the board over the image already in sound_driver_rom: internal RAM and the chip
// shadow cleared, CPU reset, program translated, both frame interrupts pending
// (SKYVOLTA_SNDJITTER delays their phases), debug switches read; prints the reset PC.
void mcu_driver_start();
bool mcu_driver_loaded();

// One video frame of the sound CPU (273,066 cycles, stretched up to 341,332 while the
// busy flag is set) in slices of at most 64 cycles, with the diagnostics before and after
// the run; reports a halt and unloads the driver.
void mcu_run_frame();
// Raises INT0, then INT2, when each is due (at most one of each per call).
void mcu_frame_irqs();
uint64_t mcu_slice_end();

// The CPU's bus from 0x80 up.
uint8_t mcu_bus_read(void* user, uint32_t address);
void mcu_bus_write(void* user, uint32_t address, uint8_t value);
