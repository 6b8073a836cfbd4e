// The test pages of the service mode: the I/O test menu with the input test, the I/O
// value test and the two output toggles; the pattern test; the sound test; the board
// test menu with the DSP test and the ROM check.
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "game/modes/test_numbers.h"
#include "game/modes/tile_block_list.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"

#include <cstdio>

namespace {

// ROM texts of the test pages.
constexpr uint32_t TEXT_OFF = 0x3A508, TEXT_ON = 0x3A50C;
constexpr uint32_t TEXT_OK = 0x3A6AD, TEXT_NOT_YET = 0x3664F;
constexpr uint32_t TEXT_NG = 0x3A6DF, TEXT_BAD_SUM = 0x3AB28;
constexpr uint32_t TEXT_BLANK_KEY = 0x36674, TEXT_BLANK_18 = 0x36670, TEXT_BLANK_20 = 0x3666C;
constexpr uint32_t TEXT_RUNNING = 0x36663, TEXT_DONE = 0x3667A;

constexpr uint32_t IO_MENU = 0x368CC;
constexpr uint32_t INPUT_MENU = 0x3692C;
constexpr uint32_t IO_VALUE_MENU = 0x36974;
constexpr uint32_t OUTPUT1_MENU = 0x3699C, OUTPUT2_MENU = 0x369C0;
constexpr uint32_t PATTERN_MENU = 0x369FC;
constexpr uint32_t SOUND_VALUES_HEX = 0x36B88, SOUND_VALUES_DEC = 0x36A98;
constexpr uint32_t SOUND_MENU_HEX = 0x36C48, SOUND_MENU_DEC = 0x36B28;
constexpr uint32_t BOARD_MENU = 0x36FF8;
constexpr uint32_t DSP_MENU = 0x37070;
constexpr uint32_t ROM_CHECK_MENU = 0x371CC;
constexpr uint32_t ROM_CHECK_SUMS = 0x372BC;  // nine expected point-ROM sums

constexpr int32_t INPUT_LIMIT = 272;
constexpr uint32_t IO_VALUE_MARK = 2223;
constexpr uint32_t OUTPUT_LAMP_WORD = 0x7D2E;  // sound-RAM (commsram) offset
constexpr uint32_t MIXER_TEXT_GROUP = 0x1B;
constexpr uint8_t PATTERN_GROUP = 126, TEXT_GROUP = 127;
constexpr uint16_t PATTERN_FILL = 959;
constexpr uint32_t SOUND_NAME_AT = 0x300;  // sound-RAM offset of the playing sound's name
constexpr int SOUND_NAME_CHARS = 232;
constexpr int32_t SOUND_REPEAT = 600;
constexpr int32_t SOUND_PARAMETER = 137;
constexpr int DSP_TESTS = 12;
constexpr int32_t ROM_SUM_TEST = 12;
constexpr int ROM_SUMS = 9;
constexpr uint32_t POINT_BLOCK_WORDS = 0x80000;

// pattern_block_table: the tile-block lists of patterns 0..9, each row ended by 0.
constexpr uint32_t PATTERN_LISTS[10][6] = {
    {0x1C0E4}, {0x1C278, 0x1C286}, {0x1C3C6, 0x1C3D4}, {0x1C50A}, {0x1C550}, {0x1C598},
    {0x1C60A, 0x1C618, 0x1C626, 0x1C634, 0x1C642}, {0x1C676}, {0x1C76A}, {0x1C85E},
};

bool blink_fast() {
    return (w_cell(W_FRAME_TICK) & 0x10) != 0;
}

bool switch_lamp(uint32_t offset, uint32_t bit) {
    return (uint32_t(w_cell(offset)) & bit) != 0;
}

void output_lamp_bit1_set(bool on) {
    uint32_t w = sound_ram_word(OUTPUT_LAMP_WORD);
    sound_ram_word_set(OUTPUT_LAMP_WORD, on ? w | 2 : w & ~2u);
}

void io_page_leave(int cursor_page) {
    testmode_page_cursor_set(cursor_page, 0);
    testmode_set_page(6);
}

// ---- Input test helpers ----------------------------------------------------------

void input_limit_draw(int row, int32_t value) {
    testmode_print_hex(25, row, 4, uint32_t(value) & 0xFFFF, 0);
    bool outside = value < -INPUT_LIMIT || value > INPUT_LIMIT;
    testmode_text_print(30, row, outside ? TEXT_OK : TEXT_NOT_YET, outside ? 4 : 0);
}

void switch_lamp_draw(int row, bool on) {
    testmode_text_print(25, row, on ? TEXT_ON : TEXT_OFF, on ? 2 : 0);
}

// ---- Output toggles --------------------------------------------------------------

struct output_page {
    uint32_t word;  // the on/off scratch word
    int column, row, menu_lines;
    uint32_t menu;
    void (*lamp)(bool on);
};

void lamp_bit2(bool on) {
    lamp_bit2_set(on);
}

constexpr output_page OUTPUT_PAGES[2] = {
    {W_SCRATCH_28, 23, 16, 5, OUTPUT1_MENU, output_lamp_bit1_set},
    {W_SCRATCH_2E, 21, 18, 6, OUTPUT2_MENU, lamp_bit2},
};

void testmode_onoff_draw(int column, int row, bool on) {
    int colour = testmode_cursor_get() == 1 ? 2 : service_blink() ? 2 : 0;
    testmode_text_print(column, row, on ? TEXT_ON : TEXT_OFF, colour);
}

void output_page_run(const output_page& p, int page) {
    testmode_cursor_move(2);
    dipsw_bits_list();
    bool on = service_word(p.word) != 0;
    testmode_onoff_draw(p.column, p.row, on);
    testmode_menu_draw(IO_MENU, p.menu_lines);
    testmode_menu_draw(p.menu, SERVICE_LIVE);
    if (!testmode_select_pressed()) return;
    if (testmode_cursor_get() == 0) {
        service_word_set(p.word, !on);
        p.lamp(!on);
    } else if (testmode_cursor_get() == 1) {
        io_page_leave(page);
        if (page == 12) start_lamp_idle();
        else lamp_bit2_set(0);
    }
}

// ---- Sound test helpers ----------------------------------------------------------

bool sound_hex_mode() {
    return service_word(W_SCRATCH_28) != 0;
}

uint32_t digit_cell(int k) {  // 0 units, 1 tens, 2 hundreds
    return W_SOUND_DIGITS + 2 * uint32_t(k);
}

// A digit one up (+1) or down (-1) in radix r, wrapping; true when it wrapped.
bool digit_step(int k, int step, int32_t radix) {
    int32_t d = service_word(digit_cell(k)) + step;
    bool wrapped = d < 0 || d >= radix;
    service_word_set(digit_cell(k), d < 0 ? radix - 1 : d >= radix ? 0 : d);
    return wrapped;
}

// The carry of a digit that wrapped on item 4 (units) or 3 (tens) into the next ones.
void digit_carry(int cursor, int step, int32_t radix) {
    if (cursor == 4 && digit_step(1, step, radix)) digit_step(2, step, radix);
    if (cursor == 3) digit_step(2, step, radix);
}

// The name the sound program leaves in sound RAM, two characters a word, low byte first.
void sound_name_copy() {
    uint32_t to = WRAM_BASE + W_SOUND_NAME;
    int n = 0;
    for (; n < SOUND_NAME_CHARS; n++) {
        uint32_t word = sound_ram_word(SOUND_NAME_AT + uint32_t(n & ~1));
        uint32_t c = (n & 1 ? word >> 8 : word) & 0xFF;
        if (c == 0) break;
        testmode_write8(to + uint32_t(n), int32_t(c));
    }
    for (; n < SOUND_NAME_CHARS; n++) testmode_write8(to + uint32_t(n), ' ');
    testmode_write8(to + SOUND_NAME_CHARS, 0);
}

void sound_play_test_code() {
    service_word_set(W_SOUND_TIMER, SOUND_REPEAT);
    if (sound_hex_mode()) slot_param_set(service_word(W_SCRATCH_2C), uint32_t(service_word(W_SCRATCH_2A)) & 0xFFFF);
    uint32_t code = uint32_t(service_long(W_SOUND_CODE));
    if (int64_t(service_long(W_SCRATCH_24)) >= int64_t(int32_t(code)))
        slot_command_set(0, (((code >> 8) | 0x40) << 8 | (code & 0xFF)) & 0xFFFF);
    service_long_set(W_SCRATCH_20, 0);
}

// ---- Board tests -----------------------------------------------------------------

void point_rom_sums() {
    for (uint32_t block = 0; block < 3; block++) {
        uint16_t sums[3] = {0, 0, 0};
        for (uint32_t i = 0; i < POINT_BLOCK_WORDS; i++) {
            uint32_t at = block * POINT_BLOCK_WORDS + i;
            uint32_t word = point_rom && at < point_rom_count ? point_rom[at] : 0;
            for (uint32_t b = 0; b < 3; b++) sums[b] = uint16_t(sums[b] + ((word >> (8 * b)) & 0xFF));
        }
        for (uint32_t b = 0; b < 3; b++) service_word_set(W_BOARD_TEST_SUMS + 2 * (3 * block + b), sums[b]);
    }
}

void test_line_once(bool* reported, const char* line) {
    if (*reported) return;
    *reported = true;
    fputs(line, stderr);
}

uint32_t rom_check_row(int k) {
    return uint32_t(int16_t(testmode_read16(ROM_CHECK_MENU + 6 + SERVICE_MENU_BYTES * uint32_t(k))));
}

// 0x03DD3C: the video board's own test, not ported: sets the sprite records, says so
// once and restarts the service mode.
void video_board_test() {
    static const uint16_t words[13] = {0, 0, 0, 0x2FF, 0, 0, 0x7FF, 0x20, 0x20, 0, 0x2FF, 0, 0x7FF};
    static bool reported;
    bus_write16(0x980000, 0);
    for (uint32_t k = 0; k < 13; k++) bus_write16(0x980002 + 2 * k, words[k]);
    for (uint32_t k = 0; k < 16; k++) bus_write32(0x980200 + 4 * k, 0x7FF);
    test_line_once(&reported, "[TEST] VIDEO PCB TEST: the board test at 0x03DD3C is not ported -- skipped\n");
    service_restart();
}

}  // namespace

