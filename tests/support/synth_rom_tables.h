// Every table the system reads from the ROM set has one named writer here, with the
// board address it lives at. synth_rom_tables_write calls them all, in this order.
#pragma once
#include "tests/support/synth_rom.h"

#include <initializer_list>

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

// Sound driver 0x210000 (image 0x10000, MCU bank 0x21): the command table. The word at
// 0x210000 is the table's offset in the bank (SYNTH_COMMAND_TABLE); entry n (n = 0 to
// 0x7FF) holds 3 bytes, the sequence address SYNTH_SEQUENCE_BASE + 16n (low, high) and
// its bank SYNTH_SEQUENCE_BANK. Written into a driver image of 524,288 bytes.
constexpr uint32_t SYNTH_COMMAND_TABLE = 0x0010;
constexpr uint32_t SYNTH_SEQUENCE_BASE = 0x1000;
constexpr uint32_t SYNTH_SEQUENCE_BANK = 0x22;
void synth_driver_command_table(uint8_t* driver_image);
// Sound driver 0x220000 + SYNTH_SEQUENCE_BASE (image 0x20000 + ...): the sequence of
// each command n, 16 bytes apart: the voices command (code 0x18); the track's step
// length 8 x 8 (one tick); with bit 10 of n, a child n AND 0x3FF in slot (n + 1) AND 31;
// a wait of (n AND 31) + 3 steps; a return at depth 0 (the track stops). With bit 9 of n
// and not bit 10, a jump (code 0x13) to the tune at 0x210000 + SYNTH_TUNE_ADDRESS
// (synth_driver_tune, tests/support/synth_structured_driver.h).
constexpr uint32_t SYNTH_TUNE_COMMAND = 0x0200;
constexpr uint32_t SYNTH_TUNE_ADDRESS = 0x4000;
void synth_driver_sequences(uint8_t* driver_image);
// Sound driver 0x21000C (image 0x1000C): the word naming the key maps,
// SYNTH_KEY_MAPS, 16 bytes per instrument number f - 1 (f = 1 to 16): from byte 1,
// eight (value, bound) pairs, value 4f + j and bound 0x10 (j + 1) for pair j (the last
// bound is the next entry's byte 0).
constexpr uint32_t SYNTH_KEY_MAPS = 0x2000;
void synth_driver_key_maps(uint8_t* driver_image);
// Sound driver 0xDE90 (image 0xDE90, MCU bank 0): 16 words, the continuation of each
// condition of the if command (all 0xDF2B).
constexpr uint32_t SYNTH_CONDITION_CONTINUATION = 0xDF2B;
void synth_driver_condition_words(uint8_t* driver_image);
// Sound driver 0xDDF7 (image 0xDDF7): 16 words, the continuation of each operation of
// the arithmetic command (all 0xDD3A).
constexpr uint32_t SYNTH_OPERATION_CONTINUATION = 0xDD3A;
void synth_driver_operation_words(uint8_t* driver_image);
// Sound driver 0x200002-0x200003 (image 2 and 3): the two bytes the tick body compares
// with 0xAA, 0x99.
void synth_driver_id_bytes(uint8_t* driver_image, uint8_t byte2, uint8_t byte3);

// ---- Sound command tables (synth_rom_sound.cpp) -------------------------------------
// Program ROM 0x0355A4: the sound table, 89 records of 12 bytes (slot, command, parameter
// slot, hold, second slot, second value) and the end record at 0x0359D0 (all 0xFF).
// Record i is synth_sound_record(i): slot i % 32, command 0x0100 + i, parameter slot
// i % 32, hold 0 and no second parameter, except the records listed here. The single ROM
// words the game reads in this range are their fields: 0x0356A0 the slot of id 21,
// 0x03576C the slot of 38, 0x0357AC the parameter slot of 43, 0x0357D8..0x0357E2 the
// record of 47, 0x0357E8, 0x0357F4, 0x035818 and 0x035998 the parameter slots of 48, 49,
// 52 and 84.
struct synth_sound_entry {
    int32_t id;
    int16_t slot;
    uint16_t command;
    int16_t param_slot;
    int16_t hold;
    int16_t slot2;
    uint16_t value2;
};
constexpr int16_t SYNTH_NONE = -32768;
constexpr synth_sound_entry SYNTH_SOUND_RECORDS[] = {
    {0, SYNTH_NONE, 0x0100, SYNTH_NONE, 0, SYNTH_NONE, 0},  // no sound
    {1, 0, 0x0101, 0, 0, 0, 0x3000},      // slot 0 at the synthetic driver's pitch 0x3000
    {21, 12, 0x0115, 12, 0, -1, 0},       // the coin: the upper stop keeps slots 0-12
    {37, 11, 0x0125, 11, 60, -1, 0},      // the race end, holding 60 frames
    {38, 14, 0x0126, 14, 0, -1, 0},       // the goal; the run's end keeps slot 14 running
    {43, 27, 0x012B, 0x40, 0, -1, 0},     // the mailbox words at 0x180 and 0x182
    {47, 10, 0x002F, 10, 0, 9, 0x0040},   // the preset: slot 10, level 0x40 for slot 9
    {48, 16, 0x0130, 16, 0, -1, 0},       // area sounds, each its own level slot
    {49, 17, 0x0131, 17, 0, -1, 0},
    {52, 18, 0x0134, 18, 0, -1, 0},
    {84, 19, 0x0154, 19, 0, -1, 0},
    {85, 20, 0x0155, -128, 5, 3, 0x1234},       // the first parameter word; a second value
    {86, 21, 0x0156, 22, 0x7FFF, -1, 0},        // the longest hold
    {87, 0x3FFF, 0x0157, 16255, 0, 16255, 0x57},  // the last command and parameter slots
    {88, 0x4000, 0x0158, -129, 30, 16256, 0x58},  // every slot just outside: writes nothing
};
constexpr uint32_t SYNTH_SOUND_MAX_COMMAND = 0x0158;
synth_sound_entry synth_sound_record(int32_t id);
void synth_sound_table(synth_rom_set* set);
// Program ROM 0x0359DC: the start sound of courses 0..3.
constexpr int16_t SYNTH_COURSE_SOUND_IDS[4] = {24, 25, 27, 29};
void synth_course_sound_ids(synth_rom_set* set);
// Program ROM 0x0359E4: the parameter-reset slots, ended by -1 (9 words to 0x0359F6).
constexpr int16_t SYNTH_PARAM_RESET_SLOTS[] = {3, 4, 9, 11, 13};
void synth_param_reset_list(synth_rom_set* set);
// Program ROM 0x0359F6: the indexed ids 0..6 (entry 3 none).
constexpr int16_t SYNTH_INDEXED_SOUND_IDS[7] = {40, 41, 42, -1, 44, 45, 46};
void synth_indexed_sound_ids(synth_rom_set* set);
// Program ROM 0x035A04: the slot lists of courses 0..3, 8 words each, -1 after the slots.
constexpr int16_t SYNTH_COURSE_SLOTS[4][4] = {{16, 17, 18, -1}, {16, 20, -1, -1}, {19, -1, -1, -1}, {18, -1, -1, -1}};
void synth_course_slot_lists(synth_rom_set* set);
// Program ROM 0x035A44: the stem target of camera cells 0..127, by row (cell / 8): rows
// 0-1 target 0, rows 2-5 target 1, rows 6-9 target 3, rows 10-11 target -2, rows 12-15 -1.
constexpr int16_t synth_stem_target(int32_t cell) {
    int32_t row = cell / 8;
    return int16_t(row < 2 ? 0 : row < 6 ? 1 : row < 10 ? 3 : row < 12 ? -2 : -1);
}
void synth_stem_targets(synth_rom_set* set);
// Program ROM 0x035B44: one word per pair of attract phases (18 words); phases 4-5 and
// 20-21 are set.
constexpr int16_t SYNTH_ATTRACT_SOUND_PHASES[18] = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
void synth_attract_sound_phases(synth_rom_set* set);
// Program ROM 0x035B68: the point list, four X, Y, Z records and the long -1. Records 0
// and 1 are both near (0x50200, 0x8000, 0x50200); 2 and 3 are not.
struct synth_point {
    int32_t x, y, z;
};
constexpr synth_point SYNTH_SOUND_POINT_LIST[4] = {
    {0x50000, 0x8000, 0x50000}, {0x50400, 0x8100, 0x50400}, {0x58000, 0x8000, 0x58000}, {0x50200, 0x10000, 0x50200}};
void synth_sound_point_list(synth_rom_set* set);
// Program ROM 0x035B9C, 0x035BAC, 0x035BBC: the single points of course 0's cells 26 and
// 35 and of course 2.
constexpr synth_point SYNTH_SOUND_POINTS[3] = {
    {0x3C000, 0x6000, 0x50000}, {0x50000, 0x7000, 0x68000}, {0x80000, 0x9000, 0x30000}};
void synth_sound_points(synth_rom_set* set);

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
// Program ROM 0x037B38: the event records, 12 bytes each (three longs whose low words are
// the fade colours red, green, blue); record n = synth_event_colour(n, c) in the low word
// and 0x5A5A in the high word, which the game drops. Written for the 23 records before
// the fly-in's node list (0x37C4C): the game bounds the table at 44 records, which run
// over the fly-in's tables, and no list names a record from 23 on.
constexpr uint32_t SYNTH_EVENT_RECORDS_ADDR = 0x037B38;
constexpr int32_t SYNTH_EVENT_RECORDS = 23;
constexpr int32_t SYNTH_EVENT_RECORDS_BOUND = 44;  // the game's bound
constexpr uint16_t synth_event_colour(int32_t n, uint32_t c) {
    return uint16_t(0x1000 * (c + 1) + n);
}
void synth_event_records(synth_rom_set* set);

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
// Boxes (corners lo..hi in model units) of the player's machine (69..74, and 44..49 of
// the cinematic set), the rider (92..109), its spinner and pennant (110..126) and the
// sky (779..782), each model drawn like the cube.
constexpr int32_t SYNTH_MODEL_CODE_BASE = 69;  // point-ROM code = display-list number + 69
struct synth_box {
    int32_t first, last, lo[3], hi[3];
};
constexpr synth_box SYNTH_RIG_BOXES[] = {
    {69, 69, {-300, 0, -800}, {300, 500, 600}},    {44, 44, {-300, 0, -800}, {300, 500, 600}},
    {70, 70, {-600, -60, -20}, {600, 60, 20}},     {45, 45, {-600, -60, -20}, {600, 60, 20}},
    {71, 72, {-120, -10, -80}, {120, 10, 80}},     {46, 47, {-120, -10, -80}, {120, 10, 80}},
    {73, 74, {-400, -10, -120}, {400, 10, 120}},   {48, 49, {-400, -10, -120}, {400, 10, 120}},
    {92, 93, {-70, -70, -70}, {70, 70, 70}},       {95, 95, {-10, -10, -100}, {10, 10, 100}},
    {96, 97, {-40, -8, -25}, {40, 8, 25}},         {98, 98, {-90, -50, -60}, {90, 50, 60}},
    {99, 99, {-120, 0, -60}, {120, 280, 60}},      {100, 100, {-25, -416, -25}, {25, 0, 25}},
    {102, 102, {-25, -416, -25}, {25, 0, 25}},     {101, 101, {-20, -256, -20}, {20, 0, 20}},
    {103, 103, {-20, -256, -20}, {20, 0, 20}},     {104, 104, {-35, -221, -35}, {35, 0, 35}},
    {107, 107, {-35, -221, -35}, {35, 0, 35}},     {105, 105, {-30, -290, -30}, {30, 0, 30}},
    {108, 108, {-30, -290, -30}, {30, 0, 30}},     {106, 106, {-30, -20, -60}, {30, 20, 60}},
    {109, 109, {-30, -20, -60}, {30, 20, 60}},     {110, 126, {-40, -40, -40}, {40, 40, 40}},
    {779, 782, {-0x20000, -0x8000, -0x20000}, {0x20000, 0x8000, 0x20000}},
};
void synth_models(synth_rom_set* set);
// The HUD's stand-in models (display-list numbers; flat single-colour quads seen from both
// sides, y up): seven-segment digits for the race time (tens 603 + d, units 613 + d, the
// colon 623) and the score (faces 637 + d), the score wheels 627 + d a plate behind the
// face, the blanks 624 and 625 empty models, and the course arrow 802 along +z, a
// shaft and a tapering head in both the x/z and the y/z plane.
struct synth_digit_size {
    int32_t half_width, half_height, stroke;
    uint32_t palette;
};
constexpr int32_t SYNTH_CLOCK_TENS = 603, SYNTH_CLOCK_UNITS = 613, SYNTH_CLOCK_SEPARATOR = 623;
constexpr int32_t SYNTH_SCORE_WHEEL_BLANK = 624, SYNTH_SCORE_FACE_BLANK = 625;
constexpr int32_t SYNTH_SCORE_WHEEL = 627, SYNTH_SCORE_FACE = 637;
constexpr synth_digit_size SYNTH_CLOCK_DIGIT = {24, 40, 8, 0x70};
constexpr synth_digit_size SYNTH_SCORE_DIGIT = {14, 22, 5, 0x60};
constexpr int32_t SYNTH_WHEEL_BEHIND = 4;
constexpr uint32_t SYNTH_WHEEL_PALETTE = 0x50;
constexpr int32_t SYNTH_ARROW_MODEL = 802;
constexpr int32_t SYNTH_ARROW_SHAFT = 100, SYNTH_ARROW_HEAD = 330, SYNTH_ARROW_TIP = 45;  // half-widths
constexpr int32_t SYNTH_ARROW_TAIL = -450, SYNTH_ARROW_NECK = 220, SYNTH_ARROW_POINT = 820;  // along z
constexpr uint32_t SYNTH_ARROW_PALETTE = 0x18;

