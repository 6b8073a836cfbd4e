// The board's colour hardware as the game drives it: palette RAM, the mixer registers,
// the CZ (depth-cue fog) registers and density window, and the once-per-frame fade ring.
//
// Palette RAM (0x828000): planes R, G, B of 0x8000 entries; group g = entries
// 0x100 g .. 0x100 g + 0xFF; group 127 holds 16 banks of 16 colours that the game
// reloads while it runs. Mixer registers (0x824000), CZ words (0x810000) and their
// meaning: see the offsets below.
//
// Fade targets and ring (work RAM): the five fade targets amount, flags, R, G, B are
// kept whole in their own slots W 0xEB16 .. 0xEB1E (only their low byte reaches the
// mixer); the fog-enable target is the 68020 word at 0xEB20 (the upper half of that
// long, the half the screens clear). Ring k (amount, flags, R, G, B, fog) keeps its
// three entries in slots W 0xEB22 + 10k + 2i, the index in slot W 0xEB5C.
#pragma once
#include <cstdint>

// Mixer register offsets.
constexpr uint32_t MIX_COLOUR_SCALE = 0x00;  // R, G, B
constexpr uint32_t MIX_FOG_COLOUR = 0x05;    // R, G, B
constexpr uint32_t MIX_BACKGROUND = 0x08;    // R, G, B
constexpr uint32_t MIX_FOG_LEVEL = 0x0D;
constexpr uint32_t MIX_FADE_COLOUR = 0x16;   // R, G, B
constexpr uint32_t MIX_FADE_AMOUNT = 0x19;
constexpr uint32_t MIX_FADE_FLAGS = 0x1A;
constexpr uint32_t MIX_TEXT_GROUP = 0x1B;
constexpr uint32_t MIX_LUT_RED = 0x100;      // green +0x200, blue +0x300

// CZ registers (board addresses, 16-bit).
constexpr uint32_t CZ_BIAS_0 = 0x810000;     // banks 0..3 at +0, +2, +4, +6
constexpr uint32_t CZ_ENABLE = 0x810008;
constexpr uint32_t CZ_TABLE_SELECT = 0x81000A;
constexpr uint32_t CZ_BANK_MAP = 0x81000C;
constexpr uint32_t CZ_DENSITY_WINDOW = 0x810200;  // 256 words
constexpr uint32_t CZ_FOG_ON = 0x4444;

// Work-RAM offsets of the fade targets and ring.
constexpr uint32_t W_FADE_AMOUNT = 0xEB16;   // fade_control_word
constexpr uint32_t W_FADE_FLAGS = 0xEB18;
constexpr uint32_t W_FADE_RED = 0xEB1A;      // green 0xEB1C, blue 0xEB1E
constexpr uint32_t W_FOG_ENABLE = 0xEB20;    // the word there (upper half of the long)
constexpr uint32_t W_FADE_RING = 0xEB22;     // ring k entry i at + 10k + 2i
constexpr uint32_t W_FADE_RING_INDEX = 0xEB5C;

// Program-ROM tables.
constexpr uint32_t ROM_COLOUR_RAMP = 0x21B004;
constexpr uint32_t ROM_STATIC_PALETTE = 0x21B204;
constexpr uint32_t ROM_GROUP127_TRIPLES = 0x80000;
constexpr uint32_t ROM_GROUP_COLOURS = 0x3F7F0;
constexpr uint32_t ROM_ROW_COLOURS = 0x3F7F9;
constexpr uint32_t ROM_CZ_TABLES = 0x3FF06;
constexpr uint32_t ROM_PALETTE_BANKS = 0x1C4F4C;  // 16-byte records, first long the colour set
constexpr uint32_t ROM_COLOUR_SETS = 0x1C6200;    // 64 bytes: 16 x (unused, R, G, B)
constexpr int PALETTE_BANK_COUNT = 16;

// Start-up of mixer and palette: defaults, fade state, ramp, static palette, group 127
// triples, CZ registers, in that order.
void video_mixer_init();
void mixer_defaults_set();
void fade_state_reset();
void colour_ramp_load();
void static_palette_copy();
void palette_copy();
void cz_registers_init();
// Fixed palette groups 0..5, 8..126 and 127; fog colour black.
void colour_tables_init();
// The four ROM density tables through the bank window, then enable word and bank map.
void cz_table_load();

// Once per game frame: the ring entry due into the mixer and the CZ enable word; then,
// unless the display list is halted, the targets into the ring.
void mixer_fade_update();

// Background (clear) colour.
void mixer_colour_set(int red, int green, int blue);

// The game's fade colour: red, green and blue targets (W_FADE_RED on) all `level`.
void fade_colour_set(int32_t level);

// The 16 colours of the colour set named by ROM bank record n into bank b (0..15) of
// group 127, each entry marked written for the renderer.
void palette_bank_load(int n, int b);
