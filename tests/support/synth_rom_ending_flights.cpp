// The ending's flight phases 0-4 in the synthetic set: the scene record and packet
// lists, the fly-in's cameras, sway and lists, the passes' legs, the staff roll's eye
// offsets and the ring (addresses and the values tests read in synth_rom_tables.h).
// Scenes: the fly-in looks along +z at the object's spot (the scene record moved by
// 258252, 122920, 1165579), the ring phase down on the ring's centre.
#include "tests/support/synth_rom_tables.h"

#include <initializer_list>

namespace {

constexpr int32_t SPOT[3] = {258252, SYNTH_SCENE_RECORD[1] + 122920, 1165579};
constexpr int32_t RING_CENTRE_X = 0x3C000, RING_CENTRE_Z = 0x114000;  // the objects' offsets
constexpr int32_t ZOOM = 0x780;

void longs_at(synth_rom_set* set, uint32_t at, std::initializer_list<int32_t> values) {
    for (int32_t v : values) {
        synth_put32(set, at, uint32_t(v));
        at += 4;
    }
}

// Sequential stores from SYNTH_FLIGHT_DATA.
struct data_writer {
    synth_rom_set* set;
    uint32_t at;
    uint32_t longs(std::initializer_list<int32_t> values) {
        longs_at(set, at, values);
        at += 4 * uint32_t(values.size());
        return at - 4 * uint32_t(values.size());
    }
};

void words_at(synth_rom_set* set, uint32_t at, std::initializer_list<int32_t> values) {
    for (int32_t v : values) {
        synth_put16(set, at, uint16_t(v));
        at += 2;
    }
}

// A node list of one still node (model 1 at the pose, no animated fields) at `list`.
void model_list(synth_rom_set* set, data_writer& data, uint32_t list, std::initializer_list<int32_t> pose) {
    uint32_t record = data.longs({1, 0, 0});
    for (int32_t v : pose) data.longs({v});
    longs_at(set, list, {int32_t(record), 0});
}

void scene_record(synth_rom_set* set) {
    for (uint32_t k = 0; k < 7; k++) synth_put32(set, 0x37AA4 + 4 * k, uint32_t(SYNTH_SCENE_RECORD[k]));
    for (uint32_t step = 40; step < 92; step++) synth_put8(set, 0x37ADC + step, uint8_t(2 * (step - 40)));
}

void fly_in(synth_rom_set* set, data_writer& data) {
    model_list(set, data, 0x37C4C, {SPOT[0] - 2500, SPOT[1] - 1800, SPOT[2] - 0x30000 + 9000, 0, 0x2000, 0});
    longs_at(set, 0x37CFC, {SPOT[0], SPOT[1] + 0x20000, SPOT[2] - 0xC0000, 0, 0, 0, ZOOM});
    longs_at(set, 0x37D18, {SPOT[0], SPOT[1] + 0x1000, SPOT[2] - 0x30000, 0, 0, 0, ZOOM});
    longs_at(set, 0x37D34, {0x400, 64, 0x300, 96, int32_t(0x5A5A0000u | synth_event_colour(43, 2)), 0});
    uint32_t at = 0x37D4C;
    for (const auto& e : SYNTH_FLY_IN_EVENTS) {
        words_at(set, at, {e[0], e[1]});
        at += 4;
    }
    words_at(set, at, {0});
    at = 0x37D5E;
    for (int32_t frame : SYNTH_FLY_IN_STEPS) {
        words_at(set, at, {frame});
        at += 2;
    }
    words_at(set, at, {0});
    at = 0x37D66;
    for (const synth_flash& f : SYNTH_FLY_IN_FLASHES) {
        words_at(set, at, {f.frame, f.angle, f.count});
        at += 6;
    }
    words_at(set, at, {0});
}

void passes(synth_rom_set* set, data_writer& data) {
    const int32_t y = SYNTH_SCENE_RECORD[1];
    model_list(set, data, 0x37E28, {RING_CENTRE_X, y + 0x30000, RING_CENTRE_Z - 0x40000, 0, 0, 0});
    longs_at(set, 0x37E30, {RING_CENTRE_X - 0x60000, y + 0x40000, RING_CENTRE_Z - 0x60000, 0, 0x2000, 0, ZOOM});
    longs_at(set, 0x37E4C, {RING_CENTRE_X + 0x60000, y + 0x20000, RING_CENTRE_Z - 0x60000, 0, -0x2000, 0, ZOOM});
    longs_at(set, 0x37E68, {RING_CENTRE_X, y + 0x50000, RING_CENTRE_Z - 0x90000, 0, 0, 0, ZOOM});
    constexpr uint32_t TOGGLE_LISTS[3] = {0x37E84, 0x37E98, 0x37EB8};
    for (uint32_t leg = 0; leg < 3; leg++) {
        uint32_t at = TOGGLE_LISTS[leg];
        for (int16_t frame : SYNTH_PASS_TOGGLES[leg]) {
            words_at(set, at, {frame});
            at += 2;
        }
    }
    model_list(set, data, 0x37F80, {RING_CENTRE_X, y + 0x8000, RING_CENTRE_Z - 0x30000, 0, 0, 0});
    longs_at(set, 0x37F88, {RING_CENTRE_X, y + 0x18000, RING_CENTRE_Z - 0x80000, 0, 0, 0, ZOOM});
}

void staff_roll(synth_rom_set* set, data_writer& data) {
    const int32_t y = SYNTH_SCENE_RECORD[1];
    model_list(set, data, 0x3804C, {RING_CENTRE_X, y + 0x20000, RING_CENTRE_Z - 0x20000, 0, 0x4000, 0});
    model_list(set, data, 0x38054, {RING_CENTRE_X + 0x1000, y + 0x20800, RING_CENTRE_Z - 0x20000, 0, 0x4000, 0});
    longs_at(set, 0x3805C, {0, 1500, -6000, 0});
    longs_at(set, 0x3806C, {2500, 900, -4000, 0x1000});
    longs_at(set, 0x3807C, {0, y + 0x30000, 0, 0});
}

// The camera 0x20000 above and 0x30000 before the ring's centre, climbing with it.
void ring(synth_rom_set* set) {
    longs_at(set, 0x380B0, {RING_CENTRE_X, 0x36000, RING_CENTRE_Z - 0x30000, 0, 0, 0, ZOOM});
    longs_at(set, 0x380CC, {0, 0x20000, RING_CENTRE_X, 0x16000, RING_CENTRE_Z, 0, 0, 0x20000});
    longs_at(set, 0x380EC, {3000, 0, 0, 4000, 0x1800, 0x1000});
    words_at(set, 0x38104, {0x400, 0x800, 0xC00, 0x1000, 0x1400, 0x1800, 0x1C00, 0x2000});
    words_at(set, 0x38114, {0x2000, -0x2000, 0x2000, -0x2000, 0x2000, -0x2000, 0x2000, -0x2000});
    words_at(set, 0x38124, {0x200, 0x400, 0x600, 0x800, 0xA00, 0xC00, 0xE00, 0x1000});
}

}  // namespace

void synth_ending_flights(synth_rom_set* set) {
    data_writer data{set, SYNTH_FLIGHT_DATA};
    scene_record(set);
    fly_in(set, data);
    passes(set, data);
    staff_roll(set, data);
    ring(set);
}