// Course 0's terrain chunk models (display-list numbers 0x495 + cell 0..127, so point ROM
// codes SYNTH_MODEL_CODE_BASE + 0x495 + cell; synth_rom_models.cpp): the cells listed are
// each one flat textured square over the cell, the others empty models. A square lies
// from its cell's corner (model units 0..0x30000 in x and z: one cell of 0x18000 world
// units as drawn) at SYNTH_CHUNK_GROUND_Y: a chunk's origin is drawn 40960 world units up
// and model units are half world units, so the square lies on the collision ground of
// height SYNTH_GROUND_HEIGHT. Row 4 (cells 32-39) is the race's flight line. The ground's
// checker in palette SYNTH_CHUNK_PALETTE + (cell & 7). Data from word SYNTH_CHUNK_DATA on.
constexpr int32_t SYNTH_CHUNK_BASE = 0x495;
constexpr int32_t SYNTH_CHUNK_CELL_COUNT = 128;
constexpr int32_t SYNTH_CHUNK_CELLS[] = {0, 7, 9, 18, 27, 32, 33, 34, 35, 36, 37, 38, 39, 45, 54, 63, 120, 127};
constexpr int32_t SYNTH_CHUNK_SIZE = 0x30000;
constexpr uint32_t SYNTH_CHUNK_PALETTE = 0x28;
constexpr uint32_t SYNTH_CHUNK_DATA = 0x178000;
void synth_terrain_chunks(synth_rom_set* set);

// Program ROM 0x20B002: the cosine of angle -4, then 16384 (sin, cos) 1.15 pairs of the
// angles 0, 4, ... 0xFFFC (sine_table proper starts at 0x20B004). The word at 0x20B000,
// the sine of -4, which the game never reads, is the shear table's last.
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

// ---- Text layer (synth_rom_text.cpp) -----------------------------------------------
// Program ROM 0x238504: block source tiles, 128 bytes each; byte i of source tile t is
// synth_block_tile_byte(t, i). Written for the first SYNTH_BLOCK_TILES tiles.
constexpr uint32_t SYNTH_BLOCK_TILES = 1700;
uint8_t synth_block_tile_byte(uint32_t tile, uint32_t i);
void synth_block_tiles(synth_rom_set* set);
// Program ROM 0x1C4F40: tile-block records of 16 bytes (source, width, height, colour
// set; the colour-set long doubles as the palette bank record at 0x1C4F4C + 16n).
// Blocks 0..299 are written: the named ones below, every other one source 0, 1 x 1,
// colour set 0.
struct synth_block {
    int32_t number, source, width, height;
    uint32_t colour_set;
};
// One tile-block record at its number (the block table at 0x1C4F40; every screen's
// blocks are written through it).
void synth_block_put(synth_rom_set* set, const synth_block& b);
constexpr synth_block SYNTH_BLOCK_SMALL = {1, 2, 3, 2, 1};       // 3 x 2 tiles
constexpr synth_block SYNTH_BLOCK_WIDE = {2, 0, 65, 1, 0};       // too wide to draw
constexpr synth_block SYNTH_BLOCK_ROM_END = {3, 14580, 2, 1, 0};  // 2nd tile past the ROM
constexpr synth_block SYNTH_BLOCK_SET_LAST = {4, 0, 1, 1, 0x8E77};  // last colour set in ROM
constexpr synth_block SYNTH_BLOCK_SET_OUT = {5, 0, 1, 1, 0x8E78};   // colour set past the ROM
constexpr synth_block SYNTH_BLOCK_HUGE = {6, 0, 40, 40, 2};      // 1600 tiles
constexpr synth_block SYNTH_BLOCK_BANNER = {228, 10, 6, 3, 2};   // the banner screen's block
// The title's blocks: 25 the credit line (its colour set doubles as palette record 25
// of bank 3), 26 "insert coin", 27 "press start", 32..40 the digits 1..9 (2 x 2 tiles
// each), 246 the demo screen's mark (palette record 246), and record 247's colour set
// (the title's bank 5).
constexpr synth_block SYNTH_BLOCK_TITLE_CREDIT = {25, 300, 8, 2, 3};  // ends before the price digit
constexpr synth_block SYNTH_BLOCK_TITLE_INSERT = {26, 330, 12, 2, 0};
constexpr synth_block SYNTH_BLOCK_TITLE_START = {27, 360, 16, 2, 0};
constexpr int32_t SYNTH_DIGIT_BLOCK_SOURCE = 400;  // block 32 + k: source + 4k, 2 x 2
constexpr synth_block SYNTH_BLOCK_DEMO_MARK = {246, 440, 8, 2, 5};
constexpr synth_block SYNTH_BLOCK_TITLE_BANK5 = {247, 0, 1, 1, 6};
constexpr synth_block SYNTH_BLOCK_RECORDING = {245, 0, 6, 2, 0};  // the recording lamp
constexpr synth_block SYNTH_BLOCKS[] = {SYNTH_BLOCK_SMALL,        SYNTH_BLOCK_WIDE,        SYNTH_BLOCK_ROM_END,
                                        SYNTH_BLOCK_SET_LAST,     SYNTH_BLOCK_SET_OUT,     SYNTH_BLOCK_HUGE,
                                        SYNTH_BLOCK_BANNER,       SYNTH_BLOCK_TITLE_CREDIT, SYNTH_BLOCK_TITLE_INSERT,
                                        SYNTH_BLOCK_TITLE_START,  SYNTH_BLOCK_DEMO_MARK,   SYNTH_BLOCK_TITLE_BANK5,
                                        SYNTH_BLOCK_RECORDING};
constexpr synth_block synth_digit_block(int32_t n) {
    return {n, SYNTH_DIGIT_BLOCK_SOURCE + 4 * (n - 32), 2, 2, 0};
}
constexpr int SYNTH_BLOCK_RECORDS = 300;
void synth_block_table(synth_rom_set* set);
// Program ROM 0x354D4: the block of each hint message (longs, messages 0..7; the row copy's).
constexpr int32_t SYNTH_MESSAGE_BLOCKS[8] = {1, 228, 1, 6, 7, 8, 9, 10};
void synth_message_blocks(synth_rom_set* set);
// Program ROM 0x373D8: start-lamp patterns, 8 words each; patterns 0 and 1.
constexpr uint16_t SYNTH_LAMP_PATTERNS[2][8] = {{1, 0, 1, 0, 1, 0, 1, 0}, {1, 1, 1, 1, 0, 0, 0, 0}};
void synth_lamp_patterns(synth_rom_set* set);
// Program ROM 0x3ABB2: the start-lamp debug label, zero-terminated.
constexpr const char* SYNTH_LAMP_LABEL = "LAMP:";
void synth_lamp_label(synth_rom_set* set);
// Program ROM 0x1F8000: zero-terminated test strings.
constexpr uint32_t SYNTH_STRING_TEN = 0x1F8000;    // "ABCDEFGHIJ"
constexpr uint32_t SYNTH_STRING_LONG = 0x1F8010;   // 70 characters 'a' + i % 26
constexpr uint32_t SYNTH_STRING_LONG_LEN = 70;
void synth_test_strings(synth_rom_set* set);
// Program ROM 0x03ACD4: the title's credit text, zero-terminated.
constexpr const char* SYNTH_TITLE_TEXT = "PRESS START";
void synth_title_prompt_text(synth_rom_set* set);

// ---- Attract demo (synth_rom_gameplay.cpp) -----------------------------------------
// Program ROM 0x15C508: the demo table, parallel arrays of 17 longs (array k at + 0x44k,
// demo n at + 4n): input records (+0x000), course (+0x198), stage word (+0x1DC), select
// mark (+0x220). Demos 0..3 fly course n from the input records at SYNTH_DEMO_INPUT:
// SYNTH_DEMO_RECORDS records (pitch 1000 x i, turn -500 x i, pedal 3, frame 100 + i),
// then one with frame -1 that ends the demo. Demos 4..16 are zero.
// Demo SYNTH_DEMO_LONG (course 0) starts from the state records below and flies
// SYNTH_DEMO_LONG_RECORDS records at ROM 0x190AD0 (the demo flight screen's inputs):
// record i = synth_demo_long_record(i), frames 290 + i. Every demo 0..4 has the camera
// path SYNTH_DEMO_PATH (four 16-byte points, x, y, z, 0).
constexpr uint32_t SYNTH_DEMO_TABLE = 0x15C508;
constexpr uint32_t SYNTH_DEMO_INPUT = 0x15C760;
constexpr int32_t SYNTH_DEMO_RECORDS = 8;
constexpr int32_t SYNTH_DEMO_LONG = 4;
constexpr uint32_t SYNTH_DEMO_LONG_INPUT = 0x190AD0;
constexpr int32_t SYNTH_DEMO_LONG_RECORDS = 2100;
struct synth_demo_record {
    int32_t pitch, turn, pedal, frame;
};
constexpr synth_demo_record synth_demo_long_record(int32_t i) {
    return {200 * (i % 40 - 20), 300 * ((i / 50) % 3 - 1), 3, 290 + i};
}
constexpr uint32_t SYNTH_DEMO_PATH = 0x15C800;
constexpr uint32_t SYNTH_DEMO_STATE = 0x15C840;   // 64 longs: x, y, z, then 0
constexpr int32_t SYNTH_DEMO_START[3] = {0x30000, 0x4000, 0x30000};
constexpr uint32_t SYNTH_DEMO_DRIVE = 0x15C940;   // drive, previous drive, prop angle
constexpr int32_t SYNTH_DEMO_DRIVES[3] = {0x3000, 0x2F00, 0x1234};
constexpr uint32_t SYNTH_DEMO_FLIGHT = 0x15C950;  // 13 longs, 1..13
void synth_demo_table(synth_rom_set* set);

// ---- Video set-up, palette and mixer (synth_rom_video.cpp) ------------------------
// Program ROM 0x21B004: the colour ramp, 256 words; word i = synth_colour_ramp_word(i).
uint16_t synth_colour_ramp_word(uint32_t i);
void synth_colour_ramp(synth_rom_set* set);
// Program ROM 0x80000: 256 RGB triples of group 127; entry j = (j, 255 - j, j ^ 0x55).
void synth_group127_triples(synth_rom_set* set);
// Program ROM 0x3F7F0: the three colours of groups 8..126; 0x3F7F9: the three start
// colours of the rows of group 127.
constexpr uint8_t SYNTH_GROUP_COLOURS[3][3] = {{0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}, {0x77, 0x88, 0x99}};
constexpr uint8_t SYNTH_ROW_COLOURS[3][3] = {{0xFF, 0x80, 0x10}, {0x20, 0xFF, 0x40}, {0x05, 0x15, 0xF0}};
void synth_group_colours(synth_rom_set* set);
// Program ROM 0x3FF06: four CZ density tables of 256 words for banks 3, 2, 1, 0; word k
// of bank b's table = 0x1000 b + k.
void synth_cz_tables(synth_rom_set* set);
// Program ROM 0x40746: the character-RAM start count word (SYNTH_CGRAM_INIT_LONGS - 1)
// and from 0x40748 the longs 0xC0DE0000 + i.
constexpr uint32_t SYNTH_CGRAM_INIT_LONGS = 32;
void synth_cgram_init(synth_rom_set* set);
// Program ROM 0x1C6200: colour sets 0..7 (64 bytes: 16 x unused, R, G, B) and the last
// set inside the ROM (0x8E77); colour j of set s = synth_colour_set_rgb(s, j).
void synth_colour_set_rgb(uint32_t set_number, uint32_t j, uint8_t* rgb);
void synth_colour_sets(synth_rom_set* set);

// ---- Area environment (synth_rom_video.cpp) ----------------------------------------
// Program ROM 0x37684: fog records 0..5 and 8 (R, G, B, bias, switch words).
struct synth_fog_record {
    int16_t r, g, b, bias, fog_switch;
};
constexpr synth_fog_record SYNTH_FOG_RECORDS[9] = {
    {0x10, 0x20, 0x30, 0x40, 1},  {0x90, 0x60, 0x30, 0x100, 1}, {0x00, 0x00, 0x00, -0x20, 0},
    {0xFF, 0xFF, 0xFF, 0x7F, 1},  {0x40, 0x50, 0x60, 0x20, 1},  {0xA0, 0xB0, 0xC0, 0x30, 1},
    {0, 0, 0, 0, 0},              {0, 0, 0, 0, 0},              {0x22, 0x44, 0x66, 0x10, 1},
};
void synth_fog_records(synth_rom_set* set);
// Program ROM 0x376C6 and 0x376D0: the height-bias words g and h.
constexpr int16_t SYNTH_HEIGHT_BIAS_G = 0x50;
constexpr int16_t SYNTH_HEIGHT_BIAS_H = 0x90;
void synth_height_bias(synth_rom_set* set);
// Program ROM 0x376E0: area entries 0..29 (fog record, fade frames; bit 15 = special).
// Areas not listed use record 0 over 1 frame.
struct synth_area {
    int area;
    uint16_t record, frames;
};
constexpr synth_area SYNTH_AREAS[] = {
    {0, 0, 10},  {1, 1, 40}, {2, 2, 1},  {3, 3, 5},       {4, 1, 0x8000}, {5, 5, 20}, {6, 0, 0x8000},
    {12, 3, 2},  {15, 4, 6}, {21, 0, 0x8000}, {22, 8, 8}, {25, 5, 6},     {26, 0, 0x8000},
};
void synth_area_entries(synth_rom_set* set);
// Program ROM 0x37758: the cell areas of courses 0..3, 128 signed bytes each. Course 0:
// cells 0..9 are areas 0, 1, 2, 3, 12, 22, 6, 21, 4, 5, the others 0. Course 2: cells
// 10, 41 and 76 area 26, the others 15. Courses 1 and 3: area 0.
constexpr int8_t SYNTH_COURSE0_CELL_AREAS[10] = {0, 1, 2, 3, 12, 22, 6, 21, 4, 5};
void synth_cell_areas(synth_rom_set* set);

// ---- Settings and scores (synth_rom_settings.cpp) --------------------------------
// Program ROM 0x39838: three initials per default score-table entry (10 entries).
constexpr uint8_t synth_default_initial(uint32_t entry, uint32_t k) {
    return uint8_t(10 + 10 * k + entry);
}
void synth_default_initials(synth_rom_set* set);
// Program ROM 0x36806, 0x3681E, 0x3684E: the settings default words (the game reads them
// too as the factory words of game-option records 0, 1 and 3 at 0x367F4).
constexpr uint16_t SYNTH_SETTING_36806 = 0x1234;
constexpr uint16_t SYNTH_SETTING_3681E = 0x0102;
constexpr uint16_t SYNTH_SETTING_3684E = 0x8001;
void synth_settings_defaults(synth_rom_set* set);
// Program ROM 0x3ABAA: the two serial switch ports' addresses, where nothing answers.
constexpr uint32_t SYNTH_SWITCH_PORT0 = 0x420000;
constexpr uint32_t SYNTH_SWITCH_PORT1 = 0x420002;
void synth_switch_ports(synth_rom_set* set);

