// The sequencer and its commands, readable against emulated.
#include "tests/sound/snd_native_diff.h"

#include <initializer_list>
#include <random>

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;
constexpr uint32_t slot = 3;
constexpr uint32_t track = DRV_TRACKS + DRV_TRACK_SIZE * slot;
constexpr uint32_t channels = DRV_CHANNELS + DRV_CHANNEL_AREA_SIZE * slot;
constexpr uint32_t seq = 0xA000;  // test sequences in the sequence bank
constexpr uint8_t bank = SYNTH_SEQUENCE_BANK;

// The code of a command by its handler's address.
uint8_t code_of(uint32_t handler) {
    for (uint8_t code = 0; code < sizeof SYNTH_SD_HANDLERS / sizeof SYNTH_SD_HANDLERS[0]; code++)
        if (SYNTH_SD_HANDLERS[code] == handler) return code;
    ADD_FAILURE() << "no code for " << std::hex << handler;
    return 0x3F;
}

// The sequencer's and the commands' hook sites.
std::vector<uint32_t> sequence_sites() {
    std::vector<uint32_t> sites = {0xD9D0};
    for (uint16_t handler : SYNTH_SD_HANDLERS)
        if (handler) sites.push_back(handler);
    return sites;
}

struct SequencerTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        fresh();
    }
    // Slot 3 running at driver time 0x1000, its track due, its channels a pattern,
    // parameter words 0x4100 + 2n = 0x0300 + (n XOR 0x80).
    void fresh() {
        load_structured();
        current_slot(slot);
        set_iram16(DRV_TIME, 0x1000);
        synth_driver_slot(commsram, slot, DRV_CMD_RUNNING | 0x21, DRV_SLOT_WORDS + 2 * slot);
        synth_driver_track(commsram, slot, DRV_CMD_RUNNING | 0x21, 0x4100);
        put_word(track + TRK_TIME, 0x1000);
        put_word(track + TRK_SEQUENCE, seq);
        put_byte(track + TRK_BANK, bank);
        for (uint32_t field : {TRK_WAIT, TRK_BYTE_1B, TRK_EXTENDED, TRK_CALL_DEPTH, TRK_LOOP_DEPTH})
            put_byte(track + field, 0);
        put_byte(track + TRK_STEP_A, 8);
        put_byte(track + TRK_STEP_B, 3);
        for (uint32_t k = 0; k < 8; k++) synth_driver_channel(commsram, slot, k, 0xFF, k, 0x7000 + 192 * k, 0);
        for (uint32_t n = 0; n < 128; n++) put_word(DRV_PARAMETERS + 2 * n, 0x0300 | (n ^ 0x80));
    }
    void sequence(uint32_t address, std::initializer_list<uint8_t> bytes) {
        uint32_t at = 0x20000 + address;
        for (uint8_t b : bytes) sound_driver_rom[at++] = b;
    }
    // A command's entry as the sequencer makes it: X = the track, Y after the command
    // byte, DT = the sequence bank, C and V clear.
    void enter_command(uint32_t command_byte, uint32_t mx = mx0) {
        registers(mx, 0x1111, track, seq);
        cpu.dt = bank;
        iram(DRV_COMMAND_BYTE) = uint8_t(command_byte);
    }
    // The sequencer's entry from the mailbox: X = the track, B = the owner's word.
    void enter_sequencer(uint32_t owner_word = DRV_CMD_RUNNING | 0x21) {
        registers(mx0, 0x2222, track, 0x3333, owner_word);
    }
    // Runs `entry` with the routines at `sites` all off, then all on, and compares.
    void differential_all(const std::vector<uint32_t>& sites, uint32_t entry) {
        board_state begin = board_take();
        for (uint32_t site : sites) hook(site, false);
        off_result = run_entry(entry, false);
        off = board_take();
        board_restore(begin);
        for (uint32_t site : sites) hook(site, true);
        on_result = run_entry(entry, false);
        on = board_take();
        for (uint32_t site : sites) hook(site, false);
        expect_same_end();
    }
    // The routine called directly, from a driver call's frame: its PC afterwards.
    uint32_t direct_pc(snd_routine routine) {
        m377_push16(&cpu, 0xBEEF);
        EXPECT_EQ(routine(&cpu), 1);
        return cpu.pc;
    }
};

