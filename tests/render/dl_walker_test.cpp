// The display-list walker: word source and bounds, the list length from the game's
// cursor, every packet form, the node slots and the pending transform, recorded at the
// placement target and compared with values worked out by hand.
#include "render/dl_walker.h"

#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/wram.h"
#include "render/model_placement.h"
#include "render/renderer_switches.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t S = 0x7FFF;   // sin or cos of 90 degrees in 1.15

struct placement {
    int32_t model;
    bool has_rot;
    int32_t rot[6];
    double x, y, z;
    int32_t prio, header, object_shift;
    bool has_node;
    int32_t node[9];
    int32_t axis_order;
    bool raw_captured;
};

std::vector<placement> placed;

void record(int32_t model, const int32_t* rotation, double x, double y, double z) {
    placement p{};
    p.model = model;
    p.has_rot = rotation != nullptr;
    if (rotation) memcpy(p.rot, rotation, sizeof p.rot);
    p.x = x, p.y = y, p.z = z;
    p.prio = dl_walk.prio;
    p.header = dl_walk.header_code;
    p.object_shift = dl_walk.object_shift;
    p.has_node = dl_walk.has_node_matrix;
    memcpy(p.node, dl_walk.node_matrix, sizeof p.node);
    p.axis_order = dl_walk.axis_order;
    p.raw_captured = dl_walk.raw_captured;
    placed.push_back(p);
}

uint32_t model_bound_image[1000];

class WalkerTest : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        saved_switches = renderer_switches;
        saved_rom = point_rom;
        saved_count = point_rom_count;
        point_rom = model_bound_image;
        point_rom_count = 1000;  // models 1..999 are valid
        walk_placement_target = record;
        memset(&dl_walk, 0, sizeof dl_walk);
        dl_walker_reset();
        placed.clear();
    }
    void TearDown() override {
        renderer_switches = saved_switches;
        walk_placement_target = render_model;
        point_rom = saved_rom;
        point_rom_count = saved_count;
        dl_walker_reset();
    }
    // The list words at the packet area of buffer 1, the cursor right after them.
    void list(const std::vector<int32_t>& words) {
        if (!words.empty()) memcpy(&dspram[DL_LIST_BASE_1], words.data(), words.size() * 4);
        wram[0x0CA4] = w_pointer(&dspram[DL_LIST_BASE_1 + 4 * words.size()]);
        dl_source_select_live();
    }
    void walk(const std::vector<int32_t>& words) {
        list(words);
        walk_display_list();
    }

    renderer_switch_set saved_switches;
    const uint32_t* saved_rom;
    uint32_t saved_count;
};

// Rotation pairs (sin, cos) of the angles 0, 90 and 0 degrees.
#define PAIRS_0_90_0 0, S, S, 0, 0, S
#define PAIRS_ZERO 0, S, 0, S, 0, S

TEST_F(WalkerTest, CursorChoosesTheBufferAndTheWordCount) {
    const struct {
        int64_t cursor;  // slot value of dl_cursor
        uint8_t word4;   // buffer named by DSP RAM word 4
        int32_t base, words;
    } cases[] = {
        {w_pointer(&dspram[0x18420]), 0, 0x18400, 8},
        {w_pointer(&dspram[0x10400]), 1, 0x10400, 0},
        {w_pointer(&dspram[0x18000]), 1, 0x10400, 0x1F00},   // ran on into buffer 1's view area
        {w_pointer(&dspram[0x20000]), 0, 0x18400, 0x1F00},   // one past the image
        {w_pointer(&dspram[0x400]), 1, 0x18400, -1},         // not in a packet area
        {0, 0, 0x10400, -1},                                 // no pointer at all
        {0xC18410, 0, 0x18400, 4},                           // a board address
        {w_pointer(&wram[0]), 1, 0x18400, -1},               // a pointer elsewhere
    };
    for (const auto& c : cases) {
        wram[0x0CA4] = c.cursor;
        dspram[0x10] = c.word4;
        dl_source_select_live();
        EXPECT_EQ(dl_source.list_base, c.base) << std::hex << c.cursor;
        EXPECT_EQ(dl_source.cursor_words, c.words) << std::hex << c.cursor;
    }
}

