#include "host/encoder.h"

#include "base/env_switch.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

encoder_settings encoder_config = {
    .source = ENC_NONE, .joy_a = -1, .joy_b = -1, .joy_axis = -1, .axis_bits = 16, .invert = 0,
    .counts_per_rev = 96, .full_rpm = 100, .serial = "", .serial_baud = 0, .serial_proto = PROTO_PELOTON,
};
encoder_runtime encoder;

namespace {

constexpr const char* source_names[] = {"none", "joy_buttons", "joy_axis", "serial"};
constexpr const char* proto_names[] = {"peloton", "peloton_sniff", "ticks", "rpm"};
constexpr int KEY_MAX = 63, VALUE_MAX = 159;
constexpr uint32_t RETRY_MS = 2000, RETRY_AFTER_LOSS_MS = 1000;
constexpr uint32_t BIKE_POLL_MS = 100;  // a poll when more than 99 ms passed
constexpr int READ_CHUNK = 256;
constexpr int64_t TICKS_JUMP_MAX = 100000;  // larger steps of a running total are resets

int name_index(const char* const* names, int count, const char* value, int fallback) {
    for (int i = 0; i < count; i++)
        if (strcmp(value, names[i]) == 0) return i;
    return fallback;
}

void trim_spaces(char* out, int max, const char* in) {
    while (*in == ' ' || *in == '\t' || *in == '\r' || *in == '\n') in++;
    int n = 0;
    while (in[n] && n < max) n++;
    while (n > 0 && (in[n - 1] == ' ' || in[n - 1] == '\t' || in[n - 1] == '\r' || in[n - 1] == '\n')) n--;
    memcpy(out, in, size_t(n));
    out[n] = 0;
}

void positive_number(double* field, const char* value) {
    double x = strtod(value, nullptr);
    if (x > 0 && std::isfinite(x)) *field = x;
}

int default_baud(int proto) {
    return proto == PROTO_PELOTON || proto == PROTO_PELOTON_SNIFF ? 19200 : 115200;
}

void first_data(const char* line) {
    if (encoder.first_data) return;
    encoder.first_data = true;
    printf("  [ENC] %s\n", line);
}

void serial_lost(uint32_t now_ms) {
    serial_close(&encoder.port);
    encoder.next_open_ms = now_ms + RETRY_AFTER_LOSS_MS;
    fprintf(stderr, "  [ENC] serial %s lost, retrying\n", encoder_config.serial);
}

bool serial_try_open(uint32_t now_ms) {
    encoder_runtime& e = encoder;
    if (int32_t(now_ms - e.next_open_ms) < 0) return false;
    e.next_open_ms = now_ms + RETRY_MS;
    if (!encoder_config.serial[0]) {
        if (!e.warned) fprintf(stderr, "  [ENC] enc_source=serial but enc_serial is empty (try --enctest)\n");
        e.warned = true;
        return false;
    }
    int proto = encoder_config.serial_proto;
    int baud = encoder_config.serial_baud > 0 ? encoder_config.serial_baud : default_baud(proto);
    if (serial_open(&e.port, encoder_config.serial, baud) != 0) {
        if (!e.warned) fprintf(stderr, "  [ENC] %s (will keep retrying)\n", e.port.error);
        e.warned = true;
        return false;
    }
    serial_line_reset(&e.line);
    bike_reply_reset(&e.bike);
    e.ticks_seen = false;
    e.warned = false;
    e.last_poll_ms = now_ms - BIKE_POLL_MS;  // the first poll goes out at once
    printf("  [ENC] serial %s open, %d baud, %s\n", encoder_config.serial, baud, encoder_protocol_name(proto));
    return true;
}

void text_number(uint32_t now_ms, double x) {
    encoder_runtime& e = encoder;
    if (e.raw_dump) printf("\n  [LINE] %g\n", x);
    if (encoder_config.serial_proto == PROTO_RPM) {
        cadence_set_rpm(&e.cadence, now_ms, x);
        first_data("first RPM line received");
        return;
    }
    int64_t total = std::llround(x);
    if (e.ticks_seen) {
        int64_t d = total - e.ticks_last;
        if (d >= -TICKS_JUMP_MAX && d <= TICKS_JUMP_MAX) encoder_counts_notice(now_ms, d);
    }
    e.ticks_seen = true;
    e.ticks_last = total;
}

void bike_reply_take(uint32_t now_ms, const bike_reply& r) {
    if (encoder.raw_dump)
        printf("\n  [PELOTON] type %02X = %ld%s\n", r.type, long(r.value),
               r.type == BIKE_TYPE_CADENCE ? " rpm" : r.type == BIKE_TYPE_POWER ? " (watts x10)" : "");
    if (r.type != BIKE_TYPE_CADENCE) return;
    cadence_set_rpm(&encoder.cadence, now_ms, double(r.value));
    first_data("first cadence reply from the bike");
}

void serial_bytes(uint32_t now_ms, const uint8_t* bytes, int n) {
    encoder_runtime& e = encoder;
    bool text = encoder_config.serial_proto == PROTO_TICKS || encoder_config.serial_proto == PROTO_RPM;
    for (int i = 0; i < n; i++) {
        if (e.raw_dump) printf("%02X ", bytes[i]);
        if (text) {
            double x;
            if (serial_line_parse(&e.line, bytes[i], &x)) text_number(now_ms, x);
        } else {
            bike_reply r;
            if (bike_reply_parse(&e.bike, bytes[i], &r)) bike_reply_take(now_ms, r);
        }
    }
}

void joystick_buttons(const SDL_JoyButtonEvent& ev) {
    encoder_runtime& e = encoder;
    const encoder_settings& c = encoder_config;
    bool is_a = c.joy_a >= 0 && ev.button == c.joy_a, is_b = c.joy_b >= 0 && ev.button == c.joy_b;
    if (!is_a && !is_b) return;
    bool pressed = ev.state == SDL_PRESSED;
    if (e.bound < 0) {
        // The first event binds its device; its buttons now give the state, no count.
        e.bound = ev.which;
        SDL_Joystick* j = SDL_JoystickFromInstanceID(ev.which);
        e.a = j && c.joy_a >= 0 ? SDL_JoystickGetButton(j, c.joy_a) : 0;
        e.b = j && c.joy_b >= 0 ? SDL_JoystickGetButton(j, c.joy_b) : 0;
        if (is_a) e.a = pressed;
        if (is_b) e.b = pressed;
        e.quad_state = e.a * 2 + e.b;
        return;
    }
    if (ev.which != e.bound) return;
    if (is_a) e.a = pressed;
    if (is_b) e.b = pressed;
    int state = e.a * 2 + e.b;
    int step = quadrature_step(e.quad_state, state);
    e.quad_state = state;
    encoder_counts_notice(ev.timestamp, step);
}

void joystick_axis(const SDL_JoyAxisEvent& ev) {
    encoder_runtime& e = encoder;
    if (ev.axis != encoder_config.joy_axis) return;
    int64_t span = int64_t(1) << encoder_config.axis_bits;
    int64_t d = ((span - 1) * (int64_t(ev.value) + 32768) + 32767) / 65535;
    if (e.bound < 0) {
        e.bound = ev.which;
        e.axis_seen = true;
        e.axis_last = d;
        return;
    }
    if (ev.which != e.bound) return;
    if (!e.axis_seen) {
        e.axis_seen = true;
        e.axis_last = d;
        return;
    }
    int64_t f = (d - e.axis_last) & (span - 1);
    e.axis_last = d;
    if (f >= span / 2) f -= span;
    if (f > span / 4 || f < -span / 4) return;  // a glitch, not a turn
    encoder_counts_notice(ev.timestamp, f);
}

}  // namespace

