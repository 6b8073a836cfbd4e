#include "board/sprite_projection.h"
#include "board/sprite_records.h"
#include "board/text_hex_label.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <cstdlib>
#include <string>

namespace {

// The expectations below read the synthetic tables: multiplier 8 for selector 0, -40
// for selector 7.
static_assert(SYNTH_SPRITE_SIZE_MULTIPLIER[0] == 8 && SYNTH_SPRITE_SIZE_MULTIPLIER[7] == -40);
static_assert(synth_sprite_tile_word(1, 7) == 0x387, "tile 7 selects multipliers 7 and 0");

class SpriteTest : public BoardTest {
protected:
    // One frame's upload with frame_tick = tick.
    void frame(int32_t tick) {
        wram_long_set(W_FRAME_TICK, tick);
        sprite_list_upload();
    }
    uint32_t be16(uint32_t offset) {
        return uint32_t(sprite_ram[offset]) << 8 | sprite_ram[offset + 1];
    }
    uint32_t count() {
        return be16(4);
    }
    // Tile of uploaded sprite k (1-based), from its table-2 word.
    int32_t tile_of(uint32_t k) {
        return int32_t(be16(SPRITE_RAM_ENTRIES + 16 * (k - 1) + 12)) - 0x4000;
    }
    std::vector<int32_t> uploaded_tiles() {
        std::vector<int32_t> tiles;
        for (uint32_t k = 1; k <= count(); k++) tiles.push_back(tile_of(k));
        return tiles;
    }
    // Field of record r of write buffer b (its slot value).
    int64_t record_field(uint32_t b, uint32_t r, uint32_t f) {
        return wram[W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * b + SPRITE_RECORD_BYTES * r + f];
    }
    // Uploads what has been collected since the upload at tick (four frames on).
    void upload_collected(int32_t tick) {
        for (int32_t t = tick + 1; t <= tick + 4; t++) frame(t);
    }
};

TEST_F(SpriteTest, TheUploadWritesTheExactSpriteRamLayout) {
    frame(1);
    sprite_call(2, -5, 100, 50, 0x12345, 32, 16, 0x1234, 0);  // mirrored tile 5, depth 0x09
    sprite_call(0, 300, -10, -20, 0x100000, 8, 8, -1, 1);     // no depth
    sprite_call(0, 12, 5, 6, 0x1FE000, 4, 4, 3, 0);           // depth byte 0xFF: 0xFFFF
    for (int32_t t = 2; t <= 4; t++) frame(t);
    std::memset(sprite_ram, 0xEE, sizeof sprite_ram);
    frame(5);

    const uint8_t header[16] = {0x00, 0x06, 0x00, 0x01, 0x00, 0x03, 0x00, 0x53,
                                0x03, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00};
    const uint8_t control[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
    const uint8_t entries[3][16] = {
        {0x02, 0x76, 0x03, 0x16, 0x00, 0x08, 0x00, 0x08, 0x00, 0xFF, 0x96, 0x24, 0x41, 0x2C, 0xFF, 0xFF},
        {0x02, 0x85, 0x03, 0x30, 0x00, 0x04, 0x00, 0x04, 0x00, 0xFF, 0x06, 0x04, 0x40, 0x0C, 0x00, 0x03},
        {0x02, 0xE4, 0x03, 0x5C, 0x00, 0x20, 0x00, 0x10, 0x00, 0xFF, 0x02, 0x85, 0x40, 0x05, 0x12, 0x34},
    };
    const uint8_t attributes[3][8] = {
        {0x00, 0x10, 0x00, 0x00, 0x96, 0x2C, 0xFF, 0xFF},
        {0x00, 0x1F, 0xE0, 0x00, 0x06, 0x0C, 0xFF, 0xFF},
        {0x00, 0x41, 0x23, 0x45, 0x02, 0x85, 0x00, 0x09},
    };
    for (uint32_t i = 0; i < 16; i++) EXPECT_EQ(sprite_ram[i], header[i]) << "header byte " << i;
    for (uint32_t i = 0; i < 16; i++) EXPECT_EQ(sprite_ram[0x200 + i], control[i & 7]) << "byte 0x" << std::hex << 0x200 + i;
    for (uint32_t k = 0; k < 3; k++) {
        for (uint32_t i = 0; i < 16; i++) EXPECT_EQ(sprite_ram[0x4010 + 16 * k + i], entries[k][i]) << k << "/" << i;
        for (uint32_t i = 0; i < 8; i++) EXPECT_EQ(sprite_ram[0x20008 + 8 * k + i], attributes[k][i]) << k << "/" << i;
    }
    // Everything else keeps what it held.
    for (uint32_t offset : {0x10u, 0x1FFu, 0x210u, 0x400u, 0x400Fu, 0x4040u, 0x20007u, 0x20020u, 0x2FFFFu})
        EXPECT_EQ(sprite_ram[offset], 0xEE) << std::hex << offset;
}

TEST_F(SpriteTest, AFramesListReachesSpriteRamFourFramesLater) {
    for (int32_t tick = 1; tick <= 10; tick++) {
        frame(tick);
        if (tick <= 4) {
            EXPECT_EQ(count(), 0u) << tick;
        } else {
            EXPECT_EQ(uploaded_tiles(), (std::vector<int32_t>{tick - 4, 100 + tick - 4})) << tick;
        }
        EXPECT_EQ(w_read16(WRAM_BASE + W_SPRITE_WRITE_BUFFER), tick & 3);
        EXPECT_EQ(wram_long(W_SPRITE_COUNT), 0);
        sprite_call(1, tick, 0, 0, 1, 16, 16, 0, 0);
        sprite_call(1, 100 + tick, 0, 0, 2, 16, 16, 0, 0);
    }
}

TEST_F(SpriteTest, SpritesSortBySignedKeyNewestFirstAmongEqualKeys) {
    frame(0);
    sprite_call(0, 1, 0, 0, 5, 1, 1, 0, 0);
    sprite_call(0, 2, 0, 0, 5, 1, 1, 0, 0);
    sprite_call(0, 3, 0, 0, -3, 1, 1, 0, 0);     // a negative priority before layer 0's
    sprite_call(1, 4, 0, 0, 0, 1, 1, 0, 0);
    sprite_call(-1, 5, 0, 0, 0, 1, 1, 0, 0);     // a negative key before all
    sprite_call(0, 6, 0, 0, 5, 1, 1, 0, 0);
    sprite_call(1, 7, 0, 0, 0x7FFFFFFF, 1, 1, 0, 0);  // the key wraps negative
    upload_collected(0);
    EXPECT_EQ(uploaded_tiles(), (std::vector<int32_t>{7, 5, 3, 6, 2, 1, 4}));
}

TEST_F(SpriteTest, The256thCallOfAFrameIsIgnored) {
    frame(0);
    for (int32_t i = 1; i <= 256; i++) sprite_call(0, i, 0, 0, i, 1, 1, 0, 0);
    EXPECT_EQ(wram_long(W_SPRITE_COUNT), 255);
    upload_collected(0);
    ASSERT_EQ(count(), 255u);
    EXPECT_EQ(tile_of(1), 1);
    EXPECT_EQ(tile_of(255), 255);
    EXPECT_EQ(be16(SPRITE_RAM_ENTRIES + 16 * 255 + 12), 0u) << "no 256th entry";
}

TEST_F(SpriteTest, AHaltStopsCollectionAndUploadAlike) {
    frame(0);
    sprite_call(0, 1, 0, 0, 0, 1, 1, 0, 0);
    upload_collected(0);
    std::vector<uint8_t> before(sprite_ram, sprite_ram + sizeof sprite_ram);
    for (uint32_t halt : {W_LIST_HALT, W_ATTRACT_SCENE_FLAG}) {
        wram_long_set(halt, 1);
        sprite_call(0, 2, 0, 0, 0, 1, 1, 0, 0);
        EXPECT_EQ(wram_long(W_SPRITE_COUNT), 0);
        frame(9);
        EXPECT_EQ(w_read16(WRAM_BASE + W_SPRITE_WRITE_BUFFER), 0) << "write buffer kept";
        EXPECT_EQ(std::vector<uint8_t>(sprite_ram, sprite_ram + sizeof sprite_ram), before);
        wram_long_set(halt, 0);
    }
}

TEST_F(SpriteTest, AnEmptyBufferUploadsOnlyTheHeader) {
    std::memset(sprite_ram, 0xEE, sizeof sprite_ram);
    frame(3);
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(sprite_ram[7], 0x53);
    EXPECT_EQ(sprite_ram[0x4010], 0xEE);
    EXPECT_EQ(sprite_ram[0x20008], 0xEE);
}

TEST_F(SpriteTest, TheUploadWalkEndsAtALoopOrABadLink) {
    auto link_set = [](uint32_t record, int32_t next) {
        wram[W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * 0 + SPRITE_RECORD_BYTES * record + 22] = next;
    };
    frame(0);
    for (int32_t i = 1; i <= 3; i++) sprite_call(0, i, 0, 0, i, 1, 1, 0, 0);
    link_set(3, 1);  // 1 -> 2 -> 3 -> 1 ...
    upload_collected(0);
    EXPECT_EQ(uploaded_tiles(), (std::vector<int32_t>{1, 2, 3}));

    for (int32_t i = 1; i <= 3; i++) sprite_call(0, i, 0, 0, i, 1, 1, 0, 0);
    link_set(2, 300);  // names no record: the list ends there
    upload_collected(4);
    EXPECT_EQ(uploaded_tiles(), (std::vector<int32_t>{1, 2}));
}

TEST_F(SpriteTest, SprrecPrintsTheFirstSixRecordsOfTheRun) {
    setenv("SKYVOLTA_SPRREC", "1", 1);
    frame(0);
    for (int32_t i = 1; i <= 8; i++) sprite_call(0, i, 0, 0, i, 16, 16, 0, 0);
    testing::internal::CaptureStderr();
    upload_collected(0);
    std::string err = testing::internal::GetCapturedStderr();
    unsetenv("SKYVOLTA_SPRREC");
    EXPECT_EQ(err.find("    [SPRREC] idx=1  0280 032a 0010 0010  ff 0081 4001 0000 | attr 00000001 0001\n"), 0u);
    EXPECT_NE(err.find("[SPRREC] idx=6 "), std::string::npos);
    EXPECT_EQ(err.find("[SPRREC] idx=7 "), std::string::npos);
}

class WorldSpriteTest : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        dl_buffers_init();  // field of view 60 degrees (1920) in view block 0, 76 in block 1
        frame(0);
        sprite_call_list_reset();
    }
    struct drawn {
        int32_t tile, key, x, y;
        int64_t width, height;
    };
    // The sprite of the last call, or tile -1 when nothing was drawn.
    drawn last() {
        int n = sprite_call_list_count();
        drawn d{-1, 0, 0, 0, 0, 0};
        if (n == 0) return d;
        sprite_call_list_get(n - 1, &d.tile, &d.key, &d.x, &d.y);
        d.width = record_field(0, uint32_t(n), 12);
        d.height = record_field(0, uint32_t(n), 14);
        return d;
    }
};

