// The model walk over a hand-made point image: chunk limits, unknown records, the
// last-record flag, the point-RAM model and the guard against leaving the image.
#include "render/model_walk.h"

#include "base/rom_files.h"
#include "render/point_words.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t WORDS = 4096;
constexpr uint32_t QUAD_WORDS = 24;  // a type-23 record

uint32_t image[WORDS];
uint32_t ram[0x200];  // point RAM from 0xF00000

void collect(const quad_record* q, void* data) {
    static_cast<std::vector<quad_record>*>(data)->push_back(*q);
}

uint32_t ram_word(uint32_t index) {
    return index >= 0xF00000 && index < 0xF00000 + 0x200 ? ram[index - 0xF00000] : 0;
}

// A type-23 quad record facing the camera at `at` in words[], colour word `colour`.
void quad_put(uint32_t* words, uint32_t at, uint32_t flags, uint32_t colour) {
    const int32_t corners[12] = {0, 0, 0, 100, 0, 0, 100, 100, 0, 0, 100, 0};
    words[at] = 23;
    words[at + 1] = flags;
    words[at + 2] = 0;
    words[at + 3] = colour;
    for (int k = 0; k < 8; k++) words[at + 4 + k] = 0;
    for (int k = 0; k < 12; k++) words[at + 12 + k] = uint32_t(corners[k]) & 0xFFFFFF;
}

class ModelWalkTest : public testing::Test {
protected:
    void SetUp() override {
        saved_rom = point_rom;
        saved_count = point_rom_count;
        memset(image, 0, sizeof image);
        memset(ram, 0, sizeof ram);
        point_rom = image;
        point_rom_count = WORDS;
        memset(&geo_counters, 0, sizeof geo_counters);
        geo_camera_record cam;
        memset(&cam, 0, sizeof cam);
        cam.m[0] = cam.m[4] = cam.m[8] = 0x8000;
        cam.tz = 1000;
        cam.focal = 256;
        geo_camera_set(&cam);

        // Model 1: chunks at 32 (one quad), 64 (unknown record, then a quad) and 128
        // (two quads, the first marked last of its chunk).
        image[1] = 16;
        image[16] = 32, image[17] = 64, image[18] = 128, image[19] = 0xFFFFFF;
        image[32] = QUAD_WORDS;
        quad_put(image, 33, 0, 0x01);
        image[64] = 2 + QUAD_WORDS;
        image[65] = 99, image[66] = 0;
        quad_put(image, 67, 0, 0x02);
        image[128] = 2 * QUAD_WORDS;
        quad_put(image, 129, 0x800000, 0x03);
        quad_put(image, 129 + QUAD_WORDS, 0, 0x04);
    }
    void TearDown() override {
        point_rom = saved_rom;
        point_rom_count = saved_count;
        point_ram_words = nullptr;
    }
    std::vector<uint32_t> colours(int32_t code, std::string* err = nullptr) {
        std::vector<quad_record> out;
        testing::internal::CaptureStderr();
        model_quads_emit(code, collect, &out);
        std::string e = testing::internal::GetCapturedStderr();
        if (err) *err = e;
        std::vector<uint32_t> c;
        for (const quad_record& q : out) c.push_back(q.colour);
        return c;
    }
    const uint32_t* saved_rom;
    uint32_t saved_count;
};

TEST_F(ModelWalkTest, ChunksRecordsAndTheirEnds) {
    std::string err;
    EXPECT_EQ(colours(1, &err), (std::vector<uint32_t>{0x01, 0x03}));
    EXPECT_EQ(err, "");
    EXPECT_EQ(geo_counters.pktlen, 1u);  // the unknown record abandons only its chunk
    EXPECT_EQ(geo_counters.chunk, 0u);

    // A chunk of 257 words ends the whole model.
    image[64] = 257;
    EXPECT_EQ(colours(1), (std::vector<uint32_t>{0x01}));
    EXPECT_EQ(geo_counters.chunk, 1u);
}

TEST_F(ModelWalkTest, LeavingTheImageEndsTheModelWithOneGuardLine) {
    // Model 2's second chunk runs past the image end; model 3's list starts beyond it.
    image[2] = 200;
    image[200] = 32, image[201] = WORDS - 10, image[202] = 0xFFFFFF;
    image[WORDS - 10] = QUAD_WORDS;
    image[3] = 0x7FFFFF;
    std::string err;
    EXPECT_EQ(colours(2, &err), (std::vector<uint32_t>{0x01}));
    EXPECT_EQ(err, "[GUARD] model 2: point word 0x100E lies beyond the point ROM (0x1000 words) -- model ended\n");
    EXPECT_EQ(colours(2, &err), (std::vector<uint32_t>{0x01}));
    EXPECT_EQ(err, "");  // once per model and run
    EXPECT_TRUE(colours(3, &err).empty());
    EXPECT_NE(err.find("[GUARD] model 3: point word 0x7FFFFF"), std::string::npos) << err;
    EXPECT_TRUE(colours(WORDS + 5, &err).empty());
    EXPECT_NE(err.find("[GUARD] model 4101:"), std::string::npos) << err;
}

TEST_F(ModelWalkTest, PointRamModelNeedsASource) {
    // Model 5's list at 0xF00000 names its chunk by a negative (bit 23) word.
    ram[0] = 0xF00100, ram[1] = 0xFFFFFF;
    ram[0x100] = QUAD_WORDS;
    quad_put(ram, 0x101, 0, 0x55);
    std::string err;
    EXPECT_TRUE(colours(5, &err).empty());
    EXPECT_EQ(err, "");
    point_ram_words = ram_word;
    EXPECT_EQ(colours(5), (std::vector<uint32_t>{0x55}));
    // Other models stop at any negative word.
    image[17] = 0xF00100;
    EXPECT_EQ(colours(1), (std::vector<uint32_t>{0x01}));
}

}  // namespace
