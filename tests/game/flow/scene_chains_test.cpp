// The segment chain, the radial groups, the range records, the ending object lists and
// backdrop, and the ending's view block, word by word on the synthetic ROM.
#include "board/dspram.h"
#include "game/services/ending_emitters.h"
#include "game/world/scene_chains.h"
#include "tests/game/flow/emitter_fixture.h"

namespace {

using SceneChainTest = EmitterTest;

// The 21 words of one segment: node tilted by the table words at tilt, turned by the
// words at 0x20B002 + turn, the model at ring angle r and height h.
words_t segment(uint32_t tilt, uint32_t turn, int32_t node_word, int32_t model, int32_t r, int32_t h) {
    words_t sc = rom_pair(r);
    return words_t{0x8008, 3, 0, 0, 0, -23040, 1, rom_word_at(tilt), rom_word_at(tilt + 2),
                   rom_word_at(0x20B002 + (turn & 0xFFFC)), rom_word_at(0x20B004 + (turn & 0xFFFC)), 0, 0x7FFF,
                   node_word, -1, 0x800A, model, 3, 2 * sc[0] + 0x3C000 - 1000, h + 99840 - 2000,
                   2 * sc[1] + 0x114000 - 3000};
}

TEST_F(SceneChainTest, ChainReportsTheSegmentOnItsSixthStep) {
    struct row {
        int32_t n, result;
    } rows[] = {{6, 1}, {15, 2}, {60, 7}, {69, 1}, {0, 0}, {7, 0}, {200, 0}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.n);
        cursor_at(PACKETS0);
        EXPECT_EQ(dl_emit_segment_chain(-20480, 10000, r.n), r.result);
    }
}

TEST_F(SceneChainTest, ChainWordsWithRisingAndTiltingSegments) {
    const int32_t t = -20480, u = 10000;
    for (int32_t n : {3, 5, 40, 100}) {
        SCOPED_TRACE(n);
        cursor_at(PACKETS0);
        wram_long_set(W_DL_LAST_HEADER, 0);
        dl_emit_segment_chain(t, u, n);
        words_t expect = {0x8002, 0, 0x8010, 3, -0x10000, -1};
        for (int32_t k = 0; k < 8; k++) {
            int32_t step = n - 9 * k, h = u;
            uint32_t tilt = 0x20F002;
            if (step <= 5) h = t + (u - t) * step / 6;  // negative steps included
            if (step >= 36) {
                int32_t a = synth_chain_tilt(k);
                int32_t angle = step < 96 ? a - a * rom_pair((step - 36) * 0x8000 / 60)[1] / 0x8000 + 0x4000
                                          : 2 * a + 0x4000;
                tilt = 0x20B002 + uint32_t(angle & 0xFFFC);
            }
            expect = expect + segment(tilt, uint32_t(synth_chain_turn(k)), 0, SYNTH_SEGMENT_MODELS[k],
                                      k * 8192 + 0x8000, h);
        }
        expect = expect + words_t{0x8010, -1};
        EXPECT_EQ(written(), expect);
        EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0);
    }
    // In the attract state the bank follows W[0x3EF0].
    wram_long_set(W_GAME_STATE, 1);
    wram_long_set(W_BAND_HEIGHT, 0x10000);
    wram_long_set(W_DL_LAST_HEADER, 0);
    cursor_at(PACKETS0);
    dl_emit_segment_chain(t, u, 0);
    EXPECT_EQ(*at(PACKETS0 + 16), 0x10000 - 0xD600);
}

