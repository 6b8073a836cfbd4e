// The small figures that animated objects with state bit 0x0008 are drawn as instead of
// a model packet: three rig node packets, a root turned by the object's three angle
// words and carrying the figure type's model, and two children (models 899 and 898)
// that swing while the object's count word runs. The slot's words it uses (object
// slot layout in animated_objects_ram.h):
//   model base word (+0x44)   the figure type 0..2; any other draws nothing
//   count word (+0x12)        the swing's timer: the children swing while it is above 0
//   word +0x20                0 until the first drawing after a spawn, which writes the
//                             parent group's 0x8008 header first and sets it to 1
//   words +0x24, +0x26        the parent and root groups, saved by the first drawing
// The figure is written whole or not at all: nothing is written when it would not fit
// in the current display-list buffer.
#pragma once
#include <cstdint>

// Figure models by type: ROM 0x3632C, three longs.
constexpr uint32_t ROM_FIGURE_MODELS = 0x3632C;
constexpr int32_t FIGURE_TYPES = 3;
constexpr int32_t FIGURE_CHILD_MODELS[2] = {899, 898};
// Renderer groups: the parent (put at rest by the header), the root and the children.
constexpr int32_t FIGURE_PARENT_GROUP = 56, FIGURE_ROOT_GROUP = 57;
// The children sit either side of the root; while the timer runs each turns about z
// by +-(sin(count x rate) x amplitude >> 15) (16-bit angles), mirrored.
constexpr int32_t FIGURE_CHILD_X = 256;
constexpr int32_t FIGURE_SWING_RATE = 0x1000, FIGURE_SWING_AMPLITUDE = 0x1800;
constexpr uint32_t FIGURE_HEADER_WORDS = 11, FIGURE_NODE_WORDS = 25, FIGURE_NODES = 3;

// The figure of the object in slot (0..15) at out; returns out advanced past what it
// wrote (out itself when it wrote nothing).
int32_t* object_figure_packets(int32_t slot, int32_t* out);
