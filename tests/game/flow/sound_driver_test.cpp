// Commands reach the driver that runs: the synthetic sound driver on the sound board
// takes a play of an id on slot 0 within one sound-board frame and keys voice 0.
#include "game/flow/sound_commands.h"
#include "sound/chip_ring.h"
#include "sound/sound_board.h"
#include "sound/sound_system.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_sound_driver.h"

#include <gtest/gtest.h>
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
        testing::internal::CaptureStdout();
        mcu_driver_start();
        testing::internal::GetCapturedStdout();
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
