// Loading the synthetic ROM files into the board images.
#include "host/rom_loader.h"

#include "board/board_memory.h"
#include "host/rom_set.h"
#include "render/graphics_rom.h"
#include "tests/render/frame_scene.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>

namespace {

class RomLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        // The loader fills texture images of its own, not those an earlier test pointed
        // at (the shared synthetic set's), and they go with the test.
        saved = scene_rom_save();
        texture_rom = texture_tilemap = nullptr;
        dir = temp_dir_make("loader");
        ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), dir.c_str()));
        board_memory_clear();
    }
    void TearDown() override {
        free(texture_rom);
        free(texture_tilemap);
        scene_rom_restore(saved);
        temp_dir_remove(dir);
        unsetenv("SKYVOLTA_NO_ROMMAP");
    }

    // Runs load_roms and returns what it printed on stdout and stderr.
    bool load(std::string* out, std::string* err) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        bool ok = load_roms(dir.c_str());
        *out = testing::internal::GetCapturedStdout();
        *err = testing::internal::GetCapturedStderr();
        return ok;
    }

    std::string dir;
    scene_rom_pointers saved;
};

TEST_F(RomLoaderTest, FullSetFillsEveryImage) {
    const synth_rom_set* set = synth_rom_shared();
    std::string out, err;
    ASSERT_TRUE(load(&out, &err));
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("  Program ROM: SP=0x00E20000 PC=0x0000BC4C OK\n"), std::string::npos);
    EXPECT_NE(out.find("  Point ROM: 1572864 entries (6.0 MB)\n"), std::string::npos);
    EXPECT_NE(out.find("  Texture ROM: 65536 tiles (16 MB)\n  Texture tilemap: 2.5 MB\n"), std::string::npos);
    EXPECT_NE(out.find("  Sprite ROM: 4096 tiles (4 MB)\n"), std::string::npos);
    EXPECT_NE(out.find("ROM loading complete\n"), std::string::npos);

    EXPECT_EQ(memcmp(program_rom, set->program, sizeof set->program), 0);
    ASSERT_EQ(point_rom_count, POINT_ROM_WORDS);
    EXPECT_EQ(memcmp(point_rom, set->point, sizeof set->point), 0);
    // Word 0x80000 is byte 0 of the second file of each plane.
    std::vector<uint8_t> lo = file_read(dir + "/kv1ptrl1.16k"), mid = file_read(dir + "/kv1ptrm1.16j"),
                         hi = file_read(dir + "/kv1ptru1.16f");
    EXPECT_EQ(point_rom[0x80000], uint32_t(hi[0]) << 16 | uint32_t(mid[0]) << 8 | lo[0]);
    EXPECT_EQ(memcmp(texture_rom, set->texture, sizeof set->texture), 0);
    EXPECT_EQ(memcmp(texture_tilemap, set->tilemap, sizeof set->tilemap), 0);
    EXPECT_EQ(memcmp(sprite_rom, set->sprite, sizeof set->sprite), 0);

    // The optional host mapping, when the address was free, mirrors the ROM from 0x10000.
    if (out.find("  ROM mapped at ") != std::string::npos)
        EXPECT_EQ(memcmp(reinterpret_cast<const void*>(0x10000), program_rom + 0x10000, 0x3F0000), 0);
    else
        EXPECT_NE(err.find("WARNING: Cannot map ROM at 0x10000"), std::string::npos);
}

TEST_F(RomLoaderTest, ResetVectorMismatchStillLoads) {
    std::vector<uint8_t> byte0 = file_read(dir + "/kv2ver-a.4");  // most significant bytes
    byte0[1] ^= 0x01;                                              // SP byte 0 -> 0x01
    ASSERT_TRUE(file_write(dir + "/kv2ver-a.4", byte0));
    setenv("SKYVOLTA_NO_ROMMAP", "1", 1);
    std::string out, err;
    ASSERT_TRUE(load(&out, &err));
    EXPECT_NE(out.find("  Program ROM: SP=0x00E20000 PC=0x0100BC4C MISMATCH!\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("ROM mapped"), std::string::npos);
}

TEST_F(RomLoaderTest, MissingAssetFileKeepsTheProgram) {
    remove((dir + "/kv1ptru2.15f").c_str());
    std::string out, err;
    ASSERT_TRUE(load(&out, &err));
    EXPECT_EQ(point_rom, nullptr);
    EXPECT_EQ(point_rom_count, 0u);
    EXPECT_EQ(err.find("  Cannot open: " + dir + "/kv1ptru2.15f\n"), 0u) << err;
    EXPECT_NE(err.find("WARNING: Some asset ROMs failed to load, 3D will be unavailable\n"), std::string::npos);
    EXPECT_NE(out.find("ROM loading complete\n"), std::string::npos);
}

TEST_F(RomLoaderTest, MissingOrShortProgramFileIsFatal) {
    std::vector<uint8_t> part = file_read(dir + "/kv2ver-a.3");
    part.resize(100);
    ASSERT_TRUE(file_write(dir + "/kv2ver-a.3", part));
    std::string out, err;
    EXPECT_FALSE(load(&out, &err));
    EXPECT_EQ(err, "  Short read: " + dir + "/kv2ver-a.3 (100/1048576)\nFATAL: Program ROM load failed\n");

    remove((dir + "/kv2ver-a.1").c_str());
    EXPECT_FALSE(load(&out, &err));
    EXPECT_EQ(err, "  Cannot open: " + dir + "/kv2ver-a.1\nFATAL: Program ROM load failed\n");
}

TEST_F(RomLoaderTest, TileNumberFileIsReadInWholeHalfMegabytes) {
    std::vector<uint8_t> buf(0x200000, 0xEE);
    std::vector<uint8_t> tiles = file_read(dir + "/kv1ccrl.3d");

    tiles.resize(0x100000);
    ASSERT_TRUE(file_write(dir + "/kv1ccrl.3d", tiles));
    ASSERT_TRUE(rom_file_read_2mb(dir.c_str(), "kv1ccrl.3d", buf.data()));
    EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), buf.begin()));
    EXPECT_TRUE(std::all_of(buf.begin() + 0x100000, buf.end(), [](uint8_t b) { return b == 0; }));

    tiles.resize(0x180001);
    ASSERT_TRUE(file_write(dir + "/kv1ccrl.3d", tiles));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(rom_file_read_2mb(dir.c_str(), "kv1ccrl.3d", buf.data()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "  Short read: " + dir + "/kv1ccrl.3d (1572865/2097152)\n");
}

}  // namespace
