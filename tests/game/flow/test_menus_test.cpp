// The service screens' list menus on the synthetic label and value lists, the course
// menu and the debug pages by their text cells and packets, and the stage start's two
// small routines.
#include "board/inputs.h"
#include "board/text_print.h"
#include "game/flow/debug_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/test_menus.h"
#include "game/world/stage_start.h"
#include "tests/game/flow/emitter_fixture.h"

namespace {

constexpr uint32_t PAGE = 4;

class TestMenuTest : public EmitterTest {
protected:
    void SetUp() override {
        EmitterTest::SetUp();
        wram_long_set(W_TEST_STATE, PAGE);
    }
    void cursor(int c) { w_cell_set(W_TEST_CURSORS + PAGE / 2, c); }
    void value(int k, int v) { w_write16(SYNTH_MENU_VALUE_AT + 2 * uint32_t(k), uint32_t(v)); }
    int value(int k) { return int16_t(w_read16(SYNTH_MENU_VALUE_AT + 2 * uint32_t(k))); }
    // Decrease / increase through the handle's repeat word or port 0's repeats.
    void edit_inputs(bool decrease, bool increase, bool port) {
        uint32_t handle = (decrease ? DIR_TURN_HIGH : 0) | (increase ? DIR_TURN_LOW : 0);
        uint32_t keys = (decrease ? 0x20 : 0) | (increase ? 0x10 : 0);
        w_cell_set(W_DIRECTION_REPEAT, port ? 0 : int32_t(handle << 16));
        w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, port ? int32_t(keys) : 0);
    }
    void move_inputs(bool up, bool down, bool port) {
        uint32_t handle = (up ? DIR_PITCH_HIGH : 0) | (down ? DIR_PITCH_LOW : 0);
        uint32_t keys = (up ? 0x80 : 0) | (down ? 0x40 : 0);
        w_cell_set(W_DIRECTION, port ? 0 : int32_t(handle));
        w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, port ? int32_t(keys) : 0);
    }
    uint16_t cell(int column, int row) {
        uint32_t at = uint32_t(row * 64 + column) * 2;
        return uint16_t(textram[at] << 8 | textram[at + 1]);
    }
    uint16_t text_cell(int palette, char c) { return uint16_t(palette << 12 | uint8_t(c)); }
};

TEST_F(TestMenuTest, ValueEditStepsWrapsAndSums) {
    struct row {
        int before;
        bool decrease, increase;
        int change, after;
    } rows[] = {
        {5, true, false, -1, 4},   {5, false, true, 1, 6},   {0, true, false, -17, 9}, {9, false, true, 17, 0},
        {5, true, true, 0, 5},     {0, true, true, 0, 0},    {9, true, true, 0, 9},    {5, false, false, 0, 5},
    };
    cursor(0);  // the decimal record, bounds 0..9
    for (bool port : {false, true}) {
        for (const row& r : rows) {
            SCOPED_TRACE(testing::Message() << r.before << (r.decrease ? " -" : "") << (r.increase ? " +" : "")
                                            << (port ? " port" : " handle"));
            value(0, r.before);
            edit_inputs(r.decrease, r.increase, port);
            EXPECT_EQ(test_menu_value_edit(SYNTH_MENU_VALUES), r.change);
            EXPECT_EQ(value(0), r.after);
        }
    }
    // Negative bounds: the special-form record, -5..5.
    cursor(2);
    value(2, -5);
    edit_inputs(true, false, false);
    EXPECT_EQ(test_menu_value_edit(SYNTH_MENU_VALUES), -17);
    EXPECT_EQ(value(2), 5);
}

TEST_F(TestMenuTest, NoValueRecordsAndMissingItemsAreNeverWritten) {
    cursor(4);
    value(4, 3);
    edit_inputs(false, true, false);
    EXPECT_EQ(test_menu_value_edit(SYNTH_MENU_VALUES), 1);  // it reads as 0
    EXPECT_EQ(value(4), 3);
    cursor(9);
    EXPECT_EQ(test_menu_value_edit(SYNTH_MENU_VALUES), 0);
    wram_long_set(W_TEST_STATE, 34);  // no cursor byte for this page
    cursor(0);
    EXPECT_EQ(test_menu_cursor(), -1);
    EXPECT_EQ(test_menu_value_edit(SYNTH_MENU_VALUES), 0);
    EXPECT_FALSE(test_menu_cursor_move(5));
}

