// Balloons: the layout choice and the set-up's counts; the hit test's reach, awards and
// sounds; popping, the drawing by detail group and course, the moving balloons, the
// cursor guard; hostile ROM copies.
#include "game/world/balloons.h"

#include "board/eeprom_settings.h"
#include "board/inputs.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/balloon_ram.h"
#include "game/world/moving_objects.h"
#include "game/world/node_lists.h"
#include "game/world/particles.h"
#include "tests/game/world/chunk_fixture.h"

#include <algorithm>
#include <string>

namespace {

// One object entry of the balloon step as written: the bank it was drawn in (0 after a
// closing pair), then model, x, y, z relative to the camera and the three rotation
// pairs.
struct balloon_entry {
    int32_t bank, model, x, y, z;
    int32_t pairs[6];
};

// The entries after the header pair (0x8002, prio), up to the closing 0x8010, -1;
// anything else ends the parse with `ok` false.
std::vector<balloon_entry> balloon_entries(const words_t& w, bool* ok) {
    std::vector<balloon_entry> out;
    *ok = w.size() >= 4 && w[0] == DL_HEADER_11 && w[w.size() - 2] == DL_LINK && w.back() == DL_END;
    int32_t bank = 0;
    for (size_t i = 2; *ok && i + 2 < w.size();) {
        if (w[i] == DL_LINK && w[i + 1] == DL_END) {
            bank = 0;
            i += 2;
        } else if (w[i] == DL_LINK && w[i + 1] == 3 && i + 3 < w.size() && w[i + 3] == DL_END) {
            bank = w[i + 2];
            i += 4;
        } else if (i + 11 <= w.size() - 2 && w[i] < DL_HEADER_4 && w[i + 10] == 0) {
            balloon_entry e = {bank, w[i], w[i + 1], w[i + 2], w[i + 3], {}};
            for (int k = 0; k < 6; k++) e.pairs[k] = w[i + 4 + size_t(k)];
            out.push_back(e);
            i += 11;
        } else {
            *ok = false;
        }
    }
    return out;
}

constexpr int32_t SCORE0 = 1000, TIMER0 = 5000;
constexpr int32_t POP_SLOT = 5, COOLDOWN_SLOT = 26;

int32_t word(uint32_t w) { return int16_t(uint16_t(w_read16(WRAM_BASE + w))); }
void word_put(uint32_t w, int32_t v) { w_write16(WRAM_BASE + w, uint32_t(v) & 0xFFFF); }
int32_t state_of(int i) { return word(W_BALLOON_STATES + 2 * uint32_t(i)); }
int32_t reach_of(int i) { return w_cell(W_BALLOON_REACH + 4 * uint32_t(i)); }
bool played(int32_t slot) { return (sound_ram_word(2 * uint32_t(slot)) & 0x4000) != 0; }

class BalloonTest : public ChunkTest {
protected:
    void SetUp() override {
        ChunkTest::SetUp();
        w_cell_set(W_GAME_STATE, 3);
        word_put(W_GAME_MODE, 1);
        word_put(W_COURSE_PAIR, 0);
        word_put(W_BALLOON_LAYOUT, -1);
        frame(0);
        w_cell_set(W_RUN_SCORE, SCORE0);
        w_cell_set(W_RACE_TIMER, TIMER0);
        balloon_guard_count = 0;
    }
    static void frame(int32_t f) { w_cell_set(W_PLAY_FRAME_COUNTER, f); }
    // Course n set up with the small layout, the camera in cell 17 (cells 9, 10, 17, 18
    // visible), the moving objects placed.
    void small_layout(int n = 0) {
        course(n);
        balloon_system_init();
        objects_move_update();
        camera_in(17, 0x8000, 0x4000, 0x8000);
    }
    static void player_at(int32_t x, int32_t y, int32_t z) {
        w_cell_set(W_PLAYER_X, x);
        w_cell_set(W_PLAYER_Y, y);
        w_cell_set(W_PLAYER_Z, z);
        w_cell_set(W_PLAYER_CELL, x / CELL_SIZE + 8 * (z / CELL_SIZE));
    }
    // Balloon j of the small layout (number 100 + j): its x and the player beside it.
    static int32_t small_x(int j) {
        int rank = 0;
        for (int k = 0; k < j; k++) rank += SYNTH_BALLOONS_SMALL[k].cell == SYNTH_BALLOONS_SMALL[j].cell;
        return synth_balloon_x(SYNTH_BALLOONS_SMALL[j].cell, rank);
    }
    static void player_beside(int j, int32_t dx, int32_t dy, int32_t dz) {
        player_at(small_x(j) - dx, SYNTH_BALLOON_Y - dy, synth_balloon_z(SYNTH_BALLOONS_SMALL[j].cell) - dz);
    }
    // One frame of the step from a fresh cursor: its entries.
    std::vector<balloon_entry> step() {
        cursor_at(PACKETS0);
        balloon_render_and_hit_check();
        bool ok = false;
        std::vector<balloon_entry> e = balloon_entries(written(), &ok);
        EXPECT_TRUE(ok);
        return e;
    }
    // The first entry drawn at world (x, z), or null.
    static const balloon_entry* entry_at(const std::vector<balloon_entry>& e, int32_t x, int32_t z) {
        for (const balloon_entry& b : e)
            if (b.x == x - wram_long(W_CAMERA_X) && b.z == z - wram_long(W_CAMERA_Z)) return &b;
        return nullptr;
    }
    static const balloon_entry* small_entry(const std::vector<balloon_entry>& e, int j) {
        return entry_at(e, small_x(j), synth_balloon_z(SYNTH_BALLOONS_SMALL[j].cell));
    }
    static const balloon_entry* moving_entry(const std::vector<balloon_entry>& e, int j) {
        return entry_at(e, w_cell(moving_object(j) + MO_POSITION), w_cell(moving_object(j) + MO_POSITION + 8));
    }
};

// ---- Set-up ------------------------------------------------------------------------------

struct layout_case {
    const char* name;
    int32_t state, preset, mode, stage, course, tick, pick, turn_word, layouts;
    int32_t expect;
};

TEST_F(BalloonTest, LayoutChoice) {
    const layout_case cases[] = {
        {"tick 5 of 2", 3, -1, 1, 1, 0, 5, 0, 0, 2, 1},
        {"tick 4 of 2", 3, -1, 1, 1, 0, 4, 0, 0, 2, 0},
        {"diagonal pick 2", 3, -1, 1, 1, 0, 4, 2, 0, 2, 1},
        {"pick ignored by the word at 0x0E6A", 3, -1, 1, 1, 0, 4, 2, 1, 2, 0},
        {"pick ignored on course 3", 3, -1, 1, 1, 3, 4, 2, 0, 3, 1},
        {"game mode 0", 3, -1, 0, 1, 0, 4, 0, 0, 2, 1},
        {"stage 0", 3, -1, 1, 0, 0, 5, 0, 0, 2, 0},
        {"stage 0 on course 3", 3, -1, 1, 0, 3, 5, 0, 0, 3, 2},
        {"chosen already", 3, 1, 1, 1, 0, 4, 0, 0, 2, 1},
        {"outside gameplay", 1, -1, 1, 1, 0, 5, 0, 0, 2, -1},
        {"no layouts", 3, -1, 1, 1, 0, 5, 0, 0, 0, 0},
        {"negative layouts", 3, -1, 1, 1, 0, 5, 0, 0, -5, 0},
    };
    for (const layout_case& c : cases) {
        SCOPED_TRACE(c.name);
        w_cell_set(W_GAME_STATE, c.state);
        word_put(W_BALLOON_LAYOUT, c.preset);
        word_put(W_GAME_MODE, c.mode);
        word_put(W_COURSE_PAIR, c.stage);
        w_cell_set(W_COURSE_NUMBER, c.course);
        w_cell_set(W_FRAME_TICK, c.tick);
        w_cell_set(W_DIAGONAL_CODE, c.pick);
        word_put(W_COURSE_LEFT, c.turn_word);
        rom_put32(0x035CFC + 4 * uint32_t(c.course), uint32_t(c.layouts));
        balloon_system_init();
        EXPECT_EQ(word(W_BALLOON_LAYOUT), c.expect);
        EXPECT_EQ(word(W_COURSE_LEFT), c.turn_word);  // kept beside the remaining word
    }
}

TEST_F(BalloonTest, SetUpCountsStatesAndMovingRecords) {
    for (uint32_t k = 0; k < 128; k++) w_cell_set(W_BALLOON_SCRATCH + 4 * k, 7);
    w_cell_set(W_RUN_OVER, 1);
    frame(3);
    balloon_system_init();
    EXPECT_EQ(w_cell(W_BALLOON_COUNT), 8);
    EXPECT_EQ(word(W_BALLOONS_LEFT), 7 + 1);  // the 5-second balloon and moving record 1 are not counted
    EXPECT_EQ(w_cell(W_MOVING_BALLOONS), 2);
    EXPECT_EQ(w_cell(W_BALLOON_TARGET), 500);
    EXPECT_EQ(word(W_BALLOON_FIRST), 100);
    EXPECT_EQ(w_cell(W_RUN_OVER), 0);
    for (int i = 0; i < 64; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(state_of(i), i <= 8 ? 0 : int16_t(0x8000));
        if (i < 8) {
            EXPECT_EQ(word(W_BALLOON_PHASES + 2 * uint32_t(i)), int16_t(uint16_t(3 * SYNTH_BALLOONS_SMALL[i].value)));
        }
        EXPECT_EQ(reach_of(i), 0x7FFFFFFF);
    }
    for (uint32_t k = 0; k < 128; k++) ASSERT_EQ(w_cell(W_BALLOON_SCRATCH + 4 * k), 0);
    for (int j = 0; j < 8; j++) {
        SCOPED_TRACE(j);
        uint32_t r = moving_object(j);
        if (j >= 2) {
            EXPECT_EQ(w_cell(r + MO_STATUS), int32_t(0x80000000u));
            continue;
        }
        const synth_moving_balloon& m = SYNTH_MOVING_BALLOONS[j];
        const int32_t longs[8] = {m.x, m.y, m.z, m.radius, m.rate, m.kind, m.value, 0x7777};
        for (uint32_t k = 0; k < 8; k++) EXPECT_EQ(w_cell(r + 4 * k), longs[k]) << k;
        EXPECT_EQ(w_cell(r + MO_STATUS), 0);
        EXPECT_EQ(w_cell(r + MO_REACH), 0x7FFFFFFF);
    }

    // Course 3: no moving balloons ride; their count is left as it was.
    course(3);
    w_cell_set(W_MOVING_BALLOONS, 5);
    balloon_system_init();
    EXPECT_EQ(w_cell(W_MOVING_BALLOONS), 5);
    for (int j = 0; j < 8; j++) EXPECT_EQ(w_cell(moving_object(j) + MO_STATUS), int32_t(0x80000000u));
    EXPECT_EQ(word(W_BALLOONS_LEFT), 7);

    balloon_state_reset();
    for (uint32_t k = 0; k < 200; k++) ASSERT_EQ(w_cell(W_PARTICLE_POOL + 4 * k), -1);
    for (uint32_t k = 0; k < 5; k++) EXPECT_EQ(word(W_PARTICLE_EMITTERS + 4 * k), -1);
    EXPECT_EQ(w_cell(W_PARTICLE_PHASE), 0);
}

TEST_F(BalloonTest, DemoRenewsOnlyStatesNotYetReached) {
    balloon_system_init();
    w_cell_set(W_GAME_STATE, 10);
    frame(500);
    const int32_t before[4] = {3, 16 - 400, 16 - 600, 0};  // popping, gone at 400, gone at 600, standing
    for (int i = 0; i < 4; i++) word_put(W_BALLOON_STATES + 2 * uint32_t(i), before[i]);
    w_cell_set(moving_object(0) + MO_STATUS, 16 - 400);
    w_cell_set(moving_object(1) + MO_STATUS, 16 - 600);
    balloon_system_init();
    EXPECT_EQ(state_of(0), 3);
    EXPECT_EQ(state_of(1), 16 - 400);
    EXPECT_EQ(state_of(2), 0);
    EXPECT_EQ(state_of(3), 0);
    EXPECT_EQ(w_cell(moving_object(0) + MO_STATUS), 16 - 400);
    EXPECT_EQ(w_cell(moving_object(1) + MO_STATUS), 0);
}

// ---- Hit test ------------------------------------------------------------------------------

struct reach_case {
    int32_t dx, dy, dz;
    bool hit;
    int32_t reach;
};

TEST_F(BalloonTest, ScaledDistanceBelow1846Hits) {
    const reach_case cases[] = {
        {42 * 128, 9 * 128, 0, true, -1},          // 1845
        {42 * 128, 9 * 128, 128, false, 1846},     // 1846
        {-42 * 128, -9 * 128, 0, true, -1},
        {42 * 128 + 127, 9 * 128 + 127, 127, true, -1},  // the shift drops the low bits
        {0, 0, 0, true, -1},
        {43 * 128, 0, 0, false, 1849},
    };
    for (const reach_case& c : cases) {
        SCOPED_TRACE(c.dz + 1000 * c.dx);
        SetUp();
        small_layout();
        player_beside(0, c.dx, c.dy, c.dz);
        EXPECT_EQ(balloon_in_range(small_x(0), SYNTH_BALLOON_Y, synth_balloon_z(9)), c.hit ? -1 : 0);
        step();
        EXPECT_EQ(reach_of(0), c.reach);
        EXPECT_EQ(state_of(0), c.hit ? 2 : 0);  // hit, then drawn as popping frame 1
        EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + (c.hit ? 10 : 0));
        EXPECT_EQ(played(POP_SLOT), c.hit);
    }
}

