// STAND-IN until the camera work lands.
#include "game/world/camera_zoom.h"

#include "game/flow/stand_in.h"

void camera_zoom_rewrite_w(int64_t pointer) {
    static bool seen = false;
    stand_in_report(seen, "camera_zoom_rewrite_w");
}
