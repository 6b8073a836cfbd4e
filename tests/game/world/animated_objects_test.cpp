// Animated objects: moves frame by frame, every opcode, jumps with and without counts,
// runaway and off-ROM runs; spawn conditions, placement, the pre-roll of the course
// objects; the keep-alive cull; the drawing's packets and the slots 8-15 bank choice.
#include "game/world/animated_objects.h"

#include "board/inputs.h"
#include "tests/game/world/object_fixture.h"
#include "tests/support/program_run.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

using AnimatedObjectTest = ObjectTest;

TEST_F(AnimatedObjectTest, MoveReachesItsTargetOnItsFrameAndTurnsThroughZero) {
    spawn(SYNTH_RECORD_MOVE);
    ASSERT_TRUE(live(0));
    EXPECT_EQ(live_count(), 1);
    struct row {
        int32_t x, y, z, tilt, heading;
    };
    // Count 4 to the second pose (heading 0x3F00 unwrapped to -0x100 first), count 0
    // holding it a frame, count 1 to the last pose.
    const row rows[] = {
        {100, -200, 300, 0x40, -0x80}, {200, -400, 600, 0x80, 0},       {300, -600, 900, 0xC0, 0x80},
        {400, -800, 1200, 0x100, 0x100}, {400, -800, 1200, 0x100, 0x100}, {SYNTH_MOVE_LAST_X, 0, 0, 0, 0x100},
    };
    for (const row& r : rows) {
        animated_object_script_run(0);
        int frame_no = int(&r - rows) + 1;
        EXPECT_EQ(field_long(0, AO_X), r.x) << "frame " << frame_no;
        EXPECT_EQ(field_long(0, AO_Y), r.y) << "frame " << frame_no;
        EXPECT_EQ(field_long(0, AO_Z), r.z) << "frame " << frame_no;
        EXPECT_EQ(field(0, AO_TILT), r.tilt) << "frame " << frame_no;
        EXPECT_EQ(field(0, AO_HEADING), r.heading) << "frame " << frame_no;
    }
    animated_object_script_run(0);  // 0x8300
    EXPECT_EQ(state(0), AO_FREE);
    EXPECT_EQ(live_count(), 0);
}

TEST_F(AnimatedObjectTest, WithoutItsOwnHeadingAnObjectFacesTheCamera) {
    spawn(SYNTH_RECORD_MOVE);
    field_set(0, AO_STATE, int32_t(state(0) & ~AO_OWN_HEADING));
    w_write16(WRAM_BASE + W_OBJECT_TURN_LIMIT, 0x1234);
    animated_object_script_run(0);
    EXPECT_EQ(field(0, AO_HEADING), 0x1234);
}

TEST_F(AnimatedObjectTest, HideWaitsItsFramesUndrawnThenMoves) {
    spawn(SYNTH_RECORD_HIDE);
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_HIDE];
    slots_set({{0, 0}});
    for (int f = 1; f <= SYNTH_HIDE_FRAMES; f++) {
        animated_object_script_run(s);
        cursor_at(PACKETS0);
        animated_objects_render_all();
        EXPECT_TRUE(state(s) & AO_HIDDEN) << f;
        EXPECT_TRUE(written().empty()) << f;
        EXPECT_EQ(field_long(s, AO_X), 100) << f;
    }
    animated_object_script_run(s);
    EXPECT_FALSE(state(s) & AO_HIDDEN);
    EXPECT_EQ(field_long(s, AO_X), 100 + (SYNTH_HIDE_X - 100) / 2);
    cursor_at(PACKETS0);
    animated_objects_render_all();
    EXPECT_EQ(written().size(), 11u);
}

