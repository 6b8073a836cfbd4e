// The number drawers: the HUD's four-place digit models with their carried roll, the
// rolling score digits, the lamp and score sprites' blink counter and the race clock,
// each against tables worked by hand.
#include "game/services/digit_writers.h"

#include "board/game_state_ram.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/model_puts.h"
#include "tests/support/sprite_calls.h"
#include "tests/support/synth_rom_tables.h"

namespace {

// A model record as the writers put it: the first angle given as an angle.
model_put put(int32_t code, int32_t group, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle = 0) {
    std::vector<int32_t> pair = rom_pair(angle);
    return {code, group, model, x, y, z, pair[0], pair[1]};
}

class DigitWriterTest : public DisplayListTest {
protected:
    std::vector<model_put> puts() {
        bool ok = false;
        std::vector<model_put> out = model_puts(written(), &ok);
        EXPECT_TRUE(ok);
        return out;
    }
    void restart() { cursor_at(PACKETS0); }
};

struct number_case {
    int32_t value;
    std::vector<std::pair<int32_t, int32_t>> models;  // (model, first angle) from x leftward
    std::vector<int32_t> places;                       // place of each model (0 = x, 1 = x - 40, ...)
};

TEST_F(DigitWriterTest, HudNumberModelsShowFourPlacesAndCarryTheRollThroughNines) {
    const number_case cases[] = {
        // 123, phase 0: the units' wheel carries (unturned) with the next digit beside it.
        {8 * 123, {{637, 0}, {640, 0}, {630, 0}, {631, 0}, {639, 0}, {629, 0}, {638, 0}, {628, 0}, {625, 0}, {624, 0}},
         {0, 1, 1, 1, 2, 2, 3, 3, 4, 4}},
        // 19, phase 5: the units read 9, so the tens roll too; the leading places are blank.
        {8 * 19 + 5,
         {{637, 0}, {646, 0}, {636, 0xB000}, {627, 0}, {638, 0}, {628, 0xB000}, {629, 0}, {625, 0}, {624, 0}, {625, 0},
          {624, 0}},
         {0, 1, 1, 1, 2, 2, 2, 3, 3, 4, 4}},
        // 0: blanks, the units' wheel rolling toward 628.
        {3, {{637, 0}, {625, 0}, {624, 0xD000}, {628, 0}, {625, 0}, {624, 0}, {625, 0}, {624, 0}, {625, 0}, {624, 0}},
         {0, 1, 1, 1, 2, 2, 3, 3, 4, 4}},
    };
    for (const number_case& c : cases) {
        SCOPED_TRACE(c.value);
        restart();
        hud_number_models(1, c.value, 314, 243, 544);
        std::vector<model_put> expect;
        for (size_t i = 0; i < c.models.size(); i++)
            expect.push_back(put(0x8001, 1, c.models[i].first, 314 - 40 * c.places[i], 243, 544, c.models[i].second));
        EXPECT_EQ(puts(), expect);
    }
}

TEST_F(DigitWriterTest, ScoreDigitsRollEightPhasesPerStepAndStopAtTheValue) {
    int32_t shown = 0;
    shown = score_digits_draw(0, shown, 12, -118, -16, 304);
    EXPECT_EQ(shown, 1);  // phase 1 on the units, still showing 0
    std::vector<model_put> expect;
    for (int i = 0; i < 5; i++) expect.push_back(put(0x8002, 0, synth_score_face(0), 82 - 40 * i, -16, 304));
    expect.push_back(put(0x8002, 0, synth_score_wheel(0), 82, -16, 304, -4096 & 0xFFFF));
    expect.push_back(put(0x8002, 0, synth_score_wheel(1), 82, -16, 304));
    for (int i = 1; i < 5; i++) expect.push_back(put(0x8002, 0, synth_score_wheel(0), 82 - 40 * i, -16, 304));
    EXPECT_EQ(puts(), expect);

    int calls = 1;
    for (; shown != 8 * 12 && calls < 200; calls++) {
        restart();
        int32_t before = shown;
        shown = score_digits_draw(0, shown, 12, -118, -16, 304);
        ASSERT_TRUE((shown & 7) == ((before & 7) + 1) % 8) << "call " << calls;
    }
    EXPECT_EQ(calls, 24);  // units 0 -> 1 -> 2, then the tens 0 -> 1, eight phases a step
    restart();
    EXPECT_EQ(score_digits_draw(0, shown, 12, -118, -16, 304), 8 * 12);
    EXPECT_EQ(puts().size(), 10u);  // nothing rolls
    EXPECT_EQ(puts()[0].model, synth_score_face(2));
    EXPECT_EQ(puts()[1].model, synth_score_face(1));
}

TEST_F(DigitWriterTest, LampCounterRunsOnceRoundSixteenAfterALowBitOfTheScore) {
    // The counter lives for the whole run: let it come round to rest first.
    for (int i = 0; i < 16; i++) {
        sprites_clear();
        lamp_score_sprites(5, 0, 432, 0, 544);
        if (sprites_made()[1].tile == -synth_lamp_tile(0)) break;
    }
    std::vector<int32_t> tiles, lamps;
    for (int call = 0; call < 18; call++) {
        sprites_clear();
        lamp_score_sprites(5, call == 0 ? 1 : (call == 3 ? 4 : 0), 432, 0, 544);
        std::vector<sprite_made> s = sprites_made();
        ASSERT_EQ(s.size(), 2u);
        lamps.push_back(s[0].tile);
        tiles.push_back(s[1].tile);
        EXPECT_EQ(s[0].key, 5 * 0x200000 + 544 + 37501);
        EXPECT_EQ(s[1].key, 5 * 0x200000 + 544 + 37499);
        EXPECT_EQ(s[1].x, 432 - 62);
        EXPECT_EQ(s[1].y, 16);
    }
    // Started by bit 0, counting 1..15, 0 and then resting (bit 2 at call 3 only turns the lamp).
    for (int call = 0; call < 18; call++) {
        int32_t counter = call < 15 ? call + 1 : 0;
        EXPECT_EQ(tiles[size_t(call)], -synth_lamp_tile(counter)) << "call " << call;
        EXPECT_EQ(lamps[size_t(call)], call == 3 ? -7 : -8);
    }
}

struct clock_case {
    int32_t a;
    int32_t clock_tile;
    std::vector<std::pair<int32_t, int32_t>> models;  // after the separator: (model, first angle)
    std::vector<int32_t> dx;                          // x - b of each
};

TEST_F(DigitWriterTest, RaceClockShowsSecondsAndRollsInTheSecondsLastFrames) {
    const clock_case cases[] = {
        {-5, -2, {{603, 0}, {613, 0}}, {0, 88}},                                   // h 59: 0 seconds
        {6100, -2, {{603, 0}, {613, 0}}, {0, 88}},                                 // capped at 6058: 100 s
        {1000, -2, {{604, 0}, {620, 0}}, {0, 88}},                                 // h 1059: 17 s, frame 39
        {61, -3, {{615, 0}, {614, 0x8000}, {603, 0}}, {88, 88, 0}},                // 2 s, frame 0
        {551, -3, {{613, 20480}, {622, 0xD000}, {604, 20480}, {603, 0xD000}}, {88, 88, 0, 0}},  // 10 s, frame 10
    };
    for (const clock_case& c : cases) {
        SCOPED_TRACE(c.a);
        restart();
        sprites_clear();
        number_sprite_draw(c.a, -392, 304, 720, -16, 0);
        std::vector<model_put> expect = {put(0x8001, 1, 623, -392 + 44, 304, 720)};
        for (size_t i = 0; i < c.models.size(); i++)
            expect.push_back(put(0x8001, 1, c.models[i].first, -392 + c.dx[i], 304, 720, c.models[i].second));
        EXPECT_EQ(puts(), expect);
        std::vector<sprite_made> s = sprites_made();
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s[0].tile, c.clock_tile);
        EXPECT_EQ(s[0].x, -16);
        EXPECT_EQ(s[1].x, 144);
        EXPECT_EQ(s[1].y, 16);
    }
}

TEST_F(DigitWriterTest, ClockBlinkQuickensAsTimeRunsOutAndOtherwiseRunsOnToRest) {
    auto blink_after = [](int32_t a) {
        sprites_clear();
        number_sprite_draw(a, 0, 0, 0, 0, 0);
        return -sprites_made()[1].tile - synth_clock_tile(0);
    };
    w_cell_set(W_RACE_TIMER, 5000);
    EXPECT_EQ(blink_after(1000), 1);  // h below the time left: +1
    EXPECT_EQ(blink_after(1000), 2);
    EXPECT_EQ(blink_after(100), 4);   // below 300: +2
    w_cell_set(W_RACE_TIMER, 0);
    std::vector<int32_t> rest;
    for (int i = 0; i < 14; i++) rest.push_back(blink_after(3000));  // runs on from 4 to 0, then rests
    EXPECT_EQ(rest, (std::vector<int32_t>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 0, 0}));
    EXPECT_EQ(blink_after(500), 1);  // below 600 counts whatever the time left
}

}  // namespace
