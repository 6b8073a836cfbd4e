// The synthetic object scripts, spawn records and scenery tables (synth_rom_tables.h).
#include "tests/support/synth_rom_tables.h"

namespace {

constexpr uint32_t SPAWN_RECORDS = 0xB2B78, SPAWN_BYTES = 28;
constexpr uint32_t TIER_TABLES = 0xAD8D8, SCENERY_RECORDS = 0xAF0D8, CHUNK_SPAWNS = 0xB0938;
constexpr int CELLS = 128, COURSES = 4, TIERS = 3;
constexpr uint16_t NONE = 0x8000;

struct entry {
    int32_t x, y, z;
    int16_t tilt, heading, tilt2;
    uint16_t control;
};

void script_put(synth_rom_set* set, uint32_t at, std::initializer_list<entry> entries) {
    for (const entry& e : entries) {
        synth_put32(set, at, uint32_t(e.x));
        synth_put32(set, at + 4, uint32_t(e.y));
        synth_put32(set, at + 8, uint32_t(e.z));
        synth_put16(set, at + 12, uint16_t(e.tilt));
        synth_put16(set, at + 14, uint16_t(e.heading));
        synth_put16(set, at + 16, uint16_t(e.tilt2));
        synth_put16(set, at + 18, e.control);
        at += 20;
    }
}

struct spawn {
    uint32_t script;
    int16_t model, lead;
    uint16_t flags;
    int16_t frames, shift, match;
    int32_t limit, bank;
    uint16_t facing;
    int16_t slot;
};

void spawn_put(synth_rom_set* set, uint32_t at, const spawn& r) {
    synth_put32(set, at, r.script);
    synth_put16(set, at + 4, uint16_t(r.model));
    synth_put16(set, at + 6, uint16_t(r.lead));
    synth_put16(set, at + 8, r.flags);
    synth_put16(set, at + 10, uint16_t(r.frames));
    synth_put16(set, at + 12, uint16_t(r.shift));
    synth_put16(set, at + 14, uint16_t(r.match));
    synth_put32(set, at + 16, uint32_t(r.limit));
    synth_put32(set, at + 20, uint32_t(r.bank));
    synth_put16(set, at + 24, r.facing);
    synth_put16(set, at + 26, uint16_t(r.slot));
}

// A patrol record into `slot` (persistent, own heading).
spawn patrol(int16_t slot) {
    return {SYNTH_SCRIPT_PATROL, int16_t(200 + slot), 0, 0x0480, 1, 0, 0, 0, 0, NONE, slot};
}

struct scenery {
    int16_t base[3], frames[3], x, z;
    int32_t y;
    int16_t p, q, r;
    uint8_t kind, shift;
    int32_t bank;
};

void scenery_put(synth_rom_set* set, int32_t w, const scenery& s) {
    uint32_t at = SCENERY_RECORDS + 32 * uint32_t(w);
    for (uint32_t t = 0; t < 3; t++) {
        synth_put16(set, at + 2 * t, uint16_t(s.base[t]));
        synth_put16(set, at + 6 + 2 * t, uint16_t(s.frames[t]));
    }
    synth_put16(set, at + 12, uint16_t(s.x));
    synth_put16(set, at + 14, uint16_t(s.z));
    synth_put32(set, at + 16, uint32_t(s.y));
    synth_put16(set, at + 20, uint16_t(s.p));
    synth_put16(set, at + 22, uint16_t(s.q));
    synth_put16(set, at + 24, uint16_t(s.r));
    synth_put8(set, at + 26, s.kind);
    synth_put8(set, at + 27, s.shift);
    synth_put32(set, at + 28, uint32_t(s.bank));
}

}  // namespace

