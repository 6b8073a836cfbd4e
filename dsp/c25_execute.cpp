// The bodies of the 80 instructions, one repetition each, and the frame around them.
#include "dsp/c25_execute.h"

#include "dsp/c25_arith.h"
#include "dsp/c25_memory.h"

#include <array>

namespace {

// One repetition of an instruction at pc; `first` is true in the first repetition.
using body_fn = int (*)(c25_state* s, const c25_decoded* d, uint16_t pc, bool first);

// The data operand's address: direct (DP and bits 6-0) or indirect (AR(ARP), then its
// modification and ARP change).
inline uint16_t operand_address(c25_state* s, const c25_decoded* d) {
    uint16_t word = d->words.first;
    return (word & 0x80) ? c25_update_ar(s, uint8_t(word)) : uint16_t(s->dp << 7 | (word & 0x7F));
}

inline uint16_t read_operand(c25_state* s, const c25_decoded* d) {
    return uint16_t(c25_data_read(s, operand_address(s, d)));
}

inline void store_operand(c25_state* s, const c25_decoded* d, uint32_t value) {
    c25_data_write(s, operand_address(s, d), uint16_t(value));
}

inline int32_t shifted(const c25_state* s, uint16_t value, uint32_t shift) {
    return int32_t(c25_shift_sxm(s, value, shift));
}

// A branch fetches its target first (pc ends past the operand), then tests.
inline int branch_if(c25_state* s, bool taken) {
    uint16_t target = c25_fetch_operand(s);
    if (taken) s->pc = target;
    return 1;
}

uint32_t acc_bits(const c25_state* s) {
    return uint32_t(s->acc);
}

// accumulator loads and stores
int op_lac(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = shifted(s, read_operand(s, d), d->field);
    return 1;
}
int op_lack(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = d->k;
    return 1;
}
int op_lalk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = shifted(s, c25_fetch_operand(s), d->field);
    return 1;
}
int op_zalh(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(uint32_t(read_operand(s, d)) << 16);
    return 1;
}
int op_zals(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = read_operand(s, d);
    return 1;
}
int op_sacl(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    store_operand(s, d, acc_bits(s) << d->field);
    return 1;
}
int op_sach(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    store_operand(s, d, (acc_bits(s) << d->field) >> 16);
    return 1;
}
int op_spl(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    store_operand(s, d, uint32_t(c25_p_shift(s)));
    return 1;
}

// additions and subtractions
int op_add(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_add(s, shifted(s, read_operand(s, d), d->field));
    return 1;
}
int op_addk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_add(s, d->k);
    return 1;
}
int op_adds(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_add(s, read_operand(s, d));
    return 1;
}
int op_adlk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_add(s, shifted(s, c25_fetch_operand(s), d->field));
    return 1;
}
// ADDH: a 16-bit addition into the high half; C only ever set, the low half kept.
int op_addh(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint32_t data = read_operand(s, d), a = acc_bits(s), high = a >> 16, sum = high + data;
    if (sum > 0xFFFF) s->c = 1;
    uint32_t result = sum & 0xFFFF;
    if (~(high ^ data) & (high ^ result) & 0x8000) {
        s->ov = 1;
        if (s->ovm) result = (high & 0x8000) ? 0x8000 : 0x7FFF;
    }
    s->acc = int32_t(result << 16 | (a & 0xFFFF));
    return 1;
}
// ADDC: data + C; C kept when the accumulator does not change.
int op_addc(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint32_t addend = uint32_t(read_operand(s, d)) + uint32_t(s->c), a = acc_bits(s), sum = a + addend;
    if (~a & sum & 0x80000000u) s->ov = 1;
    uint32_t result = c25_saturate(s, int64_t(s->acc) + addend);
    s->acc = int32_t(result);
    if (result != a) s->c = result < a;
    return 1;
}
int op_sub(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_sub(s, shifted(s, read_operand(s, d), d->field));
    return 1;
}
int op_subk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_sub(s, d->k);
    return 1;
}
// SUBC: one step of the conditional-subtract division (OVM not applied).
int op_subc(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint32_t divisor = uint32_t(c25_shift_sxm(s, read_operand(s, d), 15)), a = acc_bits(s), diff = a - divisor;
    if ((a ^ divisor) & (a ^ diff) & 0x80000000u) s->ov = 1;
    s->c = a >= divisor;
    s->acc = int32_t(a >= divisor ? diff << 1 | 1 : a << 1);
    return 1;
}

// multiplier
int op_lt(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->tr = int16_t(read_operand(s, d));
    return 1;
}
int op_mpy(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->p = int64_t(s->tr) * int16_t(read_operand(s, d));
    return 1;
}
int op_mpyu(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->p = int64_t(uint16_t(s->tr)) * read_operand(s, d);
    return 1;
}
int op_ltp(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->tr = int16_t(read_operand(s, d));
    s->acc = c25_p_shift(s);
    return 1;
}
int op_lta(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t data = read_operand(s, d);
    c25_add(s, c25_p_shift(s));
    s->tr = int16_t(data);
    return 1;
}

