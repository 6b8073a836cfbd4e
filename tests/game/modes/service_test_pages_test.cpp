// The test pages driven through the harness: the input and I/O value tests, the output
// toggles, the pattern test, the sound test, the DSP test and the ROM check.
#include "tests/game/modes/service_fixture.h"

#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/frame_step.h"
#include "game/modes/service_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"
#include "tests/support/synth_rom.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int ITEM_IO = 2, ITEM_PATTERN = 3, ITEM_SOUND = 4, ITEM_BOARD = 6;

// The I/O value word as the board's input side leaves it, in the byte image.
void io_value_set(uint16_t value) {
    wram_bytes[W_IO_VALUE] = uint8_t(value >> 8);
    wram_bytes[W_IO_VALUE + 1] = uint8_t(value);
}

void open_io_page(int io_item) {
    service_start();
    service_frame();
    service_open(ITEM_IO);
    service_open(io_item);
}

TEST(ServiceTestPages, InputTestMarksHandleReadingsBeyond272) {
    struct row {
        int16_t pitch_offset;
        const char* text;
        int colour;
    } rows[] = {{0, "--", 0}, {272, "--", 0}, {273, "OK", 4}, {-272, "--", 0}, {-273, "OK", 4}};
    for (const row& r : rows) {
        open_io_page(0);
        ASSERT_EQ(service_page(), 9);
        screen_input in;
        in.pitch = int16_t(HANDLE_CENTRE + r.pitch_offset);
        service_frame(in);
        EXPECT_EQ(service_text(30, 12, 2), r.text) << "pitch offset " << r.pitch_offset;
        EXPECT_EQ(service_colour(30, 12), r.colour);
        EXPECT_EQ(service_word(W_SCRATCH_28), r.pitch_offset);
    }
}

TEST(ServiceTestPages, InputTestShowsSwitchLampsAndLeavesWithUpAndStart) {
    open_io_page(0);
    screen_input in;
    in.switch0 = SCREEN_COIN;
    service_frame(in);
    EXPECT_EQ(service_text(25, 18, 2), "ON");
    EXPECT_EQ(service_colour(25, 18), 2);
    EXPECT_EQ(service_text(25, 16, 3), "OFF");
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_input_test"), "");
    screen_input leave;
    leave.pitch = HANDLE_CENTRE + 300;
    leave.switch1 = SCREEN_START;
    service_frame(leave);
    EXPECT_EQ(service_page(), 6);
}

TEST(ServiceTestPages, IoValueMarksTheDifferenceAt2223) {
    struct row {
        uint16_t first, second;
        int mark;
    } rows[] = {{100, 100 + 2222, -1}, {100, 100 + 2223, 1}, {3000, 10, 1}};
    // Called directly: in this system the frame's own writes cover the word's bytes.
    auto select = [](uint16_t value) {
        io_value_set(value);
        w_cell_set(W_START_EDGE, 1);
        io_value_run();
        w_cell_set(W_START_EDGE, 0);
    };
    for (const row& r : rows) {
        screen_start();
        io_value_enter();
        select(r.first);
        select(r.second);
        EXPECT_EQ(service_word(W_SCRATCH_2A), r.mark) << r.first << " then " << r.second;
        EXPECT_EQ(service_word(W_SCRATCH_28), 2);
        select(0);
        EXPECT_EQ(service_word(W_SCRATCH_28), 0);
    }
}

TEST(ServiceTestPages, OutputPagesToggleTheirLamps) {
    for (int output : {0, 1}) {
        open_io_page(2 + output);
        uint32_t bit = output == 0 ? 2 : 4;
        service_select();
        EXPECT_EQ(sound_ram_word(0x7D2E) & bit, bit) << "output " << output + 1;
        EXPECT_EQ(service_text(output == 0 ? 23 : 21, output == 0 ? 16 : 18, 2), "ON");
        service_select();
        EXPECT_EQ(sound_ram_word(0x7D2E) & bit, 0u);
        service_down();  // EXIT
        service_select();
        EXPECT_EQ(service_page(), 7);
    }
}

TEST(ServiceTestPages, PatternSixDrawsItsFiveListsInOrder) {
    service_start();
    service_frame();
    service_open(ITEM_PATTERN);
    EXPECT_EQ(service_text(8, 11, 9), "PATTERN 6");  // the menu first
    for (int i = 0; i < 6; i++) service_down();
    service_select();
    EXPECT_EQ(service_word(W_PATTERN_SHOWN), 1);
    EXPECT_EQ(service_text(10, 5, 10), "0123444444");
    EXPECT_EQ(screen_text_cell(0, 0), 959);
    EXPECT_EQ(mixer_registers[0x1B], 126);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_pattern_6"), "");
    service_select();
    EXPECT_EQ(service_word(W_PATTERN_SHOWN), 0);
    EXPECT_EQ(mixer_registers[0x1B], 127);
}

void open_sound_test(bool hex) {
    service_start();
    w_cell_set(W_DIP_SWITCH_BITS, hex ? 0x10 : 0);
    service_frame();
    service_open(ITEM_SOUND);
    ASSERT_EQ(service_page(), 19);
}

screen_input start_pressed() {
    screen_input in;
    in.switch1 = SCREEN_START;
    return in;
}

void to_item(int item) {
    while (testmode_cursor_get() < item) service_down();
}

