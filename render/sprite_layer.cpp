#include "render/sprite_layer.h"

#include "base/env_switch.h"
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "render/change_key.h"
#include "render/palette_source.h"
#include "render/side_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t ENTRY_WORD = 0x4000 / 4;    // sprite entry j: four words at byte 0x4000 + 16j
constexpr uint32_t ATTR_WORD = 0x20000 / 4;    // attribute entry j: two words at byte 0x20000 + 8j
constexpr uint32_t CLIP_WORD = 0x80;           // clip set c: words 0x80 + 2c (x) and 0x81 + 2c (y)
constexpr uint32_t TILE_TABLE_BYTE = 0x800;    // tile table t: 16-bit entries from 0x800 + 8t
constexpr uint32_t CONSECUTIVE_TILES = 0xFF;
constexpr size_t TILE_BYTES = 1024;
constexpr int TILE_SIZE = 32;
constexpr uint8_t TRANSPARENT = 255;
constexpr int FIRST_LIST_MAX = 1023;
constexpr int SECOND_LIST_MAX = 0x1FF;
constexpr int LIST_MAX = 4096;
constexpr int LOG_PERIOD = 120;
static_assert(FIRST_LIST_MAX + 2 * SECOND_LIST_MAX <= LIST_MAX, "the built list always fits");

// The second list's two passes: data, attribute and count registers (register 12 bit 24 off).
constexpr int SECOND_LIST_REGS[2][3] = {{16, 18, 22}, {24, 26, 30}};
constexpr int SECOND_LIST_OFF_REG = 12;

uint32_t live_words[SPRITE_RAM_BYTES / 4];
uint32_t live_attr_words[SPRITE_REGION_BYTES / 4];

// e0 = x << 16 | y, e1 = x step << 16 | y step, e2 = control, e3 = base tile << 16 | p8,
// e4 = priority key, e5 = colour word << 16 | depth word.
struct sprite_entry {
    uint32_t e[6];
};

struct sprite_header {
    bool on;
    bool interlaced;
    int origin_x, origin_y;
    uint32_t base;
    int number;
    int first_count;  // sprites listed from sprite RAM
    int pass_count[2];
    uint32_t pass_data[2], pass_attr[2];
    int total;
};

struct sprite_draw {
    int x, y, sx, sy, rows, cols;
    int clip_x0, clip_x1, clip_y0, clip_y1;
    bool vflip, hflip;
    uint32_t base_tile, table_select;
    int group;
    int depth_cue, fade, opacity;
    bool mark;
};

struct blit_target {
    uint8_t* rgba;
    uint8_t* map;
    int ox, oy, width, height;
    bool keep_alpha;
};

uint32_t word_at(const uint32_t* words, uint32_t count, uint32_t i) {
    return words && i < count ? words[i] : 0;
}

int signed_half(uint32_t half) {
    return int(int16_t(uint16_t(half)));
}

bool input_usable(const sprite_input* in) {
    return in && in->valid && in->words && in->palette && sprite_rom;
}

sprite_header header_decode(const sprite_input* in) {
    static const bool log_header = env_present("SKYVOLTA_SPRHDR");
    static unsigned calls = 0;
    uint32_t w[4];
    for (uint32_t i = 0; i < 4; i++) w[i] = word_at(in->words, in->word_count, i);
    sprite_header h{};
    bool progressive = w[0] & 0x40000;
    h.on = !(w[0] & 0x10000);
    h.interlaced = !progressive;
    h.base = w[0] & 0xFFFF;
    h.origin_x = int(w[1] & 0xFFFF) + int(w[2] & 0xFFFF) + 45;
    h.origin_y = int(w[3] >> 16) + (progressive ? 42 : 21);
    h.number = int(w[1] >> 16) - int(h.base) + 1;
    h.first_count = h.on && h.number > 0 && h.number <= FIRST_LIST_MAX ? h.number : 0;
    h.total = h.first_count;
    if (in->regs_valid && in->attr_words && !(in->regs[SECOND_LIST_OFF_REG] & 0x1000000)) {
        for (int p = 0; p < 2; p++) {
            h.pass_data[p] = (in->regs[SECOND_LIST_REGS[p][0]] >> 2) & 0x3FFF;
            h.pass_attr[p] = (in->regs[SECOND_LIST_REGS[p][1]] >> 2) & 0x3FFF;
            h.pass_count[p] = int((in->regs[SECOND_LIST_REGS[p][2]] >> 4) & SECOND_LIST_MAX);
            h.total += h.pass_count[p];
        }
    }
    if (log_header && calls++ % LOG_PERIOD == 0)
        printf("    [SPRHDR] W0=%08x W1=%08x on=%d base=%d num=%d\n", w[0], w[1], h.on, int(h.base), h.number);
    return h;
}

