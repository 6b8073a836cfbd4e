#include "game/services/ending_emitters.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "game/services/emitter_tables.h"
#include "game/services/object_ram.h"

#include <utility>

namespace {

constexpr int32_t LIST_RECORDS = 256;
constexpr int32_t HEADING_FOLLOW = -1;
constexpr int32_t HEADING_FIXED = -2;
constexpr int32_t TURN_WINDOW = 6144;
constexpr uint32_t BACKDROP_RECORD = 28;
constexpr uint32_t VIEW_BLOCK = 3;

// The heading the list record turns to: toward the player while within the window
// around the limit, else the limit.
int32_t heading_toward_player(int32_t x, int32_t z) {
    int32_t a = (wrap_sub(wrap_neg(math_atan2(wrap_sub(wram_long(W_PLAYER_X), x), wrap_sub(wram_long(W_PLAYER_Z), z))),
                          0x8000)) & 0xFFFF;
    int32_t limit = uint16_t(w_word(W_OBJECT_TURN_LIMIT + 2));
    int32_t diff = (a - limit) & 0xFFFF;
    return diff <= TURN_WINDOW || diff >= 0x10000 - TURN_WINDOW ? a : limit;
}

}  // namespace

void dl_emit_object_list(uint32_t list, int32_t start, int32_t objshift) {
    int32_t* out = dl_begin_object(objshift);
    int32_t first = start / 8;
    const rom_table records = {list, 20, uint32_t(first > 0 ? first : 0) + LIST_RECORDS};
    int32_t ox = wram_long(W_BAND_HEIGHT), oy = wram_long(W_BAND_HEIGHT + 4), oz = wram_long(W_BAND_HEIGHT + 8);
    for (int32_t k = 0; k < LIST_RECORDS; k++) {
        int32_t rec = first + k;
        int32_t model = rom_table_long(records, rec, 0);
        if (!rom_table_record(records, rec) || model < 0) break;
        int32_t off = wrap_add(start, 8 * (k + 1));
        int32_t x = wrap_add(rom_table_long(records, rec, 4), ox), y = wrap_add(rom_table_long(records, rec, 8), oy),
                z = wrap_add(rom_table_long(records, rec, 12), oz);
        int32_t mode = rom_table_long(records, rec, 16);
        int32_t words[11] = {wrap_add(model, (off >> 3) & 7), dl_relative_x(x), dl_relative_y(y), dl_relative_z(z),
                             0, 0x7FFF, 0, 0, 0, 0x7FFF, 0};
        if (mode == HEADING_FIXED) {
            words[6] = wram_long(W_OBJECT_HEADING);
            words[7] = wram_long(W_OBJECT_HEADING + 4);
        } else {
            dl_rotation_pair((mode == HEADING_FOLLOW ? heading_toward_player(x, z) : mode) & 0xFFFC, words + 6);
        }
        out = dl_put_words(out, words, 11);
    }
    dl_cursor_set(out);
}

void ending_backdrop_packets(int64_t point, uint32_t table) {
    dl_header_8002();
    const rom_table records = {table, BACKDROP_RECORD, 4};
    int32_t m = wram_long(W_ENDING_MODE);
    int32_t px = w_read32_offset(point, 0), py = w_read32_offset(point, 4), pz = w_read32_offset(point, 8);
    int32_t pitch = wrap_neg(wram_long(W_CAMERA_PITCH)), heading = wrap_neg(wram_long(W_CAMERA_HEADING));
    for (int32_t i = 0; i < 4; i++) {
        int32_t a[7];
        for (uint32_t k = 0; k < 7; k++) a[k] = rom_table_long(records, i, 4 * k);
        int32_t t = wrap_mul(a[6], math_sin(wrap_mul(m, a[5]))) >> 15;
        int32_t r = wrap_add(i * 0x4000, wrap_mul(m, a[0]));
        int32_t reach = wrap_add(a[1], t);
        int32_t words[11] = {(m & 0x2C) ? 806 + ((m >> 3) & 3) : 810,
                             dl_relative_x(wrap_add(px, wrap_mul(reach, math_cos(r)) >> 15)),
                             dl_relative_y(wrap_add(wrap_add(py, a[4]), wrap_mul(a[3], math_sin(wrap_mul(m, a[2]))) >> 15)),
                             dl_relative_z(wrap_sub(pz, wrap_mul(reach, math_sin(r)) >> 15))};
        dl_rotation_pair(pitch, words + 4);
        dl_rotation_pair(heading, words + 6);
        words[8] = 0;
        words[9] = 0x7FFF;
        words[10] = 0;
        dl_emit(words, 11);
        if (((i ^ (m >> 4)) & 3) == 0) {
            words[0] = rom_table_long(ROM_BACKDROP_MODELS, (m >> 1) & 7, 0);
            dl_emit(words, 11);
        }
    }
}

void camera_viewport_write() {
    uint32_t base = (DL_BUFFER_BASE + dl_buffer_current() * DL_BUFFER_SIZE + VIEW_BLOCK * DL_VIEW_BLOCK_BYTES) / 4;
    int32_t b = w_word(W_VIEW_WIDTH);
    int32_t c = wram_long(W_VIEW_CENTRE);
    int32_t c_low = int16_t(c);
    const std::pair<uint32_t, int32_t> words[] = {
        {14, w_word(W_VIEW_SCALE + 2)},
        {15, b},
        {16, c_low},
        {17, 0},
        {29, 0x10000},
        {30, 0},
        {31, 0},
        {21, wrap_sub(wrap_add(b, wrap_mul(wrap_mul(320 - b, c >> 16), 2) >> 8), 320) & 0xFFFF},
        {22, wrap_add(wrap_add(c, wrap_mul(c_low, -13) >> 3), 150) & 0xFFFF},
    };
    for (auto [word, value] : words) dsp_word_set(base + word, value);
}

void camera_pose_set(int64_t words, int32_t flag) {
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_CAMERA_X + 4 * k, w_read32_offset(words, int32_t(4 * k)));
    if (flag) w_word_set(W_VIEW_POSE_WORD, uint32_t(w_read32_offset(words, 24)));
}
