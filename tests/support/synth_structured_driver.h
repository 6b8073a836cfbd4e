// A structured sound driver for the sound board's M37702, written with the test
// assembler: the driver's top level as the readable routines know it, so that every
// hooked routine can be run emulated and readable from the same state and compared.
//
// Start-up sets the internal-RAM vectors 0x0104-0x012E, the stack at 0x01FF and D = 0,
// points each voice record's next event (+0x36) at its ring's first entry, enables the
// frame interrupts and idles at 0xC12B. INT0 (once a frame) is the tick at
// 0xC258, which calls the word at 0xBFBA (the tick body at 0xD684); the tick body's
// main work (vector 0x0104) walks the mailbox at 0xD6E3. At the hook address of each
// routine of the tick, mailbox, commands, stops and voice allocation stands its driver
// code (a JMP to it where the next hook follows too closely); the other hook addresses
// hold zero bytes until their code is written here. Vectors and interrupts the driver
// does not use point at stubs that count their calls and change nothing else.
//
// The per-slot work of a live track (vector 0x010A) is the sequencer at 0xD9D0. Its
// command handlers come from the table at 0x0130 (SYNTH_SD_HANDLERS: code = index); the
// command SYNTH_SD_CODE_VOICES resets, claims and takes voices for (command AND 3) + 1
// channels (voice numbers from the command number, nine apart; claim priority
// (command AND 0x7F) + 1) and writes the command word into each voice's "freq"
// register; the other codes are commands without operands that do nothing. A released
// channel's voice goes to the strongest claim left (vector 0x0112). Where the emulated
// form of a command continues in code the readable routines do not stand for (0xDA2E,
// 0xDA92, 0xDCD6, 0xDD3A, 0xDE61, 0xDF2B, 0xDF52, 0xDFA9, 0xE054, 0xE07D, 0xE108, 0xE12D,
// 0xE2BC and the addresses in the words at 0xDDF7 and 0xDE90), a stub counts at
// SYNTH_SD_CONTINUATION_COUNT and returns. A note start is called from 0xDFED (for a
// selected channel) and 0xE02A (a channel following one), returning to 0xDFF0 and
// 0xE02D. Key maps: the word at 0x21000C (synth_driver_key_maps).
//
// The voices: the channel walk 0xE46E, the note event 0xE4E7, the key-on 0xE5A7 with the
// pan scripts' start, the voice update 0xE8DB, sample streaming 0xEB29, the plain pitch
// steps 0xEBB8 and 0xEBFD, the volume envelope's steps 0xEF48 / 0xEF5C, hold 0xEF6D,
// step reader 0xEF9D and end 0xEFAE, the pan scripts' 0xECD4, 0xED7B and 0xED8B and the
// sample changes 0xF013 / 0xF064, with the tables below; their code lies below 0xD684.
// After the slots (vector 0x0126, counted) the channel walk runs every tick; its vectors
// name the note event (0x0124), the voice update (0x010C) and key-on (0x0118), and the
// voice update's name the glide (0x011A), pitch envelope (0x011E), the volume envelope's
// routine word (0x0120 to 0xEF45), the pitch effect's (0x0122 to 0xE9D6), streaming
// (0x012A) and, as its tail, the pan and volume routine word (0x011C to 0xECAA); the pans
// are 0x012C (0xE87E) and 0x012E (0xE7FE). Small wrappers give each the accumulator width
// it is entered with and leave a 16-bit accumulator and data bank 0. The continuations (0xE5B8, 0xE63C, 0xE6BC, 0xE6DD, 0xE706,
// 0xE72B, 0xEB47, 0xEB86, 0xECD9, 0xED0B, 0xED12, 0xED31, 0xED3F, 0xEF8C, 0xEFBC and the
// other event kinds) are the continuation stub.
#pragma once
#include <cstdint>

// Driver addresses besides the hook sites: entries that tests call like a driver caller
// would (Y pushed for stop_track, widths set for the allocator steps that need them).
constexpr uint32_t SYNTH_SD_CALL_STOP_TRACK = 0xC200;  // phy, jmp 0xE18D
constexpr uint32_t SYNTH_SD_PAIR_ROUTINE = 0xD879;     // copies 0x43FE to 0x43FC, counts at 0x0334

