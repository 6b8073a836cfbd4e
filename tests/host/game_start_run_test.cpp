// Whole headless runs on the synthetic ROM set from the boot to the start of a game: the
// scripted start in free play, and four coins when a credit costs four.
#include "tests/support/program_run.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class GameStartRun : public ProgramRunFixture {};

// The attract set-up arms the game at frame 1; the start held from frame 30 is seen at
// frame 31, gameplay initialisation follows and enters the intro's sub-state.
TEST_F(GameStartRun, ScriptedStartEntersGameplayThroughItsInit) {
    std::string out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_LOOPDBG=1 SKYVOLTA_TEST_START=30",
                          "--screenshot s.ppm 40", &out),
              0)
        << out;
    expect_lines_in_order(out, {"[LOOP] f0     state -1->0  sub -1->0 ", "[LOOP] f1     state 0->1  sub 0->0 ",
                                "[LOOP] f31    state 1->2  sub 0->0 ", "[LOOP] f32    state 2->3  sub 0->21 "});
    EXPECT_EQ(count_of(out, "[LOOP] f"), 4);  // no other change of state
    EXPECT_EQ(count_of(out, "[STUB] attract_"), 0);  // the attract sequencer is no stand-in
    EXPECT_EQ(count_of(out, "[STUB] intro_sequence_run "), 0);
}

// The start alone at frame 30 and the mode cursor held on the multi-stage game: every
// screen to the race passes by itself (the intro to its last step, the countdowns of the
// mode and the course select, the day card's time) and the race set-up follows.
TEST_F(GameStartRun, StartAloneWalksTheScreensToTheRace) {
    std::string out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_LOOPDBG=1 SKYVOLTA_TEST_START=30 SKYVOLTA_TEST_MODE=1",
                          "--screenshot s.ppm 2400", &out),
              0)
        << out;
    expect_lines_in_order(out, {"state 2->3  sub 0->21 ", "state 3->3  sub 21->12 ", "state 3->3  sub 12->13 ",
                                "state 3->3  sub 13->22 ", "state 3->3  sub 22->23 ", "state 3->3  sub 23->0 ",
                                "state 3->3  sub 0->1 ", "state 3->3  sub 1->2 "});
}

// Four coins per credit: the first coin shows the title, the fourth starts the game.
TEST_F(GameStartRun, FourthCoinStartsTheGameWithCoinPlay) {
    std::string out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_LOOPDBG=1 SKYVOLTA_COINPLAY=1 "
                               "SKYVOLTA_TEST_COIN=40,50,60,70",
                          "--screenshot s.ppm 80", &out),
              0)
        << out;
    expect_lines_in_order(out, {"[LOOP] f41    state 1->12 ", "[LOOP] f42    state 12->13 ",
                                "[LOOP] f71    state 13->2 ", "[LOOP] f72    state 2->3  sub 0->21 "});
    EXPECT_EQ(out.find("state 13->2", 0), out.rfind("state 13->2"));
    EXPECT_EQ(out.find("[LOOP] f5"), std::string::npos);  // the second and third coins change no state
    EXPECT_EQ(out.find("[LOOP] f6"), std::string::npos);
}

}  // namespace