TEST_F(SequencerTest, AStepRunsCommandsUntilAWaitByteAndSchedulesTheNext) {
    const struct {
        const char* what;
        std::initializer_list<uint8_t> bytes;
        uint32_t wait, next_read;
    } cases[] = {
        {"a wait byte 0x80: one step length, no wait count", {0x80}, 0, seq + 1},
        {"two commands, then a wait of 5", {code_of(0xDB8D), 0x07, code_of(0xDB8D), 0x09, 0x85}, 5, seq + 5},
        {"a command of no operands", {0x19, 0x81}, 1, seq + 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, c.bytes);
        enter_sequencer();
        differential(0xD9D0, SND_COUNTER_SEQUENCER, 0xD9D0);
        EXPECT_EQ(comms8(track + TRK_WAIT), c.wait);
        EXPECT_EQ(comms16(track + TRK_SEQUENCE), c.next_read);
        EXPECT_EQ(comms16(track + TRK_TIME), 0x1000u + 8 * 3);
        EXPECT_EQ(cpu.dt, 0);
    }
    // Commands readable too.
    fresh();
    sequence(seq, {code_of(0xDB8D), 0x07, 0x19, code_of(0xDB8D), 0x09, 0x85});
    enter_sequencer();
    differential_all(sequence_sites(), 0xD9D0);
    EXPECT_EQ(comms16(track + TRK_LEVEL_SOURCE), DRV_PARAMETERS + 2 * 9);
    EXPECT_GT(snd_seq_command_runs[0x19], 0u);
}

TEST_F(SequencerTest, AStepWaitsStopsOrLeavesTheTrackToTheEmulatedCode) {
    const struct {
        const char* what;
        uint32_t owner_word, time, wait, byte_1b, extended, continuation;
    } cases[] = {
        {"owner stopped: the track stops", 0x0021, 0x1000, 0, 0, 0, DRV_STOP_TRACK},
        {"not yet due", DRV_CMD_RUNNING, 0x1001, 0, 0, 0, 0},
        {"waiting: one step less", DRV_CMD_RUNNING, 0x0FC0, 4, 0, 0, 0},
        {"+0x1B set", DRV_CMD_RUNNING, 0x1000, 0, 1, 0, 0xDA92},
        {"+0x0D set", DRV_CMD_RUNNING, 0x1000, 0, 0, 1, 0xDA2E},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, {0x83});
        put_word(track + TRK_TIME, c.time);
        put_byte(track + TRK_WAIT, c.wait);
        put_byte(track + TRK_BYTE_1B, c.byte_1b);
        put_byte(track + TRK_EXTENDED, c.extended);
        enter_sequencer(c.owner_word);
        if (c.continuation) {
            declines(0xD9D0, SND_COUNTER_SEQUENCER, 0xD9D0);
            fresh();
            sequence(seq, {0x83});
            put_word(track + TRK_TIME, c.time);
            put_byte(track + TRK_BYTE_1B, c.byte_1b);
            put_byte(track + TRK_EXTENDED, c.extended);
            enter_sequencer(c.owner_word);
            EXPECT_EQ(direct_pc(sequencer), c.continuation);
            continue;
        }
        differential(0xD9D0, SND_COUNTER_SEQUENCER, 0xD9D0);
        if (c.wait) {
            EXPECT_EQ(comms8(track + TRK_WAIT), c.wait - 1);
            EXPECT_EQ(comms16(track + TRK_TIME), c.time + 24);
        } else {
            EXPECT_EQ(comms16(track + TRK_TIME), c.time) << "untouched";
        }
    }
}