// The handler of each command code 0x00-0x17, and the code of the voices command.
constexpr uint16_t SYNTH_SD_HANDLERS[] = {
    0xDAAF, 0xDAF0, 0xDB5C, 0xDB63, 0xDB6D, 0xDB8D, 0xDB9D, 0xDBF0, 0xDC4A, 0xDC83, 0xDC90, 0xDD01,
    0xDD85, 0xDE77, 0xDF59, 0xDF6D, 0xE143, 0xE157, 0xE185, 0xE277, 0xE286, 0xE342, 0xE38A, 0xE3A3,
};
constexpr uint32_t SYNTH_SD_CODE_VOICES = 0x18;
// The continuation stub's count (a word in internal RAM).
constexpr uint32_t SYNTH_SD_CONTINUATION_COUNT = 0x0336;

// Internal-RAM words the driver counts in: per vector stub (vector v counts at
// 0x0300 + v - 0x0104), INT2, the 0xD879 routine.
constexpr uint32_t SYNTH_SD_STUB_COUNTS = 0x0300;
constexpr uint32_t SYNTH_SD_INT2_COUNT = 0x0330;
constexpr uint32_t SYNTH_SD_PAIR_COUNT = 0x0334;
inline uint32_t synth_sd_stub_count_address(uint32_t vector) {
    return SYNTH_SD_STUB_COUNTS + vector - 0x0104;
}
// Every vector has its counting stub, also those the start-up points at driver code:
// synth_sd_stub gives its address (valid after synth_structured_driver_image). Tests that
// run a voice routine alone point the voice chain's vectors back at their stubs
// (synth_sd_stub_voice_vectors, over internal RAM from 0x80).
constexpr uint32_t SYNTH_SD_VECTOR_COUNT = 22;
constexpr uint16_t SYNTH_SD_VOICE_VECTORS[] = {0x010C, 0x0118, 0x011A, 0x011C, 0x011E, 0x0120,
                                               0x0122, 0x0124, 0x0126, 0x012A, 0x012C, 0x012E};
uint32_t synth_sd_stub(uint32_t vector);
void synth_sd_stub_voice_vectors(uint8_t* iram_at_0x80);

// Writes the driver into a 524,288-byte kv1data.8k image: bank 0 0xC000-0xFFFF, the
// command table in bank 0x21 (synth_driver_command_table) and the identification bytes
// 0x200002-0x200003 (synth_driver_id_bytes, 0 and 0). Aborts if it does not assemble.
void synth_structured_driver_image(uint8_t* image);

