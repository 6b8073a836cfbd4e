#include "game/modes/service_toolkit.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_marks.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_ram.h"
#include "game/modes/test_menus.h"
#include "game/modes/test_numbers.h"

#include <cstdio>

namespace {

constexpr uint32_t WRAM_END = WRAM_BASE + WRAM_SIZE;
constexpr int KIND_DECIMAL = 0;
constexpr int KIND_HEX = -1;
constexpr int KIND_TIME = -2;
constexpr int FOOTER_COLOUR = 12;
constexpr uint32_t MAIN_MENU = 0x36698;
constexpr uint32_t MAIN_MENU_PAGES = 0x36704;  // signed page word per item
constexpr int MAIN_MENU_ITEMS = 7;

bool in_wram(uint32_t address) {
    return address >= WRAM_BASE && address < WRAM_END;
}

// The record lies inside the program ROM or inside work RAM.
bool record_inside(uint32_t record, uint32_t bytes) {
    if (uint64_t(record) + bytes <= PROGRAM_ROM_END) return true;
    return in_wram(record) && uint64_t(record) + bytes <= WRAM_END;
}

// Address of record i of a list, or 0 past the walk's bounds (one guard line per walker).
uint32_t list_record(uint32_t list, uint32_t i, uint32_t bytes, bool* reported, const char* walker) {
    uint64_t at = uint64_t(list) + uint64_t(i) * bytes;
    if (i < SERVICE_LIST_RECORDS && at <= 0xFFFFFFFFu && record_inside(uint32_t(at), bytes)) return uint32_t(at);
    if (!*reported) {
        *reported = true;
        fprintf(stderr, "[GUARD] %s: list at 0x%06X has no end within %u records or its image -- walk stopped\n", walker,
                unsigned(list), unsigned(SERVICE_LIST_RECORDS));
    }
    return 0;
}

int16_t high_half(int32_t v) {
    return int16_t(uint32_t(v) >> 16);
}

int16_t low_half(int32_t v) {
    return int16_t(v);
}

uint32_t mark_cell(uint32_t i) {
    return W_VALUE_MARKS + 2 * i;
}

void text_field(const service_value& r, int32_t value, int colour) {
    if (value < r.minimum || value > r.maximum) return;
    uint32_t text = uint32_t(testmode_read32(uint32_t(r.kind) + 4 * uint32_t(value)));
    if (text) testmode_text_print(r.column, r.row, text, colour);
}

struct footer_line {
    int layout, column, row;
    uint32_t text;
};

constexpr footer_line FOOTERS[] = {
    {0, 22, 27, 0x36654}, {0, 4, 27, 0x3663D},
    {1, 4, 27, 0x3663D},
    {2, 1, 27, 0x3A528},
    {3, 4, 25, 0x3663D}, {3, 22, 25, 0x36654}, {3, 4, 27, 0x3661C},
    {4, 4, 23, 0x3A54E}, {4, 4, 25, 0x36654}, {4, 4, 27, 0x3661C},
    {5, 4, 27, 0x36649},
    {6, 2, 25, 0x3A567}, {6, 22, 25, 0x36649}, {6, 2, 27, 0x3A574},
};

}  // namespace

// ---- Board memory ----------------------------------------------------------------

int32_t testmode_read8(uint32_t address) {
    if (!in_wram(address)) return bus_read8(address) & 0xFF;
    uint32_t x = address - WRAM_BASE;
    if (wram_owned[x]) return w_cell_byte(x);
    return (w_read16(address & ~1u) >> (address & 1 ? 0 : 8)) & 0xFF;
}

int32_t testmode_read16(uint32_t address) {
    if (!in_wram(address)) return bus_read16(address) & 0xFFFF;
    uint32_t x = address - WRAM_BASE;
    return wram_owned[x] ? w_cell(x) & 0xFFFF : w_read16(address);
}

int32_t testmode_read32(uint32_t address) {
    if (!in_wram(address)) return bus_read32(address);
    uint32_t x = address - WRAM_BASE;
    return wram_owned[x] ? w_cell(x) : w_read32(address);
}

