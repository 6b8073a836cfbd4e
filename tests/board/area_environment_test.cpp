// The area environment: fog records applied at once or faded in by area, special
// areas, the height bias of area 22, and the fog switch through the fade ring.
#include "board/area_environment.h"

#include "board/bus.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <vector>

namespace {

int word(uint32_t w) { return int16_t(w_read16(WRAM_BASE + w)); }

// Fog colour and bias as the hardware shows them: mixer +0x05..+0x07 and the four CZ
// bias words (which must agree).
std::vector<int> fog_shown() {
    int bias = int16_t(bus_read16(CZ_BIAS_0));
    for (uint32_t b = 1; b < 4; b++) EXPECT_EQ(int16_t(bus_read16(CZ_BIAS_0 + 2 * b)), bias);
    return {mixer_registers[MIX_FOG_COLOUR], mixer_registers[MIX_FOG_COLOUR + 1], mixer_registers[MIX_FOG_COLOUR + 2],
            bias};
}

std::vector<int> record_shown(int n) {
    const synth_fog_record& f = SYNTH_FOG_RECORDS[n];
    return {uint8_t(f.r), uint8_t(f.g), uint8_t(f.b), f.bias};
}

std::vector<int> fog_target() {
    return {word(0xAAF2), word(0xAAF4), word(0xAAF6), word(0xAAF8)};
}

std::vector<int> record_words(int n) {
    const synth_fog_record& f = SYNTH_FOG_RECORDS[n];
    return {f.r, f.g, f.b, f.bias};
}

class AreaEnvironmentTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        fade_state_reset();
        course(0);
    }
    static void course(int n) { wram[0x0E0C] = n; }
    // Camera inside `cell` at offset (dx, dz), the camera code's cell word kept.
    static void camera_to(int cell, int32_t dx = 0x100, int32_t dz = 0x100) {
        wram[W_CAMERA_X] = (cell % 8) * 0x18000 + dx;
        wram[W_CAMERA_Z] = (cell / 8) * 0x18000 + dz;
        wram[0x0CF4] = cell;
    }
    static void start_in(int cell) {
        camera_to(cell);
        area_of_player_cell();
    }
};

TEST_F(AreaEnvironmentTest, CourseStartAppliesTheCellsRecordAtOnce) {
    start_in(1);  // area 1, record 1
    EXPECT_EQ(fog_shown(), record_shown(1));
    EXPECT_EQ(fog_target(), record_words(1));
    EXPECT_EQ(word(0xAB02), 0);                      // nothing left to fade
    EXPECT_EQ(word(0x16A36), 1);                     // current area
    EXPECT_EQ(word(0x16A38), 1);                     // last camera cell
    EXPECT_EQ(wram[0x16A3C], int32_t(ROM_CELL_AREAS));
    EXPECT_EQ(w_read16(WRAM_BASE + W_FOG_ENABLE), 1);

    course(2);
    start_in(76 + 8);  // course 2's table: area 15, record 4
    EXPECT_EQ(wram[0x16A3C], int32_t(ROM_CELL_AREAS + 2 * 128));
    EXPECT_EQ(fog_shown(), record_shown(4));
}

struct fade_case {
    int to_cell;
    int record;
    int frames;
};

TEST_F(AreaEnvironmentTest, AnAreaFadeOverNFramesCompletesOnFrameN) {
    const fade_case cases[] = {
        {1, 1, 40}, {3, 3, 5}, {2, 2, 1}, {4, 3, 2}, {9, 5, 20},
    };
    for (const fade_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "to cell " << c.to_cell);
        start_in(0);
        camera_to(c.to_cell);
        for (int f = 1; f <= c.frames; f++) {
            area_env_update();
            if (f < c.frames) {
                EXPECT_NE(fog_shown(), record_shown(c.record)) << "frame " << f;
                EXPECT_EQ(word(0xAB02), c.frames - f);
            }
        }
        EXPECT_EQ(fog_shown(), record_shown(c.record));
        EXPECT_EQ(word(0xAB02), 0);
        area_env_update();
        EXPECT_EQ(fog_shown(), record_shown(c.record));
    }
}

