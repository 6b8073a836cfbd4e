#include "render/text_layer.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "render/change_key.h"
#include "render/palette_source.h"
#include "render/side_files.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int MAP_COLUMNS = 64;
constexpr int CELL = 16;
constexpr uint32_t BANK_BYTES = 0x8000;
constexpr uint32_t TILE_BYTES = 128;
constexpr uint8_t TRANSPARENT = 15;
constexpr int X_SCROLL_ORIGIN = 860;  // register 0 value that puts map column 0 at the left edge

uint8_t live_chars[TEXT_CHARS_BYTES];

bool fade_applies(const fog_state* fog) {
    return (fog->fade_flags & 2) && fog->fade_amount;
}

}  // namespace

void text_input_set(text_input* rec, const uint8_t* chars, const uint8_t* palette, const uint16_t* regs) {
    *rec = text_input{};
    rec->chars = chars;
    rec->palette = palette;
    memcpy(rec->text_regs, regs, sizeof rec->text_regs);
    rec->enabled = 1;
}

bool text_intake(text_input* rec) {
    memcpy(live_chars, CGRAM, sizeof CGRAM);
    memcpy(live_chars + TEXT_MAP_OFFSET, textram, sizeof textram);
    uint16_t regs[TEXT_REGISTERS];
    for (int i = 0; i < TEXT_REGISTERS; i++) regs[i] = load_be16(board_memory.text_registers + 2 * i);
    const uint8_t* palette = palette_compose();
    text_input_set(rec, live_chars, palette ? palette : palette_ram, regs);
    return true;
}

bool text_dump_load(text_input* rec, const char* dir, int frame, const uint8_t* shared_palette,
                    const uint8_t* shared_chars) {
    *rec = text_input{};
    char path[SIDE_PATH_MAX];
    uint8_t regs[2 * TEXT_REGISTERS];
    bool ok = side_path(path, "%s/cgram_f%d.bin", dir, frame) &&
              side_file_load_shared(path, TEXT_CHARS_BYTES, shared_chars, &rec->chars, &rec->chars_owned) &&
              side_path(path, "%s/tattr_f%d.bin", dir, frame) && side_file_read(path, regs, sizeof regs) &&
              side_path(path, "%s/pal_f%d.bin", dir, frame) &&
              side_file_load_shared(path, PALETTE_BYTES, shared_palette, &rec->palette, &rec->palette_owned);
    if (!ok) {
        text_input_free(rec);
        return false;
    }
    for (int i = 0; i < TEXT_REGISTERS; i++) rec->text_regs[i] = load_be16(regs + 2 * i);
    rec->enabled = 1;
    return true;
}

void text_input_free(text_input* rec) {
    side_file_release(rec->chars, rec->chars_owned);
    side_file_release(rec->palette, rec->palette_owned);
    *rec = text_input{};
}

void text_layer_raster(const text_input* rec, const fog_state* fog, uint8_t* rgba, bool background) {
    if (!rgba) return;
    memset(rgba, 0, size_t(TEXT_SCREEN_W) * TEXT_SCREEN_H * 4);
    if (!rec || !rec->enabled || !rec->chars || !rec->palette || !fog) return;
    if (background) {
        uint8_t bg[3] = {fog->bg_colour[0], fog->bg_colour[1], fog->bg_colour[2]};
        fog_lut_apply(fog, bg);
        for (int i = 0; i < TEXT_SCREEN_W * TEXT_SCREEN_H; i++) {
            memcpy(rgba + 4 * i, bg, 3);
            rgba[4 * i + 3] = 255;
        }
    }
    const uint8_t* map = rec->chars + TEXT_MAP_OFFSET;
    const uint8_t* pal = rec->palette;
    uint32_t colour_base = uint32_t(fog->text_group & 0x7F) * 256;
    bool fade = fade_applies(fog);
    int amount = fog->fade_amount;
    int g = fog->text_clear_amount;
    for (int y = 0; y < TEXT_SCREEN_H; y++) {
        int v = (rec->text_regs[1] & 0x3FF) + y;
        for (int x = 0; x < TEXT_SCREEN_W; x++) {
            int u = (rec->text_regs[0] - X_SCROLL_ORIGIN + x) & 0xFFFF;
            int cell = ((v >> 4) & (MAP_COLUMNS - 1)) * MAP_COLUMNS + ((u >> 4) & (MAP_COLUMNS - 1));
            uint8_t a = map[2 * cell], ch = map[2 * cell + 1];
            int px = (a & 4) ? CELL - 1 - (u & 15) : (u & 15);
            int py = (a & 8) ? CELL - 1 - (v & 15) : (v & 15);
            uint8_t byte = rec->chars[(a & 3) * BANK_BYTES + ch * TILE_BYTES + py * 8 + px / 2];
            int pixel = (px & 1) ? (byte & 15) : (byte >> 4);
            if (pixel == TRANSPARENT) continue;
            int colour = (a & 0xF0) + pixel;
            uint32_t e = colour_base + uint32_t(colour);
            int rgb[3] = {pal[e], pal[PALETTE_ENTRIES + e], pal[2 * PALETTE_ENTRIES + e]};
            if (fade)
                for (int c = 0; c < 3; c++) rgb[c] = (rgb[c] * (255 - amount) + fog->fade_colour[c] * amount) / 255;
            bool translucent = g && (pixel == (fog->text_clear_pixel & 15) ||
                                     (fog->text_clear_low <= colour && colour <= fog->text_clear_high));
            uint8_t* out = rgba + 4 * (size_t(y) * TEXT_SCREEN_W + size_t(x));
            if (background) {
                if (translucent)
                    for (int c = 0; c < 3; c++) rgb[c] = (rgb[c] * (255 - g) + out[c] * g) / 255;
                for (int c = 0; c < 3; c++) out[c] = uint8_t(rgb[c]);
                fog_lut_apply(fog, out);
                out[3] = 255;
            } else {
                for (int c = 0; c < 3; c++) out[c] = uint8_t(rgb[c]);
                out[3] = uint8_t(translucent ? 255 - g : 255);
            }
        }
    }
}

uint64_t text_layer_change_key(const text_input* rec, const fog_state* fog) {
    static const bool fade_always = env_present("SKYVOLTA_TEXTHASH_FADE");
    uint64_t h = CHANGE_KEY_SEED;
    if (rec && rec->chars) h = change_key_bytes(h, rec->chars, TEXT_CHARS_BYTES);
    if (rec && rec->palette) h = change_key_bytes(h, rec->palette, PALETTE_BYTES);
    if (rec) h = change_key_bytes(h, rec->text_regs, sizeof rec->text_regs);
    if (!fog) return h;
    h = change_key_bytes(h, fog->colour_scale, sizeof fog->colour_scale);
    h = change_key_bytes(h, fog->lut, sizeof fog->lut);
    h = change_key_bytes(h, &fog->fade_flags, 1);
    // The palette group and the translucency settings colour the picture too.
    const uint8_t look[5] = {fog->text_group, fog->text_clear_low, fog->text_clear_high, fog->text_clear_pixel,
                             fog->text_clear_amount};
    h = change_key_bytes(h, look, sizeof look);
    uint32_t f = fade_always || fade_applies(fog);
    uint8_t f_bytes[4] = {uint8_t(f), uint8_t(f >> 8), uint8_t(f >> 16), uint8_t(f >> 24)};
    h = change_key_bytes(h, f_bytes, sizeof f_bytes);
    if (f) {
        h = change_key_bytes(h, fog->fade_colour, sizeof fog->fade_colour);
        h = change_key_bytes(h, &fog->fade_amount, 1);
    }
    return h;
}
