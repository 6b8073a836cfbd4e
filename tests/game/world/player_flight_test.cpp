// The player's flight step, course bounds and pedal drive over hand-set work-RAM states
// and the synthetic sine table.
#include "game/world/player_flight.h"

#include "base/host_hooks.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "tests/board/board_fixture.h"

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace {

struct cell_value {
    uint32_t w;
    int32_t value;
};

struct before_after {
    int32_t before, after;
};

class FlightTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        replay_apply_attitude_hook = hook_default;
    }
    void TearDown() override { replay_apply_attitude_hook = hook_default; }

    // Cleared images and the synthetic program ROM again, for each row of a table.
    void fresh() { BoardTest::SetUp(); }
    static void set(std::initializer_list<cell_value> cells) {
        for (const cell_value& c : cells) w_cell_set(c.w, c.value);
    }
    static void game_mode(uint32_t mode) { w_write16(WRAM_BASE + W_GAME_MODE, mode); }
    static void probe(uint32_t n, uint32_t field, int32_t value) { w_cell_set(probe_field(n, field), value); }

    // Level flight at speed, pitch 0, heading 0, in the middle of course 1.
    static void cruise(int32_t speed) {
        set({{W_PLAYER_X, 300000}, {W_PLAYER_Y, 50000}, {W_PLAYER_Z, 900000}, {W_PLAYER_SPEED, speed},
             {W_COURSE_NUMBER, 1}});
    }

    // Word w after one flight step from cruise at speed with w set to before.
    int32_t one_step(int32_t speed, uint32_t w, int32_t before) {
        fresh();
        cruise(speed);
        set({{w, before}});
        player_flight_step();
        return w_cell(w);
    }

    void (*hook_default)() = replay_apply_attitude_hook;
};

// Every word of player_state and flight_state, for the frame tables.
const uint32_t FLIGHT_WORDS[] = {
    W_PLAYER_X,         W_PLAYER_Y,          W_PLAYER_Z,           W_PLAYER_PITCH,       W_PLAYER_HEADING,
    W_PLAYER_ROLL,      W_PLAYER_PREV_X,     W_PLAYER_PREV_Y,      W_PLAYER_PREV_Z,      W_PLAYER_SPEED,
    W_CRANK_RATE,       W_DRAG,              W_SLOPE_TERM,         W_CRANK_ANGLE,        W_CRANK_FRAME,
    W_DRIVE,            W_PREV_DRIVE,        W_PROP_ANGLE,         W_STOP_FLAG,          W_COLLISION_OFF,
    W_PITCH_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH_2, W_TARGET_PITCH,    W_TARGET_HEADING,
    W_TARGET_ROLL,      W_EASED_PITCH,       W_EASED_HEADING,      W_EASED_ROLL,         W_SLOW_FLAG,
    W_PREV_SLOW_FLAG,   W_DIVE_PULL,         W_EASE_CODE,          W_THRUST_OFF_TIMER,   W_LOOKAHEAD_IMPACT,
    W_LOOKAHEAD_GROUND_HOLD, W_LOOKAHEAD_FAST_AVOID, W_BANK_DAMPING_TIMER, W_AVOID_STATE, W_BANK,
    W_WING_PUSH,        W_PITCH_PUSH,        W_DIVE_PULL_PEAK,
};

struct frame_case {
    const char* name;
    std::vector<cell_value> before;  // besides the shared start state
    std::vector<cell_value> probes;  // probe_field offsets
    int32_t course, mode;
    std::vector<cell_value> after;   // every flight word; those not listed must be 0
};

// The shared start: pedal 3, pitch input 8000, turn input -4000, at (100000, 50000,
// 900000), attitude (0x800, 0x2000, 0x100), speed 3000, targets and eased (0x800, 0x2000,
// 0), wing push 100, drive 1000, crank angle 630.
const cell_value START[] = {
    {W_PEDAL_DELTA, 3},      {W_PITCH_INPUT, 8000},     {W_TURN_INPUT, -4000},     {W_PLAYER_X, 100000},
    {W_PLAYER_Y, 50000},     {W_PLAYER_Z, 900000},      {W_PLAYER_PITCH, 0x800},   {W_PLAYER_HEADING, 0x2000},
    {W_PLAYER_ROLL, 0x100},  {W_PLAYER_SPEED, 3000},    {W_TARGET_PITCH, 0x800},   {W_TARGET_HEADING, 0x2000},
    {W_EASED_PITCH, 0x800},  {W_EASED_HEADING, 0x2000}, {W_WING_PUSH, 100},        {W_DRIVE, 1000},
    {W_CRANK_ANGLE, 630},
};

