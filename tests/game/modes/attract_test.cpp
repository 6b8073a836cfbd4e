// The attract sequencer and its scenes on the synthetic ROM set, frame by frame through
// the screen harness: the scene lengths, Start, the phase-0 toggle, the score report,
// the idle phases, the log, the demo's closing text, the course demo's restarts, hostile
// tables, and the pictures.
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/ranking_page.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/attract_ram.h"
#include "game/modes/attract_scenes.h"
#include "game/modes/attract_sequencer.h"
#include "game/modes/test_env.h"
#include "game/services/coin_ram.h"
#include "game/services/gameplay_ram.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t INDEX_FLYBY = 0, INDEX_DEMO = 1, INDEX_RANKING = 2, INDEX_REPLAY = 3, INDEX_COURSE_DEMO = 4;
constexpr int32_t INDEX_MODEL_A = 5, INDEX_MODEL_B = 6, INDEX_FLYOVER = 7, INDEX_TITLE = 8, INDEX_SPRITES = 14;
const screen_input START = {0, SCREEN_START};

// A scene-list entry and a frame count (its length, or the frame a picture is taken at).
struct scene_case {
    const char* name;
    int32_t index;
    int frames;
};

int32_t seq_index() {
    return w_cell(W_ATTRACT_SEQ_INDEX);
}

// A started board in attract (its first frame run, the coin logic disarmed so Start
// starts no game), then scene-list entry `index` about to begin.
void attract_enter(int32_t index) {
    screen_start();
    screen_frame();
    ASSERT_EQ(screen_state(), 1);
    w_cell_set(W_ARMED_FLAG, 0);
    w_cell_set(W_ATTRACT_SEQ_INDEX, index);
    w_cell_set(W_ATTRACT_PHASE, SYNTH_ATTRACT_SCENES[index]);
    wram_export();
}

// Frames until the scene index leaves `index`, at most `limit`.
int scene_frames(int32_t index, int limit) {
    int n = 0;
    while (n < limit && seq_index() == index) {
        screen_frame();
        n++;
    }
    return n;
}

// The scene lengths, counting the set-up's frame: the title 300, the fly-by 301, the
// ranking page's 481st frame (its timer starts at 480 and the next scene follows once it
// is below 0), the replay 721, the course demo to 2 frames before its fourth threshold,
// the fly-over 240 frames, the white fade (255 / 4 rounded up, after the fade-in's
// 15-frame delay has long passed) and 90 frames of white.
TEST(AttractScenes, LengthsOfTheTimedScenes) {
    const scene_case cases[] = {
        {"title", INDEX_TITLE, 300},
        {"fly-by", INDEX_FLYBY, 301},
        {"ranking page", INDEX_RANKING, RANKING_PAGE_FRAMES + 1},
        {"replay", INDEX_REPLAY, 721},
        {"course demo", INDEX_COURSE_DEMO, SYNTH_COURSE_DEMO_THRESHOLDS[3] - 2 + 1},
        {"fly-over", INDEX_FLYOVER, 240 + 64 + 90},
    };
    for (const auto& c : cases) {
        attract_enter(c.index);
        EXPECT_EQ(scene_frames(c.index, 3000), c.frames) << c.name;
        EXPECT_EQ(seq_index(), (c.index + 1) % ATTRACT_SCENES) << c.name;
        EXPECT_EQ(w_cell(W_ATTRACT_PHASE), SYNTH_ATTRACT_SCENES[(c.index + 1) % ATTRACT_SCENES]) << c.name;
    }
}

// The demo and the model scenes end when their fade out has reached full: the demo
// fades from 64 frames before its end segment with step 4, and each closing text stands
// for its length while the demo's frame count moves on by one when it ends; scene a
// fades from 32 frames before its end with step 4, scene b from 32 before the end of its
// segment 8 with step 8.
TEST(AttractScenes, DemoScenesEndWithTheirFadeOut) {
    const scene_case cases[] = {
        {"demo", INDEX_DEMO, SYNTH_DEMO_SEGMENTS[3] + (SYNTH_CLOSING_LENGTHS[0] - 1) + (SYNTH_CLOSING_LENGTHS[1] - 1)},
        {"model a", INDEX_MODEL_A, SYNTH_MODEL_A_TEXTS[0] - 32 + 64},
        {"model b", INDEX_MODEL_B, SYNTH_MODEL_B_SEGMENTS[9] - 32 + 32},
    };
    for (const auto& c : cases) {
        attract_enter(c.index);
        EXPECT_EQ(scene_frames(c.index, 3000), c.frames) << c.name;
        EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255) << c.name;
    }
}

