// The serial pedal sources over a pseudo-terminal pair: the test holds the master side
// as the device would, the encoder opens the slave by its path.
#include "host/encoder.h"
#include "host/serial_port.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const encoder_settings initial_encoder = encoder_config;

// Waits (at most a second) until fd has something to read or has hung up.
bool wait_readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 1000) > 0;
}

std::vector<uint8_t> read_all(int fd) {
    std::vector<uint8_t> bytes;
    uint8_t chunk[256];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 100) > 0) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

class SerialEncoder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0) << strerror(errno);
        encoder_config = initial_encoder;
        encoder_setting_apply("enc_source", "serial");
        encoder_setting_apply("enc_serial", path);
        encoder_init(true);
    }
    void TearDown() override {
        serial_close(&encoder.port);
        if (master >= 0) close(master);
        if (slave >= 0) close(slave);
    }
    void device_sends(const std::string& text) {
        ASSERT_EQ(write(master, text.data(), text.size()), ssize_t(text.size()));
        ASSERT_TRUE(wait_readable(encoder.port.fd));
    }
    int master = -1, slave = -1;
    char path[128];
};

TEST_F(SerialEncoder, RpmLinesGiveTheCadence) {
    encoder_setting_apply("enc_serial_proto", "rpm");
    testing::internal::CaptureStdout();
    encoder_poll_serial(1000);
    ASSERT_TRUE(encoder.port.open);
    device_sends("60\r\n");
    encoder_poll_serial(1010);
    device_sends("60\n");
    encoder_poll_serial(1110);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [ENC] external pedal: serial / rpm, 96 counts/rev, 100 rpm = full\n"
              "  [ENC] serial " + std::string(path) + " open, 115200 baud, rpm\n"
              "  [ENC] first RPM line received\n");
    EXPECT_EQ(cadence_rpm(&encoder.cadence, 1200), 60.0);
    EXPECT_EQ(cadence_to_level(cadence_rpm(&encoder.cadence, 1200), encoder_config.full_rpm), 76);
    EXPECT_EQ(cadence_rpm(&encoder.cadence, 1110 + 1501), 0.0);  // the device went quiet
}

TEST_F(SerialEncoder, TicksLinesAreARunningTotal) {
    encoder_setting_apply("enc_serial_proto", "ticks");
    testing::internal::CaptureStdout();
    encoder_poll_serial(1000);
    const struct {
        const char* line;
        int64_t net;
    } lines[] = {
        {"  12\n", 0},     // the first total only sets the reference
        {"20\n", 8},
        {"12x\n", 8},      // not a number line
        {"200020\n", 8},   // a jump past 100000: a new reference, no count
        {"200021\n", 9},
        {"200019\n", 7},
    };
    uint32_t t = 1000;
    for (const auto& l : lines) {
        device_sends(l.line);
        encoder_poll_serial(t += 20);
        EXPECT_EQ(encoder.net_count, l.net) << l.line;
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(SerialEncoder, BikeIsPolledEveryHundredMilliseconds) {
    testing::internal::CaptureStdout();
    encoder_poll_serial(1000);  // opens at 19200 and polls at once
    EXPECT_EQ(read_all(master), (std::vector<uint8_t>{0xF5, 0x41, 0x36, 0xF6}));
    encoder_poll_serial(1050);
    encoder_poll_serial(1099);
    EXPECT_TRUE(read_all(master).empty());
    encoder_poll_serial(1100);
    EXPECT_EQ(read_all(master), (std::vector<uint8_t>{0xF5, 0x41, 0x36, 0xF6}));

    const uint8_t reply[] = {0xF1, 0x41, 0x03, 0x30, 0x36, 0x30, 0xCB, 0xF6};
    device_sends(std::string(reinterpret_cast<const char*>(reply), sizeof reply));
    encoder_poll_serial(1150);
    EXPECT_EQ(cadence_rpm(&encoder.cadence, 1150), 60.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [ENC] external pedal: serial / peloton, 96 counts/rev, 100 rpm = full\n"
              "  [ENC] serial " + std::string(path) + " open, 19200 baud, peloton\n"
              "  [ENC] first cadence reply from the bike\n");

    // Listening only: no polls go out.
    serial_close(&encoder.port);
    encoder_setting_apply("enc_serial_proto", "peloton_sniff");
    testing::internal::CaptureStdout();
    encoder_poll_serial(5000);
    encoder_poll_serial(5200);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(encoder.port.open);
    EXPECT_TRUE(read_all(master).empty());
}

TEST_F(SerialEncoder, ALostDeviceIsRetriedWithoutBlocking) {
    encoder_setting_apply("enc_serial_proto", "rpm");
    testing::internal::CaptureStdout();
    encoder_poll_serial(1000);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(encoder.port.open);
    EXPECT_TRUE(fcntl(encoder.port.fd, F_GETFL) & O_NONBLOCK);
    encoder_poll_serial(1020);  // nothing waiting: returns at once, still open
    EXPECT_TRUE(encoder.port.open);

    close(master);
    master = -1;
    close(slave);
    slave = -1;
    ASSERT_TRUE(wait_readable(encoder.port.fd));
    testing::internal::CaptureStderr();
    encoder_poll_serial(2000);
    EXPECT_FALSE(encoder.port.open);
    EXPECT_EQ(encoder.next_open_ms, 3000u);
    encoder_poll_serial(2999);
    EXPECT_EQ(encoder.next_open_ms, 3000u);  // not yet
    encoder_poll_serial(3000);
    EXPECT_EQ(encoder.next_open_ms, 5000u);  // tried, failed: every 2 s from now on
    encoder_poll_serial(5000);
    EXPECT_EQ(encoder.next_open_ms, 7000u);
    std::string err = testing::internal::GetCapturedStderr();
    std::string lost = "  [ENC] serial " + std::string(path) + " lost, retrying\n";
    ASSERT_EQ(err.compare(0, lost.size(), lost), 0) << err;
    std::string rest = err.substr(lost.size());
    EXPECT_EQ(rest.find("  [ENC] cannot open " + std::string(path)), 0u) << rest;
    EXPECT_NE(rest.find("(will keep retrying)\n"), std::string::npos) << rest;
    EXPECT_EQ(rest.find("[ENC]", 5), std::string::npos) << "said once: " << rest;
}

TEST(SerialPort, OpenFailuresSayWhy) {
    serial_port port;
    serial_init(&port);
    const struct {
        const char* path;
        int baud;
        const char* error;
    } cases[] = {
        {"/dev/null", 1234, "unsupported baud rate 1234"},
        {"/no/such/tty", 9600, "cannot open /no/such/tty: No such file or directory"},
        {"/dev/null", 9600, "/dev/null is not a serial port: Inappropriate ioctl for device"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(serial_open(&port, c.path, c.baud), -1);
        EXPECT_STREQ(port.error, c.error);
        EXPECT_FALSE(port.open);
    }
    char buffer[4];
    EXPECT_EQ(serial_read(&port, buffer, sizeof buffer), -1);
    EXPECT_EQ(serial_write(&port, buffer, sizeof buffer), -1);
}

TEST(SerialPort, AnEmptyPathIsReportedOnce) {
    encoder_config = initial_encoder;
    encoder_setting_apply("enc_source", "serial");
    encoder_init(true);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (uint32_t t = 0; t < 10000; t += 1000) encoder_poll_serial(t);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "  [ENC] enc_source=serial but enc_serial is empty (try --enctest)\n");
    testing::internal::GetCapturedStdout();
}

}  // namespace
