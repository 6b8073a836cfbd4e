#include "host/pads.h"

#include "base/run_flags.h"
#include "host/encoder.h"
#include "host/input_update.h"

#include <cstdlib>
#include <cstring>

pad_slot pad_slots[PAD_SLOTS];
joy_mapping joy_map = {
    .steer = {0, false, false}, .lean = {1, false, false}, .pedal = {-1, false, false},
    .coin = -1, .start = -1, .service = -1, .test = -1,
};

namespace {

constexpr const char* MAPPINGS_FILE = "gamecontrollerdb.txt";
constexpr int DEAD_ZONE = 8000;
constexpr int RAW_DEAD_ZONE = 1500;

bool slot_free(const pad_slot& s) {
    return !s.controller && !s.joystick;
}

bool id_in_slot(SDL_JoystickID id) {
    for (const pad_slot& s : pad_slots)
        if (!slot_free(s) && s.id == id) return true;
    return false;
}

int lowest_free_slot() {
    for (int i = 0; i < PAD_SLOTS; i++)
        if (slot_free(pad_slots[i])) return i;
    return -1;
}

void mappings_add() {
    if (SDL_GameControllerAddMappingsFromFile(MAPPINGS_FILE) > 0)
        printf("  [PAD] extra pad mappings from %s\n", MAPPINGS_FILE);
}

void slots_close(SDL_JoystickID id) {
    for (int i = 0; i < PAD_SLOTS; i++) {
        pad_slot& s = pad_slots[i];
        if (slot_free(s) || s.id != id) continue;
        if (s.controller) {
            SDL_GameControllerClose(s.controller);
            printf("  [PAD] %d removed\n", i);
        } else {
            SDL_JoystickClose(s.joystick);
            printf("  [JOY] %d removed\n", i);
        }
        s = pad_slot{};
    }
}

const struct {
    const char* key;
    joy_axis_mapping* axis;
} axis_keys[] = {{"joy_steer", &joy_map.steer}, {"joy_lean", &joy_map.lean}, {"joy_pedal", &joy_map.pedal}};

const struct {
    const char* key;
    int* button;
} button_keys[] = {{"joy_coin", &joy_map.coin},
                   {"joy_start", &joy_map.start},
                   {"joy_service", &joy_map.service},
                   {"joy_test", &joy_map.test}};

}  // namespace

void pads_init() {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        mappings_add();
        pads_open();
    }
    input_cells_init();
}

void pads_open() {
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; i++) {
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        if (id < 0 || id_in_slot(id)) continue;
        int slot = lowest_free_slot();
        if (slot < 0) continue;
        pad_slot& s = pad_slots[slot];
        if (SDL_IsGameController(i)) {
            SDL_GameController* c = SDL_GameControllerOpen(i);
            if (!c) continue;
            s = {c, nullptr, id};
            const char* name = SDL_GameControllerName(c);
            printf("  [PAD] %d: %s\n", slot, name ? name : "?");
        } else {
            SDL_Joystick* j = SDL_JoystickOpen(i);
            if (!j) continue;
            s = {nullptr, j, id};
            const char* name = SDL_JoystickName(j);
            printf("  [JOY] %d: %s (%d axes, %d buttons) -- mapped by number, see --joytest\n", slot, name ? name : "?",
                   SDL_JoystickNumAxes(j), SDL_JoystickNumButtons(j));
        }
    }
}

void pads_hotplug(const SDL_Event* event) {
    encoder_poll_joystick(event);
    if (event->type == SDL_JOYDEVICEREMOVED)
        slots_close(event->jdevice.which);
    else if (event->type == SDL_JOYDEVICEADDED)
        pads_open();
}

int pad_axis(SDL_GameControllerAxis axis) {
    for (const pad_slot& s : pad_slots) {
        if (!s.controller) continue;
        int v = SDL_GameControllerGetAxis(s.controller, axis);
        if (v > DEAD_ZONE) return (v - DEAD_ZONE) * 32767 / 24767;
        if (v < -DEAD_ZONE) return -((-v - DEAD_ZONE) * 32767 / 24768);
    }
    return 0;
}