// logic and bit test (none touches OV or C)
int op_and(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) & read_operand(s, d));
    return 1;
}
int op_or(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) | read_operand(s, d));
    return 1;
}
int op_xor(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) ^ read_operand(s, d));
    return 1;
}
int op_andk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) & uint32_t(c25_fetch_operand(s)) << d->field);
    return 1;
}
int op_ork(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) | uint32_t(c25_fetch_operand(s)) << d->field);
    return 1;
}
int op_xork(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->acc = int32_t(acc_bits(s) ^ uint32_t(c25_fetch_operand(s)) << d->field);
    return 1;
}
int op_bit(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->tc = (read_operand(s, d) >> (15 - d->field)) & 1;
    return 1;
}

// auxiliary registers and data page
int op_lar(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t value = read_operand(s, d);  // after the modification: the load wins
    s->ar[d->field] = value;
    return 1;
}
int op_lark(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->ar[d->field] = d->k;
    return 1;
}
int op_lrlk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->ar[d->field] = c25_fetch_operand(s);
    return 1;
}
int op_sar(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    store_operand(s, d, s->ar[d->field]);  // the value before the modification
    return 1;
}
int op_adrk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t& r = c25_current_ar(s);
    r = uint16_t(r + d->k);
    return 1;
}
int op_sbrk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t& r = c25_current_ar(s);
    r = uint16_t(r - d->k);
    return 1;
}
int op_mar(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    operand_address(s, d);
    return 1;
}
int op_nop(c25_state*, const c25_decoded*, uint16_t, bool) {
    return 1;
}
int op_ldpk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->dp = d->k;
    return 1;
}

// status registers
int op_lst(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t v = read_operand(s, d);
    s->arp = v >> 13;
    s->ov = (v >> 12) & 1;
    s->ovm = (v >> 11) & 1;
    s->intm = (v >> 9) & 1;
    s->dp = v & 0x1FF;
    return 1;
}
int op_lst1(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t v = read_operand(s, d);
    s->arb = s->arp = v >> 13;
    s->tc = (v >> 11) & 1;
    s->sxm = (v >> 10) & 1;
    s->c = (v >> 9) & 1;
    s->pm = v & 3;
    return 1;
}
// SST and SST1 store the status as it was before their own operand's ARP change.
int op_sst(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint32_t v = uint32_t(s->arp) << 13 | uint32_t(s->ov) << 12 | uint32_t(s->ovm) << 11 | 0x400 |
                 uint32_t(s->intm) << 9 | (uint32_t(s->dp) & 0x1FF);
    store_operand(s, d, v);
    return 1;
}
int op_sst1(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint32_t v = uint32_t(s->arb) << 13 | uint32_t(s->tc) << 11 | uint32_t(s->sxm) << 10 | uint32_t(s->c) << 9 |
                 (uint32_t(s->pm) & 3);
    store_operand(s, d, v);
    return 1;
}

// branches, calls and repeats
int op_b(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, true);
}
int op_bz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->acc == 0);
}
int op_bnz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->acc != 0);
}
int op_bgz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->acc > 0);
}
int op_bgez(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->acc >= 0);
}
int op_blz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->acc < 0);
}
int op_bbz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->tc == 0);
}
int op_bbnz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->tc == 1);
}
int op_bioz(c25_state* s, const c25_decoded*, uint16_t, bool) {
    return branch_if(s, s->bio == 0);
}
// BANZ tests AR(ARP) before its modification, which is applied either way.
int op_banz(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t target = c25_fetch_operand(s);
    uint16_t ar = c25_update_ar(s, uint8_t(d->words.first));
    if (ar) s->pc = target;
    return 1;
}
int op_call(c25_state* s, const c25_decoded*, uint16_t, bool) {
    uint16_t target = c25_fetch_operand(s);
    c25_push(s, s->pc);
    s->pc = target;
    return 1;
}
int op_rpt(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->rptc = read_operand(s, d) & 0xFF;
    return 1;
}
int op_rptk(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    s->rptc = d->k;
    return 1;
}

// ports and program-memory tables
int op_in(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    uint16_t address = operand_address(s, d);  // the address first, then the port
    c25_data_write(s, address, uint16_t(c25_port_in(s, d->field)));
    return 1;
}
int op_out(c25_state* s, const c25_decoded* d, uint16_t, bool) {
    c25_port_out(s, d->field, read_operand(s, d));
    return 1;
}
int op_tblr(c25_state* s, const c25_decoded* d, uint16_t, bool first) {
    if (first) s->pfc = uint16_t(s->acc);
    store_operand(s, d, c25_prog_read(s, s->pfc));
    s->pfc++;
    return 1;
}
int op_blkp(c25_state* s, const c25_decoded* d, uint16_t, bool first) {
    if (first) s->pfc = c25_fetch_operand(s);
    store_operand(s, d, c25_prog_read(s, s->pfc));
    s->pfc++;
    return 1;
}

