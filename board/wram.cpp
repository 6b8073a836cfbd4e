#include "board/wram.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/sprite_records.h"

#include <cstdlib>
#include <cstring>

double wram_import_seconds = 0;
double wram_export_seconds = 0;

namespace {

constexpr uint32_t LAST_LONG = WRAM_SIZE - 4;

uint32_t low32(int64_t v) {
    return uint32_t(uint64_t(v));
}

// Slot access by index; indices outside the image read 0 and are not written.
uint32_t slot_low(int64_t x) {
    return x >= 0 && x < WRAM_SIZE ? low32(wram[x]) : 0;
}
void slot_set(int64_t x, uint32_t v) {
    if (x >= 0 && x < WRAM_SIZE) wram[x] = int32_t(v);
}

// The long at work-RAM offset x under the slot convention (aligned, split or odd).
uint32_t long_read(uint32_t x) {
    x &= ~1u;
    if ((x & 2) == 0) return slot_low(x);
    return (slot_low(x - 2) & 0xFFFF) << 16 | slot_low(x + 2) >> 16;
}
void long_write(uint32_t x, uint32_t v) {
    x &= ~1u;
    if ((x & 2) == 0) {
        slot_set(x, v);
        return;
    }
    slot_set(x - 2, (slot_low(x - 2) & 0xFFFF0000u) | v >> 16);
    slot_set(x + 2, (slot_low(x + 2) & 0xFFFFu) | v << 16);
}

// A 68020 address inside work RAM: its offset.
bool wram_offset(int64_t address, uint32_t* offset) {
    if (w_is_host_pointer(address)) return false;
    *offset = low32(address) - WRAM_BASE;
    return *offset < WRAM_SIZE;
}

// A host pointer into an image of n elements of size step: its element index.
bool pointer_index(int64_t address, const void* image, size_t n, size_t step, int64_t* index) {
    uintptr_t p = uintptr_t(address), start = reinterpret_cast<uintptr_t>(image);
    if (p < start || p - start >= n * step) return false;
    *index = int64_t((p - start) / step);
    return true;
}

int32_t host_read32(int64_t address) {
    int32_t v;
    std::memcpy(&v, w_host(address), sizeof v);
    return v;
}
void host_write32(int64_t address, int32_t v) {
    std::memcpy(w_host(address), &v, sizeof v);
}

struct owned_range {
    uint32_t offset;
    uint32_t length;
};

template <size_t N>
void mark_ranges(const owned_range (&ranges)[N]) {
    for (const owned_range& r : ranges) wram_owned_mark(r.offset, r.length);
}

bool legacy_sync() {
    static const bool on = env_on("SKYVOLTA_LEGACY_SYNC");
    return on;
}

}  // namespace

int32_t w_read32(int64_t address) {
    uint32_t x;
    if (w_is_host_pointer(address)) return host_read32(address);
    if (wram_offset(address, &x)) return int32_t(long_read(x));
    return bus_read32(low32(address));
}

void w_write32(int64_t address, int32_t value) {
    uint32_t x;
    if (w_is_host_pointer(address))
        host_write32(address, value);
    else if (wram_offset(address, &x))
        long_write(x, uint32_t(value));
    else
        bus_write32(low32(address), uint32_t(value));
}

void w_add32(uint32_t address, int32_t delta) {
    uint32_t x = address - WRAM_BASE;
    if (x < WRAM_SIZE)
        long_write(x, long_read(x) + uint32_t(delta));
    else
        bus_write32(address, uint32_t(bus_read32(address)) + uint32_t(delta));
}

int w_read16(uint32_t address) {
    uint32_t x = (address - WRAM_BASE) & ~1u;
    if (x >= WRAM_SIZE) return bus_read16(address);
    return int((x & 2) == 0 ? slot_low(x) >> 16 : slot_low(x - 2) & 0xFFFF);
}

void w_write16(uint32_t address, uint32_t value) {
    uint32_t x = (address - WRAM_BASE) & ~1u;
    if (x >= WRAM_SIZE) {
        bus_write16(address, value);
        return;
    }
    value &= 0xFFFF;
    if ((x & 2) == 0)
        slot_set(x, value << 16 | (slot_low(x) & 0xFFFF));
    else
        slot_set(x - 2, (slot_low(x - 2) & 0xFFFF0000u) | value);
}

int32_t w_read32_offset(int64_t base, int32_t offset) {
    int64_t i;
    uint32_t x;
    if (w_is_host_pointer(base)) {
        if (pointer_index(base, wram, WRAM_SIZE, sizeof wram[0], &i)) return int32_t(slot_low(i + offset));
        if (pointer_index(base, program_rom, sizeof program_rom, 1, &i))
            return bus_read32(uint32_t(i) + uint32_t(offset));
        return host_read32(base + (offset >> 2) * 4);
    }
    if (wram_offset(base, &x)) return int32_t(slot_low(int64_t(x) + offset));
    return bus_read32(low32(base) + uint32_t(offset));
}

