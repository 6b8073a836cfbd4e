// Every table the system reads from the ROM set has one named writer here, with the
// board address it lives at. synth_rom_tables_write calls them all, in this order.
#pragma once
#include "tests/support/synth_rom.h"

// Program ROM 0x000000: initial SP 0x00E20000, initial PC 0x0000BC4C.
constexpr uint32_t SYNTH_RESET_SP = 0x00E20000;
constexpr uint32_t SYNTH_RESET_PC = 0x0000BC4C;
void synth_reset_vector(synth_rom_set* set);

// Wave ROM 0x010000 (kv1wavea.2l, bank 1 address 0): one period of a sine tone,
// SYNTH_WAVE_TONE_LEN linear signed 8-bit samples of peak SYNTH_WAVE_TONE_PEAK.
constexpr uint32_t SYNTH_WAVE_TONE_ADDR = 0x010000;
constexpr uint32_t SYNTH_WAVE_TONE_LEN = 64;
constexpr int SYNTH_WAVE_TONE_PEAK = 0x60;
void synth_wave_tone(synth_rom_set* set);

void synth_rom_tables_write(synth_rom_set* set);

// Big-endian stores into the program image (bounds-checked: a table that would leave
// the image is a bug in the builder and aborts).
void synth_put8(synth_rom_set* set, uint32_t addr, uint8_t v);
void synth_put16(synth_rom_set* set, uint32_t addr, uint16_t v);
void synth_put32(synth_rom_set* set, uint32_t addr, uint32_t v);
