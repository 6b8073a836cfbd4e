// The sound board: its memory map, loading the driver, and the per-frame run with its
// frame interrupts, stretch, jitter and the chip writes that reach the Q904 and the dump.
#include "sound/chip_ring.h"
#include "tests/sound/sound_board_fixture.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct BoardTest : SoundBoardTest {
    std::vector<uint8_t> wave = std::vector<uint8_t>(0x10000);

    void TearDown() override {
        chip_present.store(false);
        chip_live.store(false);
        chip_clock = {};
        unsetenv("SKYVOLTA_SNDJITTER");
        SoundBoardTest::TearDown();
    }
    void with_chip() {
        q904_init(&q904, wave.data(), int32_t(wave.size()));
        chip_present.store(true);
        chip_clock = {};
    }
    void synth_driver(bool busy = false) {
        synth_sound_driver_image(sound_driver_rom);
        start();
        iram(SYNTH_DRIVER_BUSY) = busy;
    }
};

TEST_F(BoardTest, MemoryMapAsTheCpuSeesIt) {
    with_chip();
    sound_driver_rom[0xC123] = 0x5A;
    sound_driver_rom[0x7FFFF] = 0xA5;
    start(0xC000);
    const uint8_t* rom_before = sound_driver_rom;
    // Internal RAM, the shared RAM with its bytes swapped, the driver ROM twice.
    mcu_bus_write(nullptr, 0x0080, 0x11);
    mcu_bus_write(nullptr, 0x03FF, 0x22);
    EXPECT_EQ(mcu_iram[0], 0x11);
    EXPECT_EQ(mcu_iram[MCU_IRAM_SIZE - 1], 0x22);
    commsram[0] = 0x12;  // game 0xA04000
    commsram[1] = 0x34;  // game 0xA04001
    EXPECT_EQ(mcu_bus_read(nullptr, 0x4000), 0x34);
    EXPECT_EQ(mcu_bus_read(nullptr, 0x4001), 0x12);
    cpu.dt = 0;
    EXPECT_EQ(snd_bus_read16(&cpu, 0x4000), 0x1234u) << "the game's big-endian word";
    mcu_bus_write(nullptr, 0xBFFE, 0x77);
    EXPECT_EQ(commsram[0x7FFF], 0x77);
    EXPECT_EQ(mcu_bus_read(nullptr, 0xC123), 0x5A);
    EXPECT_EQ(mcu_bus_read(nullptr, 0x20C123), 0x5A);
    EXPECT_EQ(mcu_bus_read(nullptr, 0x27FFFF), 0xA5);
    mcu_bus_write(nullptr, 0xC123, 0);
    EXPECT_EQ(sound_driver_rom[0xC123], 0x5A);
    EXPECT_EQ(rom_before, sound_driver_rom);
    for (uint32_t unmapped : {0x0400u, 0x1000u, 0x3000u, 0x10000u, 0x1FFFFFu, 0x280000u, 0x014000u})
        EXPECT_EQ(mcu_bus_read(nullptr, unmapped), 0) << std::hex << unmapped;
    // The chip: a low byte waits, the high byte commits the register once.
    cpu.cycles = 192 * 10;
    mcu_bus_read(nullptr, 0x2000);  // anchors the chip clock
    cpu.cycles = 192 * 50;
    mcu_bus_write(nullptr, 0x2004, 0xCD);
    EXPECT_EQ(chip_read(2), 0);
    EXPECT_EQ(chip_clock.time, 10u);
    mcu_bus_write(nullptr, 0x2005, 0xAB);
    EXPECT_EQ(chip_read(2), 0xABCD);
    EXPECT_EQ(chip_clock.time, 50u) << "rendered up to the write";
    EXPECT_EQ(chip_shadow[4], 0xCD);
    mcu_bus_write(nullptr, 0x2005, 0x12);  // a lone high byte commits with the shadowed low byte
    EXPECT_EQ(chip_read(2), 0x12CD);
    chip_write(0, 0xBEEF);
    EXPECT_EQ(mcu_bus_read(nullptr, 0x2000), 0xEF);
    EXPECT_EQ(mcu_bus_read(nullptr, 0x2001), 0xBE);
}