TEST_F(AreaEnvironmentTest, EachStepClosesOneNthOfTheRemainingDistance) {
    start_in(0);  // record 0: R 0x10 .. bias 0x40
    camera_to(3);  // area 3: record 3 over 5 frames
    const int red[] = {0x10 + (0xFF - 0x10) / 5};
    area_env_update();
    EXPECT_EQ(mixer_registers[MIX_FOG_COLOUR], red[0]);
    int r = red[0];
    for (int c = 4; c >= 2; c--) {
        r += (0xFF - r) / c;
        area_env_update();
        EXPECT_EQ(mixer_registers[MIX_FOG_COLOUR], r);
    }
}

TEST_F(AreaEnvironmentTest, ReturningToTheSameAreaDoesNotRestartTheFade) {
    start_in(1);
    camera_to(0);  // area 0, 10 frames
    for (int i = 0; i < 4; i++) area_env_update();
    ASSERT_EQ(word(0xAB02), 6);
    camera_to(10);  // another cell of area 0
    area_env_update();
    EXPECT_EQ(word(0xAB02), 5);
    EXPECT_EQ(word(0x16A38), 10);
}

TEST_F(AreaEnvironmentTest, TheDemoStartHoldsThreeFramesThenCompletesAtOnce) {
    start_in(0);
    camera_to(3);
    wram[0x0CF4] = 0;  // the start works the cell out itself
    area_env_start();
    EXPECT_EQ(wram[0x0CF4], 3);
    EXPECT_EQ(wram[0x0CF8], 3);
    EXPECT_EQ(wram[0x0CFC], 0);
    EXPECT_EQ(fog_target(), record_words(3));
    for (int f = 1; f <= 3; f++) {
        area_env_update();
        EXPECT_EQ(fog_shown(), record_shown(0)) << "held frame " << f;
    }
    area_env_update();
    EXPECT_EQ(fog_shown(), record_shown(3));
}

TEST_F(AreaEnvironmentTest, ASwitchZeroRecordTurnsFogOffThreeUpdatesLater) {
    // Fog on and settled through the ring.
    area_fog_set(0);
    for (int i = 0; i < 4; i++) mixer_fade_update();
    ASSERT_EQ(bus_read16(CZ_ENABLE), int(CZ_FOG_ON));

    area_fog_set(2);  // switch 0, present from update 0 on
    EXPECT_EQ(w_read16(WRAM_BASE + W_FOG_ENABLE), 0);
    for (int u = 0; u <= 4; u++) {
        mixer_registers[MIX_FOG_LEVEL] = 0x40;
        mixer_fade_update();
        EXPECT_EQ(bus_read16(CZ_ENABLE), u < 3 ? int(CZ_FOG_ON) : 0) << "update " << u;
        EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], u < 3 ? 0x40 : 0) << "update " << u;
    }
    // The intermission's reset brings record 0 and its fog back.
    fog_reset();
    EXPECT_EQ(w_read16(WRAM_BASE + W_FOG_ENABLE), 1);
    EXPECT_EQ(fog_shown(), record_shown(0));
}

struct special_case {
    const char* name;
    int course, from_cell, cell;
    int32_t dx, y;
    uint32_t heading;
    int record, frames;
};

