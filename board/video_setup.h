// The board's video set-up: video timing and I/O registers, the first character-RAM
// contents, the fixed colour tables and CZ density tables, and the DSP control bytes
// the list consumer starts from. Run by game initialisation and the service mode.
#pragma once
#include <cstdint>

constexpr uint32_t ROM_CGRAM_INIT_COUNT = 0x40746;  // word n, then n + 1 longs at 0x40748
constexpr uint32_t ROM_CGRAM_INIT_DATA = 0x40748;
constexpr uint32_t CGRAM_BASE = 0x880000;

void video_registers_init();

// n + 1 longs from ROM into character RAM through 32-bit bus writes; longs that would
// land past character RAM are dropped with a guard line.
void cgram_init_from_rom();

// The eight analog bytes of commsram (CR_ANALOG_WORDS on) into the eight work-RAM slots
// from W_HANDLE_CENTRE_TURN on; returns 0.
int commsram_switch_bytes_copy();
