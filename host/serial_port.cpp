#include "host/serial_port.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const struct {
    int baud;
    speed_t speed;
} baud_rates[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool speed_for(int baud, speed_t* speed) {
    for (const auto& b : baud_rates)
        if (b.baud == baud) {
            *speed = b.speed;
            return true;
        }
    return false;
}

}  // namespace

void serial_init(serial_port* port) {
    port->fd = -1;
    port->open = false;
    port->error[0] = 0;
}

int serial_open(serial_port* port, const char* path, int baud) {
    serial_close(port);
    speed_t speed;
    if (!speed_for(baud, &speed)) {
        snprintf(port->error, sizeof port->error, "unsupported baud rate %d", baud);
        return -1;
    }
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        snprintf(port->error, sizeof port->error, "cannot open %s: %s", path, strerror(errno));
        return -1;
    }
    termios t;
    if (tcgetattr(fd, &t) != 0) {
        snprintf(port->error, sizeof port->error, "%s is not a serial port: %s", path, strerror(errno));
        close(fd);
        return -1;
    }
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cc[VTIME] = 0;
    t.c_cc[VMIN] = 0;
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        snprintf(port->error, sizeof port->error, "cannot configure %s: %s", path, strerror(errno));
        close(fd);
        return -1;
    }
    tcflush(fd, TCIOFLUSH);
    port->fd = fd;
    port->open = true;
    port->error[0] = 0;
    return 0;
}

int serial_read(serial_port* port, void* buffer, size_t size) {
    if (!port->open) return -1;
    ssize_t n = read(port->fd, buffer, size);
    if (n > 0) return int(n);
    if (n < 0 && errno != EINTR && errno != EAGAIN) return -1;
    pollfd p{port->fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return -1;
    return 0;
}

int serial_write(serial_port* port, const void* data, size_t length) {
    if (!port->open) return -1;
    ssize_t n = write(port->fd, data, length);
    if (n >= 0) return int(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

void serial_close(serial_port* port) {
    if (port->open) close(port->fd);
    port->fd = -1;
    port->open = false;
}

void serial_list_ports() {
    static const char* const patterns[] = {"/dev/ttyUSB*", "/dev/ttyACM*", "/dev/cu.usb*", "/dev/serial/by-id/*"};
    int found = 0;
    for (const char* pattern : patterns) {
        glob_t g;
        if (glob(pattern, 0, nullptr, &g) == 0) {
            for (size_t i = 0; i < g.gl_pathc; i++) printf("  %s\n", g.gl_pathv[i]);
            found += int(g.gl_pathc);
        }
        globfree(&g);
    }
    if (!found) printf("  (no USB serial ports found)\n");
}
