// STAND-INS until the service-mode work lands.
#include "game/modes/test_numbers.h"

#include "game/flow/stand_in.h"

void test_number_print(int column, int row, int width, int32_t value, int highlight) {
    static bool seen = false;
    stand_in_report(seen, "test_number_print");
}

void test_number_print_short(int column, int row, int width, int32_t value, int palette) {
    static bool seen = false;
    stand_in_report(seen, "test_number_print_short");
}