TEST_F(AnimatedObjectTest, EveryOpcodeTakesEffectInOneRun) {
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_OPCODES], child = SYNTH_RECORD_SLOT[SYNTH_RECORD_CHILD];
    spawn(SYNTH_RECORD_OPCODES);
    int32_t model = field(s, AO_MODEL);
    animated_object_script_run(s);
    EXPECT_EQ(field_long(s, AO_BANK_B), 0x3333);
    EXPECT_EQ(field_long(s, AO_BANK_A), 0x4444);
    EXPECT_TRUE(state(s) & AO_TOGGLE);
    EXPECT_EQ(w_read16(WRAM_BASE + W_AO_MODEL_WORDS + 4 * uint32_t(model) + 2), 0x2222);
    EXPECT_EQ(field(s, AO_MODEL), SYNTH_OPCODE_MODEL);
    EXPECT_EQ(sound_ram_word(2 * uint32_t(SYNTH_OPCODE_SOUND)) & 0x4000, 0x4000u);
    EXPECT_TRUE(live(child));
    EXPECT_EQ(field_long(s, AO_LOOP), int32_t(SYNTH_SCRIPT_OPCODES));
    // Teleported to entry 11, a third of the way to entry 12.
    EXPECT_EQ(field_long(s, AO_X), SYNTH_TELEPORT_X + 100);
    EXPECT_EQ(field_long(s, AO_Y), SYNTH_TELEPORT_Y);
    EXPECT_EQ(field(s, AO_COUNT), 2);
    animated_object_script_run(s);
    animated_object_script_run(s);
    EXPECT_EQ(field_long(s, AO_X), SYNTH_TELEPORT_X + 300);
    // 0x82FF with an opcode jumps over 0x8300; 0x82F7 with an opcode jumps to the loop
    // mark, and the list runs again (the toggle flips back, the teleport repeats).
    animated_object_script_run(s);
    EXPECT_TRUE(live(s));
    EXPECT_FALSE(state(s) & AO_TOGGLE);
    EXPECT_EQ(field_long(s, AO_X), SYNTH_TELEPORT_X + 100);
}

TEST_F(AnimatedObjectTest, JumpsWithACountMoveToTheirTarget) {
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_JUMPS];
    spawn(SYNTH_RECORD_JUMPS);
    // (frame, x, z): count 3 to entry 1; 0x82FF over 0x8300 to entry 5 over 4; 0x82F7
    // back to the loop mark (entry 1) over 2.
    const int32_t rows[][3] = {{3, 300, 0}, {4, 300, 225}, {7, 300, 900}, {8, 300, 450}, {9, 300, 0}};
    int f = 0;
    for (const auto& r : rows) {
        while (f < r[0]) animated_object_script_run(s), f++;
        EXPECT_EQ(field_long(s, AO_X), r[1]) << "frame " << r[0];
        EXPECT_EQ(field_long(s, AO_Z), r[2]) << "frame " << r[0];
        EXPECT_TRUE(live(s));
    }
}

TEST_F(AnimatedObjectTest, ARunawayLoopStopsAndTheObjectHolds) {
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_RUNAWAY];
    spawn(SYNTH_RECORD_RUNAWAY);
    for (int f = 0; f < 3; f++) animated_object_script_run(s);
    EXPECT_TRUE(live(s));
    EXPECT_EQ(field_long(s, AO_CURSOR), int32_t(SYNTH_SCRIPT_RUNAWAY));
    EXPECT_EQ(field_long(s, AO_X), 0);
}

// A chain of n opcode words, then a count of 7 to a pose at x = 999: the run reaches
// the count only while it is at most the 4096th word.
TEST_F(AnimatedObjectTest, ARunStopsAfter4096ControlWords) {
    constexpr uint32_t CHAIN = 0x300000;
    for (int n : {SCRIPT_RUN_LIMIT - 1, SCRIPT_RUN_LIMIT}) {
        SetUp();
        for (int k = 0; k <= n + 1; k++) {
            uint32_t at = CHAIN + SCRIPT_ENTRY_BYTES * uint32_t(k);
            std::memset(program_rom + at, 0, SCRIPT_ENTRY_BYTES);
            rom_put16(at + 18, k < n ? 0x82F5 : 7);
        }
        rom_put32(CHAIN + SCRIPT_ENTRY_BYTES * uint32_t(n + 1), 999 * 7);
        rom_put32(record(SYNTH_RECORD_RUNAWAY), CHAIN);
        spawn(SYNTH_RECORD_RUNAWAY);
        int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_RUNAWAY];
        animated_object_script_run(s);
        bool reached = n < SCRIPT_RUN_LIMIT;
        EXPECT_EQ(field_long(s, AO_X), reached ? 999 : 0) << n;
        EXPECT_EQ(field_long(s, AO_CURSOR), int32_t(reached ? CHAIN + SCRIPT_ENTRY_BYTES * uint32_t(n + 1) : CHAIN))
            << n;
    }
}

