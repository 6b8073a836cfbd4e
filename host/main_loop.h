// The main loop: one paced game frame per iteration, with input, sound and drawing.
#pragma once
#include <SDL.h>
#include <cstdint>

struct command_line;

// Vsync or timer pacing for the window's display (not headless): display rate from the
// display mode or ENG_DISPLAY_HZ, SKYVOLTA_VSYNC, ENG_FPSLOG, ENG_VSYNC_CHECK, ENG_FPS;
// prints "[HOST] display %d Hz, %s".
void pacing_init(SDL_Window* window);

// Runs iterations while run_flag is set; a headless run ends at the screenshot frame.
// False when that run's screenshot could not be written.
bool main_loop(SDL_Window* window, const command_line* cl);

// One pump of SDL events (windowed runs): quit, hot-plug, the controller's right-stick
// click (menu) and Start (pause), Escape, Backspace and F12 past the menu, every other
// event to the menu while it is open, then the loop's keys.
void events_poll();

// Flips `paused` (source "P" or "Start") and prints the [POS] report.
void pause_toggle(const char* source);
void pause_report();

// One game frame step as the loop runs it (unless paused): the host's per-frame sprite
// call and block-draw lists cleared, then `game_frame`.
void frame_game_step();
// The 3D scene with the sprite and text layers, or the 2D fallback and fade when the
// renderer did not take this frame's 2D input.
void frame_scene_draw();
// A frame's picture, headless or windowed: cleared to the mixer's background colour,
// then the scene.
void frame_picture_draw();

// Step 4 of an iteration with the keyboard state and the step time: the map view's
// keys, or the free camera (W/S z, D/A x, Q/E y, 100 units a frame, 1000 with the left
// Shift). Nothing with the menu open.
void keyboard_camera_step(const uint8_t* keys, double dt, bool menu_open);

// Seconds the game steps and the frame renders took over the run (SKYVOLTA_PERF).
void loop_seconds(double* game, double* render);
