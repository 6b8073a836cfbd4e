// The C25 decoder against an opcode map written here on its own terms (by high nibble
// and byte, as the TMS320C25 opcode map is laid out), for every first word; and the
// test assembler's encodings of the instruction forms.
#include "dsp/c25_decode.h"
#include "tests/support/c25_asm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct expected_class {
    c25_op op;
    int length;
};

constexpr expected_class none{c25_op_none, 1};

expected_class ce_class(uint8_t low) {
    if (low >= 0x80) return {c25_op_norm, 1};
    if (low >= 0x50 && low <= 0x57) return {c25_op_cmpr, 1};
    if (low >= 0x08 && low <= 0x0B) return {c25_op_spm, 1};
    switch (low) {
    case 0x00: return {c25_op_eint, 1};
    case 0x01: return {c25_op_dint, 1};
    case 0x02: return {c25_op_rovm, 1};
    case 0x03: return {c25_op_sovm, 1};
    case 0x04: return {c25_op_cnfd, 1};
    case 0x06: return {c25_op_rsxm, 1};
    case 0x07: return {c25_op_ssxm, 1};
    case 0x0C: return {c25_op_rxf, 1};
    case 0x0D: return {c25_op_sxf, 1};
    case 0x14: return {c25_op_pac, 1};
    case 0x15: return {c25_op_apac, 1};
    case 0x18: return {c25_op_sfl, 1};
    case 0x19: return {c25_op_sfr, 1};
    case 0x1F: return {c25_op_idle, 1};
    case 0x23: return {c25_op_neg, 1};
    case 0x24: return {c25_op_cala, 1};
    case 0x25: return {c25_op_bacc, 1};
    case 0x26: return {c25_op_ret, 1};
    default: return {c25_op_ce, 1};
    }
}

expected_class expected_for(uint16_t w) {
    uint8_t high = uint8_t(w >> 8), low = uint8_t(w);
    switch (high >> 4) {
    case 0x0: return {c25_op_add, 1};
    case 0x1: return {c25_op_sub, 1};
    case 0x2: return {c25_op_lac, 1};
    case 0x3:
        if (high < 0x38) return {c25_op_lar, 1};
        if (high == 0x38) return {c25_op_mpy, 1};
        if (high == 0x3C) return {c25_op_lt, 1};
        if (high == 0x3D) return {c25_op_lta, 1};
        if (high == 0x3E) return {c25_op_ltp, 1};
        return none;
    case 0x4: {
        const c25_op ops[16] = {c25_op_zalh, c25_op_zals, c25_op_none, c25_op_addc, c25_op_none, c25_op_none,
                                c25_op_none, c25_op_subc, c25_op_addh, c25_op_adds, c25_op_none, c25_op_rpt,
                                c25_op_xor,  c25_op_or,   c25_op_and,  c25_op_none};
        return {ops[high & 0xF], 1};
    }
    case 0x5:
        if (high == 0x50) return {c25_op_lst, 1};
        if (high == 0x51) return {c25_op_lst1, 1};
        if (high == 0x58) return {c25_op_tblr, 1};
        if (high == 0x55 && low == 0) return {c25_op_nop, 1};
        if (high == 0x55 && low >= 0x80) return {c25_op_mar, 1};
        return none;
    case 0x6: return {high < 0x68 ? c25_op_sacl : c25_op_sach, 1};
    case 0x7:
        if (high < 0x78) return {c25_op_sar, 1};
        if (high == 0x78) return {c25_op_sst, 1};
        if (high == 0x79) return {c25_op_sst1, 1};
        if (high == 0x7C) return {c25_op_spl, 1};
        if (high == 0x7E) return {c25_op_adrk, 1};
        if (high == 0x7F) return {c25_op_sbrk, 1};
        return none;
    case 0x8: return {c25_op_in, 1};
    case 0x9: return {c25_op_bit, 1};
    case 0xC:
        if (high < 0xC8) return {c25_op_lark, 1};
        if (high < 0xCA) return {c25_op_ldpk, 1};
        if (high == 0xCA) return {c25_op_lack, 1};
        if (high == 0xCB) return {c25_op_rptk, 1};
        if (high == 0xCC) return {c25_op_addk, 1};
        if (high == 0xCD) return {c25_op_subk, 1};
        if (high == 0xCE) return ce_class(low);
        return {c25_op_mpyu, 1};
    case 0xD:
        if (low == 0x00 && high <= 0xD7) return {c25_op_lrlk, 2};
        if (low == 0x01) return {c25_op_lalk, 2};
        if (low == 0x02) return {c25_op_adlk, 2};
        if (low == 0x04) return {c25_op_andk, 2};
        if (low == 0x05) return {c25_op_ork, 2};
        if (low == 0x06) return {c25_op_xork, 2};
        return none;
    case 0xE: return {c25_op_out, 1};
    case 0xF:
        if (high == 0xFB && low >= 0x80) return {c25_op_banz, 2};
        if (high == 0xFC) return {c25_op_blkp, 2};
        if (low != 0x80) return none;
        switch (high) {
        case 0xF1: return {c25_op_bgz, 2};
        case 0xF3: return {c25_op_blz, 2};
        case 0xF4: return {c25_op_bgez, 2};
        case 0xF5: return {c25_op_bnz, 2};
        case 0xF6: return {c25_op_bz, 2};
        case 0xF8: return {c25_op_bbz, 2};
        case 0xF9: return {c25_op_bbnz, 2};
        case 0xFA: return {c25_op_bioz, 2};
        case 0xFE: return {c25_op_call, 2};
        case 0xFF: return {c25_op_b, 2};
        default: return none;
        }
    default: return none;
    }
}

