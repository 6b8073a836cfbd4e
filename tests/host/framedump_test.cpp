// The frame-dump viewer: names, sequences and their hold, preloading and its fallback,
// single dumps with and without side files, and files that are not what they claim.
#include "host/framedump.h"

#include "base/host_hooks.h"
#include "base/rom_files.h"
#include "render/cz_fog.h"
#include "render/framedump_draw.h"
#include "tests/support/synth_framedump.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(FramedumpName, OnlyPolyDigitsBinMatch) {
    const struct {
        const char* name;
        int frame;
    } cases[] = {{"poly_f10.bin", 10},   {"poly_f007.bin", 7},   {"poly_f0.bin", 0},      {"poly_fx.bin", -1},
                 {"poly_f3.bin.old", -1}, {"poly_f.bin", -1},    {"poly_f3x.bin", -1},    {"xpoly_f3.bin", -1},
                 {"poly_f3.BIN", -1},    {"poly_f-3.bin", -1},   {"poly_f99999999999.bin", -1}};
    for (const auto& c : cases) EXPECT_EQ(framedump_name_match(c.name), c.frame) << c.name;
}

// A dump's words that name it: its frame, then a marker (no packet the decoder takes).
void marked_poly(const std::string& dir, const std::string& name, uint32_t frame) {
    ASSERT_TRUE(synth_framedump_poly_write(dir + "/" + name, {frame, 0xABCDEF}));
}

class Framedump : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("framedump");
        saved_limit = framedump_preload_limit;
    }
    void TearDown() override {
        framedump_close();
        framedump_preload_limit = saved_limit;
        unsetenv("SKYVOLTA_FRAMEDUMP_HOLD");
        temp_dir_remove(dir);
    }
    // The frames shown by n steps (the first word of each dump is its frame).
    std::vector<uint32_t> play(int n) {
        std::vector<uint32_t> shown;
        for (int i = 0; i < n; i++) {
            framedump_step(nullptr, nullptr);
            shown.push_back(framedump_word(0));
        }
        return shown;
    }
    void sparse_sequence() {
        marked_poly(dir, "poly_f10.bin", 10);
        marked_poly(dir, "poly_f2.bin", 2);
        marked_poly(dir, "poly_f100.bin", 100);
        marked_poly(dir, "poly_fx.bin", 999);
        marked_poly(dir, "poly_f3.bin.old", 3);
    }
    std::string dir;
    size_t saved_limit;
};

TEST_F(Framedump, SequencePlaysInFrameOrderAndReportsASparseCapture) {
    sparse_sequence();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(framedump_open(dir.c_str()));
    std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("framedump: sequence of 3 dumps from " + dir + " (frames 2..100), hold=1 frame each\n"),
              std::string::npos)
        << out;
    EXPECT_NE(err.find("framedump: NOTE sparse capture -- 3 dumps spanning 99 frames is a slideshow, not motion."),
              std::string::npos)
        << err;
    EXPECT_NE(out.find("framedump: preloaded 3 dumps"), std::string::npos) << out;
    EXPECT_TRUE(framedump_active());
    EXPECT_EQ(play(5), (std::vector<uint32_t>{2, 10, 100, 2, 10}));
}

TEST_F(Framedump, HoldShowsEachDumpForItsFramesPreloadedOrReadPerFrame) {
    sparse_sequence();
    setenv("SKYVOLTA_FRAMEDUMP_HOLD", "3", 1);
    const std::vector<uint32_t> want = {2, 2, 2, 10, 10, 10, 100, 100, 100, 2};
    for (size_t limit : {saved_limit, size_t(1)}) {
        framedump_preload_limit = limit;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(framedump_open(dir.c_str()));
        std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
        EXPECT_NE(out.find("hold=3 frames each"), std::string::npos) << out;
        EXPECT_EQ(err.find("too large to preload") != std::string::npos, limit == 1) << err;
        EXPECT_EQ(play(10), want) << "preload limit " << limit;
    }
}

TEST_F(Framedump, AMissingDumpDuringPerFrameReadsDrawsNothingThatFrame) {
    sparse_sequence();
    framedump_preload_limit = 1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(framedump_open(dir.c_str()));
    remove((dir + "/poly_f10.bin").c_str());
    framedump_step(nullptr, nullptr);
    EXPECT_FALSE(framedump_advance_hook());  // frame 10 cannot be read
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("framedump: cannot open " + dir + "/poly_f10.bin"),
              std::string::npos);
}

TEST_F(Framedump, TheFirst4096DumpsAreKept) {
    for (int f = 0; f < FRAMEDUMP_SEQUENCE_MAX + 1; f++)
        ASSERT_TRUE(file_write(dir + "/poly_f" + std::to_string(f) + ".bin", {}));
    framedump_preload_limit = 1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(framedump_open(dir.c_str()));
    std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("framedump: sequence of 4096 dumps"), std::string::npos) << out;
    EXPECT_EQ(framedump_shown.entries, FRAMEDUMP_SEQUENCE_MAX);
    EXPECT_EQ(framedump_shown.count, 0u);  // empty files: no words
    EXPECT_EQ(framedump_word(0), 0u);
}