TEST_F(AnimatedObjectTest, AJumpOrTeleportOutOfRomEndsTheRunUnread) {
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_OFF_ROM];
    struct row {
        uint16_t opcode;
        int32_t entries;
    };
    for (row r : {row{0x82FF, SYNTH_OFF_ROM_ENTRIES}, row{0x82FF, -0x20000}, row{0x82FE, SYNTH_OFF_ROM_ENTRIES},
                  row{0x82FE, INT32_MIN}, row{0x82FF, INT32_MAX}}) {
        SetUp();
        rom_put16(SYNTH_SCRIPT_OFF_ROM + 18, r.opcode);
        rom_put32(SYNTH_SCRIPT_OFF_ROM + SCRIPT_ENTRY_BYTES, uint32_t(r.entries));
        spawn(SYNTH_RECORD_OFF_ROM);
        animated_object_script_run(s);
        EXPECT_TRUE(live(s)) << r.entries;
        EXPECT_EQ(field_long(s, AO_CURSOR), int32_t(SYNTH_SCRIPT_OFF_ROM)) << r.entries;
        EXPECT_EQ(field_long(s, AO_X), 0) << r.entries;
    }
}

TEST_F(AnimatedObjectTest, ACursorOutsideRomIsReportedOnce) {
    spawn(SYNTH_RECORD_MOVE);
    field_long_set(0, AO_CURSOR, 0x500000);
    field_long_set(0, AO_X, 77);
    testing::internal::CaptureStderr();
    animated_object_script_run(0);
    animated_object_script_run(0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(err, "script cursor 0x500000 is not in ROM, skipping"), 1) << err;
    EXPECT_EQ(field_long(0, AO_X), 77);
}

TEST_F(AnimatedObjectTest, TheLogAndRecordSwitchesPrintTheirLines) {
    object_switches.ao_log = true;
    object_switches.ao_records = true;
    slots_set({{0, 0}});
    testing::internal::CaptureStderr();
    animated_objects_reset_all();
    spawn(SYNTH_RECORD_MOVE);
    animated_objects_render_all();
    for (int k = 0; k < 4; k++) animated_object_record_dump();
    std::string err = testing::internal::GetCapturedStderr();
    expect_lines_in_order(err, {"[AO] reset_all: course 1, animobj gate 1\n",
                                "[AO] spawn #1 from ROM 0xB2B78 -> slot 0\n",
                                "[AO] render_all f0: 1 of 16 records ACTIVE\n",
                                "[AOREC] slot 8 model=0     flags=8000 chunk=0      x=0" + std::string(12, ' ') + "y=0"});
    EXPECT_EQ(count_of(err, "[AOREC] slot"), 3 * 8);
}

// ---- Spawning -------------------------------------------------------------------------------

TEST_F(AnimatedObjectTest, TheFacingWindowIsPlusMinus2048) {
    // The record faces 2048; the player's 14-bit heading h gives 2048 - h.
    struct row {
        int32_t heading14;
        bool spawns;
    };
    for (row r : {row{0, true}, row{-1, false}, row{4096, true}, row{4097, false}, row{2048, true}}) {
        SetUp();
        wram_long_set(W_PLAYER_HEADING, r.heading14 * 4);
        spawn(SYNTH_RECORD_FACING);
        EXPECT_EQ(live(SYNTH_RECORD_SLOT[SYNTH_RECORD_FACING]), r.spawns) << "facing offset " << 2048 - r.heading14;
    }
}