// The field an instruction's word carries in bits 8-11 (or 8-10), by the opcode map.
int expected_field(c25_op op, uint16_t w) {
    switch (op) {
    case c25_op_add: case c25_op_sub: case c25_op_lac: case c25_op_in: case c25_op_out: case c25_op_bit:
    case c25_op_lalk: case c25_op_adlk: case c25_op_andk: case c25_op_ork: case c25_op_xork:
        return (w >> 8) & 0xF;
    case c25_op_sacl: case c25_op_sach: case c25_op_lar: case c25_op_sar: case c25_op_lark: case c25_op_lrlk:
        return (w >> 8) & 0x7;
    default: return 0;
    }
}

int expected_k(c25_op op, uint16_t w) {
    switch (op) {
    case c25_op_lack: case c25_op_addk: case c25_op_subk: case c25_op_lark: case c25_op_adrk: case c25_op_sbrk:
    case c25_op_rptk:
        return w & 0xFF;
    case c25_op_ldpk: return w & 0x1FF;
    default: return 0;
    }
}

TEST(C25Decode, EveryFirstWordMatchesTheOpcodeMap) {
    int classes_seen[c25_op_count] = {};
    for (uint32_t w = 0; w < 0x10000; w++) {
        c25_decoded d = c25_decode(uint16_t(w), 0xBEEF);
        expected_class e = expected_for(uint16_t(w));
        ASSERT_EQ(d.op, e.op) << std::hex << "word " << w << ": " << c25_op_name(d.op) << " not "
                              << c25_op_name(e.op);
        ASSERT_EQ(d.length, e.length) << std::hex << "word " << w;
        ASSERT_EQ(d.words.first, w);
        ASSERT_EQ(d.words.second, e.length == 2 ? 0xBEEF : 0) << std::hex << "word " << w;
        ASSERT_EQ(d.field, expected_field(d.op, uint16_t(w))) << std::hex << "word " << w;
        ASSERT_EQ(d.k, expected_k(d.op, uint16_t(w))) << std::hex << "word " << w;
        classes_seen[d.op]++;
    }
    // The map reaches all 80 instructions, the other CE words and "none".
    for (int op = 0; op < c25_op_count; op++) EXPECT_GT(classes_seen[op], 0) << c25_op_name(c25_op(op));
}

