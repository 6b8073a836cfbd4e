// PNG files written by the host and read back by the golden-picture checker.
#include "host/png_file.h"
#include "tests/support/png_compare.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

TEST(PngFile, RoundTripsAndComparesWithTolerance) {
    std::string dir = temp_dir_make("png");
    rgb_picture pic;
    pic.width = 37;
    pic.height = 5;
    for (int i = 0; i < pic.width * pic.height * 3; i++) pic.rgb.push_back(uint8_t(i * 7));
    std::string path = dir + "/p.png";
    ASSERT_TRUE(png_write_rgb(path.c_str(), pic.width, pic.height, pic.rgb.data()));

    rgb_picture back;
    std::string why;
    ASSERT_TRUE(png_read_rgb(path, &back, &why)) << why;
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.rgb, pic.rgb);

    std::vector<uint8_t> bytes = file_read(path);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    EXPECT_EQ(std::string(bytes.end() - 8, bytes.end() - 4), "IEND");

    back.rgb[3 * (2 * 37 + 4) + 1] += 3;
    EXPECT_EQ(picture_difference(back, pic, 3), "");
    EXPECT_EQ(picture_difference(back, pic, 2), "pixel (4, 2) channel 1 is " +
                                                    std::to_string(back.rgb[3 * (2 * 37 + 4) + 1]) + ", reference " +
                                                    std::to_string(pic.rgb[3 * (2 * 37 + 4) + 1]) +
                                                    " (1 channel values differ)");
    back.width = 36;
    EXPECT_EQ(picture_difference(back, pic, 255), "size 36x5, reference 37x5");
    temp_dir_remove(dir);
}

TEST(PngFile, FailedWriteLeavesNoFile) {
    std::string dir = temp_dir_make("png");
    uint8_t px[3] = {1, 2, 3};
    EXPECT_FALSE(png_write_rgb((dir + "/missing/p.png").c_str(), 1, 1, px));
    EXPECT_FALSE(png_write_rgb((dir + "/zero.png").c_str(), 0, 1, px));
    EXPECT_EQ(file_size(dir + "/zero.png"), -1);
    rgb_picture back;
    std::string why;
    EXPECT_FALSE(png_read_rgb(dir + "/zero.png", &back, &why));
    temp_dir_remove(dir);
}

}  // namespace
