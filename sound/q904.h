// The Q904 PCM chip of the sound board, modelled at register level: 32 voices of 8-bit
// wave-ROM samples (linear or companded) or noise, four output channels. Integer
// arithmetic only, no allocation, no lock, no messages; rendered on demand by its caller.
#pragma once
#include <cstdint>

// Bits of a voice's flags register (register 8v + 3).
constexpr uint16_t VF_REVERSE = 0x0001;    // step downward; with VF_LOOP: bidirectional loop
constexpr uint16_t VF_LOOP = 0x0002;
constexpr uint16_t VF_NOINTERP = 0x0004;
constexpr uint16_t VF_COMPANDED = 0x0008;
constexpr uint16_t VF_NOISE = 0x0010;
constexpr uint16_t VF_LINK = 0x0020;       // with VF_LOOP: continue in bank `start` at `loop`
constexpr uint16_t VF_BACKWARD = 0x0040;   // bidirectional loop currently stepping down
constexpr uint16_t VF_INV_LO = 0x0080;     // negate on channels 1 and 3
constexpr uint16_t VF_INV_FH = 0x0100;     // negate on channel 0
constexpr uint16_t VF_INV_RH = 0x0200;     // negate on channel 2
constexpr uint16_t VF_LOOPED = 0x0800;
constexpr uint16_t VF_KEY_OFF = 0x2000;
constexpr uint16_t VF_KEY_ON = 0x4000;
constexpr uint16_t VF_BUSY = 0x8000;

// Register indexes: voice v's eight registers at 8v + 0..7, then the chip registers.
constexpr uint32_t Q904_VOICES = 32;
constexpr uint32_t Q904_REG_VOL_F = 0, Q904_REG_VOL_R = 1, Q904_REG_FREQ = 2, Q904_REG_FLAGS = 3,
                   Q904_REG_BANK = 4, Q904_REG_START = 5, Q904_REG_END = 6, Q904_REG_LOOP = 7;
constexpr uint32_t Q904_REG_CONTROL = 0x200;
constexpr uint32_t Q904_REG_KEY_SWEEP = 0x202;

// One output frame: channels 0 and 1 the front pair, 2 and 3 the rear pair.
struct chip_frame {
    int16_t ch[4];
};

struct q904_voice {
    uint32_t position;  // bits 0-15 address in the bank, 16-23 bank
    uint32_t fraction;  // pitch accumulator, 0..0xFFFF
    int16_t sample;
    int16_t prev_sample;
    uint16_t vol_f;  // register 0: channel 0 level (high byte), channel 1 (low byte)
    uint16_t vol_r;  // register 1: channel 2 level (high byte), channel 3 (low byte)
    uint8_t level_fh, level_fl, level_rh, level_rl;  // current levels, ramped toward vol_f / vol_r
    uint16_t freq;   // register 2
    uint16_t flags;  // register 3
    uint16_t bank;   // register 4
    uint16_t start;  // register 5
    uint16_t end;    // register 6
    uint16_t loop;   // register 7
};

struct q904_chip {
    q904_voice voices[Q904_VOICES];
    int16_t compand_table[256];
    uint16_t noise_lfsr;
    uint16_t control;
    const uint8_t* wave_rom;  // not owned
    uint32_t wave_rom_size;
};

void q904_init(q904_chip* chip, const uint8_t* wave_rom, int32_t size);
// Clears the voices, the noise register and control; keeps the ROM and the table.
void q904_reset(q904_chip* chip);
uint16_t q904_read(const q904_chip* chip, uint32_t reg);
void q904_write(q904_chip* chip, uint32_t reg, uint32_t value, uint32_t mask);
// Writes `frames` chip_frames to out and advances the chip by as many frames.
void q904_render(q904_chip* chip, chip_frame* out, int32_t frames);