// The sprite scene's frame count runs 0..270 and round again, until Start.
TEST(AttractScenes, SpriteSceneEndsOnlyByStart) {
    attract_enter(INDEX_SPRITES);
    int32_t most = 0;
    for (int f = 0; f < 1000 && seq_index() == INDEX_SPRITES; f++) {
        screen_frame();
        most = std::max(most, w_cell(W_SPRITE_SCENE_FRAMES));
    }
    EXPECT_EQ(seq_index(), INDEX_SPRITES);
    EXPECT_EQ(most, 270);
    screen_press(START);
    EXPECT_EQ(seq_index(), 0);  // index 14 goes to 0
}

// The fly-by's fade climbs 4 a frame from 127 frames before its end to 252 at 64 before
// it, where the colour takes over: the amount stays at 252.
TEST(AttractScenes, FlybyFadeClimbsUntilSixtyFourFramesBeforeItsEnd) {
    attract_enter(INDEX_FLYBY);
    const int32_t last = 300 - 64;  // the fly-by's frame 64 before its end
    while (w_cell(W_FLYBY_FRAMES) <= last && seq_index() == INDEX_FLYBY) screen_frame();
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 4 * last - 692);
    screen_frames(3);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 4 * last - 692);
}

// Model scene a's model drops over its first 64 frames and rests from frame 64 on at its
// full drop: y 1024 - 704, drawn at x -448, z 1280.
TEST(AttractScenes, ModelRestsAtItsFullDropFromFrameSixtyFour) {
    attract_enter(INDEX_MODEL_A);
    while (w_cell(W_MODEL_SCENE_FRAMES) < 64 && seq_index() == INDEX_MODEL_A) screen_frame();
    ASSERT_EQ(w_cell(W_MODEL_SCENE_FRAMES), 64);
    int32_t* start = dl_packet_area(dl_buffer_current());
    dl_cursor_set(start);
    attract_model_scene_a_run();
    std::vector<int32_t> w(start, dl_cursor_get());
    std::vector<int32_t> heights;
    for (size_t i = 0; i + 13 <= w.size(); i++)
        if (w[i] == 0x8002 && w[i + 3] == -448 && w[i + 5] == 1280) heights.push_back(w[i + 4]);
    EXPECT_EQ(heights, (std::vector<int32_t>{1024 - 704}));
}

// Start skips every scene at once, on any of its frames; the new phase runs from the next
// frame, and the game stays in attract.
TEST(AttractSequencer, StartSkipsAnyScene) {
    for (int32_t index = 0; index < ATTRACT_SCENES; index++) {
        attract_enter(index);
        screen_frames(5 + index);
        ASSERT_EQ(seq_index(), index);
        screen_frame(START);
        EXPECT_EQ(seq_index(), (index + 1) % ATTRACT_SCENES) << index;
        EXPECT_EQ(w_cell(W_ATTRACT_PHASE), SYNTH_ATTRACT_SCENES[(index + 1) % ATTRACT_SCENES]) << index;
        EXPECT_EQ(screen_state(), 1) << index;
    }
}

// Start clears the scene flag a demo's closing text left set, so the demo after the
// skipped scene runs its own set-up and flight rather than a closing text.
TEST(AttractSequencer, StartClearsTheSceneFlag) {
    attract_enter(INDEX_FLYBY);
    screen_frames(3);
    w_cell_set(W_ATTRACT_SCENE_FLAG, 1);
    wram_export();
    screen_frame(START);
    ASSERT_EQ(seq_index(), INDEX_DEMO);
    EXPECT_EQ(w_cell(W_ATTRACT_SCENE_FLAG), 0);
    screen_frame();
    EXPECT_EQ(w_cell(W_ATTRACT_SCENE_FLAG), 0);
    EXPECT_EQ(w_cell(W_DEMO_TEXT_TIMER), -1);  // set by the set-up, no closing text counted
    EXPECT_EQ(w_cell(W_DEMO_SCENE_FRAMES), 1);
}

