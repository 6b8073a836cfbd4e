// Game initialisation in the board's boot order.
#pragma once

void game_init();
