// The list menus of the service screens (the older service mode): labels and editable
// values from ROM lists, the cursor and the value edit; and two small routines of the
// stage start.
//
// Label record, 12 bytes (a zero string address ends the list): +0 string address,
// +4 column, +6 row, +8 palette, +10 item.
// Value record, 24 bytes (a zero first long ends the list): +0 address of the 16-bit
// value, +4 kind (0 decimal, -1 hexadecimal digits, -2 the service mode's special (time) form,
// else the address of a table of string addresses indexed by the value), +8 column,
// +10 row, +12 lower bound, +14 upper bound, +16 width, +18 factory setting, +20 no-value
// mark (1-4: reads as 0, never written), +22 item.
// Every walk stops at the end mark, at its count or after 256 records.
#pragma once
#include <cstdint>

constexpr int TEST_PAGES = 34;
constexpr int MENU_RECORDS = 256;
constexpr uint32_t MENU_LABEL_BYTES = 12;
constexpr uint32_t MENU_VALUE_BYTES = 24;
constexpr int MENU_WITH_CURSOR = 128;  // a count from here on shows the cursor

// The highlight word of each value record (0x4000 factory setting, 0x2000 the
// blinking cursor), and the work copy of the value records (six longs each).
extern uint16_t test_menu_marks[MENU_RECORDS];
extern int32_t test_menu_items[MENU_RECORDS][6];

// The cursor of the current page (0..255), or -1 for a page past 33.
int test_menu_cursor();

// Menu inputs: the handle's reported directions (W 0x2BD8) and repeats (high half of
// W 0x2BDC), or switch port 0's new (and repeated) presses.
bool menu_input_up();
bool menu_input_down();
bool menu_input_decrease();
bool menu_input_increase();

void test_menu_print_labels(uint32_t list, int count);
void test_menu_draw_values(uint32_t list, int count);
// Up lowers the cursor (0 wraps to count - 1), down raises it (count - 1 wraps to 0).
bool test_menu_cursor_move(int count);
// Edits the value record whose item is the cursor: -1 / +1 a step, -17 / +17 a wrap
// past a bound, summed when decrease and increase come together; 0 for no change.
int test_menu_value_edit(uint32_t list);
void test_menu_marks_clear(uint32_t list);
void test_menu_items_copy(uint32_t list);