TEST_F(AnimatedObjectTest, EachConditionSpawnsOnlyWhenItHolds) {
    struct row {
        const char* name;
        int record;
        std::function<void()> setup;
        bool spawns;
    };
    auto spawner = [](int32_t x, int32_t y, int32_t z) {
        wram_long_set(W_SPAWNER_X, x);
        wram_long_set(W_SPAWNER_Y, y);
        wram_long_set(W_SPAWNER_Z, z);
    };
    auto tilt = [](int32_t t) { w_write16(WRAM_BASE + W_SPAWNER_ANGLES, uint32_t(t)); };
    auto cell = [](int32_t c) { w_write16(WRAM_BASE + W_SPAWNER_TILT2 + 2, uint32_t(c)); };
    const row rows[] = {
        {"square matches", SYNTH_RECORD_SQUARE, [&] { spawner(3 << 15, 0, 5 << 15); }, true},
        {"square off by a column", SYNTH_RECORD_SQUARE, [&] { spawner(4 << 15, 0, 5 << 15); }, false},
        {"player cell matches", SYNTH_RECORD_CELL, [&] { cell(SYNTH_MATCH_CELL); }, true},
        {"player cell differs", SYNTH_RECORD_CELL, [&] { cell(SYNTH_MATCH_CELL + 1); }, false},
        {"height within the limit", SYNTH_RECORD_HEIGHT, [&] { spawner(0, SYNTH_HEIGHT_LIMIT, 0); }, true},
        {"height below within", SYNTH_RECORD_HEIGHT, [&] { spawner(0, -SYNTH_HEIGHT_LIMIT, 0); }, true},
        {"height beyond the limit", SYNTH_RECORD_HEIGHT, [&] { spawner(0, SYNTH_HEIGHT_LIMIT + 1, 0); }, false},
        {"high: bit and height", SYNTH_RECORD_HIGH, [&] { tilt(0x2000), spawner(0, SYNTH_HEIGHT_LIMIT, 0); }, true},
        {"high: no bit", SYNTH_RECORD_HIGH, [&] { tilt(0), spawner(0, SYNTH_HEIGHT_LIMIT, 0); }, false},
        {"high: too low", SYNTH_RECORD_HIGH, [&] { tilt(0x2000), spawner(0, SYNTH_HEIGHT_LIMIT - 1, 0); }, false},
    };
    for (const row& r : rows) {
        SetUp();
        r.setup();
        spawn(r.record);
        EXPECT_EQ(live(SYNTH_RECORD_SLOT[r.record]), r.spawns) << r.name;
        EXPECT_EQ(live_count(), r.spawns ? 1 : 0) << r.name;
    }
}

TEST_F(AnimatedObjectTest, ABusySlotSlot16OrABadScriptSpawnNothing) {
    spawn(SYNTH_RECORD_MOVE);
    field_long_set(0, AO_X, 1234);
    spawn(SYNTH_RECORD_MOVE);
    EXPECT_EQ(field_long(0, AO_X), 1234);
    spawn(SYNTH_RECORD_SLOT16);
    spawn(SYNTH_RECORD_BAD_SCRIPT);
    EXPECT_EQ(live_count(), 1);
    for (int s = 1; s < ANIMATED_SLOTS; s++) EXPECT_EQ(state(s), AO_FREE) << s;
}

TEST_F(AnimatedObjectTest, YawPlacementLeadsTheSpawnerAndTurnsTheHeading) {
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_YAW];
    wram_long_set(W_SPAWNER_X, 0x40000);
    wram_long_set(W_SPAWNER_Y, 0x9000);
    wram_long_set(W_SPAWNER_Z, 0x50000);
    w_write16(WRAM_BASE + W_SPAWNER_ANGLES + 2, 0x1000);  // a quarter turn
    wram_long_set(W_PLAYER_SPEED, 256);                   // lead 16: 256 ahead
    spawn(SYNTH_RECORD_YAW);
    // (0, 0, 256) through the tilt 0 (z scaled by cos 0), then the heading.
    int32_t z1 = (256 * rom_pair(0)[1]) >> 15, lead = (z1 * rom_pair(0x4000)[0]) >> 15;
    EXPECT_EQ(field_long(s, AO_ORIGIN_X), 0x40000 + lead);
    EXPECT_EQ(field_long(s, AO_ORIGIN_Z), 0x50000 + ((z1 * rom_pair(0x4000)[1]) >> 15));
    EXPECT_EQ(field_long(s, AO_X), 0x40000 + lead);
    EXPECT_EQ(field_long(s, AO_Y), 0);
    EXPECT_EQ(field(s, AO_HEADING), 0x0F00);  // (0x3F00 + 0x1000) & 0x3FFF
    EXPECT_EQ(field(s, AO_BASE_HEADING), 0x1000);
    EXPECT_EQ(field_long(s, AO_BANK_A), 0x10);
    EXPECT_EQ(field_long(s, AO_BANK_B), 0x20);
    EXPECT_EQ(field(s, AO_CELL), (0x40000 + lead) / CELL_SIZE + 8 * (0x50000 / CELL_SIZE));
}

