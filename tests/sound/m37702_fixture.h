// A test CPU over 256 KB of plain memory, booted from assembler source.
#pragma once
#include "sound/m37702.h"
#include "tests/support/m37702_asm.h"

#include <gtest/gtest.h>

#include <memory>

constexpr uint16_t C = m377_flag_c, Z = m377_flag_z, V = m377_flag_v, N = m377_flag_n;

struct M37702Fixture : testing::Test {
    std::unique_ptr<m377_test_cpu> t = std::make_unique<m377_test_cpu>();
    m377_state& cpu = t->cpu;

    void boot(const char* source) {
        ASSERT_TRUE(m377_test_boot(t.get(), source)) << t->program.error;
    }
    uint8_t& mem(uint32_t address) { return t->mem.bytes[address & 0x3FFFF]; }
};