// Hand-computed. Sine-table words: sin 0x800 = 6393, sin 0x1000 = 12540; the move reads
// sin P and the cosine word before it (cos of P - 4), sin and cos-before of H =
// target heading + 0x4000, all & 0xFFFC.
const frame_case FRAME_CASES[] = {
    {"right wing hit, nose special region 226",
     {},
     {{probe_field(PROBE_RIGHT_WING, PROBE_HIT), 1},
      {probe_field(PROBE_NOSE, PROBE_SPECIAL), 1},
      {probe_field(PROBE_NOSE, PROBE_SPECIAL_TYPE), 226}},
     1, 0,
     {
         // push 100 - 256 = -156 (contact: no decay); pitch push +384, nose boost, ease 0x70.
         {W_WING_PUSH, -156}, {W_PITCH_PUSH, 384}, {W_EASE_CODE, 0x70},
         // n = 4 + (3584 - 3000) >> 4 = 40; (74 * 40) >> 4 + 1 = 186.
         {W_CRANK_RATE, 186},
         // drag 3000^2 >> 22 = 2; slope (6393 * -27) >> 14 = -11; 3000 + 186 - 2 - 11.
         {W_DRAG, 2}, {W_SLOPE_TERM, -11}, {W_PLAYER_SPEED, 3173},
         // 8000 >> 4 = 500, then + (-6393) >> 5 = -200; -4000 >> 5 = -125 twice.
         {W_PITCH_INPUT_SMOOTH, 300}, {W_TURN_INPUT_SMOOTH, -125}, {W_TURN_INPUT_SMOOTH_2, -125},
         // pitch 2048 + 300 >> 8 = 2049, - 156 >> 7 = 2048, + 384 >> 5 = 2060;
         // heading 8192 - (-1 + -1) = 8194, - (-156 >> 5) = 8199; roll -125 >> 3 = -16.
         {W_TARGET_PITCH, 2060}, {W_TARGET_HEADING, 8199}, {W_TARGET_ROLL, -16},
         // length 3173 >> 4 = 198; P = 0x80C: sin 6430, cos-before 32133; H = 0x6004:
         // sin 23162, cos-before -23170: dx = (-22721 * 198) >> 15 = -138,
         // dy = (6430 * 198) >> 15 = 38, dz = (22713 * 198) >> 15 = 137.
         {W_PLAYER_X, 99862}, {W_PLAYER_Y, 50038}, {W_PLAYER_Z, 900137},
         {W_PLAYER_PREV_X, 100000}, {W_PLAYER_PREV_Y, 50000}, {W_PLAYER_PREV_Z, 900000},
         // shifts 7 and 1: 2048 + 12 >> 7, 8192 + 7 >> 7, 0 + -16 >> 1.
         {W_EASED_PITCH, 2048}, {W_EASED_HEADING, 8192}, {W_EASED_ROLL, -8},
         // g = 7, u = -2, v = -1, shift 0.
         {W_BANK, -1},
         // 2048 + 300 >> 3 + 384 >> 1; 8192 + 16; -1 - 16 - 156 - 8.
         {W_PLAYER_PITCH, 2277}, {W_PLAYER_HEADING, 8208}, {W_PLAYER_ROLL, -181},
         // p = 4: step min(256, 4736 - 1000); crank 630 + 18 - 640.
         {W_DRIVE, 1256}, {W_PREV_DRIVE, 1000}, {W_PROP_ANGLE, -1256}, {W_CRANK_ANGLE, 8}, {W_CRANK_FRAME, 0},
     }},
    {"ease code 0x78, bank damping 120, slow, left wing special 200, top hit, novice ceiling",
     {{W_PEDAL_DELTA, 0},           {W_PLAYER_SPEED, 2900},      {W_PLAYER_Y, 108950},
      {W_PLAYER_PITCH, 0x1000},     {W_TARGET_PITCH, 0xC00},     {W_EASED_PITCH, 0xA00},
      {W_EASED_HEADING, 0x1E00},    {W_EASED_ROLL, 0x100},       {W_PITCH_INPUT_SMOOTH, 2000},
      {W_TURN_INPUT_SMOOTH, -800},  {W_TURN_INPUT_SMOOTH_2, -600}, {W_PITCH_PUSH, 0x100},
      {W_EASE_CODE, 0x78},          {W_BANK_DAMPING_TIMER, 120}, {W_BANK, 0x400},
      {W_WING_PUSH, -1000},         {W_DIVE_PULL, 0x2000},       {W_DIVE_PULL_PEAK, 0x4000},
      {W_SLOW_FLAG, 1},             {W_DRIVE, 2000},             {W_PROP_ANGLE, 5000},
      {W_CRANK_ANGLE, 638}},
     {{probe_field(PROBE_LEFT_WING, PROBE_SPECIAL), 1},
      {probe_field(PROBE_LEFT_WING, PROBE_SPECIAL_TYPE), 200},
      {probe_field(PROBE_TOP, PROBE_HIT), 1}},
     0, 0,
     {
         // type 200 on the left wing: -512; pitch push 256 - 384 (top hit).
         {W_WING_PUSH, -1512}, {W_PITCH_PUSH, -128}, {W_EASE_CODE, 0x78}, {W_BANK_DAMPING_TIMER, 120},
         // crank 5; drag 2; slope (12540 * -27) >> 14 = -21; 2900 + 5 - 2 - 21.
         {W_CRANK_RATE, 5}, {W_DRAG, 2}, {W_SLOPE_TERM, -21}, {W_PLAYER_SPEED, 2882},
         // 2000 + 6000 >> 4 = 2375, + (-12540) >> 5 = 1983; -800 + -3200 >> 5; -600 + -3400 >> 5.
         {W_PITCH_INPUT_SMOOTH, 1983}, {W_TURN_INPUT_SMOOTH, -900}, {W_TURN_INPUT_SMOOTH_2, -707},
         // slow: pitch 3072 + 2882 - 2987 = 2967; d = 105: (11025 >> 8) * 105 = 4515 below
         // the old pull 0x2000; decay 0x2000 - 0x4000 >> 5.
         {W_SLOW_FLAG, 1}, {W_PREV_SLOW_FLAG, 1}, {W_DIVE_PULL, 7680}, {W_DIVE_PULL_PEAK, 0x4000},
         // pitch 2967 + 7 - 1512 >> 7 - 4 (pitch push >> 5) = 2959;
         // heading 8192 - (-2 - 4) = 8198, + 48 = 8246; roll -900 >> 3 = -113.
         {W_TARGET_PITCH, 2959}, {W_TARGET_HEADING, 8246}, {W_TARGET_ROLL, -113},
         // length 180; P = 0xB8C: sin 9163, cos-before 31464; H = 0x6034: sin 23055,
         // cos-before -23277: dx = (-22351 * 180) >> 15 = -123, dy = (9163 * 180) >> 15 = 50,
         // dz = (22137 * 180) >> 15 = 121; y 109000 is held at 108960.
         {W_PLAYER_X, 99877}, {W_PLAYER_Y, 108960}, {W_PLAYER_Z, 900121},
         {W_PLAYER_PREV_X, 100000}, {W_PLAYER_PREV_Y, 108950}, {W_PLAYER_PREV_Z, 900000},
         // shifts 7 and 1: 2560 + 399 >> 7, 7680 + 566 >> 7, 256 + -369 >> 1.
         {W_EASED_PITCH, 2563}, {W_EASED_HEADING, 7684}, {W_EASED_ROLL, 71},
         // g = 562, u = -141, v = (-141 - 1024) >> 1 = -583, (1024 - 583) >> 3.
         {W_BANK, 55},
         // 2563 + 247 - 64; 7684 + 89; 55 - 113 - 1512 + 71.
         {W_PLAYER_PITCH, 2746}, {W_PLAYER_HEADING, 7773}, {W_PLAYER_ROLL, -1499},
         // p = 1: step min(256, 1184 - 2000) gives 1184, above 2882 / 3 = 960; the old
         // drive 2000 is larger: 2000 - 30. Crank 638 + 4 - 640.
         {W_DRIVE, 1970}, {W_PREV_DRIVE, 2000}, {W_PROP_ANGLE, 3030}, {W_CRANK_ANGLE, 2}, {W_CRANK_FRAME, 0},
     }},
};