// ---- Sprites (synth_rom_sprites.cpp) ----------------------------------------------
// Program ROM 0xB79C0, 0xB7DBC, 0xB81B8: sprite tile tables 1, 2 and 3, one word per
// tile 0..509. Table 1: tile << 7 | (tile & 0x77), so its size selectors are tile & 7
// and (tile >> 4) & 7; table 2: 0x4000 + tile; table 3: (tile >> 1) << 8 | (tile & 0x7F),
// bit 7 clear.
constexpr uint32_t SYNTH_SPRITE_TILES = 510;
constexpr uint16_t synth_sprite_tile_word(int table, uint32_t tile) {
    return uint16_t(table == 1 ? (tile << 7) | (tile & 0x77) : table == 2 ? 0x4000 + tile
                                                                           : ((tile >> 1) << 8) | (tile & 0x7F));
}
void synth_sprite_tile_table_1(synth_rom_set* set);
void synth_sprite_tile_table_2(synth_rom_set* set);
void synth_sprite_tile_table_3(synth_rom_set* set);
// Program ROM 0x3AC14: the eight sprite size multipliers (longs), one of them negative.
constexpr int32_t SYNTH_SPRITE_SIZE_MULTIPLIER[8] = {8, 16, 24, 32, 40, 48, 64, -40};
void synth_sprite_size_multipliers(synth_rom_set* set);
// Sprite ROM tiles SYNTH_SPRITE_DISC_TILE.. (32 x 32 bytes each): discs in rings of pixel
// values 1..7 (tile k starts its rings at 1 + k) with transparent corners (255).
constexpr uint32_t SYNTH_SPRITE_DISC_TILE = 0xFF0;
constexpr uint32_t SYNTH_SPRITE_DISC_COUNT = 4;
void synth_sprite_disc_tiles(synth_rom_set* set);
// Sprite ROM tile SYNTH_SPRITE_PANEL_TILE: a panel of level stripes, four rows each of
// pixel values 40 and 160 in turn, every row of one value (no glyph-like detail).
constexpr uint32_t SYNTH_SPRITE_PANEL_TILE = 0xFF4;
void synth_sprite_panel_tile(synth_rom_set* set);

// ---- Boot text screen (synth_rom_boot.cpp) ------------------------------------------
// Program ROM 0x1C0E4: the boot screen's tile-block list (column SYNTH_BOOT_TEXT_COLUMN,
// row SYNTH_BOOT_TEXT_ROW, stride one text row): the runs row description at
// SYNTH_BOOT_TEXT_RUNS drawn twice (cells 0 x 3, then cells 1 x 1), the literal row at
// SYNTH_BOOT_TEXT_LITERAL once (cells 2..5), then the end mark.
constexpr uint16_t SYNTH_BOOT_TEXT_COLUMN = 42;
constexpr uint16_t SYNTH_BOOT_TEXT_ROW = 3;
constexpr uint32_t SYNTH_BOOT_TEXT_RUNS = 0x1C100;
constexpr uint32_t SYNTH_BOOT_TEXT_LITERAL = 0x1C120;
constexpr uint16_t SYNTH_BOOT_TEXT_CELLS[6] = {0x1041, 0x2042, 0x3043, 0x3044, 0x3045, 0x3046};
void synth_boot_text_list(synth_rom_set* set);
// Program ROM 0x01C8D2: the title's eight text-layer register bytes (x scroll 860, y
// scroll 0, 110, 0): map cell (0, 0) at the top-left corner.
constexpr uint32_t SYNTH_TITLE_TEXT_REGISTERS = 0x01C8D2;
void synth_title_text_registers(synth_rom_set* set);
// Program ROM 0x01C994: the title's 0x4000 bytes of character-RAM tiles, every pixel 15
// (transparent), so only the boot font's glyphs show.
constexpr uint32_t SYNTH_TITLE_TILES = 0x01C994;
void synth_title_tiles(synth_rom_set* set);
// Program ROM 0x020994: the title's palette group, 256 bytes per plane (R, G, B):
// entry j is grey (j & 15) x 17.
constexpr uint32_t SYNTH_TITLE_PALETTE = 0x020994;
void synth_title_palette(synth_rom_set* set);

// ---- Object and scenery emitters (synth_rom_emitters.cpp) ---------------------------
// Program ROM 0x36424, 0x36440, 0x3645C: the compound, rotating and plain object
// records (28 bytes: flag mask, matched model, other model, 0, companion offsets).
struct synth_object_record {
    int32_t mask, matched_model, other_model, dx, dy, dz;
};
constexpr synth_object_record SYNTH_OBJECT_RECORDS[3] = {
    {0x0001, 520, 521, 100, 200, 300}, {0x0002, 522, 523, 400, 500, 600}, {0x0004, 524, 525, 700, 800, 900}};
void synth_object_records(synth_rom_set* set);
// Program ROM 0x36414: the eight segment models (words).
constexpr int16_t SYNTH_SEGMENT_MODELS[8] = {1, 2, 3, 4, 5, 6, 7, 8};
void synth_segment_models(synth_rom_set* set);
// Program ROM 0x3543C + 8 v: the node offsets of sub-model v (longs 1000 v, -500 v),
// for the segment models.
void synth_submodel_offsets(synth_rom_set* set);
// Program ROM 0x34BA0 + 12 v: the sizes of sub-model v (longs 100 v, 200 v, 300 v).
void synth_submodel_sizes(synth_rom_set* set);
// Program ROM 0x36108, 0x3611C, 0x36130: train records (longs x, y, z, words a, b, c).
struct synth_train_record {
    int32_t x, y, z;
    int16_t a, b, c;
};
constexpr synth_train_record SYNTH_TRAIN_RECORDS[3] = {
    {1000, 2000, 3000, 0x100, 0x200, 0x300}, {-1000, 500, 7000, 0x1000, 0x2000, 0x3000}, {40, 50, 60, 4, 8, 12}};
void synth_train_records(synth_rom_set* set);
// Program ROM 0x3808C and 0x3809C: the chain's tilt and turn words of segments 0..7.
constexpr int16_t synth_chain_tilt(int k) { return int16_t(0x400 * (k + 1)); }
constexpr int16_t synth_chain_turn(int k) { return int16_t(0x2000 * k + 0x123); }
void synth_chain_tilts(synth_rom_set* set);
void synth_chain_turns(synth_rom_set* set);
// Program ROM 0x39218: the radial groups' tilt words; 0x391F8: the backdrop's second
// models (longs); 0x39228: range records (start, end, two heights, angle), then -1.
constexpr int16_t synth_radial_tilt(int i) { return int16_t(0x300 * (i + 1)); }
constexpr int32_t synth_backdrop_model(int k) { return 830 + k; }
struct synth_range_record {
    int32_t start, end, y0, y1, angle;
};
constexpr synth_range_record SYNTH_RANGE_RECORDS[3] = {
    {0, 100, 1000, 2000, 0x1000}, {50, 150, -400, 400, 0x8000}, {200, 300, 0, 0, 0x4000}};
void synth_radial_tilts(synth_rom_set* set);
void synth_backdrop_models(synth_rom_set* set);
void synth_range_records(synth_rom_set* set);
// Program ROM 0x35000 + 4 i (i = 0..15): the props' animation words, 10 i + 1.
constexpr int16_t synth_prop_animation(int i) { return int16_t(10 * i + 1); }
void synth_prop_animation_words(synth_rom_set* set);
// Program ROM 0x54F8 + 2 n (n = 0..127): course 2's hook choice by camera cell, the
// values 28, 30, 80, 94, 5, -28 in turn.
constexpr int16_t SYNTH_HOOK_CHOICES[6] = {28, 30, 80, 94, 5, -28};
constexpr int16_t synth_hook_choice(int n) { return SYNTH_HOOK_CHOICES[n % 6]; }
void synth_course2_hooks(synth_rom_set* set);
// Program ROM 0x37990: the letter models of the course menu and the name entry's grid
// (longs 1000 + i, i = 0..51).
constexpr int SYNTH_LETTER_MODELS = 52;
constexpr int32_t synth_letter_model(int i) { return 1000 + i; }
void synth_letter_models(synth_rom_set* set);
// Program ROM 0x1F9400: an ending object list (20 bytes: model, x, y, z, heading
// mode), ended by model -1.
constexpr uint32_t SYNTH_ENDING_LIST = 0x1F9400;
struct synth_list_record {
    int32_t model, x, y, z, mode;
};
constexpr synth_list_record SYNTH_ENDING_RECORDS[3] = {
    {700, 100, 200, 300, -2}, {701, -100, 0, 50, -1}, {702, 0, 0, 0, 0x1234}};
void synth_ending_list(synth_rom_set* set);
// Program ROM 0x1F9500: four ending backdrop records of seven longs a0..a6; long k of
// record i = synth_backdrop_long(i, k).
constexpr uint32_t SYNTH_BACKDROP_TABLE = 0x1F9500;
constexpr int32_t synth_backdrop_long(int i, int k) { return (k == 1 || k == 6) ? 20000 + 1000 * i : 16 * (i + 1) + k; }
void synth_backdrop_records(synth_rom_set* set);

// ---- Service-screen menu lists (synth_rom_emitters.cpp) ----------------------------
// Program ROM 0x1F9000: three label records (SYNTH_MENU_LABEL_TEXT, column 2, rows
// 4-6, palettes 1, 1, 3, items 0-2), then the end mark. 0x1F9100: five value records
// (below), then the end mark; the values live in work RAM at SYNTH_MENU_VALUE_AT + 2 k.
// 0x1F9200: the string table of record 3 ("OFF", "ON", "AUTO").
constexpr uint32_t SYNTH_MENU_LABELS = 0x1F9000;
constexpr uint32_t SYNTH_MENU_VALUES = 0x1F9100;
constexpr uint32_t SYNTH_MENU_STRINGS = 0x1F9200;
constexpr uint32_t SYNTH_MENU_VALUE_AT = 0xE09000;
constexpr const char* SYNTH_MENU_LABEL_TEXT[3] = {"SPEED", "COLOUR", "VOLUME"};
constexpr const char* SYNTH_MENU_STRING_TEXT[3] = {"OFF", "ON", "AUTO"};
struct synth_menu_value {
    int32_t kind;
    int16_t column, row, lower, upper, width, factory, no_value, item;
};
constexpr synth_menu_value SYNTH_MENU_VALUE_RECORDS[5] = {
    {0, 20, 4, 0, 9, 2, 5, 0, 0},                        // decimal
    {-1, 20, 5, 0, 0xFF, 4, 0x10, 0, 1},                 // hexadecimal
    {-2, 20, 6, -5, 5, 3, 0, 0, 2},                      // the special (time) form
    {int32_t(SYNTH_MENU_STRINGS), 20, 7, 0, 2, 0, 1, 0, 3},  // strings
    {0, 20, 8, 0, 3, 1, 0, 2, 4},                        // no value
};
void synth_menu_lists(synth_rom_set* set);
// ---- Terrain and collision (synth_rom_terrain.cpp) ----------------------------------
// Courses 0 and 3 have terrain; their per-cell tables are written whole (cells not
// listed below nor ground: no layers, no zones). A layer is a mesh of 8 x 8 vertices at every
// second lattice point (g = 2i, 2j), vertex (i, j) present when i0 <= i <= i1 and
// j0 <= j <= j1, its height byte base + di i + dj j; quad (i, j) splits along its
// (i, j)-(i + 1, j + 1) diagonal into triangles 2 (7 j + i) and 2 (7 j + i) + 1, each with
// the layer's slope indices and edge flags.
struct synth_terrain_layer {
    int i0, i1, j0, j1;
    int height, di, dj;
    int slope_x, slope_z;  // slope values (synth_slope_value)
    int edge_flags;        // 4 bits
};
struct synth_terrain_cell {
    int course, cell;
    int count_byte;        // the layer-count byte (may exceed 3)
    int mask;
    int layers;            // layers written (at most 3)
    synth_terrain_layer layer[3];
};
constexpr int SYNTH_CELL_WALL = 8;      // course 0: no layers, beside the flat cell
constexpr int SYNTH_CELL_FLAT = 9;      // one SOLID layer at height 10
constexpr int SYNTH_CELL_SLOPE = 10;    // one layer, height 40 + i - j, slopes 32 and -32
constexpr int SYNTH_CELL_LAYERS = 11;   // SOLID 4, PASS 30 (over i <= 3 only), SOLID 50
constexpr int SYNTH_CELL_FIVE = 12;     // count byte 5 over the three layers of cell 11
constexpr int SYNTH_CELL_ZONES = 17;    // ground at 2 and the zone list below
constexpr int SYNTH_CELL_LEDGE = 18;    // ground at 2 over i >= 4 only (x >= 0xE000 in the cell)
// Course 0's cells from row SYNTH_GROUND_ROW on (24..127) share one SOLID layer at height
// SYNTH_GROUND_HEIGHT: the ground the races fly over.
constexpr int SYNTH_GROUND_ROW = 3;
constexpr int SYNTH_GROUND_HEIGHT = 2;
// The model y of course 0's chunk squares on that ground: twice (height x 1024 less the
// chunk origin's 40960).
constexpr int32_t SYNTH_CHUNK_GROUND_Y = 2 * (SYNTH_GROUND_HEIGHT * 1024 - 40960);
constexpr synth_terrain_cell SYNTH_GROUND_CELL = {0, 8 * SYNTH_GROUND_ROW, 1, 0, 1,
                                                  {{0, 7, 0, 7, SYNTH_GROUND_HEIGHT, 0, 0, 0, 0, 0x5}}};
