#include "game/modes/test_menus.h"

#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_ram.h"
#include "game/modes/test_numbers.h"
#include "game/services/object_ram.h"
#include "game/services/rom_table.h"

uint16_t test_menu_marks[MENU_RECORDS];
int32_t test_menu_items[MENU_RECORDS][6];

namespace {

constexpr int KIND_DECIMAL = 0;
constexpr int KIND_HEX = -1;
constexpr int KIND_SPECIAL = -2;
constexpr uint16_t MARK_FACTORY = 0x4000;
constexpr uint16_t MARK_CURSOR = 0x2000;
constexpr int WRAP_CHANGE = 17;
constexpr uint32_t PORT_UP = 0x80, PORT_DOWN = 0x40, PORT_DECREASE = 0x20, PORT_INCREASE = 0x10;

struct value_record {
    uint32_t address;
    int32_t kind;
    int column, row, lower, upper, width, factory, no_value, item;
};

rom_table label_list(uint32_t list) {
    return {list, MENU_LABEL_BYTES, MENU_RECORDS};
}

rom_table value_list(uint32_t list) {
    return {list, MENU_VALUE_BYTES, MENU_RECORDS};
}

// Record i of a value list, false at the end mark or past the ROM.
bool value_at(uint32_t list, int i, value_record* r) {
    rom_table t = value_list(list);
    r->address = uint32_t(rom_table_long(t, i, 0));
    if (!rom_table_record(t, i) || r->address == 0) return false;
    r->kind = rom_table_long(t, i, 4);
    int* fields[] = {&r->column, &r->row, &r->lower, &r->upper, &r->width, &r->factory, &r->no_value, &r->item};
    for (uint32_t k = 0; k < 8; k++) *fields[k] = rom_table_word(t, i, 8 + 2 * k);
    return true;
}

bool has_value(const value_record& r) {
    return r.no_value < 1 || r.no_value > 4;
}

int32_t value_of(const value_record& r) {
    return has_value(r) ? int16_t(w_read16(r.address)) : 0;
}

bool blink_on() {
    return (wram_long(W_FRAME_TICK) & 8) != 0;
}

uint32_t port0(uint32_t field) {
    return uint32_t(w_cell(W_SWITCH_PORT0 + field));
}

void cell_put(int column, int row, uint32_t cell) {
    if (column < 0 || column >= TEXT_COLUMNS || row < 0 || row >= TEXT_ROWS) return;
    uint32_t at = uint32_t(row * TEXT_COLUMNS + column) * 2;
    textram[at] = uint8_t(cell >> 8);
    textram[at + 1] = uint8_t(cell);
}

// width hexadecimal digits of value, the last in column + width - 1.
void hex_cells(const value_record& r, int32_t value, uint16_t mark) {
    for (int j = 0; j < r.width && j < TEXT_COLUMNS; j++) {
        uint32_t digit = j < 8 ? (uint32_t(value) >> (4 * j)) & 0xF : 0;
        cell_put(r.column + r.width - 1 - j, r.row, digit | mark);
    }
}

void cursor_set(int cursor) {
    int page = wram_long(W_TEST_STATE) & 0xFFFF;
    w_cell_set(W_TEST_CURSORS + uint32_t(page / 2), cursor & 0xFF);
}

}  // namespace

int test_menu_cursor() {
    int page = wram_long(W_TEST_STATE) & 0xFFFF;
    return page < TEST_PAGES ? w_cell_byte(W_TEST_CURSORS + uint32_t(page / 2)) : -1;
}

bool menu_input_up() {
    return (w_cell(W_DIRECTION) & DIR_PITCH_HIGH) || (port0(SP_PRESSED) & PORT_UP);
}

bool menu_input_down() {
    return (w_cell(W_DIRECTION) & DIR_PITCH_LOW) || (port0(SP_PRESSED) & PORT_DOWN);
}