// ---- I/O test menu ---------------------------------------------------------------

void io_menu_enter() {
    textram_clear();
    testmode_print_footer(0);
    testmode_set_page(7);
}

void io_menu_run() {
    testmode_cursor_move(5);
    testmode_menu_draw(IO_MENU, SERVICE_LIVE);
    dipsw_bits_list();
    if (!testmode_select_pressed()) return;
    int cursor = testmode_cursor_get();
    if (cursor >= 0 && cursor <= 3) {
        testmode_set_page(8 + 2 * cursor);
    } else {
        testmode_set_page(0);
        testmode_page_cursor_set(6, 0);
    }
}

void input_test_enter() {
    textram_clear();
    testmode_print_footer(2);
    testmode_set_page(9);
    testmode_page_cursor_set(8, -2);
}

void input_test_run() {
    input_test_draw();
    if (testmode_exit_pressed((port1_repeat() >> 8) & 1) == 1) testmode_set_page(6);
}

void input_test_draw() {
    int32_t pitch = int16_t(w_cell(W_HANDLE_PITCH) - w_cell(W_HANDLE_CENTRE_PITCH));
    int32_t turn = int16_t(w_cell(W_HANDLE_TURN) - w_cell(W_HANDLE_CENTRE_TURN));
    service_word_set(W_SCRATCH_28, pitch);
    service_word_set(W_SCRATCH_2A, turn);
    dipsw_bits_list();
    input_limit_draw(12, pitch);
    input_limit_draw(14, turn);
    switch_lamp_draw(16, switch_lamp(W_START_SWITCH, 1));
    switch_lamp_draw(18, switch_lamp(W_COIN_SWITCH, 1));
    switch_lamp_draw(20, switch_lamp(W_COIN_SWITCH, 4));
    testmode_menu_draw(IO_MENU, 3);
    testmode_menu_draw(INPUT_MENU, SERVICE_LIVE);
}

