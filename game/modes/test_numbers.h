// Number printers of the service screens. STAND-INS: each reports once and prints
// nothing until the service-mode work fills them.
#pragma once
#include <cstdint>

// value in decimal in width cells from (column, row), highlighted.
void test_number_print(int column, int row, int width, int32_t value, int highlight);
// The short form in a palette.
void test_number_print_short(int column, int row, int width, int32_t value, int palette);
