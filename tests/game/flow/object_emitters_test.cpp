// Objects with a companion, their ring of sub-models, the banded objects, the landmark,
// the train, the marker and the object lists, word by word on the synthetic ROM.
#include "game/services/emitter_tables.h"
#include "game/world/object_emitters.h"
#include "tests/game/flow/emitter_fixture.h"

#include <cstdlib>

namespace {

constexpr uint32_t OBJECT_AT = 0x9000;  // the objects' position records

class ObjectEmitterTest : public EmitterTest {
protected:
    void SetUp() override {
        EmitterTest::SetUp();
        position_at(OBJECT_AT, 10, 20, 30);
        for (uint32_t cell : {W_OBJECT_PLAIN, W_OBJECT_ROTATING, W_OBJECT_COMPOUND})
            wram_long_set(cell, int32_t(WRAM_BASE + OBJECT_AT));
        wram_long_set(W_OBJECT_HEADING, 111);
        wram_long_set(W_OBJECT_HEADING + 4, 222);
    }
    // The entry and companion that object_packet_header writes for record r at p.
    words_t header_words(int r, const int32_t p[3], bool matched, int32_t frame) {
        const synth_object_record& o = SYNTH_OBJECT_RECORDS[r];
        if (matched) return {o.matched_model, p[0], p[1], p[2]};
        return {o.other_model, p[0], p[1], p[2], 0x8002, 0, 574 + (frame & 0xF), p[0] + o.dx, p[1] + o.dy,
                p[2] + o.dz, 0, 0x7FFF, 111, 222, 0, 0x7FFF, 4};
    }
};

TEST_F(ObjectEmitterTest, HeaderWritesFourWordsOnAMaskMatchElseSeventeen) {
    const int32_t p[3] = {-5, 6, 70000};
    play_frame(0x123);
    for (int r = 0; r < 3; r++) {
        for (bool matched : {true, false}) {
            SCOPED_TRACE(testing::Message() << "record " << r << (matched ? " matched" : " other"));
            cursor_at(PACKETS0);
            wram_long_set(W_DL_LAST_HEADER, 0);
            mode_word(matched ? uint16_t(SYNTH_OBJECT_RECORDS[r].mask) : 0x8);
            int32_t* next = object_packet_header(r, p, dl_cursor_get());
            dl_cursor_set(next);
            EXPECT_EQ(written(), header_words(r, p, matched, 0x123));
            EXPECT_EQ(wram_long(W_DL_LAST_HEADER), matched ? 0 : 0x8002);
        }
    }
    wram_long_set(W_GAME_SUB_STATE, 15);  // the ending's view
    object_packet_header(OBJECT_RECORD_PLAIN, p, at(PACKETS0));
    EXPECT_EQ(*at(PACKETS0 + 4 * 5), 3);
}

TEST_F(ObjectEmitterTest, RingHasOneFourOrTenEntriesByTheModeBits) {
    const int32_t px = 10 + 258252 - 1000, py = 20 + 102440 - 2000, pz = 30 + 1165579 - 3000;
    words_t rt = rom_pair(0x1290);
    auto entry = [&](int32_t model, int32_t x, int32_t z) {
        return words_t{model, x, py, z, 0, 0x7FFF, rt[0], rt[1], 0, 0x7FFF, 4};
    };
    play_frame(5);
    words_t ring;
    for (int32_t off = 0; off <= 65535; off += 13107) {
        words_t sc = rom_pair(off + 5 * 2048);
        ring = ring + entry(542 + ((off + 5) & 0xF), px + (sc[0] * 3584 >> 15), pz + (sc[1] * 3584 >> 15));
    }
    struct row {
        uint16_t mode;
        words_t expect;
    } rows[] = {
        {0x0001, entry(507, px, pz)},
        {0x0021, entry(508, px, pz)},
        {0x0000, entry(507, px, pz) + entry(501, px, pz) + entry(504, px, pz) + entry(505, px, pz)},
        {0x0020, entry(508, px, pz) + entry(502, px, pz) + entry(504, px, pz) + entry(506, px, pz)},
        {0x0040, entry(508, px, pz) + entry(502, px, pz) + entry(504, px, pz) + entry(506, px, pz) + ring},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.mode);
        mode_word(r.mode);
        cursor_at(PACKETS0);
        dl_cursor_set(object_packet_fill(dl_cursor_get()));
        EXPECT_EQ(written(), r.expect);
    }
    EXPECT_EQ(rows[0].expect.size(), 11u);
    EXPECT_EQ(rows[2].expect.size(), 44u);
    EXPECT_EQ(rows[4].expect.size(), 110u);
}

