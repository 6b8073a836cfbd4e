// Shared by the display-list and sprite tests: the board images as after start-up,
// the synthetic sine table's pairs computed from libm, and the words at a dspram offset.
#pragma once
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
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

// A display-list writer under the bounds comparison. whole_packet: refused whole when
// 16 words do not fit (dsp_cmd_ptr); prefix: stores some leading part of its words
// when room runs short (several guarded packets); otherwise exactly min(room, words).
struct dl_writer {
    const char* name;
    std::function<void()> run;
    bool whole_packet = false;
    bool prefix = false;
};

// Runs each writer with its cursor in the last 48 words of dspram, at its end and
// outside it (fresh() restores the state it starts from): whatever does not fit is
// dropped, the cursor never leaves [start, end], the words stored are the leading
// words of what it writes with room to spare, and the images around dspram (which
// AddressSanitizer cannot guard, lying in one block) keep every byte.
inline void expect_writers_inside_dspram(const std::vector<dl_writer>& writers, const std::function<void()>& fresh) {
    static uint8_t below[sizeof sprite_registers], above[sizeof commsram];
    std::memset(sprite_registers, 0x5A, sizeof sprite_registers);
    std::memset(commsram, 0xA5, sizeof commsram);
    std::memcpy(below, sprite_registers, sizeof below);
    std::memcpy(above, commsram, sizeof above);
    int32_t* packets = reinterpret_cast<int32_t*>(dspram + DL_BUFFER_BASE + DL_PACKET_OFFSET);
    int32_t* end = reinterpret_cast<int32_t*>(dspram + sizeof dspram);

    for (const dl_writer& w : writers) {
        SCOPED_TRACE(w.name);
        fresh();
        dl_cursor_set(packets);
        w.run();
        std::vector<int32_t> ref(packets, dl_cursor_get());
        ASSERT_FALSE(ref.empty() && std::string(w.name) != "dl_terminate");
        for (uint32_t room = 0; room <= 48; room++) {
            fresh();
            std::memset(dspram + sizeof dspram - 4 * 48, 0, 4 * 48);
            int32_t* start = end - room;
            dl_cursor_set(start);
            w.run();
            int32_t* cursor = dl_cursor_get();
            ASSERT_GE(cursor, start);
            ASSERT_LE(cursor, end) << "room " << room;
            size_t stored = size_t(cursor - start);
            if (w.prefix) {
                ASSERT_LE(stored, std::min<size_t>(room, ref.size())) << "room " << room;
            } else {
                size_t expect = w.whole_packet ? (room >= 16 ? ref.size() : 0) : std::min<size_t>(room, ref.size());
                ASSERT_EQ(stored, expect) << "room " << room;
            }
            ASSERT_EQ(std::vector<int32_t>(start, cursor), std::vector<int32_t>(ref.begin(), ref.begin() + long(stored)))
                << "room " << room;
        }
        for (int32_t* outside : {end, end + 1, reinterpret_cast<int32_t*>(dspram) - 1, static_cast<int32_t*>(nullptr)}) {
            fresh();
            dl_cursor_set(outside);
            w.run();
            ASSERT_EQ(dl_cursor_get(), outside);
        }
    }
    EXPECT_EQ(std::memcmp(below, sprite_registers, sizeof below), 0);
    EXPECT_EQ(std::memcmp(above, commsram, sizeof above), 0);
}
