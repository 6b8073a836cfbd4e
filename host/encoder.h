// The external pedal encoder: a rotary encoder on two joystick buttons (A/B), an
// encoder a joystick reports as a wrapping axis, or a device on a USB serial port
// (text lines of counts or cadence, or an exercise bike that answers polls). Turned
// into a cadence and a pedal level 0..127 that the host input takes when it is larger
// than the analog one.
#pragma once
#include <SDL.h>
#include <cstdint>
#include <cstdio>

#include "host/cadence.h"
#include "host/encoder_protocols.h"
#include "host/serial_port.h"

enum encoder_source_kind { ENC_NONE, ENC_JOY_BUTTONS, ENC_JOY_AXIS, ENC_SERIAL };
enum encoder_protocol { PROTO_PELOTON, PROTO_PELOTON_SNIFF, PROTO_TICKS, PROTO_RPM };

constexpr int ENC_SERIAL_PATH_MAX = 127;

// The enc_* keys of the controls file and SKYVOLTA_ENC.
struct encoder_settings {
    int source;
    int joy_a, joy_b, joy_axis;
    int axis_bits;  // 2..16
    int invert;
    double counts_per_rev, full_rpm;
    char serial[ENC_SERIAL_PATH_MAX + 1];
    int serial_baud;  // 0 or below: the protocol's default
    int serial_proto;
};
extern encoder_settings encoder_config;

struct encoder_runtime {
    bool loaded;
    bool not_headless;
    char env[512];           // SKYVOLTA_ENC, copied at start-up
    int64_t net_count;       // counts since start
    SDL_JoystickID bound;    // the joystick the source listens to, -1 none
    int a, b, quad_state;
    bool axis_seen;
    int64_t axis_last;
    serial_port port;
    uint32_t next_open_ms, last_poll_ms;
    bool warned;
    bool ticks_seen;
    int64_t ticks_last;
    serial_line_parser line;
    bike_reply_parser bike;
    bool raw_dump;           // --enctest prints every byte and parsed value
    bool first_data;         // the first-data line was printed
    cadence_ring cadence;
};
extern encoder_runtime encoder;

// Start-up, after the game controllers.
void encoder_init(bool not_headless);
// Once, from the first query: SKYVOLTA_ENC over the file's keys, the cadence ring, the
// "[ENC] external pedal" line. A headless run without SKYVOLTA_ENC has no source.
void encoder_config_load();

// enc_* keys go to encoder_setting_apply; others are not the encoder's.
bool encoder_key_apply(const char* key, const char* value);
// Both trimmed; false for an unknown enc_ key.
bool encoder_setting_apply(const char* key, const char* value);
// The enc_* block of the controls file.
void encoder_settings_write(FILE* f);

int encoder_source();
// "none", "joy_buttons", "joy_axis", "serial"; "peloton", "peloton_sniff", "ticks", "rpm".
const char* encoder_source_name(int source);
const char* encoder_protocol_name(int proto);
// The serial source, once per main-loop iteration; other sources do nothing.
void encoder_poll();
void encoder_poll_serial(uint32_t now_ms);
// The joystick sources, per SDL event.
void encoder_poll_joystick(const SDL_Event* event);
// Counts from any source at a time: inverted when asked, into the net count and the
// cadence.
void encoder_counts_notice(uint32_t now_ms, int64_t counts);

double encoder_rpm();
int encoder_level();

// --enctest: the configured source's counts, cadence and level until Ctrl-C.
int enctest_run();