TEST_F(AnimatedObjectTest, CourseStartPreRollsTheFixedObjects) {
    course(0);
    w_cell_set(W_HANDLE_PITCH, 1);
    w_cell_set(W_HANDLE_TURN, 3);
    w_write16(WRAM_BASE + W_OBJECT_MODE, 0x7777);
    w_write16(WRAM_BASE + W_AO_MODEL_WORDS + 4, 9);
    frame(2 * 4271 + 500);  // phase 500 of 4271, 1368 of 3837
    animated_objects_reset_all();
    EXPECT_EQ(live_count(), 7);
    // (slot, x, count, bank A): the first leg halfway; the second group stopped in the
    // leg after the bank opcode, from that entry's own pose (x 0x55) toward x 2000.
    const int32_t rows[][4] = {{8, 500, 500, 0},
                               {10, 500, 500, 0},
                               {11, 0x55 + (2000 - 0x55) * 368 / 1000, 632, SYNTH_PATROL_BANK},
                               {14, 0x55 + (2000 - 0x55) * 368 / 1000, 632, SYNTH_PATROL_BANK}};
    for (const auto& r : rows) {
        EXPECT_EQ(field_long(r[0], AO_X), r[1]) << "slot " << r[0];
        EXPECT_EQ(field(r[0], AO_COUNT), r[2]) << "slot " << r[0];
        EXPECT_EQ(field_long(r[0], AO_BANK_A), r[3]) << "slot " << r[0];
    }
    EXPECT_EQ(w_read16(WRAM_BASE + W_OBJECT_MODE + 2), 1 | 4);
    EXPECT_EQ(w_read16(WRAM_BASE + W_OBJECT_MODE), 0x7777);
    EXPECT_EQ(w_read16(WRAM_BASE + W_AO_MODEL_WORDS + 4), 0);

    object_switches.animated = false;
    animated_objects_reset_all();
    EXPECT_EQ(live_count(), 0);
    for (int s = 0; s < ANIMATED_SLOTS; s++) EXPECT_EQ(state(s), AO_FREE);
}

// ---- Keep-alive ---------------------------------------------------------------------------

TEST_F(AnimatedObjectTest, AnObjectOutOfTheNearChunksIsFreedAtItsSecondCountWord) {
    struct row {
        int record, entry;
        bool kept;
    };
    // The facing record is not persistent, the move record is.
    for (row r : {row{SYNTH_RECORD_FACING, -1, false}, row{SYNTH_RECORD_FACING, 12, false},
                  row{SYNTH_RECORD_FACING, 9, true}, row{SYNTH_RECORD_MOVE, -1, true}}) {
        SetUp();
        slots_set({{0, r.entry}});
        spawn(r.record);
        int s = SYNTH_RECORD_SLOT[r.record];
        // As in a frame: the drawing marks, the next step reads the mark.
        for (int f = 1; f <= 4; f++) {
            animated_objects_render_all();
            animated_objects_step_all();
            EXPECT_TRUE(live(s)) << f;
        }
        animated_objects_render_all();
        animated_objects_step_all();  // count word 0: the second since the spawn
        EXPECT_EQ(live(s), r.kept) << r.record << " entry " << r.entry;
    }
}

// ---- Drawing ----------------------------------------------------------------------------------

