// The HUD margins: the left and right screen edges in 640-wide board units.
#pragma once

extern int hud_margin_left;   // 0 on a 4:3 picture, negative on a wide one
extern int hud_margin_right;  // 640 on a 4:3 picture