constexpr int SYNTH_C3_EMPTY = 72;      // course 3: no layers
constexpr int SYNTH_C3_SINGLE = 73;     // one SOLID layer at height 10
constexpr int SYNTH_C3_RISING = 75;     // two SOLID layers, the second (30) above the first (4)
constexpr synth_terrain_cell SYNTH_TERRAIN_CELLS[] = {
    {0, SYNTH_CELL_FLAT, 1, 0, 1, {{0, 7, 0, 7, 10, 0, 0, 0, 0, 0x5}}},
    {0, SYNTH_CELL_SLOPE, 1, 0, 1, {{0, 7, 0, 7, 40, 1, -1, 32, -32, 0x9}}},
    {0, SYNTH_CELL_LAYERS, 3, 0x02, 3,
     {{0, 7, 0, 7, 4, 0, 0, 0, 0, 0x1}, {0, 3, 0, 7, 30, 0, 0, 0, 0, 0x2}, {0, 7, 0, 7, 50, 0, 0, 0, 0, 0x3}}},
    {0, SYNTH_CELL_FIVE, 5, 0x02, 3,
     {{0, 7, 0, 7, 4, 0, 0, 0, 0, 0x1}, {0, 3, 0, 7, 30, 0, 0, 0, 0, 0x2}, {0, 7, 0, 7, 50, 0, 0, 0, 0, 0x3}}},
    {0, SYNTH_CELL_ZONES, 1, 0, 1, {{0, 7, 0, 7, 2, 0, 0, 0, 0, 0x4}}},
    {0, SYNTH_CELL_LEDGE, 1, 0, 1, {{4, 7, 0, 7, 2, 0, 0, 0, 0, 0x6}}},
    {3, SYNTH_C3_SINGLE, 1, 0, 1, {{0, 7, 0, 7, 10, 0, 0, 0, 0, 0x5}}},
    {3, SYNTH_C3_RISING, 2, 0, 2, {{0, 7, 0, 7, 4, 0, 0, 0, 0, 0x1}, {0, 7, 0, 7, 30, 0, 0, 0, 0, 0x2}}},
};
// Program ROM 0x0B971C / 0x0B989C: layer-count bytes of courses 0 and 3.
void synth_terrain_layer_counts(synth_rom_set* set);
// Program ROM 0x0B991C / 0x0B9A9C: layer-mask bytes.
void synth_terrain_layer_masks(synth_rom_set* set);
// Program ROM 0x0CB410 / 0x0FADEC: geometry tables, layer lists, layer records and
// vertex rings (after each table).
void synth_terrain_geometry(synth_rom_set* set);
// Program ROM 0x101CDC / 0x11505C: slope tables, per-layer lists and triangle records.
void synth_terrain_slopes(synth_rom_set* set);
// Program ROM 0x203004: slope values 0..0x1FFF; value k = k - 0x1000 (index 0x1000 + v
// gives v).
constexpr int synth_slope_index(int value) { return value + 0x1000; }
void synth_slope_values(synth_rom_set* set);
// Program ROM 0x207004: the shear table, 512 tan(f) (at most 32767) for the quarter-turn
// heading f at 0x207004 + (f & 0x3FFC), both words of each pair but the last pair's
// second (0x20B002, the sine table's first word; the game reads only the first).
void synth_shear_table(synth_rom_set* set);
// Program ROM 0x0B8618: the 1089 seed offsets (dx, dz) of -16..16, nearest first.
constexpr int SYNTH_SEED_OFFSETS = 1089;
void synth_seed_offsets(synth_rom_set* set);

// Program ROM 0x118550 (course 0) / 0x120BF4 (course 3): zone tables; the zones of
// SYNTH_CELL_ZONES, each centred at cell origin + (0x3000 + 0x6000 a, 0x3000 + 0x6000 b),
// and for SYNTH_CELL_LAYERS the four zones of row b = 0 moved to its row b = 3.
struct synth_zone {
    int a, b;
    int type, selector, surface;
    int y, shear;
    int half, coarse, top;  // words (x16 when read)
    int slope, slope2, bottom_base;
};
constexpr synth_zone SYNTH_ZONES[] = {
    {0, 0, 0, 0, 0x20, 4096, 0, 0x180, 0x200, 0x100, 0, 0, 0},
    {1, 0, 1, 0, 0x21, 4096, 0, 0x180, 0x200, 0x100, 256, 0, 0},
    {2, 0, 2, 2, 0x22, 4096, 0, 0x180, 0x200, 0x100, 128, 0, 0},
    {3, 0, 3, 2, 0x23, 4096, 0, 0x180, 0x200, 0x100, 256, 128, 0},
    {0, 1, 4, 1, 0x24, 4096, 0, 0x180, 0x200, 0x100, 64, 0x20, 0},
    {1, 1, 5, 3, 0x25, 4096, 0, 0x180, 0x200, 0x100, 64, 100, 0x10},
    {2, 1, 0, 0, 0x26, 4096, 0x800, 0x180, 0x200, 0x100, 0, 0, 0},  // sheared by 1/2
    {0, 2, 0, 0, 0xE0, -4096, 0, 0x180, 0x200, 0x200, 0, 0, 0},   // special region
    {1, 2, 0, 0, 0xFD, -6000, 0, 0x180, 0x200, 0x300, 0, 0, 0},   // hole through the ground
    {2, 2, 0, 0, 0x30, 8192, 0, 0x180, 0x200, 0x200, 0, 0, 0},    // a floating box ...
    {2, 2, 0, 0, 0xFE, 10000, 0, 0x100, 0x200, 0x80, 0, 0, 0},    // ... with a hole in it
    {3, 2, 0, 0, 0xFF, -6000, 0, 0x180, 0x200, 0x300, 0, 0, 0},   // hole through both
};
void synth_terrain_zones(synth_rom_set* set);

// Program ROM 0x0338F8: dynamic zone sizes, (half a, half b, top) per kind.
constexpr int32_t SYNTH_DYNAMIC_SIZES[2][3] = {{0x1000, 0x800, 6000}, {0x2000, 0x2000, 3000}};
void synth_dynamic_zone_sizes(synth_rom_set* set);
// Program ROM 0x039FA0: the look-ahead angle steps, ended by 0x8000 (none a quarter
// turn, whose straight-up try has no heading).
constexpr int32_t SYNTH_LOOKAHEAD_STEPS[11] = {0x400, 0x800, 0xC00, 0x1000, 0x1800, 0x2000,
                                               0x2800, 0x3000, 0x3800, 0x3C00, 0x8000};
void synth_lookahead_steps(synth_rom_set* set);
// Program ROM 0x08B200: the chunk list pointers of the 32 heading sectors; the lists lie
// from SYNTH_CHUNK_LIST_POOL. Record i (0..59) of sector s: column offset i % 7 - 3, row
// offset i / 7 - 4 (negated for sectors 16..31), cell offset column + 8 row, and the
// chunk origin x, z = the offsets x 0x18000; sector 1 holds sector 0's records in
// reverse order (record i is record 59 - i).
constexpr uint32_t SYNTH_CHUNK_LIST_POOL = 0x08D280;
void synth_chunk_lists(synth_rom_set* set);
// Program ROM 0x08B280 + 0x800 course: visibility masks of all four courses; from a
// camera cell, the chunks within 2 columns and 3 rows of it are visible.
void synth_chunk_masks(synth_rom_set* set);
// Program ROM 0x039C70: course 3's letter models by initial byte: 1200 + byte, for the
// bytes 0..99 the initials reach. The game's table runs on by initial byte over the
// replay orbit at 0x39D38 (byte 100 on), which no initial reaches: the orbit holds those.
constexpr int32_t SYNTH_PROP_LETTER_BASE = 1200;
constexpr uint32_t SYNTH_PROP_LETTER_MODELS = 100;
void synth_course3_prop_models(synth_rom_set* set);
// Program ROM 0x039D88: the eight (x, y, z) of course 3's props.
constexpr int32_t synth_course3_prop(int32_t i, int32_t axis) { return 0x50000 + 0x1000 * i + 0x100 * axis; }
void synth_course3_prop_positions(synth_rom_set* set);

// ---- Balloons (synth_rom_balloons.cpp) ----------------------------------------------
// The four courses share one set of balloon lists and records in the pool from
// SYNTH_BALLOON_POOL (each table of four longs names the same base for every course).
// Three layouts are written, by (group, layout): the small one (0, 0), the single one
// (0, 1) and the full one (2, 0); every other layout reads the pool's filler. A balloon's
// record: kind, x, y, z, value, bob step SYNTH_BALLOON_STEP, amplitude
// SYNTH_BALLOON_AMPLITUDE and bank SYNTH_BALLOON_BANK + kind; it stands at
// synth_balloon_x (its rank among its cell's balloons), SYNTH_BALLOON_Y, the cell's
// middle z.
struct synth_balloon {
    int32_t cell, kind, value;
};
struct synth_layout {
    int32_t group, layout;
    int32_t first, target;
    const synth_balloon* balloons;
    int32_t count;
    int32_t moving_first, moving_count;
};
constexpr uint32_t SYNTH_BALLOON_POOL = 0x1E0000;
constexpr int32_t SYNTH_BALLOON_Y = 0x8000;
constexpr int32_t SYNTH_BALLOON_STEP = 0x200;
constexpr int32_t SYNTH_BALLOON_AMPLITUDE = 0x800;
constexpr int32_t SYNTH_BALLOON_BANK = 0x20;
constexpr int32_t synth_balloon_x(int32_t cell, int32_t rank) { return (cell % 8) * 0x18000 + 0x4000 + 0x3000 * rank; }
constexpr int32_t synth_balloon_z(int32_t cell) { return (cell / 8) * 0x18000 + 0xC000; }
// Seven point balloons (one of 250) and a 5-second balloon in cells 9, 10, 17 and 18;
// cell 10's hit list also names the last balloon of cell 9. Two moving balloons.
constexpr synth_balloon SYNTH_BALLOONS_SMALL[8] = {{9, 0, 10}, {9, 1, 250}, {9, 2, -5}, {9, 3, 20},
                                                   {10, 4, 30}, {10, 5, 40}, {17, 6, 5}, {18, 7, 1}};
constexpr synth_balloon SYNTH_BALLOONS_SINGLE[1] = {{9, 0, 7}};
// 64 balloons over the 40 chunks a camera in cell 35 (column 3, row 4) sees first when
// every mask bit is set: two in each of the first 24, one in each of the next 16; every
// fifth a 2-second balloon.
constexpr int32_t synth_full_layout_cell(int32_t j) {
    int32_t q = j < 48 ? j / 2 : j - 24;  // chunk 0..39 of that camera's list
    return q < 35 ? (q / 7) * 8 + q % 7 : 40 + (q - 35);
}
struct synth_full_balloons {
    synth_balloon b[64];
    constexpr synth_full_balloons() : b() {
        for (int32_t j = 0; j < 64; j++) b[j] = {synth_full_layout_cell(j), j % 8, j % 5 == 4 ? -2 : 10 + j};
    }
};
constexpr synth_full_balloons SYNTH_BALLOONS_FULL{};
constexpr synth_layout SYNTH_LAYOUTS[3] = {
    {0, 0, 100, 500, SYNTH_BALLOONS_SMALL, 8, 0, 2},
    {0, 1, 200, 7, SYNTH_BALLOONS_SINGLE, 1, 0, 0},
    {2, 0, 400, 1000, SYNTH_BALLOONS_FULL.b, 64, 0, 0},
};
// Moving-balloon records (60 bytes, the first eight longs written): centre, radius,
// turn rate, kind, value and a long the set-up copies over the current x.
struct synth_moving_balloon {
    int32_t x, y, z, radius, rate, kind, value;
};
constexpr synth_moving_balloon SYNTH_MOVING_BALLOONS[2] = {
    {0x1E000, 0x9000, 0x1E000, 4096, 0x100, 1, 50},
    {0x36000, 0x9000, 0x1E000, 0x2000, -0x200, 2, -3},
};
// Program ROM 0x035BCC: draw lists; 0x035C1C: hit lists (layouts of 128 (start, count)).
void synth_balloon_draw_lists(synth_rom_set* set);
void synth_balloon_hit_lists(synth_rom_set* set);
// Program ROM 0x035BDC: the 32-byte records, by balloon number.
void synth_balloon_records(synth_rom_set* set);
// Program ROM 0x035BEC: moving lists (first record, count words); 0x035BFC: records.
void synth_moving_balloon_lists(synth_rom_set* set);
void synth_moving_balloon_records(synth_rom_set* set);
// Program ROM 0x035C0C: the number list the hit lists index.
void synth_balloon_numbers(synth_rom_set* set);
// Program ROM 0x035C2C / 0x035C3C: target and first-number words per layout.
void synth_balloon_targets(synth_rom_set* set);
void synth_balloon_first_numbers(synth_rom_set* set);
// Program ROM 0x035C4C: the model rows of detail groups 0..2: kind k is model
// synth_balloon_row_model(g, k); 8 the blink model, 9 the course-3 model, 10 its blink.
constexpr int32_t synth_balloon_row_model(int32_t group, int32_t column) { return 400 + 20 * group + column; }
void synth_balloon_model_rows(synth_rom_set* set);
// Program ROM 0x035CD0: the moving balloons' models by kind (0..10): 480 + kind.
constexpr int32_t SYNTH_MOVING_MODEL_BASE = 480;
void synth_moving_balloon_models(synth_rom_set* set);
// Program ROM 0x035CFC: layouts per course.
constexpr int32_t SYNTH_LAYOUT_COUNTS[4] = {2, 1, 1, 1};
void synth_balloon_layout_counts(synth_rom_set* set);
// Program ROM 0x035D0C: the eight sparkle models, 490 + entry.
constexpr int32_t SYNTH_SPARKLE_MODEL_BASE = 490;
void synth_balloon_sparkles(synth_rom_set* set);
// ---- Player rig and rider (synth_rom_rig.cpp) ---------------------------------------
// The synthetic rider: nodes 5..23 after a load of selector 0 (node 5 the rear-left
// part, 6 crank, 7/8 pedals, 9 body, 10 torso, 11 head, 12 spinner, 13/14 and 15/16
// the arms, 17..19 and 20..22 thigh, shin and foot, 23 the second list's pennant).
// Rider models (display-list numbers) of nodes 6..23; heads 92/93 and spinners 110..
// are set by the rig.
constexpr int32_t SYNTH_RIDER_MODELS[18] = {95, 96, 97, 98, 99, 92, 110, 100, 101,
                                            102, 103, 104, 105, 106, 107, 108, 109, 118};
