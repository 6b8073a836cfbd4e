// Terrain props: course 0's known rows by frame_tick, the cursor copy, course 2's hook
// order for every ROM case, the switch, the guard.
#include "game/world/animated_objects.h"
#include "game/world/scenery_hooks.h"
#include "game/world/terrain_props.h"
#include "tests/game/flow/emitter_fixture.h"

#include <cstdlib>

namespace {

class TerrainPropsTest : public EmitterTest {
protected:
    void frame_tick(uint32_t ft) { wram_long_set(W_FRAME_TICK, int32_t(ft)); }
    void course(int32_t c) { wram_long_set(W_COURSE_NUMBER, c); }
    int32_t* props_copy() { return static_cast<int32_t*>(w_host(wram[W_PROPS_CURSOR])); }
};

words_t course0_words(uint32_t ft) {
    int32_t anim = synth_prop_animation(int((ft >> 1) & 0xF));
    const int32_t models[7] = {anim + 326, int32_t((ft / 4) & 0xF) + 340, int32_t((ft / 4) % 6) + 334,
                               int32_t((ft / 4) & 3) | 364, int32_t((ft / 2) % 6) + 368, anim + 356, 374};
    words_t w = {0x8000, 0, 39, 0, -0x16000, 0, 40, 0, -0x16000, 0};
    for (int32_t m : models) w = w + words_t{m, -1000, 40960 - 2000, -3000};
    return w;
}

TEST_F(TerrainPropsTest, CourseZeroRowsFollowFrameTick) {
    course(0);
    for (uint32_t ft : {0u, 5u, 23u, 100u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(ft);
        frame_tick(ft);
        cursor_at(PACKETS0);
        wram_long_set(W_DL_LAST_HEADER, 0x8002);
        terrain_props_dispatch();
        EXPECT_EQ(written(), course0_words(ft));
        EXPECT_EQ(props_copy(), dl_cursor_get());
        EXPECT_EQ(wram_long(W_DL_LAST_HEADER), 0x8000);
    }
}

TEST_F(TerrainPropsTest, CopyFollowsEveryWordUpToTheCut) {
    course(0);
    frame_tick(9);
    int32_t* end = at(sizeof dspram);
    const words_t all = course0_words(9);
    testing::internal::CaptureStderr();
    for (int room = 1; room <= 38; room++) {
        SCOPED_TRACE(room);
        dl_cursor_set(end - room);
        terrain_props_dispatch();
        EXPECT_EQ(props_copy(), end - room + std::min(room, 38));
        EXPECT_EQ(words_t(end - room, dl_cursor_get()), words_t(all.begin(), all.begin() + room));
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(TerrainPropsTest, CourseThreeOpensWithItsFixedRowAndOtherCoursesWriteNothing) {
    course(3);
    terrain_props_dispatch();
    EXPECT_EQ(written(), (words_t{0x8000, 0, 39, 0, -0x57000, 0}));
    for (int32_t c : {4, -1, 1000}) {
        cursor_at(PACKETS0);
        course(c);
        terrain_props_dispatch();
        EXPECT_TRUE(written().empty()) << c;
    }
}

TEST_F(TerrainPropsTest, GatedRowsNeedTheirByteAtFF) {
    const prop_entry rows[] = {
        {PROP_FIXED, 50, 1, 2, 3, false, 0x12A1},
        {PROP_QUARTER_OR4, 64, 1000, 2000, 3000, true, 0x1267},
        {PROP_HALF_MOD6, 70, 5, 6, 7, false, 0},
    };
    frame_tick(13);  // quarter 3, half 6 % 6 = 0
    w_cell_set(0x12A1, 0xFE);
    w_cell_set(0x1267, 0xFF);
    EXPECT_TRUE(terrain_props_write(rows, 3));
    EXPECT_EQ(written(), (words_t{0x8000, 0, 67, 0, 0, 0, 70, 5, 6, 7}));
}

TEST_F(TerrainPropsTest, CourseTwoHookOrderByCellAndRom) {
    using H = std::vector<scenery_hook>;
    const H tail = {scenery_hook_457, scenery_hook_458, scenery_hook_459, scenery_hook_461, scenery_hook_462};
    auto with_tail = [&](H head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const H by_value_30 = {scenery_hook_465, scenery_hook_466, scenery_hook_456, scenery_hook_458,
                           scenery_hook_459, scenery_hook_461, scenery_hook_462, scenery_hook_high_props};
    auto expected_for = [&](int16_t v) {
        switch (v) {
        case 28: return tail;
        case 30: return by_value_30;
        case 80: return with_tail({scenery_hook_464, scenery_hook_460});
        case 94: return with_tail({scenery_hook_456});
        default: return with_tail({scenery_hook_464});
        }
    };
    for (int32_t n = -3; n <= 52; n++) {
        SCOPED_TRACE(n);
        scenery_hook_sequence s = course2_scenery_hooks(n);
        // Cells outside the ROM table read as 0: "any other".
        H expect = expected_for(n >= 0 ? synth_hook_choice(n) : 0);
        EXPECT_EQ(H(s.hooks, s.hooks + s.count), expect);
    }
    for (int32_t n : {53, 54, 55, 100, 127, 500}) {
        scenery_hook_sequence s = course2_scenery_hooks(n);
        EXPECT_EQ(H(s.hooks, s.hooks + s.count), with_tail({scenery_hook_456})) << n;
    }
}

TEST_F(TerrainPropsTest, CourseTwoWritesItsHeaderAndLeavesTheCursorAtTheCopy) {
    course(2);
    wram_long_set(W_CAMERA_CELL, 2);
    testing::internal::CaptureStderr();
    terrain_props_dispatch();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(written(), (words_t{0x8000, 0}));
    EXPECT_EQ(props_copy(), dl_cursor_get());
}

TEST_F(TerrainPropsTest, CutListPrintsItsGuardLineOncePerRun) {
    course(0);
    uint32_t before = terrain_props_guard_count;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; i++) {
        dl_cursor_set(at(sizeof dspram) - 5);
        terrain_props_dispatch();
    }
    std::string err = testing::internal::GetCapturedStderr();
    const std::string line = "[GUARD] terrain props: DSP cursor overran dspram -- remaining props dropped\n";
    size_t lines = 0;
    for (size_t p = err.find(line); p != std::string::npos; p = err.find(line, p + 1)) lines++;
    EXPECT_EQ(lines, before == 0 ? 1u : 0u);
    EXPECT_EQ(terrain_props_guard_count, before + 3);
}

// The switch is read once: the run with it set is a process of its own.
TEST_F(TerrainPropsTest, NoPropsSwitchWritesNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    course(0);
    EXPECT_EXIT(
        {
            setenv("SKYVOLTA_NO_PROPS", "1", 1);
            terrain_props_dispatch();
            exit(written().empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(TerrainPropsTest, CourseTwoExtrasFollowTheCellAndCounter) {
    // No animated objects for the dump to draw: the ring's first model opens the list;
    // the single effect ends it with model 480 under an 0x8000 header.
    course(1);
    animated_objects_reset_all();
    struct row {
        int32_t counter, cell, y;
        bool ring, single;
    };
    for (row r : {row{3, 52, 79871, true, true}, row{16, 52, 79871, false, true}, row{3, 52, 79872, true, false},
                  row{3, 60, 999999, true, true}, row{15, 40, 0, true, false}}) {
        cursor_at(PACKETS0);
        w_cell_set(W_EFFECT_COUNTER, r.counter);
        wram_long_set(W_CAMERA_CELL, r.cell);
        wram_long_set(W_CAMERA_Y, r.y);
        animated_objects_aux_step();
        words_t w = written();
        EXPECT_EQ(!w.empty() && w[0] == 0x1D8, r.ring) << r.counter << " " << r.cell << " " << r.y;
        bool single = w.size() >= 6 && words_t(w.end() - 6, w.end() - 3) == words_t{DL_HEADER_4, 0, 480};
        EXPECT_EQ(single, r.single) << r.counter << " " << r.cell << " " << r.y;
    }
}

}  // namespace