void encoder_init(bool not_headless) {
    encoder = encoder_runtime{};
    encoder.not_headless = not_headless;
    encoder.bound = -1;
    serial_init(&encoder.port);
    if (const char* env = env_text("SKYVOLTA_ENC")) snprintf(encoder.env, sizeof encoder.env, "%s", env);
}

void encoder_config_load() {
    encoder_runtime& e = encoder;
    if (e.loaded) return;
    e.loaded = true;
    if (e.env[0]) {
        char items[sizeof e.env];
        memcpy(items, e.env, sizeof items);
        char* save = nullptr;
        for (char* item = strtok_r(items, ",", &save); item; item = strtok_r(nullptr, ",", &save)) {
            char* eq = strchr(item, '=');
            if (!eq) continue;
            *eq = 0;
            if (!encoder_key_apply(item, eq + 1)) fprintf(stderr, "  [ENC] SKYVOLTA_ENC: unknown key '%s'\n", item);
        }
    } else if (!e.not_headless) {
        encoder_config.source = ENC_NONE;
    }
    cadence_reset(&e.cadence, encoder_config.counts_per_rev);
    serial_close(&e.port);
    e.bound = -1;
    const encoder_settings& c = encoder_config;
    if (c.source == ENC_NONE) return;
    bool serial = c.source == ENC_SERIAL;
    printf("  [ENC] external pedal: %s%s%s, %g counts/rev, %g rpm = full\n", encoder_source_name(c.source),
           serial ? " / " : "", serial ? encoder_protocol_name(c.serial_proto) : "", c.counts_per_rev, c.full_rpm);
}

