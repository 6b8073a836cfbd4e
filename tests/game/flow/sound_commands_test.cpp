// The sound command layer: the gates of every operation, refused ids, the slot bounds,
// stops, hold and defer, the course sound reset and the smaller operations.
#include "board/bus.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/course_sounds.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_tables.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>

namespace {

struct gate_context {
    const char* name;
    int32_t state, sub, attract_long, race_timer, end_flag;
};

// Attract off; the setting's word (and so its long) set; only its long set; state 1;
// the race before and at timer 56 and after its end; state 5.
const gate_context CONTEXTS[] = {
    {"attract off", 0, 0, 0, 0, 0},   {"attract word", 0, 0, 0x00010000, 0, 0}, {"attract long", 0, 0, 1, 0, 0},
    {"state 1", 1, 0, 0, 0, 0},       {"race 55", 3, 3, 0, 55, 0},             {"race 56", 3, 3, 0, 56, 0},
    {"race ended", 3, 3, 0, 56, 1},   {"state 5", 5, 0, 0, 0, 0},
};

struct gate_row {
    const char* op;
    std::function<void()> call;
    const char* writes;  // per context: '1' the sound RAM changes, '0' it does not
};

const std::string ALL = "11111111";
const std::string GATE_WORD_RACE = "01000101";  // G (word) and R
const std::string GATE_LONG = "01101111";       // G (long)
const std::string GATE_LONG_RACE = "01100101";  // G (long) and R
const std::string COOLDOWN_GATES = "11101101";  // own gates: no end flag, not state 1 unless attract sound

using SoundGates = SoundTest;

TEST_F(SoundGates, EveryOperationInEveryGateContext) {
    const gate_row rows[] = {
        {"sound_play", [] { sound_play(5); }, GATE_WORD_RACE.c_str()},
        {"sound_play coin", [] { sound_play(SOUND_COIN); }, ALL.c_str()},
        {"sound_play_or_defer", [] { sound_play_or_defer(5); }, GATE_LONG.c_str()},
        {"sound_play_ungated", [] { sound_play_ungated(5); }, ALL.c_str()},
        {"sound_play_p", [] { sound_play_p(5 << 16 | 7); }, GATE_LONG_RACE.c_str()},
        {"sound_play_p_ungated", [] { sound_play_p_ungated(5 << 16 | 7); }, ALL.c_str()},
        {"sound_play_p2", [] { sound_play_p2(5 << 16 | 7, 9); }, GATE_LONG.c_str()},
        {"sound_play_p2val", [] { sound_play_p2val(5, 9); }, GATE_WORD_RACE.c_str()},
        {"sound_param2_set", [] { sound_param2_set(85, 7); }, ALL.c_str()},
        {"sound_stop", [] { sound_stop(5); }, ALL.c_str()},
        {"sound_stop_unless_held", [] { sound_stop_unless_held(5); }, ALL.c_str()},
        {"sound_hold_and_defer", [] { sound_hold_and_defer(5); }, ALL.c_str()},
        {"sound_params_reset", [] { sound_params_reset(); }, ALL.c_str()},
        {"sound_stop_all", [] { sound_stop_all(); }, ALL.c_str()},
        {"sound_reset_all", [] { sound_reset_all(); }, ALL.c_str()},
        {"sound_stop_upper", [] { sound_stop_upper(); }, ALL.c_str()},
        {"sound_play_once", [] { sound_play_once(); }, ALL.c_str()},
        {"sound_play_throttled", [] { sound_play_throttled(5); }, GATE_WORD_RACE.c_str()},
        {"sound_play_cooldown", [] { sound_play_cooldown(80); }, COOLDOWN_GATES.c_str()},
        {"balloon_sound_cooldown", [] { balloon_sound_cooldown(); }, COOLDOWN_GATES.c_str()},
        {"sound_play_indexed 0", [] { sound_play_indexed(0); }, GATE_WORD_RACE.c_str()},
        {"sound_play_indexed 4", [] { sound_play_indexed(4); }, ALL.c_str()},
        {"sound_preset_from_rom", [] { sound_preset_from_rom(); }, ALL.c_str()},
        {"course_start_sound_play", [] { course_start_sound_play(); }, GATE_LONG.c_str()},
        {"course_sounds_full", [] { course_sounds_full(); }, ALL.c_str()},
        {"course_sounds_fade_in", [] { course_sounds_fade_in(); }, ALL.c_str()},
        {"sound_param_level_set", [] { sound_param_level_set(4 << 16 | 100); }, ALL.c_str()},
        {"scenery_sound_play", [] { scenery_sound_play(0, 0x1000); }, GATE_WORD_RACE.c_str()},
        {"sound_mailbox_write", [] { sound_mailbox_write(1, 2); }, ALL.c_str()},
        {"area_sound_update", [] { area_sound_update(); }, "01101110"},
        {"music_stem_update", [] { music_stem_update(); }, ALL.c_str()},
    };
    for (const gate_row& row : rows) {
        for (size_t c = 0; c < std::size(CONTEXTS); c++) {
            const gate_context& g = CONTEXTS[c];
            SetUp();
            game(g.state, g.sub);
            wram_long_set(W_ATTRACT_SOUND, g.attract_long);
            wram_long_set(W_RACE_TIMER, g.race_timer);
            wram_long_set(W_END_FLAG, g.end_flag);
            command_put(5, 0xC105);   // running, for the stops
            command_put(31, 0xC000);  // running, for the stop-alls
            command_put(10, 0x802F);  // the preset record's command, running
            wram_long_set(W_CAMERA_CELL, 16);  // stem target 1
            std::vector<uint8_t> before = sound_ram();
            row.call();
            bool wrote = !changed(before).empty();
            EXPECT_EQ(wrote, row.writes[c] == '1') << row.op << " in " << g.name;
        }
    }
}

// Ids outside 0..88 write nothing, whatever the operation, and leave the layer's words.
TEST_F(SoundGates, RefusedIdsWriteNothing) {
    game(5);
    const std::function<void(int32_t)> ops[] = {
        sound_play,           sound_play_or_defer,
        sound_play_ungated,   [](int32_t id) { sound_play_p(id << 16 | 5); },
        [](int32_t id) { sound_play_p_ungated(id << 16 | 5); },
        [](int32_t id) { sound_play_p2(id << 16 | 5, 6); },
        [](int32_t id) { sound_play_p2val(id, 6); },
        [](int32_t id) { sound_param2_set(id, 6); },
        sound_stop,           sound_stop_unless_held,
        sound_hold_and_defer,
    };
    for (int32_t id : {89, -1, 1000, -32768}) {
        for (size_t i = 0; i < std::size(ops); i++) {
            std::vector<uint8_t> before = sound_ram();
            ops[i](id);
            EXPECT_TRUE(changed(before).empty()) << "operation " << i << " id " << id;
            EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), -1);
            EXPECT_EQ(w_word(W_SOUND_HOLD_TIMER), -1);
            EXPECT_EQ(w_word(W_SOUND_DEFERRED_ID), -1);
        }
    }
}

