#include "tests/support/point_rom_array.h"

bool point_rom_array_write(uint32_t* rom, uint32_t count, uint32_t index, std::initializer_list<int32_t> words) {
    if (index > count || words.size() > count - index) return false;
    for (int32_t w : words) rom[index++] = uint32_t(w) & 0xFFFFFF;
    return true;
}
