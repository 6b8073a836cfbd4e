// The top fills the hooks of the layers below it before main runs, so the screens and
// the world reach it however a program starts them.
#include "game/flow/attract_demo.h"
#include "game/flow/game_flow.h"
#include "game/flow/gameplay_dispatch.h"
#include "game/services/top_hooks.h"

namespace {

const bool top_hooks_filled = [] {
    game_top = {flyin_setup, game_over_enter, attract_demo_flight, service_flag_set};
    return true;
}();

}  // namespace
