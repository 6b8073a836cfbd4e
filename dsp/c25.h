// The master DSP, a Texas Instruments TMS320C25, modelled at instruction level: one
// flat record holding the whole chip (registers, program and data memory, point RAM,
// the timer and interrupt state, the return stack) and the operations that drive it:
// one step, a bulk run that skips idle waits, reset and program loading.
//
// The model does not decode instructions itself: each step hands the instruction at
// pc to the record's `translated_program`, which executes it (dsp/c25_execute.h).
// Operations return 1 (true) when done and 0 on a fault, with the fault's text in
// `error_text`. Flags hold 0 or 1.
#pragma once
#include <cstdint>

struct c25_state;

// The two words of a two-word instruction: while `operand_stream` points at one, the
// operand fetch takes `second` instead of the program word at pc.
struct c25_operand_record {
    uint16_t first;
    uint16_t second;
};

// Executes the instruction at a program address (rptc + 1 times); 0 on a fault.
using c25_translated_fn = int (*)(c25_state* s, uint16_t pc);
using c25_port_value_fn = void (*)(uint16_t value);
using c25_port_signal_fn = void (*)();
using c25_state_fn = void (*)(c25_state* s);

constexpr uint32_t C25_DSPRAM_WORDS = 0x8000;
constexpr uint32_t C25_POINT_RAM_WORDS = 0x20000;
constexpr uint32_t C25_STACK_ENTRIES = 64;
constexpr uint32_t C25_CHIP_STACK_LEVELS = 8;
constexpr uint32_t C25_ERROR_TEXT_SIZE = 96;  // 95 characters and the terminating zero

// Memory-mapped registers of the data space.
constexpr uint16_t C25_DATA_TIM = 2;
constexpr uint16_t C25_DATA_PRD = 3;
constexpr uint16_t C25_DATA_IMR = 4;

// IMR / IFR bits in priority order, and their vectors.
constexpr uint16_t C25_INT_TINT = 0x08;
constexpr uint16_t C25_INT_MASKABLE = 0x3F;
constexpr uint16_t C25_INT_VECTORS[6] = {0x0002, 0x0004, 0x0006, 0x0018, 0x001A, 0x001C};

// Reset values.
constexpr uint16_t C25_RESET_PC = 0x4000;
constexpr uint16_t C25_RESET_IMR = 0x0009;
constexpr uint16_t C25_RESET_TIMER = 0xFFFF;  // PRD and TIM

// Program memory the two program files fill.
constexpr uint16_t C25_HIGH_PROGRAM_BASE = 0x4000;
constexpr uint32_t C25_HIGH_PROGRAM_WORDS = 0xC000;
constexpr uint32_t C25_LOW_PROGRAM_WORDS = 0x4000;

struct c25_state {
    uint16_t prog[0x10000];   // program memory; data 0x4000-0x7FFF reach the same words
    uint16_t data[0x10000];   // data memory (0x0000-0x3FFF used)
    uint32_t* dspram;         // the board's DSP RAM: 32,768 words, low 24 bits meaningful
    const uint32_t* point_rom;  // 24-bit point words
    uint32_t point_rom_words;   // point addresses below it read the ROM
    uint32_t point_ram[C25_POINT_RAM_WORDS];  // at point_window_base .. + 0x1FFFF
    uint32_t dspram_mode;     // port 13: 0 low half, 1 high half, 2 low half with latch, 3 none
    uint16_t dspram_latch;    // high half latched by a mode-2 read, supplied to a mode-2 write
    uint32_t point_addr;      // ports 0, 1 and 3 (24 bits used)
    uint32_t point_latch;     // point write latch (ports 1 and 0)
    int32_t bio;              // BIO line: 1 high, 0 low (BIOZ branches on 0)
    uint16_t pc;
    uint16_t pfc;             // prefetch counter of block moves and table reads
    int16_t tr;               // T register
    int32_t acc;
    int64_t p;                // full product; readers take its low 32 bits, signed
    uint16_t ar[8];
    int32_t arp;
    int32_t arb;
    int32_t dp;               // direct address = dp << 7 | 7-bit address
    int32_t pm;               // product shift: 0 none, 1 left 1, 2 left 4, 3 right 6
    int32_t sxm;
    int32_t ovm;
    int32_t intm;             // 1 masks the maskable interrupts
    int32_t c;
    int32_t tc;
    int32_t cnf;
    uint16_t imr;
    uint16_t prd;
    uint16_t tim;
    int32_t tint_pending;     // a timer interrupt is latched and not yet taken
    int32_t ov;               // sticky
    uint32_t point_window_base;
    int32_t pdp_enable;       // IN 2 walks the point-data list
    uint16_t port2_word;
    int32_t idle;
    uint32_t pdp_runs;
    uint16_t ifr;
    c25_port_value_fn on_out12;
    c25_port_signal_fn on_out8;
    c25_state_fn on_pdp_done;
    c25_port_value_fn on_out7;
    c25_state_fn on_in3;
    uint16_t stack[C25_STACK_ENTRIES];  // return addresses, entry 0 the oldest
    int32_t stack_depth;
    uint16_t push_history[C25_CHIP_STACK_LEVELS];  // the chip's stack, newest at index 7
    int32_t rptc;             // the next instruction runs rptc + 1 times
    uint16_t last_pc;         // address of the last instruction c25_step started
    uint64_t steps;
    uint8_t write_marks[C25_DSPRAM_WORDS];  // 1 once the DSP wrote the word since the last clear
    uint32_t write_count;     // distinct DSP RAM words written since the last clear
    char error_text[C25_ERROR_TEXT_SIZE];
    int32_t idle_enable;      // IDLE enters the IDLE state only when set
    int32_t bio_on_in3;       // IN 3 raises BIO only when set
    uint16_t idle_loop_pc;    // a LAC / BNZ-to-itself polling loop c25_run skips; 0 none
    uint16_t idle_loop_op;    // the LAC word expected there
    c25_translated_fn translated_program;
    const c25_operand_record* operand_stream;  // the current two-word instruction's words
};

// Registers, timer, interrupts, stack, repeat counter, write marks and fault text to
// their reset state; memories, the point window, hooks and options are kept.
void c25_reset(c25_state* s);

// One step: interrupt acceptance, the IDLE state, the timer tick, then one instruction
// (with its repetitions) through `translated_program`. False on a fault.
bool c25_step(c25_state* s);

// Advances the timer by up to `ticks` without executing; stops short of a timer
// interrupt that could be taken (in multiples of `granule`). Returns the ticks advanced.
int64_t c25_timer_skip(c25_state* s, int64_t ticks, int64_t granule);

// Up to `budget` steps; waits in the IDLE state and in the polling loop at
// `idle_loop_pc` cost one timer skip instead of a step per tick. False at the first
// failing step.
bool c25_run(c25_state* s, int64_t budget);

// Raw big-endian word files without a header: `high_path` fills program memory from
// 0x4000 (at most 49,152 words), then `low_path` from 0x0000 (at most 16,384); either
// may be null. A short file loads what it holds, a trailing odd byte is ignored.
// False when a given file cannot be opened.
bool c25_load_program_files(uint16_t* prog, const char* low_path, const char* high_path);