void synth_object_scripts(synth_rom_set* set) {
    script_put(set, SYNTH_SCRIPT_MOVE,
               {{0, 0, 0, 0, 0x3F00, 0, 4},
                {SYNTH_MOVE_X, SYNTH_MOVE_Y, SYNTH_MOVE_Z, 0x100, 0x100, 0, 0},
                {SYNTH_MOVE_X, SYNTH_MOVE_Y, SYNTH_MOVE_Z, 0x100, 0x100, 0, 1},
                {SYNTH_MOVE_LAST_X, 0, 0, 0, 0x100, 0, 0x8300},
                {0, 0, 0, 0, 0, 0, 0}});
    script_put(set, SYNTH_SCRIPT_HIDE,
               {{100, 0, 0, 0, 0, 0, 0x82FC},
                {SYNTH_HIDE_FRAMES, 0, 0, 0, 0, 0, 2},
                {SYNTH_HIDE_X, 0, 0, 0, 0, 0, 0x8300},
                {0, 0, 0, 0, 0, 0, 0}});
    script_put(set, SYNTH_SCRIPT_OPCODES,
               {{10, 20, 30, 0, 0, 0, 0x82F3},
                {0x1111, 0, 0, 0, 0, 0, 0x82F4},
                {0x2222, 0, 0, 0, 0, 0, 0x82F5},
                {0, 0, 0, 0, 0, 0, 0x82F6},
                {0, 0, 0, 0, 0, 0, 0x82F8},
                {SYNTH_OPCODE_SOUND, 0, 0, 0, 0, 0, 0x82F9},
                {0x3333, 0, 0, 0, 0, 0, 0x82FA},
                {0x4444, 0, 0, 0, 0, 0, 0x82FB},
                {SYNTH_OPCODE_MODEL, 0, 0, 0, 0, 0, 0x82FD},
                {SYNTH_CHILD_RECORD, 1, 0, 0, 0, 0, 0x82FE},
                {1, 0, 0, 0, 0, 0, 0x82F5},
                {SYNTH_TELEPORT_X, SYNTH_TELEPORT_Y, SYNTH_TELEPORT_Z, 0, 0x200, 0, 3},
                {SYNTH_TELEPORT_X + 300, SYNTH_TELEPORT_Y, SYNTH_TELEPORT_Z, 0, 0x200, 0, 0x82FF},
                {2, 0, 0, 0, 0, 0, 0x82F5},
                {0, 0, 0, 0, 0, 0, 0x8300},
                {0, 0, 0, 0, 0, 0, 0x82F7},
                {0, 0, 0, 0, 0, 0, 0x82F5},
                {0, 0, 0, 0, 0, 0, 0}});
    script_put(set, SYNTH_SCRIPT_JUMPS,
               {{0, 0, 0, 0, 0, 0, 3},
                {300, 0, 0, 0, 0, 0, 0x82F6},
                {0, 0, 0, 0, 0, 0, 0x82FF},
                {2, 0, 0, 0, 0, 0, 4},
                {0, 0, 0, 0, 0, 0, 0x8300},
                {300, 0, 900, 0, 0, 0, 0x82F7},
                {0, 0, 0, 0, 0, 0, 2},
                {0, 0, 0, 0, 0, 0, 0}});
    script_put(set, SYNTH_SCRIPT_RUNAWAY,
               {{0, 0, 0, 0, 0, 0, 0x82F6},
                {0, 0, 0, 0, 0, 0, 0x82F7},
                {0, 0, 0, 0, 0, 0, 0x82F5},
                {0, 0, 0, 0, 0, 0, 0}});
    script_put(set, SYNTH_SCRIPT_OFF_ROM,
               {{0, 0, 0, 0, 0, 0, 0x82FF},
                {SYNTH_OFF_ROM_ENTRIES, 0, 0, 0, 0, 0, 3},
                {0, 0, 0, 0, 0, 0, 0}});
    uint32_t at = SYNTH_SCRIPT_PATROL;
    script_put(set, at, {{0, 0, 0, 0, 0, 0, SYNTH_PATROL_LEG}, {SYNTH_PATROL_LEG, 0, 0, 0, 0, 0, 0x82FA},
                         {SYNTH_PATROL_BANK, 0, 0, 0, 0, 0, SYNTH_PATROL_LEG}});
    for (int32_t leg = 2; leg <= 10; leg++)
        script_put(set, at + 20 * uint32_t(leg + 1), {{SYNTH_PATROL_LEG * leg, 0, 0, 0, 0, 0, SYNTH_PATROL_LEG}});
}

void synth_spawn_records(synth_rom_set* set) {
    const spawn records[SYNTH_SPAWN_RECORDS] = {
        {SYNTH_SCRIPT_MOVE, 100, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 101, 0, 0x0400, 1, 0, 0, 0, 0, 2048, 0},
        {SYNTH_SCRIPT_MOVE, 102, 0, 0x0410, 1, 0, SYNTH_MATCH_SQUARE, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 103, 0, 0x0420, 1, 0, SYNTH_MATCH_CELL, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 104, 0, 0x0440, 1, 0, 0, SYNTH_HEIGHT_LIMIT, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 105, 0, 0x0442, 1, 0, 0, SYNTH_HEIGHT_LIMIT, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 106, 0, 0x0400, 1, 0, 0, 0, 0, NONE, 0},
        {0x5000, 107, 0, 0x0400, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_HIDE, 108, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_OPCODES, 109, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 110, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_JUMPS, 111, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_RUNAWAY, 112, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_OFF_ROM, 113, 0, 0x0480, 1, 0, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_PATROL, 300, 0, 0x0484, 8, 1, 0, 0, 0, NONE, 0},
        {SYNTH_SCRIPT_MOVE, 114, 16, 0x0581, 1, 0, 0, 0x20, 0x10, NONE, 0},
    };
    for (int n = 0; n < SYNTH_SPAWN_RECORDS; n++) {
        spawn r = records[n];
        r.slot = int16_t(SYNTH_RECORD_SLOT[n]);
        spawn_put(set, SPAWN_RECORDS + SPAWN_BYTES * uint32_t(n), r);
    }
}

void synth_course_objects(synth_rom_set* set) {
    struct group {
        uint32_t at;
        int count;
        int16_t first_slot;
    };
    for (const group& g : {group{0xB5D8C, 3, 8}, group{0xB5DE0, 4, 11}, group{0xB5E50, 4, 8}, group{0xB3084, 1, 12}})
        for (int i = 0; i < g.count; i++)
            spawn_put(set, g.at + SPAWN_BYTES * uint32_t(i), patrol(int16_t(g.first_slot + i)));
}

