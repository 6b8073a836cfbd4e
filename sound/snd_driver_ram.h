// The sound driver's data as its top level keeps it: direct-page variables (offsets
// from D; the tick runs the driver with D = 0), the vectors in internal RAM, the slot
// tables and records in the shared RAM, and the driver-ROM places it reads.
#pragma once
#include <cstdint>

// Direct page.
constexpr uint32_t DRV_IDLE_FLAG = 0x83;        // byte: the idle loop waits while it is 0
constexpr uint32_t DRV_SCRATCH = 0xC0;          // word: command number; loop counter (byte)
constexpr uint32_t DRV_CLAIM_PRIORITY = 0xC2;   // byte: priority of the claim being made
constexpr uint32_t DRV_SAVED_CHANNEL = 0xC2;    // word: channel record being released
constexpr uint32_t DRV_CLAIM_CHANNEL = 0xC3;    // byte: channel number of the claimant
constexpr uint32_t DRV_CHANNEL_COUNT = 0xC4;    // word: channels left to release
constexpr uint32_t DRV_STOP_OWNER = 0xC6;       // word: slot word whose slot and children stop
constexpr uint32_t DRV_OWNER_ENTRY = 0xCA;      // word: owner entry or channel record worked on
constexpr uint32_t DRV_VOICE_NUMBER = 0xCC;     // word
constexpr uint32_t DRV_SLOT_COUNTER = 0xD0;     // byte (0xD1 above it when saved as a word)
constexpr uint32_t DRV_BUSY = 0xD3;             // byte: the tick body is at work
constexpr uint32_t DRV_CHANNEL_AREA = 0xD6;     // word: channel area of the current slot
constexpr uint32_t DRV_TRACK = 0xD8;            // word: track record of the current slot
constexpr uint32_t DRV_TIME = 0xDA;             // word: driver time, +64 per tick
constexpr uint32_t DRV_BEST_CLAIM = 0xDE;       // word: address of the strongest claim
constexpr uint32_t DRV_SLOT_WORD = 0xE0;        // word: address of the current slot's command word
constexpr uint32_t DRV_SAVED_S = 0xEE;          // word: S saved by the tick body
constexpr uint32_t DRV_PAN_MASK = 0xF4;         // byte: copy of DRV_PAN_MASK_SOURCE
// Direct page of the sequencer and its commands.
constexpr uint32_t DRV_VALUE = 0xC0;            // word: a command's value operand
constexpr uint32_t DRV_FIELD_STEP = 0xC8;       // word: a channel-field command's extra step
constexpr uint32_t DRV_ASSIGNED = 0xC2;         // byte: the value a voice assignment stored
constexpr uint32_t DRV_REMAINDER = 0xC2;        // word: the remainder of an arithmetic command
constexpr uint32_t DRV_SECOND_VALUE = 0xC7;     // byte: a channel-field command's shared second value
constexpr uint32_t DRV_FIELD_BYTE = 0xC4;       // byte: offset (bits 0-6), parameter value (bit 7)
constexpr uint32_t DRV_ARITH_STATUS = 0xC4;     // word: PS after an arithmetic command
constexpr uint32_t DRV_CHANNEL_MASK = 0xCE;     // byte: channels still to visit, channel 0 at bit 7
constexpr uint32_t DRV_COMMAND_BYTE = 0xE2;     // byte: bit 6 = one shared value
constexpr uint32_t DRV_RANDOM = 0xE8;           // word: the random generator's state
constexpr uint32_t DRV_RESUME = 0xF0;           // word: where a command's emulated form resumes
constexpr uint32_t DRV_STEP_FACTOR = 0xF2;      // word: a step-length factor being multiplied
constexpr uint32_t DRV_WALK_CHANNEL = 0xF2;     // word: the channel a note walk is at
constexpr uint32_t DRV_EVENT = 0xF0;            // word: the event a note start writes
constexpr uint32_t DRV_NOTE_MODE = 0xE3;        // byte: nonzero, note starts left to the driver
constexpr uint32_t DRV_SHARED_MASK = 0xD2;      // byte: 0xFF, one note for all channels

