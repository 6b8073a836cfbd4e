#include "board/display_list.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"

#include <cstdio>
#include <cstdlib>

uint32_t dl_guard_count = 0;
uint32_t dsp_cmd_guard_count = 0;

namespace {

constexpr int32_t OBJECT_WORDS = 13;
constexpr uint32_t CMD_ROOM_BYTES = 64;  // dsp_cmd_ptr grants 16 words
constexpr int32_t CELL_SIZE = 0x18000;   // terrain cell side in world units
constexpr int32_t VIEW_LENS_30_DEGREES = 1920;  // field of view in 1/64 degree

// True when bytes p .. p + bytes - 1 lie inside dspram. Compared as integers: a stray
// cursor may point anywhere.
bool dspram_fits(const void* p, uintptr_t bytes) {
    uintptr_t at = reinterpret_cast<uintptr_t>(p), start = reinterpret_cast<uintptr_t>(dspram);
    return at >= start && at - start <= sizeof dspram && sizeof dspram - (at - start) >= bytes;
}

bool rig_split() {
    static const bool on = env_present("SKYVOLTA_RIG_SPLIT");
    return on;
}

int listwho_sub_state() {
    static const int n = env_int("SKYVOLTA_LISTWHO", 0);
    return n;
}

// dsp_cmd_ptr on behalf of the routine at `routine`, called from `caller`.
int32_t* cmd_ptr(const void* routine, const void* caller) {
    int32_t* cursor = dl_cursor_get();
    int n = listwho_sub_state();
    static int traced = 0;
    if (n >= 1 && traced < 60 && wram_long(W_GAME_STATE) == 3 && wram_long(W_GAME_SUB_STATE) == n) {
        traced++;
        fprintf(stderr, "[LISTWHO] f%u sub=%ld off=%ld ra=%p ra1=%p\n", host_frame, long(wram_long(W_GAME_SUB_STATE)),
                long(reinterpret_cast<intptr_t>(cursor) - reinterpret_cast<intptr_t>(dspram)), routine, caller);
    }
    if (dspram_fits(cursor, CMD_ROOM_BYTES)) return cursor;
    if (dsp_cmd_guard_count++ == 0 || verbose_enabled())
        fprintf(stderr, "[GUARD] dsp_cmd_ptr: cursor %p outside dspram [%p,%p) -- command dropped\n",
                static_cast<void*>(cursor), static_cast<void*>(dspram), static_cast<void*>(dspram + sizeof dspram));
    return nullptr;
}

// The three rotation pairs of a node or object.
void node_angles(int32_t* words, int32_t angle_a, int32_t angle_b, int32_t angle_c) {
    dl_rotation_pair(angle_a, words);
    dl_rotation_pair(angle_b, words + 2);
    dl_rotation_pair(angle_c, words + 4);
}

void object_emit(int32_t code, int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a,
                 int32_t angle_b, int32_t angle_c, int32_t flags) {
    int32_t words[OBJECT_WORDS] = {code, prio, model, x, y, z};
    node_angles(words + 6, angle_a, angle_b, angle_c);
    words[12] = flags;
    dl_emit(words, OBJECT_WORDS);
}

int32_t* object_put(int32_t code, const void* routine, const void* caller, int32_t prio, int32_t model, int32_t x,
                    int32_t y, int32_t z, int32_t angle_a, int32_t angle_b, int32_t angle_c, int32_t flags) {
    int32_t* out = cmd_ptr(routine, caller);
    if (out) object_emit(code, prio, model, x, y, z, angle_a, angle_b, angle_c, flags);
    return out;
}

void header_on_change(int32_t code) {
    if (wram_long(W_DL_LAST_HEADER) == code) return;
    const int32_t words[2] = {code, dl_header_prio()};
    dl_emit(words, 2);
    wram_long_set(W_DL_LAST_HEADER, code);
}

// Word index of view block `view` of the current buffer.
uint32_t view_block_first_word(uint32_t view) {
    return (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current() + DL_VIEW_BLOCK_BYTES * view) / 4;
}

// A list base given as a pointer into the work-RAM slots reads at its 68020 address.
uint32_t board_address(int64_t base) {
    if (w_is_host_pointer(base)) {
        int32_t index = w_index(base);
        return index >= 0 ? WRAM_BASE + uint32_t(index) : 0;
    }
    return uint32_t(base);
}

}  // namespace