void io_value_enter() {
    textram_clear();
    testmode_print_footer(2);
    service_word_set(W_SCRATCH_28, 0);
    service_word_set(W_SCRATCH_2A, 0);
    testmode_set_page(11);
}

void io_value_run() {
    int step = service_word(W_SCRATCH_28), mark = service_word(W_SCRATCH_2A);
    uint32_t io = uint32_t(bus_read16(WRAM_BASE + W_IO_VALUE)) & 0xFFFF;
    io_value_draw(step, mark, io);
    if (testmode_select_pressed()) {
        io_value_prompts_clear();
        if (step == 0) {
            service_word_set(W_SCRATCH_2A, 0);
            service_long_set(W_SCRATCH_24, int32_t(io));
            service_word_set(W_SCRATCH_28, 1);
        } else if (step == 1) {
            uint32_t difference = (io - uint32_t(service_long(W_SCRATCH_24))) & 0xFFFF;
            service_long_set(W_SCRATCH_24, int32_t(difference));
            service_word_set(W_SCRATCH_2A, difference < IO_VALUE_MARK ? -1 : 1);
            service_word_set(W_SCRATCH_28, 2);
        } else {
            service_word_set(W_SCRATCH_28, 0);
        }
    }
    if (testmode_exit_pressed((port1_current() & 0x180) == 0x180) == 1) io_page_leave(10);
}

