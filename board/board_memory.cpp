#include "board/board_memory.h"

#include <cstring>

board_memory_block board_memory;

void board_memory_clear() {
    std::memset(&board_memory, 0, sizeof board_memory);
}
