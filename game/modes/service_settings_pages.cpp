// The settings pages of the service mode: coin and game options, bookkeeping and its
// clear, the factory reset and the handle adjustment. They edit copies in the service
// scratch words and write them back into settings_block.
#include "board/eeprom_settings.h"
#include "board/inputs.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "game/modes/test_menus.h"
#include "game/modes/test_numbers.h"
#include "game/services/course_timers.h"

namespace {

constexpr uint32_t COIN_VALUES = 0x36744;
constexpr uint32_t COIN_MENU = 0x36774;
constexpr uint32_t COIN_WORD_TEXTS = 0x36614;      // two ROM longs: the text for 1, for others
constexpr uint32_t COIN_WORD_PLACES = 0x36CEC;     // (column, row) words per work record 0, 1
constexpr uint32_t GAME_VALUES = 0x367F4;
constexpr uint32_t GAME_MENU = 0x3686C;
constexpr uint32_t BOOK_MENUS = 0x36FD8;           // ROM longs, one per view
constexpr uint32_t BOOK_VALUE_LISTS = 0x36FE8;
constexpr uint32_t BOOK_MARKS_LIST = 0x36D80;
constexpr uint32_t BOOK_CLEAR_MENU = 0x37130;
constexpr uint32_t FACTORY_MENU = 0x37178;
constexpr uint32_t HANDLE_MENU = 0x37378;
constexpr uint32_t HANDLE_VALUES = 0x372D0;
constexpr uint32_t SWITCH_SERVICE = 4;
constexpr int BOOK_DIGITS = 4;

// Operator switch 1 (W 0x2BA4 bit 1) changes some factory values.
bool operator_switch() {
    return (w_cell(W_START_SWITCH) & 2) != 0;
}

// After a change, the value under the cursor shows in colour 2.
void cursor_value_adjust(uint32_t list) {
    if (!testmode_value_adjust(list)) return;
    int cursor = testmode_cursor_get();
    service_value r;
    for (uint32_t i = 0; service_value_at(list, i, &r); i++)
        if (r.item == cursor) return service_mark_set(i, SERVICE_MARK_CHANGED);
}

// The word after each of the first two coin values.
void coin_words_draw() {
    service_value r;
    for (uint32_t k = 0; k < 2 && service_value_at(SERVICE_WORK_LIST, k, &r); k++) {
        uint32_t which = testmode_read32(r.address) == 1 ? 0 : 4;
        uint32_t text = uint32_t(testmode_read32(COIN_WORD_TEXTS + which));
        int column = int16_t(testmode_read16(COIN_WORD_PLACES + 4 * k));
        int row = int16_t(testmode_read16(COIN_WORD_PLACES + 4 * k + 2));
        testmode_text_print(column, row, text, 0);
    }
}

uint32_t average(uint32_t total, uint32_t count) {
    return count ? total / count : 0;
}

void book_word(int column, int row, uint32_t offset) {
    testmode_print_digits(column, row, BOOK_DIGITS, service_word(offset) & 0xFFFF, 0);
}

void book_view_draw(int view) {
    if (view == 0) {
        testmode_values_draw(uint32_t(testmode_read32(BOOK_VALUE_LISTS)), SERVICE_LIVE);
    } else if (view == 1) {
        for (uint32_t i = 0; i < 3; i++)
            for (uint32_t k = 0; k < 6; k++) book_word(int(12 * i + 8), int(9 + 2 * k), 0x412A + 16 * i - 2 * k);
    } else if (view == 2) {
        static const int top_columns[5] = {4, 12, 20, 27, 33};
        for (uint32_t b = 0; b < 3; b++) {
            uint32_t base = 0x40EC + 20 * b;
            int row = int(10 + 5 * b);
            for (uint32_t k = 0; k < 5; k++) book_word(top_columns[k], row, base - 10 + 2 * k);
            for (uint32_t k = 0; k < 4; k++) book_word(top_columns[k + 1], row + 2, base + 2 + 2 * k);
        }
    } else if (view == 3) {
        for (uint32_t r = 0; r < 5; r++) {
            uint32_t sum = 0;
            for (uint32_t k = 0; k < 5; k++) {
                uint32_t offset = W_BOOK_COUNTERS + 10 * r + 2 * k;
                sum += uint32_t(service_word(offset)) & 0xFFFF;
                book_word(int(8 + 5 * k), int(10 + 3 * r), offset);
            }
            testmode_print_digits(34, int(10 + 3 * r), BOOK_DIGITS, int32_t(sum & 0xFFFF), 0);
        }
    }
}

bool book_clear_pressed() {
    if ((service_edge_bits() & 1) && (w_cell(W_START_SWITCH) & 1)) return true;
    if ((w_cell(W_START_EDGE) & 1) && (service_held_bits() & 1)) return true;
    uint32_t held = port1_current();
    uint32_t buttons = held & 0x900;
    return (held & 0x10) && buttons && (port1_pressed() & (0x10 | buttons));
}

}  // namespace

