// Synthetic terrain: per-course cell tables, triangulated layer meshes with their slope
// records, zone lists and the fixed tables of the collision.
#include "tests/support/synth_rom_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct course_tables {
    uint32_t geometry, slopes, counts, masks, zones;
};
constexpr course_tables COURSE_TABLES[4] = {
    {0x0CB410, 0x101CDC, 0x0B971C, 0x0B991C, 0x118550},
    {0x0E2848, 0x10B29C, 0x0B979C, 0x0B999C, 0x11BDA4},
    {0x0F5B38, 0x112F68, 0x0B981C, 0x0B9A1C, 0x11F928},
    {0x0FADEC, 0x11505C, 0x0B989C, 0x0B9A9C, 0x120BF4},
};
constexpr int TERRAIN_COURSES[] = {0, 3};
constexpr int CELLS = 128;
constexpr int VERTS = 8;      // vertices per side
constexpr int QUADS = VERTS - 1;
constexpr int OPEN = 255;
constexpr uint32_t CELL_SIZE = 0x18000;

// Pools after each table, for the records the table points at.
uint32_t pool_start(uint32_t table) { return table + 4 * CELLS; }

const synth_terrain_cell* cell_of(int course, int cell) {
    for (const synth_terrain_cell& c : SYNTH_TERRAIN_CELLS)
        if (c.course == course && c.cell == cell) return &c;
    return course == 0 && cell >= SYNTH_GROUND_CELL.cell && cell < CELLS ? &SYNTH_GROUND_CELL : nullptr;
}

bool present(const synth_terrain_layer& l, int i, int j) {
    return i >= l.i0 && i <= l.i1 && j >= l.j0 && j <= l.j1;
}
bool quad_present(const synth_terrain_layer& l, int i, int j) {
    return i >= 0 && j >= 0 && i < QUADS && j < QUADS && present(l, i, j) && present(l, i + 1, j + 1);
}
int vertex_index(const synth_terrain_layer& l, int i, int j) {
    return (j - l.j0) * (l.i1 - l.i0 + 1) + (i - l.i0);
}

// Neighbours in increasing direction (+z, -x, -x-z, -z, +x, +x+z) and the triangle that
// follows each one in the ring: (di, dj, quad di, quad dj, half).
struct ring_step {
    int di, dj, qi, qj, half;
};
constexpr ring_step RING[6] = {{0, 1, -1, 0, 0},  {-1, 0, -1, -1, 1}, {-1, -1, -1, -1, 0},
                               {0, -1, 0, -1, 1}, {1, 0, 0, 0, 0},    {1, 1, 0, 0, 1}};

uint32_t layer_record_write(synth_rom_set* set, uint32_t at, const synth_terrain_layer& l) {
    int count = (l.i1 - l.i0 + 1) * (l.j1 - l.j0 + 1);
    synth_put8(set, at, uint8_t(count));
    synth_put8(set, at + 1, 0);
    at += 2;
    for (int j = l.j0; j <= l.j1; j++)
        for (int i = l.i0; i <= l.i1; i++) {
            std::vector<int> ring;  // neighbour, triangle pairs
            for (int k = 0; k < 6; k++) {
                const ring_step& s = RING[k];
                if (!present(l, i + s.di, j + s.dj)) continue;
                const ring_step& next = RING[(k + 1) % 6];
                bool next_present = present(l, i + next.di, j + next.dj);
                int qi = i + s.qi, qj = j + s.qj;
                int tri = next_present && quad_present(l, qi, qj) ? 2 * (QUADS * qj + qi) + s.half : OPEN;
                ring.push_back(vertex_index(l, i + s.di, j + s.dj));
                ring.push_back(tri);
            }
            synth_put8(set, at, uint8_t(2 * i));
            synth_put8(set, at + 1, uint8_t(2 * j));
            synth_put8(set, at + 2, uint8_t(2 + ring.size()));
            synth_put8(set, at + 3, uint8_t(l.height + l.di * i + l.dj * j));
            for (size_t k = 0; k < ring.size(); k++) synth_put8(set, at + 4 + uint32_t(k), uint8_t(ring[k]));
            at += 4 + uint32_t(ring.size());
        }
    return at;
}

uint32_t slope_records_write(synth_rom_set* set, uint32_t at, const synth_terrain_layer& l) {
    for (int t = 0; t < 2 * QUADS * QUADS; t++) {
        synth_put16(set, at, uint16_t(((l.edge_flags >> 2) << 14) | synth_slope_index(l.slope_x)));
        synth_put16(set, at + 2, uint16_t(((l.edge_flags & 3) << 14) | synth_slope_index(l.slope_z)));
        at += 4;
    }
    return at;
}