constexpr int32_t SYNTH_CRANK_OFFSET[3] = {0, 160, -100};
constexpr int32_t SYNTH_PEDAL_OFFSET[3] = {70, 0, 100};  // left; the right one is negated
constexpr int32_t SYNTH_BODY_OFFSET[3] = {0, 460, 0};
constexpr int32_t SYNTH_TORSO_OFFSET[3] = {0, 40, 0};
// Hit set s (1..7): the rider's records with the body's pitch animated from 1000 s,
// +SYNTH_SET_PITCH_STEP a frame, for a stream of SYNTH_SET_LENGTH_BASE + s frames.
constexpr int32_t SYNTH_SET_PITCH_STEP = 100;
constexpr int32_t SYNTH_SET_LENGTH_BASE = 3;
constexpr int32_t SYNTH_START_LENGTH = 1;  // selector 0's stream
// Program ROM 0x12ABB0: 63 longs, the node lists of selector 0 and hit sets 1..7 (the
// others 0); the lists, records and streams from SYNTH_RIG_DATA.
constexpr uint32_t SYNTH_RIG_DATA = 0x130000;
void synth_rig_lists(synth_rom_set* set);
// Program ROM 0x12ACAC: the second pointer list (one record: the pennant, node 23).
void synth_rig_second_list(synth_rom_set* set);
// Program ROM 0x375C0: six longs, the hit sets' field masks (1 << k).
void synth_rig_set_masks(synth_rom_set* set);
// Program ROM 0x3765C: the long 0x20B002, the hit sets' angle table base.
void synth_rig_angle_base(synth_rom_set* set);
// Program ROM 0x144A5C: 36 keyframe records (row e, column l at l + 9 e), each storing
// node 9's z := SYNTH_KEYFRAME_Z(record, frame) from a 64-long table; record 0 also
// names player x (W 0x0D00), a store the rig refuses.
constexpr int32_t synth_keyframe_z(uint32_t record, uint32_t frame) {
    return int32_t(1000 * record + frame);
}
void synth_keyframes(synth_rom_set* set);
// Program ROM 0x3AC8C: the leg longs: hip (70, -20, 0), a 0, b 24, e 0, f 0, c 0x400, d 0x200.
constexpr int32_t SYNTH_LEG_CONSTANTS[9] = {70, -20, 0, 0, 24, 0, 0, 0x400, 0x200};
void synth_leg_constants(synth_rom_set* set);
// Program ROM 0x123C4C: pointer to the second model's node list (three records).
void synth_second_model(synth_rom_set* set);
// Program ROM 0x13C000: a node list for the node-list walkers (SYNTH_NODE_LIST: one
// pointer, to a record with a keyframe model list and four streams): x kind 1 (5, then
// longs 10, 20, 30), y kind 2 (curve: c 0, e 0, step 256, base 1000), z kind 3 (100,
// then bytes -1, -2, 5, 7), pitch of kind 9 (left as loaded, 0), heading 0x4000, roll
// 0; models 300, from time 5 301, from time 10 302.
constexpr uint32_t SYNTH_NODE_LIST = 0x13C000;
void synth_node_list(synth_rom_set* set);

// ---- Master DSP program (synth_rom_dsp.cpp) ------------------------------------------
// Program ROM 0x043748: the game's DSP program's count word (words - 1); from 0x04374A
// its words for program memory 0x4000 on, assembled with the C25 test assembler. From
// 0x4008 it sets up, then waits at 0x404A for the doorbell (LAC DSP RAM word 1, BZ to
// itself); its frame routine walks the list handed over (buffer 1 when bit 0 of word 4
// is clear, else buffer 0) to its end marker -1 (at most 0x1E00 words), and
// writes into DSP RAM from word 0 the packets the packet decoder replays: a 16-word and
// a matrix packet it passes over (words 1, 19, 21 and 33 written), the view at word
// SYNTH_DSP_VIEW_AT (focal 554, the screen's edges, identity view matrix, priority base
// 7), the cube (SYNTH_MODEL_CUBE) at SYNTH_DSP_CUBE_AT at (0, SYNTH_DSP_CUBE_Y,
// SYNTH_DSP_CUBE_Z) turned by synth_dsp_cube_rotation, and 0 at word SYNTH_DSP_END_AT + 1;
// then IDLE and back to 0x404A. Its tables lie in the gap from 0x4940.
// Laid out, the program runs to 0x592A: the game stretches decode to the translated
// program's counts (code, two-word fillers, NOPs) and the last instruction is B 0x40F2
// at 0x5929; the synthetic set holds this one. Plain, it ends after its tables.
constexpr uint32_t SYNTH_DSP_PROGRAM_SIZE_ADDR = 0x043748;
constexpr uint32_t SYNTH_DSP_PROGRAM_ADDR = 0x04374A;
constexpr uint32_t SYNTH_DSP_VIEW_AT = 34;
constexpr uint32_t SYNTH_DSP_CUBE_AT = 59;
constexpr uint32_t SYNTH_DSP_END_AT = 76;
constexpr int32_t SYNTH_DSP_CUBE_Y = 0x2000;
constexpr int32_t SYNTH_DSP_CUBE_Z = 0x38000;
constexpr uint32_t SYNTH_DSP_WRITES = 47;  // DSP RAM words one frame run writes
std::vector<uint16_t> synth_dsp_program_words(bool laid_out);
// The count word and the words into a program ROM image of 0x400000 bytes.
void synth_dsp_program_store(uint8_t* program, const std::vector<uint16_t>& words);
void synth_dsp_program(synth_rom_set* set);
// The cube's nine rotation words for a list of `list_words` words before its end marker:
// about y by 30 degrees + (list_words AND 15) x 22.5 degrees, then about x by 0.35 rad,
// each product of two 1.15 words as the program forms it.
void synth_dsp_cube_rotation(uint32_t list_words, int16_t out[9]);

void synth_rom_tables_write(synth_rom_set* set);

// ---- Race HUD, contact particles and the number drawers (synth_rom_hud.cpp) ---------
// Program ROM 0x3797A: the particle type of each emitter kind 0..10 (words).
constexpr int16_t synth_particle_type(int kind) { return int16_t(40 + 4 * kind); }
void synth_particle_types(synth_rom_set* set);
// Program ROM 0x120DF4: the course arrow grid, 32 rows x 16 columns per course. Course 0:
// columns below SYNTH_ARROW_UNGUIDED_FROM guided toward SYNTH_ARROW_DIRECTION, the others
// unguided (1); courses 1..3 guided toward 0 everywhere.
constexpr int32_t SYNTH_ARROW_UNGUIDED_FROM = 12;
constexpr uint16_t SYNTH_ARROW_DIRECTION = 0x4000;
void synth_arrow_grid(synth_rom_set* set);
// Program ROM 0x354F4: the showings of hint messages 0..7 (longs).
constexpr int32_t SYNTH_MESSAGE_SHOWINGS[8] = {2, 1, 1, 1, 1, 1, 1, 1};
void synth_message_showings(synth_rom_set* set);
// Program ROM 0x35524: the course map records, 32 bytes per course (origin x, origin y,
// 0, scale, x max, x min, y max, y min); all four courses alike.
struct synth_map_record {
    int32_t origin_x, origin_y, unused, scale, x_max, x_min, y_max, y_min;
};
constexpr synth_map_record SYNTH_MAP_RECORD = {100, 200, 0, 64, 300, 60, 400, 150};
void synth_map_records(synth_rom_set* set);
// Program ROM 0x354B4 and 0x35294: the lamp's and the race clock's blink tiles (16 words
// each, 400 + i and 420 + i).
constexpr int16_t synth_lamp_tile(int i) { return int16_t(400 + i); }
constexpr int16_t synth_clock_tile(int i) { return int16_t(420 + i); }
void synth_blink_tiles(synth_rom_set* set);
// Program ROM 0x37550 and 0x37524: the score digits' face and wheel models (10 longs each).
constexpr int32_t synth_score_face(int d) { return 700 + d; }
constexpr int32_t synth_score_wheel(int d) { return 710 + d; }
void synth_score_digit_models(synth_rom_set* set);
// Tile-block records of the HUD (after synth_block_table): the panel 147/148, the
// message tiles 165, the days 217-220, the recording lamp 245, the map prompt 266, 271,
// 272 and the side hints 273, 274.
constexpr synth_block SYNTH_HUD_BLOCKS[] = {
    {147, 500, 8, 2, 3}, {148, 516, 8, 2, 3}, {165, 532, 12, 2, 4}, {217, 560, 4, 2, 5}, {218, 568, 4, 2, 5},
    {219, 576, 4, 2, 5}, {220, 584, 4, 2, 5}, {266, 600, 12, 2, 6}, {271, 624, 6, 1, 7}, {272, 630, 6, 1, 7},
    {273, 640, 3, 2, 8},  {274, 646, 3, 2, 8},
};
void synth_hud_blocks(synth_rom_set* set);

// ---- Attract scenes (synth_rom_attract.cpp) ------------------------------------------
// Program ROM 0x3510C: the scene list, 15 phases and the one-time entry 15 (0x3512A).
// The start-up enters at entry 15, the title; the sprite scene (8), which ends only by
// Start, is the last of the cycle.
constexpr int16_t SYNTH_ATTRACT_SCENES[16] = {2, 4, 6, 10, 12, 16, 18, 20, 0, 2, 6, 10, 12, 0, 8, 0};
void synth_attract_scene_list(synth_rom_set* set);
// Program ROM 0x35354-0x35493: the demo flight's and the model scenes' tables, which
// share longs: the demo's segment end (0x353A0) is its caption 0, its demo numbers
// captions 2-4, scene a's segments captions 6-10 and scene a's end (0x353CC) caption 11
// and scene a's first caption; scene a's caption blocks 1-4 are the demo's blocks 0-3,
// scene b's segments 0-7 the demo's blocks 4-11. The longs 0x35444-0x3548B (scene b's
// demos 5-9, its types and its caption block 0) are the sub-model offsets'
// (synth_submodel_offsets), not written here.
// Closing texts: frame bytes at 0x35354 / 0x35356, lengths at 0x35358 / 0x3535A.
constexpr int32_t SYNTH_CLOSING_FRAMES[2] = {100, 150};
constexpr int32_t SYNTH_CLOSING_LENGTHS[2] = {30, 20};
constexpr int32_t SYNTH_DEMO_SEGMENTS[4] = {0, 200, 400, 600};  // 0x35394, the last the end
constexpr int32_t SYNTH_DEMO_TEXT_1 = 610;                      // 0x353A4
constexpr int32_t SYNTH_DEMO_NUMBERS[3] = {0, 1, 2};            // 0x353A8
constexpr int32_t SYNTH_DEMO_TEXT_5 = 620;                      // 0x353B4
constexpr int32_t SYNTH_MODEL_A_SEGMENTS[5] = {0, 100, 200, 300, 400};   // 0x353B8
constexpr int32_t SYNTH_MODEL_A_TEXTS[5] = {500, 510, 520, 530, 540};    // 0x353CC, the first the end
constexpr int32_t SYNTH_MODEL_A_BLOCKS[5] = {248, 150, 161, 162, 149};   // 0x353E0
constexpr int32_t SYNTH_MODEL_B_SEGMENTS[10] = {0, 60, 120, 180, 240, 300, 360, 420, 480, 540};  // 0x353F4
constexpr int32_t SYNTH_MODEL_B_TEXTS[5] = {10, 70, 130, 190, 250};      // 0x3541C
constexpr int32_t SYNTH_MODEL_B_DEMOS[5] = {3, 4, 5, 6, 7};              // 0x35430
constexpr int32_t SYNTH_MODEL_B_BLOCKS[4] = {150, 161, 163, 149};        // 0x35484 (blocks 1-4)
void synth_attract_demo_tables(synth_rom_set* set);
// Program ROM 0x39858: the course demo's four thresholds and its end; 0x3986C: a
// 28-byte camera record per course (x, y, z, pitch, heading, roll, grid cell).
constexpr int32_t SYNTH_COURSE_DEMO_THRESHOLDS[5] = {0, 200, 400, 600, 800};
constexpr int32_t SYNTH_COURSE_DEMO_CAMERAS[4][7] = {
    {0x30000, 0x8000, 0x30000, 0x800, 0x1000, 0, 18}, {0x48000, 0x9000, 0x30000, 0x800, 0x2000, 0, 19},
    {0x60000, 0xA000, 0x48000, 0x800, 0x3000, 0, 28}, {0x78000, 0xB000, 0x60000, 0x800, 0x4000, 0, 37}};
void synth_course_demo_tables(synth_rom_set* set);
// Program ROM 0x398DC: the 24 reveal masks, 0 (hidden) rising to 0xFF (shown) from 8 on.
constexpr uint8_t synth_reveal_mask(int32_t k) {
    return uint8_t(k >= 8 ? 0xFF : (0xFF00 >> k) & 0xFF);
}
void synth_reveal_masks(synth_rom_set* set);
// Program ROM 0x39D38: the replay orbit: radius, pitch, angle, height at frames 0, 240,
// 480 and 720 (16 bytes each); 0x39D78: the move of segments 0-2 (hold, ease, linear).
constexpr int32_t SYNTH_REPLAY_VALUES[4][4] = {
    {0x40000, 0x40000, 0x60000, 0x50000}, {0x400, 0x400, 0x800, 0x600},
    {0, 0, 0x4000, 0x8000}, {0x10000, 0x10000, 0x14000, 0x12000}};