// ---- Coin options ----------------------------------------------------------------

void coin_options_enter() {
    coin_options_enter_from(COIN_VALUES);
}

void coin_options_enter_from(uint32_t values) {
    textram_clear();
    testmode_print_footer(3);
    testmode_values_load(values);
    testmode_highlights_clear(SERVICE_WORK_LIST);
    if (operator_switch()) {
        service_work_factory_set(0, 4);
        service_work_factory_set(2, 2);
    }
    service_long_set(W_SCRATCH_1C, service_word(W_COIN_VALUE1_WORD));
    service_long_set(W_SCRATCH_20, service_word(W_COIN_VALUE2));
    service_word_set(W_SCRATCH_28, service_word(W_FREE_PLAY));
    testmode_set_page(3);
}

void coin_options_run() {
    testmode_menu_draw(COIN_MENU, SERVICE_LIVE);
    testmode_values_draw(SERVICE_WORK_LIST, SERVICE_LIVE);
    coin_words_draw();
    if (testmode_cursor_move(4)) testmode_save_coin_options();
    cursor_value_adjust(SERVICE_WORK_LIST);
    if (testmode_select_pressed() && testmode_cursor_get() == 3) {
        testmode_set_page(0);
        testmode_page_cursor_set(2, 0);
    }
}

void testmode_save_coin_options() {
    service_long_set(W_COINS_PER_CREDIT, int16_t(service_long(W_SCRATCH_1C)));
    service_word_set(W_FREE_PLAY, service_word(W_SCRATCH_28));
    service_word_set(W_COIN_VALUE2, int16_t(service_long(W_SCRATCH_20)));
    scores_write_hook(WRAM_BASE + W_COINS_PER_CREDIT, 8);
}

// ---- Game options ----------------------------------------------------------------

void game_options_enter() {
    textram_clear();
    testmode_print_footer(1);
    testmode_highlights_clear(GAME_VALUES);
    service_word_set(W_SCRATCH_2A, service_word(W_MODE_SETTING));
    service_long_set(W_SCRATCH_20, service_word(W_GAME_VALUE1));
    service_word_set(W_SCRATCH_28, 0);
    service_word_set(W_SCRATCH_2C, service_word(W_ATTRACT_SOUND));
    testmode_set_page(5);
}

void game_options_run() {
    testmode_values_draw(GAME_VALUES, SERVICE_LIVE);
    testmode_menu_draw(GAME_MENU, SERVICE_LIVE);
    if (testmode_cursor_move(5)) testmode_save_game_options();
    cursor_value_adjust(GAME_VALUES);
    if (testmode_select_pressed() && testmode_cursor_get() == 4) {
        if (service_word(W_SCRATCH_28) != 0) ranking_table_reset();
        testmode_page_cursor_set(4, 0);
        testmode_set_page(0);
    }
}

