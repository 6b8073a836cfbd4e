// The stage start, the countdown's wind and camera, the course start and race timer,
// and whole runs from gameplay sub-state 2 on the synthetic ROM set: course 0 through
// the countdown into the race, course 3 through the fly-in into the race.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/course_start.h"
#include "game/world/stage_flyin.h"
#include "game/world/stage_ram.h"
#include "game/world/stage_start.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <vector>

namespace {

constexpr uint32_t WIND_PARAM_SLOT_ROM = 0x0357AC;

class StageTest : public testing::Test {
protected:
    void SetUp() override {
        unsetenv("SKYVOLTA_TEST_PASS");
        unsetenv("SKYVOLTA_TEST_TIMEHOLD");
        screen_start();
        dl_cursor_set(dl_packet_area(0));
    }
    // The command word of a sound's slot: bit 14 set by a play, bit 15 while it runs.
    static uint32_t command_word(int32_t id) {
        sound_record r;
        uint32_t word = 0;
        if (sound_record_read(id, &r)) slot_command(r.slot, &word);
        return word;
    }
    static bool playing(int32_t id) { return command_word(id) & 0xC000; }
    static std::vector<uint32_t> mailbox() {
        uint32_t slot = uint32_t(bus_read16(WIND_PARAM_SLOT_ROM));
        return {sound_ram_word(0x100 + 2 * slot), sound_ram_word(0x100 + 2 * slot + 2)};
    }
    static bool cursor_inside_dspram() {
        auto* c = reinterpret_cast<uint8_t*>(dl_cursor_get());
        return c >= dspram && c <= dspram + sizeof dspram;
    }
    // Gameplay from sub-state 2 on a course: frames until the race (sub-state 3) or
    // `limit`, the cursor checked every frame; returns the frames run.
    static int race_from_sub_state_2(int32_t course, int limit, const std::function<void(int)>& each = {}) {
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_GAME_SUB_STATE, 2);
        w_cell_set(W_COURSE_NUMBER, course);
        w_cell_set(W_MODE_SETTING, 1);
        wram_export();  // the frame step starts from the byte image
        for (int f = 1; f <= limit; f++) {
            screen_frame();
            EXPECT_TRUE(cursor_inside_dspram()) << "frame " << f;
            if (each) each(f);
            if (screen_sub_state() == 3) return f;
        }
        return limit;
    }
};

TEST_F(StageTest, StageStartEndsInGameplayInitOnItsSecondFrame) {
    w_cell_set(W_GAME_STATE, 5);
    w_cell_set(W_STAGE_START_SUB_STATE, 0);
    stage_start_run();
    EXPECT_EQ(w_cell(W_STAGE_START_SUB_STATE), 7);
    EXPECT_EQ(w_cell(W_GAME_STATE), 5);
    EXPECT_EQ(w_cell(W_VIEWER_X + 8), SYNTH_VIEWER_START[2]);
    EXPECT_EQ(w_cell(W_VIEWER_MODE), SYNTH_VIEWER_START[6]);
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEWER_MARKS + 38), 0xFFFF);
    EXPECT_EQ(screen_text_row(1).substr(9, 13), SYNTH_VIEWER_TITLE);
    stage_start_run();
    EXPECT_EQ(w_cell(W_GAME_STATE), 2);
}

TEST_F(StageTest, CourseStartTakesTheTablesPositionAndTime) {
    for (int course = 0; course < 4; course++) {
        SCOPED_TRACE(course);
        w_cell_set(W_COURSE_NUMBER, course);
        w_cell_set(W_MODE_SETTING, 2);
        w_write16(WRAM_BASE + W_GAME_MODE, 0);
        course_start_position();
        const synth_course_start& s = SYNTH_COURSE_STARTS[course];
        EXPECT_EQ((std::vector<int32_t>{w_cell(W_PLAYER_X), w_cell(W_PLAYER_Y), w_cell(W_PLAYER_Z),
                                        w_cell(W_PLAYER_PITCH), w_cell(W_PLAYER_HEADING), w_cell(W_PLAYER_ROLL)}),
                  (std::vector<int32_t>{s.x, s.y, s.z, s.pitch, s.heading, s.roll}));
        EXPECT_EQ(w_cell(W_RACE_TIMER), synth_course_seconds(course, 2) * 60);
    }
}

