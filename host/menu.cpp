#include "host/menu.h"

#include "host/display_settings.h"
#include "host/settings.h"

// Until the menu is built, its start-up is only the settings: the default bindings,
// the settings file and ENG_SET, and the window put into the chosen display mode when
// a display key was applied to a shown window (headless runs use a hidden one).
void menu_init(SDL_Window* window) {
    default_bindings();
    load_settings_file();
    if (host_settings.display_settings_changed && window && !(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN))
        apply_window_mode(window);
}

// Stand-ins until the menu exists: it never opens.
bool menu_is_open() {
    return false;
}

void menu_toast(const char*, int) {}

bool restart_requested() {
    return false;
}
