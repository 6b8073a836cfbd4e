#include "board/palette_mixer.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_marks.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t PLANE = 0x8000;  // entries per colour plane
constexpr uint32_t IO_LOOP_ACK = 0x14;  // I/O byte the board program clears in long loops
constexpr int RING_COUNT = 6;
constexpr int RING_ENTRIES = 3;

void palette_set(uint32_t entry, int r, int g, int b) {
    palette_ram[entry] = uint8_t(r);
    palette_ram[PLANE + entry] = uint8_t(g);
    palette_ram[2 * PLANE + entry] = uint8_t(b);
}

uint32_t ring_slot(int k, int i) { return W_FADE_RING + 10 * k + 2 * i; }

// The six targets in ring order; the fog switch is the word at 0xEB20.
int16_t fade_target(int k) {
    if (k == 5) return w_word(W_FOG_ENABLE);
    return int16_t(uint16_t(w_cell(W_FADE_AMOUNT + 2 * k)));
}

// SKYVOLTA_FADELOG: an integer level, 1 when set to something else; read on first use.
int fade_log_level() {
    static int level = -1;
    if (level < 0) {
        const char* s = env_text("SKYVOLTA_FADELOG");
        level = 0;
        if (s) {
            char* end = nullptr;
            long v = strtol(s, &end, 10);
            level = end == s ? 1 : int(std::clamp(v, 0L, 1000L));
        }
    }
    return level;
}

void fade_log(int index) {
    static uint32_t calls;
    int level = fade_log_level();
    if (level < 1) return;
    if (calls++ % 15 == 0) {
        fprintf(stderr, "[FADE] f%u st=%ld/%ld EB16=%ld idx=%ld ring=%ld,%ld,%ld -> mix19=%u mix16..18=%u,%u,%u\n",
                host_frame, long(w_cell(W_GAME_STATE)), long(w_cell(W_GAME_SUB_STATE)),
                long(w_cell(W_FADE_AMOUNT)), long(index), long(int16_t(w_cell(ring_slot(0, 0)))),
                long(int16_t(w_cell(ring_slot(0, 1)))), long(int16_t(w_cell(ring_slot(0, 2)))),
                mixer_registers[MIX_FADE_AMOUNT], mixer_registers[MIX_FADE_COLOUR],
                mixer_registers[MIX_FADE_COLOUR + 1], mixer_registers[MIX_FADE_COLOUR + 2]);
    }
    if (level >= 2) {
        fprintf(stderr, "[MIX ] f%u ", host_frame);
        for (uint32_t r = 0; r <= MIX_TEXT_GROUP; r++) fprintf(stderr, "%02x ", mixer_registers[r]);
        fprintf(stderr, "\n");
    }
}

}  // namespace

void video_mixer_init() {
    mixer_defaults_set();
    fade_state_reset();
    colour_ramp_load();
    static_palette_copy();
    palette_copy();
    cz_registers_init();
}

void mixer_defaults_set() {
    static const uint8_t defaults[0x24] = {
        0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x7F,
        0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x0F, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x03, 0x7F, 0x00, 0x01, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01,
    };
    memcpy(mixer_registers, defaults, sizeof defaults);
}

void fade_state_reset() {
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_FADE_FLAGS, 3);
    w_word_set(W_FOG_ENABLE, 0);
    for (int k = 0; k < RING_COUNT; k++)
        for (int i = 0; i < RING_ENTRIES; i++) w_cell_set(ring_slot(k, i), k == 1 ? 3 : 0);
    w_cell_set(W_FADE_RING_INDEX, 0);
}

void colour_ramp_load() {
    for (uint32_t i = 0; i < 256; i++) {
        uint8_t t = uint8_t(bus_read16(ROM_COLOUR_RAMP + 2 * i) >> 2);
        for (uint32_t c = 0; c < 3; c++) mixer_registers[MIX_LUT_RED + 0x100 * c + i] = t;
    }
}

void static_palette_copy() {
    for (uint32_t k = 1; k < 128; k++) {
        const uint8_t* block = program_rom + ROM_STATIC_PALETTE + 0x300 * (k - 1);
        for (uint32_t j = 0; j < 256; j++) palette_set(256 * k + j, block[j], block[0x100 + j], block[0x200 + j]);
        io_bytes[IO_LOOP_ACK] = 0;
    }
}

void palette_copy() {
    for (uint32_t j = 0; j < 256; j++) {
        const uint8_t* t = program_rom + ROM_GROUP127_TRIPLES + 3 * j;
        palette_set(0x7F00 + j, t[0], t[1], t[2]);
        io_bytes[IO_LOOP_ACK] = 0;
    }
}

void cz_registers_init() {
    for (uint32_t a = CZ_BIAS_0; a <= CZ_BANK_MAP; a += 2) bus_write16(a, 0);
    for (uint32_t k = 0; k < 256; k++) {
        bus_write16(CZ_DENSITY_WINDOW + 2 * k, 21 * k);
        io_bytes[IO_LOOP_ACK] = 0;
    }
}

