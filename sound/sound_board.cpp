// The sound board: memory map, driver loading and the per-frame run of the sound CPU.
#include "sound/sound_board.h"

#include "base/env_switch.h"
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "sound/chip_ring.h"
#include "sound/chip_window_log.h"
#include "sound/snd_translated.h"
#include "sound/sound_cpu_run.h"
#include "sound/sound_diagnostics.h"
#include "sound/sound_state_hash.h"
#include "sound/sound_system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

m377_state mcu_cpu;
uint8_t mcu_iram[MCU_IRAM_SIZE];
uint8_t chip_shadow[0x1000];
mcu_timing_state mcu_timing = {0, 0, 0, UINT64_MAX};

namespace {

constexpr int32_t int0_code = 20;  // vector 0xFFF4
constexpr int32_t int2_code = 16;  // vector 0xFFF0
constexpr uint32_t chip_window = 0x2000;
constexpr uint32_t comms_window = 0x4000;
constexpr uint32_t driver_bank = 0x200000;

bool driver_loaded = false;

}  // namespace

uint8_t mcu_bus_read(void*, uint32_t address) {
    address &= 0xFFFFFF;
    if (address - MCU_IRAM_FIRST < MCU_IRAM_SIZE) return mcu_iram[address - MCU_IRAM_FIRST];
    if (address - chip_window < sizeof chip_shadow) {
        chip_catch_up(mcu_cpu.cycles);
        uint32_t i = address - chip_window;
        return uint8_t(chip_read(i >> 1) >> ((i & 1) * 8));
    }
    if (address - comms_window < 0x8000) return commsram[(address - comms_window) ^ 1];
    if (address >= 0xC000 && address <= 0xFFFF) return sound_driver_rom[address];
    if (address - driver_bank < SOUND_DRIVER_ROM_SIZE) return sound_driver_rom[address - driver_bank];
    return 0;
}

void mcu_bus_write(void*, uint32_t address, uint8_t value) {
    address &= 0xFFFFFF;
    if (address - MCU_IRAM_FIRST < MCU_IRAM_SIZE) {
        mcu_iram[address - MCU_IRAM_FIRST] = value;
    } else if (address - chip_window < sizeof chip_shadow) {
        // The low byte waits in the shadow; the high byte commits the register.
        uint32_t i = address - chip_window;
        chip_shadow[i] = value;
        chip_window_write(i, value);
        if (i & 1) {
            chip_catch_up(mcu_cpu.cycles);
            chip_write(i >> 1, uint16_t(value << 8 | chip_shadow[i - 1]));
        }
    } else if (address - comms_window < 0x8000) {
        commsram[(address - comms_window) ^ 1] = value;
    }
}

bool mcu_load_driver(const char* rom_dir) {
    driver_loaded = false;
    if (!rom_dir) return false;
    char path[512];
    snprintf(path, sizeof path, "%s/kv1data.8k", rom_dir);
    long got = rom_read_upto(rom_dir, "kv1data.8k", sound_driver_rom, SOUND_DRIVER_ROM_SIZE);
    if (got < 0) {
        fprintf(stderr, "[MCU] no %s -- the sound driver cannot run, the game will be silent\n", path);
        return false;
    }
    if (size_t(got) < SOUND_DRIVER_ROM_SIZE) {
        fprintf(stderr, "[MCU] %s is %zu bytes, expected 524288\n", path, size_t(got));
        return false;
    }
    mcu_driver_start();
    return true;
}

void mcu_driver_start() {
    memset(mcu_iram, 0, sizeof mcu_iram);
    memset(chip_shadow, 0, sizeof chip_shadow);
    m377_init(&mcu_cpu, mcu_bus_read, mcu_bus_write, nullptr);
    m377_reset(&mcu_cpu);
    snd_translated_init();
    const char* jitter_text = env_text("SKYVOLTA_SNDJITTER");
    uint64_t jitter = jitter_text ? uint64_t(strtoll(jitter_text, nullptr, 10)) : 0;
    mcu_timing = {0, jitter, jitter + MCU_HALF_FRAME_CYCLES, UINT64_MAX};
    m377_raise(&mcu_cpu, int2_code);
    m377_raise(&mcu_cpu, int0_code);
    if (env_present("SKYVOLTA_MCUSFR")) sfr_trace = true;
    mcu_cpu.trap_stray = env_present("SKYVOLTA_MCUTRAP");
    sound_diag_driver_start();
    driver_loaded = true;
    printf("[MCU] sound driver loaded (kv1data.8k), reset to PC=%04X\n", mcu_cpu.pc);
}

bool mcu_driver_loaded() {
    return driver_loaded;
}

uint64_t mcu_slice_end() {
    return mcu_timing.slice_end;
}

void mcu_frame_irqs() {
    if (mcu_cpu.cycles >= mcu_timing.int0_phase + MCU_FRAME_CYCLES) {
        mcu_timing.int0_phase += MCU_FRAME_CYCLES;
        m377_raise(&mcu_cpu, int0_code);
    }
    if (mcu_cpu.cycles >= mcu_timing.int2_phase + MCU_FRAME_CYCLES) {
        mcu_timing.int2_phase += MCU_FRAME_CYCLES;
        m377_raise(&mcu_cpu, int2_code);
    }
}

void mcu_run_frame() {
    if (!driver_loaded) return;
    m377_state* s = &mcu_cpu;
    uint64_t start = mcu_timing.last_frame_end ? mcu_timing.last_frame_end : s->cycles;
    uint64_t frame_end = start + MCU_FRAME_CYCLES, stretched_end = start + MCU_STRETCHED_CYCLES;
    mcu_timing.last_frame_end = frame_end;
    sound_diag_before_run();
    while (!s->halted && (s->cycles < frame_end ||
                          (mcu_iram[MCU_BUSY_FLAG - MCU_IRAM_FIRST] && s->cycles < stretched_end))) {
        mcu_frame_irqs();
        uint64_t slice_end = s->cycles < frame_end ? frame_end : stretched_end;
        slice_end = std::min({slice_end, mcu_timing.int0_phase + MCU_FRAME_CYCLES,
                              mcu_timing.int2_phase + MCU_FRAME_CYCLES});
        mcu_timing.slice_end = slice_end;
        mcu_idle_skip(s, slice_end);
        mcu_run_cycles(s, int32_t(std::min<uint64_t>(64, slice_end - s->cycles)));
    }
    sound_state_hash_frame();
    chip_catch_up(s->cycles);  // all of this frame's sound into the ring
    sound_diag_after_run();
    if (s->halted) {
        // Translated-program halts carry -1 and -2, printed as the 16-bit codes 0xFFFF and 0xFFFE.
        fprintf(stderr, "[MCU] unimplemented opcode 0x%03X at %06X -- driver halted\n",
                unsigned(uint16_t(s->halt_code)), s->halt_pc);
        driver_loaded = false;
    }
}
