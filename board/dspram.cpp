#include "board/dspram.h"

#include "board/board_memory.h"
#include "board/stub_report.h"
#include "board/wram.h"

#include <cstring>

namespace {

constexpr uint32_t DSP_WORDS = sizeof dspram / 4;
constexpr uint32_t IO_DSP_ENABLE = 0x1C;  // I/O byte 0x70001C

void low_byte_set(uint32_t index, uint8_t value) {
    dsp_word_set(index, int32_t((uint32_t(dsp_word(index)) & ~0xFFu) | value));
}

// The view block as the boot writes it; block 1 differs in its field of view, and
// word 20 is the block's priority base 7 - k.
void view_block_write(uint32_t buffer, uint32_t block) {
    static const int32_t words[32] = {
        15,  0,   0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 2, 200, 20, 0, 23170, -23170, 2, 1920, 320,
        240, 0,   0,      0, 0,      0, 0,      0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 0x10000, 0, 0,
    };
    uint32_t first = (DL_BUFFER_BASE + DL_BUFFER_SIZE * buffer + DL_VIEW_BLOCK_BYTES * block) / 4;
    for (uint32_t i = 0; i < 32; i++) dsp_word_set(first + i, words[i]);
    if (block == 1) dsp_word_set(first + DL_VIEW_FOV_WORD, 2432);
    dsp_word_set(first + 20, int32_t(7 - block));
}

}  // namespace

int32_t dsp_word(uint32_t index) {
    if (index >= DSP_WORDS) return 0;
    int32_t v;
    std::memcpy(&v, dspram + 4 * index, 4);
    return v;
}

void dsp_word_set(uint32_t index, int32_t value) {
    if (index < DSP_WORDS) std::memcpy(dspram + 4 * index, &value, 4);
}

uint32_t dl_buffer_current() {
    return uint32_t(wram_long(W_DL_BUFFER_INDEX)) & 1;
}

int32_t* dl_packet_area(uint32_t buffer) {
    return reinterpret_cast<int32_t*>(dspram + DL_BUFFER_BASE + DL_BUFFER_SIZE * (buffer & 1) + DL_PACKET_OFFSET);
}

int32_t* dl_cursor_get() {
    int64_t v = w_slot(W_DL_CURSOR);
    return w_is_host_pointer(v) ? static_cast<int32_t*>(w_host(v)) : nullptr;
}

void dl_cursor_set(int32_t* cursor) {
    w_slot_set(W_DL_CURSOR, w_pointer(cursor));
}

void dsp_init() {
    std::memset(dspram, 0, 0x80);
    io_bytes[IO_DSP_ENABLE] = 0;
    dsp_word_set(0, 1);
    dsp_word_set(2, 4);
    dsp_word_set(5, 1);
    dsp_word_set(6, 50);
    dsp_word_set(7, 640);
    dl_buffers_init();
    io_bytes[IO_DSP_ENABLE] = 1;
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
}

void dl_buffers_init() {
    for (uint32_t buffer = 0; buffer < 2; buffer++)
        for (uint32_t block = 0; block < DL_VIEW_BLOCKS; block++) view_block_write(buffer, block);
}

void dl_buffers_invalidate() {
    for (uint32_t buffer = 0; buffer < 2; buffer++)
        dspram[DL_BUFFER_BASE + DL_BUFFER_SIZE * buffer + DL_PACKET_OFFSET] = 0xFF;
}

void dl_buffer_flip() {
    bool inhibited = wram_long(W_LIST_HALT) || wram_long(W_ATTRACT_SCENE_FLAG) || wram_long(W_HALT_FLAG) ||
                     (dsp_word(DSP_WORD_BUSY) & 0xFF);
    if (!inhibited && !(dsp_word(DSP_WORD_LIST_READY) & 0xFF)) {
        uint8_t index = uint8_t(wram_long(W_DL_BUFFER_INDEX) ^ 1);
        low_byte_set(DSP_WORD_LIST_READY, 1);
        low_byte_set(DSP_WORD_BUFFER_INDEX, index);
        wram_long_set(W_DSP_REPLY_A, dspram[DSP_REPLY_BYTE_A]);
        wram_long_set(W_DSP_REPLY_B, dspram[DSP_REPLY_BYTE_B]);
        wram_long_set(W_DL_BUFFER_INDEX, index);
    }
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
}

void dsp_frame_counter_decrement() {
    static bool reported = false;
    if (reported) return;
    reported = true;
    stub_report("dsp_frame_counter_decrement", 0x03B770,
                "needs its a0 parameter -- see the note above; the transcription dereferenced NULL");
}