struct award_case {
    int balloon;
    int32_t score, timer, left_drop;
    bool cooldown;
};

TEST_F(BalloonTest, AwardsAndSounds) {
    const award_case cases[] = {
        {0, SCORE0 + 10, TIMER0, 1, false},
        {1, SCORE0 + 250, TIMER0, 1, true},
        {2, SCORE0, TIMER0 + 300, 0, true},  // value -5: 300 frames, no points
    };
    for (const award_case& c : cases) {
        SCOPED_TRACE(c.balloon);
        SetUp();
        small_layout();
        int32_t left = word(W_BALLOONS_LEFT);
        player_beside(c.balloon, 0, 0, 0);
        step();
        EXPECT_EQ(w_cell(W_RUN_SCORE), c.score);
        EXPECT_EQ(w_cell(W_RACE_TIMER), c.timer);
        EXPECT_EQ(word(W_BALLOONS_LEFT), left - c.left_drop);
        EXPECT_EQ(reach_of(c.balloon), -1);
        EXPECT_TRUE(played(POP_SLOT));
        EXPECT_EQ(sound_ram_word(2 * POP_SLOT) & 0x7FF, 0x105u);
        EXPECT_EQ(played(COOLDOWN_SLOT), c.cooldown);
        if (c.cooldown) {
            EXPECT_EQ(sound_ram_word(0x100 + 2 * COOLDOWN_SLOT), 82u);
        }
    }
}

