// The board's sprite hardware in software: sprite RAM, the second sprite region and the
// sprite registers become a list of sprites of up to 8 x 8 tiles of 32 x 32 pixels from
// the sprite ROM, placed, zoomed, flipped, clipped, depth-cued, faded and made
// translucent, and rasterised on the CPU into RGBA buffers (one per priority layer, or
// one full screen for the offline tools).
#pragma once
#include "render/cz_fog.h"

#include <cstddef>
#include <cstdint>

constexpr int SPRITE_SCREEN_W = 640;
constexpr int SPRITE_SCREEN_H = 480;
constexpr size_t SPRITE_RAM_BYTES = 0x30000;     // board 0x980000
constexpr size_t SPRITE_REGION_BYTES = 0x10000;  // board 0x900000
constexpr int SPRITE_REGISTERS = 32;             // board 0x940000
constexpr int SPRITE_LAYERS_MAX = 1024;          // the live path's cap per frame

// One frame's sprite input. The live intake points into two buffers kept for the run;
// a dump load owns what it read.
struct sprite_input {
    uint32_t* words;  // sprite RAM as 32-bit words (big-endian converted)
    uint32_t word_count;
    uint32_t* attr_words;  // the second sprite region, the same way
    uint32_t attr_count;
    uint32_t regs[SPRITE_REGISTERS];
    int regs_valid;  // regs and attr_words may be used
    const uint8_t* palette;  // planes R, G, B of 0x8000 bytes
    int palette_owned;
    int valid;
};

// One priority layer: a sprite's screen rectangle after clipping.
struct sprite_layer {
    uint32_t priority;  // 24-bit key: layer x 0x200000 + priority
    int x0, y0, width, height;
    int index;  // the sprite's place in the built list
    int mark;   // depth byte 0xFE
    uint32_t base_tile;
};

// Once per drawn frame: sprite RAM, the second region, the registers and the composed
// palette (palette RAM before the palette source is set up).
bool sprite_intake(sprite_input* rec);
bool sprite_input_from_live(sprite_input* rec, const uint8_t* ram, size_t ram_size, const uint8_t* region,
                            size_t region_size, const uint32_t* regs, const uint8_t* palette);
// Frame N of a dump directory; `rec` must own nothing. The palette file is required; a
// shared palette with the same bytes is used instead of a copy.
bool sprite_dump_load(sprite_input* rec, const char* dir, int frame, const uint8_t* shared_palette);
void sprite_input_free(sprite_input* rec);

// Decodes the sprites into at most `max` layers, highest key first (equal keys: the
// later sprite first), so that a painter drawing them in order leaves the lowest on top.
int sprite_list_build(const sprite_input* rec, sprite_layer* layers, int max);
// Draws the layer's sprite into a cleared buffer of the layer's width x height (RGBA);
// keep_alpha leaves translucency in the alpha channel instead of mixing it in. A null
// fog state draws without depth cue or fade.
void sprite_layer_raster(const sprite_input* rec, const fog_state* fog, const sprite_layer* layer, uint8_t* rgba,
                         bool keep_alpha);
// A key over everything sprite_layer_raster reads for the layer (the sprite's words, its
// clip and tile-table words, its palette group, the fog's colours and translucency
// settings, the sprite ROM's place): equal keys give equal pictures while the sprite
// ROM's bytes stay as loaded.
uint64_t sprite_layer_change_key(const sprite_input* rec, const fog_state* fog, const sprite_layer* layer,
                                 bool keep_alpha);
// Draws every sprite into a cleared 640 x 480 RGBA buffer; `map` (640 x 480, optional)
// gets 2 for each sprite pixel, 3 for a marked sprite's.
void sprites_raster(const sprite_input* rec, const fog_state* fog, uint8_t* rgba, uint8_t* map, bool keep_alpha);
void sprites_raster_all(const sprite_input* rec, const fog_state* fog, uint8_t* rgba, uint8_t* map);
