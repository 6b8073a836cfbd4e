#include "tests/support/synth_rom_tables.h"

void synth_particle_types(synth_rom_set* set) {
    for (int k = 0; k <= 10; k++) synth_put16(set, 0x3797A + 2 * uint32_t(k), uint16_t(synth_particle_type(k)));
}

void synth_arrow_grid(synth_rom_set* set) {
    for (uint32_t course = 0; course < 4; course++)
        for (uint32_t row = 0; row < 32; row++)
            for (uint32_t column = 0; column < 16; column++) {
                uint16_t g = 0;
                if (course == 0) g = column < SYNTH_ARROW_UNGUIDED_FROM ? SYNTH_ARROW_DIRECTION : 1;
                synth_put16(set, 0x120DF4 + 2 * ((course * 32 + row) * 16 + column), g);
            }
}

void synth_message_showings(synth_rom_set* set) {
    for (uint32_t m = 0; m < 8; m++) synth_put32(set, 0x354F4 + 4 * m, uint32_t(SYNTH_MESSAGE_SHOWINGS[m]));
}

void synth_map_records(synth_rom_set* set) {
    const synth_map_record& r = SYNTH_MAP_RECORD;
    const int32_t longs[8] = {r.origin_x, r.origin_y, r.unused, r.scale, r.x_max, r.x_min, r.y_max, r.y_min};
    for (uint32_t c = 0; c < 4; c++)
        for (uint32_t k = 0; k < 8; k++) synth_put32(set, 0x35524 + 32 * c + 4 * k, uint32_t(longs[k]));
}

void synth_blink_tiles(synth_rom_set* set) {
    for (int i = 0; i < 16; i++) {
        synth_put16(set, 0x354B4 + 2 * uint32_t(i), uint16_t(synth_lamp_tile(i)));
        synth_put16(set, 0x35294 + 2 * uint32_t(i), uint16_t(synth_clock_tile(i)));
    }
}

void synth_score_digit_models(synth_rom_set* set) {
    for (int d = 0; d < 10; d++) {
        synth_put32(set, 0x37550 + 4 * uint32_t(d), uint32_t(synth_score_face(d)));
        synth_put32(set, 0x37524 + 4 * uint32_t(d), uint32_t(synth_score_wheel(d)));
    }
}

void synth_hud_blocks(synth_rom_set* set) {
    for (const synth_block& b : SYNTH_HUD_BLOCKS) synth_block_put(set, b);
}