struct byte_value {
    uint32_t offset;
    uint8_t value;
};

// A record's slots at the edges of the sound RAM: the last command and parameter slots,
// the first parameter slot, and slots just outside, which write nothing.
TEST_F(SoundGates, WritesStayInsideTheSlotRanges) {
    struct row {
        const char* what;
        std::function<void()> call;
        std::vector<byte_value> bytes;
        int32_t hold_level;
    };
    const row rows[] = {
        {"last slots", [] { sound_play_ungated(87); }, {{0x7FFE, 0x41}, {0x7FFF, 0x57}}, 0},
        {"slots just outside", [] { sound_play_ungated(88); }, {}, 30},
        {"param slot -128",
         [] { sound_play_p_ungated(85 << 16 | 0xABCD); },
         {{0x0000, 0xAB}, {0x0001, 0xCD}, {0x0028, 0x41}, {0x0029, 0x55}, {0x0106, 0x12}, {0x0107, 0x34}},
         -1},
        {"outside slots, parameter play", [] { sound_play_p_ungated(88 << 16 | 1); }, {}, -1},
        {"outside slots, stop", [] { sound_stop(88); }, {}, -1},
    };
    game(5);
    for (const row& r : rows) {
        SetUp();
        game(5);
        r.call();
        std::vector<uint8_t> zero(sizeof commsram, 0);
        std::vector<uint32_t> at = changed(zero);
        ASSERT_EQ(at.size(), r.bytes.size()) << r.what;
        for (size_t i = 0; i < at.size(); i++) {
            EXPECT_EQ(at[i], r.bytes[i].offset) << r.what;
            EXPECT_EQ(commsram[at[i]], r.bytes[i].value) << r.what;
        }
        EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), r.hold_level) << r.what;
        for (uint8_t b : dspram) ASSERT_EQ(b, 0) << r.what;
        for (uint8_t b : aux_ram) ASSERT_EQ(b, 0) << r.what;
    }
}

