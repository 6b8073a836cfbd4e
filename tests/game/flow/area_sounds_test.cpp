// The course sounds of area_sound_update and the music stem machine: speed and drive
// levels, the countdown and race-end sounds, silence, the course areas, the point sounds,
// climbs and contacts, and the stem machine's mailbox words and waits.
#include "board/bus.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_tables.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {

// A race on course 0 with the camera in cell 0 (outside every area) and the layer as the
// course sound reset leaves it.
class AreaSounds : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        race(0);
    }
    void race(int32_t course) {
        game(3, 3);
        wram_long_set(W_COURSE_NUMBER, course);
        wram_long_set(W_RACE_TIMER, 3000);
        wram_long_set(W_LAST_RACE_TIMER, 0x7FFF7FFF);
        wram_long_set(W_END_FLAG, 0);
        wram_long_set(W_PLAYER_SPEED, 3703);
    }
    // The slot of the command a play of id writes, cleared; true when the id was played.
    static bool played(int32_t id) {
        sound_record r;
        if (!sound_record_read(id, &r)) return false;
        bool was = command(r.slot) == (r.command | 0x4000);
        command_put(r.slot, 0);
        return was;
    }
    static void player_at(int32_t x, int32_t y, int32_t z) {
        wram_long_set(W_PLAYER_X, x);
        wram_long_set(W_PLAYER_Y, y);
        wram_long_set(W_PLAYER_Z, z);
    }
    static void camera_at(int32_t cell, int32_t x, int32_t y, int32_t z) {
        wram_long_set(W_CAMERA_CELL, cell);
        wram_long_set(W_CAMERA_X, x);
        wram_long_set(W_CAMERA_Y, y);
        wram_long_set(W_CAMERA_Z, z);
    }
};

TEST_F(AreaSounds, SpeedAndDriveLevels) {
    struct row {
        int32_t speed, f;
        uint32_t speed_level, speed_word, drive_level, drive_word;
    };
    const row rows[] = {
        {3703, 0, 80, 0x1400, 255, 0x2003},    {15554, 1024, 0, 0x2900, 80, 0x2C00},
        {20000, 4096, 0, 0x2900, 64, 0x4B80},  {3000, 4097, 87, 0x1400, 64, 0x4B80},
        {9629, 512, 17, 0x1E80, 168, 0x2600},  {3703, 2048, 80, 0x1400, 75, 0x3800},
        {3703, -8, 80, 0x1400, 255, 0x2003},
    };
    for (const row& r : rows) {
        wram_long_set(W_PLAYER_SPEED, r.speed);
        wram_long_set(W_DRIVE, r.f << 3);
        area_sound_update();
        EXPECT_EQ(param(8), r.speed_level) << r.speed;
        EXPECT_EQ(param(7), r.speed_word) << r.speed;
        EXPECT_EQ(param(6), r.drive_level) << r.f;
        EXPECT_EQ(param(5), r.drive_word) << r.f;
    }
}

TEST_F(AreaSounds, CountdownOnEveryMinuteMarkFrom600To60) {
    std::vector<int32_t> ticks;
    for (int32_t t = 601; t >= 59; t--) {
        wram_long_set(W_RACE_TIMER, t);
        area_sound_update();
        if (played(SOUND_COUNTDOWN)) ticks.push_back(t);
    }
    EXPECT_EQ(ticks, std::vector<int32_t>({600, 540, 480, 420, 360, 300, 240, 180, 120, 60}));
    EXPECT_EQ(wram_long(W_LAST_RACE_TIMER), 59 << 16);
    // The same value again, or a rise, plays nothing.
    for (int32_t t : {60, 120}) {
        wram_long_set(W_RACE_TIMER, t);
        area_sound_update();
        EXPECT_FALSE(played(SOUND_COUNTDOWN)) << t;
    }
}

TEST_F(AreaSounds, SecondTimerTicksOnItsRise) {
    std::vector<int32_t> ticks;
    for (int32_t t2 : {3, 4, 5, 6, 7, 8, 8, 63, 64, 64, 65}) {
        wram_long_set(W_RACE_TIMER_SHOWN, t2);
        area_sound_update();
        if (played(SOUND_COUNTDOWN)) ticks.push_back(t2);
    }
    EXPECT_EQ(ticks, std::vector<int32_t>({4, 5, 6, 7, 64, 65}));
}

