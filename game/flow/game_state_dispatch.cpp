#include "game/flow/game_state_dispatch.h"

#include "game/modes/attract_sequencer.h"
#include "game/modes/service_mode.h"

void game_state_dispatch(int32_t state) {
    // The states without a handler here (gameplay, stage start, demo flight, title and
    // course select) get theirs with the top state machine.
    static void (*const handlers[GAME_STATES])() = {
        attract_init, attract_run, nullptr, nullptr, nullptr,   nullptr, service_mode_init, service_mode_run,
        nullptr,      nullptr,     nullptr, nullptr, nullptr,   nullptr, nullptr,           nullptr,
    };
    if (state < 0 || state >= GAME_STATES || !handlers[state]) return;
    handlers[state]();
}
