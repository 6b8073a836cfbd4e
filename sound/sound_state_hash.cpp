#include "sound/sound_state_hash.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "sound/sound_board.h"
#include "sound/sound_diagnostics.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint64_t HASH_START = 0x14650FB0739D0383ull;
constexpr uint64_t HASH_PRIME = 0x100000001B3ull;
constexpr uint32_t UNHASHED_FIRST = 0x240, UNHASHED_END = 0x280;
constexpr uint32_t COMMS_WINDOW = 0x4000;  // commsram as the sound CPU sees it

constexpr int64_t SWITCH_UNREAD = -2, NO_LISTING = -1;
int64_t listing_frame = SWITCH_UNREAD;

uint64_t hash_bytes(uint64_t h, const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; i++) h = (h ^ bytes[i]) * HASH_PRIME;
    return h;
}

// The frame after the last ':', when it is a decimal number that a host frame can reach.
int64_t listing_frame_parse(const char* text) {
    if (!*text || strlen(text) > 10) return NO_LISTING;
    for (const char* c = text; *c; c++)
        if (!isdigit(uint8_t(*c))) return NO_LISTING;
    int64_t frame = strtoll(text, nullptr, 10);
    return frame <= int64_t(UINT32_MAX) ? frame : NO_LISTING;
}

// "path" or "path:frame"; the path is everything before the last ':'.
void state_switch_read() {
    listing_frame = NO_LISTING;
    const char* value = env_text("SKYVOLTA_SNDSTATE");
    if (!value) return;
    char path[1024];
    snprintf(path, sizeof path, "%s", value);
    char* colon = strrchr(path, ':');
    if (colon) {
        *colon = 0;
        listing_frame = listing_frame_parse(colon + 1);
    }
    diag_log_open(DIAG_LOG_STATE, path);
}

void memory_listing(FILE* f) {
    for (uint32_t a = MCU_IRAM_FIRST; a < MCU_IRAM_FIRST + MCU_IRAM_SIZE; a++)
        fprintf(f, "B %04X %02X\n", a, mcu_iram[a - MCU_IRAM_FIRST]);
    for (uint32_t j = 0; j < sizeof(board_memory_block::commsram); j++)
        fprintf(f, "B %04X %02X\n", COMMS_WINDOW + j, commsram[j ^ 1]);
}

}  // namespace

uint64_t sound_state_hash() {
    uint64_t h = HASH_START;
    h = hash_bytes(h, mcu_iram, UNHASHED_FIRST - MCU_IRAM_FIRST);
    h = hash_bytes(h, mcu_iram + (UNHASHED_END - MCU_IRAM_FIRST), MCU_IRAM_FIRST + MCU_IRAM_SIZE - UNHASHED_END);
    return hash_bytes(h, commsram, sizeof(board_memory_block::commsram));
}

void sound_state_hash_frame() {
    if (listing_frame == SWITCH_UNREAD) state_switch_read();
    FILE* f = diag_log(DIAG_LOG_STATE);
    if (!f) return;
    fprintf(f, "H %u %016llx\n", host_frame, (unsigned long long)sound_state_hash());
    if (int64_t(host_frame) == listing_frame) memory_listing(f);
    fflush(f);
}

void sound_state_hash_reset() {
    listing_frame = SWITCH_UNREAD;
}