// The quota's deduction counts continues (the low word of W 0x0E68), at most three; the
// balloon count in the high word plays no part.
TEST_F(StageTest, MultiStageQuotaDeductsUpToThreeContinues) {
    struct {
        int continues, course, stage, setting;
    } const rows[] = {{0, 1, 0, 0}, {2, 2, 1, 1}, {3, 0, 2, 2}, {9, 3, 1, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.continues);
        w_write16(WRAM_BASE + W_GAME_MODE, 1);
        w_cell_set(W_COURSE_NUMBER, r.course);
        w_write16(WRAM_BASE + W_COURSE_PAIR, uint32_t(r.stage));
        w_cell_set(W_MODE_SETTING, r.setting);
        w_write16(WRAM_BASE + 0x0E68, 77);
        w_write16(WRAM_BASE + W_COURSE_LEFT, uint32_t(r.continues));
        course_start_position();
        EXPECT_EQ(w_cell(W_STAGE_QUOTA),
                  synth_stage_base(r.course, r.stage, r.setting) - std::min(r.continues, 3) * SYNTH_QUOTA_DEDUCTION);
        EXPECT_EQ(w_cell(W_RACE_TIMER), synth_stage_seconds(r.course, r.stage, r.setting) * 60);
    }
}

TEST_F(StageTest, RaceTimerRowsFromTheFinishStallAndDisplay) {
    struct row {
        const char* what;
        int32_t left, shown, end, stall, hold, frames;
        int32_t left_after, shown_after;
    } const rows[] = {
        {"after the finish runs on to a whole second", 125, 125, 1, 0, 0, 10, 120, 120},
        {"at zero stays zero", 0, 0, 0, 0, 0, 10, 0, 0},
        {"display climbs 4 a frame", 600, 500, 0, 0, 0, 10, 590, 540},
        {"display closes the last gap", 600, 598, 0, 0, 0, 1, 599, 599},
        {"display closes a gap of 3 at once", 600, 596, 0, 0, 0, 1, 599, 599},
        {"display closes a gap of 4 by its step", 600, 595, 0, 0, 0, 1, 599, 599},
        {"display above the time falls one a frame", 600, 700, 0, 0, 0, 2, 598, 698},
        {"display never above 5940", 7000, 5939, 0, 0, 0, 3, 6997, 5940},
        {"stall freezes the time", 300, 300, 0, 1, 0, 5, 300, 300},
        {"hold freezes the time", 300, 300, 0, 0, 1, 5, 300, 300},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        w_cell_set(W_RACE_TIMER, r.left);
        w_cell_set(W_RACE_TIMER_SHOWN, r.shown);
        w_cell_set(W_END_FLAG, r.end);
        w_cell_set(W_STOP_FLAG, r.stall);
        w_cell_set(W_TIMER_HOLD, r.hold);
        w_cell_set(W_RACE_FRAMES, 200);
        for (int f = 0; f < r.frames; f++) race_timer_update();
        EXPECT_EQ(w_cell(W_RACE_TIMER), r.left_after);
        EXPECT_EQ(w_cell(W_RACE_TIMER_SHOWN), r.shown_after);
    }
    // Frames keep counting at zero; after the finish only until the whole second.
    EXPECT_EQ(w_cell(W_RACE_FRAMES), 205);
}

// The test switches: the time held at 4096 at least; the time cut once to the pass time
// and the score raised to the quota + 500.
TEST_F(StageTest, TimerTestSwitchesHoldAndCutTheTime) {
    setenv("SKYVOLTA_TEST_TIMEHOLD", "1", 1);
    w_cell_set(W_RACE_TIMER, 100);
    race_timer_update();
    EXPECT_EQ(w_cell(W_RACE_TIMER), 4095);
    unsetenv("SKYVOLTA_TEST_TIMEHOLD");

    setenv("SKYVOLTA_TEST_PASS", "600", 1);
    w_cell_set(W_RACE_TIMER, 3000);
    w_cell_set(W_STAGE_QUOTA, 1200);
    w_cell_set(W_RUN_SCORE, 10);
    race_timer_update();
    EXPECT_EQ(w_cell(W_RACE_TIMER), 599);
    EXPECT_EQ(w_cell(W_RUN_SCORE), 1700);
    w_cell_set(W_RACE_TIMER, 650);  // less than a second more: the latch stays closed
    race_timer_update();
    EXPECT_EQ(w_cell(W_RACE_TIMER), 649);
    w_cell_set(W_RACE_TIMER, 3000);  // a time bonus re-arms it
    race_timer_update();
    EXPECT_EQ(w_cell(W_RACE_TIMER), 599);
    unsetenv("SKYVOLTA_TEST_PASS");
}

