// libFuzzer target: any bytes as the ROM archive. The walk must never read outside the
// buffer, whatever the headers claim.
#include "host/rom_set.h"

#include <cstdint>
#include <cstring>

namespace {

// Touches every byte handed over so that a bad range shows up under AddressSanitizer.
bool member_touch(int entry, const uint8_t* data, uint32_t size, void*, char*, size_t) {
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < size; i++) sum = uint8_t(sum + data[i]);
    return entry >= 0 && entry < ROM_COUNT && size == rom_table[entry].size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int64_t end = zip_end_record_find(data, size);
    if (end < 0) return 0;
    bool present[ROM_COUNT] = {};
    char err[256];
    zip_members_walk(data, size, uint64_t(end), member_touch, nullptr, present, err, sizeof err);
    return 0;
}
