// The world's objects of a flight frame: the scenery standing in the visible terrain
// chunks, drawn in three detail tiers by each chunk's place in the visible chunk list
// (entries 0-8 near, with the chunk's animated-object spawning, 9-15 middle, 16-22 far,
// the rest nothing), the animated objects and the course hooks.
//
// ROM tables, each read through a bounded accessor (a read past its table or the ROM
// gives 0): tier tables 0xAD8D8 + 1536 course + 512 tier (128 cells of (first record,
// count); bit 15 = none), scenery records 0xAF0D8 + 32 w, chunk spawn table 0xB0938 +
// 512 course (128 of (first spawn record, count); bit 7 = none), the kind-5 frame words
// 0x36144, the six-step cycle 0x36184, course 3's flag bytes 0x36394, course 2's effect
// records 0x361DC and effect list 0x36190. A display list within 128 bytes of its end
// stops the scenery with one guard line per run; that guard ends a call long before the
// board's cap of 10000 records a call, which is therefore not kept.
#pragma once
#include <cstdint>

constexpr uint32_t ROM_TIER_TABLES = 0xAD8D8;
constexpr uint32_t ROM_SCENERY_RECORDS = 0xAF0D8;
constexpr uint32_t ROM_CHUNK_SPAWNS = 0xB0938;
constexpr uint32_t ROM_KIND5_FRAMES = 0x36144;
constexpr uint32_t ROM_SIX_STEP_FRAMES = 0x36184;
constexpr uint32_t ROM_FLAG_CELLS = 0x36394;
constexpr uint32_t ROM_EFFECT_RING = 0x361DC;
constexpr uint32_t ROM_EFFECT_LIST = 0x36190;
constexpr uint32_t TIER_TABLE_BYTES = 512, COURSE_TIER_BYTES = 1536;
constexpr uint32_t SCENERY_RECORD_BYTES = 32;

// The frame's object step: the camera-facing words, the 0x8002 header, tiers and
// spawning, animated objects, course hooks and packets, the bank closed.
void objects_render_master();
// The animated-object step, the chunk spawning and the tiered scenery.
void scenery_lod_select();
// The scenery records of one visible chunk (its W offset in the visible list) in the
// current tier, from the tier-table word at the ROM address `tier_word`.
void scenery_object_render(uint32_t chunk_entry, uint32_t tier_word);
// The train, then the course's hooks.
void scenery_hooks_render();
// The course-8 node model (courses 0-2, while the word W 0x0E68 is 8).
void scenery_course8_packets();
// Course 3's object emitters named by the visible chunks' flag bytes.
void scenery_flag_packets();
// Returns 0; three service-mode routines call it.
int32_t object_noop();

// Guard lines of the scenery said so far (whole run).
extern uint32_t scenery_guard_count;