// Cells sharing a layer set (the count-5 cell reuses cell 11's; the ground cells are one
// record, its cell the first of them) share its lists.
const synth_terrain_cell* layer_owner(const synth_terrain_cell& c) {
    return c.cell == SYNTH_CELL_FIVE && c.course == 0 ? cell_of(0, SYNTH_CELL_LAYERS) : &c;
}

void cell_bytes(synth_rom_set* set, bool masks) {
    for (int course : TERRAIN_COURSES) {
        uint32_t table = masks ? COURSE_TABLES[course].masks : COURSE_TABLES[course].counts;
        for (int cell = 0; cell < CELLS; cell++) {
            const synth_terrain_cell* c = cell_of(course, cell);
            synth_put8(set, table + uint32_t(cell), uint8_t(!c ? 0 : masks ? c->mask : c->count_byte));
        }
    }
}

// Writes per-cell layer lists of the records that `layer_write` puts into the pool.
template <typename F>
void cell_layer_lists(synth_rom_set* set, uint32_t course_tables::*table, F layer_write) {
    for (int course : TERRAIN_COURSES) {
        uint32_t base = COURSE_TABLES[course].*table, at = pool_start(base);
        std::vector<uint32_t> lists(CELLS, 0);
        for (int cell = 0; cell < CELLS; cell++) {
            const synth_terrain_cell* c = cell_of(course, cell);
            if (!c || layer_owner(*c)->cell != cell) continue;
            uint32_t list = at;
            at += 4 * uint32_t(c->layers);
            for (int l = 0; l < c->layers; l++) {
                synth_put32(set, list + 4 * uint32_t(l), at);
                at = layer_write(set, at, c->layer[l]);
            }
            lists[cell] = list;
        }
        for (int cell = 0; cell < CELLS; cell++) {
            const synth_terrain_cell* c = cell_of(course, cell);
            synth_put32(set, base + 4 * uint32_t(cell), c ? lists[layer_owner(*c)->cell] : 0);
        }
    }
}

}  // namespace

void synth_terrain_layer_counts(synth_rom_set* set) { cell_bytes(set, false); }
void synth_terrain_layer_masks(synth_rom_set* set) { cell_bytes(set, true); }

void synth_terrain_geometry(synth_rom_set* set) {
    cell_layer_lists(set, &course_tables::geometry, layer_record_write);
}

void synth_terrain_slopes(synth_rom_set* set) {
    cell_layer_lists(set, &course_tables::slopes, slope_records_write);
}

void synth_slope_values(synth_rom_set* set) {
    for (int k = 0; k < 0x2000; k++) synth_put16(set, 0x203004 + 2 * uint32_t(k), uint16_t(k - 0x1000));
}

void synth_shear_table(synth_rom_set* set) {
    for (uint32_t f = 0; f < 0x4000; f += 4) {
        double t = 512.0 * std::tan(double(f) * 2.0 * M_PI / 65536.0);
        uint16_t w = uint16_t(int16_t(std::min(32767.0, std::lround(t) * 1.0)));
        synth_put16(set, 0x207004 + f, w);
        // The last pair's second word is the sine table's first (the cosine of angle -4).
        if (f < 0x3FFC) synth_put16(set, 0x207004 + f + 2, w);
    }
}

void synth_seed_offsets(synth_rom_set* set) {
    struct pair {
        int dx, dz;
    };
    std::vector<pair> pairs;
    for (int dz = -16; dz <= 16; dz++)
        for (int dx = -16; dx <= 16; dx++) pairs.push_back({dx, dz});
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](pair a, pair b) { return a.dx * a.dx + a.dz * a.dz < b.dx * b.dx + b.dz * b.dz; });
    for (size_t i = 0; i < pairs.size(); i++) {
        synth_put16(set, 0x0B8618 + 4 * uint32_t(i), uint16_t(pairs[i].dx));
        synth_put16(set, 0x0B8618 + 4 * uint32_t(i) + 2, uint16_t(pairs[i].dz));
    }
}

