#include "game/world/terrain_chunks.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/rankings.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rom_table.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_rom.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int32_t CELL_ROWS = CELL_COUNT / CELL_COLUMNS;
constexpr int32_t CHUNK_Y_BASE = 40960;  // a chunk is drawn at this height less the camera's y

// Course 3's props: three initials and five figures at fixed places, one bank.
constexpr int32_t PROPS_CELL = 90;
constexpr int32_t PROPS_BANK = -6656;
constexpr int32_t PROPS_OBJECTS = 8;
constexpr int32_t PROPS_INITIALS = 3;
constexpr int32_t PROPS_TILT = 0x2CCC, PROPS_TURN = 0x1200;
constexpr int32_t PROPS_FIGURE_MARKED = 1170;  // while the overall best carries stage mark 127
constexpr int32_t PROPS_FIGURE = 1157;
constexpr int32_t PROPS_MARK = 127;
constexpr int32_t PROPS_LOWERED = 61479;      // how far the props sink in top states 1 and 5
constexpr uint32_t RECORD_INITIALS = 4;       // initials of a best record: byte cells +4..+6
constexpr rom_table ROM_PROPS_LETTER_MODELS = {0x039C70, 2, 256};  // by initial byte
constexpr rom_table ROM_PROPS_POSITIONS = {0x039D88, 12, PROPS_OBJECTS};

// Hints.
constexpr int32_t IDLE_CHECK_FRAME = 120;
constexpr int32_t LIGHT_PEDAL = 3, SLOW_RATE = 2;
constexpr int32_t HARD_PEDAL = 7;
constexpr int32_t HIGH_CONTACT_Y = 0x20000;
constexpr int32_t HINT_HOLD = 59;

int32_t chunk_sector(int32_t heading) {
    return (wrap_add(heading, 0x400) >> 11) & (CHUNK_SECTORS - 1);
}

// Counts the hold down; its flag is up while it runs.
void hold_count_down(uint32_t hold, uint32_t flag) {
    int32_t left = w_cell(hold);
    if (left > 0) w_cell_set(hold, --left);
    w_cell_set(flag, left > 0 ? 1 : 0);
}

}  // namespace

bool chunk_visible(int32_t cell) {
    return cell >= 0 && cell < CELL_COUNT && int8_t(w_cell_byte(W_CHUNK_SLOTS + uint32_t(cell))) >= 0;
}

void terrain_chunk_visibility(int32_t x, int32_t y, int32_t z, int32_t heading) {
    for (int32_t cell = 0; cell < CELL_COUNT; cell++) w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), -1);
    dl_put(DL_HEADER_4);
    dl_put(0);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_4);

    uint32_t column = uint32_t(x) / uint32_t(CELL_SIZE), row = uint32_t(z) / uint32_t(CELL_SIZE);
    int32_t camera_cell = int32_t(column + uint32_t(CELL_COLUMNS) * row);
    // A camera off the grid sees through the mask of the nearest cell on it.
    int32_t mask_cell = int32_t(std::min<uint32_t>(column, CELL_COLUMNS - 1) +
                                uint32_t(CELL_COLUMNS) * std::min<uint32_t>(row, CELL_ROWS - 1));
    int32_t course = w_cell(W_COURSE_NUMBER), model_base = w_cell(W_CHUNK_MODEL_BASE);
    int32_t sector = chunk_sector(heading);

    int32_t visible = 0;
    w_cell_set(W_TRAIN_BASE_Y, wrap_neg(y));
    for (int32_t i = 0; i < CHUNK_LIST_RECORDS; i++) {
        int32_t r[5];  // cell offset, column offset, row offset, x and z within the cell
        if (!chunk_record_read(sector, i, r)) continue;
        int32_t chunk_column = wrap_add(int32_t(column), r[1]), chunk_row = wrap_add(int32_t(row), r[2]);
        if (chunk_column < 0 || chunk_column >= CELL_COLUMNS || chunk_row < 0 || chunk_row >= CELL_ROWS) continue;
        if ((chunk_mask_byte(course, mask_cell, chunk_row) & (0x80 >> chunk_column)) == 0) continue;
        int32_t cell = wrap_add(camera_cell, r[0]);
        if (cell < 0 || cell >= CELL_COUNT) continue;
        int32_t cx = wrap_sub(wrap_add(r[3], wrap_mul(int32_t(column), CELL_SIZE)), x);
        int32_t cz = wrap_sub(wrap_add(r[4], wrap_mul(int32_t(row), CELL_SIZE)), z);
        uint32_t entry = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(visible);
        w_cell_set(entry, cell);
        w_cell_set(entry + 4, cx);
        w_cell_set(entry + 8, cz);
        w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), visible++);
        dl_put(wrap_add(cell, model_base));
        dl_put(cx);
        dl_put(wrap_sub(CHUNK_Y_BASE, y));
        dl_put(cz);
    }
    w_cell_set(W_VISIBLE_COUNT, visible);
}

