// The old form of the service mode (SKYVOLTA_OLD_TESTMODE): its state word, the pages
// that only report their name, and the board test menu without a selection.
#include "tests/game/modes/service_fixture.h"

#include "board/dspram.h"
#include "game/modes/service_toolkit.h"
#include "game/modes/service_ram.h"
#include "game/modes/test_menus.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Both service states read SKYVOLTA_OLD_TESTMODE once per process: each case runs in a
// child with it set.
void old_form_run(const char* child_case) {
    std::string out;
    EXPECT_EQ(test_child_run("SKYVOLTA_OLD_TESTMODE=", child_case, &out), 0) << out;
}

TEST(OldForm, ReportingPagesPrintTheirNameOncePerRun) {
    old_form_run("OldFormChild.ReportingPagesPrintTheirNameOncePerRun");
}

TEST(OldForm, BoardTestMenuHasNoSelection) {
    old_form_run("OldFormChild.BoardTestMenuHasNoSelection");
}

TEST(OldFormChild, ReportingPagesPrintTheirNameOncePerRun) {
    if (!test_child()) GTEST_SKIP() << "run by OldForm.ReportingPagesPrintTheirNameOncePerRun";
    service_start();
    service_frames(2);
    ASSERT_EQ(wram_long(W_TEST_STATE), 1);  // the whole word is the state
    EXPECT_EQ(service_text(22, 27, 11), "           ");  // no footer on the main menu
    testing::internal::CaptureStdout();
    for (int round = 0; round < 2; round++) {
        for (int state : {12, 14, 32}) {
            wram_long_set(W_TEST_STATE, state);
            service_frames(3);
            EXPECT_EQ(wram_long(W_TEST_STATE), state + 1);  // the page stays
        }
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "[TITLE] sub-state handler not yet transcribed: service_screen_flip_run @0x01B16E\n"
              "[TITLE] sub-state handler not yet transcribed: service_stereo_toggle_run @0x01B25C\n"
              "[TITLE] sub-state handler not yet transcribed: slot 0x21 @0x01C058\n");
}

TEST(OldFormChild, BoardTestMenuHasNoSelection) {
    if (!test_child()) GTEST_SKIP() << "run by OldForm.BoardTestMenuHasNoSelection";
    service_start();
    service_frames(2);
    wram_long_set(W_TEST_STATE, 22);
    service_frames(2);
    service_down();
    service_select();
    EXPECT_EQ(wram_long(W_TEST_STATE), 23);
    EXPECT_EQ(service_text(14, 3, 10), "BOARD TEST");
}

}  // namespace
