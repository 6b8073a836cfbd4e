// Whole runs of the program for its input side: --enctest on a pseudo-terminal,
// --joytest ended by Ctrl-C, the settings file and --set in a headless run, and the
// window mode applied at start-up under Xvfb.
#include "tests/support/synth_rom.h"
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class InputToolsRun : public testing::Test {
protected:
    void SetUp() override { dir = temp_dir_make("inputrun"); }
    void TearDown() override { temp_dir_remove(dir); }
    void settings_file(const std::string& text) {
        ASSERT_TRUE(file_write(dir + "/skyvolta_controls.cfg", std::vector<uint8_t>(text.begin(), text.end())));
    }
    std::string dir;
};

std::string text_of(const std::string& path) {
    std::vector<uint8_t> b = file_read(path);
    return std::string(b.begin(), b.end());
}

// --enctest reading "60" lines as a cadence device would send them, until the status
// line shows them or 30 s pass; then Ctrl-C.
TEST_F(InputToolsRun, EnctestShowsTheCadenceOfAPty) {
    int master = -1, slave = -1;
    char path[128];
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    std::string out_path = dir + "/out.txt";
    std::string enc = std::string("enc_source=serial,enc_serial=") + path + ",enc_serial_proto=rpm";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || chdir(dir.c_str()) != 0) _exit(126);
        dup2(fd, 1);
        dup2(fd, 2);
        close(master);
        close(slave);
        setenv("SKYVOLTA_ENC", enc.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("DISPLAY");
        execl(skyvolta_exe.c_str(), "skyvolta", "--enctest", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    const std::string status = "rpm=  60.0 level= 76/127";
    for (int i = 0; i < 600 && text_of(out_path).find(status) == std::string::npos; i++) {
        EXPECT_EQ(write(master, "60\n", 3), 3);
        usleep(50000);
    }
    kill(child, SIGINT);
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    close(master);
    std::string out = text_of(out_path);
    ASSERT_TRUE(WIFEXITED(wstatus)) << out;
    EXPECT_EQ(WEXITSTATUS(wstatus), 0) << out;
    expect_lines_in_order(out, {"  [ENC] external pedal: serial / rpm, 96 counts/rev, 100 rpm = full\n",
                                std::string("\nexternal pedal source: serial (rpm on ") + path + ")",
                                "\nserial ports:\n", "\njoysticks: 0\n", "\nCtrl-C to stop.",
                                std::string("  [ENC] serial ") + path + " open, 115200 baud, rpm\n",
                                "\n  [LINE] 60\n", "  [ENC] first RPM line received\n", status});
}

TEST_F(InputToolsRun, JoytestEndsOnCtrlC) {
    std::string out;
    EXPECT_EQ(run_in(dir, headless_env + "timeout --preserve-status -s INT 2 " + skyvolta_exe + " --joytest", &out), 0)
        << out;
    EXPECT_NE(out.find(" device(s). Move every axis and press every button; Ctrl-C to stop.\n"), std::string::npos)
        << out;
}

TEST_F(InputToolsRun, HeadlessRunTakesTheFileAndSetAndLogsTheInputs) {
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/extracted").c_str()));
    settings_file("Pedal=57\nfreeplay=1\nthis is not a setting\n");
    std::string out;
    ASSERT_EQ(run_in(dir,
                     headless_env + "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_SNDCMDLOG=inputs.log " + skyvolta_exe +
                         " --screenshot s.ppm 6 --set 'Steer left = 4'",
                     &out),
              0)
        << out;
    expect_lines_in_order(out, {"[SETTINGS] skyvolta_controls.cfg: 1 lines that are neither comments nor key=value "
                                "were ignored\n",
                                "[SET] Steer left = 4 (command line, this run only)\n",
                                "Game init complete, entering main loop\n"});
    EXPECT_EQ(out.find("free play (skyvolta_controls.cfg)"), std::string::npos) << "headless runs keep coins";
    std::string log = text_of(dir + "/inputs.log");
    std::string expected;
    for (int f = 0; f < 6; f++) expected += std::to_string(f) + " 0000 0000 01FF 01FF 01FF 01FF 0000\n";
    EXPECT_EQ(log, expected);
    EXPECT_EQ(text_of(dir + "/skyvolta_controls.cfg"), "Pedal=57\nfreeplay=1\nthis is not a setting\n");
}

TEST_F(InputToolsRun, WindowModeIsAppliedAtStartUnderXvfb) {
    if (system("command -v xvfb-run > /dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/extracted").c_str()));
    // The window's size follows the X server a moment later (no window manager here),
    // so only the mode and the resolution are certain when the line is written.
    const struct {
        const char* file;
        const char* line;
    } cases[] = {
        {"window_mode=1\n", "[DISPLAY] mode 1 want 0x0 -> window "},
        {"window_mode=2\nresolution=800x600\n", "[DISPLAY] mode 2 want 1024x768 -> window "},  // the closest mode
        {"frame_rate=30\n", "[HOST] pictures: locked at 30 pictures/s (game 59.906 Hz)\n"},
    };
    for (const auto& c : cases) {
        settings_file(c.file);
        std::string out;
        ASSERT_EQ(run_in(dir,
                         "xvfb-run -a -s '-screen 0 1024x768x24' env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "
                         "ENG_DISPLAY_HZ=60 SKYVOLTA_VSYNC=0 SKYVOLTA_EXIT_AT=3 SKYVOLTA_NO_3D=1 " +
                             skyvolta_exe + " --noaudio",
                         &out),
                  0)
            << out;
        size_t at = out.find("[DISPLAY]");
        EXPECT_NE(out.find(c.line), std::string::npos)
            << c.file << (at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at));
    }
}

}  // namespace
