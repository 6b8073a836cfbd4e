// Point ROM models and texture ROM tiles of the synthetic set (constants and layout in
// synth_rom_tables.h).
#include "tests/support/synth_rom_tables.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr uint32_t FLAG_LAST = 0x800000;
constexpr uint32_t FLAG_TEX_BRIGHT = 0x40;
constexpr uint32_t ATTR_CULL = 0x20;
constexpr uint32_t ATTR_DEPTH_MEAN = 0x200;
constexpr uint32_t DEFAULT_BRIGHT = 0x80 << 16;

// Sequential stores of 24-bit words into the point image.
struct point_writer {
    synth_rom_set* set;
    uint32_t at;
};

void point_put(point_writer& w, int32_t v) {
    if (w.at >= sizeof w.set->point / sizeof w.set->point[0]) {
        fprintf(stderr, "synth_rom: model write at 0x%X outside the point ROM\n", w.at);
        abort();
    }
    w.set->point[w.at++] = uint32_t(v) & 0xFFFFFF;
}

// A chunk: its word count first, patched once its records are written.
uint32_t chunk_open(point_writer& w) {
    point_put(w, 0);
    return w.at - 1;
}

void chunk_close(point_writer& w, uint32_t start) {
    w.set->point[start] = w.at - start - 1;
}

// Texture words of a square texture of `size` texels from (u, v), corner k in the
// order (u, v + size - 1), (u + size - 1, v + size - 1), (u + size - 1, v), (u, v).
void square_texture(uint32_t tex[8], uint32_t format, uint32_t u, uint32_t v, uint32_t size) {
    const uint32_t du[4] = {0, size - 1, size - 1, 0}, dv[4] = {size - 1, size - 1, 0, 0};
    for (int k = 0; k < 4; k++) {
        tex[2 * k] = u + du[k];
        tex[2 * k + 1] = v + dv[k];
    }
    tex[0] |= format << 12;
    tex[1] |= SYNTH_TEX_BANK << 12;
}

// Type 23 (depth == nullptr) or type 24 quad record.
void quad_put(point_writer& w, uint32_t flags, uint32_t attr, uint32_t colour, const int32_t* depth,
              const uint32_t tex[8], const int32_t corners[12]) {
    point_put(w, depth ? 24 : 23);
    point_put(w, int32_t(flags));
    point_put(w, int32_t(attr));
    point_put(w, int32_t(colour));
    if (depth) point_put(w, *depth);
    for (int k = 0; k < 8; k++) point_put(w, int32_t(tex[k]));
    for (int k = 0; k < 12; k++) point_put(w, corners[k]);
}

// A lighting record of four normals along y (type 16 has three unread words before them).
void light_put(point_writer& w, int type, uint32_t flags, const int16_t ny[4]) {
    point_put(w, type);
    point_put(w, int32_t(flags));
    for (int k = 0; k < type - 13; k++) point_put(w, 0);
    for (int k = 0; k < 4; k++) {
        point_put(w, 0);
        point_put(w, ny[k]);
        point_put(w, 0);
    }
}

// A square of half-size h in the plane z = 0, centred at (x, 0), counter-clockwise
// as seen from -z (its visible side).
void flat_square(int32_t corners[12], int32_t x, int32_t h) {
    const int32_t sx[4] = {-1, 1, 1, -1}, sy[4] = {-1, -1, 1, 1};
    for (int k = 0; k < 4; k++) {
        corners[3 * k] = x + sx[k] * h;
        corners[3 * k + 1] = sy[k] * h;
        corners[3 * k + 2] = 0;
    }
}

// Starts a model's chunk-pointer list of `chunks` entries and its -1 end marker;
// returns the index of the first entry.
uint32_t model_open(point_writer& w, int32_t code, int chunks) {
    w.set->point[code] = w.at;
    uint32_t list = w.at;
    for (int i = 0; i <= chunks; i++) point_put(w, -1);
    return list;
}

