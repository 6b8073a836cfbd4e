#include "game/world/terrain_rom.h"

#include "board/bus.h"
#include "game/services/terrain_ram.h"

namespace {

// course_terrain_table: geometry, slopes, layer counts, layer masks, zones.
constexpr uint32_t COURSE_TERRAIN_TABLE[4][COURSE_TABLES] = {
    {0x0CB410, 0x101CDC, 0x0B971C, 0x0B991C, 0x118550},
    {0x0E2848, 0x10B29C, 0x0B979C, 0x0B999C, 0x11BDA4},
    {0x0F5B38, 0x112F68, 0x0B981C, 0x0B9A1C, 0x11F928},
    {0x0FADEC, 0x11505C, 0x0B989C, 0x0B9A9C, 0x120BF4},
};

constexpr uint32_t RING_START = 4;               // first ring byte of a vertex record
constexpr uint32_t ZONE_LENGTH[6] = {26, 28, 28, 30, 30, 32};
constexpr uint32_t DYNAMIC_SIZE_RECORD = 12;
constexpr uint32_t CHUNK_RECORD = 20;
constexpr uint32_t ZONE_LIST_END = 0xFFFF;

bool cell_ok(int32_t cell) { return cell >= 0 && cell < CELL_COUNT; }

bool rom_long(uint32_t address, uint32_t* out) {
    if (!terrain_rom_range(address, 4)) return false;
    *out = uint32_t(bus_read32(address));
    return true;
}

int32_t word_at(uint32_t address) { return int16_t(bus_read16(address)); }

}  // namespace

bool terrain_rom_range(uint32_t address, uint32_t n) {
    return address < PROGRAM_ROM_END && n <= PROGRAM_ROM_END - address;
}

bool course_terrain_pointers_load(int32_t course, uint32_t out[5]) {
    if (course < 0 || course > 3) return false;
    for (int i = 0; i < COURSE_TABLES; i++) out[i] = COURSE_TERRAIN_TABLE[course][i];
    return true;
}

bool cell_table_byte(uint32_t table, int32_t cell, int32_t* out) {
    if (!cell_ok(cell) || !terrain_rom_range(table + uint32_t(cell), 1)) return false;
    *out = int8_t(bus_read8(table + uint32_t(cell)));
    return true;
}

bool cell_layer_record(uint32_t geometry, int32_t cell, int32_t layer, uint32_t* record) {
    uint32_t list;
    if (!cell_ok(cell) || layer < 0 || !rom_long(geometry + 4 * uint32_t(cell), &list)) return false;
    return rom_long(list + 4 * uint32_t(layer), record);
}

bool vertex_head_read(uint32_t address, terrain_vertex* v) {
    if (!terrain_rom_range(address, 3)) return false;
    v->gx = bus_read8(address);
    v->gz = bus_read8(address + 1);
    v->length = bus_read8(address + 2);
    v->height = NO_SURFACE_HEIGHT;
    return true;
}

bool vertex_read(uint32_t address, terrain_vertex* v) {
    if (!vertex_head_read(address, v) || !terrain_rom_range(address + 3, 1)) return false;
    v->height = bus_read8(address + 3);
    return true;
}

int32_t vertex_ring_size(const terrain_vertex& v) {
    return v.length > 2 ? (v.length - 2) / 2 : 0;
}

bool vertex_ring_pair(uint32_t address, const terrain_vertex& v, int32_t i, int32_t* neighbour, int32_t* triangle) {
    if (i < 0 || i >= vertex_ring_size(v)) return false;
    uint32_t at = address + RING_START + 2 * uint32_t(i);
    if (!terrain_rom_range(at, 2)) return false;
    *neighbour = bus_read8(at);
    *triangle = bus_read8(at + 1);
    return true;
}

bool triangle_slope_record(uint32_t slopes, int32_t cell, int32_t layer, int32_t triangle, int32_t* s, int32_t* u) {
    uint32_t layers, records;
    if (!cell_ok(cell) || layer < 0 || triangle < 0 || !rom_long(slopes + 4 * uint32_t(cell), &layers) ||
        !rom_long(layers + 4 * uint32_t(layer), &records))
        return false;
    uint32_t at = records + 4 * uint32_t(triangle);
    if (!terrain_rom_range(at, 4)) return false;
    *s = bus_read16(at);
    *u = bus_read16(at + 2);
    return true;
}

