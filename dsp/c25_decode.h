// Decoding of TMS320C25 instruction words into the 80 instructions the board's DSP
// programs use: the instruction, its fields and its length. Branches decode only in
// their plain form (no AR modification), BANZ with any; NOP is 0x5500 alone and MAR
// 0x5580-0x55FF. Every 0xCExx word is a CE-group instruction. Anything else is "none",
// one word long.
#pragma once
#include "dsp/c25.h"

#include <cstdint>

enum c25_op : uint8_t {
    c25_op_none,
    // accumulator loads and stores
    c25_op_lac, c25_op_lack, c25_op_lalk, c25_op_zalh, c25_op_zals, c25_op_sacl, c25_op_sach, c25_op_spl,
    // additions and subtractions
    c25_op_add, c25_op_addk, c25_op_adds, c25_op_adlk, c25_op_addh, c25_op_addc, c25_op_sub, c25_op_subk,
    c25_op_subc,
    // multiplier
    c25_op_lt, c25_op_mpy, c25_op_mpyu, c25_op_ltp, c25_op_lta,
    // logic and bit test
    c25_op_and, c25_op_or, c25_op_xor, c25_op_andk, c25_op_ork, c25_op_xork, c25_op_bit,
    // auxiliary registers and data page
    c25_op_lar, c25_op_lark, c25_op_lrlk, c25_op_sar, c25_op_adrk, c25_op_sbrk, c25_op_mar, c25_op_nop,
    c25_op_ldpk,
    // status registers
    c25_op_lst, c25_op_lst1, c25_op_sst, c25_op_sst1, c25_op_cnfd,
    // branches, calls and repeats
    c25_op_b, c25_op_bz, c25_op_bnz, c25_op_bgz, c25_op_bgez, c25_op_blz, c25_op_bbz, c25_op_bbnz, c25_op_bioz,
    c25_op_banz, c25_op_call, c25_op_rpt, c25_op_rptk,
    // ports and program-memory tables
    c25_op_in, c25_op_out, c25_op_tblr, c25_op_blkp,
    // the CE group (all run by c25_ce_group)
    c25_op_pac, c25_op_apac, c25_op_neg, c25_op_ret, c25_op_norm, c25_op_spm, c25_op_bacc, c25_op_dint,
    c25_op_ssxm, c25_op_rxf, c25_op_sfl, c25_op_sxf, c25_op_eint, c25_op_rsxm, c25_op_sfr, c25_op_cala,
    c25_op_idle, c25_op_sovm, c25_op_rovm, c25_op_cmpr,
    c25_op_ce,  // any other 0xCExx word: ABS, PUSH, POP, CMPL, TRAP, ... or a faulting one
    c25_op_count
};

// One decoded instruction: what a translated program holds per instruction address.
struct c25_decoded {
    c25_operand_record words;  // the instruction's words (second 0 for one-word ones)
    c25_op op;
    uint8_t length;            // 1 or 2
    uint8_t field;             // shift, register number, bit code or port (bits 8-11 or 8-10)
    uint16_t k;                // constant: bits 7-0 (LDPK 8-0)
};

// The instruction `first` starts (`second` is the word after it, used when two long).
c25_decoded c25_decode(uint16_t first, uint16_t second);

// Upper-case mnemonic, "CE" for c25_op_ce and "none" for c25_op_none.
const char* c25_op_name(c25_op op);
