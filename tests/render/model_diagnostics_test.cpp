// The model diagnostics: blink verdicts, the watch warning, the find log's limit, the
// placement list, the immediate-mode drawing of every quad layout and the distance lines.
#include "render/model_diagnostics.h"

#include "base/rom_files.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/display_list.h"
#include "render/dl_walker.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string text_of(const std::string& path) {
    std::vector<uint8_t> b = file_read(path);
    return std::string(b.begin(), b.end());
}

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

class ModelDiagnostics : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("diag");
        model_diagnostics_reset();
    }
    void TearDown() override {
        model_diagnostics_reset();
        for (const char* v : {"SKYVOLTA_BLINKLOG", "SKYVOLTA_BLINKGAP", "SKYVOLTA_BLINKMIN", "SKYVOLTA_TRACK_MODELS"})
            unsetenv(v);
        temp_dir_remove(dir);
    }
    // The log of one model present `before` frames, absent `gap` frames, then back for 3.
    std::string blink_run(int before, int gap) {
        std::string log = dir + "/blink.log";
        setenv("SKYVOLTA_BLINKLOG", log.c_str(), 1);
        setenv("SKYVOLTA_BLINKGAP", "8", 1);
        setenv("SKYVOLTA_BLINKMIN", "10", 1);
        blink_log_open();
        uint32_t frame = 1;
        blink_frame_report(frame++);
        auto frames = [&](int n, bool present) {
            for (int i = 0; i < n; i++) {
                if (present) blink_model_seen(400);
                blink_frame_report(frame++);
            }
        };
        frames(before, true);
        frames(gap, false);
        frames(3, true);
        model_diagnostics_reset();
        return text_of(log);
    }
    std::string dir;
};

using ModelDiagnosticsChild = ModelDiagnostics;

TEST_F(ModelDiagnostics, BlinksAreShortAbsencesAfterALongPresence) {
    const struct {
        int before, gap;
        const char* line;  // null: no BLINK line
    } cases[] = {
        {12, 3, "BLINK f17      model 400   gone 3 frames  (was present 12 frames; 0 since previous blink)\n"},
        {12, 1, "BLINK f15      model 400   gone 1 frame  (was present 12 frames; 0 since previous blink)\n"},
        {12, 8, "BLINK f22      model 400   gone 8 frames"},
        {12, 9, nullptr},  // longer than the gap: a new run
        {9, 3, nullptr},   // not present long enough before
    };
    for (const auto& c : cases) {
        std::string log = blink_run(c.before, c.gap);
        EXPECT_EQ(log.rfind("# blink log: gap<=8 frames, after >=10 frames present\n", 0), 0u) << log;
        EXPECT_EQ(count_of(log, "BLINK "), c.line ? 1 : 0) << log;
        if (c.line) {
            EXPECT_NE(log.find(c.line), std::string::npos) << log;
        }
    }
}

TEST_F(ModelDiagnostics, WatchNamesTheStageThatLostTheModels) {
    std::string log = dir + "/watch.log";
    setenv("SKYVOLTA_BLINKLOG", log.c_str(), 1);
    blink_log_open();
    testing::internal::CaptureStderr();
    watch_parse("395-402");
    testing::internal::GetCapturedStderr();
    blink_frame_report(1);
    blink_model_seen(396);  // emitted, every quad culled
    blink_add_quads(396, 0, 4, 0);
    blink_frame_report(2);
    blink_model_seen(396);
    blink_quads_drawn(396, 5);
    blink_frame_report(3);
    blink_frame_report(4);  // gone
    model_diagnostics_reset();
    std::string text = text_of(log);
    EXPECT_NE(text.find("WATCH f2       395..402 -> NO QUADS  - emitted, every quad culled or clipped (RENDERER)   "
                        "[1 emitted, 0 quads]"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("WATCH f3       395..402 -> drawing   [1 emitted, 5 quads]"), std::string::npos) << text;
    EXPECT_NE(text.find("WATCH f4       395..402 -> GONE      - not one member reached the geometry stage (GAME "
                        "LOGIC)"),
              std::string::npos)
        << text;
}

TEST_F(ModelDiagnostics, WatchWithoutABlinkLogWarnsAndWritesNothing) {
    testing::internal::CaptureStderr();
    watch_parse("400");
    watch_parse("abc");
    blink_model_seen(400);
    blink_frame_report(1);
    blink_frame_report(2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "[WATCH] armed for codes 400..400  -- BUT SKYVOLTA_BLINKLOG IS NOT SET, so nothing will be written\n"
              "[WATCH] SKYVOLTA_WATCH=\"abc\" not understood; use lo-hi, e.g. 395-402\n");
}

TEST_F(ModelDiagnostics, MarksAndTheCodesLineGoToTheLog) {
    std::string log = dir + "/codes.log";
    setenv("SKYVOLTA_BLINKLOG", log.c_str(), 1);
    blink_log_open();
    blink_frame_report(6);
    blink_model_seen(80);
    blink_quads_drawn(80, 3);
    blink_model_seen(90);
    blink_frame_report(7);
    blink_log_mark("P pressed (paused)", 7);
    codes_log();
    model_diagnostics_reset();
    std::string text = text_of(log);
    EXPECT_NE(text.find("----- MARK f7       P pressed (paused) -----\nCODES f7       80:3 90:0  (2 objects)\n"),
              std::string::npos)
        << text;
}

// SKYVOLTA_FINDCODE is read once per process: the case runs in a child with it set.
TEST_F(ModelDiagnostics, FindLogPrintsTheListAroundTheCodeTwelveTimesAtMost) {
    std::string out;
    EXPECT_EQ(test_child_run("SKYVOLTA_FINDCODE=75", "ModelDiagnosticsChild.FindLogPrintsTheListAroundTheCodeTwelveTimesAtMost", &out), 0)
        << out;
}

TEST_F(ModelDiagnosticsChild, FindLogPrintsTheListAroundTheCodeTwelveTimesAtMost) {
    if (!test_child()) GTEST_SKIP() << "run by ModelDiagnostics.FindLogPrintsTheListAroundTheCodeTwelveTimesAtMost";
    board_memory_clear();
    dl_walker_reset();
    for (int i = 0; i < 40; i++) dsp_word_set(uint32_t(DL_LIST_BASE_0 / 4 + i), uint32_t(100 + i));
    testing::internal::CaptureStderr();
    find_code_log(74, 20, 0x8000);
    for (int i = 0; i < 20; i++) find_code_log(75, i == 0 ? 2 : 20, 0x8001);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(err, "[FIND]"), 12) << err;
    // Words before the buffer's start are not printed.
    EXPECT_NE(err.find("[FIND] f0 model 75 at word 2 mode 8001 course 0: 100 101 [102 103"), std::string::npos) << err;
    std::string full = " 104 105 106 107 108 109 110 111 112 113 114 115 116 117 118 119 [120 121";
    EXPECT_NE(err.find(full), std::string::npos) << err;
}

