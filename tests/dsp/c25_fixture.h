// A test C25 over its own DSP RAM and point ROM, booted from assembler source.
#pragma once
#include "dsp/c25.h"
#include "tests/support/c25_asm.h"

#include <gtest/gtest.h>

#include <memory>

struct C25Fixture : testing::Test {
    std::unique_ptr<c25_test_dsp> t = std::make_unique<c25_test_dsp>();
    c25_state& cpu = t->cpu;

    void boot(const char* source, uint16_t origin = C25_RESET_PC) {
        ASSERT_TRUE(c25_test_boot(t.get(), source, origin)) << t->program.error;
    }
    uint16_t label(const char* name) {
        uint32_t address = c25_label(&t->program, name);
        EXPECT_NE(address, UINT32_MAX) << name;
        return uint16_t(address);
    }
    // Steps n times, each expected to succeed.
    void step(int n = 1) {
        for (int i = 0; i < n; i++) ASSERT_TRUE(c25_step(&cpu)) << cpu.error_text;
    }
    // Steps until pc reaches the label (at most max_steps); false when it never does.
    bool run_to(const char* name, int max_steps = 100000) {
        uint16_t target = label(name);
        for (int i = 0; i < max_steps && cpu.pc != target; i++)
            if (!c25_step(&cpu)) return false;
        return cpu.pc == target;
    }
};
