// The command line: --set/--fullscreen overrides (into ENG_SET) and the options.
#pragma once
#include <cstdint>

// An offline layer test: frame-dump directory, frame number, output picture.
struct layer_test {
    const char* dir = nullptr;
    int frame = 0;
    const char* out = nullptr;
};

struct command_line {
    const char* rom_dir = "extracted";
    bool no_audio = false;
    bool screenshot = false;
    const char* screenshot_path = "screenshot.ppm";
    int screenshot_frame = 10;
    long model = 0;                 // model-viewer code, 0 none
    const char* trace_dir = nullptr;
    uint32_t trace_max = UINT32_MAX;
    const char* framedump_path = nullptr;
    layer_test sprtest;
    layer_test texttest;
    const char* geodump_out = nullptr;
    int geotest_model = -1;
    int autostart_course = -1;
    bool joytest = false;           // --joytest and --enctest end parsing at once
    bool enctest = false;
};

// Takes every "--set KEY=VALUE", "--set=KEY=VALUE" and "--fullscreen" out of argv
// (updating *argc) and appends their lines to ENG_SET, after any inherited value.
void set_overrides_collect(int* argc, char** argv);

// Reads the options left to right (argv[0] is the program); sets SKYVOLTA_LEVEL for --level.
void options_parse(int argc, char** argv, command_line* cl);

// True when an offline tool was asked for (each makes the run headless).
bool options_offline_tool(const command_line* cl);
