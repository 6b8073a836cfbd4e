#include "host/paused_camera.h"

#include "host/input_update.h"
#include "host/pads.h"
#include "host/settings.h"
#include "render/model_placement.h"

#include <SDL.h>

namespace {

constexpr double LONG_STEP_S = 0.1;
constexpr double FIRST_ANGLE_STEP = 2, FIRST_DISTANCE_STEP = 250;
constexpr double DEGREES_PER_S = 120, UNITS_PER_S = 15000;
constexpr int TRIGGER_REST = 3000;
constexpr double PITCH_LIMIT = 85, DISTANCE_MIN = -9000, DISTANCE_MAX = 60000;

bool first_call = true;
uint32_t last_ms;

double held(int scancode) {
    return key_held(scancode) ? 1.0 : 0.0;
}

double clamp(double v, double lo, double hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

double trigger_input() {
    double in = 0;
    for (const pad_slot& s : pad_slots) {
        if (!s.controller) continue;
        int left = SDL_GameControllerGetAxis(s.controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
        int right = SDL_GameControllerGetAxis(s.controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        if (left > TRIGGER_REST) in += left / 32767.0;
        if (right > TRIGGER_REST) in -= right / 32767.0;
    }
    return in;
}

}  // namespace

void paused_camera() {
    uint32_t now = SDL_GetTicks();
    double dt = (now - last_ms) / 1000.0;
    if (first_call || dt > LONG_STEP_S)
        pause_view_move(FIRST_ANGLE_STEP, FIRST_DISTANCE_STEP);
    else
        pause_view_move(DEGREES_PER_S * dt, UNITS_PER_S * dt);
    first_call = false;
    last_ms = now;
}

void pause_view_move(double angle_step, double distance_step) {
    double yaw = held(key_bindings[CONTROL_STEER_RIGHT]) - held(key_bindings[CONTROL_STEER_LEFT]) +
                 pad_axis(SDL_CONTROLLER_AXIS_LEFTX) / 32767.0;
    double pitch = held(key_bindings[CONTROL_LEAN_DOWN]) - held(key_bindings[CONTROL_LEAN_UP]) +
                   pad_axis(SDL_CONTROLLER_AXIS_LEFTY) / 32767.0;
    double in_keys = held(SDL_SCANCODE_EQUALS) || held(SDL_SCANCODE_KP_PLUS) || held(SDL_SCANCODE_PAGEUP) ? 1 : 0;
    double out_keys = held(SDL_SCANCODE_MINUS) || held(SDL_SCANCODE_KP_MINUS) || held(SDL_SCANCODE_PAGEDOWN) ? 1 : 0;
    double distance = out_keys - in_keys + pad_axis(SDL_CONTROLLER_AXIS_RIGHTY) / 32767.0 + trigger_input();

    pause_view.yaw += yaw * angle_step;
    if (pause_view.yaw > 180) pause_view.yaw -= 360;
    if (pause_view.yaw < -180) pause_view.yaw += 360;
    pause_view.pitch = clamp(pause_view.pitch + pitch * angle_step, -PITCH_LIMIT, PITCH_LIMIT);
    pause_view.distance = clamp(pause_view.distance + distance * distance_step, DISTANCE_MIN, DISTANCE_MAX);
}

void pause_view_offsets_clear() {
    pause_view.yaw = pause_view.pitch = pause_view.distance = 0;
}