TEST_F(SequencerTest, CommandsStoreTheirOperands) {
    const uint8_t mask_cmd = code_of(0xDAF0);
    const struct {
        const char* what;
        uint32_t handler, command_byte;
        std::initializer_list<uint8_t> operands;
        uint32_t next, address, width, expected;
    } cases[] = {
        {"poke", 0xDAAF, 0, {0x90, 0x00, 0x34, 0x12}, 4, 0x90, 2, 0x1234},
        {"track field", 0xDB5C, 0x02, {0x07, 0x42}, 2, track + 0x07, 1, 0x42},
        {"track field from a parameter", 0xDB5C, 0x02, {0x87, 0x05}, 2, track + 0x07, 1, 0x85},
        {"track field, level source own", 0xDB63, 0x03, {0x09, 0x11}, 2, track + TRK_LEVEL_SOURCE, 2, track + 6},
        {"track field, +0x0C cleared", 0xDB9D, 0x06, {0x08, 0x11}, 2, track + TRK_WORD_0C, 2, 0},
        {"level source a parameter", 0xDB8D, 0x05, {0x10}, 1, track + TRK_LEVEL_SOURCE, 2, 0x4120},
        {"start a child", 0xDBF0, 0x07, {9, 0x34, 0x82}, 3, DRV_SLOT_WORDS + 18, 2, 0x4A34},
        {"child's link", 0xDBF0, 0x07, {9, 0x34, 0x82}, 3, DRV_SLOT_WORDS + 18 + 0x40, 2, DRV_SLOT_WORDS + 6},
        {"instrument word", 0xDC4A, 0x08, {2, 0x01, 0xA0, 0x11, 0x22, 0x33, 0x44}, 7, 0x9020, 2, 0x2211},
        {"instrument bytes", 0xDC4A, 0x08, {2, 0x01, 0xA0, 0x11, 0x22, 0x33, 0x44}, 7, 0x9022, 2, 0x3300},
        {"instrument last byte", 0xDC4A, 0x08, {2, 0x01, 0xA0, 0x11, 0x22, 0x33, 0x44}, 7, 0x9030, 1, 0x44},
        {"message", 0xE143, 0x10, {0x41, 0x42, 0x80, 0x43}, 3, DRV_MESSAGE + 1, 2, 0x8042},
        {"message count", 0xE143, 0x10, {0x00}, 1, DRV_MESSAGE_COUNT, 1, 1},
        {"channel fields, one each", 0xDAF0, mask_cmd, {0xA0, 0x05, 0x11, 0x22}, 4, channels + 32 * 2 + 5, 1, 0x22},
        {"channel fields, shared", 0xDAF0, 0x40u | mask_cmd, {0x21, 0x05, 0x33}, 3, channels + 32 * 7 + 5, 1, 0x33},
        {"channel fields, parameters", 0xDAF0, mask_cmd, {0x80, 0x85, 0x10}, 3, channels + 5, 1, 0x90},
        {"channel fields, 127 above", 0xDB6D, 0x04, {0x80, 0x02, 0x10}, 3, channels + 0x0D, 1, 127},
        {"channel fields, 125 above", 0xDC83, 0x09, {0x40, 0x02, 0x10}, 3, channels + 32 + 0x0D, 1, 125},
        {"channel fields, 126 above", 0xE3A3, 0x57, {0x01, 0x02, 0x10}, 3, channels + 7 * 32 + 0x0D, 1, 126},
        {"channel fields, bit 15", 0xE38A, 0x16, {0x80, 0x04, 0x10}, 3, channels + 0x00, 2, 0xB130},
        {"second values, one each", 0xDD01, 0x0B, {0x80, 0x04, 0x11, 0x05}, 4, channels + 4, 2, 0x8511},
        {"second values, shared", 0xDD01, 0x4B, {0x81, 0x04, 0x11, 0x06}, 4, channels + 7 * 32 + 4, 2, 0x8611},
        {"0x80 above", 0xDC90, 0x0A, {0x40, 0x04, 0x12}, 3, channels + 32 + 4, 2, 0x8012},
        {"a shared parameter word", 0xDC90, 0x4A, {0x80, 0x84, 0x10}, 3, channels + 4, 2, 0x8390},
        {"a voice assigned: claimed", 0xE342, 0x15, {0x20, 0x00, 0x09}, 3, DRV_CLAIMS + 32 * 2 + slot, 1, 9},
        {"a voice assigned: taken", 0xE342, 0x15, {0x20, 0x00, 0x09}, 3, DRV_OWNERS + 2 * 2, 2, channels + 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, c.operands);
        enter_command(c.command_byte);
        differential(c.handler, SND_COUNTER_SEQ_COMMANDS, c.handler);
        EXPECT_EQ(cpu.y, seq + c.next);
        uint32_t value = c.address < 0x100 ? iram16(c.address) : comms16(c.address);
        if (c.width == 1) value &= 0xFF;
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(cpu.x, track);
    }
    // Commands need 16-bit registers.
    fresh();
    sequence(seq, {0x90, 0x00, 0x34, 0x12});
    uint64_t declined = snd_declined[SND_COUNTER_SEQ_COMMANDS];
    for (uint32_t mx : {mx2, uint32_t(m377_mx_x)}) {
        enter_command(0, mx);
        EXPECT_EQ(seq_cmd_daaf(&cpu), 0);
    }
    EXPECT_EQ(snd_declined[SND_COUNTER_SEQ_COMMANDS], declined + 2);
    EXPECT_EQ(iram16(0x90), 0u);
}