// Six faces of the box lo..hi (model code `code`), back-face culled, each textured in
// another texel format like the cube's.
void box_write(point_writer& w, int32_t code, const int32_t lo[3], const int32_t hi[3]) {
    uint32_t list = model_open(w, code, 1);
    w.set->point[list] = w.at;
    uint32_t chunk = chunk_open(w);
    const uint32_t tex_u[6] = {SYNTH_TEX_U_8BIT, SYNTH_TEX_U_4BIT, SYNTH_TEX_U_4BIT,
                               SYNTH_TEX_U_2BIT, SYNTH_TEX_U_2BIT, SYNTH_TEX_U_4BIT};
    for (int face = 0; face < 6; face++) {
        // Outward normal along axis a with sign s; the tangents (b, c) run so that
        // (V1 - V0) x (V2 - V0) points into the box.
        int a = face < 2 ? 2 : face < 4 ? 0 : 1;
        int s = (face & 1) ? 1 : -1;
        int b = (a + 1) % 3, c = (a + 2) % 3;
        if (s > 0) std::swap(b, c);
        const int sb[4] = {-1, 1, 1, -1}, sc[4] = {-1, -1, 1, 1};
        auto edge = [&](int axis, int sign) { return sign < 0 ? lo[axis] : hi[axis]; };
        int32_t corners[12];
        for (int k = 0; k < 4; k++) {
            corners[3 * k + a] = edge(a, s);
            corners[3 * k + b] = edge(b, sb[k]);
            corners[3 * k + c] = edge(c, sc[k]);
        }
        uint32_t tex[8];
        square_texture(tex, SYNTH_CUBE_FORMAT[face], tex_u[face], 0, 16);
        quad_put(w, face == 5 ? FLAG_LAST : 0, ATTR_CULL | ATTR_DEPTH_MEAN,
                 DEFAULT_BRIGHT | (SYNTH_CUBE_PALETTE + uint32_t(face)) << 8, nullptr, tex, corners);
    }
    chunk_close(w, chunk);
}

void cube_write(point_writer& w) {
    const int32_t lo[3] = {-SYNTH_CUBE_HALF, -SYNTH_CUBE_HALF, -SYNTH_CUBE_HALF};
    const int32_t hi[3] = {SYNTH_CUBE_HALF, SYNTH_CUBE_HALF, SYNTH_CUBE_HALF};
    box_write(w, SYNTH_MODEL_CUBE, lo, hi);
}

template <size_t N>
void boxes_write(point_writer& w, const synth_box (&boxes)[N]) {
    for (const synth_box& b : boxes)
        for (int32_t model = b.first; model <= b.last; model++) box_write(w, model + SYNTH_MODEL_CODE_BASE, b.lo, b.hi);
}

// The results boards' stand-in models.
void screen_boxes_write(point_writer& w) {
    boxes_write(w, SYNTH_SCREEN_BOXES);
    for (int i = 0; i < SYNTH_LETTER_MODELS; i++) {
        const int32_t lo[3] = {-12, -12 - i, -4}, hi[3] = {12, 12 + i, 4};
        box_write(w, synth_letter_model(i) + SYNTH_MODEL_CODE_BASE, lo, hi);
    }
}

void ground_write(point_writer& w) {
    uint32_t list = model_open(w, SYNTH_MODEL_GROUND, 1);
    w.set->point[list] = w.at;
    uint32_t chunk = chunk_open(w);
    const int32_t h = SYNTH_GROUND_HALF;
    const int32_t corners[12] = {-h, 0, -h, h, 0, -h, h, 0, h, -h, 0, h};
    uint32_t tex[8];
    square_texture(tex, 0, SYNTH_TEX_GROUND_U, SYNTH_TEX_GROUND_V, SYNTH_TEX_GROUND_SIZE);
    quad_put(w, FLAG_LAST, 0, DEFAULT_BRIGHT | 0x20 << 8, nullptr, tex, corners);
    chunk_close(w, chunk);
}

