// What the world's object writers ask of the display list before each record: the room
// left in the current buffer, and the bank link written only on a change.
#pragma once
#include <cstdint>

// True when dl_cursor lies inside the current buffer with more than `bytes` bytes
// before its end.
bool dl_cursor_room(uint32_t bytes);
// True when `words` words from out on lie inside the current buffer.
bool dl_room_at(const int32_t* out, uint32_t words);
// 0x8010, 3, bank, -1 (bank 0: 0x8010, -1) when bank differs from dl_last_bank, which
// then takes it.
void dl_bank_link(int32_t bank);