// Driver-ROM tables of the voices, written by synth_structured_driver_image.
// 0xF346 (bank 0): the pitch table, 129 words synth_sd_pitch(i): 0x1000 + 0x200 i, 0x40
// more where bit 2 of i is set, at 16 bits (so T[8] = 0x2000, T[9] = 0x2200).
constexpr uint32_t SYNTH_SD_PITCH_TABLE = 0xF346;
constexpr uint32_t synth_sd_pitch(uint32_t i) {
    return (0x1000 + 0x200 * i + (i & 4 ? 0x40 : 0)) & 0xFFFF;
}
void synth_driver_pitch_table(uint8_t* image);
// 0x210002: the word naming the sample header table (SYNTH_SD_SAMPLE_TABLE), one word
// per sample number 0-15, header n at SYNTH_SD_SAMPLE_HEADERS + 0x40 n in bank 0x21:
// pitch offset 0x0110 n, bank 0x0100 + n, flags (0x0023 for odd n: segments follow, else
// 0x0003), start 0x1000 + 0x10 n, end 0x2000 + 0x10 n, loop 0x3000 + 0x10 n, then 26
// segment words 0x4000 + 0x100 n + 2k (k = 0-25; bit 0 clear, not negative).
constexpr uint32_t SYNTH_SD_SAMPLE_TABLE = 0x3000;
constexpr uint32_t SYNTH_SD_SAMPLE_HEADERS = 0x3100;
constexpr uint32_t SYNTH_SD_SAMPLES = 16;
// Sample SYNTH_SD_TONE_SAMPLE (16), header at SYNTH_SD_SAMPLE_HEADERS + 0x400: the wave
// ROM's one-period tone (SYNTH_WAVE_TONE_ADDR) looped whole: pitch offset 0, bank 1,
// flags 0x0002 (loop), start 0, end SYNTH_WAVE_TONE_LEN - 1, loop 0.
constexpr uint32_t SYNTH_SD_TONE_SAMPLE = 16;
void synth_driver_sample_headers(uint8_t* image);
// 0xF106 (bank 0): the level table, 256 bytes 0xFF - s (attenuation to register value).
constexpr uint32_t SYNTH_SD_LEVEL_TABLE = 0xF106;
constexpr uint32_t synth_sd_level(uint32_t s) {
    return 0xFF - s;
}
void synth_driver_level_table(uint8_t* image);
// 0xF206 (bank 0): the rate table, 128 words 0x0100 + 0x20 i.
constexpr uint32_t SYNTH_SD_RATE_TABLE = 0xF206;
constexpr uint32_t synth_sd_rate(uint32_t i) {
    return 0x0100 + 0x20 * i;
}
void synth_driver_rate_table(uint8_t* image);
// 0xF306 (bank 0): the pan table, 64 bytes 4q + 1.
constexpr uint32_t SYNTH_SD_PAN_TABLE = 0xF306;
constexpr uint32_t synth_sd_pan(uint32_t q) {
    return 4 * q + 1;
}
void synth_driver_pan_table(uint8_t* image);
// 0x210006: the word naming the volume envelope table (SYNTH_SD_ENVELOPE_TABLE); envelope
// e (1-8) at SYNTH_SD_ENVELOPES + 0x10 (e - 1) in bank 0x21, SYNTH_SD_ENVELOPE_SCRIPTS.
constexpr uint32_t SYNTH_SD_ENVELOPE_TABLE = 0x3800;
constexpr uint32_t SYNTH_SD_ENVELOPES = 0x3900;
constexpr uint8_t SYNTH_SD_ENVELOPE_SCRIPTS[8][8] = {
    {0x10, 0x40, 0x20, 0x00, 0xFE, 0x30, 0x80, 0xFF},  // silent start, rise, fall, hold, release
    {0x90, 0x20, 0xFF},                                // a loud start (bit 7 of the first byte)
    {0xFE, 0x05, 0x10, 0xFF},                          // held at once
    {0xFF},                                            // ends at once
    {0x00},                                            // the emulated code's
    {0x08, 0xFF, 0x08, 0x00, 0xFF},                    // a first step at the silent level
    {0x04, 0x80, 0xFF},
    {0x7F, 0x01, 0xFF},
};
void synth_driver_envelopes(uint8_t* image);
// 0x210008: the word naming the pan script table (SYNTH_SD_PAN_SCRIPT_TABLE); script n
// (1-6) at SYNTH_SD_PAN_SCRIPTS + 0x10 (n - 1), SYNTH_SD_PAN_SCRIPT_BYTES.
constexpr uint32_t SYNTH_SD_PAN_SCRIPT_TABLE = 0x3A00;
constexpr uint32_t SYNTH_SD_PAN_SCRIPTS = 0x3B00;
constexpr uint8_t SYNTH_SD_PAN_SCRIPT_BYTES[6][8] = {
    {2, 0x10, 0x05, 0x30, 0x85, 0x10, 0x84},  // two steps from 0x10: glide up, glide down, loop
    {0xFF, 0x20, 0x05, 0x40, 0x84},           // continues a running script
    {0, 0x08, 0x05, 0x18, 0x84},              // a count of 0
    {1, 0x7F, 0x83},                          // the emulated code's step
    {0x80, 0x20, 0x81, 0x20, 0x82, 0x20, 0xFF, 0x02},  // the emulated code's steps; entry 1
    {1, 0x40, 0x84},                          // a loop onto itself
};
void synth_driver_pan_scripts(uint8_t* image);
// 0x210000 + SYNTH_TUNE_ADDRESS: the tune of the commands with bit 9 (synth_driver_sequences
// jumps there). Its first step takes voices for the channels, sets one tick a step and the
// track's own level byte (0), writes the four instruments below at 0x9000 + 16w, gives
// channel k instrument number k + 1 and a stop mode that silences at once. Then, twice:
// notes 0x30, 0x34, 0x38 and 0x3C (the key maps give w = 7, 11, 15 and 19), 60 ticks, a
// release on every channel, 25 ticks. Then the track stops. (No child: a child's track
// plays its owner's command word, so it would take the same voices.)
// The instruments: the tone with envelope 1 at fixed pan 2 (mode 0); the tone 0x10 softer
// with envelope 1 through the pan table at position 5 (mode 0x7F); streamed sample 1
// with envelope 7, its pan from parameter word 3 (mode 0x7D); the tone an octave up
// with envelope 1 and pan script 1 (mode 0x7A).
constexpr uint8_t SYNTH_SD_TUNE_RECORDS[4] = {7, 11, 15, 19};
constexpr uint8_t SYNTH_SD_TUNE_INSTRUMENTS[4][16] = {
    {SYNTH_SD_TONE_SAMPLE, 0, 0x00, 0x02, 0x00, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0x00, 0},
    {SYNTH_SD_TONE_SAMPLE, 0, 0x10, 0x05, 0x80, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0x7F, 0},
    {1, 0, 0x00, 0x03, 0x00, 0x00, 7, 0, 0, 0, 0, 0, 0, 0, 0x7D, 0},
    {SYNTH_SD_TONE_SAMPLE, 0, 0x08, 0x01, 0x00, 0x00, 1, 0, 0, 0, 0, 12, 0, 0, 0x7A, 0},
};
constexpr uint32_t SYNTH_SD_TUNE_NOTE_TICKS = 60, SYNTH_SD_TUNE_REST_TICKS = 25;
// Where instrument k's 16 bytes lie in the tune (after 10 bytes of set-up, each behind
// its command, number and mask).
constexpr uint32_t synth_sd_tune_instrument(uint32_t k) {
    return 10 + 20 * k + 4;
}
void synth_driver_tune(uint8_t* image);
// A word of the driver ROM at a sound-CPU address (bank 0 or 0x20-0x27).
void synth_driver_rom_word(uint8_t* image, uint32_t address, uint32_t value);