TEST_F(AreaSounds, GoalSoundWaitsForTheHoldLevel) {
    struct row {
        int32_t course, end_flag;
        int32_t call;  // the call that plays id 38, 0 none
        uint32_t param;
    };
    // The race-end sound raises the hold level to 60, counted down once per call: the
    // 41st call sees 20.
    const row rows[] = {{0, 1, 41, 0x75}, {2, 2, 41, 0x71}, {3, 1, 0, 0}};
    for (const row& r : rows) {
        SetUp();
        race(r.course);
        wram_long_set(W_END_FLAG, r.end_flag);
        int32_t goal_call = 0, end_calls = 0;
        for (int32_t call = 1; call <= 200; call++) {
            area_sound_update();
            end_calls += played(SOUND_RACE_END);
            if (played(SOUND_GOAL) && !goal_call) goal_call = call;
            if (goal_call == call) {
                EXPECT_EQ(param(14), r.param) << r.course;
            }
        }
        EXPECT_EQ(end_calls, 1) << r.course;
        EXPECT_EQ(goal_call, r.call) << r.course;
        EXPECT_EQ(w_word(W_IDLE_FLAG), r.call ? 3 : 2) << r.course;
    }
}

TEST_F(AreaSounds, SilenceQuietsTheCourseSlotsAndNothingElse) {
    camera_at(81, 0, 0, 0);
    area_sound_update();  // the area sound of cell 81 starts
    ASSERT_EQ(w_word(W_AREA_SOUND_ID), SOUND_AREA_COURSE0);
    command_put(17, 0xC131);
    std::vector<uint8_t> before = sound_ram();
    std::vector<int64_t> copies(wram + W_SOUND_BYTE_COPIES, wram + W_SOUND_BYTE_COPIES + 32);
    wram_long_set(W_ATTRACT_SCENE_FLAG, 1);
    w_word_set(W_SOUND_COOLDOWN, 5);
    wram_long_set(W_PLAYER_SPEED, 20000);
    commsram[0] = 0x77;  // a driver byte the copy step would take
    before[0] = 0x77;
    area_sound_update();
    std::vector<uint32_t> expected;  // slot 6 is at 255 already (no drive)
    for (int32_t slot : {2, 8, 16, 17, 18, 19}) expected.push_back(0x100 + 2 * slot + 1);
    expected.insert(expected.begin(), 0x22);  // the command word of slot 17
    std::sort(expected.begin(), expected.end());
    std::vector<uint32_t> at = changed(before);
    EXPECT_EQ(at, expected);
    for (int32_t slot : {2, 6, 8, 16, 17, 18, 19}) EXPECT_EQ(param(slot), 255u) << slot;
    EXPECT_EQ(command(17), 0x4131u);
    EXPECT_EQ(w_word(W_AREA_SOUND_ID), -1);
    EXPECT_EQ(w_word(W_SOUND_COOLDOWN), 5);
    EXPECT_EQ(std::vector<int64_t>(wram + W_SOUND_BYTE_COPIES, wram + W_SOUND_BYTE_COPIES + 32), copies);
}

TEST_F(AreaSounds, LeavingTheAreasOfCourse0) {
    camera_at(101, 0, 0, 0);
    area_sound_update();
    EXPECT_EQ(param(16), 0u) << "no area sound: nothing but the cell";
    EXPECT_EQ(param(17), 0u);
    EXPECT_EQ(param(18), 0u);
    EXPECT_EQ(w_word(W_AREA_CELL), 101);
    w_word_set(W_AREA_SOUND_ID, SOUND_AREA_COURSE0);
    command_put(17, 0xC131);
    area_sound_update();
    for (int32_t slot : {16, 17, 18}) EXPECT_EQ(param(slot), 255u) << slot;
    EXPECT_EQ(param(19), 0u);
    EXPECT_EQ(command(17), 0x4131u);
    EXPECT_EQ(w_word(W_AREA_SOUND_ID), -1);
}

