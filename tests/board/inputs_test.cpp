#include "board/inputs.h"

#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <vector>

namespace {

void commsram_word(uint32_t offset, uint32_t v) {
    commsram[offset] = uint8_t(v >> 8);
    commsram[offset + 1] = uint8_t(v);
}

class InputsTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        edge_fix_enabled = true;
        w_cell_set(W_HANDLE_CENTRE_TURN, 511);
        w_cell_set(W_HANDLE_CENTRE_PITCH, 511);
        handle(511, 511);
        analog_inputs_read();
    }
    void TearDown() override { edge_fix_enabled = true; }
    static void handle(int turn, int pitch) {
        w_cell_set(W_HANDLE_TURN, turn);
        w_cell_set(W_HANDLE_PITCH, pitch);
    }
    static uint32_t direction_bits() { return uint32_t(w_cell(W_DIRECTION)) >> 16; }
    static uint32_t reported() { return uint32_t(w_cell(W_DIRECTION)) & 0xFFFF; }
    static uint32_t repeated() { return uint32_t(w_cell(W_DIRECTION_REPEAT)) >> 16; }
};

TEST_F(InputsTest, SwitchBytesGiveEdgesOnlyOnTheFrameABitRises) {
    struct frame {
        uint8_t byte0, byte1;
        int32_t edge0, edge1;
    };
    // Coin held over three frames, released, pressed again; start with service beside it.
    const frame frames[] = {{0x01, 0x00, 0x01, 0x00}, {0x01, 0x01, 0x00, 0x01}, {0x05, 0x01, 0x04, 0x00},
                            {0x04, 0x00, 0x00, 0x00}, {0x0D, 0x01, 0x09, 0x01}, {0x00, 0x00, 0x00, 0x00}};
    for (const frame& f : frames) {
        commsram[CR_SWITCH_BYTE0] = f.byte0;
        commsram[CR_SWITCH_BYTE1] = f.byte1;
        switch_edges_update();
        EXPECT_EQ(w_cell(W_COIN_SWITCH), f.byte0);
        EXPECT_EQ(w_cell(W_START_SWITCH), f.byte1);
        EXPECT_EQ(w_cell(W_COIN_EDGE), f.edge0) << "byte0 " << int(f.byte0);
        EXPECT_EQ(w_cell(W_START_EDGE), f.edge1) << "byte1 " << int(f.byte1);
    }
}

TEST_F(InputsTest, HandleDirectionsAtTheirThresholds) {
    struct reading {
        int turn, pitch;
        uint32_t bits;
        int32_t diagonal;
    };
    const reading readings[] = {
        {639, 511, 0, 0},
        {640, 511, DIR_TURN_HIGH, 0},
        {383, 511, 0, 0},
        {382, 511, DIR_TURN_LOW, 0},
        {511, 319, 0, 0},
        {511, 318, DIR_PITCH_LOW, 0},
        {511, 703, 0, 0},
        {511, 704, DIR_PITCH_HIGH, 0},
        {100, 100, DIR_TURN_LOW | DIR_PITCH_LOW, 1},
        {100, 900, DIR_TURN_LOW | DIR_PITCH_HIGH, 2},
        {900, 100, DIR_TURN_HIGH | DIR_PITCH_LOW, 3},
        {900, 900, DIR_TURN_HIGH | DIR_PITCH_HIGH, 4},
        {INT32_MIN, INT32_MAX, DIR_TURN_LOW | DIR_PITCH_HIGH, 2},
    };
    for (const reading& r : readings) {
        handle(511, 511);
        analog_inputs_read();
        handle(r.turn, r.pitch);
        analog_inputs_read();
        EXPECT_EQ(direction_bits(), r.bits) << r.turn << "," << r.pitch;
        EXPECT_EQ(reported(), r.bits) << "a new direction is reported";
        EXPECT_EQ(w_cell(W_DIAGONAL_CODE), r.diagonal) << r.turn << "," << r.pitch;
    }
}

TEST_F(InputsTest, HeldDirectionReportsOnceThenRepeatsOnFrame21AndEvery10th) {
    std::vector<int> reports, repeats;
    handle(900, 511);
    for (int frame = 0; frame < 60; frame++) {
        analog_inputs_read();
        if (reported()) reports.push_back(frame);
        if (repeated()) repeats.push_back(frame);
        EXPECT_EQ(uint32_t(w_cell(W_DIRECTION_REPEAT)) & 0xFFFF, reported());
    }
    EXPECT_EQ(reports, std::vector<int>({0}));
    EXPECT_EQ(repeats, std::vector<int>({0, 21, 31, 41, 51}));

    // Letting go and pressing again starts the count afresh.
    handle(511, 511);
    analog_inputs_read();
    handle(511, 100);
    repeats.clear();
    for (int frame = 0; frame < 25; frame++) {
        analog_inputs_read();
        if (repeated()) repeats.push_back(frame);
    }
    EXPECT_EQ(repeats, std::vector<int>({0, 21}));
}