void lit_write(point_writer& w) {
    uint32_t list = model_open(w, SYNTH_MODEL_LIT, 2);
    uint32_t tex[8];
    square_texture(tex, 0, SYNTH_TEX_U_8BIT, 0, 16);
    int32_t corners[12];

    w.set->point[list] = w.at;
    uint32_t chunk = chunk_open(w);
    light_put(w, 13, 0, SYNTH_LIT_NORMAL_Y[0]);
    light_put(w, 13, 0, SYNTH_LIT_NORMAL_Y[1]);
    flat_square(corners, -2 * SYNTH_FLAT_HALF, SYNTH_FLAT_HALF);
    quad_put(w, 0, 0, DEFAULT_BRIGHT | 0x21 << 8, nullptr, tex, corners);
    flat_square(corners, 2 * SYNTH_FLAT_HALF, SYNTH_FLAT_HALF);
    quad_put(w, FLAG_LAST, 0, DEFAULT_BRIGHT | 0x22 << 8, nullptr, tex, corners);
    chunk_close(w, chunk);

    w.set->point[list + 1] = w.at;
    chunk = chunk_open(w);
    light_put(w, 16, 0, SYNTH_LIT_NORMAL_Y[2]);
    flat_square(corners, 0, SYNTH_FLAT_HALF);
    quad_put(w, FLAG_LAST, 0, DEFAULT_BRIGHT | 0x23 << 8, nullptr, tex, corners);
    chunk_close(w, chunk);
}

void depth_write(point_writer& w) {
    uint32_t list = model_open(w, SYNTH_MODEL_DEPTH, 1);
    w.set->point[list] = w.at;
    uint32_t chunk = chunk_open(w);
    uint32_t tex[8];
    square_texture(tex, 0, SYNTH_TEX_U_8BIT, 0, 16);
    for (int k = 0; k < 4; k++) tex[k] |= SYNTH_DEPTH_TEX_BRIGHT[k] << 16;
    int32_t corners[12];
    flat_square(corners, 0, SYNTH_FLAT_HALF);
    int32_t absolute = 0x200000 | SYNTH_DEPTH_ABSOLUTE;
    quad_put(w, FLAG_TEX_BRIGHT, 0, DEFAULT_BRIGHT | 0x24 << 8, &absolute, tex, corners);
    int32_t offset = int32_t(SYNTH_DEPTH_PRIO_ADD << 18) | (SYNTH_DEPTH_OFFSET & 0x3FFFF);
    quad_put(w, FLAG_LAST, 0, DEFAULT_BRIGHT | 0x25 << 8, &offset, tex, corners);
    chunk_close(w, chunk);
}

// ---- HUD stand-ins: flat single-colour shapes, seen from both sides ----------------

struct quad_corners {
    int32_t c[12];
};

// One model of flat quads in palette `palette` textured with the light square of the
// ground checker; an empty model when there are none.
void flat_model_write(point_writer& w, int32_t model, const quad_corners* quads, int n, uint32_t palette) {
    uint32_t list = model_open(w, model + SYNTH_MODEL_CODE_BASE, n > 0 ? 1 : 0);
    if (n == 0) return;
    w.set->point[list] = w.at;
    uint32_t chunk = chunk_open(w);
    uint32_t tex[8];
    square_texture(tex, 0, SYNTH_TEX_GROUND_U, SYNTH_TEX_GROUND_V, 16);
    for (int i = 0; i < n; i++)
        quad_put(w, i == n - 1 ? FLAG_LAST : 0, 0, DEFAULT_BRIGHT | palette << 8, nullptr, tex, quads[i].c);
    chunk_close(w, chunk);
}

// The rectangle x0..x1, y0..y1 in the plane at depth z.
quad_corners rect_at(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t z) {
    return {{x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z}};
}

