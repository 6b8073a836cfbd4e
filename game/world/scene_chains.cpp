#include "game/world/scene_chains.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "game/services/emitter_tables.h"
#include "game/services/object_ram.h"
#include "game/world/object_emitters.h"

namespace {

constexpr uint32_t LEVEL_TILT = SINE_TABLE - 2 + 0x4000;  // the pair words of angle 0x4000
constexpr int32_t CHAIN_BANK = -0x10000;
constexpr int32_t RANGE_BANK = 0x7000;
constexpr int32_t RANGE_MODEL = 906;

// The words of the sine table from `address` (the word before a sine, and the sine).
void table_pair(uint32_t address, int32_t* pair) {
    pair[0] = sine_table_word(address);
    pair[1] = sine_table_word(address + 2);
}

// One segment: the node in slot 3 tilted by the pair at tilt_address and turned by the
// pair at SINE_TABLE - 2 + turn, then the model at angle r of the ring at height h.
void segment_emit(uint32_t tilt_address, uint32_t turn, int32_t node_word, int32_t model, int32_t r, int32_t h) {
    int32_t words[21] = {DL_NODE, 3, 0, 0, 0, -23040, 1};
    table_pair(tilt_address, words + 7);
    table_pair(SINE_TABLE - 2 + (turn & 0xFFFC), words + 9);
    const int32_t tail[4] = {0, 0x7FFF, node_word, DL_END};
    for (int i = 0; i < 4; i++) words[11 + i] = tail[i];
    const int32_t place[6] = {DL_NODE_MODEL, model, 3, dl_relative_x(wrap_add(2 * math_sin(r), 0x3C000)),
                              dl_relative_y(wrap_add(h, 99840)), dl_relative_z(wrap_add(2 * math_cos(r), 0x114000))};
    for (int i = 0; i < 6; i++) words[15 + i] = place[i];
    dl_emit(words, 21);
}

// The tilt pair's address when the tilt eases from a over [from, to): a - a cos / 0x8000
// + 0x4000 through the sine table.
uint32_t eased_tilt(int32_t a, int32_t step, int32_t from, int32_t to) {
    int32_t eased = wrap_div(wrap_mul(a, math_cos(linear_map(0, 0x8000, from, to, step))), 0x8000);
    return SINE_TABLE - 2 + uint32_t(wrap_add(wrap_sub(a, eased), 0x4000) & 0xFFFC);
}

// Segment k counts as moving on its step 6: k + 1, and 1 for the eighth.
int32_t moving_segment(int32_t k) {
    return k == 7 ? 1 : k + 1;
}

void bank_open(int32_t bank) {
    dl_bank_select(bank);
    wram_long_set(W_DL_LAST_BANK, bank);
}

void bank_close() {
    dl_bank_end();
    wram_long_set(W_DL_LAST_BANK, 0);
}

}  // namespace

int32_t dl_emit_segment_chain(int32_t t, int32_t u, int32_t n) {
    dl_header_8002();
    bank_open(wram_long(W_GAME_STATE) == 1 ? wrap_sub(wram_long(W_BAND_HEIGHT), 0xD600) : CHAIN_BANK);
    int32_t result = 0;
    for (int32_t k = 0; k < 8; k++) {
        int32_t step = wrap_sub(n, 9 * k), h = u;
        uint32_t tilt = LEVEL_TILT;
        if (step == 6) result = moving_segment(k);
        if (step <= 5) h = wrap_add(t, wrap_div(wrap_mul(wrap_sub(u, t), step), 6));
        if (step >= 36) {
            int32_t a = rom_table_word(ROM_CHAIN_TILTS, k, 0);
            tilt = step < 96 ? eased_tilt(a, step, 36, 96)
                             : SINE_TABLE - 2 + uint32_t(wrap_add(2 * a, 0x4000) & 0xFFFC);
        }
        segment_emit(tilt, uint32_t(rom_table_word(ROM_CHAIN_TURNS, k, 0)), 0, rom_table_word(ROM_SEGMENT_MODELS, k, 0),
                     k * 8192 + 0x8000, h);
    }
    bank_close();
    return result;
}

