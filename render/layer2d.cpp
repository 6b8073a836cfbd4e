#include "render/layer2d.h"

// Stand-in until the 2D layer fallback exists.
void layer2d_texture_create() {}
