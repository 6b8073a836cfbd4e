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

// Fields of a probe record (byte offsets, each a long in its slot).
constexpr uint32_t PROBE_HIT = 0x24;
constexpr uint32_t PROBE_SPECIAL = 0x124;       // a special region is touched
constexpr uint32_t PROBE_SPECIAL_TYPE = 0x128;  // the region's type

// The W offset of a field of probe n.
constexpr uint32_t probe_field(uint32_t probe, uint32_t field) {
    return W_PROBES + PROBE_STRIDE * probe + field;
}