void colour_tables_init() {
    for (int i = 0; i < 256; i++) palette_set(i, i, i, i);
    for (int i = 0; i < 256; i++) palette_set(0x100 + i, (i & 7) << 5, ((i >> 3) & 7) << 5, i & 0xC0);
    static const uint8_t fixed[4][3] = {{0xFF, 0xFF, 0xFF}, {0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}};
    for (uint32_t g = 2; g <= 5; g++)
        for (uint32_t j = 0; j < 256; j++) palette_set(256 * g + j, fixed[g - 2][0], fixed[g - 2][1], fixed[g - 2][2]);
    for (uint32_t g = 8; g <= 126; g++) {
        const uint8_t* c = program_rom + ROM_GROUP_COLOURS + 3 * ((g - 8) % 3);
        for (uint32_t j = 0; j < 256; j++) palette_set(256 * g + j, c[0], c[1], c[2]);
    }
    for (int r = 0; r < 16; r++) {
        const uint8_t* c = program_rom + ROM_ROW_COLOURS + 3 * (r % 3);
        for (int j = 0; j < 16; j++)
            palette_set(0x7F00 + 16 * r + j, std::max(c[0] - 16 * j, 0), std::max(c[1] - 16 * j, 0),
                        std::max(c[2] - 16 * j, 0));
    }
    for (uint32_t c = 0; c < 3; c++) mixer_registers[MIX_FOG_COLOUR + c] = 0;
}

void cz_table_load() {
    constexpr uint32_t window = CZ_DENSITY_WINDOW - CZ_BIAS_0;
    for (int bank = 3; bank >= 0; bank--) {
        bus_write16(CZ_TABLE_SELECT, uint32_t(bank));
        memcpy(czram + window, program_rom + ROM_CZ_TABLES + 0x200 * (3 - bank), 0x200);
    }
    bus_write16(CZ_ENABLE, 0x7555);
    bus_write16(CZ_BANK_MAP, 0x00E4);
}

void mixer_fade_update() {
    int i = int(uint32_t(w_cell(W_FADE_RING_INDEX)) % RING_ENTRIES);
    fade_log(i);
    int16_t v[RING_COUNT];
    for (int k = 0; k < RING_COUNT; k++) v[k] = int16_t(uint16_t(w_cell(ring_slot(k, i))));
    mixer_registers[MIX_FADE_AMOUNT] = uint8_t(v[0]);
    mixer_registers[MIX_FADE_FLAGS] = uint8_t(v[1]);
    for (int c = 0; c < 3; c++) mixer_registers[MIX_FADE_COLOUR + c] = uint8_t(v[2 + c]);
    if (v[5] != 0) {
        bus_write16(CZ_ENABLE, CZ_FOG_ON);
    } else {
        bus_write16(CZ_ENABLE, 0);
        mixer_registers[MIX_FOG_LEVEL] = 0;
    }
    // A halted display list shows the same frame again: the ring stands still too.
    if (uint32_t(w_cell(W_LIST_HALT)) != 0) return;
    for (int k = 0; k < RING_COUNT; k++) w_cell_set(ring_slot(k, i), fade_target(k));
    w_cell_set(W_FADE_RING_INDEX, (i + 1) % RING_ENTRIES);
}

void mixer_colour_set(int red, int green, int blue) {
    mixer_registers[MIX_BACKGROUND] = uint8_t(red);
    mixer_registers[MIX_BACKGROUND + 1] = uint8_t(green);
    mixer_registers[MIX_BACKGROUND + 2] = uint8_t(blue);
}

void palette_bank_load(int n, int b) {
    if (b < 0 || b >= PALETTE_BANK_COUNT) {
        fprintf(stderr, "[GUARD] palette_bank_load: bank %d outside 0..15 (record %d) -- dropped\n", b, n);
        return;
    }
    int64_t record = int64_t(ROM_PALETTE_BANKS) + 16 * int64_t(n);
    if (record < 0 || record + 4 > PROGRAM_ROM_END) {
        fprintf(stderr, "[GUARD] palette_bank_load: record %d lies outside the program ROM -- dropped\n", n);
        return;
    }
    const uint8_t* r = program_rom + record;
    uint32_t set = uint32_t(r[0]) << 24 | uint32_t(r[1]) << 16 | uint32_t(r[2]) << 8 | r[3];
    uint64_t colours = ROM_COLOUR_SETS + 64 * uint64_t(set);
    if (colours + 64 > PROGRAM_ROM_END) {
        fprintf(stderr, "[GUARD] palette_bank_load: colour set %u of record %d lies outside the program ROM -- dropped\n",
                set, n);
        return;
    }
    for (uint32_t j = 0; j < 16; j++) {
        const uint8_t* c = program_rom + colours + 4 * j;
        uint32_t entry = 0x7F00 + 16 * uint32_t(b) + j;
        palette_set(entry, c[1], c[2], c[3]);
        palette_entry_mark_written(entry);
    }
}

void fade_colour_set(int32_t level) {
    for (uint32_t c = 0; c < 3; c++) w_cell_set(W_FADE_RED + 2 * c, level);
}