void testmode_write8(uint32_t address, int32_t value) {
    if (!in_wram(address)) return bus_write8(address, uint32_t(value) & 0xFF);
    uint32_t x = address - WRAM_BASE;
    if (wram_owned[x]) return w_cell_set(x, int8_t(value));
    uint32_t word = uint32_t(w_read16(address & ~1u)), byte = uint32_t(value) & 0xFF;
    w_write16(address & ~1u, address & 1 ? (word & 0xFF00) | byte : (word & 0xFF) | byte << 8);
}

void testmode_write16(uint32_t address, int32_t value) {
    if (!in_wram(address)) return bus_write16(address, uint32_t(value) & 0xFFFF);
    uint32_t x = address - WRAM_BASE;
    if (wram_owned[x]) return w_cell_set(x, int16_t(value));
    w_write16(address, uint32_t(value) & 0xFFFF);
}

void testmode_write32(uint32_t address, int32_t value) {
    if (!in_wram(address)) return bus_write32(address, uint32_t(value));
    uint32_t x = address - WRAM_BASE;
    if (wram_owned[x]) return w_cell_set(x, value);
    w_write32(address, value);
}

int32_t service_word(uint32_t offset) {
    return int16_t(testmode_read16(WRAM_BASE + offset));
}

void service_word_set(uint32_t offset, int32_t value) {
    testmode_write16(WRAM_BASE + offset, value);
}

int32_t service_long(uint32_t offset) {
    return testmode_read32(WRAM_BASE + offset);
}

void service_long_set(uint32_t offset, int32_t value) {
    testmode_write32(WRAM_BASE + offset, value);
}

// ---- Page and cursor -------------------------------------------------------------

bool service_old_form = false;

int testmode_page() {
    if (!service_old_form) return testmode_read16(WRAM_BASE + W_TEST_STATE);
    uint32_t state = uint32_t(wram_long(W_TEST_STATE));
    return state > 0x7FFFFFFFu ? 0x7FFFFFFF : int(state);
}

void testmode_set_page(int page) {
    if (service_old_form) wram_long_set(W_TEST_STATE, page);
    else testmode_write16(WRAM_BASE + W_TEST_STATE, page);
}

int testmode_cursor_get() {
    uint32_t at = W_TEST_CURSORS + uint32_t(testmode_page()) / 2;
    if (service_old_form) return int8_t(w_cell_byte(at));
    return int8_t(testmode_read8(WRAM_BASE + at));
}

void testmode_cursor_set(int cursor) {
    testmode_page_cursor_set(testmode_page(), cursor);
}

void testmode_page_cursor_set(int page, int cursor) {
    uint32_t at = W_TEST_CURSORS + uint32_t(page) / 2;
    if (service_old_form) w_cell_set(at, cursor & 0xFF);  // the old form's cursor cells
    else testmode_write8(WRAM_BASE + at, cursor);
}

// ---- Switches --------------------------------------------------------------------

uint32_t service_edge_bits() {
    return uint32_t(w_cell(W_DIRECTION)) & 0xFFFF;
}

uint32_t service_held_bits() {
    return uint32_t(w_cell(W_DIRECTION)) >> 16;
}

uint32_t service_repeat_bits() {
    return uint32_t(w_cell(W_DIRECTION_REPEAT)) & 0xFFFF;
}

uint32_t port1_current() {
    return uint32_t(w_cell(W_SWITCH_PORT0 + SP_CURRENT));
}

uint32_t port1_pressed() {
    return uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED));
}

uint32_t port1_repeat() {
    return uint32_t(w_cell(W_SWITCH_PORT0 + SP_REPEAT));
}

bool testmode_cursor_move(int n) {
    int cursor = testmode_cursor_get();
    bool up = (service_edge_bits() & 4) || (port1_pressed() & 0x80);
    bool down = (service_edge_bits() & 8) || (port1_pressed() & 0x40);
    if (up) cursor = cursor - 1 < 0 ? n - 1 : cursor - 1;
    if (down) cursor = cursor + 1 >= n ? 0 : cursor + 1;
    if (up || down) testmode_cursor_set(cursor);
    return up || down;
}