TEST_F(StageTest, StartSpriteBlinksSixteenOnSixteenOffFor128Frames) {
    w_cell_set(W_RACE_FRAMES, 0);
    std::vector<int> shown;
    for (int f = 1; f <= 140; f++) {
        int32_t before = w_cell(W_SPRITE_COUNT);
        race_timer_update();
        shown.push_back(w_cell(W_SPRITE_COUNT) > before);
    }
    for (int f = 1; f <= 140; f++) EXPECT_EQ(shown[f - 1], f < 128 && (f & 0x10) == 0) << f;
}

// The countdown on course 0 from sub-state 2: wind sound 43 from 330 frames left, the
// mailbox every frame (255 fading, swelling after 220), stopped with (255, 0xB000) at 1
// frame left; the camera path ends on the player's heading; then the race.
TEST_F(StageTest, CourseZeroRunsTheCountdownIntoTheRace) {
    std::vector<uint32_t> volumes;
    bool wind_seen = false;
    int frames = race_from_sub_state_2(0, 400, [&](int f) {
        if (screen_sub_state() != 5 && f > 1) return;
        if (f == 1) wind_seen = playing(43);
        volumes.push_back(mailbox()[0]);
    });
    EXPECT_EQ(frames, 331);  // the set-up frame, then 330 frames of countdown
    EXPECT_TRUE(wind_seen);
    ASSERT_GE(volumes.size(), 330u);
    EXPECT_EQ(volumes[0], 255u);              // 330 left
    EXPECT_LT(volumes[30], 255u);             // fading
    EXPECT_GT(volumes[300], volumes[200]);    // swelling
    EXPECT_EQ(mailbox(), (std::vector<uint32_t>{255, 0xB000}));
    EXPECT_EQ(command_word(43) & 0x8000, 0u);
    EXPECT_EQ(w_cell(W_CAMERA_HEADING) & 0xFFFF, SYNTH_COURSE_STARTS[0].heading & 0xFFFF);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 0);
    EXPECT_EQ(w_cell(W_RACE_TIMER), synth_course_seconds(0, w_cell(W_MODE_SETTING)) * 60);
    for (int f = 0; f < 30; f++) {
        screen_frame();
        ASSERT_TRUE(cursor_inside_dspram());
    }
    EXPECT_EQ(screen_sub_state(), 3);
    EXPECT_LT(w_cell(W_RACE_TIMER), synth_course_seconds(0, w_cell(W_MODE_SETTING)) * 60);
}

TEST_F(StageTest, AtOneHundredTenLeftOnlyTheSweepObjectResets) {
    countdown_sweep(COUNTDOWN_LEFT_FIRST);
    std::vector<uint32_t> before = mailbox();
    int32_t* cursor = dl_cursor_get();
    countdown_sweep(110);
    EXPECT_EQ(mailbox(), before);
    EXPECT_EQ(dl_cursor_get(), cursor);
    EXPECT_EQ(w_cell(W_COUNTDOWN_FIGURE + 0x880), -1);
}

// A new countdown starts its figure from rest: the height, lift and lift speed a previous
// countdown left behind change nothing in the figure's height when the lift starts
// (frames 90 and 91).
TEST_F(StageTest, CountdownFigureLiftStartsFromRestWhateverWasLeft) {
    auto heights = [](int32_t leftover) {
        for (uint32_t w : {W_FIGURE_HEIGHT, W_FIGURE_LIFT, W_FIGURE_LIFT_SPEED}) w_cell_set(w, leftover);
        std::vector<int32_t> out;
        for (int32_t e = 0; e <= 91; e++) {
            dl_cursor_set(dl_packet_area(0));
            countdown_sweep(COUNTDOWN_LEFT_FIRST - e);
            if (e >= 90) out.push_back(w_cell(W_FIGURE_HEIGHT));
        }
        return out;
    };
    std::vector<int32_t> cleared = heights(0);
    SetUp();
    EXPECT_EQ(heights(0x123456), cleared);
}