void io_value_draw(int step, int mark, uint32_t io) {
    dipsw_bits_list();
    testmode_menu_draw(IO_MENU, 4);
    testmode_menu_draw(IO_VALUE_MENU, SERVICE_LIVE);
    if (blink_fast()) {
        if (step != 2) testmode_text_print(13, 18, TEXT_BLANK_18, 0);
        testmode_text_print(13, 20, TEXT_BLANK_20, 0);
    } else if (step == 0) {
        testmode_text_print(13, 18, 0x3A6B0, 0);
    } else if (step == 1) {
        testmode_text_print(13, 18, 0x3A6BC, 0);
        testmode_text_print(14, 20, 0x3A6CE, 0);
    } else if (step == 2) {
        testmode_text_print(15, 18, mark <= 0 ? TEXT_NG : TEXT_OK, mark <= 0 ? 2 : 4);
        testmode_text_print(13, 20, 0x3A6E2, 0);
    }
    static const uint32_t keys[3] = {0x3A70A, 0x3A6F8, 0x3A706};
    if (service_blink()) testmode_text_print(15, 16, TEXT_BLANK_KEY, 0);
    else if (step >= 0 && step <= 2) testmode_text_print(15, 16, keys[step], 0);
    testmode_print_hex(25, 14, 4, io, 0);
}

void io_value_prompts_clear() {
    testmode_text_print(15, 16, TEXT_BLANK_KEY, 0);
    testmode_text_print(13, 18, TEXT_BLANK_18, 0);
    testmode_text_print(13, 20, TEXT_BLANK_20, 0);
}

void output1_enter() {
    textram_clear();
    testmode_print_footer(0);
    service_word_set(OUTPUT_PAGES[0].word, 0);
    testmode_set_page(13);
}

