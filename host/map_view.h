// The map view's camera: a free-look debug camera over a whole course's terrain, flown
// with the mouse (orbit, pan, wheel zoom) and the keyboard (WASD, Q/E), independent of
// the game's camera. The renderer asks for it each frame while the view is on.
#pragma once
#include <cstdint>

struct map_view_state {
    bool active;
    int mode;             // course whose map is drawn, 0..3
    float yaw, pitch;     // radians; pitch within -1.5..1.5
    float zoom;           // distance factor within 0.05..20
    float position[3];    // camera offset in world units
};
extern map_view_state map_view;

bool map_view_active();
int map_view_mode();

// On for course c with the initial camera (the menu's "Course %d"); off keeps the camera.
void map_view_switch_on(int course);
void map_view_switch_off();
// SKYVOLTA_MAP=n at start-up: on for course n & 3.
void map_view_from_environment();

// Mouse motion (relative motion, SDL button mask: left 1, middle 2, right 4, wheel 0) or
// a wheel step (dx = dy = 0, mask 0, the wheel's vertical amount). Nothing while off.
void map_view_mouse(int dx, int dy, uint32_t buttons, int wheel);
// Once per frame (not headless, menu closed): SDL's keyboard state by scancode and the
// seconds since the last call. Nothing while off.
void map_view_keys(const uint8_t* keys, double dt);

// The rotation (rows, camera to world), the offset and the zoom for the renderer.
void map_view_camera(float rotation[9], float position[3], float* zoom);

// Whether a Shift key is held; SDL's keyboard state, replaceable by tests.
extern bool (*map_view_shift_held)();
