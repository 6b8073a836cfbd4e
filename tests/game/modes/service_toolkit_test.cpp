// The service pages' toolkit on the synthetic ROM's lists: cursor and value wrapping,
// the colours of marks, factory values and the blinking cursor, plain lines of a short
// count, the time form, and lists of random bytes walked without leaving an image.
#include "tests/game/modes/service_fixture.h"

#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "game/modes/test_numbers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t SOUND_DECIMAL_VALUES = 0x36A98;  // volumes, hundreds, tens, units
constexpr uint32_t MAIN_MENU = 0x36698;

void board_ready(int page) {
    screen_start();
    testmode_set_page(page);
    textram_clear();
}

int count_of(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) n++;
    return n;
}

void switches(uint32_t edge, uint32_t repeat) {
    w_cell_set(W_DIRECTION, int32_t(edge));
    w_cell_set(W_DIRECTION_REPEAT, int32_t(repeat));
}

TEST(ServiceToolkit, CursorWrapsBothWaysAndBothInOneFrame) {
    struct row {
        int cursor;
        uint32_t edge;  // bit 2 up, bit 3 down
        int expected;
        bool moved;
    } rows[] = {
        {0, 4, 6, true}, {6, 8, 0, true}, {3, 4, 2, true}, {3, 8, 4, true},
        {0, 12, 0, true},  // up wraps to 6, then down back to 0
        {6, 12, 6, true}, {3, 0, 3, false},
    };
    for (const row& r : rows) {
        board_ready(1);
        testmode_cursor_set(r.cursor);
        switches(r.edge, 0);
        EXPECT_EQ(testmode_cursor_move(7), r.moved);
        EXPECT_EQ(testmode_cursor_get(), r.expected) << "from " << r.cursor << " edge " << r.edge;
    }
}

TEST(ServiceToolkit, ValueWrapsAtItsBoundsAndBothDirectionsCancel) {
    struct row {
        int item;
        int32_t value;
        uint32_t repeat;  // bit 0 up, bit 1 down
        int32_t expected;
        bool changed;
    } rows[] = {
        {4, 9, 1, 0, true},  {4, 0, 2, 9, true},  {4, 5, 1, 6, true}, {4, 5, 3, 5, true},
        {0, 63, 1, 0, true}, {4, 5, 0, 5, false}, {9, 5, 1, 5, false},  // no record has item 9
    };
    for (const row& r : rows) {
        board_ready(19);
        testmode_cursor_set(r.item);
        service_word_set(W_SOUND_DIGITS, r.item == 0 ? 0 : r.value);
        service_word_set(W_SOUND_VOL_EDIT_A, r.item == 0 ? r.value : 0);
        switches(0, r.repeat);
        EXPECT_EQ(testmode_value_adjust(SOUND_DECIMAL_VALUES) != 0, r.changed);
        uint32_t at = r.item == 0 ? W_SOUND_VOL_EDIT_A : W_SOUND_DIGITS;
        EXPECT_EQ(service_word(at), r.expected) << "item " << r.item << " value " << r.value;
    }
}

TEST(ServiceToolkit, ValuesShowMarksFactoryValuesAndTheBlinkingCursor) {
    board_ready(19);
    service_word_set(W_SOUND_VOL_EDIT_A, 40);  // factory value: colour 4
    service_word_set(W_SOUND_VOL_EDIT_B, 12);
    service_word_set(W_SOUND_DIGITS, 3);
    service_mark_set(1, SERVICE_MARK_CHANGED);  // volume B changed: colour 2
    testmode_cursor_set(4);                     // units under the cursor
    w_cell_set(W_FRAME_TICK, 8);
    testmode_values_draw(SOUND_DECIMAL_VALUES, SERVICE_LIVE);
    EXPECT_EQ(service_text(24, 6, 2), "40");
    EXPECT_EQ(service_colour(25, 6), 4);
    EXPECT_EQ(service_colour(25, 8), 2);
    EXPECT_EQ(service_colour(26, 10), 2);  // cursor, blink on
    w_cell_set(W_FRAME_TICK, 0);
    testmode_values_draw(SOUND_DECIMAL_VALUES, SERVICE_LIVE);
    EXPECT_EQ(service_colour(26, 10), 0);  // blink off
    EXPECT_EQ(service_colour(25, 8), 2);   // a mark off the cursor stays
    service_mark_set(4, SERVICE_MARK_CHANGED);
    testmode_values_draw(SOUND_DECIMAL_VALUES, SERVICE_LIVE);
    EXPECT_EQ(service_colour(26, 10), 0);  // a changed value under the cursor blinks too
    testmode_values_draw(SOUND_DECIMAL_VALUES, 3);
    EXPECT_EQ(service_colour(26, 10), 2);  // a short count: no cursor
}

