// Scenery by level of detail: tiers by place in the visible list, the chunk spawning of
// the near entries, every record kind, the master's header and bank close, the switches
// (no scenery, the far tier, the probe and LOD lines), the course hooks and high props,
// course 2's effects, the guard lines of a full list and hostile tables.
#include "game/world/scenery_objects.h"

#include "board/board_memory.h"
#include "game/services/object_ram.h"
#include "game/services/rom_table.h"
#include "game/world/scenery_hooks.h"
#include "game/world/terrain_props.h"
#include "tests/game/world/object_fixture.h"
#include "tests/support/program_run.h"

#include <cstdlib>
#include <random>
#include <string>

namespace {

class SceneryTest : public ObjectTest {
protected:
    // Visible entries 0..n-1 holding cells 0..n-1, chunk (x, z) = (i x 1000, i x 2000).
    static void visible_cells(int n) {
        for (int i = 0; i < n; i++) {
            uint32_t e = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i);
            w_cell_set(e, i);
            w_cell_set(e + 4, i * 1000);
            w_cell_set(e + 8, i * 2000);
            w_cell_set(W_CHUNK_SLOTS + uint32_t(i), i);
        }
        w_cell_set(W_VISIBLE_COUNT, n);
    }
    // The model words of the 11-word entries written, bank packets skipped.
    std::vector<int32_t> models() {
        std::vector<int32_t> out;
        words_t w = written();
        for (size_t i = 0; i < w.size();) {
            if (w[i] == DL_LINK) {
                i += w[i + 1] == 3 ? 4 : 2;
                continue;
            }
            out.push_back(w[i]);
            i += 11;
        }
        return out;
    }
};

TEST_F(SceneryTest, ThePlaceInTheListChoosesTheTier) {
    for (int n : {30, 23, 12, 5}) {
        SetUp();
        course(0);
        visible_cells(n);
        scenery_lod_select();
        std::vector<int32_t> expected;
        for (int i = 0; i < n && i < 23; i++) {
            int tier = i < 9 ? 2 : i < 16 ? 1 : 0;
            if (!(tier == 2 && i == SYNTH_EMPTY_CELL)) expected.push_back(SYNTH_TIER_BASE(tier) + i);
        }
        EXPECT_EQ(models(), expected) << n << " chunks";
        // Cell 10 offers an object, but at place 10 it gets the middle tier and no spawning.
        EXPECT_EQ(live_count(), 0) << n;
    }
}

TEST_F(SceneryTest, OnlyTheNearEntriesSpawnTheirChunksObjects) {
    for (int place : {0, 8, 9}) {
        SetUp();
        course(0);
        visible_cells(12);
        // Swap cell 10 into `place`.
        uint32_t a = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(place), b = W_VISIBLE_CHUNKS + 160;
        w_cell_set(a, SYNTH_SPAWN_CELL);
        w_cell_set(b, place);
        scenery_lod_select();
        EXPECT_EQ(live(SYNTH_RECORD_SLOT[SYNTH_RECORD_MOVE]), place < 9) << place;
    }
}

TEST_F(SceneryTest, EachKindWritesItsEntry) {
    course(1);
    camera_at(0x1000, 0x2000, 0x3000);
    w_cell_set(W_TRAIN_BASE_Y, -0x2000);
    wram_long_set(W_OBJECT_HEADING, 111);
    wram_long_set(W_OBJECT_HEADING + 4, 222);
    visible({{0, 0x10000, 0x20000}});
    frame(23);
    scenery_lod_select();
    const int32_t cx = 0x10000, cz = 0x20000, y = 0x1000 - 0x2000;
    auto e = [](std::vector<int32_t> head, std::vector<int32_t> pairs, int32_t last) {
        return head + pairs + words_t{last};
    };
    auto p3 = [](int32_t a, int32_t b, int32_t c) { return rom_pair(a) + rom_pair(b) + rom_pair(c); };
    const words_t flat = {0, 0x7FFF};
    int32_t bob = (1000 * rom_pair((256 * 23) & 0xFFFC)[0]) >> 15;
    words_t expected =
        e({520 + ((23 + 3) >> 1 & 7), cx, y, cz}, flat + words_t{111, 222} + flat, 0) +   // 0: camera-facing
        e({550 + 23 % 5, cx + 0x20, y, cz + 0x40}, p3(0x400, 0x800, 0xC00), 4) +        // 1
        e({560, cx, y, cz}, p3(0x400, (23 * 100) & 0xFFFC, 0xC00), 0) +                 // 2: spinning
        e({570, cx, y, cz}, p3(0x400, 0x800, (23 * 50) & 0xFFFC), 4) +                  // 3: spinning
        e({580 + 23 % 3, cx, y + bob, cz}, flat + rom_pair(0x800) + flat, 0) +           // 4: bobbing
        e({590 + 3, cx, y, cz}, p3(0x400, 23 & 0xFFFC, 0xC00), 0) +                      // 5: ROM frame
        e({600, -0x1000, -0x2000, -0x3000}, p3(0x400, 0x800, 0xC00), 4) +                // other: origin
        words_t{DL_LINK, 3, SYNTH_SCENERY_BANK, DL_END} + e({610 + 1, cx, y, cz}, p3(0, 0, 0), 4);  // six-step
    EXPECT_EQ(written(), expected);
}