// Vectors in internal RAM (absolute, bank 0): driver subroutines the routines call.
constexpr uint32_t DRV_VEC_MAIN_WORK = 0x0104;
constexpr uint32_t DRV_VEC_NEW_COMMAND = 0x0106;
constexpr uint32_t DRV_VEC_SLOT_WORK = 0x010A;
constexpr uint32_t DRV_VEC_RELEASED_AFTER = 0x010E;
constexpr uint32_t DRV_VEC_RELEASED = 0x0112;
constexpr uint32_t DRV_VEC_RELEASED_LEVEL = 0x0114;
constexpr uint32_t DRV_VEC_RESTART = 0x0116;
constexpr uint32_t DRV_VEC_AFTER_SLOTS = 0x0126;
constexpr uint32_t DRV_VEC_VOICE_TAKEN = 0x0108;
constexpr uint32_t DRV_VEC_TAKE_VOICE = 0x0110;
constexpr uint32_t DRV_VEC_CLAIM = 0x0128;
constexpr uint32_t DRV_HANDLERS = 0x0130;  // 64 words: the handler of each command code

// Shared RAM (sound-CPU addresses).
constexpr uint32_t DRV_SLOT_WORDS = 0x4000;        // command word of slot s at + 2s
constexpr uint32_t DRV_SLOT_LINK = 0x40;           // link word: slot word + 0x40
constexpr uint32_t DRV_QUIET_BYTE = 0x4480;        // 0x5A: the tick body is left to the driver
constexpr uint32_t DRV_VOICE_COUNT = 0x4482;       // byte
constexpr uint32_t DRV_SLOT_COUNT = 0x4484;        // byte: slots the mailbox walks (0: 256)
constexpr uint32_t DRV_PAN_MASK_SOURCE = 0x448A;   // byte
constexpr uint32_t DRV_PAIR_FIRST = 0x43FC;        // byte pair: unequal after the main work,
constexpr uint32_t DRV_PAIR_SECOND = 0x43FE;       // the tick body calls DRV_PAIR_ROUTINE
constexpr uint32_t DRV_TRACKS = 0x4500;            // track record of slot s at + 0x50s
constexpr uint32_t DRV_TRACK_SIZE = 0x50;
constexpr uint32_t DRV_OWNERS = 0x4F00;            // owner of voice v: word at + 2v
constexpr uint32_t DRV_CHANNELS = 0x5000;          // channel area of slot s at + 0x100s
constexpr uint32_t DRV_CHANNEL_AREA_SIZE = 0x100;
constexpr uint32_t DRV_CHANNEL_SIZE = 0x20;
constexpr uint32_t DRV_CLAIMS = 0x8800;            // priority of slot s on voice v at + 32v + s
constexpr uint32_t DRV_CLAIM_ROW = 32;             // a voice's claims, one byte per slot
constexpr uint32_t DRV_CLAIM_TO_CHANNEL = 0x400;   // the channel number 0x400 above its priority
constexpr uint32_t DRV_TICK_WORD = 0xBFBA;         // the tick's subroutine
constexpr uint32_t DRV_PARAMETERS = 0x4100;        // the game's parameter word n at + 2n
constexpr uint32_t DRV_MESSAGE = 0x4300;           // a sequence's message for the game
constexpr uint32_t DRV_MESSAGE_COUNT = 0x43FA;     // byte: +1 per message
constexpr uint32_t DRV_INSTRUMENTS = 0x9000;       // instrument record n at + 16n
constexpr uint32_t DRV_INSTRUMENT_SIZE = 16;

// Command word bits.
constexpr uint32_t DRV_CMD_RUNNING = 0x8000;
constexpr uint32_t DRV_CMD_NEW = 0x4000;
constexpr uint32_t DRV_CMD_CHILD = 0x0800;
constexpr uint32_t DRV_CMD_NUMBER = 0x07FF;

