#include "board/eeprom_settings.h"

#include "base/env_switch.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <string>

namespace {

class EepromSettingsTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        scores_path_set(nullptr);
    }
};

TEST_F(EepromSettingsTest, DefaultsComeFromTheProgramRom) {
    settings_defaults_load();
    EXPECT_EQ(w_cell(0x3FFE), 1);
    EXPECT_EQ(w_cell(0x3FFA), SYNTH_SETTING_36806);
    EXPECT_EQ(w_read16(WRAM_BASE + 0x3FF8), SYNTH_SETTING_3681E);
    EXPECT_EQ(w_read16(WRAM_BASE + 0x3FFC), SYNTH_SETTING_3684E);
}

// The stubs report once per process, and other cases here call them first: the case runs
// in a fresh process of its own.
TEST(EepromStubs, ReportOnceAndReturnZero) {
    std::string out;
    EXPECT_EQ(test_child_run("", "EepromStubsChild.ReportOnceAndReturnZero", &out), 0) << out;
}

class EepromStubsChild : public EepromSettingsTest {};

TEST_F(EepromStubsChild, ReportOnceAndReturnZero) {
    if (!test_child()) GTEST_SKIP() << "run by EepromStubs.ReportOnceAndReturnZero";
    testing::internal::CaptureStderr();
    EXPECT_EQ(eeprom_command_handler(), 0);
    EXPECT_EQ(eeprom_command_handler(), 0);
    EXPECT_EQ(eeprom_shift_right_1(), 0);
    eeprom_sync_all();
    eeprom_sync_all();
    std::string said = testing::internal::GetCapturedStderr();
    // Silenced runs print nothing at all; otherwise one line per stub.
    if (!env_present("SKYVOLTA_NO_STUBWARN")) {
        EXPECT_EQ(said,
                  "[STUB] eeprom_command_handler @0x0489F8 called -- EEPROM command handler -- free play is forced\n"
                  "[STUB] eeprom_shift_right_1 @0x049B7C called -- returns 0 unconditionally\n"
                  "[STUB] eeprom_sync_all @0x019EEE called -- EEPROM sync -- free play is forced\n");
    }
}

TEST_F(EepromSettingsTest, HandleAdjustmentTakesTheCurrentReadingsAsCentres) {
    const uint8_t readings[8] = {0x01, 0xF0, 0x02, 0x0A, 0x00, 0x10, 0xFF, 0xFF};
    std::memcpy(commsram + 0x7D0A, readings, 8);
    switch_defaults_and_sync();
    EXPECT_EQ(w_cell(0x3FD0), 0x1F0);
    EXPECT_EQ(w_cell(0x3FD2), 0x20A);
    EXPECT_EQ(w_cell(0x3FD4), 0x10);
    EXPECT_EQ(w_cell(0x3FD6), -1);
}

TEST_F(EepromSettingsTest, DipSwitchLine) {
    w_cell_set(W_DIP_SWITCH_BITS, 0x81);
    dipsw_bits_list();
    for (int k = 0; k < 8; k++) {
        uint32_t at = (6 * 64 + 17 + k) * 2;
        EXPECT_EQ(textram[at], k == 0 || k == 7 ? 0x20 : 0) << k;
        EXPECT_EQ(textram[at + 1], k + 1);
    }
}

TEST_F(EepromSettingsTest, TableDumpTakesRecordBytesFromTheirLongs) {
    ranking_table_reset();
    ranking_tables_reset();
    w_cell_set(W_SCORE_LONGS, 0x11223344);  // printed as 00
    testing::internal::CaptureStdout();
    score_table_dump("enter");
    std::string out = testing::internal::GetCapturedStdout();
    const std::string first = "TBL enter E04030 ";
    ASSERT_EQ(out.compare(0, first.size(), first), 0);
    size_t second = out.find("\nTBL enter E15BF0 ");
    ASSERT_NE(second, std::string::npos);
    std::string scores = out.substr(first.size(), second - first.size());
    ASSERT_EQ(scores.size(), 2u * 0x7C);
    char record0[17];
    snprintf(record0, sizeof record0, "7F0006A4%02X%02X%02X01", synth_default_initial(0, 0),
             synth_default_initial(0, 1), synth_default_initial(0, 2));
    EXPECT_EQ(scores.substr(0, 16), record0);
    EXPECT_EQ(scores.substr(2 * 0x50, 16), "0000000000000000");
    EXPECT_EQ(scores.substr(2 * 0x58, 16), "7F0007D031313100");
    std::string rankings = out.substr(second + 18);
    ASSERT_EQ(rankings.size(), 2u * (0x15E94 - 0x15BF0) + 1);
    EXPECT_EQ(rankings.substr(0, 16), "000006A431313101");
    EXPECT_EQ(rankings.substr(2 * 0x280, 8), "00000000") << "head bytes";
    EXPECT_EQ(rankings.substr(2 * 0x284, 8), "7F0007D0");
    EXPECT_EQ(rankings.back(), '\n');
}

}  // namespace