TEST_F(AreaSounds, EachCoursesAreasAndTheirLevels) {
    struct row {
        int32_t course, cell, x, y, z;
        int32_t id;                       // the area sound, -1 outside
        std::vector<int32_t> level_slots; // written with a level below 255
    };
    const row rows[] = {
        {0, 81, -15639, 0x3800, 16488, SOUND_AREA_COURSE0, {17, 16}},
        {0, 100, 0, 0x14000, 0, SOUND_AREA_COURSE0, {17, 16}},
        {0, 85, 0, 0, 0, -1, {}},
        {0, 26, -15721, 11452, -9249, SOUND_AREA_COURSE3, {18}},
        {0, 22, 0, 0, 0, -1, {}},
        {1, 96, 0, 0, 0, -1, {}},
        {1, 94, -1829, 0x1A000, 669, SOUND_AREA_COURSE1, {16}},
        {2, 59, 13653, -0x2A00, -30579, SOUND_AREA_COURSE2, {19}},
        {2, 53, 0, 0, 0, -1, {}},
        {3, 97, 15765, 15141, -30520, SOUND_AREA_COURSE3, {18}},
        {3, 101, 0, 0, 0, -1, {}},
    };
    for (const row& r : rows) {
        SetUp();
        race(r.course);
        camera_at(r.cell, r.x, r.y, r.z);
        for (int32_t slot : {16, 17, 18, 19}) param_put(slot, 0xAAAA);
        area_sound_update();
        SCOPED_TRACE(testing::Message() << "course " << r.course << " cell " << r.cell);
        EXPECT_EQ(w_word(W_AREA_SOUND_ID), r.id);
        if (r.id >= 0) {
            EXPECT_TRUE(played(r.id));
        }
        for (int32_t slot : {16, 17, 18, 19}) {
            bool levelled = std::find(r.level_slots.begin(), r.level_slots.end(), slot) != r.level_slots.end();
            EXPECT_EQ(param(slot) != 0xAAAA, levelled) << slot;
        }
        // At an area's centre its own level is the loudest.
        if (r.id >= 0 && r.x) {
            EXPECT_EQ(param(r.level_slots[0]), 0u);
        }
    }
}

TEST_F(AreaSounds, AtTheAreaCentreTheLevelIsLoudest) {
    race(3);
    camera_at(97, 15765, 15141, -30520);
    area_sound_update();
    EXPECT_EQ(param(18), 0u);
    camera_at(97, 15765 + 0x4000, 15141, -30520);
    area_sound_update();
    EXPECT_EQ(param(18), 16u) << "0x4000 away: / 1024";
    w_word_set(W_LEVEL_ADJUST, 10);
    area_sound_update();
    EXPECT_EQ(param(18), 26u);
}

TEST_F(AreaSounds, NewAreaSoundWaitsForTheHoldLevel) {
    race(2);
    camera_at(51, 0, 0, 0);
    w_word_set(W_SOUND_HOLD_LEVEL, 3);
    int32_t started = 0;
    for (int32_t call = 1; call <= 6 && !started; call++) {
        param_put(19, 0);
        area_sound_update();
        EXPECT_NE(param(19), 0u) << "the area's level in every call, call " << call;
        if (played(SOUND_AREA_COURSE2)) started = call;
    }
    EXPECT_EQ(started, 4);
}

TEST_F(AreaSounds, TwoNearPointsAndTheCooldown) {
    wram_long_set(W_PLAYER_CELL, 27);
    player_at(0x50200, 0x8000, 0x50200);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_POINT_A));
    EXPECT_EQ(w_word(W_POINT_COOLDOWN), 200);
    int32_t calls = 0;
    while (!played(SOUND_POINT_A) && calls < 300) {
        area_sound_update();
        calls++;
    }
    EXPECT_EQ(calls, 201) << "200 calls count the cooldown down, the next plays";
}

