#include "game/world/world_stand_ins.h"

#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/flow/stand_in.h"

void player_rig_reset() {
    static bool seen;
    stand_in_report(seen, "player_rig_reset");
}

void run_hud_words_init() {
    static bool seen;
    stand_in_report(seen, "run_hud_words_init");
}

void moving_objects_clear() {
    static bool seen;
    stand_in_report(seen, "moving_objects_clear");
}
