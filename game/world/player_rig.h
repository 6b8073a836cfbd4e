// The player's machine and rider drawn as a rig of node records (rig_ram.h): the render
// step, the rig pipeline that poses the root, picks the procedural rider, a stream
// animation or a hit animation, and writes every node; the node sets of the ROM.
//
// ROM node lists: a table of longs at 0x12ABB0 (selector or hit set) points at a list
// of 68020 pointers to 36-byte node records, ended by 0 and followed by the 16-bit
// stream length; a record holds the model, the link word (upper half of the second
// long), the flags long and six fields (x, y, z, pitch, heading, roll). A field whose
// bit is set (flags' upper half AND the field's mask) holds a stream pointer: the
// stream is the field's first value as a long, then one signed word per frame.
#pragma once
#include <cstdint>

// ROM tables of the rig.
constexpr uint32_t ROM_RIG_LISTS = 0x12ABB0;       // 63 longs: node lists by selector/set
constexpr uint32_t ROM_RIG_LIST_COUNT = 63;
constexpr uint32_t ROM_RIG_SECOND_LIST = 0x12ACAC;  // pointer list loaded after the selector's
constexpr uint32_t ROM_SET_FIELD_MASKS = 0x375C0;   // six longs: hit-set field masks
constexpr uint32_t ROM_STREAM_FIELD_MASKS = 0x37664;  // six longs: stream field masks
constexpr uint32_t ROM_SET_ANGLE_BASE = 0x3765C;    // long: the hit sets' angle table base
constexpr uint32_t ROM_NODE_RECORD_BYTES = 36;

// The gameplay tick's step before the race timer; it does nothing.
void player_render_stub();
// The machine's frame (slot 0) and parts (slot 1, composed by 0x8009 1, 0, 1) after a
// 0x8002, 0 header, then camera_update_main.
void player_render();
// The rig pipeline: pose, hit animation, rider or stream, sky after a hit, wings.
void camera_update_main();
// Node 0 from the flight state, emitted as the root; nodes 1..5 from their base words.
void player_model_set_pose();
// Hit set 0..7 into the nodes from 5 on, each emitted at once; the stream then plays.
void scene_node_array_animate(int32_t set);
// One frame of the stream: animated fields advance, nodes emitted, counter + 1.
void player_animation_state_update();
// Nodes from 1 (posed) or 6 until a negative model or the end of the node area.
void player_rig_node_words();
// Keyframed rider for crank frame a (0..63), then the node words.
void player_animation_keyframe_update(int32_t a);
// The procedural rider of the rig pipeline: crank from the crank frame, targets from
// the inputs, arms, legs, node words.
void camera_setup_simple();
// The same with given targets (fly-in, ending).
void player_rig_solve_targets(int32_t crank_angle, int32_t a, int32_t t, int32_t b, int32_t c);
// The rig's hit animation for this frame's contacts (the rig mode, 0 for none).
int32_t player_hit_animation_select();
// The machine's nodes 0..5, then node list `selector` from node 5 and the second list;
// the rider's smoothing and the hit state cleared, the stream to play.
void player_model_load_animation(int32_t selector);
