#include "render/change_key.h"

#include <cstring>

namespace {

constexpr uint64_t K1 = 0x87c37b91114253d5ull;
constexpr uint64_t K2 = 0x4cf5ad432745937full;

uint64_t rotl(uint64_t x, int r) {
    return x << r | x >> (64 - r);
}

uint64_t load64(const uint8_t* p) {
    uint64_t w;
    memcpy(&w, p, sizeof w);
    return w;
}

}  // namespace

uint64_t change_key_word(uint64_t key, uint64_t word) {
    return rotl(key ^ (word * K1), 31) * K2;
}

uint64_t change_key_bytes(uint64_t key, const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    key = change_key_word(key, n);
    size_t i = 0;
    if (n >= 64) {
        // Four lanes keep four multiplies in flight; folded into the key at the end.
        uint64_t lane[4] = {key, key + K1, key + K2, key ^ K1};
        for (; i + 32 <= n; i += 32)
            for (int l = 0; l < 4; l++) lane[l] = change_key_word(lane[l], load64(p + i + 8 * size_t(l)));
        for (uint64_t v : lane) key = change_key_word(key, v);
    }
    for (; i + 8 <= n; i += 8) key = change_key_word(key, load64(p + i));
    if (i < n) {
        uint64_t tail = 0;
        memcpy(&tail, p + i, n - i);
        key = change_key_word(key, tail);
    }
    return key;
}
