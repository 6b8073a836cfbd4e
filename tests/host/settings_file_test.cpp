// The settings and controls file: reading rules, value rules, ENG_SET, and saves that
// never lose the user's file.
#include "board/board_memory.h"
#include "board/bus.h"
#include "host/encoder.h"
#include "host/pads.h"
#include "host/settings.h"
#include "render/renderer_switches.h"
#include "sound/audio_output.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The globals as the program starts (constant-initialised, so copied before any test).
const host_settings_state initial_settings = host_settings;
const joy_mapping initial_joy_map = joy_map;
const encoder_settings initial_encoder = encoder_config;

// Everything a settings line can change.
struct snapshot {
    int bindings[CONTROL_COUNT];
    float volume;
    host_settings_state s;
    int hud_centre;
    joy_mapping joy;
    std::string enc_serial;
    int enc_source;

    static snapshot take() {
        snapshot x;
        memcpy(x.bindings, key_bindings, sizeof x.bindings);
        x.volume = master_volume_get();
        x.s = host_settings;
        x.hud_centre = renderer_switches.hud_centre;
        x.joy = joy_map;
        x.enc_serial = encoder_config.serial;
        x.enc_source = encoder_config.source;
        return x;
    }
};

void expect_same(const snapshot& a, const snapshot& b, const char* what) {
    for (int i = 0; i < CONTROL_COUNT; i++) EXPECT_EQ(a.bindings[i], b.bindings[i]) << what << ": " << control_name(i);
    EXPECT_FLOAT_EQ(a.volume, b.volume) << what;
    EXPECT_EQ(0, memcmp(&a.s, &b.s, sizeof a.s)) << what << ": host_settings differ";
    EXPECT_EQ(a.hud_centre, b.hud_centre) << what;
    const joy_axis_mapping* axes_a[] = {&a.joy.steer, &a.joy.lean, &a.joy.pedal};
    const joy_axis_mapping* axes_b[] = {&b.joy.steer, &b.joy.lean, &b.joy.pedal};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(axes_a[i]->axis, axes_b[i]->axis) << what << ": joy axis " << i;
        EXPECT_EQ(axes_a[i]->invert, axes_b[i]->invert) << what << ": joy axis " << i;
        EXPECT_EQ(axes_a[i]->half, axes_b[i]->half) << what << ": joy axis " << i;
    }
    EXPECT_EQ(a.joy.coin, b.joy.coin) << what;
    EXPECT_EQ(a.joy.start, b.joy.start) << what;
    EXPECT_EQ(a.joy.service, b.joy.service) << what;
    EXPECT_EQ(a.joy.test, b.joy.test) << what;
    EXPECT_EQ(a.enc_serial, b.enc_serial) << what;
    EXPECT_EQ(a.enc_source, b.enc_source) << what;
}

std::string text_of(const std::string& path) {
    std::vector<uint8_t> b = file_read(path);
    return std::string(b.begin(), b.end());
}

class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("settings");
        ASSERT_FALSE(dir.empty());
        ASSERT_EQ(getcwd(old_cwd, sizeof old_cwd), old_cwd);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        reset();
    }
    // The program's start: defaults everywhere, no settings file, no ENG_SET.
    static void reset() {
        unsetenv("ENG_SET");
        std::remove(SETTINGS_FILE);
        forget();
    }
    // The settings in memory back to the defaults; the file stays.
    static void forget() {
        host_settings = initial_settings;
        joy_map = initial_joy_map;
        encoder_config = initial_encoder;
        renderer_switches.hud_centre = 0;
        master_volume_set(1.0f);
        default_bindings();
        board_memory_clear();
    }
    void TearDown() override {
        unsetenv("ENG_SET");
        EXPECT_EQ(chdir(old_cwd), 0);
        temp_dir_remove(dir);
    }
    void write(const std::string& text) {
        ASSERT_TRUE(file_write(SETTINGS_FILE, std::vector<uint8_t>(text.begin(), text.end())));
    }
    std::string dir;
    char old_cwd[4096];
};

