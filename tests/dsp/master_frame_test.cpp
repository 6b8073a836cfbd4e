// The master DSP's frame run: the doorbell, the run to rest and its parking, the
// snapshot, faults and the trace, over the synthetic DSP program.
#include "tests/dsp/master_fixture.h"

#include "render/dl_packet_decode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using MasterFrame = MasterFixture;

const uint32_t* replayed;
uint32_t replay_word(uint32_t index) {
    return replayed[index & 0x7FFF];
}
void count_quad(const quad_record* q, void* data) {
    auto* faces = static_cast<std::vector<uint32_t>*>(data);
    faces->push_back(q->colour >> 8 & 0x7F);
}

// out is frame `frame`'s one line, with `writes` DSP RAM words written.
void expect_frame_line(const std::string& out, int frame, uint32_t writes) {
    char head[64], tail[64];
    snprintf(head, sizeof head, "[MASTER] frame %d: ", frame);
    snprintf(tail, sizeof tail, " steps, %u polygon-RAM writes\n", writes);
    EXPECT_EQ(out.rfind(head, 0), 0u) << out;
    EXPECT_TRUE(out.size() > strlen(tail) && out.compare(out.size() - strlen(tail), strlen(tail), tail) == 0) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
}

long steps_in(const std::string& out) {
    size_t at = out.find(": ");
    return at == std::string::npos ? -1 : atol(out.c_str() + at + 2);
}

TEST_F(MasterFrame, EachFramePublishesTheViewAndTheTurnedCube) {
    ASSERT_TRUE(boot()) << err;
    const struct {
        uint32_t list_words, game_buffer, turn_of;
    } cases[] = {{0, 1, 1}, {5, 0, 6}, {37, 1, 38}, {0x1E10, 0, 0x1E00}};  // the end code is a word too; no -1
                                                                        // within 0x1E00 words
    int frame_number = 0;
    for (const auto& c : cases) {
        hand_over(c.list_words, c.game_buffer);
        frame();
        frame_number++;
        ASSERT_EQ(err, "");
        if (frame_number <= 3) expect_frame_line(out, frame_number, SYNTH_DSP_WRITES);
        else EXPECT_EQ(out, "");
        const uint32_t* w = master_output();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(cpu().prog[cpu().pc], MASTER_IDLE_WORD);
        // The two packets passed over, the view, the cube and the word that ends them.
        EXPECT_EQ(w[1], 16u);
        EXPECT_EQ(w[19], 20u);
        EXPECT_EQ(w[21], 10u);
        EXPECT_EQ(w[33], 34u);
        EXPECT_EQ(w[SYNTH_DSP_VIEW_AT + 1], 21u);
        EXPECT_EQ(w[SYNTH_DSP_CUBE_AT], uint32_t(SYNTH_MODEL_CUBE));
        EXPECT_EQ(w[SYNTH_DSP_CUBE_AT + 1], 13u);
        EXPECT_EQ(w[SYNTH_DSP_CUBE_AT + 13], uint32_t(SYNTH_DSP_CUBE_Y));
        EXPECT_EQ(w[SYNTH_DSP_CUBE_AT + 14], uint32_t(SYNTH_DSP_CUBE_Z));
        EXPECT_EQ(w[SYNTH_DSP_END_AT - 1], SYNTH_DSP_END_AT);
        EXPECT_EQ(w[SYNTH_DSP_END_AT + 1], 0u);
        int16_t turn[9];
        synth_dsp_cube_rotation(c.turn_of, turn);
        for (int i = 0; i < 9; i++) EXPECT_EQ(int16_t(w[SYNTH_DSP_CUBE_AT + 3 + i]), turn[i]) << c.list_words << " " << i;
        for (uint32_t i = 0; i < MASTER_OUTPUT_WORDS; i++) ASSERT_EQ(w[i], uint32_t(dsp_word(i)) & 0xFFFFFF) << i;
        // Replayed from word 0, the words draw the cube: a view and one object.
        replayed = w;
        int32_t focal = 0;
        dl_decode_request request = {0, 0, &focal, nullptr, nullptr, nullptr};
        std::vector<uint32_t> faces;
        EXPECT_EQ(dl_packet_decode(replay_word, &request, count_quad, &faces), 1);
        EXPECT_EQ(focal, 554);
        EXPECT_GE(faces.size(), 1u);
        EXPECT_LE(faces.size(), 3u);
        for (uint32_t face : faces) EXPECT_EQ(face & ~7u, SYNTH_CUBE_PALETTE);
    }
    EXPECT_EQ(master_driver.frames, 4);
    EXPECT_EQ(master_driver.faults, 0);
}