sprite_entry entry_fetch(const sprite_input* in, const sprite_header& h, int i) {
    sprite_entry s{};
    if (i < h.first_count) {
        uint32_t j = h.base + uint32_t(i);
        for (uint32_t k = 0; k < 4; k++) s.e[k] = word_at(in->words, in->word_count, ENTRY_WORD + 4 * j + k);
        for (uint32_t k = 0; k < 2; k++) s.e[4 + k] = word_at(in->words, in->word_count, ATTR_WORD + 2 * j + k);
        return s;
    }
    i -= h.first_count;
    for (int p = 0; p < 2; p++) {
        if (i < h.pass_count[p]) {
            uint32_t k4 = h.pass_data[p] + 4 * uint32_t(i), k2 = h.pass_attr[p] + 2 * uint32_t(i);
            for (uint32_t k = 0; k < 4; k++) s.e[k] = word_at(in->attr_words, in->attr_count, k4 + k);
            for (uint32_t k = 0; k < 2; k++) s.e[4 + k] = word_at(in->attr_words, in->attr_count, k2 + k);
            return s;
        }
        i -= h.pass_count[p];
    }
    return s;
}

// Position, steps, clip rectangle, flips and colour treatment of one sprite; `fog` may
// be null when only the geometry is wanted.
sprite_draw attr_decode(const sprite_input* in, const sprite_header& h, const sprite_entry& s, const fog_state* fog) {
    sprite_draw d{};
    uint32_t control = s.e[2];
    d.x = int(s.e[0] >> 16) - h.origin_x;
    d.y = int(s.e[0] & 0xFFFF) - h.origin_y;
    d.sx = int(s.e[1] >> 16);
    d.sy = int(s.e[1] & 0xFFFF);
    d.rows = (control & 7) ? int(control & 7) : 8;
    d.cols = ((control >> 4) & 7) ? int((control >> 4) & 7) : 8;
    uint32_t clip_set = (control >> 24) & 7;
    uint32_t clip_x = word_at(in->words, in->word_count, CLIP_WORD + 2 * clip_set);
    uint32_t clip_y = word_at(in->words, in->word_count, CLIP_WORD + 2 * clip_set + 1);
    d.clip_x0 = signed_half(clip_x >> 16) - h.origin_x;
    d.clip_x1 = signed_half(clip_x) - h.origin_x;
    d.clip_y0 = signed_half(clip_y >> 16) - h.origin_y;
    d.clip_y1 = signed_half(clip_y) - h.origin_y;
    if (control & 0x200) d.x += 1 - d.sx * d.cols;  // anchored at the right
    if (control & 0x100) d.y += 1 - d.sy * d.rows;  // anchored at the bottom
    d.vflip = control & 0x08;
    if (d.vflip) {
        d.y += d.rows * d.sy - 1;
        d.sy = -d.sy;
    }
    d.hflip = control & 0x80;
    if (d.hflip) {
        d.x += d.cols * d.sx - 1;
        d.sx = -d.sx;
    }
    if (h.interlaced) {
        d.sy *= 2;
        d.y *= 2;
    }
    uint32_t colour = s.e[5] >> 16, depth = s.e[5] & 0xFFFF;
    d.group = int(colour & 0x7F);
    d.depth_cue = (colour & 0x80) ? 0 : int(depth & 0xFF);
    d.mark = (depth & 0xFF) == 0xFE;
    d.fade = fog && ((fog->fade_flags & 2) || (depth & 0x8000)) ? fog->fade_amount : 0;
    d.opacity = 255 - int((s.e[3] & 0xFFFF) >> 8);
    d.base_tile = s.e[3] >> 16;
    d.table_select = (control >> 16) & 0xFF;
    return d;
}

