#include "game/world/terrain_triangles.h"

#include "board/fixed_math.h"
#include "board/wram_cell.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_rom.h"

#include <cstdio>

namespace {

constexpr int32_t RING_STEPS = 513;
constexpr int32_t CENTRE_MOVES = 10;
constexpr int32_t OPEN_SIDE = 255;
constexpr int32_t REVERSE_LESS_10 = 0x7FF6;  // half a turn, less 10
constexpr int32_t SLOPE_SHIFT = 9;

// A mesh vertex of the current layer: its index, record address, head and world place.
struct vertex {
    int32_t index;
    uint32_t address;
    terrain_vertex head;
    int32_t x, z;
};

bool in_sector(int32_t direction, int32_t from, int32_t to) {
    return uint16_t(direction - from) < uint16_t(to - from);
}

int32_t direction_to(int32_t x, int32_t z, int32_t from_x, int32_t from_z) {
    return math_atan2(wrap_sub(x, from_x), wrap_sub(z, from_z));
}

int32_t lattice_direction(const vertex& from, const vertex& to) {
    return math_atan2_coarse(to.head.gx - from.head.gx, to.head.gz - from.head.gz);
}

int32_t layer_of_search() { return w_cell(W_WALK_LAYER); }

bool vertex_load(int32_t layer, int32_t index, vertex* v) {
    uint32_t address = 0;
    if (index >= 0 && index < LAYER_VERTICES)
        address = uint32_t(w_cell(W_VERTEX_POINTERS + VERTEX_POINTER_LAYER * uint32_t(layer) + 4 * uint32_t(index)));
    if (address == 0) {
        if (terrain_guard_due(&terrain_guards.null_face))
            fprintf(stderr, "[GUARD] terrain_cell_find_triangle: NULL face ptr (layer=%d slot=%d)\n", layer, index);
        return false;
    }
    if (!vertex_read(address, &v->head)) return false;
    v->index = index;
    v->address = address;
    v->x = wrap_add(w_cell(W_STAGE_ORIGIN_X), wrap_shl(v->head.gx - 1, LATTICE_SHIFT));
    v->z = wrap_add(w_cell(W_STAGE_ORIGIN_Z), wrap_shl(v->head.gz - 1, LATTICE_SHIFT));
    return true;
}

// The neighbour that follows `after` in v's ring (its index), -1 when `after` is not there.
int32_t ring_next(const vertex& v, int32_t after) {
    int32_t n = vertex_ring_size(v.head), nb, tri;
    for (int32_t i = 0; i < n; i++) {
        if (!vertex_ring_pair(v.address, v.head, i, &nb, &tri)) return -1;
        if (nb == after) return vertex_ring_pair(v.address, v.head, (i + 1) % n, &nb, &tri) ? nb : -1;
    }
    return -1;
}

int32_t no_surface() {
    w_cell_set(W_TRI_HEIGHT, NO_SURFACE_HEIGHT);
    w_cell_set(W_TRI_SLOPE_X, 0);
    w_cell_set(W_TRI_SLOPE_Z, 0);
    w_cell_set(W_TRI_EDGE_FLAGS, 0);
    return FACE_NO_SURFACE;
}

// Step 3: the neighbours (a, b) of the centre whose directions enclose the point's;
// b and the triangle between them. False when the ring gives none.
bool sector_find(int32_t layer, const vertex& p, int32_t x, int32_t z, vertex* b, int32_t* triangle) {
    int32_t n = vertex_ring_size(p.head);
    if (n == 0) return false;
    int32_t point = direction_to(x, z, p.x, p.z);
    int32_t nb, tri, next, next_tri;
    vertex a;
    if (!vertex_ring_pair(p.address, p.head, 0, &nb, &tri) || !vertex_load(layer, nb, &a)) return false;
    int32_t dir_a = lattice_direction(p, a);
    for (int32_t step = 0; step < RING_STEPS; step++) {
        int32_t i = step % n;
        if (!vertex_ring_pair(p.address, p.head, i, &nb, &tri) ||
            !vertex_ring_pair(p.address, p.head, (i + 1) % n, &next, &next_tri) || !vertex_load(layer, next, b))
            return false;
        int32_t dir_b = lattice_direction(p, *b);
        if (in_sector(point, dir_a, dir_b)) {
            w_cell_set(W_TRI_SECTORS, dir_a & 0xFFFF);
            w_cell_set(W_TRI_SECTORS + 4, dir_b & 0xFFFF);
            *triangle = tri;
            return true;
        }
        dir_a = dir_b;
    }
    return false;
}

// The sector at `corner` from the reverse of the direction `in` arrives by, less 10, to
// the direction of `out`; stored at `w_sector`. True when the point lies in it.
bool corner_test(const vertex& from, const vertex& corner, const vertex& out, int32_t x, int32_t z,
                 uint32_t w_sector) {
    int32_t start = (lattice_direction(from, corner) + REVERSE_LESS_10) & 0xFFFF;
    int32_t end = lattice_direction(corner, out) & 0xFFFF;
    w_cell_set(w_sector, start);
    w_cell_set(w_sector + 4, end);
    return in_sector(direction_to(x, z, corner.x, corner.z), start, end);
}

void corner_store(uint32_t w, const vertex& v) {
    w_cell_set(w, v.x);
    w_cell_set(w + 4, v.z);
}

int32_t plane_height(int32_t height, int32_t dx, int32_t dz, int32_t slope_x, int32_t slope_z) {
    return wrap_add(wrap_add(height * HEIGHT_STEP, wrap_mul(dx, slope_x) >> SLOPE_SHIFT),
                    wrap_mul(dz, slope_z) >> SLOPE_SHIFT);
}

uint32_t history_entry(int32_t layer, int32_t entry) {
    return W_HISTORY + HISTORY_LAYER * uint32_t(layer) + HISTORY_ENTRY * uint32_t(entry);
}

// Layers the stage layout holds; others are refused with a guard line.
bool layer_in_layout(int32_t layer, const char* routine) {
    if (layer >= 0 && layer < STAGE_LAYERS) return true;
    if (terrain_guard_due(&terrain_guards.layer_index))
        fprintf(stderr, "[GUARD] %s: layer %d outside the %d the memory layout holds -- refused\n", routine, layer,
                STAGE_LAYERS);
    return false;
}

}  // namespace

