#include "game/world/terrain_cells.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/fixed_math.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_rom.h"

#include <cstdio>

terrain_guard_counts terrain_guards;

uint32_t course_table(int32_t table) {
    return uint32_t(w_cell(W_COURSE_TABLES + 4 * uint32_t(table)));
}

bool terrain_guard_due(uint32_t* counter) {
    return (*counter)++ == 0 || verbose_enabled();
}

namespace {

constexpr int32_t WALK_RECORDS = 4096;   // records a layer walk visits at most
constexpr int32_t LOAD_LAYER_LIMIT = 12;
constexpr int32_t X_ROUND = 0xE00;       // seed rounding of the point within its step
constexpr int32_t Z_ROUND = 0xC00;
constexpr int32_t STEP_MASK = 0x1FFF;

void history_counters_clear() {
    for (uint32_t i = 0; i < 2 * uint32_t(STAGE_LAYERS); i++) w_cell_set(W_HISTORY_HELD + 4 * i, 0);
}

void chunk_course_store(int32_t course) {
    w_cell_set(W_CHUNK_MODEL_BASE, CHUNK_MODEL_BASE[course]);
    w_cell_set(W_CHUNK_MASK_ADDRESS, int32_t(CHUNK_MASK_ADDRESS[course]));
}

// The board's experimental packed layout is not built: say so once.
void layerfix_switch_note() {
    static bool said = false;
    if (said || !env_present("SKYVOLTA_NO_LAYERFIX")) return;
    said = true;
    fprintf(stderr, "[GUARD] SKYVOLTA_NO_LAYERFIX: the packed 12-layer layout is not built -- ignored\n");
}

int32_t layer_count_clamp(int32_t count, int32_t cell) {
    if (count >= 0 && count <= STAGE_LAYERS) return count;
    if (terrain_guard_due(&terrain_guards.layer_count))
        fprintf(stderr,
                "[GUARD] world_stage_update: layer count %d (cell %d) above the 3 the memory layout allows -- "
                "clamped\n",
                count, cell);
    return count < 0 ? 0 : STAGE_LAYERS;
}

// Lattice coordinate of a point along one axis, rounded up past `round` within its step.
int32_t seed_lattice(int32_t p, int32_t origin, int32_t round) {
    return (wrap_sub(p, origin) >> LATTICE_SHIFT) + 1 + ((p & STEP_MASK) >= round ? 1 : 0);
}

struct layer_walk {
    int32_t primary, secondary, keyed;
};

// Walks `count` records from address, entering record k into the pointer table (and
// the grid when `keyed`); returns the address after the last or 0 near the ROM end.
uint32_t records_walk(int32_t layer, uint32_t address, int32_t count, bool keyed, int32_t* k, int32_t* walked) {
    uint32_t grid = W_LOOKUP_GRID + LOOKUP_GRID_SIZE * uint32_t(layer);
    uint32_t pointers = W_VERTEX_POINTERS + VERTEX_POINTER_LAYER * uint32_t(layer);
    for (int32_t i = 0; i < count && *walked < WALK_RECORDS; i++, (*walked)++) {
        terrain_vertex v;
        if (!vertex_head_read(address, &v)) return 0;
        if (*k < LAYER_VERTICES) {
            w_cell_set(pointers + 4 * uint32_t(*k), int32_t(address));
            if (keyed && v.gx < LATTICE_SIZE && v.gz < LATTICE_SIZE)
                w_cell_set(grid + uint32_t(v.gz * LATTICE_SIZE + v.gx), *k);
        } else if (*k == LAYER_VERTICES && terrain_guard_due(&terrain_guards.vertex_overflow)) {
            fprintf(stderr,
                    "[GUARD] world_stage_geometry_load: layer %d holds more than %d vertices -- the rest dropped\n",
                    layer, LAYER_VERTICES);
        }
        (*k)++;
        address += uint32_t(v.length) + 2;
    }
    return address;
}

// One layer into the grid and the pointer table; false when the load must stop.
bool layer_load(int32_t cell, int32_t layer, layer_walk* w) {
    uint32_t grid = W_LOOKUP_GRID + LOOKUP_GRID_SIZE * uint32_t(layer);
    uint32_t pointers = W_VERTEX_POINTERS + VERTEX_POINTER_LAYER * uint32_t(layer);
    for (uint32_t i = 0; i < LOOKUP_GRID_SIZE; i++) w_cell_set(grid + i, NO_VERTEX);
    for (uint32_t k = 0; k < uint32_t(LAYER_VERTICES); k++) w_cell_set(pointers + 4 * k, 0);
    uint32_t record;
    if (!cell_layer_record(course_table(TABLE_GEOMETRY), cell, layer, &record) || !terrain_rom_range(record, 2))
        return false;
    w->primary = bus_read8(record);
    w->secondary = bus_read8(record + 1);
    int32_t k = 0, walked = 0;
    uint32_t next = records_walk(layer, record + 2, w->primary, true, &k, &walked);
    if (next) records_walk(layer, next, w->secondary, false, &k, &walked);
    w->keyed = 0;
    for (uint32_t i = 0; i < LOOKUP_GRID_SIZE; i++) w->keyed += w_cell(grid + i) != NO_VERTEX;
    return true;
}

}  // namespace

