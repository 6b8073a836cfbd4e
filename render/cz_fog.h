// The fog and mixer state of one drawn frame: the CZ registers and density tables, the
// mixer's colours, fade and translucency settings and colour lookup tables, turned into
// one record that every consumer reads instead of the board images.
#pragma once
#include <cstdint>

constexpr int FOG_BANKS = 4;
constexpr int FOG_TABLE_SIZE = 8192;  // density index = depth >> 8, clamped
constexpr int FOG_DENSITY_WORDS = 256;

struct fog_state {
    uint16_t cz_attr[8];  // CZ registers 0x810000..0x81000E: biases 0-3, enable, select, bank map
    uint8_t density[FOG_BANKS][FOG_TABLE_SIZE];
    uint8_t colour_scale[3];  // mixer +0x00..+0x02
    uint32_t scale_active;    // the scale bytes are not all 0xFF
    uint8_t fog_colour[3];    // mixer +0x05..+0x07
    uint8_t bg_colour[3];     // mixer +0x08..+0x0A
    uint8_t fade_colour[3];   // mixer +0x16..+0x18
    uint8_t fade_amount;      // mixer +0x19
    uint8_t fade_flags;       // mixer +0x1A: bit 0 fade quad, bit 1 the 2D layers too
    uint8_t sprite_clear_group;  // mixer +0x0F: sprites of other groups are translucent
    uint8_t sprite_clear_pixel;  // mixer +0x10: sprite pixels of this value are translucent
    uint8_t text_clear_low;      // mixer +0x12, +0x13: text colours in this range are translucent
    uint8_t text_clear_high;
    uint8_t text_clear_pixel;    // mixer +0x14 (low 4 bits): text pixel value drawn translucent
    uint8_t text_clear_amount;   // mixer +0x15: text translucency, 0 = off
    uint8_t text_group;          // mixer +0x1B: palette group of the text layer (bits 0-6)
    uint32_t fog_level;          // mixer +0x0D while +0x0E is non-zero
    uint8_t lut[3][256];         // mixer +0x100..+0x3FF: R, G, B lookup tables
    uint32_t lut_active;
};

// The renderer's current record and whether it holds anything.
extern fog_state fog_current;
extern bool fog_current_valid;

// Once per drawn frame: CZ registers, CZ RAM and mixer registers into fog_current.
bool fog_mixer_intake();
// Seconds spent in fog_mixer_intake over the run (the renderer's statistics line).
double fog_intake_seconds();

// Builds into a scratch record and then replaces fog_current (readers never see a
// half-built record); `regs` are the eight CZ words, `tables` four sets of 256 density words.
bool fog_state_from_live(const uint8_t* mixer, const uint16_t* regs, const uint16_t* const* tables);
void fog_state_build(fog_state* out, const uint8_t* mixer, const uint16_t* regs, const uint16_t* const* tables);
// Density table of bank b from 256 threshold words (cz_attr must be filled first).
void fog_tables_build(fog_state* st, const uint16_t* words, int bank);

// The fog of a quad with colour word `colour` and fog selector `selector`: false when
// the quad takes no fog, else the bank's density table and bias.
bool fog_for_quad(uint32_t colour, uint32_t selector, const uint8_t** table, int* bias);
// Visibility 0..255 of a depth through a density table (none gives 255).
int fog_density_lookup(const uint8_t* table, int bias, int32_t depth);

// Through the colour lookup tables when fog_current is valid and they are in use.
void mixer_colour_lut_apply(uint8_t* r, uint8_t* g, uint8_t* b);
// The same through a given record's tables (when in use).
void fog_lut_apply(const fog_state* st, uint8_t* rgb);

// Frame-dump files of frame N: CZ registers, mixer registers and four density banks.
bool fog_dump_read(fog_state* out, const char* dir, int frame);
// Loads them into fog_current; the valid flag takes the result.
bool fog_state_load_dump(const char* dir, int frame);
