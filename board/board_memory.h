// The board's memory images: one static block, cleared once by main before the ROM
// set is looked at, alive for the whole run. Each window holds exactly the bytes the
// board decodes at its 68020 address range; the order is the board's address table.
#pragma once
#include <cstdint>
#include <cstddef>

struct board_memory_block {
    uint8_t program_rom[0x400000];     // 0x000000-0x3FFFFF, big-endian, byte n at address n
    uint8_t wram_bytes[0x40000];       // 0xE00000-0xE3FFFF, work RAM as the bus sees it
    uint8_t palette_ram[0x18000];      // 0x828000-0x83FFFF, planes R, G, B of 0x8000 bytes
    uint8_t CGRAM[0x1E000];            // 0x880000-0x89DFFF, text-layer tile pixels
    uint8_t textram[0x2000];           // 0x89E000-0x89FFFF, 64 columns x 2 bytes per row
    uint8_t text_registers[0x10];      // 0x8A0000-0x8A000F
    uint8_t sprite_ram[0x30000];       // 0x980000-0x9AFFFF
    uint8_t sprite_attributes[0x10000];// 0x900000-0x90FFFF
    uint8_t sprite_registers[0x80];    // 0x940000-0x94007F
    uint8_t dspram[0x20000];           // 0xC00000-0xC1FFFF
    uint8_t commsram[0x8000];          // 0xA04000-0xA0BFFF, shared with the sound CPU
    uint8_t aux_ram[0x20000];          // 0xF80000-0xF9FFFF
    uint8_t czram[0x400];              // 0x810000-0x8103FF, CZ fog RAM
    uint8_t mixer_registers[0x400];    // 0x824000-0x8243FF
    uint8_t eeprom_window[0x4000];     // 0x460000-0x463FFF
    uint8_t io_bytes[0x20];            // 0x700000-0x70001F
    // Not bus windows: the game routines' view of work RAM, one 64-bit slot per byte
    // (a 68020 long or a host pointer), and the marks of the slots an import leaves alone.
    int64_t wram[0x40000];
    uint8_t wram_owned[0x40000];
    uint8_t frame_due;                 // set by the host once per paced frame
    uint32_t host_frame;               // main-loop iterations; the block's last word
};

static_assert(offsetof(board_memory_block, host_frame) + sizeof(uint32_t) == sizeof(board_memory_block),
              "host_frame is the last word of the block");

extern board_memory_block board_memory;

// The images under the names the game routines use.
inline auto& program_rom = board_memory.program_rom;
inline auto& wram_bytes = board_memory.wram_bytes;
inline auto& palette_ram = board_memory.palette_ram;
inline auto& CGRAM = board_memory.CGRAM;
inline auto& textram = board_memory.textram;
inline auto& text_registers = board_memory.text_registers;
inline auto& sprite_ram = board_memory.sprite_ram;
inline auto& sprite_attributes = board_memory.sprite_attributes;
inline auto& sprite_registers = board_memory.sprite_registers;
inline auto& dspram = board_memory.dspram;
inline auto& commsram = board_memory.commsram;
inline auto& aux_ram = board_memory.aux_ram;
inline auto& czram = board_memory.czram;
inline auto& mixer_registers = board_memory.mixer_registers;
inline auto& eeprom_window = board_memory.eeprom_window;
inline auto& io_bytes = board_memory.io_bytes;
inline auto& wram = board_memory.wram;
inline auto& wram_owned = board_memory.wram_owned;
inline auto& frame_due = board_memory.frame_due;
inline auto& host_frame = board_memory.host_frame;

// Zeroes every image of the block (start-up step 6) and checks once that the block
// lies where a work-RAM slot can tell its addresses from 68020 values (aborts if not).
void board_memory_clear();
