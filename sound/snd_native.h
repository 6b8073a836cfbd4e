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
// Hands the rest back to the emulated driver at address (pg unchanged); counts a
// decline and reports the step handled.
int snd_bail(m377_state* s, uint32_t address, int index);
// The driver's subroutine return: PC from the stack as pulled, a run of index 18.
int snd_return_from_driver_call(m377_state* s);
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

// Flags at 8 or 16 bits. snd_set_nz: Z and N of a value; snd_lda8: A's low byte with
// its N and Z; snd_compare: C when a >= b, Z when equal, N of a - b (V untouched);
// snd_adc8/16: a + b + C with C, V, Z and N, the result at the width.
void snd_set_nz(m377_state* s, uint32_t value, bool wide);
void snd_lda8(m377_state* s, uint32_t value);
void snd_compare(m377_state* s, uint32_t a, uint32_t b, bool wide);
uint32_t snd_adc8(m377_state* s, uint32_t a, uint32_t b);
uint32_t snd_adc16(m377_state* s, uint32_t a, uint32_t b);
