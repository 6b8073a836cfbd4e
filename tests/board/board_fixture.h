// The board images cleared and the synthetic program ROM loaded, as after start-up.
#pragma once
#include "board/board_memory.h"
#include "tests/support/synth_rom.h"

#include <gtest/gtest.h>
#include <cstring>

class BoardTest : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    }
};