uint32_t tile_number(const sprite_input* in, const sprite_draw& d, uint32_t k) {
    if (d.table_select == CONSECUTIVE_TILES) return d.base_tile + k;
    uint32_t byte = TILE_TABLE_BYTE + 8 * d.table_select + 2 * k;
    uint32_t w = word_at(in->words, in->word_count, byte / 4);
    return d.base_tile + ((byte & 2) ? (w & 0xFFFF) : (w >> 16));
}

// Mixes a channel toward a target colour by amount a (0..255); 255 reaches the target.
int toward(int c, int target, int a) {
    return (c * (255 - a) + target * (a + 1)) >> 8;
}

void pixel_put(const sprite_input* in, const fog_state* fog, const sprite_draw& d, uint8_t p, const blit_target& t,
               size_t at) {
    uint32_t e = (uint32_t(p) + uint32_t(d.group) * 256) & (PALETTE_ENTRIES - 1);
    int rgb[3] = {in->palette[e], in->palette[PALETTE_ENTRIES + e], in->palette[2 * PALETTE_ENTRIES + e]};
    uint8_t* out = t.rgba + 4 * at;
    for (int c = 0; c < 3; c++) {
        if (d.depth_cue > 0) rgb[c] = toward(rgb[c], fog->fog_colour[c], d.depth_cue);
        if (d.fade > 0) rgb[c] = toward(rgb[c], fog->fade_colour[c], d.fade);
    }
    uint8_t alpha = 255;
    bool translucent = d.opacity != 255 && (fog->sprite_clear_group != d.group || p == fog->sprite_clear_pixel);
    if (translucent && t.keep_alpha) {
        alpha = uint8_t(d.opacity);
    } else if (translucent) {
        for (int c = 0; c < 3; c++) {
            int old = out[3] ? out[c] : 0;
            rgb[c] = (rgb[c] * d.opacity + old * (256 - d.opacity)) >> 8;
        }
    }
    for (int c = 0; c < 3; c++) out[c] = uint8_t(rgb[c]);
    out[3] = alpha;
    if (t.map) t.map[at] = d.mark ? 3 : 2;
}

// One tile at (tx, ty) with the sprite's steps: |sx| x |sy| destination pixels, each
// sampling the source at the centre of its span.
void tile_blit(const sprite_input* in, const fog_state* fog, const sprite_draw& d, uint32_t tile, int tx, int ty,
               const blit_target& t) {
    if (!d.sx || !d.sy || tile >= sprite_rom_size / TILE_BYTES) return;
    const uint8_t* src = sprite_rom + size_t(tile) * TILE_BYTES;
    int ax = abs(d.sx), ay = abs(d.sy);
    int left = d.sx > 0 ? tx : tx + d.sx + 1;
    int top = d.sy > 0 ? ty : ty + d.sy + 1;
    int x_lo = std::max({left, 0, d.clip_x0, t.ox});
    int x_hi = std::min({left + ax - 1, SPRITE_SCREEN_W - 1, d.clip_x1, t.ox + t.width - 1});
    int y_lo = std::max({top, 0, d.clip_y0, t.oy});
    int y_hi = std::min({top + ay - 1, SPRITE_SCREEN_H - 1, d.clip_y1, t.oy + t.height - 1});
    for (int y = y_lo; y <= y_hi; y++) {
        int row = (2 * (y - top) + 1) * TILE_SIZE / (2 * ay);
        if (d.vflip) row = TILE_SIZE - 1 - row;
        const uint8_t* line = src + TILE_SIZE * row;
        size_t line_at = size_t(y - t.oy) * size_t(t.width);
        for (int x = x_lo; x <= x_hi; x++) {
            int col = (2 * (x - left) + 1) * TILE_SIZE / (2 * ax);
            if (d.hflip) col = TILE_SIZE - 1 - col;
            uint8_t p = line[col];
            if (p != TRANSPARENT) pixel_put(in, fog, d, p, t, line_at + size_t(x - t.ox));
        }
    }
}

