// The title screen: top states 12 (set-up) and 13 (the frame).
#pragma once

// The title and attract tiles into character RAM, their palettes into banks 3 and 5.
void title_cgram_load();
// Top state 12: text layer, camera, tiles, fade and sounds set up; state 13 and its
// frame in the same frame.
void title_enter();
// Top state 13, every frame: the turning logo model, the title sprites, the blinking
// credit prompt on row 22 and, once a credit waits 30 frames, its sound.
void title_logo();
