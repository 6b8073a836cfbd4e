// The rig: the words of one race frame, the hit animations and their streams, the node
// sets, and a long race over filler tables.
#include "board/inputs.h"
#include "board/rig_packets.h"
#include "game/services/probe_ram.h"
#include "game/services/rig_ram.h"
#include "game/world/node_emitter.h"
#include "tests/game/world/rig_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <cstring>
#include <random>

namespace {

using V = std::vector<int32_t>;

V pairs(int32_t a, int32_t b, int32_t c) {
    return rom_pair(a) + rom_pair(b) + rom_pair(c);
}

// The 25 words of a node: transform into slot 3, composition, model at the anchor.
V node_words(const V& angles, int32_t word, int32_t x, int32_t y, int32_t z, int32_t parent, int32_t group,
             int32_t model, const V& anchor) {
    return V{0x8008, 3, 1} + angles + V{word, 0, x, y, z, -1, 0x8009, 3, parent, group, 0x800A, model, group} + anchor;
}

class PlayerRigTest : public RigTest {
protected:
    void race_inputs() {
        w_cell_set(W_PITCH_INPUT, 0x800);
        w_cell_set(W_TURN_INPUT, 0x400);
        w_cell_set(W_PROP_ANGLE, 0x1000);
        w_cell_set(W_PLAYER_PITCH, 0x100);
        w_cell_set(W_PLAYER_HEADING, 0x2000);
        w_cell_set(W_PLAYER_ROLL, 0x40);
        w_cell_set(W_CRANK_FRAME, 17);
        player_model_load_animation(0);  // the smoothed inputs settle on these
        word_set(W_RIG_FLAG, 1);         // the start stream has played
    }
    // The rig mode after one selection with the probes of `mask` touching.
    int32_t select(int32_t mask) {
        for (uint32_t p = 0; p < 5; p++) w_cell_set(probe_field(p, PROBE_HIT), (mask >> p) & 1);
        return player_hit_animation_select();
    }
};

TEST_F(PlayerRigTest, RaceFrameWordsMatchTheHandDerivedList) {
    race_inputs();
    player_render();
    const V w = written();
    const V anchor = {10000, 1000, 10000};

    // The machine's frame and parts; their 0x800A packets are left out in a race.
    V parts = V{0x8002, 0} + V{0x8008, 0, 1} + pairs(-0x100, -0x2000, -0x40) + V{4, -1};
    struct part {
        int32_t x, y, z, a, b, c;
    } const part_rows[5] = {{0, 666, -708, 0, 0, 0x1000},        {31, 670, -480, 256 + 128, 1820, 4550},
                            {-31, 670, -480, 256 - 128, -1820, -4550}, {1541, 236, 189, 256 + 30, 1612, -1364},
                            {-1541, 236, 189, -256 - 30, -1612, 1364}};
    for (const part& p : part_rows)
        parts = parts + V{0x8008, 1, 1} + pairs(p.a, p.b, p.c) + V{4, 0, p.x, p.y, p.z, -1, 0x8009, 1, 0, 1};
    ASSERT_GE(w.size(), parts.size());
    EXPECT_EQ(V(w.begin(), w.begin() + long(parts.size())), parts);

    // The 17-word root: node 0 in group 4 at the player.
    size_t at = parts.size();
    const V root = V{0x8008, 4, 1} + pairs(-0x100, -0x2000, -0x40) + V{0, -1, 0x800A, 69, 4} + anchor;
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 17)), root);
    at += 17;

    // Nodes 1..8 word for word: parts from their base words, the rider's crank and pedals.
    int32_t crank = 17 * 1024;
    const V expected_nodes[8] = {
        node_words(pairs(0, 0, 0x1000), 0, 0, 666, -708, 4, 5, 70, anchor),
        node_words(pairs(384, 1820, 4550), 0, 31, 670, -480, 4, 6, 71, anchor),
        node_words(pairs(128, -1820, -4550), 0, -31, 670, -480, 4, 7, 72, anchor),
        node_words(pairs(30 - 128, 1612, -1364), 0, 1541, 236, 189, 4, 8, 73, anchor),
        node_words(pairs(-30, -1612, 1364), 0, -1541, 236, 189, 4, 10, 74, anchor),
        node_words(pairs(crank, 0, 0), 0, 0, 160, -100, 4, 11, 95, anchor),
        node_words(pairs(9102 - crank, 0, 0), 0, 70, 0, 100, 11, 12, 96, anchor),
        node_words(pairs(9102 - crank, 0, 0), 0, -70, 0, -100, 11, 13, 97, anchor),
    };
    for (const V& n : expected_nodes) {
        EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)), n) << "node at word " << at;
        at += 25;
    }
    // Body: turn T = 32 (x + 2, roll -32), lean L = 128 (z + 4), pedal 0: crank sway sin >> 14.
    int32_t sway = rom_pair(crank)[0] >> 14;
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)),
              node_words(pairs(0, 0, -32), 0, 2 + sway, 460, 4, 4, 14, 98, anchor));
    at += 25;
    // Torso pitch L + L / 2 - D, roll +T.
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)),
              node_words(pairs(192, 0, 32), 0, 0, 40, 0, 14, 15, 99, anchor));
    at += 25;
    // Head and spinner as loaded (head 92 without a top hit; spinner 110 + frame bits).
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)),
              node_words(pairs(0, 0, 0), 0, 0, 300, -40, 15, 16, 92, anchor));
    at += 25;
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)),
              node_words(pairs(0, 0, 0), 0, 0, 600, -760, 4, 17, 110, anchor));
    at += 25;
    // The limbs (nodes 13..22): whole node packets with their models; their angles are
    // the solver's (the forward-kinematics test checks where they put hands and feet).
    const int32_t models[10] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    for (int k = 0; k < 10; k++, at += 25) {
        SCOPED_TRACE(k + 13);
        ASSERT_GE(w.size(), at + 25);
        EXPECT_EQ(w[at], 0x8008);
        EXPECT_EQ(w[at + 15], 0x8009);
        EXPECT_EQ(w[at + 18], node(uint32_t(k + 13), NODE_GROUP));
        EXPECT_EQ(w[at + 19], 0x800A);
        EXPECT_EQ(w[at + 20], models[k]);
        EXPECT_EQ(V(w.begin() + long(at + 22), w.begin() + long(at + 25)), anchor);
    }
    // The second list's pennant, hung from the frame.
    EXPECT_EQ(V(w.begin() + long(at), w.begin() + long(at + 25)),
              node_words(pairs(0, 0, 0), 0, 0, 700, 300, 4, 28, 118, anchor));
    at += 25;
    // The wings close the frame.
    const V head(w.begin(), w.begin() + long(at));
    cursor_at(PACKETS0);
    hud_draw_wings();
    EXPECT_EQ(head + written(), w);
}

