// The wide view runs stub scene builders that write display-list words and touch work
// RAM, DSP RAM, commsram, the sprite call list and the text-block draw list: a capture
// keeps their words and puts everything else back byte for byte; the side fill asks for
// the two headings beside the view, only in flight and for a margin of 1 or more; a
// heading that overruns a buffer's packet area is skipped with its line; the paused
// view captures its four headings once per pause.
#include "host/wide_view.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "tests/support/synth_rom.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t CAMERA_HEADING = 0x1234;
constexpr int32_t STUB_WORD = 0x77;  // first word of each heading's packet: 0x77, heading
int32_t overrun_words;               // words the visibility step writes instead (0: two)

struct builder_log {
    std::vector<int32_t> visibility_headings, camera_headings_seen;
    int32_t x, y, z;
};
builder_log seen;

void stub_visibility(int32_t x, int32_t y, int32_t z, int32_t heading) {
    seen.visibility_headings.push_back(heading);
    seen.x = x, seen.y = y, seen.z = z;
    if (overrun_words) {
        for (int32_t i = 0; i < overrun_words; i++) dl_put(i);
        return;
    }
    const int32_t words[2] = {STUB_WORD, heading};
    dl_emit(words, 2);
    wram_long_set(W_CAMERA_X, x + 99);
}
void stub_props() {
    seen.camera_headings_seen.push_back(wram_long(W_CAMERA_HEADING));
    sprite_call_list_collect(true);
    sprite_call(2, 0x4000, 100, 100, 0x1000, 2, 2, 0, 0);
    sprite_call_list_collect(false);
    text_block_draw(0, 4, 4, 0x100, 1);
}
void stub_objects() {
    dsp_word_set(0x10, 0x5A5A);
    wram_bytes[0x3000] ^= 0xFF;
}
void stub_balloons() {
    commsram[0x7D02] ^= 0xFF;
}

class WideView : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        dsp_init();
        sprite_call_list_reset();
        tdb_list_clear();
        wram_long_set(W_GAME_STATE, 3);
        wram_long_set(W_GAME_SUB_STATE, 3);
        wram_long_set(W_CAMERA_X, 1000);
        wram_long_set(W_CAMERA_Y, -2000);
        wram_long_set(W_CAMERA_Z, 3000);
        wram_long_set(W_CAMERA_HEADING, CAMERA_HEADING);
        dl_cursor_set(dl_packet_area(0) + 40);  // the game writes buffer 0
        commsram[0x7D02] = 0x21;
        wide_view_builders = {stub_visibility, stub_props, stub_objects, stub_balloons};
        seen = builder_log{};
        overrun_words = 0;
        wide_view_reset();
    }
    void TearDown() override { wide_view_builders = {}; }
};

struct images {
    std::vector<uint8_t> wram, bytes, dsp, comms;
    int calls, blocks;
};
images images_now() {
    auto copy = [](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        return std::vector<uint8_t>(b, b + n);
    };
    return {copy(wram, sizeof wram), copy(wram_bytes, sizeof wram_bytes), copy(dspram, sizeof dspram),
            copy(commsram, sizeof commsram), sprite_call_list_count(), tdb_list_count()};
}

TEST_F(WideView, ACaptureKeepsTheWordsAndLeavesEveryImageAsItWas) {
    int32_t* cursor = dl_cursor_get();
    images before = images_now();
    const int32_t headings[2] = {0x100, 0xFF00};
    ASSERT_TRUE(wide_view_capture(headings, 2, "TEST", true));
    images after = images_now();
    EXPECT_TRUE(after.wram == before.wram);
    EXPECT_TRUE(after.bytes == before.bytes);
    EXPECT_TRUE(after.dsp == before.dsp);
    EXPECT_TRUE(after.comms == before.comms);
    EXPECT_EQ(after.calls, before.calls);
    EXPECT_EQ(after.blocks, before.blocks);
    EXPECT_EQ(dl_cursor_get(), cursor);
    EXPECT_EQ(wram_long(W_CAMERA_HEADING), CAMERA_HEADING);
    // With the turn flag the builders saw each heading, the visibility step the camera.
    EXPECT_EQ(seen.camera_headings_seen, (std::vector<int32_t>{0x100, 0xFF00}));
    EXPECT_EQ(seen.x, 1000);
    EXPECT_EQ(seen.y, -2000);
    EXPECT_EQ(seen.z, 3000);
    // What was undone: the stub alone does grow both host lists.
    stub_props();
    EXPECT_EQ(sprite_call_list_count(), before.calls + 1);
    EXPECT_EQ(tdb_list_count(), before.blocks + 1);
}