TEST_F(WalkerTest, ACursor0x20BytesPastBuffer1WalksEightWords) {
    const int32_t words[] = {5, 10, 20, 30, 6, 11, 21, 31, 7, 12, 22, 32};
    memcpy(&dspram[0x18400], words, sizeof words);
    wram[0x0CA4] = w_pointer(&dspram[0x18420]);
    dl_source_select_live();
    walk_display_list();
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].model, 5);
    EXPECT_EQ(placed[1].model, 6);
    EXPECT_EQ(placed[1].x, 11);
    EXPECT_EQ(placed[1].z, 31);
    EXPECT_EQ(dl_walk.data, 2);
}

TEST_F(WalkerTest, AnEmptyListIsNotWalkedUnlessAsked) {
    walk({});
    const int32_t record_words[] = {5, 1, 2, 3};
    memcpy(&dspram[0x18400], record_words, sizeof record_words);
    walk_display_list();
    EXPECT_TRUE(placed.empty());
    EXPECT_EQ(dl_walk.commands + dl_walk.data + dl_walk.models, 0);

    renderer_switches.no_empty_list = 1;  // then the whole 8192-word span
    walk_display_list();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].model, 5);
    EXPECT_EQ(dl_walk.data, 8192 / 4);
}

TEST_F(WalkerTest, WordsAreSignExtendedFrom24BitsAndNeverReadOutsideTheImage) {
    const uint32_t raw[] = {0x00FFFFFF, 0x01008000, 0x00800000, 0x7F000005};
    memcpy(&dspram[0x18400], raw, sizeof raw);
    dl_source.list_base = 0x18400;
    EXPECT_EQ(dl_word_read(0), -1);
    EXPECT_EQ(dl_word_read(1), 0x8000);
    EXPECT_EQ(dl_word_read(2), -0x800000);
    EXPECT_EQ(dl_word_read(3), 5);
    renderer_switches.dsp32 = 1;
    EXPECT_EQ(dl_word_read(0), 0x00FFFFFF);
    EXPECT_EQ(dl_word_read(3), 0x7F000005);
    renderer_switches.dsp32 = 0;

    // The last word of the image reads; beyond it, and before it, 0.
    memcpy(&dspram[0x1FFFC], &raw[3], 4);
    dl_source.list_base = 0x1FFF8;
    EXPECT_EQ(dl_word_read(1), 5);
    EXPECT_EQ(dl_word_read(2), 0);
    EXPECT_EQ(dl_word_read(-0x7FFFFFFF), 0);
    EXPECT_EQ(dl_word_read(0x7FFFFFFF), 0);
    dl_source.list_base = 0x7FFFFFFC;
    EXPECT_EQ(dl_word_read(0x7FFFFFFF), 0);

    // A list at the image's end walks its 8192 words; the record there takes zeros.
    memcpy(&dspram[0x1FFF8], &raw[3], 4);
    memcpy(&dspram[0x1FFFC], &raw[3], 4);
    dl_source.list_base = 0x1FFF8;
    dl_source.cursor_words = -1;
    walk_display_list();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].model, 5);
    EXPECT_EQ(placed[0].x, 5);
    EXPECT_EQ(placed[0].y, 0);
    EXPECT_EQ(placed[0].z, 0);
}

TEST_F(WalkerTest, ExternalWordsAreWalkedOverTheirOwnCount) {
    const int32_t words[] = {0x8000, 2, 9, 100, -200, 0x1FFFFFF, 8, 1, 2};
    dl_source.external = words;
    dl_source.external_count = 9;  // the second record does not fit
    walk_display_list();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].model, 9);
    EXPECT_EQ(placed[0].prio, 2);
    EXPECT_EQ(placed[0].y, -200);
    EXPECT_EQ(placed[0].z, -1);  // 0x1FFFFFF read as 24 bits
}

