// What the results screens draw around the tally: the text tiles, the three swinging
// panels, the course map with the flown path, the single-course game's grade models
// and final text, and the results' sound sequence.
#pragma once
#include <cstdint>

void results_tiles_load();
// The plate model behind a digit model.
constexpr int32_t DIGIT_BACK_MODEL = 849;
// The five rolling score digits (score_digits_draw from `shown` toward `value`) with a
// plate behind each, the plates 44 to the right of the digits; the new shown value.
int32_t results_score_draw(int32_t shown, int32_t value, int32_t x, int32_t y, int32_t back_y, int32_t depth);
// Score panel, time panel and the third panel, each swinging in and out with the
// tally's next step.
void results_fade_step_a(int32_t a);
void results_fade_step_b(int32_t a);
void results_swing_step(int32_t limit, int32_t shift, int32_t base);
// The course's balloons and moving objects, and the first n points of the flown path
// (the path-done flag once n reaches the recorded count).
void results_course_packets(int32_t n);
void results_progress_packets(int32_t n);
// The course map of the tally's frame: objects (unless hidden) and the path.
void results_map_draw(bool objects_shown);
void results_stage_counts();
void results_tile_blocks_draw();
void results_sound_sequence();
// The results sound (67) stopped when it has started, else kept from starting.
void results_sound_sequence_stop();