TEST_F(FlightTest, OneFrameFromAHandSetStateMatchesTheHandComputedWords) {
    for (const frame_case& c : FRAME_CASES) {
        fresh();
        for (const cell_value& v : START) w_cell_set(v.w, v.value);
        for (const cell_value& v : c.before) w_cell_set(v.w, v.value);
        for (const cell_value& v : c.probes) w_cell_set(v.w, v.value);
        set({{W_COURSE_NUMBER, c.course}});
        game_mode(c.mode);
        player_bounds_check();
        for (uint32_t w : FLIGHT_WORDS) {
            int32_t want = 0;
            for (const cell_value& v : c.after)
                if (v.w == w) want = v.value;
            EXPECT_EQ(w_cell(w), want) << c.name << ": W 0x" << std::hex << w;
        }
    }
}

TEST_F(FlightTest, IdlePedalGivesCrankRateFiveAndCrankStepFour) {
    cruise(4000);
    set({{W_CRANK_ANGLE, 100}});
    player_bounds_check();
    EXPECT_EQ(w_cell(W_CRANK_RATE), 5);
    EXPECT_EQ(w_cell(W_CRANK_ANGLE), 104);
    EXPECT_EQ(w_cell(W_CRANK_FRAME), 10);
    // The drive climbs by 256 toward 1184 unless speed / 3 is larger.
    EXPECT_EQ(w_cell(W_DRIVE), (4000 + 5 - 3) / 3);
}