bool menu_input_decrease() {
    return ((uint32_t(w_cell(W_DIRECTION_REPEAT)) >> 16) & DIR_TURN_HIGH) || (port0(SP_REPEAT) & PORT_DECREASE);
}

bool menu_input_increase() {
    return ((uint32_t(w_cell(W_DIRECTION_REPEAT)) >> 16) & DIR_TURN_LOW) || (port0(SP_REPEAT) & PORT_INCREASE);
}

void test_menu_print_labels(uint32_t list, int count) {
    rom_table t = label_list(list);
    int cursor = test_menu_cursor();
    for (int i = 0; i < count && i < MENU_RECORDS; i++) {
        uint32_t string = uint32_t(rom_table_long(t, i, 0));
        if (!rom_table_record(t, i) || string == 0) return;
        int palette = rom_table_word(t, i, 8);
        if (count >= MENU_WITH_CURSOR && rom_table_word(t, i, 10) == cursor && blink_on()) palette = 2;
        text_print(rom_table_word(t, i, 4), rom_table_word(t, i, 6), string, palette);
    }
}

void test_menu_draw_values(uint32_t list, int count) {
    int cursor = test_menu_cursor();
    value_record r;
    for (int i = 0; i < count && i < MENU_RECORDS && value_at(list, i, &r); i++) {
        int32_t value = value_of(r);
        uint16_t mark = value == r.factory ? MARK_FACTORY : 0;
        if (count >= MENU_WITH_CURSOR && r.item == cursor) mark = blink_on() ? MARK_CURSOR : 0;
        test_menu_marks[i] = mark;
        if (r.kind == KIND_DECIMAL) {
            test_number_print_short(r.column, r.row, r.width, value, mark >> 12);
        } else if (r.kind == KIND_HEX) {
            hex_cells(r, value, mark);
        } else if (r.kind == KIND_SPECIAL) {
            test_number_print(r.column, r.row, r.width, value, mark);
        } else {
            uint32_t string = uint32_t(rom_table_long({uint32_t(r.kind), 4, 0x8000}, value, 0));
            if (string) text_print(r.column, r.row, string, mark >> 12);
        }
    }
}

bool test_menu_cursor_move(int count) {
    int cursor = test_menu_cursor();
    if (cursor < 0 || count <= 0) return false;
    bool up = menu_input_up(), down = menu_input_down();
    if (up) cursor = cursor == 0 ? count - 1 : cursor - 1;
    if (down) cursor = cursor >= count - 1 ? 0 : cursor + 1;
    if (up || down) cursor_set(cursor);
    return up || down;
}

int test_menu_value_edit(uint32_t list) {
    int cursor = test_menu_cursor();
    value_record r;
    int i = 0;
    while (i < MENU_RECORDS && value_at(list, i, &r) && r.item != cursor) i++;
    if (cursor < 0 || i == MENU_RECORDS || !value_at(list, i, &r)) return 0;
    int32_t value = value_of(r);
    int change = 0;
    if (menu_input_decrease()) {
        bool wrap = value - 1 < r.lower;
        value = wrap ? r.upper : value - 1;
        change -= wrap ? WRAP_CHANGE : 1;
    }
    if (menu_input_increase()) {
        bool wrap = value + 1 > r.upper;
        value = wrap ? r.lower : value + 1;
        change += wrap ? WRAP_CHANGE : 1;
    }
    if (change && has_value(r)) w_write16(r.address, uint32_t(value));
    return change;
}

void test_menu_marks_clear(uint32_t list) {
    value_record r;
    for (int i = 0; i < MENU_RECORDS && value_at(list, i, &r); i++) test_menu_marks[i] = 0;
}

void test_menu_items_copy(uint32_t list) {
    rom_table t = value_list(list);
    for (int i = 0; i < MENU_RECORDS && rom_table_record(t, i); i++) {
        for (uint32_t k = 0; k < 6; k++) test_menu_items[i][k] = rom_table_long(t, i, 4 * k);
        if (test_menu_items[i][0] == 0) return;
    }
}
