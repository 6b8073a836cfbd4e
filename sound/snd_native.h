// The framework of the readable (native) sound-driver routines: what every routine
// uses to do the driver's work on the CPU record and the sound board's memory with the
// interpreter's cycle accounting, to decline or bail back to the emulated code, and
// the timed window, cost check and run statistics around them.
#pragma once
#include "sound/m37702.h"

// A readable routine: 0 declines (the emulated instruction at its address runs),
// non-zero means it did the step and left the CPU where the driver goes on.
using snd_routine = int (*)(m377_state* s);

// Statistics: ran and declined per counter index below; ran entry
// SND_WINDOW_DENIED counts refused timed windows; one count per sequence command code.
constexpr int SND_COUNTER_COUNT = 29;
constexpr int SND_WINDOW_DENIED = 29;
constexpr int SND_COUNTER_SEQ_COMMANDS = 18;
constexpr int SND_COUNTER_SLOT_LEVEL = 5;
constexpr int SND_COUNTER_HOOK_FX1 = 11;
constexpr int SND_COUNTER_HOOK_FX4 = 12;
constexpr int SND_COUNTER_HOOK_VOLUME = 13;
constexpr int SND_COUNTER_TICK = 6;
constexpr int SND_COUNTER_TICK_BODY = 7;
constexpr int SND_COUNTER_MAILBOX = 8;
constexpr int SND_COUNTER_IDLE_WAIT = 19;
constexpr int SND_COUNTER_NEW_COMMAND = 20;
constexpr int SND_COUNTER_STOP_TRACK = 21;
constexpr int SND_COUNTER_STOP_SLOT = 22;
constexpr int SND_COUNTER_SEQUENCER = 17;
constexpr int SND_COUNTER_VOICE_ALLOC = 23;
constexpr int SND_COUNTER_VOLUME_FROM_CHANNEL = 0;
constexpr int SND_COUNTER_VOLUME_FROM_SCRATCH = 1;
constexpr int SND_COUNTER_PITCH_GLIDE = 2;
constexpr int SND_COUNTER_PITCH_ENVELOPE = 3;
constexpr int SND_COUNTER_PAN_TO_SPEAKERS = 4;
constexpr int SND_COUNTER_CHANNELS = 9;
constexpr int SND_COUNTER_CHANNEL_UPDATE = 10;
constexpr int SND_COUNTER_PAN_THEN_VOLUME = 14;
constexpr int SND_COUNTER_NOTE_EVENT = 15;
constexpr int SND_COUNTER_KEY_ON = 16;
constexpr int SND_COUNTER_VOLUME_ENVELOPE = 24;
constexpr int SND_COUNTER_SAMPLE_CHANGE = 25;
constexpr int SND_COUNTER_SAMPLE_STREAMING = 26;
constexpr int SND_COUNTER_FIXED_PAN = 27;
constexpr int SND_COUNTER_PAN_SCRIPT = 28;
extern const char* const snd_counter_names[SND_COUNTER_COUNT];
extern uint64_t snd_ran[SND_COUNTER_COUNT + 1];
extern uint64_t snd_declined[SND_COUNTER_COUNT];
extern uint64_t snd_seq_command_runs[64];

// SKYVOLTA_SNDNOTIMED, read at the first window request while `snd_notimed_read` is false.
extern bool snd_notimed;
extern bool snd_notimed_read;

// Grants a timed routine of the declared cost only when it ends strictly before the
// next peripheral event and the end of the run slice; a refusal counts one denial.
int snd_window_ok(m377_state* s, uint32_t cost);
// Halts the driver (code -2, halt_pc = site) when the routine cost more than declared.
int snd_cost_check(m377_state* s, uint32_t site, uint64_t start, uint32_t declared);

// Count one run (result 1) or one decline (result 0) at a counter index.
int snd_count_ran(int index);
int snd_count_declined(int index);
// SKYVOLTA_SNDTRACE, read once: bails and sequence commands are printed.
bool snd_trace_on();
// Hands the rest back to the emulated driver at address (pg unchanged); counts a
// decline and reports the step handled.
int snd_bail(m377_state* s, uint32_t address, int index);
// The driver's subroutine return: PC from the stack as pulled, a run at the index.
int snd_return_counted(m377_state* s, int index);
// snd_return_counted at index 18 (a sequence command's handler).
int snd_return_from_driver_call(m377_state* s);
// Calls the driver subroutine that a vector in internal RAM names (its word read on the
// bus) through snd_call_driver; non-zero when the call did not return cleanly.
int snd_call_vector(m377_state* s, uint32_t vector);
// The statistics table on stderr (registered at exit by SKYVOLTA_SNDSTATS).
void snd_stats_print();

// Bus access with one cycle per byte, as the interpreter counts it.
uint32_t snd_bus_read8(m377_state* s, uint32_t address);
uint32_t snd_bus_read16(m377_state* s, uint32_t address);
void snd_bus_write8(m377_state* s, uint32_t address, uint32_t value);
void snd_bus_write16(m377_state* s, uint32_t address, uint32_t value);
// The byte at DT:Y + offset.
uint32_t snd_read_dt(m377_state* s, uint32_t offset);
uint32_t snd_pull16(m377_state* s);
void snd_push16(m377_state* s, uint32_t value);
uint32_t snd_pull8(m377_state* s);
void snd_push8(m377_state* s, uint32_t value);
// A byte through the read callback, without a cycle: a routine's pre-test.
uint32_t snd_peek8(const m377_state* s, uint32_t address);
uint32_t snd_peek16(const m377_state* s, uint32_t address);

// Direct page + n, and a record field X + D + n: 16-bit addresses in bank 0.
inline uint32_t snd_dp(const m377_state* s, uint32_t n) {
    return (s->dpr + n) & 0xFFFF;
}
inline uint32_t snd_field(const m377_state* s, uint32_t record, uint32_t n) {
    return (record + s->dpr + n) & 0xFFFF;
}

// Flags at 8 or 16 bits. snd_set_nz: Z and N of a value; snd_lda8: A's low byte with
// its N and Z; snd_compare: C when a >= b, Z when equal, N of a - b (V untouched);
// snd_adc8/16: a + b + C with C, V, Z and N, the result at the width.
void snd_set_nz(m377_state* s, uint32_t value, bool wide);
void snd_lda8(m377_state* s, uint32_t value);
void snd_compare(m377_state* s, uint32_t a, uint32_t b, bool wide);
uint32_t snd_adc8(m377_state* s, uint32_t a, uint32_t b);
uint32_t snd_adc16(m377_state* s, uint32_t a, uint32_t b);
// A 16-bit load or transfer into a register, with N and Z.
void snd_load16(m377_state* s, uint16_t* reg, uint32_t value);
// TXA, CLC, ADC #amount, TAX at 16 bits: the driver's step from record to record.
void snd_step_x(m377_state* s, uint32_t amount);
// ASL and LSR repeated `count` times at a width: C the last bit out, N and Z of the result.
uint32_t snd_asl(m377_state* s, uint32_t value, int count, bool wide);
uint32_t snd_lsr(m377_state* s, uint32_t value, int count, bool wide);
// INC or DEC (delta +1 or -1) of memory at a width, with N and Z; the new value.
uint32_t snd_step_memory(m377_state* s, uint32_t address, int delta, bool wide);
// The M flag (8-bit accumulator and memory) set or cleared.
void snd_narrow_a(m377_state* s, bool narrow);