constexpr uint8_t SYNTH_REPLAY_MOVES[3] = {0, 1, 2};
void synth_replay_tables(synth_rom_set* set);
// Program ROM 0x39DE8: the replay marker's model offset every 4 bytes (16): k & 3.
void synth_replay_marker_bytes(synth_rom_set* set);
// Program ROM 0x3A214: the demo's closing string.
constexpr const char* SYNTH_DEMO_CLOSING_TEXT = "DEMO  OVER";
void synth_demo_closing_text(synth_rom_set* set);
// Tile-block records of the attract scenes (after synth_block_table): the letters and
// digits 93..146 and the stage marks 288..297, 2 x 2 each from source
// SYNTH_LETTER_BLOCK_SOURCE (block 93 + k, mark s: + 4k, + 4s), and the headings.
constexpr int32_t SYNTH_LETTER_BLOCKS_FIRST = 93, SYNTH_LETTER_BLOCKS_LAST = 146;
constexpr int32_t SYNTH_LETTER_BLOCK_SOURCE = 1000;
constexpr synth_block SYNTH_ATTRACT_BLOCKS[] = {
    {149, 1300, 8, 2, 9}, {150, 1320, 10, 2, 9}, {151, 1340, 6, 2, 9}, {152, 1352, 6, 2, 9},
    {153, 1364, 6, 2, 9}, {161, 1380, 12, 1, 9}, {162, 1400, 2, 2, 9}, {163, 1410, 14, 2, 9},
    {248, 1440, 4, 2, 9},
};
void synth_attract_blocks(synth_rom_set* set);
// Point ROM: stand-in boxes (written by synth_models after the rig's) of the attract
// scenes' models: the logo 39, the course names 850-856, the mode models 873 and 875 and
// the sprite scene's figures 914 and 915 (the replay's 500 is the ending ring's box).
constexpr synth_box SYNTH_ATTRACT_BOXES[] = {
    {39, 39, {-0x20000, -0x8000, -0x4000}, {0x20000, 0x8000, 0x4000}},
    {850, 856, {-200, -40, -10}, {200, 40, 10}},
    {873, 873, {-100, -100, -100}, {100, 100, 100}}, {875, 875, {-100, -100, -100}, {100, 100, 100}},
    {914, 915, {-60, -120, -20}, {60, 120, 20}},
};

// Big-endian stores into the program image (bounds-checked: a table that would leave
// the image is a bug in the builder and aborts).
void synth_put8(synth_rom_set* set, uint32_t addr, uint8_t v);
void synth_put16(synth_rom_set* set, uint32_t addr, uint16_t v);
void synth_put32(synth_rom_set* set, uint32_t addr, uint32_t v);
// `count` longs (or the listed ones) from `addr` on; a string with its zero byte.
void synth_put32s(synth_rom_set* set, uint32_t addr, const int32_t* values, uint32_t count);
void synth_put32s(synth_rom_set* set, uint32_t addr, std::initializer_list<int32_t> values);
void synth_put_string(synth_rom_set* set, uint32_t addr, const char* text);

// The program-ROM bytes each named writer puts down: one range per run of bytes a writer
// writes in a row, named by the writer. No two writers' ranges may overlap, or one table
// silently holds another's bytes, unless one writes entries of the other's table (`table`
// names the writer that put that table down whole: a screen's tile blocks replace plain
// records of the block table).
struct synth_rom_range {
    uint32_t address, length;
    const char* name;
    const char* table;  // nullptr: the writer's own table
};
// Writes a fresh set and returns the ranges of every writer synth_rom_tables_write calls.
std::vector<synth_rom_range> synth_rom_table_ranges();
// Names `length` bytes from `addr` as written by the running writer; for a writer that
// fills the program image without synth_put8 (nothing while no ranges are recorded).
void synth_rom_range_note(uint32_t addr, uint32_t length);
// The writes that follow are entries of the table the named writer puts down (nullptr:
// the running writer's own tables again).
void synth_rom_entries_of(const char* table);

// ---- Service mode (synth_rom_service.cpp) -----------------------------------------
// Menu lines are 12-byte records (text, column, row, colour, item), value lists 24-byte
// records (address, kind, column, row, minimum, maximum, width, factory, size, item);
// each list ends with its zero long. The menu texts of list m lie in the label block
// SYNTH_SERVICE_LABELS + 0x200 m.
constexpr uint32_t SYNTH_SERVICE_LABELS = 0x1FA000;
constexpr uint32_t SYNTH_ONOFF_TABLE = 0x1FCE00;   // text addresses of "OFF", "ON" (0x3A508, 0x3A50C)
constexpr uint32_t SYNTH_COIN_WORDS = 0x1FCE10;    // "CREDIT", "CREDITS" (0x36614 / 0x36618)
struct synth_service_line {
    const char* text;  // nullptr: the sound name in work RAM (SYNTH_SOUND_NAME_AT)
    int16_t column, row, colour, item;
};
struct synth_service_value {
    uint32_t address;
    int32_t kind;
    int16_t column, row, minimum, maximum, width, factory, size, item;
};
constexpr uint32_t SYNTH_SOUND_NAME_AT = 0xE0AC44;
constexpr int32_t SYNTH_KIND_ONOFF = int32_t(SYNTH_ONOFF_TABLE);

// Program ROM 0x3661C-0x3667A and 0x3A508-0x3AB28: the pages' texts, each at its
// address (footers, blanks, "OK", "NG", "ON", "OFF", prompts); 0x3ACB0-0x3ACC6: the
// credit line's texts; 0x36614 / 0x36618: the coin words' text addresses.
struct synth_service_text {
    uint32_t address;
    const char* text;
};
constexpr synth_service_text SYNTH_SERVICE_TEXTS[] = {
    {0x3661C, "SELECT & PRESS START"}, {0x3663D, "UP/DOWN:SEL"}, {0x36649, "START"}, {0x3664F, "--  "},
    {0x36654, "START:ENTER"}, {0x36663, "TESTING"}, {0x3666C, "   "}, {0x36670, "   "}, {0x36674, "     "},
    {0x3667A, "       "}, {0x3A508, "OFF"}, {0x3A50C, "ON "}, {0x3A528, "EXIT: UP + START"},
    {0x3A54E, "LEFT/RIGHT:CHANGE"}, {0x3A567, "VIEW:UP/DN"}, {0x3A574, "CLEAR:UP+START"}, {0x3A6AD, "OK"},
    {0x3A6B0, "PRESS KEY"}, {0x3A6BC, "TURN THE VALUE"}, {0x3A6CE, "PRESS AGAIN"}, {0x3A6DF, "NG"},
    {0x3A6E2, "PRESS TO RESTART"}, {0x3A6F8, "<KEY 2>"}, {0x3A706, "<R>"}, {0x3A70A, "<KEY 1>"},
    {0x3AB28, "BAD"}, {0x3ACB0, "FREE PLAY"}, {0x3ACBA, "CREDIT"}, {0x3ACC4, "/"}, {0x3ACC6, "INSERT COIN"},
    {SYNTH_COIN_WORDS + 0x10, "CREDIT"}, {SYNTH_COIN_WORDS + 0x18, "CREDITS"},
};
void synth_service_texts(synth_rom_set* set);
// Program ROM 0x3653C: the settings block's identification string.
constexpr const char* SYNTH_SETTINGS_ID = "SKYVOLT";
void synth_settings_header(synth_rom_set* set);
// Program ROM 0x36682: the time form's digit radices; the eleventh (0x36696) is 0.
constexpr uint16_t SYNTH_TIME_RADICES[11] = {10, 6, 10, 6, 10, 10, 10, 10, 10, 10, 0};
void synth_time_radices(synth_rom_set* set);
// Program ROM 0x36698: the main menu (title, seven items); 0x36704: their pages.
constexpr int16_t SYNTH_MAIN_MENU_PAGES[7] = {2, 4, 6, 16, 18, 20, 22};
void synth_main_menu(synth_rom_set* set);
// Program ROM 0x36714: the old form's coin values (two records), running on into the
// new form's at 0x36744 (coin value 1 and coin value 3 as OFF/ON). The coin menu at
// 0x36774 shares its first long with that list's end mark, so it draws no line.
// 0x36CEC: the (column, row) of the word after coin values 0 and 1.
void synth_coin_lists(synth_rom_set* set);
// Program ROM 0x367F4: the game-option values; their factory values are the settings
// defaults (SYNTH_SETTING_36806, _3681E, _3684E at +18 of records 0, 1 and 3).
// 0x3686C: the game-option menu (items 0-4, 4 = exit).
void synth_game_lists(synth_rom_set* set);
// Program ROM 0x368CC: the I/O test menu (title, DIP line, items 0-4); 0x3692C, 0x36974,
// 0x3699C, 0x369C0: the input, I/O value and the two output pages' menus.
void synth_io_menus(synth_rom_set* set);
// Program ROM 0x369FC: the pattern menu (items 0-9, 10 = exit).
void synth_pattern_menu(synth_rom_set* set);
// Program ROM 0x36A98 / 0x36B88: the sound test's decimal and hexadecimal value lists
// (volumes A and B, hundreds, tens, units; the hexadecimal list adds the parameter slot
// and value); 0x36B28 / 0x36C48: their menus (exit 5 / 7), with the sound name line.
constexpr int16_t SYNTH_VOLUME_FACTORY = 40;  // also the ROM words 0x36AAA and 0x36AC2
void synth_sound_lists(synth_rom_set* set);
// Program ROM 0x36D80: bookkeeping view 0's values; 0x36FD8 / 0x36FE8: the longs of the
// four view menus and of view 0's value list.
void synth_bookkeeping_lists(synth_rom_set* set);
// Program ROM 0x36FF8, 0x37070, 0x37130, 0x37178, 0x371CC: the board test, DSP test,
// bookkeeping clear, factory reset and ROM check menus (ROM check: lines 0-8 the sums).
void synth_board_menus(synth_rom_set* set);
// Program ROM 0x372D0 / 0x37378: the handle page's values and menu.
void synth_handle_lists(synth_rom_set* set);
// Program ROM 0x3795A: the credit line's eight cycle colours (R, G, B, 0).
void synth_credit_colours(synth_rom_set* set);
// Program ROM 0x1C278-0x1C85E: the tile-block lists of patterns 1-9 (one entry each):
// pattern p fills 40 cells x 10 rows from row 5 with 'A' + p in colour p; pattern 6's
// five lists each draw six cells '0' + j from column 10 + j of row 5, so each overwrites
// the one before.
constexpr uint32_t SYNTH_PATTERN_ROWS = 0x1C2A0;
void synth_pattern_lists(synth_rom_set* set);
// Program ROM 0x372BC: the nine expected sums of the point ROM (blocks of 0x80000 words;
// low, middle, high byte), computed from the point ROM as written. Called last.
void synth_rom_check_sums(synth_rom_set* set);

// ---- Stage start, course start and fly-in (synth_rom_stage.cpp) ---------------------
// Program ROM 0xB85B8: the course start table, six arrays of four longs by course.
struct synth_course_start {
    int32_t x, y, z, pitch, heading, roll;
};
constexpr synth_course_start SYNTH_COURSE_STARTS[4] = {
    {0x84000, 20000, 0x6C000, 0, 0x4000, 0},    {0x50000, 30000, 0x40000, 256, 0x8000, 0},
    {0x60000, 25000, 0x70000, 0, 0xC000, 128},   {0x48000, 260000, 0x90000, 1024, 0x2000, 0}};