void sprite_draw_tiles(const sprite_input* in, const fog_state* fog, const sprite_draw& d, const blit_target& t) {
    for (int r = 0; r < d.rows; r++)
        for (int c = 0; c < d.cols; c++)
            tile_blit(in, fog, d, tile_number(in, d, uint32_t(r * d.cols + c)), d.x + c * d.sx, d.y + r * d.sy, t);
}

// Highest key first; equal keys by list place, later first.
bool layer_before(const sprite_layer& a, const sprite_layer& b) {
    return a.priority != b.priority ? a.priority > b.priority : a.index > b.index;
}

const fog_state* fog_or_none(const fog_state* fog) {
    static const fog_state none{};
    return fog ? fog : &none;
}

void sprb_sprite_log(const sprite_input* in, int i, const sprite_draw& d, const sprite_entry& s) {
    printf("      [SPRB] i=%d xy=(%d,%d) size=%dx%d rows=%d cols=%d clip=[%d..%d,%d..%d] tile=%d WQ80=%08x WQ81=%08x "
           "nw=%d src2=%08x clip=%d\n",
           i, d.x, d.y, d.sx, d.sy, d.rows, d.cols, d.clip_x0, d.clip_x1, d.clip_y0, d.clip_y1, int(d.base_tile),
           word_at(in->words, in->word_count, CLIP_WORD), word_at(in->words, in->word_count, CLIP_WORD + 1),
           int(in->word_count), s.e[2], (s.e[2] / 0x800000) & 0xE);
}

}  // namespace

bool sprite_input_from_live(sprite_input* rec, const uint8_t* ram, size_t ram_size, const uint8_t* region,
                            size_t region_size, const uint32_t* regs, const uint8_t* palette) {
    static const bool log_load = env_present("SKYVOLTA_SPRLD");
    static unsigned calls = 0;
    *rec = sprite_input{};
    if (!ram || !region || !regs || !palette) return false;
    size_t n = std::min(ram_size, SPRITE_RAM_BYTES) / 4;
    for (size_t i = 0; i < n; i++) live_words[i] = load_be32(ram + 4 * i);
    size_t m = std::min(region_size, SPRITE_REGION_BYTES) / 4;
    for (size_t i = 0; i < m; i++) live_attr_words[i] = load_be32(region + 4 * i);
    rec->words = live_words;
    rec->word_count = uint32_t(n);
    rec->attr_words = live_attr_words;
    rec->attr_count = uint32_t(m);
    memcpy(rec->regs, regs, sizeof rec->regs);
    rec->regs_valid = 1;
    rec->palette = palette;
    rec->valid = 1;
    if (log_load && calls++ % LOG_PERIOD == 0 && ram_size >= 0x204)
        printf("    [SPRLD] hdr %02x%02x%02x%02x %02x%02x%02x%02x clip %02x%02x%02x%02x\n", ram[0], ram[1], ram[2],
               ram[3], ram[4], ram[5], ram[6], ram[7], ram[0x200], ram[0x201], ram[0x202], ram[0x203]);
    return true;
}