TEST_F(AreaSounds, PointSoundsByCourseAndCell) {
    struct row {
        int32_t course, cell, x, y, z;
        int32_t id;  // -1: none
    };
    const synth_point* p = SYNTH_SOUND_POINTS;
    const row rows[] = {
        {0, 27, 0x58000, 0x8000 + 0x9FF, 0x58000, SOUND_POINT_A},  // record 2, dy at the bound
        {0, 27, 0x58000, 0x8000 + 0xA00, 0x58000, -1},
        {0, 27, 0x50200, 0x10000, 0x50200 + 0xFFF, SOUND_POINT_A},   // record 3: dx + dz at the bound
        {0, 27, 0x50200 + 1, 0x10000, 0x50200 + 0xFFF, -1},
        {0, 26, p[0].x, p[0].y, p[0].z, SOUND_POINT_A},
        {0, 35, p[1].x + 0x800, p[1].y, p[1].z - 0x7FF, SOUND_POINT_B},
        {0, 34, p[1].x, p[1].y, p[1].z, -1},
        {2, 13, p[2].x + 0x2000, p[2].y, p[2].z + 0x1FFF, SOUND_POINT_B},
        {2, 21, p[2].x + 0x2000, p[2].y, p[2].z + 0x2000, -1},
        {1, 27, 0x50200, 0x8000, 0x50200, -1},
        {3, 27, 0x50200, 0x8000, 0x50200, -1},
    };
    for (const row& r : rows) {
        SetUp();
        race(r.course);
        wram_long_set(W_PLAYER_CELL, r.cell);
        player_at(r.x, r.y, r.z);
        area_sound_update();
        SCOPED_TRACE(testing::Message() << "course " << r.course << " cell " << r.cell);
        for (int32_t id : {SOUND_POINT_A, SOUND_POINT_B}) EXPECT_EQ(played(id), id == r.id) << id;
        EXPECT_EQ(w_word(W_POINT_COOLDOWN), r.id >= 0 ? 200 : 0);
    }
}

TEST_F(AreaSounds, PointListWithoutItsEndStopsAt64Records) {
    for (uint32_t k = 0; k < 70; k++) {
        bus_write32(SOUND_POINT_LIST + 12 * k, 0x100000 + 0x10000 * k);
        bus_write32(SOUND_POINT_LIST + 12 * k + 4, 0);
        bus_write32(SOUND_POINT_LIST + 12 * k + 8, 0);
    }
    wram_long_set(W_PLAYER_CELL, 27);
    player_at(0x100000 + 0x10000 * 64, 0, 0);
    area_sound_update();
    EXPECT_FALSE(played(SOUND_POINT_A)) << "record 64 is past the list";
    player_at(0x100000 + 0x10000 * 63, 0, 0);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_POINT_A));
}

// The climb c comes from the flight pitch: sin x -27 >> 14, less 2.
TEST_F(AreaSounds, ClimbLevelsAndTheClimbSound) {
    struct row {
        int32_t flight_pitch;
        uint32_t word, level;
    };
    // sin(0xEAA8) ~ -0.5: c = 27 - 2 = 25; sin(0xF000) ~ -0.38: c = 18; steeper than
    // about 0xE900 the climb is full (40); nose down it is 0.
    const row rows[] = {{0xEAA8, 0x2780, 24}, {0xF000, 0x2566, 36}, {0xC000, 0x2C00, 0}, {0x4000, 0x2000, 64},
                        {0, 0x2000, 64}};
    for (const row& r : rows) {
        wram_long_set(W_TARGET_PITCH, r.flight_pitch);
        area_sound_update();
        EXPECT_EQ(param(1), r.word) << std::hex << r.flight_pitch;
        EXPECT_EQ(param(2), r.level) << std::hex << r.flight_pitch;
    }
    // A steep climb nose-up counts frames: the strain sound on the second, the climb
    // sound (through the cooldown) once the count passes 3 high above the ground.
    wram_long_set(W_TARGET_PITCH, 0xC000);
    wram_long_set(W_SLOW_FLAG, 1);
    wram_long_set(W_PLAYER_PITCH, 0x9000);
    player_at(0, 0x10000, 0);
    std::vector<int32_t> strain, climb;
    for (int32_t call = 1; call <= 6; call++) {
        area_sound_update();
        if (played(SOUND_CLIMB)) strain.push_back(call);
        if (played(SOUND_SCRAPE)) climb.push_back(call);
    }
    EXPECT_EQ(strain, std::vector<int32_t>({2}));
    EXPECT_EQ(climb, std::vector<int32_t>({4}));
    EXPECT_EQ(param(26), 81u);
}

