// collision_probe: the six probe records the collision step leaves in work RAM, 0x140
// bytes apart from W 0x1300, and the fields of a record that the flight and the
// contact effects read. Nonzero flags mean contact.
#pragma once
#include <cstdint>

constexpr uint32_t W_PROBES = 0x1300;
constexpr uint32_t PROBE_STRIDE = 0x140;

enum probe_index : uint32_t {
    PROBE_CENTRE = 0,
    PROBE_RIGHT_WING = 1,
    PROBE_LEFT_WING = 2,
    PROBE_NOSE = 3,
    PROBE_TOP = 4,
    PROBE_LOOKAHEAD = 5,
};

constexpr int32_t PROBE_COUNT = 6;
constexpr uint32_t W_PROBE_COUNT = 0x1308;     // +0x08 of probe 0: probes in use

// Fields of a probe record (byte offsets; longs, and byte tables of one byte per slot).
constexpr uint32_t PROBE_OFFSET = 0x0C;        // rotated body offset x, y, z
constexpr uint32_t PROBE_POS = 0x18;           // world x, y, z
constexpr uint32_t PROBE_HIT = 0x24;           // 1: inside solid matter
constexpr uint32_t PROBE_CONTACT = 0x28;       // own y when hit, else the floor under it
constexpr uint32_t PROBE_SURFACE = 0x2C;       // surface byte above the probe when hit
constexpr uint32_t PROBE_COLUMN_COUNT = 0x30;
constexpr uint32_t PROBE_COLUMN = 0x34;        // longs: height << 4 | kind
constexpr uint32_t PROBE_COLUMN_BYTES = 0xAC;  // surface byte per entry
constexpr uint32_t PROBE_ZONE_FLAGS = 0xCA;    // 1 = from a zone box
constexpr int32_t PROBE_COLUMN_MAX = 30;
constexpr uint32_t PROBE_PARITY = 0xE8;        // 1 = INSIDE-SOLID at the top
constexpr uint32_t PROBE_SPECIAL_COUNT = 0xEC;
constexpr uint32_t PROBE_SPECIAL_ENTRIES = 0xF0;
constexpr uint32_t PROBE_SPECIAL_BYTES = 0x118;
constexpr int32_t PROBE_SPECIAL_MAX = 10;
constexpr uint32_t PROBE_SPECIAL = 0x124;       // a special region is touched
constexpr uint32_t PROBE_SPECIAL_TYPE = 0x128;  // the region's type
constexpr uint32_t PROBE_LAST_SPECIAL_TYPE = 0x12C;
constexpr uint32_t PROBE_EDGE_HOLD = 0x130;

// The W offset of a field of probe n.
constexpr uint32_t probe_field(uint32_t probe, uint32_t field) {
    return W_PROBES + PROBE_STRIDE * probe + field;
}
