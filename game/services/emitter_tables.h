// Program-ROM tables of the object and scenery emitters.
#pragma once
#include "game/services/rom_table.h"

// Object records, 28 bytes: long +0 flag mask, +4 model when the mask matches the mode
// word, +8 model otherwise, +16/+20/+24 the companion model's offsets. Record 0
// (0x36424) is the compound object's, 1 (0x36440) the rotating one's, 2 (0x3645C) the
// plain one's.
constexpr rom_table ROM_OBJECT_RECORDS = {0x36424, 28, 3};
constexpr int OBJECT_RECORD_COMPOUND = 0;
constexpr int OBJECT_RECORD_ROTATING = 1;
constexpr int OBJECT_RECORD_PLAIN = 2;
// Eight segment models (words), the compound object's sub-models; the radial groups
// read the same bytes one by one.
constexpr rom_table ROM_SEGMENT_MODELS = {0x36414, 2, 8};
constexpr rom_table ROM_RADIAL_MODELS = {0x36414, 1, 8};
// Per sub-model v: node offsets x, y (8-byte records at 0x3543C + 8 v) and its three
// sizes (12-byte records at 0x34BA0 + 12 v; the second is its height).
constexpr rom_table ROM_SUBMODEL_OFFSETS = {0x3543C, 8, 0x8000};
constexpr rom_table ROM_SUBMODEL_SIZES = {0x34BA0, 12, 0x8000};
// Train records, 20 bytes: longs x, y, z, words angle A, B, C. Records 0, 1, 2 at
// 0x36108, 0x3611C, 0x36130.
constexpr rom_table ROM_TRAIN_RECORDS = {0x36108, 20, 3};
// Segment chain: tilt amplitude and turn angle of each segment (words).
constexpr rom_table ROM_CHAIN_TILTS = {0x3808C, 2, 8};
constexpr rom_table ROM_CHAIN_TURNS = {0x3809C, 2, 8};
// Radial groups: tilt amplitude of each group (words).
constexpr rom_table ROM_RADIAL_TILTS = {0x39218, 2, 8};
// Ending backdrop: the second model of each mode quarter (longs).
constexpr rom_table ROM_BACKDROP_MODELS = {0x391F8, 4, 8};
// Range records, 20 bytes: longs start (negative ends the table), end, the two
// interpolation ends, angle.
constexpr rom_table ROM_RANGE_RECORDS = {0x39228, 20, 64};
// Terrain props: animation words, 16 of them 4 bytes apart.
constexpr rom_table ROM_PROP_ANIMATION = {0x35000, 4, 16};
// Course 2 scenery hook choice by camera cell (signed words).
constexpr rom_table ROM_COURSE2_HOOKS = {0x54F8, 2, 128};
// Course-choice menu: the letter models (longs), A-Z / a-z 0..25, digits 26..35.
constexpr rom_table ROM_LETTER_MODELS = {0x37990, 4, 36};
