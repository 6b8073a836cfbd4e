// The course select on the synthetic ROM set: the course list from the remaining-course
// mask, the cursor by handle, Start and the countdown, the end of the screen, the
// final-course card, the course map with the quota after continues, and the pictures of
// the screens with text (the map's models are not in the synthetic point ROM).
#include "board/display_list.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/course_select.h"
#include "game/modes/select_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/balloons.h"
#include "tests/game/modes/select_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <string>

namespace {

int32_t cursor() {
    return w_cell(W_SELECT_CURSOR);
}

int32_t offered() {
    return w_read16(WRAM_BASE + W_SELECT_MAX);
}

bool confirmed() {
    return w_read16(WRAM_BASE + W_SELECT_HOLD) != 0;
}

uint16_t cell(int palette, int tile) {
    return uint16_t(palette << 12 | tile);
}

// The quota the five digit models show, units first at x = 135.
int32_t quota_shown() {
    int32_t q = 0, place = 1;
    for (int32_t x : {135, 92, 49, 6, -37}) {
        for (const dl_packet& p : select_packets())
            if (p.code == DL_HEADER_4 && p.x == x && p.y == 0 && p.z == 448 && p.model >= 839 && p.model <= 848)
                q += place * (p.model - 839);
        place *= 10;
    }
    return q;
}

// The synthetic quota of a course at stage 0 with the settings' quota index 0.
int32_t synth_quota(int32_t course) {
    return synth_stage_base(course, 0, 0);
}

struct list_case {
    uint32_t mask;
    bool debug;
    uint32_t list;
    int32_t count;
};

TEST(CourseSelectList, FollowsTheRemainingCourses) {
    const list_case cases[] = {
        {0xF, false, 0x00010200, 3}, {0xF, true, 0x00010203, 4}, {0x4, false, 0x02000000, 1},
        {0xA, false, 0x01000000, 1}, {0xA, true, 0x01030000, 2}, {0x5, false, 0x00020000, 2},
        {0x8, false, 0x00000000, 0},
    };
    for (const list_case& c : cases) {
        select_setting s;
        s.courses_left = c.mask;
        s.debug_switch = c.debug;
        select_enter(s);
        screen_frame();
        EXPECT_EQ(uint32_t(w_cell(W_SELECT_COURSES)), c.list) << std::hex << c.mask << " " << c.debug;
        EXPECT_EQ(offered(), c.count) << std::hex << c.mask << " " << c.debug;
        EXPECT_EQ(screen_sub_state(), 1);
    }
}

TEST(CourseSelectCursor, HandleMovesWithinTheListAndPicksTheCourse) {
    select_setting s;
    s.courses_left = 0x7;
    select_enter(s);
    screen_frame();
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 0);
    select_turn(HANDLE_HIGH);  // back: already at the first
    EXPECT_EQ(cursor(), 0);
    select_turn(HANDLE_LOW);
    EXPECT_EQ(cursor(), 1);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 1);
    EXPECT_EQ(select_sound_command(16) & 0x7FF, 0x110u);  // the move sound
    int32_t frames = w_cell(W_SELECT_FRAMES);
    EXPECT_EQ(w_word(W_POINT_COOLDOWN), frames - 2 + 120);  // the hint voice 120 frames on
    select_turn(HANDLE_LOW);
    select_turn(HANDLE_LOW);
    EXPECT_EQ(cursor(), 2);  // the last of three
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 2);
}

TEST(CourseSelectCursor, OneCourseLeftCannotMove) {
    select_setting s;
    s.courses_left = 0x2;
    select_enter(s);
    screen_frame();
    for (int16_t turn : {HANDLE_LOW, HANDLE_HIGH, HANDLE_LOW}) {
        select_turn(turn);
        EXPECT_EQ(cursor(), 0);
        EXPECT_EQ(w_cell(W_COURSE_NUMBER), 1);
    }
}

TEST(CourseSelectCursor, PortButtonsMoveAndPressConfirms) {
    select_setting s;
    select_enter(s);
    screen_frame();
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0x10);  // the cursor button on
    course_select_stage_cursor();
    EXPECT_EQ(cursor(), 1);
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0x20);
    course_select_stage_cursor();
    EXPECT_EQ(cursor(), 0);
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0);
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 1);  // the press
    course_select_stage_cursor();
    EXPECT_TRUE(confirmed());
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 1);  // the confirming press does not end the screen
    course_select_stage_cursor();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 2);  // a second one does
}

// Confirmed by Start at frame k, the screen ends when select_anim passes 256.
TEST(CourseSelectEnd, StartConfirmsThenTheCoursesDropAway) {
    select_setting s;
    s.courses_left = 0x6;
    select_enter(s);
    screen_frames(5);
    select_turn(HANDLE_LOW);
    select_start_press();
    EXPECT_TRUE(confirmed());
    EXPECT_EQ(w_cell(W_SELECT_ANIM), 2);  // the confirming frame and the released one
    int frames = select_frames_while(1, 400);
    EXPECT_EQ(frames, 255);
    EXPECT_EQ(screen_sub_state(), 2);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 2);
    EXPECT_EQ(w_cell(W_SELECT_ZOOM), 256);
}

TEST(CourseSelectEnd, SecondStartEndsAtOnce) {
    select_setting s;
    select_enter(s);
    screen_frames(5);
    select_start_press();
    EXPECT_EQ(screen_sub_state(), 1);
    screen_input start;
    start.switch1 = SCREEN_START;
    screen_frame(start);
    EXPECT_EQ(screen_sub_state(), 2);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 0);
}

