// The race HUD: the score count and its limit, the course arrow's drop, the wrong-way
// sign and side hints on their blink bits, the hint messages' timing and showings, the
// map prompt's time, the map switch and its showings, and the map markers' bounds.
#include "game/world/race_hud.h"

#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/hud_ram.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/model_puts.h"
#include "tests/support/sprite_calls.h"
#include "tests/support/synth_rom_tables.h"

#include <algorithm>

namespace {

constexpr int32_t SQUARE = 0xC000;

class RaceHudTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_COURSE_NUMBER, 0);
        w_cell_set(W_RACE_TIMER, 3000);
        w_cell_set(W_PLAY_FRAME_COUNTER, 100);
        word_set(W_BALLOONS_LEFT, 20);
        w_cell_set(W_PLAYER_X, 2 * SQUARE);  // a guided square
        hud_messages_setup();
        hud_timer_init();
    }
    static int32_t word(uint32_t w) { return int16_t(w_read16(WRAM_BASE + w)); }
    static void word_set(uint32_t w, int32_t v) { w_write16(WRAM_BASE + w, uint32_t(v) & 0xFFFF); }
    // One HUD frame on a fresh display list, sprite list and block list.
    void frame() {
        cursor_at(PACKETS0);
        sprites_clear();
        tdb_list_clear();
        hud_update();
        w_cell_set(W_FRAME_TICK, w_cell(W_FRAME_TICK) + 1);
    }
    static bool sprite_shown(int32_t tile) {
        std::vector<sprite_made> s = sprites_made();
        return std::any_of(s.begin(), s.end(), [tile](const sprite_made& m) { return m.tile == tile; });
    }
    // The base tile of the block drawn at (column, row) this frame, or -1.
    static int block_base_at(int column, int row) {
        for (int i = 0; i < tdb_list_count(); i++) {
            int c, r, w, h, base, palette;
            tdb_list_get(i, &c, &r, &w, &h, &base, &palette);
            if (c == column && r == row) return base;
        }
        return -1;
    }
    static bool lamp_on() { return ((uint32_t(commsram[0x7D2E]) << 8 | commsram[0x7D2F]) & 4) != 0; }
};