TEST_F(BalloonTest, CooldownSoundKeepsItsGates) {
    small_layout();
    w_cell_set(W_PITCH_INPUT, 2);  // bit 1 of the flag word: the balloon cooldown stays quiet
    player_beside(1, 0, 0, 0);
    step();
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + 250);
    EXPECT_TRUE(played(POP_SLOT));
    EXPECT_FALSE(played(COOLDOWN_SLOT));
}

TEST_F(BalloonTest, PoppedBalloonShowsFifteenFramesThenNeverAgain) {
    small_layout();
    frame(1000);
    player_beside(0, 0, 0, 0);
    std::vector<int32_t> models;
    for (int f = 0; f < 20; f++) {
        std::vector<balloon_entry> e = step();
        const balloon_entry* b = small_entry(e, 0);
        models.push_back(b ? b->model : -1);
        if (b) {
            EXPECT_EQ(b->bank, SYNTH_BALLOON_BANK + 0);
        }
        frame(1001 + f);
    }
    std::vector<int32_t> expect;
    for (int s = 1; s <= 15; s++) expect.push_back(760 + s / 2);
    expect.resize(20, -1);
    EXPECT_EQ(models, expect);
    EXPECT_EQ(state_of(0), 16 - 1014);
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + 10);  // the player stayed on it: one hit
    EXPECT_EQ(reach_of(0), -1);
}

