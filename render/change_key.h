// The 64-bit change keys of the software-drawn layers: a picture is drawn again only
// when the key over everything it depends on moves. Each step is a bijection of the
// running key, so changing any one input word always changes the key.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint64_t CHANGE_KEY_SEED = 0x14650fb0739d0383ull;

// One 64-bit word into the key.
uint64_t change_key_word(uint64_t key, uint64_t word);
// n bytes into the key (large buffers in four independent lanes; the length counts).
uint64_t change_key_bytes(uint64_t key, const void* data, size_t n);
