// STAND-INS until the scenery work lands: each reports once and does nothing.
#include "game/world/scenery_hooks.h"

#include "game/flow/stand_in.h"

#define STAND_IN(name)                  \
    void name() {                       \
        static bool seen = false;       \
        stand_in_report(seen, #name);   \
    }

STAND_IN(scenery_hook_high_props)
STAND_IN(scenery_hook_456)
STAND_IN(scenery_hook_457)
STAND_IN(scenery_hook_458)
STAND_IN(scenery_hook_459)
STAND_IN(scenery_hook_460)
STAND_IN(scenery_hook_461)
STAND_IN(scenery_hook_462)
STAND_IN(scenery_hook_464)
STAND_IN(scenery_hook_465)
STAND_IN(scenery_hook_466)
STAND_IN(effect_group_render)
STAND_IN(effect_single_render)
STAND_IN(animated_object_record_dump)