// A pop that ends by play frame 16 (where 16 - frame is not negative) stays gone.
TEST_F(BalloonTest, PopEndingEarlyInTheCountStaysGone) {
    for (int32_t f : {5, 16}) {
        SCOPED_TRACE(f);
        SetUp();
        small_layout();
        frame(f);
        word_put(W_BALLOON_STATES, 15);
        step();
        EXPECT_EQ(state_of(0), -1);
        for (int k = 0; k < 3; k++) step();
        EXPECT_EQ(state_of(0), -1);
    }
}

TEST_F(BalloonTest, TestOffDrawsAndReadsReachZero) {
    small_layout();
    w_cell_set(W_RUN_OVER, 1);
    player_beside(0, 0, 0, 0);
    std::vector<balloon_entry> e = step();
    EXPECT_NE(small_entry(e, 0), nullptr);
    for (int i = 0; i < 4; i++) EXPECT_EQ(reach_of(i), 0) << i;  // cell 9's hit list
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0);
    EXPECT_EQ(state_of(0), 0);
    EXPECT_FALSE(played(POP_SLOT));
}

TEST_F(BalloonTest, HitListNamesBalloonsOfNeighbouringCells) {
    small_layout();
    player_at(small_x(3), SYNTH_BALLOON_Y, synth_balloon_z(9));
    w_cell_set(W_PLAYER_CELL, 10);  // cell 10's list names balloon 103 of cell 9
    step();
    EXPECT_EQ(state_of(3), 2);
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + 20);
}