// From frame 130 the figure's lift aims at the course's target: 2000 higher on the high
// courses (7 balloons left) than on the others; before it the lift stays 0.
TEST_F(StageTest, CountdownFigureLiftAimsHigherOnTheHighCourses) {
    auto lift_at = [this](int32_t balloons_left, int32_t frame) {
        SetUp();
        w_write16(WRAM_BASE + W_BALLOONS_LEFT, uint32_t(balloons_left));
        for (int32_t e = 0; e <= frame; e++) {
            dl_cursor_set(dl_packet_area(0));
            countdown_sweep(COUNTDOWN_LEFT_FIRST - e);
        }
        return w_cell(W_FIGURE_LIFT);
    };
    EXPECT_EQ(lift_at(7, 129), 0);
    EXPECT_EQ(lift_at(7, 130) - lift_at(0, 130), 2000 * 256);
}

// Course 3 through the fly-in: sounds 50, 3 and 51, the ramp, the countdown parameters,
// the speed floor of the descent, then the race at frame 900.
TEST_F(StageTest, CourseThreeFliesInIntoTheRace) {
    std::vector<int> approach_sound, chime, descent_sound;
    int32_t lowest_speed = INT32_MAX;
    int frames = race_from_sub_state_2(3, 1000, [&](int f) {
        int32_t c = w_cell(W_FLYIN_COUNTER);
        if (c == 1 && playing(50)) approach_sound.push_back(f);
        if (c == 246 && playing(3)) chime.push_back(f);
        if (c == 541 && playing(51)) descent_sound.push_back(f);
        if (c > FLYIN_DESCENT_FROM && c < FLYIN_FRAMES) lowest_speed = std::min(lowest_speed, w_cell(W_PLAYER_SPEED));
    });
    EXPECT_EQ(frames, FLYIN_FRAMES);
    EXPECT_EQ(approach_sound.size(), 1u);
    EXPECT_EQ(chime.size(), 1u);
    EXPECT_EQ(descent_sound.size(), 1u);
    EXPECT_GE(lowest_speed, 3742);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 3);
    EXPECT_EQ(w_cell(W_END_FLAG), 0);
    screen_frames(10);
    EXPECT_EQ(screen_sub_state(), 3);
}

// Positions wrap at 32 bits as on the board: a course starting at an edge of the
// coordinate range runs its countdown figure and camera path (or its fly-in) and the
// first second of the race across the edge.
TEST_F(StageTest, ACourseStartAtTheCoordinateEdgeRunsIntoTheRace) {
    struct edge_case {
        int32_t course, x, y, z, pitch, heading;
        int limit;
    };
    const edge_case cases[] = {{0, INT32_MIN, INT32_MIN, INT32_MIN, 0, INT32_MIN, 400},
                               {0, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 400},
                               {3, INT32_MAX, 260000, INT32_MIN, INT32_MIN, INT32_MAX, 1000}};
    for (const edge_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "course " << c.course << " at " << c.x << "," << c.y << "," << c.z
                                        << " pitch " << c.pitch << " heading " << c.heading);
        screen_start();
        dl_cursor_set(dl_packet_area(0));
        const int32_t start[5] = {c.x, c.y, c.z, c.pitch, c.heading};
        for (uint32_t field = 0; field < 5; field++)
            bus_write32(ROM_COURSE_START + 4 * (4 * field + uint32_t(c.course)), uint32_t(start[field]));
        // The camera stays by the machine (across the edge from it at times), whatever
        // side of the edge the figure, the path and the fly-in put them on.
        int32_t camera_reach = 0;
        int frames = race_from_sub_state_2(c.course, c.limit, [&](int) {
            for (uint32_t axis = 0; axis < 3; axis += 2)
                camera_reach = std::max(camera_reach, wrap_abs(wrap_sub(w_cell(W_CAMERA_X + 4 * axis),
                                                                        w_cell(W_PLAYER_X + 4 * axis))));
        });
        EXPECT_EQ(frames, c.course == 0 ? 331 : FLYIN_FRAMES);
        EXPECT_LT(camera_reach, 0x100000);  // ten cells; off the grid the machine drifts
        // The race's first second runs on from there.
        screen_frames(60, screen_input{.pedal_counter = 600});
        EXPECT_EQ(screen_sub_state(), 3);
        EXPECT_TRUE(cursor_inside_dspram());
    }
}

