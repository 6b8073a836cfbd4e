// The portrait and the bad ending on the synthetic tables: the good ending's last 720
// frames and the END card, the caption and the fade to white, the blink, the object
// lists kept inside work RAM; the bad ending's sounds, fade-out and debris; and their
// pictures.
#include "tests/game/modes/ending_fixture.h"

#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_portrait.h"
#include "game/modes/ending_ram.h"
#include "game/services/object_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <set>

namespace {

constexpr int32_t PORTRAIT_FIRST = 5355, PORTRAIT_FRAMES = 720;
constexpr int32_t BAD_FIRST = 6075;

TEST(EndingPortrait, ShowsSevenHundredTwentyFramesThenTheEndCardNeverTheBadEnding) {
    ending_enter(1, 8, PORTRAIT_FIRST);
    int32_t frames = 0;
    std::set<int32_t> seen;
    while (ending_phase() == 8 && frames < 2000) {
        ending_frame();
        frames++;
    }
    EXPECT_EQ(frames, PORTRAIT_FRAMES);
    for (int i = 0; i < 3; i++) {
        seen.insert(ending_phase());
        ending_frame();
    }
    EXPECT_EQ(seen.count(9), 0u);
    EXPECT_EQ(seen.count(12), 1u);
    EXPECT_EQ(screen_sub_state() == 6 || screen_sub_state() == 7, true) << screen_sub_state();
}

TEST(EndingPortrait, CaptionFromCounter5655AndWhiteOverTheLast32Frames) {
    ending_enter(1, 8, PORTRAIT_FIRST);
    for (int32_t t = 0; t < PORTRAIT_FRAMES; t++) {
        int32_t fade_before = w_cell(W_FADE_AMOUNT);
        ending_dispatch();
        int32_t c = PORTRAIT_FIRST + t;
        uint16_t cell = screen_text_cell(CAPTION_COLUMNS[0], CAPTION_ROW);
        if (c < CAPTION_COUNTER)
            ASSERT_EQ(cell & 0xFFF, 0x20) << c;  // still blank
        else
            for (int k = 0; k < 3; k++)
                ASSERT_EQ(screen_text_cell(CAPTION_COLUMNS[k], CAPTION_ROW), (5 << 12) | (416 + 4 * k)) << c << " " << k;
        if (t < PORTRAIT_FRAMES - 32)
            ASSERT_EQ(w_cell(W_FADE_AMOUNT), 0) << t;
        else
            ASSERT_EQ(w_cell(W_FADE_AMOUNT), std::min(255, fade_before + 8)) << t;
    }
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    for (uint32_t c = 0; c < 3; c++) EXPECT_EQ(w_cell(W_FADE_RED + 2 * c), 255);  // to white
}

TEST(EndingPortrait, BlinksEightFramesInSixtyFourOnlyInTheFirst120) {
    ending_enter(1, 8, PORTRAIT_FIRST);
    int32_t shut_early = 0, shut_late = 0;
    for (int32_t t = 0; t < 400; t++) {
        ending_dispatch();
        uint32_t a = uint32_t(wram_long(W_PORTRAIT_NODES));
        bool shut = w_read32(a + 1792) == 997;
        (t < 120 ? shut_early : shut_late) += shut;
        if (t < 120) {
            ASSERT_EQ(shut, ((PORTRAIT_FIRST + t + 13) & 0x3F) < 8) << t;
        }
    }
    EXPECT_GE(shut_early, 8);
    EXPECT_EQ(shut_late, 0);
}

// Four lists of 64 records each, the most the loader takes: the blocks follow one
// another from W 0xAB04 and the last one ends inside work RAM.
TEST(EndingPortrait, FourLongestObjectListsStayInsideWorkRam) {
    ending_board(1);
    constexpr uint32_t RECORD = 0x1FF000, LIST = 0x1FF100;
    for (uint32_t k = 0; k < 36; k++) program_rom[RECORD + k] = 0;
    for (uint32_t r = 0; r < 64; r++)
        for (uint32_t b = 0; b < 4; b++) program_rom[LIST + 4 * r + b] = uint8_t(RECORD >> (24 - 8 * b));
    for (uint32_t b = 0; b < 4; b++) program_rom[LIST + 256 + b] = 0;
    for (uint32_t rom : ROM_PORTRAIT_LISTS)
        for (uint32_t b = 0; b < 4; b++) program_rom[rom + b] = uint8_t(LIST >> (24 - 8 * b));
    ending_init();
    ending_phase_set(8, PORTRAIT_FIRST);
    for (int t = 0; t < 3; t++) ending_dispatch();
    for (uint32_t k = 0; k < 3; k++)
        EXPECT_EQ(uint32_t(wram_long(W_PORTRAIT_NODES + 4 * k)), WRAM_BASE + 0xAB04 + 64 * 128 * k) << k;
    uint32_t fourth = uint32_t(wram_long(W_SWEEP_OBJECT));
    EXPECT_EQ(fourth, WRAM_BASE + 0xAB04 + 3 * 64 * 128);
    EXPECT_LE(fourth + 64 * 128 + 4, WRAM_BASE + WRAM_SIZE);
    EXPECT_EQ(w_read32(fourth + 64 * 128), -1);  // the end mark after the last block
}

// The command word of sound id's slot, cleared before each frame to see new plays.
uint32_t sound_slot_of(int32_t id) {
    sound_record r;
    return sound_record_read(id, &r) ? uint32_t(r.slot) : 0;
}
uint32_t command_of(int32_t id) {
    uint32_t c = 0;
    slot_command(int32_t(sound_slot_of(id)), &c);
    return c;
}
bool played(int32_t id) {
    sound_record r;
    return sound_record_read(id, &r) && (command_of(id) & 0x4000) && (command_of(id) & 0x7FF) == (r.command & 0x7FF);
}

TEST(EndingBad, SoundsAtTheirFramesAndTheFadeOutFrom592) {
    ending_enter(2, 9, BAD_FIRST);
    const int32_t ids[3] = {86, 44, 47};
    const int32_t at[3] = {0, 160, 420};
    for (int32_t t = 0; t < 720 && ending_phase() == 9; t++) {
        for (int32_t id : ids) slot_command_set(int32_t(sound_slot_of(id)), 0);
        int32_t fade_before = w_cell(W_FADE_AMOUNT);
        ending_dispatch();
        for (int k = 0; k < 3; k++) EXPECT_EQ(played(ids[k]), t == at[k]) << "sound " << ids[k] << " t " << t;
        if (t == 592) {
            EXPECT_EQ(w_cell(W_FADE_AMOUNT), 1);
        }
        if (t > 592) {
            ASSERT_EQ(w_cell(W_FADE_AMOUNT), std::min(255, fade_before + 2)) << t;
        }
        if (t > 400 && t < 592) {
            ASSERT_EQ(w_cell(W_FADE_AMOUNT), 0) << t;
        }
    }
    EXPECT_EQ(ending_phase(), 12);  // the jump to the END card, in gameplay
}

TEST(EndingBad, DebrisLastsTwentyThreeFramesAfterEachHit) {
    ending_enter(2, 9, BAD_FIRST);
    constexpr uint32_t DEBRIS_LEFT = W_ENDING_OBJECT + 20;
    std::vector<int32_t> drawn_at;
    for (int32_t t = 0; t < 400; t++) {
        int32_t left = wram_long(DEBRIS_LEFT);
        ending_dispatch();
        bool hit = false;
        for (const synth_bad_hit& h : SYNTH_BAD_HITS) hit |= h.frame == t;
        if (hit) {
            EXPECT_EQ(wram_long(DEBRIS_LEFT), DEBRIS_FRAMES - 1) << t;  // drawn on the hit frame too
        }
        if (hit || left > 0) drawn_at.push_back(t);
    }
    std::vector<int32_t> want;
    for (const synth_bad_hit& h : SYNTH_BAD_HITS)
        for (int32_t k = 0; k < DEBRIS_FRAMES; k++) want.push_back(h.frame + k);
    EXPECT_EQ(drawn_at, want);
}

TEST(EndingPictures, PortraitCaption) {
    ending_board(1);
    requested_ending_phase = 8;
    for (int i = 0; i <= 320; i++) ending_frame();
    EXPECT_EQ(ending_phase(), 8);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_portrait_caption"), "");
}

TEST(EndingPictures, BadEndingFall) {
    ending_board(2);
    requested_ending_phase = 9;
    for (int i = 0; i <= 500; i++) ending_frame();
    EXPECT_EQ(ending_phase(), 9);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_bad_fall"), "");
}

}  // namespace
