// The main loop and its pacing at 59.906 Hz.
#pragma once
#include <SDL.h>

// Vsync or timer pacing for the window's display (not headless).
void pacing_init(SDL_Window* window);

// Runs iterations while run_flag is set.
void main_loop(SDL_Window* window);
