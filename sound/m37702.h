// The sound board's CPU, a Mitsubishi M37702 (MELPS 7700 family), modelled at
// register level: the CPU record, its on-chip peripherals (SFR image, eight timers,
// the A/D converter, interrupt arbitration and entry) and one-instruction execution.
//
// Time is the record's `cycles`: one count per byte moved on the bus (fetches,
// reads, writes, pushes, pulls, vector bytes) and per instruction dispatch, not
// datasheet clocks. Bus primitives and addressing live in sound/m37702_bus.h.
#pragma once
#include <array>
#include <cstdint>

// Board memory behind the CPU, for addresses 0x80 and up (24-bit, bank in bits 16-23).
using m377_read_fn = uint8_t (*)(void* user, uint32_t address);
using m377_write_fn = void (*)(void* user, uint32_t address, uint8_t value);
// Optional SFR hooks (the sound board installs none): reads of 0x0A, 0x0B and 0x0E
// go through the read hook with the image byte; the write hook sees every SFR write
// after its side effects.
using m377_sfr_read_fn = uint8_t (*)(void* user, uint32_t address, uint8_t image);
using m377_sfr_write_fn = void (*)(void* user, uint32_t address, uint8_t value);

// Processor status bits; bits 8-10 hold the interrupt priority level (IPL).
constexpr uint16_t m377_flag_c = 0x0001;
constexpr uint16_t m377_flag_z = 0x0002;
constexpr uint16_t m377_flag_i = 0x0004;
constexpr uint16_t m377_flag_d = 0x0008;
constexpr uint16_t m377_flag_x = 0x0010;  // 8-bit index registers
constexpr uint16_t m377_flag_m = 0x0020;  // 8-bit accumulators and memory
constexpr uint16_t m377_flag_v = 0x0040;
constexpr uint16_t m377_flag_n = 0x0080;
constexpr uint16_t m377_ipl_mask = 0x0700;

// Halt codes other than 0x200 + second byte of an unassigned 0x89-page opcode.
constexpr int16_t m377_halt_translated = -1;  // no translation, or a driver call that stopped / did not return
constexpr int16_t m377_halt_over_cost = -2;   // a timed driver routine ran past its declared cost

struct m377_state {
    uint16_t a;
    uint16_t b;
    uint16_t x;
    uint16_t y;
    uint16_t s;    // a push writes at s (bank 0), then decrements
    uint16_t pc;   // within bank pg
    uint16_t dpr;  // direct page
    uint8_t pg;
    uint8_t dt;
    uint16_t ps;
    uint8_t stopped;          // WAI or STP; any posted request clears it
    uint16_t pc_trail[64];    // start addresses of the last 64 instructions
    uint8_t pc_trail_pos;     // next entry to write = oldest entry
    uint8_t trap_stray;       // arms the one-shot stray timer-write report
    uint64_t irq_count;       // interrupts accepted since reset
    uint32_t irq_pending;     // bit n = interrupt source n (0-15)
    uint8_t sfr[128];         // SFR image, addresses 0x00-0x7F
    uint64_t timer_deadline[8];  // next underflow of timer n (A0-A4 = 0-4, B0-B2 = 5-7)
    uint8_t timer_running;
    uint16_t adc_input[8];    // analog levels of AN0-AN7
    uint16_t adc_result[8];   // what reads of 0x20-0x2F return
    uint64_t adc_deadline;    // completion of the running conversion; 0 = idle
    uint8_t acc_b;            // the current instruction carries the 0x42 prefix
    const uint8_t* operand_ptr;  // when set, instruction bytes come from here
    uint32_t fetch_count;     // instruction-stream bytes fetched
    uint64_t cycles;
    m377_read_fn bus_read;
    m377_write_fn bus_write;
    void* bus_user;
    m377_sfr_read_fn sfr_read_hook;
    m377_sfr_write_fn sfr_write_hook;
    uint32_t halt_pc;         // 24-bit address of the halting instruction
    int16_t halt_code;
    uint8_t halted;           // once set, nothing runs until the next reset
};

