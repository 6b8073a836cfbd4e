#include "game/world/list_room.h"

#include "board/display_list.h"
#include "board/dspram.h"

bool dl_cursor_room(uint32_t bytes) {
    return dl_room_at(dl_cursor_get(), bytes / 4 + 1);  // more than `bytes` bytes: at least bytes / 4 + 1 words
}

bool dl_room_at(const int32_t* out, uint32_t words) {
    uintptr_t at = reinterpret_cast<uintptr_t>(out);
    uintptr_t area = reinterpret_cast<uintptr_t>(dl_packet_area(dl_buffer_current()));
    uintptr_t end = area - DL_PACKET_OFFSET + DL_BUFFER_SIZE;
    return at >= area && at <= end && (end - at) / 4 >= words;
}

void dl_bank_link(int32_t bank) {
    if (bank == wram_long(W_DL_LAST_BANK)) return;
    if (bank) {
        dl_bank_select(bank);
    } else {
        dl_bank_end();
    }
    wram_long_set(W_DL_LAST_BANK, bank);
}