// ---- Drawing ----------------------------------------------------------------------------

TEST_F(BalloonTest, StandingBalloonsBobAndBlinkOnCoursesZeroToTwo) {
    small_layout();
    player_at(0, 0x70000000, 0);  // far away: nothing is hit
    wram_long_set(W_CAMERA_PITCH, 0x1000);
    for (int32_t f : {8, 0x40}) {
        SCOPED_TRACE(f);
        frame(f);
        int32_t phase = word(W_BALLOON_PHASES + 4);  // balloon 2, the 5-second one
        std::vector<balloon_entry> e = step();
        phase += SYNTH_BALLOON_STEP;
        const balloon_entry* b = small_entry(e, 2);
        ASSERT_NE(b, nullptr);
        bool blink = (f & 0x2C) == 0;
        // Chunks 0..9 of the list: detail group 0, animated by the frame.
        EXPECT_EQ(b->model, blink ? synth_balloon_row_model(0, 8) : synth_balloon_row_model(0, 2) + ((f >> 3) & 3));
        int32_t bob = int32_t((int64_t(SYNTH_BALLOON_AMPLITUDE) * rom_pair(phase)[0]) >> 15);
        EXPECT_EQ(b->y, SYNTH_BALLOON_Y + bob - 0x4000);
        EXPECT_EQ(b->bank, SYNTH_BALLOON_BANK + 2);
        EXPECT_EQ(words_t(b->pairs, b->pairs + 6), rom_pair(-0x1000) + rom_pair(0) + rom_pair(0));
    }
}

TEST_F(BalloonTest, DetailGroupsByChunkOrder) {
    masks_all_open(0);
    word_put(W_COURSE_PAIR, 2);
    word_put(W_BALLOON_LAYOUT, 0);
    balloon_system_init();
    EXPECT_EQ(w_cell(W_BALLOON_COUNT), 64);
    camera_in(35, 0x100, 0, 0x100);  // 60 chunks visible; the first 40 hold the balloons
    ASSERT_EQ(w_cell(W_VISIBLE_COUNT), 60);
    player_at(0, 0x70000000, 0);
    frame(8);
    std::vector<balloon_entry> e = step();
    ASSERT_EQ(e.size(), 64u);
    for (int32_t j = 0; j < 64; j++) {
        SCOPED_TRACE(j);
        const synth_balloon& s = SYNTH_BALLOONS_FULL.b[j];
        int32_t chunk = j < 48 ? j / 2 : j - 24;
        int32_t group = std::min(chunk / 10, 2);
        EXPECT_EQ(e[size_t(j)].model, synth_balloon_row_model(group, s.kind) + (group == 0 ? 1 : 0));
        EXPECT_EQ(e[size_t(j)].bank, SYNTH_BALLOON_BANK + s.kind);
    }
    // Heading into sector 1 lists the same chunks backwards: only the balloons of chunks
    // 20..39 fall among the 40 drawn, all of them in group 2; course 3 draws every chunk.
    camera_in(35, 0x100, 0, 0x100, 0x400);
    e = step();
    ASSERT_EQ(e.size(), 24u);
    for (const balloon_entry& b : e) EXPECT_GE(b.model, synth_balloon_row_model(2, 0));
    course(3);
    masks_all_open(3);
    camera_in(35, 0x100, 0, 0x100, 0x400);
    EXPECT_EQ(step().size(), 64u + 16u);  // with a sparkle for a quarter of them
}

