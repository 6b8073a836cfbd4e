#include "render/layer2d.h"

#include "base/rom_files.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "render/palette_source.h"
#include "render/screen_quads.h"
#include "render/side_files.h"
#include "render/wide_margins.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t layer2d_pixels[LAYER2D_W * LAYER2D_H * 4];

namespace {

constexpr int TEXT_ROWS_DRAWN = 32;
constexpr int TEXT_MAP_COLUMNS = 64;
constexpr int CELL = 16;
constexpr uint32_t TILE_BYTES = 128;
constexpr uint32_t TILES_MAX = 959;
constexpr int SPRITE_TILE = 32;
constexpr uint32_t NEXT_LINK = 22;
constexpr uint32_t FLAGS = 18;
constexpr int RECORDS_MAX = 256;

GLuint texture_2d = 0;
int draws = 0;

void pixel_put(int x, int y, uint32_t entry) {
    if (x < 0 || y < 0 || x >= LAYER2D_W || y >= LAYER2D_H) return;
    uint8_t* p = layer2d_pixels + (size_t(y) * LAYER2D_W + size_t(x)) * 4;
    palette_lookup_rgb(entry, &p[0], &p[1], &p[2]);
    p[3] = 255;
}

void text_cells_draw() {
    uint32_t colour_base = (uint32_t(mixer_registers[0x1B]) << 8) & 0x7F00;
    for (int row = 0; row < TEXT_ROWS_DRAWN; row++)
        for (int column = 0; column < TEXT_MAP_COLUMNS; column++) {
            uint16_t cell = load_be16(textram + row * 2 * TEXT_MAP_COLUMNS + column * 2);
            uint32_t tile = cell & 0x3FF;
            if (cell == 0 || cell == 0x3BF || tile > TILES_MAX) continue;
            bool hflip = cell & 0x400, vflip = cell & 0x800;
            uint32_t colour = cell >> 12;
            const uint8_t* pixels = CGRAM + tile * TILE_BYTES;
            for (int y = 0; y < CELL; y++)
                for (int x = 0; x < CELL; x++) {
                    int sx = hflip ? CELL - 1 - x : x, sy = vflip ? CELL - 1 - y : y;
                    uint8_t byte = pixels[sy * 8 + sx / 2];
                    int v = (sx & 1) ? byte & 15 : byte >> 4;
                    if (v == 0 || v == 15) continue;
                    pixel_put(CELL * column + x, CELL * row + y, colour_base + colour * 16 + uint32_t(v));
                }
        }
}

void sprite_tile_draw(int32_t tile, int x0, int y0, uint32_t flags) {
    uint32_t magnitude = uint32_t(tile < 0 ? -tile : tile);
    if (magnitude < 1 || magnitude > 4095) return;
    size_t at = size_t(magnitude) * SPRITE_TILE * SPRITE_TILE;
    if (!sprite_rom || at + SPRITE_TILE * SPRITE_TILE > sprite_rom_size) return;
    uint32_t base = magnitude >= 800 && magnitude <= 863 ? 0x1D00 : 0x7400;
    for (int y = 0; y < SPRITE_TILE; y++)
        for (int x = 0; x < SPRITE_TILE; x++) {
            int sx = (flags & 8) ? SPRITE_TILE - 1 - x : x, sy = (flags & 4) ? SPRITE_TILE - 1 - y : y;
            uint8_t v = sprite_rom[at + size_t(sy) * SPRITE_TILE + size_t(sx)];
            if (v == 0 || v == 255) continue;
            pixel_put(x0 + x, y0 + y, base + v);
        }
}

// The list the sprite upload will use next, from the head's next link.
void sprite_records_draw(bool trace) {
    uint32_t buffer = uint32_t(w_word(W_SPRITE_WRITE_BUFFER)) & 3;
    uint32_t head = W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * buffer;
    int sx0 = load_be16(text_registers) - 1500, sy0 = load_be16(text_registers + 2) - 810;
    if (trace)
        fprintf(stderr, "  [SPR] frame=%u buf_sel=%d list_head=%d count=%d\n", host_frame, int(buffer),
                int(w_slot(head + NEXT_LINK)), int(int32_t(w_slot(W_SPRITE_COUNT))));
    int64_t link = w_slot(head + NEXT_LINK);
    int n = 0;
    for (; n < RECORDS_MAX && link != 0; n++) {
        int64_t at = int64_t(head) + int64_t(SPRITE_RECORD_BYTES) * link;
        if (at < 0 || at + SPRITE_RECORD_BYTES > int64_t(WRAM_SIZE)) break;
        uint32_t r = uint32_t(at);
        int32_t tile = int16_t(w_slot(r));
        int32_t x = int32_t(w_slot(r + 2)), y = int32_t(w_slot(r + 4));
        uint32_t flags = uint32_t(w_slot(r + FLAGS));
        if (trace)
            fprintf(stderr, "    [SPR] entry %d: tile=0x%X (%d) sx=%d sy=%d flags=0x%X\n", n, unsigned(tile), tile,
                    x + sx0, y + sy0, flags);
        sprite_tile_draw(tile, x + sx0, y + sy0, flags);
        int64_t next = w_slot(r + NEXT_LINK);
        if (next == link) {
            n++;
            break;
        }
        link = next;
    }
    if (trace) fprintf(stderr, "  [SPR] total iterated: %d\n", n);
    // The list is consumed: count and the head's link cleared in both work-RAM images.
    w_cell_set(W_SPRITE_COUNT, 0);
    memset(wram_bytes + W_SPRITE_COUNT, 0, 4);
    w_cell_set(head + NEXT_LINK, 0);
    memset(wram_bytes + head + NEXT_LINK, 0, 2);
}

}  // namespace

