// The program ROM's sound tables: the sound table of ids 0..88 and the lists and points
// the course sounds read. Each table is read through one accessor that knows its address,
// record size and count, and refuses an index outside the table or a read past the ROM
// (false, nothing stored); the caller then does nothing, as for a refused id.
#pragma once
#include <cstdint>

// ---- Sound ids the game names --------------------------------------------------------
constexpr int32_t SOUND_IDS = 89;               // ids 0..88
constexpr int32_t SOUND_COURSE_RESET = 2;       // the course sound reset's first play
constexpr int32_t SOUND_CLIMB = 3;
constexpr int32_t SOUND_POINT_A = 8;            // the point list's and cell 26's point
constexpr int32_t SOUND_COIN = 21;              // ungated; its slot is the upper stop's last kept
constexpr int32_t SOUND_SCRAPE = 26;            // sound_play_cooldown's id
constexpr int32_t SOUND_POINT_B = 28;           // the points of cell 35 and of course 2
constexpr int32_t SOUND_INDEXED_VOICE = 30;     // indexed plays from entry 4 on
constexpr int32_t SOUND_GOAL = 38;              // goal, time up, play-once and coin variants
constexpr int32_t SOUND_SCENERY = 39;
constexpr int32_t SOUND_WIND = 43;              // its parameter slot is the mailbox slot
constexpr int32_t SOUND_PRESET = 47;            // slot, command and level pair of the preset
// The area sounds; the parameter slot of each is the level slot of its area.
constexpr int32_t SOUND_AREA_COURSE1 = 48;      // its slot is also course 0's second level
constexpr int32_t SOUND_AREA_COURSE0 = 49;
constexpr int32_t SOUND_AREA_COURSE3 = 52;      // also course 0's cells 19-35
constexpr int32_t SOUND_AREA_COURSE2 = 84;
constexpr int32_t SOUND_STALL = 56;
constexpr int32_t SOUND_SURFACE = 57;
constexpr int32_t SOUND_STEM_RESTART = 59;
constexpr int32_t SOUND_RACE_MUSIC_LAST = 62;   // course 3
constexpr int32_t SOUND_RACE_MUSIC = 66;        // courses 0-2
// The two ids the game leaves to us: the countdown tick of the race's last ten seconds
// (and of a rise of the second timer) and the first race-end sound.
constexpr int32_t SOUND_COUNTDOWN = 36;
constexpr int32_t SOUND_RACE_END = 37;

// ---- The sound table, ROM 0x0355A4 ---------------------------------------------------
constexpr uint32_t SOUND_TABLE = 0x0355A4;
constexpr uint32_t SOUND_RECORD_SIZE = 12;

struct sound_record {
    int32_t slot;        // +0, signed; negative: the id has no sound
    uint32_t command;    // +2
    int32_t param_slot;  // +4, signed: the slot of the one-argument parameter plays
    int32_t hold;        // +6, signed: the hold level a play raises
    int32_t slot2;       // +8, signed; negative: no second parameter
    uint32_t value2;     // +10
};

// The record of id 0..88.
bool sound_record_read(int32_t id, sound_record* out);
// The largest command word before the end record (the first whose command has bit 15
// set), over at most 89 records; 0 when the first record ends the table.
int32_t sound_table_max_cmd();

// ---- Lists and points ----------------------------------------------------------------
constexpr uint32_t COURSE_SOUND_IDS = 0x0359DC;      // one id per course 0..3
constexpr uint32_t PARAM_RESET_LIST = 0x0359E4;      // slots, ended by a negative word
constexpr uint32_t INDEXED_SOUND_IDS = 0x0359F6;     // 7 ids; negative: none
constexpr uint32_t COURSE_SLOT_LISTS = 0x035A04;     // 16 bytes per course, negative ends
constexpr uint32_t STEM_TARGETS = 0x035A44;          // one word per camera cell 0..127
constexpr uint32_t ATTRACT_SOUND_PHASES = 0x035B44;  // one word per pair of attract phases
constexpr uint32_t SOUND_POINT_LIST = 0x035B68;      // X, Y, Z records; a negative X ends
constexpr uint32_t SOUND_POINTS = 0x035B9C;          // three single points, 16 bytes apart
constexpr int32_t SOUND_LIST_MAX = 64;               // words of a slot list, records of the point list

bool course_sound_id(int32_t course, int32_t* id);
// Slot k of the parameter-reset list or of a course's list: false at the list's end
// (its negative word), at word 64, or past the ROM.
bool param_reset_slot(int32_t k, int32_t* slot);
bool course_slot(int32_t course, int32_t k, int32_t* slot);
bool indexed_sound_id(int32_t i, int32_t* id);
bool stem_target(int32_t cell, int32_t* target);
// The word of attract phase p (phases 2j and 2j + 1 share word j).
bool attract_phase_sound(int32_t phase, int32_t* word);

struct sound_point {
    int32_t x, y, z;
};
// Record k of the point list: false at its end (a negative X), at record 64 or past the ROM.
bool sound_point_list_read(int32_t k, sound_point* out);
constexpr int32_t SOUND_POINT_CELL26 = 0;   // ROM 0x035B9C, course 0
constexpr int32_t SOUND_POINT_CELL35 = 1;   // ROM 0x035BAC, course 0
constexpr int32_t SOUND_POINT_COURSE2 = 2;  // ROM 0x035BBC, cells 13 and 21
bool sound_point_read(int32_t which, sound_point* out);