TEST_F(FlightTest, StoppedMachineStandsWhileIdleAndOnePedalCountReleasesIt) {
    cruise(5000);
    set({{W_STOP_FLAG, 1}});
    const int32_t drives[] = {256, 512, 768, 1024, 1184, 1184};
    int32_t prop = 0;
    for (int32_t drive : drives) {
        player_bounds_check();
        prop -= drive;
        EXPECT_EQ(w_cell(W_PLAYER_SPEED), 0);
        EXPECT_EQ(w_cell(W_STOP_FLAG), 1);
        EXPECT_EQ(w_cell(W_DRIVE), drive);
        EXPECT_EQ(w_cell(W_PROP_ANGLE), prop);
    }
    set({{W_PEDAL_DELTA, 1}});
    player_bounds_check();
    EXPECT_EQ(w_cell(W_CRANK_RATE), 10);
    EXPECT_EQ(w_cell(W_STOP_FLAG), 0);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 3742);
    EXPECT_EQ(w_cell(W_DRIVE), 1440);
}

TEST_F(FlightTest, SlowHandlingStartsBelowSpeed2987) {
    // Idle pedal at pitch 0: speed + 5 - 2 (drag).
    struct row {
        int32_t speed_before, speed_after, slow, target_pitch;
    };
    for (const row& r : {row{2984, 2987, 0, 0x200}, row{2983, 2986, 1, 0x1FF}}) {
        fresh();
        cruise(r.speed_before);
        set({{W_TARGET_PITCH, 0x200}, {W_EASED_PITCH, 0x200}, {W_SLOW_FLAG, 1 - r.slow}});
        player_flight_step();
        EXPECT_EQ(w_cell(W_PLAYER_SPEED), r.speed_after);
        EXPECT_EQ(w_cell(W_SLOW_FLAG), r.slow) << r.speed_after;
        EXPECT_EQ(w_cell(W_PREV_SLOW_FLAG), 1 - r.slow) << r.speed_after;
        EXPECT_EQ(w_cell(W_TARGET_PITCH), r.target_pitch) << r.speed_after;
        EXPECT_EQ(w_cell(W_DIVE_PULL), 0) << r.speed_after;  // d = 1: (1 >> 8) * 1
    }
}

TEST_F(FlightTest, SlowHandlingFloorsTheTargetPitchAtMinus0x3000) {
    // Speed 105 lowers the target by 2882; the floor compares its low 16 bits and
    // replaces the whole long.
    const before_after rows[] = {{-0x2000, -0x2000 - 2882}, {-0x2500, -0x3000}, {0x10000 - 0x2500, -0x3000}};
    for (const before_after& r : rows) EXPECT_EQ(one_step(100, W_TARGET_PITCH, r.before), r.after) << r.before;
}

TEST_F(FlightTest, WingPushDecaysWithoutContact) {
    const before_after rows[] = {{63, 0}, {-63, -62}, {64, 0}, {65, 64}, {4096, 4032}, {-4096, -4032}, {6000, 4032}};
    for (const before_after& r : rows) EXPECT_EQ(one_step(4000, W_WING_PUSH, r.before), r.after) << r.before;
}

