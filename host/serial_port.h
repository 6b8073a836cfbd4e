// A USB serial port, raw 8N1 and non-blocking, for the pedal encoder.
#pragma once
#include <cstddef>

constexpr int SERIAL_ERROR_MAX = 160;

struct serial_port {
    int fd;       // -1 closed
    bool open;
    char error[SERIAL_ERROR_MAX];  // why the last open failed
};

// A closed port.
void serial_init(serial_port* port);
// 0, or -1 with port->error set: unsupported baud rate, cannot open, not a serial
// port, cannot configure. Pending input and output are discarded.
int serial_open(serial_port* port, const char* path, int baud);
// Bytes read (> 0), 0 when none are waiting, -1 on an error or a hang-up (or closed).
int serial_read(serial_port* port, void* buffer, size_t size);
// Bytes written, 0 when the port would block, -1 on an error (or closed).
int serial_write(serial_port* port, const void* data, size_t length);
void serial_close(serial_port* port);
// Prints the USB serial devices present, one per line.
void serial_list_ports();