TEST_F(AreaSounds, TurnSoundOncePerScrapeFlag) {
    // A probe in contact keeps the scrape-or-turn flag from clearing.
    w_cell_set(probe_field(PROBE_NOSE, PROBE_HIT), 1);
    wram_long_set(W_PLAYER_HEADING, 0);
    area_sound_update();
    EXPECT_FALSE(played(SOUND_SCRAPE));
    wram_long_set(W_PLAYER_HEADING, -0x1001);  // the last heading is 0x1001 ahead
    wram_long_set(W_TURN_INPUT, 2);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_SCRAPE));
    EXPECT_EQ(param(26), 85u);
    EXPECT_EQ(w_word(W_LAST_HEADING), -0x1001);
    wram_long_set(W_PLAYER_HEADING, -0x2002);
    w_word_set(W_SOUND_COOLDOWN, 0);
    area_sound_update();
    EXPECT_FALSE(played(SOUND_SCRAPE)) << "the flag holds it while a probe is in contact";
    w_cell_set(probe_field(PROBE_NOSE, PROBE_HIT), 0);
    area_sound_update();  // every probe free: the flag clears
    wram_long_set(W_PLAYER_HEADING, -0x3003);
    w_word_set(W_SOUND_COOLDOWN, 0);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_SCRAPE));
}

TEST_F(AreaSounds, HoldStepEndsTheWaitAndRearmsThePreset) {
    camera_at(51, 0, 0, 0);
    race(2);
    w_word_set(W_SOUND_HOLD_LEVEL, 0);
    w_word_set(W_AREA_SOUND_ID, 7);
    area_sound_update();
    EXPECT_EQ(w_word(W_AREA_SOUND_ID), SOUND_AREA_COURSE2) << "the wait ended and the area sound started";
    w_word_set(W_SOUND_HOLD_LEVEL, -1);
    w_word_set(W_POSE_FLAG, 1);
    command_put(10, 0);
    area_sound_update();
    EXPECT_EQ(command(10), 0xC02Fu);
    EXPECT_EQ(param(9), 0x40u);
    param_put(9, 0);
    command_put(10, 0x802F);  // running: left alone
    area_sound_update();
    EXPECT_EQ(command(10), 0x802Fu);
    EXPECT_EQ(param(9), 0u);
    w_word_set(W_POSE_FLAG, 0);
    command_put(10, 0);
    area_sound_update();
    EXPECT_EQ(command(10), 0u);
}

TEST_F(AreaSounds, ContactSoundsOfTheProbes) {
    auto probe = [](uint32_t n, int32_t hit, int32_t value) {
        w_cell_set(probe_field(n, PROBE_HIT), hit);
        w_cell_set(probe_field(n, PROBE_SURFACE), value);
    };
    // The surface (probe value 224): its sound once, the contact held 240 calls.
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_SPECIAL), 1);
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_SPECIAL_TYPE), 224);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_SURFACE));
    EXPECT_EQ(w_word(W_CONTACT_BITS), 0x80);
    EXPECT_EQ(w_word(W_CONTACT_LEVEL), 239);
    area_sound_update();
    EXPECT_FALSE(played(SOUND_SURFACE));
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_SPECIAL), 0);

    // Probe 0 at speed on a plain surface: the stall sound, then the scrape sound.
    wram_long_set(W_PLAYER_SPEED_COPY, 0x5000);
    wram_long_set(W_PLAYER_SPEED, 0x5000);
    probe(0, 1, 20);
    area_sound_update();
    EXPECT_TRUE(played(SOUND_STALL));
    EXPECT_TRUE(played(SOUND_SCRAPE));
    EXPECT_EQ(param(26), 84u);
    EXPECT_EQ(w_word(W_STALL_TIMER), 90);
    EXPECT_EQ(w_word(W_CONTACT_BITS), 0x01);
    area_sound_update();
    EXPECT_FALSE(played(SOUND_STALL)) << "contact already marked";
    // All probes free: the marks and the scrape flag clear.
    probe(0, 0, 0);
    area_sound_update();
    EXPECT_EQ(w_word(W_CONTACT_BITS), 0);
    EXPECT_EQ(w_word(W_SOUND_FLAGS) & 2, 0);

    // Probe 1 picks its contact level from its value and the speed.
    probe(1, 1, 40);
    w_word_set(W_CONTACT_LEVEL, 0);
    wram_long_set(W_PLAYER_SPEED_COPY, 0x1000);
    wram_long_set(W_PLAYER_SPEED, 0x1000);
    area_sound_update();
    EXPECT_EQ(w_word(W_CONTACT_LEVEL), 59) << "speed 0x400 picks 60, then the count";
    EXPECT_EQ(w_word(W_CONTACT_BITS), 0x02);
}

