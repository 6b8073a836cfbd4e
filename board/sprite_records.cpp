#include "board/sprite_records.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Record field offsets.
constexpr uint32_t F_TILE = 0, F_X = 2, F_Y = 4, F_KEY = 8, F_WIDTH = 12, F_HEIGHT = 14, F_P8 = 16,
                   F_NODEPTH = 18, F_PREV = 20, F_NEXT = 22;
constexpr int32_t X_BIAS = 640, Y_BIAS = 810;
constexpr uint32_t CALL_LIST_MAX = 64;

static_assert(SPRITE_RAM_ATTRIBUTES + 8 * SPRITE_RECORDS_MAX <= sizeof sprite_ram,
              "a full list fits in sprite RAM");

struct call_entry {
    int32_t tile, key, x, y;
};
call_entry call_list[CALL_LIST_MAX];
int call_count = 0;
bool collecting = false;

uint32_t record_offset(uint32_t buffer, uint32_t record) {
    return W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * buffer + SPRITE_RECORD_BYTES * record;
}

int32_t field(uint32_t buffer, uint32_t record, uint32_t f) {
    return w_cell(record_offset(buffer, record) + f);
}

void field_set(uint32_t buffer, uint32_t record, uint32_t f, int32_t value) {
    w_cell_set(record_offset(buffer, record) + f, value);
}

void field16_set(uint32_t buffer, uint32_t record, uint32_t f, int32_t value) {
    field_set(buffer, record, f, int16_t(value));
}

// A link to a sprite record, or 0 (the end) for anything that names none.
uint32_t link(uint32_t buffer, uint32_t record, uint32_t f) {
    int32_t r = field(buffer, record, f);
    return r >= 1 && r <= int32_t(SPRITE_RECORDS_MAX) ? uint32_t(r) : 0;
}

uint32_t write_buffer() {
    return uint32_t(w_word(W_SPRITE_WRITE_BUFFER)) & 3;
}

bool list_halted() {
    return wram_long(W_LIST_HALT) || wram_long(W_ATTRACT_SCENE_FLAG);
}

int tile_word(uint32_t table, int32_t tile) {
    uint32_t magnitude = tile < 0 ? 0u - uint32_t(tile) : uint32_t(tile);
    return bus_read16(table + 2 * magnitude) & 0xFFFF;
}

void put16(uint32_t offset, uint32_t value) {
    sprite_ram[offset] = uint8_t(value >> 8);
    sprite_ram[offset + 1] = uint8_t(value);
}

void put32(uint32_t offset, uint32_t value) {
    put16(offset, value >> 16);
    put16(offset + 2, value);
}

int sprcall_mode() {
    static const int mode = [] {
        if (!env_present("SKYVOLTA_SPRCALL")) return 0;
        int n = env_int("SKYVOLTA_SPRCALL", 0);
        return n > 0 ? n : 1;
    }();
    return mode;
}

void sprite_call_trace(int32_t layer, int32_t tile, int32_t x, int32_t y, int32_t width, int32_t height, int32_t p8,
                       const void* caller) {
    static uint32_t calls = 0;
    if (env_present("SKYVOLTA_SPR") && calls % 120 == 0)
        fprintf(stderr, "    [SPR] f=%d tile=%d CA8=%ld CAC=%ld count=%d AAF0=%ld\n", int(host_frame), int(tile),
               long(wram_long(W_LIST_HALT)), long(wram_long(W_ATTRACT_SCENE_FLAG)), int(wram_long(W_SPRITE_COUNT)),
               long(write_buffer()));
    int mode = sprcall_mode();
    if ((mode == 1 && calls < 400) || (mode > 1 && host_frame == uint32_t(mode)))
        fprintf(stderr, "[SPRCALL] f=%d tile=%d (0x%X) xy=(%d,%d) size=%dx%d p8=%d layer=%d ra=%p\n", int(host_frame),
               int(tile), unsigned(tile), int(x), int(y), int(width), int(height), int(p8), int(layer), caller);
    calls++;
}

// Sprite entry and attribute entry k of a record.
void sprite_entry_write(uint32_t k, uint32_t buffer, uint32_t record) {
    int32_t tile = field(buffer, record, F_TILE);
    uint32_t key = uint32_t(field(buffer, record, F_KEY));
    uint32_t e = SPRITE_RAM_ENTRIES + 16 * (k - 1);
    const uint32_t entry[8] = {
        uint32_t(field(buffer, record, F_X)),      uint32_t(field(buffer, record, F_Y)),
        uint32_t(field(buffer, record, F_WIDTH)),  uint32_t(field(buffer, record, F_HEIGHT)),
        0x00FF,
        uint32_t(tile_word(SPRITE_TILE_TABLE_1, tile)), uint32_t(tile_word(SPRITE_TILE_TABLE_2, tile)),
        uint32_t(field(buffer, record, F_P8)),
    };
    for (uint32_t i = 0; i < 8; i++) put16(e + 2 * i, entry[i]);

    uint32_t attribute = uint32_t(tile_word(SPRITE_TILE_TABLE_3, tile)) | (tile < 0 ? 0x80 : 0);
    uint32_t depth = field(buffer, record, F_NODEPTH) ? 0xFFFF : uint32_t(int8_t(key >> 13));
    uint32_t a = SPRITE_RAM_ATTRIBUTES + 8 * (k - 1);
    put32(a, key);
    put16(a + 4, attribute);
    put16(a + 6, depth);

    static int traced = 0;
    if (env_present("SKYVOLTA_SPRREC") && traced < 6) {
        traced++;
        fprintf(stderr, "    [SPRREC] idx=%d  %04x %04x %04x %04x  ff %04x %04x %04x | attr %08x %04x\n", int(record),
               entry[0] & 0xFFFF, entry[1] & 0xFFFF, entry[2] & 0xFFFF, entry[3] & 0xFFFF, entry[5], entry[6],
               entry[7] & 0xFFFF, key, attribute & 0xFFFF);
    }
}