TEST_F(WideView, TheSideFillAsksForTheTwoHeadingsBesideTheView) {
    // A 16:9 picture: margin 106.5 of the 640-wide units, distance 554.25.
    int32_t d = wide_fill_half_angle(106.5, 554.25);
    EXPECT_EQ(d, 2404);
    EXPECT_EQ(wide_fill_half_angle(1, 554.25), 1038);
    int32_t count = 0;
    const int32_t* words = wide_fill_update(&count, 106.5, 554.25);
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(seen.visibility_headings, (std::vector<int32_t>{CAMERA_HEADING - d, CAMERA_HEADING + d}));
    // Without SKYVOLTA_WIDEFILL_TURN the other builders see the camera's own heading.
    EXPECT_EQ(seen.camera_headings_seen, (std::vector<int32_t>{CAMERA_HEADING, CAMERA_HEADING}));
    ASSERT_EQ(count, 4);
    EXPECT_EQ(std::vector<int32_t>(words, words + 4),
              (std::vector<int32_t>{STUB_WORD, CAMERA_HEADING - d, STUB_WORD, CAMERA_HEADING + d}));
    // Each frame captures anew: the count does not grow.
    words = wide_fill_update(&count, 106.5, 554.25);
    EXPECT_EQ(count, 4);
}

TEST_F(WideView, ASmallMarginOrAStateOutsideFlightCapturesNothing) {
    struct no_capture {
        double margin;
        int32_t state, sub_state;
    } cases[] = {{0.99, 3, 3}, {0.5, 3, 5}, {106.5, 2, 3}, {106.5, 3, 4}, {106.5, 13, 3}};
    for (const no_capture& c : cases) {
        wram_long_set(W_GAME_STATE, c.state);
        wram_long_set(W_GAME_SUB_STATE, c.sub_state);
        int32_t count = -1;
        EXPECT_EQ(wide_fill_update(&count, c.margin, 554.25), nullptr) << c.margin << " " << c.state;
        EXPECT_EQ(count, 0);
    }
    EXPECT_TRUE(seen.visibility_headings.empty());
    // Sub-state 5 is flight too.
    wram_long_set(W_GAME_STATE, 3);
    wram_long_set(W_GAME_SUB_STATE, 5);
    int32_t count = 0;
    EXPECT_NE(wide_fill_update(&count, 1, 554.25), nullptr);
}

TEST_F(WideView, AHeadingThatOverrunsThePacketAreaIsSkippedWithItsLine) {
    dl_cursor_set(dl_packet_area(1) + 8);  // the game writes buffer 1: scratch is buffer 0
    overrun_words = 0x7C00 / 4 + 1;
    images before = images_now();
    testing::internal::CaptureStderr();
    const int32_t headings[1] = {0x2000};
    EXPECT_TRUE(wide_view_capture(headings, 1, "WIDEFILL", false));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[WIDEFILL] heading 8192: 7937 words overran the buffer, skipped\n");
    EXPECT_TRUE(images_now().dsp == before.dsp);
    // A packet area's worth exactly is kept.
    overrun_words = 0x7C00 / 4;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(wide_view_capture(headings, 1, "WIDEFILL", false));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(WideView, ACursorOutsideDspRamCapturesNothing) {
    dl_cursor_set(nullptr);
    const int32_t headings[1] = {0};
    EXPECT_FALSE(wide_view_capture(headings, 1, "WIDEFILL", false));
    EXPECT_TRUE(seen.visibility_headings.empty());
}

TEST_F(WideView, ThePausedViewCapturesItsFourHeadingsOncePerPause) {
    testing::internal::CaptureStderr();
    int32_t count = 0;
    const int32_t* words = pause360_update(&count);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[PAUSE360] 8 words from 4 headings\n");
    ASSERT_NE(words, nullptr);
    ASSERT_EQ(count, 8);
    const std::vector<int32_t> turns = {CAMERA_HEADING, CAMERA_HEADING + 0x4000, CAMERA_HEADING + 0x8000,
                                        CAMERA_HEADING + 0xC000};
    EXPECT_EQ(seen.camera_headings_seen, turns);
    // The same array again while paused, without running the builders.
    EXPECT_EQ(pause360_update(&count), words);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(seen.camera_headings_seen.size(), 4u);
    // Not in flight: nothing, and no builder runs.
    wide_view_reset();
    wram_long_set(W_GAME_SUB_STATE, 4);
    EXPECT_EQ(pause360_update(&count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(seen.camera_headings_seen.size(), 4u);
}

}  // namespace
