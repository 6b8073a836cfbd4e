#include "board/video_setup.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/wram_cell.h"

#include <cstdio>
#include <initializer_list>

namespace {

// The low byte of DSP RAM control word n.
void dsp_control_low_byte_set(uint32_t n, uint8_t value) {
    dsp_word_set(n, int32_t((uint32_t(dsp_word(n)) & ~0xFFu) | value));
}

}  // namespace

void video_registers_init() {
    io_bytes[0x1C] = 0;
    io_bytes[0x16] = 0;
    static const uint8_t timing[][2] = {
        {0x09, 0x62}, {0x0A, 0x62}, {0x10, 0xE0}, {0x0B, 0x57}, {0x0C, 0x52}, {0x0E, 0x52},
        {0x0F, 0x71}, {0x0D, 0x52}, {0x11, 0x2C}, {0x12, 0x50}, {0x13, 0xFF},
    };
    for (const auto& t : timing) bus_write8(IO_BASE + t[0], t[1]);
    io_bytes[0x00] = 0x24;
    io_bytes[0x16] = 0x01;
    io_bytes[0x17] = 0x0F;
    // The current and repeat words of the two switch-port records, and the root node's
    // last stream long.
    for (uint32_t x : {W_ROOT_NODE_STREAMS + 4 * 5, W_SWITCH_PORT0 + SP_CURRENT, W_SWITCH_PORT0 + SP_REPEAT,
                       W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_CURRENT, W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_REPEAT})
        w_cell_set(x, 0);

    cgram_init_from_rom();
    colour_tables_init();
    cz_table_load();

    mixer_registers[MIX_TEXT_GROUP] = 0x7F;
    for (uint32_t n : {10u, 12u, 20u}) dsp_control_low_byte_set(n, 0);
    dsp_control_low_byte_set(14, 0xFF);
    dsp_control_low_byte_set(15, 0x1C);
    dsp_control_low_byte_set(0, 0);
    dsp_control_low_byte_set(1, 1);
    io_bytes[0x1C] = 1;

    w_cell_set(W_RIG_NODES, 0);
    w_cell_set(W_OBJECT_LIST_LENGTH, 0);
    w_cell_set(W_ROOT_NODE_STREAMS + 4 * 5 + 2, 1);  // the x + 2 cells of its last and first streams
    w_cell_set(W_ROOT_NODE_STREAMS + 2, 1);
}

void cgram_init_from_rom() {
    uint32_t count = uint32_t(bus_read16(ROM_CGRAM_INIT_COUNT)) + 1;
    constexpr uint32_t fits = sizeof CGRAM / 4;
    if (count > fits) {
        fprintf(stderr, "[GUARD] cgram_init_from_rom: %u longs run past character RAM -- last %u dropped\n", count,
                count - fits);
        count = fits;
    }
    for (uint32_t i = 0; i < count; i++)
        bus_write32(CGRAM_BASE + 4 * i, uint32_t(bus_read32(ROM_CGRAM_INIT_DATA + 4 * i)));
}

int commsram_switch_bytes_copy() {
    for (uint32_t i = 0; i < 8; i++) w_cell_set(W_HANDLE_CENTRE_TURN + i, commsram[CR_ANALOG_WORDS + i]);
    return 0;
}
