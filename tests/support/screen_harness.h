// The screens' test bench: the synthetic ROM set in the board's images, game
// initialisation as start-up runs it, then frames stepped as the main loop steps them,
// each with a scripted state of the board's input images (commsram switch bytes, handle
// words, pedal counter), and the results read back: text RAM as characters, the
// headless picture as RGB.
#pragma once
#include "tests/support/png_compare.h"

#include <cstdint>
#include <string>

// What the host's input side leaves for one frame.
struct screen_input {
    uint8_t switch0 = 0;  // commsram 0x7D02: bit 0 coin, bit 2 service, bit 3 test
    uint8_t switch1 = 0;  // commsram 0x7D04: bit 0 start
    int16_t turn = 511, pitch = 511;  // handle words (W 0x2BC8, 0x2BCA) and commsram
                                      // analog words 0 and 1; centre 511
    uint16_t pedal_counter = 0;       // commsram 0x7D1C, counts up while pedalling
};
constexpr uint8_t SCREEN_COIN = 0x01, SCREEN_SERVICE = 0x04, SCREEN_TEST = 0x08;  // switch0
constexpr uint8_t SCREEN_START = 0x01;                                             // switch1

// A cleared board holding the shared synthetic ROM set (program, point, sprite and
// texture images), the renderer reset, a scores file of its own in a fresh temporary
// directory, then `game_init`. host_frame restarts at 0.
void screen_start();

// The handle's cells as the host keeps them (owned by the host), centred at 511.
void screen_handle_centred();

// One frame: the inputs written, frame_due set, the loop's game step, host_frame + 1.
void screen_frame(const screen_input& in = {});
// n frames with the same inputs.
void screen_frames(int n, const screen_input& in = {});
// A press: `frames` frames with the inputs, then one released frame.
void screen_press(const screen_input& in, int frames = 1);

// Row `row` of text RAM, 64 characters: printed characters as themselves, the number
// printers' digit tiles 0..15 as '0'..'9', 'A'..'F', blank cells and others as ' '.
std::string screen_text_row(int row);
// The cell (palette << 12 | tile) at (column, row).
uint16_t screen_text_cell(int column, int row);

// The headless picture of the current frame, 640 x 480, as a screenshot shows it (the
// mixer's colour table applied). Opens a hidden GL window on first use.
rgb_picture screen_picture();

// Compares the picture with "<directory of test_file>/golden/<name>.png" within
// `tolerance` (SKYVOLTA_UPDATE_GOLDEN=1 rewrites it); empty when equal.
std::string screen_golden_check(const rgb_picture& picture, const char* test_file, const char* name,
                                int tolerance = 2);

// game_state (W 0x0CBC) and the gameplay sub-state (W 0x0CC0).
int32_t screen_state();
int32_t screen_sub_state();
