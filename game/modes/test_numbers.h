// The service screens' number printers, writing cells straight into text RAM; cells off
// the 64 x 64 map are dropped.
//
// Time form: the value counts frames and is divided by 60 first; digit i (from the
// right) is the remainder of division by the ROM word at TIME_FORM_RADICES + 2i, the
// value then divided by it (a radix of 0 gives digit 0 and quotient 0, with one
// "[V2-TRAP]" line per run). A width of 3 or 4 adds a separator cell (character 34) to
// the left of digit 1; a width above 4 adds another (character 39) to the left of
// digit 3. The field starts at the column; a width of 0 or less draws nothing.
#pragma once
#include <cstdint>

constexpr uint32_t TIME_FORM_RADICES = 0x36682;

// The time form in the new form's colour (cell = colour << 12 | character).
void testmode_special_value_draw(int column, int row, int width, int32_t value, int colour);
// n decimal digits of value, right to left, the last at column + n - 1; cell =
// attribute | digit.
void testmode_print_digits(int column, int row, int n, int32_t value, uint32_t attribute);
// width hexadecimal digits of value, right to left, the last at column + width - 1.
void testmode_print_hex(int column, int row, int width, uint32_t value, uint32_t attribute);

// The old form's printers: the time form with a highlight attribute (0x2000, 0x4000),
// and the decimal digits in a palette.
void test_number_print(int column, int row, int width, int32_t value, int highlight);
void test_number_print_short(int column, int row, int width, int32_t value, int palette);