TEST_F(BalloonTest, CourseThreeDrawsWithoutBobWithSparkles) {
    small_layout(3);
    player_at(0, 0x70000000, 0);
    wram_long_set(W_CAMERA_PITCH, 0x1000);
    wram_long_set(W_CAMERA_HEADING, 0x2000);
    for (int32_t f : {0x18, 0x50}) {
        SCOPED_TRACE(f);
        frame(f);
        std::vector<balloon_entry> e = step();
        size_t sparkles = 0;
        for (int j = 0; j < 8; j++) {
            SCOPED_TRACE(j);
            int32_t number = 100 + j;
            const synth_balloon& s = SYNTH_BALLOONS_SMALL[j];
            std::vector<const balloon_entry*> at;
            for (const balloon_entry& b : e)
                if (b.x == small_x(j) - wram_long(W_CAMERA_X) && b.z == synth_balloon_z(s.cell) - wram_long(W_CAMERA_Z))
                    at.push_back(&b);
            bool sparkle = (number & 3) == ((f >> 4) & 3);
            ASSERT_EQ(at.size(), sparkle ? 2u : 1u);
            bool blink = s.value < 0 && (f & 0x2C) == 0;
            int32_t group = s.cell == 18 ? 1 : 0;  // the eleventh chunk of the list
            EXPECT_EQ(at[0]->model, blink ? synth_balloon_row_model(group, 10)
                                          : synth_balloon_row_model(group, 9) + ((f >> 3) & 3));
            EXPECT_EQ(at[0]->y, SYNTH_BALLOON_Y - 0x4000);
            EXPECT_EQ(words_t(at[0]->pairs, at[0]->pairs + 6), rom_pair(-0x1000) + rom_pair(-0x2000) + rom_pair(0));
            if (sparkle) {
                sparkles++;
                EXPECT_EQ(at[1]->model, SYNTH_SPARKLE_MODEL_BASE + ((f >> 1) & 7));
                EXPECT_EQ(at[1]->z, at[0]->z);
            }
        }
        EXPECT_EQ(e.size(), 8 + sparkles);
    }
    // Popping on course 3 uses its own models.
    player_beside(0, 0, 0, 0);
    step();
    std::vector<balloon_entry> e = step();
    const balloon_entry* b = small_entry(e, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->model, 821 + 2 / 2);
}