void synth_course_starts(synth_rom_set* set);
// Program ROM 0x15C448: seconds by course and setting: 60 + 10 course + setting.
constexpr int32_t synth_course_seconds(int course, int setting) { return 60 + 10 * course + setting; }
void synth_course_seconds_table(synth_rom_set* set);
// Program ROM 0x15C328: multi-stage (stage base, seconds) by course, stage and setting:
// base 1000 course + 100 stage + 10 setting, seconds 40 + course + 2 stage + setting;
// 0x15C4F8: the deduction per continue, 150.
constexpr int32_t synth_stage_base(int course, int stage, int setting) { return 1000 * course + 100 * stage + 10 * setting; }
constexpr int32_t synth_stage_seconds(int course, int stage, int setting) { return 40 + course + 2 * stage + setting; }
constexpr int32_t SYNTH_QUOTA_DEDUCTION = 150;
constexpr uint32_t SYNTH_STAGE_TABLE_AT = 0x15C328, SYNTH_QUOTA_DEDUCTION_AT = 0x15C4F8;
void synth_stage_seconds_table(synth_rom_set* set);
// Program ROM 0x36414 + 244: the object viewer's start longs (x, y, z, three angles, mode).
constexpr int32_t SYNTH_VIEWER_START[7] = {100, -200, 4000, 0x100, 0x200, 0x300, 2};
void synth_viewer_start(synth_rom_set* set);
// Program ROM 0x3A2AC: the viewer's title; 0x3A2E6: its labels, one after another.
constexpr const char* SYNTH_VIEWER_TITLE = "OBJECT VIEWER";
constexpr const char* SYNTH_VIEWER_LABELS[9] = {"MODEL", "X", "Y", "Z", "ANG1", "ANG2", "ANG3", "MODE", "STEP"};
void synth_viewer_strings(synth_rom_set* set);
// Program ROM 0x360A8 / 0x360C0: the approach's two node records' start longs (position,
// angles); 0x123C38 / 0x123C3C: the records' work-RAM addresses.
constexpr uint32_t SYNTH_FLYIN_NODES[2] = {0xE1DC00, 0xE1DC80};
void synth_flyin_nodes(synth_rom_set* set);
// Program ROM 0x360D8 / 0x360F0: the descent eye at frames 540 and 900 (offset x, y, z,
// heading offset, pitch and roll factors).
constexpr int32_t SYNTH_FLYIN_EYE_START[6] = {0, 4000, -12000, 0, 0, 0};
constexpr int32_t SYNTH_FLYIN_EYE_END[6] = {0, 1024, -9344, 0, 0, 0};
void synth_flyin_eyes(synth_rom_set* set);
// Program ROM 0x35D2C: the approach's two waypoints; 0x35D44: its terrain origin and model
// base; 0x35D54: the cell words (a 4 x 2 patch, ended by 0xFFFF); 0x35D7C / 0x35D88: the
// low and high camera points.
void synth_flyin_approach(synth_rom_set* set);
// Program ROM 0x35D94: the turned objects (20-byte records x, y, z, model, count, ended
// by a negative x); 0x35E4C: the camera-facing list, empty here: its model offset words at
// 0x37B98 share their bytes with event records 8 and 9.
constexpr int32_t SYNTH_FLYIN_OBJECTS = 3;
void synth_flyin_objects(synth_rom_set* set);
// ---- Intro, mode select, day card and course select (synth_rom_select.cpp) -----------
// Tile-block records (as SYNTH_BLOCKS, written over the plain ones): the select hint 28,
// the intro's text palette 184, its still tiles 179, blinking blocks 199..204, title 205,
// still blocks 249/250, step-5 blocks 243/244 (244's colour set is the intro's bank 5),
// the step texts SYNTH_INTRO_TEXT_BLOCK + 1..6, the final-course card 242, the course
// names 267..270 (242 ends before tile 320: the boot loads it to 288), the day cards SYNTH_DAY_BLOCK + day and the last day's block 287.
constexpr int32_t SYNTH_INTRO_TEXT_BLOCK = 189;  // step s's text: 189 + s (steps 1..6)
constexpr int32_t SYNTH_DAY_BLOCK = 206;         // day d's card: 206 + d
constexpr synth_block SYNTH_SELECT_BLOCKS[] = {
    {28, 500, 8, 1, 2},    {179, 510, 12, 1, 3},  {184, 0, 1, 1, 4},     {199, 530, 4, 1, 0},   {200, 534, 4, 1, 0},
    {201, 538, 4, 1, 0},   {202, 542, 4, 1, 0},   {203, 546, 4, 1, 0},   {204, 550, 4, 1, 0},   {205, 560, 10, 2, 5},
    {242, 600, 14, 2, 6},  {243, 650, 6, 2, 0},   {244, 670, 8, 2, 7},   {249, 690, 5, 1, 0},   {250, 700, 2, 1, 0},
    {267, 720, 6, 1, 2},   {268, 726, 6, 1, 0},   {269, 732, 6, 1, 0},   {270, 738, 6, 1, 0},   {287, 760, 12, 2, 3},
    {190, 800, 10, 2, 0},  {191, 820, 10, 2, 0},  {192, 840, 10, 2, 0},  {193, 860, 10, 2, 0},  {194, 880, 10, 2, 0},
    {195, 900, 10, 2, 0},  {206, 940, 8, 2, 1},   {207, 956, 8, 2, 2},   {208, 972, 8, 2, 3},   {209, 988, 8, 2, 4},
};
void synth_select_blocks(synth_rom_set* set);
// Program ROM 0x35080: the mode select's pointer targets (two longs), 0x35088 its base y.
constexpr int32_t SYNTH_POINTER_TARGETS[2] = {176, 432};
constexpr int32_t SYNTH_POINTER_BASE_Y = 200;
void synth_mode_pointer(synth_rom_set* set);
// Program ROM 0x3508C + 32 c: the course map frame of course c (x origin, y origin, depth,
// scale, x max, x min, y max, y min).
constexpr int32_t SYNTH_COURSE_FRAME[8] = {-100, -60, 900, 64, 240, -240, 180, -180};
void synth_course_map_frames(synth_rom_set* set);
// Program ROM 0x35190 / 0x35198: the handle hint's sprite tiles, four words each.
constexpr int16_t SYNTH_HANDLE_TILES[2][4] = {{440, 441, 442, 443}, {450, 451, 452, 453}};
void synth_handle_hint_tiles(synth_rom_set* set);
// Program ROM 0x398F4: the intro's eight step starts (frames, rising; step 0 at 16, then
// 64 frames a step: a blink of bit 5 shows both halves).
constexpr int32_t SYNTH_INTRO_STARTS[8] = {16, 80, 144, 208, 272, 336, 400, 464};
void synth_intro_starts(synth_rom_set* set);
// Program ROM 0x3991C: step s's text block (step 0 none: a negative top byte), and at
// 0x39938 + 8 s its column 2 + s and row 18.
void synth_intro_texts(synth_rom_set* set);
// Program ROM 0x39970 + 4 d: day d's card block (SYNTH_DAY_BLOCK + d); 0x39984 + 8 d its
// column 6 + 2 d and row 10.
void synth_day_cards(synth_rom_set* set);
// The stage quotas (0x15C328) and their deduction per continue (0x15C4F8): the stage
// block's synth_stage_seconds_table.
// ---- Animated objects and scenery (synth_rom_objects.cpp) ----------------------------------
// Program ROM SYNTH_SCRIPT_POOL: the object scripts, 20-byte entries (x, y, z longs; first
// tilt, heading, second tilt, control words). Entry k of a script is at script + 20 k.
constexpr uint32_t SYNTH_SCRIPT_POOL = 0x1D8000;
// A move: pose (0, 0, 0, heading 0x3F00), count 4 to (400, -800, 1200, tilt 0x100,
// heading 0x100), count 0 there, count 1 to (1000, 0, 0), then 0x8300.
constexpr uint32_t SYNTH_SCRIPT_MOVE = SYNTH_SCRIPT_POOL;
constexpr int32_t SYNTH_MOVE_X = 400, SYNTH_MOVE_Y = -800, SYNTH_MOVE_Z = 1200, SYNTH_MOVE_LAST_X = 1000;
// 0x82FC hiding for SYNTH_HIDE_FRAMES, then count 2 to (2000, 0, 0), then 0x8300.
constexpr uint32_t SYNTH_SCRIPT_HIDE = SYNTH_SCRIPT_POOL + 0x100;
constexpr int32_t SYNTH_HIDE_FRAMES = 3, SYNTH_HIDE_X = 2000;
// Every opcode in one run: 0x82F3 (bank B 0x1111), 0x82F4 (0x2222), 0x82F5, 0x82F6,
// 0x82F8 (sound SYNTH_OPCODE_SOUND), 0x82F9 (bank B 0x3333), 0x82FA (bank A 0x4444),
// 0x82FB (model SYNTH_OPCODE_MODEL), 0x82FD (one child, spawn record SYNTH_CHILD_RECORD),
// 0x82FE to entry 11 (SYNTH_TELEPORT, count 3 to entry 12, x + 300); there 0x82FF with an
// opcode in its operand entry jumps over entry 14 (0x8300) to entry 15: 0x82F7 with an
// opcode, a jump to the loop mark (entry 0), which runs the list again.
constexpr uint32_t SYNTH_SCRIPT_OPCODES = SYNTH_SCRIPT_POOL + 0x200;
constexpr int32_t SYNTH_OPCODE_SOUND = 5, SYNTH_OPCODE_MODEL = 77;
constexpr int32_t SYNTH_TELEPORT_X = 5000, SYNTH_TELEPORT_Y = 6000, SYNTH_TELEPORT_Z = 7000;
// Jumps with counts: pose 0 count 3 to entry 1 (300, 0, 0), which marks the loop; 0x82FF
// over entry 4 (0x8300) to entry 5 (300, 0, 900) over 4 frames; there 0x82F7 back to the
// loop mark over 2 frames.
constexpr uint32_t SYNTH_SCRIPT_JUMPS = SYNTH_SCRIPT_POOL + 0x400;
// A loop with no count: 0x82F6, 0x82F7 with an opcode in its operand, for ever.
constexpr uint32_t SYNTH_SCRIPT_RUNAWAY = SYNTH_SCRIPT_POOL + 0x500;
// 0x82FF whose target lies SYNTH_OFF_ROM_ENTRIES entries on, past the ROM.
constexpr uint32_t SYNTH_SCRIPT_OFF_ROM = SYNTH_SCRIPT_POOL + 0x580;
constexpr int32_t SYNTH_OFF_ROM_ENTRIES = 0x40000;
// A patrol for the pre-roll: counts of 1000 between poses x = 0, 1000, 2000, ... (the
// entry after the first is 0x82FA setting bank A SYNTH_PATROL_BANK), ten legs, no end.
constexpr uint32_t SYNTH_SCRIPT_PATROL = SYNTH_SCRIPT_POOL + 0x600;
constexpr int32_t SYNTH_PATROL_LEG = 1000, SYNTH_PATROL_BANK = 0x55;
void synth_object_scripts(synth_rom_set* set);

// Program ROM 0xB2B78 + 28 n: spawn records (script, model, lead, flags, frames, shift,
// match, limit/bank B, bank A, facing, slot). Named by index below; record SYNTH_RECORD_*
// spawns into slot SYNTH_SLOT_* (facing test off unless said).
enum synth_spawn_record {
    SYNTH_RECORD_MOVE,        // move script, own heading, persistent, model 100
    SYNTH_RECORD_FACING,      // facing 2048, move script
    SYNTH_RECORD_SQUARE,      // flag 0x0010, match SYNTH_MATCH_SQUARE
    SYNTH_RECORD_CELL,        // flag 0x0020, match SYNTH_MATCH_CELL
    SYNTH_RECORD_HEIGHT,      // flag 0x0040, limit SYNTH_HEIGHT_LIMIT (script y 0)
    SYNTH_RECORD_HIGH,        // flags 0x0040 | 0x0002, limit SYNTH_HEIGHT_LIMIT
    SYNTH_RECORD_SLOT16,      // slot 16
    SYNTH_RECORD_BAD_SCRIPT,  // script 0x5000
    SYNTH_RECORD_HIDE,
    SYNTH_RECORD_OPCODES,
    SYNTH_RECORD_CHILD,       // spawned by the opcodes script
    SYNTH_RECORD_JUMPS,
    SYNTH_RECORD_RUNAWAY,
    SYNTH_RECORD_OFF_ROM,
    SYNTH_RECORD_FULL,        // flag 0x0004 (full rotation), frames 8, shift 1, model 300
    SYNTH_RECORD_YAW,         // flag 0x0001, lead 16, banks A 0x10 / B 0x20 (flag 0x0100)
    SYNTH_SPAWN_RECORDS
};
constexpr int32_t SYNTH_RECORD_SLOT[SYNTH_SPAWN_RECORDS] = {0, 1, 2, 3, 4, 4, 16, 5, 6, 7, 8, 9, 10, 11, 12, 13};
constexpr int32_t SYNTH_MATCH_SQUARE = 3 + 24 * 5, SYNTH_MATCH_CELL = 17, SYNTH_HEIGHT_LIMIT = 0x4000;
constexpr int32_t SYNTH_CHILD_RECORD = SYNTH_RECORD_CHILD;
void synth_spawn_records(synth_rom_set* set);
// Program ROM 0xB5D8C (3), 0xB5DE0 (4), 0xB5E50 (4), 0xB3084 (1): the fixed course
// objects of courses 0 and 2, patrols in slots 8-14 (course 0) and 8-12 (course 2).
void synth_course_objects(synth_rom_set* set);
// Program ROM 0xB0938 + 512 c: the chunk spawn table; every cell none (0x80) but course
// 0's cell SYNTH_SPAWN_CELL, which offers SYNTH_RECORD_MOVE.
constexpr int32_t SYNTH_SPAWN_CELL = 10;
void synth_chunk_spawns(synth_rom_set* set);
// Program ROM 0xAD8D8 + 1536 c + 512 t: tier tables. Course 0: cell n has record n in
// each tier, but SYNTH_EMPTY_CELL's near word is 0x8000; course 1: every cell the eight
// records from SYNTH_KIND_RECORDS in every tier; courses 2, 3: none.
constexpr int32_t SYNTH_EMPTY_CELL = 5;
void synth_tier_tables(synth_rom_set* set);
// Program ROM 0xAF0D8 + 32 w: scenery records. w = 0..127: kind 1, one frame, bases
// SYNTH_TIER_BASE(t) + w, at (+0x100, +0x200) x 2 from the chunk, y 0x3000, angles 0x1000,
// 0x2000, 0x3000. From SYNTH_KIND_RECORDS: kinds 0-5, kind 9 and a kind 1 with a six-step
// count and bank SYNTH_SCENERY_BANK (see synth_rom_objects.cpp for their fields).
constexpr int32_t SYNTH_KIND_RECORDS = 128, SYNTH_SCENERY_BANK = 0x1234;
constexpr int32_t SYNTH_TIER_BASE(int32_t tier) { return 1000 + 1000 * tier; }
void synth_scenery_records(synth_rom_set* set);
// Program ROM 0x36144: 32 kind-5 frame words, 3 - i % 4; 0x36184: the six-step cycle 0, 1,
// 2, 3, 2, 1; 0x36394: course 3's flag bytes, 0 but cell 90 (1).
void synth_scenery_frame_tables(synth_rom_set* set);
// Program ROM 0x361DC: course 2's 16 ring records (phase 0x1000 i, radii 10000 and
// 20000, centre 400000, 690000); 0x36190: three effect-list records, then 0.
void synth_effect_records(synth_rom_set* set);
// Program ROM 0x3632C: the rig figures' root models by figure type 0..2, three longs.
constexpr int32_t SYNTH_FIGURE_MODELS[3] = {890, 891, 892};
void synth_figure_models(synth_rom_set* set);
// ---- The ending (synth_rom_ending.cpp) ----------------------------------------------
// Program ROM 0x37A62: the counters at which phases 0..11 end (540 ... 7945); 0x37A60,
// the word before, is SYNTH_ENDING_WORD_BEFORE. The word after them (0x37A7A, phase
// 12's end, which the game never compares) is also the first scene list's first cell
// word, both at addresses the game fixes: the scene list, which the game reads, keeps it
// (synth_ending_scene_lists writes it), so phase 12's end is SYNTH_SCENE_LIST_CELLS[0].
constexpr uint16_t SYNTH_SCENE_LIST_CELLS[3] = {9, 18, 27};
constexpr int32_t SYNTH_PHASE_ENDS[13] = {540,  1560, 2145, 2775, 3375, 3915,
                                          4485, 5355, 6075, 6795, 6945, 7945, SYNTH_SCENE_LIST_CELLS[0]};
