#include "render/wide_margins.h"

int hud_margin_left = 0;
int hud_margin_right = 640;