void testmode_save_game_options() {
    service_word_set(W_MODE_SETTING, service_word(W_SCRATCH_2A));
    service_word_set(W_GAME_VALUE1, int16_t(service_long(W_SCRATCH_20)));
    service_word_set(W_ATTRACT_SOUND, service_word(W_SCRATCH_2C));
    scores_write_hook(WRAM_BASE + W_GAME_VALUE1, 6);
}

// ---- Bookkeeping -----------------------------------------------------------------

void bookkeeping_enter() {
    textram_clear();
    testmode_print_footer(6);
    testmode_highlights_clear(BOOK_MARKS_LIST);
    auto count = [](uint32_t offset) { return uint32_t(service_word(offset)) & 0xFFFF; };
    service_long_set(W_SCRATCH_1C, int32_t(average(uint32_t(service_long(W_BOOK_PLAY_FRAMES)), count(W_BOOK_STAGES))));
    service_long_set(W_SCRATCH_24, int32_t(average(uint32_t(service_long(W_BOOK_PLAY_FRAMES + 4)), count(W_BOOK_GAMES))));
    service_long_set(W_SCRATCH_20, int32_t(average(uint32_t(service_long(W_BOOK_PLAY_FRAMES + 8)), count(W_BOOK_COUNT_3))));
    testmode_set_page(21);
}

void bookkeeping_run() {
    if (testmode_cursor_move(4)) {
        textram_clear();
        testmode_print_footer(6);
    }
    int view = testmode_cursor_get();
    testmode_menu_draw(uint32_t(testmode_read32(BOOK_MENUS + 4 * uint32_t(view))), SERVICE_LIVE);
    book_view_draw(view);
    if (book_clear_pressed()) testmode_set_page(26);
    else if (testmode_select_pressed()) testmode_set_page(0);
}

void bookkeeping_clear_enter() {
    textram_clear();
    testmode_print_footer(0);
    testmode_page_cursor_set(26, 1);
    testmode_set_page(27);
}

void bookkeeping_clear_run() {
    testmode_menu_draw(BOOK_CLEAR_MENU, SERVICE_LIVE);
    testmode_cursor_move(3);
    if (!testmode_select_pressed()) return;
    if (testmode_cursor_get() == 0) {
        stage_state_reset();  // leaves the score table (W 0x4030..) between its words alone
        eeprom_sync_all();
        testmode_page_cursor_set(20, 0);
    }
    testmode_set_page(20);
}

// ---- Factory reset ---------------------------------------------------------------

void factory_reset_enter() {
    textram_clear();
    testmode_print_footer(0);
    testmode_page_cursor_set(28, 1);
    testmode_set_page(29);
}

void factory_reset_run() {
    testmode_menu_draw(FACTORY_MENU, SERVICE_LIVE);
    testmode_cursor_move(3);
    if (!testmode_select_pressed()) return;
    if (testmode_cursor_get() == 0) {
        int main_cursor = testmode_read8(WRAM_BASE + W_TEST_CURSORS);
        settings_factory_reset();
        stage_state_reset();  // the board's reset cannot reach the game's bookkeeping
        testmode_page_cursor_set(0, main_cursor);
        testmode_page_cursor_set(22, 0);
    }
    testmode_set_page(22);
}

// ---- Handle adjust ---------------------------------------------------------------

void handle_adjust_enter() {
    textram_clear();
    switch_defaults_and_sync();
    testmode_highlights_clear(HANDLE_VALUES);
    testmode_page_cursor_set(32, 0);
    testmode_set_page(33);
}

void handle_adjust_run() {
    service_word_set(W_SCRATCH_28, w_cell(W_HANDLE_PITCH) - w_cell(W_HANDLE_CENTRE_PITCH));
    service_word_set(W_SCRATCH_2A, w_cell(W_HANDLE_TURN) - w_cell(W_HANDLE_CENTRE_TURN));
    testmode_menu_draw(HANDLE_MENU, SERVICE_LIVE);
    testmode_values_draw(HANDLE_VALUES, SERVICE_LIVE);
    if (w_cell(W_COIN_EDGE) & SWITCH_SERVICE) switch_defaults_and_sync();
}
