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

// Sound driver kv1data.8k 0xC000-0xFFFF (MCU bank 0): the runnable synthetic driver of
// tests/support/synth_sound_driver.h.
void synth_sound_driver(synth_rom_set* set);

// Program ROM 0x21B204: the static palette of groups 1..127, 0x300 bytes per group
// (256 red, 256 green, 256 blue bytes); entry j of group k is
// synth_static_palette_colour(k, j).
constexpr uint32_t SYNTH_STATIC_PALETTE_ADDR = 0x21B204;
void synth_static_palette(synth_rom_set* set);
void synth_static_palette_colour(uint32_t group, uint32_t entry, uint8_t* rgb);

// Program ROM 0xB85B4: the count word of the palette groups replaced from group 116 on,
// and 0xB5EC0: their RGB triples, entry after entry, 0x300 bytes per group; entry j of
// group g = (255 - j, g, 0x5A).
constexpr uint32_t SYNTH_PALETTE_OVERRIDE_COUNT_ADDR = 0xB85B4;
constexpr uint32_t SYNTH_PALETTE_OVERRIDE_ADDR = 0xB5EC0;
constexpr uint16_t SYNTH_PALETTE_OVERRIDE_GROUPS = 4;
void synth_palette_override(synth_rom_set* set);

// Point ROM models and texture ROM tiles (synth_rom_models.cpp). Word c of the point ROM
// starts the chunk-pointer list of model code c (display-list number + 69); the lists
// and chunks lie from word SYNTH_MODEL_DATA on.
constexpr int32_t SYNTH_MODEL_CUBE = 70;    // six faces, back-face culled, each textured
                                            // in another texel format
constexpr int32_t SYNTH_MODEL_GROUND = 71;  // one flat textured quad in y = 0
constexpr int32_t SYNTH_MODEL_LIT = 72;     // lit quads (types 13 and 16)
constexpr int32_t SYNTH_MODEL_DEPTH = 73;   // type-24 quads with depth-offset words
constexpr uint32_t SYNTH_MODEL_DATA = 0x170000;
constexpr int32_t SYNTH_CUBE_HALF = 0x8000;     // cube corners at +-0x8000
constexpr int32_t SYNTH_GROUND_HALF = 0x10000;  // ground corners at x, z = +-0x10000
constexpr int32_t SYNTH_FLAT_HALF = 0x1000;     // lit and depth quads: squares in z = 0
// Cube face k (0 -z, 1 +z, 2 -x, 3 +x, 4 -y, 5 +y) has palette SYNTH_CUBE_PALETTE + k
// (colour bits 8-14) and default brightness 0x80.
constexpr uint32_t SYNTH_CUBE_PALETTE = 0x10;
constexpr uint32_t SYNTH_CUBE_FORMAT[6] = {0x0, 0x2, 0x3, 0x4, 0x7, 0xA};
// Lit model: chunk 1 = two type-13 records, then two quads; chunk 2 = a type-16 record,
// then one quad. Normals (y only; x = z = 0) of the three lighting records:
constexpr int16_t SYNTH_LIT_NORMAL_Y[3][4] = {
    {0x7FFF, -0x7FFF, 0, 0x4000}, {0x2000, 0x6000, 0x1000, 0x7FFF}, {0x1000, 0x2000, 0x3000, 0x4000}};
// Depth model: quad 1 has the absolute depth word 0x200000 | SYNTH_DEPTH_ABSOLUTE and
// takes its corner brightness from the texture words (flag bit 6, bits 16-23 =
// SYNTH_DEPTH_TEX_BRIGHT[k]); quad 2 has offset SYNTH_DEPTH_OFFSET and priority +3.
constexpr int32_t SYNTH_DEPTH_ABSOLUTE = 0x1234;
constexpr int32_t SYNTH_DEPTH_OFFSET = -0x100;
constexpr uint32_t SYNTH_DEPTH_PRIO_ADD = 3;
constexpr uint32_t SYNTH_DEPTH_TEX_BRIGHT[4] = {0x11, 0x22, 0x33, 0x44};