TEST_F(AnimatedObjectTest, ModelPacketsWithBankPacketsOnlyOnChange) {
    camera_at(1000, 2000, 3000);
    w_cell_set(W_TRAIN_BASE_Y, -2000);
    wram_long_set(W_OBJECT_HEADING, 111);
    wram_long_set(W_OBJECT_HEADING + 4, 222);
    slots_set({{0, 0}});
    spawn(SYNTH_RECORD_MOVE);
    spawn(SYNTH_RECORD_YAW);  // bank A 0x10, at the spawner (0, 0, 0)
    int y = SYNTH_RECORD_SLOT[SYNTH_RECORD_YAW];
    field_set(y, AO_STATE, int32_t(state(y) & ~AO_OWN_HEADING));
    field_set(0, AO_TILT, 0x800);
    spawn(SYNTH_RECORD_CHILD);  // slot 8, bank 0
    field_set(SYNTH_RECORD_SLOT[SYNTH_RECORD_CHILD], AO_STATE, 0x3480);
    animated_objects_render_all();
    auto entry = [&](int32_t model, int32_t tilt, std::vector<int32_t> heading) {
        return std::vector<int32_t>{model, -1000, -2000, -3000} + pair14(tilt) + heading + pair14(0) +
               std::vector<int32_t>{4};
    };
    words_t expected = entry(100, 0x800, pair14(0x3F00)) + entry(110, 0, pair14(0x3F00)) +
                       words_t{DL_LINK, 3, 0x10, DL_END} + entry(114, 0, {111, 222});
    // Slots in order: 0, 8 (the child), 13.
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0x10);
    EXPECT_TRUE(state(0) & AO_MARKED);
}

TEST_F(AnimatedObjectTest, FullRotationObjectsFollowOneCameraPacket) {
    camera_at(100, 200, 300);
    wram_long_set(W_PLAYER_X, 1100);
    wram_long_set(W_PLAYER_Y, 1200);
    wram_long_set(W_PLAYER_Z, 1300);
    w_write16(WRAM_BASE + W_OBJECT_TURN_LIMIT, 0x2000);
    w_write16(WRAM_BASE + W_OBJECT_CAMERA_FLAG, 1);
    w_write16(WRAM_BASE + W_SPAWNER_TILT2 + 2, 3);  // the player's cell: the full objects' cell
    slots_set({{3, 2}});
    spawn(SYNTH_RECORD_FULL);
    int s = SYNTH_RECORD_SLOT[SYNTH_RECORD_FULL];
    rom_put16(record(SYNTH_RECORD_FULL) + 26, uint16_t(s + 1));
    spawn(SYNTH_RECORD_FULL);
    field_set(s, AO_COUNT, 6);  // frame (6 >> 1) & 7 = 3 of 8: model 300 + 7 - 3
    field_set(s, AO_HEADING, 0x1000);
    field_long_set(s, AO_X, 7);
    animated_objects_render_all();
    auto object = [&](int32_t model, int32_t heading, int32_t x) {
        return words_t{DL_NODE, 3, 1} + pair14(0) + pair14(heading) + pair14(0) + words_t{4, 0, x, 0, 0, DL_END} +
               words_t{DL_NODE_COMPOSE, 3, 2, 3, DL_NODE_MODEL, model, 3, 1000, 1000, 1000};
    };
    words_t camera = words_t{DL_NODE, 2, 1, 0, 0x7FFF} + rom_pair(0x2000) + words_t{0, 0x7FFF, 4, DL_END};
    EXPECT_EQ(written(), camera + object(304, 0x1000, 7) + object(307, 0, 0));
    EXPECT_EQ(w_read16(WRAM_BASE + W_OBJECT_CAMERA_FLAG), 0);
}

TEST_F(AnimatedObjectTest, FrameCountsAndShiftsPickTheModel) {
    struct row {
        int32_t frames, shift, count, model;
    };
    // base 100: model = base + frames - 1 - frame.
    for (row r : {row{1, 0, 5, 100}, row{0, 0, 5, 99}, row{8, 1, 13, 107 - 6}, row{5, 0, 13, 104 - 3},
                  row{5, 0, -7, 104 + 2}, row{8, 40, -1, 107 - 7}, row{5, -3, 0x7FFF, 104}}) {
        SetUp();
        slots_set({{0, 0}});
        spawn(SYNTH_RECORD_MOVE);
        field_set(0, AO_FRAMES, r.frames);
        field_set(0, AO_SHIFT, r.shift);
        field_set(0, AO_COUNT, r.count);
        animated_objects_render_all();
        words_t w = written();
        ASSERT_EQ(w.size(), 11u);
        EXPECT_EQ(w[0], r.model) << r.frames << " " << r.shift << " " << r.count;
    }
}

