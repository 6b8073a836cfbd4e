// Rig figures of animated objects: the three node packets word for word for each figure
// type, the parent group's header on the first drawing only, the children's swing while
// the count word runs, and the cases that write nothing (a figure word outside 0..2, a
// slot outside 0..15, a display list without room for the whole figure).
#include "game/world/object_figures.h"

#include "tests/game/world/object_fixture.h"

#include <string>

namespace {

class ObjectFigureTest : public ObjectTest {
protected:
    static constexpr int SLOT = SYNTH_RECORD_SLOT[SYNTH_RECORD_MOVE];

    // The move object as a figure of `type` at (5000, 600, 7000), still (count 0).
    void figure(int32_t type) {
        spawn(SYNTH_RECORD_MOVE);
        field_set(SLOT, AO_STATE, int32_t(state(SLOT) | AO_RIG));
        field_set(SLOT, AO_MODEL, type);
        field_long_set(SLOT, AO_X, 5000);
        field_long_set(SLOT, AO_Y, 600);
        field_long_set(SLOT, AO_Z, 7000);
        field_set(SLOT, AO_TILT, 0x100);
        field_set(SLOT, AO_HEADING, 0x1000);
        field_set(SLOT, AO_TILT2, 0x3F00);
        field_set(SLOT, AO_COUNT, 0);
        camera_at(1000, 2000, 3000);
        w_cell_set(W_TRAIN_BASE_Y, -2000);
    }
    // The words object_figure_packets writes at byte offset `where`.
    words_t draw(uint32_t where = PACKETS0) {
        int32_t* out = at(where);
        int32_t* end = object_figure_packets(SLOT, out);
        return words_t(out, end);
    }
    // A child node: turned about z, offset along x, under group 57 into its own.
    static words_t child(int32_t model, int32_t group, int32_t x, int32_t turn) {
        return words_t{DL_NODE, 3, 1} + rom_pair(0) + rom_pair(0) + rom_pair(turn) +
               words_t{4, 0, x, 0, 0, DL_END, DL_NODE_COMPOSE, 3, 57, group, DL_NODE_MODEL, model, group, 4000,
                       -1400, 4000};
    }
    static words_t children(int32_t turn) { return child(899, 58, 256, turn) + child(898, 59, -256, -turn); }
    static const words_t HEADER;
};

const words_t ObjectFigureTest::HEADER = {DL_NODE, 56, 1, 0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 4, DL_END};

TEST_F(ObjectFigureTest, EachFigureTypeWritesItsModelRootAndTwoChildren) {
    for (int32_t type = 0; type < 3; type++) {
        SetUp();
        figure(type);
        // Angle words 14-bit: 0x100, 0x1000 and 0x3F00 turn the root by 0x400, 0x4000, 0xFC00.
        words_t root = words_t{DL_NODE, 3, 1} + rom_pair(0x400) + rom_pair(0x4000) + rom_pair(0xFC00) +
                       words_t{4, 0, 0, 0, 0, DL_END, DL_NODE_COMPOSE, 3, 56, 57, DL_NODE_MODEL,
                               SYNTH_FIGURE_MODELS[type], 57, 4000, -1400, 4000};
        EXPECT_EQ(draw(), HEADER + root + children(0)) << "type " << type;
        EXPECT_EQ(field(SLOT, AO_FIGURE_GROUPS), 56);
        EXPECT_EQ(field(SLOT, AO_FIGURE_GROUPS + 2), 57);
    }
}

TEST_F(ObjectFigureTest, TheHeaderComesOnlyAtTheFirstDrawingAfterASpawn) {
    figure(1);
    EXPECT_EQ(field(SLOT, AO_FIGURE_USED), 0);
    words_t first = draw();
    ASSERT_EQ(first.size(), 86u);
    EXPECT_EQ(words_t(first.begin(), first.begin() + 11), HEADER);
    EXPECT_EQ(field(SLOT, AO_FIGURE_USED), 1);
    for (int frame = 0; frame < 3; frame++) EXPECT_EQ(draw(), words_t(first.begin() + 11, first.end())) << frame;
    // A new object in the slot has its header again.
    field_set(SLOT, AO_STATE, AO_FREE);
    figure(1);
    EXPECT_EQ(draw(), first);
}

TEST_F(ObjectFigureTest, TheChildrenSwingWhileTheCountRunsAndRestAfter) {
    struct row {
        int32_t count, turn;  // turn: sin(count x 0x1000) x 0x1800 >> 15
    };
    for (row r : {row{1, 2351}, row{2, 4344}, row{4, 6143}, row{8, 0}, row{12, -6144}, row{0, 0}, row{-3, 0}}) {
        SetUp();
        figure(0);
        draw();
        field_set(SLOT, AO_COUNT, r.count);
        words_t w = draw();
        ASSERT_EQ(w.size(), 75u);
        EXPECT_EQ(words_t(w.begin() + 25, w.end()), children(r.turn)) << "count " << r.count;
    }
}

TEST_F(ObjectFigureTest, TheFiguresSwingFollowsTheObjectsMoveFrameByFrame) {
    figure(0);
    field_set(SLOT, AO_COUNT, 0);
    draw();
    // The move script: a count of 4 to the second pose, then a count of 0 holding it.
    std::vector<int32_t> turns;
    for (int frame = 0; frame < 5; frame++) {
        animated_object_script_run(SLOT);
        words_t w = draw();
        ASSERT_EQ(w.size(), 75u);
        turns.push_back(w[25 + 7]);  // the first child's sine of its turn
    }
    // Counts 3, 2, 1, 0 after the four moving frames, then -1 while the pose holds.
    std::vector<int32_t> expected;
    for (int32_t turn : {5676, 4344, 2351, 0, 0}) expected.push_back(rom_pair(turn)[0]);
    EXPECT_EQ(turns, expected);
}

TEST_F(ObjectFigureTest, AFigureWordOutsideZeroToTwoOrABadSlotWritesNothing) {
    for (int32_t type : {-1, 3, 0x7FFF}) {
        SetUp();
        figure(type);
        EXPECT_TRUE(draw().empty()) << type;
        EXPECT_EQ(field(SLOT, AO_FIGURE_USED), 0) << type;
    }
    figure(0);
    for (int32_t slot : {-1, 16, 0x10000}) EXPECT_EQ(object_figure_packets(slot, at(PACKETS0)), at(PACKETS0)) << slot;
}

TEST_F(ObjectFigureTest, AFigureThatWouldLeaveTheBufferWritesNothing) {
    uint32_t end = DL_BUFFER_BASE + DL_BUFFER_SIZE;
    figure(2);
    EXPECT_TRUE(draw(end - 4 * 85).empty());
    EXPECT_EQ(field(SLOT, AO_FIGURE_USED), 0) << "the header waits for a drawing that fits";
    EXPECT_EQ(draw(end - 4 * 86).size(), 86u);
    EXPECT_TRUE(draw(end - 4 * 74).empty());
    EXPECT_EQ(draw(end - 4 * 75).size(), 75u);
    for (int32_t* outside : {at(end), at(DL_BUFFER_BASE), static_cast<int32_t*>(nullptr)})
        EXPECT_EQ(object_figure_packets(SLOT, outside), outside);
    EXPECT_EQ(dl_guard_count, 0u);
}

TEST_F(ObjectFigureTest, TheObjectDrawingHandsRigObjectsToTheFigure) {
    slots_set({{0, 0}});
    figure(1);
    field_set(SLOT, AO_CELL, 0);
    words_t expected = draw();
    field_set(SLOT, AO_FIGURE_USED, 0);
    animated_objects_render_all();
    EXPECT_EQ(written(), expected);
    EXPECT_TRUE(state(SLOT) & AO_MARKED);
}

}  // namespace
