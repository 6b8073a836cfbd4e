#include "board/bus.h"

#include "board/board_memory.h"

namespace {

struct bus_window {
    uint32_t base;
    uint32_t size;
    uint8_t* image;
};

// The board's address table; the decode tests the windows in this order, ROM first,
// since ROM tables are by far the most frequent reads.
const bus_window windows[] = {
    {0x000000, sizeof board_memory.program_rom, board_memory.program_rom},
    {0xE00000, sizeof board_memory.wram_bytes, board_memory.wram_bytes},
    {0x828000, sizeof board_memory.palette_ram, board_memory.palette_ram},
    {0x880000, sizeof board_memory.CGRAM, board_memory.CGRAM},
    {0x89E000, sizeof board_memory.textram, board_memory.textram},
    {0x8A0000, sizeof board_memory.text_registers, board_memory.text_registers},
    {0x980000, sizeof board_memory.sprite_ram, board_memory.sprite_ram},
    {0x900000, sizeof board_memory.sprite_attributes, board_memory.sprite_attributes},
    {0x940000, sizeof board_memory.sprite_registers, board_memory.sprite_registers},
    {0xC00000, sizeof board_memory.dspram, board_memory.dspram},
    {0xA04000, sizeof board_memory.commsram, board_memory.commsram},
    {0xF80000, sizeof board_memory.aux_ram, board_memory.aux_ram},
    {0x810000, sizeof board_memory.czram, board_memory.czram},
    {0x824000, sizeof board_memory.mixer_registers, board_memory.mixer_registers},
    {0x460000, sizeof board_memory.eeprom_window, board_memory.eeprom_window},
};

constexpr uint32_t IO_SIZE = sizeof board_memory.io_bytes;
constexpr uint32_t FIXED_FF_BASE = 0x450000;  // 16 bytes that read 0xFF
constexpr uint32_t IO_FRAME_ACK = 0x700004;    // a write clears frame_due
constexpr uint32_t IO_SOUND_ATTN = 0x700016;   // writing 1 flags the sound CPU
constexpr uint32_t SOUND_ATTN_BYTE = 0x7D01;   // in commsram

}  // namespace

uint8_t* bus_decode(uint32_t address, uint32_t* offset) {
    for (const bus_window& w : windows) {
        uint32_t off = address - w.base;  // wraps above the window for addresses below it
        if (off < w.size) {
            if (offset) *offset = off;
            return w.image;
        }
    }
    return nullptr;
}

int bus_read8(uint32_t address) {
    uint32_t off;
    if (uint8_t* image = bus_decode(address, &off)) return image[off];
    if (address - IO_BASE < IO_SIZE) return board_memory.io_bytes[address - IO_BASE];
    if (address - DIP_SWITCH_BASE < 4) return -1;
    if (address - FIXED_FF_BASE < 16) return 0xFF;
    return 256;
}

// Composed in unsigned arithmetic: the -1 and 256 of an odd read shift as the board's
// open-bus bits would, without signed overflow.
int bus_read16(uint32_t address) {
    uint32_t hi = uint32_t(bus_read8(address));
    uint32_t lo = uint32_t(bus_read8(address + 1)) & 0xFF;
    return int(hi << 8 | lo);
}

int32_t bus_read32(uint32_t address) {
    uint32_t hi = uint32_t(bus_read16(address));
    uint32_t lo = uint32_t(bus_read16(address + 2)) & 0xFFFF;
    return int32_t(hi << 16 | lo);
}

void bus_write8(uint32_t address, uint32_t value) {
    uint8_t byte = uint8_t(value);
    uint32_t off;
    if (uint8_t* image = bus_decode(address, &off)) {
        image[off] = byte;
        return;
    }
    if (address - IO_BASE >= IO_SIZE) return;
    board_memory.io_bytes[address - IO_BASE] = byte;
    if (address == IO_FRAME_ACK) board_memory.frame_due = 0;
    if (address == IO_SOUND_ATTN && byte == 1) board_memory.commsram[SOUND_ATTN_BYTE] = 0x80;
}

void bus_write16(uint32_t address, uint32_t value) {
    bus_write8(address, value >> 8);
    bus_write8(address + 1, value);
}

void bus_write32(uint32_t address, uint32_t value) {
    bus_write16(address, value >> 16);
    bus_write16(address + 2, value);
}