TEST_F(StageTest, FlyInCountdownParametersAndRamp) {
    w_cell_set(W_GAME_STATE, 3);
    flyin_path_keys_set();
    std::vector<uint32_t> params;
    sound_record r;
    ASSERT_TRUE(sound_record_read(10, &r));
    for (int c = 0; c < FLYIN_FRAMES; c++) {
        w_cell_set(W_FLYIN_COUNTER, c);
        if (c < 700) continue;  // the descent's sounds only
        dl_cursor_set(dl_packet_area(0));
        stage_flyin_run();
        uint32_t after = 0;
        slot_param(r.param_slot, &after);
        int n = FLYIN_FRAMES - (c + 1);
        if (n % 60 == 0 && n <= 180) params.push_back(after);
    }
    EXPECT_EQ(params, (std::vector<uint32_t>{131, 132, 133, 134}));
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 3);
}

// A counter left at 900 or more by an earlier fly-in ends the fly-in at once.
TEST_F(StageTest, FlyInCounterPastTheEndFinishes) {
    w_cell_set(W_GAME_STATE, 4);
    w_cell_set(W_GAME_SUB_STATE, 19);
    w_cell_set(W_FLYIN_COUNTER, 5000);
    stage_flyin_run();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 0);
    flyin_path_keys_set();
    EXPECT_EQ(w_cell(W_FLYIN_COUNTER), 0);
}

// The wind from the countdown's first frame with no lift: a fade from 255 to 66 over 60
// frames, 66 until 220 frames have passed, then a swell back toward 255.
TEST_F(StageTest, WindVolumeFadesAndSwells) {
    w_cell_set(W_GAME_STATE, 3);
    struct {
        int32_t elapsed;
        uint32_t volume;
    } const rows[] = {{0, 255}, {30, 161}, {59, 70}, {60, 66}, {219, 66}, {221, 67}, {275, 160}, {328, 251}};
    size_t next = 0;
    for (int32_t n = COUNTDOWN_LEFT_FIRST; n >= 2 && next < std::size(rows); n--) {
        dl_cursor_set(dl_packet_area(0));
        w_cell_set(W_FIGURE_LIFT, 0);
        countdown_sweep(n);
        if (n == 110) continue;  // the sweep object's frame writes nothing else
        if (COUNTDOWN_LEFT_FIRST - n != rows[next].elapsed) continue;
        EXPECT_EQ(mailbox()[0], rows[next].volume) << "elapsed " << rows[next].elapsed;
        EXPECT_EQ(mailbox()[1], 0xB000u);
        next++;
    }
    EXPECT_EQ(next, std::size(rows));
}

// The wind's pitch moves 1/8 of the way to its target each frame; a large lift takes
// the high pitch.
TEST_F(StageTest, WindPitchEasesTowardTheLiftsTarget) {
    w_cell_set(W_GAME_STATE, 3);
    countdown_sweep(COUNTDOWN_LEFT_FIRST);
    dl_cursor_set(dl_packet_area(0));
    w_cell_set(W_FIGURE_LIFT, 0x7FFFFFFF);
    countdown_sweep(250);
    EXPECT_EQ(mailbox()[1], uint32_t(0xB000 + (0xCC00 - 0xB000) / 8));
    EXPECT_EQ(mailbox()[0], 50u);  // the volume's floor
}

