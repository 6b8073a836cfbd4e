// The optional master-DSP path (SKYVOLTA_MASTER).
#pragma once
#include <cstdint>

// Boots the DSP when SKYVOLTA_MASTER asks for it; false keeps the built-in expansion.
bool master_boot(const char* rom_dir);

// Runs the DSP program for one frame when it was booted.
void master_run_frame();

// The last successful master frame's output words, or null.
const uint32_t* master_output();
