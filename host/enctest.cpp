// --enctest: shows what the configured pedal encoder delivers, so a player can wire
// and calibrate it without starting the game.
#include "base/run_flags.h"
#include "host/encoder.h"
#include "host/settings.h"

namespace {

constexpr uint32_t STATUS_EVERY_MS = 250;
constexpr int JOYSTICKS_LISTED = 16;

void header_print() {
    const encoder_settings& c = encoder_config;
    printf("\nexternal pedal source: %s", encoder_source_name(c.source));
    if (c.source == ENC_SERIAL)
        printf(" (%s on %s)", encoder_protocol_name(c.serial_proto), c.serial[0] ? c.serial : "<enc_serial not set>");
    printf("\n  edit skyvolta_controls.cfg, or set SKYVOLTA_ENC="
           "\"enc_source=serial,enc_serial=/dev/ttyUSB0,enc_serial_proto=rpm\"");
    printf("\nserial ports:\n");
    serial_list_ports();
    SDL_Delay(200);
    SDL_PumpEvents();
    int n = SDL_NumJoysticks();
    printf("\njoysticks: %d\n", n);
    for (int i = 0; i < n && i < JOYSTICKS_LISTED; i++) {
        SDL_Joystick* j = SDL_JoystickOpen(i);  // opened so that its events arrive
        const char* name = SDL_JoystickNameForIndex(i);
        printf("  %d: %s, %d axes, %d buttons\n", i, name ? name : "?", j ? SDL_JoystickNumAxes(j) : 0,
               j ? SDL_JoystickNumButtons(j) : 0);
    }
    if (c.source == ENC_NONE)
        printf("\nno source configured; showing joystick events so you can find the button/axis numbers.");
    printf("\nCtrl-C to stop. counts = net encoder counts since start (turn the crank once to calibrate).\n");
    fflush(stdout);
}

// Joystick events of the kinds the configured source could use, so their numbers show.
void event_print(const SDL_Event& e, int source) {
    bool buttons = source == ENC_NONE || source == ENC_JOY_BUTTONS;
    bool axes = source == ENC_NONE || source == ENC_JOY_AXIS;
    if (buttons && (e.type == SDL_JOYBUTTONDOWN || e.type == SDL_JOYBUTTONUP))
        printf("  button %d %s\n", e.jbutton.button, e.type == SDL_JOYBUTTONDOWN ? "down" : "up");
    else if (axes && e.type == SDL_JOYAXISMOTION)
        printf("  axis %d = %d\n", e.jaxis.axis, e.jaxis.value);
}

}  // namespace

int enctest_run() {
    // Start-up's SIGINT/SIGTERM handler clears run_flag: that is the stop flag here.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS) != 0) {
        fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    load_settings_file();
    encoder_init(true);
    encoder_config_load();
    encoder.raw_dump = true;
    header_print();

    int source = encoder_config.source;
    uint32_t next_status = SDL_GetTicks();
    while (run_flag) {
        SDL_Event e;
        bool quit = false;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) quit = true;
            encoder_poll_joystick(&e);
            event_print(e, source);
        }
        if (quit) break;
        uint32_t now = SDL_GetTicks();
        if (source == ENC_SERIAL) encoder_poll_serial(now);
        if (source != ENC_NONE && int32_t(now - next_status) >= 0) {
            next_status = now + STATUS_EVERY_MS;
            printf("\r  counts=%-8lld rpm=%6.1f level=%3d/127%s      ", static_cast<long long>(encoder.net_count),
                   encoder_rpm(), encoder_level(),
                   source == ENC_SERIAL && !encoder.port.open ? "  (serial port not open)" : "");
        }
        fflush(stdout);
        SDL_Delay(5);
    }
    printf("\n");
    serial_close(&encoder.port);
    SDL_Quit();
    return 0;
}