TEST_F(WalkerTest, HeadersChooseTheRecordFormAndTheAxisOrder) {
    walk({
        0x8000, 5, 7, 100, 200, 300,                                   // 4-word record
        -1, 0, 0, 0,                                                   // invalid model
        0x8003,                                                        // skipped word
        0x8001, 1, 8, 1, 2, 3, 10, 11, 12, 13, 14, 15, 2,              // flags bit 1: order 3
        9, 4, 5, 6, 20, 21, 22, 23, 24, 25, 1,                         // no header: order 1
        0x8002, 4, 0x8000, 6,                                          // 2-word 0x8002
        0x8002, 3, 0,                                                  // 2-word, then model 0
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x8002, 6, 11, -4, -5, -6, 30, 31, 32, 33, 34, 35, 0,          // 13-word object
        12, 7, 8, 9, 40, 41, 42, 43, 44, 45, 0,                        // its entries follow
    });
    ASSERT_EQ(placed.size(), 5u);
    const struct {
        int32_t model, prio, header, x, order, rot0;
        bool rot;
    } want[] = {
        {7, 5, 0x8000, 100, -1, 0, false},
        {8, 1, 0x8001, 1, 3, 10, true},
        {9, 1, 0x8001, 4, 1, 20, true},
        {11, 6, 0x8002, -4, 1, 30, true},
        {12, 6, 0x8002, 7, 1, 40, true},
    };
    for (size_t k = 0; k < 5; k++) {
        EXPECT_EQ(placed[k].model, want[k].model) << k;
        EXPECT_EQ(placed[k].prio, want[k].prio) << k;
        EXPECT_EQ(placed[k].header, want[k].header) << k;
        EXPECT_EQ(placed[k].x, want[k].x) << k;
        EXPECT_EQ(placed[k].axis_order, want[k].order) << k;
        EXPECT_EQ(placed[k].has_rot, want[k].rot) << k;
        if (want[k].rot) {
            EXPECT_EQ(placed[k].rot[0], want[k].rot0) << k;
        }
    }
    EXPECT_EQ(placed[3].rot[5], 35);
    // Headers 0x8000, 0x8001, the two 2-word 0x8002, 0x8000, the 13-word object.
    EXPECT_EQ(dl_walk.commands, 6);
    EXPECT_EQ(dl_walk.models, 5);
    EXPECT_EQ(dl_walk.data, 6);  // two 4-word and four 11-word records
}

TEST_F(WalkerTest, RecordSwitchesSwapPairsAndKeepTheDefaultOrder) {
    renderer_switches.rot8002 = 1;
    renderer_switches.no_8002_flagord = 1;
    walk({0x8002, 0, 1, 0, 0, 0, 10, 11, 12, 13, 14, 15, 2});
    ASSERT_EQ(placed.size(), 1u);
    const int32_t swapped[6] = {11, 10, 13, 12, 15, 14};
    for (int k = 0; k < 6; k++) EXPECT_EQ(placed[0].rot[k], swapped[k]);
    EXPECT_EQ(placed[0].axis_order, -1);
}

TEST_F(WalkerTest, LinksSetAndClearTheObjectShift) {
    const std::vector<int32_t> words = {
        0x8010, 3, 0x345678, -1, 1, 0, 0, 0,   // shift 0x345678 & 0x3FFFF
        0x8010, -1, 2, 0, 0, 0,                // cleared; the walk goes on
        0x8010, 3, 0x1234, -1, 0x8010, 0, -1, 3, 0, 0, 0,
    };
    walk(words);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].object_shift, 0x05678);
    EXPECT_EQ(placed[1].object_shift, 0);
    EXPECT_EQ(placed[2].object_shift, 0);
    EXPECT_EQ(dl_walk.commands, 4);

    renderer_switches.raw_objshift = 1;
    placed.clear();
    walk(words);
    EXPECT_EQ(placed[0].object_shift, 0x345678);

    // The hard end link, and the end link of a list of unknown length, stop the walk.
    renderer_switches.hard_8010 = 1;
    placed.clear();
    walk(words);
    EXPECT_EQ(placed.size(), 1u);
    EXPECT_EQ(dl_walk.exit_code, 1);
    renderer_switches.hard_8010 = 0;
    placed.clear();
    list(words);
    dl_source.cursor_words = -1;
    walk_display_list();
    EXPECT_EQ(placed.size(), 1u);
}

TEST_F(WalkerTest, TheDataLimitStopsTheWalk) {
    renderer_switches.max_data = 2;
    walk({1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0});
    EXPECT_EQ(placed.size(), 3u);  // the record over the limit is still drawn
    EXPECT_EQ(dl_walk.exit_code, 2);
    placed.clear();
    std::vector<int32_t> words = {0x8001, 0};
    for (int32_t m = 1; m <= 4; m++) words.insert(words.end(), {m, 0, 0, 0, PAIRS_ZERO, 0});
    walk(words);
    EXPECT_EQ(placed.size(), 3u);
    EXPECT_EQ(dl_walk.exit_code, 3);
}

