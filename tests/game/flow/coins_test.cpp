// Coins and credits: the test and service switches, a coin or a start turned into a game
// start or the title, and the credit prompt's blink.
#include "board/dspram.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_flow.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/sound_commands.h"
#include "tests/game/flow/flow_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t COIN_SLOT = 12;  // the synthetic sound table's coin slot

class Coins : public FlowTest {
protected:
    void SetUp() override {
        FlowTest::SetUp();
        coin_state_reset();
        w_cell_set(W_COINS_PER_CREDIT, 4);
    }
    static void free_play(bool on) { w_write16(WRAM_BASE + W_FREE_PLAY, on ? 1 : 0); }
};

struct coin_case {
    const char* name;
    int32_t state;
    bool armed, free;
    int32_t coins;
    int32_t port0, coin_edge, start_edge;  // inputs of the frame
    int32_t state_after, coins_after;
    bool armed_after, meter, coin_sound;
};

TEST_F(Coins, CoinAndStartCases) {
    const coin_case cases[] = {
        {"free play: start without a coin", 1, true, true, 0, 0x100, 0, 0, 2, 0, false, false, false},
        {"free play: second start without a coin", 1, true, true, 0, 0, 0, 1, 2, 0, false, false, false},
        {"free play: credit enough, never spent", 1, true, true, 5, 0, 0, 1, 2, 5, false, false, false},
        {"free play: a coin starts, kept", 1, true, true, 0, 0, 1, 0, 2, 1, false, true, true},
        {"free play, not armed: a coin is only counted", 1, false, true, 0, 0, 1, 0, 1, 1, false, true, true},
        {"coin play: the third coin asks for the title", 1, true, false, 2, 0, 1, 0, 12, 3, true, true, true},
        {"coin play: the fourth coin starts", 12, true, false, 3, 0, 4, 0, 2, 0, false, false, true},
        {"coin play, not armed: the fourth coin waits", 1, false, false, 3, 0, 1, 0, 1, 4, false, true, true},
        {"coin play: both switches count one coin", 1, true, false, 1, 0, 5, 0, 12, 2, true, true, true},
        {"coin play: start button needs no credit", 1, true, false, 0, 0x100, 0, 0, 2, 0, false, false, false},
        {"coin play: second start short of credit", 1, true, false, 0, 0, 0, 1, 1, 0, true, false, false},
        {"coin play: second start spends a credit", 12, true, false, 6, 0, 0, 1, 2, 2, false, false, false},
        {"coin play: credit left after a start", 1, true, false, 5, 0x100, 0, 0, 2, 5, false, false, false},
        {"course select keeps its state", 13, true, false, 1, 0, 0, 0, 13, 1, true, false, false},
        {"stage start ignores a coin", 4, true, false, 0, 0, 1, 0, 4, 0, true, false, false},
        {"a coin in state 5 is ignored", 5, true, false, 0, 0, 1, 0, 5, 0, true, false, false},
        {"service mode ignores a start", 7, true, true, 0, 0x100, 0, 1, 7, 0, true, false, false},
    };
    for (const coin_case& c : cases) {
        SCOPED_TRACE(c.name);
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        coin_state_reset();
        w_cell_set(W_COINS_PER_CREDIT, 4);
        w_cell_set(W_ATTRACT_SCENE_FLAG, 7);
        free_play(c.free);
        game(c.state);
        w_cell_set(W_ARMED_FLAG, c.armed);
        w_cell_set(W_COIN_COUNT, c.coins);
        w_cell_set(W_PORT0_PRESSED, c.port0);
        w_cell_set(W_COIN_EDGE, c.coin_edge);
        w_cell_set(W_START_EDGE, c.start_edge);
        coin_credit_update();
        EXPECT_EQ(w_cell(W_GAME_STATE), c.state_after);
        EXPECT_EQ(w_cell(W_COIN_COUNT), c.coins_after);
        EXPECT_EQ(w_cell(W_ARMED_FLAG), c.armed_after);
        EXPECT_EQ(int(commsram[CR_COIN_METER]), int(c.meter));
        EXPECT_EQ(sound_ram_word(2 * COIN_SLOT) != 0, c.coin_sound);
        // A start or the title clears the flip inhibitor; nothing else touches it.
        EXPECT_EQ(w_cell(W_ATTRACT_SCENE_FLAG), c.state_after != c.state ? 0 : 7);
    }
}