TEST_F(MasterFrame, NoListHandedOverRunsNothing) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    std::vector<uint32_t> shown(master_output(), master_output() + MASTER_OUTPUT_WORDS);
    uint64_t steps = cpu().steps;
    dsp_word_set(DSP_WORD_LIST_READY, 0);
    dsp_word_set(7, 0x777);
    cpu().write_count = 99;
    frame();
    EXPECT_EQ(out + err, "");
    EXPECT_EQ(cpu().steps, steps);
    EXPECT_EQ(cpu().write_count, 0u);
    EXPECT_EQ(master_driver.frames, 1);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), master_output()));
}

// Frame 1 parks at once: nothing the DSP wrote to show yet. Frame 2 runs and shows.
TEST_F(MasterFrame, FirstParkedFramePublishesNothing) {
    ASSERT_TRUE(boot()) << err;
    dsp_word_set(DSP_WORD_BUSY, 0);
    frame();
    EXPECT_EQ(out, "[MASTER] frame 1: 0 steps, 0 polygon-RAM writes\n");
    EXPECT_EQ(master_output(), nullptr);
    EXPECT_TRUE(master_driver.parked);
    hand_over(2);
    frame();
    expect_frame_line(out, 2, SYNTH_DSP_WRITES);
    EXPECT_NE(master_output(), nullptr);
}

// A doorbell while the game is busy parks in the BIOS; parked again the next frame, the
// run takes 0 steps and the snapshot is taken again.
TEST_F(MasterFrame, DoorbellPushesPastTheIdleAndParkedRunsRefresh) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    uint16_t idle_at = cpu().pc;
    hand_over(1);
    dsp_word_set(DSP_WORD_BUSY, 1);
    frame();
    EXPECT_EQ(cpu().pc, C25_BIOS_BUSY_WAIT);
    EXPECT_TRUE(master_driver.parked);
    ASSERT_EQ(cpu().stack_depth, 1);
    EXPECT_EQ(cpu().stack[0], idle_at + 1);
    EXPECT_EQ(cpu().push_history[7], idle_at + 1);

    dsp_word_set(200, 0x2468AC);
    frame();
    expect_frame_line(out, 3, 0);
    EXPECT_EQ(steps_in(out.substr(out.find("frame 3"))), 0);
    EXPECT_EQ(master_output()[200], 0x2468ACu);

    dsp_word_set(DSP_WORD_BUSY, 0);
    frame();
    EXPECT_EQ(cpu().pc, idle_at);
    EXPECT_EQ(cpu().stack_depth, 0);
    EXPECT_EQ(master_driver.frames, 4);
}

TEST_F(MasterFrame, PcNotOnAnIdleIsPushedUnchanged) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    cpu().pc = 0x404D;
    hand_over(1);
    dsp_word_set(DSP_WORD_BUSY, 1);
    frame();
    ASSERT_EQ(cpu().stack_depth, 1);
    EXPECT_EQ(cpu().stack[0], 0x404D);
}

TEST_F(MasterFrame, DoorbellRefusedWhenTheStackIsFull) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    cpu().stack_depth = 63;
    hand_over(1);
    dsp_word_set(DSP_WORD_BUSY, 1);
    frame();
    EXPECT_EQ(err, "");
    EXPECT_EQ(cpu().stack_depth, 64);
    cpu().pc = cpu().stack[63] - 1;  // back on the IDLE, the entry left stacked
    master_driver.parked = false;
    frame();
    EXPECT_EQ(err, "[MASTER] stack full\n");
    EXPECT_FALSE(master_active());
    EXPECT_EQ(master_output(), nullptr);
    hand_over(1);
    frame();
    EXPECT_EQ(out + err, "");
}