TEST_F(FlightTest, WingContactsPushByHitAndRegionType) {
    struct row {
        uint32_t probe, field;
        int32_t type, push;
    };
    const row rows[] = {
        {PROBE_RIGHT_WING, PROBE_HIT, 0, -256},       {PROBE_LEFT_WING, PROBE_HIT, 0, 256},
        {PROBE_RIGHT_WING, PROBE_SPECIAL, 226, -512}, {PROBE_RIGHT_WING, PROBE_SPECIAL, 225, 512},
        {PROBE_LEFT_WING, PROBE_SPECIAL, 225, -512},  {PROBE_LEFT_WING, PROBE_SPECIAL, 226, 512},
    };
    for (const row& r : rows) {
        fresh();
        cruise(4000);
        probe(r.probe, r.field, 1);
        probe(r.probe, PROBE_SPECIAL_TYPE, r.type);
        player_flight_step();
        EXPECT_EQ(w_cell(W_WING_PUSH), r.push) << r.probe << " " << r.field << " " << r.type;
        // A contact turns the target heading away by push >> 5.
        EXPECT_EQ(w_cell(W_TARGET_HEADING), -(r.push >> 5));
    }
    // Held contact: the push stops at 4096.
    fresh();
    cruise(4000);
    set({{W_WING_PUSH, 4000}});
    probe(PROBE_LEFT_WING, PROBE_HIT, 1);
    player_flight_step();
    EXPECT_EQ(w_cell(W_WING_PUSH), 4096);
}

TEST_F(FlightTest, NoseAndTopContactsMoveThePitchPush) {
    struct row {
        int32_t nose_type;  // -1: no nose contact
        bool top;
        int32_t before, after, ease;
    };
    const row rows[] = {
        {225, false, 0, -768, 0x70},           {226, false, 0, 384, 0x70},
        {227, false, 0x1F00, 0x2000, 0x70},    {228, false, 100, 100, 0x70},
        {200, false, -0x2E00, -0x3000, 0x70},  {-1, true, -0x3000, -0x3000 - 384, 0},
        {-1, false, 0x1000, 0x1000 - 0x40, 0}, {226, true, 0x2000, 0x2000 - 384, 0x70},
    };
    for (const row& r : rows) {
        fresh();
        cruise(4000);
        set({{W_PITCH_PUSH, r.before}});
        if (r.nose_type >= 0) {
            probe(PROBE_NOSE, PROBE_SPECIAL, 1);
            probe(PROBE_NOSE, PROBE_SPECIAL_TYPE, r.nose_type);
        }
        if (r.top) probe(PROBE_TOP, PROBE_HIT, 1);
        player_flight_step();
        EXPECT_EQ(w_cell(W_PITCH_PUSH), r.after) << r.nose_type << " " << r.top << " " << r.before;
        EXPECT_EQ(w_cell(W_EASE_CODE), r.ease) << r.nose_type;
    }
}

TEST_F(FlightTest, NoseBoostAddsCrankRateBelowSpeed3584) {
    struct row {
        int32_t speed, crank_rate;
    };
    // n = 1 + (3584 - speed) >> 4.
    for (const row& r : {row{3583, 5}, row{3000, ((74 * 37) >> 4) + 1}, row{3584, 5}}) {
        fresh();
        cruise(r.speed);
        probe(PROBE_NOSE, PROBE_SPECIAL, 1);
        probe(PROBE_NOSE, PROBE_SPECIAL_TYPE, 227);
        player_flight_step();
        EXPECT_EQ(w_cell(W_CRANK_RATE), r.crank_rate) << r.speed;
    }
    fresh();
    cruise(3000);
    set({{W_THRUST_OFF_TIMER, 1}, {W_PEDAL_DELTA, 9}});
    player_flight_step();
    EXPECT_EQ(w_cell(W_CRANK_RATE), 0);
}

TEST_F(FlightTest, DivePullCapsAndDecaysByPeakOver32) {
    cruise(0);
    player_flight_step();  // speed 5: d = 2982, (2982^2 >> 8) * 2982 is far above the cap
    EXPECT_EQ(w_cell(W_DIVE_PULL), 0x500000);
    EXPECT_EQ(w_cell(W_DIVE_PULL_PEAK), 0x500000);
    player_flight_step();  // still slow: raised back to the cap, then decayed
    EXPECT_EQ(w_cell(W_DIVE_PULL), 0x500000 - 0x28000);
    set({{W_PLAYER_SPEED, 5000}});
    player_flight_step();
    EXPECT_EQ(w_cell(W_DIVE_PULL), 0x500000 - 2 * 0x28000);
    EXPECT_EQ(w_cell(W_DIVE_PULL_PEAK), 0x500000);
    // The pull running out clears the peak too.
    set({{W_DIVE_PULL, 0x100}, {W_DIVE_PULL_PEAK, 0x4000}});
    player_flight_step();
    EXPECT_EQ(w_cell(W_DIVE_PULL), 0);
    EXPECT_EQ(w_cell(W_DIVE_PULL_PEAK), 0);
}

