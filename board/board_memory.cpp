#include "board/board_memory.h"

#include "board/wram.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

board_memory_block board_memory;

void board_memory_clear() {
    std::memset(&board_memory, 0, sizeof board_memory);
    static bool checked = false;
    if (!checked) {
        checked = true;
        if (!wram_pointer_range_check()) {
            fprintf(stderr, "[WRAM] host buffers lie below 4 GB: a work-RAM slot cannot tell "
                            "their pointers from 68020 values (build as a position-independent executable)\n");
            abort();
        }
    }
}