TEST_F(WalkerTest, PacketsThatDoNotFitMoveOnOneWord) {
    // A long 0x8008 cut by the word count: its words are read as records instead.
    walk({0x8000, 0, 0x8008, 3, 1, PAIRS_ZERO, 0x7FFF, 0, 9});
    EXPECT_EQ(dl_walk.commands, 1);
    EXPECT_FALSE(dl_walk.rot_seen);
    // The 0x8002 object that does not fit takes only its prio.
    placed.clear();
    walk({0x8002, 6, 5, 1, 2});
    EXPECT_TRUE(placed.empty());
    EXPECT_EQ(dl_walk.prio, 6);
}

// 0x8008 long form into slot 3, a raw matrix into slot 4, slot 3 under slot 4 into
// slot 5, and a model drawn through slot 5.
TEST_F(WalkerTest, NodeTransformCompositionAndModelChain) {
    walk({
        0x8008, 3, 1, PAIRS_0_90_0, 0x7FFF, 0, 100, 200, 300, -1,
        0x8008, 4, 6, 0x4000, 0, 0, 0, 0x4000, 0, 0, 0, 0x4000, -1,
        0x8009, 3, 4, 5,
        0x800A, 1, 5, 10, 20, 30,
    });
    ASSERT_EQ(placed.size(), 1u);
    const placement& p = placed[0];
    // Order 4 (X Z Y) of the angles (0, 90, 0): X Z = 0x7FFE on the diagonal; then the
    // y rotation of sin 0x7FFF, cos 0 gives [[0, 0, -0x7FFE], [0, 0x7FFD, 0], [0x7FFD, 0, 0]]
    // (a negative product floors one further).
    // Under the raw matrix (0.5 on the diagonal) every element halves (floor):
    const int32_t node[9] = {0, 0, -16383, 0, 16382, 0, 16382, 0, 0};
    EXPECT_TRUE(p.has_node);
    for (int k = 0; k < 9; k++) EXPECT_EQ(p.node[k], node[k]) << k;
    // Translation (100, 200, 300) x 0.5 plus the model's own offset.
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 120);
    EXPECT_EQ(p.z, 180);
    EXPECT_EQ(p.axis_order, 4);
    const int32_t rot[6] = {PAIRS_0_90_0};
    ASSERT_TRUE(p.has_rot);
    for (int k = 0; k < 6; k++) EXPECT_EQ(p.rot[k], rot[k]);
    EXPECT_FALSE(p.raw_captured);  // dropped by the 0x8009 that named its slot
    EXPECT_EQ(dl_walk.commands, 4);
    EXPECT_EQ(dl_walk.models, 1);
    // Slot 4 holds the raw matrix, read column by column.
    EXPECT_EQ(dl_walk.slots[4].a[0], 0x4000);
    EXPECT_EQ(dl_walk.slots[5].t[2], 150);
}

TEST_F(WalkerTest, CompositionOfSlot3WithBEqualToCUsesSlot0AsParent) {
    walk({
        0x8008, 3, 1, PAIRS_ZERO, 0x7FFF, 0, 100, 200, 300, -1,
        0x8008, 0, 1, PAIRS_ZERO, 0x7FFF, 0, 1000, 0, 0, -1,
        0x8008, 5, 1, PAIRS_0_90_0, 0x7FFF, 0, 7, 7, 7, -1,   // overwritten below
        0x8009, 3, 5, 5,
        0x800A, 2, 5, 0, 0, 0,
    });
    ASSERT_EQ(placed.size(), 1u);
    // Slot 0's B is 0x7FFD on the diagonal: (100, 200, 300) x 0x7FFD >> 15 = (99, 199, 299).
    EXPECT_EQ(placed[0].x, 1099);
    EXPECT_EQ(placed[0].y, 199);
    EXPECT_EQ(placed[0].z, 299);
    // A = slot 3's A x slot 0's A: 0x7FFD x 0x7FFD >> 15 = 0x7FFA.
    EXPECT_EQ(placed[0].node[0], 0x7FFA);
    EXPECT_EQ(placed[0].node[1], 0);
}