TEST_F(StageTest, NodeAimReachesWithTwoSegmentsOrPointsStraight) {
    constexpr uint32_t NODE = 0x1E000;
    math_counters.div_traps = 0;
    const int32_t near_target[3] = {0, 0, 600}, far_target[3] = {0, 0, 5000}, above[3] = {0, 5000, 0};
    countdown_node_aim(WRAM_BASE + NODE, near_target, 472, 356, 350490, 336925);
    int32_t first = w_cell(NODE + 0x30), second = w_cell(NODE + 128 + 0x30);
    EXPECT_EQ(w_cell(NODE + 0x34), 0);  // heading along +z
    EXPECT_GT(first, 0x1000);          // the upper segment swings out ...
    EXPECT_LT(first, 0x2800);
    EXPECT_LT(second, -0x3000);         // ... and the lower bends back
    EXPECT_GT(second, -0x5000);

    w_cell_set(NODE + 128 + 0x30, -20000);
    countdown_node_aim(WRAM_BASE + NODE, far_target, 472, 356, 350490, 336925);
    EXPECT_EQ(w_cell(NODE + 0x30), 0);
    EXPECT_EQ(w_cell(NODE + 128 + 0x30), -6144);
    countdown_node_aim(WRAM_BASE + NODE, above, 472, 356, 350490, 336925);
    EXPECT_NEAR(w_cell(NODE + 0x30), 0x4000, 64);
    EXPECT_EQ(w_cell(NODE + 0x34), 0);  // straight up keeps the heading
    EXPECT_EQ(math_counters.div_traps, 0u);

    // Records whose second segment would leave work RAM, and addresses outside it.
    for (int64_t record : {int64_t(WRAM_BASE + 261444), int64_t(0x100000), int64_t(0)}) {
        countdown_node_aim(record, near_target, 472, 356, 350490, 336925);
        EXPECT_EQ(w_cell(261444 + 0x34), 0);
    }
}

// The object viewer's keys: model steps (by 8 with the fast bit), move and turn modes,
// the step cycle and the resets, the marked frames.
TEST_F(StageTest, ObjectViewerFollowsItsKeys) {
    w_cell_set(W_STAGE_START_SUB_STATE, 0);
    stage_start_init();
    auto frame = [](uint32_t held, uint32_t pressed, uint32_t repeat, uint32_t fast = 0) {
        w_cell_set(W_SWITCH_PORT0 + SP_CURRENT, int32_t(held));
        w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, int32_t(pressed));
        w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, int32_t(repeat));
        w_cell_set(W_SWITCH_PORT0 + SP_DOUBLE, int32_t(fast));
        dl_cursor_set(dl_packet_area(0));
        stage_start_value_screen();
    };
    frame(0, 0, 0x08);
    frame(0, 0, 0x08, 0x08);
    EXPECT_EQ(w_cell(W_VIEWER_MODEL), 9);
    frame(0, 0, 0x800, 0x08);
    frame(0, 0, 0x800, 0x08);
    EXPECT_EQ(w_cell(W_VIEWER_MODEL), 0);  // never below 0

    frame(0x20 | 0x80 | 0x04, 0, 0);  // move: x - step, y + step, z + step
    EXPECT_EQ((std::vector<int32_t>{w_cell(W_VIEWER_X), w_cell(W_VIEWER_X + 4), w_cell(W_VIEWER_X + 8)}),
              (std::vector<int32_t>{SYNTH_VIEWER_START[0] - 10, SYNTH_VIEWER_START[1] + 10, SYNTH_VIEWER_START[2] + 10}));
    for (int32_t step : {100, 1000, 1, 10}) {
        frame(0, 0x01, 0);
        EXPECT_EQ(w_cell(W_VIEWER_STEP), step);
    }
    frame(0, 0x02, 0);
    EXPECT_EQ((std::vector<int32_t>{w_cell(W_VIEWER_X), w_cell(W_VIEWER_X + 4), w_cell(W_VIEWER_X + 8)}),
              (std::vector<int32_t>{0, 0, 4000}));

    frame(0, 0x200, 0);  // turn mode
    frame(0x20 | 0x40 | 0x400, 0, 0);
    EXPECT_EQ((std::vector<int32_t>{w_cell(W_VIEWER_ANGLES), w_cell(W_VIEWER_ANGLES + 4), w_cell(W_VIEWER_ANGLES + 8)}),
              (std::vector<int32_t>{SYNTH_VIEWER_START[3] - 256, SYNTH_VIEWER_START[4] + 256, SYNTH_VIEWER_START[5] + 256}));
    for (int i = 0; i < 5; i++) frame(0, 0x01, 0);
    EXPECT_EQ(w_cell(W_VIEWER_MODE), (SYNTH_VIEWER_START[6] + 5) % 6);
    frame(0, 0x02, 0);
    EXPECT_EQ(w_cell(W_VIEWER_ANGLES + 4), 0);

    frame(0, 0x08, 0);  // marks the frame count
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEWER_MARK_COUNT), 1);
    EXPECT_EQ(screen_text_row(5).substr(20, 4), "0012");  // 18 viewer frames before, in hexadecimal
    for (uint32_t i = 0; i < VIEWER_MARKS + 2; i++) frame(0, 0x08, 0);  // the marks fill up and stay full
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEWER_MARK_COUNT), VIEWER_MARKS);
    EXPECT_EQ(screen_text_row(3).substr(2, 5), SYNTH_VIEWER_LABELS[0]);
    EXPECT_EQ(screen_text_row(11).substr(2, 4), SYNTH_VIEWER_LABELS[8]);

    // Moves wrap at the edges of the coordinate range, as the board's adds do.
    frame(0, 0x200, 0);  // move mode, step 10
    const int32_t edge[3] = {INT32_MIN + 5, INT32_MAX - 5, INT32_MAX - 5};
    for (uint32_t i = 0; i < 3; i++) w_cell_set(W_VIEWER_X + 4 * i, edge[i]);
    frame(0x20 | 0x80 | 0x04, 0, 0);
    EXPECT_EQ((std::vector<int32_t>{w_cell(W_VIEWER_X), w_cell(W_VIEWER_X + 4), w_cell(W_VIEWER_X + 8)}),
              (std::vector<int32_t>{INT32_MAX - 4, INT32_MIN + 4, INT32_MIN + 4}));
}