TEST_F(RaceHudTest, ScoreCountStopsAtEightTenthsOfTheScoreAndNeverCountsOnCourse3) {
    w_cell_set(W_RUN_SCORE, 25);
    for (int f = 0; f < 40; f++) frame();
    EXPECT_EQ(w_cell(W_RACE_POINTS), 20);
    bool ok = false;
    std::vector<model_put> puts = model_puts(written(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::any_of(puts.begin(), puts.end(), [](const model_put& m) {
        return m.model == 637 && m.group == 1 && m.x == 314 && m.y == 243 && m.z == 544;
    }));
    EXPECT_TRUE(sprite_shown(-7));  // the lamp by bit 2 of the count (20)

    w_cell_set(W_COURSE_NUMBER, 3);
    w_cell_set(W_RACE_POINTS, 0);
    for (int f = 0; f < 10; f++) frame();
    EXPECT_EQ(w_cell(W_RACE_POINTS), 0);
    EXPECT_FALSE(sprite_shown(-8) || sprite_shown(-7));  // no lamp either
}

TEST_F(RaceHudTest, ArrowDropsOutOfViewInSeventeenFramesAndEasesBackWhenGuided) {
    w_cell_set(W_PLAYER_X, SYNTH_ARROW_UNGUIDED_FROM * SQUARE);
    std::vector<int32_t> drops;
    for (int f = 0; f < 18; f++) {
        frame();
        drops.push_back(w_cell(W_ARROW_DROP));
    }
    EXPECT_EQ(drops[15], 2560);
    EXPECT_EQ(drops[16], 2688);
    EXPECT_EQ(drops[17], 2688);
    EXPECT_EQ(w_cell(W_ARROW) & 0xFFFF, 0);
    std::vector<sprite_made> s = sprites_made();
    auto arrow = std::find_if(s.begin(), s.end(), [](const sprite_made& m) { return m.tile == -12; });
    ASSERT_NE(arrow, s.end());
    EXPECT_EQ(arrow->y, -(2688 >> 4));

    w_cell_set(W_PLAYER_X, 2 * SQUARE);
    frame();
    EXPECT_EQ(w_cell(W_ARROW_DROP), 2688 - 160);
    EXPECT_EQ(uint32_t(w_cell(W_ARROW)), uint32_t(SYNTH_ARROW_DIRECTION >> 4) << 16 | 1);
}

TEST_F(RaceHudTest, WrongWaySignAndSideHintsBlinkOnTheirTickBits) {
    w_cell_set(W_ARROW, int32_t(uint32_t(SYNTH_ARROW_DIRECTION) << 16 | 1));
    w_cell_set(W_PLAYER_HEADING, 0x4000);  // e = 0x8000: backward
    const std::pair<int32_t, bool> signs[] = {{0, false}, {0x08, true}, {0x10, false}, {0x20, true}, {0x28, true}};
    for (const auto& [tick, shown] : signs) {
        w_cell_set(W_FRAME_TICK, tick);
        frame();
        EXPECT_EQ(sprite_shown(-353), shown) << "tick " << tick;
    }
    // e = 0x9800: the left hint (block 273) in frames with bit 4 or 5, cleared in others.
    w_cell_set(W_PLAYER_HEADING, 0x5800);
    const std::pair<int32_t, int32_t> sides[] = {{0x10, -1}, {0x11, -1}, {0x00, 0}, {0x20, -1}};
    for (const auto& [tick, state] : sides) {
        w_cell_set(W_FRAME_TICK, tick);
        int32_t before = w_cell(W_SIDE_HINT);
        frame();
        EXPECT_EQ(w_cell(W_SIDE_HINT), state) << "tick " << tick;
        EXPECT_EQ(block_base_at(3, 14), state == -1 && before != -1 ? 544 : -1) << "tick " << tick;
    }
    // e = 0x6000: the right hint.
    w_cell_set(W_PLAYER_HEADING, 0x2000);
    w_cell_set(W_FRAME_TICK, 0x10);
    frame();
    EXPECT_EQ(w_cell(W_SIDE_HINT), 1);
    EXPECT_EQ(block_base_at(31, 14), 576);
    // The end of the run clears them.
    w_cell_set(W_END_FLAG, 1);
    frame();
    EXPECT_EQ(w_cell(W_SIDE_HINT), 0);
}

TEST_F(RaceHudTest, AHintLasts240FramesWithItsWipeAndUsedUpMessagesNeverReturn) {
    w_cell_set(W_HINT_PEDAL, 1);
    std::vector<int32_t> bases;
    int frames_shown = 0;
    for (int f = 0; f < 600; f++) {
        frame();
        if (f < 40) bases.push_back(block_base_at(7, 20));
        frames_shown += block_base_at(7, 20) >= 0;
    }
    EXPECT_EQ(frames_shown, 480);  // message 0's two showings
    EXPECT_EQ(w_cell(W_HINT_MESSAGE), -1);
    EXPECT_EQ(w_cell(W_HINT_SHOWINGS), 0);
    EXPECT_EQ(bases[0], 288);   // the wipe
    EXPECT_EQ(bases[16], 288);  // timer 16: bit 4
    EXPECT_EQ(bases[32], 368);  // timer 32: neither bit 3 nor 4
    EXPECT_EQ(bases[39], 368);
}

TEST_F(RaceHudTest, TheTimeHintShowsOnceAndTheTowerHintAlways) {
    w_cell_set(W_RACE_TIMER, 800);
    std::vector<int32_t> chosen;
    for (int f = 0; f < 720; f++) {
        frame();
        if (f % 240 == 0) chosen.push_back(w_cell(W_HINT_MESSAGE));
    }
    EXPECT_EQ(chosen, (std::vector<int32_t>{2, -1, -1}));

    w_cell_set(W_COURSE_NUMBER, 1);
    w_cell_set(W_PLAYER_CELL, 91);
    w_cell_set(W_PLAYER_X, 390619);
    w_cell_set(W_PLAYER_Z, 1182793 - 20000);  // the point lies straight ahead...
    w_cell_set(W_PLAYER_HEADING, 0x8000);     // ...and the player flies away from it
    chosen.clear();
    for (int f = 0; f < 720; f++) {
        frame();
        if (f % 240 == 0) chosen.push_back(w_cell(W_HINT_MESSAGE));
    }
    EXPECT_EQ(chosen, (std::vector<int32_t>{6, 6, 6}));
    EXPECT_LT(w_cell(W_HINT_SHOWINGS + 4 * 6), 0);
}

TEST_F(RaceHudTest, TheMapPromptCounts1200FramesWithTheLampOnItsBlink) {
    w_cell_set(W_PLAY_FRAME_COUNTER, 600);
    word_set(W_BALLOONS_LEFT, 5);
    for (int f = 0; f < 1200; f++) {
        bool lit = (w_cell(W_FRAME_TICK) & 0x20) != 0;
        frame();
        ASSERT_EQ(block_base_at(5, 10), 512) << f;
        ASSERT_EQ(block_base_at(3, 9), lit ? 528 : -1) << f;
        ASSERT_EQ(lamp_on(), lit) << f;
    }
    EXPECT_EQ(w_cell(W_MAP_PROMPT), 0);
    frame();
    EXPECT_EQ(w_cell(W_MAP_PROMPT), -1);
    EXPECT_FALSE(lamp_on());
    frame();
    EXPECT_EQ(block_base_at(5, 10), -1);
    EXPECT_EQ(w_cell(W_MAP_TIMER), -1);
}

TEST_F(RaceHudTest, TheSwitchShowsTheMapWhileShowingsRemainAndJudgesOnTheTimerBeforeThePress) {
    w_cell_set(W_PLAY_FRAME_COUNTER, 600);
    w_cell_set(W_MAP_PROMPT, -1);
    auto press = [this] {
        w_cell_set(W_START_EDGE, 1);
        frame();
        w_cell_set(W_START_EDGE, 0);
    };
    for (int n = 0; n < 255; n++) {
        w_cell_set(W_MAP_TIMER, -1);
        press();
        ASSERT_EQ(w_cell(W_MAP_TIMER), 239) << n;
    }
    EXPECT_EQ(w_cell(W_MAP_SHOWINGS), 0);
    w_cell_set(W_MAP_TIMER, -1);
    press();
    EXPECT_EQ(w_cell(W_MAP_TIMER), -1);
    EXPECT_FALSE(sprite_shown(481));

    w_cell_set(W_MAP_TIMER, 225);  // too soon after the map came up: ignored
    press();
    EXPECT_EQ(w_cell(W_MAP_TIMER), 224);
    press();  // 0..224 closes the map
    EXPECT_EQ(w_cell(W_MAP_TIMER), -1);
    EXPECT_TRUE(sprite_shown(481));  // its last frame
}

TEST_F(RaceHudTest, MapMarkersAreDrawnOnlyInsideTheMapBounds) {
    w_cell_set(W_PLAY_FRAME_COUNTER, 600);
    w_cell_set(W_MAP_PROMPT, -1);
    w_cell_set(W_MAP_TIMER, 100);
    word_set(W_BALLOONS_LEFT, 5);
    w_cell_set(W_PLAYER_X, 512000);
    w_cell_set(W_PLAYER_HEADING, 0x4000);  // the marker's lead: 383 to the left
    constexpr uint32_t RECORDS = 0x9000;
    w_cell_set(W_BALLOON_COUNT, 3);
    w_cell_set(W_BALLOON_TABLE, int32_t(WRAM_BASE + RECORDS));
    const int32_t balloons[3][3] = {{0x10000, 0x10000, 5}, {0x100000, 0, 5}, {0x10000, -0x20000, 0}};
    const uint32_t fields[3] = {4, 12, 16};  // x, z, value
    for (uint32_t i = 0; i < 3; i++)
        for (uint32_t k = 0; k < 3; k++) w_cell_set(RECORDS + 32 * i + fields[k], balloons[i][k]);
    frame();
    std::vector<model_put> markers;
    bool ok = false;
    for (const model_put& m : model_puts(written(), &ok))
        if (m.model >= 909) markers.push_back(m);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].model, 909);
    EXPECT_EQ(markers[0].x, 100 + 2000 / 4 - 383);
    EXPECT_EQ(markers[0].y, 200);
    EXPECT_EQ(markers[1].model, 912);  // balloon 0; balloon 1 lies right of x max, 2 above y min
    EXPECT_EQ(markers[1].x, 164);
    EXPECT_EQ(markers[1].y, 264);

    word_set(W_BALLOONS_LEFT, 10);  // too many left: only the player
    frame();
    int count = 0;
    for (const model_put& m : model_puts(written(), &ok)) count += m.model >= 909;
    EXPECT_EQ(count, 1);
}

TEST_F(RaceHudTest, ThePromptGivesWayToAMapCalledUpBeforeIt) {
    w_cell_set(W_PLAY_FRAME_COUNTER, 600);
    w_cell_set(W_MAP_TIMER, 100);  // called up while more than nine were left
    word_set(W_BALLOONS_LEFT, 9);
    frame();
    EXPECT_EQ(w_cell(W_MAP_PROMPT), -1);
    EXPECT_EQ(w_cell(W_MAP_TIMER), 239);
    int frames = 1;
    while (w_cell(W_MAP_TIMER) >= 0 && frames < 1000) frame(), frames++;
    EXPECT_EQ(frames, 241);  // shown once, then gone
}

}  // namespace
