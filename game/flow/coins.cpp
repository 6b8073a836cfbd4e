
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_flow.h"
#include "game/modes/credit_text.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"

namespace {

constexpr int32_t STATE_ATTRACT_RUN = 1;
constexpr int32_t STATE_GAMEPLAY_INIT = 2;
constexpr int32_t STATE_STAGE_START = 4;
constexpr int32_t STATE_SERVICE_INIT = 6;
constexpr int32_t STATE_SERVICE = 7;
constexpr int32_t STATE_TITLE = 12;
constexpr int32_t STATE_TITLE_LOGO = 13;
constexpr int32_t FRAME_TICK_BLINK = 0x20;  // 32 frames shown, 32 cleared

// The credit prompt's blocks: (block, column, base tile); palette 3.
struct prompt_block {
    int block, column, base;
};
constexpr prompt_block PROMPT_FREE_PLAY = {27, 5, 752};
constexpr prompt_block PROMPT_INSERT = {25, 11, 864};
constexpr prompt_block PROMPT_PRICE = {32, 19, 908};  // + 4 x the price: its digit
constexpr int PROMPT_PALETTE = 3;

bool armed() {
    return w_cell(W_ARMED_FLAG) != 0;
}

void game_start() {
    w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
    w_cell_set(W_GAME_STATE, STATE_GAMEPLAY_INIT);
    w_cell_set(W_ARMED_FLAG, 0);
}

// A paid start: the price taken unless free play, then the game starts.
void credit_spend(int32_t price) {
    if (!free_play_on()) w_cell_set(W_COIN_COUNT, w_cell(W_COIN_COUNT) - price);
    game_start();
}

// With enough coins and armed a paid start; short of coins, free play and armed start.
void start_if_credit(int32_t price) {
    if (!armed()) return;
    if (w_cell(W_COIN_COUNT) >= price)
        credit_spend(price);
    else if (free_play_on())
        game_start();
}

void prompt_draw(const prompt_block& b, int row, int base) {
    text_block_draw(b.block, b.column, row, base, PROMPT_PALETTE);
}

void prompt_clear(const prompt_block& b, int row) {
    text_block_clear(b.block, b.column, row);
}

void credit_prompt_blink(int32_t price) {
    int32_t state = w_cell(W_GAME_STATE);
    if (state == STATE_TITLE || state == STATE_TITLE_LOGO || !armed()) return;
    int row = w_cell(W_CREDIT_ROW);
    bool shown = (w_cell(W_FRAME_TICK) & FRAME_TICK_BLINK) == 0;
    if (free_play_on()) {
        if (shown)
            prompt_draw(PROMPT_FREE_PLAY, row, PROMPT_FREE_PLAY.base);
        else
            prompt_clear(PROMPT_FREE_PLAY, row);
        return;
    }
    if (shown) {
        prompt_draw(PROMPT_INSERT, row, PROMPT_INSERT.base);
        prompt_draw(PROMPT_PRICE, row, PROMPT_PRICE.base + 4 * price);
    } else {
        prompt_clear(PROMPT_INSERT, row);
        prompt_clear(PROMPT_PRICE, row);
    }
}

}  // namespace

void test_switch_check() {
    int32_t state = w_cell(W_GAME_STATE);
    if (state == STATE_SERVICE) return;
    if ((w_cell(W_PORT1_PRESSED) & PORT_START_BIT) && state == STATE_ATTRACT_RUN) {
        w_cell_set(W_STOP_FLAG, 1);  // the service entry flag outside a race
        w_cell_set(W_GAME_STATE, STATE_SERVICE_INIT);
    } else if (w_cell(W_COIN_SWITCH) & TEST_SWITCH_BIT) {
        w_cell_set(W_STOP_FLAG, 0);
        w_cell_set(W_GAME_STATE, STATE_SERVICE_INIT);
    }
}

void coin_state_reset() {
    w_cell_set(W_ARMED_FLAG, 0);
    w_cell_set(W_COIN_COUNT, 0);
    w_cell_set(W_COIN_WORD, 0);
    w_cell_set(W_CREDIT_ROW, CREDIT_ROW_RESET);
}

void coin_credit_update() {
    int32_t state = w_cell(W_GAME_STATE);
    if (state >= STATE_STAGE_START && state <= STATE_SERVICE) return;  // stage start and run, service
    int32_t price = w_cell(W_COINS_PER_CREDIT);
    if (armed() && (w_cell(W_PORT0_PRESSED) & PORT_START_BIT)) game_start();

    int32_t coins = w_cell(W_COIN_EDGE) & COIN_EDGE_BITS;
    if (coins) {
        w_cell_set(W_COIN_COUNT, w_cell(W_COIN_COUNT) + 1);
        if (coins & COIN_EDGE_FIRST) commsram[CR_COIN_METER] = 1;
        sound_play(SOUND_COIN);
        start_if_credit(price);
    }
    if (w_cell(W_START_EDGE) & SECOND_START_BIT) start_if_credit(price);

    // Coins in hand while a start is possible call up the title.
    if (w_cell(W_COIN_COUNT) != 0 && armed() && !free_play_on() && w_cell(W_GAME_STATE) != STATE_TITLE_LOGO) {
        w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
        w_cell_set(W_GAME_STATE, STATE_TITLE);
    }
    credit_text_draw();
    credit_prompt_blink(price);
}

void service_flag_set() {
    reset_pending = 1;
}