// The next scene of an index outside the list is still a scene of the list: the index
// after it, taken round the list's 15 scenes, never negative.
TEST(AttractSequencer, NextSceneOfAnIndexOutsideTheListIsInTheList) {
    attract_enter(INDEX_FLYBY);
    const struct {
        int32_t from, to;
    } cases[] = {{-5, 11}, {-1, 0}, {INT32_MIN, 8}, {ATTRACT_SCENES - 1, 0}, {1003, 14}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        w_cell_set(W_ATTRACT_SEQ_INDEX, c.from);
        EXPECT_EQ(attract_next_scene(), SYNTH_ATTRACT_SCENES[c.to]);
        EXPECT_EQ(seq_index(), c.to);
        EXPECT_EQ(w_cell(W_ATTRACT_PHASE), SYNTH_ATTRACT_SCENES[c.to]);
    }
}

// Each run of phase 0 toggles the credit line's word between 22 and 23.
TEST(AttractSequencer, PhaseZeroTogglesTheCreditPalette) {
    attract_enter(INDEX_TITLE);
    int32_t before = w_cell(W_CREDIT_ROW);
    ASSERT_TRUE(before == 22 || before == 23);
    screen_frame();
    EXPECT_EQ(w_cell(W_CREDIT_ROW), 45 - before);
    w_cell_set(W_ATTRACT_PHASE, 0);
    wram_export();
    screen_frame();
    EXPECT_EQ(w_cell(W_CREDIT_ROW), before);
}

// A phase above 21 runs nothing until Start.
TEST(AttractSequencer, PhaseAboveTwentyOneIdlesUntilStart) {
    attract_enter(INDEX_FLYBY);
    w_cell_set(W_ATTRACT_PHASE, 22);
    wram_export();
    screen_frames(400);
    EXPECT_EQ(w_cell(W_ATTRACT_PHASE), 22);
    EXPECT_EQ(seq_index(), INDEX_FLYBY);
    screen_frame(START);
    EXPECT_EQ(seq_index(), INDEX_FLYBY + 1);
}

// The report fires once frame_counter reaches the mark, then 36,000 frames later; the
// scores file takes no write from it.
TEST(AttractSequencer, ScoreReportEvery36000FramesWritesNoFile) {
    attract_enter(INDEX_TITLE);
    std::string path = getenv("SKYVOLTA_SCOREFILE");
    remove(path.c_str());
    int32_t mark = w_cell(W_SCORE_REPORT_MARK);
    wram_long_set(W_FRAME_COUNTER, mark - 2);
    wram_export();
    screen_frame();
    EXPECT_EQ(w_cell(W_SCORE_REPORT_MARK), mark);
    screen_frames(2);
    int32_t counter = wram_long(W_FRAME_COUNTER);
    EXPECT_EQ(w_cell(W_SCORE_REPORT_MARK), counter - 1 + 36000);
    screen_frames(10);
    EXPECT_EQ(w_cell(W_SCORE_REPORT_MARK), counter - 1 + 36000);
    EXPECT_EQ(file_size(path), -1);
}