const char* const default_file =
    "# Sky Volta control bindings (SDL scancodes)\n"
    "Insert coin=34\nStart=40\nService=38\nTest=59\nSteer left=80\nSteer right=79\nLean up=82\nLean down=81\n"
    "Pedal=44\n"
    "volume=100\nfreeplay=0\n"
    "widescreen=0\nwide_hud=1\naspect=1\nwindow_mode=0\nresolution=0x0\nframe_rate=0\n"
    "# raw joysticks (wheels/sticks SDL does not know as a gamepad): axis[ invert][ half], -1 = off; see --joytest\n"
    "joy_steer=0\njoy_lean=1\njoy_pedal=-1\njoy_coin=-1\njoy_start=-1\njoy_service=-1\njoy_test=-1\n"
    "# external pedal: a rotary encoder / exercise bike (see --enctest)\n"
    "# enc_source: none | joy_buttons (A/B on two buttons) | joy_axis (a wrapping counter axis) | serial\n"
    "enc_source=none\n"
    "enc_joy_a=-1\nenc_joy_b=-1\nenc_joy_axis=-1\nenc_axis_bits=16\n"
    "enc_invert=0\n"
    "# decoded counts per crank turn (A/B x4 counts) -- turn the crank once under --enctest and read it off\n"
    "enc_counts_per_rev=96\n"
    "# the cadence that counts as flat out\nenc_full_rpm=100\n"
    "# enc_serial_proto: peloton (we poll the bike, 19200) | peloton_sniff (listen only) | ticks | rpm\n"
    "enc_serial=\nenc_serial_proto=peloton\nenc_serial_baud=0\n";

struct load_case {
    const char* what;
    const char* file;     // null: no file
    const char* eng_set;  // null: unset
    std::function<void(snapshot&)> change;  // what differs from the defaults afterwards
    const char* saved_line;  // a line the next save writes, or null
};