TEST_F(SequencerTest, FlowCommandsMoveTheReadAddress) {
    const struct {
        const char* what;
        uint32_t handler;
        std::initializer_list<uint8_t> operands;
        uint32_t call_depth, loop_depth, next, next_bank;
    } cases[] = {
        {"jump", 0xE277, {0x00, 0xB0, 0x23}, 0, 0, 0xB000, 0x23},
        {"call", 0xE157, {0x00, 0xB0, 0x23}, 0, 0, 0xB000, 0x23},
        {"return", 0xE185, {}, 1, 0, 0xC123, 0x24},
        {"repeat: the loop opens", 0xE286, {2, 0x00, 0xB0, 0x23}, 0, 0, 0xB000, 0x23},
        {"repeat: again", 0xE286, {2, 0x00, 0xB0, 0x23}, 0, 1, 0xB000, 0x23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, c.operands);
        put_byte(track + TRK_CALL_DEPTH, c.call_depth);
        put_word(track + TRK_CALLS, 0xC123);
        put_byte(track + TRK_CALLS + 2, 0x24);
        put_byte(track + TRK_LOOP_DEPTH, c.loop_depth);
        put_byte(track + TRK_LOOPS, 5);
        put_byte(track + TRK_LOOPS + 1, bank);
        put_word(track + TRK_LOOPS + 2, seq);
        enter_command(0);
        differential(c.handler, SND_COUNTER_SEQ_COMMANDS, c.handler);
        EXPECT_EQ(cpu.y, c.next);
        EXPECT_EQ(cpu.dt, c.next_bank);
        EXPECT_EQ(comms8(track + TRK_BANK), c.next_bank);
    }
    EXPECT_EQ(comms8(track + TRK_LOOPS), 4) << "one run less";
}

TEST_F(SequencerTest, CallsNestAndReturnAtDepthZeroStopsTheTrack) {
    // call 0xB000 (bank 0x23) / there: call 0xB100 / there: return / return / return.
    sequence(seq, {code_of(0xE157), 0x00, 0xB0, 0x23, code_of(0xE185)});
    sound_driver_rom[0x30000 + 0xB000] = code_of(0xE157);
    sound_driver_rom[0x30000 + 0xB001] = 0x00;
    sound_driver_rom[0x30000 + 0xB002] = 0xB1;
    sound_driver_rom[0x30000 + 0xB003] = 0x22;
    sound_driver_rom[0x30000 + 0xB004] = code_of(0xE185);
    sequence(0xB100, {code_of(0xE185)});
    enter_sequencer();
    differential_all(sequence_sites(), 0xD9D0);
    EXPECT_FALSE(comms16(DRV_SLOT_WORDS + 2 * slot) & DRV_CMD_RUNNING) << "stopped";
    EXPECT_EQ(comms8(track + TRK_CALL_DEPTH), 0);
    EXPECT_EQ(cpu.y, seq + 5) << "after the last return";
    // The return at depth 0 hands over to stop_track with a decline counted.
    fresh();
    sequence(seq, {});
    enter_command(0);
    EXPECT_EQ(direct_pc(seq_cmd_e185), DRV_STOP_TRACK);
    EXPECT_EQ(m377_read16(&cpu, cpu.s + 1), seq) << "Y in place of the return address";
}

