// The instruction decoder: one table of word patterns, walked in order.
#include "dsp/c25_decode.h"

namespace {

struct pattern {
    uint16_t value;
    uint16_t mask;
    c25_op op;
    uint8_t length;
    uint8_t field_bits;  // bits 8.. that form `field`: 0, 3 or 4
    uint8_t k_bits;      // bits 0.. that form `k`: 0, 8 or 9
};

// The first match wins; CE words are told apart in the rows after the 0xCE00 block.
constexpr pattern patterns[] = {
    {0x0000, 0xF000, c25_op_add, 1, 4, 0},
    {0x1000, 0xF000, c25_op_sub, 1, 4, 0},
    {0x2000, 0xF000, c25_op_lac, 1, 4, 0},
    {0x3000, 0xF800, c25_op_lar, 1, 3, 0},
    {0x3800, 0xFF00, c25_op_mpy, 1, 0, 0},
    {0x3C00, 0xFF00, c25_op_lt, 1, 0, 0},
    {0x3D00, 0xFF00, c25_op_lta, 1, 0, 0},
    {0x3E00, 0xFF00, c25_op_ltp, 1, 0, 0},
    {0x4000, 0xFF00, c25_op_zalh, 1, 0, 0},
    {0x4100, 0xFF00, c25_op_zals, 1, 0, 0},
    {0x4300, 0xFF00, c25_op_addc, 1, 0, 0},
    {0x4700, 0xFF00, c25_op_subc, 1, 0, 0},
    {0x4800, 0xFF00, c25_op_addh, 1, 0, 0},
    {0x4900, 0xFF00, c25_op_adds, 1, 0, 0},
    {0x4B00, 0xFF00, c25_op_rpt, 1, 0, 0},
    {0x4C00, 0xFF00, c25_op_xor, 1, 0, 0},
    {0x4D00, 0xFF00, c25_op_or, 1, 0, 0},
    {0x4E00, 0xFF00, c25_op_and, 1, 0, 0},
    {0x5000, 0xFF00, c25_op_lst, 1, 0, 0},
    {0x5100, 0xFF00, c25_op_lst1, 1, 0, 0},
    {0x5500, 0xFFFF, c25_op_nop, 1, 0, 0},
    {0x5580, 0xFF80, c25_op_mar, 1, 0, 0},
    {0x5800, 0xFF00, c25_op_tblr, 1, 0, 0},
    {0x6000, 0xF800, c25_op_sacl, 1, 3, 0},
    {0x6800, 0xF800, c25_op_sach, 1, 3, 0},
    {0x7000, 0xF800, c25_op_sar, 1, 3, 0},
    {0x7800, 0xFF00, c25_op_sst, 1, 0, 0},
    {0x7900, 0xFF00, c25_op_sst1, 1, 0, 0},
    {0x7C00, 0xFF00, c25_op_spl, 1, 0, 0},
    {0x7E00, 0xFF00, c25_op_adrk, 1, 0, 8},
    {0x7F00, 0xFF00, c25_op_sbrk, 1, 0, 8},
    {0x8000, 0xF000, c25_op_in, 1, 4, 0},
    {0x9000, 0xF000, c25_op_bit, 1, 4, 0},
    {0xC000, 0xF800, c25_op_lark, 1, 3, 8},
    {0xC800, 0xFE00, c25_op_ldpk, 1, 0, 9},
    {0xCA00, 0xFF00, c25_op_lack, 1, 0, 8},
    {0xCB00, 0xFF00, c25_op_rptk, 1, 0, 8},
    {0xCC00, 0xFF00, c25_op_addk, 1, 0, 8},
    {0xCD00, 0xFF00, c25_op_subk, 1, 0, 8},
    {0xCE00, 0xFFFF, c25_op_eint, 1, 0, 0},
    {0xCE01, 0xFFFF, c25_op_dint, 1, 0, 0},
    {0xCE02, 0xFFFF, c25_op_rovm, 1, 0, 0},
    {0xCE03, 0xFFFF, c25_op_sovm, 1, 0, 0},
    {0xCE04, 0xFFFF, c25_op_cnfd, 1, 0, 0},
    {0xCE06, 0xFFFF, c25_op_rsxm, 1, 0, 0},
    {0xCE07, 0xFFFF, c25_op_ssxm, 1, 0, 0},
    {0xCE08, 0xFFFC, c25_op_spm, 1, 0, 0},
    {0xCE0C, 0xFFFF, c25_op_rxf, 1, 0, 0},
    {0xCE0D, 0xFFFF, c25_op_sxf, 1, 0, 0},
    {0xCE14, 0xFFFF, c25_op_pac, 1, 0, 0},
    {0xCE15, 0xFFFF, c25_op_apac, 1, 0, 0},
    {0xCE18, 0xFFFF, c25_op_sfl, 1, 0, 0},
    {0xCE19, 0xFFFF, c25_op_sfr, 1, 0, 0},
    {0xCE1F, 0xFFFF, c25_op_idle, 1, 0, 0},
    {0xCE23, 0xFFFF, c25_op_neg, 1, 0, 0},
    {0xCE24, 0xFFFF, c25_op_cala, 1, 0, 0},
    {0xCE25, 0xFFFF, c25_op_bacc, 1, 0, 0},
    {0xCE26, 0xFFFF, c25_op_ret, 1, 0, 0},
    {0xCE50, 0xFFF8, c25_op_cmpr, 1, 0, 0},
    {0xCE80, 0xFF80, c25_op_norm, 1, 0, 0},
    {0xCE00, 0xFF00, c25_op_ce, 1, 0, 0},
    {0xCF00, 0xFF00, c25_op_mpyu, 1, 0, 0},
    {0xD000, 0xF8FF, c25_op_lrlk, 2, 3, 0},
    {0xD001, 0xF0FF, c25_op_lalk, 2, 4, 0},
    {0xD002, 0xF0FF, c25_op_adlk, 2, 4, 0},
    {0xD004, 0xF0FF, c25_op_andk, 2, 4, 0},
    {0xD005, 0xF0FF, c25_op_ork, 2, 4, 0},
    {0xD006, 0xF0FF, c25_op_xork, 2, 4, 0},
    {0xE000, 0xF000, c25_op_out, 1, 4, 0},
    {0xF180, 0xFFFF, c25_op_bgz, 2, 0, 0},
    {0xF380, 0xFFFF, c25_op_blz, 2, 0, 0},
    {0xF480, 0xFFFF, c25_op_bgez, 2, 0, 0},
    {0xF580, 0xFFFF, c25_op_bnz, 2, 0, 0},
    {0xF680, 0xFFFF, c25_op_bz, 2, 0, 0},
    {0xF880, 0xFFFF, c25_op_bbz, 2, 0, 0},
    {0xF980, 0xFFFF, c25_op_bbnz, 2, 0, 0},
    {0xFA80, 0xFFFF, c25_op_bioz, 2, 0, 0},
    {0xFB80, 0xFF80, c25_op_banz, 2, 0, 0},
    {0xFC00, 0xFF00, c25_op_blkp, 2, 0, 0},
    {0xFE80, 0xFFFF, c25_op_call, 2, 0, 0},
    {0xFF80, 0xFFFF, c25_op_b, 2, 0, 0},
};

constexpr const char* names[c25_op_count] = {
    "none",
    "LAC", "LACK", "LALK", "ZALH", "ZALS", "SACL", "SACH", "SPL",
    "ADD", "ADDK", "ADDS", "ADLK", "ADDH", "ADDC", "SUB", "SUBK", "SUBC",
    "LT", "MPY", "MPYU", "LTP", "LTA",
    "AND", "OR", "XOR", "ANDK", "ORK", "XORK", "BIT",
    "LAR", "LARK", "LRLK", "SAR", "ADRK", "SBRK", "MAR", "NOP", "LDPK",
    "LST", "LST1", "SST", "SST1", "CNFD",
    "B", "BZ", "BNZ", "BGZ", "BGEZ", "BLZ", "BBZ", "BBNZ", "BIOZ", "BANZ", "CALL", "RPT", "RPTK",
    "IN", "OUT", "TBLR", "BLKP",
    "PAC", "APAC", "NEG", "RET", "NORM", "SPM", "BACC", "DINT", "SSXM", "RXF", "SFL", "SXF", "EINT", "RSXM",
    "SFR", "CALA", "IDLE", "SOVM", "ROVM", "CMPR",
    "CE",
};
static_assert(names[c25_op_count - 1] != nullptr, "a name for every instruction");

}  // namespace

c25_decoded c25_decode(uint16_t first, uint16_t second) {
    c25_decoded d{};
    d.words.first = first;
    d.op = c25_op_none;
    d.length = 1;
    for (const pattern& p : patterns) {
        if ((first & p.mask) != p.value) continue;
        d.op = p.op;
        d.length = p.length;
        d.field = uint8_t((first >> 8) & ((1u << p.field_bits) - 1));
        d.k = uint16_t(first & ((1u << p.k_bits) - 1));
        if (p.length == 2) d.words.second = second;
        break;
    }
    return d;
}

const char* c25_op_name(c25_op op) {
    return op < c25_op_count ? names[op] : "none";
}
