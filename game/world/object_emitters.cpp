#include "game/world/object_emitters.h"

#include "base/env_switch.h"
#include "board/block_list.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/emitter_tables.h"
#include "game/services/object_ram.h"
#include "game/world/node_emitter.h"
#include "game/world/node_lists.h"

#include <climits>
#include <initializer_list>

namespace {

constexpr int32_t COMPANION_MODEL = 574;   // + play_frame_counter & 0xF
constexpr int32_t LANDMARK_MODEL = 593;    // + the low half of W 0x4708
constexpr int32_t OBJECT_FLAGS = 4;
constexpr int32_t ENTRY_WORDS = 11;
constexpr int32_t CELL_SIZE = 0x18000;
constexpr uint32_t BLOCK_BYTES = 128;
constexpr int32_t RING_ANGLE = 0x1290;     // tilt of the ring's sub-models

// The object mode word (upper half of W 0x4708).
struct vec3 {
    int32_t x, y, z;
};

// The three longs at a 68020 address.
vec3 position_at(uint32_t address) {
    return {w_read32(address), w_read32(address + 4), w_read32(address + 8)};
}

vec3 relative(vec3 p) {
    return {dl_relative_x(p.x), dl_relative_y(p.y), dl_relative_z(p.z)};
}

vec3 offset(vec3 p, int32_t dx, int32_t dy, int32_t dz) {
    return {wrap_add(p.x, dx), wrap_add(p.y, dy), wrap_add(p.z, dz)};
}

// (v x k) >> shift, formed in 32 bits.
int32_t scaled(int32_t v, int32_t k, int shift) {
    return wrap_mul(v, k) >> shift;
}

// An 11-word entry with the rotation words (0, 0x7FFF), (r, t), (0, 0x7FFF).
int32_t* tilted_entry(int32_t* out, int32_t model, vec3 p, int32_t r, int32_t t) {
    const int32_t words[ENTRY_WORDS] = {model, p.x, p.y, p.z, 0, 0x7FFF, r, t, 0, 0x7FFF, OBJECT_FLAGS};
    return dl_put_words(out, words, ENTRY_WORDS);
}

// The bank link on a band change (0 = no band: an open bank is closed).
void band_select(int32_t band) {
    int32_t last = wram_long(W_DL_LAST_BANK);
    if (band == last) return;
    if (band) {
        dl_bank_select(band);
    } else {
        dl_bank_end();
    }
    wram_long_set(W_DL_LAST_BANK, band);
}

// The part shared by the three band objects: header, band, body entry, band closed.
// Returns the object's world position.
vec3 banded_body(uint32_t pointer_cell, int32_t body_model, int32_t (*band_of)(vec3 rel)) {
    vec3 world = position_at(uint32_t(wram_long(pointer_cell)));
    vec3 rel = relative(world);
    dl_header_8000();
    int32_t band = band_of(rel);
    band_select(band);
    const int32_t body[4] = {body_model, rel.x, rel.y, rel.z};
    dl_emit(body, 4);
    if (band) band_select(0);
    return world;
}

void header_record(int record, vec3 world) {
    vec3 rel = relative(world);
    const int32_t pos[3] = {rel.x, rel.y, rel.z};
    dl_cursor_set(object_packet_header(record, pos, dl_cursor_get()));
}

// Sub-part slot k of the collision rows, when it exists.
void subpart_set(int32_t k, vec3 p, int32_t angle, const int32_t size[3]) {
    if (k < 0 || k >= SUBPART_SLOTS) return;
    uint32_t at = 4 * uint32_t(k);
    wram_long_set(W_SUBPART_X + at, p.x);
    wram_long_set(W_SUBPART_Y + at, p.y);
    wram_long_set(W_SUBPART_Z + at, p.z);
    wram_long_set(W_SUBPART_ANGLE + at, angle);
    for (uint32_t row = 0; row < 3; row++) wram_long_set(W_SUBPART_SIZE + row * SUBPART_ROW_BYTES + at, size[row]);
}

void object_list_header() {
    dl_model_header_put(w_word(W_OBJECT_LIST_VIEW + 2));
}

// The zoom words of each display object up to one whose first long is negative.
void display_objects_rezoom() {
    for (uint32_t at = W_RIG_NODES; at + DISPLAY_OBJECT_BYTES <= WRAM_SIZE; at += DISPLAY_OBJECT_BYTES) {
        if (wram_long(at) < 0) break;
        camera_zoom_rewrite_w(WRAM_BASE + at);
    }
}

bool train_switch_on() {
    static const bool on = !env_present("SKYVOLTA_NO_TRAIN") && env_present("SKYVOLTA_TRAIN");
    return on;
}

}  // namespace

