// The settings and debug menu drawn over the game: a menu bar of drop-downs that change
// and save the settings, press the test and service switches, jump to levels and endings,
// open the free-look course map, start and stop flight recordings, and open the list
// windows of what is on screen; while closed, a one-line toast at the bottom of the window.
#pragma once
#include <SDL.h>

// The GUI context and font, the list rows' colours, the default bindings, the settings
// file and ENG_SET, then SKYVOLTA_MENU_OPEN, the display mode and SKYVOLTA_FULLSCREEN.
void menu_init(SDL_Window* window);

// True while the menu is shown and takes all input.
bool menu_is_open();
// Opens or closes the menu; closing cancels a pending rebind. Relative mouse mode off.
void toggle_menu();
// Cancels a binding waiting for its key: true when one was waiting.
bool take_pending_rebind();

// One SDL event while the menu is open: a key press for a waiting binding becomes that
// binding (Escape keeps the old one and ends the wait), every other event goes to the
// GUI. True for every event while the menu is open; false when it is closed.
bool menu_event_filter(const SDL_Event* event);

// Once per iteration after the picture is presented: the toast while the menu is closed,
// the menu bar and the list windows while it is open. Sets *quit for File > Exit and
// File > Restart.
void menu_draw(SDL_Window* window, bool* quit);

// A short message over the picture for the given number of frames (null: none).
void menu_toast(const char* text, int frames);

// True when the menu asked for the program to be started again.
bool restart_requested();
