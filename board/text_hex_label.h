// A label and a hexadecimal number in the text layer (test and debug screens).
#pragma once
#include <cstdint>

// Writes label (may be null) from cell (x, y) on, then n digits of value, most
// significant first (digit j from bits 4 (j & 7) up), 'A'-'F' for ten and above; each
// cell gets attribute byte 0 and the ASCII code. Cells outside text RAM are skipped,
// the column still advancing. `extra` is not used.
void text_put_ascii_hex(int32_t x, int32_t y, int32_t n, const char* label, int32_t value, int32_t extra);