// The caption: a tile block loaded every fourth step, drawn on the three between with the
// alternating palettes, then cleared.
TEST_F(StageTest, CaptionStepsThroughItsBlocks) {
    w_write16(WRAM_BASE + W_BAND_HEIGHT, 10);
    w_write16(WRAM_BASE + W_COURSE8_BANK, 12 << 8);
    stage_flyin_caption(0);
    EXPECT_EQ(screen_text_cell(10, 12) >> 12, 0);
    stage_flyin_caption(1);
    EXPECT_EQ(screen_text_cell(10, 12) >> 12, 8);
    stage_flyin_caption(5);
    EXPECT_EQ(screen_text_cell(10, 12) >> 12, 7);
    stage_flyin_caption(28 + 3);
    EXPECT_EQ(screen_text_cell(10, 12) >> 12, 7);
    stage_flyin_caption(1);
    bus_write16(0x89E000 + 18 * 128 + 28 * 2, 0x8041);
    stage_flyin_caption(33);
    EXPECT_EQ(screen_text_cell(28, 18) & 0xFF, 0x20);
}

// The descent alone: the eye moves from its start to its end, the pedals stop at the
// top of their turn, the speed keeps its floor and the pitch stays at or above 0.
TEST_F(StageTest, DescentSlowsThePedalsToAStop) {
    w_cell_set(W_GAME_STATE, 3);
    int32_t lowest_speed = INT32_MAX, lowest_pitch = INT32_MAX;
    for (int32_t c = FLYIN_DESCENT_FROM; c < FLYIN_FRAMES; c++) {
        w_cell_set(W_FLYIN_COUNTER, c);
        dl_cursor_set(dl_packet_area(0));
        stage_flyin_frame();
        lowest_speed = std::min(lowest_speed, w_cell(W_PLAYER_SPEED));
        lowest_pitch = std::min(lowest_pitch, w_cell(W_PLAYER_PITCH));
        if (c == FLYIN_DESCENT_FROM) {
            EXPECT_EQ(w_cell(W_COURSE_NUMBER), 3);
            EXPECT_EQ(w_cell(W_PLAY_FRAME_COUNTER), -360);
        }
    }
    EXPECT_GE(lowest_speed, 3742);
    EXPECT_GE(lowest_pitch, 0);
    EXPECT_EQ(w_cell(W_FLYIN_CRANK), 0);
    EXPECT_EQ(w_cell(W_CRANK_FRAME), 0);
    EXPECT_EQ(w_cell(W_CRANK_ANGLE), 0);
}

}  // namespace