TEST_F(TestMenuTest, CursorWrapsBothWays) {
    struct row {
        int before;
        bool up, down, moved;
        int after;
    } rows[] = {{0, true, false, true, 4}, {4, false, true, true, 0}, {2, true, false, true, 1},
                {2, false, true, true, 3}, {3, false, false, false, 3}};
    for (bool port : {false, true}) {
        for (const row& r : rows) {
            SCOPED_TRACE(testing::Message() << r.before << (port ? " port" : " handle"));
            cursor(r.before);
            move_inputs(r.up, r.down, port);
            EXPECT_EQ(test_menu_cursor_move(5), r.moved);
            EXPECT_EQ(test_menu_cursor(), r.after);
        }
    }
}

TEST_F(TestMenuTest, LabelsBlinkOnTheCursorWithFrameTickBitThree) {
    cursor(1);
    for (uint32_t ft : {8u, 7u}) {
        SCOPED_TRACE(ft);
        wram_long_set(W_FRAME_TICK, int32_t(ft));
        test_menu_print_labels(SYNTH_MENU_LABELS, MENU_WITH_CURSOR + 3);
        EXPECT_EQ(cell(2, 4), text_cell(1, 'S'));
        EXPECT_EQ(cell(2, 5), text_cell(ft & 8 ? 2 : 1, 'C'));
        EXPECT_EQ(cell(2, 6), text_cell(3, 'V'));
    }
    // Without the cursor flag, and only as many as counted.
    textram_clear();
    wram_long_set(W_FRAME_TICK, 8);
    test_menu_print_labels(SYNTH_MENU_LABELS, 2);
    EXPECT_EQ(cell(2, 5), text_cell(1, 'C'));
    EXPECT_EQ(cell(2, 6), TEXT_BLANK_CELL);
}

TEST_F(TestMenuTest, ValuesTakeTheFactoryMarkAndTheBlinkingCursor) {
    value(0, 5);     // factory
    value(1, 0xAB);  // hexadecimal, not factory
    value(2, 1);
    value(3, 1);     // "ON", factory
    cursor(1);
    testing::internal::CaptureStderr();
    for (uint32_t ft : {8u, 0u}) {
        SCOPED_TRACE(ft);
        wram_long_set(W_FRAME_TICK, int32_t(ft));
        test_menu_draw_values(SYNTH_MENU_VALUES, MENU_WITH_CURSOR + 5);
        uint16_t blink = ft & 8 ? 0x2000 : 0;
        const uint16_t expect_marks[5] = {0x4000, blink, 0, 0x4000, 0x4000};
        EXPECT_EQ(std::vector<uint16_t>(test_menu_marks, test_menu_marks + 5),
                  std::vector<uint16_t>(expect_marks, expect_marks + 5));
        EXPECT_EQ(cell(20, 4), 0x4000 | 0);  // decimal, in the factory palette
        EXPECT_EQ(cell(21, 4), 0x4000 | 5);
        EXPECT_EQ(cell(20, 5), 0x0 | blink);
        EXPECT_EQ(cell(22, 5), 0xA | blink);
        EXPECT_EQ(cell(23, 5), 0xB | blink);
        EXPECT_EQ(cell(20, 7), text_cell(4, 'O'));
        EXPECT_EQ(cell(21, 7), text_cell(4, 'N'));
    }
    testing::internal::GetCapturedStderr();
    test_menu_marks_clear(SYNTH_MENU_VALUES);
    EXPECT_EQ(std::vector<uint16_t>(test_menu_marks, test_menu_marks + 5), std::vector<uint16_t>(5, 0));
}

TEST_F(TestMenuTest, ItemsCopyStopsAfterTheEndRecord) {
    test_menu_items[6][0] = 77;
    test_menu_items_copy(SYNTH_MENU_VALUES);
    EXPECT_EQ(test_menu_items[0][0], int32_t(SYNTH_MENU_VALUE_AT));
    EXPECT_EQ(test_menu_items[1][1], -1);
    EXPECT_EQ(test_menu_items[0][2], 20 << 16 | 4);
    EXPECT_EQ(test_menu_items[5][0], 0);
    EXPECT_EQ(test_menu_items[6][0], 77);
}

