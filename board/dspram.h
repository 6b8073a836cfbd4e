// DSP RAM (board 0xC00000-0xC1FFFF): the control words the game shares with whoever
// draws its scene, and the two display-list buffers the game fills in turn.
//
// The image holds 32-bit words in host byte order (word n at byte 4n). Layout:
//   word 0   busy: a non-zero low byte at interrupt time stops the flip
//   word 1   list ready: low byte set to 1 by a flip, cleared by the consumer
//   word 4   low byte: index of the buffer last flipped
//   bytes 0x58 and 0x5C   replies, copied into W 0x0CB4 and W 0x0CB8 at a flip
//   0x10000, 0x18000      display-list buffers 0 and 1, 0x8000 bytes each: eight view
//                         blocks of 32 words (block k at +128k), packets from +0x400
#pragma once
#include <cstdint>

#include "board/wram.h"

constexpr uint32_t DSP_WORD_BUSY = 0;
constexpr uint32_t DSP_WORD_LIST_READY = 1;
constexpr uint32_t DSP_WORD_BUFFER_INDEX = 4;
constexpr uint32_t DSP_REPLY_BYTE_A = 0x58;
constexpr uint32_t DSP_REPLY_BYTE_B = 0x5C;

constexpr uint32_t DL_BUFFER_BASE = 0x10000;   // byte offset of buffer 0
constexpr uint32_t DL_BUFFER_SIZE = 0x8000;
constexpr uint32_t DL_PACKET_OFFSET = 0x400;   // packets follow the view area
constexpr uint32_t DL_VIEW_BLOCK_BYTES = 128;  // 32 words
constexpr uint32_t DL_VIEW_BLOCKS = 8;
constexpr uint32_t DL_VIEW_FOV_WORD = 14;      // field of view in degrees x 32

// Work-RAM longs of the protocol.
constexpr uint32_t W_DL_BUFFER_INDEX = 0x0CA0;
constexpr uint32_t W_DL_CURSOR = 0x0CA4;       // host pointer into dspram
constexpr uint32_t W_LIST_HALT = 0x0CA8;       // flip inhibitors; the first two also
constexpr uint32_t W_ATTRACT_SCENE_FLAG = 0x0CAC;  // halt the sprite list
constexpr uint32_t W_HALT_FLAG = 0x0E1C;
constexpr uint32_t W_DSP_REPLY_A = 0x0CB4;
constexpr uint32_t W_DSP_REPLY_B = 0x0CB8;

// Word `index` (0..0x7FFF) of the image; other indices read 0 and are not written.
int32_t dsp_word(uint32_t index);
void dsp_word_set(uint32_t index, int32_t value);

// The current buffer (bit 0 of dl_buffer_index) and its first packet word.
uint32_t dl_buffer_current();
int32_t* dl_packet_area(uint32_t buffer);

// dl_cursor: the host pointer in W[0x0CA4], or null when the slot holds no pointer.
int32_t* dl_cursor_get();
void dl_cursor_set(int32_t* cursor);

// Start-up set-up of the control words (the boot's "dsp_init" step):
// bytes 0x00-0x7F cleared, word 0 = 1, word 2 = 4, word 5 = 1, word 6 = 50,
// word 7 = 640, I/O byte 0x70001C dropped to 0 and raised to 1 around it, both view
// areas written, and dl_cursor pointed at the current buffer's packets so that writers
// have a valid cursor before the first frame interrupt.
void dsp_init();

// Writes the eight view blocks of both buffers; packets and control words untouched.
void dl_buffers_init();
// 0xFF into the first byte of each packet area (the lists read as not set up).
void dl_buffers_invalidate();

// The frame interrupt's buffer flip. When no inhibitor (W 0x0CA8, W 0x0CAC, W 0x0E1C,
// the busy byte) is set and the consumer has taken the last list (list-ready byte 0),
// the other buffer becomes current: list ready = 1, word 4 = its index, the replies
// are copied, dl_buffer_index = its index. In every case the cursor then restarts at
// the current buffer's packet area, so a list never grows over frames: a frame that
// does not flip rewrites the same buffer.
void dl_buffer_flip();

// 0x03B770: the service mode's DSP frame-counter step: it needs a parameter no caller
// here can give, so it only reports itself once ("[STUB]").
void dsp_frame_counter_decrement();