TEST_F(AnimatedObjectTest, SlotsEightToFifteenChooseTheirBank) {
    constexpr int32_t A = 0x100, B = 0x20;
    struct row {
        const char* name;
        uint32_t toggle;
        int32_t c, course, grid, pitch, dz, rel, bank;
    };
    const row rows[] = {
        {"above: A + B", 0, 10, 1, 0, 0, 0, 0, A + B},
        {"level: A", 0, 0, 1, 0, 0, 0, 0, A},
        {"course 2 grid 53 pitched", 0, 10, 2, 53, 5000, 0, 0, A + B + 4096},
        {"course 2 grid 61 level", 0, 10, 2, 61, 4096, 0, 0, A + B},
        {"toggled, level: B", AO_TOGGLE, 0, 1, 0, 0, 9000, 4000, B},
        {"toggled, far below: B", AO_TOGGLE, -8192, 1, 0, 0, 9000, 4000, B},
        {"toggled, below and close: A", AO_TOGGLE, -100, 1, 0, 0, 8191, 4000, A},
        {"toggled, below, ahead: A", AO_TOGGLE, -100, 1, 0, 0, 9000, 500, A},
        {"toggled, below, aside: B", AO_TOGGLE, -100, 1, 0, 0, 9000, 800, B},
        {"toggled, below, aside, course 0: A", AO_TOGGLE, -100, 0, 0, 0, 9000, 800, A},
        {"toggled, below, behind: A", AO_TOGGLE, -100, 1, 0, 0, 9000, 8000, A},
        {"toggled, below, behind's edge: B", AO_TOGGLE, -100, 1, 0, 0, 9000, 9000, B},
    };
    for (const row& r : rows) {
        SetUp();
        w_cell_set(W_COURSE_NUMBER, r.course);
        slots_set({{0, 4}});
        wram_long_set(W_CAMERA_CELL, r.grid);
        wram_long_set(W_CAMERA_PITCH, r.pitch);
        wram_long_set(W_CAMERA_Z, 0);
        w_write16(WRAM_BASE + W_OBJECT_TURN_LIMIT, 0);
        w_cell_set(W_TRAIN_BASE_Y, 0);
        field_set(8, AO_STATE, int32_t(AO_SEEN | AO_KEEP | AO_OWN_HEADING | r.toggle));
        field_set(8, AO_MODEL, 42);
        field_set(8, AO_CELL, 0);
        field_set(8, AO_HEADING, (r.rel - 0x2000) & 0x3FFF);
        field_long_set(8, AO_Y, r.c);
        field_long_set(8, AO_Z, r.dz);
        field_long_set(8, AO_BANK_A, A);
        field_long_set(8, AO_BANK_B, B);
        animated_object_record_dump();
        words_t w = written();
        ASSERT_EQ(w.size(), 15u) << r.name;
        EXPECT_EQ(w[2], r.bank) << r.name;
        EXPECT_EQ(w[4], 42) << r.name;
        EXPECT_TRUE(state(8) & AO_MARKED) << r.name;
    }
}

TEST_F(AnimatedObjectTest, TheDrawingStopsAtAFullListWithOneLine) {
    slots_set({{0, 0}});
    spawn(SYNTH_RECORD_MOVE);
    uint32_t end = DL_BUFFER_BASE + DL_BUFFER_SIZE;
    testing::internal::CaptureStderr();
    for (uint32_t room : {256u, 200u, 0u}) {
        cursor_at(end - room);
        animated_objects_render_all();
        EXPECT_EQ(dl_cursor_get(), at(end - room)) << room;
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(err, "[GUARD] animated_objects_render_all: DSP cursor full -- remaining objects dropped"), 1);
    cursor_at(end - 260);
    animated_objects_render_all();
    EXPECT_EQ(written(end - 260).size(), 11u);
}

}  // namespace