TEST_F(SceneryTest, TheFarTierSwitchTakesTheLowWord) {
    course(0);
    visible_cells(3);
    object_switches.lod_far_tier = true;
    scenery_lod_select();
    // The low word of the tier long stays 0: every record in the far tier's model.
    EXPECT_EQ(models(), (std::vector<int32_t>{SYNTH_TIER_BASE(0), SYNTH_TIER_BASE(0) + 1, SYNTH_TIER_BASE(0) + 2}));
}

TEST_F(SceneryTest, TheMasterFramesTheListAndClosesTheBank) {
    course(1);
    camera_at(0, 0, 0);
    wram_long_set(W_CAMERA_HEADING, 0x1000);
    visible({{0, 0, 0}});
    objects_render_master();
    words_t w = written();
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(words_t(w.begin(), w.begin() + 2), (words_t{DL_HEADER_11, 0}));
    // Course 1's hook leaves an 0x8000 header; the list goes back to 0x8002 after the
    // six-step record's bank is closed.
    EXPECT_EQ(words_t(w.end() - 2, w.end()), (words_t{DL_HEADER_11, 0}));
    EXPECT_EQ(wram_long(W_DL_LAST_HEADER), DL_HEADER_11);
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0);
    EXPECT_EQ(w_read16(WRAM_BASE + W_OBJECT_TURN_LIMIT), 0xF000);
    EXPECT_EQ(words_t({wram_long(W_OBJECT_HEADING), wram_long(W_OBJECT_HEADING + 4)}), rom_pair(0xF000));
    EXPECT_EQ(w_read16(WRAM_BASE + W_OBJECT_CAMERA_FLAG), 1);
}

TEST_F(SceneryTest, WithoutSceneryLiveObjectsAreDrawnButNeitherSteppedNorSpawned) {
    for (bool off : {false, true}) {
        SetUp();
        course(0);
        object_switches.no_scenery = off;
        visible({{SYNTH_SPAWN_CELL, 0, 0}, {0, 0, 0}});
        spawn(SYNTH_RECORD_JUMPS);  // slot 9, in cell 0
        int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_JUMPS];
        objects_render_master();
        EXPECT_EQ(field_long(s, AO_X), off ? 0 : 100) << off;
        EXPECT_EQ(live(SYNTH_RECORD_SLOT[SYNTH_RECORD_MOVE]), !off) << off;
        bool drawn = false;
        for (int32_t m : written())
            if (m == field(s, AO_MODEL)) drawn = true;
        EXPECT_TRUE(drawn) << off;
    }
}

TEST_F(SceneryTest, HooksWriteOnlyWhileTheirChunkIsHidden) {
    struct row {
        void (*hook)();
        int chunk;
        int32_t model;
    };
    const row rows[] = {{scenery_hook_464, 36, 464}, {scenery_hook_465, 37, 465}, {scenery_hook_466, 38, 466},
                        {scenery_hook_458, 41, 458}, {scenery_hook_460, 46, 460}, {scenery_hook_459, 54, 459},
                        {scenery_hook_461, 62, 461}, {scenery_hook_462, 76, 462}, {scenery_hook_456, 36, 456},
                        {scenery_hook_457, 37, 457}};
    camera_at(100, 200, 300);
    for (const row& r : rows) {
        for (int entry : {-1, 0, 7}) {
            slots_empty();
            slots_set({{r.chunk, entry}});
            wram[W_PROPS_CURSOR] = w_pointer(at(PACKETS0));
            r.hook();
            int32_t* copy = static_cast<int32_t*>(w_host(wram[W_PROPS_CURSOR]));
            words_t w(at(PACKETS0), copy);
            words_t expected = entry == -1 ? words_t{r.model, -100, 40960 - 200, -300} : words_t{};
            EXPECT_EQ(w, expected) << r.model << " " << entry;
        }
    }
}