int32_t* dl_put(int32_t* out, int32_t value) {
    if (dspram_fits(out, sizeof(int32_t))) {
        *out = value;
        return out + 1;
    }
    if (dl_guard_count++ == 0)
        fprintf(stderr, "[GUARD] dl_put: cursor %p outside dspram -- word dropped\n", static_cast<void*>(out));
    return out;
}

void dl_put(int32_t value) {
    dl_cursor_set(dl_put(dl_cursor_get(), value));
}

int32_t* dl_put_words(int32_t* out, const int32_t* words, uint32_t count) {
    for (uint32_t i = 0; i < count; i++) out = dl_put(out, words[i]);
    return out;
}

void dl_emit(const int32_t* words, uint32_t count) {
    dl_cursor_set(dl_put_words(dl_cursor_get(), words, count));
}

__attribute__((noinline)) int32_t* dsp_cmd_ptr() {
    return cmd_ptr(__builtin_return_address(0), nullptr);
}

void dl_terminate() {
    int32_t* cursor = dl_cursor_get();
    if (dspram_fits(cursor, sizeof(int32_t))) *cursor = DL_END;
}

int32_t dl_header_prio() {
    return wram_long(W_GAME_SUB_STATE) == 15 ? 3 : 0;
}

void dl_header_8000() {
    header_on_change(DL_HEADER_4);
}

void dl_header_8002() {
    header_on_change(DL_HEADER_11);
}

void dl_header_8002_put(int32_t prio) {
    const int32_t words[2] = {DL_HEADER_11, prio};
    dl_emit(words, 2);
}

void dl_model_header_put(int32_t view) {
    dl_header_8002_put(view);
    camera_zoom_words_emit(view, 2);
}

void camera_zoom_words_emit(int32_t view, int32_t word) {
    if (view < 0 || uint32_t(view) >= DL_VIEW_BLOCKS) return;  // the packets lie beyond block 7
    view_rotation_words_put(uint32_t(view), word);
    dsp_word_set(view_block_first_word(uint32_t(view)) + DL_VIEW_FOV_WORD, VIEW_LENS_30_DEGREES);
}

void view_rotation_words_put(uint32_t view, int32_t word) {
    uint32_t first = view_block_first_word(view);
    const uint32_t angles[3] = {W_CAMERA_PITCH, W_CAMERA_HEADING, W_CAMERA_ROLL};
    for (uint32_t i = 0; i < 3; i++) {
        int32_t pair[2];
        dl_rotation_pair(wram_long(angles[i]), pair);
        dsp_word_set(first + 1 + 2 * i, pair[0]);
        dsp_word_set(first + 2 + 2 * i, pair[1]);
    }
    dsp_word_set(first + 7, word);
}

void dl_marker(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z) {
    const int32_t words[6] = {DL_HEADER_4, prio, model, x, y, z};
    dl_emit(words, 6);
}

void dl_marker_at(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z) {
    dl_marker(prio, model, dl_relative_x(x), dl_relative_y(y), dl_relative_z(z));
}

void dl_object_at(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a, int32_t angle_b,
                  int32_t angle_c, int32_t flags) {
    object_emit(DL_HEADER_11, prio, model, dl_relative_x(x), dl_relative_y(y), dl_relative_z(z), angle_a, angle_b,
                angle_c, flags);
}

void dl_packet_8009(int32_t child, int32_t parent, int32_t destination) {
    const int32_t words[4] = {DL_NODE_COMPOSE, child, parent, destination};
    dl_emit(words, 4);
}

void dl_packet_800a(int32_t model, int32_t slot, int32_t dx, int32_t dy, int32_t dz) {
    // The rig's split arm and leg models are drawn by the rig itself during flight.
    bool split_model = (model >= 44 && model <= 49) || (model >= 69 && model <= 74);
    if (split_model && wram_long(W_GAME_STATE) == 3 && !rig_split()) return;
    const int32_t words[6] = {DL_NODE_MODEL, model, slot, dx, dy, dz};
    dl_emit(words, 6);
}

