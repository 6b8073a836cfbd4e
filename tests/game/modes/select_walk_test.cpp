// From a start in attract to the race set-up through every screen of this folder, with
// scripted Start and handle inputs only: attract 1 -> 2 -> 3 (20 inline) -> 21 -> 12/13 -> 22/23
// -> 0/1 -> 2. The attract scenes are not drawn yet: the walk starts where the coin
// logic takes a start in free play.
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "tests/game/modes/select_fixture.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using state_pair = std::pair<int32_t, int32_t>;

struct walk {
    std::vector<state_pair> seen;
    void frame(const screen_input& in = {}) {
        screen_frame(in);
        state_pair now = {screen_state(), screen_sub_state()};
        if (seen.empty() || seen.back() != now) seen.push_back(now);
    }
    // Frames until the sub-state is `sub` (at most `limit`).
    void until_sub(int32_t sub, int limit) {
        for (int i = 0; i < limit && screen_sub_state() != sub; i++) frame();
    }
    void press(const screen_input& in) {
        frame(in);
        frame();
    }
};

TEST(SelectWalk, StartAndHandleLeadFromAttractToTheRaceSetUp) {
    screen_start();
    screen_handle_centred();
    walk w;
    w.frame();
    w_write16(WRAM_BASE + W_FREE_PLAY, 1);
    select_frame_after_edits();
    ASSERT_EQ(screen_state(), 1);
    screen_input start, turn_on;
    start.switch1 = SCREEN_START;
    turn_on.turn = HANDLE_LOW;

    w.press(start);     // the game starts; the intro runs to its last step
    w.until_sub(13, 600);
    w.press(turn_on);   // the multi-stage game
    w.press(start);
    w.until_sub(1, 300);  // the day card, then the course select
    w.press(turn_on);   // course 1
    w.press(start);
    w.until_sub(2, 300);

    const std::vector<state_pair> expected = {{1, 0},  {2, 0}, {3, 21}, {3, 12}, {3, 13},
                                              {3, 22}, {3, 23}, {3, 0},  {3, 1},  {3, 2}};
    std::vector<state_pair> got(w.seen.begin(), w.seen.begin() + std::min(w.seen.size(), expected.size()));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(w_read16(WRAM_BASE + W_GAME_MODE), 1);
    EXPECT_EQ(w_cell(W_COURSE_NUMBER), 1);
}

}  // namespace
