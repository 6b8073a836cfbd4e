// The master DSP's BIOS: our own firmware for program memory 0x0000-0x0FFF, kept as
// C25 source beside the words it assembles to. From reset it sets up the status and
// its interrupt save pointer, clears on-chip data memory, checks and clears DSP RAM,
// clears point RAM and hands off to the game's DSP program at 0x4008 through the
// branch at 0x01A8. INT0, the frame doorbell, saves what it changes, waits at 0x01C2
// while the game's busy word (DSP RAM word 0) is set and returns with interrupts on;
// TINT, RINT, XINT and TRAP return at once. AR7 is the BIOS's own register.
//
// Code stands only in the BIOS stretches of the translated program; the rest of each
// stretch is NOP filler, so every stretch decodes to its last word.
#pragma once
#include "dsp/c25.h"

#include <array>
#include <cstdint>

constexpr uint32_t C25_BIOS_WORDS = 4096;
constexpr uint16_t C25_BIOS_HANDOFF = 0x01A8;   // B 0x4008
constexpr uint16_t C25_BIOS_BUSY_WAIT = 0x01C2;  // LAC word 0, BNZ to itself
constexpr uint16_t C25_NOP = 0x5500;

// One line of the BIOS source: the address it stands at, the words it assembles to
// (length 0 for a comment, a label alone or .org) and its text.
struct c25_bios_line {
    uint16_t address;
    uint8_t length;
    uint16_t words[2];
    const char* text;
};
extern const c25_bios_line c25_bios_listing[];
extern const uint32_t c25_bios_listing_lines;

// The BIOS image: the listing's words, NOP over the rest of the BIOS stretches, 0
// elsewhere.
extern const std::array<uint16_t, C25_BIOS_WORDS> c25_bios_image;

// The image c25_load_bios copies and the translated program is made from:
// c25_bios_image, or what c25_bios_swap put in its place (a test seam; null restores).
const uint16_t* c25_bios_words();
void c25_bios_swap(const uint16_t* image);

// Copies the BIOS into program memory 0x0000-0x0FFF; the rest stays as it is.
void c25_load_bios(c25_state* s);
