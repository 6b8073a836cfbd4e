// One frame of the board's video: the display list's scene, the sprite layers by
// priority, the fade and the text layer, into the current render target.
#pragma once

// Called once per main-loop iteration after the game and sound steps.
void render_frame_3d();

// True after this frame's fog/mixer, sprite and text inputs all came from live board RAM
// (the main loop then skips the fallback 2D layer and fade).
bool live_feed_active();
