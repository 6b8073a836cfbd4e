// Animated objects: sixteen work-RAM slots (animated_objects_ram.h), each spawned from a
// 28-byte ROM spawn record into the slot it names and driven every frame by a ROM script
// of 20-byte entries (x, y, z, three angle words, control word): a count moves the object
// to the next entry's pose over that many frames, an opcode 0x82F3..0x8300 takes its
// operands from the next entry. The step, the spawning and the drawing run inside
// objects_render_master; the course start frees every slot and spawns the fixed ones.
//
// Every script and record is read from the program ROM after a bound test: a cursor
// outside 0x10000..0x3FFFD7 skips its object, a run stops after 4096 control words, a
// record with a bad slot or script spawns nothing, and the drawing stops, with one
// guard line per run, when the display list is within 256 bytes of its end.
#pragma once
#include <cstdint>

// Spawn records: ROM 0xB2B78 + 28 n.
constexpr uint32_t ROM_SPAWN_RECORDS = 0xB2B78;
constexpr uint32_t SPAWN_RECORD_BYTES = 28;
constexpr uint32_t SCRIPT_ENTRY_BYTES = 20;
constexpr uint32_t SCRIPT_FIRST = 0x10000, SCRIPT_LAST = 0x3FFFD7;  // valid script addresses
constexpr int32_t SCRIPT_RUN_LIMIT = 4096;                            // control words per run

// Course start: slots freed, the course's fixed objects spawned and pre-rolled,
// the model words cleared and the three input bits stored.
void animated_objects_reset_all();
// count consecutive records from `first`, each pre-rolled to play_frame_counter mod period.
void animated_objects_spawn_course(uint32_t first, int32_t count, int32_t period);
// One record into its slot when the slot is free and the conditions hold.
void animated_object_spawn(uint32_t record);
// One frame of every live object, the cull, then the spawner takes the player.
void animated_objects_step_all();
// One frame of one object's script; returns its terrain cell.
int32_t animated_object_script_run(int32_t slot);
// The live objects into the display list.
void animated_objects_render_all();
// Slots 8-15 drawn again with their bank choice (courses 0 and 2), then zone_link_update.
void animated_object_record_dump();

// The scratch vector W 0x1668C rotated by tilt then heading (W 0x16698) into the three
// longs at `out` (a work-RAM offset); the _yaw form by the heading alone, y = 0.
void spawn_offset_rotate(uint32_t out);
void spawn_offset_rotate_yaw(uint32_t out);
// The shift of an animation frame: a ROM shift outside 0..31 shifts by 31.
int32_t frame_shift(int32_t shift);
// A 16-bit word at a work-RAM byte offset; offsets outside work RAM are not written.
void wram_word_write(uint32_t offset, int32_t value);

// "[AO] ... not in ROM" lines and drawing guard lines said so far (whole run).
extern uint32_t animated_cursor_reports;
extern uint32_t animated_guard_count;