TEST_F(ObjectEmitterTest, LandmarkShowsWhileTheGateIsAtMostSeventeen) {
    w_cell_set(W_LANDMARK_GATE, 18);
    fixed_model_packet();
    EXPECT_TRUE(written().empty());

    w_cell_set(W_LANDMARK_GATE, 17);
    wram_long_set(W_DL_LAST_BANK, -0x4400);
    w_write16(WRAM_BASE + W_OBJECT_MODE + 2, 3);
    play_frame(0x25);
    int32_t a = ((rom_pair((0x25 & 0x1F) * 2048)[0] + 3392) >> 6) & 0xFFFC;
    fixed_model_packet();
    EXPECT_EQ(written(), (words_t{0x8010, -1, 0x8002, 0, 596, 345938 - 1000, 99949 - 2000, 473686 - 3000, 0, 0x7FFF,
                                   rom_word_at(0x20B002 + a), rom_word_at(0x20B004 + a), 0, 0x7FFF, 4}));
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0);
    EXPECT_EQ(wram_long(W_DL_LAST_HEADER), 0x8002);
}

TEST_F(ObjectEmitterTest, PlainObjectChoosesItsBandByHeight) {
    struct row {
        int32_t dy, dz, last_bank;
        words_t link, close;
    } rows[] = {
        {0, 0, 0, {0x8010, 3, -0x5C00, -1}, {0x8010, -1}},
        {-0x27FFF, 5, 0, {0x8010, 3, -0x5C00, -1}, {0x8010, -1}},
        {-0x28000, -1212416, 0, {0x8010, 3, -8192, -1}, {0x8010, -1}},
        {-204799, -1212415, 0, {0x8010, 3, -10816, -1}, {0x8010, -1}},
        {0, 0, -0x5C00, {}, {0x8010, -1}},       // the band already set
        {-204800, 0, -0x5C00, {0x8010, -1}, {}},  // below every band: the open one closed
        {-204800, 0, 0, {}, {}},
    };
    mode_word(0);
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dy << ", " << r.dz);
        position_at(OBJECT_AT, 1000, 2000 + r.dy, 3000 + r.dz);
        wram_long_set(W_DL_LAST_HEADER, 0);
        wram_long_set(W_DL_LAST_BANK, r.last_bank);
        cursor_at(PACKETS0);
        object_packet_emit();
        const int32_t p[3] = {0, r.dy, r.dz};
        words_t expect = words_t{0x8000, 0} + r.link + words_t{499, 0, r.dy, r.dz} + r.close +
                         header_words(OBJECT_RECORD_PLAIN, p, false, 0);
        EXPECT_EQ(written(), expect);
        EXPECT_EQ(wram_long(W_DL_LAST_BANK), 0);
    }
}