void course3_props_emit() {
    if (!chunk_visible(PROPS_CELL)) return;
    const int32_t head[6] = {DL_HEADER_11, 0, DL_LINK, 3, PROPS_BANK, DL_END};
    dl_emit(head, 6);
    bool marked = (uint32_t(w_cell(W_OVERALL_BEST)) >> 24) == PROPS_MARK;
    int32_t state = w_cell(W_GAME_STATE);
    int32_t drop = state == 1 || state == 5 ? PROPS_LOWERED : 0;
    for (int32_t i = 0; i < PROPS_OBJECTS; i++) {
        int32_t model = marked ? PROPS_FIGURE_MARKED : PROPS_FIGURE;
        if (i < PROPS_INITIALS)
            model = rom_table_word(ROM_PROPS_LETTER_MODELS, w_cell_byte(W_OVERALL_BEST + RECORD_INITIALS + i), 0);
        int32_t words[11] = {
            model,
            dl_relative_x(rom_table_long(ROM_PROPS_POSITIONS, i, 0)),
            dl_relative_y(wrap_sub(rom_table_long(ROM_PROPS_POSITIONS, i, 4), drop)),
            dl_relative_z(rom_table_long(ROM_PROPS_POSITIONS, i, 8)),
        };
        dl_rotation_pair(PROPS_TILT, words + 4);
        dl_rotation_pair(PROPS_TURN, words + 6);
        dl_rotation_pair(0, words + 8);
        words[10] = 0;
        dl_emit(words, 11);
    }
    dl_bank_end();
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    wram_long_set(W_DL_LAST_BANK, 0);
}

void terrain_lod() {
    pedal_idle_flags();
}

void pedal_idle_flags() {
    int32_t pedal = w_cell(W_PEDAL_DELTA), rate = w_cell(W_PREV_PEDAL_DELTA);
    if (pedal != 0)
        w_cell_set(W_PEDAL_IDLE, 0);
    else if (w_cell(W_RACE_FRAMES) == IDLE_CHECK_FRAME)
        w_cell_set(W_PEDAL_IDLE, 1);
    w_cell_set(W_HINT_PEDAL, w_cell(W_PEDAL_IDLE));
    if (pedal < LIGHT_PEDAL && (w_cell(W_SLOW_FLAG) & 1) != 0 && rate <= SLOW_RATE) w_cell_set(W_HINT_PEDAL, 1);

    bool contact = w_cell(probe_field(PROBE_LOOKAHEAD, PROBE_HIT)) != 0;
    if (contact && w_cell(W_PLAYER_Y) > HIGH_CONTACT_Y) {
        w_cell_set(W_HIGH_CONTACT_HOLD, HINT_HOLD);
        w_cell_set(W_HINT_HIGH_CONTACT, 1);
    } else {
        hold_count_down(W_HIGH_CONTACT_HOLD, W_HINT_HIGH_CONTACT);
    }
    if (contact && pedal >= HARD_PEDAL && rate >= HARD_PEDAL) {
        w_cell_set(W_HARD_PEDAL_HOLD, HINT_HOLD);
        w_cell_set(W_HINT_HARD_PEDAL, 1);
    } else {
        hold_count_down(W_HARD_PEDAL_HOLD, W_HINT_HARD_PEDAL);
    }
}

void terrain_flags_reset() {
    for (uint32_t flag : {W_HINT_PEDAL, W_HINT_HIGH_CONTACT, W_HINT_HARD_PEDAL}) w_cell_set(flag, 0);
    for (uint32_t counter : {W_PEDAL_IDLE, W_HINT_SPARE, W_HIGH_CONTACT_HOLD, W_HARD_PEDAL_HOLD}) w_cell_set(counter, 0);
}
