// Whole headless run on the synthetic ROM set: the autostart at frame 10 goes through
// the stage start (state 4, then 5 for two frames) and gameplay initialisation into the
// gameplay states.
#include "tests/support/program_run.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class StageStartRun : public ProgramRunFixture {};

TEST_F(StageStartRun, AutostartPassesTheStageStartIntoGameplay) {
    std::string out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_LOOPDBG=1 SKYVOLTA_VERBOSE=1", "--autostart --screenshot s.ppm 20", &out), 0)
        << out;
    expect_lines_in_order(out, {"[LOOP] f10    state 1->4 ", "[LOOP] f11    state 4->5 ",
                                "[STAGE] Stage start complete (timer=7), entering gameplay",
                                "[LOOP] f13    state 5->2 ", "[LOOP] f14    state 2->3 "});
    EXPECT_EQ(count_of(out, "[STAGE] Stage start complete"), 1);
    EXPECT_EQ(out.find("[STUB] stage_start_run"), std::string::npos);
}

}  // namespace
