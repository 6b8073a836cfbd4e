// The game's work-RAM words that more than one layer reads: the run-wide state words
// that every layer reporting or recording the game reads, and the words of game areas
// (the player, the camera cell, the rig, the terrain) that the board's packet writers
// and the renderer read as well. Each keeps the name of the game area it belongs to.
#pragma once
#include <cstdint>

constexpr uint32_t W_FRAME_TICK = 0x0C98;      // frame_tick: +1 every frame step
constexpr uint32_t W_GAME_STATE = 0x0CBC;      // game_state: the top state, 0..15
constexpr uint32_t W_GAME_SUB_STATE = 0x0CC0;  // the gameplay sub-state, 0..31
constexpr uint32_t W_ATTRACT_PHASE = 0x0CC4;   // attract_phase

// The race's words (longs), set at course start and counted by the race timer.
constexpr uint32_t W_END_FLAG = 0x0E18;          // ending_flag: 0 racing, 1 goal, 2 time up
constexpr uint32_t W_RACE_TIMER = 0x0E44;        // time left, in frames
constexpr uint32_t W_RACE_TIMER_SHOWN = 0x0E48;  // displayed time, following the time left
constexpr uint32_t W_RUN_SCORE = 0x0E4C;         // points of the balloons hit
constexpr uint32_t W_STAGE_QUOTA = 0x0E60;       // the score to reach in the multi-stage game
constexpr uint32_t W_TIME_SCORE = 0x169AC;       // compared with the stage quota
constexpr uint32_t W_RUN_OVER = 0x15FE8;         // 1 once time is up or the goal is reached: balloons
                                                 // are drawn, never hit
constexpr uint32_t W_RACE_POINTS = 0x0E50;       // set from the distance by the goal's debug aid
constexpr uint32_t W_COURSE_PAIR = 0x0E64;       // the stage in its high word (the balloons' difficulty
                                                 // group), a level jump writes it in both

// 1 while the game accepts a start: set by the game-over, name-entry and attract set-up
// screens and by a level jump, cleared by a start.
constexpr uint32_t W_ARMED_FLAG = 0x2C12;

constexpr uint32_t W_PLAY_FRAME_COUNTER = 0x0C8C;  // frames of play, steps the rig's models
constexpr uint32_t W_COURSE_NUMBER = 0x0E0C;       // 0..3

// player_state's position and attitude (longs; angles 16-bit, 0x10000 a full turn).
constexpr uint32_t W_PLAYER_X = 0x0D00;  // world units; y is height
constexpr uint32_t W_PLAYER_Y = 0x0D04;
constexpr uint32_t W_PLAYER_Z = 0x0D08;
constexpr uint32_t W_PLAYER_PITCH = 0x0D0C;  // displayed attitude; positive pitch is nose up
constexpr uint32_t W_PLAYER_HEADING = 0x0D10;
constexpr uint32_t W_PLAYER_ROLL = 0x0D14;
// The flight's smoothed inputs; the wings tilt by them.
constexpr uint32_t W_PITCH_INPUT_SMOOTH = 0x0D58;  // 1/16 per frame toward the input
constexpr uint32_t W_TURN_INPUT_SMOOTH = 0x0D5C;   // 1/32 per frame

// The camera's grid cell, set from camera x and z.
constexpr uint32_t W_CAMERA_CELL = 0x0CF4;    // column + 8 x row
constexpr uint32_t W_CAMERA_COLUMN = 0x0CF8;  // x / 0x18000, unsigned
constexpr uint32_t W_CAMERA_ROW = 0x0CFC;     // z / 0x18000, unsigned

// The course's first terrain chunk model.
constexpr uint32_t W_CHUNK_MODEL_BASE = 0x12B4;

// The probes' published ground points: five (offset x, offset z, contact) triples; the
// wings stand on them.
constexpr uint32_t W_GROUND_POINTS = 0x2A70;
constexpr uint32_t GROUND_POINT_BYTES = 12;
// The contact long of ground point k (0..4); the last one's is the wing root's height.
constexpr uint32_t ground_point_contact(uint32_t k) {
    return W_GROUND_POINTS + GROUND_POINT_BYTES * k + 8;
}

// The bank base of the chains in state 1 and of the banded wings; the ending list's
// origin.
constexpr uint32_t W_BAND_HEIGHT = 0x3EF0;
// The course-8 bank less 20480: the wings band once the player is 4096 above it. The
// screens keep a caption's column and row in these two words.
constexpr uint32_t W_COURSE8_BANK = 0x3EF4;  // also the rig packets' band threshold

// The ending's view, which the renderer's ending viewpoint reads: the centre long (upper
// half the horizontal placement, lower half the half-height) and the half-width.
constexpr uint32_t W_VIEW_CENTRE = 0x172F4;
constexpr uint32_t W_VIEW_WIDTH = 0x172F8;  // upper half

// The display objects: 128-byte node records from W_RIG_NODES on, the first the rig's
// root (the machine's frame). The video set-up clears its model and link (the object
// list's length while a list is built) and sets up its stream longs.
constexpr uint32_t W_RIG_NODES = 0xAB04;           // model (long)
constexpr uint32_t W_OBJECT_LIST_LENGTH = 0xAB08;  // link
constexpr uint32_t W_ROOT_NODE_STREAMS = 0xAB10;  // six longs, the stream pointers of its fields

// The rig's keyframe stream: frames played, and 0 while a stream plays. The block-list
// expansion clears both; the object list builds in stages on them.
constexpr uint32_t W_KEYFRAME_COUNTER = 0xEB04;  // word
constexpr uint32_t W_RIG_FLAG = 0xEB06;          // word