bool encoder_key_apply(const char* key, const char* value) {
    return strncmp(key, "enc_", 4) == 0 && encoder_setting_apply(key, value);
}

bool encoder_setting_apply(const char* raw_key, const char* raw_value) {
    char key[KEY_MAX + 1], value[VALUE_MAX + 1];
    trim_spaces(key, KEY_MAX, raw_key);
    trim_spaces(value, VALUE_MAX, raw_value);
    encoder_settings& c = encoder_config;
    int n = int(strtol(value, nullptr, 10));
    if (strcmp(key, "enc_source") == 0)
        c.source = name_index(source_names, 4, value, ENC_NONE);
    else if (strcmp(key, "enc_joy_a") == 0)
        c.joy_a = n;
    else if (strcmp(key, "enc_joy_b") == 0)
        c.joy_b = n;
    else if (strcmp(key, "enc_joy_axis") == 0)
        c.joy_axis = n;
    else if (strcmp(key, "enc_axis_bits") == 0)
        c.axis_bits = n >= 2 && n <= 16 ? n : 16;
    else if (strcmp(key, "enc_invert") == 0)
        c.invert = n;
    else if (strcmp(key, "enc_counts_per_rev") == 0)
        positive_number(&c.counts_per_rev, value);
    else if (strcmp(key, "enc_full_rpm") == 0)
        positive_number(&c.full_rpm, value);
    else if (strcmp(key, "enc_serial") == 0)
        trim_spaces(c.serial, ENC_SERIAL_PATH_MAX, value);
    else if (strcmp(key, "enc_serial_baud") == 0)
        c.serial_baud = n;
    else if (strcmp(key, "enc_serial_proto") == 0)
        c.serial_proto = name_index(proto_names, 4, value, PROTO_PELOTON);
    else
        return false;
    return true;
}

