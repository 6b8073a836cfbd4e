// What the pedal encoder's serial devices send: text lines of one number (a running
// count total or a cadence), or an exercise bike's binary replies to polls.
#pragma once
#include <cstddef>
#include <cstdint>

// Text lines up to CR or LF; at most 47 characters are kept and a longer line is
// dropped whole.
constexpr int SERIAL_LINE_MAX = 47;
struct serial_line_parser {
    char text[SERIAL_LINE_MAX + 1];
    int length;
    bool overflow;
};
void serial_line_reset(serial_line_parser* p);
// One byte; true when it ends a line holding exactly one number (as strtod reads it,
// followed only by blanks or tabs) that is finite and within +-2^53, stored in *value.
bool serial_line_parse(serial_line_parser* p, uint8_t byte, double* value);

// The bike's frames. A poll: F5, type, checksum (low byte of F5 + type), F6. A reply:
// F1, type, n (1..16), n ASCII digits least significant first, checksum (low byte of
// the sum from F1 through the last digit), F6.
constexpr uint8_t BIKE_POLL_START = 0xF5, BIKE_REPLY_START = 0xF1, BIKE_END = 0xF6;
constexpr uint8_t BIKE_TYPE_CADENCE = 0x41, BIKE_TYPE_POWER = 0x44;
constexpr int BIKE_FRAME_MAX = 23;
void bike_request_build(uint8_t type, uint8_t out[4]);

struct bike_reply_parser {
    uint8_t frame[BIKE_FRAME_MAX + 1];
    int length;
};
struct bike_reply {
    uint8_t type;
    int64_t value;
};
void bike_reply_reset(bike_reply_parser* p);
// One byte; true when it completes a valid reply. A bad length, checksum, end byte or
// digit drops the frame and the parser waits for the next F1.
bool bike_reply_parse(bike_reply_parser* p, uint8_t byte, bike_reply* out);