TEST_F(SoundGates, StopClearsOnlyTheRunningBit) {
    const uint32_t cases[][2] = {{0xC0C5, 0x40C5}, {0x40C5, 0x40C5}, {0xE105, 0x6105}, {0x8000, 0x0000}};
    for (const auto& c : cases) {
        command_put(5, c[0]);
        sound_stop(5);
        EXPECT_EQ(command(5), c[1]) << std::hex << c[0];
    }
}

TEST_F(SoundGates, HoldAndDeferPlaysOnlyTheLastDeferredIdOnThe286thTick) {
    game(5);
    command_put(5, 0x8105);
    sound_hold_and_defer(5);
    EXPECT_EQ(command(5), 0xA105u);
    EXPECT_EQ(w_word(W_SOUND_HOLD_TIMER), 285);
    std::vector<uint8_t> before = sound_ram();
    for (int32_t id : {6, 7, 9}) sound_play_or_defer(id);
    EXPECT_TRUE(changed(before).empty());
    EXPECT_EQ(w_word(W_SOUND_DEFERRED_ID), 9);
    for (int tick = 1; tick <= 285; tick++) sound_defer_tick();
    EXPECT_TRUE(changed(before).empty()) << "still held after 285 ticks";
    sound_defer_tick();
    EXPECT_EQ(changed(before), std::vector<uint32_t>({18, 19}));
    EXPECT_EQ(command(9), 0x4109u);
    EXPECT_EQ(w_word(W_SOUND_DEFERRED_ID), -1);
    EXPECT_EQ(w_word(W_SOUND_HOLD_TIMER), -1);
    before = sound_ram();
    for (int tick = 0; tick < 400; tick++) sound_defer_tick();
    EXPECT_TRUE(changed(before).empty()) << "the timer stays off";
    // While held, a stop that respects the hold leaves the sound alone.
    command_put(6, 0xC106);
    sound_hold_and_defer(5);
    sound_stop_unless_held(6);
    EXPECT_EQ(command(6), 0xC106u);
}

struct throttle_case {
    int32_t level_before, level_after;
    bool plays;
};

TEST_F(SoundGates, ThrottledPlayCountsTheHoldLevelDown) {
    const throttle_case cases[] = {{0, -1, true},       {1, 0, true},     {2, 1, false},  {-1, -2, true},
                                   {-32768, 32767, false}, {-32767, -32768, true}, {300, 299, false}};
    game(5);
    for (const throttle_case& c : cases) {
        command_put(5, 0);
        w_word_set(W_SOUND_HOLD_LEVEL, c.level_before);
        sound_play_throttled(5);
        EXPECT_EQ(command(5) == 0x4105, c.plays) << c.level_before;
        if (!c.plays) {
            EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), c.level_after) << c.level_before;
        }
    }
}