void point_test() {
    int32_t layer = layer_of_search(), entry = w_cell(W_WALK_HISTORY);
    if (!layer_in_layout(layer, "point_test") || entry < 0 || entry >= HISTORY_ENTRIES) return;
    uint32_t from = history_entry(layer, entry);
    for (uint32_t i = 0; i < TRIANGLE_LONGS; i++) w_cell_set(W_TRI_CORNERS + 4 * i, w_cell(from + 4 * i));
}

int32_t terrain_face_height(int32_t x, int32_t z) {
    int32_t corners = w_cell(W_TRI_THREE_CORNERS) ? 3 : 2;
    for (int32_t c = 0; c < corners; c++) {
        int32_t cx = w_cell(W_TRI_CORNERS + 8 * uint32_t(c)), cz = w_cell(W_TRI_CORNERS + 8 * uint32_t(c) + 4);
        int32_t from = w_cell(W_TRI_SECTORS + 8 * uint32_t(c)), to = w_cell(W_TRI_SECTORS + 8 * uint32_t(c) + 4);
        if (!in_sector(direction_to(x, z, cx, cz), from, to)) return FACE_OUTSIDE;
    }
    int32_t height = w_cell(W_TRI_HEIGHT);
    if (height == NO_SURFACE_HEIGHT) return FACE_NO_SURFACE;
    return plane_height(height, wrap_sub(x, w_cell(W_TRI_CORNERS)), wrap_sub(z, w_cell(W_TRI_CORNERS + 4)),
                        w_cell(W_TRI_SLOPE_X), w_cell(W_TRI_SLOPE_Z));
}