TEST_F(WalkerTest, PendingTransformsGoToTheModelsSlot) {
    walk({
        // A short form for slot 70 (outside the table) stays pending for slot 6.
        0x8008, 70, 1, PAIRS_0_90_0, 0x7FFF, -1,
        0x800A, 3, 6, 1, 2, 3,
        // The positioned form: (1000, 0, 0) turned by its own rotation into slot 2.
        0x8008, 2, 0, 1000, 0, 0, 1, PAIRS_ZERO, 4, -1,
        0x800A, 4, 2, 0, 0, 0,
        // A model on a slot outside the table: the last translation, rotated.
        0x800A, 5, 99, 0, 0, 0,
    });
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_TRUE(placed[0].has_node);
    EXPECT_EQ(placed[0].node[2], -0x7FFE);
    EXPECT_EQ(placed[0].x, 1);
    EXPECT_EQ(placed[0].z, 3);
    EXPECT_TRUE(placed[1].has_node);
    EXPECT_EQ(placed[1].node[0], 0x7FFD);
    EXPECT_EQ(placed[1].x, 999);  // 1000 x 0x7FFD >> 15
    EXPECT_FALSE(placed[2].has_node);
    // The last translation (999, 0, 0) of the positioned form, turned by the last angle
    // words, which only the usual form stores: (0, 90, 0) of the short form, in order 3
    // (Z Y X), whose row 0 is (0, 0, -0x7FFF) (the negative products floor away).
    EXPECT_EQ(placed[2].x, 0);
    EXPECT_EQ(placed[2].z, -999);  // 999 x -0x7FFF >> 15
}

TEST_F(WalkerTest, ALongFormIsNotStoredWithoutRoot15) {
    renderer_switches.root15 = 0;
    walk({
        0x8008, 70, 1, PAIRS_ZERO, 0x7FFF, 0, 1000, 2000, 3000, -1,
        0x800A, 3, 7, 0, 0, 0,
    });
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_FALSE(placed[0].has_node);
    // The last translation by the angles 0 in order 3: 0x7FFD on the diagonal.
    EXPECT_EQ(placed[0].x, 999);
    EXPECT_EQ(placed[0].y, 1999);
    EXPECT_EQ(placed[0].z, 2999);
    EXPECT_FALSE(dl_walk.slots[7].valid);
}

TEST_F(WalkerTest, OtherAssemblyModes) {
    const std::vector<int32_t> words = {
        0x8008, 1, 1, PAIRS_ZERO, 0x7FFF, 0, 1000, 0, 0, -1,
        0x8008, 1, 1, PAIRS_ZERO, 0x7FFF, 0, 0, 2000, 0, -1,
        0x8009, 1, 1, 1,
        0x800A, 3, 1, 0, 0, 0,
    };
    renderer_switches.asm_mode = 0;  // the last translation as it stands, no node
    walk(words);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_FALSE(placed[0].has_node);
    EXPECT_EQ(placed[0].x, 0);
    EXPECT_EQ(placed[0].y, 2000);

    // Running transform from the identity (0x7FFF): T = (1000, 0, 0) x 0x7FFF = (999, 0, 0),
    // R = 0x7FFD x 0x7FFF = 32764; then T += (0, 2000, 0) x 32764 and R = 0x7FFD x 32764.
    renderer_switches.asm_mode = 3;
    placed.clear();
    walk(words);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_TRUE(placed[0].has_node);
    EXPECT_EQ(placed[0].x, 999);
    EXPECT_EQ(placed[0].y, 1999);
    EXPECT_EQ(placed[0].node[0], 32761);
}

TEST_F(WalkerTest, AWalkResetsTheHeaderAndSlotsButKeepsTheLast0x8008) {
    walk({0x8001, 4, 0x8008, 9, 1, PAIRS_0_90_0, 0x7FFF, -1, 0x8010, 3, 77, -1});
    EXPECT_TRUE(dl_walk.slots[9].valid);
    walk({1, 0, 0, 0, 0x800A, 2, 9, 0, 0, 0});
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].header, 0x8000);
    EXPECT_EQ(placed[0].prio, 0);
    EXPECT_EQ(placed[0].object_shift, 0);
    EXPECT_FALSE(placed[1].has_node);  // slot 9 no longer valid
    EXPECT_TRUE(placed[1].has_rot);    // the rotation words survive the walk
    EXPECT_EQ(placed[1].rot[2], S);
}

}  // namespace