TEST_F(FlightTest, FallingSpeedLowersTheDriveBy30AFrame) {
    set({{W_DRIVE, 3000}, {W_PLAYER_SPEED, 8000}});
    for (int32_t drive : {2970, 2940, 2910}) {
        player_pedal_drive();
        EXPECT_EQ(w_cell(W_DRIVE), drive);
    }
    EXPECT_EQ(w_cell(W_PREV_DRIVE), 2940);
    // Speed / 3 above the pedal's drive carries it up, and 0x6F00 bounds the pedal's.
    set({{W_DRIVE, 0x6E80}, {W_PLAYER_SPEED, 100}, {W_PEDAL_DELTA, 100}});
    player_pedal_drive();
    EXPECT_EQ(w_cell(W_DRIVE), 0x6F00);
    set({{W_DRIVE, 1184}, {W_PLAYER_SPEED, 9000}, {W_PEDAL_DELTA, 0}});
    player_pedal_drive();
    EXPECT_EQ(w_cell(W_DRIVE), 3000);
}

TEST_F(FlightTest, CrankAngleWrapsBothWays) {
    const struct {
        int32_t angle, pedal, after;
    } rows[] = {{636, 0, 0}, {639, 0, 3}, {2, -2, 640 - 3}, {0, 200, (200 * 74 + 74) / 16 % 640}};
    for (const auto& r : rows) {
        set({{W_CRANK_ANGLE, r.angle}, {W_PEDAL_DELTA, r.pedal}});
        player_pedal_drive();
        EXPECT_EQ(w_cell(W_CRANK_ANGLE), r.after) << r.angle << " " << r.pedal;
        EXPECT_EQ(w_cell(W_CRANK_FRAME), r.after / 10);
    }
}

TEST_F(FlightTest, TargetPitchLimitDependsOnCourseAndMode) {
    struct row {
        int32_t course, mode, target, after;
    };
    const row rows[] = {
        {0, 0, 0x3000, 0x1000},   {0, 0, -0x3000, -0x1000}, {0, 1, 0x3000, 0x3000},  {1, 0, 0x5000, 0x4000},
        {3, 0, -0x5000, -0x4000}, {2, 1, 0x4000, 0x4000},
        // The low 16 bits are compared; an in-range long stays whole.
        {0, 0, 0x10800, 0x10800}, {1, 0, 0x1B000, -0x4000},
    };
    for (const row& r : rows) {
        fresh();
        cruise(4000);
        set({{W_COURSE_NUMBER, r.course}, {W_TARGET_PITCH, r.target}});
        game_mode(r.mode);
        player_flight_step();
        EXPECT_EQ(w_cell(W_TARGET_PITCH), r.after) << r.course << " " << r.mode << " " << r.target;
    }
}

TEST_F(FlightTest, LevelFlightWithoutContactsFollowsTheTargetsExactly) {
    cruise(4000);
    set({{W_TARGET_HEADING, 0x1234}, {W_EASED_HEADING, 0x1000}, {W_TURN_INPUT, 3200}});
    for (int i = 0; i < 5; i++) {
        player_flight_step();
        int32_t smooth = w_cell(W_TURN_INPUT_SMOOTH_2);
        EXPECT_EQ(w_cell(W_EASED_HEADING), w_cell(W_TARGET_HEADING));
        EXPECT_EQ(w_cell(W_PLAYER_HEADING), w_cell(W_TARGET_HEADING) - (smooth >> 3));
        EXPECT_EQ(w_cell(W_PLAYER_PITCH),
                  w_cell(W_TARGET_PITCH) + (w_cell(W_PITCH_INPUT_SMOOTH) >> 3) + (w_cell(W_PITCH_PUSH) >> 1));
    }
}