TEST(C25Decode, AssemblerWritesTheInstructionForms) {
    const struct {
        const char* line;
        std::vector<uint16_t> words;
    } cases[] = {
        {"LAC 0x12", {0x2012}},
        {"LAC *+,4,AR2", {0x24AA}},
        {"lac *0-,15", {0x2FD0}},
        {"ADD *BR0+,0,AR7", {0x00FF}},
        {"SACH *,1", {0x6980}},
        {"SACL 0x285,7", {0x6705}},
        {"LAR AR1,*+,AR2", {0x31AA}},
        {"SAR 3,0x10", {0x7310}},
        {"MPY *-,AR1", {0x3899}},
        {"MAR *BR0-,AR3", {0x55CB}},
        {"MAR *", {0x5580}},
        {"NOP", {0x5500}},
        {"BIT *,15", {0x9F80}},
        {"IN *+,PA2", {0x82A0}},
        {"OUT 0x20,13", {0xED20}},
        {"LDPK 0x1FF", {0xC9FF}},
        {"LARK AR7,0xFF", {0xC7FF}},
        {"RPTK 15", {0xCB0F}},
        {"LRLK AR1,0x1234", {0xD100, 0x1234}},
        {"LALK 0x1234,4", {0xD401, 0x1234}},
        {"ANDK 0xFFFF,13", {0xDD04, 0xFFFF}},
        {"XORK -1", {0xD006, 0xFFFF}},
        {"here: B here", {0xFF80, 0x4000}},
        {"BANZ 0x4000", {0xFB90, 0x4000}},
        {"BANZ 0x4000,*-,AR4", {0xFB9C, 0x4000}},
        {"BLKP 0x4100,*+", {0xFCA0, 0x4100}},
        {"CALL sub\nsub: RET", {0xFE80, 0x4002, 0xCE26}},
        {"NORM *-", {0xCE92}},
        {"NORM *+,AR1", {0xCEA9}},
        {"SPM 3", {0xCE0B}},
        {"CMPR 1", {0xCE51}},
        {".word 0x1234,-1,>ab", {0x1234, 0xFFFF, 0x00AB}},
    };
    auto p = std::make_unique<c25_program>();
    for (const auto& c : cases) {
        ASSERT_TRUE(c25_assemble(p.get(), 0x4000, c.line)) << c.line << ": " << p->error;
        EXPECT_EQ(std::vector<uint16_t>(p->words + p->low, p->words + p->high), c.words) << c.line;
    }
    for (const char* bad : {"LAC *++", "MAR 0x12", "SACL 5,8", "B nowhere", "LARK AR8,1", "FOO", "IN 5"}) {
        EXPECT_FALSE(c25_assemble(p.get(), 0x4000, bad)) << bad;
        EXPECT_NE(p->error[0], 0) << bad;
    }
}

// Each mnemonic the assembler knows decodes as the instruction of that name, and its
// two-word forms are two long: the assembler and the decoder agree on the map.
TEST(C25Decode, AssembledMnemonicsDecodeByName) {
    const char* lines[] = {
        "LAC 1", "LACK 1", "LALK 1", "ZALH 1", "ZALS 1", "SACL 1", "SACH 1", "SPL 1", "ADD 1", "ADDK 1",
        "ADDS 1", "ADLK 1", "ADDH 1", "ADDC 1", "SUB 1", "SUBK 1", "SUBC 1", "LT 1", "MPY 1", "MPYU 1",
        "LTP 1", "LTA 1", "AND 1", "OR 1", "XOR 1", "ANDK 1", "ORK 1", "XORK 1", "BIT 1,1", "LAR 1,1",
        "LARK 1,1", "LRLK 1,1", "SAR 1,1", "ADRK 1", "SBRK 1", "MAR *+", "NOP", "LDPK 1", "LST 1", "LST1 1",
        "SST *", "SST1 *", "CNFD", "B 1", "BZ 1", "BNZ 1", "BGZ 1", "BGEZ 1", "BLZ 1", "BBZ 1", "BBNZ 1",
        "BIOZ 1", "BANZ 1", "CALL 1", "RPT 1", "RPTK 1", "IN 1,1", "OUT 1,1", "TBLR 1", "BLKP 1,1", "PAC",
        "APAC", "NEG", "RET", "NORM *", "SPM 1", "BACC", "DINT", "SSXM", "RXF", "SFL", "SXF", "EINT", "RSXM",
        "SFR", "CALA", "IDLE", "SOVM", "ROVM", "CMPR 1",
    };
    ASSERT_EQ(sizeof lines / sizeof lines[0], 80u);
    auto p = std::make_unique<c25_program>();
    for (const char* line : lines) {
        ASSERT_TRUE(c25_assemble(p.get(), 0x4000, line)) << line << ": " << p->error;
        c25_decoded d = c25_decode(p->words[0x4000], p->words[0x4001]);
        std::string name(line, strcspn(line, " "));
        EXPECT_EQ(c25_op_name(d.op), name) << line;
        EXPECT_EQ(d.length, p->high - p->low) << line;
    }
    for (const char* line : {"ABS", "PUSH", "POP", "CMPL", "TRAP", "SPAC", "CNFP", "ROL", "ROR", "RC", "SC",
                             "RTC", "STC"}) {
        ASSERT_TRUE(c25_assemble(p.get(), 0x4000, line)) << line;
        EXPECT_EQ(c25_decode(p->words[0x4000], 0).op, c25_op_ce) << line;
    }
}

}  // namespace
