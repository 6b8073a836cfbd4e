// The game's number drawers: rolling 3D score digits, the HUD's digit models, the lamp
// and score sprites and the race time as sprites and digit models.
#pragma once
#include <cstdint>

// Five rolling digits moving toward value; shown is 8 x the number shown plus the roll
// phase in its low 3 bits. Returns the new shown value.
int32_t score_digits_draw(int32_t layer, int32_t shown, int32_t value, int32_t x, int32_t y,
                          int32_t z);
// value / 8 as four places of digit models, value mod 8 the roll phase.
void hud_number_models(int32_t group, int32_t value, int32_t x, int32_t y, int32_t z);
// The lamp sprite and the blinking score sprite.
void lamp_score_sprites(int32_t layer, int32_t flags, int32_t x, int32_t y, int32_t priority);
// A time in frames (a) as 3D digits at x b, y c, depth d, with the clock sprites at (e, f);
// every argument is taken as 16-bit.
void number_sprite_draw(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