TEST_F(SoundGates, PlayRaisesTheHoldLevelOnly) {
    game(5);
    sound_play(37);  // hold 60
    EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), 60);
    sound_play(85);  // hold 5
    EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), 60);
    sound_play_p(37 << 16 | 1);
    sound_play_or_defer(86);  // neither raises it
    sound_play_p_ungated(86 << 16);
    EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), 60);
    sound_play_p2val(86, 3);
    EXPECT_EQ(w_word(W_SOUND_HOLD_LEVEL), 0x7FFF);
}

TEST_F(SoundGates, SecondParameterOfThePlays) {
    game(5);
    sound_play(85);
    EXPECT_EQ(param(3), 0x1234u);
    sound_play_p2(85 << 16 | 0x22, 0x5678);
    EXPECT_EQ(param(3), 0x5678u);
    EXPECT_EQ(param(-128), 0x22u);
    sound_play_p2val(85, 0x9ABC);
    EXPECT_EQ(param(3), 0x9ABCu);
    sound_param2_set(85, 0x0102);
    EXPECT_EQ(param(3), 0x0102u);
    EXPECT_EQ(command(20), 0x4155u);
}

TEST_F(SoundGates, CooldownHoldsTheScrapeSound) {
    game(3, 2);
    sound_play_cooldown(80);
    EXPECT_EQ(command(26), 0x411Au);
    EXPECT_EQ(param(26), 80u);
    EXPECT_EQ(w_word(W_SOUND_COOLDOWN), 45);
    command_put(26, 0);
    sound_play_cooldown(81);
    EXPECT_EQ(command(26), 0u) << "cooling down";
    w_word_set(W_SOUND_COOLDOWN, 0);
    game(3, 19);
    sound_play_cooldown(81);
    EXPECT_EQ(command(26), 0u) << "sub-state 19";
    game(3, 2);
    wram_long_set(W_PITCH_INPUT, 2);
    balloon_sound_cooldown();
    EXPECT_EQ(command(26), 0u) << "balloon sound off by W 0x0D50 bit 1";
    wram_long_set(W_PITCH_INPUT, 0);
    balloon_sound_cooldown();
    EXPECT_EQ(param(26), 82u);
}

TEST_F(SoundGates, PlayOnceStopsTheUpperSlotsOnce) {
    game(5);
    for (int32_t s = 0; s < 32; s++) command_put(s, 0xC000 | uint32_t(s));
    sound_play_once();
    for (int32_t s = 0; s < 32; s++) {
        uint32_t expected = s == 14 ? 0x4126 : s <= 12 ? 0xC000 | s : 0x4000 | s;
        EXPECT_EQ(command(s), expected) << s;
    }
    EXPECT_EQ(param(14), 0x76u);
    for (int16_t slot : SYNTH_PARAM_RESET_SLOTS) EXPECT_EQ(param(slot), 0xFFu) << slot;
    EXPECT_EQ(w_word(W_SOUND_ONCE_FLAG), 1);
    std::vector<uint8_t> before = sound_ram();
    sound_play_once();
    EXPECT_TRUE(changed(before).empty());
    // The coin sound turns into the goal sound while the flag is set.
    sound_play(SOUND_COIN);
    EXPECT_EQ(param(14), 0x77u);
    EXPECT_EQ(command(12), 0xC00Cu);
    sound_once_flag_clear();
    sound_play(SOUND_COIN);
    EXPECT_EQ(command(12), 0x4115u);
}

TEST_F(SoundGates, StopAllAndUpperStop) {
    for (int32_t s = 0; s < 34; s++) command_put(s, 0xC000 | uint32_t(s));
    sound_stop_upper();
    for (int32_t s = 0; s < 34; s++) EXPECT_EQ(command(s) & 0x8000, s <= 12 || s >= 32 ? 0x8000u : 0u) << s;
    sound_stop_all();
    for (int32_t s = 0; s < 34; s++) EXPECT_EQ(command(s) & 0x8000, s >= 32 ? 0x8000u : 0u) << s;
    // A coin slot above 30 stops nothing.
    bus_write16(0x0356A0, 31);
    command_put(31, 0xC000);
    sound_stop_upper();
    EXPECT_EQ(command(31), 0xC000u);
}

