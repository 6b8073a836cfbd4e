// Marks of the palette entries the game has written while running. The board's
// palette loaders set them; the renderer composes its layer palette from the marked
// entries of palette RAM over its static palette.
#pragma once
#include <cstdint>

constexpr uint32_t PALETTE_ENTRIES = 0x8000;

// One mark per entry: 1 once the game has written it (never cleared).
extern uint8_t palette_written[PALETTE_ENTRIES];
// The marked entries in the order they were first written.
extern uint16_t palette_written_list[PALETTE_ENTRIES];
extern uint32_t palette_written_count;

// Marks an entry as written by the game; indices above 0x7FFF are ignored.
void palette_entry_mark_written(uint32_t entry);
// No entry marked, as on a board that has not run yet.
void palette_marks_clear();
