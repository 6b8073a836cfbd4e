#include "board/area_environment.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"

namespace {

constexpr uint32_t TEXT_REGISTER_1 = 0x8A0002;
constexpr int BIAS = 3;                      // index of the bias among R, G, B, bias

int16_t rom_word(uint32_t address) { return int16_t(bus_read16(address)); }

uint32_t fog_record(int n) { return ROM_FOG_RECORDS + 10 * uint32_t(n); }
uint32_t area_entry(int a) { return ROM_AREA_ENTRIES + 4 * uint32_t(a); }
bool area_is_special(int a) { return (rom_word(area_entry(a) + 2) & 0x8000) != 0; }

// The camera's cell from camera x and z (unsigned divisions).
void camera_cell(uint32_t* column, uint32_t* row) {
    *column = uint32_t(w_cell(W_CAMERA_X)) / TERRAIN_CELL_SIZE;
    *row = uint32_t(w_cell(W_CAMERA_Z)) / TERRAIN_CELL_SIZE;
}

// The area byte of a cell in the course's cell-area table.
int cell_area(int32_t cell) {
    return int8_t(bus_read8(uint32_t(w_cell(W_AREA_TABLE)) + uint32_t(cell)));
}

int last_cell_area() { return cell_area(w_word(W_AREA_LAST_CELL)); }

// Fog colour into the mixer and the bias into the four CZ bias words.
void fog_registers_write(uint32_t from) {
    for (uint32_t c = 0; c < 3; c++) mixer_registers[MIX_FOG_COLOUR + c] = uint8_t(w_word(from + 2 * c));
    for (uint32_t b = 0; b < 4; b++) bus_write16(CZ_BIAS_0 + 2 * b, uint16_t(w_word(from + 2 * BIAS)));
}

}  // namespace

void area_fog_set(int record) {
    uint32_t r = fog_record(record);
    for (uint32_t c = 0; c <= BIAS; c++) {
        int16_t v = rom_word(r + 2 * c);
        w_word_set(W_AREA_FOG_TARGET + 2 * c, v);
        w_word_set(W_AREA_FOG_CURRENT + 2 * c, v);
    }
    fog_registers_write(W_AREA_FOG_CURRENT);
    w_word_set(W_AREA_FADE_COUNT, 0);
    mixer_registers[MIX_FOG_LEVEL] = 0;
    w_word_set(W_FOG_ENABLE, rom_word(r + 8) != 0 ? 1 : 0);
    w_word_set(W_AREA_LEVEL_TARGET, 0);
    w_word_set(W_AREA_LEVEL, 0);
}

void fog_reset() { area_fog_set(0); }

void area_record_apply(int record, int frames) {
    uint32_t r = fog_record(record);
    for (uint32_t c = 0; c <= BIAS; c++) w_word_set(W_AREA_FOG_TARGET + 2 * c, rom_word(r + 2 * c));
    w_word_set(W_AREA_FADE_COUNT, frames);
}

void area_of_player_cell() {
    uint32_t column, row;
    camera_cell(&column, &row);
    int32_t cell = int32_t(column + 8 * row);
    w_cell_set(W_AREA_TABLE, int32_t(ROM_CELL_AREAS + 128 * uint32_t(w_cell(W_COURSE_NUMBER))));
    w_word_set(W_AREA_LAST_CELL, cell);
    int a = cell_area(cell);
    w_word_set(W_CURRENT_AREA, a);
    area_fog_set(rom_word(area_entry(a)));
    w_word_set(W_AREA_HOLD, 0);
    w_word_set(W_AREA_LEVEL_FLAG, 0);
}

void area_cell_changed() {
    int32_t cell = w_cell(W_CAMERA_CELL);
    w_word_set(W_AREA_LAST_CELL, cell);
    int a = cell_area(cell);
    int current = w_word(W_CURRENT_AREA);
    if (a == current) return;
    if (!area_is_special(a)) {
        area_record_apply(rom_word(area_entry(a)), rom_word(area_entry(a) + 2));
    } else if (a / 5 == 1) {
        if (current == 5)
            area_record_apply(0, 50);
        else
            area_record_apply(4, 30);
    } else if (a / 5 == 4) {
        area_record_apply(4, current == 12 ? 30 : 80);
    }
    w_word_set(W_CURRENT_AREA, a);
}