int32_t slope_value(int32_t index) {
    return word_at(ROM_SLOPE_VALUES + 2 * uint32_t(index & 0x3FFF));
}

bool seed_offset(int32_t i, int32_t* dx, int32_t* dz) {
    if (i < 0 || i >= SEED_OFFSETS) return false;
    uint32_t at = ROM_SEED_OFFSETS + 4 * uint32_t(i);
    *dx = word_at(at);
    *dz = word_at(at + 2);
    return true;
}

uint32_t cell_zone_list(uint32_t zones, int32_t cell) {
    uint32_t list;
    if (!cell_ok(cell) || !rom_long(zones + 4 * uint32_t(cell), &list)) return 0;
    return terrain_rom_range(list, 2) ? list : 0;
}

bool zone_record_read(uint32_t address, zone_record* z) {
    if (!terrain_rom_range(address, 2)) return false;
    uint32_t head = uint32_t(bus_read16(address));
    z->type = int32_t(head & 0xF);
    if (head == ZONE_LIST_END || z->type > 5) return false;
    z->length = ZONE_LENGTH[z->type];
    if (!terrain_rom_range(address, z->length)) return false;
    z->selector = int32_t((head >> 4) & 0xF);
    z->surface = int32_t(head >> 8);
    z->x = bus_read32(address + 2);
    z->y = bus_read32(address + 6);
    z->z = bus_read32(address + 10);
    z->shear = word_at(address + 14);
    z->half_length = word_at(address + 16) * 16;
    z->half_width = word_at(address + 18) * 16;
    z->coarse_length = word_at(address + 20) * 16;
    z->coarse_width = word_at(address + 22) * 16;
    z->top = word_at(address + 24) * 16;
    z->slope = z->length > 26 ? word_at(address + 26) : 0;
    z->slope2 = z->length > 28 ? word_at(address + 28) : 0;
    z->bottom_base = z->length > 30 ? word_at(address + 30) : 0;
    return true;
}

int32_t shear_word(int32_t folded_heading) {
    return word_at(ROM_SHEAR_TABLE + uint32_t(folded_heading & 0x3FFC));
}

bool dynamic_zone_size(int32_t kind, int32_t out[3]) {
    uint32_t at = ROM_DYNAMIC_SIZES + DYNAMIC_SIZE_RECORD * uint32_t(kind);
    if (kind < 0 || !terrain_rom_range(at, DYNAMIC_SIZE_RECORD)) return false;
    for (uint32_t i = 0; i < 3; i++) out[i] = bus_read32(at + 4 * i);
    return true;
}

int32_t lookahead_step(int32_t i) {
    uint32_t v;
    if (i < 0 || i >= LOOKAHEAD_STEPS || !rom_long(ROM_LOOKAHEAD_STEPS + 4 * uint32_t(i), &v))
        return LOOKAHEAD_STEP_END;
    return int32_t(v);
}

bool chunk_record_read(int32_t direction, int32_t index, int32_t out[5]) {
    uint32_t list;
    if (direction < 0 || direction >= CHUNK_SECTORS || index < 0 || index >= CHUNK_LIST_RECORDS ||
        !rom_long(ROM_CHUNK_LISTS + 4 * uint32_t(direction), &list))
        return false;
    uint32_t at = list + CHUNK_RECORD * uint32_t(index);
    if (!terrain_rom_range(at, CHUNK_RECORD)) return false;
    for (uint32_t i = 0; i < 5; i++) out[i] = bus_read32(at + 4 * i);
    return true;
}

int32_t chunk_mask_byte(int32_t course, int32_t cell, int32_t row) {
    if (course < 0 || course > 3 || !cell_ok(cell) || row < 0 || row >= CHUNK_MASK_ROWS) return 0;
    return bus_read8(CHUNK_MASK_ADDRESS[course] + uint32_t(cell * CHUNK_MASK_ROWS + row)) & 0xFF;
}
