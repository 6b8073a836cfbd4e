// The service mode's work-RAM words, named once; the pages reach them through the
// toolkit's accessors (service_toolkit.h). The switch words are the input layer's cells
// (board/inputs.h). The page is the upper half of test_state_word, the cursor of page pair
// p / 2 the byte at W_TEST_CURSORS + p / 2.
#pragma once
#include <cstdint>

#include "board/dspram.h"          // W_HALT_FLAG (the DSP test's flag)
#include "board/game_state_ram.h"  // the armed flag
#include "game/services/coin_ram.h"      // coins, price, free play, the credit row
#include "game/services/flight_ram.h"    // W_STOP_FLAG: how the service mode was entered
#include "game/services/gameplay_ram.h"  // frame_counter (bookkeeping)
#include "game/services/rig_ram.h"       // the node array value_work_list lives in
#include "game/services/run_ram.h"       // the bookkeeping longs
#include "game/services/sound_ram.h"     // the volumes, mode and attract-sound settings
#include "board/eeprom_settings.h"

// ---- Settings block ----------------------------------------------------------------
constexpr uint32_t W_TEST_STATE = 0x3FB4;        // test_state_word: the page, low half
constexpr uint32_t W_TEST_CURSORS = 0x3FB6;      // one byte cell per page pair
constexpr uint32_t W_TEST_EXIT_FRAME = 0x3FB0;   // test_exit_frame
constexpr uint32_t W_SOUND_VOLUME_B = 0x3FE2;
constexpr uint32_t W_SOUND_VOLUME_A2 = 0x3FE4;
constexpr uint32_t W_SOUND_VOLUME_B2 = 0x3FE6;
constexpr uint32_t W_SERVICE_EXIT_MARK = 0x3FEA;  // service_exit_mark
constexpr uint32_t W_COIN_VALUE1_WORD = 0x3FF2;  // its lower word, as the page loads it
constexpr uint32_t W_COIN_VALUE2 = 0x3FF6;       // the continue screen's price in credits
constexpr uint32_t W_BOOK_COUNT_3 = 0x4022;
constexpr uint32_t W_BOOK_COUNTERS = 0x40B0;     // counter words to 0x4133

// ---- Game words the mode reads or clears -------------------------------------------
constexpr uint32_t W_SCENE_WORD = 0x2C24;  // cleared on entry

// ---- Service scratch -----------------------------------------------------------------
// value_work_list, six longs per record: the service mode keeps it in the rig's node
// array, W_RIG_NODES (game/services/rig_ram.h); its board address.
constexpr uint32_t SERVICE_WORK_LIST = WRAM_BASE + W_RIG_NODES;
constexpr uint32_t W_BOARD_TEST_SUMS = 0xABD6;   // nine point-ROM sums
constexpr uint32_t W_SOUND_NAME = 0xAC44;        // the sound test's name text
constexpr uint32_t W_VALUE_MARKS = 0x168EC;      // value_marks, a word per record
constexpr uint32_t W_DSP_RESULTS = 0x168FC;      // dsp_test_results, 12 words
constexpr uint32_t W_BOARD_TEST_CURRENT = 0x16914;
constexpr uint32_t W_BOARD_TESTS_LEFT = 0x1691A;
constexpr uint32_t W_SCRATCH_1C = 0x1691C;       // long
constexpr uint32_t W_SCRATCH_20 = 0x16920;       // long
constexpr uint32_t W_SCRATCH_24 = 0x16924;       // long
constexpr uint32_t W_SCRATCH_28 = 0x16928;       // words from here on
constexpr uint32_t W_SCRATCH_2A = 0x1692A;
constexpr uint32_t W_SCRATCH_2C = 0x1692C;
constexpr uint32_t W_SCRATCH_2E = 0x1692E;
constexpr uint32_t W_PATTERN_SHOWN = 0x16930;
constexpr uint32_t W_SOUND_TIMER = 0x16932;
constexpr uint32_t W_SOUND_VOL_EDIT_A = 0x16934;
constexpr uint32_t W_SOUND_VOL_EDIT_B = 0x16936;
constexpr uint32_t W_SOUND_DIGITS = 0x16938;     // units, tens, hundreds words
constexpr uint32_t W_SCRATCH_END = 0x1693E;
