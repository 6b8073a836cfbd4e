// The level jump: a course or an ending reached without playing through.
#pragma once

// True while the level jump wants Start held this frame (the course-select steering).
bool level_stage_chosen_log();
