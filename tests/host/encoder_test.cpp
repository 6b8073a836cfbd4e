// The pedal encoder: cadence from counts, quadrature and axis counting, the serial
// protocols' parsers and the enc_* settings.
#include "host/cadence.h"
#include "host/encoder.h"
#include "host/encoder_protocols.h"

#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>

namespace {

const encoder_settings initial_encoder = encoder_config;

// One count every 1000/96 ms (96 counts a second) from start to end.
void counts_per_second(cadence_ring* ring, uint32_t start_ms, uint32_t end_ms) {
    for (int k = 0;; k++) {
        uint32_t t = start_ms + uint32_t(k * 1000 / 96);
        if (t > end_ms) break;
        cadence_add_counts(ring, t, 1);
    }
}

TEST(Cadence, OneTurnASecondIsSixtyRpmAndLevel76) {
    cadence_ring ring;
    cadence_reset(&ring, 96);
    counts_per_second(&ring, 1000, 3000);
    EXPECT_NEAR(cadence_rpm(&ring, 3000), 60.0, 0.6);
    EXPECT_EQ(cadence_to_level(cadence_rpm(&ring, 3000), 100), 76);
}

TEST(Cadence, StoppedCountsFallOffThenStop) {
    cadence_ring ring;
    cadence_reset(&ring, 96);
    counts_per_second(&ring, 1000, 3000);
    uint32_t last = ring.time_ms[(ring.write + CADENCE_RING - 1) % CADENCE_RING];
    for (int age : {100, 500, 1000, 1999, 2000}) {
        double expected = std::fmin(60.0, 60000.0 / (96.0 * age));
        EXPECT_NEAR(cadence_rpm(&ring, last + uint32_t(age)), expected, 0.6) << age;
    }
    EXPECT_EQ(cadence_rpm(&ring, last + 2001), 0.0);
}

TEST(Cadence, WindowRules) {
    cadence_ring ring;
    cadence_reset(&ring, 96);
    EXPECT_EQ(cadence_rpm(&ring, 0), 0.0);  // empty
    cadence_add_counts(&ring, 1000, 5);
    EXPECT_EQ(cadence_rpm(&ring, 1000), 0.0);  // one sample: no span

    // A gap of more than 700 ms starts the window after it: only the last 200 ms count.
    cadence_reset(&ring, 96);
    cadence_add_counts(&ring, 0, 500);
    for (uint32_t t = 1000; t <= 1200; t += 50) cadence_add_counts(&ring, t, 8);
    EXPECT_NEAR(cadence_rpm(&ring, 1200), 32.0 / 96 * 60000 / 200, 1e-9);

    // Samples within 10 ms of the last stored one merge into it.
    cadence_reset(&ring, 96);
    cadence_add_counts(&ring, 100, 1);
    cadence_add_counts(&ring, 105, 1);
    cadence_add_counts(&ring, 110, 1);
    EXPECT_EQ(ring.fill, 1);
    EXPECT_EQ(ring.total[0], 3);
    cadence_add_counts(&ring, 111, 1);
    EXPECT_EQ(ring.fill, 2);

    // A span under 50 ms gives nothing; a direct cadence holds 1.5 s.
    cadence_reset(&ring, 96);
    cadence_add_counts(&ring, 100, 1);
    cadence_add_counts(&ring, 140, 1);
    EXPECT_EQ(cadence_rpm(&ring, 140), 0.0);
    cadence_set_rpm(&ring, 1000, 72.5);
    EXPECT_EQ(cadence_rpm(&ring, 2500), 72.5);
    EXPECT_EQ(cadence_rpm(&ring, 2501), 0.0);
}

TEST(Cadence, LevelFromRpm) {
    const struct {
        double rpm, full;
        int level;
    } cases[] = {{0.9, 100, 0}, {1, 100, 1}, {60, 100, 76}, {100, 100, 127}, {250, 100, 127}, {50, 0, 0},
                 {NAN, 100, 0}};
    for (const auto& c : cases) EXPECT_EQ(cadence_to_level(c.rpm, c.full), c.level) << c.rpm << " / " << c.full;
}

TEST(Cadence, QuadratureSteps) {
    int forward = 0, backward = 0;
    for (int i = 0; i < 4; i++) {
        static const int cycle[5] = {0, 1, 3, 2, 0};
        forward += quadrature_step(cycle[i], cycle[i + 1]);
        backward += quadrature_step(cycle[4 - i], cycle[3 - i]);
    }
    EXPECT_EQ(forward, 4);
    EXPECT_EQ(backward, -4);
    EXPECT_EQ(quadrature_step(0, 3), 0);  // skipped a state
    EXPECT_EQ(quadrature_step(1, 2), 0);
    EXPECT_EQ(quadrature_step(2, 2), 0);
}

class EncoderSource : public testing::Test {
protected:
    void SetUp() override {
        encoder_config = initial_encoder;
        encoder_init(true);
    }
    static SDL_Event axis(SDL_JoystickID which, int axis_number, int value, uint32_t t) {
        SDL_Event e{};
        e.type = SDL_JOYAXISMOTION;
        e.jaxis.which = which;
        e.jaxis.axis = Uint8(axis_number);
        e.jaxis.value = Sint16(value);
        e.jaxis.timestamp = t;
        return e;
    }
    static SDL_Event button(SDL_JoystickID which, int number, bool down, uint32_t t) {
        SDL_Event e{};
        e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        e.jbutton.which = which;
        e.jbutton.button = Uint8(number);
        e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.jbutton.timestamp = t;
        return e;
    }
};

TEST_F(EncoderSource, AxisCounterWrapsAndDropsGlitches) {
    encoder_setting_apply("enc_source", "joy_axis");
    encoder_setting_apply("enc_joy_axis", "1");
    testing::internal::CaptureStdout();
    const struct {
        SDL_JoystickID which;
        int value;
        int64_t net;
    } events[] = {
        {7, 32767, 0},    // binds device 7 at 65535; no count
        {7, -32768, 1},   // 65535 -> 0: one forward
        {7, -32767, 2},   // 0 -> 1
        {9, 0, 2},        // another device is ignored
        {7, 0, 2},        // a jump of half the counter: a glitch
        {7, 1, 3},
        {7, -2, 0},       // three back
    };
    uint32_t t = 100;
    for (const auto& e : events) {
        SDL_Event ev = axis(e.which, 1, e.value, t += 20);
        encoder_poll_joystick(&ev);
        EXPECT_EQ(encoder.net_count, e.net) << e.value;
    }
    SDL_Event other_axis = axis(7, 0, 5000, t += 20);
    encoder_poll_joystick(&other_axis);
    EXPECT_EQ(encoder.net_count, 0);
    SDL_Event removed{};
    removed.type = SDL_JOYDEVICEREMOVED;
    removed.jdevice.which = 7;
    encoder_poll_joystick(&removed);
    EXPECT_EQ(encoder.bound, -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [ENC] external pedal: joy_axis, 96 counts/rev, 100 rpm = full\n"
              "  [ENC] first encoder counts received\n"
              "  [ENC] encoder device removed\n");
}

TEST_F(EncoderSource, SmallAxisCountersAndTheirWidthRule) {
    for (const char* bits : {"1", "17", "x"}) {
        encoder_setting_apply("enc_axis_bits", "4");
        encoder_setting_apply("enc_axis_bits", bits);
        EXPECT_EQ(encoder_config.axis_bits, 16) << bits;
    }
    encoder_setting_apply("enc_axis_bits", " 4 ");
    EXPECT_EQ(encoder_config.axis_bits, 4);
    encoder_setting_apply("enc_source", "joy_axis");
    encoder_setting_apply("enc_joy_axis", "0");
    encoder_setting_apply("enc_invert", "1");
    testing::internal::CaptureStdout();
    // A 4-bit counter: a step is 65535/15 of the axis.
    int64_t expected[] = {0, -1, -2, -3};
    int values[] = {-32768, -32768 + 4369, -32768 + 2 * 4369, -32768 + 3 * 4369};
    for (int i = 0; i < 4; i++) {
        SDL_Event ev = axis(3, 0, values[i], uint32_t(100 + 20 * i));
        encoder_poll_joystick(&ev);
        EXPECT_EQ(encoder.net_count, expected[i]) << i;  // inverted
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(EncoderSource, ButtonsCountQuadrature) {
    encoder_setting_apply("enc_source", "joy_buttons");
    encoder_setting_apply("enc_joy_a", "0");
    encoder_setting_apply("enc_joy_b", "1");
    testing::internal::CaptureStdout();
    // A down binds device 4 (A=1, B=0: state 2); then 2 -> 3 -> 1 -> 0 -> 2 is four back.
    const struct {
        SDL_JoystickID which;
        int number;
        bool down;
        int64_t net;
    } events[] = {
        {4, 0, true, 0}, {4, 1, true, -1}, {4, 0, false, -2}, {5, 0, true, -2},  // another device
        {4, 1, false, -3}, {4, 0, true, -4}, {4, 2, true, -4},                  // another button
    };
    uint32_t t = 100;
    for (const auto& e : events) {
        SDL_Event ev = button(e.which, e.number, e.down, t += 15);
        encoder_poll_joystick(&ev);
        EXPECT_EQ(encoder.net_count, e.net) << e.number << " " << e.down;
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(EncoderSource, SettingsAndTheEnvironmentOverride) {
    EXPECT_FALSE(encoder_key_apply("joy_steer", "1"));
    EXPECT_FALSE(encoder_setting_apply("enc_bogus", "1"));
    EXPECT_TRUE(encoder_setting_apply("  enc_serial_proto ", " ticks\n"));
    EXPECT_EQ(encoder_config.serial_proto, PROTO_TICKS);
    encoder_setting_apply("enc_serial_proto", "modem");
    EXPECT_EQ(encoder_config.serial_proto, PROTO_PELOTON);
    encoder_setting_apply("enc_counts_per_rev", "-3");
    encoder_setting_apply("enc_full_rpm", "inf");
    EXPECT_EQ(encoder_config.counts_per_rev, 96);
    EXPECT_EQ(encoder_config.full_rpm, 100);
    encoder_setting_apply("enc_serial", std::string(200, 'p').c_str());
    EXPECT_EQ(std::string(encoder_config.serial), std::string(ENC_SERIAL_PATH_MAX, 'p'));

    setenv("SKYVOLTA_ENC", "enc_source=serial,enc_serial=/dev/ttyACM3,junk,enc_nope=1,joy_test=2,enc_full_rpm=90", 1);
    encoder_init(false);
    unsetenv("SKYVOLTA_ENC");
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(encoder_source(), ENC_SERIAL);  // the override also holds headless
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [ENC] external pedal: serial / peloton, 96 counts/rev, 90 rpm = full\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "  [ENC] SKYVOLTA_ENC: unknown key 'enc_nope'\n  [ENC] SKYVOLTA_ENC: unknown key 'joy_test'\n");
    EXPECT_EQ(std::string(encoder_config.serial), "/dev/ttyACM3");

    // Headless without the override: no source, whatever the file said.
    encoder_init(false);
    EXPECT_EQ(encoder_source(), ENC_NONE);
    EXPECT_EQ(encoder_level(), 0);
}

TEST(SerialLines, OneNumberPerLine) {
    const struct {
        const char* bytes;
        std::vector<double> numbers;
    } cases[] = {
        {"  12\n", {12}},
        {"12x\n", {}},
        {"12 \t\r\n", {12}},
        {"\n\r\n", {}},
        {"-3.5e2\r", {-350}},
        {"1 2\n", {}},
        {"inf\nnan\n1e300\n9007199254740994\n", {}},  // not finite or past 2^53
        {"9007199254740992\n", {9007199254740992.0}},
        {"60\n61", {60}},  // the second line is not finished
    };
    for (const auto& c : cases) {
        serial_line_parser p;
        serial_line_reset(&p);
        std::vector<double> got;
        for (const char* b = c.bytes; *b; b++) {
            double x;
            if (serial_line_parse(&p, uint8_t(*b), &x)) got.push_back(x);
        }
        EXPECT_EQ(got, c.numbers) << c.bytes;
    }
    // 47 characters are kept; a longer line is dropped whole, the next one read.
    serial_line_parser p;
    serial_line_reset(&p);
    std::string text = std::string(46, ' ') + "7\n" + std::string(47, ' ') + "8\n9\n";
    std::vector<double> got;
    for (char b : text) {
        double x;
        if (serial_line_parse(&p, uint8_t(b), &x)) got.push_back(x);
    }
    EXPECT_EQ(got, (std::vector<double>{7, 9}));
}

TEST(BikeProtocol, PollsAndReplies) {
    uint8_t poll[4];
    bike_request_build(0x41, poll);
    EXPECT_EQ(std::vector<uint8_t>(poll, poll + 4), (std::vector<uint8_t>{0xF5, 0x41, 0x36, 0xF6}));

    const std::vector<uint8_t> good = {0xF1, 0x41, 0x03, 0x30, 0x36, 0x30, 0xCB, 0xF6};
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<int64_t> values;
    } cases[] = {
        {"good", good, {60}},
        {"noise before", {0x00, 0xF6, 0x12, 0xF1, 0x44, 0x01, 0x35, 0x6B, 0xF6}, {5}},
        {"bad checksum, then good", {0xF1, 0x41, 0x03, 0x30, 0x36, 0x30, 0xCC, 0xF6}, {}},
        {"no F6", {0xF1, 0x41, 0x03, 0x30, 0x36, 0x30, 0xCB, 0x00}, {}},
        {"length 0", {0xF1, 0x41, 0x00, 0xF6}, {}},
        {"length 17", {0xF1, 0x41, 0x11}, {}},
        {"not a digit", {0xF1, 0x41, 0x01, 0x3A, 0x6D, 0xF6}, {}},
    };
    for (const auto& c : cases) {
        bike_reply_parser p;
        bike_reply_reset(&p);
        std::vector<int64_t> values;
        std::vector<uint8_t> stream = c.bytes;
        stream.insert(stream.end(), good.begin(), good.end());  // the parser is ready for the next reply
        for (uint8_t b : stream) {
            bike_reply r;
            if (bike_reply_parse(&p, b, &r)) values.push_back(r.value);
        }
        std::vector<int64_t> want = c.values;
        want.push_back(60);
        EXPECT_EQ(values, want) << c.what;
    }
}

}  // namespace