TEST_F(PlayerRigTest, ContactMasksStartTheirHitAnimations) {
    word_set(W_RIG_FLAG, 1);
    EXPECT_EQ(select(6), 0);  // both wings
    EXPECT_EQ(select(6), 0);  // and again: the previous mask is not 0
    struct {
        int32_t mask, mode, timer;
    } const rows[] = {{2, 2, 150}, {4, 3, 150}, {16, 1, 360}, {8, 0, -1}, {1, 0, -1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mask);
        SetUp();
        word_set(W_RIG_FLAG, 1);
        EXPECT_EQ(select(r.mask), r.mode);
        EXPECT_EQ(word(W_HIT_TIMER), r.timer);
    }
    SetUp();
    word_set(W_RIG_FLAG, 1);
    w_cell_set(W_LOOKAHEAD_FAST_AVOID, 1);
    EXPECT_EQ(select(0), 7);
    EXPECT_EQ(word(W_HIT_TIMER), 180);
    word_set(W_RIG_MODE, 7);
    EXPECT_EQ(select(0), 0);  // running with time left
    w_cell_set(W_LOOKAHEAD_IMPACT, 1);
    EXPECT_EQ(select(0), 4);
    EXPECT_EQ(word(W_HIT_TIMER), 360);
}

TEST_F(PlayerRigTest, TopHitPlaysItsSetThenShowsTheSkyAndPlaysThePresetOnce) {
    word_set(W_RIG_FLAG, 1);
    w_cell_set(W_CRANK_ANGLE, 300);
    // The preset's slot runs its command with bit 15 until the preset plays.
    const synth_sound_entry preset = synth_sound_record(47);
    ASSERT_TRUE(slot_command_set(preset.slot, preset.command | 0x8000u));
    int32_t length = SYNTH_SET_LENGTH_BASE + 1;
    int sky_frames = 0;
    for (int f = 0; f < 130; f++) {
        SCOPED_TRACE(f);
        frame_start();
        w_cell_set(probe_field(PROBE_TOP, PROBE_HIT), f == 0 ? 1 : 0);
        camera_update_main();
        const V w = written();
        for (size_t i = 0; i + 1 < w.size(); i++)
            if (w[i] == 0x800A && (w[i + 1] == 779 || w[i + 1] == 780)) sky_frames++;
        if (f == 0) {
            EXPECT_EQ(word(W_RIG_MODE), 1);
        }
        // The body's pitch stream: 1000, then +100 a frame while it plays.
        if (f < length) {
            EXPECT_EQ(node(NODE_BODY, NODE_PITCH) & 0xFFFF, 1000 + SYNTH_SET_PITCH_STEP * (f + 1));
        }
        bool played = f >= length - 1;
        EXPECT_EQ(word(W_RIG_FLAG), played ? 1 : 0);
        if (f == length - 1) {
            EXPECT_EQ(w_cell(W_CRANK_ANGLE), 0);
        }
        uint32_t command = 0;
        ASSERT_TRUE(slot_command(preset.slot, &command));
        EXPECT_EQ(command, f >= 119 ? preset.command : preset.command | 0x8000u);
    }
    EXPECT_EQ(sky_frames, 120);
}

