// Renderer switches, pick lists and viewer controls.
#pragma once

void renderer_reset();

// Starts the model viewer on model code `code`.
void model_viewer_select(long code);