TEST_F(FlightTest, LargeShiftsAndProductsWrapWithoutFault) {
    // Bank damping 0x7E0 >> 5 = 63: a sign fill; speed 0x10000 squares to 0 in 32 bits.
    struct row {
        int32_t bank, timer, bank_after;
    };
    for (const row& r : {row{-5000, 0x7E0, -1}, row{5000, 0x7E0, 0}, row{5000, 0x400, 0}, row{-5000, 0x3E0, -1}}) {
        fresh();
        cruise(0x10000);
        set({{W_BANK, r.bank}, {W_BANK_DAMPING_TIMER, r.timer}});
        player_flight_step();
        EXPECT_EQ(w_cell(W_BANK), r.bank_after) << r.bank << " " << r.timer;
        EXPECT_EQ(w_cell(W_DRAG), 0);
        EXPECT_EQ(w_cell(W_PLAYER_SPEED), 0x10000 + 5);
    }
    // 74 n of a huge pedal count wraps; the speed stays non-negative.
    set({{W_PEDAL_DELTA, 0x7FFFFFF0}, {W_PLAYER_SPEED, 3000}});
    player_bounds_check();
    EXPECT_GE(w_cell(W_PLAYER_SPEED), 0);
}

TEST_F(FlightTest, PositionClampHoldsEachCourseToItsBounds) {
    struct row {
        int32_t course, mode, collision_off;
        int32_t x, y, z;     // before
        int32_t ex, ey, ez;  // after
    };
    const row rows[] = {
        {0, 0, 0, -5, 200000, 5, -5, 108960, 5},
        {0, 0, 0, -5, 108960, 5, -5, 108960, 5},
        {0, 1, 0, -5, 200000, 5, -5, 140960, 5},
        {1, 0, 0, -5, 200000, 5, -5, 140960, 5},
        {2, 1, 0, -5, -9999, 5, -5, -9999, 5},
        {3, 0, 0, 10, 300000, 10, 20000, 260000, 766432},
        {3, 1, 0, 900000, 5, 2000000, 766432, 10000, 1552864},
        {3, 0, 0, 400000, 130000, 1000000, 400000, 130000, 1000000},
        // Collision off: course 3 keeps its box and floor but no ceiling; others go free.
        {3, 0, 1, 10, 300000, 10, 20000, 300000, 766432},
        {3, 0, 1, 900000, 5, 2000000, 766432, 10000, 1552864},
        {0, 0, 1, -5, 200000, 5, -5, 200000, 5},
        {1, 0, 1, -5, 200000, 5, -5, 200000, 5},
    };
    for (const row& r : rows) {
        fresh();
        set({{W_COURSE_NUMBER, r.course}, {W_COLLISION_OFF, r.collision_off}, {W_PLAYER_X, r.x},
             {W_PLAYER_Y, r.y}, {W_PLAYER_Z, r.z}});
        game_mode(r.mode);
        player_position_clamp();
        EXPECT_EQ(w_cell(W_PLAYER_X), r.ex) << r.course << " " << r.mode << " " << r.collision_off;
        EXPECT_EQ(w_cell(W_PLAYER_Y), r.ey) << r.course << " " << r.mode << " " << r.collision_off;
        EXPECT_EQ(w_cell(W_PLAYER_Z), r.ez) << r.course << " " << r.mode << " " << r.collision_off;
    }
}

int32_t hook_speed_seen;
void replay_stand_in() {
    hook_speed_seen = w_cell(W_PLAYER_SPEED);
    w_cell_set(W_PLAYER_Y, 500000);
    w_cell_set(W_PLAYER_SPEED, 9000);
}

TEST_F(FlightTest, ReplayHookEndsTheFlightStepBeforeClampAndDrive) {
    cruise(4000);
    set({{W_COURSE_NUMBER, 0}});
    replay_apply_attitude_hook = replay_stand_in;
    player_bounds_check();
    EXPECT_EQ(hook_speed_seen, 4000 + 5 - 3);  // the step had written its speed
    EXPECT_EQ(w_cell(W_PLAYER_Y), 108960);     // the clamp saw the replayed height
    EXPECT_EQ(w_cell(W_DRIVE), 9000 / 3);      // the drive followed the replayed speed
}

