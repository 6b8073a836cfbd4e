#include "render/frame_render.h"

// Stand-ins until the painter loop exists.
void render_frame_3d() {}

bool live_feed_active() {
    return false;
}