void output1_run() {
    output_page_run(OUTPUT_PAGES[0], 12);
}

void output2_enter() {
    textram_clear();
    testmode_print_footer(0);
    service_word_set(OUTPUT_PAGES[1].word, 0);
    testmode_set_page(15);
}

void output2_run() {
    output_page_run(OUTPUT_PAGES[1], 14);
}

// ---- Pattern test ----------------------------------------------------------------

void pattern_test_enter() {
    mixer_registers[MIXER_TEXT_GROUP] = PATTERN_GROUP;
    for (uint32_t e = 0; e < 256; e++)
        service_palette_set(0x7E00 + e, program_rom[0x20994 + e], program_rom[0x20A94 + e], program_rom[0x20B94 + e]);
    static const uint16_t registers[4] = {860, 0, 110, 0};
    for (uint32_t k = 0; k < 4; k++) bus_write16(0x8A0000 + 2 * k, registers[k]);
    for (uint32_t k = 0; k < 0x4000; k++) CGRAM[0x1A000 + k] = program_rom[0x1C994 + k];
    mixer_registers[MIXER_TEXT_GROUP] = TEXT_GROUP;
    textram_clear();
    service_word_set(W_PATTERN_SHOWN, 0);
    testmode_set_page(17);
}

void pattern_test_run() {
    if (service_word(W_PATTERN_SHOWN) != 0) {
        if (!testmode_select_pressed()) return;
        service_word_set(W_PATTERN_SHOWN, 0);
        mixer_registers[MIXER_TEXT_GROUP] = TEXT_GROUP;
        textram_clear();
        return;
    }
    testmode_cursor_move(11);
    testmode_menu_draw(PATTERN_MENU, SERVICE_LIVE);
    testmode_print_footer(0);
    if (!testmode_select_pressed()) return;
    int item = testmode_cursor_get();
    if (item == 10) {
        testmode_set_page(0);
        testmode_page_cursor_set(16, 0);
    } else if (item >= 0 && item < 10) {
        service_word_set(W_PATTERN_SHOWN, 1);
        mixer_registers[MIXER_TEXT_GROUP] = PATTERN_GROUP;
        for (int row = 0; row < 30; row++)
            for (int column = 0; column < 40; column++) testmode_put_tile(column, row, PATTERN_FILL);
        for (uint32_t list : PATTERN_LISTS[item]) {
            if (list == 0) break;
            tile_block_list_draw(list);
        }
    }
}

// ---- Sound test ------------------------------------------------------------------

void sound_test_enter() {
    textram_clear();
    testmode_write8(WRAM_BASE + W_SOUND_NAME, 0);
    bool hex = (w_cell(W_DIP_SWITCH_BITS) & 0x10) != 0;
    service_word_set(W_SCRATCH_28, hex);
    testmode_values_load(hex ? SOUND_VALUES_HEX : SOUND_VALUES_DEC);
    testmode_highlights_clear(SERVICE_WORK_LIST);
    uint32_t code = uint32_t(service_long(W_SOUND_CODE));
    for (int k = 0; k < 3; k++) service_word_set(digit_cell(k), hex ? int32_t((code >> (4 * k)) & 0xF) : 0);
    if (w_cell(W_START_SWITCH) & 2) {
        service_work_factory_set(0, 43);
        service_work_factory_set(1, 43);
    }
    service_word_set(W_SOUND_VOL_EDIT_A, w_cell(W_SOUND_VOLUMES));
    service_word_set(W_SOUND_VOL_EDIT_B, w_cell(W_SOUND_VOLUME_B));
    service_word_set(W_SCRATCH_2C, 0);
    service_word_set(W_SCRATCH_2A, SOUND_PARAMETER);
    service_long_set(W_SCRATCH_24, sound_table_max_cmd());
    testmode_set_page(19);
}

