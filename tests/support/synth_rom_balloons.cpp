// The synthetic balloon tables (synth_rom_tables.h).
#include "tests/support/synth_rom_tables.h"

#include <vector>

namespace {

constexpr int CELLS = 128;
constexpr uint32_t DRAW_LISTS = SYNTH_BALLOON_POOL;
constexpr uint32_t HIT_LISTS = SYNTH_BALLOON_POOL + 0x3000;
constexpr uint32_t NUMBERS = SYNTH_BALLOON_POOL + 0x6000;
constexpr uint32_t MOVING_LISTS = SYNTH_BALLOON_POOL + 0x6400;
constexpr uint32_t TARGETS = SYNTH_BALLOON_POOL + 0x6480;
constexpr uint32_t FIRSTS = SYNTH_BALLOON_POOL + 0x64C0;
constexpr uint32_t MOVING_RECORDS = SYNTH_BALLOON_POOL + 0x6500;
constexpr uint32_t RECORDS = SYNTH_BALLOON_POOL + 0x7000;

// The table of four longs at `table`, each naming `base`.
void course_bases(synth_rom_set* set, uint32_t table, uint32_t base) {
    for (uint32_t c = 0; c < 4; c++) synth_put32(set, table + 4 * c, base);
}

uint32_t list_at(uint32_t base, const synth_layout& l) {
    return base + 4096 * uint32_t(l.group) + 1024 * uint32_t(l.layout);
}

uint32_t word_at(uint32_t base, const synth_layout& l) {
    return base + 8 * uint32_t(l.group) + 2 * uint32_t(l.layout);
}

// The layout's balloon numbers by cell, in order; the small layout's cell 10 also
// names the last balloon of cell 9 first (hit lists only).
std::vector<int32_t> cell_numbers(const synth_layout& l, int cell, bool hit) {
    std::vector<int32_t> out;
    if (hit && &l == &SYNTH_LAYOUTS[0] && cell == 10) out.push_back(l.first + 3);
    for (int32_t j = 0; j < l.count; j++)
        if (l.balloons[j].cell == cell) out.push_back(l.first + j);
    return out;
}

}  // namespace

void synth_balloon_draw_lists(synth_rom_set* set) {
    course_bases(set, 0x035BCC, DRAW_LISTS);
    for (const synth_layout& l : SYNTH_LAYOUTS)
        for (int cell = 0; cell < CELLS; cell++) {
            std::vector<int32_t> n = cell_numbers(l, cell, false);
            uint32_t entry = list_at(DRAW_LISTS, l) + 8 * uint32_t(cell);
            synth_put32(set, entry, uint32_t(n.empty() ? 0 : n[0]));
            synth_put32(set, entry + 4, uint32_t(n.size()));
        }
}

void synth_balloon_numbers(synth_rom_set* set) {
    course_bases(set, 0x035C0C, NUMBERS);
    uint32_t at = 0;
    for (const synth_layout& l : SYNTH_LAYOUTS)
        for (int cell = 0; cell < CELLS; cell++)
            for (int32_t n : cell_numbers(l, cell, true)) synth_put16(set, NUMBERS + 2 * at++, uint16_t(n));
}

void synth_balloon_hit_lists(synth_rom_set* set) {
    course_bases(set, 0x035C1C, HIT_LISTS);
    uint32_t at = 0;  // the number list's entries in the order synth_balloon_numbers writes them
    for (const synth_layout& l : SYNTH_LAYOUTS)
        for (int cell = 0; cell < CELLS; cell++) {
            uint32_t n = uint32_t(cell_numbers(l, cell, true).size());
            uint32_t entry = list_at(HIT_LISTS, l) + 8 * uint32_t(cell);
            synth_put32(set, entry, n ? at : 0);
            synth_put32(set, entry + 4, n);
            at += n;
        }
}

void synth_balloon_records(synth_rom_set* set) {
    course_bases(set, 0x035BDC, RECORDS);
    for (const synth_layout& l : SYNTH_LAYOUTS) {
        int32_t rank[CELLS] = {};
        for (int32_t j = 0; j < l.count; j++) {
            const synth_balloon& b = l.balloons[j];
            const int32_t longs[8] = {b.kind,  synth_balloon_x(b.cell, rank[b.cell]++), SYNTH_BALLOON_Y,
                                      synth_balloon_z(b.cell), b.value, SYNTH_BALLOON_STEP, SYNTH_BALLOON_AMPLITUDE,
                                      SYNTH_BALLOON_BANK + b.kind};
            for (uint32_t k = 0; k < 8; k++)
                synth_put32(set, RECORDS + 32 * uint32_t(l.first + j) + 4 * k, uint32_t(longs[k]));
        }
    }
}

void synth_moving_balloon_lists(synth_rom_set* set) {
    course_bases(set, 0x035BEC, MOVING_LISTS);
    for (const synth_layout& l : SYNTH_LAYOUTS) {
        uint32_t at = MOVING_LISTS + 16 * uint32_t(l.group) + 4 * uint32_t(l.layout);
        synth_put16(set, at, uint16_t(l.moving_first));
        synth_put16(set, at + 2, uint16_t(l.moving_count));
    }
}

void synth_moving_balloon_records(synth_rom_set* set) {
    course_bases(set, 0x035BFC, MOVING_RECORDS);
    for (uint32_t i = 0; i < 2; i++) {
        const synth_moving_balloon& m = SYNTH_MOVING_BALLOONS[i];
        const int32_t longs[8] = {m.x, m.y, m.z, m.radius, m.rate, m.kind, m.value, 0x7777};
        for (uint32_t k = 0; k < 8; k++) synth_put32(set, MOVING_RECORDS + 60 * i + 4 * k, uint32_t(longs[k]));
    }
}

void synth_balloon_targets(synth_rom_set* set) {
    course_bases(set, 0x035C2C, TARGETS);
    for (const synth_layout& l : SYNTH_LAYOUTS) synth_put16(set, word_at(TARGETS, l), uint16_t(l.target));
}

void synth_balloon_first_numbers(synth_rom_set* set) {
    course_bases(set, 0x035C3C, FIRSTS);
    for (const synth_layout& l : SYNTH_LAYOUTS) synth_put16(set, word_at(FIRSTS, l), uint16_t(l.first));
}

void synth_balloon_model_rows(synth_rom_set* set) {
    for (uint32_t g = 0; g < 3; g++)
        for (uint32_t k = 0; k < 11; k++)
            synth_put32(set, 0x035C4C + 44 * g + 4 * k, uint32_t(synth_balloon_row_model(int32_t(g), int32_t(k))));
}

void synth_moving_balloon_models(synth_rom_set* set) {
    for (uint32_t k = 0; k < 11; k++) synth_put32(set, 0x035CD0 + 4 * k, uint32_t(SYNTH_MOVING_MODEL_BASE) + k);
}

void synth_balloon_layout_counts(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++) synth_put32(set, 0x035CFC + 4 * c, uint32_t(SYNTH_LAYOUT_COUNTS[c]));
}

void synth_balloon_sparkles(synth_rom_set* set) {
    for (uint32_t e = 0; e < 8; e++) synth_put32(set, 0x035D0C + 4 * e, uint32_t(SYNTH_SPARKLE_MODEL_BASE) + e);
}
