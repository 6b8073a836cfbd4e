#include "host/menu_input.h"

#include "base/env_switch.h"
#include "host/gui_backend.h"
#include "host/menu.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int START_HOLD_FRAMES = 60;
constexpr int CONTROLLER_TOAST_FRAMES = 480;

struct start_hold_state {
    int count;
    bool latched;
};
start_hold_state start_hold;

void click_send(const menu_click& c, bool down) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = c.x;
    e.motion.y = c.y;
    menu_event_filter(&e);
    e = SDL_Event{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = c.x;
    e.button.y = c.y;
    menu_event_filter(&e);
}

}  // namespace

int menu_clicks_parse(const char* text, menu_click out[MENU_CLICKS_MAX]) {
    int n = 0;
    while (text && *text && n < MENU_CLICKS_MAX) {
        menu_click c{};
        if (sscanf(text, "%d:%d,%d", &c.frame, &c.x, &c.y) != 3) break;
        out[n++] = c;
        text = strchr(text, ';');
        if (text) text++;
    }
    return n;
}

void menu_clicks_feed(uint32_t frame) {
    static menu_click clicks[MENU_CLICKS_MAX];
    static const int count = menu_clicks_parse(env_text("SKYVOLTA_MENU_CLICK"), clicks);
    if (count == 0) return;
    gui_input_begin();
    for (int i = 0; i < count; i++) {
        int64_t at = clicks[i].frame;
        if (at == int64_t(frame))
            click_send(clicks[i], true);
        else if (at == int64_t(frame) - 1)
            click_send(clicks[i], false);
    }
}

void menu_start_hold(bool start_held) {
    if (!start_held) {
        start_hold = {};
        return;
    }
    if (++start_hold.count <= START_HOLD_FRAMES - 1 || start_hold.latched) return;
    start_hold.latched = true;
    if (!menu_is_open()) toggle_menu();
    fprintf(stderr, "[HOST] menu open (Start held)\n");
}

void controller_toast_show() {
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
        if (!SDL_IsGameController(i)) continue;
        menu_toast("Menu: R3 (right stick click) or hold Start", CONTROLLER_TOAST_FRAMES);
        return;
    }
}