void synth_chunk_spawns(synth_rom_set* set) {
    for (int c = 0; c < COURSES; c++)
        for (int cell = 0; cell < CELLS; cell++) {
            uint32_t at = CHUNK_SPAWNS + 512 * uint32_t(c) + 4 * uint32_t(cell);
            bool offers = c == 0 && cell == SYNTH_SPAWN_CELL;
            synth_put8(set, at, offers ? uint8_t(SYNTH_RECORD_MOVE) : 0x80);
            synth_put8(set, at + 1, offers ? 1 : 0);
            synth_put16(set, at + 2, 0);
        }
}

void synth_tier_tables(synth_rom_set* set) {
    for (int c = 0; c < COURSES; c++)
        for (int t = 0; t < TIERS; t++)
            for (int cell = 0; cell < CELLS; cell++) {
                uint32_t at = TIER_TABLES + 1536 * uint32_t(c) + 512 * uint32_t(t) + 4 * uint32_t(cell);
                uint16_t first = NONE, count = 0;
                if (c == 0 && !(t == 2 && cell == SYNTH_EMPTY_CELL)) first = uint16_t(cell), count = 1;
                if (c == 1) first = SYNTH_KIND_RECORDS, count = 8;
                synth_put16(set, at, first);
                synth_put16(set, at + 2, count);
            }
}

void synth_scenery_records(synth_rom_set* set) {
    for (int16_t w = 0; w < SYNTH_KIND_RECORDS; w++)
        scenery_put(
            set, w,
            {{int16_t(SYNTH_TIER_BASE(0) + w), int16_t(SYNTH_TIER_BASE(1) + w), int16_t(SYNTH_TIER_BASE(2) + w)},
             {1, 1, 1},
             0x100,
             0x200,
             0x3000,
             0x1000,
             0x2000,
             0x3000,
             1,
             0,
             0});
    const scenery kinds[8] = {
        {{500, 510, 520}, {8, 8, 8}, 0, 0, 0x1000, 0, 3, 0, 0, 1, 0},                // camera-facing, phase 3
        {{530, 540, 550}, {5, 5, 5}, 0x10, 0x20, 0x1000, 0x400, 0x800, 0xC00, 1, 0, 0},
        {{560, 560, 560}, {1, 1, 1}, 0, 0, 0x1000, 0x400, 100, 0xC00, 2, 0, 0},     // spinning q
        {{570, 570, 570}, {1, 1, 1}, 0, 0, 0x1000, 0x400, 0x800, 50, 3, 0, 0},      // spinning r
        {{580, 580, 580}, {3, 3, 3}, 0, 0, 0x1000, 256, 0x800, 1000, 4, 0, 0},      // bobbing
        {{590, 590, 590}, {4, 4, 4}, 0, 0, 0x1000, 0x400, 1, 0xC00, 5, 0, 0},       // ROM frames
        {{600, 600, 600}, {1, 1, 1}, 0x40, 0x40, 0x1000, 0x400, 0x800, 0xC00, 9, 0, 0},  // world origin
        {{610, 610, 610}, {-1, -1, -1}, 0, 0, 0x1000, 0, 0, 0, 1, 2, SYNTH_SCENERY_BANK},
    };
    for (int k = 0; k < 8; k++) scenery_put(set, SYNTH_KIND_RECORDS + k, kinds[k]);
}

void synth_scenery_frame_tables(synth_rom_set* set) {
    for (uint32_t i = 0; i < 32; i++) synth_put16(set, 0x36144 + 2 * i, uint16_t(3 - i % 4));
    const uint16_t six[6] = {0, 1, 2, 3, 2, 1};
    for (uint32_t i = 0; i < 6; i++) synth_put16(set, 0x36184 + 2 * i, six[i]);
    for (uint32_t cell = 0; cell < uint32_t(CELLS); cell++) synth_put8(set, 0x36394 + cell, cell == 90 ? 1 : 0);
}

void synth_effect_records(synth_rom_set* set) {
    for (uint32_t i = 0; i < 16; i++) {
        const uint32_t r[5] = {0x1000 * i, 10000, 20000, 400000, 690000};
        for (uint32_t k = 0; k < 5; k++) synth_put32(set, 0x361DC + 20 * i + 4 * k, r[k]);
    }
    for (uint32_t j = 0; j < 3; j++) {
        const uint32_t r[6] = {100000 * (j + 1), 40960, 500000, 0x1000 * j, 0x2000, 0};
        for (uint32_t k = 0; k < 6; k++) synth_put32(set, 0x36190 + 24 * j + 4 * k, r[k]);
    }
    synth_put32(set, 0x36190 + 72, 0);
}

void synth_figure_models(synth_rom_set* set) {
    for (uint32_t t = 0; t < 3; t++) synth_put32(set, 0x3632C + 4 * t, uint32_t(SYNTH_FIGURE_MODELS[t]));
}