TEST(CourseSelectEnd, CountdownConfirmsAlone) {
    select_setting s;
    s.courses_left = 0x2;
    select_enter(s);
    int frames = 0;
    while (!confirmed() && frames < 700) {
        screen_frame();
        frames++;
    }
    EXPECT_EQ(frames, 600);  // 599 down to -1
    EXPECT_EQ(select_frames_while(1, 400), 256);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 1);
}

// The other courses drop one after another; a cleared one carries the cleared mark.
TEST(CourseSelectModels, ChosenCourseAndOthersWithClearedMarks) {
    select_setting s;
    s.courses_left = 0x6;  // course 0 cleared
    select_enter(s);
    screen_frames(3);
    std::vector<dl_packet> p = select_packets();
    EXPECT_EQ(select_models(p, 850, 893), (std::vector<int32_t>{893, 870, 882, 853, 856, 851, 856, 855, 856}));
    EXPECT_EQ(select_models(p, 831, 831).size(), 1u);  // on course 0, cleared
}

TEST(CourseSelectModels, MultiStageShowsTheStageQuota) {
    select_setting s;
    s.game_mode = 1;
    s.courses_left = 0x3;
    s.day = 1;
    select_enter(s);
    screen_frames(2);
    std::vector<dl_packet> p = select_packets();
    EXPECT_EQ(select_models(p, 860, 893), (std::vector<int32_t>{893, 868, 879}));
    EXPECT_EQ(quota_shown(), synth_quota(0));
    select_turn(HANDLE_LOW);
    EXPECT_EQ(quota_shown(), synth_quota(1));
}

TEST(CourseSelectFinal, CardForTwoHundredFiftySixFramesThenTheFade) {
    select_setting s;
    s.game_mode = 1;
    s.courses_left = 0x8;
    select_enter(s);
    screen_frame();
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 3);
    EXPECT_EQ(w_cell(W_COURSE_PAIR), 3);
    EXPECT_EQ(screen_text_cell(13, 12), cell(1, 288));
    EXPECT_EQ(screen_text_cell(26, 13), cell(1, 288 + 27));  // 14 x 2 tiles
    screen_input start;
    start.switch1 = SCREEN_START;
    screen_frames(255, start);  // no choice: Start changes nothing
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
    EXPECT_EQ(screen_sub_state(), 1);
    int frames = select_frames_while(1, 200);
    EXPECT_EQ(frames, 64);  // 4 per frame up to 255
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 3);
}

struct continue_case {
    int32_t continues, reductions;
};

TEST(CourseSelectMap, QuotaLowersOncePerContinueAtMostThree) {
    const continue_case cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 3}, {9, 3}};
    for (const continue_case& c : cases) {
        select_setting s;
        s.game_mode = 1;
        s.courses_left = 0x7;
        s.course = 2;
        s.continues = c.continues;
        select_enter(s);
        screen_frames(2);
        EXPECT_EQ(quota_shown(), synth_quota(2) - c.reductions * SYNTH_QUOTA_DEDUCTION) << c.continues;
        EXPECT_EQ(w_cell(W_COURSE_NUMBER), 2);
    }
}

TEST(CourseSelectMap, EndsAfterTwoHundredFiftySixFramesOrAtStart) {
    select_setting s;
    s.game_mode = 1;
    s.courses_left = 0x7;
    s.course = 1;
    s.continues = 1;
    select_enter(s);
    EXPECT_EQ(select_frames_while(0, 2) + select_frames_while(1, 400), 256);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 1);

    select_enter(s);
    screen_frames(10);
    screen_input start;
    start.switch1 = SCREEN_START;
    screen_frame(start);
    EXPECT_EQ(screen_sub_state(), 2);
}

// Balloons standing or gone more than 64 n frames ago are on the map; those gone within
// them are not; n = 0 shows every one.
TEST(CourseSelectMap, BalloonsByTheirState) {
    select_setting s;
    s.game_mode = 1;
    s.continues = 1;
    select_enter(s);
    screen_frame();
    balloon_system_init();  // course 0's layout
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) w_cell_set(moving_object(i) + MO_STATUS, -1);
    ASSERT_GE(w_cell(W_BALLOON_COUNT), 3);
    w_write16(WRAM_BASE + W_BALLOON_STATES + 2, uint32_t(-100) & 0xFFFF);  // gone 100 frames ago
    w_write16(WRAM_BASE + W_BALLOON_STATES + 4, uint32_t(-300) & 0xFFFF);  // gone long ago
    auto drawn = [](int32_t n) {
        size_t before = select_models(select_packets(), 912, 913).size();
        course_map_packets(n);
        return select_models(select_packets(), 912, 913).size() - before;
    };
    size_t all = drawn(0);
    EXPECT_GE(all, 3u);
    EXPECT_EQ(drawn(1), all);      // both below -64
    EXPECT_EQ(drawn(2), all - 1);  // -100 is not below -128
    EXPECT_EQ(drawn(5), all - 2);  // nor -300 below -320
}

TEST(CourseSelectPicture, CursorScreen) {
    select_setting s;
    select_enter(s);
    screen_frames(20);
    select_turn(HANDLE_LOW);
    EXPECT_EQ(screen_text_cell(19, 28), cell(5, 320));  // the hint
    EXPECT_NE(screen_text_cell(33, 9), TEXT_BLANK_CELL);  // the course name animation
    EXPECT_EQ(select_golden_check(__FILE__, "course_select_cursor"), "");
}

TEST(CourseSelectPicture, FinalCourseCard) {
    select_setting s;
    s.game_mode = 1;
    s.courses_left = 0x8;
    select_enter(s);
    screen_frames(30);
    EXPECT_EQ(select_golden_check(__FILE__, "course_select_final"), "");
}

}  // namespace
