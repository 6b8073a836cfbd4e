// The sound-board diagnostics: the state hash and its listing, the slot watch, the
// mailbox and MCU logs, the chip window's register log, chip trace, key-on and voice
// lines, and the share dumps. Each is driven through the frame hooks and the chip window
// with the shared RAM, internal RAM and work RAM set by hand.
#include "sound/sound_diagnostics.h"

#include "board/display_list.h"
#include "board/game_state_ram.h"
#include "board/sprite_records.h"
#include "board/wram_cell.h"
#include "sound/chip_ring.h"
#include "sound/chip_window_log.h"
#include "sound/sound_state_hash.h"
#include "tests/sound/sound_board_fixture.h"
#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const diag_switches[] = {"SKYVOLTA_MCULOG",   "SKYVOLTA_SNDLOG",   "SKYVOLTA_SHAREDUMP",
                                     "SKYVOLTA_SLOTWATCH", "SKYVOLTA_MBOXLOG",  "SKYVOLTA_SNDSTATE",
                                     "SKYVOLTA_MCUVOICE",  "SKYVOLTA_Q904LOG",  "SKYVOLTA_CHIPTRACE"};

std::string text_of(const std::string& path) {
    std::vector<uint8_t> bytes = file_read(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct DiagTest : SoundBoardTest {
    std::string dir;
    std::vector<uint8_t> wave = std::vector<uint8_t>(0x10000);

    void SetUp() override {
        SoundBoardTest::SetUp();
        dir = temp_dir_make("diag");
        clear_switches();
    }
    void TearDown() override {
        clear_switches();
        diag_logs_close();
        chip_present.store(false);
        chip_clock = {};
        for (uint32_t x : {W_GAME_STATE, W_GAME_SUB_STATE, W_FRAME_TICK, W_ATTRACT_PHASE}) w_cell_set(x, 0);
        memset(mcu_iram, 0, sizeof mcu_iram);
        host_frame = 0;
        temp_dir_remove(dir);
        SoundBoardTest::TearDown();
    }
    void clear_switches() {
        for (const char* name : diag_switches) unsetenv(name);
        sound_diag_switches_read();
    }
    // A driver that only waits, started with the switches as they are now set.
    void start_board() {
        put(0xC030, "wai\n");
        start();
    }
    void with_chip() {
        q904_init(&q904, wave.data(), int32_t(wave.size()));
        chip_present.store(true);
        chip_clock = {};
    }
    void game_state(long state, long sub) {
        w_cell_set(W_GAME_STATE, int32_t(state));
        w_cell_set(W_GAME_SUB_STATE, int32_t(sub));
    }
    void game_word(uint32_t offset, uint16_t value) {
        commsram[offset] = uint8_t(value >> 8);
        commsram[offset + 1] = uint8_t(value);
    }
    // A 16-bit register store as the driver makes it: low byte, then high byte.
    void chip_store(uint32_t reg, uint16_t value) {
        mcu_bus_write(nullptr, 0x2000 + 2 * reg, uint8_t(value));
        mcu_bus_write(nullptr, 0x2001 + 2 * reg, uint8_t(value >> 8));
    }
    void frame_hooks() {
        sound_diag_before_run();
        sound_state_hash_frame();
        sound_diag_after_run();
    }
};

// basis x prime^n modulo 2^64: the hash of n zero bytes.
uint64_t zero_bytes_hash(uint64_t n) {
    uint64_t h = 0x14650FB0739D0383ull, p = 0x100000001B3ull;
    for (; n; n >>= 1, p *= p)
        if (n & 1) h *= p;
    return h;
}

TEST_F(DiagTest, WithEverySwitchUnsetNothingIsOpenedOrPrinted) {
    synth_sound_driver_image(sound_driver_rom);
    with_chip();
    testing::internal::CaptureStdout();
    mcu_driver_start();
    testing::internal::GetCapturedStdout();
    game_state(3, 3);
    game_word(0, 0x4000);  // the synthetic driver keys voice 0 on
    game_word(0x100, 0x3000);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (host_frame = 0; host_frame <= 360; host_frame++) mcu_run_frame();
    std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_GT(chip_writes.voice, 5u) << "the driver did write the chip";
    EXPECT_TRUE(chip_read(Q904_REG_FLAGS) & VF_BUSY);
    for (int k = 0; k < DIAG_LOG_COUNT; k++) EXPECT_EQ(diag_log(diag_log_file(k)), nullptr) << k;
}

TEST_F(DiagTest, StateHashCoversInternalRamButTheGapAndAllOfCommsram) {
    memset(commsram, 0, sizeof commsram);
    memset(mcu_iram, 0, sizeof mcu_iram);
    const uint64_t zero = zero_bytes_hash(0x380 - 0x40 + 0x8000);
    EXPECT_EQ(sound_state_hash(), zero);
    const struct {
        bool internal;
        uint32_t address;  // MCU address for internal RAM, offset for commsram
        bool changes;
    } cases[] = {
        {true, 0x250, false}, {true, 0x240, false}, {true, 0x27F, false}, {true, 0x23F, true},
        {true, 0x280, true},  {true, 0x080, true},  {true, 0x3FF, true},  {false, 0x0000, true},
        {false, 0x7FFF, true},
    };
    for (const auto& c : cases) {
        uint8_t& byte = c.internal ? mcu_iram[c.address - MCU_IRAM_FIRST] : commsram[c.address];
        byte = 0x5A;
        EXPECT_EQ(sound_state_hash() != zero, c.changes) << c.internal << " " << std::hex << c.address;
        byte = 0;
    }
    // Stored order: swapping two commsram bytes changes the hash.
    commsram[0] = 1;
    uint64_t one_way = sound_state_hash();
    commsram[0] = 0, commsram[1] = 1;
    EXPECT_NE(sound_state_hash(), one_way);
    commsram[1] = 0;
}

TEST_F(DiagTest, StateFileHashesEveryFrameAndListsOnlyTheNamedFrame) {
    const struct {
        std::string value_tail;  // after the path
        bool listed;
    } cases[] = {{"", false}, {":6", true}, {":abc", false}, {":", false}, {":6x", false}, {":-6", false}};
    for (const auto& c : cases) {
        std::string path = dir + "/st.txt";
        setenv("SKYVOLTA_SNDSTATE", (path + c.value_tail).c_str(), 1);
        start_board();
        memset(commsram, 0, sizeof commsram);
        memset(mcu_iram, 0, sizeof mcu_iram);
        mcu_iram[0] = 0x11;
        commsram[1] = 0x22;       // the CPU sees it at 0x4000
        commsram[0x7FFE] = 0x33;  // and this one at 0xBFFF
        for (host_frame = 5; host_frame <= 8; host_frame++) frame_hooks();
        diag_logs_close();
        std::vector<std::string> lines = lines_of(text_of(path));
        size_t listing = c.listed ? 0x380 + 0x8000 : 0;
        ASSERT_EQ(lines.size(), 4 + listing) << c.value_tail;
        char h[40];
        snprintf(h, sizeof h, "%016llx", (unsigned long long)sound_state_hash());
        EXPECT_EQ(lines[0], std::string("H 5 ") + h);
        EXPECT_EQ(lines[1], std::string("H 6 ") + h) << "the same state gives the same hash every frame";
        EXPECT_EQ(lines.back(), std::string("H 8 ") + h);
        if (!c.listed) continue;
        EXPECT_EQ(lines[2], "B 0080 11");
        EXPECT_EQ(lines[2 + 0x37F], "B 03FF 00");
        EXPECT_EQ(lines[2 + 0x380], "B 4000 22");
        EXPECT_EQ(lines[2 + 0x380 + 0x7FFF], "B BFFF 33");
        EXPECT_EQ(lines[2 + listing], std::string("H 7 ") + h);
    }
}

// SLOTWATCH's value against the slots watched: 0-3 always, the fifth 27 unless a number
// from 4 to 16,383 replaces it.
TEST_F(DiagTest, SlotWatchReportsTheGameAndTheDriverSide) {
    const struct {
        const char* value;
        std::vector<int> watched;
    } cases[] = {
        {"5", {0, 1, 2, 3, 5}},          {"1", {0, 1, 2, 3, 27}},     {"16383", {0, 1, 2, 3, 16383}},
        {"16384", {0, 1, 2, 3, 27}},     {"yes", {0, 1, 2, 3, 27}},   {"0", {}},
        {nullptr, {}},
    };
    const int candidates[] = {0, 1, 2, 3, 4, 5, 26, 27, 28, 16383};
    for (const auto& c : cases) {
        if (c.value) setenv("SKYVOLTA_SLOTWATCH", c.value, 1);
        else unsetenv("SKYVOLTA_SLOTWATCH");
        start_board();
        memset(commsram, 0, sizeof commsram);
        game_word(2 * 5, 0x1111);  // there before the first run: recorded, not reported
        host_frame = 100;
        game_state(3, 5);
        testing::internal::CaptureStderr();
        frame_hooks();
        for (int slot : candidates) game_word(2 * uint32_t(slot), uint16_t(0x4000 + slot));  // the game's commands
        sound_diag_before_run();
        for (int slot : candidates) game_word(2 * uint32_t(slot), uint16_t(0x8000 + slot));  // the driver's answers
        sound_diag_after_run();
        std::string err = testing::internal::GetCapturedStderr();
        std::string expected;
        for (const char* side : {"68K", "MCU"}) {
            for (int slot : c.watched) {
                char line[120];
                uint16_t old = side[0] == '6' ? (slot == 5 ? 0x1111 : 0) : uint16_t(0x4000 + slot);
                uint16_t now = side[0] == '6' ? uint16_t(0x4000 + slot) : uint16_t(0x8000 + slot);
                snprintf(line, sizeof line, "[SLOT] f100    st=3/5  %s slot %d  %04X -> %04X\n", side, slot, old, now);
                expected += line;
            }
        }
        EXPECT_EQ(err, expected) << (c.value ? c.value : "unset");
        if (c.value && std::string(c.value) == "5") {
            EXPECT_NE(err.find("[SLOT] f100    st=3/5  68K slot 5  1111 -> 4005\n"
                               "[SLOT] f100    st=3/5  MCU slot 0  4000 -> 8000\n"),
                      std::string::npos)
                << err;
        }
    }
}

TEST_F(DiagTest, MailboxLogListsChangedWordsOfTheFirst64Bytes) {
    std::string path = dir + "/mbox.log";
    setenv("SKYVOLTA_MBOXLOG", path.c_str(), 1);
    start_board();
    memset(commsram, 0, sizeof commsram);
    w_cell_set(W_FRAME_TICK, 77);
    w_cell_set(W_ATTRACT_PHASE, 2);
    game_state(1, 0);
    frame_hooks();  // nothing changed yet
    game_word(0, 0x4001);
    commsram[0x3F] = 0x07;    // the last word inside
    commsram[0x40] = 0xFF;    // the first word outside
    commsram[0x100] = 0x12;   // a parameter word
    frame_hooks();
    frame_hooks();  // the same words again: no lines
    EXPECT_EQ(text_of(path), "MBOX off=0 val=4001 fc=77 st=1 ph=2\n"
                             "MBOX off=3e val=0007 fc=77 st=1 ph=2\n")
        << "flushed every frame";
}

TEST_F(DiagTest, McuLogListsTheGamesBytesCountStartAndTheSixtyFrameLine) {
    mcu_log_enabled = true;
    start_board();
    memset(commsram, 0, sizeof commsram);
    game_state(3, 3);
    for (uint32_t i = 0; i < 15; i++) commsram[0x200 + 3 * i] = uint8_t(0x10 + i);
    host_frame = 59;
    testing::internal::CaptureStderr();
    sound_diag_before_run();
    sound_diag_after_run();
    std::string err = testing::internal::GetCapturedStderr();
    std::vector<std::string> lines = lines_of(err);
    ASSERT_EQ(lines.size(), 14u) << err;
    EXPECT_EQ(lines[0], "[MCU]   68K wrote commsram[0200] 00 -> 10");
    EXPECT_EQ(lines[11], "[MCU]   68K wrote commsram[0221] 00 -> 1B") << "the first 12 bytes";
    EXPECT_EQ(lines[12], "[MCU]   (15 bytes changed by the 68K this frame)");
    EXPECT_EQ(lines[13], "[MCU] f59  count-start FF -> 00  (pc=C030)");

    // Frame 60: two control and three voice writes and four interrupts in this frame.
    host_frame = 60;
    cpu.pc = 0xC0DE;
    cpu.irq_count += 4;
    chip_store(Q904_REG_CONTROL, 1);
    chip_store(Q904_REG_KEY_SWEEP, 0);
    chip_store(0, 1), chip_store(1, 1), chip_store(35, 1);
    mcu_bus_write(nullptr, 0x2010, 5);  // a low byte alone commits nothing
    cpu.sfr[0x40] = 0x05;
    cpu.sfr[0x5B] = 0x12, cpu.sfr[0x50] = 0x34, cpu.sfr[0x51] = 0x12;
    mcu_iram[0x82 - MCU_IRAM_FIRST] = 0xAB, mcu_iram[0x83 - MCU_IRAM_FIRST] = 0xCD;
    testing::internal::CaptureStderr();
    sound_diag_before_run();
    sound_diag_after_run();
    // Frame 61 writes more; frame 120 shows only its own (none).
    host_frame = 61;
    chip_store(2, 7);
    cpu.irq_count += 1;
    sound_diag_before_run();
    sound_diag_after_run();
    host_frame = 120;
    sound_diag_before_run();
    sound_diag_after_run();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[MCU] f60  count-start 00 -> 05  (pc=C0DE)\n"
              "[MCU] f60    st=3/3  +2 ctrl +3 voice  +4 irq  cnt_start=05  $82=AB $83=CD  B0mode=12 B0reload=1234\n"
              "[MCU] f120   st=3/3  +0 ctrl +0 voice  +0 irq  cnt_start=05  $82=AB $83=CD  B0mode=12 B0reload=1234\n");
}

TEST_F(DiagTest, RegisterLogHasOneLinePerByteWritten) {
    std::string path = dir + "/q904.log";
    setenv("SKYVOLTA_Q904LOG", path.c_str(), 1);
    start_board();
    const struct {
        uint64_t cycles;
        uint32_t address;
        uint8_t byte;
    } writes[] = {
        {16384000, 0x2004, 0x34}, {16384001, 0x2005, 0x12},  // 0x1234 to register 2
        {32768000, 0x2401, 0x80}, {8192000, 0x2FFE, 0x01},
    };
    for (const auto& w : writes) {
        cpu.cycles = w.cycles;
        mcu_bus_write(nullptr, w.address, w.byte);
    }
    diag_logs_close();
    EXPECT_EQ(text_of(path), "# ours: time = MCU cycles / 16384000\n"
                             "1.000000000 4 34 ff\n"
                             "1.000000061 4 1200 ff00\n"
                             "2.000000000 400 8000 ff00\n"
                             "0.500000000 ffe 1 ff\n");
}

TEST_F(DiagTest, ChipTraceSnapshotsKeyOnsBeforeTheSweepAndLogsEveryFrame) {
    std::string path = dir + "/trace.log";
    setenv("SKYVOLTA_CHIPTRACE", path.c_str(), 1);
    with_chip();
    start_board();
    host_frame = 42;
    const uint16_t regs3[8] = {0xFF80, 0x0000, 0x1234, VF_KEY_ON | VF_LOOP, 0x0001, 0x0100, 0x01FF, 0x0180};
    for (uint32_t r = 0; r < 8; r++) chip_store(8 * 3 + r, regs3[r]);
    chip_store(8 * 5 + Q904_REG_FLAGS, VF_LOOP);  // no key-on request: no snapshot
    chip_store(8 * 31 + Q904_REG_FLAGS, VF_KEY_ON);
    chip_store(Q904_REG_CONTROL, 0x0A0B);
    chip_store(Q904_REG_KEY_SWEEP, 0);
    EXPECT_EQ(chip_read(8 * 3 + Q904_REG_FLAGS), VF_BUSY | VF_LOOP) << "the chip did key the voice on";
    host_frame = 43;
    sound_diag_after_run();
    diag_logs_close();
    std::vector<std::string> lines = lines_of(text_of(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "K 42 v3 FF80 0000 1234 4002 0001 0100 01FF 0180");
    EXPECT_EQ(lines[1], "K 42 v31 0000 0000 0000 4000 0000 0000 0000 0000");
    std::vector<std::string> fields;
    std::istringstream in(lines[2]);
    for (std::string f; in >> f;) fields.push_back(f);
    ASSERT_EQ(fields.size(), 2u + 256 + 2);
    EXPECT_EQ(fields[0], "F");
    EXPECT_EQ(fields[1], "43");
    for (uint32_t r = 0; r < 8; r++) EXPECT_EQ(fields[2 + 24 + r], lines[0].substr(8 + 5 * r, 4));
    EXPECT_EQ(fields[2 + 8 * 5 + 3], "0002");
    EXPECT_EQ(fields[2 + 256], "|");
    EXPECT_EQ(fields[2 + 257], "0A0B");
    EXPECT_EQ(lines[2].substr(0, 10), "F 43 0000 ");
}

TEST_F(DiagTest, KeyOnAndVoiceLines) {
    setenv("SKYVOLTA_MCUVOICE", "3", 1);
    for (bool sound_log : {true, false}) {
        sound_log_enabled = sound_log;
        start_board();
        host_frame = 7;
        cpu.pc = 0xC0DE;
        testing::internal::CaptureStderr();
        chip_store(8 * 3 + Q904_REG_VOL_F, 0x8040);
        chip_store(8 * 3 + Q904_REG_FREQ, 0x2000);
        chip_store(8 * 3 + Q904_REG_BANK, 0x0002);
        chip_store(8 * 3 + Q904_REG_START, 0x0010);
        chip_store(8 * 3 + Q904_REG_END, 0x0020);
        chip_store(8 * 3 + Q904_REG_FLAGS, VF_KEY_ON);
        chip_store(8 * 4 + Q904_REG_FLAGS, VF_KEY_ON | VF_LOOP);
        chip_store(8 * 4 + Q904_REG_FLAGS, VF_LOOP);  // no request: no line
        std::string keyons = sound_log ? "[KEYON ] f7      voice 3   bank=02 start=0010 end=0020  vol=8040 freq=2000\n"
                                       : "";
        std::string keyon4 = sound_log ? "[KEYON ] f7      voice 4   bank=00 start=0000 end=0000  vol=0000 freq=0000\n"
                                       : "";
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "[VOICE03] vol_f  = 8040   pc=C0DE\n"
                  "[VOICE03] freq   = 2000   pc=C0DE\n"
                  "[VOICE03] bank   = 0002   pc=C0DE\n"
                  "[VOICE03] start  = 0010   pc=C0DE\n"
                  "[VOICE03] end    = 0020   pc=C0DE\n" +
                      keyons + "[VOICE03] flags  = 4000   pc=C0DE\n" + keyon4)
            << sound_log;
    }
}

TEST_F(DiagTest, ShareDumpsAtTheFirstRaceFrameAndThreeHundredFramesLater) {
    for (bool race_goes_on : {true, false}) {
        std::string prefix = dir + (race_goes_on ? "/on" : "/off");
        setenv("SKYVOLTA_SHAREDUMP", prefix.c_str(), 1);
        sound_diag_switches_read();
        with_chip();
        start_board();
        for (uint32_t i = 0; i < sizeof commsram; i++) commsram[i] = uint8_t(i * 7 + (i >> 8));
        chip_write(8 * 2 + Q904_REG_FREQ, 0xBEEF);
        chip_write(8 * 31 + Q904_REG_LOOP, 0x1234);
        game_state(3, 2);
        testing::internal::CaptureStderr();
        for (host_frame = 1000; host_frame < 1010; host_frame++) sound_diag_after_run();  // not racing yet
        game_state(3, 3);
        for (host_frame = 1010; host_frame < 1310; host_frame++) sound_diag_after_run();
        if (!race_goes_on) game_state(3, 6);
        for (host_frame = 1310; host_frame <= 1320; host_frame++) {
            sound_diag_after_run();
            game_state(3, 3);  // back in the race, but past frame 1310
        }
        std::string err = testing::internal::GetCapturedStderr();
        std::string expected = "[MCU] wrote " + prefix + "_play_q904.txt\n";
        if (race_goes_on) expected += "[MCU] wrote " + prefix + "_play300_q904.txt\n";
        EXPECT_EQ(err, expected);
        std::vector<uint8_t> bin = file_read(prefix + "_play.bin");
        ASSERT_EQ(bin.size(), sizeof commsram);
        for (uint32_t i = 0; i < sizeof commsram; i++) ASSERT_EQ(bin[i], commsram[i ^ 1]) << i;
        std::vector<std::string> text = lines_of(text_of(prefix + "_play_q904.txt"));
        ASSERT_EQ(text.size(), 32u);
        EXPECT_EQ(text[0], "v00 0000 0000 0000 0000 0000 0000 0000 0000");
        EXPECT_EQ(text[2], "v02 0000 0000 BEEF 0000 0000 0000 0000 0000");
        EXPECT_EQ(text[31], "v31 0000 0000 0000 0000 0000 0000 0000 1234");
        EXPECT_EQ(file_size(prefix + "_play300.bin"), race_goes_on ? long(sizeof commsram) : -1);
        EXPECT_EQ(file_size(prefix + "_play300_q904.txt"), race_goes_on ? file_size(prefix + "_play_q904.txt") : -1);
    }
}

TEST_F(DiagTest, ShareDumpsIntoAnUnwritablePlaceOrWithoutAChip) {
    setenv("SKYVOLTA_SHAREDUMP", (dir + "/no/such/dir/sd").c_str(), 1);
    sound_diag_switches_read();
    with_chip();
    start_board();
    game_state(3, 3);
    host_frame = 5;
    testing::internal::CaptureStderr();
    sound_diag_after_run();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing written, nothing reported";
    EXPECT_FALSE(chip_regs_dump((dir + "/no/such/regs.txt").c_str()));

    // Without a chip only the binary file can be written, and the line names it.
    chip_present.store(false);
    testing::internal::CaptureStderr();
    mcu_share_dump((dir + "/nochip").c_str(), "play");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[MCU] wrote " + dir + "/nochip_play.bin\n");
    EXPECT_EQ(file_size(dir + "/nochip_play_q904.txt"), -1);
}

TEST_F(DiagTest, StartUpSwitchesAreReadOnce) {
    setenv("SKYVOLTA_SNDLOG", "", 1);
    setenv("SKYVOLTA_MCULOG", "0", 1);
    setenv("SKYVOLTA_SHAREDUMP", "race", 1);
    sound_diag_switches_read();
    EXPECT_TRUE(sound_log_enabled) << "presence";
    EXPECT_TRUE(mcu_log_enabled) << "presence";
    EXPECT_STREQ(share_dump_prefix, "race");
    unsetenv("SKYVOLTA_SNDLOG");
    EXPECT_TRUE(sound_log_enabled) << "kept until read again";
}

}  // namespace
