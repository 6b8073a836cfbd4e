// The frame step and the frame interrupt: one frame per due mark, the buffer flip, the
// camera words and list end, long runs on the synthetic and an all-zero program ROM.
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/inputs.h"
#include "board/runtime_services.h"
#include "board/scores_file.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "game/services/coin_ram.h"
#include "game/services/gameplay_ram.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>

namespace {

class FrameStepTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        scores_path_set(nullptr);
        reset_pending = 0;
        host_frame = 0;
        game_init();
    }
    static void frame() {
        frame_due = 1;
        game_frame();
    }
    // What the renderer does with a list it draws: hands the buffer back.
    static void list_taken() {
        dsp_word_set(DSP_WORD_LIST_READY, dsp_word(DSP_WORD_LIST_READY) & ~0xFF);
    }
};

TEST_F(FrameStepTest, RunsOneFramePerDueMark) {
    frame();
    game_frame();
    EXPECT_EQ(frame_due, 0);
    EXPECT_EQ(wram_long(W_FRAME_TICK), 1);
    EXPECT_EQ(wram_long(W_FRAME_COUNTER), 1);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_FRAME_TICK), 1);
    EXPECT_EQ(wram_long(0x0C9C), 1);  // vblank flag
    EXPECT_EQ(commsram[0x7D00], 0xA0);
    EXPECT_EQ(dsp_word(DSP_WORD_BUSY), 0);
    EXPECT_EQ(io_bytes[0x14], 0);
    EXPECT_EQ(wram_long(W_GAME_STATE), 1);  // attract set up
}

TEST_F(FrameStepTest, FlipsOnlyWhenTheLastListWasTaken) {
    // The boot leaves list-ready set: the first frame rewrites buffer 0.
    frame();
    EXPECT_EQ(dl_buffer_current(), 0u);
    EXPECT_EQ(dl_cursor_get(), dl_packet_area(0) + 13);  // the attract title's 13-word logo object
    list_taken();
    frame();
    EXPECT_EQ(dl_buffer_current(), 1u);
    EXPECT_EQ(dsp_word(DSP_WORD_BUFFER_INDEX) & 0xFF, 1);
    EXPECT_EQ(dsp_word(DSP_WORD_LIST_READY) & 0xFF, 1);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_DL_BUFFER_INDEX), 1);
    frame();  // not taken: the same buffer again
    EXPECT_EQ(dl_buffer_current(), 1u);
    EXPECT_EQ(dsp_word(DSP_WORD_BUFFER_INDEX) & 0xFF, 1);
    wram_long_set(W_HALT_FLAG, 1);
    bus_write32(WRAM_BASE + W_HALT_FLAG, 1);
    list_taken();
    frame();  // halted: no flip
    EXPECT_EQ(dl_buffer_current(), 1u);
}

TEST_F(FrameStepTest, CameraWordsAndListEnd) {
    const int32_t angles[3] = {0x1000, 0x4000, -0x2000};
    frame();  // attract's set-up, whose first scene resets the camera
    bus_write32(WRAM_BASE + W_CAMERA_PITCH, uint32_t(angles[0]));
    bus_write32(WRAM_BASE + W_CAMERA_HEADING, uint32_t(angles[1]));
    bus_write32(WRAM_BASE + W_CAMERA_ROLL, uint32_t(angles[2]));
    list_taken();
    frame();
    uint32_t buffer = dl_buffer_current();
    ASSERT_EQ(buffer, 1u);
    uint32_t first = (DL_BUFFER_BASE + DL_BUFFER_SIZE * buffer) / 4 + 1;
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(dsp_word(first + 2 * i), rom_pair(angles[i])[0]) << i;
        EXPECT_EQ(dsp_word(first + 2 * i + 1), rom_pair(angles[i])[1]) << i;
    }
    EXPECT_EQ(*dl_cursor_get(), DL_END);
    EXPECT_EQ(dl_cursor_get(), dl_packet_area(buffer) + 13);  // after the attract title's logo object
}