int32_t terrain_cell_find_triangle(int32_t x, int32_t z) {
    int32_t layer = layer_of_search();
    if (layer < 0 || layer >= STAGE_LAYERS) {
        if (terrain_guard_due(&terrain_guards.layer_index))
            fprintf(stderr, "[TUNFT]   find_triangle bail: layer>11 (layer=%ld seed=%ld)\n", long(layer), -1L);
        return no_surface();
    }
    int32_t seed = w_cell(W_SEED_VERTEX + 4 * uint32_t(layer));
    vertex p, q, r;
    if (seed == NO_VERTEX || !vertex_load(layer, seed, &p)) return no_surface();
    int32_t triangle = OPEN_SIDE;
    for (int32_t moves = 0;; moves++) {
        w_cell_set(W_TRI_HEIGHT, p.head.height);
        if (!sector_find(layer, p, x, z, &q, &triangle)) return no_surface();
        int32_t r_index = ring_next(q, p.index);
        if (r_index < 0 || !vertex_load(layer, r_index, &r)) return no_surface();
        if (!corner_test(p, q, r, x, z, W_SECTOR_1)) {
            if (moves >= CENTRE_MOVES) break;
            p = q;
            continue;
        }
        int32_t s_index = ring_next(r, q.index);
        if (s_index < 0) return no_surface();
        if (s_index == p.index) {
            w_cell_set(W_TRI_THREE_CORNERS, 0);
            break;
        }
        vertex s;
        if (!vertex_load(layer, s_index, &s)) return no_surface();
        if (corner_test(q, r, s, x, z, W_SECTOR_2)) {
            w_cell_set(W_TRI_THREE_CORNERS, 1);
            break;
        }
        if (moves >= CENTRE_MOVES) break;
        p = r;
    }
    if (p.head.gx < LATTICE_SIZE && p.head.gz < LATTICE_SIZE) w_cell_set(W_SEED_VERTEX + 4 * uint32_t(layer), p.index);
    corner_store(W_TRI_CORNERS, p);
    corner_store(W_CORNER_1, q);
    corner_store(W_CORNER_2, r);
    if (triangle == OPEN_SIDE || p.head.height == NO_SURFACE_HEIGHT) return no_surface();
    // A slope record outside the ROM leaves the triangle without a surface.
    int32_t s = 0, u = 0;
    if (!triangle_slope_record(course_table(TABLE_SLOPES), w_cell(W_STAGE_CELL), layer, triangle, &s, &u))
        return no_surface();
    w_cell_set(W_TRI_EDGE_FLAGS, ((s >> 14) << 2) | (u >> 14));
    w_cell_set(W_TRI_SLOPE_X, slope_value(s));
    w_cell_set(W_TRI_SLOPE_Z, slope_value(u));
    return plane_height(p.head.height, wrap_sub(x, p.x), wrap_sub(z, p.z), w_cell(W_TRI_SLOPE_X),
                        w_cell(W_TRI_SLOPE_Z));
}

void terrain_cell_history_store() {
    int32_t layer = layer_of_search();
    if (!layer_in_layout(layer, "terrain_cell_history_store")) return;
    uint32_t held = W_HISTORY_HELD + 4 * uint32_t(layer), next = W_HISTORY_NEXT + 4 * uint32_t(layer);
    int32_t entry = w_cell(next);
    if (entry < 0 || entry >= HISTORY_ENTRIES) entry = 0;
    uint32_t to = history_entry(layer, entry);
    for (uint32_t i = 0; i < TRIANGLE_LONGS; i++) w_cell_set(to + 4 * i, w_cell(W_TRI_CORNERS + 4 * i));
    w_cell_set(next, (entry + 1) % HISTORY_ENTRIES);
    if (w_cell(held) < HISTORY_ENTRIES) w_cell_set(held, w_cell(held) + 1);
}
