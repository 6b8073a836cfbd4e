#include "board/palette_marks.h"

#include <cstring>

uint8_t palette_written[PALETTE_ENTRIES];
uint16_t palette_written_list[PALETTE_ENTRIES];
uint32_t palette_written_count = 0;

void palette_entry_mark_written(uint32_t entry) {
    if (entry >= PALETTE_ENTRIES || palette_written[entry]) return;
    palette_written[entry] = 1;
    palette_written_list[palette_written_count++] = uint16_t(entry);
}

void palette_marks_clear() {
    memset(palette_written, 0, sizeof palette_written);
    palette_written_count = 0;
}
