// The settings and debug menu drawn over the game.
#pragma once
#include <SDL.h>

// Style, default bindings, the settings file, then the ENG_SET lines.
void menu_init(SDL_Window* window);

// True while the menu is shown and takes all input.
bool menu_is_open();

// A short message over the picture for the given number of frames.
void menu_toast(const char* text, int frames);

// True when the menu asked for the program to be started again.
bool restart_requested();
