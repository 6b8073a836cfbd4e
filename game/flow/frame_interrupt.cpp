#include "game/flow/frame_interrupt.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "game/modes/service_mode.h"
#include "game/services/gameplay_ram.h"

namespace {

constexpr uint32_t IO_VBLANK_ACK = 0x700004;
constexpr uint32_t CR_FRAME_BYTE = 0x7D00;
constexpr uint8_t FRAME_BYTE_VALUE = 0xA0;
constexpr int32_t SERVICE_MODE_STATE = 7;

}  // namespace

void vblank_interrupt() {
    bus_write8(IO_VBLANK_ACK, 0);
    wram_long_set(W_VBLANK_FLAG, 1);
    dl_buffer_flip();
    wram_long_set(W_FRAME_COUNTER, wrap_add(wram_long(W_FRAME_COUNTER), 1));
    if (wram_long(W_GAME_STATE) == SERVICE_MODE_STATE) testmode_vblank_hook();
    commsram[CR_FRAME_BYTE] = FRAME_BYTE_VALUE;
}
