#include "game/flow/debug_pages.h"

#include "base/env_switch.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/test_menus.h"
#include "game/services/emitter_tables.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_ram.h"

#include <cstdio>
#include <cstring>

course_menu_state course_menu;

namespace {

constexpr int DIGITS = 8;
constexpr int CHOICE_FRAMES = 30;
constexpr int TRACED_CALLS = 5;
constexpr int32_t LETTER_STEP = 130;
constexpr int32_t LINE_STEP = 200;

// A page row: a work-RAM long (or, for cells, the slot's own value) in hexadecimal.
struct dump_row {
    int row;
    uint32_t offset;
    bool cell;
};

template <int N>
void dump_page(const dump_row (&rows)[N]) {
    for (const dump_row& r : rows) {
        int32_t v = r.cell ? w_cell(r.offset) : wram_long(r.offset);
        text_print_hex(DEBUG_VALUE_COLUMN, r.row, DIGITS, uint32_t(v), 0);
    }
}

// The letter index of a character, -1 for one without a model.
int letter_index(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= '0' && c <= '9') return 26 + (c - '0');
    return -1;
}

bool choice_made() {
    return (w_cell(W_START_EDGE) & 1) != 0;
}

// Counts down the 30 frames after a choice; true on the frame they run out.
bool choice_due(int count) {
    if (!course_menu.lock) {
        menu_cursor_step(count);
        if (choice_made()) course_menu.lock = CHOICE_FRAMES;
        return false;
    }
    return --course_menu.lock == 0;
}

void course_start(int course) {
    wram_long_set(W_COURSE_NUMBER, course);
    wram_long_set(W_GAME_STATE, 4);
}

}  // namespace

void debug_values_print() {
    static const dump_row rows[] = {
        {5, W_CAMERA_CELL, false},   {6, W_CAMERA_CELL + 4, false}, {7, W_CAMERA_CELL + 8, false},
        {8, W_FRAME_TICK, false},    {9, W_PLAY_FRAME_COUNTER, false}, {10, W_FRAME_COUNTER, false},
        {11, W_GAME_STATE, false},   {12, W_GAME_SUB_STATE, false}, {13, W_COURSE_NUMBER, false},
        {14, W_PLAYER_X, false},         {15, W_PLAYER_Y, false},           {16, W_PLAYER_Z, false},
        {17, W_PLAYER_PITCH, false},         {18, W_PLAYER_HEADING, false},           {19, W_PLAYER_ROLL, false},
        {20, W_PLAYER_SPEED, false},         {21, W_PITCH_INPUT, false},           {22, W_TURN_INPUT, false},
        {23, W_PEDAL_DELTA, true},   {24, W_SUBPART_COUNT, false},
    };
    dump_page(rows);
}

void debug_switches_print() {
    static const dump_row rows[] = {
        {5, W_COIN_SWITCH, true},
        {6, W_START_SWITCH, true},
        {7, W_SWITCH_PORT0 + SP_CURRENT, true},
        {8, W_SWITCH_PORT0 + SP_PRESSED, true},
        {9, W_SWITCH_PORT0 + SP_REPEAT, true},
        {10, W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_CURRENT, true},
        {11, W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_PRESSED, true},
        {12, W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_REPEAT, true},
        {13, W_DIRECTION, true},
        {14, W_DIRECTION_REPEAT, true},
    };
    dump_page(rows);
}

void debug_position_print() {
    static const dump_row rows[] = {
        {5, W_PLAYER_X, false},  {6, W_PLAYER_Y, false},  {7, W_PLAYER_Z, false},  {8, W_PLAYER_PITCH, false},
        {9, W_PLAYER_HEADING, false},  {10, W_PLAYER_ROLL, false}, {12, W_CAMERA_X, false}, {13, W_CAMERA_Y, false},
        {14, W_CAMERA_Z, false}, {15, W_CAMERA_PITCH, false}, {16, W_CAMERA_HEADING, false},
        {17, W_CAMERA_ROLL, false},
    };
    dump_page(rows);
}

void cgram_viewer_setup() {
    cgram_load_tile_block(0, 288);
    palette_bank_load(0, 0);
}

void test_menu_step(const char* const mode_lines[2], const char* const course_lines[4]) {
    if (course_menu.calls < TRACED_CALLS) {
        course_menu.calls++;
        printf("  [MENU] step phase=%d sel=%d frame=%d lock=%d\n", course_menu.phase, course_menu.selection,
               course_menu.frame, course_menu.lock);
    }
    course_menu.frame++;
    switch (course_menu.phase) {
    case 1:
        course_menu = {2, 0, 0, 0, course_menu.calls};
        break;
    case 2:
        menu_text_draw(course_menu.selection, 2, mode_lines);
        if (choice_due(2)) {
            if (course_menu.selection == 0) {
                course_start(0);
            } else {
                course_menu.phase = 3;
            }
        }
        break;
    case 3: {
        static const int pick = env_int("SKYVOLTA_TEST_MENU_PICK", -1);
        course_menu.selection = pick >= 0 && pick <= 3 ? pick : 0;
        course_menu.phase = 4;
        break;
    }
    case 4:
        menu_text_draw(course_menu.selection, 4, course_lines);
        if (choice_due(4)) course_start(course_menu.selection);
        break;
    default: break;
    }
}

void menu_cursor_step(int count) {
    if (count <= 0) return;
    int s = course_menu.selection;
    if (menu_input_decrease()) s = s <= 0 ? count - 1 : s - 1;
    if (menu_input_increase()) s = s >= count - 1 ? 0 : s + 1;
    course_menu.selection = s;
}

void menu_text_draw(int selected, int lines, const char* const* strings) {
    int32_t top = (lines - 1) / 2 * LINE_STEP + 180;
    for (int line = 0; line < lines; line++) {
        const char* s = strings[line];
        int32_t length = int32_t(strlen(s));
        int32_t y = top - line * LINE_STEP, depth = line == selected ? 1250 : 1450;
        for (int32_t k = 0; k < length; k++) {
            int letter = letter_index(s[k]);
            if (letter < 0) continue;
            int32_t x = k * LETTER_STEP - (length - 1) * LETTER_STEP / 2;
            dl_object_put(0, rom_table_long(ROM_LETTER_MODELS, letter, 0), x, y, depth, 0, 0, 0, 0);
        }
    }
}
