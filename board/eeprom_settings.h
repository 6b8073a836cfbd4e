// The board's EEPROM as a block of work RAM, settings_block (W 0x3F30-0x416F), kept over
// a game reset; its score part reaches the scores file (board/scores_file.h). The board's
// own EEPROM routines are stubs here that save that file and say once what they were.
#pragma once
#include <cstdint>

constexpr uint32_t W_SETTINGS_BLOCK = 0x3F30;         // the ROM's identification string first
constexpr uint32_t SETTINGS_BLOCK_SIZE = 576;
constexpr uint32_t W_SETTINGS_SEQUENCE = 0x3F38;      // bytes 0..17 in the block's header
constexpr uint32_t W_SETTINGS_HEADER_CELLS = 0x3F78;  // end of the cells a reset clears first
constexpr uint32_t W_SETTINGS_HEADER_END = 0x3FA0;
// Settings words (the volumes, the mode setting and the defaults mark are the game's own
// cells; the others are words in the board's layout).
constexpr uint32_t W_SOUND_VOLUMES = 0x3FE0;     // four cells, 0x3FE0-0x3FE6
constexpr uint32_t W_SOUND_CODE = 0x3FE8;        // last sound code (long)
constexpr uint32_t W_COINS_PER_CREDIT = 0x3FF0;  // long: 4 after initialisation
constexpr uint32_t W_FREE_PLAY = 0x3FF4;         // non-zero is free play
constexpr uint32_t W_GAME_VALUE1 = 0x3FF8;       // game options
constexpr uint32_t W_MODE_SETTING = 0x3FFA;      // cell, compared with 1
constexpr uint32_t W_ATTRACT_SOUND = 0x3FFC;     // attract sound setting (word or long)
constexpr uint32_t W_SETTINGS_DEFAULTED = 0x3FFE;   // 1 once the ROM defaults are loaded
constexpr uint32_t W_SETTINGS_TAIL = 0x4170;        // two longs past the block, cleared with its header
constexpr uint32_t W_DIP_SWITCH_BITS = 0x2C0C;  // dip_switch_bits, bit 0 for switch 1

// Settings cells from program ROM: the defaults mark := 1, the mode setting := ROM word
// 0x36806, the game value word := ROM word 0x3681E, the attract sound word := ROM word
// 0x3684E.
void settings_defaults_load();
// 0x019EEE: saves the scores file and reports the stub once.
void eeprom_sync_all();
// The service mode's factory reset: keeps the eight cells 0x3FD0-0x3FD7 (handle_centres
// and their neighbours), clears 0x3F30-0x3F77, writes the block's header (the ROM's
// identification string, bytes 0 to 17, cleared cells), loads the sound-volume, sound
// code and coin defaults (43, 43 and coin values 4 and 2 while W 0x2BA4 bit 1 is set)
// and settings_defaults_load, resets the rankings, puts the eight cells back and syncs.
void settings_factory_reset();
// The service mode's handle adjustment: the current analog readings (commsram words
// 0x7D0A, 0x7D0C, 0x7D0E, 0x7D10) become the cells 0x3FD0, 0x3FD2, 0x3FD4, 0x3FD6
// (handle_centres first), then eeprom_sync_all.
void switch_defaults_and_sync();
// 0x0489F8: the board's EEPROM command handler, a stub: reports once, returns 0.
int eeprom_command_handler();
// 0x049B7C: the EEPROM protocol's shift step, a stub: reports once, returns 0.
int eeprom_shift_right_1();
// The old-form game options page's reset of the rankings.
void ranking_defaults_call();
// The DIP-switch line of the input test pages: text cells 17-24 of row 6, characters 1 to
// 8, attribute 0x20 where the switch's bit is set.
void dipsw_bits_list();
// "TBL <name> E04030 ..." and "TBL <name> E15BF0 ..." lines of the score and ranking
// bytes on stdout (the long of a record gives its first four bytes).
void score_table_dump(const char* name);
