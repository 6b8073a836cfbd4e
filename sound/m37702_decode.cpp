// Instruction lengths of the M37702 by opcode and M/X widths.
#include "sound/m37702_decode.h"

namespace {

// Fixed operand widths per opcode; two high bits mark one extra byte while M or X is
// clear (a 16-bit immediate).
constexpr uint8_t wide_m = 0x80;
constexpr uint8_t wide_x = 0x40;

struct length_table {
    uint8_t entry[256];
};

// ALU columns (opcode bits 0-4) and their operand bytes; every row of these columns
// is an accumulator operation except 0x89, the extended page.
constexpr int alu_operand_bytes(uint32_t column) {
    switch (column) {
    case 0x09: return 1 | wide_m;
    case 0x0D: case 0x19: case 0x1D: return 2;
    case 0x0F: case 0x1F: return 3;
    case 0x01: case 0x03: case 0x05: case 0x07: case 0x11: case 0x12: case 0x13: case 0x15: case 0x17: return 1;
    default: return -1;
    }
}

constexpr length_table make_table() {
    length_table t{};
    for (uint32_t op = 0; op < 256; op++) t.entry[op] = 0;  // implied, one byte
    for (uint32_t op = 0; op < 256; op++)
        if (alu_operand_bytes(op & 0x1F) >= 0) t.entry[op] = uint8_t(alu_operand_bytes(op & 0x1F));
    struct fixed { uint8_t op, bytes; };
    constexpr fixed others[] = {
        {0x00, 1}, {0x02, 1}, {0x20, 2}, {0x22, 3}, {0x62, 2}, {0x82, 2}, {0xC2, 1}, {0xE2, 1},
        {0x80, 1}, {0x10, 1}, {0x30, 1}, {0x50, 1}, {0x70, 1}, {0x90, 1}, {0xB0, 1}, {0xD0, 1}, {0xF0, 1},
        {0xA0, 1 | wide_x}, {0xA2, 1 | wide_x}, {0xC0, 1 | wide_x}, {0xE0, 1 | wide_x},
        // SEB, CLB, LDM: address then an M-width immediate; BBS, BBC: then a displacement
        {0x04, 2 | wide_m}, {0x14, 2 | wide_m}, {0x64, 2 | wide_m}, {0x74, 2 | wide_m},
        {0x0C, 3 | wide_m}, {0x1C, 3 | wide_m}, {0x9C, 3 | wide_m}, {0x9E, 3 | wide_m},
        {0x24, 3 | wide_m}, {0x34, 3 | wide_m}, {0x2C, 4 | wide_m}, {0x3C, 4 | wide_m},
        {0x44, 2}, {0x54, 2}, {0xD4, 1}, {0xF4, 2}, {0xEB, 1}, {0xFB, 1},
        {0x84, 1}, {0x94, 1}, {0xA4, 1}, {0xB4, 1}, {0xC4, 1}, {0xE4, 1},
        {0x86, 1}, {0x96, 1}, {0xA6, 1}, {0xB6, 1}, {0xC6, 1}, {0xD6, 1}, {0xE6, 1}, {0xF6, 1},
        {0x06, 1}, {0x16, 1}, {0x26, 1}, {0x36, 1}, {0x46, 1}, {0x56, 1}, {0x66, 1}, {0x76, 1},
        {0x0E, 2}, {0x1E, 2}, {0x2E, 2}, {0x3E, 2}, {0x4E, 2}, {0x5E, 2}, {0x6E, 2}, {0x7E, 2},
        {0x8E, 2}, {0xAE, 2}, {0xBE, 2}, {0xCE, 2}, {0xDE, 2}, {0xEE, 2}, {0xFE, 2},
        {0x4C, 2}, {0x5C, 3}, {0x6C, 2}, {0x7C, 2}, {0xDC, 2}, {0xFC, 2},
        {0x8C, 2}, {0xAC, 2}, {0xBC, 2}, {0xCC, 2}, {0xEC, 2},
    };
    for (const fixed& f : others) t.entry[f.op] = f.bytes;
    return t;
}

constexpr length_table lengths = make_table();

uint32_t operand_bytes(uint8_t entry, uint32_t mx) {
    uint32_t n = entry & 0x3Fu;
    if ((entry & wide_m) && !(mx & m377_mx_m)) n++;
    if ((entry & wide_x) && !(mx & m377_mx_x)) n++;
    return n;
}

// The extended page: the second byte, then the operand of an ALU column (MPY below
// 0x20, DIV 0x20-0x3F), RLA's M-width count, or LDT's bank. Unassigned bytes halt the
// CPU after the second byte.
uint32_t extended_length(uint8_t second, uint32_t mx) {
    uint32_t column = second & 0x1Fu;
    int alu = alu_operand_bytes(column);
    bool mpy_div = second < 0x40 && alu >= 0 && column != 0x07 && column != 0x0F && column != 0x13 &&
                   column != 0x17 && column != 0x1F;
    if (mpy_div) return 2 + operand_bytes(uint8_t(alu), mx);
    if (second == 0x49) return 2 + operand_bytes(1 | wide_m, mx);
    if (second == 0xC2) return 3;
    return 2;  // XAB (0x28) and the unassigned bytes
}

}  // namespace

uint32_t m377_instruction_length(const uint8_t* bytes, uint32_t mx) {
    uint32_t prefix = bytes[0] == 0x42 ? 1 : 0;
    uint8_t op = bytes[prefix];
    if (op == 0x89) return prefix + extended_length(bytes[prefix + 1], mx);
    if (op == 0x42) return prefix + 1;  // a doubled prefix: the executor does not perform it
    return prefix + 1 + operand_bytes(lengths.entry[op], mx);
}