// Texture ROM tiles (tile t at byte t * 256) and tile-map entries of bank SYNTH_TEX_BANK.
constexpr uint32_t SYNTH_TEX_BANK = 1;
constexpr uint32_t SYNTH_TILE_8BIT = 0x0100;   // texel (c, r) = r * 16 + c
constexpr uint32_t SYNTH_TILE_4BIT = 0x0101;   // c << 4 | r (formats 2 and 3)
constexpr uint32_t SYNTH_TILE_2BIT = 0x0102;   // fields from bit 6 down: c & 3, r & 3,
                                               // (c + r) & 3, 3 - (c & 3) (formats 4-7)
constexpr uint32_t SYNTH_TILE_LIGHT = 0x0103;  // every texel 0xC0
constexpr uint32_t SYNTH_TILE_DARK = 0x0104;   // every texel 0x40
// Tile row 0 of the bank (v 0..15): one tile per 16 texels of u, with these attributes.
constexpr uint32_t SYNTH_TEX_U_8BIT = 0;        // SYNTH_TILE_8BIT, attribute 0
constexpr uint32_t SYNTH_TEX_U_VFLIP = 16;      // SYNTH_TILE_8BIT, attribute 2
constexpr uint32_t SYNTH_TEX_U_HFLIP = 32;      // SYNTH_TILE_8BIT, attribute 4
constexpr uint32_t SYNTH_TEX_U_TRANSPOSE = 48;  // SYNTH_TILE_8BIT, attribute 8
constexpr uint32_t SYNTH_TEX_U_UPPER = 64;      // SYNTH_TILE_8BIT, attribute 1 (beyond the ROM)
constexpr uint32_t SYNTH_TEX_U_4BIT = 80;       // SYNTH_TILE_4BIT, attribute 0
constexpr uint32_t SYNTH_TEX_U_2BIT = 96;       // SYNTH_TILE_2BIT, attribute 0
constexpr uint32_t SYNTH_TEX_U_ALLFLIP = 112;   // SYNTH_TILE_8BIT, attribute 0xE
// The ground's 64 x 64 texels from (0, 16): a 4 x 4 checker of the light and dark tiles,
// light where tile column + row is even.
constexpr uint32_t SYNTH_TEX_GROUND_U = 0;
constexpr uint32_t SYNTH_TEX_GROUND_V = 16;
constexpr uint32_t SYNTH_TEX_GROUND_SIZE = 64;
void synth_models(synth_rom_set* set);

// Program ROM 0x20B000: 16385 (sin, cos) 1.15 pairs of the angles -4, 0, 4, ... 0xFFFC
// (sine_table proper starts at 0x20B004).
void synth_sine_table(synth_rom_set* set);
// Program ROM 0x200000: 1025 angles atan(i / 1024) (0x10000 a turn).
void synth_atan_table(synth_rom_set* set);
// Program ROM 0x200802: 32 x 32 angles atan2(row, column), row 64 bytes.
void synth_atan_coarse_table(synth_rom_set* set);
// Program ROM 0x201002: 4097 angles acos(k / 4096).
void synth_slope_table(synth_rom_set* set);
// Program ROM 0x15332C: 512 longs (i / 512)^2 x 2^16, T1 of the curve evaluator.
void synth_curve_square_table(synth_rom_set* set);
// Program ROM 0x153B2C: 512 longs (i / 512)^3 x 2^24, T2 of the curve evaluator.
void synth_curve_cube_table(synth_rom_set* set);
// Program ROM 0x037664: six longs, the flag masks of block parameters 0-5 (1 << k).
void synth_block_param_masks(synth_rom_set* set);

void synth_rom_tables_write(synth_rom_set* set);

// Big-endian stores into the program image (bounds-checked: a table that would leave
// the image is a bug in the builder and aborts).
void synth_put8(synth_rom_set* set, uint32_t addr, uint8_t v);
void synth_put16(synth_rom_set* set, uint32_t addr, uint16_t v);
void synth_put32(synth_rom_set* set, uint32_t addr, uint32_t v);