TEST(ServiceToolkit, MenuBlinksTheCursorLineOnlyForALiveCount) {
    board_ready(1);
    testmode_cursor_set(1);
    w_cell_set(W_FRAME_TICK, 8);
    testmode_menu_draw(MAIN_MENU, SERVICE_LIVE);
    EXPECT_EQ(service_text(8, 8, 12), "GAME OPTIONS");
    EXPECT_EQ(service_colour(8, 8), 2);
    EXPECT_EQ(service_colour(8, 6), 0);
    textram_clear();
    testmode_menu_draw(MAIN_MENU, 3);
    EXPECT_EQ(service_colour(8, 8), 0);
    EXPECT_EQ(service_text(8, 10, 8), "        ");  // only the first three lines
}

TEST(ServiceToolkit, TimeFormWithItsSeparators) {
    // Radices 10, 6, 10, 6, 10: frames / 60 = seconds; 3725 s = 1 h 02 min 05 s.
    struct row {
        int width;
        int32_t frames;
        const char* text;
    } rows[] = {
        {1, 65 * 60, "5"},  {2, 65 * 60, "05"}, {3, 65 * 60, "1\"05"}, {4, 3725 * 60, "02\"05"},
        {5, 3725 * 60, "1'02\"05"}, {0, 60, ""},
    };
    for (const row& r : rows) {
        board_ready(1);
        testmode_special_value_draw(4, 10, r.width, r.frames, 3);
        std::string want = r.text;
        EXPECT_EQ(service_text(4, 10, int(want.size()) + 1), want + " ") << "width " << r.width;
        if (!want.empty()) {
            EXPECT_EQ(service_colour(4, 10), 3);
        }
    }
}

TEST(ServiceToolkit, ARadixOfZeroGivesDigitZeroAndOneTrapLine) {
    board_ready(1);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; i++) test_number_print(0, 12, 11, 0x7FFFFFFF, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[V2-TRAP] test_number_print: division by zero (hardware would take the zero-divide trap)\n");
    EXPECT_EQ(service_text(0, 12, 1), "0");  // digit 10 over radix 0
}

TEST(ServiceToolkit, OldFormPrintersWriteTheirAttributes) {
    board_ready(1);
    test_number_print_short(10, 5, 3, 47, 4);
    EXPECT_EQ(service_text(10, 5, 3), "047");
    EXPECT_EQ(screen_text_cell(12, 5), 0x4007);
    test_number_print(10, 6, 2, 65 * 60, 0x2000);
    EXPECT_EQ(screen_text_cell(11, 6), 0x2005);
}

TEST(ServiceToolkit, RandomListsStayInsideTheirImages) {
    std::mt19937 random(33);
    int guards = 0;
    for (int round = 0; round < 4; round++) {
        board_ready(19);
        for (uint32_t a = 0x36600; a < 0x37400; a++) program_rom[a] = uint8_t(random());
        for (uint32_t k = 0; k < 0x600; k++) wram[W_RIG_NODES + k] = int32_t(random());
        testmode_cursor_set(int(random() % 8));
        switches(0xF, 0x3);
        w_cell_set(W_FRAME_TICK, 8);
        testing::internal::CaptureStderr();
        for (uint32_t list = 0x36600; list < 0x37400; list += 0x44) {
            testmode_menu_draw(list, SERVICE_LIVE);
            testmode_values_draw(list, SERVICE_LIVE);
            testmode_value_adjust(list);
            testmode_values_load(list);
            testmode_values_draw(SERVICE_WORK_LIST, SERVICE_LIVE);
            testmode_highlights_clear(list);
        }
        guards += count_of(testing::internal::GetCapturedStderr(), "[GUARD]");
    }
    EXPECT_LE(guards, 3);  // one line per walker and run: menus, values, the copy
}

}  // namespace
