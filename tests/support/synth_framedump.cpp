#include "tests/support/synth_framedump.h"

#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <cmath>

namespace {

constexpr uint32_t PKT_VIEW = 21, PKT_OBJECT = 13;
constexpr int32_t FOCAL = 554;  // pixels: a 60-degree picture 640 wide
constexpr uint32_t PLANE = 0x8000;

uint32_t w24(int32_t v) {
    return uint32_t(v) & 0xFFFFFF;
}

// A packet at the end of `words`: code, type d, a word the decoder skips, the payload,
// the link to the next packet.
void packet(std::vector<uint32_t>& words, uint32_t code, uint32_t d, const std::vector<uint32_t>& payload) {
    uint32_t a = uint32_t(words.size());
    words.resize(a + 4 + d, 0);
    words[a] = code;
    words[a + 1] = d;
    for (size_t i = 0; i < payload.size() && i < d; i++) words[a + 3 + i] = payload[i];
    words[a + 3 + d] = a + 4 + d;
}

// A float word: 16-bit mantissa m with exponent e gives m / 2^(46 - e).
uint32_t float_word(double value, int e) {
    return uint32_t(e) << 16 | (uint32_t(int32_t(std::lround(value * std::ldexp(1.0, 46 - e)))) & 0xFFFF);
}

// Rotation about y by `yaw` then about x by `pitch` (radians), rows of 1.15 words.
std::vector<uint32_t> turned(double yaw, double pitch) {
    double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    const double m[9] = {cy, 0, sy, sp * sy, cp, -sp * cy, -cp * sy, sp, cp * cy};
    std::vector<uint32_t> out;
    for (double v : m) out.push_back(w24(int32_t(std::lround(v * 0x7FFF))));
    return out;
}

void object(std::vector<uint32_t>& words, int32_t code, const std::vector<uint32_t>& rotation, int32_t x, int32_t y,
            int32_t z) {
    std::vector<uint32_t> payload = rotation;
    payload.push_back(w24(x));
    payload.push_back(w24(y));
    payload.push_back(w24(z));
    packet(words, uint32_t(code), PKT_OBJECT, payload);
}

std::vector<uint8_t> palette() {
    std::vector<uint8_t> p(3 * PLANE);
    for (uint32_t e = 0; e < PLANE; e++) {
        uint32_t g = e >> 8, j = e & 255;
        p[e] = uint8_t(255 - (j * 30) % 200);
        p[PLANE + e] = uint8_t(60 + (j * 45 + g * 20) % 190);
        p[2 * PLANE + e] = uint8_t((g * 70 + j * 10) % 256);
    }
    return p;
}

// Character RAM: tile 1 a framed square, tile 2 diagonal stripes, tile 3 a ring, the
// blank tile 0x20 all transparent; the map shows them on two rows.
std::vector<uint8_t> character_ram() {
    std::vector<uint8_t> c(0x20000, 0);
    auto set = [&](int code, int x, int y, int v) {
        uint8_t& b = c[size_t(code) * 128 + size_t(y) * 8 + size_t(x) / 2];
        b = (x & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | v << 4);
    };
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            bool edge = x < 2 || y < 2 || x > 13 || y > 13;
            set(1, x, y, edge ? 1 : 2);
            set(2, x, y, ((x + y) / 3) % 2 ? 3 : 15);
            int d2 = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
            set(3, x, y, d2 < 100 && d2 > 40 ? 4 : 15);
            set(0x20, x, y, 15);
        }
    const size_t map = 0x1E000;
    for (int cell = 0; cell < 64 * 64; cell++) c[map + 2 * size_t(cell) + 1] = 0x20;
    for (int col = 2; col < 16; col++) c[map + 2 * size_t(64 * 2 + col) + 1] = uint8_t(1 + col % 3);
    for (int col = 24; col < 38; col++) c[map + 2 * size_t(64 * 26 + col) + 1] = 2;
    return c;
}

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xFFFF);
}

