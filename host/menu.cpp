#include "host/menu.h"

// Stand-ins until the menu and its settings file exist.
void menu_init(SDL_Window*) {}

void menu_toast(const char*, int) {}

bool restart_requested() {
    return false;
}
