// STAND-IN until the animation work lands.
#include "game/world/node_lists.h"

#include "game/flow/stand_in.h"

void node_list_walk(uint32_t list, int32_t index) {
    static bool seen = false;
    stand_in_report(seen, "node_list_walk");
}
