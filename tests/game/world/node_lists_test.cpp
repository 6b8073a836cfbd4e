// Node lists brought to a time by their stream kinds and keyframe models, and the
// second model's set-up beside the player.
#include "board/block_list.h"
#include "game/services/gameplay_ram.h"
#include "game/world/node_lists.h"
#include "tests/game/world/rig_fixture.h"
#include "tests/support/synth_rom_tables.h"

namespace {

using V = std::vector<int32_t>;
constexpr uint32_t LIST = 0x20000;

class NodeListTest : public RigTest {};

TEST_F(NodeListTest, FieldsFollowTheirStreamKindsAndTheModelItsKeyframes) {
    w_list_walk(int32_t(LIST), SYNTH_NODE_LIST);
    struct {
        int32_t time, model, x, y, z;
    } const rows[] = {{0, 300, 10, 1001, 99}, {1, 300, 20, 1001, 98}, {5, 301, 30, 1001, 107}, {12, 302, 30, 1001, 107}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.time);
        frame_start();
        node_list_walk(int32_t(LIST), r.time);
        EXPECT_EQ(V({w_cell(LIST + NODE_MODEL), w_cell(LIST + NODE_X), w_cell(LIST + NODE_Y), w_cell(LIST + NODE_Z),
                     w_cell(LIST + NODE_PITCH)}),
                  (V{r.model, r.x, r.y, r.z, 0}));
        // A root record: the 17-word packet at its offset from the camera.
        const V w = written();
        ASSERT_EQ(w.size(), 17u);
        EXPECT_EQ(w[11], 0x800A);
        EXPECT_EQ(w[12], r.model);
        EXPECT_EQ(V(w.begin() + 14, w.end()), (V{r.x - 90000, r.y - 49000, r.z - 190000}));
    }
    // The curve fields advance through their accumulators.
    node_list_update(int32_t(LIST), 0);
    node_list_update(int32_t(LIST), 0);
    EXPECT_EQ(w_cell(LIST + NODE_Y), 1002);
    // A list at the end of work RAM stops there.
    frame_start();
    node_list_walk(int32_t(WRAM_SIZE - 64), 0);
    node_list_walk_at(0x500000, 0);
    EXPECT_EQ(written(), V{});
}

TEST_F(NodeListTest, SecondModelStandsBesideThePlayer) {
    w_cell_set(W_PLAYER_HEADING, 0);
    w_write16(WRAM_BASE + W_COURSE_LEFT, 7);  // at most 3 sixteenths count
    player_model_setup_course();
    // The offset (7168, 0, -3584) turned a quarter the game's way, (x, z) -> (-z, x), the
    // 1.15 steps losing a unit or two of each: (3583, 7166).
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + NODE_X), 100000 + 3583);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + NODE_Z), 200000 + 7166);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + NODE_Y), 50000 + 988);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + NODE_HEADING), 3 * 0x1000 + 0x4000);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + 128 * 7 + NODE_PITCH), 2048);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + NODE_MODEL), 200);
    EXPECT_EQ(w_cell(W_SECOND_MODEL_NODES + 128 * 3 + NODE_MODEL), -1);
}

}  // namespace