bool sprite_intake(sprite_input* rec) {
    uint32_t regs[SPRITE_REGISTERS];
    for (int i = 0; i < SPRITE_REGISTERS; i++) regs[i] = load_be32(board_memory.sprite_registers + 4 * i);
    const uint8_t* palette = palette_compose();
    return sprite_input_from_live(rec, sprite_ram, sizeof sprite_ram, board_memory.sprite_attributes,
                                  sizeof board_memory.sprite_attributes, regs, palette ? palette : palette_ram);
}

bool sprite_dump_load(sprite_input* rec, const char* dir, int frame, const uint8_t* shared_palette) {
    *rec = sprite_input{};
    char path[SIDE_PATH_MAX];
    if (!side_path(path, "%s/sprite_f%d.bin", dir, frame) || !side_file_read_words(path, &rec->words, &rec->word_count))
        return false;
    if (side_path(path, "%s/vicsd_f%d.bin", dir, frame)) side_file_read_words(path, &rec->attr_words, &rec->attr_count);
    uint32_t* regs = nullptr;
    uint32_t reg_count = 0;
    if (side_path(path, "%s/vicsc_f%d.bin", dir, frame) && side_file_read_words(path, &regs, &reg_count)) {
        memcpy(rec->regs, regs, sizeof(uint32_t) * std::min<uint32_t>(reg_count, SPRITE_REGISTERS));
        free(regs);
        rec->regs_valid = rec->attr_words != nullptr;
    }
    if (!side_path(path, "%s/pal_f%d.bin", dir, frame) ||
        !side_file_load_shared(path, PALETTE_BYTES, shared_palette, &rec->palette, &rec->palette_owned)) {
        sprite_input_free(rec);
        return false;
    }
    rec->valid = 1;
    return true;
}

void sprite_input_free(sprite_input* rec) {
    if (rec->words != live_words) free(rec->words);
    if (rec->attr_words != live_attr_words) free(rec->attr_words);
    side_file_release(rec->palette, rec->palette_owned);
    *rec = sprite_input{};
}

int sprite_list_build(const sprite_input* rec, sprite_layer* layers, int max) {
    static const bool log_build = env_present("SKYVOLTA_SPRB");
    static unsigned calls = 0, sprites_logged = 0;
    if (!input_usable(rec) || !layers) return 0;
    sprite_header h = header_decode(rec);
    if (log_build && calls++ % LOG_PERIOD == 0) printf("    [SPRB] g_list_n=%d\n", h.total);
    int n = 0;
    for (int i = 0; i < h.total && n < max; i++) {
        sprite_entry s = entry_fetch(rec, h, i);
        sprite_draw d = attr_decode(rec, h, s, nullptr);
        if (log_build && sprites_logged < 8) {
            sprites_logged++;
            sprb_sprite_log(rec, i, d, s);
        }
        if (!d.sx || !d.sy) continue;
        int x0 = std::max({std::min(d.x, d.x + d.sx * d.cols), d.clip_x0, 0});
        int x1 = std::min({std::max(d.x, d.x + d.sx * d.cols), d.clip_x1, SPRITE_SCREEN_W - 1});
        int y0 = std::max({std::min(d.y, d.y + d.sy * d.rows), d.clip_y0, 0});
        int y1 = std::min({std::max(d.y, d.y + d.sy * d.rows), d.clip_y1, SPRITE_SCREEN_H - 1});
        if (x0 > x1 || y0 > y1) continue;
        layers[n++] = sprite_layer{s.e[4] & 0xFFFFFF, x0, y0, x1 - x0 + 1, y1 - y0 + 1, i, d.mark, d.base_tile};
    }
    std::sort(layers, layers + n, layer_before);
    return n;
}

