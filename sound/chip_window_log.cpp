#include "sound/chip_window_log.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "sound/q904.h"
#include "sound/sound_board.h"
#include "sound/sound_diagnostics.h"

#include <cstdio>
#include <cstdlib>

chip_write_counts chip_writes;

namespace {

constexpr double MCU_CLOCK_HZ = 16384000.0;
constexpr uint32_t FIRST_CONTROL_REG = 0x100;
constexpr uint32_t VOICE_REGS = 8;
const char* const voice_reg_names[VOICE_REGS] = {"vol_f", "vol_r", "freq", "flags", "bank", "start", "end", "loop"};

int watched_voice = -1;  // SKYVOLTA_MCUVOICE

// Register reg as it stands in the shadow (low byte at the even address).
uint32_t shadow_reg(uint32_t reg) {
    return uint32_t(chip_shadow[2 * reg + 1]) << 8 | chip_shadow[2 * reg];
}

void register_log_line(uint32_t offset, uint8_t value) {
    FILE* f = diag_log(DIAG_LOG_Q904);
    if (!f) return;
    uint32_t shift = (offset & 1) * 8;
    fprintf(f, "%.9f %x %x %x\n", double(mcu_cpu.cycles) / MCU_CLOCK_HZ, offset & ~1u, uint32_t(value) << shift,
            0xFFu << shift);
}

// Before the sweep: every voice the sweep is about to key on, with its registers.
void key_on_snapshots() {
    FILE* f = diag_log(DIAG_LOG_CHIP_TRACE);
    if (!f) return;
    for (uint32_t v = 0; v < Q904_VOICES; v++) {
        if (!(shadow_reg(VOICE_REGS * v + Q904_REG_FLAGS) & VF_KEY_ON)) continue;
        fprintf(f, "K %u v%u", host_frame, v);
        for (uint32_t r = 0; r < VOICE_REGS; r++) fprintf(f, " %04X", shadow_reg(VOICE_REGS * v + r));
        fputc('\n', f);
    }
}

void voice_register_lines(uint32_t reg, uint32_t value) {
    uint32_t voice = reg / VOICE_REGS, k = reg % VOICE_REGS;
    if (k == Q904_REG_FLAGS && (value & VF_KEY_ON) && sound_log_enabled) {
        uint32_t base = voice * VOICE_REGS;
        fprintf(stderr, "[KEYON ] f%-6u voice %-2u  bank=%02X start=%04X end=%04X  vol=%04X freq=%04X\n", host_frame,
                voice, shadow_reg(base + Q904_REG_BANK), shadow_reg(base + Q904_REG_START),
                shadow_reg(base + Q904_REG_END), shadow_reg(base + Q904_REG_VOL_F), shadow_reg(base + Q904_REG_FREQ));
    }
    if (int(voice) == watched_voice)
        fprintf(stderr, "[VOICE%02d] %-6s = %04X   pc=%04X\n", watched_voice, voice_reg_names[k], value, mcu_cpu.pc);
}

}  // namespace

void chip_window_log_start() {
    watched_voice = env_int("SKYVOLTA_MCUVOICE", -1);
    const char* q904_log = env_text("SKYVOLTA_Q904LOG");
    if (q904_log && diag_log_open(DIAG_LOG_Q904, q904_log))
        fprintf(diag_log(DIAG_LOG_Q904), "# ours: time = MCU cycles / %u\n", unsigned(MCU_CLOCK_HZ));
    const char* trace = env_text("SKYVOLTA_CHIPTRACE");
    if (trace) diag_log_open(DIAG_LOG_CHIP_TRACE, trace);
}

void chip_window_write(uint32_t offset, uint8_t value) {
    register_log_line(offset, value);
    if (!(offset & 1)) return;
    uint32_t reg = offset >> 1;
    if (reg >= FIRST_CONTROL_REG) {
        chip_writes.control++;
        if (reg == Q904_REG_KEY_SWEEP) key_on_snapshots();
        return;
    }
    chip_writes.voice++;
    voice_register_lines(reg, shadow_reg(reg));
}

void chip_trace_frame_line() {
    FILE* f = diag_log(DIAG_LOG_CHIP_TRACE);
    if (!f) return;
    fprintf(f, "F %u", host_frame);
    for (uint32_t reg = 0; reg < FIRST_CONTROL_REG; reg++) fprintf(f, " %04X", shadow_reg(reg));
    fprintf(f, " | %04X\n", shadow_reg(Q904_REG_CONTROL));
}
