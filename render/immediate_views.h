// The two renderer views that draw models straight from the point ROM in immediate mode
// (the model diagnostics' drawing) instead of through the quad pipeline: the
// perspective preview of SKYVOLTA_GEO_HW=0, with the level view, and the model viewer.
#pragma once

// The game's display list (and, with the level view on, the course's terrain chunks)
// through a GL perspective camera at the game camera, moved by the free-camera offsets.
void perspective_preview_draw();

// The chosen model code, spinning, centred and framed by its box.
void model_viewer_draw();
