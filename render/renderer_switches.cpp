#include "render/renderer_switches.h"

// Stand-ins until the renderer's switches and the model viewer exist.
void renderer_reset() {}

void model_viewer_select(long) {}