TEST_F(FlightTest, InitSetsSpeedTargetsAndClearsTheWholeFlightState) {
    set({{W_PLAYER_PITCH, 0x123}, {W_PLAYER_HEADING, -0x4567}, {W_PLAYER_ROLL, 0x89}, {0x12BC, 7}, {0x12F8, 9}});
    for (uint32_t w = 0x12C0; w <= 0x12F4; w += 4) w_cell_set(w, int32_t(w));
    player_flight_init();
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 3072);
    EXPECT_EQ(w_cell(W_TARGET_PITCH), 0x123);
    EXPECT_EQ(w_cell(W_EASED_PITCH), 0x123);
    EXPECT_EQ(w_cell(W_TARGET_HEADING), -0x4567);
    EXPECT_EQ(w_cell(W_EASED_HEADING), -0x4567);
    EXPECT_EQ(w_cell(W_TARGET_ROLL), 0x89);
    EXPECT_EQ(w_cell(W_EASED_ROLL), 0x89);
    for (uint32_t w = 0x12C0; w <= 0x12F4; w += 4) EXPECT_EQ(w_cell(w), 0) << std::hex << w;
    EXPECT_EQ(w_cell(0x12BC), 7);  // the view flag and what follows are not flight state
    EXPECT_EQ(w_cell(0x12F8), 9);
}

// Seeded random inputs, contacts and timers on every course and mode: the invariants
// hold every frame, and nothing is reported.
TEST_F(FlightTest, RandomFlightKeepsItsInvariants) {
    testing::internal::CaptureStderr();
    for (int32_t course = 0; course < 4; course++) {
        for (uint32_t mode = 0; mode < 2; mode++) {
            fresh();
            std::mt19937 rng(uint32_t(1000 + course * 2 + mode));
            auto uniform = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
            set({{W_COURSE_NUMBER, course}, {W_PLAYER_X, 400000}, {W_PLAYER_Y, 60000}, {W_PLAYER_Z, 1000000}});
            game_mode(mode);
            player_flight_init();
            for (int frame = 0; frame < 20000; frame++) {
                set({{W_PITCH_INPUT, uniform(-32640, 32640)}, {W_TURN_INPUT, uniform(-32640, 32640)},
                     {W_PEDAL_DELTA, uniform(0, 63) == 0 ? uniform(INT32_MIN, INT32_MAX) : uniform(-1, 12)},
                     {W_COLLISION_OFF, uniform(0, 15) == 0}});
                for (uint32_t n = PROBE_RIGHT_WING; n <= PROBE_TOP; n++) {
                    probe(n, PROBE_HIT, uniform(0, 7) == 0);
                    probe(n, PROBE_SPECIAL, uniform(0, 11) == 0);
                    probe(n, PROBE_SPECIAL_TYPE, uniform(220, 232));
                }
                if (uniform(0, 99) == 0)
                    set({{W_EASE_CODE, uniform(0, 4095)},
                         {W_BANK_DAMPING_TIMER, uniform(0, 4095)},
                         {W_THRUST_OFF_TIMER, uniform(0, 4095)}});
                if (uniform(0, 999) == 0) set({{W_STOP_FLAG, 1}});
                player_bounds_check();

                int32_t x = w_cell(W_PLAYER_X), y = w_cell(W_PLAYER_Y), z = w_cell(W_PLAYER_Z);
                int32_t angle = w_cell(W_CRANK_ANGLE);
                bool off = w_cell(W_COLLISION_OFF) != 0;
                ASSERT_GE(w_cell(W_PLAYER_SPEED), 0) << course << " " << mode << " frame " << frame;
                ASSERT_TRUE(angle >= 0 && angle <= 639) << angle;
                ASSERT_EQ(w_cell(W_CRANK_FRAME), angle / 10);
                ASSERT_TRUE(w_cell(W_WING_PUSH) >= -4096 && w_cell(W_WING_PUSH) <= 4096);
                if (course == 3) {
                    ASSERT_TRUE(x >= 20000 && x <= 766432 && z >= 766432 && z <= 1552864 && y >= 10000)
                        << x << " " << y << " " << z;
                    if (!off) {
                        ASSERT_LE(y, 260000);
                    }
                } else if (!off) {
                    ASSERT_LE(y, course == 0 && mode == 0 ? 108960 : 140960);
                }
                // Contacts act after the pitch limit: the wing push takes up to 4096 >> 7,
                // the pitch push moves it by (-0x3000 - 384) >> 5 .. 0x2000 >> 5.
                int32_t limit = course == 0 && mode == 0 ? 0x1000 : 0x4000;
                int16_t pitch = int16_t(w_cell(W_TARGET_PITCH));
                ASSERT_TRUE(pitch >= -limit - 32 - 396 && pitch <= limit + 256) << pitch;
            }
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
