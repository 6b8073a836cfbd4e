// The good ending's flight phases 0-4 on the synthetic ROM set: the fly-in's sounds,
// flashes and cameras, the passes' lights, the object's sinking, the staff roll's
// zoom-in, the ring of eight objects, and the pictures of the flash and the ring.
#include "tests/game/modes/ending_fixture.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_ram.h"
#include "game/services/camera_ram.h"
#include "game/services/object_ram.h"
#include "game/services/sound_commands.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <set>
#include <vector>

namespace {

constexpr int32_t FLASH_MODEL = 558;

// The ending on a started board, one phase-machine frame at a time (no picture): the
// list written from the start of the current buffer's packet area each frame.
struct flight_run {
    int32_t* area = nullptr;
    int32_t* end = nullptr;

    flight_run() {
        ending_board(1);
        ending_init();
    }
    void at(int32_t phase, int32_t counter) { ending_phase_set(phase, counter); }
    // One frame with the given sounds' slots cleared first; returns those played.
    std::set<int32_t> frame(std::initializer_list<int32_t> sounds = {}) {
        for (int32_t id : sounds) slot_command_set(synth_sound_record(id).slot, 0);
        wram_long_set(W_GAME_SUB_STATE, 15);
        area = dl_packet_area(dl_buffer_current());
        dl_cursor_set(area);
        ending_phase_dispatch();
        end = dl_cursor_get();
        std::set<int32_t> played;
        for (int32_t id : sounds) {
            uint32_t word = 0;
            slot_command(synth_sound_record(id).slot, &word);
            if ((word & 0x4000) && (word & 0x7FF) == synth_sound_record(id).command) played.insert(id);
        }
        return played;
    }
    // Index of each list word for which match(words at it) holds.
    std::vector<int32_t*> find(const std::function<bool(const int32_t*)>& match) const {
        std::vector<int32_t*> hits;
        for (int32_t* p = area; p + 11 <= end; p++)
            if (match(p)) hits.push_back(p);
        return hits;
    }
};

bool flash_entry(const int32_t* p) {
    return p[0] >= FLASH_MODEL && p[0] < FLASH_MODEL + 16 && p[4] == 0x1090 && p[5] == 0x3DD1;
}

TEST(EndingFlyIn, SoundsSixtyFourFirstAndEightyTwoAtTheSwaysTenthFrame) {
    flight_run run;
    run.at(0, 0);
    std::vector<int32_t> loop, throw_sound;
    for (int32_t t = 0; t < 540; t++) {
        std::set<int32_t> played = run.frame({64, 82});
        if (played.count(64)) loop.push_back(t);
        if (played.count(82)) throw_sound.push_back(t);
    }
    EXPECT_EQ(loop, std::vector<int32_t>{0});
    EXPECT_EQ(throw_sound, std::vector<int32_t>{346});
    EXPECT_EQ(ending_phase(), 1);
}

TEST(EndingFlyIn, EachFlashShowsForItsCountFromItsSecondFrame) {
    for (const synth_flash& f : SYNTH_FLY_IN_FLASHES) {
        SCOPED_TRACE(testing::Message() << "flash at " << f.frame);
        flight_run run;
        int32_t first = f.frame & ~1;
        run.at(0, first - 4);
        std::vector<int32_t> shown;
        for (int32_t t = first - 4; t < first + f.count + 8; t++) {
            std::set<int32_t> played = run.frame({46});
            if (t == first || t == first + 1) {
                EXPECT_EQ(played.count(46), 1u) << t;
                EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255) << t;  // event record 7's flash
                EXPECT_EQ(w_cell(W_FADE_RED), synth_event_colour(7, 0)) << t;
            }
            std::vector<int32_t*> hits = run.find(flash_entry);
            if (hits.empty()) continue;
            ASSERT_EQ(hits.size(), 1u) << t;
            EXPECT_EQ(hits[0][0], FLASH_MODEL + (t & 15)) << t;
            shown.push_back(t);
        }
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), first);
        EXPECT_EQ(shown.back() - (first + 1) + 1, f.count);  // counted from the second frame
        EXPECT_EQ(int32_t(shown.size()), f.count + 1);
    }
}

TEST(EndingFlyIn, CameraReachesTheSecondRecordAtFrame264AndStays) {
    constexpr uint32_t FIRST = 0x37CFC, SECOND = 0x37D18;
    flight_run run;
    run.at(0, 0);
    for (int32_t t = 0; t < 336; t++) {
        run.frame();
        bool second = true, first = true;
        for (uint32_t k = 0; k < 6; k++) {
            second &= wram_long(W_CAMERA_X + 4 * k) == bus_read32(SECOND + 4 * k);
            first &= wram_long(W_CAMERA_X + 4 * k) == bus_read32(FIRST + 4 * k);
        }
        EXPECT_EQ(second, t >= 264) << t;
        EXPECT_EQ(first, t == 0) << t;
        if (t >= 264) {
            EXPECT_EQ(w_read16(WRAM_BASE + W_ENDING_ZOOM), uint32_t(bus_read32(SECOND + 24)) & 0xFFFF);
        }
    }
}

