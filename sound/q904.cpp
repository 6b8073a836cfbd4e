#include "sound/q904.h"

#include <cstring>

namespace {

constexpr uint16_t NOISE_SEED = 0x1234;

// The eight voice registers in index order.
constexpr uint16_t q904_voice::* voice_regs[8] = {
    &q904_voice::vol_f, &q904_voice::vol_r, &q904_voice::freq, &q904_voice::flags,
    &q904_voice::bank,  &q904_voice::start, &q904_voice::end,  &q904_voice::loop,
};

uint16_t* reg_field(q904_chip* chip, uint32_t reg) {
    if (reg < Q904_VOICES * 8) return &(chip->voices[reg >> 3].*voice_regs[reg & 7]);
    if (reg == Q904_REG_CONTROL) return &chip->control;
    return nullptr;
}

// Key-on first, then key-off on the flags as they now stand: both bits restart and stop.
void key_sweep(q904_chip* chip) {
    for (q904_voice& v : chip->voices) {
        if (v.flags & VF_KEY_ON) {
            v.position = uint32_t(v.bank) << 16 | v.start;
            v.fraction = 0xFFFF;
            v.sample = v.prev_sample = 0;
            v.level_fh = v.level_fl = v.level_rh = v.level_rl = 0;
            v.flags = uint16_t((v.flags & ~(VF_KEY_ON | VF_LOOPED)) | VF_BUSY);
        }
        if (v.flags & VF_KEY_OFF) {
            v.flags &= uint16_t(~(VF_BUSY | VF_KEY_OFF));
            v.fraction = 0xFFFF;
        }
    }
}

uint16_t noise_step(uint16_t lfsr) {
    uint16_t shifted = uint16_t(lfsr >> 1);
    return (lfsr & 1) ? uint16_t(shifted ^ 0xFFF6) : shifted;
}

// Moves the play position after a ROM fetch: loop, link, bidirectional turn or the end of
// a one-shot voice (which drops the sample just fetched).
void advance_position(q904_voice& v) {
    uint32_t p16 = v.position & 0xFFFF;
    if ((v.flags & VF_REVERSE) && (v.flags & VF_LOOP)) {
        if (v.flags & VF_BACKWARD) {
            if (p16 == v.loop) {
                v.flags &= uint16_t(~VF_BACKWARD);
                v.position++;
            } else {
                v.position--;
            }
        } else if (p16 == v.end) {
            v.flags |= VF_BACKWARD;
            v.position--;
        } else {
            v.position++;
        }
    } else if (p16 == v.end) {
        if ((v.flags & VF_LINK) && (v.flags & VF_LOOP)) {
            v.flags |= VF_LOOPED;
            v.position = uint32_t(v.start) << 16 | v.loop;
        } else if (v.flags & VF_LOOP) {
            v.flags |= VF_LOOPED;
            v.position = (v.position & 0xFF0000) + v.loop;
        } else {
            v.flags = uint16_t((v.flags & ~VF_BUSY) | VF_KEY_OFF);
            v.sample = 0;
        }
    } else if (v.flags & VF_REVERSE) {
        v.position--;
    } else {
        v.position++;
    }
}

uint8_t ramp(uint8_t level, uint8_t target) {
    return level < target ? uint8_t(level + 1) : level > target ? uint8_t(level - 1) : level;
}

int16_t saturate16(int32_t v) {
    return int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

}  // namespace

void q904_init(q904_chip* chip, const uint8_t* wave_rom, int32_t size) {
    memset(chip, 0, sizeof *chip);
    chip->wave_rom = wave_rom;
    chip->wave_rom_size = uint32_t(size);
    int32_t a = 0;
    for (int k = 0; k < 128; k++) {
        chip->compand_table[k] = int16_t(32 * a);
        a += k <= 15 ? 1 : k <= 23 ? 2 : k <= 47 ? 4 : k <= 99 ? 8 : 16;
    }
    for (int k = 0; k < 128; k++)
        chip->compand_table[128 + k] = int16_t(uint16_t(~uint16_t(chip->compand_table[k]) & 0xFFE0));
    chip->noise_lfsr = NOISE_SEED;
}

void q904_reset(q904_chip* chip) {
    memset(chip->voices, 0, sizeof chip->voices);
    chip->noise_lfsr = NOISE_SEED;
    chip->control = 0;
}

uint16_t q904_read(const q904_chip* chip, uint32_t reg) {
    const uint16_t* field = reg_field(const_cast<q904_chip*>(chip), reg);
    return field ? *field : 0;
}

void q904_write(q904_chip* chip, uint32_t reg, uint32_t value, uint32_t mask) {
    if (reg == Q904_REG_KEY_SWEEP) {
        if ((mask & 0xFFFF) == 0xFFFF) key_sweep(chip);
        return;
    }
    if (uint16_t* field = reg_field(chip, reg)) *field = uint16_t((*field & ~mask) | (value & mask));
}

void q904_render(q904_chip* chip, chip_frame* out, int32_t frames) {
    for (int32_t f = 0; f < frames; f++) {
        int32_t acc0 = 0, acc1 = 0, acc2 = 0, acc3 = 0;
        for (q904_voice& v : chip->voices) {
            if (!(v.flags & VF_BUSY)) continue;
            uint32_t e = v.fraction + v.freq;
            if (e & 0x10000) {
                v.prev_sample = v.sample;
                if (v.flags & VF_NOISE) {
                    chip->noise_lfsr = noise_step(chip->noise_lfsr);
                    v.sample = int16_t(chip->noise_lfsr);
                } else {
                    uint32_t address = v.position & 0xFFFFFF;
                    uint8_t byte = address < chip->wave_rom_size ? chip->wave_rom[address] : 0;
                    v.sample = (v.flags & VF_COMPANDED) ? chip->compand_table[byte] : int16_t(uint16_t(byte << 8));
                    advance_position(v);
                }
            }
            // Levels step by one each time the accumulator crosses a multiple of 0x8000.
            if ((v.fraction ^ e) & 0x18000) {
                v.level_fh = ramp(v.level_fh, uint8_t(v.vol_f >> 8));
                v.level_fl = ramp(v.level_fl, uint8_t(v.vol_f));
                v.level_rh = ramp(v.level_rh, uint8_t(v.vol_r >> 8));
                v.level_rl = ramp(v.level_rl, uint8_t(v.vol_r));
            }
            v.fraction = e & 0xFFFF;
            int32_t s = v.sample;
            if (!(v.flags & VF_NOINTERP)) {
                int64_t delta = int64_t(v.sample) - v.prev_sample;
                s = v.prev_sample + int32_t((delta * int64_t(v.fraction)) >> 16);  // floor
            }
            int32_t s_lo = (v.flags & VF_INV_LO) ? -s : s;
            acc0 += ((v.flags & VF_INV_FH) ? -s : s) * v.level_fh >> 8;
            acc1 += s_lo * v.level_fl >> 8;
            acc2 += ((v.flags & VF_INV_RH) ? -s : s) * v.level_rh >> 8;
            acc3 += s_lo * v.level_rl >> 8;
        }
        // Sums past the 16-bit range clip rather than wrap.
        out[f].ch[0] = saturate16(acc0 >> 3);
        out[f].ch[1] = saturate16(acc1 >> 3);
        out[f].ch[2] = saturate16(acc2 >> 3);
        out[f].ch[3] = saturate16(acc3 >> 3);
    }
}
