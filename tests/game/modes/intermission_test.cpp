// The intermission on the synthetic scripts: sound-script entries reach the sound RAM
// on their frames (two on one frame, at most 32 a frame, raw records only inside the
// sound RAM), day 1's fading parameter, the subtitles, the end by the last animation
// set or by Start, and hostile tables.
#include "game/modes/intermission.h"

#include "board/board_memory.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/intermission_ram.h"
#include "game/services/sound_commands.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <random>

namespace {

const screen_input START = {0, SCREEN_START, 511, 511, 0};
constexpr uint32_t RUNNING = 0x8000, PLAYING = 0x4000;

class Intermission : public testing::Test {
protected:
    // Top state 3, the day word, sub-state 26; the set-up's frame runs frame 0.
    static void enter(int day) {
        screen_start();
        w_cell_set(W_GAME_STATE, 3);
        w_write16(WRAM_BASE + W_COURSE_PAIR + 2, uint32_t(day));
        w_cell_set(W_GAME_SUB_STATE, 26);
        wram_export();
        screen_frame();
    }
    // Frames until the intermission's frame counter reaches fr (the last run was fr - 1).
    static void run_to(int fr) {
        while (w_read16(WRAM_BASE + W_INTER_FRAME) < fr && screen_sub_state() == 27) screen_frame();
    }
    static uint32_t command(int32_t slot) {
        uint32_t w = 0;
        slot_command(slot, &w);
        return w;
    }
    static uint32_t param(int32_t slot) {
        uint32_t w = 0;
        slot_param(slot, &w);
        return w;
    }
    // The driver's running bit, as if the sound board had started the slot.
    static void running_set(int32_t slot) { slot_command_set(slot, command(slot) | RUNNING); }
};

TEST_F(Intermission, SoundScriptEntriesRunOnTheirFrames) {
    enter(2);
    run_to(3);
    EXPECT_EQ(command(10) & PLAYING, 0u);
    run_to(4);  // frame 3: both entries
    EXPECT_EQ(command(10), PLAYING | 0x010A);
    EXPECT_EQ(command(12), PLAYING | 0x010C);
    EXPECT_EQ(param(10), 5u);
    EXPECT_EQ(param(12), 7u);

    run_to(6);  // frame 5: raw record 1
    EXPECT_EQ(command(40), PLAYING | 0x0155);
    EXPECT_EQ(param(40), 0x42u);
    EXPECT_EQ(uint32_t(w_cell(W_INTER_RAW_SOUND)), 0x399FCu + 8);
    running_set(40);
    run_to(9);  // frame 8: both negative, the raw sound stopped
    EXPECT_EQ(command(40), 0x0155u);

    std::vector<uint8_t> before(commsram, commsram + sizeof commsram);
    run_to(10);  // frame 9: records naming slots outside the sound RAM start nothing
    EXPECT_EQ(std::vector<uint8_t>(commsram, commsram + sizeof commsram), before);
    EXPECT_EQ(uint32_t(w_cell(W_INTER_RAW_SOUND)), 0x399FCu + 8);

    run_to(11);  // frame 10: 33 entries, the last one waits
    EXPECT_EQ(param(13), 32u);
}

TEST_F(Intermission, DayOneFadesItsSoundOutAndStopsItAtFrame220) {
    enter(1);
    EXPECT_EQ(param(1), 0x2400u);
    EXPECT_EQ(param(5), 0x2000u);
    EXPECT_EQ(param(2), 255u);
    EXPECT_NE(command(2) & PLAYING, 0u);
    struct row {
        int frame;
        uint32_t level;
    };
    const row rows[] = {{1, 253}, {60, 128}, {119, 3}, {120, 0}, {199, 0}};
    for (const row& r : rows) {
        run_to(r.frame + 1);
        EXPECT_EQ(param(2), r.level) << r.frame;
    }
    running_set(2);
    run_to(220);
    EXPECT_NE(command(2) & RUNNING, 0u);
    run_to(221);
    EXPECT_EQ(command(2) & RUNNING, 0u);
}

TEST_F(Intermission, SubtitlesShowAndClearInAlternateBanks) {
    enter(2);
    run_to(30);
    EXPECT_EQ(screen_text_cell(4, 25), 0x0020);
    run_to(31);
    EXPECT_EQ(screen_text_cell(4, 25), 7 << 12 | 272);
    EXPECT_EQ(screen_text_cell(5, 25), 7 << 12 | 273);
    run_to(51);
    EXPECT_EQ(screen_text_cell(4, 25), 0x0020);
    run_to(61);
    EXPECT_EQ(screen_text_cell(6, 25), 9 << 12 | 400);
}

// Day 3 plays set 3 (20 frames) and ends; the fade toward its end frame 40 begins at 7.
TEST_F(Intermission, LastAnimationSetEndsTheSceneIntoTheDayCard) {
    enter(3);
    run_to(8);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
    run_to(11);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 24);
    int frames = 0;
    while (screen_sub_state() == 27 && frames < 100) {
        screen_frame();
        frames++;
    }
    EXPECT_EQ(screen_sub_state(), 22);
    EXPECT_GE(w_read16(WRAM_BASE + W_INTER_FRAME), SYNTH_INTER_SET_LENGTHS[3]);
    EXPECT_LT(w_read16(WRAM_BASE + W_INTER_FRAME), 2 * SYNTH_INTER_SET_LENGTHS[3]);
}