void sound_test_run() {
    bool hex = sound_hex_mode();
    int32_t radix = hex ? 16 : 10;
    testmode_menu_draw(hex ? SOUND_MENU_HEX : SOUND_MENU_DEC, SERVICE_LIVE);
    testmode_values_draw(SERVICE_WORK_LIST, SERVICE_LIVE);
    testmode_print_footer(4);
    sound_name_copy();

    int cursor = testmode_cursor_get();
    service_value r{};
    uint32_t index = 0;
    while (service_value_at(SERVICE_WORK_LIST, index, &r) && r.item != cursor) index++;
    bool found = service_value_at(SERVICE_WORK_LIST, index, &r);
    int32_t before = found ? testmode_field_value_get(r) : 0;
    bool changed = testmode_value_adjust(SERVICE_WORK_LIST) != 0;
    int32_t after = found ? testmode_field_value_get(r) : 0;

    int32_t volume_a = service_word(W_SOUND_VOL_EDIT_A), volume_b = service_word(W_SOUND_VOL_EDIT_B);
    if (volume_a != int16_t(w_cell(W_SOUND_VOLUMES)) || volume_b != int16_t(w_cell(W_SOUND_VOLUME_B))) {
        w_cell_set(W_SOUND_VOLUMES, volume_a);
        w_cell_set(W_SOUND_VOLUME_A2, volume_a);
        w_cell_set(W_SOUND_VOLUME_B, volume_b);
        w_cell_set(W_SOUND_VOLUME_B2, volume_b);
        sound_volumes_put();
    }

    bool digit = cursor >= 2 && cursor <= 4;
    if (changed && found && r.minimum != r.maximum) {
        if (before == r.maximum && after == r.minimum) digit_carry(cursor, 1, radix);
        if (before == r.minimum && after == r.maximum) digit_carry(cursor, -1, radix);
    }
    int32_t units = service_word(digit_cell(0)), tens = service_word(digit_cell(1)), hundreds = service_word(digit_cell(2));
    service_long_set(W_SOUND_CODE, hundreds * radix * radix + tens * radix + units);
    if (changed && found) {
        if (digit) for (uint32_t k = 2; k <= 4; k++) service_mark_set(k, SERVICE_MARK_CHANGED);
        else service_mark_set(index, SERVICE_MARK_CHANGED);
    }

    if (testmode_cursor_move(hex ? 8 : 6)) scores_write_hook(WRAM_BASE + W_SOUND_VOLUMES, 10);

    int32_t timer = service_word(W_SOUND_TIMER) - 1;
    service_word_set(W_SOUND_TIMER, timer);
    uint32_t command = 0;
    slot_command(0, &command);
    if (timer <= 0 || !(command & 0x8000)) {
        sound_stop_all();
        service_word_set(W_SOUND_TIMER, 0);
    }

    if (testmode_select_pressed()) {
        if (testmode_cursor_get() == (hex ? 7 : 5)) {
            sound_stop_all();
            testmode_set_page(0);
            testmode_page_cursor_set(18, 0);
            eeprom_sync_all();
        } else if (service_word(W_SOUND_TIMER) <= 0) {
            sound_play_test_code();
        } else {
            service_word_set(W_SOUND_TIMER, 0);
            sound_stop_all();
        }
    }
    service_long_set(W_SCRATCH_20, service_long(W_SCRATCH_20) + 1);
}

// ---- Board tests -----------------------------------------------------------------

void board_menu_enter() {
    textram_clear();
    testmode_set_page(23);
}

void board_menu_draw() {
    testmode_menu_draw(BOARD_MENU, SERVICE_LIVE);
}

void board_menu_run() {
    board_menu_draw();
    testmode_print_footer(0);
    testmode_cursor_move(5);
    if (!testmode_select_pressed()) return;
    switch (testmode_cursor_get()) {
    case 0: testmode_set_page(28); break;
    case 1: video_board_test(); break;
    case 2: testmode_set_page(24); break;
    case 3: testmode_set_page(30); break;
    case 4:
        testmode_set_page(0);
        testmode_page_cursor_set(22, 0);
        break;
    default: break;
    }
}