void palette_lookup_rgb(uint32_t entry, uint8_t* r, uint8_t* g, uint8_t* b) {
    uint32_t e = entry & (PALETTE_ENTRIES - 1);
    *r = palette_ram[e];
    *g = palette_ram[PALETTE_ENTRIES + e];
    *b = palette_ram[2 * PALETTE_ENTRIES + e];
    if ((*r | *g | *b) == 0 && palette_3d_ready) {
        *r = palette_3d[3 * e];
        *g = palette_3d[3 * e + 1];
        *b = palette_3d[3 * e + 2];
    }
}

void layer2d_texture_create() {
    if (texture_2d) return;
    texture_2d = screen_texture_create(LAYER2D_W, LAYER2D_H);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void layer2d_draw() {
    bool trace = verbose_enabled() && draws < 2;
    draws++;
    memset(layer2d_pixels, 0, sizeof layer2d_pixels);
    text_cells_draw();
    sprite_records_draw(trace);
    long set = 0;
    for (size_t i = 3; i < sizeof layer2d_pixels; i += 4) set += layer2d_pixels[i] != 0;
    int scroll_x = load_be16(text_registers), scroll_y = load_be16(text_registers + 2);
    if (trace) {
        fprintf(stderr, "  [UPLOAD] tilemap_pixels: %ld non-zero of %d total\n", set, LAYER2D_W * LAYER2D_H);
        fprintf(stderr, "  [TM] scroll_x=%d scroll_y=%d  attr=[%02X %02X %02X %02X]\n", scroll_x, scroll_y,
                text_registers[0], text_registers[1], text_registers[2], text_registers[3]);
    }
    if (set == 0 || !texture_2d) return;
    screen_texture_upload(texture_2d, LAYER2D_W, LAYER2D_H, layer2d_pixels);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(hud_margin_left, hud_margin_right, 480, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    float s = float(scroll_x - 860) / LAYER2D_W, t = float(scroll_y) / LAYER2D_H;
    screen_texture_draw(texture_2d, 0, 0, 640, 480, s, t, s + 0.625f, t + 0.9375f);
}

void fade_quad_draw() {
    static int calls = 0;
    const uint8_t* m = mixer_registers;
    if (verbose_enabled() && calls++ < 3)
        fprintf(stderr, "  [COMPOSITE] fade RGB=(%d,%d,%d) factor=%d  vm[12]=%d vm[14]=%d\n", m[0], m[1], m[2], m[3],
                m[0x12], m[0x14]);
    if (m[3] < 1 || m[3] > 239) return;
    screen_colour_draw(0, 0, 640, 480, m[0] / 255.0f, m[1] / 255.0f, m[2] / 255.0f, m[3] / 255.0f);
}