TEST_F(WorldSpriteTest, APointStraightAheadIsCentredAndScaledByDistance) {
    // Depth 65025 through the 60-degree view: scale 6, size multiplier 8 for tile 0.
    world_sprite_draw(0, 0, 0, 0, 0x10000, 0, 10);
    drawn d = last();
    EXPECT_EQ(d.tile, 0);
    EXPECT_EQ(d.key, (7 << 21) + 65025 + 10);
    EXPECT_EQ(d.x, 320 - 24);
    EXPECT_EQ(d.y, 240 - 24);
    EXPECT_EQ(d.width, 6);
    EXPECT_EQ(d.height, 6);
    EXPECT_EQ(wram_long(W_SPRITE_HALF_FOV), 5461);

    world_sprite_draw(0, 0, 0, 0, 0x20000, 0, 10);
    EXPECT_EQ(last().width, 3);
    world_sprite_draw(0, 0, 0, 0, 100, 0, 10);  // very near: the scale stops at 256
    EXPECT_EQ(last().width, 256);
    EXPECT_EQ(last().x, 320 - 1024);
}

TEST_F(WorldSpriteTest, ANegativeMultiplierHalvesTowardZero) {
    // Tile 7 selects multiplier -40 for the height: a = -239, a >> 1 = -120.
    world_sprite_draw(0, 7, 0, 0, 0x10000, 0, 0);
    EXPECT_EQ(last().y, 240 + 120);
    EXPECT_EQ(last().x, 320 - 24);
}