// ---- The stem machine ------------------------------------------------------------------

class MusicStems : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        game(3, 3);
        wram_long_set(W_RACE_TIMER, 3000);
        wram_long_set(W_COURSE_NUMBER, 1);
    }
};

TEST_F(MusicStems, TransitionsTable) {
    struct row {
        const char* what;
        int32_t state, cell;
        int32_t cam_x, cam_z, player_z;
        uint32_t ack;
        int32_t new_state, wait;
        uint32_t mbox[4];  // 0x220, 0x222, 0x224, 0x226 after the step (all 7 before)
        uint32_t ack_after;
        bool restart;
    };
    const uint32_t S = 7;  // marks the words the step leaves
    const row rows[] = {
        {"0, target 1", 0, 16, 0, 0, 0, 1, 1, 30, {1, S, S, S}, 1, false},
        {"0, target 0", 0, 0, 0, 0, 0, 1, 0, 0, {S, S, S, S}, 1, false},
        {"1, target 1", 1, 16, 0, 0, 0, 1, 1, 0, {S, S, S, S}, 1, false},
        {"1, target 0", 1, 0, 0, 0, 0, 1, 0, 30, {0, 0, 0, 0}, 0, true},
        {"1, target 3", 1, 48, 0, 0, 0, 1, 2, 30, {S, 1, S, S}, 1, false},
        {"1, far east", 1, 96, 0x58001, 0, 0, 1, 2, 30, {S, 1, S, S}, 1, false},
        {"1, not far enough", 1, 96, 0x58000, 0, 0, 1, 1, 0, {S, S, S, S}, 1, false},
        {"2, target 1", 2, 16, 0, 0, 0, 1, 1, 30, {S, 2, S, S}, 1, false},
        {"2, target 3", 2, 48, 0, 0, 0, 1, 3, 30, {S, S, 1, S}, 1, false},
        {"2, target -2 far", 2, 80, 0x68001, 0xD0001, 0, 1, 3, 30, {S, S, 1, S}, 1, false},
        {"2, target -2 near", 2, 80, 0x68000, 0xD0001, 0, 1, 2, 0, {S, S, S, S}, 1, false},
        {"2, target -1", 2, 96, 0x70000, 0xE0000, 0, 1, 2, 0, {S, S, S, S}, 1, false},
        {"2, target 0", 2, 0, 0, 0, 0, 1, 0, 30, {0, 0, 0, 0}, 0, true},
        {"3, target 1", 3, 16, 0, 0, 0xF0000, 0, 4, 0, {S, S, S, 1}, 0, false},
        {"3, target -1", 3, 96, 0, 0, 0xF0000, 0, 4, 0, {S, S, S, 1}, 0, false},
        {"3, player back", 3, 0, 0, 0, 0xCFFFF, 0, 4, 0, {S, S, S, 1}, 0, false},
        {"3, player ahead", 3, 0, 0, 0, 0xD0000, 0, 3, 0, {S, S, S, S}, 0, false},
        {"4, no ack", 4, 0, 0, 0, 0, 0, 4, 0, {S, S, S, S}, 0, false},
        {"4, ack", 4, 0, 0, 0, 0, 1, 1, 120, {0, 0, 0, S}, 1, true},
    };
    for (const row& r : rows) {
        SetUp();
        SCOPED_TRACE(r.what);
        w_word_set(W_STEM_STATE, r.state);
        w_word_set(W_STEM_WAIT, 0);
        wram_long_set(W_CAMERA_CELL, r.cell);
        wram_long_set(W_CAMERA_X, r.cam_x);
        wram_long_set(W_CAMERA_Z, r.cam_z);
        wram_long_set(W_PLAYER_Z, r.player_z);
        for (uint32_t m : {MAILBOX_STEM_1, MAILBOX_STEM_2, MAILBOX_STEM_3, MAILBOX_STEM_4}) sound_ram_word_set(m, S);
        sound_ram_word_set(MAILBOX_STEM_ACK, r.ack);
        command_put(27, 0xC13B);  // sound 59, running
        music_stem_update();
        EXPECT_EQ(w_word(W_STEM_STATE), r.new_state);
        EXPECT_EQ(w_word(W_STEM_WAIT), r.wait);
        const uint32_t words[4] = {MAILBOX_STEM_1, MAILBOX_STEM_2, MAILBOX_STEM_3, MAILBOX_STEM_4};
        for (int i = 0; i < 4; i++) EXPECT_EQ(sound_ram_word(words[i]), r.mbox[i]) << std::hex << words[i];
        EXPECT_EQ(sound_ram_word(MAILBOX_STEM_ACK), r.ack_after);
        EXPECT_EQ(w_word(W_STEM_RESTART), r.restart ? 1 : 0);
        EXPECT_EQ(command(27), r.restart ? 0x413Bu : 0xC13Bu) << "sound 59 stopped";
    }
}

