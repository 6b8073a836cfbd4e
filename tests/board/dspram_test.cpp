#include "tests/board/dl_fixture.h"

#include "base/env_switch.h"

#include <cstdlib>
#include <string>

namespace {

// The view block of the boot, word for word (block 1 and word 20 set per block below).
const int32_t VIEW_BLOCK[32] = {15,  0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 2,      200, 20,     0, 23170, -23170, 2, 1920, 320,
                                240, 0, 0,      0, 0,      0, 0,      0,      0x7FFF, 0, 0x7FFF, 0,    0x7FFF, 0x10000, 0, 0};

using DspRamTest = DisplayListTest;

TEST_F(DspRamTest, InitSetsTheControlWordsAndBothViewAreasOnly) {
    std::memset(dspram, 0xAA, sizeof dspram);
    dsp_init();

    const int32_t control[32] = {1, 0, 4, 0, 0, 1, 50, 640};
    for (uint32_t i = 0; i < 32; i++) EXPECT_EQ(dsp_word(i), control[i]) << "control word " << i;
    EXPECT_EQ(dsp_word(32), int32_t(0xAAAAAAAA)) << "bytes from 0x80 on are not the control area";
    EXPECT_EQ(io_bytes[0x1C], 1);

    for (uint32_t buffer = 0; buffer < 2; buffer++)
        for (uint32_t block = 0; block < 8; block++)
            for (uint32_t w = 0; w < 32; w++) {
                int32_t want = w == 14 && block == 1 ? 2432 : w == 20 ? int32_t(7 - block) : VIEW_BLOCK[w];
                EXPECT_EQ(dsp_word((0x10000 + 0x8000 * buffer + 128 * block) / 4 + w), want)
                    << "buffer " << buffer << " block " << block << " word " << w;
            }
    EXPECT_EQ(dsp_word(0x10400 / 4), int32_t(0xAAAAAAAA)) << "packet areas are kept";
    EXPECT_EQ(dsp_word(0x18400 / 4), int32_t(0xAAAAAAAA));
    EXPECT_EQ(dl_cursor_get(), at(0x10400)) << "the cursor is valid before the first frame";
}

TEST_F(DspRamTest, BuffersInitLeavesControlWordsAndPacketsAlone) {
    dsp_word_set(0, 77);
    *at(0x10400) = 123;
    dl_buffers_init();
    EXPECT_EQ(dsp_word(0), 77);
    EXPECT_EQ(*at(0x10400), 123);
    EXPECT_EQ(dsp_word((0x18000 + 128) / 4 + 14), 2432);
}

TEST_F(DspRamTest, InvalidateMarksTheFirstByteOfEachPacketArea) {
    *at(0x10400) = 0x12345600;
    *at(0x18400) = 0;
    dl_buffers_invalidate();
    EXPECT_EQ(dspram[0x10400], 0xFF);
    EXPECT_EQ(dspram[0x18400], 0xFF);
    EXPECT_EQ(dspram[0x10401], 0x56);
    EXPECT_EQ(dspram[0x103FF], 0);
}

struct flip_case {
    const char* name;
    uint32_t inhibitor;    // W offset set to 1, or 0 for none
    int32_t busy;          // word 0
    int32_t list_ready;    // word 1
    bool flips;
};

TEST_F(DspRamTest, FlipTakesTheOtherBufferOnlyWhenFreeAndTheListWasTaken) {
    const flip_case cases[] = {
        {"free", 0, 0, 0, true},
        {"busy's upper bytes do not count", 0, 0x100, 0x200, true},
        {"list not taken", 0, 0, 1, false},
        {"busy", 0, 1, 0, false},
        {"list halt", W_LIST_HALT, 0, 0, false},
        {"attract scene flag", W_ATTRACT_SCENE_FLAG, 0, 0, false},
        {"halt flag", W_HALT_FLAG, 0, 0, false},
    };
    for (const flip_case& c : cases) {
        SCOPED_TRACE(c.name);
        board_memory_clear();
        dsp_word_set(0, c.busy);
        dsp_word_set(1, c.list_ready);
        dsp_word_set(4, 0x5500);
        dspram[0x58] = 0x9A;
        dspram[0x5C] = 0x3C;
        if (c.inhibitor) wram_long_set(c.inhibitor, 1);
        wram_long_set(W_DL_BUFFER_INDEX, 0);
        cursor_at(0x10400 + 40);  // mid-list from the last frame

        dl_buffer_flip();
        if (c.flips) {
            EXPECT_EQ(wram_long(W_DL_BUFFER_INDEX), 1);
            EXPECT_EQ(dsp_word(1), (c.list_ready & ~0xFF) | 1);
            EXPECT_EQ(dsp_word(4), 0x5501);
            EXPECT_EQ(wram_long(W_DSP_REPLY_A), 0x9A);
            EXPECT_EQ(wram_long(W_DSP_REPLY_B), 0x3C);
            EXPECT_EQ(dl_cursor_get(), at(0x18400));
        } else {
            EXPECT_EQ(wram_long(W_DL_BUFFER_INDEX), 0);
            EXPECT_EQ(dsp_word(1), c.list_ready);
            EXPECT_EQ(dsp_word(4), 0x5500);
            EXPECT_EQ(wram_long(W_DSP_REPLY_A), 0);
            EXPECT_EQ(dl_cursor_get(), at(0x10400)) << "the same buffer is written again from its start";
        }
        EXPECT_EQ(dsp_word(0), c.busy);
    }
}

TEST_F(DspRamTest, FlipsAlternateWhileTheConsumerTakesEachList) {
    dsp_init();
    dsp_word_set(0, 0);  // as the video set-up leaves them: not busy, list ready
    dsp_word_set(1, 1);
    dl_buffer_flip();
    EXPECT_EQ(dl_cursor_get(), at(0x10400)) << "first frame: buffer 0, no flip yet";
    for (int frame = 0; frame < 4; frame++) {
        dsp_word_set(1, dsp_word(1) & ~0xFF);  // the renderer took the list
        dl_buffer_flip();
        uint32_t want = (frame + 1) & 1;
        EXPECT_EQ(wram_long(W_DL_BUFFER_INDEX), int32_t(want));
        EXPECT_EQ(dsp_word(4) & 0xFF, int32_t(want));
        EXPECT_EQ(dl_cursor_get(), at(0x10400 + 0x8000 * want));
    }
}

TEST_F(DspRamTest, WithoutAConsumerEveryFrameRewritesTheSameBuffer) {
    dsp_init();
    dsp_word_set(0, 0);
    for (int frame = 0; frame < 5; frame++) {
        dl_buffer_flip();
        for (int i = 0; i < 10; i++) dl_put(frame);
        dl_terminate();
    }
    EXPECT_EQ(wram_long(W_DL_BUFFER_INDEX), 1) << "one flip, then list-ready stays set";
    EXPECT_EQ(dl_cursor_get(), at(0x18400 + 40));
    EXPECT_EQ(*at(0x18400), 4);
    EXPECT_EQ(*at(0x18400 + 40), -1);
    EXPECT_EQ(*at(0x10400), 0) << "buffer 0 was never written";
}

TEST_F(DspRamTest, AnInhibitedListNeverGrowsPastItsBuffer) {
    dsp_init();
    dsp_word_set(0, 0);
    wram_long_set(W_HALT_FLAG, 1);
    for (int frame = 0; frame < 100; frame++) {
        dl_buffer_flip();
        for (int i = 0; i < 500; i++) dl_put(i);  // 2000 bytes a frame
        dl_terminate();
        ASSERT_LE(reinterpret_cast<uint8_t*>(dl_cursor_get()), dspram + 0x18000) << "frame " << frame;
    }
    EXPECT_EQ(dl_guard_count, 0u);
    EXPECT_EQ(*at(0x10400 + 2000), -1);
    EXPECT_EQ(*at(0x18000 + 56), 1920) << "buffer 1's view blocks are intact";
}

TEST_F(DspRamTest, TheFrameCounterStepOnlyReportsItselfOnce) {
    testing::internal::CaptureStderr();
    dsp_frame_counter_decrement();
    dsp_frame_counter_decrement();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, env_present("SKYVOLTA_NO_STUBWARN") ? ""
                                                  : "[STUB] dsp_frame_counter_decrement @0x03B770 called -- needs its a0 "
                                                    "parameter -- see the note above; the transcription dereferenced NULL\n");
}

}  // namespace
