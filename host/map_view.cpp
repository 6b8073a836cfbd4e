#include "host/map_view.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float INITIAL_PITCH = 1.05f;
constexpr float PITCH_LIMIT = 1.5f;
constexpr float ZOOM_MIN = 0.05f, ZOOM_MAX = 20.0f;
constexpr float ZOOM_IN = 0.88f, ZOOM_OUT = 1.136f;
constexpr float ORBIT_PER_PIXEL = 0.005f;
constexpr float PAN_PER_PIXEL = 9.0f;
constexpr double KEY_UNITS_PER_S = 500000;
constexpr double SHIFT_FACTOR = 4, CTRL_FACTOR = 0.2;
constexpr uint32_t BUTTON_LEFT = 1, BUTTON_MIDDLE = 2, BUTTON_RIGHT = 4;

bool sdl_shift_held() {
    const uint8_t* keys = SDL_GetKeyboardState(nullptr);
    return keys && (keys[SDL_SCANCODE_LSHIFT] || keys[SDL_SCANCODE_RSHIFT]);
}

bool renderer_camera(int* course, float rotation[9], float position[3], float* zoom) {
    if (!map_view.active) return false;
    *course = map_view.mode;
    map_view_camera(rotation, position, zoom);
    return true;
}

void camera_reset() {
    map_view.yaw = 0;
    map_view.pitch = INITIAL_PITCH;
    map_view.zoom = 1;
    map_view.position[0] = map_view.position[1] = map_view.position[2] = 0;
}

}  // namespace

map_view_state map_view = {false, 0, 0, INITIAL_PITCH, 1, {0, 0, 0}};
bool (*map_view_shift_held)() = sdl_shift_held;

bool map_view_active() {
    return map_view.active;
}

int map_view_mode() {
    return map_view.mode;
}

void map_view_switch_on(int course) {
    map_view.active = true;
    map_view.mode = course;
    camera_reset();
    map_view_camera_hook = renderer_camera;
}

void map_view_switch_off() {
    map_view.active = false;
}

void map_view_from_environment() {
    if (env_present("SKYVOLTA_MAP")) map_view_switch_on(env_int("SKYVOLTA_MAP", 0) & 3);
}

void map_view_mouse(int dx, int dy, uint32_t buttons, int wheel) {
    map_view_state& m = map_view;
    if (!m.active) return;
    bool shift = map_view_shift_held();
    bool orbit = shift ? (buttons & BUTTON_LEFT) : (buttons & (BUTTON_LEFT | BUTTON_MIDDLE));
    bool pan = !orbit && (shift ? (buttons & (BUTTON_MIDDLE | BUTTON_RIGHT)) : (buttons & BUTTON_RIGHT));
    if (orbit) {
        m.yaw += ORBIT_PER_PIXEL * float(dx);
        m.pitch = std::clamp(m.pitch + ORBIT_PER_PIXEL * float(dy), -PITCH_LIMIT, PITCH_LIMIT);
    } else if (pan) {
        float s = m.zoom < 1 ? PAN_PER_PIXEL : PAN_PER_PIXEL * m.zoom;
        float sy = std::sin(m.yaw), cy = std::cos(m.yaw), sp = std::sin(m.pitch), cp = std::cos(m.pitch);
        m.position[0] -= s * (float(dx) * cy + float(dy) * sy * sp);
        m.position[1] -= s * float(dy) * cp;
        m.position[2] -= s * (float(dy) * cy * sp - float(dx) * sy);
    }
    if (wheel > 0) m.zoom *= ZOOM_IN;
    if (wheel < 0) m.zoom *= ZOOM_OUT;
    m.zoom = std::clamp(m.zoom, ZOOM_MIN, ZOOM_MAX);
}

void map_view_keys(const uint8_t* keys, double dt) {
    map_view_state& m = map_view;
    if (!m.active) return;
    double speed = dt * KEY_UNITS_PER_S * std::max(1.0, double(m.zoom));
    if (keys[SDL_SCANCODE_LSHIFT] || keys[SDL_SCANCODE_RSHIFT]) speed *= SHIFT_FACTOR;
    if (keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL]) speed *= CTRL_FACTOR;
    double sy = std::sin(m.yaw), cy = std::cos(m.yaw);
    double dx = 0, dy = 0, dz = 0;
    // Not normalised: a diagonal is faster by the square root of 2.
    if (keys[SDL_SCANCODE_W]) dx += sy, dz += cy;
    if (keys[SDL_SCANCODE_S]) dx -= sy, dz -= cy;
    if (keys[SDL_SCANCODE_D]) dx += cy, dz -= sy;
    if (keys[SDL_SCANCODE_A]) dx -= cy, dz += sy;
    if (keys[SDL_SCANCODE_Q]) dy += 1;
    if (keys[SDL_SCANCODE_E]) dy -= 1;
    m.position[0] += float(dx * speed);
    m.position[1] += float(dy * speed);
    m.position[2] += float(dz * speed);
}

void map_view_camera(float rotation[9], float position[3], float* zoom) {
    const map_view_state& m = map_view;
    float sy = std::sin(m.yaw), cy = std::cos(m.yaw), sp = std::sin(m.pitch), cp = std::cos(m.pitch);
    const float r[9] = {cy, sy * sp, sy * cp, 0, cp, -sp, -sy, cy * sp, cy * cp};
    std::copy(r, r + 9, rotation);
    std::copy(m.position, m.position + 3, position);
    *zoom = m.zoom;
}