// Track record fields.
constexpr uint32_t TRK_TIME = 0x00;
constexpr uint32_t TRK_OWN_LEVEL = 0x06;     // byte: a level source of the track's own
constexpr uint32_t TRK_STEP_B = 0x07;        // byte: step length = (+0x07) x (+0x09)
constexpr uint32_t TRK_STEP_A = 0x09;        // byte
constexpr uint32_t TRK_WORD_0C = 0x0C;       // word
constexpr uint32_t TRK_EXTENDED = 0x0D;      // byte: nonzero, the emulated code schedules
constexpr uint32_t TRK_CALL_DEPTH = 0x14;    // byte
constexpr uint32_t TRK_LOOP_DEPTH = 0x15;    // byte
constexpr uint32_t TRK_WAIT = 0x1A;          // byte: steps still to wait
constexpr uint32_t TRK_EMULATED_NOTES = 0x17;  // byte: bit 7, notes left to the driver
constexpr uint32_t TRK_BYTE_1B = 0x1B;       // byte: nonzero, the emulated code schedules
constexpr uint32_t TRK_CALLS = 0x22;         // call entry d at + 3d: return word, bank byte
constexpr uint32_t TRK_CALL_SIZE = 3;
constexpr uint32_t TRK_LOOPS = 0x34;         // loop entry d at + 4d: count, bank, operands word
constexpr uint32_t TRK_LOOP_SIZE = 4;
constexpr uint32_t TRK_COMMAND = 0x0A;       // word; bit 15 live
constexpr uint32_t TRK_SEQUENCE = 0x10;      // word
constexpr uint32_t TRK_BANK = 0x12;          // byte
constexpr uint32_t TRK_LEVEL_SOURCE = 0x1E;  // word
constexpr uint32_t TRK_LEVEL = 0x20;         // byte
// Words a new command clears, in the driver's order.
constexpr uint32_t TRK_CLEARED_AT_START[5] = {0x18, 0x0E, 0x1A, 0x14, 0x16};

// Channel record fields.
constexpr uint32_t CH_DELAY = 0x08;             // byte: a note's event 64 x this later
constexpr uint32_t CH_INSTRUMENT = 0x10;         // byte
constexpr uint32_t CH_VOICE = 0x11;              // byte
constexpr uint32_t CH_STATE = 0x13;              // byte: 0 inactive, 0xFF claiming or playing
constexpr uint32_t CH_VOICE_RECORD = 0x16;       // word
constexpr uint32_t CH_TIES = 0x12;               // byte: notes still to tie
constexpr uint32_t CH_FOLLOWS = 0x14;            // byte: w, the channel follows channel w - 1
constexpr uint32_t CH_INSTRUMENT_RECORD = 0x18;  // word
constexpr uint32_t CH_MODE_COPY = 0x6E;          // byte (of a voice field's address)
constexpr uint32_t CH_NOTE = 0x1A;               // byte
constexpr uint32_t CH_SELECTED = 0x1B;           // byte: bit 7, selected by the last note command
constexpr uint32_t CH_LEVEL_PARAMETER = 0x1C;    // byte: nonzero, the level is parameter n
constexpr uint32_t CH_STOP_MODE = 0x1D;          // byte: bits 0-6 set, a stop silences at once

