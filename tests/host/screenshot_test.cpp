// PNG screenshots: the file decodes (every chunk's CRC checked) to the window's pixels
// through the mixer's colour table; names never replace a file; a window without pixels
// and a failed write leave nothing behind.
#include "host/screenshot.h"

#include "render/cz_fog.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/png_compare.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SHOT_W = 64, SHOT_H = 48;
constexpr time_t SHOT_TIME = 1700000000;

std::vector<std::string> files_in(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

// The stamp of SHOT_TIME in local time, as the names carry it.
std::string stamp() {
    time_t t = SHOT_TIME;
    struct tm local;
    localtime_r(&t, &local);
    char s[32];
    strftime(s, sizeof s, "%Y%m%d-%H%M%S", &local);
    return s;
}

class Screenshot : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("shot");
        saved_io = screenshot_io;
        screenshot_io.now = [] { return SHOT_TIME; };
        screenshot_io.drawable_size = [](SDL_Window*, int* w, int* h) { *w = SHOT_W, *h = SHOT_H; };
    }
    void TearDown() override {
        screenshot_io = saved_io;
        fog_current_valid = false;
        temp_dir_remove(dir);
    }
    std::string shots() const { return dir + "/shots"; }
    std::string dir;
    screenshot_io_set saved_io;
};

// Four coloured quarters in the back buffer.
void quarters_draw() {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_SCISSOR_TEST);
    const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0.5f}};
    for (int q = 0; q < 4; q++) {
        glScissor((q & 1) * SHOT_W / 2, (q >> 1) * SHOT_H / 2, SHOT_W / 2, SHOT_H / 2);
        glClearColor(colours[q][0], colours[q][1], colours[q][2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glFinish();
}

TEST_F(Screenshot, PngHoldsTheWindowThroughTheColourTable) {
    ASSERT_TRUE(gl_test_window());
    SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, SHOT_W, SHOT_H);
    quarters_draw();
    // The colour table: blue halved.
    fog_current = fog_state{};
    for (int i = 0; i < 256; i++) fog_current.lut[0][i] = fog_current.lut[1][i] = uint8_t(i), fog_current.lut[2][i] = uint8_t(i / 2);
    fog_current.lut_active = 1;
    fog_current_valid = true;

    testing::internal::CaptureStdout();
    const char* path = png_screenshot(gl_engine_window, shots().c_str(), 123);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(path, nullptr);
    std::string want = shots() + "/shot_" + stamp() + "_f000123.png";
    EXPECT_EQ(path, want);
    EXPECT_EQ(out, "[shot] " + want + " (64x48)\n");

    rgb_picture png;
    std::string why;
    ASSERT_TRUE(png_read_rgb(want, &png, &why)) << why;
    ASSERT_EQ(png.width, SHOT_W);
    ASSERT_EQ(png.height, SHOT_H);
    std::vector<uint8_t> back(size_t(SHOT_W) * SHOT_H * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SHOT_W, SHOT_H, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    for (int y = 0; y < SHOT_H; y++)
        for (int x = 0; x < SHOT_W; x++) {
            const uint8_t* b = &back[(size_t(SHOT_H - 1 - y) * SHOT_W + x) * 3];  // bottom row first
            const uint8_t* p = &png.rgb[(size_t(y) * SHOT_W + x) * 3];
            ASSERT_EQ(p[0], b[0]) << x << "," << y;
            ASSERT_EQ(p[1], b[1]) << x << "," << y;
            ASSERT_EQ(p[2], b[2] / 2) << x << "," << y;
        }
    // The picture's top row is the upper quarters (the third and fourth colour).
    EXPECT_EQ(png.rgb[0], 0);
    EXPECT_EQ(png.rgb[2], 127);
}

TEST_F(Screenshot, ShotsOfOneFrameInOneSecondTakeTheNextFreeName) {
    std::vector<uint8_t> rgb(size_t(SHOT_W) * SHOT_H * 3, 0x40);
    testing::internal::CaptureStdout();
    std::string first = screenshot_save(shots().c_str(), 123, SHOT_W, SHOT_H, rgb.data());
    std::string second = screenshot_save(shots().c_str(), 123, SHOT_W, SHOT_H, rgb.data());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, shots() + "/shot_" + stamp() + "_f000123.png");
    EXPECT_EQ(second, shots() + "/shot_" + stamp() + "_f000123_1.png");
}

TEST_F(Screenshot, WhenEveryNameIsTakenNothingIsReplaced) {
    ASSERT_EQ(mkdir(shots().c_str(), 0755), 0);
    std::string base = shots() + "/shot_" + stamp() + "_f000007";
    ASSERT_TRUE(file_write(base + ".png", {1}));
    for (int k = 1; k <= 99; k++) ASSERT_TRUE(file_write(base + "_" + std::to_string(k) + ".png", {1}));
    std::vector<uint8_t> rgb(size_t(SHOT_W) * SHOT_H * 3, 0x40);
    testing::internal::CaptureStderr();
    EXPECT_EQ(screenshot_save(shots().c_str(), 7, SHOT_W, SHOT_H, rgb.data()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[shot] failed to write " + base + "_99.png\n");
    EXPECT_EQ(files_in(shots()).size(), 100u);
    EXPECT_EQ(file_size(base + "_99.png"), 1);
}

TEST_F(Screenshot, AnEmptyDrawableCapturesNothing) {
    screenshot_io.drawable_size = [](SDL_Window*, int* w, int* h) { *w = 0, *h = 0; };
    testing::internal::CaptureStderr();
    EXPECT_EQ(png_screenshot(nullptr, shots().c_str(), 1), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[shot] drawable is 0x0, nothing to capture\n");
    EXPECT_EQ(file_size(shots()), -1);
}

// A file size limit below the PNG's: the write falls short and the file goes.
TEST_F(Screenshot, AFailedWriteLeavesNoFile) {
    std::vector<uint8_t> rgb(size_t(SHOT_W) * SHOT_H * 3);
    for (size_t i = 0; i < rgb.size(); i++) rgb[i] = uint8_t(i * 7919 >> 3);
    ASSERT_EQ(mkdir(shots().c_str(), 0755), 0);
    fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool failed = screenshot_save(shots().c_str(), 9, SHOT_W, SHOT_H, rgb.data()) == nullptr;
        _exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(files_in(shots()).empty());
}

}  // namespace
