#include "game/modes/attract_sequencer.h"

#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/flow/gameplay_ram.h"
#include "game/flow/stand_in.h"

// Until the attract scenes are written the set-up does only what lets a game start:
// the scene flag cleared, the coin logic armed and attract entered; the phases rest.
void attract_init() {
    static bool seen;
    stand_in_report(seen, "attract_init");
    w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
    w_cell_set(W_ARMED_FLAG, 1);
    w_cell_set(W_GAME_STATE, 1);
}

void attract_run() {
    static bool seen;
    stand_in_report(seen, "attract_run");
}
