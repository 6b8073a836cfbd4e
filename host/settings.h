// The player's settings and controls file, skyvolta_controls.cfg in the working
// directory: nine key bindings, volume, free play, the display settings, the raw
// joystick mapping and the pedal encoder. Every source of a setting (the file, the
// --set overrides in ENG_SET, the menu) goes through apply_setting.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr const char* SETTINGS_FILE = "skyvolta_controls.cfg";
constexpr const char* SETTINGS_TEMP_FILE = "skyvolta_controls.cfg.tmp";
constexpr const char* SETTINGS_BACKUP_FILE = "skyvolta_controls.cfg.bak";

// The board's controls, in the file's order; the names are the file's keys.
enum control_index {
    CONTROL_COIN,
    CONTROL_START,
    CONTROL_SERVICE,
    CONTROL_TEST,
    CONTROL_STEER_LEFT,
    CONTROL_STEER_RIGHT,
    CONTROL_LEAN_UP,
    CONTROL_LEAN_DOWN,
    CONTROL_PEDAL,
    CONTROL_COUNT
};

// SDL scancodes of the nine controls, each 0..SDL_NUM_SCANCODES-1: a value outside them
// keeps the control's default with one message.
extern int key_bindings[CONTROL_COUNT];
const char* control_name(int index);
void default_bindings();

struct host_settings_state {
    int freeplay_override;         // -1 no choice made, 0 coins required, 1 free play
    int widescreen;                // picture at the window's own aspect
    int wide_hud;                  // HUD spread over the wide picture
    int aspect;                    // row of the aspect table 0..3
    int window_mode;               // 0 windowed, 1 desktop fullscreen, 2 exclusive
    int resolution_w, resolution_h;  // internal render size, 0x0 = the target's own
    int frame_rate;                // pictures per second asked of the main loop, 0 auto
    int display_settings_changed;  // a display key was applied
};
extern host_settings_state host_settings;

// Picture rates frame_rate accepts; any other value becomes 0.
bool frame_rate_accepted(int rate);

// One key=value pair; the value may still carry the line's newline.
void apply_setting(const char* key, const char* value);

// ENG_SET: newline-separated pairs, split at the first '=', blanks trimmed, each
// announced on stderr as a command-line override.
void apply_env_overrides();

// Reads the file (lines of at most 255 characters, split at the last '='), then
// ENG_SET. False when the file cannot be opened or is no regular file (said in one
// line; ENG_SET is applied all the same).
// Lines that are neither comments nor key=value are counted and reported once.
bool load_settings_file();

// Writes the whole file through a temporary file, fsync and rename; a file whose last
// load found damaged lines is first kept as skyvolta_controls.cfg.bak. False, with one
// "[SETTINGS]" line, when any step fails; the old file then stays as it was.
bool save_settings_file();

// Test seam: the rename that puts the new file in place.
extern int (*settings_rename)(const char* from, const char* to);