// Direct page of the voices.
constexpr uint32_t DRV_ATTENUATION = 0xCC;     // byte: the current voice's total attenuation
constexpr uint32_t DRV_VOICE_COUNTER = 0xD1;   // byte: voices walked
constexpr uint32_t DRV_PITCH_OFFSET = 0xDC;    // word: added to every voice's pitch
constexpr uint32_t DRV_CHIP_BLOCK = 0xEA;      // word: chip registers of the current voice
constexpr uint32_t DRV_VOICE = 0xEC;           // word: the current voice record
constexpr uint32_t DRV_EVENT_WORD = 0xC4;      // word: the event's kind and note
constexpr uint32_t DRV_EVENT_KIND = 0xE2;      // byte: kind (bit 7 tie)
constexpr uint32_t DRV_SEGMENT_FLAGS = 0xC0;   // word: a streamed segment's flags
constexpr uint32_t DRV_SPEAKER_LEVELS = 0xC0;  // four bytes: the levels a pan routine leaves
constexpr uint32_t DRV_FRACTION = 0xF0;        // word: the pitch's fraction between table steps
constexpr uint32_t DRV_VEC_ENVELOPE_STEP = 0x010C;
constexpr uint32_t DRV_VEC_KEY_ON = 0x0118;
constexpr uint32_t DRV_VEC_UPDATE_FIRST = 0x011A;  // the voice update calls 0x011A, 0x011E,
constexpr uint32_t DRV_VEC_UPDATE_LAST = 0x011C;   // 0x0120, 0x0122, then goes on at 0x011C
constexpr uint32_t DRV_VEC_NOTE_EVENT = 0x0124;
constexpr uint32_t DRV_VEC_PAN_BY_STATE = 0x012A;

// Voice records.
constexpr uint32_t DRV_VOICES = 0x7000;        // voice n at + 192n
constexpr uint32_t DRV_VOICE_SIZE = 192;

// Voice record fields.
constexpr uint32_t VC_SAMPLE = 0x00;       // word: sample number loaded
constexpr uint32_t VC_LEVEL = 0x02;        // byte: voice attenuation (word with the pan byte)
constexpr uint32_t VC_PAN = 0x03;          // byte: pan position or pan-script number
constexpr uint32_t VC_PITCH = 0x04;        // word: high byte the note
constexpr uint32_t VC_ENVELOPE = 0x06;     // byte: volume envelope number
constexpr uint32_t VC_PITCH_ENVELOPE = 0x07;  // byte
constexpr uint32_t VC_RELEASE_DELAY = 0x08;  // word: +0x09 the release delay
constexpr uint32_t VC_START_TRANSPOSE = 0x0A;  // word: sample start offset, transpose (+0x0B)
constexpr uint32_t VC_KEY_ON_MODE = 0x0C;  // word: +0x0C, +0x0D glide flag
constexpr uint32_t VC_GLIDE = 0x0D;        // byte
constexpr uint32_t VC_PAN_MODE = 0x0E;     // word: +0x0E pan mode, +0x0F pitch parameter
constexpr uint32_t VC_PITCH_PARAMETER = 0x0F;  // byte: nonzero, the pitch is parameter n
constexpr uint32_t VC_HEADER = 0x10;       // word: sample header
constexpr uint32_t VC_STREAM = 0x12;       // word: streaming pointer into the header
constexpr uint32_t VC_BANK = 0x14;         // word: the chip's "bank"
constexpr uint32_t VC_ENVELOPE_RATE = 0x18;   // word
constexpr uint32_t VC_ENVELOPE_TARGET = 0x1A; // byte
constexpr uint32_t VC_ENVELOPE_ENTRY = 0x1C;  // word: the envelope's table entry
constexpr uint32_t VC_ENVELOPE_LEVEL = 0x1F;  // byte: the envelope's attenuation (8.8 word at +0x1E)
constexpr uint32_t VC_ENVELOPE_READ = 0x20;   // word: script read address (bank 0x21)
constexpr uint32_t VC_FLAGS = 0x2C;        // word: the chip's "flags" at key-on
constexpr uint32_t VC_RELEASE = 0x2E;      // byte: release counter
constexpr uint32_t VC_PAN_STEPS = 0x31;    // byte: pan step counter
constexpr uint32_t VC_STREAMING = 0x32;    // byte: 0xFF new segment chain, 0x7F streaming
constexpr uint32_t VC_EVENT_WRITE = 0x34;  // byte
constexpr uint32_t VC_EVENT_READ = 0x35;   // byte
constexpr uint32_t VC_NEXT_EVENT = 0x36;   // word: the next event to read
constexpr uint32_t VC_LIVE = 0x38;         // byte: 0xFF after a note, 0 free
constexpr uint32_t VC_INSTRUMENT = 0x3C;   // word: instrument record
constexpr uint32_t VC_PITCH_PARTS[2] = {0x40, 0x44};  // added to the glided pitch
constexpr uint32_t VC_PAN_LOOP = 0x3E;     // word: pan-script loop address
constexpr uint32_t VC_PITCH_EFFECT = 0x5A;  // word: the pitch-effect routine
constexpr uint32_t VC_ENVELOPE_STEP = 0x5C; // word: the volume-envelope routine
constexpr uint32_t VC_PAN_BYTE = 0x5E;      // word: address of a pan byte (a parameter word)
constexpr uint32_t VC_PAN_VOLUME = 0x60;    // word: the pan/volume routine
constexpr uint32_t VC_PAN_RATE = 0x62;      // word: pan step
constexpr uint32_t VC_PAN_DISTANCE = 0x66;  // word: remaining distance in 8.8 form
constexpr uint32_t VC_PAN_READ = 0x6A;      // word: pan-script read address
constexpr uint32_t VC_PAN_TARGET = 0x6C;    // byte: target position
constexpr uint32_t VC_PAN_MODE_COPY = 0x6E; // byte
constexpr uint32_t VC_PAN_SCRIPT = 0x6F;    // byte: running script number
constexpr uint32_t VC_FIXED_LEVELS = 0x70;  // words +0x70, +0x72: a fixed pan's four levels
constexpr uint32_t VC_SAMPLE_PITCH = 0x46;  // the sample's pitch offset
constexpr uint32_t VC_GLIDED_PITCH = 0x42;
constexpr uint32_t VC_LEVEL_SOURCE = 0x48;  // word: address of the level byte
constexpr uint32_t VC_EVENTS = 0x80;       // the ring of eight events
constexpr uint32_t VC_EVENT_SIZE = 8;

