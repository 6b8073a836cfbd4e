// The player rig's ROM tables of the synthetic set: node lists and records of the rider,
// hit sets with streams, field masks, keyframes and leg constants.
#include "tests/support/synth_rom_tables.h"

#include <initializer_list>

namespace {

constexpr uint32_t RIG_LISTS = 0x12ABB0, SECOND_LIST = 0x12ACAC;
constexpr uint32_t KEYFRAMES = 0x144A5C;
constexpr uint32_t KEYFRAME_DATA = 0x146000;
constexpr uint32_t HIT_SETS = 7;
constexpr uint32_t RIG_LIST_COUNT = 63;
constexpr uint32_t PITCH_FIELD_BIT = 1u << 3;  // flags' upper half: field 3 (pitch)

struct synth_node {
    int32_t model, link, word, fields[6];
};

// Records of nodes 5..22 (node 5: the machine's rear-left part), then node 23 of the
// second list; limb offsets and angles are the rig's to set.
constexpr synth_node RIDER[19] = {
    {74, -5, 0, {-1541, 236, 189, -30, -1612, 1364}},
    {95, -6, 0, {SYNTH_CRANK_OFFSET[0], SYNTH_CRANK_OFFSET[1], SYNTH_CRANK_OFFSET[2], 0, 0, 0}},
    {96, -1, 0, {SYNTH_PEDAL_OFFSET[0], SYNTH_PEDAL_OFFSET[1], SYNTH_PEDAL_OFFSET[2], 0, 0, 0}},
    {97, -2, 0, {-SYNTH_PEDAL_OFFSET[0], -SYNTH_PEDAL_OFFSET[1], -SYNTH_PEDAL_OFFSET[2], 0, 0, 0}},
    {98, -9, 0, {SYNTH_BODY_OFFSET[0], SYNTH_BODY_OFFSET[1], SYNTH_BODY_OFFSET[2], 0, 0, 0}},
    {99, -1, 0, {SYNTH_TORSO_OFFSET[0], SYNTH_TORSO_OFFSET[1], SYNTH_TORSO_OFFSET[2], 0, 0, 0}},
    {92, -1, 0, {0, 300, -40, 0, 0, 0}},
    {110, -12, 0, {0, 600, -760, 0, 0, 0}},
    {100, -13, 0, {}}, {101, -1, 0, {}}, {102, -15, 0, {}}, {103, -1, 0, {}},
    {104, -17, 0, {}}, {105, -1, 0, {}}, {106, -19, 0, {}},
    {107, -20, 0, {}}, {108, -1, 0, {}}, {109, -22, 0, {}},
    {118, -23, 0, {0, 700, 300, 0, 0, 0}},
};
constexpr uint32_t BODY = 4;      // index of node 9 in RIDER
constexpr uint32_t PENNANT = 18;  // the second list's record

// Sequential stores from SYNTH_RIG_DATA.
struct rom_writer {
    synth_rom_set* set;
    uint32_t at;
    uint32_t put32(uint32_t v) {
        synth_put32(set, at, v);
        at += 4;
        return at - 4;
    }
    void put16(uint16_t v) {
        synth_put16(set, at, v);
        at += 2;
    }
    void align() { at = (at + 3) & ~3u; }
};

uint32_t record_put(rom_writer& w, const synth_node& n, uint32_t flags, const uint32_t* streams) {
    uint32_t at = w.put32(uint32_t(n.model));
    w.put32(uint32_t(n.link) << 16);
    w.put32(flags << 16 | (uint32_t(n.word) & 0xFFFF));
    for (int i = 0; i < 6; i++) w.put32(streams && streams[i] ? streams[i] : uint32_t(n.fields[i]));
    return at;
}

// A zero-ended pointer list and its stream length word.
uint32_t list_put(rom_writer& w, const uint32_t* records, uint32_t count, uint16_t length) {
    w.align();
    uint32_t at = w.at;
    for (uint32_t i = 0; i < count; i++) w.put32(records[i]);
    w.put32(0);
    w.put16(length);
    w.align();
    return at;
}

uint32_t rider_records[PENNANT + 1];

}  // namespace