int op_ce(c25_state* s, const c25_decoded* d, uint16_t pc, bool) {
    return c25_ce_group(s, d->words.first, pc);
}

struct body_row {
    c25_op op;
    body_fn body;
};

constexpr body_row body_rows[] = {
    {c25_op_lac, op_lac}, {c25_op_lack, op_lack}, {c25_op_lalk, op_lalk}, {c25_op_zalh, op_zalh},
    {c25_op_zals, op_zals}, {c25_op_sacl, op_sacl}, {c25_op_sach, op_sach}, {c25_op_spl, op_spl},
    {c25_op_add, op_add}, {c25_op_addk, op_addk}, {c25_op_adds, op_adds}, {c25_op_adlk, op_adlk},
    {c25_op_addh, op_addh}, {c25_op_addc, op_addc}, {c25_op_sub, op_sub}, {c25_op_subk, op_subk},
    {c25_op_subc, op_subc},
    {c25_op_lt, op_lt}, {c25_op_mpy, op_mpy}, {c25_op_mpyu, op_mpyu}, {c25_op_ltp, op_ltp}, {c25_op_lta, op_lta},
    {c25_op_and, op_and}, {c25_op_or, op_or}, {c25_op_xor, op_xor}, {c25_op_andk, op_andk},
    {c25_op_ork, op_ork}, {c25_op_xork, op_xork}, {c25_op_bit, op_bit},
    {c25_op_lar, op_lar}, {c25_op_lark, op_lark}, {c25_op_lrlk, op_lrlk}, {c25_op_sar, op_sar},
    {c25_op_adrk, op_adrk}, {c25_op_sbrk, op_sbrk}, {c25_op_mar, op_mar}, {c25_op_nop, op_nop},
    {c25_op_ldpk, op_ldpk},
    {c25_op_lst, op_lst}, {c25_op_lst1, op_lst1}, {c25_op_sst, op_sst}, {c25_op_sst1, op_sst1},
    {c25_op_b, op_b}, {c25_op_bz, op_bz}, {c25_op_bnz, op_bnz}, {c25_op_bgz, op_bgz}, {c25_op_bgez, op_bgez},
    {c25_op_blz, op_blz}, {c25_op_bbz, op_bbz}, {c25_op_bbnz, op_bbnz}, {c25_op_bioz, op_bioz},
    {c25_op_banz, op_banz}, {c25_op_call, op_call}, {c25_op_rpt, op_rpt}, {c25_op_rptk, op_rptk},
    {c25_op_in, op_in}, {c25_op_out, op_out}, {c25_op_tblr, op_tblr}, {c25_op_blkp, op_blkp},
    // Every 0xCExx word, CNFD included, runs through the CE group.
    {c25_op_cnfd, op_ce}, {c25_op_pac, op_ce}, {c25_op_apac, op_ce}, {c25_op_neg, op_ce}, {c25_op_ret, op_ce},
    {c25_op_norm, op_ce}, {c25_op_spm, op_ce}, {c25_op_bacc, op_ce}, {c25_op_dint, op_ce}, {c25_op_ssxm, op_ce},
    {c25_op_rxf, op_ce}, {c25_op_sfl, op_ce}, {c25_op_sxf, op_ce}, {c25_op_eint, op_ce}, {c25_op_rsxm, op_ce},
    {c25_op_sfr, op_ce}, {c25_op_cala, op_ce}, {c25_op_idle, op_ce}, {c25_op_sovm, op_ce}, {c25_op_rovm, op_ce},
    {c25_op_cmpr, op_ce}, {c25_op_ce, op_ce},
};

constexpr std::array<body_fn, c25_op_count> make_bodies() {
    std::array<body_fn, c25_op_count> bodies{};
    for (const body_row& row : body_rows) bodies[row.op] = row.body;
    return bodies;
}
constexpr std::array<body_fn, c25_op_count> bodies = make_bodies();

constexpr bool every_instruction_has_a_body() {
    for (uint32_t op = c25_op_none + 1; op < c25_op_count; op++)
        if (!bodies[op]) return false;
    return !bodies[c25_op_none];
}
static_assert(every_instruction_has_a_body());

}  // namespace

int c25_execute(c25_state* s, const c25_decoded* d, uint16_t pc) {
    body_fn body = d->op < c25_op_count ? bodies[d->op] : nullptr;
    if (!body) return c25_fault(s, pc, "no translation for this address");
    s->operand_stream = d->length == 2 ? &d->words : nullptr;
    s->pc = uint16_t(pc + 1);
    int32_t repeats = s->rptc;
    s->rptc = 0;
    int done = body(s, d, pc, true);
    for (int32_t i = 0; done && i < repeats; i++) done = body(s, d, pc, false);
    s->operand_stream = nullptr;
    return done;
}