TEST_F(SoundGates, IndexedPlays) {
    struct row {
        int32_t i, slot;
        uint32_t command, param;
    };
    const row rows[] = {{0, 8, 0x4128, 0}, {2, 10, 0x412A, 0}, {4, 30, 0x411E, 44}, {6, 30, 0x411E, 46}};
    game(5);
    for (const row& r : rows) {
        sound_play_indexed(r.i);
        EXPECT_EQ(command(r.slot), r.command) << r.i;
        EXPECT_EQ(param(r.slot), r.param) << r.i;
    }
    std::vector<uint8_t> before = sound_ram();
    for (int32_t i : {3, 7, -1}) sound_play_indexed(i);
    EXPECT_TRUE(changed(before).empty());
}

TEST_F(SoundGates, PresetRestartsOnlyItsRunningCommand) {
    const uint32_t cases[][2] = {{0x802F, 0x002F}, {0x002F, 0x002F}, {0x802E, 0x802E}, {0xC02F, 0xC02F}};
    for (const auto& c : cases) {
        command_put(10, c[0]);
        sound_preset_from_rom();
        EXPECT_EQ(command(10), c[1]) << std::hex << c[0];
    }
}

TEST_F(SoundGates, ParameterLevels) {
    struct row {
        int32_t argument, adjust, slot;
        int32_t expected;  // -1: nothing written
    };
    const row rows[] = {
        {4 << 16 | 100, 0, 4, 100},        {4 << 16 | 100, 200, 4, 255},      {4 << 16 | 0xFFF0, 0, 4, 0},
        {4 << 16 | 50, -60, 4, 0},         {4 << 16 | 256, 0, 4, 255},        {-128 * 65536 | 7, 0, -128, 7},
        {0x3F7F << 16 | 9, 0, 16255, 9},   {0x3F80 << 16 | 1, 0, 16256, -1},  {-0x800001, 0, -129, -1},
    };
    for (const row& r : rows) {
        SetUp();
        w_word_set(W_LEVEL_ADJUST, r.adjust);
        std::vector<uint8_t> before = sound_ram();
        sound_param_level_set(r.argument);
        if (r.expected < 0)
            EXPECT_TRUE(changed(before).empty()) << std::hex << r.argument;
        else
            EXPECT_EQ(param(r.slot), uint32_t(r.expected)) << std::hex << r.argument;
    }
}

TEST_F(SoundGates, CourseListLevels) {
    wram_long_set(W_COURSE_NUMBER, 0);
    param_put(16, 0);
    param_put(17, 0xFE);
    param_put(18, 0x10);
    w_word_set(W_COURSE_FADE_LEVEL, 0x20);
    course_sounds_fade_in();
    EXPECT_EQ(w_word(W_COURSE_FADE_LEVEL), 0x21);
    EXPECT_EQ(param(16), 0x21u);
    EXPECT_EQ(param(17), 0xFFu);
    EXPECT_EQ(param(18), 0x21u);
    w_word_set(W_COURSE_FADE_LEVEL, 255);
    param_put(16, 0x100);
    course_sounds_fade_in();
    EXPECT_EQ(w_word(W_COURSE_FADE_LEVEL), 255);
    EXPECT_EQ(param(16), 0xFFu);
    wram_long_set(W_COURSE_NUMBER, 1);
    course_sounds_full();
    EXPECT_EQ(param(20), 0xFFu);
    // A list without its end stops after 64 words.
    for (uint32_t k = 0; k <= 64; k++) bus_write16(0x035A04 + 2 * k, 100 + k);
    wram_long_set(W_COURSE_NUMBER, 0);
    course_sounds_full();
    EXPECT_EQ(param(163), 0xFFu);
    EXPECT_EQ(param(164), 0u);
    // Courses outside 0..3 have no list.
    std::vector<uint8_t> before = sound_ram();
    for (int32_t course : {4, -1}) {
        wram_long_set(W_COURSE_NUMBER, course);
        course_sounds_full();
        course_start_sound_play();
    }
    EXPECT_TRUE(changed(before).empty());
}

