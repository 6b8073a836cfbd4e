// The board's text layer in software: a 64 x 64 map of 16 x 16-pixel cells of 4-bit
// tiles from character RAM, scrolled by two registers, coloured from one palette group,
// faded and made translucent by the mixer, rasterised on the CPU into a 640 x 480 RGBA
// picture that is redrawn only when its change key moves.
#pragma once
#include "render/cz_fog.h"

#include <cstdint>

constexpr int TEXT_SCREEN_W = 640;
constexpr int TEXT_SCREEN_H = 480;
constexpr uint32_t TEXT_CHARS_BYTES = 0x20000;  // character RAM, then the tile map
constexpr uint32_t TEXT_MAP_OFFSET = 0x1E000;   // cell (c, r): attribute, code at + 2(64r + c)
constexpr int TEXT_REGISTERS = 8;               // board 0x8A0000: 0 x scroll, 1 y scroll

struct text_input {
    const uint8_t* chars;  // TEXT_CHARS_BYTES
    int chars_owned;
    const uint8_t* palette;  // planes R, G, B of 0x8000 bytes
    int palette_owned;
    uint16_t text_regs[TEXT_REGISTERS];
    int enabled;
};

// Once per drawn frame: character RAM, text RAM, the registers and the composed palette
// (palette RAM before the palette source is set up) into a buffer kept for the run.
bool text_intake(text_input* rec);
// Fills the record with borrowed data.
void text_input_set(text_input* rec, const uint8_t* chars, const uint8_t* palette, const uint16_t* regs);
// Frame N of a dump directory; `rec` must own nothing. Shared palette and character data
// with the same bytes are used instead of copies.
bool text_dump_load(text_input* rec, const char* dir, int frame, const uint8_t* shared_palette,
                    const uint8_t* shared_chars);
void text_input_free(text_input* rec);

// Draws the layer into a 640 x 480 RGBA buffer. With `background` every pixel starts as
// the mixer's background colour and translucency mixes into it (the offline pictures);
// without it, empty pixels stay transparent black and translucency goes to alpha.
void text_layer_raster(const text_input* rec, const fog_state* fog, uint8_t* rgba, bool background);

// A key over everything the picture depends on: equal keys give equal pictures.
uint64_t text_layer_change_key(const text_input* rec, const fog_state* fog);
