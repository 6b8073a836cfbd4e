// Every object and scenery emitter driven at the end of dspram and outside it, over a
// program ROM of random bytes: what does not fit is dropped, the words that land are the
// leading words of the full output, and the images on either side of dspram keep every
// byte.
#include "game/flow/debug_pages.h"
#include "game/services/emitter_tables.h"
#include "game/services/ending_emitters.h"
#include "game/world/object_emitters.h"
#include "game/world/scene_chains.h"
#include "game/world/terrain_props.h"
#include "tests/game/flow/emitter_fixture.h"

#include <random>

namespace {

constexpr uint32_t OBJECT_AT = 0x9000;
constexpr uint32_t RANGE_RECORDS = 0x39228;

class EmitterBoundsTest : public EmitterTest {
protected:
    void random_rom(uint32_t seed) {
        std::mt19937 rng(seed);
        for (uint8_t& b : program_rom) b = uint8_t(rng());
        // One range record that holds t = 50, so that the range emitter writes.
        const int32_t record[5] = {0, 100, 1000, 2000, 0x1234};
        for (uint32_t k = 0; k < 5; k++)
            for (uint32_t i = 0; i < 4; i++) program_rom[RANGE_RECORDS + 4 * k + i] = uint8_t(uint32_t(record[k]) >> (24 - 8 * i));
        for (uint32_t k = 0; k < 12; k++) wram_long_set(OBJECT_AT + 4 * k, int32_t(rng()));
    }

    void fresh() {
        wram_long_set(W_DL_LAST_HEADER, 0);
        wram_long_set(W_DL_LAST_BANK, 0);
        wram_long_set(W_SUBPART_COUNT, 0);
        wram_long_set(W_OBJECT_LIST_LENGTH, 3);
        w_cell_set(W_KEYFRAME_COUNTER, 0);
        w_cell_set(W_LANDMARK_GATE, 0);
        wram_long_set(W_COURSE_NUMBER, 0);
        wram_long_set(W_CAMERA_CELL, 30);
        mode_word(0x0040);
        for (uint32_t cell : {W_OBJECT_PLAIN, W_OBJECT_ROTATING, W_OBJECT_COMPOUND})
            wram_long_set(cell, int32_t(WRAM_BASE + OBJECT_AT));
    }

    std::vector<dl_writer> writers() {
        static const char* const lines[2] = {"SKY 1", "volta"};
        static const int32_t pos[3] = {1, 2, 3};
        return {
            {"object_packet_header", [] { dl_cursor_set(object_packet_header(OBJECT_RECORD_PLAIN, pos, dl_cursor_get())); }},
            {"object_packet_fill", [] { dl_cursor_set(object_packet_fill(dl_cursor_get())); }},
            {"fixed_model_packet", [] { fixed_model_packet(); }},
            {"object_packet_emit", [] { object_packet_emit(); }},
            {"object_packet_emit_rotating", [] { object_packet_emit_rotating(); }},
            {"object_packet_emit_compound", [] { object_packet_emit_compound(); }},
            {"train_packets_emit", [] { train_packets_emit(1, 9, 100); }, false, true},
            {"marker_object_render", [] { marker_object_render(nullptr); }},
            {"object_list_emit", [] { object_list_emit(); }},
            {"object_list_emit_staged", [] { object_list_emit_staged(); }},
            {"dl_emit_segment_chain", [] { dl_emit_segment_chain(-20480, 10000, 40); }},
            {"chain_scene_render", [] { chain_scene_render(); }},
            {"radial_packets", [] { radial_packets(100, 2000, 60); }},
            {"range_packets", [] { range_packets(50); }},
            {"dl_emit_object_list", [] { dl_emit_object_list(SYNTH_ENDING_LIST, 8, -0x6000); }},
            {"ending_backdrop_packets", [] { ending_backdrop_packets(WRAM_BASE + OBJECT_AT, SYNTH_BACKDROP_TABLE); }},
            {"terrain_props_dispatch (course 0)", [] { terrain_props_dispatch(); }},
            {"terrain_props_dispatch (course 2)",
             [] {
                 wram_long_set(W_COURSE_NUMBER, 2);
                 terrain_props_dispatch();
             }},
            {"menu_text_draw", [] { menu_text_draw(1, 2, lines); }, false, true},
        };
    }
};

TEST_F(EmitterBoundsTest, NoEmitterStoresOutsideDspramUnderRandomRom) {
    testing::internal::CaptureStderr();
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        random_rom(seed);
        expect_writers_inside_dspram(writers(), [this] { fresh(); });
    }
    testing::internal::GetCapturedStderr();
    EXPECT_GT(dl_guard_count, 0u);
}

}  // namespace
