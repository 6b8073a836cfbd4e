// The engine frame of the synthetic frame dump, loaded as the viewer loads it, is the
// viewer's own headless picture of that dump (the reference of the offline tools'
// test), the colour table applied on the GPU instead of on the CPU.
#include "render/engine_frame.h"

#include "host/framedump.h"
#include "render/cz_fog.h"
#include "render/renderer_switches.h"
#include "tests/render/frame_scene.h"
#include "tests/support/synth_framedump.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>

namespace {

TEST(EngineFrame, TheSyntheticDumpMatchesTheViewersPictureThroughTheTable) {
    ASSERT_TRUE(gl_test_window());
    SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
    scene_rom_pointers saved = scene_rom_save();
    if (!renderer_switches_loaded) renderer_switches_read();
    scene_board_reset();
    sprite_rom = synth_rom_shared()->sprite;  // the program's own sprite ROM, as the viewer had it
    sprite_rom_size = SPRITE_ROM_SIZE;
    std::string dir = temp_dir_make("engine");
    // The palette source the program has: the ROM set's own directory.
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/roms").c_str()));
    palette_source_init((dir + "/roms").c_str());
    ASSERT_TRUE(synth_framedump_write(dir, SYNTH_DUMP_FRAME));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(framedump_open((dir + "/poly_f" + std::to_string(SYNTH_DUMP_FRAME) + ".bin").c_str()));
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(fog_current_valid && fog_current.lut_active);

    EXPECT_EQ(engine_frame_intake(), SYNTH_DUMP_GROUND_TILES + SYNTH_DUMP_CUBES);
    hud_margin_left = 0, hud_margin_right = 640;
    engine_frame_present(640, 480);
    rgb_picture got = scene_read(640, 480);
    rgb_picture want;
    std::string why;
    ASSERT_TRUE(png_read_rgb(source_folder(__FILE__) + "/golden/framedump_view.png", &want, &why)) << why;
    // The same picture but for a few pixels on the cubes' silhouettes, where the
    // two paths' edge coverage rounds apart (19 of 307200 on Mesa's llvmpipe).
    int apart = 0;
    for (size_t i = 0; i < got.rgb.size(); i += 3)
        for (int c = 0; c < 3; c++)
            if (std::abs(int(got.rgb[i + c]) - int(want.rgb[i + c])) > 3) {
                apart++;
                break;
            }
    EXPECT_LE(apart, 40) << picture_difference(got, want, 3);
    // The sky at the top right is the background through the table on the GPU: blue x 7/8.
    const uint8_t* corner = &got.rgb[size_t(630) * 3];
    EXPECT_EQ(corner[0], SYNTH_DUMP_BACKGROUND[0]);
    EXPECT_EQ(corner[1], SYNTH_DUMP_BACKGROUND[1]);
    EXPECT_EQ(corner[2], synth_dump_lut_blue(SYNTH_DUMP_BACKGROUND[2]));

    framedump_close();
    fog_current_valid = false;
    scene_rom_restore(saved);
    temp_dir_remove(dir);
}

}  // namespace
