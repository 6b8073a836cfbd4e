// The ending's landing, portrait and bad-ending tables of the synthetic set: cameras
// that look at the scenes, short packet lists, the landing's pose, the portrait's two
// object lists of rig boxes (its caption blocks are the attract's letter blocks), the
// bad ending's circle, hits and events.
#include "tests/support/synth_rom_tables.h"

namespace {

constexpr uint16_t LIST_END = 0xFFFF;

// A packet list of terrain-cell words, then the end mark.
void cells_put(synth_rom_set* set, uint32_t at, std::initializer_list<uint16_t> cells) {
    for (uint16_t c : cells) {
        synth_put16(set, at, c);
        at += 2;
    }
    synth_put16(set, at, LIST_END);
}

// An object list of `count` node records (model, link, word, x, y, z, three angles),
// the display objects (records 0 and 8) roots of the given models at the given
// points, the others hidden children; returns the pointer list's address.
uint32_t portrait_list_put(synth_rom_set* set, uint32_t at, const int32_t models[2], const int32_t points[2][3]) {
    uint32_t records = at;
    for (int r = 0; r < SYNTH_PORTRAIT_RECORDS; r++) {
        uint32_t rec = records + 36 * uint32_t(r);
        bool root = r % 8 == 0;
        const int32_t* p = points[r / 8];
        synth_put32s(set, rec, {root ? models[r / 8] : 110, root ? 0 : int32_t(0xFFFF0000u), 0, root ? p[0] : 0,
                             root ? p[1] : 0, root ? p[2] : 0, 0, root ? 0x1000 * r : 0, 0});
    }
    uint32_t pointers = records + 36 * SYNTH_PORTRAIT_RECORDS;
    for (int r = 0; r < SYNTH_PORTRAIT_RECORDS; r++) synth_put32(set, pointers + 4 * uint32_t(r), records + 36 * uint32_t(r));
    synth_put32(set, pointers + 4 * SYNTH_PORTRAIT_RECORDS, 0);
    synth_put16(set, pointers + 4 * SYNTH_PORTRAIT_RECORDS + 4, 0);
    return pointers;
}

}  // namespace

void synth_ending_scene_lists(synth_rom_set* set) {
    const uint32_t lists[3] = {0x37A7A, 0x37A86, 0x37A94};
    for (int k = 0; k < 3; k++) cells_put(set, lists[k], {SYNTH_SCENE_LIST_CELLS[k]});
}

void synth_ending_crew_steps(synth_rom_set* set) {
    for (uint32_t k = 0; k < 16; k++) synth_put32(set, 0x37AC4 + 4 * k, k % 4);
}

void synth_ending_crew_scenes(synth_rom_set* set) {
    synth_put32s(set, 0x38134, {0, 0x20000, -0x30000, 0, 0, 0, 0x780});
    cells_put(set, 0x38150, {1, 2});
    synth_put32s(set, 0x38174, {0x10000, 0x18000});  // the second anchor's heights
    synth_put32s(set, 0x38180, {0x30000, 0x20000});  // the first anchor's heights
    synth_put32s(set, 0x38188, {0, 0x28000, -0x40000, 0, 0, 0, 0x780});
    cells_put(set, 0x381C0, {3});
    synth_put32s(set, 0x381D0, {0x8000, 0x40000, 0x10000});  // chain height, start and floor heights
    synth_put32s(set, 0x381DC, {0x300, 64, 0x200, 48, 0x500, 0});  // sway: rates and divisors
}

void synth_ending_landing(synth_rom_set* set) {
    const int32_t* p = SYNTH_LANDING_POSE;
    // The camera stands off the spiral's end, turned to it once the approach is over.
    synth_put32s(set, 0x381F4, {p[0] + 4096 - 4000, 84000, p[2] - 7026, 0xFF00, 0xCE9E, 0, 0x780});
    synth_put32s(set, 0x38214, {84000});
    synth_put32s(set, 0x38228, {p[0], p[1], p[2], p[3], p[4], p[5]});
    synth_put32s(set, 0x38240, {p[0], 81339, p[2], 0x615});
    cells_put(set, 0x38250, {4, 5});
    synth_put32s(set, 0x3826C, {-1});
}

void synth_ending_free_camera(synth_rom_set* set) {
    const uint32_t tables[6] = {0x383B0, 0x383C2, 0x383CE, 0x383DC, 0x383E4, 0x383EC};
    const uint32_t lengths[6] = {9, 6, 7, 4, 4, 5};
    for (uint32_t t = 0; t < 6; t++)
        for (uint32_t k = 0; k < lengths[t]; k++) synth_put16(set, tables[t] + 2 * k, uint16_t(0x100 * t + k));
    for (uint32_t k = 0; k < 6; k++) synth_put8(set, 0x384E0 + 4 * k, SYNTH_FREE_PRESET[k]);
    cells_put(set, 0x384FC, {6});
}

void synth_ending_portrait(synth_rom_set* set) {
    synth_put32s(set, 0x383F8, {0, 0x180, -0x300, 0, 0, 0, 0x780});
    cells_put(set, 0x38414, {7});
    synth_put32s(set, 0x38420, {0x300, 0, 0x800, 0, 0x2000, 0});  // the fourth model's node 0
    synth_put32s(set, 0x38438, {0x100});
    const int32_t first_models[2] = {99, 98};
    const int32_t first_points[2][3] = {{-0x300, 0, 0x800}, {-0x300, 0x300, 0x800}};
    const int32_t fourth_models[2] = {99, 92};
    const int32_t fourth_points[2][3] = {{0x300, 0, 0x800}, {0x300, 0x320, 0x800}};
    synth_put32(set, 0x123C44, portrait_list_put(set, SYNTH_SCENE_DATA, first_models, first_points));
    synth_put32(set, 0x123C40, portrait_list_put(set, SYNTH_SCENE_DATA + 0x400, fourth_models, fourth_points));
}

void synth_ending_bad(synth_rom_set* set) {
    synth_put32s(set, 0x38460, {0x100000, 0x48000, 0xF0000, 0xF000, 0, 0, 0x780});
    synth_put32s(set, 0x3847C, {0x100000, 0x40000, 0x100000, 0x8000, 0x100});
    uint32_t at = 0x38490;
    for (const synth_bad_hit& h : SYNTH_BAD_HITS) {
        for (int16_t w : {h.frame, h.spin, h.angle, h.debris_angle, h.lift}) synth_put16(set, (at += 2) - 2, uint16_t(w));
    }
    synth_put16(set, at, 0);
    at = 0x384B0;
    for (const auto& e : SYNTH_BAD_EVENTS) {
        synth_put16(set, at, uint16_t(e[0]));
        synth_put16(set, at + 2, uint16_t(e[1]));
        at += 4;
    }
    synth_put16(set, at, 0);
}