TEST_F(Framedump, NoDumpsOrNoPathFailsTheOpen) {
    marked_poly(dir, "poly_fx.bin", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(framedump_open(dir.c_str()));
    EXPECT_FALSE(framedump_open((dir + "/poly_f5.bin").c_str()));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("framedump: no poly_f*.bin in " + dir + "\n"), std::string::npos) << err;
    EXPECT_NE(err.find("framedump: cannot open " + dir + "/poly_f5.bin\n"), std::string::npos) << err;
    EXPECT_FALSE(framedump_active());
}

TEST_F(Framedump, PartialWordsAreDroppedAndWordsKeepTheirLow24Bits) {
    ASSERT_TRUE(file_write(dir + "/poly_f1.bin", {0xFF, 0x12, 0x34, 0x56, 0x01, 0x02, 0x03}));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(framedump_open((dir + "/poly_f1.bin").c_str()));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("framedump: " + dir + "/poly_f1.bin, 1 words\n"),
              std::string::npos);
    EXPECT_EQ(framedump_shown.count, 1u);
    EXPECT_EQ(framedump_word(0), 0x123456u);
    EXPECT_EQ(framedump_word(1), 0u);
}

// The synthetic dump over the synthetic point ROM.
class FramedumpScene : public Framedump {
protected:
    void SetUp() override {
        Framedump::SetUp();
        saved_rom = point_rom;
        saved_count = point_rom_count;
        point_rom = synth_rom_shared()->point;
        point_rom_count = POINT_ROM_WORDS;
        ASSERT_TRUE(synth_framedump_write(dir, SYNTH_DUMP_FRAME));
    }
    void TearDown() override {
        point_rom = saved_rom;
        point_rom_count = saved_count;
        fog_current_valid = false;
        Framedump::TearDown();
    }
    std::string side(const char* kind) const { return dir + "/" + kind + "_f" + std::to_string(SYNTH_DUMP_FRAME) + ".bin"; }
    const uint32_t* saved_rom;
    uint32_t saved_count;
};

constexpr int SYNTH_DUMP_OBJECTS = SYNTH_DUMP_GROUND_TILES + SYNTH_DUMP_CUBES;

TEST_F(FramedumpScene, ADumpWithItsSideFilesHasFogSpritesAndText) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(framedump_open(side("poly").c_str()));
    EXPECT_EQ(framedump_step(nullptr, nullptr), SYNTH_DUMP_OBJECTS);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("framedump: 58 primitives, zoom=554>>0 vx=0 vy=0\n"), std::string::npos) << out;
    EXPECT_TRUE(fog_current_valid);
    EXPECT_EQ(fog_current.bg_colour[2], SYNTH_DUMP_BACKGROUND[2]);
    ASSERT_NE(framedump_sprite_state(), nullptr);
    ASSERT_NE(framedump_text_state(), nullptr);
    // The text input shares the sprite input's palette.
    EXPECT_EQ(framedump_text_state()->palette, framedump_sprite_state()->palette);
}

TEST_F(FramedumpScene, ALoneFileOfAnotherNameDrawsWithoutFogSpritesOrText) {
    std::string lone = dir + "/scene.bin";
    ASSERT_EQ(rename(side("poly").c_str(), lone.c_str()), 0);
    fog_current_valid = true;  // left from an earlier frame
    testing::internal::CaptureStdout();
    ASSERT_TRUE(framedump_open(lone.c_str()));
    EXPECT_EQ(framedump_step(nullptr, nullptr), SYNTH_DUMP_OBJECTS);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(fog_current_valid);
    EXPECT_EQ(framedump_sprite_state(), nullptr);
    EXPECT_EQ(framedump_text_state(), nullptr);
}

TEST_F(FramedumpScene, SideFilesOfAnotherSizeCountAsMissing) {
    std::vector<uint8_t> pal = file_read(side("pal"));
    pal.push_back(0);
    ASSERT_TRUE(file_write(side("pal"), pal));
    std::vector<uint8_t> mix = file_read(side("mix"));
    mix.pop_back();
    ASSERT_TRUE(file_write(side("mix"), mix));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(framedump_open(side("poly").c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("framedump: no fog data beside " + side("poly") +
                                                          " -- CZ fog / fades disabled\n"),
              std::string::npos);
    EXPECT_FALSE(fog_current_valid);
    EXPECT_EQ(framedump_sprite_state(), nullptr);
    EXPECT_EQ(framedump_text_state(), nullptr);
}

TEST_F(FramedumpScene, ASubstituteArrayIsReadThroughIndexMask) {
    std::vector<uint32_t> words = synth_framedump_poly_words();
    std::vector<uint32_t> dsp(FRAMEDUMP_SUBSTITUTE_WORDS, 0);
    std::copy(words.begin(), words.end(), dsp.begin());
    dsp[5] = 0x55AA55;
    framedump_shown.substitute = dsp.data();
    EXPECT_EQ(framedump_word(0x8005), 0x55AA55u);
    EXPECT_EQ(framedump_word(5), 0x55AA55u);
    framedump_shown.substitute = nullptr;
    dsp[5] = words[5];
    // Drawn in place of the loaded words (none here), which come back afterwards.
    EXPECT_EQ(framedump_draw_words(dsp.data(), nullptr, nullptr), SYNTH_DUMP_OBJECTS);
    EXPECT_EQ(framedump_shown.substitute, nullptr);
    EXPECT_EQ(framedump_draw(nullptr, nullptr), 0);
}

}  // namespace