TEST_F(ModelDiagnostics, PlacementListNamesEachStateAndCodeOnce) {
    const uint32_t* saved = point_rom;
    point_rom = nullptr;  // the list alone: nothing to draw
    std::string tsv = dir + "/models.tsv";
    setenv("SKYVOLTA_TRACK_MODELS", tsv.c_str(), 1);
    board_memory_clear();
    auto state = [](int32_t s, int32_t sub) {
        wram_long_set(W_GAME_STATE, s);
        wram_long_set(W_GAME_SUB_STATE, sub);
    };
    state(3, 3);
    track_models_log(0x50, 1, 2, 3);
    track_models_log(0x50, 4, 5, 6);
    track_models_log(0x51, 7, 8, 9);
    track_models_log(0, 7, 8, 9);  // not a model code
    state(3, 5);
    track_models_log(0x50, 10, 11, 12);
    state(3 + 16, 3 + 64);  // the same combination as (3, 3)
    track_models_log(0x50, 13, 14, 15);
    model_diagnostics_reset();
    point_rom = saved;
    EXPECT_EQ(text_of(tsv),
              "frame\tstate\tsub_state\tmodel_id\tx\ty\tz\n"
              "0\t3\t3\t0x50\t1\t2\t3\n"
              "0\t3\t3\t0x51\t7\t8\t9\n"
              "0\t3\t5\t0x50\t10\t11\t12\n");
}

TEST(ModelImmediateDraw, EveryQuadLayoutIsReadWithinItsRecord) {
    ASSERT_TRUE(gl_test_window());
    const uint32_t* saved = point_rom;
    uint32_t saved_count = point_rom_count;
    point_rom = synth_rom_shared()->point;
    point_rom_count = POINT_ROM_WORDS;
    track_models_budget_reset();
    EXPECT_EQ(model_immediate_draw(SYNTH_MODEL_CUBE, 0, 0, -0x40000), 6);
    EXPECT_EQ(model_immediate_draw(SYNTH_MODEL_GROUND, 0, 0, -0x40000), 1);
    EXPECT_EQ(model_immediate_draw(SYNTH_MODEL_LIT, 0, 0, -0x40000), 3);
    EXPECT_EQ(model_immediate_draw(SYNTH_MODEL_DEPTH, 0, 0, -0x40000), 2);  // type 24
    // A model table entry beyond the ROM draws nothing.
    point_rom_count = SYNTH_MODEL_CUBE;
    EXPECT_EQ(model_immediate_draw(SYNTH_MODEL_CUBE, 0, 0, 0), 0);
    point_rom = saved;
    point_rom_count = saved_count;
}

TEST(DistanceStatistics, NearestFarthestAndPercentiles) {
    for (int i = 1; i <= 5; i++) dist_sample_add(100 + i, double(i * 1000) * (i * 1000));
    dist_sample_add(200, double(0x700000) * 0x700000);
    testing::internal::CaptureStdout();
    dist_stats_report();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "    [DIST] nearest model=101 d=1000 | farthest model=200 d=7340032\n"
              "    [DIST] placements beyond 4x grid: 1/6\n"
              "    [DIST] far models: 200(x1)\n"
              "    [DIST] n=6 min=1000 p25=2000 median=3000 p75=4000 max=7340032\n");
    EXPECT_EQ(dist_sample_count(), 0);
}

}  // namespace
