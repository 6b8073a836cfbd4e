#include "render/point_words.h"

point_ram_source point_ram_words = nullptr;

int32_t point_word_beyond(uint32_t index) {
    return point_ram_words ? sign_extend24(point_ram_words(index)) : 0;
}

bool point_span_readable(uint32_t start, uint32_t len) {
    if (point_ram_words) return true;
    return point_rom && uint64_t(start) + len <= point_rom_count;
}
