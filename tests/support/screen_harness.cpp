#include "tests/support/screen_harness.h"

#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/inputs.h"
#include "board/palette_marks.h"
#include "board/palette_mixer.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/game_init.h"
#include "host/main_loop.h"
#include "render/cz_fog.h"
#include "render/graphics_rom.h"
#include "render/layer2d.h"
#include "render/palette_source.h"
#include "render/renderer_switches.h"
#include "render/texture_cache.h"
#include "render/wide_margins.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <SDL_opengl.h>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int PICTURE_W = 640, PICTURE_H = 480;

void commsram_be16_set(uint32_t at, uint32_t v) {
    commsram[at] = uint8_t(v >> 8);
    commsram[at + 1] = uint8_t(v);
}

// The test program's one GL window: GL objects that the renderer keeps belong to its
// context, so every helper draws there.
bool picture_window() {
    if (!gl_test_window()) return false;
    SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
    static bool layer_texture = (layer2d_texture_create(), true);
    return layer_texture;
}

}  // namespace

void screen_start() {
    static std::string scores_dir = temp_dir_make("screen");
    const synth_rom_set* rom = synth_rom_shared();
    board_memory_clear();
    palette_marks_clear();  // a fresh board: the last test's palette writes are not the game's
    memcpy(program_rom, rom->program, sizeof program_rom);
    point_rom = rom->point;
    point_rom_count = POINT_ROM_WORDS;
    sprite_rom = rom->sprite;
    sprite_rom_size = SPRITE_ROM_SIZE;
    texture_rom = const_cast<uint8_t*>(rom->texture);
    texture_tilemap = const_cast<uint8_t*>(rom->tilemap);
    std::string scores = scores_dir + "/scores.nv";
    remove(scores.c_str());
    setenv("SKYVOLTA_SCOREFILE", scores.c_str(), 1);
    scores_path_from_environment();
    hud_margin_left = 0;
    hud_margin_right = 640;
    if (picture_window()) {
        renderer_reset();
        tex_cache_reset();
    }
    palette_source_init("/nonexistent");
    game_init();
    host_frame = 0;
}

void screen_handle_centred() {
    wram_owned_mark(W_HANDLE_TURN, 4);
    wram_owned_mark(W_HANDLE_CENTRE_TURN, 4);
    w_cell_set(W_HANDLE_CENTRE_TURN, 511);
    w_cell_set(W_HANDLE_CENTRE_PITCH, 511);
}

void screen_frame(const screen_input& in) {
    commsram[CR_SWITCH_BYTE0] = in.switch0;
    commsram[CR_SWITCH_BYTE1] = in.switch1;
    commsram_be16_set(CR_PEDAL_COUNTER, in.pedal_counter);
    commsram_be16_set(CR_ANALOG_WORDS, uint16_t(in.turn));  // the readings a re-centring takes
    commsram_be16_set(CR_ANALOG_WORDS + 2, uint16_t(in.pitch));
    w_cell_set(W_HANDLE_TURN, in.turn);
    w_cell_set(W_HANDLE_PITCH, in.pitch);
    frame_due = 1;
    frame_game_step();
    host_frame++;
}

void screen_frames(int n, const screen_input& in) {
    for (int i = 0; i < n; i++) screen_frame(in);
}

void screen_press(const screen_input& in, int frames) {
    screen_frames(frames, in);
    screen_frame();
}

uint16_t screen_text_cell(int column, int row) {
    if (column < 0 || column >= TEXT_COLUMNS || row < 0 || row >= TEXT_ROWS) return TEXT_BLANK_CELL;
    const uint8_t* c = textram + 2 * (row * TEXT_COLUMNS + column);
    return uint16_t(c[0] << 8 | c[1]);
}

std::string screen_text_row(int row) {
    std::string s;
    for (int x = 0; x < TEXT_COLUMNS; x++) {
        uint32_t tile = screen_text_cell(x, row) & 0x3FF;
        if (tile >= 0x21 && tile < 0x7F)
            s += char(tile);
        else if (tile < 10)
            s += char('0' + tile);
        else if (tile < 16)
            s += char('A' + tile - 10);
        else
            s += ' ';
    }
    return s;
}

rgb_picture screen_picture() {
    rgb_picture p;
    if (!picture_window()) return p;
    glViewport(0, 0, PICTURE_W, PICTURE_H);
    glDisable(GL_SCISSOR_TEST);
    frame_picture_draw();
    glFinish();
    std::vector<uint8_t> rgb(size_t(PICTURE_W) * PICTURE_H * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, PICTURE_W, PICTURE_H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    p.width = PICTURE_W;
    p.height = PICTURE_H;
    p.rgb.resize(rgb.size());
    size_t row = size_t(PICTURE_W) * 3;
    for (int y = 0; y < PICTURE_H; y++) memcpy(&p.rgb[row * y], &rgb[row * (PICTURE_H - 1 - y)], row);
    for (size_t i = 0; i < p.rgb.size(); i += 3) mixer_colour_lut_apply(&p.rgb[i], &p.rgb[i + 1], &p.rgb[i + 2]);
    return p;
}

std::string screen_golden_check(const rgb_picture& picture, const char* test_file, const char* name, int tolerance) {
    return golden_check(picture, source_folder(test_file) + "/golden/" + name + ".png", tolerance);
}

int32_t screen_state() {
    return w_cell(W_GAME_STATE);
}

int32_t screen_sub_state() {
    return w_cell(W_GAME_SUB_STATE);
}