TEST_F(SoundGates, ScenerySoundAheadAndBehind) {
    struct row {
        int32_t dx, dz, heading;
        bool plays;
    };
    const row rows[] = {
        {0, 0x1000, 0, true},       // ahead, near
        {0, 0x20000, 0, false},     // ahead, beyond 0x7000
        {0, -0x1000, 0, true},      // behind, within 4095
        {0, -0x4000, 0, false},     // behind, 4096
        {0, -0x4000, 0x8000, true}, // the camera turned toward it
        {0, 0x4004, 0x0BFF, true},  // at the cone's edge: d = 4101 plays ahead
        {0, 0x4004, 0x0C00, false}, // just outside it: beyond 4095
    };
    game(5);
    for (const row& r : rows) {
        command_put(7, 0);
        wram_long_set(W_CAMERA_HEADING, r.heading);
        scenery_sound_play(r.dx, r.dz);
        EXPECT_EQ(command(7) == 0x4127, r.plays) << r.dx << "," << r.dz << " heading " << r.heading;
    }
}

TEST_F(SoundGates, ContactPickRaisesTheContactLevel) {
    struct row {
        int32_t id, parameter, speed, level_before, result, level_after;
    };
    const row rows[] = {{2, 90, 5000, 0, 0, 0},   {9, 90, 5000, 0, 0, 0},     {10, 90, 2048, 0, 1, 60},
                        {10, 90, 2049, 0, 1, 90}, {10, 30, 5000, 100, 1, 100}, {1, 30, 5000, -5, 1, 30}};
    for (const row& r : rows) {
        w_word_set(W_CONTACT_LEVEL, r.level_before);
        EXPECT_EQ(contact_pick(r.id, r.parameter, r.speed), r.result) << r.id;
        EXPECT_EQ(w_word(W_CONTACT_LEVEL), r.level_after) << r.id << " " << r.speed;
    }
}

TEST_F(SoundGates, VolumesGoToTheAuxiliaryWords) {
    for (uint32_t i = 0; i < 4; i++) w_cell_set(W_SOUND_VOLUMES + 2 * i, int32_t(0x10000 + 0x1111 * (i + 1)));
    sound_volumes_put();
    for (uint32_t i = 0; i < 4; i++) EXPECT_EQ(bus_read16(AUX_SOUND_VOLUMES + 2 * i), int(0x1111 * (i + 1)));
    EXPECT_EQ(std::count_if(aux_ram, aux_ram + sizeof aux_ram, [](uint8_t b) { return b != 0; }), 8);
}

TEST_F(SoundGates, MailboxWritesBothWordsOrNeither) {
    sound_mailbox_write(0x1234, 0x5678);
    EXPECT_EQ(sound_ram_word(0x180), 0x1234u);
    EXPECT_EQ(sound_ram_word(0x182), 0x5678u);
    struct row {
        int16_t slot;
        bool writes;
    };
    for (row r : {row{16254, true}, row{16255, false}, row{-128, true}, row{-129, false}}) {
        SetUp();
        bus_write16(0x0357AC, uint16_t(r.slot));
        sound_mailbox_write(0x1234, 0x5678);
        std::vector<uint8_t> zero(sizeof commsram, 0);
        EXPECT_EQ(changed(zero).size(), r.writes ? 4u : 0u) << r.slot;
    }
}

TEST_F(SoundGates, LargestCommandOfTheTable) {
    EXPECT_EQ(sound_table_max_cmd(), int32_t(SYNTH_SOUND_MAX_COMMAND));
    bus_write16(SOUND_TABLE + 12 * 10 + 2, 0x8000);  // the end record after id 9
    EXPECT_EQ(sound_table_max_cmd(), 0x0109);
}

