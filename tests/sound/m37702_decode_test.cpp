// Instruction lengths for the translation walk, against the test assembler's encodings.
#include "sound/m37702_decode.h"
#include "tests/support/m37702_asm.h"

#include <gtest/gtest.h>

namespace {

TEST(M37702Decode, LengthsMatchTheAssemblerUnderEveryWidth) {
    for (uint32_t mx = 0; mx < 4; mx++) {
        bool m8 = mx & m377_mx_m, x8 = mx & m377_mx_x;
        for (uint32_t op = 1; op < 256; op++) {
            if (op == 0x42 || op == 0x89) continue;
            uint8_t bytes[8] = {uint8_t(op)};
            uint8_t prefixed[8] = {0x42, uint8_t(op)};
            int expected = m377_asm_length(uint8_t(op), 0, m8, x8);
            ASSERT_GT(expected, 0) << std::hex << op;
            EXPECT_EQ(m377_instruction_length(bytes, mx), uint32_t(expected)) << std::hex << op << " M/X " << mx;
            EXPECT_EQ(m377_instruction_length(prefixed, mx), uint32_t(expected) + 1) << std::hex << op;
        }
        for (uint32_t second = 0; second < 256; second++) {
            uint8_t bytes[8] = {0x89, uint8_t(second)};
            int expected = m377_asm_length(0x89, uint8_t(second), m8, x8);
            EXPECT_EQ(m377_instruction_length(bytes, mx), uint32_t(expected ? expected : 2))
                << std::hex << second << " M/X " << mx;
        }
    }
    // The cases the table relies on: BRK with its signature byte, the 0x89 group's lengths.
    const struct {
        uint8_t bytes[3];
        uint32_t mx, length;
    } cases[] = {
        {{0x00, 0x00}, 0, 2}, {{0x89, 0x28}, 0, 2}, {{0x89, 0x03}, 0, 3}, {{0x89, 0xC2}, 2, 3},
        {{0x89, 0x09}, 0, 4}, {{0x89, 0x09}, 2, 3}, {{0x89, 0x49}, 0, 4}, {{0x89, 0x49}, 3, 3},
        {{0x42, 0xA9}, 0, 4}, {{0x42, 0x42}, 0, 2}, {{0xC0}, 1, 2}, {{0xC0}, 2, 3},
    };
    for (const auto& c : cases) {
        uint8_t bytes[8] = {c.bytes[0], c.bytes[1], c.bytes[2]};
        EXPECT_EQ(m377_instruction_length(bytes, c.mx), c.length) << std::hex << int(c.bytes[0]) << int(c.bytes[1]);
    }
}

}  // namespace
