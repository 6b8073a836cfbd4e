// The program-ROM tables of the terrain and the collision, one accessor each. Every
// accessor tests its whole read against the 4 MB program ROM (and its table's own
// bound) and refuses with false (or 0) instead of reading past either.
#pragma once
#include <cstdint>

// ROM addresses of the fixed tables.
constexpr uint32_t ROM_SEED_OFFSETS = 0x0B8618;    // (dx, dz) word pairs by distance
constexpr int32_t SEED_OFFSETS = 4096;
constexpr uint32_t ROM_SLOPE_VALUES = 0x203004;    // signed words by 14-bit index
constexpr uint32_t ROM_SHEAR_TABLE = 0x207004;     // words by quarter-turn heading
constexpr uint32_t ROM_DYNAMIC_SIZES = 0x0338F8;   // three longs per object kind
constexpr uint32_t ROM_LOOKAHEAD_STEPS = 0x039FA0; // 11 longs of angle steps
constexpr int32_t LOOKAHEAD_STEPS = 11;
constexpr int32_t LOOKAHEAD_STEP_END = 0x8000;     // a step this large ends the table

// Terrain chunk model base and visibility mask address of each course.
constexpr int32_t CHUNK_MODEL_BASE[4] = {0x495, 0x515, 0x595, 0x615};
constexpr uint32_t CHUNK_MASK_ADDRESS[4] = {0x08B280, 0x08BA80, 0x08C280, 0x08CA80};
constexpr uint32_t ROM_CHUNK_LISTS = 0x08B200;     // one list pointer per heading sector
constexpr int32_t CHUNK_SECTORS = 32;
constexpr int32_t CHUNK_LIST_RECORDS = 60;         // records of 20 bytes per list
constexpr int32_t CHUNK_MASK_ROWS = 16;            // mask bytes per camera cell

// True when the n bytes from address lie inside the program ROM.
bool terrain_rom_range(uint32_t address, uint32_t n);

// course_terrain_table: the five table addresses of a course (geometry, slopes, layer
// counts, layer masks, zones) into out; false, nothing written, for a course above 3.
bool course_terrain_pointers_load(int32_t course, uint32_t out[5]);

// One signed byte per cell of a layer-count or layer-mask table (cell 0..127); false
// when the byte lies outside the ROM or the cell outside the grid.
bool cell_table_byte(uint32_t table, int32_t cell, int32_t* out);

// The layer record of (cell, layer) through the geometry table and the cell's layer
// list; false when either pointer lies outside the ROM.
bool cell_layer_record(uint32_t geometry, int32_t cell, int32_t layer, uint32_t* record);

// A vertex record: lattice x and z, its length byte and the height byte.
struct terrain_vertex {
    int32_t gx, gz, length, height;
};
// The first three bytes of the record at address (the walk's test); false near the ROM end.
bool vertex_head_read(uint32_t address, terrain_vertex* v);
// The whole head including the height byte.
bool vertex_read(uint32_t address, terrain_vertex* v);
// Ring pair i of the vertex record at address: neighbour index and triangle index;
// false past the record's ring or the ROM.
int32_t vertex_ring_size(const terrain_vertex& v);
bool vertex_ring_pair(uint32_t address, const terrain_vertex& v, int32_t i, int32_t* neighbour, int32_t* triangle);

// The triangle record (S, U words) of triangle t of (cell, layer) in the slope table.
bool triangle_slope_record(uint32_t slopes, int32_t cell, int32_t layer, int32_t triangle, int32_t* s, int32_t* u);
// The slope value of a 14-bit index.
int32_t slope_value(int32_t index);

// Seed offset pair i (0..4095).
bool seed_offset(int32_t i, int32_t* dx, int32_t* dz);

// The zone list of a cell (0 when none or outside the ROM).
uint32_t cell_zone_list(uint32_t zones, int32_t cell);
// A zone record; lengths by type 26, 28, 28, 30, 30, 32 bytes.
struct zone_record {
    int32_t type, selector, surface;
    int32_t x, y, z, shear;
    int32_t half_length, half_width, coarse_length, coarse_width;  // x16
    int32_t top;                                                    // x16
    int32_t slope, slope2, bottom_base;
    uint32_t length;
};
// Reads the record at address; false at the list's end (-1), at a type above 5 or when
// the record leaves the ROM.
bool zone_record_read(uint32_t address, zone_record* z);

// The shear word of a quarter-turn heading (0..0x3FFF).
int32_t shear_word(int32_t folded_heading);

// Entry `kind` of the dynamic zone size table: two half sizes and the top height.
bool dynamic_zone_size(int32_t kind, int32_t out[3]);

// Look-ahead angle step i (0..10); LOOKAHEAD_STEP_END past the table or the ROM.
int32_t lookahead_step(int32_t i);

// Record `index` (below 60) of the chunk list of heading sector `direction` (below 32):
// cell offset, column offset, row offset, x and z of the chunk origin; false out of
// range or when the pointer or the record leaves the ROM.
bool chunk_record_read(int32_t direction, int32_t index, int32_t out[5]);
// The visibility mask byte of a camera cell (below 128) for a chunk row (0..15); bit
// 0x80 >> chunk column set = visible. 0 for a course above 3 or out of range.
int32_t chunk_mask_byte(int32_t course, int32_t cell, int32_t row);
