// The sound CPU's run loop, idle fast-forward and driver calls from readable routines.
#include "sound/sound_cpu_run.h"

#include "sound/m37702_bus.h"
#include "sound/m37702_decode.h"
#include "sound/snd_translated.h"
#include "sound/sound_board.h"

uint64_t snd_call_max_steps = 50000000;

namespace {

constexpr uint32_t idle_loop = 0xC12B;       // LDA D+0x83
constexpr uint32_t idle_branch = 0xC12D;     // BEQ idle_loop
constexpr uint32_t idle_mx = m377_mx_m;      // 8-bit accumulator, 16-bit index
constexpr uint32_t idle_max_dpr = 0x37C;        // D + 0x83 still in internal RAM

int idle_skip_busy = 0;

uint32_t full_pc(const m377_state* s) {
    return uint32_t(s->pg) << 16 | s->pc;
}

bool skip_interrupted(const m377_state* s, uint64_t interrupts_before) {
    return s->halted || s->irq_count != interrupts_before;
}

// The peripheral service before each step is skipped while it would change nothing: no
// timer or conversion due (cycles below the next event, taken again after every
// service and whenever a timer or A/D start may have brought it forward) and no
// request that could be accepted.
struct service_gate {
    uint64_t next_event = 0;  // 0: serve at the first step
    uint32_t event_starts = 0;
};

inline bool service_idle(const m377_state* s, const service_gate& gate) {
    return s->cycles < gate.next_event && gate.event_starts == m377_event_starts &&
           !(s->irq_pending && !(s->ps & m377_flag_i));
}

inline void serve(m377_state* s, service_gate* gate) {
    m377_service(s);
    gate->next_event = m377_next_event(s);
    gate->event_starts = m377_event_starts;
}

inline void service(m377_state* s, service_gate* gate) {
    if (!service_idle(s, *gate)) serve(s, gate);
}

}  // namespace

void mcu_run_to(m377_state* s, uint64_t target) {
    if (target <= s->cycles) return;
    service_gate gate;
    while (!s->halted) {
        serve(s, &gate);
        if (s->stopped) {
            s->cycles = target;
            return;
        }
        // One step after the service, then more for as long as the gate stays shut (the
        // service would change nothing) and the target is not reached.
        do snd_translated_step(s);
        while (s->cycles < target && service_idle(s, gate) && !s->halted && !s->stopped);
        if (s->cycles >= target) return;
    }
}

int mcu_run_cycles(m377_state* s, int32_t n) {
    mcu_run_to(s, s->cycles + uint64_t(int64_t(n)));
    return 0;
}

uint64_t mcu_idle_skip(m377_state* s, uint64_t limit) {
    if (s->irq_pending || s->halted || s->stopped || idle_skip_busy || m377_mx_state(s->ps) != idle_mx) return 0;
    if (full_pc(s) != idle_loop && full_pc(s) != idle_branch) return 0;
    uint64_t next_event = m377_next_event(s);
    if (next_event < limit) limit = next_event;
    if (limit <= s->cycles + 96 || s->dpr > idle_max_dpr) return 0;

    idle_skip_busy = 1;
    uint64_t c0 = s->cycles, k0 = s->irq_count;
    bool go_on = true;
    if (full_pc(s) == idle_branch) {
        mcu_run_to(s, s->cycles + 1);
        go_on = !skip_interrupted(s, k0);
    }
    if (go_on && full_pc(s) == idle_loop) {
        uint64_t f = s->cycles;
        mcu_run_to(s, s->cycles + 1);
        mcu_run_to(s, s->cycles + 1);
        if (!skip_interrupted(s, k0) && full_pc(s) == idle_loop) {
            s->cycles = mcu_idle_skip_to(s->cycles, s->cycles - f, limit);
        }
    }
    idle_skip_busy = 0;
    return s->cycles - c0;
}

uint64_t mcu_idle_skip_to(uint64_t g, uint64_t p, uint64_t limit) {
    if (p == 0 || limit <= g + 3 * p) return g;
    return g + ((limit - g) / p - 2) * p;
}

int snd_call_driver(m377_state* s, uint32_t address) {
    m377_push8(s, 0);
    m377_push8(s, 0);
    uint16_t frame = s->s;
    s->pg = 0;
    s->pc = uint16_t(address);
    if (s->halted) return 1;
    service_gate gate;
    for (uint64_t steps = 0;; steps++) {
        int16_t above = int16_t(uint16_t(s->s - frame));
        if (full_pc(s) == 0) return above == 2 ? 0 : 2;
        if (above > 0) return 2;
        mcu_frame_irqs();
        service(s, &gate);
        if (steps > snd_call_max_steps || s->stopped) {
            snd_translated_halt(s, full_pc(s),
                                s->stopped ? "stopped inside a call from readable C" : "call from readable C did not return");
            return 1;
        }
        snd_translated_program(s);
        if (s->halted) return 1;
    }
}
