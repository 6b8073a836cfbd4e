#include "render/point_words.h"

#include "host/rom_loader.h"

point_ram_source point_ram_words = nullptr;

namespace {
int32_t sign_extend24(uint32_t w) {
    return int32_t((w & 0xFFFFFF) ^ 0x800000) - 0x800000;
}
}  // namespace

int32_t point_word(uint32_t index) {
    if (point_rom && index < point_rom_count) return sign_extend24(point_rom[index]);
    return point_ram_words ? sign_extend24(point_ram_words(index)) : 0;
}

bool point_span_readable(uint32_t start, uint32_t len) {
    if (point_ram_words) return true;
    return point_rom && uint64_t(start) + len <= point_rom_count;
}