uint32_t rom_object_list_load(int64_t dest, int64_t list) {
    if (w_is_host_pointer(list)) {
        const uint8_t* p = static_cast<const uint8_t*>(w_host(list));
        list = p >= program_rom && p < program_rom + sizeof program_rom ? p - program_rom : 0;
    }
    int32_t index = w_index(dest);
    uint32_t dest_address = index >= 0 ? WRAM_BASE + uint32_t(index) : 0;
    if (list < 1 || list >= int64_t(PROGRAM_ROM_END)) {
        if (index >= 0) w_write32(dest_address, -1);
        w_cell_set(W_KEYFRAME_COUNTER, 0);
        w_cell_set(W_RIG_FLAG, 0);
        return dest_address;
    }
    if (index < 0 || uint32_t(index) + BLOCK_BYTES > WRAM_SIZE) return dest_address;
    return WRAM_BASE + uint32_t(w_list_walk(index, uint32_t(list)));
}

uint32_t rom_object_list_load_wrap(int64_t dest, int64_t list) {
    return rom_object_list_load(dest, list);
}

int32_t* object_packet_header(int record, const int32_t pos[3], int32_t* out) {
    int32_t mask = rom_table_long(ROM_OBJECT_RECORDS, record, 0);
    if (w_word(W_OBJECT_MODE) & mask) {
        const int32_t entry[4] = {rom_table_long(ROM_OBJECT_RECORDS, record, 4), pos[0], pos[1], pos[2]};
        return dl_put_words(out, entry, 4);
    }
    const int32_t words[17] = {
        rom_table_long(ROM_OBJECT_RECORDS, record, 8), pos[0], pos[1], pos[2],
        DL_HEADER_11, dl_header_prio(), COMPANION_MODEL + (wram_long(W_PLAY_FRAME_COUNTER) & 0xF),
        wrap_add(pos[0], rom_table_long(ROM_OBJECT_RECORDS, record, 16)),
        wrap_add(pos[1], rom_table_long(ROM_OBJECT_RECORDS, record, 20)),
        wrap_add(pos[2], rom_table_long(ROM_OBJECT_RECORDS, record, 24)),
        0, 0x7FFF, wram_long(W_OBJECT_HEADING), wram_long(W_OBJECT_HEADING + 4), 0, 0x7FFF, OBJECT_FLAGS,
    };
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    return dl_put_words(out, words, 17);
}

int32_t* object_packet_fill(int32_t* out) {
    vec3 p = relative(offset(position_at(uint32_t(wram_long(W_OBJECT_COMPOUND))), 258252, 102440, 1165579));
    int32_t r = math_sin(RING_ANGLE), t = math_cos(RING_ANGLE);
    int32_t m = w_word(W_OBJECT_MODE);
    int32_t alt = (m & 0x60) ? 1 : 0;
    out = tilted_entry(out, 507 + alt, p, r, t);
    if (m & 1) return out;
    for (int32_t model : {501 + alt, 504, 505 + alt}) out = tilted_entry(out, model, p, r, t);
    if (!(m & 0x40)) return out;
    int32_t frame = wram_long(W_PLAY_FRAME_COUNTER);
    for (int32_t off = 0; off <= 65535; off += 13107) {
        int32_t angle = wrap_add(off, wrap_mul(frame, 2048));
        vec3 q = {wrap_add(p.x, scaled(math_sin(angle), 3584, 15)), p.y,
                  wrap_add(p.z, scaled(math_cos(angle), 3584, 15))};
        out = tilted_entry(out, 542 + (wrap_add(off, frame) & 0xF), q, r, t);
    }
    return out;
}

