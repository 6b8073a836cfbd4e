// The call-trace lines (SKYVOLTA_SNDTRIG) and the "[SOUND]" lines (SKYVOLTA_SNDLOG) of
// the sound layer and the stem machine's "[STEM]" line (SKYVOLTA_STAGEDBG), character for
// character. The switches are read once per process, so
// the test runs this test program again with them set, through SoundLogChild.Script,
// which does its work only then.
#include "board/sprite_records.h"
#include "game/services/area_sounds.h"
#include "game/services/sound_tables.h"
#include "sound/sound_diagnostics.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* AREA_MARK = "--- area";
constexpr const char* STEM_MARK = "--- stems";

using SoundLogChild = SoundTest;

TEST_F(SoundLogChild, Script) {
    if (!test_child()) GTEST_SKIP() << "run by SoundLog.LinesAreExact";
    sound_diag_switches_read();  // as start-up does
    host_frame = 1234;
    game(5, 7);
    wram_long_set(W_FRAME_TICK, 42);
    sound_play(5);
    sound_play(89);
    sound_play(-1);
    sound_play_p_ungated(SOUND_GOAL << 16 | 0x75);
    sound_stop(5);
    sound_hold_and_defer(5);
    sound_play_or_defer(6);
    sound_play_cooldown(0x50);
    contact_pick(10, 0x3C, 2048);
    sound_stop_all();
    sound_param_level_set(8 << 16 | 0xFFF0);
    sound_play_ungated(87);
    fprintf(stderr, "%s\n", AREA_MARK);
    game(3, 3);
    wram_long_set(W_RACE_TIMER, 3000);
    wram_long_set(W_LAST_RACE_TIMER, 0x7FFF7FFF);
    wram_long_set(W_PLAYER_CELL, 27);
    wram_long_set(W_PLAYER_X, 0x50200);
    wram_long_set(W_PLAYER_Y, 0x8000);
    wram_long_set(W_PLAYER_Z, 0x50200);
    area_sound_update();
    fprintf(stderr, "%s\n", STEM_MARK);
    wram_long_set(W_CAMERA_CELL, 16);
    wram_long_set(W_CAMERA_X, 0x12345);
    wram_long_set(W_CAMERA_Z, -5);
    music_stem_update();  // state 0 to 1: the line with state 0
    music_stem_update();  // waiting: no line
    w_word_set(W_STEM_WAIT, 0);
    music_stem_update();  // state 1, target 1: the line with state 1, nothing moves
    music_stem_update();  // the same state and acknowledgement: no line
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(SoundLog, LinesAreExact) {
    std::string out;
    int status = test_child_run("ASAN_OPTIONS=detect_leaks=0 SKYVOLTA_SNDLOG=1 SKYVOLTA_SNDTRIG=1 SKYVOLTA_STAGEDBG=1",
                                "SoundLogChild.Script", &out);
    ASSERT_EQ(status, 0) << out;
    std::vector<std::string> traced, area, stems;
    bool in_area = false;
    for (const std::string& line : lines_of(out)) {
        if (line == AREA_MARK) in_area = true;
        if (line.rfind("[STEM]", 0) == 0) stems.push_back(line);
        if (line.rfind("T fc=", 0) != 0 && line.rfind("[SOUND]", 0) != 0) continue;
        (in_area ? area : traced).push_back(line);
    }
    const std::vector<std::string> expected = {
        "T fc=42 st=5 sub=7 fn=sound_play id=5 par=-1",
        "[SOUND] f1234   sub=7   sound_play             id=0x05  slot 5  cmd=4105",
        "T fc=42 st=5 sub=7 fn=sound_play id=59 par=-1",
        "T fc=42 st=5 sub=7 fn=sound_play id=ffff par=-1",
        "T fc=42 st=5 sub=7 fn=sound_play_p_ungated id=26 par=75",
        "[SOUND] f1234   sub=7   sound_play_p_ungated   id=0x26  slot 14 cmd=4126  param=0x75",
        "T fc=42 st=5 sub=7 fn=sound_stop id=5 par=-1",
        "[SOUND] f1234   sub=7   sound_stop             id=0x05  slot 5  cmd=4105",
        "T fc=42 st=5 sub=7 fn=sound_hold_and_defer id=5 par=-1",
        "[SOUND] f1234   sub=7   sound_hold_and_defer   id=0x05  slot 5  cmd=6105",
        "T fc=42 st=5 sub=7 fn=sound_play_or_defer id=6 par=-1",
        "T fc=42 st=5 sub=7 fn=sound_play_cooldown id=1a par=50",
        "T fc=42 st=5 sub=7 fn=sound_play_p_ungated id=1a par=50",
        "[SOUND] f1234   sub=7   sound_play_p_ungated   id=0x1A  slot 26 cmd=411A  param=0x50",
        "T fc=42 st=5 sub=7 fn=contact_pick id=a par=3c spd=2048",
        "T fc=42 st=5 sub=7 fn=sound_stop_all id=ffff par=-1",
        "T fc=42 st=5 sub=7 fn=sound_params_reset id=ffff par=-1",
        "T fc=42 st=5 sub=7 fn=sound_param_level_set id=8 par=fff0",
        "T fc=42 st=5 sub=7 fn=sound_play_ungated id=57 par=-1",
        "[SOUND] f1234   sub=7   sound_play_ungated     id=0x57  slot 16383 cmd=4157",
    };
    EXPECT_EQ(traced, expected) << out;
    // Two near records of the point list play sound 8 twice in one call.
    std::vector<std::string> area_logs;
    for (const std::string& line : area)
        if (line.rfind("[SOUND]", 0) == 0) area_logs.push_back(line);
    const std::string point = "[SOUND] f1234   sub=3   sound_play             id=0x08  slot 8  cmd=4108";
    EXPECT_EQ(area_logs, std::vector<std::string>({point, point})) << out;
    // SKYVOLTA_STAGEDBG: the stem machine's line when its state or the acknowledgement changes.
    const std::vector<std::string> stem_lines = {
        "[STEM] f1234 state=0 target=1 cell=16 cam=(74565,-5) plyz=328192 mbox 220=0000 222=0000 224=0000 "
        "226=0000 22E=0000",
        "[STEM] f1234 state=1 target=1 cell=16 cam=(74565,-5) plyz=328192 mbox 220=0001 222=0000 224=0000 "
        "226=0000 22E=0000",
    };
    EXPECT_EQ(stems, stem_lines) << out;
}

}  // namespace
