// M37702 on-chip peripherals: SFR writes and their side effects, the eight timers
// in timer mode, the A/D converter's timing, interrupt requests, arbitration and entry.
#include "base/env_switch.h"
#include "sound/m37702.h"
#include "sound/m37702_bus.h"

#include <cstdio>
#include <cstdlib>

bool sfr_trace = false;
int64_t timer_start_offset = 0;
bool timer_start_offset_read = false;
uint32_t m377_event_starts = 0;

namespace {

struct irq_source {
    uint16_t vector;
    uint8_t control;  // interrupt control SFR; its low three bits are the priority level
};

// Index = bit in irq_pending = arbitration order (higher wins a tie).
constexpr irq_source irq_sources[16] = {
    {0xFFD6, 0x70},  // A/D conversion
    {0xFFDC, 0x71},  // UART0 transmit
    {0xFFDE, 0x72},  // UART0 receive
    {0xFFD8, 0x73},  // UART1 transmit
    {0xFFDA, 0x74},  // UART1 receive
    {0xFFEE, 0x75},  // timer A0
    {0xFFEC, 0x76},  // timer A1
    {0xFFEA, 0x77},  // timer A2
    {0xFFE8, 0x78},  // timer A3
    {0xFFE6, 0x79},  // timer A4
    {0xFFE4, 0x7A},  // timer B0
    {0xFFE2, 0x7B},  // timer B1
    {0xFFE0, 0x7C},  // timer B2
    {0xFFF4, 0x7D},  // INT0
    {0xFFF2, 0x7E},  // INT1
    {0xFFF0, 0x7F},  // INT2
};

constexpr uint32_t irq_source_adc = 0;
constexpr uint32_t irq_source_timer0 = 5;
constexpr uint32_t timer_prescaler[4] = {2, 16, 64, 512};
constexpr uint32_t adc_fast_cycles = 228;
constexpr uint32_t adc_slow_cycles = 456;

uint32_t timer_reload(const m377_state* s, int n) {
    return s->sfr[0x46 + 2 * n] | uint32_t(s->sfr[0x47 + 2 * n]) << 8;
}

uint64_t timer_period(const m377_state* s, int n) {
    return uint64_t(timer_reload(s, n) + 1) * timer_prescaler[s->sfr[0x56 + n] >> 6];
}

uint64_t adc_conversion_end(const m377_state* s) {
    return s->cycles + ((s->sfr[0x1E] & 0x80) ? adc_fast_cycles : adc_slow_cycles);
}

// Driver code that may touch the timers; a write from anywhere else is stray.
bool timer_writer_expected(uint16_t pc) {
    return (pc >= 0xC030 && pc <= 0xC700) || (pc >= 0xCD90 && pc <= 0xCDC0) || pc == 0xD24F || pc == 0xD1D4;
}

void report_stray_write(m377_state* s, uint32_t reg, uint8_t value) {
    fprintf(stderr,
            "[M377] STRAY peripheral write SFR[%02X]=%02X (was %02X) at pc=%04X A=%04X B=%04X X=%04X Y=%04X "
            "DPR=%04X DT=%02X ps=%04X\n  path:",
            reg, value, s->sfr[reg], s->pc, s->a, s->b, s->x, s->y, s->dpr, s->dt, s->ps);
    for (int k = 0; k < 64; k++) fprintf(stderr, " %04X", s->pc_trail[(s->pc_trail_pos + k) & 63]);
    fputc('\n', stderr);
    s->trap_stray = 0;
}

void read_timer_start_offset() {
    if (timer_start_offset_read) return;
    timer_start_offset_read = true;
    const char* text = env_text("SKYVOLTA_SNDTJITTER");
    timer_start_offset = text ? strtoll(text, nullptr, 10) : 0;
}

void timers_start(m377_state* s, uint8_t old_bits, uint8_t new_bits) {
    for (int n = 0; n < 8; n++) {
        uint8_t bit = uint8_t(1u << n);
        if (!(new_bits & bit)) {
            s->timer_running &= uint8_t(~bit);
            continue;
        }
        if (old_bits & bit) continue;  // a running timer is not restarted
        read_timer_start_offset();
        uint8_t mode = s->sfr[0x56 + n];
        if ((mode & 3) != 0 || (timer_reload(s, n) == 0 && (mode >> 6) == 0)) {
            s->timer_running &= uint8_t(~bit);  // not timer mode, or a reload of 0 at divisor 2
            continue;
        }
        s->timer_running |= bit;
        s->timer_deadline[n] = s->cycles + timer_period(s, n) + uint64_t(timer_start_offset);
    }
}

void post_request(m377_state* s, uint32_t source) {
    s->irq_pending |= 1u << source;
    s->stopped = 0;
}

void service_timers(m377_state* s) {
    for (uint32_t running = s->timer_running; running; running &= running - 1) {
        int n = __builtin_ctz(running);
        if (s->cycles < s->timer_deadline[n]) continue;
        // However many periods were missed, one request; the timer stays on its grid.
        uint64_t period = timer_period(s, n);
        s->timer_deadline[n] += ((s->cycles - s->timer_deadline[n]) / period + 1) * period;
        post_request(s, irq_source_timer0 + uint32_t(n));
    }
}

void service_adc(m377_state* s) {
    uint8_t control = s->sfr[0x1E];
    uint32_t ch = control & 7;
    s->adc_result[ch] = s->adc_input[ch];
    bool sweep = control & 0x10;
    if (sweep) s->sfr[0x1E] = uint8_t((control & 0xF8) | ((ch + 1) & 7));
    uint32_t last_sweep_channel = (s->sfr[0x1F] & 3u) * 2 + 1;
    if ((control & 0x08) || (sweep && ch != last_sweep_channel)) {
        s->adc_deadline = adc_conversion_end(s);
        return;
    }
    s->sfr[0x1E] &= uint8_t(~0x40);
    s->adc_deadline = 0;
    post_request(s, irq_source_adc);
}

void accept_interrupt(m377_state* s) {
    uint32_t level = (s->ps & m377_ipl_mask) >> 8;
    int chosen = -1;
    for (int source = 15; source >= 0; source--) {
        if (!(s->irq_pending & (1u << source))) continue;
        uint32_t p = s->sfr[irq_sources[source].control] & 7u;
        if (p > level) {
            level = p;
            chosen = source;
        }
    }
    if (chosen < 0) return;
    s->irq_pending &= ~(1u << chosen);
    s->irq_count++;
    m377_push8(s, s->pg);
    m377_push16(s, s->pc);
    m377_push16(s, s->ps);
    s->pg = 0;
    s->ps = uint16_t((s->ps & ~(m377_flag_d | m377_ipl_mask)) | m377_flag_i | level << 8);
    s->pc = uint16_t(m377_read16(s, irq_sources[chosen].vector));
}

}  // namespace

