// Shared by the display-list and sprite tests: the board images as after start-up,
// the synthetic sine table's pairs computed from libm, and the words at a dspram offset.
#pragma once
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"

#include <cmath>
#include <cstring>
#include <vector>

// (sin, cos) of a 16-bit angle as the synthetic ROM's table holds them.
inline std::vector<int32_t> rom_pair(int32_t angle) {
    auto q15 = [](double v) {
        long q = std::lround(v * 32768.0);
        return int32_t(q > 32767 ? 32767 : q < -32768 ? -32768 : q);
    };
    double a = double(uint32_t(angle) & 0xFFFC) * 2 * M_PI / 65536.0;
    return {q15(std::sin(a)), q15(std::cos(a))};
}

// Concatenation of word lists, for spelling out expected packets.
inline std::vector<int32_t> operator+(std::vector<int32_t> a, const std::vector<int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class DisplayListTest : public BoardTest {
protected:
    static constexpr uint32_t PACKETS0 = DL_BUFFER_BASE + DL_PACKET_OFFSET;

    void SetUp() override {
        BoardTest::SetUp();
        dl_guard_count = 0;
        dsp_cmd_guard_count = 0;
        cursor_at(PACKETS0);
    }

    int32_t* at(uint32_t byte_offset) {
        return reinterpret_cast<int32_t*>(dspram + byte_offset);
    }
    void cursor_at(uint32_t byte_offset) {
        dl_cursor_set(at(byte_offset));
    }
    // The words from byte_offset up to the cursor.
    std::vector<int32_t> written(uint32_t byte_offset = PACKETS0) {
        std::vector<int32_t> out;
        for (int32_t* p = at(byte_offset); p < dl_cursor_get(); p++) out.push_back(*p);
        return out;
    }
    void camera_at(int32_t x, int32_t y, int32_t z) {
        wram_long_set(W_CAMERA_X, x);
        wram_long_set(W_CAMERA_Y, y);
        wram_long_set(W_CAMERA_Z, z);
    }
};