TEST(EndingPasses, EachListWordTogglesItsLegsLightOnce) {
    struct toggle {
        int32_t t, bit, on;
    };
    // Leg k ends at 180 (k + 1); a list word d toggles its bit at t = end - d.
    const toggle expected[] = {{10, 2, 1}, {60, 2, 0}, {210, 4, 1}, {260, 4, 0}, {300, 4, 1}, {450, 8, 1}};
    flight_run run;
    run.at(1, 540);
    std::vector<toggle> seen;
    int32_t flags = w_read16(WRAM_BASE + W_OBJECT_MODE) & 0xE;
    for (int32_t t = 0; t < 540; t++) {
        std::set<int32_t> played = run.frame({43, 45});
        int32_t now = w_read16(WRAM_BASE + W_OBJECT_MODE) & 0xE;
        if (t == 0) {
            EXPECT_EQ(now, 0);  // the lights start off
        } else if (now != flags) {
            int32_t bit = now ^ flags;
            int32_t on = (now & bit) ? 1 : 0;
            seen.push_back({t, bit, on});
            EXPECT_EQ(played.count(on ? 43 : 45), 1u) << t;
        }
        flags = now;
    }
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); i++) {
        EXPECT_EQ(seen[i].t, expected[i].t);
        EXPECT_EQ(seen[i].bit, expected[i].bit);
        EXPECT_EQ(seen[i].on, expected[i].on);
    }
    EXPECT_EQ(flags, 0x4 | 0x8);  // the first leg's even count leaves its light off
}

TEST(EndingSink, ObjectGoesFrom8192ToMinus0x11000AboveItsRomHeight) {
    struct row {
        int32_t t, above;
    };
    // 8192 - 77824 t / 585, truncated: one frame short of -0x11000 on the last frame.
    const row rows[] = {{0, 8192}, {195, -17749}, {390, -43690}, {584, -69498}};
    flight_run run;
    run.at(2, 1560);
    size_t next = 0;
    for (int32_t t = 0; t < 585; t++) {
        run.frame();
        if (next < std::size(rows) && rows[next].t == t) {
            EXPECT_EQ(wram_long(W_ENDING_OBJECT + 4) - SYNTH_SCENE_RECORD[1], rows[next].above) << t;
            next++;
        }
    }
    EXPECT_EQ(next, std::size(rows));
    EXPECT_EQ(ending_phase(), 3);
}

TEST(EndingStaffRoll, ZoomInEndsOnTheViewOfAnUnfadedStart) {
    flight_run run;
    run.at(3, 2145);
    for (int32_t t = 0; t < 210; t++) {
        run.frame();
        if (t < 120) {
            EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_CENTRE + 2), 240u) << t;
            EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_WIDTH), 0x140u) << t;
        }
    }
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_CENTRE + 2), 161u);
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_WIDTH), 0xD7u);
}


TEST(EndingRing, EightObjectsStayAnEighthTurnApartAndClimbOneAfterAnother) {
    flight_run run;
    for (int32_t t : {100, 350, 500, 599}) {
        SCOPED_TRACE(testing::Message() << "t " << t);
        run.at(4, 2775 + t);
        run.frame();
        // The ring follows the header 0x8002, 3: eight entries of the segment models.
        std::vector<int32_t*> rings = run.find([](const int32_t* p) {
            for (int32_t i = 0; i < 8; i++)
                if (p[2 + 11 * i] != SYNTH_SEGMENT_MODELS[i] || p[12 + 11 * i] != 4) return false;
            return p[0] == 0x8002 && p[1] == 3;
        });
        ASSERT_EQ(rings.size(), 1u);
        const int32_t* entry = rings[0] + 2;
        int32_t cx = 0, cz = 0;
        for (int32_t i = 0; i < 8; i++) {
            cx += entry[11 * i + 1] / 8;
            cz += entry[11 * i + 3] / 8;
        }
        int32_t first = 0, radius = 0, last_climb = 0;
        for (int32_t i = 0; i < 8; i++) {
            const int32_t* e = entry + 11 * i;
            int32_t dx = e[1] - cx, dz = e[3] - cz;
            int32_t angle = math_atan2(dx, dz), r = int32_t(std::lround(std::hypot(dx, dz)));
            if (i == 0) {
                first = angle;
                radius = r;
            }
            int32_t apart = int16_t(uint16_t(first - angle - 0x2000 * i));  // atan2 turns the other way
            EXPECT_LE(std::abs(apart), 16) << i;  // the table's rounding
            EXPECT_NEAR(r, radius, 8) << i;
            if (i == 0) continue;
            // One lift per object (none before 300); from 420 each adds its own, larger
            // one by one here, so the steps grow.
            int32_t climb = e[2] - e[2 - 11];
            if (t < 300) {
                EXPECT_EQ(climb, 0) << i;
            }
            if (t >= 300 && t < 420 && i > 1) {
                EXPECT_EQ(climb, last_climb) << i;
            }
            if (t >= 300) {
                EXPECT_GT(climb, 0) << i;
            }
            if (t >= 420 && i > 1) {
                EXPECT_GT(climb, last_climb) << i;
            }
            last_climb = climb;
        }
    }
}
}  // namespace

namespace {

// Full frames (the picture needs the frame step's list) from phase p's counter c to
// counter `until`.
void frames_from(int32_t p, int32_t c, int32_t until) {
    ending_start(1);
    ending_jump(p, c);
    while (ending_counter() < until) ending_frame();
}

TEST(EndingPictures, FlyInFlash) {
    frames_from(0, 0, 203);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_fly_in_flash"), "");
}

TEST(EndingPictures, RingOfEightObjects) {
    frames_from(4, 2775, 2775 + 590);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_ring"), "");
}

}  // namespace
