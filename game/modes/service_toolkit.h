// The service mode's toolkit: memory access at board addresses, the page and its cursor,
// the switch tests, and the drawing of ROM menu and value lists on the text layer.
//
// menu_record (12 bytes, big-endian): +0 text address (0 ends the list), +4 column,
// +6 row, +8 colour, +10 item (the cursor value that highlights the line).
// value_record (24 bytes): +0 board address of the value (0 ends the list), +4 kind
// (0 decimal, -1 hexadecimal, -2 time form, else the address of a table of text
// addresses), +8 column, +10 row, +12 minimum, +14 maximum, +16 width, +18 factory
// value, +20 size (1 signed byte, 3 unsigned word, 4 long, else signed word), +22 item
// (-1 display only).
//
// Records are read as longs (words as their halves), so a list may lie in the program
// ROM or in work RAM (value_work_list). Every walk stops at the terminator, after 256
// records or at the end of the list's image, the last two with one "[GUARD]" line per
// walker and run; text and digit cells off the 64 x 64 map are dropped.
#pragma once
#include <cstdint>

constexpr uint32_t SERVICE_LIST_RECORDS = 256;
constexpr uint32_t SERVICE_MENU_BYTES = 12;
constexpr uint32_t SERVICE_VALUE_BYTES = 24;
constexpr int SERVICE_LIVE = 256;           // count of a live menu: the cursor line blinks
constexpr uint16_t SERVICE_MARK_CHANGED = 0x2000;  // colour 2
constexpr uint16_t SERVICE_MARK_FACTORY = 0x4000;  // colour 4

// ---- Board memory ----------------------------------------------------------------
// Work RAM (0xE00000-0xE3FFFF) in the board's layout through the slots (w_read16 and
// kin), except bytes the import leaves alone (wram_owned): those are the game's own
// cells, read and written as such. Any other address goes through the bus.
int32_t testmode_read8(uint32_t address);   // 0..255
int32_t testmode_read16(uint32_t address);  // 0..0xFFFF
int32_t testmode_read32(uint32_t address);
void testmode_write8(uint32_t address, int32_t value);
void testmode_write16(uint32_t address, int32_t value);
void testmode_write32(uint32_t address, int32_t value);
// The same at a work-RAM offset, as the pages name their words.
int32_t service_word(uint32_t offset);  // signed 16 bits
void service_word_set(uint32_t offset, int32_t value);
int32_t service_long(uint32_t offset);
void service_long_set(uint32_t offset, int32_t value);

// ---- Page and cursor -------------------------------------------------------------
// Set while the old form runs (SKYVOLTA_OLD_TESTMODE): its page is the whole of
// test_state_word and its cursors are the cells the old menu routines keep
// (game/modes/test_menus.h); the pages both forms share reach them through these.
extern bool service_old_form;
int testmode_page();  // the upper half of test_state_word, 0..0xFFFF
void testmode_set_page(int page);
int testmode_cursor_get();  // the signed cursor byte of the current page pair
void testmode_cursor_set(int cursor);
// The cursor byte of page pair `page` / 2, whatever the current page.
void testmode_page_cursor_set(int page, int cursor);

// ---- Switches --------------------------------------------------------------------
uint32_t service_edge_bits();   // low word of W 0x2BD8
uint32_t service_held_bits();   // its upper word
uint32_t service_repeat_bits(); // low word of W 0x2BDC
uint32_t port1_current();       // switch_port_state of port 1: current, new, new or repeated
uint32_t port1_pressed();
uint32_t port1_repeat();
bool testmode_cursor_move(int n);
bool testmode_select_pressed();
int testmode_exit_pressed(int x);

// ---- Lists -----------------------------------------------------------------------
struct service_value {
    uint32_t address;
    int32_t kind;
    int column, row, minimum, maximum, width, factory, size, item;
};
// Record i of a value list: false at the terminator or past the walk's bounds.
bool service_value_at(uint32_t list, uint32_t i, service_value* out);
int32_t testmode_field_value_get(const service_value& r);
void testmode_field_value_set(const service_value& r, int32_t value);

void testmode_menu_draw(uint32_t list, int count);
void testmode_values_draw(uint32_t list, int count);
int testmode_value_adjust(uint32_t list);
// Copies a ROM value list, terminator included, into value_work_list (board address
// SERVICE_WORK_LIST, game/modes/service_ram.h); returns the number of records copied
// before the terminator.
uint32_t testmode_values_load(uint32_t rom_list);
void testmode_highlights_clear(uint32_t list);
// value_marks word of record i, and its store.
uint16_t service_mark(uint32_t i);
void service_mark_set(uint32_t i, uint16_t mark);
// The factory value (+18) of work record i.
void service_work_factory_set(uint32_t i, int32_t value);

// ---- Text ------------------------------------------------------------------------
void testmode_text_print(int column, int row, uint32_t address, int colour);
void testmode_put_tile(int column, int row, uint32_t cell);
// The footer layouts 0..6; any other draws nothing.
void testmode_print_footer(int layout);
// Palette entry := (red, green, blue), marked as written at run time.
void service_palette_set(uint32_t entry, int red, int green, int blue);
// Bit 3 of frame_tick: the blink of cursor lines.
bool service_blink();

// ---- Main menu -------------------------------------------------------------------
void service_main_menu_enter();
void service_main_menu_run();