// Process-wide switches: every SFR write traced on stderr (set by the driver loader
// when SKYVOLTA_MCUSFR is present), and the cycles added to every timer start
// (SKYVOLTA_SNDTJITTER, read at the first start while `timer_start_offset_read` is false).
extern bool sfr_trace;
extern int64_t timer_start_offset;
extern bool timer_start_offset_read;
// Counts the writes to 0x1E and 0x40, the only stores that can start a timer or an A/D
// conversion and so bring the next peripheral event forward: a run loop that keeps
// m377_next_event between services takes it afresh whenever this count moves.
extern uint32_t m377_event_starts;

// Clears the whole record and installs the bus functions and their user pointer.
void m377_init(m377_state* s, m377_read_fn read, m377_write_fn write, void* user);
// Registers and peripherals to their reset state, then PC from the vector at 0xFFFE;
// leaves `cycles` at 2.
void m377_reset(m377_state* s);

// Every write into 0x00-0x7F (data stores and stack pushes): stores the byte and
// applies the timer, A/D and UART side effects.
void m377_sfr_write(m377_state* s, uint32_t address, uint32_t value);
// Expires due timers and A/D conversions, then accepts at most one interrupt.
// Runs before every instruction; it changes nothing while cycles is below
// m377_next_event and no request is pending with I clear.
void m377_service(m377_state* s);
// Posts the request of the source whose vector is 0xFFE0 + code (INT0 20, INT2 16),
// wakes the CPU and services at once.
void m377_raise(m377_state* s, int32_t code);
// Earliest deadline of the running timers and A/D conversion; all ones when none.
uint64_t m377_next_event(const m377_state* s);
// One external event on a timer in event-counter mode.
void m377_timer_count(m377_state* s, int32_t timer, int up);

// One instruction whose opcode byte has already been fetched (pc points past it).
// 1 when performed (a halting 0x89-page opcode included), 0 for an opcode the model
// does not perform (0x00 and the 0x42 prefix), which then changes nothing.
int m377_execute(m377_state* s, uint32_t opcode);

// The executors behind m377_execute, one per opcode and M/X state (element
// mx << 8 | opcode, mx as (ps >> 4) & 3): each performs its instruction under those
// widths with the same result as m377_execute, but leaves the trail to its caller.
using m377_performer = int (*)(m377_state* s);
extern const std::array<m377_performer, 1024> m377_performers;

inline m377_performer m377_performer_of(uint32_t mx, uint32_t opcode) {
    return m377_performers[(mx & 3) << 8 | (opcode & 0xFF)];
}

// Records the start address of a performed instruction in the trail of the last 64.
inline void m377_trail(m377_state* s, uint16_t start) {
    s->pc_trail[s->pc_trail_pos & 63] = start;
    s->pc_trail_pos = uint8_t((s->pc_trail_pos + 1) & 63);
}

// Add and subtract with carry into the selected accumulator at M width, decimal when D
// is set (m377_add in sound/m37702_bus.h with the widths given).
void m377_adc(m377_state* s, uint32_t value);
void m377_sbc(m377_state* s, uint32_t value);
// The decimal form of those at the given width (narrow: 8 bits).
void m377_add_decimal(m377_state* s, uint32_t value, bool subtract, bool narrow);
// C when a >= b, Z when equal, N from the top bit of a - b, at 8 bits unless wide.
inline void m377_compare(m377_state* s, uint32_t a, uint32_t b, bool wide) {
    uint32_t mask = wide ? 0xFFFF : 0xFF, sign = wide ? 0x8000 : 0x80;
    a &= mask;
    b &= mask;
    uint32_t diff = (a - b) & mask;
    uint16_t ps = s->ps & ~(m377_flag_c | m377_flag_z | m377_flag_n);
    if (a >= b) ps |= m377_flag_c;
    if (diff == 0) ps |= m377_flag_z;
    if (diff & sign) ps |= m377_flag_n;
    s->ps = ps;
}