bool testmode_select_pressed() {
    return (w_cell(W_START_EDGE) & 1) || (port1_pressed() & 0x900);
}

int testmode_exit_pressed(int x) {
    if ((service_edge_bits() & 4) && (w_cell(W_START_SWITCH) & 1)) return 1;
    if ((w_cell(W_START_EDGE) & 1) && (service_held_bits() & 4)) return 1;
    return x;
}

// ---- Lists -----------------------------------------------------------------------

bool service_value_at(uint32_t list, uint32_t i, service_value* out) {
    static bool reported;
    uint32_t at = list_record(list, i, SERVICE_VALUE_BYTES, &reported, "service value list");
    if (!at) return false;
    int32_t longs[6];
    for (uint32_t k = 0; k < 6; k++) longs[k] = testmode_read32(at + 4 * k);
    if (longs[0] == 0) return false;
    *out = {uint32_t(longs[0]), longs[1],           high_half(longs[2]), low_half(longs[2]), high_half(longs[3]),
            low_half(longs[3]), high_half(longs[4]), low_half(longs[4]), high_half(longs[5]), low_half(longs[5])};
    return true;
}

int32_t testmode_field_value_get(const service_value& r) {
    switch (r.size) {
    case 1: return int8_t(testmode_read8(r.address));
    case 3: return testmode_read16(r.address);
    case 4: return testmode_read32(r.address);
    default: return int16_t(testmode_read16(r.address));
    }
}

void testmode_field_value_set(const service_value& r, int32_t value) {
    switch (r.size) {
    case 1: return testmode_write8(r.address, value);
    case 3: return testmode_write16(r.address, value & 0xFFFF);
    case 4: return testmode_write32(r.address, value);
    default: return testmode_write16(r.address, value);
    }
}

void testmode_menu_draw(uint32_t list, int count) {
    static bool reported;
    int cursor = testmode_cursor_get();
    for (int i = 0; i < count; i++) {
        uint32_t at = list_record(list, uint32_t(i), SERVICE_MENU_BYTES, &reported, "service menu");
        if (!at) return;
        uint32_t text = uint32_t(testmode_read32(at));
        if (text == 0) return;
        int32_t place = testmode_read32(at + 4), look = testmode_read32(at + 8);
        int colour = high_half(look);
        if (count >= MENU_WITH_CURSOR && low_half(look) == cursor && service_blink()) colour = 2;
        testmode_text_print(high_half(place), low_half(place), text, colour);
    }
}

void testmode_values_draw(uint32_t list, int count) {
    int cursor = testmode_cursor_get();
    service_value r;
    for (uint32_t i = 0; service_value_at(list, i, &r); i++) {
        int32_t value = testmode_field_value_get(r);
        uint32_t attribute = service_mark(i);
        if (value == r.factory && r.item != -1) attribute = SERVICE_MARK_FACTORY;
        if (count >= MENU_WITH_CURSOR && r.item == cursor) {
            if (service_blink()) attribute = SERVICE_MARK_CHANGED;
            else if (attribute == SERVICE_MARK_CHANGED) attribute = 0;
        }
        if (r.kind == KIND_DECIMAL) {
            testmode_print_digits(r.column, r.row, r.width, value, attribute);
        } else if (r.kind == KIND_HEX) {
            testmode_print_hex(r.column, r.row, r.width, uint32_t(value), attribute);
        } else if (r.kind == KIND_TIME) {
            testmode_special_value_draw(r.column, r.row, r.width, value, int(attribute >> 12));
        } else {
            text_field(r, value, int(attribute >> 12));
        }
    }
}

