#include "game/modes/test_numbers.h"

#include "board/bus.h"
#include "game/modes/service_toolkit.h"

#include <cstdio>

namespace {

constexpr uint32_t SEPARATOR_1 = 34;  // left of digit 1
constexpr uint32_t SEPARATOR_3 = 39;  // left of digit 3
constexpr int MAX_DIGITS = 64;

// The time form's divide: a radix of 0 would take the zero-divide trap on the board.
uint32_t radix_divide(uint32_t* value, uint32_t radix) {
    static bool reported;
    if (radix == 0) {
        if (!reported)
            fprintf(stderr, "[V2-TRAP] test_number_print: division by zero (hardware would take the zero-divide trap)\n");
        reported = true;
        *value = 0;
        return 0;
    }
    uint32_t digit = *value % radix;
    *value /= radix;
    return digit;
}

void time_form_draw(int column, int row, int width, int32_t value, uint32_t attribute) {
    if (width <= 0) return;
    width = width < MAX_DIGITS ? width : MAX_DIGITS;
    int separators = width > 4 ? 2 : width >= 3 ? 1 : 0;
    int at = column + width + separators - 1;
    uint32_t rest = uint32_t(value) / 60;
    for (int i = 0; i < width; i++) {
        uint32_t radix = uint32_t(bus_read16(TIME_FORM_RADICES + 2 * uint32_t(i))) & 0xFFFF;
        testmode_put_tile(at--, row, attribute | radix_divide(&rest, radix));
        if (i == 1 && separators >= 1) testmode_put_tile(at--, row, attribute | SEPARATOR_1);
        if (i == 3 && separators >= 2) testmode_put_tile(at--, row, attribute | SEPARATOR_3);
    }
}

}  // namespace

void testmode_special_value_draw(int column, int row, int width, int32_t value, int colour) {
    time_form_draw(column, row, width, value, uint32_t(colour) << 12);
}

void testmode_print_digits(int column, int row, int n, int32_t value, uint32_t attribute) {
    uint32_t rest = uint32_t(value);
    for (int i = 0; i < n && i < MAX_DIGITS; i++, rest /= 10) testmode_put_tile(column + n - 1 - i, row, attribute | rest % 10);
}

void testmode_print_hex(int column, int row, int width, uint32_t value, uint32_t attribute) {
    for (int j = 0; j < width && j < MAX_DIGITS; j++)
        testmode_put_tile(column + width - 1 - j, row, attribute | (j < 8 ? (value >> (4 * j)) & 0xF : 0));
}

void test_number_print(int column, int row, int width, int32_t value, int highlight) {
    time_form_draw(column, row, width, value, uint32_t(highlight));
}

void test_number_print_short(int column, int row, int width, int32_t value, int palette) {
    testmode_print_digits(column, row, width, value, uint32_t(palette) << 12);
}