void world_props_init(int32_t course) {
    history_counters_clear();
    uint32_t tables[COURSE_TABLES];
    if (!course_terrain_pointers_load(course, tables)) return;
    // The stage may hold another course's geometry (or none, after a clear) under the
    // start cell's number: a change of tables marks it unloaded.
    if (course_table(TABLE_GEOMETRY) != tables[TABLE_GEOMETRY]) w_cell_set(W_LOADED_CELL, -1);
    chunk_course_store(course);
    for (int i = 0; i < COURSE_TABLES; i++) w_cell_set(W_COURSE_TABLES + 4 * uint32_t(i), int32_t(tables[i]));
    if (verbose_enabled())
        printf("[TERRAIN] world_props_init course %u: base=0x%X bitmask=0x%X geom=0x%X cells=0x%X heights=0x%X "
               "masks=0x%X zones=0x%X\n",
               unsigned(course), unsigned(CHUNK_MODEL_BASE[course]), CHUNK_MASK_ADDRESS[course], tables[0],
               tables[1], tables[2], tables[3], tables[4]);
}

void terrain_course_base(int32_t course) {
    for (uint32_t i = 0; i < uint32_t(CELL_COUNT); i++) w_cell_set(W_CHUNK_SLOTS + i, 0);
    if (course < 0 || course > 3) return;
    chunk_course_store(course);
    if (verbose_enabled())
        printf("[TERRAIN] course %d: base=%d (0x%X), bitmask=0x%X\n", course, CHUNK_MODEL_BASE[course],
               unsigned(CHUNK_MODEL_BASE[course]), CHUNK_MASK_ADDRESS[course]);
}

int32_t chunk_model_base(int32_t course) {
    return course < 0 || course > 3 ? -1 : CHUNK_MODEL_BASE[course];
}

void player_cell_update() {
    int32_t x = w_cell(W_PLAYER_X), z = w_cell(W_PLAYER_Z);
    int32_t column = x / CELL_SIZE, row = z / CELL_SIZE;
    int32_t in_x = x % CELL_SIZE, in_z = z % CELL_SIZE;
    w_cell_set(W_PLAYER_CELL, column + CELL_COLUMNS * row);
    w_cell_set(W_PLAYER_COLUMN, column);
    w_cell_set(W_PLAYER_ROW, row);
    w_cell_set(W_PLAYER_CELL_X, in_x);
    w_cell_set(W_PLAYER_CELL_Z, in_z);
    w_cell_set(W_PLAYER_STEP_X, in_x >> LATTICE_SHIFT);
    w_cell_set(W_PLAYER_STEP_Z, in_z >> LATTICE_SHIFT);
    w_cell_set(W_PLAYER_FRACTION_X, x & STEP_MASK);
    w_cell_set(W_PLAYER_FRACTION_Z, z & STEP_MASK);
}

