// The coin and credit words of work RAM: the coins inserted, the price of a game, free
// play and the credit prompt's row. The armed flag that lets a start through is a
// run-wide word (board/game_state_ram.h); the switch words are board/inputs.h's.
#pragma once
#include <cstdint>

#include "board/inputs.h"
#include "board/wram.h"
#include "board/eeprom_settings.h"

constexpr uint32_t W_COIN_COUNT = 0x2C0E;        // coins inserted, not yet spent (the log's "cr")
constexpr uint32_t W_COIN_WORD = 0x2C10;         // cleared with the coin state
constexpr uint32_t W_CREDIT_ROW = 0x2C14;        // text row of the credit prompt, 22 after a reset
constexpr int32_t CREDIT_ROW_RESET = 22;

// New presses of the two serial switch ports.
constexpr uint32_t W_PORT0_PRESSED = W_SWITCH_PORT0 + SP_PRESSED;
constexpr uint32_t W_PORT1_PRESSED = W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_PRESSED;
constexpr int32_t PORT_START_BIT = 0x100;    // port 0: start; port 1: service
constexpr int32_t PORT_DEBUG_BIT = 0x200;    // port 1: the goal's debug aid
constexpr int32_t COIN_EDGE_BITS = 0x5;      // coin_edge_word: the two coin switches
constexpr int32_t COIN_EDGE_FIRST = 0x1;     // the first coin switch (counted by the board)
constexpr int32_t TEST_SWITCH_BIT = 0x8;     // coin_switch_word
constexpr int32_t SECOND_START_BIT = 0x1;    // port 1's edge word (W_START_EDGE)

constexpr uint32_t CR_COIN_METER = 0x7D26;   // commsram byte: 1 when the first switch took a coin

// True while free play is on (the word at 0xE03FF4 is non-zero).
inline bool free_play_on() {
    return w_word(W_FREE_PLAY) != 0;
}
