// The race HUD: the race time, the score count, the course arrow with the wrong-way sign
// and side hints, the hint messages, the panel blocks, the remaining-balloon blink and
// the course map the player may call up; the course set-up's tile blocks; and the pieces
// the pre-race sweep draws. Work-RAM words in hud_ram.h.
#pragma once
#include <cstdint>

// 0x00E016: one race frame of the HUD (gameplay tick, countdown, fly-in, attract demo).
void hud_update();
// Course set-up: the messages' showings and tiles; the panel's tile blocks; the map's
// showings and prompt time.
void hud_messages_setup();
void hud_panel_setup();
void hud_timer_init();

// Pre-race sweep: the map digits, the title models and the header link.
void hud_sweep_map_digits();
void hud_sweep_title_models();
void hud_sweep_header(int32_t flag);
