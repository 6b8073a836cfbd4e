// The trace directory written by the frame step.
#include "board/board_memory.h"
#include "board/scores_file.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "host/trace.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string text_of(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void frames(int n) {
    for (int i = 0; i < n; i++) {
        frame_due = 1;
        game_frame();
        host_frame++;
    }
}

class TraceTest : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        scores_path_set(nullptr);
        game_init();
        dir = temp_dir_make("trace") + "/T";
    }
    void TearDown() override {
        trace_close();
        temp_dir_remove(dir.substr(0, dir.size() - 2));
    }
    std::string dir;
};

TEST_F(TraceTest, WritesImagesIndexAndMetaUpToTheMaximum) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(trace_open(dir.c_str(), 5));
    EXPECT_TRUE(trace_active());
    frames(8);
    trace_close();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[TRACE] L3 trace -> " + dir + " (max fc 5)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[TRACE] 5 frames dumped to " + dir + "\n"), std::string::npos) << out;
    EXPECT_EQ(text_of(dir + "/meta.json"),
              "{\"side\": \"reimpl\", \"wram_size\": 262144, \"dsp_size\": 131072, \"dsp_word_order\": \"le\", "
              "\"anchor\": \"wram_0x0C98_increment\"}\n");
    std::string index;
    for (int fc = 1; fc <= 5; fc++) {
        char name[32];
        snprintf(name, sizeof name, "/f%06d.bin", fc);
        EXPECT_EQ(file_size(dir + name), 393216) << name;
        index += "{\"fc\": " + std::to_string(fc) + ", \"host\": " + std::to_string(fc - 1) +
                 ", \"state\": " + (fc == 1 ? "0" : "1") + ", \"sub\": 0, \"file\": \"" + std::string(name + 1) + "\"}\n";
    }
    EXPECT_EQ(file_size(dir + "/f000006.bin"), -1);
    EXPECT_EQ(text_of(dir + "/frames.jsonl"), index);
    // The image is the byte image as the bus sees it, then DSP RAM.
    std::vector<uint8_t> f5 = file_read(dir + "/f000005.bin");
    ASSERT_EQ(f5.size(), 393216u);
    EXPECT_EQ(f5[0x0C98 + 3], 5);
    EXPECT_FALSE(trace_active());
}

TEST_F(TraceTest, ExistingDirectoryReusedAndFailuresReported) {
    ASSERT_TRUE(trace_open(dir.c_str(), 0));
    frames(2);
    trace_close();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(trace_open(dir.c_str(), 0));  // reused: the index starts again
    frames(1);
    trace_close();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(file_size(dir + "/f000002.bin"), 393216);  // a stale image stays
    EXPECT_EQ(text_of(dir + "/frames.jsonl").find("\"fc\": 1,"), std::string::npos);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(trace_open((dir + "/missing/deeper").c_str(), 0));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[TRACE] cannot create " + dir + "/missing/deeper: No such file or directory\n"),
              std::string::npos)
        << err;
    EXPECT_FALSE(trace_active());
}

}  // namespace
