// Display-list packets of the player's craft: the sky dome, rig nodes from the
// 128-byte node records in work RAM, and the two wing models. All write at dl_cursor
// through the display-list guard.
//
// Node record fields (work-RAM longs at the record's offset n): +0 model, high half
// of +4 the parent (signed count of records from this one), low half of +8 the scale
// word, +0x24/+0x28/+0x2C position, low 16 bits of +0x30/+0x34/+0x38 three angles,
// +0x78 the node's slot.
#pragma once
#include <cstdint>

// Wing inputs written by the rig (work-RAM longs); the wings stand on the ground points
// (board/game_state_ram.h), the last contact height being the wing root's.
constexpr uint32_t W_WING_ROOT_Y = 0x2AA8;
constexpr uint32_t W_WING_SCALE = 0x166B4;   // s0, s1, s2 and from 0x166C0 their quarters
constexpr uint32_t W_SKY_PARENT_SLOT = 0xB0FC;
constexpr uint32_t W_WING_SET = 0x12BC;      // non-zero: the second wing and sky models
constexpr uint32_t W_CONTACT_FRONT = 0x16E4;  // non-zero: ground contact, front and side
constexpr uint32_t W_CONTACT_SIDE = 0x1824;

// 25 words: the sky node (slot 3, turning once every 64 play frames, 320 units down),
// composed with the parent slot W[0xB0FC], and sky model 779/780 (781/782 with the
// second wing set) alternating every 4 play frames, at node_anchor.
void camera_dsp_sky_render();
// 25 words through slot + 3: the node from three angles at (x, y + 800, z - 848),
// composed with slot 4, and model at node_anchor.
void dl_model_offset(int32_t slot, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a,
                     int32_t angle_b, int32_t angle_c, int32_t scale);
// record: a pointer into the work-RAM slots or a 68020 address; nothing is written
// unless the whole record lies in work RAM. k is a 1.15 scale (callers pass 21299).
// 19 words: the record's node in slot 4 with its position scaled by k, composed
// with the parent record's slot.
void dl_model_from_object(int64_t record, int32_t k);
// By the sign of the parent word: 42 words (node under its parent), 34 words (a root,
// whose camera-relative position becomes node_anchor) or a bare 9-word entry.
void dl_model_from_object34(int64_t record, int32_t k);
// One wing: nothing when q x 2048 / e lies outside -10240..10240 (or e is 0); else the
// 3x3 node in slot 3 from (p, q, r) / e and s0..s2, composed with slot 4, and the
// model at node_anchor (23 words).
void wings_packet_build(int32_t model, int32_t p, int32_t q, int32_t r, int32_t e);
// Both wings of the rig, from the wing points, the player and the camera.
void hud_draw_wings();