TEST_F(SettingsFile, ValueAndReadingRules) {
    const load_case cases[] = {
        {"one binding", "Pedal=57\n", nullptr, [](snapshot& x) { x.bindings[CONTROL_PEDAL] = 57; }, "Pedal=57\n"},
        {"missing file", nullptr, nullptr, [](snapshot&) {}, nullptr},
        {"blanks around '=' in the file", "Insert coin=10\nInsert coin = 34\n", nullptr,
         [](snapshot& x) { x.bindings[CONTROL_COIN] = 10; }, nullptr},
        {"blanks around '=' in ENG_SET", "Insert coin=10\n", "Insert coin = 34",
         [](snapshot& x) { x.bindings[CONTROL_COIN] = 34; }, nullptr},
        {"the file splits at the last '='", "enc_serial=/dev/tty=x\n", nullptr, [](snapshot&) {}, nullptr},
        {"ENG_SET splits at the first '='", nullptr, " enc_serial = /dev/tty=x \r",
         [](snapshot& x) { x.enc_serial = "/dev/tty=x"; }, "enc_serial=/dev/tty=x\n"},
        {"volume above 100", "volume=150\n", nullptr, [](snapshot&) {}, "volume=100\n"},
        {"volume below 0", "volume=-5\n", nullptr, [](snapshot& x) { x.volume = 0; }, "volume=0\n"},
        {"frame_rate not offered", "frame_rate=144\nframe_rate=100\n", nullptr, [](snapshot&) {}, "frame_rate=0\n"},
        {"frame_rate offered", "frame_rate=144\n", nullptr, [](snapshot& x) { x.s.frame_rate = 144; },
         "frame_rate=144\n"},
        {"resolution too small", "resolution=300x200\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution too short", "resolution=1920x200\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution too narrow", "resolution=300x1080\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution one short of 240", "resolution=320x239\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution one short of 320", "resolution=319x240\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution 320x240", "resolution=320x240\n", nullptr,
         [](snapshot& x) {
             x.s.resolution_w = 320, x.s.resolution_h = 240;
             x.s.display_settings_changed = 1;
         },
         "resolution=320x240\n"},
        {"resolution past an int", "resolution=99999999999x1080\nresolution=1920x\nresolution=x1080\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, nullptr},
        {"resolution 0x0", "resolution=1920x1080\nresolution=0x0\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, "resolution=0x0\n"},
        {"resolution 1920x1080", "resolution=1920x1080\n", nullptr,
         [](snapshot& x) {
             x.s.resolution_w = 1920, x.s.resolution_h = 1080;
             x.s.display_settings_changed = 1;
         },
         "resolution=1920x1080\n"},
        {"aspect 4 is widescreen", "aspect=2\naspect=4\n", nullptr,
         [](snapshot& x) {
             x.s.aspect = 2, x.s.widescreen = 1;
             x.s.display_settings_changed = 1;
         },
         "widescreen=1\n"},
        {"fullscreen keeps exclusive", "window_mode=2\nfullscreen=1\n", nullptr,
         [](snapshot& x) {
             x.s.window_mode = 2;
             x.s.display_settings_changed = 1;
         },
         "window_mode=2\n"},
        {"fullscreen from windowed", "fullscreen=1\n", nullptr,
         [](snapshot& x) {
             x.s.window_mode = 1;
             x.s.display_settings_changed = 1;
         },
         "window_mode=1\n"},
        {"window_mode refuses negatives", "window_mode=-1\n", nullptr,
         [](snapshot& x) { x.s.display_settings_changed = 1; }, nullptr},
        {"wide_hud off centres the HUD", "wide_hud=0\n", nullptr,
         [](snapshot& x) {
             x.s.wide_hud = 0, x.hud_centre = 1;
             x.s.display_settings_changed = 1;
         },
         "wide_hud=0\n"},
        {"free play", "freeplay=7\n", nullptr, [](snapshot& x) { x.s.freeplay_override = 1; }, nullptr},
        {"joystick axes and buttons", "joy_pedal=2 invert half\njoy_test=5\n", nullptr,
         [](snapshot& x) {
             x.joy.pedal = {2, true, true};
             x.joy.test = 5;
         },
         "joy_pedal=2 invert half\n"},
        {"unknown keys and comments", "# Pedal=1\nnothing=3\nPEDAL=9\n", nullptr, [](snapshot&) {}, nullptr},
    };
    for (const load_case& c : cases) {
        reset();
        if (c.file) write(c.file);
        if (c.eng_set) setenv("ENG_SET", c.eng_set, 1);
        snapshot want = snapshot::take();
        c.change(want);
        testing::internal::CaptureStderr();
        EXPECT_EQ(load_settings_file(), c.file != nullptr) << c.what;
        std::string err = testing::internal::GetCapturedStderr();
        expect_same(snapshot::take(), want, c.what);
        EXPECT_EQ(err.find("[SETTINGS]"), std::string::npos) << c.what << ": " << err;
        if (c.saved_line) {
            ASSERT_TRUE(save_settings_file()) << c.what;
            EXPECT_NE(text_of(SETTINGS_FILE).find(c.saved_line), std::string::npos) << c.what;
        }
    }
}

TEST_F(SettingsFile, EngSetLinesAreAnnounced) {
    setenv("ENG_SET", "Pedal=57\n\t  \nno_equals\n=5\nfullscreen = 1", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SET] Pedal = 57 (command line, this run only)\n"
              "[SET] fullscreen = 1 (command line, this run only)\n");
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], 57);
    EXPECT_EQ(host_settings.window_mode, 1);
}