TEST_F(PlayerRigTest, NodeSetAboveSevenEmitsNothing) {
    word_set(W_RIG_MODE, 2);
    scene_node_array_animate(8);
    scene_node_array_animate(-1);
    EXPECT_EQ(written(), V{});
    EXPECT_EQ(word(W_RIG_MODE), 2);
}

TEST_F(PlayerRigTest, BadSelectorLoadsNothing) {
    int32_t before = node(6, NODE_MODEL);
    testing::internal::CaptureStdout();
    player_model_load_animation(9);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("bad table entry for selector 9"), std::string::npos);
    EXPECT_EQ(node(6, NODE_MODEL), before);
}

TEST_F(PlayerRigTest, NodeRecordEmitterWritesItsSixForms) {
    constexpr uint32_t R = 0x20000;  // a record of our own in work RAM
    auto record = [](int32_t first, int32_t link, int32_t flags) {
        for (uint32_t f = 0; f < RIG_NODE_BYTES; f += 4) w_cell_set(R + f, 0);
        w_cell_set(R, first);
        w_write16(WRAM_BASE + R + NODE_LINK, uint32_t(link) & 0xFFFF);
        w_cell_set(R + NODE_FLAGS, flags);
        w_cell_set(R + NODE_X, 90100);
        w_cell_set(R + NODE_Y, 49200);
        w_cell_set(R + NODE_Z, 190300);
        w_cell_set(R + NODE_PITCH, 0x4000);
        w_cell_set(R + NODE_GROUP, 21);
        w_cell_set(R - RIG_NODE_BYTES + NODE_GROUP, 20);
    };
    const V angles = pairs(0x4000, 0, 0);
    struct row {
        int32_t first, link;
        V want;
    } const rows[] = {
        {0x7FFD, 0, V{0x8010, 3, 90100, -1}},
        {600, 0, V{0x8008, 21, 1} + angles + V{5, -1, 0x800A, 600, 21, 100, 200, 300}},
        {601, -1, node_words(angles, 5, 90100, 49200, 190300, 20, 21, 601, V{100, 200, 300})},
        {602, 2, V{602, 100, 200, 300} + angles + V{5}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.first);
        frame_start();
        record(r.first, r.link, 5);
        camera_zoom_rewrite_w(WRAM_BASE + R);
        EXPECT_EQ(written(), r.want);
    }
    frame_start();
    record(0x7FFD, 0, 0);
    w_cell_set(R + NODE_X, 0);
    camera_zoom_rewrite(WRAM_BASE + R);
    EXPECT_EQ(written(), (V{0x8010, -1}));

    // View words: 0x7FFE sets word 14 of the current view, 0x7FFF its camera.
    frame_start();
    word_set(W_VIEW_NUMBER, 3);
    wram_long_set(W_CAMERA_HEADING, 0x2000);
    record(0x7FFE, 0, 0x00070000);
    w_cell_set(R + NODE_X, 2432);
    camera_zoom_rewrite(WRAM_BASE + R);
    record(0x7FFF, 0, 0x00070000);
    camera_zoom_rewrite(WRAM_BASE + R);
    const uint32_t block = (DL_BUFFER_BASE + 3 * DL_VIEW_BLOCK_BYTES) / 4;
    EXPECT_EQ(dsp_word(block + 14), 1920);  // the camera words then set the 30-degree lens
    EXPECT_EQ(V({dsp_word(block + 3), dsp_word(block + 4)}), rom_pair(0x2000));
    EXPECT_EQ(dsp_word(block + 7), 7);
    EXPECT_EQ(written(), V{});
    // A record that does not lie wholly in work RAM writes nothing.
    camera_zoom_rewrite(WRAM_BASE + WRAM_SIZE - 64);
    EXPECT_EQ(written(), V{});
}