void chain_scene_render() {
    wram_long_set(W_DL_LAST_BANK, 0);
    wram_long_set(W_DL_LAST_HEADER, 0);
    wram_long_set(W_CHAIN_ORIGIN, 0);
    wram_long_set(W_CHAIN_ORIGIN + 4, -20480);
    wram_long_set(W_CHAIN_ORIGIN + 8, 0);
    w_word_set(W_OBJECT_MODE, 0xFFFF);
    dl_emit_segment_chain(-20480, -20480, 0);
    wram_long_set(W_OBJECT_COMPOUND, int32_t(WRAM_BASE + W_CHAIN_ORIGIN));
    dl_cursor_set(object_packet_fill(dl_cursor_get()));
    for (uint32_t axis = 0; axis < 3; axis++)
        wram_long_set(W_CHAIN_ORIGIN + 4 * axis, wrap_sub(wram_long(W_CHAIN_ORIGIN + 4 * axis),
                                                          wram_long(W_CAMERA_X + 4 * axis)));
    dl_header_8000();
    dl_bank_select(-733);
    const int32_t pos[3] = {wram_long(W_CHAIN_ORIGIN), wram_long(W_CHAIN_ORIGIN + 4), wram_long(W_CHAIN_ORIGIN + 8)};
    dl_cursor_set(object_packet_header(OBJECT_RECORD_COMPOUND, pos, dl_cursor_get()));
}

int32_t radial_packets(int32_t a, int32_t b, int32_t c) {
    dl_header_8002();
    bank_open(CHAIN_BANK);
    int32_t result = 0;
    for (int32_t i = 0; i < 8; i++) {
        // The group's angle is a 16-bit word: i x 8192 + 0x8000 wraps past a full turn.
        int32_t g = (i * 8192 + 0x8000) & 0xFFFF;
        int32_t d = wrap_sub(c, 40 * (i & 1) + 10 * (i / 2)), h = a;
        uint32_t tilt = LEVEL_TILT;
        if (d == 6) result = moving_segment(i);
        if (d > 6) h = wrap_add(a, wrap_div(wrap_mul(d - 6, wrap_sub(b, a)), 174));
        if (d >= 36) tilt = eased_tilt(rom_table_word(ROM_RADIAL_TILTS, i, 0), d, 36, 360);
        segment_emit(tilt, uint32_t(g), 4, rom_table_byte(ROM_RADIAL_MODELS, i, 0), g, h);
    }
    bank_close();
    return result;
}

void range_packets(int32_t t) {
    int32_t pitch = wrap_neg(wrap_add(wram_long(W_CAMERA_PITCH), 0x4000)), heading = wrap_neg(wram_long(W_CAMERA_HEADING));
    for (int32_t r = 0; r < int32_t(ROM_RANGE_RECORDS.count); r++) {
        uint32_t record = rom_table_record(ROM_RANGE_RECORDS, r);
        int32_t start = rom_table_long(ROM_RANGE_RECORDS, r, 0), end = rom_table_long(ROM_RANGE_RECORDS, r, 4);
        if (!record || start < 0) break;
        if (t < start || t > end) continue;
        int32_t angle = rom_table_long(ROM_RANGE_RECORDS, r, 16) & 0xFFFC;
        int32_t y = linear_map(rom_table_long(ROM_RANGE_RECORDS, r, 8), rom_table_long(ROM_RANGE_RECORDS, r, 12),
                               start, end, t);
        int32_t spread = ((int32_t(record) & 0xF) + 12) << 10;
        // The model word: the board took it from beside the record in its own memory;
        // here it is the record's number in its table.
        int32_t words[17] = {DL_LINK, 3, RANGE_BANK, 2, r, DL_END, RANGE_MODEL,
                             dl_relative_x(wrap_add(wrap_mul(sine_table_word(SINE_TABLE - 2 + uint32_t(angle)), 9) >> 2,
                                                    0x3C000)),
                             dl_relative_y(wrap_add(y, 99840)),
                             dl_relative_z(wrap_add(wrap_mul(math_sin(angle), 9) >> 2, 0x114000))};
        dl_rotation_pair(pitch, words + 10);
        dl_rotation_pair(heading, words + 12);
        words[14] = spread;
        words[15] = spread;
        words[16] = 0;
        dl_emit(words, 17);
        wram_long_set(W_DL_LAST_BANK, RANGE_BANK);
    }
}
