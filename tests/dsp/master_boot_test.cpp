// Booting the master DSP: the switch, the program size, the BIOS run and its failures,
// the upload, the end markers of empty lists and the first run to rest.
#include "tests/dsp/master_fixture.h"

#include "dsp/c25_translated.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

using MasterBoot = MasterFixture;

std::vector<uint8_t> dspram_copy() {
    return std::vector<uint8_t>(dspram, dspram + sizeof dspram);
}

TEST_F(MasterBoot, SwitchValues) {
    const struct {
        const char* value;  // null: unset
        bool booted;
    } cases[] = {{nullptr, false}, {"0", false}, {"", false}, {"yes", false}, {"2", true}, {"1", true}};
    for (const auto& c : cases) {
        if (c.value) setenv("SKYVOLTA_MASTER", c.value, 1);
        else unsetenv("SKYVOLTA_MASTER");
        EXPECT_EQ(boot(), c.booted) << (c.value ? c.value : "unset");
        EXPECT_EQ(master_active(), c.booted);
        if (!c.booted) {
            EXPECT_EQ(out + err, "") << (c.value ? c.value : "unset");
        }
        master_release();
    }
}

TEST_F(MasterBoot, BootsToTheDoorbellWait) {
    dsp_word_set(0x100, 0x123456);  // anything the game left in DSP RAM comes back
    std::vector<uint8_t> before = dspram_copy();
    ASSERT_TRUE(boot()) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.rfind("[MASTER] booted: 6443-word program, init ", 0), 0u) << out;
    EXPECT_NE(out.find(" steps, waiting for the doorbell at 404A\n"), std::string::npos) << out;
    EXPECT_TRUE(master_driver.parked);
    EXPECT_EQ(cpu().pc, MASTER_DOORBELL_WAIT);
    EXPECT_EQ(master_output(), nullptr);
    // DSP RAM as before, but for the end markers of the two empty lists.
    std::vector<uint8_t> after = dspram_copy();
    for (uint32_t w : MASTER_LIST_WORDS) {
        EXPECT_EQ(uint32_t(dsp_word(w)), 0xFFFFFFFFu);
        memset(&after[4 * w], 0, 4);
    }
    EXPECT_TRUE(after == before);
    // The uploaded program in program memory, the game stretches translated from it.
    std::vector<uint16_t> words = synth_dsp_program_words(true);
    for (size_t j = 0; j < words.size(); j++) ASSERT_EQ(cpu().prog[0x4000 + j], words[j]) << j;
    EXPECT_EQ(c25_translated_game_counts().addresses, 4368u);
}

TEST_F(MasterBoot, EmptyListsEndAtTheHandOff) {
    const struct {
        uint32_t stored, after;
    } cases[] = {{0, 0xFFFFFFFF}, {0xAB000000, 0xFFFFFFFF}, {0x8000, 0x8000}, {0x00FF0000, 0x00FF0000}};
    for (const auto& c : cases) {
        dsp_word_set(0x4100, int32_t(c.stored));
        dsp_word_set(0x6100, int32_t(c.stored));
        ASSERT_TRUE(boot()) << err;
        EXPECT_EQ(uint32_t(dsp_word(0x4100)), c.after) << std::hex << c.stored;
        EXPECT_EQ(uint32_t(dsp_word(0x6100)), c.after) << std::hex << c.stored;
    }
}

TEST_F(MasterBoot, ProgramSizeLimit) {
    std::vector<uint16_t> words = synth_dsp_program_words(true);
    words.resize(0x4000, 0x1234);
    program(words);
    ASSERT_TRUE(boot()) << err;
    EXPECT_EQ(out.rfind("[MASTER] booted: 16384-word program", 0), 0u) << out;
    EXPECT_EQ(cpu().prog[0x7FFF], 0x1234);
    master_release();

    words.push_back(0x1234);
    program(words);
    std::vector<uint8_t> before = dspram_copy();
    EXPECT_FALSE(boot());
    EXPECT_EQ(err, "[MASTER] bad program size 16385\n");
    EXPECT_EQ(master_driver.dsp, nullptr);
    EXPECT_TRUE(dspram_copy() == before);
}

TEST_F(MasterBoot, PlainProgramIsNamedOnceAndBoots) {
    program(synth_dsp_program_words(false));
    ASSERT_TRUE(boot()) << err;
    EXPECT_EQ(err.rfind("[MASTER] DSP program unlike the translated layout in 12 of 12 stretches; 4008-493D: ", 0), 0u)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_NE(out.find("waiting for the doorbell at 404A"), std::string::npos) << out;
}

// A BIOS in place of ours fails the boot with its message; DSP RAM and the path as before.
TEST_F(MasterBoot, SwappedBiosFails) {
    static std::array<uint16_t, C25_BIOS_WORDS> zeros{}, loop{};
    loop[0] = 0xFF80;  // B 0x0020; there: B 0x0022; there: B 0x0020
    loop[1] = 0x0020;
    loop[0x20] = 0xFF80;
    loop[0x21] = 0x0022;
    loop[0x22] = 0xFF80;
    loop[0x23] = 0x0020;
    const struct {
        const uint16_t* image;
        const char* message;
    } cases[] = {
        {zeros.data(), "[MASTER] BIOS stopped: TRANSLATED C25: no translation for this address at 0008\n"},
        {loop.data(), "[MASTER] BIOS never reached its hand-off\n"},
    };
    dsp_word_set(0x200, 0x5A5A5A);
    std::vector<uint8_t> before = dspram_copy();
    for (const auto& c : cases) {
        c25_bios_swap(c.image);
        EXPECT_FALSE(boot());
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(out, "");
        EXPECT_EQ(master_driver.dsp, nullptr);
        EXPECT_FALSE(master_active());
        EXPECT_TRUE(dspram_copy() == before);
    }
}

// The first run to rest fails: the program's writes and the end markers are undone.
TEST_F(MasterBoot, FailedFirstRunRestoresDspRam) {
    std::vector<uint16_t> words(0x40, C25_NOP);
    const uint16_t start[] = {0xC900, 0xCA05, 0x600A, 0xFF80, 0x4000};  // LDPK 0x100; LACK 5; SACL 10; B 0x4000
    std::copy(std::begin(start), std::end(start), words.begin() + 8);
    program(words);
    std::vector<uint8_t> before = dspram_copy();
    EXPECT_FALSE(boot());
    EXPECT_NE(err.find("[MASTER] stopped after 5 steps: TRANSLATED C25: no translation for this address at 4000\n"),
              std::string::npos)
        << err;
    EXPECT_TRUE(dspram_copy() == before);
    EXPECT_EQ(master_driver.dsp, nullptr);
}

TEST_F(MasterBoot, ProgramThatNeverRestsFails) {
    std::vector<uint16_t> words(0x40, C25_NOP);
    words[8] = 0xFF80;  // B 0x4008
    words[9] = 0x4008;
    program(words);
    EXPECT_FALSE(boot());
    EXPECT_NE(err.find("[MASTER] no IDLE after 3000000 steps (pc 4008)\n"), std::string::npos) << err;
    EXPECT_FALSE(master_active());
}

}  // namespace
