// The credit line at the foot of the screen, drawn every frame by the coin and credit
// logic: a fixed text in free play (coin value 3 set), else the credits and the coin
// value; and the colour cycle of palette entry 0x7FE0 behind it.
#pragma once

void credit_text_draw();
