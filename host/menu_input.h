// The main loop's ways into the menu besides the event pump: the headless runs'
// scripted clicks (SKYVOLTA_MENU_CLICK) and a controller's Start held to open it.
#pragma once
#include <cstdint>

struct menu_click {
    int frame, x, y;
};
constexpr int MENU_CLICKS_MAX = 8;

// Up to 8 entries "frame:x,y" separated by ';'; stops at the first malformed entry.
// Gives the count.
int menu_clicks_parse(const char* text, menu_click out[MENU_CLICKS_MAX]);

// Headless, every iteration: the GUI's input frame with, for each click of
// SKYVOLTA_MENU_CLICK (read once) on this frame or the one before, the mouse moved to
// it and the left button pressed (its frame) or released (the frame after).
void menu_clicks_feed(uint32_t frame);

// Windowed, while the menu is closed: Start held on a controller for 60 frames opens
// the menu once ("[HOST] menu open (Start held)"); letting go re-arms it.
void menu_start_hold(bool start_held);

// Start-up, windowed, once the controllers are open: when any joystick is a game
// controller, the toast "Menu: R3 (right stick click) or hold Start" for 480 frames.
void controller_toast_show();