TEST_F(AreaEnvironmentTest, SpecialAreasChooseTheirRecordByRule) {
    const special_case cases[] = {
        // Course 0, area 4 (group 0): low and west -> area 5, else area 0.
        {"group 0 low", 0, 0, 8, 0x100, 0x133FF, 0, 5, 20},
        {"group 0 high", 0, 1, 8, 0x100, 0x13400, 0, 0, 10},
        // Area 6 (group 1): from area 5 record 0 over 50, else record 4 over 30.
        {"group 1 from area 5", 0, 9, 6, 0x100, 0, 0, 0, 50},
        {"group 1 from area 0", 0, 0, 6, 0x100, 0, 0, 4, 30},
        // Area 21 (group 4): from area 12 record 4 over 30, else over 80.
        {"group 4 from area 12", 0, 4, 7, 0x100, 0, 0, 4, 30},
        {"group 4 from area 0", 0, 0, 7, 0x100, 0, 0, 4, 80},
        // Course 2, area 26 (group 5): area 25 (record 5) or 15 (record 4), both 6 frames.
        {"cell 76 east heading back", 2, 0, 76, 0x10000, 0, 0x8000, 5, 6},
        {"cell 76 east heading ahead", 2, 0, 76, 0x10000, 0, 0x7FFF, 4, 6},
        {"cell 76 west", 2, 0, 76, 0x100, 0, 0x8000, 4, 6},
        {"cell 41 west turned", 2, 0, 41, 0xF000, 0, 0x4000, 5, 6},
        {"cell 41 west ahead", 2, 0, 41, 0xF000, 0, 0x3FFF, 4, 6},
        {"cell 41 east", 2, 0, 41, 0xF001, 0, 0x4000, 4, 6},
        {"other cell ahead", 2, 0, 10, 0x100, 0, 0, 5, 6},
        {"other cell turned", 2, 0, 10, 0x100, 0, 0x6000, 4, 6},
    };
    for (const special_case& c : cases) {
        SCOPED_TRACE(c.name);
        course(c.course);
        start_in(c.from_cell);
        camera_to(c.cell, c.dx);
        wram[W_CAMERA_Y] = c.y;
        wram[W_CAMERA_HEADING] = int32_t(c.heading);
        area_env_update();
        EXPECT_EQ(fog_target(), record_words(c.record));
        EXPECT_EQ(word(0xAB02), c.frames - 1);  // one step taken this frame
    }
}

TEST_F(AreaEnvironmentTest, AreaTwentyTwoBiasFollowsTheCameraHeight) {
    start_in(0);
    camera_to(5);  // area 22, record 8 over 8 frames
    for (int i = 0; i < 8; i++) area_env_update();
    const int g = SYNTH_HEIGHT_BIAS_G, h = SYNTH_HEIGHT_BIAS_H;
    struct height_case {
        int32_t y, pitch;
        int bias;
    };
    const height_case cases[] = {
        {0xE000, 0, g},
        {0xD000, 0, g},
        {0xD000 - 10240, 0, g + 2 * (h + 6 - g)},
        {0, 0, g - 2 * (h + 6 - g) * -0xD000 / 10240},
        {0x8000, 0, g - 2 * (h + 6 - g) * (0x8000 - 0xD000) / 10240},
        {0xD000 - (0x7FFF >> 4), 0x4000, g},  // looking up lifts the point by sin >> 4
        {0xD000, 0x4000, g},
    };
    for (const height_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << " pitch " << c.pitch);
        wram[W_CAMERA_Y] = c.y;
        wram[W_CAMERA_PITCH] = c.pitch;
        area_env_update();
        EXPECT_EQ(fog_shown()[3], c.bias);
        EXPECT_EQ(fog_shown()[0], uint8_t(SYNTH_FOG_RECORDS[8].r));
    }
}

TEST_F(AreaEnvironmentTest, TheLevelFadesOutWhileItsFlagIsSet) {
    start_in(0);
    w_write16(WRAM_BASE + 0x16A30, 1);  // level flag
    w_write16(WRAM_BASE + 0x16A32, 0x40);
    w_write16(WRAM_BASE + 0xAB02, 4);
    area_colour_fade();
    EXPECT_EQ(word(0x16A32), 0x30);
    EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], 0x30);
    w_write16(WRAM_BASE + 0xAB02, 0);
    text_registers[2] = 0x12;
    area_colour_fade();
    EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], 0);
    EXPECT_EQ(word(0x16A30), 0);
    EXPECT_EQ(text_registers[2], 0);

    // In area 22 a set flag makes the fade last at least 30 frames.
    w_write16(WRAM_BASE + 0x16A30, 1);
    w_write16(WRAM_BASE + 0xAB02, 3);
    area_fog_fade();
    EXPECT_EQ(word(0xAB02), 30);
    EXPECT_EQ(word(0x16A30), 0);
}

}  // namespace
