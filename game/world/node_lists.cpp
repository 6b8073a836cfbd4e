// Node lists brought to a time, and the second model's set-ups.
#include "game/world/node_lists.h"

#include "board/block_list.h"
#include "board/bus.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/world/node_emitter.h"
#include "game/world/player_rig.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr uint32_t NODE_ACCUMULATORS = 0x3C;
constexpr uint32_t NODE_KEYFRAMES = 0x7C;
constexpr uint32_t STREAM_KIND = 4, STREAM_COUNT = 6, STREAM_DATA = 8;
constexpr uint8_t KIND_LONGS = 1, KIND_CURVE = 2, KIND_BYTES = 3;
constexpr uint32_t KEYFRAME_END = 0xFFFF;
constexpr uint32_t KEYFRAMES_MAX = 64;
constexpr int32_t COURSE_OFFSET[3] = {7168, 0, -3584};
constexpr int32_t COURSE_LIFT = 988;
constexpr uint32_t CRANK_NODE = 7, LEG_NODE = 17, ARM_NODE = 13, TORSO_NODE = 10;

bool rom_range(uint64_t address, uint64_t bytes) {
    return address + bytes <= PROGRAM_ROM_END;
}

bool node_inside(int64_t n) {
    return n >= 0 && n + RIG_NODE_BYTES <= WRAM_SIZE;
}

int32_t field_mask(uint32_t i) {
    return rom_range(ROM_STREAM_FIELD_MASKS + 4 * i, 4) ? bus_read32(ROM_STREAM_FIELD_MASKS + 4 * i) : 0;
}

// The stream of field i of node n (its first value's address), 0 when it has none.
uint32_t field_stream(uint32_t n, uint32_t i) {
    if (!((w_cell(n + NODE_FLAGS) >> 16) & field_mask(i))) return 0;
    uint32_t pointer = uint32_t(w_cell(n + NODE_STREAMS + 4 * i));
    return pointer >= 4 && rom_range(pointer - 4, STREAM_DATA) ? pointer - 4 : 0;
}

// Entry `time` of a table of `count` entries of `size` bytes at `at`, the last past
// the count; false when the table is empty or leaves the ROM.
bool table_entry(uint32_t at, uint32_t size, int32_t time, uint32_t* entry) {
    uint32_t count = uint32_t(bus_read16(at - STREAM_DATA + STREAM_COUNT));
    if (count == 0) return false;
    uint32_t i = uint32_t(std::clamp<int32_t>(time, 0, int32_t(count - 1)));
    *entry = at + size * i;
    return rom_range(*entry, size);
}

void field_at_time(uint32_t n, uint32_t i, uint32_t stream, int32_t time) {
    uint32_t slot = n + NODE_FIELDS + 4 * i, entry = 0;
    switch (bus_read8(stream + STREAM_KIND)) {
    case KIND_LONGS:
        if (table_entry(stream + STREAM_DATA, 4, time, &entry)) w_cell_set(slot, bus_read32(entry));
        break;
    case KIND_CURVE: w_cell_set(slot, rom_curve_eval(stream + STREAM_KIND, 0, time)); break;
    case KIND_BYTES:
        if (table_entry(stream + STREAM_DATA, 1, time, &entry))
            w_cell_set(slot, wrap_add(bus_read32(stream), int8_t(bus_read8(entry))));
        break;
    default: break;
    }
}

// The model of the keyframe list at `at` for `time`.
void model_at_time(uint32_t n, int32_t time) {
    uint32_t at = uint32_t(w_cell(n + NODE_KEYFRAMES));
    if (at == 0 || !rom_range(at, 2)) return;
    int32_t model = int16_t(bus_read16(at));
    for (uint32_t k = 0; k < KEYFRAMES_MAX; k++) {
        uint32_t pair = at + 2 + 4 * k;
        if (!rom_range(pair, 4)) break;
        uint32_t from = uint32_t(bus_read16(pair));
        if (from == KEYFRAME_END || time < int32_t(from)) break;
        model = int16_t(bus_read16(pair + 2));
    }
    w_cell_set(n + NODE_MODEL, model);
}

// Node k of the list at index, or -1 past the list's end, its 64 nodes or work RAM.
int64_t list_node(int64_t index, uint32_t k) {
    int64_t n = index + int64_t(RIG_NODE_BYTES) * k;
    if (k >= NODE_LIST_MAX || !node_inside(n) || w_cell(uint32_t(n) + NODE_MODEL) < 0) return -1;
    return n;
}

