// The readable-routine framework: bus and stack operations with their cycles, flags,
// bailing, returning from a driver call and the statistics.
#include "sound/snd_native.h"
#include "tests/sound/sound_board_fixture.h"

namespace {

struct NativeTest : SoundBoardTest {};

TEST_F(NativeTest, BusAndStackCountACyclePerByte) {
    put(0xC030, "stp\n");
    start();
    cpu.cycles = 100;
    snd_bus_write16(&cpu, 0x0100, 0xBEEF);
    EXPECT_EQ(iram(0x100), 0xEF);
    EXPECT_EQ(iram(0x101), 0xBE);
    EXPECT_EQ(snd_bus_read16(&cpu, 0x0100), 0xBEEFu);
    snd_bus_write8(&cpu, 0x46, 0x12);  // an SFR
    EXPECT_EQ(cpu.sfr[0x46], 0x12);
    EXPECT_EQ(snd_bus_read8(&cpu, 0x46), 0x12u);
    cpu.dt = 0;
    cpu.y = 0x0100;
    EXPECT_EQ(snd_read_dt(&cpu, 1), 0xBEu);
    EXPECT_EQ(cpu.cycles, 100u + 7);
    cpu.s = 0x01FF;
    snd_push16(&cpu, 0xC1D2);
    EXPECT_EQ(cpu.s, 0x01FD);
    EXPECT_EQ(snd_pull16(&cpu), 0xC1D2u);
    // A driver subroutine's return: pc as pulled.
    snd_push16(&cpu, 0xC222);
    uint64_t ran = snd_ran[SND_COUNTER_SEQ_COMMANDS];
    EXPECT_EQ(snd_return_from_driver_call(&cpu), 1);
    EXPECT_EQ(cpu.pc, 0xC222);
    EXPECT_EQ(snd_ran[SND_COUNTER_SEQ_COMMANDS], ran + 1);
    EXPECT_EQ(cpu.cycles, 100u + 7 + 8);
}

TEST_F(NativeTest, FlagOperations) {
    const uint16_t C = m377_flag_c, Z = m377_flag_z, V = m377_flag_v, N = m377_flag_n;
    const struct {
        bool wide;
        uint32_t a, b;
        uint16_t carry_in;
        uint32_t result;
        uint16_t flags;
    } adds[] = {
        {false, 0x7F, 0x01, 0, 0x80, N | V},
        {false, 0xFF, 0x01, 0, 0x00, C | Z},
        {false, 0x10, 0x20, C, 0x31, 0},
        {true, 0x7FFF, 0x0001, 0, 0x8000, N | V},
        {true, 0xFFFF, 0x0000, C, 0x0000, C | Z},
        {true, 0x8000, 0x8000, 0, 0x0000, C | Z | V},
    };
    for (const auto& c : adds) {
        cpu.ps = c.carry_in;
        uint32_t r = c.wide ? snd_adc16(&cpu, c.a, c.b) : snd_adc8(&cpu, c.a, c.b);
        EXPECT_EQ(r, c.result) << std::hex << c.a << "+" << c.b;
        EXPECT_EQ(cpu.ps & (C | Z | V | N), c.flags) << std::hex << c.a << "+" << c.b;
    }
    cpu.ps = V;
    snd_compare(&cpu, 0x10, 0x20, false);
    EXPECT_EQ(cpu.ps, V | N);
    snd_compare(&cpu, 0x8000, 0x8000, true);
    EXPECT_EQ(cpu.ps, V | C | Z);
    cpu.a = 0x1234;
    snd_lda8(&cpu, 0x80);
    EXPECT_EQ(cpu.a, 0x1280);
    EXPECT_EQ(cpu.ps & (Z | N), N);
    snd_set_nz(&cpu, 0x100, false);
    EXPECT_EQ(cpu.ps & (Z | N), Z);
    snd_set_nz(&cpu, 0x100, true);
    EXPECT_EQ(cpu.ps & (Z | N), 0);
}

TEST_F(NativeTest, BailHandsTheRestToTheEmulatedCode) {
    cpu.pg = 0;
    cpu.pc = 0xD9D0;
    uint64_t declined = snd_declined[17];
    EXPECT_EQ(snd_bail(&cpu, 0xE18D, 17), 1);
    EXPECT_EQ(cpu.pc, 0xE18D);
    EXPECT_EQ(snd_declined[17], declined + 1);
    EXPECT_EQ(snd_count_declined(5), 0);
    EXPECT_EQ(snd_count_ran(5), 1);
    EXPECT_EQ(snd_count_ran(99), 1) << "an index out of range counts nothing";
}

TEST_F(NativeTest, StatisticsTable) {
    snd_ran[SND_WINDOW_DENIED] = 3;
    snd_ran[0] = 12;
    snd_declined[0] = 4;
    uint64_t runs[64];
    memcpy(runs, snd_seq_command_runs, sizeof runs);
    memset(snd_seq_command_runs, 0, sizeof snd_seq_command_runs);
    snd_seq_command_runs[0x05] = 7;
    testing::internal::CaptureStderr();
    snd_stats_print();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.substr(0, err.find('\n') + 1),
              "[SND] readable routines (ran / declined), atomic window denied 3 times:\n");
    EXPECT_NE(err.find("[SND]   voice_volume_from_channel 0xE97E             12 / 4\n"), std::string::npos) << err;
    EXPECT_NE(err.find("[SND]   pan script 0xECD4/0xED7B/0xED8B (untimed) "), std::string::npos) << err;
    EXPECT_NE(err.find("[SND] sequencer commands run: 05:7\n"), std::string::npos) << err;
    memcpy(snd_seq_command_runs, runs, sizeof runs);
}

}  // namespace