void world_stage_update() {
    layerfix_switch_note();
    int32_t cell = w_cell(W_PLAYER_CELL);
    if (cell != w_cell(W_LOADED_CELL)) {
        int32_t column = cell & (CELL_COLUMNS - 1), row = cell >> 3;
        w_cell_set(W_STAGE_CELL, cell);
        w_cell_set(W_STAGE_COLUMN, column);
        w_cell_set(W_STAGE_ROW, row);
        w_cell_set(W_STAGE_ORIGIN_X, wrap_mul(column, CELL_SIZE));
        w_cell_set(W_STAGE_ORIGIN_Z, wrap_mul(row, CELL_SIZE));
        // A cell off the grid loads nothing: no layers.
        int32_t count = 0, mask = 0;
        if (!cell_table_byte(course_table(TABLE_LAYER_COUNTS), cell, &count)) count = 0;
        if (!cell_table_byte(course_table(TABLE_LAYER_MASKS), cell, &mask)) mask = 0;
        w_cell_set(W_STAGE_LAYER_COUNT, layer_count_clamp(count, cell));
        w_cell_set(W_STAGE_LAYER_MASK, mask & 0xFF);
        world_stage_geometry_load();
        w_cell_set(W_LOADED_CELL, cell);
        history_counters_clear();
    }
    layer_seed_faces(w_cell(W_PLAYER_X), w_cell(W_PLAYER_Z));
}

void world_stage_geometry_load() {
    int32_t count = w_cell(W_STAGE_LAYER_COUNT);
    if (count > LOAD_LAYER_LIMIT || count < 0) {
        if (terrain_guard_due(&terrain_guards.load_count))
            fprintf(stderr, "[GUARD] world_stage_geometry_load: layer count %d out of 0..12 -- clamped\n", count);
        if (count < 0) return;
        count = LOAD_LAYER_LIMIT;
    }
    int32_t cell = w_cell(W_STAGE_CELL);
    static const int tunlog = env_int("SKYVOLTA_TUNLOG", 0);
    for (int32_t layer = 0; layer < count && layer < STAGE_LAYERS; layer++) {
        layer_walk w{};
        if (!layer_load(cell, layer, &w)) return;
        if (tunlog > 0) {
            uint32_t list = 0, record = 0;
            cell_layer_record(course_table(TABLE_GEOMETRY), cell, layer, &record);
            if (terrain_rom_range(course_table(TABLE_GEOMETRY) + 4 * uint32_t(cell), 4))
                list = uint32_t(bus_read32(course_table(TABLE_GEOMETRY) + 4 * uint32_t(cell)));
            fprintf(stderr,
                    "[TUNLOAD] cell=%u layer=%d/%ld cell_list=0x%06X layer_off=0x%06X primary=%d secondary=%d "
                    "faces=%d keyed=%d\n",
                    unsigned(cell), layer, long(count), list, record, w.primary, w.secondary,
                    w.primary + w.secondary, w.keyed);
        }
    }
}

void layer_seed_faces(int32_t x, int32_t z) {
    int32_t count = w_cell(W_STAGE_LAYER_COUNT);
    int32_t origin_x = w_cell(W_STAGE_ORIGIN_X), origin_z = w_cell(W_STAGE_ORIGIN_Z);
    int32_t gx0 = seed_lattice(x, origin_x, X_ROUND), gz0 = seed_lattice(z, origin_z, Z_ROUND);
    for (int32_t layer = 0; layer < STAGE_LAYERS; layer++) {
        int32_t seed = NO_VERTEX;
        uint32_t grid = W_LOOKUP_GRID + LOOKUP_GRID_SIZE * uint32_t(layer);
        int32_t dx, dz;
        for (int32_t i = 0; layer < count && seed == NO_VERTEX && seed_offset(i, &dx, &dz); i++) {
            int32_t gx = gx0 + dx, gz = gz0 + dz;
            if (gx < 0 || gx >= LATTICE_SIZE || gz < 0 || gz >= LATTICE_SIZE) continue;
            seed = w_cell(grid + uint32_t(gz * LATTICE_SIZE + gx)) & 0xFF;
        }
        w_cell_set(W_SEED_VERTEX + 4 * uint32_t(layer), seed);
    }
}
