// The race HUD's pieces that other screens draw.
#pragma once
#include <cstdint>

// Pre-race sweep: the map digits, the title models and the header link.
void hud_sweep_map_digits();
void hud_sweep_title_models();
void hud_sweep_header(int32_t flag);