void synth_rig_lists(synth_rom_set* set) {
    rom_writer w{set, SYNTH_RIG_DATA};
    for (uint32_t s = HIT_SETS + 1; s < RIG_LIST_COUNT; s++) synth_put32(set, RIG_LISTS + 4 * s, 0);
    for (uint32_t i = 0; i <= PENNANT; i++) rider_records[i] = record_put(w, RIDER[i], 0, nullptr);
    synth_put32(set, RIG_LISTS, list_put(w, rider_records, PENNANT, SYNTH_START_LENGTH));
    for (uint32_t s = 1; s <= HIT_SETS; s++) {
        int32_t length = SYNTH_SET_LENGTH_BASE + int32_t(s);
        uint32_t stream = w.at;
        w.put32(uint32_t(1000 * int32_t(s)));
        for (int32_t f = 0; f < length; f++) w.put16(uint16_t(SYNTH_SET_PITCH_STEP));
        w.align();
        const uint32_t streams[6] = {0, 0, 0, stream, 0, 0};
        uint32_t records[PENNANT];
        for (uint32_t i = 0; i < PENNANT; i++) records[i] = rider_records[i];
        records[BODY] = record_put(w, RIDER[BODY], PITCH_FIELD_BIT, streams);
        synth_put32(set, RIG_LISTS + 4 * s, list_put(w, records, PENNANT, uint16_t(length)));
    }
}

void synth_rig_second_list(synth_rom_set* set) {
    // The pennant's record is written by synth_rig_lists, which runs first.
    synth_put32(set, SECOND_LIST, rider_records[PENNANT]);
    synth_put32(set, SECOND_LIST + 4, 0);
}

void synth_rig_set_masks(synth_rom_set* set) {
    for (uint32_t k = 0; k < 6; k++) synth_put32(set, 0x375C0 + 4 * k, 1u << k);
}

void synth_rig_angle_base(synth_rom_set* set) {
    synth_put32(set, 0x3765C, 0x20B002);
}

void synth_keyframes(synth_rom_set* set) {
    constexpr uint32_t NODE9_Z = 0xAB04 + 128 * 9 + 0x2C;
    constexpr uint32_t PLAYER_X = 0x0D00;
    rom_writer w{set, KEYFRAME_DATA};
    for (uint32_t r = 0; r < 36; r++) {
        uint32_t table = w.at;
        for (uint32_t f = 0; f < 64; f++) w.put32(uint32_t(synth_keyframe_z(r, f)));
        synth_put32(set, KEYFRAMES + 4 * r, w.at);
        if (r == 0) {
            w.put32(PLAYER_X);
            w.put32(table);
        }
        w.put32(NODE9_Z);
        w.put32(table);
        w.put32(0);
    }
}

void synth_leg_constants(synth_rom_set* set) {
    for (uint32_t i = 0; i < 9; i++) synth_put32(set, 0x3AC8C + 4 * i, uint32_t(SYNTH_LEG_CONSTANTS[i]));
}

void synth_second_model(synth_rom_set* set) {
    constexpr synth_node COMPANION[3] = {
        {200, 0, 0, {0, 0, 0, 0, 0, 0}}, {201, -1, 0, {0, 300, 0, 0, 0, 0}}, {202, -1, 0, {0, 200, 0, 0, 0, 0}}};
    rom_writer w{set, SYNTH_RIG_DATA + 0x8000};
    uint32_t records[3];
    for (uint32_t i = 0; i < 3; i++) records[i] = record_put(w, COMPANION[i], 0, nullptr);
    synth_put32(set, 0x123C4C, list_put(w, records, 3, 0));
}

void synth_node_list(synth_rom_set* set) {
    constexpr uint32_t KEYFRAME_MODEL_HEAD = 0x400000;  // flags: the model long names a keyframe list
    rom_writer w{set, SYNTH_NODE_LIST + 0x100};
    uint32_t longs = w.put32(5);
    w.put32(0x01000003);
    for (uint32_t v : {10u, 20u, 30u}) w.put32(v);
    uint32_t curve = w.put32(0);
    w.put16(0x0200);  // kind, then the curve's longs c, e, step, base from +6
    for (uint32_t v : {0u, 0u, 256u, 1000u}) w.put32(v);
    w.align();
    uint32_t bytes = w.put32(100);
    w.put32(0x03000004);
    w.put32(0xFFFE0507);
    uint32_t other = w.put32(0);
    w.put32(0x09000000);
    uint32_t models = w.at;
    for (uint16_t v : {300, 5, 301, 10, 302, 0xFFFF}) w.put16(v);
    w.align();
    const synth_node node = {int32_t(models), 0, 0, {0, 0, 0, 0, 0x4000, 0}};
    const uint32_t streams[6] = {longs, curve, bytes, other, 0, 0};
    uint32_t record = record_put(w, node, KEYFRAME_MODEL_HEAD >> 16 | 0xF, streams);
    synth_put32(set, SYNTH_NODE_LIST, record);
    synth_put32(set, SYNTH_NODE_LIST + 4, 0);
}
