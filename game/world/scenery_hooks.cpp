#include "game/world/scenery_hooks.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/animated_objects_ram.h"
#include "game/services/rom_table.h"
#include "game/services/terrain_ram.h"
#include "game/world/list_room.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_props.h"

namespace {

constexpr int32_t PROP_HEIGHT = 40960;  // the hooks' world height
constexpr int32_t HIGH_PROPS_ABOVE = 69632;
constexpr int32_t OBJECT_FLAGS = 4;
constexpr int32_t RING_MODEL = 0x1D8, RING_RECORDS = 16, LIST_MODEL = 0x1D4, LIST_RECORDS = 256;
constexpr int32_t SINGLE_MODEL = 481, SINGLE_BASE_MODEL = 480;
constexpr int32_t SINGLE_X = 400000, SINGLE_Z = 690000;
constexpr rom_table ROM_RING = {ROM_EFFECT_RING, 20, RING_RECORDS};
constexpr rom_table ROM_LIST = {ROM_EFFECT_LIST, 24, LIST_RECORDS};

// A 4-word props record at the props cursor copy (W 0x09B4): model at a world point
// relative to the camera. A record that does not fit in dspram is dropped whole.
void props_record(int32_t model, int32_t x, int32_t y, int32_t z) {
    int64_t copy = w_slot(W_PROPS_CURSOR);
    if (!w_is_host_pointer(copy)) return;
    int32_t* out = static_cast<int32_t*>(w_host(copy));
    uintptr_t at = reinterpret_cast<uintptr_t>(out), start = reinterpret_cast<uintptr_t>(dspram);
    if (at < start || at > start + sizeof dspram - 4 * sizeof(int32_t)) {
        terrain_props_guard();
        return;
    }
    const int32_t words[4] = {model, dl_relative_x(x), dl_relative_y(y), dl_relative_z(z)};
    w_slot_set(W_PROPS_CURSOR, w_pointer(dl_put_words(out, words, 4)));
}

// A course hook: its model while chunk slot k is empty.
void chunk_hook(uint32_t k, int32_t model) {
    if (int8_t(w_cell_byte(W_CHUNK_SLOTS + k)) == -1) props_record(model, 0, PROP_HEIGHT, 0);
}

// The 16-bit sine-table words at 0x20B002 + k and 0x20B004 + k, k = angle & 0xFFFC.
void rom_pair_before(int32_t angle, int32_t* out) {
    uint32_t k = uint32_t(angle) & 0xFFFC;
    out[0] = sine_table_word(SINE_TABLE - 2 + k);
    out[1] = sine_table_word(SINE_TABLE + k);
}

}  // namespace

void scenery_hook_464() { chunk_hook(36, 464); }
void scenery_hook_465() { chunk_hook(37, 465); }
void scenery_hook_466() { chunk_hook(38, 466); }
void scenery_hook_458() { chunk_hook(41, 458); }
void scenery_hook_460() { chunk_hook(46, 460); }
void scenery_hook_459() { chunk_hook(54, 459); }
void scenery_hook_461() { chunk_hook(62, 461); }
void scenery_hook_462() { chunk_hook(76, 462); }
void scenery_hook_456() { chunk_hook(36, 456); }
void scenery_hook_457() { chunk_hook(37, 457); }

void scenery_hook_high_props() {
    if (wram_long(W_CAMERA_Y) <= HIGH_PROPS_ABOVE) return;
    constexpr int32_t X[3] = {0x24000, 0x3C000, 0x54000};
    for (int32_t row = 0; row < 2; row++)
        for (int32_t i = 0; i < 3; i++)
            props_record((row ? 1494 : 1486) + i, X[i], PROP_HEIGHT, row ? 0xCC000 : 0xB4000);
}

// ---- Course 2's effects -----------------------------------------------------------------------

void effect_group_render() {
    dl_bank_link(0);
    int32_t n = wram_long(W_PLAY_FRAME_COUNTER);
    for (int32_t i = 0; i < RING_RECORDS; i++) {
        int32_t phase = rom_table_long(ROM_RING, i, 0), rx = rom_table_long(ROM_RING, i, 4);
        int32_t rz = rom_table_long(ROM_RING, i, 8), cx = rom_table_long(ROM_RING, i, 12);
        int32_t cz = rom_table_long(ROM_RING, i, 16);
        int32_t a = wrap_add(wrap_mul(n, 32), phase) & 0xFFFC;
        int32_t ox = wrap_mul(rx, math_sin(a)) >> 15, oz = wrap_mul(rz, math_cos(a)) >> 15;
        int32_t e = math_atan2(ox, oz), z = wrap_add(oz, cz);
        int32_t y = wrap_add(wrap_sub(wrap_mul(z, 228), 43160172) / 22546, 76627);
        int32_t words[11] = {RING_MODEL + (((n >> 2) - i) & 7), dl_relative_x(wrap_add(ox, cx)), dl_relative_y(y),
                             dl_relative_z(z), 0, 0x7FFF, 0, 0, 0, 0x7FFF, OBJECT_FLAGS};
        rom_pair_before(wrap_neg(e), words + 6);
        dl_emit(words, 11);
    }
    for (int32_t j = 0; j < LIST_RECORDS && rom_table_long(ROM_LIST, j, 0) > 0; j++) {
        int32_t words[11] = {LIST_MODEL + (((n >> 3) - j) & 3), dl_relative_x(rom_table_long(ROM_LIST, j, 0)),
                             dl_relative_y(rom_table_long(ROM_LIST, j, 4)),
                             dl_relative_z(rom_table_long(ROM_LIST, j, 8))};
        for (uint32_t k = 0; k < 3; k++) rom_pair_before(rom_table_long(ROM_LIST, j, 12 + 4 * k), words + 4 + 2 * k);
        words[10] = OBJECT_FLAGS;
        dl_emit(words, 11);
    }
    w_word_set(W_ANIMATED_SLOTS + AO_MODEL, uint32_t(RING_MODEL | ((n >> 2) & 7)));
}

void effect_single_render() {
    dl_bank_link(0);
    int32_t n = wram_long(W_PLAY_FRAME_COUNTER);
    // The middle pair stands for an orientation the board builds from two ROM bytes.
    const int32_t words[11] = {SINGLE_MODEL + ((n >> 2) & 7), dl_relative_x(SINGLE_X), dl_relative_y(PROP_HEIGHT),
                               dl_relative_z(SINGLE_Z), 0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, OBJECT_FLAGS};
    dl_emit(words, 11);
    const int32_t base[6] = {DL_HEADER_4, 0, SINGLE_BASE_MODEL, dl_relative_x(0), dl_relative_y(PROP_HEIGHT),
                             dl_relative_z(0)};
    dl_emit(base, 6);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_4);
}