void fixed_model_packet() {
    if (w_cell_byte(W_LANDMARK_GATE) > 17) return;
    if (wram_long(W_DL_LAST_BANK) != 0) {
        dl_bank_end();
        wram_long_set(W_DL_LAST_BANK, 0);
    }
    int32_t a = (wrap_add(math_sin((wram_long(W_PLAY_FRAME_COUNTER) & 0x1F) * 2048), 3392) >> 6) & 0xFFFC;
    const int32_t words[13] = {
        DL_HEADER_11, 0, LANDMARK_MODEL + w_word(W_OBJECT_MODE + 2),
        dl_relative_x(345938), dl_relative_y(99949), dl_relative_z(473686),
        0, 0x7FFF, sine_table_word(SINE_TABLE - 2 + uint32_t(a)), sine_table_word(SINE_TABLE + uint32_t(a)),
        0, 0x7FFF, OBJECT_FLAGS,
    };
    dl_emit(words, 13);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
}

void object_packet_emit() {
    vec3 world = banded_body(W_OBJECT_PLAIN, 499, [](vec3 rel) -> int32_t {
        if (rel.y >= -0x27FFF) return -0x5C00;
        if (rel.y >= -204799) return rel.z < -1212415 ? -8192 : -10816;
        return 0;
    });
    header_record(OBJECT_RECORD_PLAIN, world);
}

void object_packet_emit_rotating() {
    vec3 world = banded_body(W_OBJECT_ROTATING, 511, [](vec3 rel) -> int32_t {
        return rel.y >= -141039 ? -0x4400 : 0;
    });
    header_record(OBJECT_RECORD_ROTATING, world);
    int32_t heading = wrap_mul(wrap_neg(wram_long(W_PLAY_FRAME_COUNTER)), (w_word(W_OBJECT_MODE) & 1) ? 256 : 128);
    vec3 top = offset(world, 211150, 141360, 1345200);
    dl_object_at(dl_header_prio(), 510, top.x, top.y, top.z, 0, heading, 0, OBJECT_FLAGS);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    static const int32_t size[3] = {2500, 1500, 39000};
    int32_t count = wram_long(W_SUBPART_COUNT);
    for (int32_t j = 0; j < 4; j++) {
        int32_t angle = wrap_add(heading, 8192 + 0x4000 * j);
        vec3 p = {wrap_add(top.x, scaled(math_cos(angle), 18190, 15)), wrap_add(world.y, 142360),
                  wrap_sub(top.z, scaled(math_sin(angle), 18190, 15))};
        subpart_set(count + j, p, wrap_sub(6099, angle), size);
    }
    wram_long_set(W_SUBPART_COUNT, wrap_add(count, 4));
}

void object_packet_emit_compound() {
    uint32_t position = uint32_t(wram_long(W_OBJECT_COMPOUND));
    vec3 world = banded_body(W_OBJECT_COMPOUND, 500, [](vec3 rel) -> int32_t {
        return rel.y >= -102399 ? -0x7000 : 0;
    });
    dl_header_8002();
    object_sublist_build(position);
    // The record's first entry is a 4-word entry: it needs the 0x8000 header back.
    dl_header_8000();
    header_record(OBJECT_RECORD_COMPOUND, world);
    dl_header_8002();
    dl_cursor_set(object_packet_fill(dl_cursor_get()));
}