// Pseudo-random bytes over every rig table and its data, as if the ROM held no rig.
void rig_tables_to_filler() {
    std::mt19937 rng(7);
    const struct {
        uint32_t at, bytes;
    } regions[] = {{0x12ABB0, 0x100}, {0x375C0, 0x18}, {0x3765C, 4}, {0x37664, 0x18},
                   {0x144A5C, 0x90},  {0x3AC8C, 0x24}, {0x123C4C, 4}, {SYNTH_RIG_DATA, 0x9000}};
    for (const auto& r : regions)
        for (uint32_t i = 0; i < r.bytes; i++) program_rom[r.at + i] = uint8_t(rng());
}

TEST_F(PlayerRigTest, FillerTablesRaceWithoutWritingPastTheNodeArea) {
    rig_tables_to_filler();
    std::mt19937 rng(11);
    for (int32_t selector : {0, 1, 40}) player_model_load_animation(selector);
    std::vector<int64_t> wram_after_nodes(wram + W_RIG_NODES_END, wram + 0xEB04);
    std::vector<uint8_t> other_buffer(dspram + DL_BUFFER_BASE + DL_BUFFER_SIZE, dspram + sizeof dspram);
    for (int f = 0; f < 3600; f++) {
        frame_start();
        for (uint32_t p = 0; p < 5; p++) w_cell_set(probe_field(p, PROBE_HIT), (rng() & 15) == 0);
        w_cell_set(W_LOOKAHEAD_IMPACT, (rng() & 63) == 0);
        w_cell_set(W_PITCH_INPUT, int32_t(rng() % 65281) - 32640);
        w_cell_set(W_TURN_INPUT, int32_t(rng() % 65281) - 32640);
        w_cell_set(W_CRANK_FRAME, int32_t(rng() & 63));
        w_cell_set(W_PEDAL_DELTA, f % 97 == 0 ? INT32_MIN : int32_t(rng() % 12));  // a demo record's pedal too
        if (f % 900 == 0) player_model_load_animation(int32_t(rng() % 70));
        player_render();
        ASSERT_LE(reinterpret_cast<uint8_t*>(dl_cursor_get()), dspram + DL_BUFFER_BASE + DL_BUFFER_SIZE);
    }
    EXPECT_EQ(std::vector<int64_t>(wram + W_RIG_NODES_END, wram + 0xEB04), wram_after_nodes);
    EXPECT_EQ(std::vector<uint8_t>(dspram + DL_BUFFER_BASE + DL_BUFFER_SIZE, dspram + sizeof dspram), other_buffer);
}

}  // namespace