void sprite_ram_header_write(uint32_t count) {
    static const uint8_t head[16] = {0x00, 0x06, 0x00, 0x01, 0, 0, 0x00, 0x53, 0x03, 0x00, 0x02, 0x00, 0x03, 0x00, 0, 0};
    static const uint8_t control[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
    for (uint32_t i = 0; i < 16; i++) sprite_ram[i] = head[i];
    put16(4, count);
    for (uint32_t i = 0; i < 16; i++) sprite_ram[0x200 + i] = control[i & 7];
}

}  // namespace

void sprite_call(int32_t layer, int32_t tile, int32_t x, int32_t y, int32_t priority, int32_t width,
                 int32_t height, int32_t p8, int32_t nodepth) {
    sprite_call_trace(layer, tile, x, y, width, height, p8, __builtin_return_address(0));
    uint32_t count = uint32_t(wram_long(W_SPRITE_COUNT)) & 0xFFFF;
    if (list_halted() || count >= SPRITE_RECORDS_MAX) return;
    uint32_t r = count + 1;
    wram_long_set(W_SPRITE_COUNT, int32_t(r));
    int32_t key = wrap_add(wrap_shl(layer, 21), priority);

    if (collecting && call_count < int(CALL_LIST_MAX)) call_list[call_count++] = {tile, key & 0xFFFFFF, x, y};

    uint32_t b = write_buffer();
    field16_set(b, r, F_TILE, tile);
    field16_set(b, r, F_X, wrap_add(x, X_BIAS));
    field16_set(b, r, F_Y, wrap_add(y, Y_BIAS));
    field_set(b, r, F_KEY, key);
    field16_set(b, r, F_WIDTH, width);
    field16_set(b, r, F_HEIGHT, height);
    field16_set(b, r, F_P8, p8);
    field16_set(b, r, F_NODEPTH, nodepth);

    // Before the first record whose key is not smaller: equal keys end up newest first.
    uint32_t prev = 0, next = link(b, 0, F_NEXT);
    for (uint32_t steps = 0; next != 0 && steps < SPRITE_RECORDS_MAX; steps++) {
        if (field(b, next, F_KEY) >= key) break;
        prev = next;
        next = link(b, next, F_NEXT);
    }
    field16_set(b, r, F_NEXT, int32_t(next));
    field16_set(b, r, F_PREV, int32_t(prev));
    if (next) field16_set(b, next, F_PREV, int32_t(r));
    field16_set(b, prev, F_NEXT, int32_t(r));
}

void sprite_list_upload() {
    static uint32_t uploads = 0;
    uint32_t b = uint32_t(wram_long(W_FRAME_TICK)) & 3;
    if (env_present("SKYVOLTA_SPR2") && uploads % 120 == 0)
        fprintf(stderr, "    [SPR2] f=%d buf=%d head=%d count=%d halt=%ld CAC=%ld\n", int(host_frame), int(b),
               int(field(b, 0, F_NEXT)), int(wram_long(W_SPRITE_COUNT)), long(wram_long(W_LIST_HALT)),
               long(wram_long(W_ATTRACT_SCENE_FLAG)));
    uploads++;
    if (list_halted()) return;
    w_word_set(W_SPRITE_WRITE_BUFFER, b);

    bool seen[SPRITE_RECORDS_MAX + 1] = {};
    uint32_t n = 0;
    for (uint32_t r = link(b, 0, F_NEXT); r != 0 && !seen[r]; r = link(b, r, F_NEXT)) {
        seen[r] = true;
        sprite_entry_write(++n, b, r);
    }
    sprite_ram_header_write(n);

    wram_long_set(W_SPRITE_COUNT, 0);
    field_set(b, 0, F_PREV, 0);
    field_set(b, 0, F_NEXT, 0);
}

void sprite_call_list_reset() {
    call_count = 0;
}

int sprite_call_list_count() {
    return call_count;
}

void sprite_call_list_get(int n, int32_t* tile, int32_t* key, int32_t* x, int32_t* y) {
    bool valid = n >= 0 && n < call_count;
    call_entry e = valid ? call_list[n] : call_entry{-1, 0, 0, 0};
    if (tile) *tile = e.tile;
    if (key) *key = e.key;
    if (x) *x = e.x;
    if (y) *y = e.y;
}

void sprite_call_list_truncate(int count) {
    if (count >= 0 && count < call_count) call_count = count;
}

void sprite_call_list_collect(bool on) {
    collecting = on;
}