// Segments a..g lit for each digit.
constexpr uint8_t SEVEN_SEGMENTS[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// A seven-segment digit centred on the origin.
void digit_write(point_writer& w, int32_t model, int digit, const synth_digit_size& d) {
    const int32_t x = d.half_width, y = d.half_height, t = d.stroke;
    const quad_corners segments[7] = {rect_at(-x, y - t, x, y, 0),      rect_at(x - t, 0, x, y, 0),
                                      rect_at(x - t, -y, x, 0, 0),      rect_at(-x, -y, x, -y + t, 0),
                                      rect_at(-x, -y, -x + t, 0, 0),    rect_at(-x, 0, -x + t, y, 0),
                                      rect_at(-x, -t / 2, x, t / 2, 0)};
    quad_corners lit[7];
    int n = 0;
    for (int k = 0; k < 7; k++)
        if (SEVEN_SEGMENTS[digit] >> k & 1) lit[n++] = segments[k];
    flat_model_write(w, model, lit, n, d.palette);
}

// The course arrow pointing along +z: a shaft and a tapering head, once in the x/z plane
// and once in the y/z plane, so that it shows however it is turned.
void arrow_write(point_writer& w) {
    const int32_t outline[2][4][2] = {
        {{-SYNTH_ARROW_SHAFT, SYNTH_ARROW_TAIL}, {SYNTH_ARROW_SHAFT, SYNTH_ARROW_TAIL},
         {SYNTH_ARROW_SHAFT, SYNTH_ARROW_NECK}, {-SYNTH_ARROW_SHAFT, SYNTH_ARROW_NECK}},
        {{-SYNTH_ARROW_HEAD, SYNTH_ARROW_NECK}, {SYNTH_ARROW_HEAD, SYNTH_ARROW_NECK},
         {SYNTH_ARROW_TIP, SYNTH_ARROW_POINT}, {-SYNTH_ARROW_TIP, SYNTH_ARROW_POINT}},
    };
    quad_corners quads[4];
    for (int plane = 0; plane < 2; plane++)
        for (int part = 0; part < 2; part++)
            for (int k = 0; k < 4; k++) {
                int32_t* c = quads[2 * plane + part].c + 3 * k;
                c[0] = plane == 0 ? outline[part][k][0] : 0;
                c[1] = plane == 1 ? outline[part][k][0] : 0;
                c[2] = outline[part][k][1];
            }
    flat_model_write(w, SYNTH_ARROW_MODEL, quads, 4, SYNTH_ARROW_PALETTE);
}

void hud_models_write(point_writer& w) {
    for (int digit = 0; digit < 10; digit++) {
        digit_write(w, SYNTH_CLOCK_TENS + digit, digit, SYNTH_CLOCK_DIGIT);
        digit_write(w, SYNTH_CLOCK_UNITS + digit, digit, SYNTH_CLOCK_DIGIT);
        digit_write(w, SYNTH_SCORE_FACE + digit, digit, SYNTH_SCORE_DIGIT);
    }
    const int32_t dot = SYNTH_CLOCK_DIGIT.stroke, gap = SYNTH_CLOCK_DIGIT.half_height / 3;
    const quad_corners colon[2] = {rect_at(-dot / 2, gap, dot / 2, gap + dot, 0),
                                   rect_at(-dot / 2, -gap - dot, dot / 2, -gap, 0)};
    flat_model_write(w, SYNTH_CLOCK_SEPARATOR, colon, 2, SYNTH_CLOCK_DIGIT.palette);
    flat_model_write(w, SYNTH_SCORE_FACE_BLANK, nullptr, 0, 0);
    flat_model_write(w, SYNTH_SCORE_WHEEL_BLANK, nullptr, 0, 0);
    // The wheels: a plate behind the face, a stroke larger than the digit all round.
    const synth_digit_size& s = SYNTH_SCORE_DIGIT;
    const int32_t px = s.half_width + s.stroke, py = s.half_height + s.stroke;
    const quad_corners plate = rect_at(-px, -py, px, py, SYNTH_WHEEL_BEHIND);
    for (int digit = 0; digit < 10; digit++)
        flat_model_write(w, SYNTH_SCORE_WHEEL + digit, &plate, 1, SYNTH_WHEEL_PALETTE);
    arrow_write(w);
}

void tile_fill(synth_rom_set* set, uint32_t tile, uint8_t (*texel)(uint32_t c, uint32_t r)) {
    for (uint32_t r = 0; r < 16; r++)
        for (uint32_t c = 0; c < 16; c++) set->texture[tile * 256 + r * 16 + c] = texel(c, r);
}

// Tile-map entry of the tile at tile column col, tile row row of the synthetic bank.
void tile_entry_put(synth_rom_set* set, uint32_t col, uint32_t row, uint32_t tile, uint8_t attr) {
    uint32_t e = SYNTH_TEX_BANK << 16 | row << 8 | col;
    set->tilemap[2 * e] = uint8_t(tile);
    set->tilemap[2 * e + 1] = uint8_t(tile >> 8);
    uint8_t& pair = set->tilemap[0x200000 + e / 2];
    pair = (e & 1) ? uint8_t((pair & 0xF0) | attr) : uint8_t((pair & 0x0F) | attr << 4);
}

void textures_write(synth_rom_set* set) {
    tile_fill(set, SYNTH_TILE_8BIT, [](uint32_t c, uint32_t r) { return uint8_t(r * 16 + c); });
    tile_fill(set, SYNTH_TILE_4BIT, [](uint32_t c, uint32_t r) { return uint8_t(c << 4 | r); });
    tile_fill(set, SYNTH_TILE_2BIT, [](uint32_t c, uint32_t r) {
        return uint8_t((c & 3) << 6 | (r & 3) << 4 | ((c + r) & 3) << 2 | (3 - (c & 3)));
    });
    tile_fill(set, SYNTH_TILE_LIGHT, [](uint32_t, uint32_t) { return uint8_t(0xC0); });
    tile_fill(set, SYNTH_TILE_DARK, [](uint32_t, uint32_t) { return uint8_t(0x40); });

    const struct {
        uint32_t u, tile;
        uint8_t attr;
    } row0[] = {{SYNTH_TEX_U_8BIT, SYNTH_TILE_8BIT, 0},      {SYNTH_TEX_U_VFLIP, SYNTH_TILE_8BIT, 2},
                {SYNTH_TEX_U_HFLIP, SYNTH_TILE_8BIT, 4},     {SYNTH_TEX_U_TRANSPOSE, SYNTH_TILE_8BIT, 8},
                {SYNTH_TEX_U_UPPER, SYNTH_TILE_8BIT, 1},     {SYNTH_TEX_U_4BIT, SYNTH_TILE_4BIT, 0},
                {SYNTH_TEX_U_2BIT, SYNTH_TILE_2BIT, 0},      {SYNTH_TEX_U_ALLFLIP, SYNTH_TILE_8BIT, 0xE}};
    for (const auto& t : row0) tile_entry_put(set, t.u / 16, 0, t.tile, t.attr);

    uint32_t tiles = SYNTH_TEX_GROUND_SIZE / 16;
    for (uint32_t r = 0; r < tiles; r++)
        for (uint32_t c = 0; c < tiles; c++)
            tile_entry_put(set, SYNTH_TEX_GROUND_U / 16 + c, SYNTH_TEX_GROUND_V / 16 + r,
                           ((c + r) & 1) ? SYNTH_TILE_DARK : SYNTH_TILE_LIGHT, 0);
}

}  // namespace