// Sprite RAM: the header of the game's upload (origin 640, 810; clip set 0 the screen)
// and three sprites of the disc tiles with their attribute entries.
std::vector<uint8_t> sprite_ram() {
    std::vector<uint8_t> r(0x30000, 0);
    const uint8_t head[16] = {0x00, 0x06, 0x00, 0x01, 0, 0, 0x00, 0x53, 0x03, 0x00, 0x02, 0x00, 0x03, 0x00, 0, 0};
    for (size_t i = 0; i < 16; i++) r[i] = head[i];
    const uint8_t clip[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
    for (size_t i = 0; i < 8; i++) r[0x200 + i] = r[0x208 + i] = clip[i];
    struct spec {
        int x, y, size;
        uint32_t tile, key, colour;
    };
    const spec sprites[3] = {{460, 60, 64, SYNTH_SPRITE_DISC_TILE, 0x100, 3},
                             {520, 90, 32, SYNTH_SPRITE_DISC_TILE + 1, 0x80, 5},
                             {90, 330, 48, SYNTH_SPRITE_DISC_TILE + 2, 0x40, 7}};
    for (size_t k = 0; k < 3; k++) {
        const spec& s = sprites[k];
        size_t e = 0x4010 + 16 * k, a = 0x20008 + 8 * k;
        put16(r, e, uint32_t(s.x + 640));
        put16(r, e + 2, uint32_t(s.y + 810));
        put16(r, e + 4, uint32_t(s.size));
        put16(r, e + 6, uint32_t(s.size));
        put32(r, e + 8, 0x00FF0011);  // consecutive tiles, clip set 0, 1 x 1 tiles
        put16(r, e + 12, s.tile);
        put32(r, a, s.key);
        put16(r, a + 4, s.colour | 0x80);  // no depth cue
    }
    put16(r, 4, 3);
    return r;
}

std::vector<uint8_t> mixer() {
    std::vector<uint8_t> m(1024, 0);
    m[0] = m[1] = m[2] = 0xFF;  // colour scale off
    for (int c = 0; c < 3; c++) m[0x05 + size_t(c)] = SYNTH_DUMP_FOG[c], m[0x08 + size_t(c)] = SYNTH_DUMP_BACKGROUND[c];
    m[0x12] = 0xFF;  // no text colour range drawn translucent
    m[0x14] = 0x0F;
    m[0x1B] = 2;  // text palette group
    for (int i = 0; i < 256; i++) {
        m[0x100 + size_t(i)] = uint8_t(i);
        m[0x200 + size_t(i)] = uint8_t(i);
        m[0x300 + size_t(i)] = synth_dump_lut_blue(uint8_t(i));
    }
    return m;
}

bool write_bytes(const std::string& dir, const char* kind, int frame, const std::vector<uint8_t>& bytes) {
    return file_write(dir + "/" + kind + "_f" + std::to_string(frame) + ".bin", bytes);
}

}  // namespace

std::vector<uint32_t> synth_view_payload() {
    const double half_w = -319.5 / FOCAL, half_h = -239.5 / FOCAL;  // insets reaching the screen edges
    return {
        20u << 16 | 200,                      // ambient, light scale
        0,                                    // light x; no mirror
        7u << 16 | 0x5A82,                    // priority base 7, light y
        w24(-0x5A82) & 0xFFFF,                // light z
        0,                                    // centre offsets
        46u << 16 | uint32_t(FOCAL),          // focal, shift 0
        float_word(half_w, 31), float_word(half_w, 31),
        float_word(half_h, 31), float_word(half_h, 31),
        0,
        0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, 0, 0x7FFF,  // view matrix
    };
}

std::vector<uint32_t> synth_framedump_poly_words() {
    std::vector<uint32_t> w;
    packet(w, 0, PKT_VIEW, synth_view_payload());
    const std::vector<uint32_t> flat = turned(0, 0);
    for (int row = 7; row >= 0; row--)
        for (int col = -3; col <= 3; col++)
            object(w, SYNTH_MODEL_GROUND, flat, col * 2 * SYNTH_GROUND_HALF, -0x8000,
                   0x14000 + row * 2 * SYNTH_GROUND_HALF);
    object(w, SYNTH_MODEL_CUBE, turned(0.5, 0.35), -0xC000, 0x2000, 0x38000);
    object(w, SYNTH_MODEL_CUBE, turned(-0.8, 0.2), 0x18000, 0x6000, 0x70000);
    return w;
}

bool synth_framedump_poly_write(const std::string& path, const std::vector<uint32_t>& words) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : words)
        for (int s = 24; s >= 0; s -= 8) bytes.push_back(uint8_t(v >> s));
    return file_write(path, bytes);
}

bool synth_framedump_write(const std::string& dir, int frame) {
    std::vector<uint8_t> tattr(16, 0), czattr(16, 0), density(512);
    put16(tattr, 0, 860);        // map column 0 at the left edge
    put16(czattr, 8, 0x0004);    // bank 0 fogged; every selector maps to bank 0
    for (uint32_t v = 0; v < 256; v++) put16(density, 2 * v, 256 + 17 * v);
    bool ok = synth_framedump_poly_write(dir + "/poly_f" + std::to_string(frame) + ".bin", synth_framedump_poly_words());
    ok = ok && write_bytes(dir, "pal", frame, palette()) && write_bytes(dir, "cgram", frame, character_ram()) &&
         write_bytes(dir, "sprite", frame, sprite_ram()) &&
         write_bytes(dir, "vicsd", frame, std::vector<uint8_t>(0x10000, 0)) &&
         write_bytes(dir, "vicsc", frame, std::vector<uint8_t>(128, 0)) && write_bytes(dir, "tattr", frame, tattr) &&
         write_bytes(dir, "mix", frame, mixer()) && write_bytes(dir, "czattr", frame, czattr);
    for (int b = 0; b < 4 && ok; b++) ok = write_bytes(dir, ("czram" + std::to_string(b)).c_str(), frame, density);
    return ok;
}
