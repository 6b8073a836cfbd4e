// Sound-board diagnostics: logs, dumps and a state hash of the sound board, each switched
// on by an environment variable and silent otherwise. They run on the main thread inside
// the frame run and at the chip window; none changes what is heard.
//
// Start-up switches (read once by main): SKYVOLTA_MCULOG, SKYVOLTA_SNDLOG,
// SKYVOLTA_SHAREDUMP. Read at the first frame run after a driver load: SKYVOLTA_SLOTWATCH,
// SKYVOLTA_MBOXLOG, SKYVOLTA_SNDSTATE. Read at the driver load: SKYVOLTA_Q904LOG,
// SKYVOLTA_CHIPTRACE, SKYVOLTA_MCUVOICE (sound/chip_window_log.h).
#pragma once
#include <cstdint>
#include <cstdio>

// SKYVOLTA_SNDLOG present: the chip window's "[KEYON ]" lines and the sound command
// layer's "[SOUND]" lines.
extern bool sound_log_enabled;
// SKYVOLTA_MCULOG present: the commsram change listing, count-start changes and the
// "[MCU] f..." line every 60th host frame.
extern bool mcu_log_enabled;
// SKYVOLTA_SHAREDUMP: the file prefix of the two share dumps; empty when unset.
extern char share_dump_prefix[1024];

// Reads the three start-up switches above.
void sound_diag_switches_read();

// The diagnostics' log files. Each is fully buffered (1 MB) and flushed and closed at
// exit; a file that cannot be opened is simply not written.
enum diag_log_file { DIAG_LOG_Q904, DIAG_LOG_CHIP_TRACE, DIAG_LOG_MAILBOX, DIAG_LOG_STATE, DIAG_LOG_COUNT };
// Opens `path` for writing in that slot (closing what was open there); null on failure.
FILE* diag_log_open(diag_log_file which, const char* path);
// The open file of a slot, or null.
FILE* diag_log(diag_log_file which);
// Flushes and closes every open log file (registered with atexit at the first open).
void diag_logs_close();

// After every driver load: closes the log files, forgets what the frame diagnostics
// have seen (their switches are read again at the next frame run) and reads the
// driver-load switches.
void sound_diag_driver_start();

// Before the frame's run: the commsram change listing (MCU log), the game-side slot
// watch and the mailbox log.
void sound_diag_before_run();
// After the run, once the chip is up to date: the chip-trace frame line, the copy of
// commsram for next frame's comparison, the driver-side slot watch, the share dumps and
// the MCU log.
void sound_diag_after_run();

// Writes "PREFIX_TAG.bin" (commsram in the sound CPU's byte order) and
// "PREFIX_TAG_q904.txt" (chip_regs_dump), then "[MCU] wrote ..." naming the last file
// written; nothing when the binary file cannot be opened.
void mcu_share_dump(const char* prefix, const char* tag);
// One line per voice, "v%02d" and its eight registers, read under the ring lock; false
// when there is no chip or the file cannot be opened.
bool chip_regs_dump(const char* path);
