#include "board/block_list.h"

#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"

namespace {

constexpr uint32_t PARAM_MASKS = 0x037664;  // six longs: the flag bits of parameters 0-5
constexpr int32_t BLOCK_SLOTS = 128;
constexpr int32_t MAX_BLOCKS = 64;
constexpr uint32_t RECORD_SIZE = 36;           // three head longs and six parameters
constexpr int32_t FLAG_ADDRESS_HEAD = 0x400000;  // L0 is the address of the block's first word
constexpr int32_t CAMERA_BLOCK = 0x7FFF;

// Shared by every expansion for the whole run; 4 when the program starts.
uint16_t block_serial = 4;

void block_put(int32_t block, uint32_t offset, int32_t value) {
    wram_long_set(uint32_t(block) + offset, value);
}

bool rom_range(uint32_t address, uint32_t length) {
    return uint64_t(address) + length <= PROGRAM_ROM_END;
}

void block_fill(int32_t block, uint32_t record) {
    int32_t l0 = bus_read32(record), l1 = bus_read32(record + 4), l2 = bus_read32(record + 8);
    block_put(block, 0, l0);
    block_put(block, 4, l1);
    block_put(block, 8, l2);

    int16_t serial = int16_t(uint32_t(l1) >> 16);
    if (serial == 0) {
        block_serial = 4;
        block_put(block, 120, 4);
    } else if (serial < 0) {
        block_serial++;
        block_put(block, 120, int16_t(block_serial));
    }

    if (l2 & FLAG_ADDRESS_HEAD) {
        block_put(block, 124, l0);
        block_put(block, 0, int16_t(bus_read16(uint32_t(l0))));
    } else {
        block_put(block, 124, 0);
    }

    int32_t flags = l2 >> 16;
    int32_t param[6];
    for (uint32_t k = 0; k < 6; k++) {
        block_put(block, 60 + 4 * k, 0);
        w_word_set(uint32_t(block) + 108 + 2 * k, 1);
        int32_t field = bus_read32(record + 12 + 4 * k);
        param[k] = field;
        if (flags & bus_read32(PARAM_MASKS + 4 * k)) {  // field points at a list of values
            block_put(block, 12 + 4 * k, int32_t(uint32_t(field) + 4));
            param[k] = bus_read32(uint32_t(field));
        }
        block_put(block, 36 + 4 * k, param[k]);
        block_put(block, 84 + 4 * k, param[k]);
    }

    if (wram_long(uint32_t(block)) == CAMERA_BLOCK) {
        const uint32_t position[3] = {W_CAMERA_X, W_CAMERA_Y, W_CAMERA_Z};
        const uint32_t angles[3] = {W_CAMERA_PITCH, W_CAMERA_HEADING, W_CAMERA_ROLL};
        for (int k = 0; k < 3; k++) {
            wram_long_set(position[k], param[k]);
            wram_long_set(angles[k], int32_t(0u - uint32_t(param[3 + k])));
        }
    }
}

}  // namespace

int32_t rom_block_list_expand(int32_t index, uint32_t list_address) {
    if (index < 0 || index >= int32_t(WRAM_SIZE)) return index;
    int32_t i = index;
    for (int blocks = 0; blocks < MAX_BLOCKS; blocks++) {
        if (list_address == 0 || !rom_range(list_address, 4)) break;
        uint32_t record = uint32_t(bus_read32(list_address));
        if (record == 0 || i + 2 * BLOCK_SLOTS > int32_t(WRAM_SIZE) || !rom_range(record, RECORD_SIZE)) break;
        block_fill(i, record);
        i += BLOCK_SLOTS;
        list_address += 4;
    }
    w_cell_set(uint32_t(i), -1);
    w_cell_set(W_KEYFRAME_COUNTER, 0);
    w_cell_set(W_RIG_FLAG, 0);  // a word kept in a slot of its own
    return i;
}

int32_t w_list_walk(int32_t index, uint32_t list_address) {
    if (index < 0 || index + BLOCK_SLOTS > int32_t(WRAM_SIZE)) return index;
    wram_long_set(W_LIST_ADDRESS, int32_t(list_address));
    return rom_block_list_expand(index, list_address);
}