TEST_F(SequencerTest, RepeatPlaysItsBodyCountPlusOneTimes) {
    const uint8_t add_one = 0x21;  // add, a byte value
    const struct {
        uint8_t count;
        uint32_t runs;
    } cases[] = {{2, 3}, {1, 2}, {0, 257}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.count));
        fresh();
        put_word(DRV_PARAMETERS + 2 * 7, 0);
        sequence(seq, {code_of(0xDD85), add_one, 7, 1, code_of(0xE286), c.count, uint8_t(seq), uint8_t(seq >> 8), bank,
                       0x81});
        enter_sequencer();
        differential_all(sequence_sites(), 0xD9D0);
        EXPECT_EQ(comms16(DRV_PARAMETERS + 2 * 7), c.runs);
        EXPECT_EQ(comms8(track + TRK_LOOP_DEPTH), 0);
        EXPECT_EQ(comms16(track + TRK_SEQUENCE), seq + 10);
    }
    // Another command's loop on top: left to the emulated code.
    fresh();
    sequence(seq, {2, 0x00, 0xB0, 0x23});
    put_byte(track + TRK_LOOP_DEPTH, 1);
    put_word(track + TRK_LOOPS + 2, seq + 0x40);
    enter_command(0);
    declines(0xE286, SND_COUNTER_SEQ_COMMANDS, 0xE286);
    enter_command(0);
    EXPECT_EQ(direct_pc(seq_cmd_e286), 0xE2BCu);
}

TEST_F(SequencerTest, ArithmeticOnParameterWords) {
    const struct {
        const char* what;
        std::initializer_list<uint8_t> operands;
        uint32_t target_before, random_before, expected, next;
    } cases[] = {
        {"assign a word", {0x30, 7, 0x34, 0x92}, 5, 0, 0x9234, 4},
        {"add a byte", {0x21, 7, 0x10}, 0xFFF8, 0, 0x0008, 3},
        {"subtract a parameter", {0x02, 7, 0x02}, 0x0400, 0, 0x0400 - 0x0382, 3},
        {"remainder", {0x25, 7, 10}, 1234, 0, 4, 3},
        {"remainder by zero", {0x25, 7, 0}, 1234, 0, 0, 3},
        {"remainder of a large number", {0x35, 7, 0x01, 0x90}, 0xFFFF, 0, 0xFFFF % 0x9001, 4},
        {"random from 0x4000", {0x36, 7, 0xFF, 0xFF}, 0, 0x4000, 0x8001, 4},
        {"random remainder", {0x26, 7, 100}, 0, 0x1234, 0x2468 % 100, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, c.operands);
        put_word(DRV_PARAMETERS + 14, c.target_before);
        set_iram16(DRV_RANDOM, c.random_before);
        enter_command(0x0C);
        differential(0xDD85, SND_COUNTER_SEQ_COMMANDS, 0xDD85);
        EXPECT_EQ(comms16(DRV_PARAMETERS + 14), c.expected);
        EXPECT_EQ(cpu.y, seq + c.next);
    }
    EXPECT_EQ(iram16(DRV_RANDOM), 0x2468u);
    const struct {
        const char* what;
        std::initializer_list<uint8_t> operands;
        uint32_t random_before, continuation;  // 0: declined at the hook
    } others[] = {
        {"bit 6", {0x60, 7, 1}, 0, 0},
        {"bit 4 alone", {0x10, 7, 1}, 0, 0},
        {"random by zero", {0x26, 7, 0}, 0x1234, 0},
        {"a zero random state", {0x26, 7, 5}, 0, 0xDE61},
        {"operation 3", {0x23, 7, 5}, 0, SYNTH_OPERATION_CONTINUATION},
    };
    for (const auto& c : others) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, c.operands);
        set_iram16(DRV_RANDOM, c.random_before);
        enter_command(0x0C);
        declines(0xDD85, SND_COUNTER_SEQ_COMMANDS, 0xDD85);
        fresh();
        sequence(seq, c.operands);
        set_iram16(DRV_RANDOM, c.random_before);
        enter_command(0x0C);
        if (!c.continuation) {
            EXPECT_EQ(seq_cmd_dd85(&cpu), 0);
            EXPECT_EQ(iram16(DRV_RANDOM), c.random_before) << "nothing written";
        } else {
            EXPECT_EQ(direct_pc(seq_cmd_dd85), c.continuation);
        }
    }
}