TEST_F(SceneryTest, HighPropsAppearAboveTheCameraHeight) {
    for (int32_t y : {69632, 69633}) {
        camera_at(0, y, 0);
        wram[W_PROPS_CURSOR] = w_pointer(at(PACKETS0));
        scenery_hook_high_props();
        words_t w(at(PACKETS0), static_cast<int32_t*>(w_host(wram[W_PROPS_CURSOR])));
        if (y == 69632) {
            EXPECT_TRUE(w.empty());
            continue;
        }
        words_t expected;
        for (int row = 0; row < 2; row++)
            for (int32_t i = 0; i < 3; i++)
                expected = expected + words_t{(row ? 1494 : 1486) + i, (0x24000 + 0x18000 * i), 40960 - y,
                                              row ? 0xCC000 : 0xB4000};
        EXPECT_EQ(w, expected);
    }
}

TEST_F(SceneryTest, AHookRecordThatDoesNotFitIsDropped) {
    terrain_props_guard_count = 0;
    uint32_t end = sizeof dspram;
    wram[W_PROPS_CURSOR] = w_pointer(at(end - 12));
    scenery_hook_464();
    EXPECT_EQ(static_cast<int32_t*>(w_host(wram[W_PROPS_CURSOR])), at(end - 12));
    EXPECT_EQ(terrain_props_guard_count, 1u);
    wram[W_PROPS_CURSOR] = w_pointer(at(end - 16));
    scenery_hook_464();
    EXPECT_EQ(static_cast<int32_t*>(w_host(wram[W_PROPS_CURSOR])), at(end));
}

TEST_F(SceneryTest, CourseTwoEffectsDrawTheRingTheListAndTheSingleModel) {
    camera_at(0, 0, 0);
    frame(40);
    effect_group_render();
    std::vector<int32_t> ring_and_list = models();
    ASSERT_EQ(ring_and_list.size(), 16u + 3u);
    for (int i = 0; i < 16; i++) EXPECT_EQ(ring_and_list[size_t(i)], 0x1D8 + ((10 - i) & 7)) << i;
    for (int j = 0; j < 3; j++) EXPECT_EQ(ring_and_list[size_t(16 + j)], 0x1D4 + ((5 - j) & 3)) << j;
    EXPECT_EQ(field(0, AO_MODEL), 0x1D8 | (10 & 7));
    words_t w = written();
    // The first list record at (100000, 40960, 500000), turned by 0, 0x2000, 0.
    size_t list = 16 * 11;
    EXPECT_EQ(words_t(w.begin() + long(list), w.begin() + long(list + 11)),
              (words_t{0x1D4 + 1, 100000, 40960, 500000, sine_table_word(0x20B002), sine_table_word(0x20B004),
                       sine_table_word(0x20B002 + 0x2000), sine_table_word(0x20B004 + 0x2000),
                       sine_table_word(0x20B002), sine_table_word(0x20B004), 4}));

    cursor_at(PACKETS0);
    effect_single_render();
    EXPECT_EQ(written(), (words_t{481 + (10 & 7), 400000, 40960, 690000, 0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 4,
                                  DL_HEADER_4, 0, 480, 0, 40960, 0}));
    EXPECT_EQ(wram_long(W_DL_LAST_HEADER), DL_HEADER_4);
}

TEST_F(SceneryTest, TheEffectListEndsAt256Records) {
    for (uint32_t j = 0; j < 300; j++) rom_put32(0x36190 + 24 * j, 1000 + j);
    effect_group_render();
    EXPECT_EQ(models().size(), 16u + 256u);
}

TEST_F(SceneryTest, AFullListDropsSceneryAndObjectsWithOneLineEach) {
    course(0);
    visible_cells(20);
    slots_set({{0, 0}});
    spawn(SYNTH_RECORD_MOVE);
    uint32_t end = DL_BUFFER_BASE + DL_BUFFER_SIZE;
    testing::internal::CaptureStderr();
    for (int f = 0; f < 2; f++) {
        cursor_at(end - 400);
        objects_render_master();
        EXPECT_LE(reinterpret_cast<uintptr_t>(dl_cursor_get()), reinterpret_cast<uintptr_t>(at(end)));
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(err, "[GUARD] scenery_object_render: DSP cursor full -- remaining scenery dropped"), 1) << err;
    EXPECT_EQ(count_of(err, "[GUARD] animated_objects_render_all: DSP cursor full -- remaining objects dropped"), 1)
        << err;
}