TEST_F(Coins, CoinPlayFourCoinsOneGame) {
    free_play(false);
    game(1);
    w_cell_set(W_ARMED_FLAG, 1);
    int32_t states[4];
    for (int i = 0; i < 4; i++) {
        w_cell_set(W_COIN_EDGE, 1);
        coin_credit_update();
        w_cell_set(W_COIN_EDGE, 0);
        coin_credit_update();  // the frames between presses change nothing
        states[i] = w_cell(W_GAME_STATE);
    }
    EXPECT_EQ(states[0], 12);
    EXPECT_EQ(states[2], 12);
    EXPECT_EQ(states[3], 2);
    EXPECT_EQ(w_cell(W_COIN_COUNT), 0);
    EXPECT_EQ(w_cell(W_ARMED_FLAG), 0);
}

struct switch_case {
    int32_t state;
    bool service, test;
    int32_t state_after, entry_after;  // entry flag 5: untouched
};

TEST_F(Coins, TestAndServiceSwitches) {
    const switch_case cases[] = {
        {1, true, false, 6, 1},  {1, false, true, 6, 0}, {1, true, true, 6, 1},   {0, true, false, 0, 5},
        {3, true, true, 6, 0},   {12, false, true, 6, 0}, {7, false, true, 7, 5}, {7, true, false, 7, 5},
        {12, false, false, 12, 5},
    };
    for (const switch_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " service " << c.service << " test " << c.test);
        game(c.state);
        w_cell_set(W_STOP_FLAG, 5);
        w_cell_set(W_PORT1_PRESSED, c.service ? 0x100 : 0);
        w_cell_set(W_COIN_SWITCH, c.test ? 8 : 0);
        test_switch_check();
        EXPECT_EQ(w_cell(W_GAME_STATE), c.state_after);
        EXPECT_EQ(w_cell(W_STOP_FLAG), c.entry_after);
    }
}

TEST_F(Coins, CreditPromptBlinks) {
    game(1);
    w_cell_set(W_ARMED_FLAG, 1);
    w_cell_set(W_CREDIT_ROW, 20);
    free_play(true);
    coin_credit_update();  // frame_tick 0: shown
    for (int k = 0; k < SYNTH_BLOCK_TITLE_START.width; k++) EXPECT_EQ(text_cell(5 + k, 20), 0x3000u | (752 + k));
    EXPECT_EQ(text_cell(5 + SYNTH_BLOCK_TITLE_START.width, 20), 0u);
    w_cell_set(W_FRAME_TICK, 0x20);
    coin_credit_update();
    for (int k = 0; k < SYNTH_BLOCK_TITLE_START.width; k++) EXPECT_EQ(text_cell(5 + k, 20), TEXT_BLANK_CELL);

    free_play(false);
    w_cell_set(W_COINS_PER_CREDIT, 3);
    w_cell_set(W_FRAME_TICK, 0x40);
    tdb_list_clear();
    coin_credit_update();
    for (int k = 0; k < SYNTH_BLOCK_TITLE_CREDIT.width; k++) EXPECT_EQ(text_cell(11 + k, 20), 0x3000u | (864 + k));
    EXPECT_EQ(text_cell(19, 20), 0x3000u | (908 + 4 * 3));
    EXPECT_EQ(tdb_list_count(), 2);
    w_cell_set(W_FRAME_TICK, 0x60);
    coin_credit_update();
    EXPECT_EQ(text_cell(11, 20), TEXT_BLANK_CELL);
    EXPECT_EQ(text_cell(19, 20), TEXT_BLANK_CELL);
}

TEST_F(Coins, NoPromptOnTheTitleOrUnarmed) {
    free_play(true);
    for (int32_t state : {12, 13, 1}) {
        game(state);
        w_cell_set(W_ARMED_FLAG, state != 1);
        tdb_list_clear();
        coin_credit_update();
        EXPECT_EQ(tdb_list_count(), 0) << "state " << state;
        EXPECT_EQ(text_cell(5, 22), 0u);
    }
}

TEST_F(Coins, ResetAndServiceRequest) {
    w_cell_set(W_ARMED_FLAG, 1);
    w_cell_set(W_COIN_COUNT, 9);
    w_cell_set(W_COIN_WORD, 3);
    w_cell_set(W_CREDIT_ROW, 5);
    coin_state_reset();
    EXPECT_EQ(w_cell(W_ARMED_FLAG), 0);
    EXPECT_EQ(w_cell(W_COIN_COUNT), 0);
    EXPECT_EQ(w_cell(W_COIN_WORD), 0);
    EXPECT_EQ(w_cell(W_CREDIT_ROW), 22);
    reset_pending = 0;
    service_flag_set();
    EXPECT_EQ(reset_pending, 1);
    reset_pending = 0;
}

}  // namespace