TEST_F(BalloonTest, CursorNearTheBufferEndStopsWithOneGuardLine) {
    small_layout();
    player_at(0, 0x70000000, 0);
    int32_t* end = at(DL_BUFFER_BASE + DL_BUFFER_SIZE);  // buffer 0 is current
    testing::internal::CaptureStderr();
    for (int run = 0; run < 2; run++) {
        dl_cursor_set(end - 64);  // 256 bytes from the end
        balloon_render_and_hit_check();
        EXPECT_EQ(words_t(end - 64, dl_cursor_get()), (words_t{0x8002, 0, 0x8010, -1, 0x8010, -1}));
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[GUARD] balloon_render_and_hit_check: DSP cursor full -- remaining objects dropped\n");
    // With room, everything is drawn.
    dl_cursor_set(end - 1024);
    balloon_render_and_hit_check();
    bool ok = false;
    EXPECT_EQ(balloon_entries(words_t(end - 1024, dl_cursor_get()), &ok).size(), 10u);  // 8 and 2 riding
    EXPECT_TRUE(ok);
}

TEST_F(BalloonTest, NothingWithoutBalloons) {
    small_layout();
    w_cell_set(W_BALLOON_COUNT, 0);
    w_cell_set(W_MOVING_BALLOONS, 0);
    balloon_render_and_hit_check();
    EXPECT_TRUE(written().empty());
}

// ---- Moving balloons ----------------------------------------------------------------------

TEST_F(BalloonTest, MovingBalloonIsDrawnTurnedAndPopsWhenHit) {
    small_layout();
    frame(8);
    uint32_t r = moving_object(0);
    int32_t x = w_cell(r + MO_POSITION), y = w_cell(r + MO_POSITION + 4), z = w_cell(r + MO_POSITION + 8);
    EXPECT_EQ(x, SYNTH_MOVING_BALLOONS[0].x + 4094);
    EXPECT_EQ(w_cell(r + MO_CELL), 9);
    player_at(0, 0x70000000, 0);
    std::vector<balloon_entry> e = step();
    const balloon_entry* b = moving_entry(e, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->model, SYNTH_MOVING_MODEL_BASE + 1 + 1);
    EXPECT_EQ(b->bank, 0);  // drawn in the base bank
    EXPECT_EQ(words_t(b->pairs, b->pairs + 6), rom_pair(0) + rom_pair(0x100) + rom_pair(0));
    // Record 1 is a 3-second balloon: it blinks while the frame has none of bits 0x2C.
    frame(0x40);
    e = step();
    const balloon_entry* t = moving_entry(e, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->model, 739);

    player_at(x, y, z);
    int32_t left = word(W_BALLOONS_LEFT);
    frame(100);
    step();
    EXPECT_EQ(w_cell(r + MO_STATUS), 2);  // hit (1), then drawn as popping and counted on
    EXPECT_EQ(w_cell(r + MO_REACH), -1);
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + 50);
    EXPECT_EQ(word(W_BALLOONS_LEFT), left - 1);
    EXPECT_TRUE(played(POP_SLOT));
    EXPECT_TRUE(played(COOLDOWN_SLOT));
    for (int f = 0; f < 14; f++) {
        EXPECT_EQ(moving_entry(step(), 0)->model, 760 + (2 + f) / 2) << f;
    }
    EXPECT_EQ(w_cell(r + MO_STATUS), 16 - 100);
    objects_move_update();
    EXPECT_EQ(w_cell(r + MO_POSITION), x);  // gone: never moved again
    EXPECT_EQ(moving_entry(step(), 0), nullptr);
    EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0 + 50);
}

TEST_F(BalloonTest, MovingBalloonOutOfViewIsNeitherTestedNorDrawn) {
    small_layout();
    uint32_t r = moving_object(0);
    w_cell_set(W_CHUNK_SLOTS + 9, -1);
    player_at(w_cell(r + MO_POSITION), w_cell(r + MO_POSITION + 4), w_cell(r + MO_POSITION + 8));
    w_cell_set(W_PLAYER_CELL, 127);  // no static balloon listed there
    std::vector<balloon_entry> e = step();
    EXPECT_EQ(moving_entry(e, 0), nullptr);
    EXPECT_EQ(w_cell(r + MO_STATUS), 0);
    EXPECT_EQ(w_cell(r + MO_REACH), 0x7FFFFFFF);
}

