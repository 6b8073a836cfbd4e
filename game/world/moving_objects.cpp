#include "game/world/moving_objects.h"

#include "board/fixed_math.h"
#include "board/wram_cell.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"

int32_t objects_move_update() {
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) {
        uint32_t r = moving_object(i);
        if (w_cell(r + MO_STATUS) < 0) continue;
        int32_t heading = w_cell(r + MO_HEADING);
        int64_t radius = w_cell(r + MO_RADIUS);
        // The 1.15 words shifted by 4 before the product, the product by 11 after: a
        // circle of the stored radius.
        int32_t x = wrap_add(w_cell(r + MO_CENTRE), int32_t(((math_cos(heading) >> 4) * radius) >> 11));
        int32_t z = wrap_add(w_cell(r + MO_CENTRE + 8), int32_t(((math_sin(heading) >> 4) * radius) >> 11));
        w_cell_set(r + MO_POSITION, x);
        w_cell_set(r + MO_POSITION + 4, w_cell(r + MO_CENTRE + 4));
        w_cell_set(r + MO_POSITION + 8, z);
        w_cell_set(r + MO_CELL, wrap_add(wrap_div(x, CELL_SIZE), wrap_mul(CELL_COLUMNS, wrap_div(z, CELL_SIZE))));
        w_cell_set(r + MO_HEADING, wrap_add(heading, w_cell(r + MO_TURN_RATE)));
    }
    return 0;
}

void moving_objects_clear() {
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) w_cell_set(moving_object(i) + MO_STATUS, MOVING_INACTIVE);
}
