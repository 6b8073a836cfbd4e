// The attract scenes: each a set-up phase that prepares the scene, sets its run phase and
// runs the first frame, and a run phase that ends the scene with attract_next_scene.
// attract_scenes.cpp holds the title logo, the fly-by, the sprite scene and the fly-over;
// attract_demo_scenes.cpp the demo flight and the two model scenes over recorded demos;
// attract_score_scenes.cpp the replay, the course demo and the ranking tile loads.
#pragma once
#include <cstdint>

// Phase 1: the title logo, 300 frames.
void attract_title_logo();
// Phases 2 and 3: the player circling the camera, 301 frames.
void attract_flyby_setup();
void attract_flyby_run();
// Phase 9 (after the inline set-up of phase 8): the sprite scene, ended only by Start.
void attract_sprite_scene_run();
// Phases 20 and 21: the course 3 fly-over, 240 frames, the white fade and 90 frames.
void attract_flyover_setup();
void attract_flyover_run();

// Phases 4 and 5: the demo flight over its segments, frozen while a closing text counts.
void attract_demo_setup();
void attract_demo_run();
// Phases 16/17 and 18/19: the model scenes a and b.
void attract_model_scene_a_setup();
void attract_model_scene_a_run();
void attract_model_scene_b_setup();
void attract_model_scene_b_run();

// Phases 10 and 11: the score table over an orbiting view, 721 frames.
void attract_replay_setup();
void attract_replay_run();
// Phases 12 and 13: the courses one after another with their best scores.
void attract_course_demo_setup();
void attract_course_demo_run();
// The ranking page's tiles: headings, the initials of each course table's first three
// entries, the place and points blocks, palette 163 into bank 1.
void ranking_page_tiles_load();
