// Diagnostics at the sound CPU's chip window (0x2000-0x2FFF): counts of the committed
// register writes, the register log (SKYVOLTA_Q904LOG), the chip trace's key-on
// snapshots and frame lines (SKYVOLTA_CHIPTRACE), the "[KEYON ]" lines (SKYVOLTA_SNDLOG)
// and the register lines of one voice (SKYVOLTA_MCUVOICE).
#pragma once
#include <cstdint>

// Committed register writes since the driver load: registers 0x100 and up count as
// control writes, the others as voice writes.
struct chip_write_counts {
    uint64_t control;
    uint64_t voice;
};
extern chip_write_counts chip_writes;

// At each driver load: reads SKYVOLTA_Q904LOG, SKYVOLTA_CHIPTRACE and SKYVOLTA_MCUVOICE
// and opens the two files.
void chip_window_log_start();
// A byte the CPU wrote at 0x2000 + offset, already in chip_shadow; an odd offset commits
// the register, which the chip has not seen yet.
void chip_window_write(uint32_t offset, uint8_t value);
// After each frame's run: "F frame" and registers 0-255 and 0x200 from the shadow.
void chip_trace_frame_line();