// Failed runs count over the whole run; the fourth disables the path and the renderer
// goes back to its own expansion.
TEST_F(MasterFrame, FourthFailedRunDisables) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    std::vector<uint32_t> shown(master_output(), master_output() + MASTER_OUTPUT_WORDS);
    const uint16_t routine = 0x404D;  // the frame routine's first instruction
    uint16_t word = cpu().prog[routine];
    const bool broken[] = {true, true, false, true, true};
    for (size_t i = 0; i < sizeof broken; i++) {
        cpu().prog[routine] = broken[i] ? uint16_t(word ^ 1) : word;
        hand_over(1);
        frame();
        if (broken[i]) {
            EXPECT_NE(err.find("[MASTER] stopped after "), std::string::npos) << err;
            EXPECT_NE(err.find(": TRANSLATED C25: program memory holds no translated program here at 404D\n"),
                      std::string::npos)
                << err;
            EXPECT_EQ(cpu().pc, routine);
            EXPECT_FALSE(master_driver.parked);
        } else {
            EXPECT_EQ(err, "");
            shown.assign(master_output(), master_output() + MASTER_OUTPUT_WORDS);
        }
        if (i < 4) {
            EXPECT_TRUE(master_active()) << i;
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), master_output())) << i;
        }
    }
    EXPECT_EQ(master_driver.faults, 4);
    EXPECT_NE(err.find("[MASTER] disabled after repeated faults\n"), std::string::npos) << err;
    EXPECT_FALSE(master_active());
    EXPECT_TRUE(master_driver.output_valid);
    EXPECT_EQ(master_output(), nullptr);
}

// A timer interrupt taken at the IDLE runs its handler and comes back to the IDLE: the
// rest is the IDLE executed, not the address the step began at.
TEST_F(MasterFrame, InterruptTakenAtTheIdleReturnsBeforeTheRest) {
    ASSERT_NO_FATAL_FAILURE(boot_to_rest());
    uint16_t idle_at = cpu().pc;
    cpu().tint_pending = 1;
    uint64_t steps = 0;
    ASSERT_TRUE(master_step_to_idle(&steps));
    EXPECT_EQ(steps, 3u);  // EINT at 0x0018, RET, the IDLE
    EXPECT_EQ(cpu().pc, idle_at);
    EXPECT_EQ(cpu().stack_depth, 0);
    EXPECT_EQ(cpu().intm, 0);
    EXPECT_EQ(cpu().tint_pending, 0);
}

long count_lines(const std::string& text, const char* head) {
    long n = 0;
    for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) n++;
    return n;
}

TEST_F(MasterFrame, FrameLinesByTraceLevel) {
    const struct {
        const char* log;  // null: unset
        bool fourth_line;
        bool steps_traced;
    } cases[] = {{nullptr, false, false}, {"0", true, false}, {"1", true, true}};
    for (const auto& c : cases) {
        if (c.log) setenv("SKYVOLTA_MASTERLOG", c.log, 1);
        else unsetenv("SKYVOLTA_MASTERLOG");
        ASSERT_TRUE(boot()) << err;
        for (int i = 0; i < 4; i++) {
            hand_over(2);
            frame();
        }
        std::string log = c.log ? c.log : "unset";
        EXPECT_EQ(count_lines(out, "[MASTER] frame 4: "), c.fourth_line ? 1 : 0) << log;
        long traced = count_lines(out, "  [MT] ");
        if (c.steps_traced) EXPECT_EQ(traced, std::min(steps_in(out.substr(out.find("[MASTER] frame 4"))), 600L));
        else EXPECT_EQ(traced, 0) << log;
        EXPECT_EQ(count_lines(out, "[MASTER] in: "), 0) << log;  // only for the first frames
    }
}

TEST_F(MasterFrame, LevelTwoTracesTheInputAndJumpsIntoTheBios) {
    setenv("SKYVOLTA_MASTERLOG", "1", 1);
    ASSERT_TRUE(boot()) << err;
    EXPECT_EQ(out.rfind("  [MT]    0 pc=01A8 op=FF80 acc=", 0), 0u) << out.substr(0, 200);
    hand_over(0, 0);  // buffer 1 ends at once
    cpu().tim = 2;    // the timer interrupt comes in the frame routine
    frame();
    std::string in_line = "[MASTER] in: parked=1 word0=0 word1=1 word4=0\n  list 4100:";
    EXPECT_EQ(out.rfind(in_line, 0), 0u) << out.substr(0, 400);
    std::string list0 = " FFFFFF";
    for (int i = 1; i < 40; i++) list0 += " 000000";
    EXPECT_NE(out.find("  list 4100:" + list0 + "  ... terminator at +1E00\n"), std::string::npos) << out.substr(0, 600);
    EXPECT_NE(out.find("  list 6100: 008010  ... terminator at +0\n"), std::string::npos) << out.substr(0, 600);
    EXPECT_NE(out.find("  [MT]    0 pc=404A op=2001 "), std::string::npos);
    EXPECT_NE(out.find("  [MJ] 4: 404E (op D004) -> 0019 sp=1 top=404E acc=00000000\n"), std::string::npos)
        << out.substr(0, 1200);
}

}  // namespace