void second_model_node_set(uint32_t k, uint32_t f, int32_t v) {
    w_cell_set(W_SECOND_MODEL_NODES + RIG_NODE_BYTES * k + f, v);
}
int32_t second_model_node(uint32_t k, uint32_t f) {
    return w_cell(W_SECOND_MODEL_NODES + RIG_NODE_BYTES * k + f);
}

// The course's and the select screen's common step: the crank's pitch and the leg
// node's y and z stretched by 100 / 65.
void second_model_pose() {
    second_model_node_set(CRANK_NODE, NODE_PITCH, 2048);
    for (uint32_t f : {NODE_Y, NODE_Z})
        second_model_node_set(LEG_NODE, f, int32_t(int64_t(second_model_node(LEG_NODE, f)) * 100 / 65));
}

bool second_model_load() {
    uint32_t list = uint32_t(bus_read32(ROM_SECOND_MODEL));
    if (list == 0 || !rom_range(list, 4)) return false;
    w_list_walk(int32_t(W_SECOND_MODEL_NODES), list);
    return true;
}

}  // namespace

void node_state_init(uint32_t n, int32_t time) {
    if (!node_inside(n)) return;
    model_at_time(n, time);
    for (uint32_t i = 0; i < NODE_FIELD_COUNT; i++)
        if (uint32_t stream = field_stream(n, i)) field_at_time(n, i, stream, time);
}

void node_list_walk(int32_t index, int32_t time) {
    for (uint32_t k = 0;; k++) {
        int64_t n = list_node(index, k);
        if (n < 0) break;
        node_state_init(uint32_t(n), time);
        node_record_emit(uint32_t(n), false);
    }
}

void node_list_walk_at(uint32_t address, int32_t time) {
    int32_t index = w_index(int64_t(address));
    if (index >= 0) node_list_walk(index, time);
}

void node_list_update(int32_t index, int32_t time) {
    for (uint32_t k = 0;; k++) {
        int64_t n = list_node(index, k);
        if (n < 0) break;
        for (uint32_t i = 0; i < NODE_FIELD_COUNT; i++) {
            uint32_t stream = field_stream(uint32_t(n), i);
            if (stream == 0 || bus_read8(stream + STREAM_KIND) != KIND_CURVE) continue;
            int64_t acc = int64_t(WRAM_BASE) + n + NODE_ACCUMULATORS + 4 * i;
            w_cell_set(uint32_t(n) + NODE_FIELDS + 4 * i, rom_curve_eval(stream + STREAM_KIND, acc, time));
        }
    }
}

void player_model_setup_course() {
    if (!second_model_load()) return;
    int32_t pitch = w_cell(W_PLAYER_PITCH), heading = w_cell(W_PLAYER_HEADING), roll = w_cell(W_PLAYER_ROLL);
    int32_t d[3];
    vec_rotate_rph(COURSE_OFFSET[0], COURSE_OFFSET[1], COURSE_OFFSET[2], pitch, wrap_add(heading, 0x4000), roll, &d[0],
                   &d[1], &d[2]);
    for (uint32_t i = 0; i < 3; i++) {
        int32_t at = wrap_add(w_cell(W_PLAYER_X + 4 * i), d[i]);
        second_model_node_set(0, NODE_X + 4 * i, i == 1 ? wrap_add(at, COURSE_LIFT) : at);
    }
    int32_t turn = std::min<int32_t>(w_word(W_COURSE_LEFT), 3);
    second_model_node_set(0, NODE_PITCH, wrap_neg(pitch));
    second_model_node_set(0, NODE_HEADING, wrap_add(wrap_sub(wrap_mul(turn, 0x1000), heading), 0x4000));
    second_model_node_set(0, NODE_ROLL, wrap_neg(roll));
    second_model_pose();
}

void player_model_setup_select() {
    if (!second_model_load()) return;
    second_model_pose();
    second_model_node_set(0, NODE_PITCH, w_cell(W_SELECT_PITCH));
    constexpr int32_t CRANK_SELECT_PITCH = 1024;
    second_model_node_set(CRANK_NODE, NODE_PITCH, CRANK_SELECT_PITCH);
    for (uint32_t k : {TORSO_NODE, ARM_NODE})
        second_model_node_set(k, NODE_PITCH, wrap_sub(second_model_node(k, NODE_PITCH), CRANK_SELECT_PITCH));
    second_model_node_set(LEG_NODE, NODE_PITCH, wrap_add(second_model_node(LEG_NODE, NODE_PITCH), CRANK_SELECT_PITCH));
    second_model_node_set(LEG_NODE, NODE_Z, wrap_add(second_model_node(LEG_NODE, NODE_Z), 50));
}
