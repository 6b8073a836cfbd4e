// The emitters' tests: the display-list fixture with the game's counters and course
// set, and the words a sine-table pair or a sine-table word holds.
#pragma once
#include "board/fixed_math.h"
#include "board/wram_cell.h"
#include "game/services/object_ram.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/synth_rom_tables.h"

using words_t = std::vector<int32_t>;

// The signed word at a program-ROM address.
inline int32_t rom_word_at(uint32_t address) {
    return int16_t(uint16_t(program_rom[address] << 8 | program_rom[address + 1]));
}

class EmitterTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        camera_at(1000, 2000, 3000);
    }
    void play_frame(int32_t f) { wram_long_set(W_PLAY_FRAME_COUNTER, f); }
    void mode_word(uint16_t m) { w_write16(WRAM_BASE + W_OBJECT_MODE, m); }
    // Three longs at a work-RAM offset.
    void position_at(uint32_t offset, int32_t x, int32_t y, int32_t z) {
        wram_long_set(offset, x);
        wram_long_set(offset + 4, y);
        wram_long_set(offset + 8, z);
    }
};