namespace {

// The zone list of a cell: the records of SYNTH_ZONES in row `from_row` (all rows for -1),
// placed in row `to_row` (their own for -1). Returns the address after the end word.
uint32_t zone_list_write(synth_rom_set* set, uint32_t at, int cell, int from_row, int to_row) {
    static const uint32_t lengths[6] = {26, 28, 28, 30, 30, 32};
    uint32_t ox = uint32_t(cell % 8) * CELL_SIZE, oz = uint32_t(cell / 8) * CELL_SIZE;
    for (const synth_zone& z : SYNTH_ZONES) {
        if (from_row >= 0 && z.b != from_row) continue;
        int row = to_row >= 0 ? to_row : z.b;
        synth_put16(set, at, uint16_t(z.surface << 8 | z.selector << 4 | z.type));
        synth_put32(set, at + 2, ox + 0x3000 + 0x6000 * uint32_t(z.a));
        synth_put32(set, at + 6, uint32_t(z.y));
        synth_put32(set, at + 10, oz + 0x3000 + 0x6000 * uint32_t(row));
        synth_put16(set, at + 14, uint16_t(z.shear));
        synth_put16(set, at + 16, uint16_t(z.half));
        synth_put16(set, at + 18, uint16_t(z.half));
        synth_put16(set, at + 20, uint16_t(z.coarse));
        synth_put16(set, at + 22, uint16_t(z.coarse));
        synth_put16(set, at + 24, uint16_t(z.top));
        const int extra[3] = {z.slope, z.slope2, z.bottom_base};
        for (uint32_t k = 26, e = 0; k < lengths[z.type]; k += 2, e++) synth_put16(set, at + k, uint16_t(extra[e]));
        at += lengths[z.type];
    }
    synth_put16(set, at, 0xFFFF);
    return at + 2;
}

}  // namespace

void synth_terrain_zones(synth_rom_set* set) {
    for (int course : TERRAIN_COURSES) {
        uint32_t base = COURSE_TABLES[course].zones;
        for (int cell = 0; cell < CELLS; cell++) synth_put32(set, base + 4 * uint32_t(cell), 0);
    }
    uint32_t base = COURSE_TABLES[0].zones, at = pool_start(base);
    synth_put32(set, base + 4 * SYNTH_CELL_ZONES, at);
    at = zone_list_write(set, at, SYNTH_CELL_ZONES, -1, -1);
    synth_put32(set, base + 4 * SYNTH_CELL_LAYERS, at);
    zone_list_write(set, at, SYNTH_CELL_LAYERS, 0, 3);
}

void synth_dynamic_zone_sizes(synth_rom_set* set) {
    for (uint32_t k = 0; k < 2; k++)
        for (uint32_t i = 0; i < 3; i++) synth_put32(set, 0x0338F8 + 12 * k + 4 * i, uint32_t(SYNTH_DYNAMIC_SIZES[k][i]));
}

void synth_lookahead_steps(synth_rom_set* set) {
    for (uint32_t i = 0; i < 11; i++) synth_put32(set, 0x039FA0 + 4 * i, uint32_t(SYNTH_LOOKAHEAD_STEPS[i]));
}

void synth_chunk_lists(synth_rom_set* set) {
    for (int s = 0; s < 32; s++) {
        uint32_t list = SYNTH_CHUNK_LIST_POOL + 60 * 20 * uint32_t(s);
        synth_put32(set, 0x08B200 + 4 * uint32_t(s), list);
        for (int i = 0; i < 60; i++) {
            int k = s == 1 ? 59 - i : i;
            int column = k % 7 - 3, row = (k / 7 - 4) * (s < 16 ? 1 : -1);
            const int32_t record[5] = {column + 8 * row, column, row, column * int32_t(CELL_SIZE),
                                       row * int32_t(CELL_SIZE)};
            for (uint32_t k = 0; k < 5; k++) synth_put32(set, list + 20 * uint32_t(i) + 4 * k, uint32_t(record[k]));
        }
    }
}

void synth_chunk_masks(synth_rom_set* set) {
    for (uint32_t course = 0; course < 4; course++)
        for (int cell = 0; cell < CELLS; cell++)
            for (int row = 0; row < 16; row++) {
                int bits = 0;
                for (int column = 0; column < 8; column++)
                    if (std::abs(column - cell % 8) <= 2 && std::abs(row - cell / 8) <= 3) bits |= 0x80 >> column;
                synth_put8(set, 0x08B280 + 0x800 * course + 16 * uint32_t(cell) + uint32_t(row), uint8_t(bits));
            }
}

void synth_course3_prop_models(synth_rom_set* set) {
    for (uint32_t b = 0; b < SYNTH_PROP_LETTER_MODELS; b++) synth_put16(set, 0x039C70 + 2 * b, uint16_t(SYNTH_PROP_LETTER_BASE + int32_t(b)));
}

void synth_course3_prop_positions(synth_rom_set* set) {
    for (int32_t i = 0; i < 8; i++)
        for (int32_t axis = 0; axis < 3; axis++)
            synth_put32(set, 0x039D88 + 12 * uint32_t(i) + 4 * uint32_t(axis), uint32_t(synth_course3_prop(i, axis)));
}
