#include "board/eeprom_settings.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/inputs.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/stub_report.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <cstdio>

namespace {

// One report per stub per run.
void stub_report_once(bool* reported, const char* name, uint32_t rom_address, const char* message) {
    if (*reported) return;
    *reported = true;
    stub_report(name, rom_address, message);
}

// A byte of a table of 8-byte records from `first`: the long's bytes for the first four
// of a record, the byte cell for the rest.
int record_byte(uint32_t first, uint32_t x) {
    uint32_t at = (x - first) % 8;
    if (at >= 4) return w_cell_byte(x);
    return int(uint32_t(w_cell(x - at)) >> (24 - 8 * at) & 0xFF);
}

bool in_range(uint32_t x, uint32_t first, uint32_t end) {
    return x >= first && x < end;
}

void dump_bytes(uint32_t first, uint32_t end, int (*byte_of)(uint32_t)) {
    for (uint32_t x = first; x < end; x++) printf("%02X", byte_of(x));
}

int score_dump_byte(uint32_t x) {
    if (in_range(x, W_SCORE_LONGS, W_BEST_RECORDS)) return 0;
    if (in_range(x, W_SCORE_TABLE, W_SCORE_LONGS)) return record_byte(W_SCORE_TABLE, x);
    if (in_range(x, W_BEST_RECORDS, W_SCORE_HEAD)) return record_byte(W_BEST_RECORDS, x);
    return w_cell_byte(x);
}

int ranking_dump_byte(uint32_t x) {
    if (in_range(x, W_RANK_TABLES, W_RANK_HEADS)) return record_byte(W_RANK_TABLES, x);
    if (x >= W_RANK_BEST_COPIES) return record_byte(W_RANK_BEST_COPIES, x);
    return w_cell_byte(x);
}

// Settings words at their board addresses: the game's own cells (the import leaves them
// alone) as cells, the others in the board's layout.
void settings_word_set(uint32_t x, uint32_t value) {
    if (wram_owned[x]) w_cell_set(x, int16_t(value));
    else w_word_set(x, value & 0xFFFF);
}

void settings_byte_set(uint32_t x, uint32_t value) {
    uint32_t even = x & ~1u, word = uint32_t(w_word(even)) & 0xFFFF;
    w_word_set(even, x & 1 ? (word & 0xFF00) | (value & 0xFF) : (word & 0xFF) | (value & 0xFF) << 8);
}

constexpr uint32_t ROM_SETTINGS_ID = 0x3653C;
constexpr uint32_t SETTINGS_ID_BYTES = 8;

void settings_header_write() {
    for (uint32_t x = W_SETTINGS_BLOCK; x < W_SETTINGS_HEADER_CELLS; x++) w_cell_set(x, 0);
    bool ended = false;
    for (uint32_t k = 0; k < SETTINGS_ID_BYTES; k++) {
        uint32_t c = ended ? 0 : program_rom[ROM_SETTINGS_ID + k];
        ended = ended || c == 0;
        settings_byte_set(W_SETTINGS_BLOCK + k, c);
    }
    for (uint32_t k = 0; k < 18; k++) settings_byte_set(W_SETTINGS_SEQUENCE + k, k);
    for (uint32_t x = W_SETTINGS_SEQUENCE + 18; x < W_SETTINGS_HEADER_END; x++) settings_byte_set(x, 0);
    wram_long_set(W_SETTINGS_TAIL, 0);
    wram_long_set(W_SETTINGS_TAIL + 4, 0);
}

// The sound and coin defaults, replaced while operator switch 1 (W 0x2BA4 bit 1) is on.
void service_defaults_load() {
    bool operator_switch = (w_cell(W_START_SWITCH) & 2) != 0;
    uint32_t volume_a = operator_switch ? 43 : uint32_t(bus_read16(0x36AAA));
    uint32_t volume_b = operator_switch ? 43 : uint32_t(bus_read16(0x36AC2));
    // The volume words are the sound layer's cells.
    for (uint32_t k = 0; k < 4; k++) w_cell_set(W_SOUND_VOLUMES + 2 * k, int16_t(k % 2 ? volume_b : volume_a));
    wram_long_set(W_SOUND_CODE, 0);
    wram_long_set(W_COINS_PER_CREDIT, operator_switch ? 4 : int16_t(bus_read16(0x36726)));
    settings_word_set(W_FREE_PLAY, operator_switch ? 2 : uint32_t(bus_read16(0x3673E)));
}

}  // namespace

void settings_factory_reset() {
    int64_t handle[8];
    for (uint32_t k = 0; k < 8; k++) handle[k] = w_slot(W_HANDLE_CENTRE_TURN + k);
    settings_header_write();
    service_defaults_load();
    settings_defaults_load();
    ranking_table_reset();
    for (uint32_t k = 0; k < 8; k++) w_slot_set(W_HANDLE_CENTRE_TURN + k, handle[k]);
    eeprom_sync_all();
}

void settings_defaults_load() {
    w_cell_set(W_SETTINGS_DEFAULTED, 1);
    w_cell_set(W_MODE_SETTING, bus_read16(0x36806));
    w_word_set(W_GAME_VALUE1, bus_read16(0x3681E));
    w_word_set(W_ATTRACT_SOUND, bus_read16(0x3684E));
}

void eeprom_sync_all() {
    static bool reported;
    scores_save();
    stub_report_once(&reported, "eeprom_sync_all", 0x019EEE, "EEPROM sync -- free play is forced");
}

void switch_defaults_and_sync() {
    // The board copied the eight bytes; as cells the readings are four 16-bit values.
    for (uint32_t k = 0; k < 4; k++) {
        uint32_t at = 0x7D0A + 2 * k;
        w_cell_set(W_HANDLE_CENTRE_TURN + 2 * k, int16_t(uint16_t(commsram[at] << 8 | commsram[at + 1])));
    }
    eeprom_sync_all();
}

int eeprom_command_handler() {
    static bool reported;
    stub_report_once(&reported, "eeprom_command_handler", 0x0489F8, "EEPROM command handler -- free play is forced");
    return 0;
}

int eeprom_shift_right_1() {
    static bool reported;
    stub_report_once(&reported, "eeprom_shift_right_1", 0x049B7C, "returns 0 unconditionally");
    return 0;
}

void ranking_defaults_call() {
    ranking_table_reset();
}

void dipsw_bits_list() {
    uint32_t bits = uint32_t(w_cell(W_DIP_SWITCH_BITS));
    for (uint32_t k = 0; k < 8; k++) {
        uint32_t at = (6 * 64 + 17 + k) * 2;
        textram[at] = bits >> k & 1 ? 0x20 : 0;
        textram[at + 1] = uint8_t(k + 1);
    }
}

void score_table_dump(const char* name) {
    printf("TBL %s E04030 ", name);
    dump_bytes(W_SCORE_TABLE, W_SCORE_HEAD + 4, score_dump_byte);
    printf("\nTBL %s E15BF0 ", name);
    dump_bytes(W_RANK_TABLES, W_RANK_BEST_COPIES + 32, ranking_dump_byte);
    printf("\n");
    fflush(stdout);
}
