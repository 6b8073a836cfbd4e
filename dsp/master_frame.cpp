// The master DSP's frame run: the doorbell, the run to rest with its parking rules, the
// snapshot for the renderer, fault counting and the diagnostic trace.
#include "dsp/master.h"

#include "dsp/c25_bios.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t LOW24 = 0xFFFFFF;
constexpr uint16_t BIOS_TOP = 0x3FFF;        // program addresses of the BIOS side
constexpr uint64_t STEP_TRACE_FIRST = 600;   // level 2: the first steps of each run
constexpr uint64_t STEP_TRACE_LATE_FROM = 54040, STEP_TRACE_LATE_TO = 54399;  // level 3
constexpr uint32_t LIST_TRACE_WORDS = 40;
constexpr uint32_t LIST_TRACE_LIMIT = 0x1E00;
constexpr uint32_t LIST_END_CODE = 0x008010;

uint32_t dspram_low24(const c25_state* s, uint32_t index) {
    return s->dspram[index & (C25_DSPRAM_WORDS - 1)] & LOW24;
}

bool parked_here(const c25_state* s) {
    return (s->pc == MASTER_DOORBELL_WAIT && !dspram_low24(s, MASTER_DSPRAM_READY)) ||
           (s->pc == C25_BIOS_BUSY_WAIT && dspram_low24(s, MASTER_DSPRAM_BUSY));
}

void step_trace(const c25_state* s, uint64_t n) {
    int32_t level = master_driver.trace_level;
    if (!((level >= 2 && n < STEP_TRACE_FIRST) || (level >= 3 && n >= STEP_TRACE_LATE_FROM && n <= STEP_TRACE_LATE_TO)))
        return;
    printf("  [MT] %4ld pc=%04X op=%04X acc=%08X dp=%X ar=%04X arp=%d imr=%X prd=%X tim=%X intm=%d ar7=%X\n", long(n),
           s->pc, s->prog[s->pc], uint32_t(s->acc), uint32_t(s->dp), s->ar[s->arp & 7], int(s->arp), s->imr, s->prd,
           s->tim, int(s->intm), s->ar[7]);
}

// A step that went from the game's program into the BIOS.
void jump_trace(const c25_state* s, uint64_t n, uint16_t began) {
    if (master_driver.trace_level < 2 || began <= BIOS_TOP || s->pc > BIOS_TOP) return;
    uint16_t top = s->stack_depth > 0 ? s->stack[s->stack_depth - 1] : 0;
    printf("  [MJ] %ld: %04X (op %04X) -> %04X sp=%d top=%04X acc=%08X\n", long(n), began, s->prog[began], s->pc,
           int(s->stack_depth), top, uint32_t(s->acc));
}

// The input lists as the DSP finds them, for the first frames.
void input_trace(const c25_state* s) {
    const master_driver_state& m = master_driver;
    if (m.trace_level < 2 || m.frames > 2) return;
    printf("[MASTER] in: parked=%d word0=%X word1=%X word4=%X\n", int(m.parked), s->dspram[MASTER_DSPRAM_BUSY],
           s->dspram[MASTER_DSPRAM_READY], s->dspram[MASTER_DSPRAM_INDEX]);
    for (uint32_t first : MASTER_LIST_WORDS) {
        printf("  list %04X:", first);
        uint32_t end = LIST_TRACE_LIMIT;
        for (uint32_t i = 0; i < LIST_TRACE_LIMIT; i++) {
            uint32_t w = dspram_low24(s, first + i);
            if (i < LIST_TRACE_WORDS) printf(" %06X", w);
            if (w == LIST_END_CODE && dspram_low24(s, first + i + 1) == LOW24) {
                end = i;
                break;
            }
        }
        printf("  ... terminator at +%X\n", end);
    }
}

// The doorbell: INT0 entered with the return address stacked beyond the chip's eight
// levels, behind an IDLE where the last run rested. False when the stack is full.
bool doorbell(c25_state* s) {
    if (s->stack_depth >= MASTER_STACK_LIMIT) {
        fprintf(stderr, "[MASTER] stack full\n");
        return false;
    }
    uint16_t back = s->prog[s->pc] == MASTER_IDLE_WORD ? uint16_t(s->pc + 1) : s->pc;
    s->stack[s->stack_depth++] = back;
    memmove(s->push_history, s->push_history + 1, (C25_CHIP_STACK_LEVELS - 1) * sizeof s->push_history[0]);
    s->push_history[C25_CHIP_STACK_LEVELS - 1] = back;
    s->pc = MASTER_INT0_VECTOR;
    s->intm = 1;
    return true;
}

void disable() {
    master_driver.running = false;
    master_published.shown = false;
}

}  // namespace

bool master_step_to_idle(uint64_t* steps_out) {
    c25_state* s = master_driver.dsp;
    master_driver.parked = false;
    for (uint64_t n = 0;;) {
        if (parked_here(s)) {
            master_driver.parked = true;
            *steps_out = n;
            return true;
        }
        step_trace(s, n);
        uint16_t began = s->pc;
        if (!c25_step(s)) {
            fprintf(stderr, "[MASTER] stopped after %ld steps: %s\n", long(n), s->error_text);
            *steps_out = n;
            return false;
        }
        n++;
        jump_trace(s, n, began);
        // The instruction the step executed: an interrupt taken at an IDLE runs its
        // handler's first instruction instead, and the run goes on.
        if (s->prog[s->last_pc] == MASTER_IDLE_WORD) {
            s->pc = s->last_pc;
            *steps_out = n;
            return true;
        }
        if (n >= MASTER_REST_STEPS) {
            fprintf(stderr, "[MASTER] no IDLE after %ld steps (pc %04X)\n", long(MASTER_REST_STEPS), s->pc);
            *steps_out = n;
            return false;
        }
    }
}

void master_run_frame() {
    master_driver_state& m = master_driver;
    if (!m.running) return;
    c25_state* s = m.dsp;
    memset(s->write_marks, 0, sizeof s->write_marks);
    s->write_count = 0;
    if (!m.parked && !dspram_low24(s, MASTER_DSPRAM_READY)) return;
    input_trace(s);
    if (!m.parked && !doorbell(s)) {
        disable();
        return;
    }
    uint64_t steps = 0;
    if (!master_step_to_idle(&steps)) {
        if (++m.faults > MASTER_FAULTS_TOLERATED) {
            fprintf(stderr, "[MASTER] disabled after repeated faults\n");
            disable();
        }
        return;
    }
    // Frame 1 may park before the DSP has touched DSP RAM: nothing to show yet.
    if (steps > 0 || m.output_valid) {
        master_output_publish();
        m.output_valid = true;
    }
    m.frames++;
    if (m.frames <= 3 || m.trace_level)
        printf("[MASTER] frame %ld: %ld steps, %u polygon-RAM writes\n", long(m.frames), long(steps), s->write_count);
}

bool master_active() {
    return master_driver.running;
}