TEST_F(TestMenuTest, SweepObjectResetStaysInsideItsRecord) {
    const uint32_t record = 0x20000;
    wram[W_SWEEP_OBJECT] = WRAM_BASE + record;
    wram_long_set(W_COURSE_NUMBER, 1);
    w_cell_set(record + 0x3B0, 9);
    sweep_object_reset();
    const std::pair<uint32_t, int32_t> fields[] = {{0x24, 255039}, {0x40, 110687}, {0x2C, 82314}, {0x30, 0},
                                                   {0x38, 0},      {0x3B0, 0},     {0x880, -1}};
    for (auto [offset, v] : fields) EXPECT_EQ(w_cell(record + offset), v) << offset;

    for (int64_t bad : {int64_t(0), int64_t(WRAM_BASE + 0x40000 - 0x883), int64_t(0x12345678)}) {
        wram[W_SWEEP_OBJECT] = bad;
        std::vector<int64_t> before(wram, wram + WRAM_SIZE);
        sweep_object_reset();
        EXPECT_TRUE(std::equal(before.begin(), before.end(), wram)) << bad;
    }
    game_nop();
}

TEST_F(TestMenuTest, DebugPagesPrintTheirWordsInHex) {
    wram_long_set(W_CAMERA_CELL, 0x3A);
    wram_long_set(W_PLAYER_Z, -2);
    debug_values_print();
    EXPECT_EQ(cell(DEBUG_VALUE_COLUMN + 6, 5), 0x3);
    EXPECT_EQ(cell(DEBUG_VALUE_COLUMN + 7, 5), 0xA);
    EXPECT_EQ(cell(DEBUG_VALUE_COLUMN + 7, 16), 0xE);
    debug_position_print();
    EXPECT_EQ(cell(DEBUG_VALUE_COLUMN + 7, 12), 0x8);  // camera x 1000 = 0x3E8
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 0x5C);
    debug_switches_print();
    EXPECT_EQ(cell(DEBUG_VALUE_COLUMN + 6, 8), 0x5);
}

TEST_F(TestMenuTest, MenuLettersAreCentredModelsOnTheirLines) {
    const char* const lines[2] = {"AB", "1 z"};
    menu_text_draw(0, 2, lines);
    auto letter = [](int32_t model, int32_t x, int32_t y, int32_t depth) {
        return words_t{0x8002, 0, model, x, y, depth, 0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 0};
    };
    EXPECT_EQ(written(), letter(1000, -65, 180, 1250) + letter(1001, 65, 180, 1250) +
                             letter(1027, -130, -20, 1450) + letter(1025, 130, -20, 1450));
}

TEST_F(TestMenuTest, CourseMenuStartsTheChosenCourse) {
    const char* const modes[2] = {"A", "B"};
    const char* const courses[4] = {"C", "D", "E", "F"};
    course_menu = {1, 0, 0, 0, 0};
    testing::internal::CaptureStdout();
    test_menu_step(modes, courses);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "  [MENU] step phase=1 sel=0 frame=0 lock=0\n");
    EXPECT_EQ(course_menu.phase, 2);

    edit_inputs(false, true, false);  // the second mode line
    test_menu_step(modes, courses);
    edit_inputs(false, false, false);
    w_cell_set(W_START_EDGE, 1);
    testing::internal::CaptureStdout();
    for (int i = 0; i < 31; i++) test_menu_step(modes, courses);
    testing::internal::GetCapturedStdout();
    w_cell_set(W_START_EDGE, 0);
    EXPECT_EQ(course_menu.phase, 3);
    test_menu_step(modes, courses);
    EXPECT_EQ(course_menu.phase, 4);

    edit_inputs(true, false, false);  // from course 0 back round to course 3
    test_menu_step(modes, courses);
    edit_inputs(false, false, false);
    w_cell_set(W_START_EDGE, 1);
    for (int i = 0; i < 31; i++) {
        EXPECT_NE(wram_long(W_GAME_STATE), 4) << i;
        test_menu_step(modes, courses);
    }
    EXPECT_EQ(wram_long(W_GAME_STATE), 4);
    EXPECT_EQ(wram_long(W_COURSE_NUMBER), 3);
}

}  // namespace
