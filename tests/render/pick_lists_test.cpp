// The menu's pick lists, the seam-test list parser and the viewer controls.
#include "render/pick_lists.h"

#include "board/board_memory.h"
#include "board/sprite_records.h"
#include "render/renderer_switches.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

quad_record coded(uint32_t code) {
    quad_record q{};
    q.model_code = code;
    return q;
}

TEST(PickLists, ObjectsAreDistinctCodesWithCountsSortedByCode) {
    std::vector<quad_record> quads = {coded(90), coded(70), coded(90), coded(71), coded(70), coded(90)};
    object_list_build(quads.data(), int(quads.size()));
    ASSERT_EQ(object_count(), 3);
    const int32_t want[3][2] = {{70, 2}, {71, 1}, {90, 3}};
    for (int i = 0; i < 3; i++) {
        int32_t code, n;
        object_info(i, &code, &n);
        EXPECT_EQ(code, want[i][0]);
        EXPECT_EQ(n, want[i][1]);
    }
    int32_t code = 5, n = 5;
    object_info(object_count(), &code, &n);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(n, 0);
    // At most 512 codes are listed.
    std::vector<quad_record> many;
    for (uint32_t c = 0; c < 600; c++) many.push_back(coded(c));
    object_list_build(many.data(), int(many.size()));
    EXPECT_EQ(object_count(), OBJECT_LIST_MAX);
}

TEST(PickLists, BillboardsMatchTheNearestLayerOfTheSameKeyOnce) {
    board_memory_clear();
    sprite_call_list_reset();
    sprite_call_list_collect(true);
    sprite_call(7, 12, 100, 100, 0x10, 0x20, 0x20, 0, 1);
    sprite_call(7, 13, 300, 100, 0x10, 0x20, 0x20, 0, 1);
    sprite_call(7, 14, 300, 100, 0x99, 0x20, 0x20, 0, 1);  // no layer with this key
    sprite_call_list_collect(false);
    const uint32_t key = 7 * 0x200000 + 0x10;
    const sprite_layer layers[3] = {{key, 290, 95, 33, 34, 0, 0, 0}, {key, 95, 98, 30, 31, 1, 0, 0},
                                    {key + 1, 100, 100, 5, 5, 2, 0, 0}};
    billboard_list_build(layers, 3);
    ASSERT_EQ(billboard_count(), 2);
    int32_t tile, x, y, w, h;
    billboard_info(0, &tile, &x, &y, &w, &h);
    EXPECT_EQ(tile, 12);
    EXPECT_EQ(x, 95);
    EXPECT_EQ(w, 30);
    billboard_info(1, &tile, nullptr, nullptr, &w, nullptr);  // out pointers are optional
    EXPECT_EQ(tile, 13);
    EXPECT_EQ(w, 33);
    billboard_info(2, &tile, &x, nullptr, nullptr, &h);
    EXPECT_EQ(tile, -1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(h, 0);
    sprite_call_list_reset();
}

TEST(SeamTestParse, RangesUpToSixteenItems) {
    seam_test_parse("5,10-12");
    EXPECT_EQ(seam_test.active, 1);
    ASSERT_EQ(seam_test.count, 2);
    EXPECT_EQ(seam_test.low[0], 5);
    EXPECT_EQ(seam_test.high[0], 5);
    EXPECT_EQ(seam_test.low[1], 10);
    EXPECT_EQ(seam_test.high[1], 12);
    seam_test_parse("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17");
    EXPECT_EQ(seam_test.count, 16);
    EXPECT_EQ(seam_test.high[15], 16);
    seam_test_parse("3 4,9");  // stops at the first item without a following comma
    EXPECT_EQ(seam_test.count, 1);
    seam_test_parse("");
    EXPECT_EQ(seam_test.active, 1);
    EXPECT_EQ(seam_test.count, 0);
    seam_test = seam_test_state{};
}

TEST(ViewerControls, FreeCameraLevelViewAndModelClasses) {
    renderer_reset();
    float x = 0, y = 0;
    free_camera_offset_add(100, -50, 3, &x, &y);
    free_camera_offset_add(1000, 0, 0, &x, &y);
    EXPECT_FLOAT_EQ(x, 1100);
    EXPECT_FLOAT_EQ(y, -50);
    EXPECT_FLOAT_EQ(free_camera.z, 3);
    renderer_reset();
    EXPECT_FLOAT_EQ(free_camera.x, 0);

    testing::internal::CaptureStdout();
    bool was = level_view;
    level_view_toggle();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), was ? "[LEVEL] Level view OFF\n" : "[LEVEL] Level view ON\n");
    level_view_toggle();

    EXPECT_EQ(model_code_class_test(137), 0);
    EXPECT_EQ(model_code_class_test(162), 0);
    EXPECT_EQ(model_code_class_test(186), 1);
    EXPECT_EQ(model_code_class_test(113), 1);
}

}  // namespace