TEST_F(WorldSpriteTest, PointsBehindOrOffScreenDrawNothing) {
    world_sprite_draw(0, 0, 0, 0, -0x10000, 0, 0);   // behind
    world_sprite_draw(0, 0, 0x100000, 0, 0x1000, 0, 0);  // far to the side
    world_sprite_draw(1000, 0, 0, 0, 0x10000, 0, 0);  // its view block lies beyond dspram
    EXPECT_EQ(sprite_call_list_count(), 0);
    EXPECT_EQ(wram_long(W_SPRITE_COUNT), 0);
    EXPECT_EQ(wram_long(W_SPRITE_HALF_FOV), 0);
}

TEST_F(WorldSpriteTest, OnlyWorldSpritesEnterTheCallList) {
    sprite_call(0, 5, 1, 2, 3, 4, 4, 0, 0);
    EXPECT_EQ(sprite_call_list_count(), 0);
    world_sprite_draw(1, 9, 0, 0, 0x10000, 0, 0);
    EXPECT_EQ(sprite_call_list_count(), 1);
    EXPECT_EQ(last().key >> 21, 6) << "layer 7 - view";
    for (int i = 0; i < 70; i++) world_sprite_draw(0, 1, 0, 0, 0x10000, 0, 0);
    EXPECT_EQ(sprite_call_list_count(), 64);
    int32_t tile = 0, key = 1, x = 1, y = 1;
    sprite_call_list_get(64, &tile, &key, &x, &y);
    EXPECT_EQ(tile, -1);
    EXPECT_EQ(key | x | y, 0);
    sprite_call_list_get(-1, nullptr, nullptr, nullptr, nullptr);
    sprite_call_list_reset();
    EXPECT_EQ(sprite_call_list_count(), 0);
}

TEST_F(SpriteTest, HexLabelsPrintIntoTextRam) {
    text_put_ascii_hex(2, 3, 4, "PC=", 0x1A2B, 99);
    const char want[] = "PC=1A2B";
    for (uint32_t i = 0; i < 7; i++) {
        EXPECT_EQ(textram[3 * 128 + 2 * (2 + i)], 0);
        EXPECT_EQ(textram[3 * 128 + 2 * (2 + i) + 1], uint8_t(want[i])) << i;
    }
    // Digit 8 repeats digit 0; cells outside text RAM are skipped, the column advancing.
    text_put_ascii_hex(0, 2, 9, nullptr, int32_t(0xFEDCBA97), 0);
    EXPECT_EQ(textram[256 + 1], '7');
    EXPECT_EQ(textram[256 + 3], 'F');
    EXPECT_EQ(textram[256 + 17], '7');
    text_put_ascii_hex(-1, 0, 2, nullptr, 0xAB, 0);
    EXPECT_EQ(textram[1], 'B');
    text_put_ascii_hex(62, 63, 2, "XYZ", 0, 0);
    EXPECT_EQ(textram[0x1FFD], 'X');
    EXPECT_EQ(textram[0x1FFF], 'Y');
}

}  // namespace