void area_special() {
    int cell = w_word(W_AREA_LAST_CELL);
    int a = cell_area(cell);
    int d = w_word(W_CURRENT_AREA);
    int32_t x = w_cell(W_CAMERA_X);
    uint32_t heading = uint32_t(w_cell(W_CAMERA_HEADING));
    auto half = [](uint32_t angle) { return (angle & 0x8000) != 0; };
    int32_t course = w_cell(W_COURSE_NUMBER);
    if (a / 5 == 0 && course == 0) {
        d = w_cell(W_CAMERA_Y) > 0x133FF || x > 0x57FFF ? 0 : 5;
    } else if (a / 5 == 5 && course == 2) {
        if (cell == 76)
            d = x > 0x6C000 && half(heading) ? 25 : 15;
        else if (cell == 41)
            d = x <= 0x27000 && half(heading + 0x4000) ? 25 : 15;
        else
            d = half(heading + 0x2000) ? 15 : 25;
    }
    if (d != w_word(W_CURRENT_AREA)) area_record_apply(rom_word(area_entry(d)), rom_word(area_entry(d) + 2));
}

void area_fog_fade() {
    if (w_word(W_AREA_LEVEL_FLAG) != 0) {
        if (w_word(W_AREA_FADE_COUNT) < 30) w_word_set(W_AREA_FADE_COUNT, 30);
        w_word_set(W_AREA_LEVEL_FLAG, 0);
        w_word_set(W_AREA_LEVEL_TARGET, 0);
    } else {
        if (w_word(W_AREA_FADE_COUNT) == 0) w_word_set(W_AREA_FADE_COUNT, 1);
        int level = w_word(W_AREA_LEVEL);
        level += (w_word(W_AREA_LEVEL_TARGET) - level) / w_word(W_AREA_FADE_COUNT);
        w_word_set(W_AREA_LEVEL, level);
        mixer_registers[MIX_FOG_LEVEL] = uint8_t(level);
    }
    // The bias follows the camera height: g above 0xD000, rising toward h + 6 below it.
    int32_t s = math_sin(w_cell(W_CAMERA_PITCH));
    int32_t e = wrap_add(s >> 4, w_cell(W_CAMERA_Y));
    int32_t g = rom_word(ROM_HEIGHT_BIAS_G);
    int32_t h = rom_word(ROM_HEIGHT_BIAS_H);
    int32_t bias = g;
    if (e <= 0xD000) bias = wrap_sub(g, wrap_div(wrap_mul(2 * (h + 6 - g), wrap_sub(e, 0xD000)), 10240));
    w_word_set(W_AREA_FOG_TARGET + 2 * BIAS, bias);
}

void area_colour_fade() {
    if (w_word(W_AREA_LEVEL_FLAG) == 0) return;
    w_word_set(W_AREA_LEVEL_TARGET, 0);
    int count = w_word(W_AREA_FADE_COUNT);
    if (count <= 0) {
        mixer_registers[MIX_FOG_LEVEL] = 0;
        w_word_set(W_AREA_LEVEL_FLAG, 0);
        bus_write16(TEXT_REGISTER_1, 0);
        return;
    }
    int level = w_word(W_AREA_LEVEL);
    level -= level / count;
    w_word_set(W_AREA_LEVEL, level);
    mixer_registers[MIX_FOG_LEVEL] = uint8_t(level);
}

namespace {

// The per-frame area checks shared by the start and the update.
void area_checks_run() {
    if (area_is_special(last_cell_area())) area_special();
    if (cell_area(w_cell(W_CAMERA_CELL)) == AREA_HEIGHT_FOG)
        area_fog_fade();
    else
        area_colour_fade();
}

}  // namespace

void area_env_update() {
    if (w_cell(W_CAMERA_CELL) != w_word(W_AREA_LAST_CELL)) area_cell_changed();
    area_checks_run();
    int hold = w_word(W_AREA_HOLD);
    if (hold != 0) {
        w_word_set(W_AREA_HOLD, hold - 1);
        return;
    }
    int count = w_word(W_AREA_FADE_COUNT);
    if (count == 0) return;
    for (uint32_t c = 0; c <= BIAS; c++) {
        int v = w_word(W_AREA_FOG_CURRENT + 2 * c);
        int t = w_word(W_AREA_FOG_TARGET + 2 * c);
        w_word_set(W_AREA_FOG_CURRENT + 2 * c, count == 1 ? t : v + (t - v) / count);
    }
    w_word_set(W_AREA_FADE_COUNT, count - 1);
    fog_registers_write(W_AREA_FOG_CURRENT);
}

void area_env_start() {
    w_word_set(W_CURRENT_AREA, 0xFFFF);
    // The camera's grid cell, as the camera code keeps it.
    uint32_t column, row;
    camera_cell(&column, &row);
    w_cell_set(W_CAMERA_CELL, int32_t(column + 8 * row));
    w_cell_set(W_CAMERA_COLUMN, int32_t(column));
    w_cell_set(W_CAMERA_ROW, int32_t(row));
    area_cell_changed();
    area_checks_run();
    w_word_set(W_AREA_FADE_COUNT, 1);
    w_word_set(W_AREA_HOLD, 3);
}
