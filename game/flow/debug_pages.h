// Debug pages of the game program that nothing enters (their only callers are other
// such pages): hexadecimal dumps of work-RAM words into text RAM, the CGRAM viewer's
// set-up, and the course-choice menu drawn in 3D letters.
#pragma once
#include <cstdint>

constexpr int DEBUG_VALUE_COLUMN = 12;  // the dumps' digits end in column 12 + 7

// Grid cell, counters and the player's words, rows 5-24.
void debug_values_print();
// The switch words, both switch ports and the handle direction words.
void debug_switches_print();
// Player and camera position and angles.
void debug_position_print();
// Block 0 into character RAM from tile 288, palette bank 0.
void cgram_viewer_setup();

// The course-choice menu's state.
struct course_menu_state {
    int phase, selection, frame, lock, calls;
};
extern course_menu_state course_menu;
// Phases 1-4: 1 resets; 2 shows the two mode lines and, 30 frames after a choice
// (start), starts course 0 (game_state 4) or goes to phase 3; 3 preselects
// SKYVOLTA_TEST_MENU_PICK when set; 4 shows the four course lines and, 30 frames after
// a choice, sets course_number and game_state 4. The line texts are the caller's.
void test_menu_step(const char* const mode_lines[2], const char* const course_lines[4]);
// Moves the selection with the decrease and increase inputs, wrapping in 0..count-1.
void menu_cursor_step(int count);
// The lines in letter models (ROM 0x37990: A-Z and a-z 0..25, digits 26..35; other
// characters leave a gap), 130 units apart and centred, lines 200 units apart from
// ((lines - 1) / 2) x 200 + 180 down, depth 1250 for the selected line, 1450 others.
void menu_text_draw(int selected, int lines, const char* const* strings);
