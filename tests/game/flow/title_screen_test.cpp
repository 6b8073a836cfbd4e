// The title screen on the synthetic ROM set: its set-up, the frame's logo packet, view
// word and credit prompt with and without a credit, the blink, the credit sound after
// 30 frames, and the picture.
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"
#include "tests/support/screen_harness.h"

#include <gtest/gtest.h>
#include <string>

namespace {

void both_long(uint32_t offset, int32_t value) {
    w_cell_set(offset, value);
    bus_write32(WRAM_BASE + offset, uint32_t(value));
}

void both_word(uint32_t address, uint32_t value) {
    w_write16(address, value);
    bus_write16(address, value);
}

uint16_t cell(int palette, int tile) {
    return uint16_t(palette << 12 | tile);
}

class TitleScreen : public testing::Test {
protected:
    // The title entered at frame_tick 2; free play as the argument says.
    void SetUp() override { screen_start(); }
    void title(bool free_play, int coins = 0) {
        screen_frame();
        both_word((WRAM_BASE + W_FREE_PLAY), free_play ? 1 : 0);
        both_long(W_COIN_COUNT, coins);
        both_long(W_GAME_STATE, 12);
        screen_frame();
        ASSERT_EQ(screen_state(), 13);
    }
    // Frames on to the given frame_tick.
    static void frames_to(int32_t tick) {
        while (w_cell(W_FRAME_TICK) < tick) screen_frame();
    }
};

TEST_F(TitleScreen, LogoPacketAndViewWord) {
    title(true);
    const int32_t* packets = dl_packet_area(dl_buffer_current());
    const int32_t logo[] = {0x8002, 0, 39, 0x8000, 0x8000, 2560};
    bool found = false;
    for (int i = 0; i + 13 < int(DL_BUFFER_SIZE - DL_PACKET_OFFSET) / 4 && !found; i++)
        found = std::equal(logo, logo + 6, packets + i);
    EXPECT_TRUE(found);
    uint32_t view0 = (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current()) / 4;
    EXPECT_EQ(dsp_word(view0 + DL_VIEW_FOV_WORD), 1920);
}

TEST_F(TitleScreen, PromptWithFreePlayIsPressStart) {
    title(true);
    EXPECT_EQ(screen_text_cell(6, 22), cell(3, 752));   // block 27 over the text
    EXPECT_EQ(screen_text_cell(21, 23), cell(3, 752 + 31));
    frames_to(32);  // bit 5 of frame_tick: cleared
    EXPECT_EQ(screen_text_cell(6, 22), TEXT_BLANK_CELL);
    EXPECT_EQ(screen_text_cell(21, 23), TEXT_BLANK_CELL);
    frames_to(64);
    EXPECT_EQ(screen_text_cell(6, 22), cell(3, 752));
}

TEST_F(TitleScreen, PromptWithoutCreditAsksForTheCoinsStillWanted) {
    title(false, 1);
    EXPECT_EQ(screen_text_cell(6, 22), cell(3, 816));              // block 26
    EXPECT_EQ(screen_text_cell(14, 22), cell(3, 908 + 4 * 3));     // digit block 32: three coins
    EXPECT_EQ(screen_text_cell(15, 23), cell(3, 908 + 4 * 3 + 3));
    EXPECT_EQ(screen_text_cell(17, 23), cell(3, 816 + 12 + 11));
    frames_to(32);
    EXPECT_EQ(screen_text_cell(6, 22), TEXT_BLANK_CELL);
    EXPECT_EQ(screen_text_cell(17, 23), TEXT_BLANK_CELL);
}

TEST_F(TitleScreen, FourCoinsAreACredit) {
    title(false, 4);
    EXPECT_EQ(screen_text_cell(6, 22), cell(3, 752));
}

TEST_F(TitleScreen, CreditSoundOnceAfterThirtyFrames) {
    sound_record credit;
    ASSERT_TRUE(sound_record_read(38, &credit));
    both_word(WRAM_BASE + W_ATTRACT_SOUND, 1);  // sounds play outside a game
    title(true);
    uint32_t p = 0;
    for (int frame = 1; frame < 30; frame++) {
        slot_param(credit.param_slot, &p);
        ASSERT_NE(p, 0x6Du) << frame;
        screen_frame();
    }
    slot_param(credit.param_slot, &p);
    EXPECT_EQ(p, 0x6Du);
    slot_param_set(credit.param_slot, 0);
    screen_frames(40);
    slot_param(credit.param_slot, &p);
    EXPECT_EQ(p, 0u);
}

TEST_F(TitleScreen, NoCreditNoCreditSound) {
    sound_record credit;
    ASSERT_TRUE(sound_record_read(38, &credit));
    both_word(WRAM_BASE + W_ATTRACT_SOUND, 1);
    title(false);
    screen_frames(40);
    uint32_t p = 0;
    slot_param(credit.param_slot, &p);
    EXPECT_NE(p, 0x6Du);
}

TEST_F(TitleScreen, Picture) {
    title(true);
    frames_to(8);
    rgb_picture picture = screen_picture();
    if (picture.width == 0) GTEST_SKIP() << "no GL window";
    std::string here = __FILE__;
    std::string render_tests = here.substr(0, here.rfind("/game/flow/")) + "/render/title_screen_test.cpp";
    EXPECT_EQ(screen_golden_check(picture, render_tests.c_str(), "title_screen"), "");
}

}  // namespace
