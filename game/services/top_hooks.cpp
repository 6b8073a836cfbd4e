#include "game/services/top_hooks.h"

namespace {

void no_service() {}

}  // namespace

game_top_services game_top = {no_service, no_service, no_service, no_service};