void m377_sfr_write(m377_state* s, uint32_t address, uint32_t value) {
    uint32_t reg = address & 0x7F;
    uint8_t byte = uint8_t(value), old = s->sfr[reg];
    if (s->trap_stray && (reg == 0x40 || (reg >= 0x50 && reg <= 0x5F)) && !timer_writer_expected(s->pc))
        report_stray_write(s, reg, byte);
    if (sfr_trace)
        fprintf(stderr,
                "SFR[%02X]=%02X (was %02X) pc=%02X%04X A=%04X B=%04X X=%04X Y=%04X DPR=%04X DT=%02X ps=%04X cyc=%llu\n",
                reg, byte, old, s->pg, s->pc, s->a, s->b, s->x, s->y, s->dpr, s->dt, s->ps,
                (unsigned long long)s->cycles);
    if (reg == 0x35 || reg == 0x3D) {
        // UART control 1: bits 0 and 2 written, 1 and 3 kept, 4-7 kept only while bit 2 is written as 1.
        s->sfr[reg] = uint8_t((byte & 0x05) | (old & 0x0A) | ((byte & 0x04) ? (old & 0xF0) : 0));
    } else {
        s->sfr[reg] = byte;
        if (reg == 0x1E || reg == 0x40) m377_event_starts++;
        if (reg == 0x1E) {
            if (!(byte & 0x40))
                s->adc_deadline = 0;  // cancelled: no request
            else if (!(old & 0x40))
                s->adc_deadline = adc_conversion_end(s);
        } else if (reg == 0x40) {
            timers_start(s, old, byte);
        }
    }
    if (s->sfr_write_hook) s->sfr_write_hook(s->bus_user, reg, s->sfr[reg]);
}

void m377_service(m377_state* s) {
    if (s->timer_running) service_timers(s);
    if (s->adc_deadline && s->cycles >= s->adc_deadline) service_adc(s);
    if (s->irq_pending && !(s->ps & m377_flag_i)) accept_interrupt(s);
}

void m377_raise(m377_state* s, int32_t code) {
    uint16_t vector = uint16_t(0xFFE0u + uint32_t(code));
    for (uint32_t source = 0; source < 16; source++) {
        if (irq_sources[source].vector == vector) {
            s->irq_pending |= 1u << source;
            break;
        }
    }
    s->stopped = 0;
    m377_service(s);
}

uint64_t m377_next_event(const m377_state* s) {
    uint64_t next = UINT64_MAX;
    for (uint32_t running = s->timer_running; running; running &= running - 1) {
        int n = __builtin_ctz(running);
        if (s->timer_deadline[n] < next) next = s->timer_deadline[n];
    }
    if (s->adc_deadline && s->adc_deadline < next) next = s->adc_deadline;
    return next;
}

void m377_timer_count(m377_state* s, int32_t timer, int up) {
    if (timer < 0 || timer > 7) return;
    int n = timer;
    uint8_t mode = s->sfr[0x56 + n];
    if (!(s->sfr[0x40] & (1u << n)) || (mode & 3) != 1) return;
    bool count_up = n < 5 && ((mode & 0x10) ? up != 0 : (s->sfr[0x44] & (1u << n)) != 0);
    uint32_t count = (timer_reload(s, n) + (count_up ? 1u : 0xFFFFu)) & 0xFFFF;
    m377_sfr_write(s, 0x46 + 2 * uint32_t(n), count & 0xFF);
    m377_sfr_write(s, 0x47 + 2 * uint32_t(n), count >> 8);
}