int joy_axis_read(const joy_axis_mapping& mapping) {
    if (mapping.axis < 0) return 0;
    int best = 0;
    for (const pad_slot& s : pad_slots) {
        if (!s.joystick) continue;
        int v = SDL_JoystickGetAxis(s.joystick, mapping.axis);
        if (mapping.invert) v = -v;
        int magnitude = v < 0 ? -v : v;
        if (magnitude < RAW_DEAD_ZONE) continue;
        if (magnitude > (best < 0 ? -best : best)) best = v;
    }
    return best < -32767 ? -32767 : best;
}

bool pad_button_held(SDL_GameControllerButton button) {
    for (const pad_slot& s : pad_slots)
        if (s.controller && SDL_GameControllerGetButton(s.controller, button)) return true;
    return false;
}

bool joy_button_held(int button) {
    if (button < 0) return false;
    for (const pad_slot& s : pad_slots)
        if (s.joystick && SDL_JoystickGetButton(s.joystick, button)) return true;
    return false;
}

int pad_axis_max(SDL_GameControllerAxis axis) {
    int best = 0;
    for (const pad_slot& s : pad_slots) {
        if (!s.controller) continue;
        int v = SDL_GameControllerGetAxis(s.controller, axis);
        if (v > best) best = v;
    }
    return best;
}

bool joy_setting_apply(const char* key, const char* value) {
    if (strncmp(key, "enc_", 4) == 0) return encoder_key_apply(key, value);
    for (const auto& a : axis_keys) {
        if (strcmp(key, a.key) != 0) continue;
        a.axis->axis = int(strtol(value, nullptr, 10));
        a.axis->invert = strstr(value, "invert") != nullptr;
        a.axis->half = strstr(value, "half") != nullptr;
        return true;
    }
    for (const auto& b : button_keys) {
        if (strcmp(key, b.key) != 0) continue;
        *b.button = int(strtol(value, nullptr, 10));
        return true;
    }
    return false;
}

void joy_settings_write(FILE* f) {
    fprintf(f, "# raw joysticks (wheels/sticks SDL does not know as a gamepad): axis[ invert][ half], -1 = off; see "
               "--joytest\n");
    for (const auto& a : axis_keys)
        fprintf(f, "%s=%d%s%s\n", a.key, a.axis->axis, a.axis->invert ? " invert" : "", a.axis->half ? " half" : "");
    for (const auto& b : button_keys) fprintf(f, "%s=%d\n", b.key, *b.button);
    encoder_settings_write(f);
}

int joytest_run() {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) {
        fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GameControllerAddMappingsFromFile(MAPPINGS_FILE);
    SDL_Delay(200);
    SDL_PumpEvents();
    int n = SDL_NumJoysticks();
    printf("%d device(s). Move every axis and press every button; Ctrl-C to stop.\n", n);
    for (int i = 0; i < n && i < 16; i++) {
        SDL_Joystick* j = SDL_JoystickOpen(i);
        const char* name = SDL_JoystickNameForIndex(i);
        const char* kind = SDL_IsGameController(i) ? "GAMEPAD (standard layout, no mapping needed)"
                                                   : "RAW joystick (map by number)";
        printf("  %d: %s -- %s, %d axes, %d buttons, %d hats\n", i, name ? name : "?", kind,
               j ? SDL_JoystickNumAxes(j) : 0, j ? SDL_JoystickNumButtons(j) : 0, j ? SDL_JoystickNumHats(j) : 0);
    }
    fflush(stdout);
    // Start-up's signal handler came before SDL's, so Ctrl-C clears run_flag and SDL
    // never sees it: the wait wakes up often enough to notice.
    SDL_Event e;
    while (run_flag) {
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        if (e.type == SDL_QUIT) break;
        if (e.type == SDL_JOYAXISMOTION) {
            int v = e.jaxis.value, magnitude = v < 0 ? -v : v;
            if (magnitude < 300 || magnitude > 4000) printf("dev %d  axis %d = %6d\n", e.jaxis.which, e.jaxis.axis, v);
        } else if (e.type == SDL_JOYBUTTONDOWN) {
            printf("dev %d  button %d down\n", e.jbutton.which, e.jbutton.button);
        } else if (e.type == SDL_JOYHATMOTION) {
            printf("dev %d  hat %d = %d\n", e.jhat.which, e.jhat.hat, e.jhat.value);
        }
        fflush(stdout);
    }
    SDL_Quit();
    return 0;
}
