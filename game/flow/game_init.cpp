#include "game/flow/game_init.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/boot_font.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/palette_mixer.h"
#include "board/ranking_page.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/video_setup.h"
#include "board/wram.h"
#include "game/flow/game_flow.h"
#include "game/flow/gameplay_dispatch.h"
#include "game/modes/attract_scenes.h"
#include "game/modes/attract_sequencer.h"
#include "game/modes/service_ram.h"
#include "game/modes/tile_block_list.h"
#include "game/services/coin_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_ram.h"
#include "game/world/camera.h"
#include "game/world/gameplay_state.h"
#include "game/world/player_rig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const boot_title_text BOOT_TITLE_TEXTS[7] = {
    {2, 13, 5, "SKY VOLTA"},          {5, 7, 4, "VELMO SYSTEM KESTREL"}, {10, 11, 4, "PRESS START BUTTON"},
    {14, 16, 4, "NEW GAME"},          {15, 16, 4, "CONTINUE"},           {18, 14, 6, "INSERT COIN"},
    {22, 15, 4, "CREDIT  0"},
};

namespace {

constexpr uint32_t WORK_RAM_CLEARED = 0x1F000;  // 0xE00000-0xE1EFFF
constexpr uint32_t PLANE = 0x8000;
constexpr uint32_t TITLE_GROUP = 0x7E;
constexpr uint32_t TEXT_FILL_CELL = 0x03BF;

void step(const char* name) {
    if (verbose_enabled()) printf("  %s...\n", name);
}

uint16_t rom_word(uint32_t address) {
    return uint16_t(bus_read16(address));
}

void syscon_init() {
    static const uint8_t first[4] = {0x04, 0x02, 0x03, 0x01};
    static const uint8_t timing[8] = {0x00, 0x62, 0x62, 0x57, 0x40, 0x12, 0x52, 0x72};
    static const uint8_t control[4] = {0xE0, 0x2C, 0x50, 0xFF};
    memcpy(io_bytes, first, sizeof first);
    memcpy(io_bytes + 0x08, timing, sizeof timing);
    memcpy(io_bytes + 0x10, control, sizeof control);
    io_bytes[0x17] = 0x0F;
}

// Coin options, settings, rankings and scores, with the owned ranges marked where the
// board's order puts them (the marks decide what the first import leaves alone).
void clear_work_ram() {
    memset(wram_bytes, 0, WORK_RAM_CLEARED);
    std::fill(wram, wram + WORK_RAM_CLEARED, 0);
    bus_write32(WRAM_BASE + W_COINS_PER_CREDIT, 4);
    bus_write8(WRAM_BASE + W_FREE_PLAY, 0);
    bus_write8(WRAM_BASE + W_FREE_PLAY + 1, env_text("SKYVOLTA_COINPLAY") ? 0 : 1);  // the word's low byte
    bus_write16(WRAM_BASE + W_COIN_VALUE2, rom_word(0x03673E));
    scores_saves_hold();
    settings_defaults_load();
    bus_write16(WRAM_BASE + W_GAME_VALUE1, rom_word(0x03681E));
    bus_write16(WRAM_BASE + W_ATTRACT_SOUND, rom_word(0x03684E));
    ranking_table_reset();
    wram_owned_mark_saved();
    scores_load();
    ranking_tables_reset();
    wram_owned_mark_settings_words();
    coin_state_reset();
    bus_write32(WRAM_BASE + W_CREDIT_ROW, CREDIT_ROW_RESET);
    wram_owned_mark_rest();
}

void tilemap_attr_init() {
    static const uint16_t registers[5] = {860, 0, 110, 0, 511};
    for (uint32_t i = 0; i < 5; i++) bus_write16(0x8A0000 + 2 * i, registers[i]);
}

void mcu_init() {
    io_bytes[0x16] = 1;
    commsram[0x7E82] = 0xFF;
    commsram[0x7E83] = 0xFF;
    commsram[0x7D01] = 0;
    bus_write32(WRAM_BASE + W_INPUT_LATCH, 0);
}

void globals_init() {
    for (uint32_t w : {W_FRAME_TICK, W_DL_BUFFER_INDEX, W_LIST_HALT, W_ATTRACT_SCENE_FLAG, W_HALT_FLAG})
        bus_write32(WRAM_BASE + w, 0);
    memset(wram_bytes + W_SCENE_WORD, 0, 0x20);
    memset(wram_bytes + W_TASK_BLOCK_LAST, 0, 0x20);
    bus_write32(WRAM_BASE + W_INIT_LONG, 1);
    bus_write8(WRAM_BASE + W_INIT_BYTE_A, 1);
    bus_write8(WRAM_BASE + W_INIT_BYTE_B, 4);
}

void sprite_init() {
    static const uint16_t header[14] = {6, 0, 1, 83, 768, 512, 768, 0, 32, 32, 640, 1279, 810, 1289};
    static const uint8_t entry[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
    static const uint32_t masks[32] = {
        0x00000000, 0x00008000, 0x80008000, 0x80008080, 0x80808080, 0x80808880, 0x88808880, 0x88808888,
        0x88888888, 0x8888A888, 0xA888A888, 0xA888A8A8, 0xA8A8A8A8, 0xA8A8AAA8, 0xAAA8AAA8, 0xAAA8AAAA,
        0xAAAAAAAA, 0xAAAAEAAA, 0xEAAAEAAA, 0xEAAAEAEA, 0xEAEAEAEA, 0xEAEAEEEA, 0xEEEAEEEA, 0xEEEAEEEE,
        0xEEEEEEEE, 0xEEEEFEEE, 0xFEEEFEEE, 0xFEEEFEFE, 0xFEFEFEFE, 0xFEFEFFFE, 0xFFFEFFFE, 0xFFFEFFFF,
    };
    constexpr uint32_t base = 0x980000;
    for (uint32_t i = 0; i < 14; i++) bus_write16(base + 2 * i, header[i]);
    for (uint32_t i = 0; i < 8; i++) memcpy(sprite_ram + 0x200 + 8 * i, entry, sizeof entry);
    for (uint32_t k = 0; k < 32; k++) {
        bus_write32(base + 0x400 + 4 * k, masks[k]);
        bus_write32(base + 0x600 + 4 * k, masks[k]);
    }
    for (uint32_t k = 0; k < 512; k++) bus_write32(base + 0x800 + 4 * k, k << 17 | (2 * k + 1));
    if (verbose_enabled()) printf("  sprite_init done\n");
}

void task_system_init() {
    bus_write32(WRAM_BASE + W_TASK_STACK, 0x0003C000);
    bus_write32(WRAM_BASE + W_TASK_POINTER_A, WRAM_BASE + W_TASK_AREA);
    bus_write32(WRAM_BASE + W_TASK_POINTER_B, WRAM_BASE + W_TASK_AREA);
    for (uint32_t t = 0; t < 3; t++)
        for (uint32_t i = 0; i < 4; i++) bus_write32(WRAM_BASE + W_TASK_TABLES + 64 * t + 4 * i, 1);
    for (uint32_t b = 0; b < 6; b++) memset(wram_bytes + W_TASK_BLOCKS + 32 * b, 0, 16);
}

// Block b's tiles into character RAM from tile `first_tile`. A block is skipped unless
// its record lies in the ROM and it has 1..500 tiles; the copy stops at the end of the
// ROM or of character RAM.
void cgram_block_load(uint32_t block, uint32_t first_tile) {
    uint32_t record = BOOT_BLOCK_TABLE + 16 * block;
    if (record > PROGRAM_ROM_END - 16) return;
    int64_t source = bus_read32(record);
    int64_t tiles = int64_t(bus_read32(record + 4)) * bus_read32(record + 8);
    if (tiles < 1 || tiles > BOOT_BLOCK_TILES_MAX) return;
    if (verbose_enabled())
        printf("    block 0x%02X: %d tiles -> CGRAM tile %d\n", block, int(tiles), int(first_tile));
    for (int64_t i = 0; i < tiles; i++) {
        int64_t from = BOOT_BLOCK_TILES + 128 * (source + i);
        int64_t to = 128 * (first_tile + i);
        if (from < 0 || from + 128 > PROGRAM_ROM_END || to + 128 > int64_t(sizeof CGRAM)) return;
        memcpy(CGRAM + to, program_rom + from, 128);
    }
}

void cgram_blocks_load() {
    static const uint32_t blocks[13][2] = {
        {0xB7, 32},   {0xF2, 288},  {0x1C, 320},  {0xD4, 416},  {0xE3, 448},  {0xA5, 368}, {0x105, 28},
        {0x106, 64}, {0x107, 128}, {0x108, 704}, {0x110, 24}, {0x00, 288}, {0xF5, 608},
    };
    memset(CGRAM, 0xFF, sizeof CGRAM);
    for (const auto& b : blocks) cgram_block_load(b[0], b[1]);
}

void palette_group_copy(uint32_t to, uint32_t from) {
    for (uint32_t plane = 0; plane < 3; plane++)
        memmove(palette_ram + PLANE * plane + 0x100 * to, palette_ram + PLANE * plane + 0x100 * from, 0x100);
}

void palette_entry_set(uint32_t entry, uint8_t r, uint8_t g, uint8_t b) {
    palette_ram[entry] = r;
    palette_ram[PLANE + entry] = g;
    palette_ram[2 * PLANE + entry] = b;
}

void attract_gfx_init() {
    mixer_registers[MIX_TEXT_GROUP] = TITLE_GROUP;
    for (uint32_t plane = 0; plane < 3; plane++)
        memcpy(palette_ram + PLANE * plane + 0x100 * TITLE_GROUP, program_rom + 0x020994 + 0x100 * plane, 0x100);
    memcpy(text_registers, program_rom + 0x01C8D2, 8);
    memcpy(CGRAM + 0x1A000, program_rom + 0x01C994, 0x4000);
    text_screen_image_build();
    palette_group_copy(TITLE_GROUP + 1, TITLE_GROUP);
    for (uint32_t group : {TITLE_GROUP, TITLE_GROUP + 1})
        for (uint32_t j = 1; j < 16; j++) {
            uint32_t base = 0x100 * group + j;
            palette_entry_set(base + 0x40, 0xFF, 0xFF, 0xFF);
            palette_entry_set(base + 0x50, 0xFF, 0xFF, 0x00);
            palette_entry_set(base + 0x60, 0x00, 0xFF, 0xFF);
        }
}

void text_cell_put(uint32_t row, uint32_t column, uint16_t cell) {
    uint32_t at = (row * 64 + column) * 2;
    if (at > sizeof textram - 2) return;
    textram[at] = uint8_t(cell >> 8);
    textram[at + 1] = uint8_t(cell);
}

void title_text_write() {
    for (uint32_t row = 0; row < 30; row++)
        for (uint32_t column = 0; column < 40; column++) text_cell_put(row, column, TEXT_FILL_CELL);
    for (const boot_title_text& t : BOOT_TITLE_TEXTS)
        for (uint32_t i = 0; t.text[i]; i++)
            text_cell_put(t.row, t.column + i, uint16_t(t.attribute << 12 | (uint8_t(t.text[i]) & 0x3FF)));
}

void boot_hardware_init() {
    wram_import();
    video_registers_init();
    wram_export();
    memset(mixer_registers + MIX_FOG_COLOUR, 0xFF, 3);
    cz_registers_init();
    palette_group_copy(TITLE_GROUP + 1, TITLE_GROUP);
    bus_write32(WRAM_BASE + W_GAME_STATE, 0);  // attract
    bus_write32(WRAM_BASE + W_ATTRACT_SEQ_INDEX, 15);
    wram_import();
}

}  // namespace

void game_init() {
    player_render_hook = player_render;
    ranking_page_game = {gameplay_init_state_vars, camera_reset, ranking_page_tiles_load, [] { attract_next_scene(); }};
    step("syscon_init");
    syscon_init();
    step("clear_work_ram");
    clear_work_ram();
    step("dipswitch_init");
    bus_read16(DIP_SWITCH_BASE);  // the board reads the switches once; the value is unused
    bus_write32(WRAM_BASE + W_DIP_SWITCH_BITS, 0);
    step("tilemap_attr_init");
    tilemap_attr_init();
    step("video_mixer_init");
    video_mixer_init();
    step("dsp_init");
    dsp_init();
    step("mcu_init");
    mcu_init();
    step("globals_init");
    globals_init();
    step("sprite_init");
    sprite_init();
    step("task_system_init");
    task_system_init();
    step("loading CGRAM tile blocks from ROM");
    cgram_blocks_load();
    step("loading builtin font into CGRAM");
    boot_font_build(CGRAM + 0x1000);
    step("attract_gfx_init");
    attract_gfx_init();
    step("writing title screen text");
    title_text_write();
    step("boot_hardware_init (DSP/3D setup)");
    boot_hardware_init();
    if (verbose_enabled())
        printf("  init complete, game state = %d (title screen)\n", int(int32_t(bus_read32(WRAM_BASE + W_GAME_STATE))));
}
