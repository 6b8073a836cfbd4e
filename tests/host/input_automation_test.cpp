// The automation switches that drive the inputs in unattended runs, and the menu-stick
// test drive.
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "host/host_ram.h"
#include "host/input_automation.h"
#include "host/input_logs.h"
#include "host/input_update.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>

namespace {

bool no_key_held(int) {
    return false;
}

void state_set(int32_t state, int32_t sub) {
    w_cell_set(W_GAME_STATE, state);
    w_cell_set(W_GAME_SUB_STATE, sub);
}

// A balloon record of the layout at table + 32 x (first + j), through the bus.
void balloon_set(uint32_t table, uint32_t first, int j, int32_t x, int32_t y, int32_t z) {
    uint32_t rec = table + BALLOON_RECORD_SIZE * (first + uint32_t(j));
    bus_write32(rec + 4, uint32_t(x));
    bus_write32(rec + 8, uint32_t(y));
    bus_write32(rec + 12, uint32_t(z));
}

class Automation : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        key_held = no_key_held;
        input.steer = input.lean = ADC_CENTRE;
    }
    void TearDown() override { key_held = nullptr; }
};
using AutomationChild = Automation;

TEST_F(Automation, AutopilotSteersTowardTheNearestStandingBalloon) {
    const uint32_t table = 0xE20000, first = 2;
    bus_write32(WRAM_BASE + W_BALLOON_TABLE, table);
    bus_write16(WRAM_BASE + W_BALLOON_FIRST, first);
    for (int j = 0; j < BALLOONS_PER_LAYOUT; j++) balloon_set(table, first, j, 2900000, 0, 2900000);
    balloon_set(table, first, 5, 1000, 0, 1000);           // nearer, but taken
    bus_write16(WRAM_BASE + W_BALLOON_STATES + 2 * 5, 3);
    balloon_set(table, first, 7, 1000, 500000, 1000);      // too high
    balloon_set(table, first, 9, -1000, 0, 1000);          // x above 3,000,000 unsigned
    balloon_set(table, first, 11, 4000, 2000, 8000);       // the one
    const struct {
        uint32_t heading;
        double scale;
        int steer_gain, lean_gain;
        int steer, lean;
    } cases[] = {
        {0, 1.0, 1, 1, 191, 671},       // 26.6 degrees to the right: full right
        {0, 0.5, 1, 1, 322, 591},
        {0, 0.5, 1, 0, 322, 511},
        {0xF000, 1.0, 1, 1, 453, 671},  // heading 337.5 degrees: 4.1 degrees to the right
        {0xF000, 1.0, -2, 1, 626, 671},
    };
    for (const auto& c : cases) {
        w_cell_set(W_EASED_HEADING, int32_t(c.heading));
        autopilot_result r{};
        ASSERT_TRUE(autopilot_steer(c.steer_gain, c.lean_gain, c.scale, &r));
        EXPECT_EQ(r.target, 11);
        EXPECT_EQ(r.tx, 4000);
        EXPECT_EQ(r.steer, c.steer) << c.heading << " scale " << c.scale << " gain " << c.steer_gain;
        EXPECT_EQ(r.lean, c.lean) << c.heading << " scale " << c.scale;
        if (c.heading == 0xF000) {
            EXPECT_NEAR(r.angle_degrees, -4.07, 0.01);
        }
    }
}

// The table's address comes from work RAM: records that do not lie whole in work RAM
// are no candidates, wherever the address points.
TEST_F(Automation, AutopilotTakesOnlyRecordsInWorkRam) {
    const struct {
        uint32_t table, first;
        int target;  // -1: none
    } cases[] = {
        {0x00100000, 0, -1},      // program ROM
        {0xFFFFFFE0, 0, -1},      // wraps past the end of the address space
        {0xE3FFC0, 0, 0},         // records 0 and 1 fit, 2.. do not
        {0xE3FFC0, 2, -1},
        {0xDFFFE0, 0, 1},         // record 0 lies below work RAM
    };
    for (const auto& c : cases) {
        board_memory_clear();
        bus_write32(WRAM_BASE + W_BALLOON_TABLE, c.table);
        bus_write16(WRAM_BASE + W_BALLOON_FIRST, c.first);
        w_cell_set(W_PLAYER_X, 50);  // every record in work RAM reads (0, 0, 0)
        autopilot_result r{};
        EXPECT_EQ(autopilot_steer(1, 1, 1.0, &r), c.target >= 0) << std::hex << c.table;
        if (c.target >= 0) {
            EXPECT_EQ(r.target, c.target) << std::hex << c.table;
        }
    }
}

// Every switch is read once per process, at first use: the cases that set them run in a
// child with them set, and leave this process and the game runs it starts without them.
TEST_F(Automation, SwitchesDriveTheInputsOnTheirScreens) {
    std::string out;
    EXPECT_EQ(test_child_run("SKYVOLTA_TEST_ANALOG=-1,700 SKYVOLTA_TEST_PASS=1 SKYVOLTA_TEST_TIMER=77 "
                             "SKYVOLTA_TEST_STEER=10,100,3 SKYVOLTA_TEST_PEDAL=90 SKYVOLTA_TEST_MODE=2 "
                             "SKYVOLTA_TEST_STAGE=1 SKYVOLTA_TEST_GOTO=5@40 SKYVOLTA_TEST_ENDING=50 "
                             "SKYVOLTA_TEST_CONTINUE=1",
                             "AutomationChild.SwitchesDriveTheInputsOnTheirScreens", &out),
              0)
        << out;
}

