// Demo flights: the start from the demo table's records, the recorded inputs loaded
// frame by frame, collision held off for the first 300 recorded frames, the cursor's
// readable ranges, and two long runs that come out the same.
#include "game/world/demo_flights.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/run_ram.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DemoFlightTest : public testing::Test {
protected:
    void SetUp() override { screen_start(); }
    static void frame() {
        dl_buffer_flip();
        demo_world_frame();
        dl_terminate();
    }
    static int count_of(const std::string& text, const char* what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
        return n;
    }
};

TEST_F(DemoFlightTest, StartTakesTheTablesStateAndFramesLoadTheRecordsInTurn) {
    demo_course_start(SYNTH_DEMO_LONG);
    EXPECT_EQ(uint32_t(w_cell(W_DEMO_CURSOR)), SYNTH_DEMO_LONG_INPUT);
    EXPECT_EQ(w_cell(W_PLAY_FRAME_COUNTER), 290);
    EXPECT_EQ(uint32_t(w_cell(W_DEMO_PATH)), SYNTH_DEMO_PATH);
    EXPECT_EQ(w_cell(W_DEMO_PATH_LENGTH), 0xA000);
    for (uint32_t c = 0; c < 3; c++) {
        EXPECT_EQ(w_cell(W_PLAYER_X + 4 * c), SYNTH_DEMO_START[c]);
        EXPECT_EQ(w_cell(W_CAMERA_X + 4 * c), SYNTH_DEMO_START[c]);
        EXPECT_EQ(w_cell(W_DEMO_CAMERA + 4 * c), SYNTH_DEMO_START[c]);
        EXPECT_EQ(w_cell(W_DRIVE + 4 * c), SYNTH_DEMO_DRIVES[c]);
    }
    for (uint32_t k = 0; k < 6; k++) EXPECT_EQ(w_cell(0x12C0 + 4 * k), int32_t(k + 1));
    EXPECT_EQ(w_cell(W_LOOKAHEAD_GROUND_HOLD), 0);
    for (uint32_t k = 0; k < 7; k++) EXPECT_EQ(w_cell(0x12DC + 4 * k), int32_t(k + 7));

    for (int32_t i = 0; i < 20; i++) {
        frame();
        synth_demo_record r = synth_demo_long_record(i);
        ASSERT_EQ(w_cell(W_PITCH_INPUT), r.pitch) << i;
        ASSERT_EQ(w_cell(W_TURN_INPUT), r.turn) << i;
        ASSERT_EQ(w_cell(W_PEDAL_DELTA), r.pedal) << i;
        ASSERT_EQ(w_cell(W_PLAY_FRAME_COUNTER), r.frame) << i;
        ASSERT_EQ(w_cell(W_DEMO_PATH_PROGRESS), i + 1);
    }
    EXPECT_FALSE(demo_input_ended());
}

TEST_F(DemoFlightTest, CollisionRunsOnlyPastRecordedFrame300) {
    demo_course_start(SYNTH_DEMO_LONG);
    constexpr int32_t UNTOUCHED = 0x12345;
    for (int32_t i = 0; i < 14; i++) {
        w_cell_set(W_PLAYER_SPEED_COPY, UNTOUCHED);  // the collision step copies the speed here
        frame();
        EXPECT_EQ(w_cell(W_PLAYER_SPEED_COPY) == UNTOUCHED, 290 + i <= 300) << "frame " << 290 + i;
    }
}

struct cursor_case {
    const char* what;
    int64_t cursor;
    bool loads;
};

TEST_F(DemoFlightTest, TheCursorReadsTheRomOrWorkRamAndNothingElse) {
    const int32_t host_value = 7;
    const cursor_case cases[] = {
        {"program ROM", SYNTH_DEMO_LONG_INPUT, true},
        {"last ROM record", 0x3FFFF0, true},
        {"record across the ROM's end", 0x3FFFF8, false},
        {"zero", 0, false},
        {"past the ROM", 0x400000, false},
        {"the recorder's run", 0xE0EB60, true},
        {"last work-RAM record", 0xE3FFF0, true},
        {"record across work RAM's end", 0xE3FFF4, false},
        {"a host pointer", w_pointer(&host_value), false},
    };
    for (const cursor_case& c : cases) {
        SCOPED_TRACE(c.what);
        demo_course_start(SYNTH_DEMO_LONG);
        for (uint32_t k = 0; k < 4; k++) w_cell_set(0xEB60 + 4 * k, 1111 * int32_t(k + 1));
        for (uint32_t k = 0; k < 4; k++) w_cell_set(0x3FFF0 + 4 * k, 2222 * int32_t(k + 1));
        wram[W_DEMO_CURSOR] = c.cursor;
        w_cell_set(W_PITCH_INPUT, -77);
        testing::internal::CaptureStdout();
        frame();
        if (!c.loads) frame();  // the guard speaks once
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(demo_input_ended(), !c.loads);
        EXPECT_EQ(count_of(out, "[GUARD] demo_world_frame"), c.loads ? 0 : 1);
        if (!c.loads) {
            EXPECT_EQ(w_cell(W_PITCH_INPUT), -77);
        }
        if (c.cursor == 0xE0EB60) {
            EXPECT_EQ(w_cell(W_PLAY_FRAME_COUNTER), 4444);
        }
    }
}

TEST_F(DemoFlightTest, ADemoNumberOutsideTheTableStartsNothing) {
    for (int32_t n : {-1, 17, 1000}) {
        w_cell_set(W_DEMO_CURSOR, 0x1234);
        testing::internal::CaptureStdout();
        demo_course_start(n);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(w_cell(W_DEMO_CURSOR), 0x1234) << n;
        EXPECT_EQ(count_of(out, "[GUARD] demo_course_start"), 1) << n;
    }
}

uint64_t fnv(uint64_t h, const void* data, size_t bytes) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; i++) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

TEST_F(DemoFlightTest, TwoLongRunsComeOutTheSame) {
    auto run = [] {
        screen_start();
        demo_course_start(SYNTH_DEMO_LONG);
        uint64_t h = 0xCBF29CE484222325ull;
        for (int f = 0; f < 2000; f++) {
            frame();
            if (f % 100 == 99) h = fnv(h, dspram, sizeof dspram);
        }
        h = fnv(h, wram, sizeof(int64_t) * WRAM_SIZE);
        return h;
    };
    uint64_t a = run(), b = run();
    EXPECT_EQ(a, b);
    EXPECT_FALSE(demo_input_ended());
}

}  // namespace