constexpr int32_t SYNTH_ENDING_WORD_BEFORE = 100;
void synth_ending_phase_ends(synth_rom_set* set);
// Program ROM 0x38560: the roll's 20-byte records (first frame, length, column,
// palette selector, text address, model, kind), then a record whose first long is -1;
// their texts from 0x39100; 0x39078: the colour word of each palette selector.
struct synth_roll_record {
    int32_t first, length;
    int16_t column, palette;
    const char* text;
    uint16_t model, kind;
};
constexpr synth_roll_record SYNTH_ROLL_RECORDS[] = {
    {2150, 300, 10, 1, "STAFF", 0x8000, 0},
    {2166, 300, 12, 2, "SKY VOLTA CREW", 610, 1},
    {2182, 300, 60, 0, "ABCDEFGH", 620, 0},  // runs past column 63
};
constexpr uint16_t SYNTH_ROLL_COLOURS[3] = {0x1000, 0x2000, 0x3000};
void synth_ending_roll(synth_rom_set* set);
// ---- The ending's landing, portrait and bad ending (synth_rom_ending_scenes.cpp) -----
// Program ROM 0x37A7A, 0x37A86, 0x37A94: the scene's three packet lists (terrain-cell
// words, 0xFFFF ended), one cell each (SYNTH_SCENE_LIST_CELLS, above); the first list's
// cell is the word after the phase-end table.
void synth_ending_scene_lists(synth_rom_set* set);
// Program ROM 0x37AC4: the crew's 16 animation steps (longs k mod 4).
void synth_ending_crew_steps(synth_rom_set* set);
// Program ROM 0x38134 .. 0x381F3: phase 5 (camera 0x38134, list 0x38150, anchor heights
// 0x38174 / 0x38180) and phase 6 (camera 0x38188, list 0x381C0, chain height 0x381D0,
// heights 0x381D4 / 0x381D8, sway record 0x381DC whose +12 at 0x381E8 is the chain's rate).
void synth_ending_crew_scenes(synth_rom_set* set);
// Program ROM 0x381F4 .. 0x383AF: the landing: camera 0x381F4 (its +12, +16 the settled
// aim), aim height 0x38214, start pose 0x38228 (SYNTH_LANDING_POSE; +16 at 0x38238 the
// approach's last heading), anchor 0x38240, list 0x38250, object list 0x3826C (one cube).
constexpr int32_t SYNTH_LANDING_POSE[6] = {0x100000, 92000, 0x100000, 0, 0x4000, 0};
void synth_ending_landing(synth_rom_set* set);
// Program ROM 0x383B0 .. 0x383F5 (phase 10's scenery word cycles, word k of a table =
// 0x100 x table + k), 0x384E0 (the camera preset bytes SYNTH_FREE_PRESET) and the list
// 0x384FC.
constexpr uint8_t SYNTH_FREE_PRESET[6] = {10, 20, 30, 40, 50, 60};
void synth_ending_free_camera(synth_rom_set* set);
// Program ROM 0x383F8 .. 0x3843B: the portrait's camera, list 0x38414, the fourth model's
// pose 0x38420 and the spring target 0x38438; 0x123C44 / 0x123C40: pointers to its first
// and fourth object lists (SYNTH_PORTRAIT_RECORDS records each, from SYNTH_SCENE_DATA).
// The caption's tile blocks 96, 97 and 106 are synth_attract_blocks' letter blocks.
constexpr uint32_t SYNTH_SCENE_DATA = 0x1FE800;
constexpr int SYNTH_PORTRAIT_RECORDS = 16;
void synth_ending_portrait(synth_rom_set* set);
// Program ROM 0x38460 .. 0x384DF: the bad ending's camera, circle (x, y, z, radius,
// rate), hit list 0x38490 (SYNTH_BAD_HITS, then frame 0) and event list 0x384B0
// (SYNTH_BAD_EVENTS, then frame 0).
struct synth_bad_hit {
    int16_t frame, spin, angle, debris_angle, lift;
};
constexpr synth_bad_hit SYNTH_BAD_HITS[2] = {{240, 600, 0x2000, 0x1000, 60}, {300, -500, 0x6000, 0x3000, 40}};
constexpr int16_t SYNTH_BAD_EVENTS[2][2] = {{20, 3}, {100, 5}};
void synth_ending_bad(synth_rom_set* set);
// ---- The ending's flight phases 0-4 (synth_rom_ending_flights.cpp) --------------------
// Program ROM 0x37AA4: the scene record (x, y, z, the model base of the packet lists that
// synth_ending_scene_lists writes, 0, 0, zoom); 0x37B04..0x37B37: the fly-in's tile rows (byte 0x37ADC + s for step s = 40..91).
constexpr int32_t SYNTH_SCENE_RECORD[7] = {0, 0x8000, 0, 0, 0, 0, 0x780};
// The fly-in (phase 0): 0x37C4C its model's node list (one record); 0x37CFC / 0x37D18
// its two camera records, the second from t = 264 on; 0x37D34 the sway record, whose
// third pair (rate at 0x37D44 = event record 43's blue long, divisor 0) is unused;
// 0x37D4C the event list, 0x37D5E the step list, 0x37D66 the flash list (frame, angle,
// count), each ended by a frame of 0.
constexpr int32_t SYNTH_FLY_IN_EVENTS[1][2] = {{4, 0}};
constexpr int32_t SYNTH_FLY_IN_STEPS[3] = {300, 360, 380};
struct synth_flash {
    int16_t frame, angle, count;
};
constexpr synth_flash SYNTH_FLY_IN_FLASHES[2] = {{200, 0, 8}, {241, 0x4000, 5}};
// Phases 1 and 2: 0x37E28 / 0x37F80 the model's node lists; 0x37E30, 0x37E4C, 0x37E68
// the three legs' camera records and 0x37E84, 0x37E98, 0x37EB8 their toggle lists (frames
// before the leg's end); 0x37F88 phase 2's camera record.
constexpr int16_t SYNTH_PASS_TOGGLES[3][4] = {{170, 120, 0, 0}, {150, 100, 60, 0}, {90, 0, 0, 0}};
// Phase 3: 0x3804C / 0x38054 the model's two node lists; 0x3805C / 0x3806C the camera's
// offsets from the model (x, y, z, angle); 0x3807C the object record (x, y, z, base).
// Phase 4: 0x380B0..0x38134 the ring: camera record, its climb, the aimed point, the
// anchor's climb, the radius, angle and lift at the start and the end, and the eight
// objects' extra turns, spins and lifts (words).
// The node records, cameras and lists' targets lie from SYNTH_FLIGHT_DATA on.
constexpr uint32_t SYNTH_FLIGHT_DATA = 0x1EE000;
void synth_ending_flights(synth_rom_set* set);
// Point ROM: boxes for the flight phases' models (display-list numbers): the flash
// 558..573, the blast 537..541, the debris 503 and 505, the ring's body 500 and the scene
// objects 5..8 (the segment models after the cube, ground, lit and depth models).
constexpr synth_box SYNTH_FLIGHT_BOXES[] = {
    {558, 573, {-0x30000, -0x30000, -0x400}, {0x30000, 0x30000, 0x400}},
    {537, 541, {-0x1800, -0x1800, -0x1800}, {0x1800, 0x1800, 0x1800}},
    {503, 503, {-0x800, -0x800, -0x800}, {0x800, 0x800, 0x800}},
    {505, 505, {-0x1400, -0x1000, -0x1400}, {0x1400, 0x1000, 0x1400}},
    {500, 500, {-0x6000, -0x2000, -0x6000}, {0x6000, 0x2000, 0x6000}},
    {5, 8, {-0x5000, -0x5000, -0x5000}, {0x5000, 0x5000, 0x5000}},
};
// ---- Intermission and name entry (synth_rom_intermission.cpp) -------------------------
// Program ROM 0x399A4 + 8 d: the day records (first set, last set, script, end frame).
struct synth_inter_day {
    int16_t first_set, last_set, script, end_frame;
};
constexpr synth_inter_day SYNTH_INTER_DAYS[4] = {{3, 3, 0, 40}, {0, 1, 1, 330}, {2, 2, 2, 90}, {3, 3, 0, 40}};
void synth_inter_days(synth_rom_set* set);
// Program ROM 0x1532F8 + 4 s (s = 0..3): each set's list of one node list at
// SYNTH_INTER_SET_LISTS + 8 s, whose one record (the cube, model SYNTH_MODEL_CUBE, at
// SYNTH_INTER_RECORDS + 36 s) gives the set's length in frames.
constexpr uint32_t SYNTH_INTER_SET_LISTS = 0x1FD400;
constexpr uint32_t SYNTH_INTER_NODE_LISTS = 0x1FD440;
constexpr uint32_t SYNTH_INTER_RECORDS = 0x1FD480;
constexpr int32_t SYNTH_INTER_SET_LENGTHS[4] = {160, 160, 60, 20};
void synth_inter_sets(synth_rom_set* set);
// Program ROM 0x399FC + 8 n: raw sound records 1 (slot 40, command 0x0155, parameter
// slot 40, word 0x0042), 2 (slot 0x4000: outside the sound RAM), 3 (parameter slot
// 0x3F80: outside).
struct synth_raw_sound {
    uint16_t slot, command, param_slot, param;
};
constexpr synth_raw_sound SYNTH_RAW_SOUNDS[4] = {
    {0, 0, 0, 0}, {40, 0x0155, 40, 0x0042}, {0x4000, 0x0111, 3, 0x0055}, {21, 0x0122, 0x3F80, 0x0066}};
void synth_inter_raw_sounds(synth_rom_set* set);
// Program ROM 0x39C08 + 4 k: sound scripts 0-2 (frame, a, b entries ended by frame
// 0xFFFF). Script 2: frame 3 sounds 10 (parameter 5) and 12 (7); frame 5 raw record 1;
// frame 8 the raw sound stopped; frame 9 raw records 2 and 3 (refused); frame 10 sound
// 13 thirty-three times with parameters 1..33. Scripts 0 and 1 are empty.
constexpr uint32_t SYNTH_INTER_SOUND_SCRIPTS = 0x1FD600;  // 0x100 per script
void synth_inter_sound_scripts(synth_rom_set* set);
// Program ROM 0x39AD0 + 4 k: text scripts 0-2 (frame, block, column entries ended by
// frame 0xFFFF). Script 2: frame 30 the title's start block (27) at column 4, frame 50
// cleared, frame 60 the insert block (26) at column 6.
constexpr uint32_t SYNTH_INTER_TEXT_SCRIPTS = 0x1FD900;  // 0x40 per script
struct synth_text_entry {
    int16_t frame, block, column;
};
constexpr synth_text_entry SYNTH_INTER_TEXT_2[3] = {{30, 27, 4}, {50, 0, 0}, {60, 26, 6}};
void synth_inter_text_scripts(synth_rom_set* set);
// Program ROM 0x39C04: day 1's scenery tiles, one word (5) then the end mark 0xFFFF.
// 0x39C30: the sixteen flag model steps, long k = k.
constexpr uint16_t SYNTH_INTER_TILE = 5;
void synth_inter_tiles(synth_rom_set* set);
// ---- Results, continue and total screens (synth_rom_results.cpp) --------------------
// Program ROM 0x15C478 + 32 c: course c's five grade thresholds (the fifth, at 0x15C488
// + 32 c, is also the base of the grade-4 quota difference). Course 1's are low, so
// that grade 5 can miss every place of its ranking table (1700 .. 750).
constexpr int32_t SYNTH_GRADE_THRESHOLDS[4][5] = {
    {1000, 2000, 3000, 4000, 5000}, {100, 200, 300, 400, 500}, {1500, 2500, 3500, 4500, 5500}, {2000, 3000, 4000, 5000, 6000}};
void synth_grade_thresholds(synth_rom_set* set);
// Program ROM 0x37508: the gauge needle's target per grade 0..5 (-320 + 96 g).
constexpr int16_t synth_needle_target(int grade) { return int16_t(-320 + 96 * grade); }
void synth_needle_targets(synth_rom_set* set);
// Program ROM 0x375FC + 16 g: the final text of grade g: block 262 + g % 2 at column 12,
// row 21, tile 576 + 64 (g % 2).
void synth_final_texts(synth_rom_set* set);
// Program ROM 0x3757C + 32 c: the results' course map frames (SYNTH_COURSE_FRAME, at
// depth 848); course 2's fields 1-6 are the bytes of the hit sets' field masks at
// 0x375C0 (synth_rom_rig.cpp), so its map draws nothing.
void synth_results_map_frames(synth_rom_set* set);
// Program ROM 0x15C4FC + 4 i: the continue times by setting 0..2, in frames (the demo
// table follows at 0x15C508).
constexpr int32_t SYNTH_CONTINUE_TIMES[3] = {600, 900, 1200};
void synth_continue_times(synth_rom_set* set);
// Program ROM 0x37958: the palette entry the continue screen cycles (the credit line's).
constexpr uint16_t SYNTH_CYCLE_ENTRY = 0x7FE0;
void synth_cycle_entry(synth_rom_set* set);
// Tile-block records of the results and continue screens (over the plain ones): the
// title 183, the notice halves 212 and 227, the seconds' digits 230 + d (2 x 2) and the
// deduction's 251 + d (2 x 3), 261, the grade texts 262 and 263 (264 stays plain: the boot
// loads it), the course-2 note 298 and
// the choice blocks 283-286 (the select's 28 is the confirm hint).
void synth_results_blocks(synth_rom_set* set);
// Sprite tiles of the screens, their words of tile tables 1 and 2 written over the ruled
// ones (which point past the sprite ROM), and of table 3 with bit 7 (no depth cue), one
// cell each: the game-over, results and total
// screens' (349, 350, 491, 492, 494-496), the name entry's cursor (460) and the attract
// title's captions (336, 337) on a disc tile (SYNTH_SPRITE_DISC_TILE + tile % 4); the
// attract title's six panels (330-335) and the logo halves (345, 346) on the panel tile,
// all in the palette group of 330.
constexpr int16_t SYNTH_SCREEN_SPRITE_TILES[10] = {336, 337, 349, 350, 460, 491, 492, 494, 495, 496};
constexpr int16_t SYNTH_PANEL_SPRITE_TILES[8] = {330, 331, 332, 333, 334, 335, 345, 346};
void synth_screen_sprite_tiles(synth_rom_set* set);
// Point-ROM stand-ins of the results boards' models (display-list numbers, drawn like the
// cube by synth_models): the quota digits 839-848 and the digit plates 849, the three
// panels 836-838, the best-record model 833, the gauge needle 857, the grade models
// 861-863 and 887-890, the path points 908/909 and the map's balloons 912/913; the name
// entry's grid panel 886 and its letters (synth_letter_model 0..51, rising in height).
constexpr synth_box SYNTH_SCREEN_BOXES[] = {
    {839, 848, {-14, -18, -4}, {14, 18, 4}},  {849, 849, {-18, -24, 8}, {18, 24, 12}},
    {836, 837, {-60, -20, -8}, {60, 20, 8}},  {838, 838, {-90, -30, -8}, {90, 30, 8}},
    {833, 833, {-50, -50, -10}, {50, 50, 10}}, {857, 857, {-200, -12, -8}, {200, 12, 8}},
    {861, 863, {-60, -30, -8}, {60, 30, 8}},  {887, 890, {-60, -30, -8}, {60, 30, 8}},
    {908, 908, {-6, -6, -6}, {6, 6, 6}},      {909, 909, {-12, -12, -12}, {12, 12, 12}},
    {912, 913, {-8, -8, -8}, {8, 8, 8}},
    {886, 886, {-280, -90, 30}, {280, 90, 40}},
};