TEST_F(Automation, MenuStickDriveAndLog) {
    std::string out;
    EXPECT_EQ(test_child_run("SKYVOLTA_TEST_MENUSTICK=2", "AutomationChild.MenuStickDriveAndLog", &out), 0) << out;
}

// One run of frames through the screens the switches act on.
TEST_F(AutomationChild, SwitchesDriveTheInputsOnTheirScreens) {
    if (!test_child()) GTEST_SKIP() << "run by Automation.SwitchesDriveTheInputsOnTheirScreens";
    state_set(3, 12);  // mode select
    input_update();
    EXPECT_EQ(w_cell(W_SELECT_CURSOR), 2);
    EXPECT_EQ(w_cell(W_HANDLE_PITCH), 511);  // the fixed lean is for racing only
    state_set(3, 0);   // course select
    input_update();
    EXPECT_EQ(w_cell(W_SELECT_CURSOR), 1);

    state_set(3, 3);
    w_cell_set(W_STAGE_QUOTA, 1000);
    std::string steer;
    for (host_frame = 0; host_frame < 13; host_frame++) {
        input_update();
        steer += std::to_string(w_cell(W_HANDLE_TURN)) + " ";
        EXPECT_EQ(w_cell(W_HANDLE_PITCH), 700);
        EXPECT_EQ(w_cell(W_RUN_SCORE), 1500);
        EXPECT_EQ(bus_read32(WRAM_BASE + W_RUN_SCORE), 1500);
        EXPECT_EQ(input.pedal_request, 90);
        if (host_frame == 0) {
            EXPECT_EQ(bus_read32(WRAM_BASE + W_RACE_TIMER), 77);
            EXPECT_EQ(bus_read32(WRAM_BASE + W_RACE_TIMER_SHOWN), 77);
        }
        w_cell_set(W_RACE_TIMER, 5);  // the race counts on; once per race
    }
    EXPECT_EQ(steer, "511 511 511 611 611 611 611 611 411 411 411 411 411 ");
    EXPECT_EQ(w_cell(W_RACE_TIMER), 5);
    state_set(3, 4);
    input_update();
    state_set(3, 3);
    input_update();
    EXPECT_EQ(w_cell(W_RACE_TIMER), 77);  // re-armed by the break

    testing::internal::CaptureStdout();
    host_frame = 40;
    input_update();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 5);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_GAME_SUB_STATE), 5);
    state_set(3, 3);
    for (host_frame = 49; host_frame < 52; host_frame++) {
        input_update();
        if (host_frame == 50) {
            EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 14);
            EXPECT_EQ(w_read16(WRAM_BASE + W_GAME_MODE), 1);
            EXPECT_EQ(bus_read16(WRAM_BASE + W_GAME_MODE), 1);
            EXPECT_EQ(w_cell(W_END_FLAG), 1);
            state_set(3, 3);
        }
    }
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 3);  // once only
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[TEST] f40: sub-state -> 5\n[TEST] f50: jumping to the ending (sub 14)\n");

    state_set(3, 29);  // continue screen
    std::string coin, start;
    for (host_frame = 60; host_frame < 92; host_frame++) {
        input_update();
        coin += commsram[CR_SWITCH_BYTE0] & 1 ? '1' : '0';
        start += commsram[CR_SWITCH_BYTE1] & 1 ? '1' : '0';
    }
    EXPECT_EQ(coin, "111101111000" + std::string(20, '0'));
    EXPECT_EQ(start, std::string(20, '0') + std::string(10, '1') + "00");
}

TEST_F(AutomationChild, MenuStickDriveAndLog) {
    if (!test_child()) GTEST_SKIP() << "run by Automation.MenuStickDriveAndLog";
    state_set(3, 12);
    w_cell_set(W_HANDLE_CENTRE_TURN, 511);
    w_cell_set(W_HANDLE_CENTRE_PITCH, 511);
    testing::internal::CaptureStdout();
    for (host_frame = 0; host_frame < 42; host_frame++) {
        menu_stick_test();
        analog_inputs_read();  // the game's frame step turns the handle into directions
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[MENUSTK] f0 sub=12 cursor=0/max=0 dirHI=0000 heldLO=0000 m2BDC=00000000 adc=191 ctr=0\n"
              "[MENUSTK] f1 sub=12 cursor=0/max=0 dirHI=0001 heldLO=0001 m2BDC=00010001 adc=191 ctr=0\n"
              "[MENUSTK] f41 sub=12 cursor=0/max=0 dirHI=0002 heldLO=0002 m2BDC=00020002 adc=831 ctr=0\n");
    EXPECT_EQ(commsram[CR_ANALOG_WORDS] << 8 | commsram[CR_ANALOG_WORDS + 1], 831);
}

}  // namespace