void dl_model_rotated(int32_t slot, int32_t x, int32_t y, int32_t z, int32_t angle_a, int32_t angle_b,
                      int32_t angle_c, int32_t scale) {
    int32_t words[15] = {DL_NODE, slot, 1};
    node_angles(words + 3, angle_a, angle_b, angle_c);
    const int32_t tail[6] = {scale, 0, x, y, z, DL_END};
    for (int i = 0; i < 6; i++) words[9 + i] = tail[i];
    dl_emit(words, 15);
}

void dl_node_rotated(int32_t slot, int32_t angle_a, int32_t angle_b, int32_t angle_c, int32_t scale) {
    int32_t words[11] = {DL_NODE, slot, 1};
    node_angles(words + 3, angle_a, angle_b, angle_c);
    words[9] = scale;
    words[10] = DL_END;
    dl_emit(words, 11);
}

void dl_bank_select(int32_t objshift) {
    const int32_t words[4] = {DL_LINK, 3, objshift, DL_END};
    dl_emit(words, 4);
}

int32_t* dl_bank_end() {
    int32_t* packet = dl_cursor_get();
    const int32_t words[2] = {DL_LINK, DL_END};
    dl_emit(words, 2);
    return packet;
}

__attribute__((noinline)) int32_t* dl_object_put(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z,
                                                 int32_t angle_a, int32_t angle_b, int32_t angle_c, int32_t flags) {
    return object_put(DL_HEADER_11, reinterpret_cast<const void*>(&dl_object_put), __builtin_return_address(0), prio,
                      model, x, y, z, angle_a, angle_b, angle_c, flags);
}

__attribute__((noinline)) int32_t* dl_object_put_8001(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z,
                                                      int32_t angle_a, int32_t angle_b, int32_t angle_c,
                                                      int32_t flags) {
    return object_put(DL_HEADER_11_HUD, reinterpret_cast<const void*>(&dl_object_put_8001),
                      __builtin_return_address(0), prio, model, x, y, z, angle_a, angle_b, angle_c, flags);
}

int32_t* dl_begin_object(int32_t objshift) {
    const int32_t header[2] = {DL_HEADER_11, dl_header_prio()};
    int32_t* out = dl_put_words(dl_cursor_get(), header, 2);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    if (objshift != wram_long(W_DL_LAST_BANK)) {
        const int32_t link[4] = {DL_LINK, 3, objshift, DL_END};
        out = dl_put_words(out, link, 4);
        wram_long_set(W_DL_LAST_BANK, objshift);
    }
    return out;
}

void dl_copy_packets(uint32_t list, int64_t base) {
    header_on_change(DL_HEADER_4);
    uint32_t at = board_address(base);
    int32_t bx = w_read32(at), by = w_read32(at + 4), bz = w_read32(at + 8), model_base = w_read32(at + 12);
    int32_t* out = dl_cursor_get();
    for (uint32_t address = list;; address += 2) {
        int cell = w_read16(address);
        if (cell < 0 || cell >= 0xFFFF) break;  // the end mark, or nothing decoded there
        const int32_t entry[4] = {
            wrap_add(cell, model_base),
            wrap_add(wrap_mul(cell & 7, CELL_SIZE), wrap_add(dl_relative_x(bx), 0xC000)),
            dl_relative_y(by),
            wrap_add(wrap_mul(cell >> 3, CELL_SIZE), wrap_add(dl_relative_z(bz), 0xC000)),
        };
        int32_t* next = dl_put_words(out, entry, 4);
        bool full = next != out + 4;
        out = next;
        if (full) break;  // everything after would be dropped too
    }
    dl_cursor_set(out);
}

void dl_rotation_pair(int32_t angle, int32_t* pair) {
    pair[0] = math_sin(angle);
    pair[1] = math_cos(angle);
}

int32_t dl_relative_x(int32_t x) {
    return wrap_sub(x, wram_long(W_CAMERA_X));
}

int32_t dl_relative_y(int32_t y) {
    return wrap_sub(y, wram_long(W_CAMERA_Y));
}

int32_t dl_relative_z(int32_t z) {
    return wrap_sub(z, wram_long(W_CAMERA_Z));
}