// The white fade colour holds through frame 33 and turns black from frame 34.
TEST_F(Intermission, WhiteFadeColourHoldsThroughFrameThirtyThree) {
    enter(1);
    run_to(34);  // frame 33 run
    EXPECT_EQ(w_cell(W_FADE_RED), 255);
    EXPECT_EQ(w_cell(W_FADE_RED + 4), 255);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
    run_to(35);
    EXPECT_EQ(w_cell(W_FADE_RED), 0);
    EXPECT_EQ(w_cell(W_FADE_RED + 4), 0);
}

TEST_F(Intermission, StartEndsItOnTheNextFrameWithItsSoundsStopped) {
    enter(2);
    run_to(6);  // the raw sound started
    for (int32_t slot : {40, 69 % 32, 2}) running_set(slot);
    screen_frame(START);
    EXPECT_EQ(screen_sub_state(), 27);
    EXPECT_EQ(command(69 % 32) & RUNNING, 0u);  // sound 69 stops with the press
    screen_frame();
    EXPECT_EQ(screen_sub_state(), 22);
    EXPECT_EQ(command(2) & RUNNING, 0u);
    EXPECT_EQ(command(40) & (RUNNING | PLAYING), 0u);
}

// Day 2 at frame 40: the scene's cube (the set's record) and the first subtitle.
TEST_F(Intermission, GoldenPicture) {
    enter(2);
    run_to(41);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "intermission_day2"), "");
}

// Random bytes in every table the intermission reads, on each day: the sanitizers see
// no stray access and the scene still ends or runs on.
TEST_F(Intermission, RandomTablesStayInsideTheImages) {
    std::mt19937 random(32);
    for (int day = 0; day < 4; day++) {
        screen_start();
        for (uint32_t a = 0x399A4; a < 0x39C70; a++) program_rom[a] = uint8_t(random());
        for (uint32_t a = 0x1532F8; a < 0x15332C; a++) program_rom[a] = uint8_t(random());
        w_cell_set(W_GAME_STATE, 3);
        w_write16(WRAM_BASE + W_COURSE_PAIR + 2, uint32_t(day));
        w_cell_set(W_GAME_SUB_STATE, 26);
        wram_export();
        screen_frames(300);
        int sub = screen_sub_state();
        EXPECT_TRUE(sub == 27 || sub == 22 || sub == 23 || sub == 0 || sub == 1) << day << " " << sub;
    }
}

}  // namespace