TEST_F(InputsTest, WithoutTheEdgeSwitchHeldDirectionsAreReported) {
    edge_fix_enabled = false;
    handle(900, 511);
    analog_inputs_read();
    EXPECT_EQ(reported(), 0u) << "first frame: not yet held";
    analog_inputs_read();
    EXPECT_EQ(reported(), DIR_TURN_HIGH);
}

TEST_F(InputsTest, AnalogWordsTwoToSevenAreSignExtendedAndTurnPitchLeftToTheHost) {
    for (uint32_t k = 0; k < 8; k++) commsram_word(CR_ANALOG_WORDS + 2 * k, k == 3 ? 0xFFFE : 0x100 + k);
    handle(600, 400);
    analog_inputs_read();
    EXPECT_EQ(w_cell(W_HANDLE_TURN), 600);
    EXPECT_EQ(w_cell(W_HANDLE_PITCH), 400);
    EXPECT_EQ(w_cell(0x2BCC), 0x102);
    EXPECT_EQ(w_cell(0x2BCE), -2);
    EXPECT_EQ(w_cell(0x2BD6), 0x107);
}

TEST_F(InputsTest, EncoderDeltasTakeTheShortWayRoundBothWraps) {
    struct step {
        uint32_t last, now;
        int32_t delta;
    };
    const step steps[] = {{65530, 5, 11}, {32760, 3, 11}, {5, 65530, -11}, {3, 32760, -11},
                          {1000, 1512, 512}, {1000, 488, -512}, {1000, 1000, 0}, {100, 90, -10}};
    for (const step& s : steps) {
        commsram_word(CR_PEDAL_COUNTER, s.last);
        commsram_word(CR_ENCODER_A, s.last);
        encoder_counters_update();
        int32_t before = w_cell(W_PEDAL_DELTA);
        commsram_word(CR_PEDAL_COUNTER, s.now);
        commsram_word(CR_ENCODER_A, s.now);
        encoder_counters_update();
        EXPECT_EQ(w_cell(W_PEDAL_DELTA), s.delta) << s.last << " -> " << s.now;
        EXPECT_EQ(w_cell(W_ENCODER_A_DELTA), s.delta) << s.last << " -> " << s.now;
        EXPECT_EQ(w_cell(W_PREV_PEDAL_DELTA), before);
        EXPECT_EQ(uint32_t(w_cell(W_PEDAL_HISTORY)), s.last << 16 | s.now);
    }
}

TEST_F(InputsTest, LatchResetMarksTheLatchAndTheCommsByte) {
    input_latch_reset();
    EXPECT_EQ(w_cell(W_INPUT_LATCH), 1);
    EXPECT_EQ(commsram[0x7E82], 0xFF);
}

TEST_F(InputsTest, SwitchPortsNoDeviceFeedsReadAsReleased) {
    for (int frame = 0; frame < 30; frame++) {
        switch_repeat_update();
        for (uint32_t p = 0; p < 2; p++)
            for (uint32_t field : {SP_CURRENT, SP_PRESSED, SP_REPEAT, SP_DOUBLE})
                EXPECT_EQ(w_cell(W_SWITCH_PORT0 + p * SWITCH_PORT_STRIDE + field), 0) << "port " << p;
    }
    EXPECT_EQ(test_button_pressed(), 0);
}

TEST_F(InputsTest, SwitchPortBitsArePressedRepeatedAndReleased) {
    // Port 0 in aux RAM: the reset write leaves 0 there, so all twelve active-low
    // switches read as held.
    program_rom[0x3ABAA] = 0x00;
    program_rom[0x3ABAB] = 0xF8;
    program_rom[0x3ABAC] = 0x00;
    program_rom[0x3ABAD] = 0x00;
    std::vector<int> repeats;
    for (int frame = 0; frame < 20; frame++) {
        switch_repeat_update();
        EXPECT_EQ(w_cell(W_SWITCH_PORT0 + SP_CURRENT), 0xFFF);
        EXPECT_EQ(w_cell(W_SWITCH_PORT0 + SP_PRESSED), frame == 0 ? 0xFFF : 0);
        if (w_cell(W_SWITCH_PORT0 + SP_REPEAT)) repeats.push_back(frame);
        EXPECT_EQ(test_button_pressed(), frame == 0 ? 1 : 0);
    }
    EXPECT_EQ(repeats, std::vector<int>({0, 13, 16, 19}));
    // The port answers nothing again: every switch is released.
    program_rom[0x3ABAB] = 0x42;
    switch_repeat_update();
    EXPECT_EQ(w_cell(W_SWITCH_PORT0 + SP_CURRENT), 0);
    EXPECT_EQ(w_cell(W_SWITCH_PORT0 + SP_RELEASED), 0xFFF);
}

TEST_F(InputsTest, StartEdgeIsTheTestButton) {
    commsram[CR_SWITCH_BYTE1] = 1;
    switch_edges_update();
    EXPECT_EQ(test_button_pressed(), 1);
    switch_edges_update();
    EXPECT_EQ(test_button_pressed(), 0);
}

}  // namespace