TEST_F(ObjectEmitterTest, RotatingObjectFillsOnlyTheSubPartSlotsThatExist) {
    position_at(OBJECT_AT, 1000, 2000, 3000);
    play_frame(3);
    mode_word(0x0002);  // the record's mask: the 4-word entry
    wram_long_set(W_SUBPART_COUNT, 10);
    wram_long_set(W_SUBPART_Y, 777);  // where a slot 12 of the x row would land
    object_packet_emit_rotating();
    int32_t heading = -3 * 128;
    words_t expect = words_t{0x8000, 0, 0x8010, 3, -0x4400, -1, 511, 0, 0, 0, 0x8010, -1, 522, 0, 0, 0} +
                     words_t{0x8002, 0, 510, 211150, 141360, 1345200} + rom_pair(0) + rom_pair(heading) +
                     rom_pair(0) + words_t{4};
    EXPECT_EQ(written(), expect);
    for (int32_t j = 0; j < 2; j++) {
        int32_t angle = heading + 8192 + 0x4000 * j;
        words_t sc = rom_pair(angle);
        uint32_t k = 4 * uint32_t(10 + j);
        EXPECT_EQ(wram_long(W_SUBPART_X + k), 1000 + 211150 + (sc[1] * 18190 >> 15));
        EXPECT_EQ(wram_long(W_SUBPART_Y + k), 2000 + 142360);
        EXPECT_EQ(wram_long(W_SUBPART_Z + k), 3000 + 1345200 - (sc[0] * 18190 >> 15));
        EXPECT_EQ(wram_long(W_SUBPART_ANGLE + k), 6099 - angle);
        EXPECT_EQ(wram_long(W_SUBPART_SIZE + k), 2500);
        EXPECT_EQ(wram_long(W_SUBPART_SIZE + 2 * SUBPART_ROW_BYTES + k), 39000);
    }
    EXPECT_EQ(wram_long(W_SUBPART_Y), 777);
    EXPECT_EQ(wram_long(W_SUBPART_COUNT), 14);
}

TEST_F(ObjectEmitterTest, CompoundObjectWritesItsSublistUnderTheRightHeaders) {
    position_at(OBJECT_AT, 1000, 2000, 3000);
    play_frame(2);
    mode_word(0x0001);  // matched record, ring of one
    wram_long_set(W_SUBPART_COUNT, 0);
    object_packet_emit_compound();
    words_t w = written();
    words_t head = {0x8000, 0, 0x8010, 3, -0x7000, -1, 500, 0, 0, 0, 0x8010, -1, 0x8002, 0};
    ASSERT_GE(w.size(), head.size() + 8 * 21 + 2 + 4 + 2 + 11);
    EXPECT_EQ(words_t(w.begin(), w.begin() + long(head.size())), head);
    // Sub-model 0 (model 1): node from its ROM offsets, placed on the ring.
    int32_t m = 2 * 32;
    words_t sm = rom_pair(m);
    words_t node = words_t{0x8008, 3, 0, 1000, -500, 0, 1, 0, 0x7FFF} + sm + rom_pair(2 * 128) + words_t{4, -1};
    words_t place = {0x800A, 1, 3, 0x3C000 + (sm[0] * 7680 >> 11), 0x16000, 0x114000 + (sm[1] * 7680 >> 11)};
    EXPECT_EQ(words_t(w.begin() + 14, w.begin() + 35), node + place);
    size_t tail = head.size() + 8 * 21;
    EXPECT_EQ(words_t(w.begin() + long(tail), w.begin() + long(tail) + 6), (words_t{0x8000, 0, 520, 0, 0, 0}));
    EXPECT_EQ(words_t(w.begin() + long(tail) + 6, w.begin() + long(tail) + 8), (words_t{0x8002, 0}));
    EXPECT_EQ(w.size(), tail + 8 + 11);
    // Sub-part slot 0: the node's world point, its height less the ROM height, -m.
    EXPECT_EQ(wram_long(W_SUBPART_X), 1000 + 0x3C000 + (sm[0] * 7680 >> 11));
    EXPECT_EQ(wram_long(W_SUBPART_Y), 2000 + 0x16000 - 200);
    EXPECT_EQ(wram_long(W_SUBPART_ANGLE), -m);
    EXPECT_EQ(wram_long(W_SUBPART_SIZE + SUBPART_ROW_BYTES * 2), 300);
    EXPECT_EQ(wram_long(W_SUBPART_COUNT), 8);
}

TEST_F(ObjectEmitterTest, TrainStaysAwayWithoutItsSwitch) {
    wram_long_set(W_COURSE_NUMBER, 0);
    train_render();
    EXPECT_TRUE(written().empty());
}