// Shared-RAM data the driver reads (sound-CPU addresses; `comms` is commsram, bytes of
// each word swapped as the board keeps them).
// The tick's subroutine word at 0xBFBA (the tick body) and the bytes 0x4480 (0), 0x4482
// (voices served), 0x4484 (slots walked), 0x448A (pan mask) and 0x43FC / 0x43FE (equal).
void synth_driver_shared_bytes(uint8_t* comms, uint32_t voices, uint32_t slots);
// One byte and one word at a sound-CPU address in the shared RAM.
void synth_driver_comms_byte(uint8_t* comms, uint32_t address, uint32_t value);
void synth_driver_comms_word(uint8_t* comms, uint32_t address, uint32_t value);
uint32_t synth_driver_comms_read16(const uint8_t* comms, uint32_t address);
// Slot s: its command word (0x4000 + 2s) and link word (0x4040 + 2s).
void synth_driver_slot(uint8_t* comms, uint32_t slot, uint32_t command, uint32_t link);
// Track record of slot s (0x4500 + 0x50s): +0x0A command word, +0x0E 0, +0x1E level
// source address, at the start of its command's sequence (+0x10, +0x12), due at time 0,
// with no wait, call or loop open (+0x0D, +0x14, +0x15, +0x17, +0x1A, +0x1B 0); the other
// fields a fixed pattern so that what a routine clears shows.
void synth_driver_track(uint8_t* comms, uint32_t slot, uint32_t command, uint32_t level_source);
// Channel record k of slot s (0x5000 + 0x100s + 32k): +0x13 active, +0x11 voice, +0x16
// voice record, +0x1D stop mode; the other bytes a fixed pattern.
void synth_driver_channel(uint8_t* comms, uint32_t slot, uint32_t k, uint32_t active, uint32_t voice,
                          uint32_t voice_record, uint32_t stop_mode);
// Voice record n (0x7000 + 192n): +0x06 volume envelope, +0x34 / +0x35 event indices.
void synth_driver_voice(uint8_t* comms, uint32_t voice, uint32_t envelope, uint32_t write_index,
                        uint32_t read_index);
// Owner table entry of voice v (0x4F00 + 2v) and the claim of slot s on voice v
// (priority at 0x8800 + 32v + s, channel number at 0x8C00 + 32v + s).
void synth_driver_owner(uint8_t* comms, uint32_t voice, uint32_t channel_record);
void synth_driver_claim(uint8_t* comms, uint32_t voice, uint32_t slot, uint32_t priority, uint32_t channel);