TEST_F(SceneChainTest, RadialGroupsRiseAndTilt) {
    const int32_t a = 1000, b = 175000;
    for (int32_t c : {6, 76, 100}) {
        SCOPED_TRACE(c);
        cursor_at(PACKETS0);
        wram_long_set(W_DL_LAST_HEADER, 0);
        int32_t result = radial_packets(a, b, c);
        words_t expect = {0x8002, 0, 0x8010, 3, -0x10000, -1};
        int32_t moving = 0;
        for (int32_t i = 0; i < 8; i++) {
            int32_t g = (i * 8192 + 0x8000) & 0xFFFF, d = c - 40 * (i & 1) - 10 * (i / 2), h = a;
            uint32_t tilt = 0x20F002;
            if (d == 6) moving = i == 7 ? 1 : i + 1;
            if (d > 6) h = a + (d - 6) * (b - a) / 174;
            if (d >= 36) {
                int32_t w = synth_radial_tilt(i);
                tilt = 0x20B002 + uint32_t((w - w * rom_pair((d - 36) * 0x8000 / 324)[1] / 0x8000 + 0x4000) & 0xFFFC);
            }
            int32_t model = (i & 1) ? SYNTH_SEGMENT_MODELS[i / 2] : 0;  // bytes of the model words
            expect = expect + segment(tilt, uint32_t(g), 4, model, g, h);
        }
        expect = expect + words_t{0x8010, -1};
        EXPECT_EQ(written(), expect);
        EXPECT_EQ(result, moving);
    }
    cursor_at(PACKETS0);
    EXPECT_EQ(radial_packets(a, b, 76), 1);  // group 7 on its sixth step
}

TEST_F(SceneChainTest, RangeRecordsDrawWhileTheirSpanHoldsT) {
    wram_long_set(W_CAMERA_PITCH, 0x1000);
    wram_long_set(W_CAMERA_HEADING, 0x2000);
    auto record_words = [&](int r, int32_t t) {
        const synth_range_record& rec = SYNTH_RANGE_RECORDS[r];
        int32_t y = rec.y0 + (t - rec.start) * (rec.y1 - rec.y0) / (rec.end - rec.start);
        int32_t spread = ((int32_t(0x39228 + 20 * r) & 0xF) + 12) << 10;
        return words_t{0x8010, 3, 0x7000, 2, r, -1, 906,
                       (rom_word_at(0x20B002 + uint32_t(rec.angle)) * 9 >> 2) + 0x3C000 - 1000, y + 99840 - 2000,
                       (rom_pair(rec.angle)[0] * 9 >> 2) + 0x114000 - 3000} +
               rom_pair(-(0x1000 + 0x4000)) + rom_pair(-0x2000) + words_t{spread, spread, 0};
    };
    range_packets(60);
    EXPECT_EQ(written(), record_words(0, 60) + record_words(1, 60));
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0x7000);
    cursor_at(PACKETS0);
    range_packets(160);
    EXPECT_TRUE(written().empty());
}

TEST_F(SceneChainTest, EndingListTurnsByItsHeadingModes) {
    position_at(W_BAND_HEIGHT, 10, 20, 30);  // the list origin
    wram_long_set(W_OBJECT_HEADING, 123);
    wram_long_set(W_OBJECT_HEADING + 4, 456);
    // The player straight ahead of record 1 in +z: the heading toward him is
    // -atan2(0, dz) - 0x8000 = 0x8000, within 6144 of the limit 0x7000.
    int32_t x1 = -100 + 10, z1 = 50 + 30;
    wram_long_set(W_PLAYER_X, x1);
    wram_long_set(W_PLAYER_Z, z1 + 5000);
    w_write16(WRAM_BASE + W_OBJECT_TURN_LIMIT + 2, 0x7000);
    dl_emit_object_list(SYNTH_ENDING_LIST, 16, -0x6000);
    auto entry = [&](const synth_list_record& r, int32_t off, words_t pair) {
        return words_t{r.model + ((off >> 3) & 7), r.x + 10 - 1000, r.y + 20 - 2000, r.z + 30 - 3000, 0, 0x7FFF} +
               pair + words_t{0, 0x7FFF, 0};
    };
    // Records from number 2 on (start 16): record 2 only, its heading 0x1234.
    words_t from_two = words_t{0x8002, 0, 0x8010, 3, -0x6000, -1} + entry(SYNTH_ENDING_RECORDS[2], 24, rom_pair(0x1234));
    EXPECT_EQ(written(), from_two);
    cursor_at(PACKETS0);
    dl_emit_object_list(SYNTH_ENDING_LIST, 0, -0x6000);
    words_t expect = words_t{0x8002, 0} + entry(SYNTH_ENDING_RECORDS[0], 8, {123, 456}) +
                     entry(SYNTH_ENDING_RECORDS[1], 16, rom_pair(0x8000)) +
                     entry(SYNTH_ENDING_RECORDS[2], 24, rom_pair(0x1234));
    EXPECT_EQ(written(), expect);
    // Past the window the limit holds.
    w_write16(WRAM_BASE + W_OBJECT_TURN_LIMIT + 2, 0x6000);
    cursor_at(PACKETS0);
    dl_emit_object_list(SYNTH_ENDING_LIST, 8, -0x6000);
    EXPECT_EQ(words_t(at(PACKETS0 + 4 * 8), at(PACKETS0 + 4 * 10)), rom_pair(0x6000));
}

