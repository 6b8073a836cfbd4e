// The 2D layer fallback texture.
#pragma once

void layer2d_texture_create();
