// Small services of the transcribed board program that game routines of several
// subsystems call: empty hooks, hardware handshakes that never act here, the call
// trace and the 16.16 product.
#pragma once
#include <cstdint>

// 0x00BF2A: the board program's own frame loop; the host's main loop supersedes it, so
// it only says so.
void main_loop();

// Hooks the board program calls between steps; they do nothing.
void nop_hook_race(int32_t a, int32_t b);
void nop_hook_select();
void nop_hook_objects();
int32_t null_handler();

// The board handshake at 0x850008 / 0x85000C: acts only when the long at 0x850008 has
// 529 or 530 in its low 16 bits, which the unmapped window never reads.
void board_handshake_clear();
void board_handshake_write(int32_t value);

// The board spins here until the watchdog resets it; this says so and returns.
void watchdog_spin_forever();

// With SKYVOLTA_SNDTRIG: "T fc=.. st=.. sub=.. fn=<name> id=<id> par=<parameter>".
void call_trace(const char* routine_name, int32_t id, int32_t parameter);
void sound_call_trace(const char* routine_name, int32_t id, int32_t parameter);

// (a x b) >> 16 in 64 bits.
int32_t fixed_mul(int32_t a, int32_t b);