TEST_F(BoardTest, LoadsTheDriverFileAndStartsIt) {
    std::string dir = temp_dir_make("board");
    std::vector<uint8_t> image(SOUND_DRIVER_ROM_SIZE + 100, 0);
    synth_sound_driver_image(image.data());
    image[SOUND_DRIVER_ROM_SIZE - 1] = 0x42;
    image[SOUND_DRIVER_ROM_SIZE] = 0x99;  // beyond the image: not read
    ASSERT_TRUE(file_write(dir + "/kv1data.8k", image));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(mcu_load_driver(dir.c_str()));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(mcu_driver_loaded());
    EXPECT_NE(out.find("[MCU] sound driver loaded (kv1data.8k), reset to PC=C030\n"), std::string::npos) << out;
    EXPECT_EQ(sound_driver_rom[SOUND_DRIVER_ROM_SIZE - 1], 0x42);
    // Both frame interrupts pending from the start; the driver takes them once it enables them.
    EXPECT_EQ(cpu.irq_pending, 1u << 13 | 1u << 15);
    EXPECT_EQ(mcu_slice_end(), UINT64_MAX);
    EXPECT_EQ(mcu_timing.int0_phase, 0u);
    EXPECT_EQ(mcu_timing.int2_phase, 136533u);
    // A short file: refused, and the flag is cleared first.
    image.resize(SOUND_DRIVER_ROM_SIZE - 1);
    ASSERT_TRUE(file_write(dir + "/kv1data.8k", image));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mcu_load_driver(dir.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[MCU] " + dir + "/kv1data.8k is 524287 bytes, expected 524288\n");
    EXPECT_FALSE(mcu_driver_loaded());
    EXPECT_FALSE(mcu_load_driver(nullptr));
    temp_dir_remove(dir);
}

TEST_F(BoardTest, SixHundredFramesKeepTheFrameRateAndInterrupts) {
    // Without jitter INT0 falls due a cycle or two before each frame's end, so its handler
    // may run in the next frame's run; 1,000 cycles later it is inside the frame.
    for (bool jitter : {false, true}) {
        if (jitter) setenv("SKYVOLTA_SNDJITTER", "1000", 1);
        synth_driver();
        uint64_t e0 = cpu.cycles;
        uint32_t int0 = 0, int2 = 0;
        for (int frame = 1; frame <= 600; frame++) {
            mcu_run_frame();
            ASSERT_FALSE(cpu.halted);
            uint64_t due = e0 + uint64_t(frame) * MCU_FRAME_CYCLES;
            ASSERT_GE(cpu.cycles, due) << frame;
            // An interrupt entered at the slice end can take a last slice of 64 past it.
            ASSERT_LT(cpu.cycles, due + 96) << frame;
            uint32_t now0 = iram16(SYNTH_DRIVER_INT0_COUNT), now2 = iram16(SYNTH_DRIVER_INT2_COUNT);
            EXPECT_EQ(now2, int2 + 1) << frame;
            if (jitter) { EXPECT_EQ(now0, int0 + 1) << frame; }
            else EXPECT_LE(uint32_t(std::abs(int(now0) - int(frame) - 1)), 1u) << frame;
            int0 = now0, int2 = now2;
        }
        EXPECT_EQ((cpu.cycles - e0) / 600, MCU_FRAME_CYCLES);
        EXPECT_EQ(mcu_timing.last_frame_end, e0 + 600 * MCU_FRAME_CYCLES);
        EXPECT_EQ(int2, 600u);
        if (jitter) { EXPECT_EQ(int0, 600u) << "the one pending at the start, then one per frame"; }
        unsetenv("SKYVOLTA_SNDJITTER");
    }
}

TEST_F(BoardTest, BusyFlagStretchesAFrameWithoutChangingTheRate) {
    synth_driver();
    uint64_t e0 = cpu.cycles;
    for (int frame = 1; frame <= 40; frame++) {
        iram(MCU_BUSY_FLAG) = frame > 10 && frame <= 20;
        mcu_run_frame();
        uint64_t due = e0 + uint64_t(frame) * MCU_FRAME_CYCLES;
        uint64_t extra = iram(MCU_BUSY_FLAG) ? MCU_STRETCHED_CYCLES - MCU_FRAME_CYCLES : 0;
        if (frame == 21) continue;  // starts past its end: runs nothing
        ASSERT_GE(cpu.cycles, due + extra) << frame;
        ASSERT_LT(cpu.cycles, due + extra + 96) << frame;
    }
    EXPECT_EQ(iram16(SYNTH_DRIVER_INT2_COUNT), 40u);
    EXPECT_LE(uint32_t(std::abs(int(iram16(SYNTH_DRIVER_INT0_COUNT)) - 41)), 1u);
}

TEST_F(BoardTest, FrameInterruptsFallDueOnTheirPhases) {
    for (uint64_t jitter : {0u, 1000u}) {
        if (jitter) setenv("SKYVOLTA_SNDJITTER", "1000", 1);
        put(0xC030, "wai\n");
        start();
        cpu.irq_pending = 0;
        const struct {
            uint64_t cycles;
            uint32_t pending;
        } steps[] = {
            {jitter + 273065, 0},
            {jitter + 273066, 1u << 13},
            {jitter + 273066 + 136532, 1u << 13},
            {jitter + 273066 + 136533, 1u << 13 | 1u << 15},
        };
        for (const auto& s : steps) {
            cpu.cycles = s.cycles;
            mcu_frame_irqs();
            EXPECT_EQ(cpu.irq_pending, s.pending) << jitter << " " << s.cycles;
        }
        // At most one raise of each per call, however late.
        cpu.irq_pending = 0;
        cpu.cycles = jitter + 10 * 273066 + 136533;
        mcu_frame_irqs();
        EXPECT_EQ(mcu_timing.int0_phase, jitter + 2 * 273066);
        EXPECT_EQ(mcu_timing.int2_phase, jitter + 136533 + 2 * 273066);
    }
}

TEST_F(BoardTest, TheDriversChipWritesReachTheChipAndTheDump) {
    std::string dir = temp_dir_make("board_dump");
    synth_rom_set* set = synth_rom_new_blank();
    ASSERT_NE(set, nullptr);
    synth_wave_tone(set);
    synth_sound_driver(set);
    for (int entry : {25, 26, 27}) {
        static const char* const names[] = {"kv1data.8k", "kv1wavea.2l", "kv1waveb.1l"};
        ASSERT_TRUE(file_write(dir + "/" + names[entry - 25], synth_rom_file(set, entry)));
    }
    synth_rom_free(set);
    std::string dump = dir + "/out.wav";
    setenv("SKYVOLTA_AUDIODUMP", dump.c_str(), 1);
    testing::internal::CaptureStdout();
    audio_init(dir.c_str(), dir.c_str());
    testing::internal::GetCapturedStdout();
    unsetenv("SKYVOLTA_AUDIODUMP");
    ASSERT_TRUE(mcu_driver_loaded());
    // Slot 0: play, at pitch 0x3000.
    commsram[0] = 0x40;
    commsram[0x100] = 0x30;
    for (int i = 0; i < 60; i++) audio_frame();
    audio_dump_finish();
    EXPECT_EQ(commsram[0], 0x80) << "the driver took the command";
    EXPECT_EQ(chip_read(Q904_REG_FREQ), 0x3000);
    EXPECT_EQ(chip_read(Q904_REG_BANK), 1);
    EXPECT_EQ(chip_read(Q904_REG_END), 0x3F);
    EXPECT_TRUE(chip_read(Q904_REG_FLAGS) & VF_BUSY) << "keyed on by the sweep";
    std::vector<uint8_t> f = file_read(dump);
    ASSERT_GT(f.size(), 44u + 4 * 44000) << "a second of output";
    int peak = 0;
    for (size_t i = 44; i + 1 < f.size(); i += 4) peak = std::max(peak, std::abs(int(int16_t(f[i] | f[i + 1] << 8))));
    EXPECT_GT(peak, 2500);
    audio_init(nullptr, nullptr);
    temp_dir_remove(dir);
}

}  // namespace