TEST_F(SceneryTest, ProbeAndLodLinesFollowTheirSwitches) {
    course(0);
    visible_cells(17);
    camera_at(0, 0, 0);
    object_switches.lod_log = true;
    object_switches.probe_lo = SYNTH_TIER_BASE(2) + 1;
    object_switches.probe_hi = SYNTH_TIER_BASE(2) + 2;
    testing::internal::CaptureStderr();
    scenery_lod_select();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(err, "[SCEN] f"), 2) << err;
    EXPECT_NE(err.find("kind1 model 3001  rec 0x" ), std::string::npos) << err;
    EXPECT_NE(err.find("[LOD] f"), std::string::npos) << err;
    EXPECT_NE(err.find(" count 17: 0:0k 1:"), std::string::npos) << err;
    EXPECT_NE(err.find(" | 9:"), std::string::npos) << err;
    EXPECT_NE(err.find(" | 16:"), std::string::npos) << err;
}

TEST_F(SceneryTest, SwitchesAreReadFromTheEnvironment) {
    struct row {
        const char *animobj, *probe;
        bool animated;
        int32_t lo, hi;
    };
    for (row r : {row{nullptr, nullptr, true, -1, -1}, row{"0", "5,9", false, 5, 9}, row{"2", "x", true, -1, -1},
                  row{"", "7", false, -1, -1}}) {
        r.animobj ? setenv("SKYVOLTA_ANIMOBJ", r.animobj, 1) : unsetenv("SKYVOLTA_ANIMOBJ");
        r.probe ? setenv("SKYVOLTA_SCENPROBE", r.probe, 1) : unsetenv("SKYVOLTA_SCENPROBE");
        setenv("SKYVOLTA_NO_SCENERY", "", 1);
        object_switches_read();
        EXPECT_EQ(object_switches.animated, r.animated) << (r.animobj ? r.animobj : "unset");
        EXPECT_EQ(object_switches.probe_lo, r.lo);
        EXPECT_EQ(object_switches.probe_hi, r.hi);
        EXPECT_TRUE(object_switches.no_scenery);
        EXPECT_FALSE(object_switches.lod_log);
    }
    unsetenv("SKYVOLTA_ANIMOBJ");
    unsetenv("SKYVOLTA_SCENPROBE");
    unsetenv("SKYVOLTA_NO_SCENERY");
    object_switches = {};
}

// Random tier tables, records, spawn tables, scripts, visible lists and object slots:
// every read stays in its table or the ROM, every write in dspram and work RAM (the
// sanitizer watches the rest).
TEST_F(SceneryTest, HostileTablesAndSlotsStayInBounds) {
    std::mt19937 rng(27);
    auto fill = [&](uint32_t from, uint32_t to) {
        for (uint32_t a = from; a < to; a++) program_rom[a] = uint8_t(rng());
    };
    for (int round = 0; round < 4; round++) {
        SetUp();
        fill(0xAD8D8, 0xB1138);
        fill(0xB2B78, 0xB5EC0);
        fill(SYNTH_SCRIPT_POOL, SYNTH_SCRIPT_POOL + 0x800);
        fill(0x36144, 0x36414);
        for (uint32_t k = 0; k < 16 * ANIMATED_SLOT_SIZE; k += 4)
            wram_long_set(W_ANIMATED_SLOTS + k, int32_t(rng()));
        for (int s = 0; s < ANIMATED_SLOTS; s++)
            if (rng() % 2) field_long_set(s, AO_CURSOR, int32_t(SYNTH_SCRIPT_POOL + (rng() % 0x800)));
        for (uint32_t k = 0; k < 60 * VISIBLE_CHUNK_BYTES; k += 4)
            w_cell_set(W_VISIBLE_CHUNKS + k, int32_t(rng() % 140) - 6);
        for (uint32_t cell = 0; cell < CELL_COUNT; cell++) w_cell_set(W_CHUNK_SLOTS + cell, int32_t(rng() % 14) - 2);
        w_cell_set(W_VISIBLE_COUNT, int32_t(rng() % 70) - 5);
        w_write16(WRAM_BASE + 0x0E68, 8);
        wram[W_PROPS_CURSOR] = w_pointer(at(PACKETS0));
        for (int32_t c = 0; c < 4; c++) {
            w_cell_set(W_COURSE_NUMBER, c);
            for (int f = 0; f < 50; f++) {
                frame(int32_t(rng()));
                cursor_at(PACKETS0);
                objects_render_master();
                ASSERT_LE(reinterpret_cast<uintptr_t>(dl_cursor_get()), reinterpret_cast<uintptr_t>(at(sizeof dspram)));
            }
        }
    }
}

}  // namespace