struct reset_row {
    const char* what;
    int32_t state, attract_phase, attract_long, course;
    bool stops_all, opening, last_course_music;
};

TEST_F(SoundGates, CourseSoundReset) {
    const reset_row rows[] = {
        {"race, course 0", 3, 0, 0, 0, true, true, false},
        {"race, course 3", 3, 0, 0, 3, true, true, true},
        {"state 10", 10, 0, 0x10000, 0, true, true, false},
        {"attract phase 20 with sound", 1, 20, 0x10000, 0, false, true, false},
        {"attract phase 4 without sound", 1, 4, 0, 0, true, false, false},
        {"attract phase 6 with sound", 1, 6, 0x10000, 0, true, false, false},
        {"state 0", 0, 0, 1, 0, true, false, false},
    };
    for (const reset_row& r : rows) {
        SetUp();
        game(r.state, 2);
        wram_long_set(W_ATTRACT_PHASE, r.attract_phase);
        wram_long_set(W_ATTRACT_SOUND, r.attract_long);
        wram_long_set(W_COURSE_NUMBER, r.course);
        wram_long_set(W_PLAYER_HEADING, 0x12345);
        wram_long_set(W_FRAME_COUNTER, 777);
        wram_long_set(W_SOUND_DEFERRED_ID, 0x00070033);
        wram_long_set(W_CONTACT_BITS, 0x009F0011);
        for (uint32_t i = 0; i < 8; i++) aux_ram[0x3D58 + i] = 0xEE;
        command_put(31, 0xC000);
        sound_ram_word_set(MAILBOX_STEM_ACK, 1);
        sound_course_reset();
        SCOPED_TRACE(r.what);
        for (uint32_t i = 0; i < 8; i++) EXPECT_EQ(aux_ram[0x3D58 + i], 0);
        EXPECT_EQ(command(31), r.stops_all ? 0x4000u : 0xC000u);
        EXPECT_EQ(param(3), r.stops_all ? 0xFFu : 0u);
        EXPECT_EQ(sound_ram_word(MAILBOX_STEM_ACK), r.opening ? 0u : 1u) << "stems reset";
        if (r.opening) {
            const uint32_t opening[][2] = {{1, 0x2000}, {5, 0x2000}, {6, 0x00FF}, {7, 0x2000}, {8, 0x00FF}};
            for (const auto& p : opening) EXPECT_EQ(param(int32_t(p[0])), p[1]) << p[0];
        }
        uint32_t slot2 = r.state == 3 && !r.last_course_music ? 0x4142 : r.last_course_music ? 0x40D2 : r.opening ? 0x4102 : 0;
        EXPECT_EQ(command(2), slot2);
        EXPECT_EQ(command(30), r.last_course_music ? 0x413Eu : 0u);
        if (r.last_course_music) {
            EXPECT_EQ(command(1), 0x40D1u);
            EXPECT_EQ(command(4), 0x40D4u);
        }
        EXPECT_EQ(wram_long(W_LAST_RACE_TIMER), 0x7FFF7FFF);
        EXPECT_EQ(wram_long(W_IDLE_FRAME_MARK), 777);
        EXPECT_EQ(wram_long(W_IDLE_FLAG), 2);
        EXPECT_EQ(wram_long(W_SOUND_ONCE_FLAG), 0xFFFF);
        EXPECT_EQ(wram_long(W_AREA_CELL), -1);
        EXPECT_EQ(wram_long(W_SOUND_DEFERRED_ID), 0x00070000);
        EXPECT_EQ(wram_long(W_CONTACT_BITS), 0x0011);
        EXPECT_EQ(wram_long(W_POINT_COOLDOWN), 0x2345);
        EXPECT_EQ(wram_long(W_STEM_WAIT), 0);
        EXPECT_EQ(wram_long(W_SOUND_COOLDOWN), 0);
        EXPECT_EQ(wram_long(W_CLIMB_COUNTER), 0);
    }
}

}  // namespace
