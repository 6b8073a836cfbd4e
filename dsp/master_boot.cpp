// Booting the master DSP: the switches, the BIOS run with DSP RAM set aside, the upload
// of the game's DSP program and its first run to rest.
#include "dsp/master.h"

#include "base/env_switch.h"
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "dsp/c25_bios.h"
#include "dsp/c25_translated.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

master_driver_state master_driver;

namespace {

// The game's DSP program in the program ROM: a count word (words - 1) at 0x043748,
// the words from 0x04374A, big-endian.
constexpr uint32_t DSP_PROGRAM_SIZE_ADDR = 0x043748;
constexpr uint32_t DSP_PROGRAM_ADDR = 0x04374A;

uint32_t dsp_program_count() {
    return uint32_t(bus_read16(DSP_PROGRAM_SIZE_ADDR) & 0xFFFF) + 1;
}

// Word j of the program; 0 past its count or its largest size.
uint16_t dsp_program_word(uint32_t j) {
    if (j >= dsp_program_count() || j >= MASTER_PROGRAM_WORDS_MAX) return 0;
    return uint16_t(bus_read16(DSP_PROGRAM_ADDR + 2 * j));
}

constexpr uint32_t POINT_WINDOW_BASE = 0xF80000;

uint8_t dspram_save[sizeof dspram];

uint32_t* dspram_words() {
    return reinterpret_cast<uint32_t*>(dspram);
}

// The BIOS from reset to its hand-off; false with one message.
bool bios_run(c25_state* s, uint64_t* steps) {
    for (*steps = 0; *steps < MASTER_BIOS_STEPS;) {
        if (!c25_step(s)) {
            fprintf(stderr, "[MASTER] BIOS stopped: %s\n", s->error_text);
            return false;
        }
        ++*steps;
        if (s->pc == C25_BIOS_HANDOFF) return true;
    }
    fprintf(stderr, "[MASTER] BIOS never reached its hand-off\n");
    return false;
}

// An input list that starts with 0 (in its low 24 bits) reads as already ended.
void empty_lists_end() {
    for (uint32_t first : MASTER_LIST_WORDS)
        if (!(dspram_words()[first] & 0xFFFFFF)) dspram_words()[first] = 0xFFFFFFFF;
}

// One line when the uploaded program decodes unlike the program the stretches describe;
// the boot goes on.
void game_counts_check() {
    uint32_t differing = 0, first = 0;
    for (uint32_t k = C25_BIOS_STRETCHES; k < sizeof C25_STRETCHES / sizeof C25_STRETCHES[0]; k++) {
        c25_translation_counts n = c25_translated_counts(k);
        if (n.addresses == C25_STRETCHES[k].instructions && n.records == C25_STRETCHES[k].two_word) continue;
        if (!differing++) first = k;
    }
    if (!differing) return;
    c25_translation_counts n = c25_translated_counts(first);
    const c25_stretch& st = C25_STRETCHES[first];
    fprintf(stderr,
            "[MASTER] DSP program unlike the translated layout in %u of 12 stretches; %04X-%04X: %u instructions "
            "(%u two-word), expected %u (%u)\n",
            differing, st.first, st.last, n.addresses, n.records, st.instructions, st.two_word);
}

bool boot_failed(bool dspram_saved) {
    if (dspram_saved) memcpy(dspram, dspram_save, sizeof dspram);
    master_release();
    return false;
}

}  // namespace

bool master_boot(const char*) {
    if (env_int("SKYVOLTA_MASTER", 0) == 0) return false;
    master_release();
    master_driver.trace_level = env_present("SKYVOLTA_MASTERLOG") ? env_int("SKYVOLTA_MASTERLOG", 0) + 1 : 0;

    c25_state* s = static_cast<c25_state*>(calloc(1, sizeof(c25_state)));
    if (!s) {
        fprintf(stderr, "[MASTER] out of memory -- using the built-in scene expansion\n");
        return false;
    }
    master_driver.dsp = s;
    c25_load_bios(s);
    uint32_t count = dsp_program_count();
    if (count > MASTER_PROGRAM_WORDS_MAX) {
        fprintf(stderr, "[MASTER] bad program size %u\n", count);
        return boot_failed(false);
    }

    memcpy(dspram_save, dspram, sizeof dspram);
    memset(dspram, 0, sizeof dspram);
    s->point_window_base = POINT_WINDOW_BASE;
    s->pdp_enable = 1;
    s->idle_enable = 0;
    s->bio_on_in3 = 0;
    c25_translate_bios();
    s->translated_program = c25_translated_program;
    s->point_rom = point_rom;
    s->point_rom_words = point_rom ? point_rom_count : 0;
    s->dspram = dspram_words();
    c25_reset(s);
    s->pc = 0;

    uint64_t bios_steps = 0;
    if (!bios_run(s, &bios_steps)) return boot_failed(true);
    memcpy(dspram, dspram_save, sizeof dspram);
    empty_lists_end();

    for (uint32_t j = 0; j < count; j++) s->prog[MASTER_PROGRAM_BASE + j] = dsp_program_word(j);
    c25_translate_game(s->prog);
    game_counts_check();

    uint64_t init_steps = 0;
    if (!master_step_to_idle(&init_steps)) return boot_failed(true);
    printf("[MASTER] booted: %u-word program, init %ld steps, %s at %04X\n", count, long(bios_steps + init_steps),
           master_driver.parked ? "waiting for the doorbell" : "IDLE", s->pc);
    master_driver.running = true;
    return true;
}

void master_release() {
    free(master_driver.dsp);
    master_driver = master_driver_state{};
    master_published.shown = false;
}
