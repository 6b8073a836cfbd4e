// The new form's page handlers, entry (even page) and run (odd page) of each page
// pair, and the routines the framework and the old form share with them.
#pragma once
#include <cstdint>

// Coin and game options, bookkeeping, its clear, the factory reset, the handle page.
void coin_options_enter();
// The coin options' entry with a value list of the caller's (the old form's is longer).
void coin_options_enter_from(uint32_t values);
void coin_options_run();
void game_options_enter();
void game_options_run();
void bookkeeping_enter();
void bookkeeping_run();
void bookkeeping_clear_enter();
void bookkeeping_clear_run();
void factory_reset_enter();
void factory_reset_run();
void handle_adjust_enter();
void handle_adjust_run();
// The edited options back into coin_options / game_options, reported to the scores hook.
void testmode_save_coin_options();
void testmode_save_game_options();

// The I/O test menu and its pages, the pattern and sound tests, the board tests.
void io_menu_enter();
void io_menu_run();
void input_test_enter();
void input_test_run();
// The input test's screen without its way out, and the I/O value test's screen for a
// step, a result mark and the I/O value; the select's blanking of its prompts.
void input_test_draw();
void io_value_draw(int step, int mark, uint32_t io);
void io_value_prompts_clear();
void io_value_enter();
void io_value_run();
void output1_enter();
void output1_run();
void output2_enter();
void output2_run();
void pattern_test_enter();
void pattern_test_run();
void sound_test_enter();
void sound_test_run();
void board_menu_enter();
void board_menu_run();
void dsp_test_enter();
void dsp_test_run();
void rom_check_enter();
void rom_check_run();
// One board test: the point-ROM sums for test 12, else the DSP test t (always bad).
int testmode_board_test_step();

void board_menu_draw();
// The way every leaving ends: test_exit_frame, service_exit_mark, the EEPROM sync and
// the restart request.
void service_restart();