int testmode_board_test_step() {
    static bool reported;
    int32_t test = service_long(W_BOARD_TEST_CURRENT);
    if (test == ROM_SUM_TEST) {
        point_rom_sums();
        return 0;
    }
    test_line_once(&reported,
                   "[TEST] DSP PCB TEST: tests 0-11 run the DSPs' own test programs, which this engine does not -- "
                   "reported NG\n");
    if (test >= 0 && test < DSP_TESTS) service_word_set(W_RIG_NODES + 2 * uint32_t(test), 1);
    return 1;
}

void dsp_test_enter() {
    textram_clear();
    testmode_print_footer(5);
    for (uint32_t t = 0; t < DSP_TESTS; t++) service_word_set(W_DSP_RESULTS + 2 * t, 0xFFFF);
    service_long_set(W_HALT_FLAG, 1);
    service_word_set(W_BOARD_TESTS_LEFT, DSP_TESTS);
    service_long_set(W_BOARD_TEST_CURRENT, 0);
    testmode_set_page(25);
}

void dsp_test_run() {
    testmode_menu_draw(DSP_MENU, SERVICE_LIVE);
    for (uint32_t t = 0; t < DSP_TESTS; t++) {
        int32_t result = service_word(W_DSP_RESULTS + 2 * t);
        if (result == 0) testmode_text_print(29, int(7 + t), TEXT_OK, 0);
        if (result == 1) testmode_text_print(29, int(7 + t), TEXT_NG, 2);
    }
    if (testmode_select_pressed()) {
        testmode_set_page(22);
        testmode_page_cursor_set(24, 0);
        service_restart();
    }
    int32_t left = service_word(W_BOARD_TESTS_LEFT);
    int32_t test = service_long(W_BOARD_TEST_CURRENT);
    if (left <= 0 || test < 0 || test >= DSP_TESTS) return;
    testmode_text_print(29, 7 + test, TEXT_RUNNING, 0);
    service_word_set(W_DSP_RESULTS + 2 * uint32_t(test), testmode_board_test_step());
    testmode_text_print(29, 7 + test, TEXT_DONE, 0);
    service_word_set(W_BOARD_TESTS_LEFT, --left);
    service_long_set(W_BOARD_TEST_CURRENT, left > 0 ? test + 1 : -1);
}

void rom_check_enter() {
    textram_clear();
    testmode_menu_draw(ROM_CHECK_MENU, SERVICE_LIVE);
    for (int k = 0; k < ROM_SUMS; k++)
        testmode_print_hex(17, int(rom_check_row(k)), 4, uint32_t(testmode_read16(ROM_CHECK_SUMS + 2 * uint32_t(k))), 0);
    testmode_text_print(24, 6, TEXT_RUNNING, 0);
    service_long_set(W_BOARD_TEST_CURRENT, ROM_SUM_TEST);
    testmode_board_test_step();
    testmode_text_print(24, 6, TEXT_DONE, 0);
    testmode_print_footer(5);
    testmode_set_page(31);
}

void rom_check_run() {
    for (int k = 0; k < ROM_SUMS; k++) {
        uint32_t sum = uint32_t(service_word(W_BOARD_TEST_SUMS + 2 * uint32_t(k))) & 0xFFFF;
        bool match = sum == uint32_t(testmode_read16(ROM_CHECK_SUMS + 2 * uint32_t(k)));
        int row = int(rom_check_row(k)), colour = match ? 4 : 2;
        testmode_print_hex(24, row, 4, sum, uint32_t(colour) << 12);
        testmode_text_print(30, row, match ? TEXT_OK : TEXT_BAD_SUM, colour);
    }
    if (testmode_select_pressed()) {
        testmode_set_page(22);
        service_restart();
    }
}