TEST_F(SettingsFile, DefaultsSaveAsTheirTextAndReadBack) {
    ASSERT_TRUE(save_settings_file());
    EXPECT_EQ(text_of(SETTINGS_FILE), default_file);
    EXPECT_EQ(file_size(SETTINGS_TEMP_FILE), -1);

    // Every kind of setting changed, saved, forgotten and read back.
    key_bindings[CONTROL_STEER_LEFT] = 4;
    master_volume_set(0.423f);
    bus_write16(0xE03FF4, 1);
    for (const char* line : {"widescreen=1", "wide_hud=0", "aspect=3", "window_mode=2", "resolution=1280x720",
                             "frame_rate=75", "joy_steer=3 invert", "joy_coin=2", "enc_source=serial",
                             "enc_serial=/dev/ttyACM0", "enc_serial_proto=rpm", "enc_counts_per_rev=24.5",
                             "enc_axis_bits=12", "freeplay=1"}) {
        std::string l = line;
        size_t eq = l.find('=');
        apply_setting(l.substr(0, eq).c_str(), l.substr(eq + 1).c_str());
    }
    snapshot saved = snapshot::take();
    double counts = encoder_config.counts_per_rev;
    int bits = encoder_config.axis_bits, proto = encoder_config.serial_proto;
    ASSERT_TRUE(save_settings_file());

    forget();
    ASSERT_TRUE(load_settings_file());
    saved.volume = 0.42f;  // whole percent
    saved.s.display_settings_changed = 1;
    expect_same(snapshot::take(), saved, "read back");
    EXPECT_EQ(encoder_config.counts_per_rev, counts);
    EXPECT_EQ(encoder_config.axis_bits, bits);
    EXPECT_EQ(encoder_config.serial_proto, proto);
}

// The free-play line is the game's own word at the time of saving.
TEST_F(SettingsFile, FreePlayIsTheGamesWord) {
    host_settings.freeplay_override = 1;
    ASSERT_TRUE(save_settings_file());
    EXPECT_NE(text_of(SETTINGS_FILE).find("\nfreeplay=0\n"), std::string::npos);
    bus_write16(0xE03FF4, 0x100);
    ASSERT_TRUE(save_settings_file());
    EXPECT_NE(text_of(SETTINGS_FILE).find("\nfreeplay=1\n"), std::string::npos);
}

TEST_F(SettingsFile, KillBeforeRenameKeepsTheOldFile) {
    write("Pedal=57\n");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        settings_rename = [](const char*, const char*) {
            raise(SIGKILL);
            return -1;
        };
        key_bindings[CONTROL_PEDAL] = 12;
        save_settings_file();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(text_of(SETTINGS_FILE), "Pedal=57\n");
    EXPECT_NE(text_of(SETTINGS_TEMP_FILE).find("Pedal=12\n"), std::string::npos);  // written whole, never renamed
}

TEST_F(SettingsFile, FailedSavesSayWhyAndKeepTheOldFile) {
    write("Pedal=57\n");
    // The temporary file cannot be created.
    ASSERT_EQ(mkdir(SETTINGS_TEMP_FILE, 0755), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(save_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SETTINGS] cannot write skyvolta_controls.cfg: Is a directory\n");
    EXPECT_EQ(text_of(SETTINGS_FILE), "Pedal=57\n");
    ASSERT_EQ(rmdir(SETTINGS_TEMP_FILE), 0);

    // The rename fails: the temporary file goes, the old one stays.
    settings_rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    testing::internal::CaptureStderr();
    EXPECT_FALSE(save_settings_file());
    settings_rename = rename;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("[SETTINGS] cannot write skyvolta_controls.cfg: ") + strerror(EXDEV) + "\n");
    EXPECT_EQ(text_of(SETTINGS_FILE), "Pedal=57\n");
    EXPECT_EQ(file_size(SETTINGS_TEMP_FILE), -1);
}