// The switch bytes the host writes reach the coin and test-switch steps: a coin is
// counted, a start press starts the armed game (free play, the default), the test switch
// enters the service mode, and not again once in it.
TEST_F(FrameStepTest, CoinsStartAndTestSwitch) {
    EXPECT_EQ(w_cell(W_CREDIT_ROW), 22);
    bus_write32(WRAM_BASE + W_GAME_STATE, 9);  // back to state 0 without the attract set-up's arming
    commsram[CR_SWITCH_BYTE0] = 1;
    frame();
    EXPECT_EQ(w_cell(W_COIN_COUNT), 1);
    EXPECT_EQ(wram_long(W_GAME_STATE), 0);  // not armed: no start
    commsram[CR_SWITCH_BYTE0] = 0;
    w_cell_set(W_ARMED_FLAG, 1);
    commsram[CR_SWITCH_BYTE1] = 1;
    frame();
    EXPECT_EQ(wram_long(W_GAME_STATE), 2);
    EXPECT_EQ(w_cell(W_ARMED_FLAG), 0);
    EXPECT_EQ(w_cell(W_COIN_COUNT), 1);

    commsram[CR_SWITCH_BYTE0] = 8;
    frame();
    EXPECT_EQ(wram_long(W_GAME_STATE), 7);  // entered, and the service set-up ran in the same frame
    bus_write32(WRAM_BASE + W_GAME_STATE, 7);
    frame();
    EXPECT_EQ(wram_long(W_GAME_STATE), 7);
}

TEST_F(FrameStepTest, FeedDumpWritesTheFourFilesOfItsFrame) {
    std::string dir = temp_dir_make("feed");
    setenv("SKYVOLTA_FEEDDUMP", (dir + ":3").c_str(), 1);
    testing::internal::CaptureStdout();
    for (host_frame = 0; host_frame < 5; host_frame++) frame();
    std::string out = testing::internal::GetCapturedStdout();
    unsetenv("SKYVOLTA_FEEDDUMP");
    EXPECT_NE(out.find("[FEED] dumped live 2D feed at frame 3 -> " + dir + "\n"), std::string::npos) << out;
    EXPECT_EQ(file_size(dir + "/sprite_f3.bin"), 0x30000);
    EXPECT_EQ(file_size(dir + "/cgram_f3.bin"), 0x1E000 + 0x2000);
    EXPECT_EQ(file_size(dir + "/vicsd_f3.bin"), 0x10000);
    EXPECT_EQ(file_size(dir + "/pal_f3.bin"), 0x18000);
    EXPECT_EQ(file_size(dir + "/pal_f2.bin"), -1);
    temp_dir_remove(dir);

    setenv("SKYVOLTA_FEEDDUMP", "3", 1);  // no directory part: nothing
    testing::internal::CaptureStdout();
    host_frame = 3;
    frame();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("[FEED]"), std::string::npos);
    unsetenv("SKYVOLTA_FEEDDUMP");
}

// A long run as the main loop drives it: every frame the renderer takes the list.
void long_run(const char* name) {
    dl_guard_count = 0;
    for (uint32_t f = 1; f <= 3600; f++) {
        frame_due = 1;
        game_frame();
        int32_t* cursor = dl_cursor_get();
        ASSERT_TRUE(cursor) << name << " frame " << f;
        uint8_t* at = reinterpret_cast<uint8_t*>(cursor);
        ASSERT_TRUE(at >= dspram && at + 4 <= dspram + sizeof dspram) << name << " frame " << f;
        dsp_word_set(DSP_WORD_LIST_READY, 0);
    }
    EXPECT_EQ(wram_long(W_FRAME_COUNTER), 3600) << name;
    EXPECT_EQ(dl_guard_count, 0u) << name;
}

TEST_F(FrameStepTest, LongRunOnTheSyntheticRom) {
    long_run("synthetic");
}

TEST(FrameStepBlankRom, AllZeroProgramRomInitialisesAndRuns) {
    synth_rom_set* blank = synth_rom_new_blank();
    ASSERT_TRUE(blank);
    board_memory_clear();
    memcpy(program_rom, blank->program, sizeof program_rom);
    synth_rom_free(blank);
    scores_path_set(nullptr);
    game_init();
    long_run("all-zero");
    EXPECT_EQ(textram[0], 0x00);  // the boot screen's fill cleared by attract's set-up
    EXPECT_EQ(textram[1], 0x20);
}

TEST(RuntimeServices, FixedMulAndTheUnmappedHandshake) {
    EXPECT_EQ(fixed_mul(0x30000, 0x8000), 0x18000);
    EXPECT_EQ(fixed_mul(-0x10000, 3), -3);
    EXPECT_EQ(fixed_mul(INT32_MIN, INT32_MIN), 0);  // the product's low 32 bits of >> 16
    EXPECT_EQ(null_handler(), 0);
    board_handshake_write(5);  // the window is unmapped: nothing acts
    EXPECT_EQ(bus_read32(0x85000C), 0);
}

}  // namespace
