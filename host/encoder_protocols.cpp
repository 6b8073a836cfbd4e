#include "host/encoder_protocols.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double EXACT_LIMIT = 9007199254740992.0;  // 2^53: beyond it counts lose units

// One number and nothing but blanks or tabs after it.
bool line_number(const char* text, double* value) {
    char* end = nullptr;
    double x = strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ' || *end == '\t') end++;
    if (*end) return false;
    if (!std::isfinite(x) || std::fabs(x) > EXACT_LIMIT) return false;
    *value = x;
    return true;
}

}  // namespace

void serial_line_reset(serial_line_parser* p) {
    memset(p, 0, sizeof *p);
}

bool serial_line_parse(serial_line_parser* p, uint8_t byte, double* value) {
    if (byte != '\r' && byte != '\n') {
        if (p->length < SERIAL_LINE_MAX)
            p->text[p->length++] = char(byte);
        else
            p->overflow = true;
        return false;
    }
    bool whole = !p->overflow && p->length > 0;
    p->text[p->length] = 0;
    bool ok = whole && memchr(p->text, 0, size_t(p->length)) == nullptr && line_number(p->text, value);
    p->length = 0;
    p->overflow = false;
    return ok;
}

void bike_request_build(uint8_t type, uint8_t out[4]) {
    out[0] = BIKE_POLL_START;
    out[1] = type;
    out[2] = uint8_t(BIKE_POLL_START + type);
    out[3] = BIKE_END;
}

void bike_reply_reset(bike_reply_parser* p) {
    p->length = 0;
}

bool bike_reply_parse(bike_reply_parser* p, uint8_t byte, bike_reply* out) {
    if (p->length == 0 && byte != BIKE_REPLY_START) return false;
    if (p->length >= BIKE_FRAME_MAX) {
        p->length = 0;
        return false;
    }
    p->frame[p->length++] = byte;
    if (p->length < 3) return false;
    int n = p->frame[2];
    if (n < 1 || n > 16) {
        p->length = 0;
        return false;
    }
    if (p->length < n + 5) return false;
    p->length = 0;
    const uint8_t* f = p->frame;
    uint8_t sum = 0;
    for (int i = 0; i < n + 3; i++) sum = uint8_t(sum + f[i]);
    if (f[n + 4] != BIKE_END || f[n + 3] != sum) return false;
    int64_t value = 0;
    for (int i = n - 1; i >= 0; i--) {
        uint8_t digit = f[3 + i];
        if (digit < '0' || digit > '9') return false;
        value = value * 10 + (digit - '0');
    }
    out->type = f[1];
    out->value = value;
    return true;
}