void encoder_settings_write(FILE* f) {
    const encoder_settings& c = encoder_config;
    fprintf(f, "# external pedal: a rotary encoder / exercise bike (see --enctest)\n"
               "# enc_source: none | joy_buttons (A/B on two buttons) | joy_axis (a wrapping counter axis) | serial\n");
    fprintf(f, "enc_source=%s\n", encoder_source_name(c.source));
    fprintf(f, "enc_joy_a=%d\nenc_joy_b=%d\nenc_joy_axis=%d\nenc_axis_bits=%d\n", c.joy_a, c.joy_b, c.joy_axis,
            c.axis_bits);
    fprintf(f, "enc_invert=%d\n", c.invert);
    fprintf(f, "# decoded counts per crank turn (A/B x4 counts) -- turn the crank once under --enctest and read it "
               "off\n");
    fprintf(f, "enc_counts_per_rev=%g\n", c.counts_per_rev);
    fprintf(f, "# the cadence that counts as flat out\nenc_full_rpm=%g\n", c.full_rpm);
    fprintf(f, "# enc_serial_proto: peloton (we poll the bike, 19200) | peloton_sniff (listen only) | ticks | rpm\n");
    fprintf(f, "enc_serial=%s\nenc_serial_proto=%s\nenc_serial_baud=%d\n", c.serial,
            encoder_protocol_name(c.serial_proto), c.serial_baud);
}

const char* encoder_source_name(int source) {
    return source >= 0 && source < 4 ? source_names[source] : source_names[ENC_NONE];
}

const char* encoder_protocol_name(int proto) {
    return proto >= 0 && proto < 4 ? proto_names[proto] : proto_names[PROTO_PELOTON];
}

int encoder_source() {
    encoder_config_load();
    return encoder_config.source;
}

void encoder_poll() {
    if (encoder_source() == ENC_SERIAL) encoder_poll_serial(SDL_GetTicks());
}

void encoder_poll_serial(uint32_t now_ms) {
    encoder_config_load();
    encoder_runtime& e = encoder;
    if (!e.port.open && !serial_try_open(now_ms)) return;
    if (encoder_config.serial_proto == PROTO_PELOTON && now_ms - e.last_poll_ms >= BIKE_POLL_MS) {
        uint8_t poll[4];
        bike_request_build(BIKE_TYPE_CADENCE, poll);
        e.last_poll_ms = now_ms;
        if (serial_write(&e.port, poll, sizeof poll) < 0) {
            serial_lost(now_ms);
            return;
        }
    }
    uint8_t chunk[READ_CHUNK];
    for (;;) {
        int n = serial_read(&e.port, chunk, sizeof chunk);
        if (n < 0) {
            serial_lost(now_ms);
            return;
        }
        serial_bytes(now_ms, chunk, n);
        if (n < READ_CHUNK) return;
    }
}

void encoder_poll_joystick(const SDL_Event* event) {
    int source = encoder_source();
    if (source != ENC_JOY_BUTTONS && source != ENC_JOY_AXIS) return;
    if (source == ENC_JOY_BUTTONS && (event->type == SDL_JOYBUTTONDOWN || event->type == SDL_JOYBUTTONUP)) {
        joystick_buttons(event->jbutton);
    } else if (source == ENC_JOY_AXIS && event->type == SDL_JOYAXISMOTION) {
        joystick_axis(event->jaxis);
    } else if (event->type == SDL_JOYDEVICEREMOVED && encoder.bound >= 0 && event->jdevice.which == encoder.bound) {
        encoder.bound = -1;
        encoder.axis_seen = false;
        printf("  [ENC] encoder device removed\n");
    }
}

void encoder_counts_notice(uint32_t now_ms, int64_t counts) {
    if (counts == 0) return;
    if (encoder_config.invert) counts = -counts;
    encoder.net_count += counts;
    cadence_add_counts(&encoder.cadence, now_ms, counts);
    first_data("first encoder counts received");
}

double encoder_rpm() {
    if (encoder_source() == ENC_NONE) return 0.0;
    return cadence_rpm(&encoder.cadence, SDL_GetTicks());
}

int encoder_level() {
    if (encoder_source() == ENC_NONE) return 0;
    return cadence_to_level(encoder_rpm(), encoder_config.full_rpm);
}