void object_sublist_build(uint32_t position) {
    vec3 world = position_at(position);
    int32_t frame = wram_long(W_PLAY_FRAME_COUNTER);
    int32_t count = wram_long(W_SUBPART_COUNT);
    for (int32_t n = 0; n < 8; n++) {
        int32_t v = rom_table_word(ROM_SEGMENT_MODELS, n, 0);
        int32_t m = wrap_add(wrap_mul(frame, 32), n * 0x2000);
        int32_t node[15] = {DL_NODE, 3, 0, rom_table_long(ROM_SUBMODEL_OFFSETS, v, 0),
                            rom_table_long(ROM_SUBMODEL_OFFSETS, v, 4), 0, 1, 0, 0x7FFF};
        dl_rotation_pair(m, node + 9);
        dl_rotation_pair(wrap_mul(frame, 128), node + 11);
        node[13] = 4;
        node[14] = DL_END;
        dl_emit(node, 15);
        vec3 p = offset(world, wrap_add(0x3C000, scaled(math_sin(m), 7680, 11)), 0x16000,
                        wrap_add(0x114000, scaled(math_cos(m), 7680, 11)));
        vec3 rel = relative(p);
        const int32_t place[6] = {DL_NODE_MODEL, v, 3, rel.x, rel.y, rel.z};
        dl_emit(place, 6);
        const int32_t size[3] = {rom_table_long(ROM_SUBMODEL_SIZES, v, 0), rom_table_long(ROM_SUBMODEL_SIZES, v, 4),
                                 rom_table_long(ROM_SUBMODEL_SIZES, v, 8)};
        vec3 slot = {p.x, wrap_sub(wrap_add(world.y, 0x16000), size[1]), p.z};
        subpart_set(count + n, slot, wrap_neg(m), size);
    }
    wram_long_set(W_SUBPART_COUNT, wrap_add(count, 8));
}

void train_render() {
    if (!train_switch_on()) return;
    int32_t course = wram_long(W_COURSE_NUMBER);
    if (course < 0 || course > 3) return;
    static const int record[4] = {0, 2, 1, 1};
    static const int32_t height[4] = {33100, 0, 0, 0};
    static const int32_t cell[4] = {9, 0, 60, 0};
    static const int chunk = env_int("SKYVOLTA_TRAIN_CHUNK", -1);
    static const int y = env_int("SKYVOLTA_TRAIN_Y", INT_MIN);
    train_packets_emit(record[course], chunk >= 0 && chunk <= 127 ? chunk : cell[course],
                       y != INT_MIN ? y : height[course]);
}

void train_packets_emit(int record, int32_t cell, int32_t height) {
    int32_t x0 = dl_relative_x((cell % 8) * CELL_SIZE), z0 = dl_relative_z((cell / 8) * CELL_SIZE);
    int32_t y = wrap_add(wram_long(W_TRAIN_BASE_Y), wrap_add(height, rom_table_long(ROM_TRAIN_RECORDS, record, 4)));
    int32_t z = wrap_sub(wrap_add(z0, rom_table_long(ROM_TRAIN_RECORDS, record, 8)),
                         (wram_long(W_PLAY_FRAME_COUNTER) & 0x1FF) * 130);
    int32_t x = wrap_add(x0, rom_table_long(ROM_TRAIN_RECORDS, record, 0));
    int32_t a = rom_table_word(ROM_TRAIN_RECORDS, record, 12), b = rom_table_word(ROM_TRAIN_RECORDS, record, 14),
            c = rom_table_word(ROM_TRAIN_RECORDS, record, 16);
    dl_object_put(0, 904, x, y, z, a, b, c, 0);
    dl_object_put(0, 905, x, y, wrap_sub(z, 3000), a, b, c, 0);
}

void marker_object_render(int32_t point[3]) {
    int32_t s = math_sin(wrap_mul(wram_long(W_PLAY_FRAME_COUNTER), 64)) >> 2;
    int32_t p[3] = {176304 + scaled(s, 0x29000, 13), 125872 + s / 2, 550171 + 3 * s / 2};
    dl_marker_at(0, 439, p[0], p[1], p[2]);
    if (point)
        for (int i = 0; i < 3; i++) point[i] = p[i];
}

void status_longs_clear() {
    wram_long_set(W_STATUS_A, 0);
    wram_long_set(W_STATUS_B, 0);
}

void status_longs_copy() {
    wram_long_set(W_STATUS_B, wram_long(W_STATUS_A));
}

void object_list_emit() {
    object_list_header();
    display_objects_rezoom();
    dl_put(dl_cursor_get(), 0);  // the list's end mark for the DSP; the cursor stays
}

void object_list_emit_staged() {
    int32_t stage = w_cell(W_KEYFRAME_COUNTER);
    if (stage >= wram_long(W_OBJECT_LIST_LENGTH)) {
        object_list_emit();
        return;
    }
    object_list_header();
    node_list_walk(int32_t(W_RIG_NODES), stage);
    display_objects_rezoom();
    w_cell_set(W_KEYFRAME_COUNTER, stage + 1);
}