TEST(ServiceTestPages, SoundCodeDigitsCarryInTheirRadix) {
    struct row {
        bool hex;
        int units, tens, hundreds, item;
        bool up;
        int32_t code;
    } rows[] = {
        {false, 9, 9, 0, 4, true, 100},   // units past 9 carry through the tens
        {false, 9, 3, 0, 4, true, 40},
        {false, 0, 0, 1, 4, false, 99},  // a borrow
        {false, 0, 9, 9, 3, true, 0},    // tens past 9 into hundreds, which wrap 9 -> 0
        {true, 15, 15, 0, 4, true, 0x100},
        {true, 0, 0, 0, 2, false, 0xF00},
    };
    for (const row& r : rows) {
        open_sound_test(r.hex);
        service_word_set(W_SOUND_DIGITS, r.units);
        service_word_set(W_SOUND_DIGITS + 2, r.tens);
        service_word_set(W_SOUND_DIGITS + 4, r.hundreds);
        to_item(r.item);
        if (r.up) service_increase();
        else service_decrease();
        EXPECT_EQ(service_long(W_SOUND_CODE), r.code) << "hex " << r.hex << " item " << r.item;
        EXPECT_EQ(service_mark(2), SERVICE_MARK_CHANGED);
        EXPECT_EQ(service_mark(4), SERVICE_MARK_CHANGED);
    }
}

TEST(ServiceTestPages, SoundTestPlaysRepeatsAndStops) {
    open_sound_test(false);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_sound_test"), "");
    service_word_set(W_SOUND_DIGITS, 1);  // code 1
    service_frame();
    service_frame(start_pressed());
    uint32_t command = 0;
    ASSERT_TRUE(slot_command(0, &command));
    EXPECT_EQ(command & 0x4000, 0x4000u);
    EXPECT_EQ(command & 0xFF, 1u);
    EXPECT_EQ(service_word(W_SOUND_TIMER), 600);
    // While slot 0 keeps bit 15 (the driver's running bit) the timer runs.
    slot_command_set(0, 0x8001);
    service_frame();
    EXPECT_EQ(service_word(W_SOUND_TIMER), 599);
    service_frame(start_pressed());  // select while it runs: stop
    EXPECT_EQ(service_word(W_SOUND_TIMER), 0);
    service_frame();
    service_frame(start_pressed());
    EXPECT_EQ(service_word(W_SOUND_TIMER), 600);
    slot_command_set(0, 0x8001);
    // Bit 15 gone: everything stops and the timer is cleared.
    slot_command_set(0, 0x0001);
    service_frame();
    EXPECT_EQ(service_word(W_SOUND_TIMER), 0);
}

TEST(ServiceTestPages, SoundCodesAboveTheTableAreNotPlayed) {
    open_sound_test(false);
    int32_t largest = sound_table_max_cmd();
    for (int32_t code : {largest, largest + 1}) {
        service_long_set(W_SOUND_CODE, code);
        service_word_set(W_SOUND_DIGITS, code % 10);
        service_word_set(W_SOUND_DIGITS + 2, code / 10 % 10);
        service_word_set(W_SOUND_DIGITS + 4, code / 100 % 10);
        service_word_set(W_SOUND_TIMER, 0);
        slot_command_set(0, 0);
        service_frame();
        if (service_long(W_SOUND_CODE) != code) GTEST_SKIP() << "the table's largest code needs four digits";
        service_frame(start_pressed());
        uint32_t command = 0;
        slot_command(0, &command);
        EXPECT_EQ(command != 0, code == largest) << "code " << code;
        EXPECT_EQ(service_word(W_SOUND_TIMER), 600);  // the timer starts either way
        service_frame();
    }
}

TEST(ServiceTestPages, DspTestReportsTwelveNgAndItsLineOnce) {
    service_start();
    service_frame();
    service_open(ITEM_BOARD);
    service_down();
    service_down();  // DSP PCB TEST
    testing::internal::CaptureStderr();
    service_select();
    service_frames(14);
    std::string err = testing::internal::GetCapturedStderr();
    for (int t = 0; t < 12; t++) {
        EXPECT_EQ(service_text(29, 7 + t, 2), "NG") << "test " << t;
        EXPECT_EQ(service_colour(29, 7 + t), 2);
    }
    size_t first = err.find("[TEST] DSP PCB TEST: tests 0-11 run the DSPs' own test programs");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(err.find("[TEST] DSP PCB TEST", first + 1), std::string::npos);
    EXPECT_EQ(service_long(W_BOARD_TEST_CURRENT), -1);
    testing::internal::CaptureStderr();
    service_select();  // ends with the reset (the held test switch then enters again)
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[RESET] the program restarted"), std::string::npos);
}

TEST(ServiceTestPages, RomCheckMatchesEverySumAndFlagsAnAlteredByte) {
    service_start();
    service_frame();
    service_open(ITEM_BOARD);
    for (int i = 0; i < 3; i++) service_down();
    service_select();  // ROM CHECK
    service_frame();
    ASSERT_EQ(service_page(), 31);
    for (int k = 0; k < 9; k++) {
        EXPECT_EQ(service_text(30, 8 + 2 * k, 2), "OK") << "sum " << k;
        EXPECT_EQ(service_colour(24, 8 + 2 * k), 4);
        EXPECT_EQ(service_text(17, 8 + 2 * k, 4), service_text(24, 8 + 2 * k, 4));
    }
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_rom_check"), "");

    // One byte of block 1's middle plane altered: line 4 alone turns to colour 2.
    std::vector<uint32_t> altered(synth_rom_shared()->point, synth_rom_shared()->point + POINT_ROM_WORDS);
    altered[0x80000 + 5] ^= 0x000100;
    point_rom = altered.data();
    testmode_set_page(30);
    service_frames(2);
    for (int k = 0; k < 9; k++) EXPECT_EQ(service_colour(30, 8 + 2 * k), k == 4 ? 2 : 4) << "sum " << k;
    EXPECT_EQ(service_text(30, 16, 3), "BAD");
    point_rom = synth_rom_shared()->point;
}

}  // namespace
