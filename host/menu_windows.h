// The menu's state and its drop-downs and list windows, shared by the menu's files.
#pragma once
#include <SDL.h>

struct menu_state {
    bool open;
    int pending_rebind;  // binding 0..8 waiting for a key press, -1 none
    bool restart;
    char toast_text[96];
    int toast_frames;
    int logged_w, logged_h;  // window size last logged
    bool object_list_shown, billboard_list_shown, banner_list_shown;
    int pinned_object;                    // model code, -1 none
    int pinned_billboard, pinned_banner;  // row index, -1 none
    int ending_phase_choice;
    bool display_changed;  // a Display change this frame: the file is saved at the end
    bool save_failed;      // shown as a toast once the menu closes
};
extern menu_state menu;

// Closes the menu (the drop-down actions marked so, and toggle_menu).
void menu_close();
// The settings file written; a failure is remembered for the toast.
void menu_settings_save();

// The drop-downs' contents, drawn inside their open menu (File sets *quit).
void file_menu(SDL_Window* window, bool* quit);
void display_menu(SDL_Window* window, bool* quit);
void audio_menu(SDL_Window* window, bool* quit);
void levels_menu(SDL_Window* window, bool* quit);
void maps_menu(SDL_Window* window, bool* quit);
void controls_menu(SDL_Window* window, bool* quit);
void objects_menu(SDL_Window* window, bool* quit);
void billboards_menu(SDL_Window* window, bool* quit);
void record_menu(SDL_Window* window, bool* quit);
void banners_menu(SDL_Window* window, bool* quit);

// The list windows that are shown; pins of hidden lists are cleared.
void list_windows_draw();

// What a click on a resolution row does: the resolution (0x0: native), widescreen on
// for a mode wider than 1.4 when it was off and the aspect is not stretch, and in
// exclusive mode the window's mode at once.
void resolution_choose(SDL_Window* window, int w, int h);
// The picture-rate arrows: the next (direction 1) or previous (-1) rate of 0, 24, 30, 50,
// 60, 75, 90, 120, 144, 165, 240, wrapping; a rate not in the list counts as 0.
int frame_rate_step(int rate, int direction);
// Aspect names by width / height: "5:4", "4:3", "16:10", "16:9", "21:9".
const char* aspect_name(int w, int h);

constexpr int RECORD_LINES_MAX = 4;
constexpr int RECORD_LINE_SIZE = 520;  // room for the recording's path
// The Record drop-down's lines under its button: while a recording is open its counts
// ("REC  %d frames, %d contact, %d resets"), its path and the hint to stop, else what the
// recorder does. Gives the number of lines.
int record_status_lines(bool recording, char lines[RECORD_LINES_MAX][RECORD_LINE_SIZE]);