TEST_F(SceneChainTest, BackdropPlacesFourQuartersAndOneSecondModel) {
    position_at(0xA000, 5000, 6000, 7000);
    wram_long_set(W_CAMERA_PITCH, 0x800);
    wram_long_set(W_CAMERA_HEADING, 0x1800);
    for (int32_t m : {0x00, 0x2C, 0x13}) {
        SCOPED_TRACE(m);
        wram_long_set(W_ENDING_MODE, m);
        wram_long_set(W_DL_LAST_HEADER, 0);
        cursor_at(PACKETS0);
        ending_backdrop_packets(WRAM_BASE + 0xA000, SYNTH_BACKDROP_TABLE);
        words_t expect = {0x8002, 0};
        for (int i = 0; i < 4; i++) {
            int32_t a[7];
            for (int k = 0; k < 7; k++) a[k] = synth_backdrop_long(i, k);
            int32_t t = a[6] * rom_pair(m * a[5])[0] >> 15, r = i * 0x4000 + m * a[0];
            words_t e = words_t{(m & 0x2C) ? 806 + ((m >> 3) & 3) : 810,
                                5000 + ((a[1] + t) * rom_pair(r)[1] >> 15) - 1000,
                                6000 + a[4] + (a[3] * rom_pair(m * a[2])[0] >> 15) - 2000,
                                7000 - ((t + a[1]) * rom_pair(r)[0] >> 15) - 3000} +
                        rom_pair(-0x800) + rom_pair(-0x1800) + words_t{0, 0x7FFF, 0};
            expect = expect + e;
            if (((i ^ (m >> 4)) & 3) == 0) {
                e[0] = synth_backdrop_model((m >> 1) & 7);
                expect = expect + e;
            }
        }
        EXPECT_EQ(written(), expect);
        EXPECT_EQ(written().size(), 2u + 5 * 11);
    }
}

TEST_F(SceneChainTest, ViewBlockThreeFromTheEndingWords) {
    wram_long_set(W_DL_BUFFER_INDEX, 1);
    w_write16(WRAM_BASE + W_VIEW_SCALE + 2, 0xFF00);
    w_write16(WRAM_BASE + W_VIEW_WIDTH, 200);
    wram_long_set(W_VIEW_CENTRE, 0x0003FFF0);  // high half 3, low half -16
    camera_viewport_write();
    uint32_t base = (DL_BUFFER_BASE + DL_BUFFER_SIZE + 3 * 128) / 4;
    using word_value = std::pair<uint32_t, int32_t>;
    const word_value expect[] = {
        {14, -256}, {15, 200}, {16, -16}, {17, 0}, {29, 0x10000}, {30, 0}, {31, 0},
        {21, (200 + ((320 - 200) * 3 * 2 >> 8) - 320) & 0xFFFF},
        {22, (0x0003FFF0 + (-16 * -13 >> 3) + 150) & 0xFFFF},
    };
    for (auto [word, value] : expect) EXPECT_EQ(dsp_word(base + word), value) << "word " << word;
}

TEST_F(SceneChainTest, PoseSetCopiesTheCameraAndOptionallyTheSeventhWord) {
    for (uint32_t k = 0; k < 7; k++) wram_long_set(0xA000 + 4 * k, int32_t(100 + k));
    camera_pose_set(WRAM_BASE + 0xA000, 0);
    EXPECT_EQ(wram_long(W_CAMERA_ROLL), 105);
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_POSE_WORD), 0);
    camera_pose_set(WRAM_BASE + 0xA000, 1);
    EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_POSE_WORD), 106);
}

}  // namespace
