// Sound start-up and the sound board's per-frame run.
#pragma once
#include <cstdint>

constexpr uint32_t SOUND_DRIVER_ROM_SIZE = 0x80000;  // kv1data.8k
constexpr uint32_t WAVE_ROM_IMAGE_SIZE = 0x1000000;  // kv1wavea.2l at 0, kv1waveb.1l at 0x800000
constexpr uint32_t WAVE_ROM_FILE_MAX = 0x400000;
constexpr uint64_t SOUND_CYCLES_PER_FRAME = 273066;  // sound-CPU cycles per video frame

// Loads the coin effect (sfx_dir, null: "sounds"), the wave and driver ROMs from rom_dir
// (null: no chip), starts the chip model and installs the mixer as the device's
// generator, last. Failures leave the sound silent.
void audio_init(const char* sfx_dir, const char* rom_dir);

// Runs the sound board for one game frame, after the game's frame step, paused or not;
// feeds the WAV dump while no device is open.
void audio_frame();

// Starts the coin effect for id 0; other ids do nothing.
void sfx_coin_play(int id);

// Completes the WAV dump's header sizes and closes it (registered with atexit).
void audio_dump_finish();

// The sound driver image kv1data.8k as the sound CPU's bus serves it; valid while
// sound_driver_loaded() is true.
extern uint8_t sound_driver_rom[SOUND_DRIVER_ROM_SIZE];
bool sound_driver_loaded();
