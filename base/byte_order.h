// Byte-order loads and stores for board images and file formats.
#pragma once
#include <cstdint>

// A 24-bit word (point ROM and DSP words) as a signed value, from its bit 23.
inline int32_t sign_extend24(uint32_t w) {
    return int32_t((w & 0xFFFFFF) ^ 0x800000) - 0x800000;
}

inline uint16_t load_be16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

inline uint32_t load_be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline void store_be32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

inline uint16_t load_le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t load_le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void store_le16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void store_le32(uint8_t* p, uint32_t v) {
    store_le16(p, v);
    store_le16(p + 2, v >> 16);
}
