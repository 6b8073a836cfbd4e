// Commands reach the driver that runs: the synthetic sound driver on the sound board
// takes a play of an id on slot 0 within one sound-board frame and keys voice 0.
#include "game/services/sound_commands.h"
#include "sound/chip_ring.h"
#include "sound/sound_board.h"
#include "sound/sound_system.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_sound_driver.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

class SoundDriverPath : public SoundTest {
protected:
    std::vector<uint8_t> wave = std::vector<uint8_t>(0x10000);

    void SetUp() override {
        SoundTest::SetUp();
        q904_init(&q904, wave.data(), int32_t(wave.size()));
        chip_present.store(true);
        chip_clock = {};
        synth_sound_driver_image(sound_driver_rom);
        // INT0 half a frame into each board frame, so that its whole handler (the driver's
        // take of the command and the key-on) runs inside the frame after the play. Without
        // it, the reset's two cycles put INT0 two cycles before the frame's end and the
        // key-on lands at the start of the next frame.
        setenv("SKYVOLTA_SNDJITTER", "136533", 1);
        testing::internal::CaptureStdout();
        mcu_driver_start();
        testing::internal::GetCapturedStdout();
        unsetenv("SKYVOLTA_SNDJITTER");
    }
    void TearDown() override {
        chip_present.store(false);
        chip_live.store(false);
        chip_clock = {};
        memset(sound_driver_rom, 0, sizeof sound_driver_rom);
    }
};

TEST_F(SoundDriverPath, PlayOnSlot0IsTakenWithinOneBoardFrame) {
    for (int frame = 0; frame < 10; frame++) audio_frame();
    ASSERT_EQ(command(0), 0u);
    ASSERT_FALSE(chip_read(Q904_REG_FLAGS) & (VF_KEY_ON | VF_BUSY));
    sound_play_ungated(1);  // slot 0, second parameter: the pitch 0x3000 on slot 0
    EXPECT_EQ(command(0), 0x4101u);
    audio_frame();
    EXPECT_EQ(command(0), 0x8101u) << "bit 15 instead of 14";
    EXPECT_EQ(chip_read(Q904_REG_FREQ), 0x3000);
    EXPECT_TRUE(chip_read(Q904_REG_FLAGS) & (VF_KEY_ON | VF_BUSY)) << "voice 0 keyed";
    // A stop clears the running bit the driver set.
    sound_stop(1);
    EXPECT_EQ(command(0), 0x0101u);
}

}  // namespace