// A list naming the number one past the layout's 64 (first + 64) finds no balloon there,
// even with a good record and a standing state word after the 64th: it is neither hit
// nor drawn, and the word after the states (the first reach cell's high half) stays.
TEST_F(BalloonTest, NumberOnePastTheLayoutIsNeitherHitNorDrawn) {
    const uint32_t records = SYNTH_BALLOON_POOL + 0x7000, numbers = SYNTH_BALLOON_POOL + 0x6000;
    const uint32_t draw = SYNTH_BALLOON_POOL;
    const int32_t past = 100 + 64;
    for (bool by_hit_list : {true, false}) {
        SCOPED_TRACE(by_hit_list ? "hit list" : "draw list");
        SetUp();
        // Balloon 164's record is balloon 100's, in cell 9.
        for (uint32_t k = 0; k < 32; k++)
            program_rom[records + 32 * uint32_t(past) + k] = program_rom[records + 32 * 100 + k];
        if (by_hit_list) {
            rom_put16(numbers, uint16_t(past));  // cell 9's hit list names 164 in place of 100
        } else {
            rom_put32(draw + 8 * 9, uint32_t(past));  // cell 9 draws only 164
            rom_put32(draw + 8 * 9 + 4, 1);
        }
        small_layout();
        w_cell_set(W_BALLOON_REACH, 0);  // the word after state 63 reads as a standing state
        if (by_hit_list)
            player_beside(0, 0, 0, 0);
        else
            player_at(0, 0x70000000, 0);
        std::vector<balloon_entry> e = step();
        EXPECT_EQ(w_read16(WRAM_BASE + W_BALLOON_STATES + 2 * 64), 0u);
        EXPECT_EQ(w_cell(W_RUN_SCORE), SCORE0);
        EXPECT_FALSE(played(POP_SLOT));
        if (!by_hit_list) {
            EXPECT_EQ(small_entry(e, 0), nullptr);
        }
    }
}

// ---- Hostile ROM copies ----------------------------------------------------------------------

TEST_F(BalloonTest, HostileTablesStayInsideTheirArrays) {
    const uint32_t numbers = SYNTH_BALLOON_POOL + 0x6000, moving = SYNTH_BALLOON_POOL + 0x6400;
    const uint32_t draw = SYNTH_BALLOON_POOL, hit = SYNTH_BALLOON_POOL + 0x3000;
    // Cell 9's hit list names local 70 first, cell 9's draw entry a run reaching 170.
    rom_put16(numbers, 170);
    rom_put32(draw + 8 * 9, 170);
    rom_put32(draw + 8 * 9 + 4, 4);
    rom_put16(moving + 2, 20);  // 20 moving balloons
    rom_put32(hit + 8 * 17, 0x7FFFFFF0);  // a start far past the number list
    rom_put32(hit + 8 * 17 + 4, 1);
    rom_put32(hit + 8 * 18 + 4, 0x7FFFFFFF);  // a count near 2^31
    small_layout();
    EXPECT_EQ(w_cell(W_MOVING_BALLOONS), 8);
    EXPECT_EQ(w_cell(W_BALLOON_COUNT), 4 + 4);  // cell 9's run counts, its balloons are not ours
    for (int32_t cell : {9, 17, 18, -5, 128, 1 << 30}) {
        SCOPED_TRACE(cell);
        player_beside(0, 0, 0, 0);
        w_cell_set(W_PLAYER_CELL, cell);
        std::vector<int32_t> moving_record(0x3C / 4);
        for (uint32_t k = 0; k < moving_record.size(); k++) moving_record[k] = w_cell(moving_object(0) + 4 * k);
        step();
        for (uint32_t k = 0; k < moving_record.size(); k++)
            if (k != MO_STATUS / 4 && k != MO_REACH / 4) {
                EXPECT_EQ(w_cell(moving_object(0) + 4 * k), moving_record[k]);
            }
    }
    EXPECT_EQ(state_of(0), 0);  // local 0 is never named: the lists name local 70 and on

    // Every table pointer past the ROM: no balloons at all.
    SetUp();
    for (uint32_t table = 0x035BCC; table < 0x035C4C; table += 4) rom_put32(table, 0xFFFFFFF0);
    small_layout();
    EXPECT_EQ(w_cell(W_BALLOON_COUNT), 0);
    EXPECT_EQ(w_cell(W_MOVING_BALLOONS), 0);
    EXPECT_EQ(word(W_BALLOONS_LEFT), 0);
    balloon_render_and_hit_check();
    EXPECT_TRUE(written().empty());

    // A course beyond the tables.
    SetUp();
    w_cell_set(W_COURSE_NUMBER, 9);
    balloon_system_init();
    EXPECT_EQ(w_cell(W_BALLOON_COUNT), 0);
    EXPECT_EQ(w_cell(W_BALLOON_TABLE), 0);
}

}  // namespace