// The switch is read once: the run with it set is a process of its own.
TEST_F(ObjectEmitterTest, TrainCarsRunAlongTheirCell) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    play_frame(0x205);
    wram_long_set(W_TRAIN_BASE_Y, 100);
    const synth_train_record& t = SYNTH_TRAIN_RECORDS[0];
    int32_t x = 0x18000 - 1000 + t.x, y = 100 + 33100 + t.y, z = 0x18000 - 3000 + t.z - 5 * 130;
    words_t expect = words_t{0x8002, 0, 904, x, y, z} + rom_pair(t.a) + rom_pair(t.b) + rom_pair(t.c) + words_t{0} +
                     words_t{0x8002, 0, 905, x, y, z - 3000} + rom_pair(t.a) + rom_pair(t.b) + rom_pair(t.c) +
                     words_t{0};
    EXPECT_EXIT(
        {
            setenv("SKYVOLTA_TRAIN", "1", 1);
            train_render();
            exit(written() == expect ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(ObjectEmitterTest, ObjectListLoadMarksABadListAndExpandsAGoodOne) {
    w_cell_set(W_KEYFRAME_COUNTER, 5);
    w_cell_set(W_RIG_FLAG, 5);
    EXPECT_EQ(rom_object_list_load(WRAM_BASE + 0x9000, 0x400000), WRAM_BASE + 0x9000);
    EXPECT_EQ(wram_long(0x9000), -1);
    EXPECT_EQ(w_cell(W_KEYFRAME_COUNTER), 0);
    EXPECT_EQ(w_cell(W_RIG_FLAG), 0);

    wram_long_set(0xA000, 7);
    uint32_t empty_list = 0x36424 + 12;  // a zero long: no records
    EXPECT_EQ(rom_object_list_load(w_pointer(&wram[0xA000]), w_pointer(program_rom + empty_list)), WRAM_BASE + 0xA000);
    EXPECT_EQ(wram[0xA000], -1);  // the end mark
    EXPECT_EQ(wram_long(0x169F4), int32_t(empty_list));

    wram_long_set(0x3FFC0, 7);
    EXPECT_EQ(rom_object_list_load(WRAM_BASE + 0x3FFC0, empty_list), WRAM_BASE + 0x3FFC0);
    EXPECT_EQ(wram_long(0x3FFC0), 7);
}

TEST_F(ObjectEmitterTest, ObjectListsWriteTheViewHeaderAndAStayingEndWord) {
    w_write16(WRAM_BASE + W_OBJECT_LIST_VIEW + 2, 5);
    wram_long_set(W_RIG_NODES, -1);
    wram_long_set(W_OBJECT_LIST_LENGTH, 2);
    testing::internal::CaptureStderr();
    for (int stage = 1; stage <= 2; stage++) {
        object_list_emit_staged();
        EXPECT_EQ(w_cell(W_KEYFRAME_COUNTER), stage);
    }
    *at(PACKETS0 + 16) = 0x77;
    object_list_emit_staged();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(written(), (words_t{0x8002, 5, 0x8002, 5, 0x8002, 5}));
    EXPECT_EQ(w_cell(W_KEYFRAME_COUNTER), 2);
    EXPECT_EQ(*at(PACKETS0 + 24), 0);
}

TEST_F(ObjectEmitterTest, MarkerBobsAroundItsPoint) {
    for (int32_t frame : {0, 256, 768}) {
        SCOPED_TRACE(frame);
        play_frame(frame);
        cursor_at(PACKETS0);
        int32_t point[3];
        marker_object_render(point);
        int32_t s = rom_pair(frame * 64)[0] >> 2;
        const int32_t expect[3] = {176304 + (s * 0x29000 >> 13), 125872 + s / 2, 550171 + 3 * s / 2};
        EXPECT_EQ(written(), (words_t{0x8000, 0, 439, expect[0] - 1000, expect[1] - 2000, expect[2] - 3000}));
        EXPECT_EQ(words_t(point, point + 3), words_t(expect, expect + 3));
    }
}

}  // namespace