TEST_F(SequencerTest, IfChoosesTheTrueOrFalseAddress) {
    const struct {
        const char* what;
        uint8_t flags, first, second;
        bool taken;
    } cases[] = {
        {"equal immediates", 0xA0, 5, 5, true},
        {"unequal", 0xA0, 5, 6, false},
        {"first >= second", 0xA2, 6, 5, true},
        {"first >= second, parameters", 0x02, 6, 5, true},
        {"first <= second", 0xA3, 6, 5, false},
        {"first <= second, a parameter against a byte", 0x23, 0x05, 0x05, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        sequence(seq, {c.flags, c.first, c.second, 0x00, 0xB0, 0x23, 0x00, 0xC0, 0x24});
        enter_command(0x0D);
        differential(0xDE77, SND_COUNTER_SEQ_COMMANDS, 0xDE77);
        EXPECT_EQ(cpu.y, c.taken ? 0xB000 : 0xC000);
        EXPECT_EQ(cpu.dt, c.taken ? 0x23 : 0x24);
    }
    const struct {
        uint8_t flags;
        uint32_t continuation;
    } others[] = {{0xC0, 0xDF52}, {0x40, 0xDF2B}, {0x90, 0xDF2B}, {0xA1, SYNTH_CONDITION_CONTINUATION}};
    for (const auto& c : others) {
        SCOPED_TRACE(int(c.flags));
        fresh();
        sequence(seq, {c.flags, 1, 2, 0x00, 0xB0, 0x23, 0x00, 0xC0, 0x24});
        enter_command(0x0D);
        declines(0xDE77, SND_COUNTER_SEQ_COMMANDS, 0xDE77);
        enter_command(0x0D);
        EXPECT_EQ(direct_pc(seq_cmd_de77), c.continuation);
    }
}

struct NoteTest : SequencerTest {
    // Channel k: active, voice k, instrument f, ties, following channel w - 1, a level
    // parameter, a delay; voice k's ring written up to `written`.
    void channel(uint32_t k, uint32_t f, uint32_t ties = 0, uint32_t follows = 0, uint32_t level = 0,
                 uint32_t delay = 0, uint32_t written = 3) {
        uint32_t c = channels + 32 * k;
        put_byte(c + CH_INSTRUMENT, f);
        put_byte(c + CH_TIES, ties);
        put_byte(c + CH_FOLLOWS, follows);
        put_byte(c + CH_LEVEL_PARAMETER, level);
        put_byte(c + CH_DELAY, delay);
        put_byte(c + CH_SELECTED, 0);
        synth_driver_voice(commsram, k, 0, written, 0);
    }
    void all_channels() {
        for (uint32_t k = 0; k < 8; k++) channel(k, 0);
        put_byte(track + TRK_EMULATED_NOTES, 0);
    }
    uint32_t event(uint32_t voice, uint32_t index, uint32_t field) {
        return comms16(0x7000 + 192 * voice + VC_EVENTS + VC_EVENT_SIZE * (index & 7) + field);
    }
};

TEST_F(NoteTest, NotesQueueTimedEventsInTheirVoicesRings) {
    const struct {
        const char* what;
        uint32_t command_byte;
        std::initializer_list<uint8_t> operands;
        uint32_t k, f, ties, follows, level, delay, written;
        uint32_t voice, kind_word, instrument, level_source, next;
    } cases[] = {
        {"kind 0 with a key map", 0x0E, {0x80, 0x30}, 0, 1, 0, 0, 0, 0, 3, 0, 0x3000, 0x9070, track + TRK_LEVEL, 2},
        {"kind 1, one note for all", 0x4F, {0x81, 0x22}, 7, 0, 0, 0, 0, 2, 3, 7, 0x2201, channels + 7 * 32,
         track + TRK_LEVEL, 2},
        {"above every bound: the last pair", 0x0E, {0x20, 0x90}, 2, 2, 0, 0, 0, 0, 3, 2, 0x9000, 0x90F0,
         track + TRK_LEVEL, 2},
        {"a ninth pending event overwrites the oldest", 0x0E, {0x80, 0x12}, 0, 0, 0, 0, 0, 0, 8, 0, 0x1200,
         channels, track + TRK_LEVEL, 2},
        {"a tie", 0x0E, {0x80, 0x12}, 0, 0, 2, 0, 0, 0, 3, 0, 0x1280, channels, track + TRK_LEVEL, 2},
        {"a level parameter and a delay", 0x0E, {0x40, 0x12}, 1, 0, 0, 0, 5, 3, 3, 1, 0x1200, channels + 32, 0x410A,
         2},
        {"a channel following a selected one", 0x0E, {0x10, 0x55}, 5, 0, 0, 4, 0, 0, 3, 5, 0x5500, channels + 5 * 32,
         track + TRK_LEVEL, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        all_channels();
        channel(c.k, c.f, c.ties, c.follows, c.level, c.delay, c.written);
        sequence(seq, c.operands);
        enter_command(c.command_byte);
        uint32_t handler = c.command_byte & 1 ? 0xDF6D : 0xDF59;
        differential(handler, SND_COUNTER_SEQ_COMMANDS, handler);
        EXPECT_EQ(cpu.y, seq + c.next);
        EXPECT_EQ(comms8(0x7000 + 192 * c.voice + VC_EVENT_WRITE), c.written + 1);
        EXPECT_EQ(event(c.voice, c.written, EV_KIND), c.kind_word);
        EXPECT_EQ(event(c.voice, c.written, EV_INSTRUMENT), c.instrument);
        EXPECT_EQ(event(c.voice, c.written, EV_LEVEL_SOURCE), c.level_source);
        EXPECT_EQ(event(c.voice, c.written, EV_TIME), 0x1000 + 64 * c.delay);
    }
    // The tie's counter went down by one.
    fresh();
    all_channels();
    channel(0, 0, 2);
    sequence(seq, {0x80, 0x12});
    enter_command(0x0E);
    differential(0xDF59, SND_COUNTER_SEQ_COMMANDS, 0xDF59);
    EXPECT_EQ(comms8(channels + CH_TIES), 1);
    // A follower of an unselected channel plays nothing.
    fresh();
    all_channels();
    channel(5, 0, 0, 3);
    sequence(seq, {0x80, 0x12});
    enter_command(0x0E);
    differential(0xDF59, SND_COUNTER_SEQ_COMMANDS, 0xDF59);
    EXPECT_EQ(comms8(0x7000 + 192 * 5 + VC_EVENT_WRITE), 3);
}

TEST_F(NoteTest, NotesTheDriverStartsAreLeftToIt) {
    const struct {
        const char* what;
        uint32_t emulated_notes, f;
        uint8_t note;
        uint32_t continuation, back;
    } cases[] = {
        {"track +0x17 bit 7", 0x80, 0, 0x12, 0xDFA9, 0},
        {"note 0xFF with a key map", 0, 1, 0xFF, 0xE108, 0xDFF0},
        {"a key-map value 0", 0, 17, 0x12, 0xE12D, 0xDFF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int direct = 0; direct < 2; direct++) {
            fresh();
            all_channels();
            channel(0, c.f);
            put_byte(track + TRK_EMULATED_NOTES, c.emulated_notes);
            sequence(seq, {0x80, c.note});
            enter_command(0x0E);
            if (!direct) {
                declines(0xDF59, SND_COUNTER_SEQ_COMMANDS, 0xDF59);
                continue;
            }
            EXPECT_EQ(direct_pc(seq_cmd_df59), c.continuation);
            if (c.back) {
                EXPECT_EQ(m377_read16(&cpu, cpu.s + 1), c.back) << "the note start's return";
            }
        }
    }
}

TEST_F(NoteTest, ASequenceOfNotesReadableEndToEnd) {
    all_channels();
    channel(1, 3);
    channel(4, 0, 0, 2);
    sequence(seq, {0x0E, 0x40, 0x31, 0x4F, 0xC0, 0x22, 0x0E, 0x40, 0x7F, 0x82});
    enter_sequencer();
    differential_all(sequence_sites(), 0xD9D0);
    EXPECT_EQ(comms8(0x7000 + 192 * 1 + VC_EVENT_WRITE), 6);
    EXPECT_EQ(comms8(0x7000 + 192 * 4 + VC_EVENT_WRITE), 6);
}

TEST_F(SequencerTest, ChannelFieldsFromParametersPerChannelAreLeftToTheEmulatedCode) {
    const struct {
        uint32_t handler, command_byte, continuation;
        snd_routine routine;
    } cases[] = {{0xDD01, 0x0B, 0xDD3A, seq_cmd_dd01}, {0xDD01, 0x4B, 0xDD3A, seq_cmd_dd01},
                 {0xDC90, 0x0A, 0xDCD6, seq_cmd_dc90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command_byte);
        fresh();
        sequence(seq, {0x80, 0x84, 0x10, 0x11});
        enter_command(c.command_byte);
        declines(c.handler, SND_COUNTER_SEQ_COMMANDS, c.handler);
        enter_command(c.command_byte);
        EXPECT_EQ(direct_pc(c.routine), c.continuation);
        EXPECT_EQ(iram16(DRV_RESUME), c.handler);
    }
}

TEST_F(SequencerTest, AMessageWithoutItsEndIsLeftToTheEmulatedCopy) {
    std::vector<uint8_t> bytes(300, 0x41);
    for (uint32_t i = 0; i < bytes.size(); i++) sound_driver_rom[0x20000 + seq + i] = bytes[i];
    enter_command(0x10);
    EXPECT_EQ(seq_cmd_e143(&cpu), 0);
    EXPECT_EQ(comms8(DRV_MESSAGE), 0) << "nothing copied";
}

TEST_F(SequencerTest, ASequenceWithoutAWaitIsHandedBackAfter65536Commands) {
    sequence(seq, {code_of(0xE277), uint8_t(seq), uint8_t(seq >> 8), bank});
    hook(0xE277, true);
    enter_sequencer();
    uint64_t declined = snd_declined[SND_COUNTER_SEQUENCER];
    EXPECT_EQ(direct_pc(sequencer), 0xDA11u);
    EXPECT_EQ(snd_declined[SND_COUNTER_SEQUENCER], declined + 1);
    EXPECT_EQ(cpu.y, seq);
    EXPECT_EQ(cpu.x, track);
    EXPECT_EQ(cpu.dt, bank);
}

// Random sequences through the readable sequencer and commands: every step ends, and
// ASan and UBSan see every access.
TEST_F(SequencerTest, RandomSequencesEndAndStayInsideTheImages) {
    std::mt19937 rng(40);
    std::vector<uint8_t> codes;
    for (uint8_t code = 0; code < sizeof SYNTH_SD_HANDLERS / sizeof SYNTH_SD_HANDLERS[0]; code++)
        if (SYNTH_SD_HANDLERS[code]) codes.push_back(code);
    for (uint32_t site : sequence_sites()) hook(site, true);
    snd_call_max_steps = 200000;
    for (int round = 0; round < 60; round++) {
        SCOPED_TRACE(round);
        fresh();
        // Command bytes of the commands here, operands anywhere, now and then a wait.
        for (uint32_t i = 0; i < 0x400; i++)
            sound_driver_rom[0x20000 + seq + i] =
                uint8_t(i % 5 || rng() % 8 == 0 ? rng() : codes[rng() % codes.size()] | (rng() & 0x40));
        for (uint32_t n = 0; n < 128; n++) put_word(DRV_PARAMETERS + 2 * n, rng() & 0xFFFF);
        set_iram16(DRV_RANDOM, rng() & 0xFFFF);
        put_byte(track + TRK_CALL_DEPTH, rng() % 4);
        put_byte(track + TRK_LOOP_DEPTH, rng() % 3);
        enter_sequencer();
        uint64_t steps = snd_ran[SND_COUNTER_SEQUENCER] + snd_declined[SND_COUNTER_SEQUENCER];
        run_entry(0xD9D0, false);
        EXPECT_GT(snd_ran[SND_COUNTER_SEQUENCER] + snd_declined[SND_COUNTER_SEQUENCER], steps);
    }
}

}  // namespace
