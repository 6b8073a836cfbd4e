#include "host/main_loop.h"

// Stand-ins: without the game's frame step there is nothing to loop over yet.
void pacing_init(SDL_Window*) {}

void main_loop(SDL_Window*) {}