// Two lines per phase change, not per frame; a set-up that hands over in its frame (the
// restart 0, the fly-by's 2) logs only its run phase.
TEST(AttractSequencer, LogPrintsTwoLinesPerSceneNamingItsRunPhase) {
    attract_enter(INDEX_TITLE);
    setenv("SKYVOLTA_ATTRACT_LOG", "1", 1);
    test_env_init();
    testing::internal::CaptureStdout();
    std::string phases;
    int32_t last = -1;
    for (int n = 0; n < 320; n++) {
        int32_t phase = w_cell(W_ATTRACT_PHASE);
        if (phase != last) phases += std::to_string(phase) + " ";
        last = phase;
        screen_frame();
    }
    std::string out = testing::internal::GetCapturedStdout();
    unsetenv("SKYVOLTA_ATTRACT_LOG");
    test_env_init();
    size_t att = 0, second = 0;
    for (size_t at = 0; (at = out.find("[ATT] f", at)) != std::string::npos; at++) att++;
    for (size_t at = 0; (at = out.find("      replay ptr W[0x16D7C]=", at)) != std::string::npos; at++) second++;
    EXPECT_EQ(phases, "0 1 2 3 ");
    EXPECT_EQ(att, 2u) << out;
    EXPECT_EQ(second, 2u) << out;
    size_t title = out.find("phase W[0x0CC4]=1    seq W[0x15ED0]="), flyby = out.find("phase W[0x0CC4]=3    seq W[0x15ED0]=");
    EXPECT_NE(title, std::string::npos) << out;
    EXPECT_NE(flyby, std::string::npos) << out;
    EXPECT_LT(title, flyby) << out;
    EXPECT_EQ(out.find("phase W[0x0CC4]=0 "), std::string::npos) << out;
    EXPECT_EQ(out.find("phase W[0x0CC4]=2 "), std::string::npos) << out;
}

// While a closing text counts down the flight stands: no frame counted, the player and
// the camera still; afterwards the flight goes on.
TEST(AttractScenes, DemoFreezesDuringItsClosingText) {
    attract_enter(INDEX_DEMO);
    while (w_cell(W_ATTRACT_SCENE_FLAG) == 0 && w_cell(W_DEMO_SCENE_FRAMES) < 1000) screen_frame();
    ASSERT_EQ(w_cell(W_DEMO_SCENE_FRAMES), SYNTH_CLOSING_FRAMES[0] + 1);
    EXPECT_EQ(w_cell(W_DEMO_TEXT_KIND), 0);
    const int32_t x = w_cell(W_PLAYER_X), z = w_cell(W_PLAYER_Z), camera = w_cell(W_CAMERA_X);
    int frozen = 0;
    while (w_cell(W_ATTRACT_SCENE_FLAG) != 0 && frozen < 100) {
        EXPECT_EQ(w_cell(W_DEMO_SCENE_FRAMES), SYNTH_CLOSING_FRAMES[0] + 1);
        EXPECT_EQ(w_cell(W_PLAYER_X), x);
        EXPECT_EQ(w_cell(W_PLAYER_Z), z);
        EXPECT_EQ(w_cell(W_CAMERA_X), camera);
        screen_frame();
        frozen++;
    }
    EXPECT_EQ(frozen, SYNTH_CLOSING_LENGTHS[0]);
    EXPECT_EQ(screen_text_row(20).substr(5, 10), SYNTH_DEMO_CLOSING_TEXT);
    screen_frames(10);
    EXPECT_EQ(w_cell(W_DEMO_SCENE_FRAMES), SYNTH_CLOSING_FRAMES[0] + 12);
    EXPECT_EQ(seq_index(), INDEX_DEMO);
}

// At each threshold the course demo starts the next course from that course's camera
// record; the best score's digits are revealed into their tiles.
TEST(AttractScenes, CourseDemoRestartsAtEachThreshold) {
    attract_enter(INDEX_COURSE_DEMO);
    for (int32_t course = 0; course < 3; course++) {
        while (w_cell(W_PAGE_TIMER) <= SYNTH_COURSE_DEMO_THRESHOLDS[course]) screen_frame();
        EXPECT_EQ(w_cell(W_COURSE_NUMBER), course) << course;
        const int32_t* camera = SYNTH_COURSE_DEMO_CAMERAS[course];
        EXPECT_EQ(w_cell(W_CAMERA_X), camera[0]) << course;
        EXPECT_EQ(w_cell(W_CAMERA_Z), camera[2]) << course;
        EXPECT_EQ(w_cell(W_CAMERA_HEADING), camera[4]) << course;
    }
}

