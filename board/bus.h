// The board's 68020 address map over the static images of board_memory.h: a fixed
// decode of each window onto its image and big-endian 8-, 16- and 32-bit accessors.
// Every ROM table the game reads and every device register it writes goes through
// here. Addresses are unsigned 32-bit; address arithmetic wraps.
//
// Reads of addresses no window decodes give the board's open-bus values:
//   bus_read8: 256 (so a byte read tells "nothing there" from 0..255),
//   bus_read16: 0x10000, bus_read32: 0;
//   the DIP switches 0x440000-0x440003 read -1 (all ones), 0x450000-0x45000F read 0xFF.
// The 32 I/O bytes 0x700000-0x70001F are plain storage with two write side effects:
//   any write to 0x700004 clears frame_due; writing the value 1 to 0x700016 sets
//   commsram byte 0x7D01 to 0x80 (byte writes only: a 16-bit write of 1 stores 0 there).
#pragma once
#include <cstdint>

constexpr uint32_t PROGRAM_ROM_END = 0x400000;  // ROM addresses are 0 .. 0x3FFFFF
constexpr uint32_t WRAM_BASE = 0xE00000;        // work RAM 0xE00000-0xE3FFFF
constexpr uint32_t WRAM_SIZE = 0x40000;
constexpr uint32_t IO_BASE = 0x700000;          // the 32 I/O bytes
constexpr uint32_t DIP_SWITCH_BASE = 0x440000;

// The image and the offset within it of an address inside one of the windows, or null
// (the I/O bytes and the fixed-value ranges are not windows). offset may be null.
uint8_t* bus_decode(uint32_t address, uint32_t* offset);

int bus_read8(uint32_t address);      // 0..255, -1, 255 or 256 as above
int bus_read16(uint32_t address);     // (read8(a) << 8) | (read8(a + 1) & 0xFF)
int32_t bus_read32(uint32_t address); // (read16(a) << 16) | (read16(a + 2) & 0xFFFF)

// Every window is writable, the program ROM image included; writes nothing decodes are
// ignored. Wider writes are byte writes, most significant byte first.
void bus_write8(uint32_t address, uint32_t value);
void bus_write16(uint32_t address, uint32_t value);
void bus_write32(uint32_t address, uint32_t value);
