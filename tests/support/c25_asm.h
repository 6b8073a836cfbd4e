// A small TMS320C25 assembler for tests and benchmarks, a test machine (a C25 record
// over its own DSP RAM and point ROM) and a test translated program that decodes
// program memory, so that assembled programs run through c25_step.
//
// Syntax, one instruction per line (';' starts a comment, "name:" defines a label;
// mnemonics in either case; numbers decimal, 0x or > hexadecimal, or labels):
//   LAC 0x12,4          direct operand (bits 6-0 of the address used) and shift
//   LAC *+,4,AR2        indirect operand (* *+ *- *0+ *0- *BR0+ *BR0-), shift, new ARP
//   SACH *,1   SACL 5  ZALH *-   MPY *+,AR1   MAR *0+,AR3   LAR AR1,*+   SAR 3,0x10
//   BIT *,15   IN 0x20,PA2   OUT *+,13   BLKP 0x4100,*+   TBLR 0x20
//   LACK 5  ADDK 5  SUBK 5  RPTK 15  ADRK 2  SBRK 2  LDPK 0x1FF  LARK AR1,8
//   LRLK AR1,0x1234   LALK 0x1234,4   ADLK / ANDK / ORK / XORK lk[,shift]
//   B label   BZ  BNZ  BGZ  BGEZ  BLZ  BBZ  BBNZ  BIOZ  CALL
//   BANZ label[,ind[,ARn]]   (the operand defaults to *-)
//   PAC APAC SPAC NEG ABS CMPL PUSH POP TRAP RET BACC CALA IDLE EINT DINT SOVM ROVM
//   SSXM RSXM CNFD CNFP SFL SFR ROL ROR RC SC RTC STC RXF SXF NOP   SPM 3   CMPR 1
//   NORM *-[,ARn]   (without a new ARP bits 2-0 are 010, as the TI assembler writes them)
//   .word 0x1234,label,-1   .org 0x0018 (moves on to a program address)
//   .fill 0x404A,0x5500 (the word up to, not including, the address)
#pragma once
#include "dsp/c25.h"

#include <cstdint>

struct c25_program {
    uint16_t origin;
    uint32_t low, high;      // the words assembled lie at low .. high - 1
    uint16_t words[0x10000];  // by program address
    int label_count;
    struct {
        char name[32];
        uint16_t address;
    } labels[128];
    char error[160];
};

// Assembles source at origin; false with the reason in p->error.
bool c25_assemble(c25_program* p, uint16_t origin, const char* source);
// A label's address; UINT32_MAX when the program has none of that name.
uint32_t c25_label(const c25_program* p, const char* name);

// The test translated program: decodes the words at pc (kept per address until program
// memory there changes) and executes them; words that decode to nothing fault with
// "no translation for this address".
int c25_test_translated(c25_state* s, uint16_t pc);

constexpr uint32_t C25_TEST_POINT_ROM_WORDS = 0x1000;
constexpr uint32_t C25_TEST_POINT_WINDOW = 0xF80000;

// A C25 over its own DSP RAM and a small point ROM, with the program it runs.
struct c25_test_dsp {
    c25_state cpu;
    uint32_t dspram[C25_DSPRAM_WORDS];
    uint32_t point_rom[C25_TEST_POINT_ROM_WORDS];
    c25_program program;
};

// Clears everything, assembles source at origin into program memory (low .. high - 1), sets the record
// up as the boot does (point window 0xF80000, the list walker on, the test translated
// program), resets it and sets pc to origin. False with the reason in t->program.error.
bool c25_test_boot(c25_test_dsp* t, const char* source, uint16_t origin = C25_RESET_PC);
