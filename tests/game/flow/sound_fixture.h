// The sound command layer's tests: the board images as after start-up with the synthetic
// program ROM, the sound layer's words as the course sound reset leaves them outside a
// race, and the words of the sound RAM by slot.
#pragma once
#include "board/display_list.h"
#include "board/dspram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "tests/board/board_fixture.h"

#include <cstring>
#include <vector>

class SoundTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        host_frame = 0;
        w_word_set(W_SOUND_HOLD_LEVEL, -1);
        w_word_set(W_SOUND_HOLD_TIMER, -1);
        w_word_set(W_SOUND_DEFERRED_ID, -1);
        w_word_set(W_AREA_SOUND_ID, -1);
    }
    static uint32_t command(int32_t slot) { return sound_ram_word(2 * uint32_t(slot)); }
    static uint32_t param(int32_t slot) { return sound_ram_word(uint32_t(0x100 + 2 * slot)); }
    static void command_put(int32_t slot, uint32_t word) { sound_ram_word_set(2 * uint32_t(slot), word); }
    static void param_put(int32_t slot, uint32_t word) { sound_ram_word_set(uint32_t(0x100 + 2 * slot), word); }
    static void game(int32_t state, int32_t sub = 0) {
        wram_long_set(W_GAME_STATE, state);
        wram_long_set(W_GAME_SUB_STATE, sub);
    }
    // The sound RAM as it is now, to compare with later.
    static std::vector<uint8_t> sound_ram() { return std::vector<uint8_t>(commsram, commsram + sizeof commsram); }
    // The offsets of the bytes that differ from `before`.
    static std::vector<uint32_t> changed(const std::vector<uint8_t>& before) {
        std::vector<uint32_t> at;
        for (uint32_t i = 0; i < sizeof commsram; i++)
            if (commsram[i] != before[i]) at.push_back(i);
        return at;
    }
};
