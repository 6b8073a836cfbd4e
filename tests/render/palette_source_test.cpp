#include "render/palette_source.h"

#include "board/board_memory.h"
#include "board/palette_marks.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct palette_source_fixture : ::testing::Test {
    std::string dir;

    void SetUp() override {
        memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        dir = temp_dir_make("palette");
    }
    void TearDown() override {
        palette_marks_clear();  // the marked entries are this test's alone
        temp_dir_remove(dir);
    }

    std::string init_and_capture() {
        testing::internal::CaptureStdout();
        palette_source_init(dir.c_str());
        return testing::internal::GetCapturedStdout();
    }

    static void expect_entry(uint32_t e, uint8_t r, uint8_t g, uint8_t b) {
        EXPECT_EQ(palette_3d[3 * e], r) << "entry " << e;
        EXPECT_EQ(palette_3d[3 * e + 1], g) << "entry " << e;
        EXPECT_EQ(palette_3d[3 * e + 2], b) << "entry " << e;
    }
};

TEST_F(palette_source_fixture, RomStaticPaletteWithOverrideGroups) {
    std::string out = init_and_capture();
    EXPECT_EQ(out, "  [3D] Palette: ROM static (group 127, the runtime colour ramps, is filled by the game)\n");
    ASSERT_TRUE(palette_3d_ready);
    for (uint32_t j = 0; j < 256; j++) expect_entry(j, 0, 0, 0);
    uint8_t rgb[3];
    for (uint32_t k : {1u, 64u, 115u, 120u, 127u}) {
        for (uint32_t j : {0u, 0x5Au, 255u}) {
            synth_static_palette_colour(k, j, rgb);
            expect_entry(256 * k + j, rgb[0], rgb[1], rgb[2]);
        }
    }
    for (uint32_t g = 116; g < 116u + SYNTH_PALETTE_OVERRIDE_GROUPS; g++)
        for (uint32_t j : {0u, 200u}) expect_entry(256 * g + j, uint8_t(255 - j), uint8_t(g), 0x5A);
}

TEST_F(palette_source_fixture, OverrideCountIsCappedAtTheLastGroup) {
    program_rom[0xB85B4] = 0xFF;
    program_rom[0xB85B5] = 0xFF;
    init_and_capture();
    const uint8_t* last = program_rom + 0xB5EC0 + 0x300 * 11;
    EXPECT_EQ(memcmp(palette_3d + 3 * 0x7F00, last, 0x300), 0);
    EXPECT_EQ(memcmp(palette_3d + 3 * 0x7400, program_rom + 0xB5EC0, 0x300), 0);
}

TEST_F(palette_source_fixture, RuntimeFileIsUsedOnlyWhenWhole) {
    struct {
        size_t size;
        bool used;
    } cases[] = {{PALETTE_BYTES, true}, {PALETTE_BYTES - 1, false}, {PALETTE_BYTES + 1, false}};
    for (auto& c : cases) {
        std::vector<uint8_t> file(c.size);
        for (size_t i = 0; i < c.size; i++) file[i] = uint8_t(i * 7 + 3);
        std::string path = dir + "/palette_runtime.bin";
        ASSERT_TRUE(file_write(path, file));
        std::string out = init_and_capture();
        if (c.used) {
            EXPECT_EQ(out, "  [3D] Palette: runtime dump (" + path + ")\n");
            EXPECT_EQ(memcmp(palette_3d, file.data(), PALETTE_BYTES), 0);
        } else {
            EXPECT_NE(out.find("ROM static"), std::string::npos) << c.size;
            expect_entry(0, 0, 0, 0);
            uint8_t rgb[3];
            synth_static_palette_colour(3, 9, rgb);
            expect_entry(3 * 256 + 9, rgb[0], rgb[1], rgb[2]);
        }
    }
}

TEST_F(palette_source_fixture, ComposedPaletteTakesMarkedEntriesFromPaletteRam) {
    init_and_capture();
    for (uint32_t e = 0x7F20; e <= 0x7F30; e++) {
        palette_ram[e] = 0x11;
        palette_ram[PALETTE_ENTRIES + e] = 0x22;
        palette_ram[2 * PALETTE_ENTRIES + e] = uint8_t(e);
    }
    for (uint32_t e = 0x7F20; e < 0x7F30; e++) palette_entry_mark_written(e);
    palette_entry_mark_written(0x8000);  // ignored

    const uint8_t* c = palette_compose();
    ASSERT_NE(c, nullptr);
    for (uint32_t e = 0x7F20; e < 0x7F30; e++) {
        EXPECT_EQ(c[e], 0x11);
        EXPECT_EQ(c[PALETTE_ENTRIES + e], 0x22);
        EXPECT_EQ(c[2 * PALETTE_ENTRIES + e], uint8_t(e));
        EXPECT_EQ(palette_written[e], 1);
    }
    // An unmarked palette RAM write does not reach the composed palette.
    EXPECT_EQ(c[0x7F30], palette_3d[3 * 0x7F30]);
    EXPECT_EQ(c[PALETTE_ENTRIES + 0x7F30], palette_3d[3 * 0x7F30 + 1]);
    EXPECT_EQ(palette_written[0x7F30], 0);

    // A later write to a marked entry shows at the next intake, with no new mark.
    palette_ram[0x7F25] = 0x99;
    c = palette_compose();
    EXPECT_EQ(c[0x7F25], 0x99);
}

TEST_F(palette_source_fixture, NothingIsComposedBeforeTheSourceIsSetUp) {
    palette_3d_ready = false;
    EXPECT_EQ(palette_compose(), nullptr);
    init_and_capture();
    EXPECT_NE(palette_compose(), nullptr);
}

}  // namespace