int testmode_value_adjust(uint32_t list) {
    int cursor = testmode_cursor_get();
    service_value r;
    uint32_t i = 0;
    while (service_value_at(list, i, &r) && r.item != cursor) i++;
    if (!service_value_at(list, i, &r)) return 0;
    int64_t value = testmode_field_value_get(r);
    bool down = (service_repeat_bits() & 2) || (port1_repeat() & 0x20);
    bool up = (service_repeat_bits() & 1) || (port1_repeat() & 0x10);
    if (down) value = value - 1 < r.minimum ? r.maximum : value - 1;
    if (up) value = value + 1 > r.maximum ? r.minimum : value + 1;
    testmode_field_value_set(r, int32_t(value));
    return down || up;
}

uint32_t testmode_values_load(uint32_t rom_list) {
    static bool reported;
    for (uint32_t i = 0;; i++) {
        uint32_t from = list_record(rom_list, i, SERVICE_VALUE_BYTES, &reported, "service value copy");
        uint32_t to = list_record(SERVICE_WORK_LIST, i, SERVICE_VALUE_BYTES, &reported, "service value copy");
        if (!from || !to) return i;
        for (uint32_t k = 0; k < 6; k++) testmode_write32(to + 4 * k, testmode_read32(from + 4 * k));
        if (testmode_read32(from) == 0) return i;
    }
}

void testmode_highlights_clear(uint32_t list) {
    service_value r;
    uint32_t i = 0;
    while (service_value_at(list, i, &r)) service_mark_set(i++, 0);
    if (i < SERVICE_LIST_RECORDS) service_mark_set(i, 0);  // the terminator's word too
}

uint16_t service_mark(uint32_t i) {
    return uint16_t(service_word(mark_cell(i)));
}

void service_mark_set(uint32_t i, uint16_t mark) {
    service_word_set(mark_cell(i), mark);
}

void service_work_factory_set(uint32_t i, int32_t value) {
    uint32_t at = SERVICE_WORK_LIST + SERVICE_VALUE_BYTES * i + 16;
    testmode_write32(at, int32_t((uint32_t(testmode_read32(at)) & 0xFFFF0000u) | (uint32_t(value) & 0xFFFF)));
}

// ---- Text ------------------------------------------------------------------------

void testmode_text_print(int column, int row, uint32_t address, int colour) {
    if (!in_wram(address)) {
        text_print(column, row, address, colour);
        return;
    }
    for (int c; column < TEXT_COLUMNS && in_wram(address) && (c = testmode_read8(address)) != 0; column++, address++)
        testmode_put_tile(column, row, uint32_t(colour) << 12 | uint32_t(c));
}

void testmode_put_tile(int column, int row, uint32_t cell) {
    if (column < 0 || column >= TEXT_COLUMNS || row < 0 || row >= TEXT_ROWS) return;
    uint32_t at = uint32_t(row * TEXT_COLUMNS + column) * 2;
    textram[at] = uint8_t(cell >> 8);
    textram[at + 1] = uint8_t(cell);
}

void testmode_print_footer(int layout) {
    for (const footer_line& f : FOOTERS)
        if (f.layout == layout) testmode_text_print(f.column, f.row, f.text, FOOTER_COLOUR);
}

void service_palette_set(uint32_t entry, int red, int green, int blue) {
    if (entry >= PALETTE_ENTRIES) return;
    palette_ram[entry] = uint8_t(red);
    palette_ram[PALETTE_ENTRIES + entry] = uint8_t(green);
    palette_ram[2 * PALETTE_ENTRIES + entry] = uint8_t(blue);
    palette_entry_mark_written(entry);
}

bool service_blink() {
    return (w_cell(W_FRAME_TICK) & 8) != 0;
}

// ---- Main menu -------------------------------------------------------------------

void service_main_menu_enter() {
    textram_clear();
    testmode_print_footer(0);
    testmode_set_page(1);
}

void service_main_menu_run() {
    testmode_cursor_move(MAIN_MENU_ITEMS);
    testmode_menu_draw(MAIN_MENU, SERVICE_LIVE);
    if (testmode_select_pressed()) testmode_set_page(int16_t(bus_read16(MAIN_MENU_PAGES + 2 * uint32_t(testmode_cursor_get()))));
}
