// Placement of one display-list model: the camera record built from the game camera,
// the placement's rotation and the list's view block, then the model's quads into the
// frame's quad list, and the wide-screen shift of HUD models.
#pragma once
#include <cstdint>

// Model number (the display list's; the code is number + 69), rotation words (three
// (sin, cos) pairs, or null), position relative to the camera. Reads the walker state
// (prio, header code, object shift, node matrix, raw node matrix, axis order).
void render_model(int32_t model, const int32_t* rotation, double x, double y, double z);

constexpr int32_t MODEL_CODE_OFFSET = 69;

// True when the placement is drawn in screen space (HUD, titles).
bool screen_model_test(int32_t model);
// prio 2 or 4..7 keep no game camera (unless SKYVOLTA_VP_LEGACY).
bool view_legacy_test();
// The ending (game_sub_state 15) has its own viewpoint (unless SKYVOLTA_NO_ENDING_VP).
bool ending_viewpoint_active();
// x shift in pixels of a HUD element centred x pixels from the screen centre.
int32_t wide_hud_offset(int32_t x);

// Placements of a two-pass walk (wide-screen side fill, pause view): the first pass
// records each integer position, the second drops what the first drew and repeats.
constexpr int32_t PLACEMENT_SET_SIZE = 0x4000;
enum walk_pass : int32_t { WALK_PASS_SINGLE = 0, WALK_PASS_FIRST = 1, WALK_PASS_SECOND = 2 };
struct placement_set_state {
    int32_t pass;
    uint64_t first[PLACEMENT_SET_SIZE];  // keys of the first pass (0: empty)
    uint64_t sides[PLACEMENT_SET_SIZE];  // keys with the model of the second pass
    int32_t already_drawn;
    int32_t added_at_sides;
};
extern placement_set_state placement_sets;
// Empties both tables and the counters (before the first pass).
void placement_sets_clear();

// The pause view: while active the camera orbits the pivot by yaw and pitch (degrees)
// and backs off by distance; the host's pause toggle and orbit controls set them.
struct pause_view_state {
    bool active;
    double yaw, pitch, distance;
    bool pivot_set;
    int32_t pivot[3];           // camera-space point the paused camera turns about
    bool candidate_set;
    bool candidate_preferred;   // the rider's models outrank others
    int32_t candidate[3];
};
extern pause_view_state pause_view;
// After a frame's walk: the candidate becomes the pivot and is cleared.
void pause_pivot_frame_end();
