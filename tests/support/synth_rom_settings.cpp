// The settings, score-table and switch-port tables of the synthetic program ROM.
#include "tests/support/synth_rom_tables.h"

void synth_default_initials(synth_rom_set* set) {
    for (uint32_t i = 0; i < 10; i++)
        for (uint32_t k = 0; k < 3; k++) synth_put8(set, 0x39838 + 3 * i + k, synth_default_initial(i, k));
}

void synth_settings_defaults(synth_rom_set* set) {
    // The game reads these words both as the defaults and as the factory values of the
    // game-option records (synth_game_lists), which write the same values.
    synth_rom_entries_of("synth_game_lists");
    synth_put16(set, 0x36806, SYNTH_SETTING_36806);
    synth_put16(set, 0x3681E, SYNTH_SETTING_3681E);
    synth_put16(set, 0x3684E, SYNTH_SETTING_3684E);
    synth_rom_entries_of(nullptr);
}

void synth_switch_ports(synth_rom_set* set) {
    synth_put32(set, 0x3ABAA, SYNTH_SWITCH_PORT0);
    synth_put32(set, 0x3ABAE, SYNTH_SWITCH_PORT1);
}