void w_write32_offset(int64_t base, int32_t offset, int32_t value) {
    int64_t i;
    uint32_t x;
    if (w_is_host_pointer(base)) {
        if (pointer_index(base, wram, WRAM_SIZE, sizeof wram[0], &i))
            slot_set(i + offset, uint32_t(value));
        else if (pointer_index(base, program_rom, sizeof program_rom, 1, &i))
            bus_write32(uint32_t(i) + uint32_t(offset), uint32_t(value));
        else
            host_write32(base + (offset >> 2) * 4, value);
    } else if (wram_offset(base, &x)) {
        slot_set(int64_t(x) + offset, uint32_t(value));
    } else {
        bus_write32(low32(base) + uint32_t(offset), uint32_t(value));
    }
}

int32_t w_index(int64_t value) {
    int64_t i;
    uint32_t x;
    if (w_is_host_pointer(value))
        return pointer_index(value, wram, WRAM_SIZE, sizeof wram[0], &i) ? int32_t(i) : -1;
    if (wram_offset(value, &x)) return int32_t(x);
    uint32_t v = low32(value);
    return v >= 1 && v < WRAM_SIZE ? int32_t(v) : -1;
}

void wram_owned_mark(uint32_t offset, uint32_t length) {
    for (uint32_t i = 0; i < length && offset + uint64_t(i) < WRAM_SIZE; i++) wram_owned[offset + i] = 1;
}

void wram_owned_mark_saved() {
    static const owned_range saved[] = {
        {W_SCORE_TABLE, 124},   // score and ranking part of settings_block
        {W_RANK_TABLES, 676},   // ranking_tables
        {0x17278, 3},           // name_entry_record initials
        {0x1695E, 4},           // race state long
    };
    mark_ranges(saved);
    if (!env_present("SKYVOLTA_BUF_LEGACY")) wram_owned_mark(W_DL_BUFFER_INDEX, 4);
}

void wram_owned_mark_settings_words() {
    static const owned_range words[] = {
        {W_MODE_SETTING, 2}, {W_SETTINGS_DEFAULTED, 2}, {W_SOUND_VOLUMES + 2, 2}, {W_SOUND_VOLUMES + 6, 2}};
    mark_ranges(words);
}

void wram_owned_mark_rest() {
    static const owned_range rest[] = {
        {0x2C0E, 2},         {W_ARMED_FLAG, 2},  // coin state
        {W_RIG_FLAG, 2},                         // cleared by the block-list expansion
        {0x15FE2, 2},        {0x15ED6, 2},       // race words (race log distance first)
        {0x0014, 768},       {0x1234, 128},      // blocks of game variables
        {W_FADE_AMOUNT, 2},  {W_FADE_RED, 2},    // fade_control_word and neighbours
        {W_FADE_RED + 4, 2}, {W_FADE_RING, 62},  // and the fade ring
        {W_SPRITE_BUFFERS, 0x6000},              // sprite_record_list buffers
        {0x0C82, 2},
    };
    mark_ranges(rest);
}

void wram_import() {
    double start = monotonic_seconds();
    bool legacy = legacy_sync();
    const uint8_t* b = wram_bytes;
    for (uint32_t x = 0; x <= LAST_LONG; x += 4) {
        if ((legacy || !wram_owned[x]) && !w_is_host_pointer(wram[x])) wram[x] = int32_t(load_be32(b + x));
        uint32_t y = x + 2;
        if (y <= LAST_LONG && (legacy || !wram_owned[y]) && !w_is_host_pointer(wram[y]))
            wram[y] = int32_t(load_be32(b + y));
    }
    wram_import_seconds += monotonic_seconds() - start;
}

void wram_export() {
    double start = monotonic_seconds();
    uint8_t* b = wram_bytes;
    for (uint32_t x = 0; x <= LAST_LONG; x += 4) {
        uint32_t v = low32(wram[x]);
        b[x] = uint8_t(v >> 24);
        b[x + 1] = uint8_t(v >> 16);
        b[x + 2] = uint8_t(v >> 8);
        b[x + 3] = uint8_t(v);
    }
    wram_export_seconds += monotonic_seconds() - start;
}

bool wram_pointer_range_check() {
    int on_stack = 0;
    const void* probes[] = {&board_memory, reinterpret_cast<const uint8_t*>(&board_memory) + sizeof board_memory - 1,
                            &on_stack};
    for (const void* p : probes)
        if (!w_is_host_pointer(w_pointer(p))) return false;
    return true;
}