// A binary file with a 1 MB line: read in 255-character pieces, the damaged ones
// counted once, the good line still taken; the save keeps the damaged file as .bak.
TEST_F(SettingsFile, DamagedFileLoadsAndIsKeptAsBackup) {
    std::vector<uint8_t> bytes;
    uint32_t seed = 12345;
    for (int i = 0; i < 1 << 20; i++) {
        seed = seed * 1103515245u + 12345u;
        uint8_t b = uint8_t(seed >> 16);
        bytes.push_back(b == '\n' || b == '=' || b == '#' ? 'x' : b);  // one endless line, no key=value in it
    }
    for (char c : std::string("\nPedal=57\n\x01\x02junk\n")) bytes.push_back(uint8_t(c));
    ASSERT_TRUE(file_write(SETTINGS_FILE, bytes));

    testing::internal::CaptureStderr();
    EXPECT_TRUE(load_settings_file());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], 57);
    const int pieces = ((1 << 20) + 1 + 254) / 255;  // the long line and its newline
    EXPECT_EQ(err, "[SETTINGS] skyvolta_controls.cfg: " + std::to_string(pieces + 1) +
                       " lines that are neither comments nor key=value were ignored\n");

    testing::internal::CaptureStderr();
    ASSERT_TRUE(save_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SETTINGS] the old skyvolta_controls.cfg is kept as skyvolta_controls.cfg.bak\n");
    EXPECT_EQ(file_read(SETTINGS_BACKUP_FILE), bytes);
    EXPECT_NE(text_of(SETTINGS_FILE).find("Pedal=57\n"), std::string::npos);

    // Once replaced, later saves leave the backup alone.
    std::remove(SETTINGS_BACKUP_FILE);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(save_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(file_size(SETTINGS_BACKUP_FILE), -1);
}

// A binding that names no key would leave the control unreachable (no way to start a
// game): it keeps its default, said once with the file's line; good neighbours still load.
TEST_F(SettingsFile, ABindingThatNamesNoKeyKeepsItsDefault) {
    write("# bindings\nStart=99999\nInsert coin=99999999999999999999999\n\nTest=-1\nService=512\r\n"
          "Pedal=511\nLean up=0\nvolume=99999999999999999999999\n");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(load_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SETTINGS] line 2: Start=99999 is not a key; the default stays\n"
              "[SETTINGS] line 3: Insert coin=99999999999999999999999 is not a key; the default stays\n"
              "[SETTINGS] line 5: Test=-1 is not a key; the default stays\n"
              "[SETTINGS] line 6: Service=512 is not a key; the default stays\n");
    const int defaults[CONTROL_COUNT] = {34, 40, 38, 59, 80, 79, 82, 81, 44};
    for (int i : {CONTROL_START, CONTROL_COIN, CONTROL_TEST, CONTROL_SERVICE}) EXPECT_EQ(key_bindings[i], defaults[i]) << i;
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], 511) << "the last scancode is a key";
    EXPECT_EQ(key_bindings[CONTROL_LEAN_UP], 0);

    // An earlier good line does not survive a bad one for the same control, and the
    // command line's overrides are held to the same rule.
    reset();
    write("Start=41\nStart=70000\n");
    setenv("ENG_SET", "Pedal=99999", 1);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(load_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SETTINGS] line 2: Start=70000 is not a key; the default stays\n"
              "[SET] Pedal = 99999 (command line, this run only)\n"
              "[SET] Pedal=99999 is not a key; the default stays\n");
    EXPECT_EQ(key_bindings[CONTROL_START], defaults[CONTROL_START]);
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], defaults[CONTROL_PEDAL]);
}

// A folder where the file should be is no settings file: said at load, not taken for one.
TEST_F(SettingsFile, AFolderInThePlaceOfTheFileIsReportedAtLoad) {
    ASSERT_EQ(mkdir(SETTINGS_FILE, 0755), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[SETTINGS] skyvolta_controls.cfg is not a file -- the defaults stay\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(save_settings_file());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[SETTINGS] cannot write skyvolta_controls.cfg: Is a directory\n");
    rmdir(SETTINGS_FILE);
}

}  // namespace