void synth_terrain_chunks(synth_rom_set* set) {
    point_writer w{set, SYNTH_CHUNK_DATA};
    const int32_t n = SYNTH_CHUNK_SIZE, y = SYNTH_CHUNK_GROUND_Y;
    const int32_t corners[12] = {0, y, 0, n, y, 0, n, y, n, 0, y, n};
    uint32_t tex[8];
    square_texture(tex, 0, SYNTH_TEX_GROUND_U, SYNTH_TEX_GROUND_V, SYNTH_TEX_GROUND_SIZE);
    bool listed[SYNTH_CHUNK_CELL_COUNT] = {};
    for (int32_t cell : SYNTH_CHUNK_CELLS) listed[cell] = true;
    for (int32_t cell = 0; cell < SYNTH_CHUNK_CELL_COUNT; cell++) {
        uint32_t list = model_open(w, SYNTH_MODEL_CODE_BASE + SYNTH_CHUNK_BASE + cell, listed[cell] ? 1 : 0);
        if (!listed[cell]) continue;
        w.set->point[list] = w.at;
        uint32_t chunk = chunk_open(w);
        uint32_t palette = SYNTH_CHUNK_PALETTE + uint32_t(cell & 7);
        quad_put(w, FLAG_LAST, 0, DEFAULT_BRIGHT | palette << 8, nullptr, tex, corners);
        chunk_close(w, chunk);
    }
}

void synth_models(synth_rom_set* set) {
    point_writer w{set, SYNTH_MODEL_DATA};
    cube_write(w);
    boxes_write(w, SYNTH_RIG_BOXES);
    boxes_write(w, SYNTH_FLIGHT_BOXES);
    boxes_write(w, SYNTH_ATTRACT_BOXES);
    screen_boxes_write(w);
    ground_write(w);
    lit_write(w);
    depth_write(w);
    hud_models_write(w);
    if (w.at > SYNTH_CHUNK_DATA) {
        fprintf(stderr, "synth_rom: the models run into the chunk data (word 0x%X)\n", w.at);
        abort();
    }
    textures_write(set);
}
