// A recording made through the loop's game step while the game races, then replayed
// through the same step: every racing frame is matched and agrees. The race is prepared
// work RAM held still by the halt flag (the gameplay tick then skips the world), so the
// recording sees exactly the prepared contact.
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/services/probe_ram.h"
#include "host/flight_recorder.h"
#include "host/host_ram.h"
#include "host/replay.h"
#include "tests/support/screen_harness.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int RACE_FRAMES = 6;

void race_prepare() {
    both_images_long(W_GAME_STATE, STATE_GAMEPLAY);
    both_images_long(W_GAME_SUB_STATE, SUB_RACING);
    both_images_long(W_HALT_FLAG, 1);
    both_images_long(W_PLAYER_X, 0x20000);
    both_images_long(W_PLAYER_Y, 4096);
    both_images_long(W_PLAYER_Z, 0x50000);
    both_images_long(probe_field(PROBE_CENTRE, PROBE_HIT), 1);
    both_images_long(probe_field(PROBE_CENTRE, PROBE_COLUMN_COUNT), 2);
}

TEST(RecordReplayRace, ARecordedRaceReplaysWithoutDisagreement) {
    std::string dir = temp_dir_make("race");
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);

    screen_start();
    screen_frames(3);  // attract: nothing recorded
    testing::internal::CaptureStderr();
    recording_start();
    screen_frames(2);
    race_prepare();
    screen_frames(RACE_FRAMES);
    std::string path = recording_path();
    recording_stop();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[REC] stopped: 6 frames, 6 with terrain contact, 0 hard resets -> " + path), std::string::npos)
        << err;

    screen_start();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(replay_load(path.c_str()));
    screen_frames(2);
    race_prepare();
    both_images_long(W_PLAYER_X, 999);  // the replay puts the recorded position back
    screen_frames(RACE_FRAMES + 2);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[REPLAY] 6 frames from " + path + "\n"), std::string::npos) << err;
    EXPECT_NE(err.find("[REPLAY] done: 6 frames, 0 disagreed with the recording\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("[REPLAY-DIFF]"), std::string::npos) << err;
    EXPECT_EQ(w_cell(W_PLAYER_X), 0x20000);
    replay_unload();

    EXPECT_EQ(chdir(home), 0);
    temp_dir_remove(dir);
}

}  // namespace
