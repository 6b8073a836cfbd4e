#include "tests/support/virtual_pads.h"

namespace {

int attach(const char* name, SDL_JoystickType type, int axes, int buttons, Uint16 product) {
    SDL_VirtualJoystickDesc d{};
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.type = Uint16(type);
    d.naxes = Uint16(axes);
    d.nbuttons = Uint16(buttons);
    d.vendor_id = 0x5356;  // a vendor and product give the device a GUID mappings can name
    d.product_id = product;
    d.name = name;
    return SDL_JoystickAttachVirtualEx(&d);
}

}  // namespace

int virtual_pad_attach(const char* name) {
    return attach(name, SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 1);
}

int virtual_wheel_attach(const char* name, int axes, int buttons) {
    return attach(name, SDL_JOYSTICK_TYPE_WHEEL, axes, buttons, 2);
}

SDL_Joystick* virtual_joystick(SDL_JoystickID id) {
    return SDL_JoystickFromInstanceID(id);
}

std::string virtual_guid(int device_index) {
    char text[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(device_index), text, sizeof text);
    return text;
}