void sprite_layer_raster(const sprite_input* rec, const fog_state* fog, const sprite_layer* layer, uint8_t* rgba,
                         bool keep_alpha) {
    if (!layer || !rgba || layer->width <= 0 || layer->height <= 0) return;
    memset(rgba, 0, size_t(layer->width) * size_t(layer->height) * 4);
    if (!input_usable(rec)) return;
    sprite_header h = header_decode(rec);
    if (layer->index < 0 || layer->index >= h.total) return;
    fog = fog_or_none(fog);
    sprite_draw d = attr_decode(rec, h, entry_fetch(rec, h, layer->index), fog);
    blit_target t{rgba, nullptr, layer->x0, layer->y0, layer->width, layer->height, keep_alpha};
    sprite_draw_tiles(rec, fog, d, t);
}

uint64_t sprite_layer_change_key(const sprite_input* rec, const fog_state* fog, const sprite_layer* layer,
                                 bool keep_alpha) {
    uint64_t key = change_key_word(CHANGE_KEY_SEED, uint64_t(reinterpret_cast<uintptr_t>(sprite_rom)));
    key = change_key_word(key, sprite_rom_size);
    if (!layer) return key;
    const int32_t box[6] = {layer->x0, layer->y0, layer->width, layer->height, layer->index, keep_alpha};
    key = change_key_bytes(key, box, sizeof box);
    if (!input_usable(rec)) return key;
    sprite_header h = header_decode(rec);
    key = change_key_word(key, uint64_t(h.total));
    if (layer->index < 0 || layer->index >= h.total) return key;
    fog = fog_or_none(fog);
    sprite_draw d = attr_decode(rec, h, entry_fetch(rec, h, layer->index), fog);
    const int32_t look[20] = {d.x,       d.y,         d.sx,        d.sy,      d.rows,
                              d.cols,    d.clip_x0,   d.clip_x1,   d.clip_y0, d.clip_y1,
                              d.vflip,   d.hflip,     int32_t(d.base_tile), int32_t(d.table_select), d.group,
                              d.depth_cue, d.fade,    d.opacity,   d.mark,    0};
    key = change_key_bytes(key, look, sizeof look);
    if (d.table_select != CONSECUTIVE_TILES)
        for (int k = 0; k < d.rows * d.cols; k++) key = change_key_word(key, tile_number(rec, d, uint32_t(k)));
    for (uint32_t plane = 0; plane < 3; plane++)
        key = change_key_bytes(key, rec->palette + plane * PALETTE_ENTRIES + uint32_t(d.group) * 256, 256);
    const uint8_t colours[8] = {fog->fog_colour[0],  fog->fog_colour[1],  fog->fog_colour[2],
                                fog->fade_colour[0], fog->fade_colour[1], fog->fade_colour[2],
                                fog->sprite_clear_group, fog->sprite_clear_pixel};
    return change_key_bytes(key, colours, sizeof colours);
}

void sprites_raster(const sprite_input* rec, const fog_state* fog, uint8_t* rgba, uint8_t* map, bool keep_alpha) {
    static sprite_layer order[LIST_MAX];
    if (!rgba) return;
    memset(rgba, 0, size_t(SPRITE_SCREEN_W) * SPRITE_SCREEN_H * 4);
    if (map) memset(map, 0, size_t(SPRITE_SCREEN_W) * SPRITE_SCREEN_H);
    if (!input_usable(rec)) return;
    fog = fog_or_none(fog);
    sprite_header h = header_decode(rec);
    for (int i = 0; i < h.total; i++)
        order[i] = sprite_layer{entry_fetch(rec, h, i).e[4] & 0xFFFFFF, 0, 0, 0, 0, i, 0, 0};
    std::sort(order, order + h.total, layer_before);
    blit_target t{rgba, map, 0, 0, SPRITE_SCREEN_W, SPRITE_SCREEN_H, keep_alpha};
    for (int i = 0; i < h.total; i++)
        sprite_draw_tiles(rec, fog, attr_decode(rec, h, entry_fetch(rec, h, order[i].index), fog), t);
}

void sprites_raster_all(const sprite_input* rec, const fog_state* fog, uint8_t* rgba, uint8_t* map) {
    sprites_raster(rec, fog, rgba, map, false);
}
