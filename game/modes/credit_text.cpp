#include "game/modes/credit_text.h"

#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram_cell.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"

#include <algorithm>

namespace {

constexpr uint32_t CYCLE_COLOURS = 0x3795A;  // 8 entries of 4 bytes: R, G, B, unused
constexpr uint32_t CYCLE_ENTRY = 0x7FE0;
constexpr uint32_t TEXT_FREE_PLAY = 0x3ACB0;
constexpr uint32_t TEXT_CREDIT = 0x3ACBA;
constexpr uint32_t TEXT_COIN = 0x3ACC4;
constexpr uint32_t TEXT_OTHER_ROW = 0x3ACC6;
constexpr int32_t CREDITS_SHOWN = 9;

}  // namespace

void credit_text_draw() {
    uint32_t colour = CYCLE_COLOURS + 4 * ((uint32_t(w_cell(W_FRAME_TICK)) >> 6) & 7);
    service_palette_set(CYCLE_ENTRY, testmode_read8(colour), testmode_read8(colour + 1), testmode_read8(colour + 2));
    service_palette_set(CYCLE_ENTRY + 1, 0, 0, 0);
    if (service_word(W_ARMED_FLAG) == 0) return;
    bool lower = (service_long(W_CREDIT_ROW) & 1) && !(w_cell(W_START_SWITCH) & 2);
    int row = lower ? 29 : 28, other = lower ? 28 : 29;
    if (service_word(W_FREE_PLAY) != 0) {
        testmode_text_print(28, row, TEXT_FREE_PLAY, 0);
    } else {
        text_print_signed(32, row, 4, std::min(service_word(W_COIN_COUNT), CREDITS_SHOWN), 0);
        text_print_hex(37, row, 1, uint32_t(service_long(W_COINS_PER_CREDIT)), 0);
        testmode_text_print(25, row, TEXT_CREDIT, 0);
        testmode_text_print(36, row, TEXT_COIN, 0);
    }
    testmode_text_print(25, other, TEXT_OTHER_ROW, 0);
}