TEST_F(MusicStems, FallBackWaits30FramesAndRestartsTheMusic) {
    w_word_set(W_STEM_STATE, 2);
    wram_long_set(W_CAMERA_CELL, 0);
    music_stem_update();
    ASSERT_EQ(w_word(W_STEM_STATE), 0);
    wram_long_set(W_CAMERA_CELL, 16);
    command_put(27, 0);
    music_stem_update();
    EXPECT_EQ(command(27), 0x413Bu) << "the restart request plays sound 59 first";
    EXPECT_EQ(w_word(W_STEM_RESTART), 0);
    int32_t calls = 1;
    while (w_word(W_STEM_STATE) == 0 && calls < 100) {
        music_stem_update();
        calls++;
    }
    EXPECT_EQ(calls, 31);
    EXPECT_EQ(sound_ram_word(MAILBOX_STEM_1), 1u);
}

TEST_F(MusicStems, StemResetClearsItsWords) {
    for (uint32_t b = 0x200; b < 0x300; b++) commsram[b] = 0xAA;
    music_stem_reset(0);
    for (uint32_t b = 0x200; b < 0x300; b++) {
        bool kept = b < 0x220 || b >= 0x2F4 || (b >= 0x226 && b < 0x228) || (b >= 0x22E && b < 0x230) ||
                    (b >= 0x2A0 && b < 0x2A6) || (b >= 0x2C0 && b < 0x2C6);
        EXPECT_EQ(commsram[b], kept ? 0xAA : 0) << std::hex << b;
    }
    music_stem_reset(1);
    for (uint32_t b = 0x200; b < 0x300; b++) EXPECT_EQ(commsram[b], b < 0x220 || b >= 0x2F4 ? 0xAA : 0) << std::hex << b;
}

TEST_F(MusicStems, RunsOnlyOnCourse1) {
    wram_long_set(W_CAMERA_CELL, 16);
    for (int32_t course : {0, 2, 3, 1}) {
        wram_long_set(W_COURSE_NUMBER, course);
        area_sound_update();
        EXPECT_EQ(sound_ram_word(MAILBOX_STEM_1), course == 1 ? 1u : 0u) << course;
    }
}

TEST_F(MusicStems, IdleFlagAfterExactly5810Frames) {
    struct row {
        int32_t passed, flag_before, setting, flag_after;
    };
    const row rows[] = {{5810, 0, 1, 1}, {5809, 0, 1, 0}, {5811, 0, 1, 0}, {5810, 0, 0, 0}, {5810, 3, 1, 3}};
    for (const row& r : rows) {
        wram_long_set(W_FRAME_COUNTER, 10000 + r.passed);
        wram_long_set(W_IDLE_FRAME_MARK, 10000);
        wram_long_set(W_IDLE_FLAG, r.flag_before);
        w_cell_set(W_MODE_SETTING, r.setting);
        idle_frames_flag_update();
        EXPECT_EQ(wram_long(W_IDLE_FLAG), r.flag_after) << r.passed;
    }
}

}  // namespace
