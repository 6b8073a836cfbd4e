// Work RAM (0xE00000-0xE3FFFF) exists twice:
//
//   wram_bytes  the big-endian bytes the bus, the trace and the frame dumps see;
//   wram        one signed 64-bit slot per byte offset x, which the game routines use.
//
// Slot convention. The 68020 long at an offset x that is a multiple of 4 lives in the
// low 32 bits of wram[x], sign-extended into the upper half (word at x = bits 16-31,
// word at x + 2 = bits 0-15). A slot may instead hold a host pointer: a value whose
// upper 32 bits are neither all zeros nor all ones (every host buffer lies above 4 GB,
// checked at start-up). Any other value is a 68020 address or a number, of which only
// the low 32 bits count. Game routines may keep a variable of their own in a slot
// x + 2; an import fills such a slot with the long at bytes x + 2 .. x + 5.
//
// Synchronisation. wram_import copies the bytes into the slots, wram_export the slots
// back; the frame step calls them at fixed points. Bytes marked in wram_owned live
// only in the slot image: an import leaves their slots alone (unless
// SKYVOLTA_LEGACY_SYNC is set and does not begin with '0'), and a slot holding a host
// pointer is never overwritten by an import.
//
// W[x] in comments names slot x (board address 0xE00000 + x).
#pragma once
#include <cstdint>

#include "board/board_memory.h"
#include "board/bus.h"

// Camera longs of the game (camera_state); angles use their low 16 bits.
constexpr uint32_t W_CAMERA_X = 0x0CDC;
constexpr uint32_t W_CAMERA_Y = 0x0CE0;
constexpr uint32_t W_CAMERA_Z = 0x0CE4;
constexpr uint32_t W_CAMERA_PITCH = 0x0CE8;
constexpr uint32_t W_CAMERA_HEADING = 0x0CEC;
constexpr uint32_t W_CAMERA_ROLL = 0x0CF0;

inline bool w_is_host_pointer(int64_t v) {
    uint32_t hi = uint32_t(uint64_t(v) >> 32);
    return hi != 0 && hi != 0xFFFFFFFFu;
}

// A host pointer as a slot value, and back.
inline int64_t w_pointer(const void* p) {
    return int64_t(reinterpret_cast<intptr_t>(p));
}
inline void* w_host(int64_t v) {
    return reinterpret_cast<void*>(intptr_t(v));
}
// Slot x whole, all 64 bits (a host pointer or a 68020 value), and its store; outside
// work RAM it reads 0 and is not written.
inline int64_t w_slot(uint32_t x) {
    return x < WRAM_SIZE ? wram[x] : 0;
}
inline void w_slot_set(uint32_t x, int64_t value) {
    if (x < WRAM_SIZE) wram[x] = value;
}

// ---- Slot-aware access -------------------------------------------------------------
// An address argument is a slot value: a host pointer, a 68020 address in work RAM
// (through the slots), or any other 68020 address (through the bus).
//
// Work-RAM long at offset a: a multiple of 4 is slot a; a = 4k + 2 is split: its high
// word is bits 0-15 of slot 4k, its low word bits 16-31 of slot 4k + 4 (slot a itself
// is not touched); an odd a acts on a - 1. Each slot written keeps its other half and
// stores its new low 32 bits sign-extended. A half beyond the end of work RAM reads 0
// and is not written.

// Host pointer: the native int there. Work RAM: the slots. Else bus_read32.
int32_t w_read32(int64_t address);
void w_write32(int64_t address, int32_t value);
// The long at a 68020 address (no host pointers) += delta.
void w_add32(uint32_t address, int32_t delta);

// The 16-bit word at a 68020 address in work RAM (0..0xFFFF): a multiple of 4 is
// bits 16-31 of its slot, 4k + 2 bits 0-15 of slot 4k; odd acts on the even address
// below. Outside work RAM: bus_read16 / bus_write16.
int w_read16(uint32_t address);
void w_write16(uint32_t address, uint32_t value);
// The signed 16-bit work-RAM word at W x (a half of the slot that holds it, so a word at
// x + 2 survives an image import that would overwrite a slot of its own), and its store
// of the low 16 bits of value.
inline int32_t w_word(uint32_t x) {
    return int16_t(uint16_t(w_read16(WRAM_BASE + x)));
}
inline void w_word_set(uint32_t x, int32_t value) {
    w_write16(WRAM_BASE + x, uint32_t(value) & 0xFFFF);
}
// The work-RAM long at W x through the slots (w_read32 of its address), and its store.
inline int32_t wram_long(uint32_t x) {
    return w_read32(WRAM_BASE + x);
}
inline void wram_long_set(uint32_t x, int32_t value) {
    w_write32(WRAM_BASE + x, value);
}

// The long at base + offset, base being: a host pointer into wram (advanced by offset
// slots), a host pointer into the program ROM image (read as the ROM address), a
// work-RAM address (the low 32 bits of slot base - 0xE00000 + offset, no split), any
// other 68020 address (bus_read32(base + offset)), or any other host pointer (the
// native int at base + (offset >> 2) * 4). Slots outside the image read 0.
int32_t w_read32_offset(int64_t base, int32_t offset);
// The store matching w_read32_offset (slot stores are sign-extended; other 68020
// addresses go through bus_write32; slots outside the image are not written).
void w_write32_offset(int64_t base, int32_t offset, int32_t value);

// Slot index: of a host pointer into wram; value - 0xE00000 for a work-RAM address;
// the value itself when it is 1..0x3FFFF; -1 otherwise (0 included).
int32_t w_index(int64_t value);

// ---- Images in step ----------------------------------------------------------------
// Marks bytes offset .. offset + length - 1 as owned by the slot image, stopping at
// 0x3FFFF. Nothing clears a mark.
void wram_owned_mark(uint32_t offset, uint32_t length);

// The game's owned ranges, marked by game initialisation in three steps: the saved
// ranges (scores and rankings, name initials, race long, dl_buffer_index 0x0CA0 unless
// SKYVOLTA_BUF_LEGACY is set), then the settings words 0x3FFA, 0x3FFE, 0x3FE2, 0x3FE6,
// then the rest (coin state, fade ring, sprite record buffers and other variables).
void wram_owned_mark_saved();
void wram_owned_mark_settings_words();
void wram_owned_mark_rest();

// Bytes into slots: for x = 0, 4, ... 0x3FFFC, slot x (and slot x + 2 below 0x3FFFE)
// takes the big-endian long at byte x (x + 2), sign-extended, unless the first byte is
// owned or the slot holds a host pointer.
void wram_import();
// Slots into bytes: bytes x .. x + 3 = the low 32 bits of slot x, for every multiple
// of 4 (slots x + 2 are never exported).
void wram_export();

// Seconds spent in imports and exports, for the exit statistics.
extern double wram_import_seconds;
extern double wram_export_seconds;

// True when every host buffer a slot can point at lies where w_is_host_pointer tells
// its addresses from 68020 values (above 4 GB, below the all-ones upper half).
bool wram_pointer_range_check();
