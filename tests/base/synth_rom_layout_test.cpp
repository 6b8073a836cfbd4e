// The synthetic ROM set's layout: every named table writer owns its program-ROM bytes,
// so a table a test reads holds the values its writer put there.
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The writer whose range holds the byte at `addr` ("" when none).
std::string owner(const std::vector<synth_rom_range>& ranges, uint32_t addr) {
    std::string name;
    for (const synth_rom_range& r : ranges)
        if (addr >= r.address && addr - r.address < r.length) name = r.name;
    return name;
}

// Shared words the game fixes both tables of: each byte belongs to the writer of the
// table the game reads there.
TEST(SynthRomLayout, SharedWordsBelongToOneWriter) {
    const std::vector<synth_rom_range> ranges = synth_rom_table_ranges();
    const struct {
        uint32_t address;
        const char* writer;
    } cases[] = {
        {0x37A78, "synth_ending_phase_ends"},    // phase 11's end
        {0x37A7A, "synth_ending_scene_lists"},   // the word after the phase ends
        {0x20B000, "synth_shear_table"},         // the last heading's shear word
        {0x20B002, "synth_sine_table"},          // the cosine before sin 0
        {0x20B004, "synth_sine_table"},
        {0x39D36, "synth_course3_prop_models"},  // initial byte 99
        {0x39D38, "synth_replay_tables"},
        {0x37C48, "synth_event_records"},        // record 22's blue
        {0x37C4C, "synth_ending_flights"},       // the fly-in's node list
        {SYNTH_ONOFF_TABLE, "synth_service_texts"},
        {0x1FB000, "synth_sound_lists"},         // the sound test's menu texts
    };
    for (const auto& c : cases) EXPECT_EQ(owner(ranges, c.address), c.writer) << std::hex << c.address;
}

TEST(SynthRomLayout, NoTwoWritersShareAByte) {
    std::vector<synth_rom_range> ranges = synth_rom_table_ranges();
    ASSERT_FALSE(ranges.empty());
    std::sort(ranges.begin(), ranges.end(),
              [](const synth_rom_range& a, const synth_rom_range& b) { return a.address < b.address; });
    // Against every later range that starts before this one ends (ranges of one writer
    // may touch each other: a writer may put a table down in any order).
    for (size_t i = 0; i < ranges.size(); i++) {
        const synth_rom_range& a = ranges[i];
        for (size_t j = i + 1; j < ranges.size() && ranges[j].address < a.address + a.length; j++) {
            const synth_rom_range& b = ranges[j];
            if (strcmp(a.name, b.name) == 0) continue;
            // Entries written into another writer's whole table replace its plain ones.
            if ((a.table && strcmp(a.table, b.name) == 0) || (b.table && strcmp(b.table, a.name) == 0)) continue;
            ADD_FAILURE() << a.name << " [0x" << std::hex << a.address << ", 0x" << a.address + a.length << ") and "
                          << b.name << " [0x" << b.address << ", 0x" << b.address + b.length << ") overlap";
        }
    }
}

}  // namespace
