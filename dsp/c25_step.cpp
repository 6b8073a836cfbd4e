// Stepping the C25: reset, interrupt acceptance, the IDLE state, the on-chip timer,
// and the bulk run that skips idle waits and a recognised polling loop.
#include "dsp/c25.h"

#include "dsp/c25_arith.h"
#include "dsp/c25_memory.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t bnz_plain = 0xF580;  // the branch that closes a polling loop

// One tick: TIM counts down and reloads from PRD; landing on PRD latches TINT when
// its mask bit is set.
inline void timer_tick(c25_state* s) {
    s->tim = s->tim ? uint16_t(s->tim - 1) : s->prd;
    if (s->tim == s->prd && (s->imr & C25_INT_TINT)) s->tint_pending = 1;
}

// Accepts the first pending maskable interrupt: pushes pc, masks, jumps to its vector.
inline void accept_interrupt(c25_state* s) {
    if (s->tint_pending) s->ifr |= C25_INT_TINT;
    uint32_t pending = s->ifr & s->imr & C25_INT_MASKABLE;
    if (!pending) return;
    uint32_t n = uint32_t(__builtin_ctz(pending));
    c25_push(s, s->pc);
    s->intm = 1;
    s->pc = C25_INT_VECTORS[n];
    s->idle = 0;
    s->ifr = uint16_t(s->ifr & ~(1u << n));
    if ((1u << n) == C25_INT_TINT) s->tint_pending = 0;
}

// c25_run's polling-loop skip: the LAC / BNZ-to-itself loop at idle_loop_pc would go
// on while the LAC's value is non-zero; the timer runs on in steps of two instructions.
// Returns the steps skipped.
int64_t skip_polling_loop(c25_state* s, int64_t budget) {
    uint16_t at = s->idle_loop_pc, op = s->idle_loop_op;
    if (s->rptc || s->prog[at] != op || s->prog[uint16_t(at + 1)] != bnz_plain || s->prog[uint16_t(at + 2)] != at ||
        (op & 0x80))
        return 0;
    uint16_t value = uint16_t(c25_data_read(s, uint16_t(s->dp << 7 | (op & 0x7F))));
    int32_t loaded = int32_t(c25_shift_sxm(s, value, (op >> 8) & 0xF));
    if (loaded == 0) return 0;
    int64_t skipped = c25_timer_skip(s, budget & ~int64_t(1), 2);
    if (skipped) {
        s->steps += uint64_t(skipped);
        s->acc = loaded;
    }
    return skipped;
}

}  // namespace

void c25_reset(c25_state* s) {
    s->dspram_mode = 0;
    s->dspram_latch = 0;
    s->point_addr = 0;
    s->point_latch = 0;
    s->bio = 1;
    s->pc = C25_RESET_PC;
    s->pfc = 0;
    s->tr = 0;
    s->acc = 0;
    s->p = 0;
    memset(s->ar, 0, sizeof s->ar);
    s->arp = s->arb = s->dp = s->pm = 0;
    s->sxm = 1;
    s->ovm = s->intm = s->c = s->tc = s->cnf = 0;
    s->imr = C25_RESET_IMR;
    s->prd = s->tim = C25_RESET_TIMER;
    s->tint_pending = 0;
    s->ov = 0;
    s->idle = 0;
    s->ifr = 0;
    s->stack_depth = 0;
    memset(s->push_history, 0, sizeof s->push_history);
    s->rptc = 0;
    s->steps = 0;
    memset(s->write_marks, 0, sizeof s->write_marks);
    s->write_count = 0;
    s->error_text[0] = 0;
}

bool c25_step(c25_state* s) {
    if (!s->intm && !s->rptc) accept_interrupt(s);
    if (s->idle) {
        timer_tick(s);
        return true;
    }
    s->steps++;
    s->last_pc = s->pc;
    timer_tick(s);
    if (!s->translated_program) {
        snprintf(s->error_text, sizeof s->error_text, "no program translation");
        return false;
    }
    return s->translated_program(s, s->pc);
}

int64_t c25_timer_skip(c25_state* s, int64_t ticks, int64_t granule) {
    if (!s->intm && s->tint_pending) return 0;
    bool timer_enabled = s->imr & C25_INT_TINT;
    int64_t tim = s->tim, prd = s->prd;
    // Ticks up to and including the next one that leaves TIM equal to PRD.
    int64_t to_prd = tim <= prd ? tim + 1 : tim - prd;
    if (!s->intm && timer_enabled) {
        int64_t n = ticks < to_prd - 1 ? ticks : to_prd - 1;
        n -= n % granule;
        s->tim = uint16_t(tim - n);
        return n;
    }
    if (ticks < to_prd) {
        s->tim = uint16_t(tim - ticks);
        return ticks;
    }
    if (timer_enabled) s->tint_pending = 1;
    s->tim = uint16_t(prd - (ticks - to_prd) % (prd + 1));
    return ticks;
}

bool c25_run(c25_state* s, int64_t budget) {
    while (budget > 0) {
        if (!c25_step(s)) return false;
        budget--;
        if (s->idle && budget > 0) {
            budget -= c25_timer_skip(s, budget, 1);
        } else if (s->idle_loop_pc && s->idle_loop_pc == s->pc && budget > 0) {
            budget -= skip_polling_loop(s, budget);
        }
    }
    return true;
}