// Event fields.
constexpr uint32_t EV_TIME = 0;
constexpr uint32_t EV_KIND = 2;            // low byte kind (bit 7 tie), high byte note
constexpr uint32_t EV_INSTRUMENT = 4;
constexpr uint32_t EV_LEVEL_SOURCE = 6;

// Q904 registers: voice n's block at 0x2000 + 16n.
constexpr uint32_t DRV_CHIP = 0x2000;
constexpr uint32_t DRV_CHIP_BLOCK_SIZE = 16;
constexpr uint32_t DRV_CHIP_FREQ = 4;
constexpr uint32_t DRV_CHIP_BANK = 8;
constexpr uint32_t DRV_CHIP_FLAGS = 6;
constexpr uint32_t DRV_CHIP_START = 10;
constexpr uint32_t DRV_CHIP_END = 12;
constexpr uint32_t DRV_CHIP_LOOP = 14;
constexpr uint32_t DRV_CHIP_KEY_ON = 0x2404;  // key-on control: starts and ends requested voices

// Driver ROM.
constexpr uint32_t DRV_ID_BYTES = 0x200002;     // 0xAA 0x99: the tick body is left to the driver
constexpr uint32_t DRV_COMMAND_BANK = 0x210000; // word at the start: offset of the command table
constexpr uint32_t DRV_KEY_MAP_BANK = 0x210000;
constexpr uint32_t DRV_KEY_MAP_WORD = 0x21000C; // offset of the key maps, 16 bytes per instrument
constexpr uint8_t DRV_DATA_BANK = 0x21;              // sample headers, scripts and tables
constexpr uint32_t DRV_SAMPLE_TABLE_WORD = 0x210002;  // offset of the sample header table
constexpr uint32_t DRV_PITCH_TABLE = 0xF346;          // words, one per note step
constexpr uint32_t DRV_PAIR_ROUTINE = 0xD879;
constexpr uint32_t DRV_SLOT_LEVEL = 0xD745;
constexpr uint32_t DRV_STOP_TRACK = 0xE18D;  // entered with the caller's Y pushed
