// The animated-object and scenery tests: the chunk fixture with every chunk slot empty,
// the object switches at their defaults, every object slot free, and accessors of the
// slots' fields and the synthetic spawn records.
#pragma once
#include "game/services/animated_objects_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/animated_objects.h"
#include "game/world/object_switches.h"
#include "game/world/scenery_objects.h"
#include "tests/game/world/chunk_fixture.h"

#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

class ObjectTest : public ChunkTest {
protected:
    void SetUp() override {
        ChunkTest::SetUp();
        object_switches = {};
        animated_cursor_reports = 0;
        animated_guard_count = 0;
        scenery_guard_count = 0;
        course(1);  // no fixed objects
        animated_objects_reset_all();
        slots_empty();
        wram_long_set(W_GAME_STATE, 3);
    }
    static void slots_empty() {
        for (uint32_t cell = 0; cell < CELL_COUNT; cell++) w_cell_set(W_CHUNK_SLOTS + cell, -1);
    }
    // Chunk slot entries by cell.
    static void slots_set(std::initializer_list<std::pair<int, int>> cells) {
        for (auto [cell, entry] : cells) w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), entry);
    }
    static uint32_t record(int n) { return ROM_SPAWN_RECORDS + SPAWN_RECORD_BYTES * uint32_t(n); }
    static void spawn(int n) { animated_object_spawn(record(n)); }
    static uint32_t slot_at(int s) { return animated_slot(s); }
    static int32_t field(int s, uint32_t f) { return int16_t(w_read16(WRAM_BASE + slot_at(s) + f)); }
    static void field_set(int s, uint32_t f, int32_t v) { w_write16(WRAM_BASE + slot_at(s) + f, uint32_t(v) & 0xFFFF); }
    static int32_t field_long(int s, uint32_t f) { return wram_long(slot_at(s) + f); }
    static void field_long_set(int s, uint32_t f, int32_t v) { wram_long_set(slot_at(s) + f, v); }
    static uint32_t state(int s) { return uint32_t(w_read16(WRAM_BASE + slot_at(s) + AO_STATE)); }
    static bool live(int s) { return state(s) < AO_FREE; }
    static int32_t live_count() { return int16_t(w_read16(WRAM_BASE + W_AO_LIVE)); }
    static void frame(int32_t n) { wram_long_set(W_PLAY_FRAME_COUNTER, n); }
    // A visible list of (cell, x, z) entries.
    static void visible(std::initializer_list<std::tuple<int, int32_t, int32_t>> entries) {
        int32_t i = 0;
        for (auto [cell, x, z] : entries) {
            uint32_t e = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i);
            w_cell_set(e, cell);
            w_cell_set(e + 4, x);
            w_cell_set(e + 8, z);
            w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), i++);
        }
        w_cell_set(W_VISIBLE_COUNT, i);
    }
    // (sin, cos) of a 14-bit angle word as the synthetic ROM holds them.
    static std::vector<int32_t> pair14(int32_t a) { return rom_pair((a & 0x3FFF) << 2); }
};
