// The file set of one synthetic frame dump, as an external capture of the board would
// write it: the display-list words in the packet form the packet decoder replays (a view
// set-up, a field of ground tiles and two turned cubes from the synthetic point ROM),
// palette RAM, character RAM with a text tile map, sprite RAM with three disc sprites,
// the second sprite region and the sprite registers, the text registers, the mixer
// registers (a colour table that tints blue down) and the CZ registers with four
// density banks (fog from depth 0x10000 on).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int SYNTH_DUMP_FRAME = 120;
// Mixer background colour and fog colour of the dump.
constexpr uint8_t SYNTH_DUMP_BACKGROUND[3] = {0x50, 0x80, 0xC0};
constexpr uint8_t SYNTH_DUMP_FOG[3] = {0xB0, 0xC8, 0xE0};
// The colour table: red and green unchanged, blue * 7/8.
constexpr uint8_t synth_dump_lut_blue(uint8_t b) {
    return uint8_t(b * 7 / 8);
}
// Objects drawn: ground tiles and cubes (render-object packets).
constexpr int SYNTH_DUMP_GROUND_TILES = 7 * 8;
constexpr int SYNTH_DUMP_CUBES = 2;

// The view packet's 21 payload words: lit from above, a 60-degree picture 640 wide
// (focal 554) looking straight down +z.
std::vector<uint32_t> synth_view_payload();
// The poly words (24-bit values) of the dump.
std::vector<uint32_t> synth_framedump_poly_words();
// Writes words as big-endian 32-bit words.
bool synth_framedump_poly_write(const std::string& path, const std::vector<uint32_t>& words);
// The whole set of frame `frame` into the existing directory dir.
bool synth_framedump_write(const std::string& dir, int frame);
