// A sound board whose driver image the test assembles: each test starts from a cleared
// driver image and shared RAM, no hook routines and the default run switches; the
// readable routines come back after it.
#pragma once
#include "board/board_memory.h"
#include "sound/snd_hook_sites.h"
#include "sound/snd_translated.h"
#include "sound/sound_board.h"
#include "sound/sound_cpu_run.h"
#include "sound/sound_system.h"
#include "tests/support/synth_sound_driver.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

struct SoundBoardTest : testing::Test {
    m377_state& cpu = mcu_cpu;
    std::string start_output;

    void SetUp() override {
        built_routines();
        reset_switches();
        for (snd_hook_site& site : snd_hook_sites) site.routine = nullptr;
    }
    void TearDown() override {
        reset_switches();
        for (int i = 0; i < SND_HOOK_SITE_COUNT; i++) snd_hook_sites[i].routine = built_routines()[i];
    }
    void reset_switches() {
        memset(sound_driver_rom, 0, sizeof sound_driver_rom);
        memset(commsram, 0, sizeof commsram);
        snd_translated_strict = false;
        snd_call_max_steps = 50000000;
    }
    // The routine of each hook site as the program is built, taken before any test
    // changed the table.
    static const snd_routine* built_routines() {
        static snd_routine routines[SND_HOOK_SITE_COUNT];
        static bool taken = false;
        if (!taken) {
            for (int i = 0; i < SND_HOOK_SITE_COUNT; i++) routines[i] = snd_hook_sites[i].routine;
            taken = true;
        }
        return routines;
    }
    // The site's built routine on (or off: null).
    static void hook(uint32_t address, bool on) {
        snd_hook_site* site = snd_hook_site_at(address);
        ASSERT_NE(site, nullptr);
        site->routine = on ? built_routines()[site - snd_hook_sites] : nullptr;
    }
    void put(uint32_t origin, const char* source) {
        ASSERT_TRUE(synth_driver_put(sound_driver_rom, origin, source));
    }
    // Resets the board over the image with its reset vector at `reset`.
    void start(uint32_t reset = 0xC030) {
        synth_driver_vector(sound_driver_rom, 0xFFFE, reset);
        testing::internal::CaptureStdout();
        mcu_driver_start();
        start_output = testing::internal::GetCapturedStdout();
    }
    uint8_t& iram(uint32_t address) { return mcu_iram[address - MCU_IRAM_FIRST]; }
    uint32_t iram16(uint32_t address) { return iram(address) | uint32_t(iram(address + 1)) << 8; }
    uint32_t pc24() const { return uint32_t(cpu.pg) << 16 | cpu.pc; }
    void set_mx(uint32_t mx) { cpu.ps = uint16_t((cpu.ps & ~0x30) | mx << 4); }
};
