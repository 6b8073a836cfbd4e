// Synthetic frames for the frame-renderer tests: the synthetic ROM set's models,
// textures, palette and sprite tiles in the renderer's images, a display list, sprites,
// text and mixer state written by the board's own writers, and the picture read back.
#pragma once
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/palette_marks.h"
#include "board/wram.h"
#include "render/graphics_rom.h"
#include "render/model_placement.h"
#include "render/palette_source.h"
#include "render/quad_batch.h"
#include "render/texture_cache.h"
#include "render/wide_margins.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/png_compare.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <cstring>
#include <string>
#include <vector>

// Model numbers of the display list (code - 69).
constexpr int32_t SCENE_CUBE = SYNTH_MODEL_CUBE - MODEL_CODE_OFFSET;
constexpr int32_t SCENE_GROUND = SYNTH_MODEL_GROUND - MODEL_CODE_OFFSET;

// The renderer's ROM pointers, kept around a test that points them at the synthetic set.
struct scene_rom_pointers {
    const uint32_t* point;
    uint32_t point_count;
    const uint8_t* sprite;
    uint32_t sprite_size;
    uint8_t *texture, *tilemap;
};
inline scene_rom_pointers scene_rom_save() {
    return {point_rom, point_rom_count, sprite_rom, sprite_rom_size, texture_rom, texture_tilemap};
}
inline void scene_rom_restore(const scene_rom_pointers& p) {
    point_rom = p.point, point_rom_count = p.point_count;
    sprite_rom = p.sprite, sprite_rom_size = p.sprite_size;
    texture_rom = p.texture, texture_tilemap = p.tilemap;
    hud_margin_left = 0, hud_margin_right = 640;
}

// A sprite ROM for the board's sprite writer: its tile tables name tiles from 0x4000 on
// (beyond a 4 MB image), so the scenes use an image that reaches them. Every tile is a
// disc of 32 x 32 pixels in rings of colours 1..7 with transparent corners (255).
inline const uint8_t* scene_sprite_rom(uint32_t* size) {
    constexpr uint32_t TILES = 0x4100;
    static std::vector<uint8_t> rom = [] {
        std::vector<uint8_t> r(size_t(TILES) * 1024);
        for (uint32_t t = 0; t < TILES; t++)
            for (int y = 0; y < 32; y++)
                for (int x = 0; x < 32; x++) {
                    int d2 = (2 * x - 31) * (2 * x - 31) + (2 * y - 31) * (2 * y - 31);
                    r[size_t(t) * 1024 + size_t(y) * 32 + size_t(x)] = d2 > 31 * 31 ? 255 : uint8_t(1 + d2 / 160);
                }
        return r;
    }();
    *size = uint32_t(rom.size());
    return rom.data();
}

// The ROM images of the shared synthetic set in the renderer's pointers, a clear board,
// the 3D palette from the ROM and an empty texture cache. Needs the test GL window.
inline void scene_board_reset() {
    const synth_rom_set* rom = synth_rom_shared();
    board_memory_clear();
    palette_marks_clear();  // a fresh board: an earlier test's palette writes are not the scene's
    memcpy(program_rom, rom->program, sizeof program_rom);
    point_rom = rom->point;
    point_rom_count = POINT_ROM_WORDS;
    sprite_rom = scene_sprite_rom(&sprite_rom_size);
    texture_rom = const_cast<uint8_t*>(rom->texture);
    texture_tilemap = const_cast<uint8_t*>(rom->tilemap);
    palette_source_init("/nonexistent");
    tex_cache_reset();
    dsp_init();
    wram_long_set(W_GAME_STATE, 2);
}

// CZ fog on bank 0 for every quad: density v ends at depth index 256 + 17 v (no fog
// nearer than depth 0x10000, full fog from about 0x11F000), fog colour (r, g, b).
inline void scene_fog_set(uint8_t r, uint8_t g, uint8_t b) {
    auto put16 = [](uint32_t at, uint32_t v) {
        czram[at] = uint8_t(v >> 8);
        czram[at + 1] = uint8_t(v);
    };
    put16(8, 0x0004);  // enable: bank 0 fogged
    for (uint32_t v = 0; v < 256; v++) put16(0x200 + 2 * v, 256 + 17 * v);
    mixer_registers[0x05] = r, mixer_registers[0x06] = g, mixer_registers[0x07] = b;
}

// The mixer's colour scale off (all 0xFF).
inline void scene_mixer_neutral() {
    mixer_registers[0] = mixer_registers[1] = mixer_registers[2] = 0xFF;
}

// The game's screen: w x h pixels at the window's lower left, margins for w / h.
inline void scene_viewport(int w, int h) {
    int width_board = w * 480 / h;
    hud_margin_left = -(width_board - 640) / 2;
    hud_margin_right = 640 + (width_board - 640) / 2;
    glViewport(0, 0, w, h);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The w x h pixels at the window's lower left, top row first.
inline rgb_picture scene_read(int w, int h) {
    rgb_picture p;
    p.width = w;
    p.height = h;
    p.rgb.resize(size_t(w) * h * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            memcpy(&p.rgb[(size_t(y) * w + x) * 3], &rgba[(size_t(h - 1 - y) * w + x) * 4], 3);
    return p;
}

inline const uint8_t* scene_pixel(const rgb_picture& p, int x, int y) {
    return &p.rgb[(size_t(y) * p.width + x) * 3];
}

// A reference picture beside this file: tests/render/golden/<name>.png.
inline std::string golden_path(const char* name) {
    return source_folder(__FILE__) + "/golden/" + name + ".png";
}
