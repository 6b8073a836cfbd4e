// A small sound driver for the sound board's M37702, written with the test assembler:
// the board's idle loop at 0xC12B, two frame-interrupt handlers that count, a key-on of
// the synthetic tone on a command from the game, and optional busy work.
//
// Internal RAM it keeps (words): 0x90 INT0 count, 0x92 INT2 count, 0x94 busy-work
// counter. It polls byte 0x83 (non-zero: run the busy work between idle passes).
// Slot 0 of commsram (game 0xA04000) with bit 14 set makes the next INT0 key voice 0 on
// the tone at SYNTH_WAVE_TONE_ADDR, looped, at the pitch in the slot's parameter word
// (game 0xA04100), and leave the command word with bit 15 instead of bit 14.
// The busy work writes the pitch of voices 16-31 and copies game word 0xA04102 to
// 0xA04202, sixteen times per pass.
#pragma once
#include <cstdint>

constexpr uint32_t SYNTH_DRIVER_RESET = 0xC030;
constexpr uint32_t SYNTH_DRIVER_INT0_COUNT = 0x90;
constexpr uint32_t SYNTH_DRIVER_INT2_COUNT = 0x92;
constexpr uint32_t SYNTH_DRIVER_BUSY = 0x83;

// Assembles source at origin (bank 0) into a driver image, leaving its other bytes;
// false with the assembler's reason on stderr. The program's labels go to *labels when
// given.
struct m377_program;
bool synth_driver_put(uint8_t* image, uint32_t origin, const char* source, m377_program* labels = nullptr);
// A 16-bit vector (or any word) into the image, low byte first.
void synth_driver_vector(uint8_t* image, uint32_t vector, uint32_t target);

// Writes the driver into a 524,288-byte kv1data.8k image: bank 0 0xC000-0xFFFF cleared,
// the code and the reset, INT0 and INT2 vectors. Aborts if the driver does not assemble.
void synth_sound_driver_image(uint8_t* image);
