#include "game/world/world_stand_ins.h"

#include "game/services/stand_in.h"

void run_hud_words_init() {
    static bool seen;
    stand_in_report(seen, "run_hud_words_init");
}