// Hostile tables: random bytes in every attract table (the scene list cycling through
// every phase, then random too), and an all-zero program ROM; 3,600 frames each with a
// Start every 200 frames. The sanitizers watch the reads; the display-list cursor stays
// inside DSP RAM.
TEST(AttractHostile, RandomTablesAndZeroRom) {
    const struct {
        uint32_t from, to;
    } tables[] = {{0x3510C, 0x3512C}, {0x35354, 0x35494}, {0x39858, 0x398F4}, {0x39D38, 0x39D80},
                  {0x39DE8, 0x39E28}, {0x3A214, 0x3A230}};
    for (int variant = 0; variant < 3; variant++) {
        attract_enter(0);
        std::mt19937 random(1234 + variant);
        if (variant < 2) {
            for (const auto& t : tables)
                for (uint32_t a = t.from; a < t.to; a++) program_rom[a] = uint8_t(random());
            if (variant == 0)
                for (uint32_t k = 0; k < 16; k++) {
                    program_rom[0x3510C + 2 * k] = 0;
                    program_rom[0x3510D + 2 * k] = uint8_t(2 * k % 22 + 1 - k % 2);
                }
        } else {
            memset(program_rom, 0, sizeof program_rom);
        }
        w_cell_set(W_GAME_STATE, 0);  // attract begins again over the changed ROM
        wram_export();
        screen_frame();
        w_cell_set(W_ARMED_FLAG, 0);
        wram_export();
        for (int frame = 0; frame < 3600; frame++) {
            screen_frame(frame % 200 == 199 ? START : screen_input{});
            uint8_t* cursor = static_cast<uint8_t*>(w_host(wram[W_DL_CURSOR]));
            ASSERT_TRUE(cursor >= dspram && cursor <= dspram + sizeof dspram) << variant << " " << frame;
        }
        EXPECT_EQ(screen_state(), 1) << variant;
    }
}

// The scenes' pictures at a frame of each, with their text cells: the title logo, the
// fly-by, the replay with places 6-10 (default scores 1200 .. 800, units at column 27,
// tile 352 + 4 x digit), the ranking page (the board's digit cells 0x20 + d under
// attribute 0x12, last digit at column 8), the course demo with its best score, the
// sprite scene, the fly-over with the logo halves.
TEST(AttractPictures, EachScene) {
    const scene_case cases[] = {
        {"attract_title", INDEX_TITLE, 150},   {"attract_flyby", INDEX_FLYBY, 120},
        {"attract_replay", INDEX_REPLAY, 100}, {"attract_ranking", INDEX_RANKING, 60},
        {"attract_course_demo", INDEX_COURSE_DEMO, 150}, {"attract_sprites", INDEX_SPRITES, 100},
        {"attract_flyover", INDEX_FLYOVER, 100},
    };
    for (const auto& c : cases) {
        attract_enter(c.index);
        screen_frames(c.frames);
        ASSERT_EQ(seq_index(), c.index) << c.name;
        std::string name = c.name;
        if (name == "attract_replay") {
            const int32_t scores[5] = {1200, 1100, 1000, 900, 800};
            for (int r = 0; r < 5; r++)
                for (int k = 0; k < 5; k++) {
                    int digit = scores[r] / int(std::pow(10, k)) % 10;
                    EXPECT_EQ(screen_text_cell(27 - 2 * k, 8 + 3 * r), 0x1000 | (352 + 4 * digit)) << r << " " << k;
                }
        } else if (name == "attract_ranking") {
            const uint16_t cells[4] = {0x1221, 0x1227, 0x1220, 0x1220};  // 1700
            for (int k = 0; k < 4; k++) EXPECT_EQ(screen_text_cell(5 + k, 12), cells[k]) << k;
        } else if (name == "attract_course_demo") {
            EXPECT_EQ(screen_text_cell(3, 3), 0x1000 | 512);
            for (int k = 0; k < 9; k++) EXPECT_EQ(screen_text_cell(10 + 2 * k, 16), 0x1000 | (288 + 4 * k)) << k;
        } else {
            EXPECT_EQ(screen_text_row(2), std::string(64, ' ')) << c.name;  // the boot title is gone
        }
        rgb_picture picture = screen_picture();
        if (picture.width == 0) GTEST_SKIP() << "no GL window";
        EXPECT_EQ(screen_golden_check(picture, __FILE__, c.name), "") << c.name;
    }
}

}  // namespace
